// Saving fill-ups through the main window's save button, also when the
// process is killed in the middle, and the averages report window: what its
// box shows and styles, its layout limits, the keys that close it.
#include "TestSupport.h"

#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"
#include "records/Form2.h"
#include "records/Report.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

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
// Types the four fields and, with a factor other than "1", makes USD at that factor current first.
void type(Form1& form, const QStringList& fields, const QString& factor = "1")
{
    if (factor != u"1") {
        form.CurDevName = "USD";
        form.CurRateBis = Mixed(factor);
    }
    for (int i = 0; i < 4; ++i)
        QTest::keyClicks(form.Text1[i], fields[i]);
}

void save(Form1& form)
{
    auto* button = form.findChild<QPushButton*>("Command2");
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

// Date, Tanko, Pay and PayCom of record n.
QStringList record(const TestSupport::Environment& env, int n)
{
    QStringList keys;
    for (const char* prefix : {"Date", "Tanko", "Pay", "PayCom"})
        keys << env.get("Anna", prefix + QString::number(n));
    return keys;
}

const QString kWorkedExample = "05 January 2004;07.45;45.5|20 January 2004;08.05;50;77.5 CHF|"
                               "03 February 2004;06.90;0|18 February 2004;00.00;30";

// One digit per character of the document, line breaks included: 1 bold, 2 teal, 3 both.
QString formatCode(const QTextCharFormat& format)
{
    const bool teal =
        format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().color() == QColor(0, 128, 128);
    return QString::number(int(format.fontWeight() == QFont::Bold) + 2 * int(teal));
}

QString shownStyles(const QTextDocument* document)
{
    QString codes;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it)
            codes += formatCode(it.fragment().charFormat()).repeated(it.fragment().length());
        // A break carries the format the next block starts with.
        if (block.next().isValid())
            codes += formatCode(block.next().charFormat());
    }
    return codes;
}

QString builtStyles(const Report& report)
{
    const LineBreakMap map(report.text);
    QString codes(map.documentText().size(), u'0');
    for (const ReportRun& run : report.runs)
        for (qsizetype i = map.documentOffset(run.start); i < map.documentOffset(run.start + run.length); ++i)
            codes[i] = QChar(codes[i].unicode() + (run.style == ReportRun::Bold ? 1 : 2));
    return codes;
}

