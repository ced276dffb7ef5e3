#pragma once

#include "core/frame/Platform.h"

#include <QStringList>

#include <functional>

// The shell notification where desktops follow freedesktop.org: the change of
// associations declares ".tnk" files to the account's desktop as MIME type
// application/x-tanko, with a desktop entry that opens them with this program
// and the program's icon, all under XDG_DATA_HOME, then refreshes the caches
// of the tools that are installed. Each file is written whole or not at all;
// a failure is logged (tanko.filetype) and otherwise ignored.
class FreedesktopShell : public Platform::ShellNotifier
{
public:
    using Runner = std::function<void(const QString& program, const QStringList& arguments)>;

    // programPath() is the program the desktop entry starts (by default the
    // running one); runner starts the cache tools (by default detached).
    explicit FreedesktopShell(std::function<QString()> programPath = {}, Runner runner = {});

    void changeNotify(qint32 eventId, quint32 flags) override;

    static QString dataHome();
    // One argument of a desktop entry's Exec key, quoted and escaped so that
    // any path reaches the program as one argument, exactly.
    static QString execArgument(const QString& argument);

    static constexpr const char* MimeType = "application/x-tanko";
    static constexpr const char* DesktopFile = "tankometer-tnk.desktop";
    static constexpr const char* MimeFile = "tankometer-tnk.xml";

private:
    std::function<QString()> m_programPath;
    Runner m_runner;
};
