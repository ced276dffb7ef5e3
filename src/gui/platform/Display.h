#pragma once

#include <QApplication>

#include <memory>

// The windows' application object. Where no display can be reached Qt would
// end the program with an abort and a page of advice about plugins; here the
// program says in one line on stderr why, and ends with status 1. What Qt says
// meanwhile is held back until the display is there, and then said.
std::unique_ptr<QApplication> applicationOnDisplay(int& argc, char** argv);
