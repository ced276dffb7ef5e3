// The averages report window: what the box shows and styles, its layout
// limits, the keys that close it, and its opening from the main window.
#include "TestSupport.h"

#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"
#include "records/Form2.h"
#include "records/Report.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

namespace
{
using Records = QList<QStringList>;

void storeRecords(TestSupport::Environment& env, const QString& user, const Records& records)
{
    std::vector<SettingsStore::Write> writes{{user, QStringLiteral("TotEntry"), QString::number(records.size())}};
    for (int n = 1; n <= records.size(); ++n) {
        const QStringList& r = records[n - 1];
        writes.push_back({user, QStringLiteral("Date%1").arg(n), r.value(0)});
        writes.push_back({user, QStringLiteral("Tanko%1").arg(n), r.value(1)});
        writes.push_back({user, QStringLiteral("Pay%1").arg(n), r.value(2)});
        if (!r.value(3).isEmpty())
            writes.push_back({user, QStringLiteral("PayCom%1").arg(n), r.value(3)});
    }
    QVERIFY(env.store().saveAll(writes));
}

const Records kWorkedExample{{"05 January 2004", "07.45", "45.5", ""},
                             {"20 January 2004", "08.05", "50", "77.5 CHF"},
                             {"03 February 2004", "06.90", "0", ""},
                             {"18 February 2004", "00.00", "30", ""}};

struct Styles
{
    QList<bool> bold;
    QList<bool> teal;
};

bool isTeal(const QTextCharFormat& format)
{
    return format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().color() == QColor(0, 128, 128);
}

// Bold and teal of every character of the document, line breaks included (a
// break's format is the one the next block starts with).
Styles documentStyles(const QTextDocument* document)
{
    Styles styles;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            for (int i = 0; i < fragment.length(); ++i) {
                styles.bold << (fragment.charFormat().fontWeight() == QFont::Bold);
                styles.teal << isTeal(fragment.charFormat());
            }
        }
        if (block.next().isValid()) {
            const QTextCharFormat separator = block.next().charFormat();
            styles.bold << (separator.fontWeight() == QFont::Bold);
            styles.teal << isTeal(separator);
        }
    }
    return styles;
}

// The same characters as the built report would style them, in document offsets.
Styles expectedStyles(const Report& report)
{
    const LineBreakMap map(report.text);
    const qsizetype size = map.documentText().size();
    Styles styles{QList<bool>(size, false), QList<bool>(size, false)};
    for (const ReportRun& run : report.runs) {
        auto& marks = run.style == ReportRun::Bold ? styles.bold : styles.teal;
        for (qsizetype i = map.documentOffset(run.start); i < map.documentOffset(run.start + run.length); ++i)
            marks[i] = true;
    }
    return styles;
}

// Opens the report from the main window's button, runs `inside` while it is
// shown modally, and closes it there if `inside` did not.
void openReport(Form1& form1, const std::function<void(Form2*)>& inside)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* form2 = qobject_cast<Form2*>(QApplication::activeModalWidget());
        ran = true;
        if (form2)
            inside(form2);
        if (form2 && form2->isVisible())
            form2->close();
    });
    QTest::mouseClick(form1.findChild<QPushButton*>("Command3"), Qt::LeftButton);
    QVERIFY(ran);
}
} // namespace

class TestReportWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void styledCharactersEqualTheBuiltRuns_data();
    void styledCharactersEqualTheBuiltRuns();
    void eachActivationRebuildsTheReport();
    void storedMarkupStaysText();
    void longReportScrollsVertically();
    void titleAndButtonFollowTheLanguage_data();
    void titleAndButtonFollowTheLanguage();
    void resizeKeepsTheMinimumsAndTheLayout_data();
    void resizeKeepsTheMinimumsAndTheLayout();
    void snapsBackWhenTheMinimumIsIgnored();
    void closeButtonHasTheFocusAndClosesByKey_data();
    void closeButtonHasTheFocusAndClosesByKey();
    void enterInTheReportCloses_data();
    void enterInTheReportCloses();
    void otherKeysLeaveTheReportOpen();
    void mainWindowOpensAFreshReportEachTime();
};

void TestReportWindow::initTestCase()
{
    installProgramFont();
}

void TestReportWindow::styledCharactersEqualTheBuiltRuns_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Records>("records");

    QTest::newRow("en: worked example") << "en" << kWorkedExample;
    QTest::newRow("fr: French labels and commas")
        << "fr" << Records{{"05 janvier 2004", "07,45", "45,5", ""}, {"03 février 2004", "06,90", "12", "15 CHF"}};
    QTest::newRow("en: no records") << "en" << Records{};
    QTest::newRow("en: total amount 0") << "en" << Records{{"01 May 2004", "06.00", "0", ""}};
    QTest::newRow("en: average between 0 and 1") << "en" << Records{{"01 May 2004", "00.50", "10", ""}};
}

