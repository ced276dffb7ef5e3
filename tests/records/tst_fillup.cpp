// Saving fill-ups through the main window's save button, also when the
// process is killed in the middle.
#include "TestSupport.h"

#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <cstdio>

// The child: saves fill-ups through the main window as fast as it can and
// prints the record count after each save has returned.
static int childMain(const QString& path)
{
    SettingsStore store(path);
    if (!store.open())
        return 2;
    SettingsStore::setCurrent(&store);
    Module1::CurUser = QString("Anna");
    Form1 form;
    form.show();
    for (;;) {
        form.Text1[1]->setText(QString("650"));
        form.Text1[2]->setText(QString("40"));
        form.Text1[3]->setText(QString("60"));
        form.Command2_Click();
        if (!form.Text1[3]->text().isEmpty())
            return 3; // the save did not happen
        std::printf("%s\n", qPrintable(*store.find(u"Anna", u"TotEntry")));
        std::fflush(stdout);
    }
}

namespace
{
void type(Form1& form, const QStringList& fields)
{
    for (int i = 0; i < 4; ++i)
        QTest::keyClicks(form.Text1[i], fields[i]);
}

void save(Form1& form)
{
    auto* button = form.findChild<QPushButton*>("Command2");
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList record(const TestSupport::Environment& env, int n)
{
    QStringList keys;
    for (const char* prefix : {"Date", "Tanko", "Pay", "PayCom"})
        keys << env.get("Anna", prefix + QString::number(n));
    return keys;
}
} // namespace

class TestFillUp : public QObject
{
    Q_OBJECT

private slots:
    void savedRecord_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("factor"); // of USD; "1" keeps the Euro
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("record"); // Date, Tanko, Pay, PayCom
        const auto row = [](const char* name, const char* locale, const char* factor, const QStringList& fields,
                            const QStringList& record) {
            QTest::newRow(name) << QString(locale) << QString(factor) << fields << record;
        };
        const char* date = "05 December 2026";
        row("first save of a new user", "en", "1", {"10000", "10650", "40", "60"}, {date, "06.15", "60", "<absent>"});
        row("Euro amount kept as typed", "en", "1", {"", "650", "40", "60,50"}, {date, "06.15", "60,50", "<absent>"});
        row("no amount stores 0", "en", "1", {"", "650", "40", ""}, {date, "06.15", "0", "<absent>"});
        row("only an amount stores 00.00", "en", "1", {"", "", "", "60"}, {date, "00.00", "60", "<absent>"});
        row("USD 46.80 at 0.8", "en", "0.8", {"", "650", "40", "46.80"}, {date, "06.15", "37.44", "46.80 USD"});
        row("nl: USD 46,80 at 0,8 is not stored a hundredfold", "nl", "0,8", {"", "650", "40", "46,80"},
            {"05 december 2026", "06,15", "37,44", "46,80 USD"});
    }

    void savedRecord()
    {
        QFETCH(QString, locale);
        QFETCH(QString, factor);
        QFETCH(QStringList, fields);
        TestSupport::Environment env(locale);
        Form1 form;
        form.show();
        if (factor != u"1") {
            form.CurDevName = "USD";
            form.CurRateBis = Mixed(factor);
        }
        type(form, fields);
        save(form);
        QCOMPARE(env.get("Anna", "TotEntry"), QString("1"));
        QTEST(record(env, 1), "record");
        QVERIFY(env.messages.shown.empty());
    }

    void twoSavesInARow()
    {
        TestSupport::Environment env;
        env.put("Anna", "TotEntry", "1");
        env.put("Anna", "Tanko1", "05.91");
        Form1 form;
        form.show();
        QCOMPARE(form.findChild<QLabel*>("Panel3")->text(), QString("05.91 Liters / 100 Kms"));
        type(form, {"10000", "10650", "40", "60"});
        save(form);
        for (QLineEdit* field : form.Text1)
            QVERIFY(field->text().isEmpty());
        QCOMPARE(form.Label1[0]->text(), QString("No valid distance"));
        QCOMPARE(form.Label1[1]->text(), QString());
        QVERIFY(!form.findChild<QPushButton*>("Command2")->isEnabled());
        QCOMPARE(form.findChild<QLabel*>("Panel3")->text(), QString("06.03 Liters / 100 Kms"));

        form.Label1[8]->setText("06 December 2026");
        type(form, {"", "500", "40", "55"});
        save(form);
        env.reopen();
        QCOMPARE(env.get("Anna", "TotEntry"), QString("3"));
        QCOMPARE(record(env, 2), (QStringList{"05 December 2026", "06.15", "60", "<absent>"}));
        QCOMPARE(record(env, 3), (QStringList{"06 December 2026", "08.00", "55", "<absent>"}));
    }

