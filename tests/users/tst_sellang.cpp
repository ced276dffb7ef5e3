// The main window's texts per language and its display of the current currency.
#include "TestSupport.h"

#include "frame/Appearance.h"
#include "frame/Form1.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace
{
// The controls of the main window whose text ("") or tooltip ("?") is translated, in order.
const QStringList kTranslated{"Frame1",    "Frame2",    "Frame1?",   "Frame2?",   "Command2",  "Command3",  "Command4",
                              "Command5",  "Command1",  "Command6",  "Command8",  "Command2?", "Command3?", "Command4?",
                              "Command5?", "Command1?", "Command6?", "Command9",  "Label1_2",  "Label1_3",  "Label1_4",
                              "Label1_5",  "Label1_6",  "Text1_1?",  "Label1_3?", "Label1_7",  "Image1?",   "Panel1?",
                              "Panel2?",   "Panel3?",   "Label1_7?", "Text1_3?",  "Label2?",   "Command9?"};

QString shown(QWidget& form, QString name)
{
    const bool tooltip = name.endsWith(u'?');
    QWidget* widget = form.findChild<QWidget*>(name.remove(u'?'));
    if (!widget)
        return "<no control " + name + ">";
    if (tooltip)
        return widget->toolTip();
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        return box->title();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text();
    return qobject_cast<QLabel*>(widget)->text();
}

} // namespace