void TestReportWindow::styledCharactersEqualTheBuiltRuns()
{
    QFETCH(QString, locale);
    QFETCH(Records, records);
    TestSupport::Environment env(locale, locale == "fr" ? 1 : 0, "Paul");
    if (!records.isEmpty())
        storeRecords(env, "Paul", records);

    Form2 form;
    form.show();
    const Report report = BuildReport(&env.store(), "Paul");
    QCOMPARE(form.Text1->toPlainText(), QString(report.text).replace("\r\n", "\n"));
    const Styles shown = documentStyles(form.Text1->document());
    const Styles expected = expectedStyles(report);
    QCOMPARE(shown.bold.size(), expected.bold.size());
    for (qsizetype i = 0; i < expected.bold.size(); ++i) {
        const QByteArray where = QByteArray::number(i) + " '" + form.Text1->toPlainText().mid(i, 1).toUtf8() + "'";
        QVERIFY2(shown.bold[i] == expected.bold[i], "bold differs at " + where);
        QVERIFY2(shown.teal[i] == expected.teal[i], "teal differs at " + where);
    }
    QVERIFY(form.Text1->isReadOnly());
    QCOMPARE(form.ReportText, BuildReportBody(&env.store(), "Paul").text);
}

void TestReportWindow::eachActivationRebuildsTheReport()
{
    TestSupport::Environment env("en", 0, "Anna");
    storeRecords(env, "Anna", kWorkedExample);
    Form2 form;
    form.show();
    QVERIFY(!form.Text1->toPlainText().contains("02 March 2004"));
    env.put("Anna", "TotEntry", "5");
    env.put("Anna", "Date5", "02 March 2004");
    env.put("Anna", "Tanko5", "08.00");
    for (int i = 0; i < 3; ++i)
        form.Form_Activate();
    QVERIFY(form.Text1->toPlainText().contains(" 02 March 2004 - 08.00 Liters / 100 Kms\n"));
    QVERIFY(form.Text1->isReadOnly());
    QCOMPARE(form.Text1->findChildren<QTextDocument*>(Qt::FindDirectChildrenOnly).size(), 1);
}

void TestReportWindow::storedMarkupStaysText()
{
    TestSupport::Environment env("en", 0, "<b>Paul</b>");
    storeRecords(env, "<b>Paul</b>", {{"<i>05</i> January 2004", "07.45", "45.5", "<a href='x'>9 CHF</a>"}});
    Form2 form;
    form.show();
    const QString shown = form.Text1->toPlainText();
    QVERIFY(shown.contains(" User: <b>Paul</b>\n"));
    QVERIFY(shown.contains(" <i>05</i> January 2004 - 07.45 Liters / 100 Kms - Tot: 45.5 € (<a href='x'>9 CHF</a>)\n"));
}

void TestReportWindow::longReportScrollsVertically()
{
    TestSupport::Environment env("en", 0, "Anna");
    Records records;
    for (int i = 0; i < 300; ++i)
        records << QStringList{QStringLiteral("%1 March 2004").arg(1 + i % 28, 2, 10, QChar('0')), "06.50", "40", ""};
    storeRecords(env, "Anna", records);
    Form2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY(form.Text1->verticalScrollBar()->maximum() > 0);
    QCOMPARE(form.Text1->horizontalScrollBar()->maximum(), 0);
    QVERIFY(form.Text1->toPlainText().endsWith("- Total Average: 06.500 Liters / 100 Kms - Tot: 12000 €\n"));
}

void TestReportWindow::titleAndButtonFollowTheLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<float>("langOfs");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");

    QTest::newRow("en") << "en" << 0.0f << "Close"
                        << "Close this window...";
    QTest::newRow("fr") << "fr" << 1.0f << "Fermer"
                        << "Fermer cette fenetre...";
    QTest::newRow("nl") << "nl" << 2.0f << "Sluiten"
                        << "Venster sluiten...";
}

void TestReportWindow::titleAndButtonFollowTheLanguage()
{
    QFETCH(QString, locale);
    QFETCH(float, langOfs);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    TestSupport::Environment env(locale, langOfs, "Paul");
    Form2 form;
    form.show();
    QCOMPARE(form.windowTitle(), QString("Tankometer - Paul - v1.0.43"));
    QCOMPARE(form.Command1->text(), caption);
    QCOMPARE(form.Command1->toolTip(), tooltip);
    QVERIFY(form.Command1->font().bold());
}

void TestReportWindow::resizeKeepsTheMinimumsAndTheLayout_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("design size") << QSize(491, 417) << QSize(491, 417);
    QTest::newRow("larger") << QSize(800, 600) << QSize(800, 600);
    QTest::newRow("too low") << QSize(600, 100) << QSize(600, Form2::MinimumHeight);
    QTest::newRow("too narrow") << QSize(100, 500) << QSize(Form2::MinimumWidth, 500);
    QTest::newRow("too small both ways") << QSize(10, 10) << QSize(Form2::MinimumWidth, Form2::MinimumHeight);
    QTest::newRow("zero") << QSize(0, 0) << QSize(Form2::MinimumWidth, Form2::MinimumHeight);
}

