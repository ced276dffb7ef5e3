#include "TestSupport.h"

#include "currency/Form7.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

using TestSupport::Environment;

class tst_Form7 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void firstUse_data();
    void firstUse();
    void storedTableShown();
    void typedRatesInvert();

    void missingRateRefused();
    void badSelectionRefused();
    void submitStoresTheTable();
    void euroRowMakesEuroCurrent();
    void failedSaveKeepsEverything();

    void currencyButtonOpensModally();
    void closeBoxSavesNothing();
};

namespace
{
const QString Title = QStringLiteral("Tankometer - Anna - v1.0.43");

template <typename T> T* control(QWidget& form, const QString& name)
{
    T* widget = form.findChild<T*>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

QLineEdit* field(QWidget& form, const char* name, int row)
{
    return control<QLineEdit>(form, QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(row));
}

QRadioButton* option(QWidget& form, int row)
{
    return control<QRadioButton>(form, QStringLiteral("Option1_%1").arg(row));
}

void retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

void clickSubmit(QWidget& form)
{
    QTest::mouseClick(control<QPushButton>(form, QStringLiteral("Command1")), Qt::LeftButton);
}

// Rows 1 to 3 as a first Submit under an English locale leaves them.
void storeUsd(Environment& env, const QString& affCurrMess = QStringLiteral("True"))
{
    env.put(QStringLiteral("Anna"), QStringLiteral("CurDev"), QStringLiteral("2"));
    env.put(QStringLiteral("Anna"), QStringLiteral("AffCurrMess"), affCurrMess);
    env.put(QStringLiteral("Devises"), QStringLiteral("Dev2"), QStringLiteral("USD"));
    env.put(QStringLiteral("Devises"), QStringLiteral("Taux2"), QStringLiteral("1.16064"));
    env.put(QStringLiteral("Devises"), QStringLiteral("TauxBis2"), QStringLiteral(".8615936"));
}
} // namespace

void tst_Form7::initTestCase()
{
    installProgramFont();
}

void tst_Form7::firstUse_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<float>("langOfs");
    QTest::addColumn<QStringList>("rates");
    QTest::addColumn<QStringList>("inverses");
    QTest::addColumn<QStringList>("captions"); // headers, Submit, check box

    QTest::newRow("en") << "en" << 0.f << QStringList{"1.54982", "1.16064", "0.693724", "0", "0"}
                        << QStringList{".64523622", ".8615936", "1.44149547", "", ""}
                        << QStringList{"Currency", "Exchange Rate 1 €", "Curency Rate", "Submit",
                                       "Display Currency message"};
    QTest::newRow("fr") << "fr" << 1.f << QStringList{"1,54982", "1,16064", "0,693724", "0", "0"}
                        << QStringList{",64523622", ",8615936", "1,44149547", "", ""}
                        << QStringList{"Devise", "Taux 1 €", "Taux Devise", "Activer", "Afficher message Devise"};
}

