#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/StringTable.h"

#include "TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The entry fields of the main window as a user types into them.
class TestEntry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }
    void enterMovesThroughTheFields();
    void enterOnTheSaveButtonSaves();
    void typedResultsFollowEachKey();
    void amountTooltips_data();
    void amountTooltips();
    void unreadableAmountShowsError_data();
    void unreadableAmountShowsError();
    void otherFieldsLeaveTheTooltips();
};

namespace
{
QWidget* focused()
{
    return QApplication::focusWidget();
}
} // namespace

void TestEntry::enterMovesThroughTheFields()
{
    TestSupport::Environment env;
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(focused(), form.Text1[1]);
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(focused(), form.Text1[2]);
    QTest::keyClick(focused(), Qt::Key_Enter);
    QCOMPARE(focused(), form.Text1[3]);
    // Nothing to save yet: Enter goes on to the exit button.
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(focused()->objectName(), QStringLiteral("Command1"));
    form.Text1[0]->setFocus();
    QTest::keyClick(form.Text1[0], Qt::Key_Return);
    QCOMPARE(focused(), form.Text1[0]);
}

void TestEntry::enterOnTheSaveButtonSaves()
{
    TestSupport::Environment env;
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::keyClicks(focused(), QStringLiteral("650"));
    QTest::keyClick(focused(), Qt::Key_Return);
    QTest::keyClicks(focused(), QStringLiteral("40"));
    QTest::keyClick(focused(), Qt::Key_Return);
    QTest::keyClicks(focused(), QStringLiteral("60"));
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(focused()->objectName(), QStringLiteral("Command2"));
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(env.get("Anna", "TotEntry"), QStringLiteral("1"));
    QCOMPARE(env.get("Anna", "Tanko1"), QStringLiteral("06.15"));
}

void TestEntry::typedResultsFollowEachKey()
{
    TestSupport::Environment env("fr", 1);
    Form1 form;
    form.show();
    QTest::keyClicks(form.Text1[0], QStringLiteral("10000"));
    QTest::keyClicks(form.Text1[1], QStringLiteral("10650"));
    QCOMPARE(form.Label1[0]->text(), QStringLiteral(" 650 Kms"));
    QTest::keyClicks(form.Text1[2], QStringLiteral("40"));
    QCOMPARE(form.Label1[1]->text(), QStringLiteral("06,15 Litres / 100 Kms"));
    QVERIFY(form.findChild<QPushButton*>("Command2")->isEnabled());
    QTest::keyClick(form.Text1[1], Qt::Key_Backspace);
    QCOMPARE(form.Label1[0]->text(), QStringLiteral("Aucune distance valide"));
    QCOMPARE(form.Label1[1]->text(), QString());
    QVERIFY(!form.findChild<QPushButton*>("Command2")->isEnabled());
}

void TestEntry::amountTooltips_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<float>("langOfs");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("Euro") << "en" << 0.0f << "Euro" << "1" << "60" << QString::fromUtf8("Paid amount in €");
    QTest::newRow("nl: Euro") << "nl" << 2.0f << "Euro" << "1" << "60" << QString::fromUtf8("Betaald bedrag in €");
    QTest::newRow("USD 46.80 at 0.8") << "en" << 0.0f << "USD" << "0.8" << "46.80"
                                      << QString::fromUtf8("Paid amount in USD -  37.44 €");
    QTest::newRow("USD 46,80 reads 46") << "en" << 0.0f << "USD" << "0.8" << "46,80"
                                        << QString::fromUtf8("Paid amount in USD -  36.8 €");
    QTest::newRow("USD with the amount emptied") << "en" << 0.0f << "USD" << "0.8" << "" << "Paid amount in USD";
    QTest::newRow("fr: USD 46,80 at 0,8") << "fr" << 1.0f << "USD" << "0,8" << "46,80"
                                          << QString::fromUtf8("Montant payé en USD -  37.44 €");
    QTest::newRow("nl: USD 46,80 at 0,8") << "nl" << 2.0f << "USD" << "0,8" << "46,80"
                                          << QString::fromUtf8("Betaald bedrag in USD -  37.44 €");
}

void TestEntry::amountTooltips()
{
    QFETCH(QString, localeName);
    QFETCH(float, langOfs);
    QFETCH(QString, currency);
    QFETCH(QString, factor);
    QFETCH(QString, amount);
    QFETCH(QString, tooltip);
    TestSupport::Environment env(localeName, langOfs);
    env.put(QStringLiteral("Devises"), QStringLiteral("Dev2"), currency);
    env.put(QStringLiteral("Anna"), QStringLiteral("CurDev"), QStringLiteral("2"));
    Form1 form;
    form.show();
    form.CurDevName = currency;
    form.CurRateBis = Mixed(factor);
    QTest::keyClicks(form.Text1[3], QStringLiteral("1"));
    form.Text1[3]->setText(amount);
    QCOMPARE(form.Text1[3]->toolTip(), tooltip);
    QCOMPARE(form.Label1[7]->toolTip(), tooltip);
}

void TestEntry::unreadableAmountShowsError_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<QString>("amount");
    QTest::newRow("en: abc") << "en" << "1" << "abc";
    QTest::newRow("fr: 1.2.3") << "fr" << "1" << "1.2.3";
    QTest::newRow("en: USD without a readable factor") << "en" << "" << "10";
}

void TestEntry::unreadableAmountShowsError()
{
    QFETCH(QString, localeName);
    QFETCH(QString, factor);
    QFETCH(QString, amount);
    TestSupport::Environment env(localeName);
    Form1 form;
    form.show();
    if (factor != u"1") {
        form.CurDevName = QStringLiteral("USD");
        form.CurRateBis = Mixed(factor);
    }
    QTest::keyClicks(form.Text1[1], QStringLiteral("650"));
    QTest::keyClicks(form.Text1[2], QStringLiteral("40"));
    QTest::keyClicks(form.Text1[3], amount);
    QCOMPARE(form.Label1[1]->text(), LocalizedText(186));
    QVERIFY(!form.findChild<QPushButton*>("Command2")->isEnabled());
    // The next readable change clears it.
    form.Text1[3]->clear();
    QCOMPARE(form.Label1[1]->text(), localeName == u"fr" ? QStringLiteral("06,15 Liters / 100 Kms")
                                                         : QStringLiteral("06.15 Liters / 100 Kms"));
}

void TestEntry::otherFieldsLeaveTheTooltips()
{
    TestSupport::Environment env;
    Form1 form;
    form.show();
    form.Text1[3]->setToolTip(QStringLiteral("mine"));
    for (int i : {0, 1, 2})
        QTest::keyClicks(form.Text1[i], QStringLiteral("5"));
    QCOMPARE(form.Text1[3]->toolTip(), QStringLiteral("mine"));
}

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
