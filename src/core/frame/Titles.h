#pragma once

#include <QString>

// The program's version as windows and the report show it: "1.0.43".
QString ProgramVersion();

// The title of the main, report, currency and calendar windows:
// "Tankometer - Anna - v1.0.43".
QString UserWindowTitle(const QString& user);