void tst_Form7::firstUse()
{
    QFETCH(QString, locale);
    QFETCH(float, langOfs);
    QFETCH(QStringList, rates);
    QFETCH(QStringList, inverses);
    QFETCH(QStringList, captions);
    Environment env(locale, langOfs);
    Form1 main;
    main.ShowCurrMess = false;
    Form7 form(&main);
    form.show();

    QCOMPARE(form.windowTitle(), Title);
    const QStringList names{"CHF", "USD", "GBP", "", ""};
    for (int n = 1; n <= 5; ++n) {
        QCOMPARE(field(form, "Text1", n)->text(), names[n - 1]);
        QCOMPARE(field(form, "Text2", n)->text(), rates[n - 1]);
        QCOMPARE(field(form, "Text4", n)->text(), inverses[n - 1]);
        QVERIFY(!option(form, n)->isChecked());
        const QString tip =
            names[n - 1].isEmpty() ? QString() : QStringLiteral("1 € = %1 %2").arg(rates[n - 1], names[n - 1]);
        QCOMPARE(field(form, "Text1", n)->toolTip(), tip);
        QCOMPARE(field(form, "Text2", n)->toolTip(), tip);
        QCOMPARE(field(form, "Text4", n)->toolTip(), tip);
    }
    QCOMPARE(field(form, "Text1", 0)->text(), QStringLiteral("Euro"));
    QVERIFY(field(form, "Text1", 0)->isReadOnly());
    QCOMPARE(field(form, "Text1", 0)->maxLength(), 4);
    QCOMPARE(field(form, "Text1", 3)->maxLength(), 3);
    QCOMPARE(field(form, "Text4", 0)->text(), QStringLiteral("1"));
    QVERIFY(field(form, "Text4", 4)->isReadOnly());
    QVERIFY(!field(form, "Text2", 4)->isReadOnly());
    QVERIFY(option(form, 0)->isChecked());

    for (int i = 0; i < 2; ++i) {
        QCOMPARE(control<QLabel>(form, QStringLiteral("Label1_%1").arg(i))->text(), captions[0]);
        QCOMPARE(control<QLabel>(form, QStringLiteral("Label2_%1").arg(i))->text(), captions[1]);
        QCOMPARE(control<QLabel>(form, QStringLiteral("Label3_%1").arg(i))->text(), captions[2]);
    }
    QCOMPARE(control<QPushButton>(form, QStringLiteral("Command1"))->text(), captions[3]);
    QCOMPARE(control<QCheckBox>(form, QStringLiteral("Check1"))->text(), captions[4]);
    QVERIFY(control<QCheckBox>(form, QStringLiteral("Check1"))->isChecked());
    QVERIFY(control<QPlainTextEdit>(form, QStringLiteral("Text3"))
                ->toPlainText()
                .startsWith(langOfs == 0 ? "Enter the currency name" : "Veuillez entrer"));
    QVERIFY(main.ShowCurrMess); // activation alone sets it
    QCOMPARE(form.size(), QSize(614, 183));
}

void tst_Form7::storedTableShown()
{
    Environment env("en");
    storeUsd(env, QStringLiteral("False"));
    // A rate of 0 keeps the inverse stored with it.
    env.put(QStringLiteral("Devises"), QStringLiteral("Dev4"), QStringLiteral("SEK"));
    env.put(QStringLiteral("Devises"), QStringLiteral("Taux4"), QStringLiteral("0"));
    env.put(QStringLiteral("Devises"), QStringLiteral("TauxBis4"), QStringLiteral(".1"));
    env.put(QStringLiteral("Devises"), QStringLiteral("Dev1"), QString());
    Form1 main;
    Form7 form(&main);
    form.show();

    QVERIFY(option(form, 2)->isChecked());
    QVERIFY(!control<QCheckBox>(form, QStringLiteral("Check1"))->isChecked());
    QVERIFY(!main.ShowCurrMess);
    QCOMPARE(field(form, "Text1", 1)->text(), QString());
    QCOMPARE(field(form, "Text1", 1)->toolTip(), QString());
    QCOMPARE(field(form, "Text4", 4)->text(), QStringLiteral(".1"));
    QCOMPARE(field(form, "Text2", 4)->toolTip(), QStringLiteral("1 € = 0 SEK"));
    QCOMPARE(field(form, "Text4", 2)->text(), QStringLiteral(".8615936"));
}

void tst_Form7::typedRatesInvert()
{
    Environment env("en");
    Form1 main;
    Form7 form(&main);
    form.show();
    QLineEdit* rate = field(form, "Text2", 2);
    QLineEdit* inverse = field(form, "Text4", 2);

    retype(rate, QStringLiteral("2"));
    QCOMPARE(inverse->text(), QStringLiteral(".5"));
    QCOMPARE(rate->toolTip(), QStringLiteral("1 € = 2 USD"));
    retype(rate, QStringLiteral("0"));
    QCOMPARE(inverse->text(), QStringLiteral(".5"));
    QTest::keyClicks(rate, QStringLiteral(".5"));
    QCOMPARE(inverse->text(), QStringLiteral("2."));
    retype(rate, QStringLiteral("1,5"));
    QCOMPARE(inverse->text(), QStringLiteral("1."));
    retype(rate, QString());
    QCOMPARE(inverse->text(), QString());
    QCOMPARE(rate->toolTip(), QStringLiteral("1 € =  USD"));

    // Renaming shows in the tooltips only with the next rate change.
    retype(field(form, "Text1", 2), QStringLiteral("CAD"));
    QCOMPARE(rate->toolTip(), QStringLiteral("1 € =  USD"));
    retype(rate, QStringLiteral("4"));
    QCOMPARE(inverse->text(), QStringLiteral(".25"));
    QCOMPARE(field(form, "Text1", 2)->toolTip(), QStringLiteral("1 € = 4 CAD"));
}

