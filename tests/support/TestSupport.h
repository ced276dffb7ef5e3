#pragma once

#include "frame/LocaleInfo.h"
#include "frame/Platform.h"
#include "frame/SettingsStore.h"

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// What a test needs around the code under test: its own store in a temporary
// folder, an explicit locale and language, and platform services that record
// what was asked of them instead of opening anything.
namespace TestSupport
{
// "en" (point), "fr" (comma, space grouping), "nl" (comma, point grouping).
LocaleInfo locale(const QString& name);

struct Message
{
    QString text;
    int style;
    QString title;
};

class FakeMessages : public Platform::MessageBoxes
{
public:
    void show(QWidget*, const QString& text, int style, const QString& title) override
    {
        shown.push_back({text, style, title});
    }
    std::vector<Message> shown;
};

class FakeLauncher : public Platform::Launcher
{
public:
    bool start(const QString& program) override
    {
        started << program;
        return true;
    }
    QStringList calculatorPaths() override { return paths; }
    QStringList paths;
    QStringList started;
};

class FakeClock : public Platform::Clock
{
public:
    QDateTime now() override { return current; }
    QDateTime current{QDate(2026, 12, 5), QTime(9, 30)};
};

// One test's world. Construct it at the start of a test function: it installs
// a fresh store, the locale and the fakes, and puts everything back after.
class Environment
{
public:
    explicit Environment(const QString& localeName = QStringLiteral("en"), float langOfs = 0,
                         const QString& user = QStringLiteral("Anna"));
    ~Environment();

    SettingsStore& store() { return *m_store; }
    // Writes keys without going through the program, as a hand edit would.
    void put(const QString& section, const QString& key, const QString& value);
    QString get(const QString& section, const QString& key) const;
    // Closes and reopens the store, as a new run of the program would.
    void reopen();

    FakeMessages messages;
    FakeLauncher launcher;
    FakeClock clock;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_store;
    Platform::Services m_saved;
};

// Fill-ups as the save button writes them, "date;consumption;amount;amount typed"
// with "|" between records; "-" leaves a key unwritten, as does an empty amount typed.
void putRecords(Environment& env, const QString& user, const QString& records);

// Makes the store's file refuse writes of `key`, as a full disk would; reopen the store after.
void refuseKey(const QString& path, const QString& key, const char* reason = "database or disk is full");

// Runs `inside` on the modal window the next step opens, then closes it if it is still open.
// Nothing runs once `context` is gone.
void inNextModal(QObject* context, const std::function<void(QWidget*)>& inside);
} // namespace TestSupport