void TestReportWindow::resizeKeepsTheMinimumsAndTheLayout()
{
    QFETCH(QSize, asked);
    QFETCH(QSize, expected);
    TestSupport::Environment env("en", 0, "Anna");
    Form2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(asked);
    QTRY_COMPARE(form.size(), expected);
    const int textHeight = expected.height() - Form2::ButtonHeight - Form2::ButtonGap;
    QTRY_COMPARE(form.Text1->geometry(), QRect(0, 0, expected.width(), textHeight));
    QCOMPARE(form.Command1->geometry(), QRect(0, textHeight + 1, expected.width(), 25));
}

void TestReportWindow::snapsBackWhenTheMinimumIsIgnored()
{
    TestSupport::Environment env("en", 0, "Anna");
    Form2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // As under a window manager that does not honour the minimum size.
    form.setMinimumSize(0, 0);
    form.resize(5, 5);
    QTRY_COMPARE(form.size(), QSize(Form2::MinimumWidth, Form2::MinimumHeight));
    QTRY_COMPARE(form.Command1->geometry(),
                 QRect(0, Form2::MinimumHeight - 25, Form2::MinimumWidth, Form2::ButtonHeight));
    // Minimised, nothing in the layout goes negative.
    form.showMinimized();
    QTest::qWait(20);
    QVERIFY(form.Text1->width() >= 0 && form.Text1->height() >= 0);
    QVERIFY(form.Command1->y() >= 0);
}

void TestReportWindow::closeButtonHasTheFocusAndClosesByKey_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("space bar") << int(Qt::Key_Space);
}

void TestReportWindow::closeButtonHasTheFocusAndClosesByKey()
{
    QFETCH(int, key);
    TestSupport::Environment env("en", 0, "Anna");
    Form2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTRY_VERIFY(form.Command1->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QTRY_VERIFY(!form.isVisible());
}

void TestReportWindow::enterInTheReportCloses_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("Shift+Enter, the shift keys are not looked at") << int(Qt::Key_Return) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier);
}

void TestReportWindow::enterInTheReportCloses()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    TestSupport::Environment env("en", 0, "Anna");
    storeRecords(env, "Anna", kWorkedExample);
    Form2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(form.Text1->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QTRY_VERIFY(form.Text1->hasFocus());
    QTest::keyClick(form.Text1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTRY_VERIFY(!form.isVisible());
}

void TestReportWindow::otherKeysLeaveTheReportOpen()
{
    TestSupport::Environment env("en", 0, "Anna");
    storeRecords(env, "Anna", kWorkedExample);
    Form2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const QString before = form.Text1->toPlainText();
    QTest::mouseClick(form.Text1->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QTRY_VERIFY(form.Text1->hasFocus());
    QTest::keyClicks(form.Text1, "abc ");
    QTest::keyClick(form.Text1, Qt::Key_Delete);
    QTest::keyClick(form.Text1, Qt::Key_Backspace);
    QTest::keyClick(form.Text1, Qt::Key_Down);
    QTest::keyClick(form.Text1, Qt::Key_Escape);
    QTest::qWait(20);
    QVERIFY(form.isVisible());
    QCOMPARE(form.Text1->toPlainText(), before);
}

void TestReportWindow::mainWindowOpensAFreshReportEachTime()
{
    TestSupport::Environment env("en", 0, "Paul");
    storeRecords(env, "Paul", kWorkedExample);
    Form1 form1;
    form1.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form1));

    QString shown;
    openReport(form1, [&](Form2* form2) {
        QCOMPARE(form2->parentWidget(), &form1);
        QVERIFY(form2->isModal());
        QCOMPARE(form2->windowTitle(), QString("Tankometer - Paul - v1.0.43"));
        QCOMPARE(form2->Command1->text(), QString("Close"));
        shown = form2->Text1->toPlainText();
        QTest::keyClick(form2->Text1, Qt::Key_Return);
    });
    QVERIFY(shown.endsWith("- Total Average: 07.467 Liters / 100 Kms - Tot: 125.5 €\n"));
    QVERIFY(form1.findChildren<Form2*>().isEmpty());

    // A fill-up saved meanwhile and a change of language show at the next opening.
    env.put("Paul", "TotEntry", "5");
    env.put("Paul", "Date5", "02 March 2004");
    env.put("Paul", "Tanko5", "08.00");
    env.put("Paul", "Pay5", "20");
    Module1::LangOfs = 1;
    openReport(form1, [&](Form2* form2) {
        QCOMPARE(form2->Command1->text(), QString("Fermer"));
        QCOMPARE(form2->Command1->toolTip(), QString("Fermer cette fenetre..."));
        shown = form2->Text1->toPlainText();
        QTest::keyClick(form2->Command1, Qt::Key_Return);
    });
    QVERIFY(shown.contains(" 02 March 2004 - 08.00 Litres / 100 Kms - Tot: 20 €\n"));
    // The language changed, the notation of numbers did not.
    QVERIFY(shown.endsWith("- Moyenne Totale: 07.600 Litres / 100 Kms - Tot: 145.5 €\n"));
    QVERIFY(form1.findChildren<Form2*>().isEmpty());
    // The main window became active again and took the language too.
    QCOMPARE(form1.windowTitle(), QString("Tankometer - Paul - v1.0.43"));
}

QTEST_MAIN(TestReportWindow)
#include "tst_report_window.moc"
