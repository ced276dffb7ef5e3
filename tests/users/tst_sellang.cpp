#include "TestSupport.h"

#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using TestSupport::Environment;

class tst_SelLang : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void captions_data();
    void captions();
    void captionsFollowTheLanguage();
    void untouchedTexts();

    void euroWithoutCurDev();
    void currencyWithoutName_data();
    void currencyWithoutName();
    void foreignCurrencyBlinks();
    void foreignCurrencyTooltips_data();
    void foreignCurrencyTooltips();
    void warningAtEveryActivation();
    void warningSwitchedOff();
    void unreadableFactorLeavesOutTheValue();
    void returnToEuroStopsBlinking();
};

namespace
{
const char* const Title = "Tankometer - Anna - v1.0.43";

// The text or tooltip of a control of the main window, named as in the form.
QString shown(QWidget& form, const QString& name, const QString& property)
{
    QWidget* widget = form.findChild<QWidget*>(name);
    if (!widget)
        return QStringLiteral("<no control %1>").arg(name);
    if (property == u"toolTip")
        return widget->toolTip();
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        return box->title();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    return QStringLiteral("<no text>");
}

void storeUsd(Environment& env, const QString& factor = QStringLiteral("0.861594"))
{
    env.put(QStringLiteral("Anna"), QStringLiteral("CurDev"), QStringLiteral("2"));
    env.put(QStringLiteral("Devises"), QStringLiteral("Dev2"), QStringLiteral("USD"));
    env.put(QStringLiteral("Devises"), QStringLiteral("Taux2"), QStringLiteral("1.16064"));
    env.put(QStringLiteral("Devises"), QStringLiteral("TauxBis2"), factor);
}
} // namespace

void tst_SelLang::initTestCase()
{
    installProgramFont();
}

void tst_SelLang::captions_data()
{
    QTest::addColumn<float>("langOfs");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("text");

    struct Caption
    {
        const char* control;
        const char* property;
        const char* fr;
        const char* nl;
    };
    const Caption captions[] = {
        {"Frame1", "text", "Donnees", "Gegevens"},
        {"Frame2", "text", "Résultats", "Resultaat"},
        {"Frame1", "toolTip", "Auteur: R. Vastelli", "Ontwerper: R. Vastelli"},
        {"Frame2", "toolTip", "Auteur: R. Vastelli", "Ontwerper: R. Vastelli"},
        {"Command2", "text", "Sauvegarder", "Opslaan"},
        {"Command3", "text", "Moyennes", "Gemiddelde"},
        {"Command4", "text", "Utilisateur", "Gebruikers"},
        {"Command5", "text", "Exporter", "Overbrengen"},
        {"Command1", "text", "Quitter", "Sluiten"},
        {"Command6", "text", "Importer", "Aanbrengen"},
        {"Command8", "text", "Calendrier", "Kalender"},
        {"Command2", "toolTip", "Enregistre les valeurs actuelles pour moyennes...",
         "Gegevens opslaan voor gemiddelden..."},
        {"Command3", "toolTip", "Affiche le détail des valeurs moyennes...", "Weergeven details gemiddelden..."},
        {"Command4", "toolTip", "Changer d'utilisateur...", "Verandering gebruiker..."},
        {"Command5", "toolTip", "Exporter les résultats pour usage ultérieur...",
         "Waarden overbrengen voor later gebruik..."},
        {"Command1", "toolTip", "Quitter Tankometer...", "Verlaten Tankometer..."},
        {"Command6", "toolTip", "Importer des valeurs sauvegardées...", "Aanbrengen opgeslagen waarden..."},
        {"Command9", "text", "Devise", "Munteenheid"},
        {"Label1_2", "text", "Kms Départ", "Kms Vertrek"},
        {"Label1_3", "text", "Kms Arrivée", "Kms Aankomst"},
        {"Label1_4", "text", "Litres Carburant", "Liters Benzine"},
        {"Label1_5", "text", "Total Kilométrage", "Totaal Aantal Kilometers"},
        {"Label1_6", "text", "Moyenne Consommation", "Gemiddeld Verbruik"},
        {"Text1_1", "toolTip", "... ou kilométrage total", "... of Totaal aantal kilometers"},
        {"Label1_3", "toolTip", "... ou kilométrage total", "... of Totaal aantal kilometers"},
        {"Label1_7", "text", "Montant payé", "Betaald bedrag"},
        {"Image1", "toolTip", "A propos de...", "Betreffende..."},
        {"Panel1", "toolTip", "Date Système", "Systeemdatum"},
        {"Panel2", "toolTip", "Heure Système", "Systeemuur"},
        {"Panel3", "toolTip", "Consommation Moyenne Totale...", "Totaal gemiddeld verbruik..."},
        {"Label1_7", "toolTip", "Montant payé en €", "Betaald bedrag in €"},
        {"Text1_3", "toolTip", "Montant payé en €", "Betaald bedrag in €"},
        {"Label2", "toolTip", "Devise = €", "Munteenheid = €"},
        {"Command9", "toolTip", "Devise = €", "Munteenheid = €"},
    };
    for (const Caption& c : captions) {
        for (const auto& [code, langOfs, text] : {std::tuple{"fr", 1.f, c.fr}, std::tuple{"nl", 2.f, c.nl}}) {
            const QString row = QStringLiteral("%1: %2 %3 reads %4")
                                    .arg(QLatin1String(code), QLatin1String(c.control), QLatin1String(c.property),
                                         QString::fromUtf8(text));
            QTest::newRow(row.toUtf8().constData()) << langOfs << QString::fromLatin1(c.control)
                                                    << QString::fromLatin1(c.property) << QString::fromUtf8(text);
        }
    }
}

