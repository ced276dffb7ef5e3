// Numbers as a user types them: the main window's results, amount tooltip and
// save button up to the record in the file, and the currency window's rates
// up to what a Submit stores.
#include "gui/base/Appearance.h"
#include "gui/currency/Form7.h"
#include "gui/mainwindow/Form1.h"

#include "WindowSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using TestSupport::addRows;
using WindowSupport::child;

namespace
{
struct World
{
    explicit World(const QString& localeName) : env(localeName, localeName == u"fr" ? 1 : localeName == u"nl" ? 2 : 0)
    {
    }
    WindowSupport::Environment env;
};
} // namespace

class TestEntry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    // case|locale|TauxBis of the current currency USD, "" the Euro|the four
    // fields apart by "/"|distance, consumption and amount tooltip|Tanko1, Pay1
    // and PayCom1 in the file after a click on the save button, "" when it is off
    void mainWindow_data()
    {
        addRows("%1", R"(
            10000 to 10650, 40 l, 60 €|en||10000/10650/40/60| 650 Kms, 06.15 Liters / 100 Kms, Paid amount in €|\
                06.15, 60, <absent>, 650, 40
            a grouped amount is stored without grouping|fr||/650/40,5/1 234,50| \
                650 Kms, 06,23 Litres / 100 Kms, Montant payé en €|06,23, 1234,50, <absent>, 650, 40.5
            USD at a factor stored under English|nl|.8|/650/40/46,80| \
                650 Kms, 06,15 Liters / 100 Kms, Betaald bedrag in USD -  37.44 €|06,15, 37,44, 46,80 USD, 650, 40
            a distance beyond the range|en||-1e308/1e308/40/60|Error, Amount impossible, Paid amount in €|
            a consumption beyond the range|en||/650/1e308/60| 650 Kms, Error, Paid amount in €|
            60,50 is no amount|en||/650/40/60,50| 650 Kms, Error, This amount is not a number|
            an unusable USD factor|en|x|/650/40/10| 650 Kms, Error, The exchange rate of this currency cannot be used|
            a Euro value beyond the range|en|2|/650/40/1e308| 650 Kms, Error, This amount is too large|)",
                {}, u'\n');
    }

    void mainWindow()
    {
        QFETCH(QStringList, row);
        World world(row[1]);
        if (!row[2].isEmpty()) {
            world.env.put("Anna", "CurDev", "2");
            world.env.put("Anna", "AffCurrMess", "False");
            world.env.put("Devises", "Dev2", "USD");
            world.env.put("Devises", "TauxBis2", row[2]);
        }
        Form1 form(world.env.context());
        WindowSupport::show(&form);
        const QStringList fields = row[3].split(u'/');
        for (int i = 0; i < 4; ++i)
            QTest::keyClicks(child<QLineEdit>(form, QStringLiteral("Text1_%1").arg(i)), fields[i]);
        auto* save = child<QPushButton>(form, "Command2");
        // Coming back from another window must not enable what the fields refuse.
        for (int activation = 0; activation < 2; ++activation) {
            QCOMPARE(child<QLabel>(form, "Label1_0")->text() + ", " + child<QLabel>(form, "Label1_1")->text() + ", " +
                         child<QLineEdit>(form, "Text1_3")->toolTip(),
                     row[4]);
            QCOMPARE(save->isEnabled(), !row[5].isEmpty());
            WindowSupport::activateAgain(&form);
        }
        if (save->isEnabled())
            QTest::mouseClick(save, Qt::LeftButton);
        const auto stored = [&](const char* key) { return world.env.stored("Anna", key); };
        QCOMPARE(stored("TotEntry") == u"<absent>", row[5].isEmpty());
        if (!row[5].isEmpty())
            QCOMPARE(QStringList({stored("Tanko1"), stored("Pay1"), stored("PayCom1"), stored("Kms1"), stored("Ltrs1")})
                         .join(", "),
                     row[5]);
    }

    // locale|Taux2&TauxBis2 stored before the window opens|the rate put into row 2 (USD)|
    // the rate and inverse shown|the message of Submit, or TauxBis2 as stored
    void currencyWindow_data()
    {
        addRows("%1: %2%3 shows %4, stores %5", R"(
            en||2|2 = .5|.5; en||0.5|0.5 = 2|2; fr||1,5|1,5 = ,66666667|,66666667; nl||1.000|1.000 = ,001|,001
            nl|1.549&.64557779||1,549 = ,64557779|,64557779; en|1,000&.001||1,000 = .001|.001
            en||1,5|1,5 = .8615936|USD - Exchange rate is not a number
            fr||0|0 = ,8615936|USD - Le taux doit être supérieur à 0
            nl||-2|-2 = ,8615936|USD - Wisselkoers moet groter dan 0 zijn
            en||1e-310|1e-310 = .8615936|USD - Exchange rate out of range)");
    }

    void currencyWindow()
    {
        QFETCH(QStringList, row);
        World world(row[0]);
        if (!row[1].isEmpty()) {
            world.env.put("Devises", "Taux2", row[1].section(u'&', 0, 0));
            world.env.put("Devises", "TauxBis2", row[1].section(u'&', 1));
        }
        Form1 main(world.env.context());
        Form7 form(world.env.context(), &main);
        WindowSupport::show(&form);
        QTest::mouseClick(child<QRadioButton>(form, "Option1_2"), Qt::LeftButton);
        auto* rate = child<QLineEdit>(form, "Text2_2");
        if (!row[2].isEmpty())
            rate->setText(row[2]); // pasted: typing keeps the inverse of each readable prefix
        QCOMPARE(rate->text() + " = " + child<QLineEdit>(form, "Text4_2")->text(), row[3]);
        QTest::mouseClick(form.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        const bool refused = row[4].startsWith("USD - ");
        QCOMPARE(world.env.messages.shown.size(), size_t(refused));
        QCOMPARE(form.isVisible(), refused);
        if (refused)
            QCOMPARE(world.env.messages.shown[0].text, row[4]);
        QCOMPARE(world.env.stored("Devises", "TauxBis2") + " / " + world.env.stored("Anna", "CurDev"),
                 refused ? "<absent> / <absent>" : row[4] + " / 2");
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