struct Shown
{
    explicit Shown(const QString& locale = "en", const QString& records = kWorkedExample)
        : env(locale, locale == u"fr" ? 1 : 0, "Paul")
    {
        TestSupport::putRecords(env, "Paul", records);
        form.show();
    }
    TestSupport::Environment env;
    Form2 form;
};
} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private slots:
    // Saved twice in a row: the fields empty after each save, the second record equals the first and
    // the status bar shows the new average.
    void savedRecords_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("factor"); // of USD; "1" keeps the Euro
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("expected"); // Date, Tanko, Pay, PayCom, then the average
        const auto row = [](const char* name, const char* locale, const char* factor, const QStringList& fields,
                            const QStringList& record) {
            QTest::newRow(name) << QString(locale) << QString(factor) << fields << record;
        };
        const char* date = "05 December 2026";
        const char* average = "06.15 Liters / 100 Kms";
        row("first saves of a new user", "en", "1", {"10000", "10650", "40", "60"},
            {date, "06.15", "60", "<absent>", average});
        row("Euro amount kept as typed", "en", "1", {"", "650", "40", "60,50"},
            {date, "06.15", "60,50", "<absent>", average});
        row("no amount stores 0", "en", "1", {"", "650", "40", ""}, {date, "06.15", "0", "<absent>", average});
        row("only an amount stores 00.00", "en", "1", {"", "", "", "60"},
            {date, "00.00", "60", "<absent>", "No saved data"});
        row("USD 46.80 at 0.8", "en", "0.8", {"", "650", "40", "46.80"},
            {date, "06.15", "37.44", "46.80 USD", average});
        row("nl: USD 46,80 at 0,8 is not stored a hundredfold", "nl", "0,8", {"", "650", "40", "46,80"},
            {"05 december 2026", "06,15", "37,44", "46,80 USD", "06,15 Liters / 100 Kms"});
    }

    void savedRecords()
    {
        QFETCH(QString, locale);
        QFETCH(QString, factor);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, expected);
        TestSupport::Environment env(locale);
        Form1 form;
        form.show();
        for (int n = 1; n <= 2; ++n) {
            type(form, fields, factor);
            save(form);
            for (QLineEdit* field : form.Text1)
                QVERIFY(field->text().isEmpty());
        }
        env.reopen();
        QCOMPARE(env.get("Anna", "TotEntry"), QString("2"));
        QCOMPARE(record(env, 1) << form.findChild<QLabel*>("Panel3")->text(), expected);
        QCOMPARE(record(env, 2), expected.mid(0, 4));
        QVERIFY(env.messages.shown.empty());
    }

    // Nothing of the record is written and the fields keep their text; a refused write says so.
    void failedSaveWritesNothing_data()
    {
        QTest::addColumn<QString>("totEntry");
        QTest::addColumn<QString>("factor");
        QTest::addColumn<bool>("refused"); // the store refuses Pay2, as a full disk would
        QTest::newRow("count abc") << QString("abc") << QString("1") << false;
        QTest::newRow("count at the 32-bit limit") << QString("2147483647") << QString("1") << false;
        QTest::newRow("USD factor unreadable") << QString("1") << QString() << false;
        QTest::newRow("store refuses a write") << QString("1") << QString("1") << true;
    }

    void failedSaveWritesNothing()
    {
        QFETCH(QString, totEntry);
        QFETCH(QString, factor);
        QFETCH(bool, refused);
        TestSupport::Environment env;
        env.put("Anna", "TotEntry", totEntry);
        if (refused) {
            TestSupport::refuseKey(env.store().path(), "Pay2");
            env.reopen();
        }
        Form1 form;
        form.show();
        type(form, {"", "650", "40", "60"}, factor);
        form.Command2_Click(); // the button may already be off; the procedure must hold on its own
        QCOMPARE(form.Text1[3]->text(), QString("60"));
        env.reopen();
        QCOMPARE(env.get("Anna", "TotEntry"), totEntry);
        QCOMPARE(env.store().keyCount(u"Anna"), 1);
        if (refused) {
            QCOMPARE(env.messages.shown.size(), size_t(1));
            const TestSupport::Message& m = env.messages.shown[0];
            QVERIFY(m.text.startsWith("The fill-up was not saved.") && m.text.contains("disk is full"));
            QVERIFY(m.style == 16 && m.title == form.windowTitle());
        }
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

    // The box shows the built text as plain text, stored markup included, styled as the built runs say.
    void styledCharactersEqualTheBuiltRuns_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("records");
        QTest::newRow("en: worked example") << QString("en") << kWorkedExample;
        QTest::newRow("fr: French labels and commas")
            << QString("fr") << QString("05 janvier 2004;07,45;45,5|03 février 2004;06,90;12;15 CHF");
        QTest::newRow("en: no records") << QString("en") << QString();
        QTest::newRow("en: stored markup stays text")
            << QString("en") << QString("<i>05</i> January 2004;07.45;45.5;<a href='x'>9 CHF</a>");
    }

    void styledCharactersEqualTheBuiltRuns()
    {
        QFETCH(QString, locale);
        QFETCH(QString, records);
        Shown shown(locale, records);
        const Report report = BuildReport(&shown.env.store(), "Paul");
        QCOMPARE(shown.form.Text1->toPlainText(), QString(report.text).replace("\r\n", "\n"));
        QCOMPARE(shownStyles(shown.form.Text1->document()), builtStyles(report));
        QVERIFY(shown.form.Text1->isReadOnly());
    }

    // Fixed: every rebuild used to leave another document behind in the box.
    void eachActivationRebuildsTheReport()
    {
        Shown shown;
        TestSupport::putRecords(shown.env, "Paul", kWorkedExample + "|02 March 2004;08.00;0");
        for (int i = 0; i < 3; ++i)
            shown.form.Form_Activate();
        QVERIFY(shown.form.Text1->toPlainText().contains(" 02 March 2004 - 08.00 Liters / 100 Kms\n"));
        QVERIFY(shown.form.Text1->isReadOnly());
        QCOMPARE(shown.form.Text1->findChildren<QTextDocument*>(Qt::FindDirectChildrenOnly).size(), 1);
    }

    void resizeKeepsTheMinimumsAndTheLayout_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<bool>("minimumIgnored"); // as under a window manager that does not honour it
        QTest::addColumn<QSize>("expected");
        QTest::newRow("too low") << QSize(600, 100) << false << QSize(600, Form2::MinimumHeight);
        QTest::newRow("too narrow") << QSize(100, 500) << false << QSize(Form2::MinimumWidth, 500);
        QTest::newRow("5 x 5, minimum ignored, snaps back")
            << QSize(5, 5) << true << QSize(Form2::MinimumWidth, Form2::MinimumHeight);
    }

    void resizeKeepsTheMinimumsAndTheLayout()
    {
        QFETCH(QSize, asked);
        QFETCH(bool, minimumIgnored);
        QFETCH(QSize, expected);
        Shown shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.form));
        if (minimumIgnored)
            shown.form.setMinimumSize(0, 0);
        shown.form.resize(asked);
        QTRY_COMPARE(shown.form.size(), expected);
        const int textHeight = expected.height() - Form2::ButtonHeight - Form2::ButtonGap;
        QTRY_COMPARE(shown.form.Text1->geometry(), QRect(0, 0, expected.width(), textHeight));
        QCOMPARE(shown.form.Command1->geometry(), QRect(0, textHeight + 1, expected.width(), 25));
    }

    // Each opening builds a fresh report: a fill-up saved meanwhile and a change of language show.
    // The close button has the focus; Enter closes from the report and from the button.
    void mainWindowOpensAFreshReportEachTime()
    {
        TestSupport::Environment env("en", 0, "Paul");
        TestSupport::putRecords(env, "Paul", kWorkedExample);
        Form1 form1;
        form1.show();
        QString shown;
        const auto open = [&](bool fromText) {
            TestSupport::inNextModal(&form1, [&](QWidget* modal) {
                auto* form2 = qobject_cast<Form2*>(modal);
                QVERIFY(form2 && form2->parentWidget() == &form1 && form2->focusWidget() == form2->Command1);
                QCOMPARE(form2->windowTitle(), QString("Tankometer - Paul - v1.0.43"));
                shown = form2->Command1->text() + " / " + form2->Text1->toPlainText().section(u'\n', -2, -2);
                QTest::keyClick(fromText ? static_cast<QWidget*>(form2->Text1) : form2->Command1, Qt::Key_Return);
                QVERIFY(!form2->isVisible());
            });
            QTest::mouseClick(form1.findChild<QPushButton*>("Command3"), Qt::LeftButton);
            QVERIFY(form1.findChildren<Form2*>().isEmpty());
        };
        open(true);
        QCOMPARE(shown, QString("Close / - Total Average: 07.467 Liters / 100 Kms - Tot: 125.5 €"));
        TestSupport::putRecords(env, "Paul", kWorkedExample + "|02 March 2004;08.00;20");
        Module1::LangOfs = 1;
        open(false);
        // The language changed, the notation of numbers did not.
        QCOMPARE(shown, QString("Fermer / - Moyenne Totale: 07.600 Litres / 100 Kms - Tot: 145.5 €"));
    }
};

int main(int argc, char* argv[])
{
    const QString child = qEnvironmentVariable("TANKO_CRASH_CHILD");
    QApplication app(argc, argv);
    installProgramFont();
    if (!child.isEmpty())
        return childMain(child);
    TestRecords test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_records.moc"
