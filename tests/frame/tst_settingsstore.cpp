#include "frame/SettingsStore.h"

#include "frame/Module1.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <csignal>
#include <functional>

// Run as a child process by the durability test: saves numbered values as
// fast as it can, printing each number once its save has returned.
static int childMain(const QString& path)
{
    SettingsStore store(path);
    if (!store.open())
        return 2;
    for (int n = 1;; ++n) {
        if (!store.save(QStringLiteral("Anna"), QStringLiteral("Value%1").arg(n), QString::number(n)))
            return 3;
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}

namespace
{
QByteArray fileHash(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Makes the file refuse one key, as a full disk would in the middle of a group.
void refuseKey(const QString& path, const QString& key)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const QString sql = QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON settings WHEN NEW.key = '%1' "
                                       "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END")
                            .arg(key);
    QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}
} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void defaultsOfKeysNeverWritten_data();
    void defaultsOfKeysNeverWritten();
    void namesIgnoreLetterCase();
    void firstSpellingIsKept();
    void valuesSurviveReopening();
    void numberedLookupMatchesKeys();
    void groupIsAllOrNothing();
    void savedValueSurvivesKill();
    void damagedFileIsLeftUntouched_data();
    void damagedFileIsLeftUntouched();
    void missingFolderIsCreated();
};

void TestSettingsStore::defaultsOfKeysNeverWritten_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("number 0 gives \"0\"") << "en" << "zero" << "0";
    QTest::newRow("fr: number 1.5 in the locale") << "fr" << "onePointFive" << "1,5";
    QTest::newRow("text Euro") << "en" << "euro" << "Euro";
    QTest::newRow("True") << "nl" << "true" << "True";
    QTest::newRow("empty text") << "en" << "empty" << "";
}

void TestSettingsStore::defaultsOfKeysNeverWritten()
{
    QFETCH(QString, localeName);
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    TestSupport::Environment env(localeName);
    QString got;
    if (kind == u"zero")
        got = GetSetting(u"Tanko", u"Anna", u"TotEntry", 0);
    else if (kind == u"onePointFive")
        got = GetSetting(u"Tanko", u"Anna", u"Rate", 1.5);
    else if (kind == u"euro")
        got = GetSetting(u"Tanko", u"Devises", u"Dev4", "Euro");
    else if (kind == u"true")
        got = GetSetting(u"Tanko", u"Anna", u"AffCurrMess", true);
    else
        got = GetSetting(u"Tanko", u"Option", u"LastUser", "");
    QCOMPARE(got, expected);
}

void TestSettingsStore::namesIgnoreLetterCase()
{
    TestSupport::Environment env;
    QVERIFY(SaveSetting(u"Tanko", QStringLiteral("Anna"), QStringLiteral("TotEntry"), QStringLiteral("3")));
    QCOMPARE(GetSetting(u"Tanko", u"ANNA", u"totentry", 0), QStringLiteral("3"));
    QCOMPARE(GetSetting(u"Tanko", u"anna", u"TOTENTRY", 0), QStringLiteral("3"));
    QVERIFY(SaveSetting(u"Tanko", QStringLiteral("Élodie"), QStringLiteral("Lang"), QStringLiteral("1")));
    QCOMPARE(GetSetting(u"Tanko", u"ÉLODIE", u"lang", ""), QStringLiteral("1"));
    QCOMPARE(GetSetting(u"Tanko", u"élodie", u"LÀNG", "none"), QStringLiteral("none"));
    // A second spelling rewrites the one value.
    QVERIFY(SaveSetting(u"Tanko", QStringLiteral("anna"), QStringLiteral("TOTENTRY"), QStringLiteral("4")));
    env.reopen();
    QCOMPARE(GetSetting(u"Tanko", u"Anna", u"TotEntry", 0), QStringLiteral("4"));
}