void tst_SelLang::captions()
{
    QFETCH(float, langOfs);
    QFETCH(QString, control);
    QFETCH(QString, property);
    QFETCH(QString, text);
    Environment env("en", langOfs);
    Form1 form;
    form.show();
    QCOMPARE(shown(form, control, property), text);
}

void tst_SelLang::captionsFollowTheLanguage()
{
    Environment env("fr", 1);
    Form1 form;
    form.show();
    QCOMPARE(shown(form, "Command1", "text"), QStringLiteral("Quitter"));
    Module1::LangOfs = 2;
    form.Form_Activate();
    QCOMPARE(shown(form, "Command1", "text"), QStringLiteral("Sluiten"));
    QCOMPARE(shown(form, "Command9", "toolTip"), QStringLiteral("Munteenheid = €"));
    Module1::LangOfs = 0;
    form.Form_Activate();
    QCOMPARE(shown(form, "Command1", "text"), QStringLiteral("Exit"));
    QCOMPARE(shown(form, "Label1_7", "toolTip"), QStringLiteral("Paid amount in €"));
}

void tst_SelLang::untouchedTexts()
{
    Environment env("nl", 2);
    Form1 form;
    form.show();
    QCOMPARE(shown(form, "Command7", "text"), QStringLiteral("Calc"));
    QCOMPARE(shown(form, "Command7", "toolTip"), QString());
    QCOMPARE(shown(form, "Command8", "toolTip"), QString());
    QCOMPARE(shown(form, "Text1_0", "toolTip"), QString());
    QCOMPARE(shown(form, "Text1_2", "toolTip"), QString());
    QCOMPARE(form.windowTitle(), QString::fromLatin1(Title));
}

