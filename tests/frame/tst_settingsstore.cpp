// The settings store: defaults, names compared without letter case, reopening,
// all-or-nothing groups, durability and damaged files.
#include "frame/SettingsStore.h"

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <sqlite3.h>

#include <csignal>

// Run as a child process by the durability test: saves numbered values as
// fast as it can, printing each number once its save has returned.
static int childMain(const QString& path)
{
    SettingsStore store(path);
    if (!store.open())
        return 2;
    for (int n = 1;; ++n) {
        if (!store.save("Anna", QStringLiteral("Value%1").arg(n), QString::number(n)))
            return 3;
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}

namespace
{
QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void defaultsOfKeysNeverWritten()
    {
        TestSupport::Environment env("fr");
        QCOMPARE(GetSetting(u"Tanko", u"Anna", u"TotEntry", 0), QString("0"));
        QCOMPARE(GetSetting(u"Tanko", u"Anna", u"Rate", 1.5), QString("1,5"));
        QCOMPARE(GetSetting(u"Tanko", u"Devises", u"Dev4", "Euro"), QString("Euro"));
        QCOMPARE(GetSetting(u"Tanko", u"Anna", u"AffCurrMess", true), QString("True"));
    }

    void namesIgnoreLetterCaseAndSurviveReopening()
    {
        TestSupport::Environment env;
        QVERIFY(SaveSetting(u"Tanko", "Anna", "Date1", "a"));
        QVERIFY(SaveSetting(u"Tanko", "Élodie", "Lang", "1"));
        QCOMPARE(GetSetting(u"Tanko", u"ANNA", u"date1", 0), QString("a"));
        QCOMPARE(GetSetting(u"Tanko", u"ÉLODIE", u"lang", ""), QString("1"));
        QCOMPARE(GetSetting(u"Tanko", u"élodie", u"LÀNG", "none"), QString("none"));
        // A second spelling rewrites the one value and keeps the first spelling.
        QVERIFY(SaveSetting(u"Tanko", "ANNA", "DATE1", "b"));
        env.reopen();
        QCOMPARE(GetSetting(u"Tanko", u"Anna", u"Date1", 0), QString("b"));
        sqlite3* db = nullptr;
        sqlite3_stmt* stmt = nullptr;
        QCOMPARE(sqlite3_open(env.store().path().toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_prepare_v2(db, "SELECT section || '/' || key || '=' || value FROM settings ORDER BY 1", -1, &stmt,
                           nullptr);
        QStringList rows;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        QCOMPARE(rows, (QStringList{"Anna/Date1=b", "Élodie/Lang=1"}));
    }

    void numberedLookupMatchesKeys()
    {
        TestSupport::Environment env;
        for (int n : {1, 10, 12345})
            env.put("Anna", QStringLiteral("Tanko%1").arg(n), QString::number(n));
        QCOMPARE(*env.store().findNumbered(u"anna", u"TANKO", 12345), QString("12345"));
        QVERIFY(!env.store().findNumbered(u"Anna", u"Tanko", 123));
        // Keys written after the first numbered read are found too; a leading zero makes another key.
        env.put("Anna", "Tanko2", "two");
        env.put("Anna", "tanko03", "zero-three");
        QCOMPARE(*env.store().findNumbered(u"Anna", u"Tanko", 2), QString("two"));
        QVERIFY(!env.store().findNumbered(u"Anna", u"Tanko", 3));
        env.put("Anna", "Tanko2", "again");
        QCOMPARE(*env.store().findNumbered(u"Anna", u"Tanko", 2), QString("again"));
    }

    void groupIsAllOrNothing()
    {
        TestSupport::Environment env;
        env.put("Anna", "TotEntry", "1");
        TestSupport::refuseKey(env.store().path(), "Pay2");
        env.reopen();
        QVERIFY(!env.store().saveAll({{"Anna", "TotEntry", "2"}, {"Anna", "Tanko2", "06.15"}, {"Anna", "Pay2", "60"}}));
        QVERIFY(env.store().lastError().contains("disk is full"));
        QCOMPARE(env.get("Anna", "TotEntry"), QString("1"));
        env.reopen();
        QCOMPARE(env.get("Anna", "TotEntry") + env.get("Anna", "Tanko2"), QString("1<absent>"));
        // The store stays usable after the refusal.
        QVERIFY(env.store().save("Anna", "TotEntry", "5"));
    }

    void savedValueSurvivesKill()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tanko.db");
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TANKO_STORE_CHILD", path);
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        // Let it get going, then kill it in the middle of whatever it does.
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).count('\n') >= 3, 10000);
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        output += child.readAllStandardOutput();
        const int lastReported = output.trimmed().split('\n').last().toInt();
        SettingsStore store(path);
        QVERIFY2(store.open(), qPrintable(store.lastError()));
        for (int n = 1; n <= lastReported; ++n)
            QVERIFY(store.find(u"Anna", QStringLiteral("Value%1").arg(n)));
    }

    void damagedFileIsLeftUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QByteArray random(8192, 0);
        for (char& c : random)
            c = char(QRandomGenerator::global()->bounded(256));
        QTemporaryDir dir;
        {
            SettingsStore store(dir.filePath("sound.db"));
            store.open();
            std::vector<SettingsStore::Write> writes;
            for (int n = 0; n < 400; ++n)
                writes.push_back({"Anna", QStringLiteral("Key%1").arg(n), QString(200, u'x')});
            store.saveAll(writes);
        }
        sqlite3* db = nullptr;
        sqlite3_open(dir.filePath("other.db").toUtf8().constData(), &db);
        sqlite3_exec(db, "CREATE TABLE notes(text TEXT)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        const QByteArray sound = fileBytes(dir.filePath("sound.db"));
        QTest::newRow("empty file") << QByteArray() << "empty";
        QTest::newRow("random bytes") << random << "not a readable";
        QTest::newRow("truncated store") << sound.left(sound.size() / 2) << "";
        QTest::newRow("another program's database") << fileBytes(dir.filePath("other.db")) << "not a Tankometer store";
    }

    void damagedFileIsLeftUntouched()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("tanko.db");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        {
            TestSupport::Environment env; // its fake message boxes
            SettingsStore store(path);
            QVERIFY(!OpenStore(store));
            QVERIFY2(store.lastError().contains(reason), qPrintable(store.lastError()));
            QCOMPARE(env.messages.shown.size(), size_t(1));
            QCOMPARE(env.messages.shown[0].style, 16);
            QVERIFY(env.messages.shown[0].text.contains(path));
            QVERIFY(env.messages.shown[0].text.contains(store.lastError()));
            QVERIFY(!store.save("Anna", "TotEntry", "1"));
        }
        QCOMPARE(fileBytes(path), content);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"tanko.db"});
    }
};

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