void tst_Form7::missingRateRefused()
{
    Environment env("fr", 1);
    Form1 main;
    Form7 form(&main);
    form.show();
    retype(field(form, "Text2", 3), QString());
    option(form, 1)->setChecked(true);
    clickSubmit(form);

    QCOMPARE(env.messages.shown.size(), size_t(1));
    QCOMPARE(env.messages.shown[0].text, QStringLiteral("GBP - Taux non Spécifié"));
    QCOMPARE(env.messages.shown[0].style, 16);
    QCOMPARE(env.messages.shown[0].title, Title);
    QVERIFY(form.isVisible());
    QCOMPARE(env.get(QStringLiteral("Devises"), QStringLiteral("Dev1")), QStringLiteral("<absent>"));
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("CurDev")), QStringLiteral("<absent>"));
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("AffCurrMess")), QStringLiteral("<absent>"));
    QCOMPARE(main.Label2->text(), QStringLiteral("Euro"));
}

void tst_Form7::badSelectionRefused()
{
    Environment env("en");
    Form1 main;
    Form7 form(&main);
    form.show();
    QTest::mouseClick(option(form, 4), Qt::LeftButton);
    QVERIFY(option(form, 4)->isChecked());
    clickSubmit(form);

    QCOMPARE(env.messages.shown.size(), size_t(1));
    QCOMPARE(env.messages.shown[0].text, QStringLiteral("Select a correct currency"));
    QCOMPARE(env.messages.shown[0].style, 16);
    QCOMPARE(env.messages.shown[0].title, Title);
    QVERIFY(form.isVisible());
    QCOMPARE(env.store().keyCount(u"Devises"), qint64(0));
    QCOMPARE(env.store().keyCount(u"Anna"), qint64(0));
}

void tst_Form7::submitStoresTheTable()
{
    Environment env("nl", 2);
    Form1 main;
    Form7 form(&main);
    form.show();
    QTest::mouseClick(option(form, 5), Qt::LeftButton);
    QTest::keyClicks(field(form, "Text1", 5), QStringLiteral("JPY"));
    retype(field(form, "Text2", 5), QStringLiteral("160"));
    control<QCheckBox>(form, QStringLiteral("Check1"))->setChecked(false);
    clickSubmit(form);

    QVERIFY(env.messages.shown.empty());
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    const QList<QPair<QString, QString>> expected = {{"Dev1", "CHF"}, {"Taux1", "1,54982"},  {"TauxBis1", ",64523622"},
                                                     {"Dev2", "USD"}, {"Taux2", "1,16064"},  {"TauxBis2", ",8615936"},
                                                     {"Dev3", "GBP"}, {"Taux3", "0,693724"}, {"TauxBis3", "1,44149547"},
                                                     {"Dev4", ""},    {"Taux4", "0"},        {"TauxBis4", ""},
                                                     {"Dev5", "JPY"}, {"Taux5", "160"},      {"TauxBis5", ",00625"}};
    for (const auto& [key, value] : expected)
        QCOMPARE(env.get(QStringLiteral("Devises"), key), value);
    QCOMPARE(env.store().keyCount(u"Devises"), qint64(15));
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("CurDev")), QStringLiteral("5"));
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("AffCurrMess")), QStringLiteral("False"));
    QCOMPARE(main.Label2->text(), QStringLiteral("JPY"));
    QCOMPARE(main.CurDevName, QStringLiteral("JPY"));

    // The next opening shows what was stored.
    Form7 again(&main);
    again.show();
    QVERIFY(option(again, 5)->isChecked());
    QCOMPARE(field(again, "Text4", 5)->text(), QStringLiteral(",00625"));
    QVERIFY(!control<QCheckBox>(again, QStringLiteral("Check1"))->isChecked());
}