void tst_SelLang::euroWithoutCurDev()
{
    Environment env("en");
    Form1 form;
    form.show();
    form.Text1[3]->setText(QStringLiteral("50"));
    form.Form_Activate();

    QCOMPARE(form.Label2->text(), QStringLiteral("Euro"));
    QCOMPARE(form.CurDevName, QStringLiteral("Euro"));
    QVERIFY(!form.Timer1.isActive());
    QVERIFY(!form.Label2->isHidden());
    QVERIFY(env.messages.shown.empty());
    QCOMPARE(form.CurRate, Mixed(1));
    QCOMPARE(form.CurRateBis, Mixed(1));
    QCOMPARE(shown(form, "Text1_3", "toolTip"), QStringLiteral("Paid amount in €"));
    QCOMPARE(shown(form, "Label2", "toolTip"), QStringLiteral("Currency = €"));
    QVERIFY(form.ShowCurrMess);
    // Showing the currency writes nothing.
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("CurDev")), QStringLiteral("<absent>"));
    QCOMPARE(env.store().keyCount(u"Devises"), qint64(0));
}

void tst_SelLang::currencyWithoutName_data()
{
    QTest::addColumn<QString>("curDev");
    QTest::addColumn<bool>("storeEmptyName");

    QTest::newRow("CurDev 4, no name stored") << "4" << false;
    QTest::newRow("CurDev 4, an empty name stored") << "4" << true;
}

void tst_SelLang::currencyWithoutName()
{
    QFETCH(QString, curDev);
    QFETCH(bool, storeEmptyName);
    Environment env("en");
    storeUsd(env);
    env.put(QStringLiteral("Anna"), QStringLiteral("CurDev"), curDev);
    if (storeEmptyName) {
        env.put(QStringLiteral("Devises"), QStringLiteral("Dev4"), QString());
        env.put(QStringLiteral("Devises"), QStringLiteral("TauxBis4"), QStringLiteral("7"));
    }
    Form1 form;
    form.show();
    form.Text1[3]->setText(QStringLiteral("50"));
    form.Form_Activate();

    QCOMPARE(form.Label2->text(), QStringLiteral("Euro"));
    QCOMPARE(form.CurDevName, QStringLiteral("Euro"));
    QVERIFY(!form.Timer1.isActive());
    QVERIFY(env.messages.shown.empty());
    QCOMPARE(form.CurRateBis, Mixed(1));
    QCOMPARE(shown(form, "Label1_7", "toolTip"), QStringLiteral("Paid amount in €"));
    QCOMPARE(shown(form, "Command9", "toolTip"), QStringLiteral("Currency = €"));
}