void TestSettingsStore::firstSpellingIsKept()
{
    TestSupport::Environment env;
    env.put(QStringLiteral("Anna"), QStringLiteral("Date1"), QStringLiteral("a"));
    env.put(QStringLiteral("ANNA"), QStringLiteral("DATE1"), QStringLiteral("b"));
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(env.store().path().toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT section, key, value FROM settings", -1, &stmt, nullptr);
    QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
    QCOMPARE(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))), QStringLiteral("Anna"));
    QCOMPARE(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))), QStringLiteral("Date1"));
    QCOMPARE(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2))), QStringLiteral("b"));
    QCOMPARE(sqlite3_step(stmt), SQLITE_DONE);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

void TestSettingsStore::valuesSurviveReopening()
{
    TestSupport::Environment env;
    env.put(QStringLiteral("Option"), QStringLiteral("User1"), QStringLiteral("Anna"));
    env.put(QStringLiteral("Anna"), QStringLiteral("Tanko1"), QStringLiteral("06.15"));
    QCOMPARE(GetSetting(u"Tanko", u"Option", u"User1", ""), QStringLiteral("Anna")); // loads the section
    env.reopen();
    QCOMPARE(GetSetting(u"Tanko", u"Option", u"User1", ""), QStringLiteral("Anna"));
    QCOMPARE(GetSetting(u"Tanko", u"Anna", u"Tanko1", 0), QStringLiteral("06.15"));
}

void TestSettingsStore::numberedLookupMatchesKeys()
{
    TestSupport::Environment env;
    for (int n : {1, 9, 10, 12345})
        env.put(QStringLiteral("Anna"), QStringLiteral("Tanko%1").arg(n), QString::number(n));
    for (int n : {1, 9, 10, 12345})
        QCOMPARE(*env.store().findNumbered(u"anna", u"TANKO", n), QString::number(n));
    QVERIFY(!env.store().findNumbered(u"Anna", u"Tanko", 2));
    QVERIFY(!env.store().findNumbered(u"Anna", u"Tanko", 123));
    QCOMPARE(env.store().keyCount(u"Anna"), 4);
    // Keys written after the first numbered read are found too; a leading zero makes another key.
    env.put(QStringLiteral("Anna"), QStringLiteral("Tanko2"), QStringLiteral("two"));
    env.put(QStringLiteral("Anna"), QStringLiteral("tanko03"), QStringLiteral("zero-three"));
    env.put(QStringLiteral("Anna"), QStringLiteral("Tanko99999"), QStringLiteral("far"));
    QCOMPARE(*env.store().findNumbered(u"Anna", u"Tanko", 2), QStringLiteral("two"));
    QVERIFY(!env.store().findNumbered(u"Anna", u"Tanko", 3));
    QCOMPARE(*env.store().findNumbered(u"Anna", u"Tanko", 99999), QStringLiteral("far"));
    env.put(QStringLiteral("Anna"), QStringLiteral("Tanko2"), QStringLiteral("again"));
    QCOMPARE(*env.store().findNumbered(u"Anna", u"Tanko", 2), QStringLiteral("again"));
}

void TestSettingsStore::groupIsAllOrNothing()
{
    TestSupport::Environment env;
    env.put(QStringLiteral("Anna"), QStringLiteral("TotEntry"), QStringLiteral("1"));
    refuseKey(env.store().path(), QStringLiteral("Pay2"));
    env.reopen();
    const std::vector<SettingsStore::Write> group{{"Anna", "TotEntry", "2"},
                                                  {"Anna", "Date2", "05 December 2026"},
                                                  {"Anna", "Tanko2", "06.15"},
                                                  {"Anna", "Pay2", "60"}};
    QVERIFY(!env.store().saveAll(group));
    QVERIFY(env.store().lastError().contains(QStringLiteral("disk is full")));
    QCOMPARE(env.get("Anna", "TotEntry"), QStringLiteral("1"));
    QCOMPARE(env.get("Anna", "Date2"), QStringLiteral("<absent>"));
    env.reopen();
    QCOMPARE(env.get("Anna", "TotEntry"), QStringLiteral("1"));
    QCOMPARE(env.get("Anna", "Tanko2"), QStringLiteral("<absent>"));
    // The store stays usable after the refusal.
    QVERIFY(env.store().save(QStringLiteral("Anna"), QStringLiteral("TotEntry"), QStringLiteral("5")));
}