void tst_Form7::euroRowMakesEuroCurrent()
{
    Environment env("en");
    storeUsd(env);
    Form1 main;
    main.show();
    QCOMPARE(main.Label2->text(), QStringLiteral("USD"));
    Form7 form(&main);
    form.show();
    QVERIFY(option(form, 2)->isChecked());
    QTest::mouseClick(option(form, 0), Qt::LeftButton);
    QVERIFY(option(form, 0)->isChecked());
    clickSubmit(form);

    QVERIFY(!form.isVisible());
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("CurDev")), QStringLiteral("0"));
    QCOMPARE(env.get(QStringLiteral("Devises"), QStringLiteral("Dev2")), QStringLiteral("USD"));
    QCOMPARE(main.Label2->text(), QStringLiteral("Euro"));
    QCOMPARE(main.CurDevName, QStringLiteral("Euro"));

    Form7 again(&main);
    again.show();
    QVERIFY(option(again, 0)->isChecked());
}

void tst_Form7::failedSaveKeepsEverything()
{
    Environment env("en");
    // The last write of the group fails, as a full disk would make it.
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(env.store().path().toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db,
                          "CREATE TRIGGER refuse BEFORE INSERT ON settings WHEN NEW.key = 'AffCurrMess'"
                          " BEGIN SELECT RAISE(ABORT, 'disk full'); END",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);

    Form1 main;
    Form7 form(&main);
    form.show();
    QTest::mouseClick(option(form, 1), Qt::LeftButton);
    clickSubmit(form);

    QCOMPARE(env.messages.shown.size(), size_t(1));
    QVERIFY(env.messages.shown[0].text.startsWith(QStringLiteral("The currencies were not saved.\n")));
    QVERIFY(env.messages.shown[0].text.contains(QStringLiteral("disk full")));
    QCOMPARE(env.messages.shown[0].style, 16);
    QVERIFY(form.isVisible());
    QVERIFY(option(form, 1)->isChecked());
    QCOMPARE(main.Label2->text(), QStringLiteral("Euro"));
    QCOMPARE(main.CurDevName, QStringLiteral("Euro"));
    env.reopen();
    QCOMPARE(env.store().keyCount(u"Devises"), qint64(0));
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("CurDev")), QStringLiteral("<absent>"));
}

void tst_Form7::currencyButtonOpensModally()
{
    Environment env("en");
    Form1 main;
    main.show();
    QVERIFY(env.messages.shown.empty());
    bool modal = false;
    QTimer::singleShot(0, this, [&] {
        auto* form = qobject_cast<Form7*>(QApplication::activeModalWidget());
        QVERIFY(form);
        modal = form->isModal();
        QTest::mouseClick(option(*form, 2), Qt::LeftButton);
        clickSubmit(*form);
    });
    QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("Command9")), Qt::LeftButton);

    QVERIFY(modal);
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("CurDev")), QStringLiteral("2"));
    // The main window was activated again: USD blinks and is announced.
    QCOMPARE(main.Label2->text(), QStringLiteral("USD"));
    QVERIFY(main.Timer1.isActive());
    QCOMPARE(env.messages.shown.size(), size_t(1));
    QCOMPARE(env.messages.shown[0].text, QStringLiteral("Attention, your actual currency is not the Euro"));
    QCOMPARE(main.CurRateBis, Mixed(QStringLiteral(".8615936")));
    QVERIFY(main.findChildren<Form7*>().isEmpty());
}

void tst_Form7::closeBoxSavesNothing()
{
    Environment env("en");
    env.put(QStringLiteral("Anna"), QStringLiteral("AffCurrMess"), QStringLiteral("False"));
    Form1 main;
    main.show();
    main.ShowCurrMess = true;
    QTimer::singleShot(0, this, [&] {
        auto* form = qobject_cast<Form7*>(QApplication::activeModalWidget());
        QVERIFY(form);
        QTest::mouseClick(option(*form, 1), Qt::LeftButton);
        form->close();
    });
    QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("Command9")), Qt::LeftButton);

    QCOMPARE(env.store().keyCount(u"Devises"), qint64(0));
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("CurDev")), QStringLiteral("<absent>"));
    QVERIFY(!main.ShowCurrMess);
    QCOMPARE(main.Label2->text(), QStringLiteral("Euro"));
    QVERIFY(!main.Timer1.isActive());
}

QTEST_MAIN(tst_Form7)
#include "tst_form7.moc"