void tst_SelLang::foreignCurrencyBlinks()
{
    Environment env("en");
    storeUsd(env);
    Form1 form;
    form.show();

    QCOMPARE(form.Label2->text(), QStringLiteral("USD"));
    QCOMPARE(form.CurDevName, QStringLiteral("USD"));
    QVERIFY(form.Timer1.isActive());
    QCOMPARE(form.Timer1.interval(), 500);
    QTRY_VERIFY_WITH_TIMEOUT(form.Label2->isHidden(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!form.Label2->isHidden(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(form.Label2->isHidden(), 2000);
}

void tst_SelLang::foreignCurrencyTooltips_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<float>("langOfs");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("amountTip");
    QTest::addColumn<QString>("currencyTip");

    QTest::newRow("en: 50 at 0.861594") << "en" << 0.f << "1.16064"
                                        << "0.861594"
                                        << "50"
                                        << "Paid amount in USD -  43.08 €"
                                        << "USD: Actual Exchange Rate for 1 € = 1.16064";
    QTest::newRow("en: empty amount") << "en" << 0.f << "1.16064"
                                      << "0.861594"
                                      << ""
                                      << "Paid amount in USD"
                                      << "USD: Actual Exchange Rate for 1 € = 1.16064";
    QTest::newRow("fr: 50 at ,861594") << "fr" << 1.f << "1,16064"
                                       << ",861594"
                                       << "50"
                                       << "Montant payé en USD -  43.08 €"
                                       << "USD: Taux de Change Actuel pour 1 € = 1,16064";
    QTest::newRow("nl: 12,5 at ,8") << "nl" << 2.f << "1,25"
                                    << ",8"
                                    << "12,5"
                                    << "Betaald bedrag in USD -  10 €"
                                    << "USD: Huidige Wisselkoers voor 1 € = 1,25";
}

void tst_SelLang::foreignCurrencyTooltips()
{
    QFETCH(QString, locale);
    QFETCH(float, langOfs);
    QFETCH(QString, rate);
    QFETCH(QString, factor);
    QFETCH(QString, amount);
    QFETCH(QString, amountTip);
    QFETCH(QString, currencyTip);
    Environment env(locale, langOfs);
    storeUsd(env, factor);
    env.put(QStringLiteral("Devises"), QStringLiteral("Taux2"), rate);
    Form1 form;
    form.show();
    form.Text1[3]->setText(amount);
    form.Text1[3]->setToolTip(QString());
    form.Label1[7]->setToolTip(QString());
    form.Form_Activate();

    QCOMPARE(shown(form, "Text1_3", "toolTip"), amountTip);
    QCOMPARE(shown(form, "Label1_7", "toolTip"), amountTip);
    QCOMPARE(shown(form, "Label2", "toolTip"), currencyTip);
    QCOMPARE(shown(form, "Command9", "toolTip"), currencyTip);
    QCOMPARE(form.CurRate, Mixed(rate));
    QCOMPARE(form.CurRateBis, Mixed(factor));
}

void tst_SelLang::warningAtEveryActivation()
{
    Environment env("fr", 1);
    storeUsd(env);
    Form1 form;
    form.show();
    QCOMPARE(env.messages.shown.size(), size_t(1));
    QCOMPARE(env.messages.shown[0].text, QStringLiteral("Attention, votre devise actuelle n'est pas l'Euro"));
    QCOMPARE(env.messages.shown[0].style, 64);
    QCOMPARE(env.messages.shown[0].title, QString::fromLatin1(Title));
    form.Text1[3]->setText(QStringLiteral("5"));
    QCOMPARE(env.messages.shown.size(), size_t(1)); // typing is no activation
    form.Form_Activate();
    QCOMPARE(env.messages.shown.size(), size_t(2));
    form.hide();
    form.show();
    QCOMPARE(env.messages.shown.size(), size_t(3));
}

void tst_SelLang::warningSwitchedOff()
{
    Environment env("en");
    storeUsd(env);
    env.put(QStringLiteral("Anna"), QStringLiteral("AffCurrMess"), QStringLiteral("False"));
    Form1 form;
    form.show();
    form.Form_Activate();
    QVERIFY(env.messages.shown.empty());
    QVERIFY(!form.ShowCurrMess);
    QVERIFY(form.Timer1.isActive());
}

void tst_SelLang::unreadableFactorLeavesOutTheValue()
{
    Environment env("en");
    storeUsd(env, QString());
    Form1 form;
    form.show();
    form.Text1[3]->setText(QStringLiteral("50"));
    form.Form_Activate();
    QCOMPARE(shown(form, "Text1_3", "toolTip"), QStringLiteral("Paid amount in USD"));
    QCOMPARE(shown(form, "Label1_7", "toolTip"), QStringLiteral("Paid amount in USD"));
    QCOMPARE(form.CurRateBis, Mixed(QString()));
}

void tst_SelLang::returnToEuroStopsBlinking()
{
    Environment env("en");
    storeUsd(env);
    Form1 form;
    form.show();
    QTRY_VERIFY_WITH_TIMEOUT(form.Label2->isHidden(), 2000);
    env.put(QStringLiteral("Anna"), QStringLiteral("CurDev"), QStringLiteral("0"));
    form.Form_Activate();
    QVERIFY(!form.Timer1.isActive());
    QVERIFY(!form.Label2->isHidden());
    QCOMPARE(form.Label2->text(), QStringLiteral("Euro"));
    QCOMPARE(form.CurRate, Mixed(1));
    QCOMPARE(shown(form, "Label2", "toolTip"), QStringLiteral("Currency = €"));
    QCOMPARE(env.messages.shown.size(), size_t(1));
}

QTEST_MAIN(tst_SelLang)
#include "tst_sellang.moc"
