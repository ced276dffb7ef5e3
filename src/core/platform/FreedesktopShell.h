#pragma once

#include "core/frame/Platform.h"

#include <QStringList>

#include <functional>
#include <vector>

// The shell notification where desktops follow freedesktop.org: the change of
// associations declares ".tnk" files to the account's desktop as MIME type
// application/x-tanko, with a desktop entry that opens them with this program
// and the program's icon, all under XDG_DATA_HOME, then refreshes the caches
// of the tools that are installed. Each file is written whole or not at all;
// a failure is logged (tanko.filetype) and otherwise ignored.
// A program installed with its own desktop entry and MIME type leaves the
// account to those: it writes nothing there, and removes what it wrote.
class FreedesktopShell : public Platform::ShellNotifier
{
public:
    using Runner = std::function<void(const QString& program, const QStringList& arguments)>;

    // programPath() is the program the desktop entry starts (by default the
    // running one); runner starts the cache tools (by default detached).
    explicit FreedesktopShell(std::function<QString()> programPath = {}, Runner runner = {});

    void changeNotify(qint32 eventId, quint32 flags) override;
    // At every start: the copies an earlier run wrote into the account go
    // once the installation declares the type itself.
    void removeAccountCopiesIfInstalled();
    // This very program is the one the installed desktop entry starts, and
    // its MIME type is installed beside it, in a folder of XDG_DATA_DIRS.
    bool installed() const;

    static QString dataHome();
    // One argument of a desktop entry's Exec key, quoted and escaped so that
    // any path reaches the program as one argument, exactly.
    static QString execArgument(const QString& argument);

    static constexpr const char* MimeType = "application/x-tanko";
    static constexpr const char* DesktopFile = "tankometer-tnk.desktop";
    static constexpr const char* MimeFile = "tankometer-tnk.xml";
    // The installation's own, under applications/ and mime/packages/.
    static constexpr const char* InstalledDesktopFile = "org.example.tankometer.desktop";
    static constexpr const char* InstalledMimeFile = "tankometer.xml";

private:
    struct AccountFile
    {
        QString path;
        QByteArray content;
    };
    std::vector<AccountFile> accountFiles() const;
    void refreshCaches(const QString& home);

    std::function<QString()> m_programPath;
    Runner m_runner;
};
