#pragma once

#include <QString>

struct Speech;

// The application's name, which also names the folder of its data: ~/.local/share/Tanko.
inline constexpr char16_t ApplicationName[] = u"Tanko";

// The program's version as windows and the report show it: "1.0.43".
QString ProgramVersion();

// The title of the main, report, currency and calendar windows:
// "Tankometer - Anna - v1.0.43".
QString UserWindowTitle(const QString& user);

// The licence notice of the about card in the user's language: the version,
// the licence without warranty, and where the source is, one a line.
QString LicenceNotice(const Speech& speech);

// What --version prints, in English as the command line speaks: the same,
// in the words GNU programs use.
QString VersionText();
