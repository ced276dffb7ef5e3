#pragma once

#include <QString>

// The application's name, which also names the folder of its data: ~/.local/share/Tanko.
inline constexpr char16_t ApplicationName[] = u"Tanko";

// The program's version as windows and the report show it: "1.0.43".
QString ProgramVersion();

// The title of the main, report, currency and calendar windows:
// "Tankometer - Anna - v1.0.43".
QString UserWindowTitle(const QString& user);
