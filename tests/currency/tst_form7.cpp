// The currency table and window: rates and their inverses, the current currency,
// what a Submit stores, and its effect on the main window.
#include "TestSupport.h"

#include "currency/Form7.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace
{
void retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void submit(QWidget& form)
{
    QTest::mouseClick(form.findChild<QPushButton*>("Command1"), Qt::LeftButton);
}

QCheckBox* check(QWidget& form)
{
    return form.findChild<QCheckBox*>("Check1");
}

// The currency table and the main window's state, to show that nothing changed.
QString stored(TestSupport::Environment& env, const Form1& main)
{
    return QStringLiteral("%1 keys, CurDev %2, %3")
        .arg(env.store().keyCount(u"Devises"))
        .arg(env.get("Anna", "CurDev"), main.Label2->text() + u'/' + main.CurDevName);
}
} // namespace

class tst_Form7 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    void inverseRate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("inverse"); // "-" when the division fails
        QTest::addColumn<QString>("shown");   // what the inverse field shows after the change
        const auto row = [](const char* name, const char* locale, const char* rate, const char* inverse,
                            const char* shown) {
            QTest::newRow(name) << QString(locale) << QString(rate) << QString(".8") << QString(inverse)
                                << QString(shown);
        };
        row("en: 2 gives .5", "en", "2", ".5", ".5");
        row("en: 0.5 gives 2. with the point", "en", "0.5", "2.", "2.");
        row("en: 0 fails and keeps the old inverse", "en", "0", "-", ".8");
        row("en: empty fails and empties the inverse", "en", "", "-", "");
        // Read as "." numbers, the rates the store hands back as 1,54982 lost their decimals.
        row("fr: 1,54982 keeps its decimals", "fr", "1,54982", ",64523622", ",64523622");
        row("nl: 1.000 is a thousand", "nl", "1.000", ",001", ",001");
    }

    void inverseRate()
    {
        QFETCH(QString, locale);
        QFETCH(QString, rate);
        QFETCH(QString, previous);
        const LocaleInfo info = TestSupport::locale(locale);
        QTEST(InverseRate(rate, info).value_or("-"), "inverse");
        QTEST(NextInverseRate(rate, previous, info), "shown");
    }

    void firstUse_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("rows");     // name, rate and inverse of rows 1 to 5
        QTest::addColumn<QString>("captions"); // headers, Submit, check box, start of the help text
        QTest::newRow("en")
            << "en"
            << "CHF 1.54982 .64523622|USD 1.16064 .8615936|GBP 0.693724 1.44149547| 0 | 0 "
            << "Currency / Exchange Rate 1 € / Curency Rate / Submit / Display Currency message / Enter "
               "the currency name";
        QTest::newRow("fr") << "fr"
                            << "CHF 1,54982 ,64523622|USD 1,16064 ,8615936|GBP 0,693724 1,44149547| 0 | 0 "
                            << "Devise / Taux 1 € / Taux Devise / Activer / Afficher message Devise / Veuillez entrer";
    }

    void firstUse()
    {
        QFETCH(QString, locale);
        QFETCH(QString, captions);
        TestSupport::Environment env(locale, locale == u"fr" ? 1 : 0);
        Form1 main;
        main.ShowCurrMess = false;
        Form7 form(&main);
        form.show();
        QCOMPARE(form.windowTitle(), QString("Tankometer - Anna - v1.0.43"));
        QStringList rows;
        for (int n = 1; n <= 5; ++n) {
            const QString name = form.findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(n))->text();
            rows << name + u' ' + form.Text2[n]->text() + u' ' + form.Text4[n]->text();
            QCOMPARE(form.Text2[n]->toolTip(), name.isEmpty() ? "" : "1 € = " + form.Text2[n]->text() + u' ' + name);
        }
        QTEST(rows.join(u'|'), "rows");
        QVERIFY(form.Text1[0]->isReadOnly() && form.Text1[0]->text() == u"Euro" && form.Text4[0]->text() == u"1");
        QVERIFY(form.Option1[0]->isChecked() && check(form)->isChecked());
        QVERIFY(main.ShowCurrMess); // activation alone sets it
        const QString help = form.findChild<QPlainTextEdit*>("Text3")->toPlainText();
        QCOMPARE(
            QStringList({form.findChild<QLabel*>("Label1_1")->text(), form.findChild<QLabel*>("Label2_0")->text(),
                         form.findChild<QLabel*>("Label3_1")->text(), form.findChild<QPushButton*>("Command1")->text(),
                         check(form)->text(), help.left(captions.size() - captions.lastIndexOf(" / ") - 3)})
                .join(" / "),
            captions);
    }

    // Both validation messages and a store that refuses the group: nothing is saved, the window stays.
    void refusalsSaveNothing_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("emptiedRate");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("message"); // its start
        QTest::newRow("fr: GBP without a rate") << QString("fr") << 3 << 1 << QString("GBP - Taux non Spécifié");
        QTest::newRow("en: the empty row selected") << QString("en") << 0 << 4 << QString("Select a correct currency");
        QTest::newRow("en: the last write fails, as on a full disk")
            << QString("en") << 0 << 1 << QString("The currencies were not saved.\ndisk full");
    }

    void refusalsSaveNothing()
    {
        QFETCH(QString, locale);
        QFETCH(int, emptiedRate);
        QFETCH(int, selected);
        QFETCH(QString, message);
        TestSupport::Environment env(locale, locale == u"fr" ? 1 : 0);
        TestSupport::refuseKey(env.store().path(), "AffCurrMess", "disk full");
        env.reopen();
        Form1 main;
        Form7 form(&main);
        form.show();
        if (emptiedRate)
            retype(form.Text2[emptiedRate], QString());
        QTest::mouseClick(form.Option1[selected], Qt::LeftButton);
        submit(form);
        QCOMPARE(env.messages.shown.size(), size_t(1));
        QVERIFY2(env.messages.shown[0].text.startsWith(message), qPrintable(env.messages.shown[0].text));
        QCOMPARE(env.messages.shown[0].style, 16);
        QCOMPARE(env.messages.shown[0].title, form.windowTitle());
        QVERIFY(form.isVisible() && form.Option1[selected]->isChecked());
        env.reopen();
        QCOMPARE(stored(env, main), QString("0 keys, CurDev <absent>, Euro/Euro"));
    }

    void submitStoresTheTable()
    {
        TestSupport::Environment env("nl", 2);
        Form1 main;
        Form7 form(&main);
        form.show();
        QTest::mouseClick(form.Option1[5], Qt::LeftButton);
        QTest::keyClicks(form.Text1[5], "JPY");
        retype(form.Text2[5], "160");
        check(form)->setChecked(false);
        submit(form);
        QVERIFY(env.messages.shown.empty());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QStringList keys;
        for (int n = 1; n <= 5; ++n)
            for (const char* key : {"Dev", "Taux", "TauxBis"})
                keys << env.get("Devises", key + QString::number(n));
        QCOMPARE(keys, (QStringList{"CHF", "1,54982", ",64523622", "USD", "1,16064", ",8615936", "GBP", "0,693724",
                                    "1,44149547", "", "0", "", "JPY", "160", ",00625"}));
        QCOMPARE(env.store().keyCount(u"Devises"), 15);
        QCOMPARE(env.get("Anna", "AffCurrMess"), QString("False"));
        QCOMPARE(stored(env, main), QString("15 keys, CurDev 5, JPY/JPY"));

        // The next opening shows what was stored.
        Form7 again(&main);
        again.show();
        QVERIFY(again.Option1[5]->isChecked() && !check(again)->isChecked());
    }

    // The currency button opens the window modally and the main window follows the Submit: USD blinks
    // and is announced; the Euro row makes the Euro current again, which a user could otherwise only
    // reach by erasing the currency's name.
    void currencyButtonMakesTheChoiceCurrent()
    {
        TestSupport::Environment env("en");
        Form1 main;
        main.show();
        const auto choose = [&](const char* option) {
            TestSupport::inNextModal(&main, [&](QWidget* form) {
                QVERIFY(qobject_cast<Form7*>(form) && form->isModal());
                QTest::mouseClick(form->findChild<QRadioButton*>(option), Qt::LeftButton);
                submit(*form);
            });
            QTest::mouseClick(main.findChild<QPushButton*>("Command9"), Qt::LeftButton);
            QVERIFY(main.findChildren<Form7*>().isEmpty());
        };
        choose("Option1_2");
        QCOMPARE(stored(env, main), QString("15 keys, CurDev 2, USD/USD"));
        QVERIFY(main.Timer1.isActive());
        QCOMPARE(env.messages.shown.size(), size_t(1));
        QCOMPARE(env.messages.shown[0].text, QString("Attention, your actual currency is not the Euro"));
        QCOMPARE(main.CurRateBis, Mixed(QString(".8615936")));
        choose("Option1_0");
        QCOMPARE(stored(env, main), QString("15 keys, CurDev 0, Euro/Euro"));
        QVERIFY(!main.Timer1.isActive() && env.get("Devises", "Dev2") == u"USD");
    }
};

QTEST_MAIN(tst_Form7)
#include "tst_form7.moc"