    void refusedWriteSavesNothingAndSaysSo()
    {
        TestSupport::Environment env;
        env.put("Anna", "TotEntry", "1");
        TestSupport::refuseKey(env.store().path(), "Pay2");
        env.reopen();
        Form1 form;
        form.show();
        type(form, {"", "650", "40", "60"});
        save(form);
        QCOMPARE(env.messages.shown.size(), size_t(1));
        QCOMPARE(env.messages.shown[0].style, 16);
        QVERIFY(env.messages.shown[0].text.startsWith("The fill-up was not saved."));
        QVERIFY(env.messages.shown[0].text.contains("disk is full"));
        QCOMPARE(env.messages.shown[0].title, form.windowTitle());
        QCOMPARE(form.Text1[3]->text(), QString("60"));
        env.reopen();
        QCOMPARE(env.get("Anna", "TotEntry"), QString("1"));
        QCOMPARE(record(env, 2), (QStringList{"<absent>", "<absent>", "<absent>", "<absent>"}));
    }

    void unreadableValuesSaveNothing_data()
    {
        QTest::addColumn<QString>("totEntry");
        QTest::addColumn<QString>("factor");
        QTest::newRow("count abc") << "abc"
                                   << "1";
        QTest::newRow("count at the 32-bit limit") << "2147483647"
                                                   << "1";
        QTest::newRow("USD factor unreadable") << "1"
                                               << "";
    }

    void unreadableValuesSaveNothing()
    {
        QFETCH(QString, totEntry);
        QFETCH(QString, factor);
        TestSupport::Environment env;
        env.put("Anna", "TotEntry", totEntry);
        Form1 form;
        form.show();
        type(form, {"", "650", "40", ""});
        if (factor != u"1") {
            form.CurDevName = "USD";
            form.CurRateBis = Mixed(factor);
        }
        form.Text1[3]->setText("60"); // the factor is only read on save
        form.Command2_Click();        // the button may already be off; the procedure must hold on its own
        QCOMPARE(env.get("Anna", "TotEntry"), totEntry);
        QCOMPARE(env.store().keyCount(u"Anna"), 1);
        QCOMPARE(form.Text1[3]->text(), QString("60"));
    }

    // A save confirmed to the user survives a kill at any moment, and no record is left half-written.
    void killedWhileSavingLosesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString("tanko.db"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString("TANKO_CRASH_CHILD"), path);
        environment.insert(QString("QT_QPA_PLATFORM"), QString("offscreen"));
        QRandomGenerator random(20261206);
        int confirmed = 0;
        for (int kill = 0; kill < 50; ++kill) {
            QProcess child;
            child.setProcessEnvironment(environment);
            child.start(QCoreApplication::applicationFilePath(), {});
            // Wait for the first confirmed save, then kill at a varied moment.
            QByteArray output;
            QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).contains('\n'), 20000);
            QTest::qSleep(int(random.bounded(15)));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished());
            output += child.readAllStandardOutput();
            confirmed = std::max(confirmed, output.trimmed().split('\n').last().toInt());

            SettingsStore store(path);
            QVERIFY2(store.open(), qPrintable(store.lastError()));
            const int total = store.find(u"Anna", u"TotEntry")->toInt();
            QVERIFY2(total >= confirmed, qPrintable(QString("%1 < %2").arg(total).arg(confirmed)));
            // Every counted record is whole, and none lies beyond the count.
            for (int n = 1; n <= total + 1; ++n)
                for (const char16_t* key : {u"Date", u"Tanko", u"Pay"})
                    QCOMPARE(store.findNumbered(u"Anna", key, n) != nullptr, n <= total);
        }
    }
};

int main(int argc, char* argv[])
{
    const QString child = qEnvironmentVariable("TANKO_CRASH_CHILD");
    QApplication app(argc, argv);
    installProgramFont();
    if (!child.isEmpty())
        return childMain(child);
    TestFillUp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fillup.moc"
