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
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

namespace
{
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
    explicit Shown(const char* locale = "en", float langOfs = 0, const QString& records = QString())
        : env(locale, langOfs, "Paul")
    {
        TestSupport::putRecords(env, "Paul", records);
        form.show();
    }
    TestSupport::Environment env;
    Form2 form;
};
} // namespace

class TestReportWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    void styledCharactersEqualTheBuiltRuns_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("records");
        QTest::newRow("en: worked example") << "en" << kWorkedExample;
        QTest::newRow("fr: French labels and commas") << "fr"
                                                      << "05 janvier 2004;07,45;45,5|03 février 2004;06,90;12;15 CHF";
        QTest::newRow("en: no records") << "en"
                                        << "";
        QTest::newRow("en: average between 0 and 1") << "en"
                                                     << "01 May 2004;00.50;10";
    }

    void styledCharactersEqualTheBuiltRuns()
    {
        QFETCH(QString, locale);
        QFETCH(QString, records);
        Shown shown(qPrintable(locale), locale == u"fr" ? 1 : 0, records);
        const Report report = BuildReport(&shown.env.store(), "Paul");
        QCOMPARE(shown.form.Text1->toPlainText(), QString(report.text).replace("\r\n", "\n"));
        QCOMPARE(shownStyles(shown.form.Text1->document()), builtStyles(report));
        QVERIFY(shown.form.Text1->isReadOnly());
    }

    // Fixed: every rebuild used to leave another document behind in the box.
    void eachActivationRebuildsTheReport()
    {
        Shown shown("en", 0, kWorkedExample);
        TestSupport::putRecords(shown.env, "Paul", kWorkedExample + "|02 March 2004;08.00;0");
        for (int i = 0; i < 3; ++i)
            shown.form.Form_Activate();
        QVERIFY(shown.form.Text1->toPlainText().contains(" 02 March 2004 - 08.00 Liters / 100 Kms\n"));
        QVERIFY(shown.form.Text1->isReadOnly());
        QCOMPARE(shown.form.Text1->findChildren<QTextDocument*>(Qt::FindDirectChildrenOnly).size(), 1);
    }

    void storedMarkupStaysText()
    {
        TestSupport::Environment env("en", 0, "<b>Paul</b>");
        TestSupport::putRecords(env, "<b>Paul</b>", "<i>05</i> January 2004;07.45;45.5;<a href='x'>9 CHF</a>");
        Form2 form;
        form.show();
        QVERIFY(form.Text1->toPlainText().contains(" User: <b>Paul</b>\n\n <i>05</i> January 2004 - 07.45 Liters / "
                                                   "100 Kms - Tot: 45.5 € (<a href='x'>9 CHF</a>)\n"));
    }

    void resizeKeepsTheMinimumsAndTheLayout_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<bool>("minimumIgnored"); // as under a window manager that does not honour it
        QTest::addColumn<QSize>("expected");
        QTest::newRow("larger") << QSize(800, 600) << false << QSize(800, 600);
        QTest::newRow("too low") << QSize(600, 100) << false << QSize(600, Form2::MinimumHeight);
        QTest::newRow("too narrow") << QSize(100, 500) << false << QSize(Form2::MinimumWidth, 500);
        QTest::newRow("5 x 5, minimum ignored, snaps back")
            << QSize(5, 5) << true << QSize(Form2::MinimumWidth, Form2::MinimumHeight);
    }

    void resizeKeepsTheMinimumsAndTheLayout()
    {
        QFETCH(QSize, asked);
        QFETCH(QSize, expected);
        Shown shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.form));
        QFETCH(bool, minimumIgnored);
        if (minimumIgnored)
            shown.form.setMinimumSize(0, 0);
        shown.form.resize(asked);
        QTRY_COMPARE(shown.form.size(), expected);
        const int textHeight = expected.height() - Form2::ButtonHeight - Form2::ButtonGap;
        QTRY_COMPARE(shown.form.Text1->geometry(), QRect(0, 0, expected.width(), textHeight));
        QCOMPARE(shown.form.Command1->geometry(), QRect(0, textHeight + 1, expected.width(), 25));
    }

    void keysThatClose_data()
    {
        QTest::addColumn<bool>("inText");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Enter on the button, which has the focus") << false << int(Qt::Key_Return) << 0;
        QTest::newRow("space bar on the button") << false << int(Qt::Key_Space) << 0;
        QTest::newRow("Enter in the report") << true << int(Qt::Key_Return) << 0;
        QTest::newRow("keypad Enter in the report") << true << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::newRow("Shift+Enter in the report") << true << int(Qt::Key_Return) << int(Qt::ShiftModifier);
    }

    void keysThatClose()
    {
        QFETCH(bool, inText);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Shown shown("en", 0, kWorkedExample);
        QVERIFY(QTest::qWaitForWindowActive(&shown.form));
        QTRY_VERIFY(shown.form.Command1->hasFocus());
        if (inText) {
            QTest::mouseClick(shown.form.Text1->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
            QTRY_VERIFY(shown.form.Text1->hasFocus());
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(!shown.form.isVisible());
    }

    void mainWindowOpensAFreshReportEachTime()
    {
        TestSupport::Environment env("en", 0, "Paul");
        TestSupport::putRecords(env, "Paul", kWorkedExample);
        Form1 form1;
        form1.show();
        QString shown, caption;
        const auto open = [&] {
            TestSupport::inNextModal(&form1, [&](QWidget* modal) {
                auto* form2 = qobject_cast<Form2*>(modal);
                QVERIFY(form2 && form2->parentWidget() == &form1);
                QCOMPARE(form2->windowTitle(), QString("Tankometer - Paul - v1.0.43"));
                caption = form2->Command1->text() + " / " + form2->Command1->toolTip();
                shown = form2->Text1->toPlainText();
                QTest::keyClick(form2->Text1, Qt::Key_Return);
            });
            QTest::mouseClick(form1.findChild<QPushButton*>("Command3"), Qt::LeftButton);
            QVERIFY(form1.findChildren<Form2*>().isEmpty());
        };
        open();
        QCOMPARE(caption, QString("Close / Close this window..."));
        QVERIFY(shown.endsWith("- Total Average: 07.467 Liters / 100 Kms - Tot: 125.5 €\n"));

        // A fill-up saved meanwhile and a change of language show at the next opening.
        TestSupport::putRecords(env, "Paul", kWorkedExample + "|02 March 2004;08.00;20");
        Module1::LangOfs = 1;
        open();
        QCOMPARE(caption, QString("Fermer / Fermer cette fenetre..."));
        // The language changed, the notation of numbers did not.
        QVERIFY(shown.endsWith("- Moyenne Totale: 07.600 Litres / 100 Kms - Tot: 145.5 €\n"));
    }
};

QTEST_MAIN(TestReportWindow)
#include "tst_report_window.moc"