void TestSettingsStore::savedValueSurvivesKill()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tanko.db"));
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TANKO_STORE_CHILD"), path);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted());
    // Let it get going, then kill it in the middle of whatever it does.
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).count('\n') >= 3, 10000);
    QTest::qWait(20);
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();
    output += child.readAllStandardOutput();
    const QList<QByteArray> reported = output.trimmed().split('\n');
    const int lastReported = reported.last().toInt();
    QVERIFY(lastReported >= 3);

    SettingsStore store(path);
    QVERIFY2(store.open(), qPrintable(store.lastError()));
    for (int n = 1; n <= lastReported; ++n)
        QCOMPARE(store.find(u"Anna", QStringLiteral("Value%1").arg(n)) != nullptr, true);
}

void TestSettingsStore::damagedFileIsLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QByteArray random(8192, 0);
    for (char& c : random)
        c = char(QRandomGenerator::global()->bounded(256));
    const auto fileOf = [](const std::function<void(const QString&)>& make) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tanko.db"));
        make(path);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    };
    const QByteArray sound = fileOf([](const QString& path) {
        SettingsStore store(path);
        store.open();
        std::vector<SettingsStore::Write> writes;
        for (int n = 0; n < 400; ++n)
            writes.push_back({QStringLiteral("Anna"), QStringLiteral("Key%1").arg(n), QString(200, u'x')});
        store.saveAll(writes);
    });
    const QByteArray otherSchema = fileOf([](const QString& path) {
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db, "CREATE TABLE notes(text TEXT); INSERT INTO notes VALUES('hello')", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
    QTest::newRow("empty file") << QByteArray() << "empty";
    QTest::newRow("zeroed") << QByteArray(8192, 0) << "not a readable";
    QTest::newRow("random bytes") << random << "not a readable";
    QTest::newRow("text file") << QByteArray("Date1=05 December 2026\n") << "not a readable";
    QTest::newRow("truncated store") << sound.left(sound.size() / 2) << "";
    QTest::newRow("another program's database") << otherSchema << "not a Tankometer store";
}

void TestSettingsStore::damagedFileIsLeftUntouched()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tanko.db"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const QByteArray before = fileHash(path);
    {
        TestSupport::Environment env; // its fake message boxes
        SettingsStore store(path);
        QVERIFY(!OpenStore(store));
        QVERIFY2(store.lastError().contains(reason), qPrintable(store.lastError()));
        QCOMPARE(env.messages.shown.size(), size_t(1));
        QCOMPARE(env.messages.shown[0].style, 16);
        QVERIFY(env.messages.shown[0].text.contains(path));
        QVERIFY(env.messages.shown[0].text.contains(store.lastError()));
        QVERIFY(!store.save(QStringLiteral("Anna"), QStringLiteral("TotEntry"), QStringLiteral("1")));
    }
    QCOMPARE(fileHash(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("tanko.db")});
}

void TestSettingsStore::missingFolderIsCreated()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("a/b/tanko.db")));
    QVERIFY(store.open());
    QVERIFY(store.save(QStringLiteral("Option"), QStringLiteral("TotUsers"), QStringLiteral("1")));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("a/b/tanko.db"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("a/b/tanko.db.new"))));
}

int main(int argc, char* argv[])
{
    const QString child = qEnvironmentVariable("TANKO_STORE_CHILD");
    QCoreApplication app(argc, argv);
    if (!child.isEmpty())
        return childMain(child);
    TestSettingsStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsstore.moc"