class tst_SelLang : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    void captions_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<QString>("texts"); // of kTranslated, "|" between them
        QTest::newRow("fr")
            << 1.f
            << "Donnees|Résultats|Auteur: R. Vastelli|Auteur: R. Vastelli|Sauvegarder|Moyennes|Utilisateur|"
               "Exporter|Quitter|Importer|Calendrier|Enregistre les valeurs actuelles pour moyennes...|"
               "Affiche le détail des valeurs moyennes...|Changer d'utilisateur...|"
               "Exporter les résultats pour usage ultérieur...|Quitter Tankometer...|"
               "Importer des valeurs sauvegardées...|Devise|Kms Départ|Kms Arrivée|Litres Carburant|"
               "Total Kilométrage|Moyenne Consommation|... ou kilométrage total|... ou kilométrage total|"
               "Montant payé|A propos de...|Date Système|Heure Système|Consommation Moyenne Totale...|"
               "Montant payé en €|Montant payé en €|Devise = €|Devise = €";
        QTest::newRow("nl")
            << 2.f
            << "Gegevens|Resultaat|Ontwerper: R. Vastelli|Ontwerper: R. Vastelli|Opslaan|Gemiddelde|"
               "Gebruikers|Overbrengen|Sluiten|Aanbrengen|Kalender|Gegevens opslaan voor gemiddelden...|"
               "Weergeven details gemiddelden...|Verandering gebruiker...|"
               "Waarden overbrengen voor later gebruik...|Verlaten Tankometer...|"
               "Aanbrengen opgeslagen waarden...|Munteenheid|Kms Vertrek|Kms Aankomst|Liters Benzine|"
               "Totaal Aantal Kilometers|Gemiddeld Verbruik|... of Totaal aantal kilometers|"
               "... of Totaal aantal kilometers|Betaald bedrag|Betreffende...|Systeemdatum|Systeemuur|"
               "Totaal gemiddeld verbruik...|Betaald bedrag in €|Betaald bedrag in €|Munteenheid = €|"
               "Munteenheid = €";
    }

    void captions()
    {
        QFETCH(float, langOfs);
        QFETCH(QString, texts);
        TestSupport::Environment env("en", langOfs);
        Form1 form;
        form.show();
        const QStringList expected = texts.split(u'|');
        QCOMPARE(expected.size(), kTranslated.size());
        for (int i = 0; i < kTranslated.size(); ++i)
            QCOMPARE(kTranslated[i] + ": " + shown(form, kTranslated[i]), kTranslated[i] + ": " + expected[i]);
    }

    // The amount's Euro value follows each keystroke and every activation. No CurDev, or one that names
    // no usable currency, is the Euro; showing the currency never writes to the store.
    void currencyShown_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("curDev");     // "-": none stored
        QTest::addColumn<QStringList>("stored"); // USD's rate and factor, the amount typed
        QTest::addColumn<QString>("shown");      // currency label, tooltips of the amount and the currency
        const auto row = [](const char* name, const char* locale, const char* curDev, const QStringList& stored,
                            const char* shown) {
            QTest::newRow(name) << QString(locale) << QString(curDev) << stored << QString(shown);
        };
        const QStringList usd{"1.16064", "0.861594", "50"};
        const char* euro = "Euro / Paid amount in € / Currency = €";
        row("no CurDev stored", "en", "-", usd, euro);
        row("CurDev 4 naming an empty currency", "en", "4", usd, euro);
        row("CurDev that is no number", "en", "two", usd, euro);
        row("en: 50 at 0.861594", "en", "2", usd,
            "USD / Paid amount in USD -  43.08 € / USD: Actual Exchange Rate for 1 € = 1.16064");
        row("en: no amount", "en", "2", {"1.16064", "0.861594", ""},
            "USD / Paid amount in USD / USD: Actual Exchange Rate for 1 € = 1.16064");
        row("nl: 46,80 at ,8 is not a hundredfold", "nl", "2", {"1,25", ",8", "46,80"},
            "USD / Betaald bedrag in USD -  37.44 € / USD: Huidige Wisselkoers voor 1 € = 1,25");
        row("en: an unreadable factor leaves out the value", "en", "2", {"1.16064", "", "50"},
            "USD / Paid amount in USD / USD: Actual Exchange Rate for 1 € = 1.16064");
    }

    void currencyShown()
    {
        QFETCH(QString, locale);
        QFETCH(QString, curDev);
        QFETCH(QStringList, stored);
        QFETCH(QString, shown);
        TestSupport::Environment env(locale, locale == u"nl" ? 2 : 0);
        env.put("Devises", "Dev2", "USD");
        env.put("Devises", "Taux2", stored[0]);
        env.put("Devises", "TauxBis2", stored[1]);
        env.put("Devises", "Dev4", "");
        env.put("Devises", "TauxBis4", "7");
        if (curDev != u"-")
            env.put("Anna", "CurDev", curDev);
        const qint64 keys = env.store().keyCount(u"Anna") + env.store().keyCount(u"Devises");
        Form1 form;
        form.show();
        QTest::keyClicks(form.Text1[3], stored[2] + "0");
        QTest::keyClick(form.Text1[3], Qt::Key_Backspace);
        const QString amountTip = shown.section(" / ", 1, 1);
        QCOMPARE(::shown(form, "Text1_3?") + " / " + ::shown(form, "Label1_7?"), amountTip + " / " + amountTip);
        form.Text1[3]->setToolTip(QString());
        form.Form_Activate();
        QCOMPARE(QStringList({form.CurDevName, ::shown(form, "Text1_3?"), ::shown(form, "Command9?")}).join(" / "),
                 shown);
        QCOMPARE(::shown(form, "Label2?"), ::shown(form, "Command9?"));
        QCOMPARE(form.Label2->text(), curDev == u"2" ? QString("USD") : QString("Euro"));
        QCOMPARE(form.Timer1.isActive(), curDev == u"2");
        QCOMPARE(env.store().keyCount(u"Anna") + env.store().keyCount(u"Devises"), keys);
        if (curDev == u"2")
            QVERIFY(form.CurRate == Mixed(stored[0]) && form.CurRateBis == Mixed(stored[1]));
        else
            QVERIFY(form.CurRate == Mixed(1) && form.CurRateBis == Mixed(1) && env.messages.shown.empty());
    }

    void foreignCurrencyBlinksAndWarns()
    {
        TestSupport::Environment env("fr", 1);
        env.put("Anna", "CurDev", "2");
        env.put("Devises", "Dev2", "USD");
        env.put("Devises", "TauxBis2", ",861594");
        Form1 form;
        form.show();
        QCOMPARE(form.Label2->text() + " / " + form.CurDevName, QString("USD / USD"));
        QVERIFY(form.Timer1.isActive() && form.Timer1.interval() == 500);
        QTRY_VERIFY_WITH_TIMEOUT(form.Label2->isHidden(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!form.Label2->isHidden(), 2000);

        // Once at every activation, and typing is none.
        QCOMPARE(env.messages.shown.size(), size_t(1));
        const TestSupport::Message& warning = env.messages.shown[0];
        QCOMPARE(QStringLiteral("%1 (%2, %3)").arg(warning.text).arg(warning.style).arg(warning.title),
                 QString("Attention, votre devise actuelle n'est pas l'Euro (64, Tankometer - Anna - v1.0.43)"));
        form.Text1[3]->setText("5");
        form.hide();
        form.show();
        QCOMPARE(env.messages.shown.size(), size_t(2));

        // The warning switched off, the blinking goes on.
        env.put("Anna", "AffCurrMess", "False");
        form.Form_Activate();
        QCOMPARE(env.messages.shown.size(), size_t(2));
        QVERIFY(!form.ShowCurrMess && form.Timer1.isActive());

        // Back to the Euro: the blinking stops with the label shown.
        QTRY_VERIFY_WITH_TIMEOUT(form.Label2->isHidden(), 2000);
        env.put("Anna", "CurDev", "0");
        form.Form_Activate();
        QVERIFY(!form.Timer1.isActive() && form.Label2->isVisible());
        QCOMPARE(form.Label2->text(), QString("Euro"));
        QCOMPARE(shown(form, "Label2?"), QString("Devise = €"));
    }
};

QTEST_MAIN(tst_SelLang)
#include "tst_sellang.moc"
