#pragma once

#include "core/Context.h"
#include "core/frame/LocaleInfo.h"
#include "core/frame/Platform.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/StoreLocation.h"

#include <QObject>
#include <QProcess>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// What a test needs around the code under test: its own store in a temporary
// folder, an explicit locale and language, and platform services that record
// what was asked of them instead of opening anything.
class PostgresServer;

namespace TestSupport
{
// "en" (point, comma grouping), "fr" (comma, space grouping), "nl" (comma,
// point grouping), built explicitly, never the machine's own.
LocaleInfo locale(const QString& name);

class FakeLauncher : public Platform::Launcher
{
public:
    bool start(const QString& program) override
    {
        started << program;
        return starts;
    }
    QStringList calculatorPaths() override { return paths; }
    QStringList paths;
    QStringList started;
    bool starts = true; // false: no program can be started
};

class FakeClock : public Platform::Clock
{
public:
    QDateTime now() override { return current; }
    QDateTime current{QDate(2026, 12, 5), QTime(9, 30)};
};

// A registry in memory: "root|key|name" -> value, keys folded as the real ones compare.
class FakeRegistry : public Platform::Registry
{
public:
    std::optional<Platform::RegistryValue> query(quint32 root, const QString& key, const QString& name) override;
    bool setString(quint32 root, const QString& key, const QString& name, const QString& text) override;
    bool setDword(quint32 root, const QString& key, const QString& name, quint32 number) override;
    std::map<QString, Platform::RegistryValue> values;
    int writes = 0;
    bool refuse = false;
};

class FakeShell : public Platform::ShellNotifier
{
public:
    void changeNotify(qint32 eventId, quint32) override { notices << eventId; }
    QList<qint32> notices;
};

class FakeProgram : public Platform::ProgramLocation
{
public:
    QString folder() override { return dir; }
    QString exeName() override { return name; }
    QString filePath() override { return dir + QStringLiteral("/") + name; }
    QString dir = QStringLiteral("/opt/tankometer");
    QString name = QStringLiteral("tankometer");
};

// The store a test runs on: the SQLite file, or a database of its own on a
// PostgreSQL server that the test program starts at its first use and stops
// at its end. A test over both has a column "store" with the rows' names.
inline const char* const Stores[] = {"SQLite", "PostgreSQL"};
bool onServer(const QString& store);
// Whether the store can be used here; if not, why (for QSKIP).
bool canUse(const QString& store, QString* whyNot);
#define TANKO_NEEDS(store)                                                                                             \
    do {                                                                                                               \
        if (QString why_; !TestSupport::canUse(store, &why_))                                                          \
            QSKIP(qPrintable(why_));                                                                                   \
    } while (false)
// The server of the test program, started when first asked for.
PostgresServer& server();

// One test's world. Construct it at the start of a test function: a fresh
// store, the doubles, and a context of its own with the locale, the language
// and the user; nothing process-wide is set.
class Environment
{
public:
    explicit Environment(const QString& localeName = QStringLiteral("en"), int language = 0,
                         const QString& user = QStringLiteral("Anna"), const QString& store = Stores[0]);
    virtual ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    SettingsStore& store() { return *m_store; }
    Context& context();
    Platform::SystemServices services() { return {&clock, &launcher, &registry, &shell, &program, nullptr}; }
    const LocaleInfo& locale() const { return m_locale; }
    QString storePath() const;
    // The file, or the server's database: open a SettingsStore there for another program.
    StoreLocation location() const { return m_location; }
    // Writes keys without going through the program, as a hand edit would.
    void put(const QString& section, const QString& key, const QString& value);
    // Fill-ups as the save button writes them, "date;consumption;amount;amount typed"
    // with "|" between records; "-" leaves a key unwritten, as does an empty amount
    // typed. TotEntry is the number of records.
    void putRecords(const QString& records, const QString& user = QStringLiteral("Anna"));
    // What the file holds, read through a store of its own: "<absent>" for a
    // key never written.
    QString stored(const QString& section, const QString& key) const;
    // Closes and reopens the store, as a new run of the program would; the
    // context is made anew.
    void reopen();
    // The same, opened as account uid, which is given the store's folder: what
    // the modes of the folder and the file refuse it, the store may not write
    // for the rest of the test. Only root changes account; another opens as itself.
    void reopenAs(uint uid);

    FakeLauncher launcher;
    FakeClock clock;
    FakeRegistry registry;
    FakeShell shell;
    FakeProgram program;

protected:
    virtual std::unique_ptr<Context> makeContext();
    QString m_user;
    int m_language = 0;
    LocaleInfo m_locale;

private:
    QTemporaryDir m_dir;
    StoreLocation m_location;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<Context> m_context;
};

// A data table written as text: rows "field|field|..." apart by a line break
// or rowBreak (a line ending in "\" goes on with the next one), then the rows
// of `more` as they are (blanks at their ends kept).
// The one column "row" holds the fields; each row is named by `name` with %1,
// %2 ... standing for its fields ("%1: \"%2\" reads %3").
void addRows(const QString& name, const QString& table, const QStringList& more = {}, QChar rowBreak = u';');

// An account of its own for runs of the whole program: HOME, the data folder
// and the runtime folder in one temporary folder ("~" in paths), nothing on
// the PATH (no desktop cache tools). Programs still running at the end are
// killed.
class ProgramAccount
{
public:
    // `folder` holds the account's folder when given: a short one keeps the
    // runtime folder's socket beside it, whatever the build's depth.
    explicit ProgramAccount(const QString& folder = {});
    ~ProgramAccount();
    QString path(QString inside) const;
    QString store() const { return path(QStringLiteral("~/data/Tanko/tanko.db")); }

    // Started and left running, reading from its stderr; `environment` adds
    // "NAME=value" pairs to the account's (offscreen, as the tests run).
    QProcess* start(const QStringList& arguments = {}, const QStringList& environment = {},
                    const QString& program = QStringLiteral(TANKO_PROGRAM));
    // Run to its end without a display, `input` on its stdin:
    // "exit status|stderr|stdout".
    QString run(const QStringList& arguments, const QByteArray& input = "\n");
    // Past its store and into the user window, which declares the file type.
    bool up(QProcess& process) const;
    // Later starts run as account uid (its group the same number), which gets
    // the whole folder. Root only.
    void runAs(uint uid);
    // Later starts read a terminal of their own (a pseudo-terminal) as stdin.
    void onTerminal() { m_terminal = true; }

private:
    QProcessEnvironment environment() const;
    QTemporaryDir m_dir;
    std::optional<uint> m_uid;
    bool m_terminal = false;
    std::vector<int> m_terminals; // their other ends, open while the programs run
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// A small file system (tmpfs) on a temporary folder for the test's length,
// where a write beyond its size fails as on a full disk ("No space left on
// device"). Mounting needs root; elsewhere mounted() is false.
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes = 64 * 1024);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return m_mounted; }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // Takes up all the space left.
    void fill();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Makes the store's file refuse writes of `key`, as a full disk would; reopen the store after.
void refuseKey(const QString& path, const QString& key, const char* reason = "database or disk is full");
} // namespace TestSupport
