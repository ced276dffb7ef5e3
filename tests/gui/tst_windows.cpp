// Every window's flow as a user goes through it, by mouse and by keyboard:
// the main window and its buttons, the Enter chain of a fill-up, the calendar,
// the about card, the report, the user window and the currency window.
#include "WindowSupport.h"

#include "gui/accessories/Form6.h"
#include "gui/base/Appearance.h"
#include "gui/mainwindow/Form1.h"
#include "gui/mainwindow/StartUp.h"
#include "gui/records/Form2.h"
#include "gui/users/Form3.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using WindowSupport::Environment;
using namespace Qt::Literals::StringLiterals;

namespace
{
QWidget* child(const QWidget* window, const QString& name)
{
    return WindowSupport::child(*window, name);
}

template <typename T> T* widget(const QWidget& window, const char* name)
{
    return WindowSupport::child<T>(window, QString::fromLatin1(name));
}

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

void key(int key)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
}
} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    // What the main window shows on opening, in each language and notation;
    // Calc starts every calculator, or says that none started; Exit ends the
    // program, import and export are on.
    void mainWindowOpens_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown"); // date label, date and time panels, then captions
        QTest::addColumn<QStringList>("calculators");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QString>("said"); // by Calc
        const QStringList two{"/usr/bin/calc-one", "/usr/bin/calc-two"};
        QTest::newRow("en")
            << "en"
            << "05 December 2026|05/12/2026|09:30|Save|Exit|Currency|Paid amount|About...|Import saved data..." << two
            << true << "";
        QTest::newRow("fr: no calculator")
            << "fr"
            << "05 décembre 2026|05/12/2026|09:30|Sauvegarder|Quitter|Devise|Montant payé|A propos de...|"
               "Importer des valeurs sauvegardées..."
            << QStringList() << true
            << "Aucune calculatrice n'a pu être lancée : aucune n'est installée, ou elle n'a pas démarré.";
        QTest::newRow("nl: none starts")
            << "nl"
            << "05 december 2026|05-12-2026|09:30|Opslaan|Sluiten|Munteenheid|Betaald bedrag|Betreffende...|"
               "Aanbrengen opgeslagen waarden..."
            << two << false
            << "Er kon geen rekenmachine gestart worden: er is er geen geïnstalleerd, of hij startte niet.";
    }

    void mainWindowOpens()
    {
        QFETCH(QString, locale);
        Environment env(locale, int(QStringList{"en", "fr", "nl"}.indexOf(locale)));
        QFETCH(QStringList, calculators);
        QFETCH(bool, starts);
        env.launcher.paths = calculators;
        env.launcher.starts = starts;
        Form1 form(env.context());
        WindowSupport::show(&form);
        QStringList shown{widget<QLabel>(form, "Label1_8")->text()};
        for (const char* name : {"Panel1", "Panel2", "Command2", "Command1", "Command9", "Label1_7"})
            shown << child(&form, QString::fromLatin1(name))->property("text").toString();
        QTEST((shown << child(&form, u"Image1"_s)->toolTip() << child(&form, u"Command6"_s)->toolTip()).join(u'|'),
              "shown");
        QCOMPARE(form.windowTitle() + u' ' + focusName(), u"Tankometer - Anna - v1.0.43 Text1_1"_s);
        QCOMPARE(form.size(), QSize(572, 186));
        // Designer writes whole points; the currency name is 11.25 pt bold, 15 px at 96 dpi.
        QVERIFY(widget<QLabel>(form, "Label2")->font().pointSizeF() == 11.25 &&
                widget<QLabel>(form, "Label2")->font().bold());
        // The clock moves on; the date label keeps the day the window was made.
        env.clock.current = QDateTime(QDate(2026, 12, 6), QTime(0, 1));
        QTRY_COMPARE(child(&form, u"Panel2"_s)->property("text").toString(), u"00:01"_s);
        QCOMPARE(widget<QLabel>(form, "Label1_8")->text(), shown[0]);
        QTest::mouseClick(child(&form, u"Command7"_s), Qt::LeftButton);
        QCOMPARE(env.launcher.started, env.launcher.paths);
        QTEST(env.messages.shown.empty() ? QString() : env.messages.shown.back().text, "said");
        QVERIFY(child(&form, u"Command5"_s)->isEnabled() && child(&form, u"Command6"_s)->isEnabled());
        QSignalSpy closed(&form, &Form1::closed);
        QTest::mouseClick(child(&form, u"Command1"_s), Qt::LeftButton);
        QVERIFY(closed.count() == 1 && !form.isVisible());
    }

    // Enter walks the fields to Save and saves; the next fill-up then starts
    // in the first field. While Save is off, Enter in the amount stays there
    // and tells why; in the departure it does nothing. No Enter ends the program.
    // case|locale|factor of USD, "" the Euro|keys from the arrival ("@n" puts the
    // focus in field n, "#" is Enter)|the focus after|what Enter told, ";" apart|Tanko1
    void enterChain_data()
    {
        TestSupport::addRows("%1", R"(
            en: saved by Enter|en||650#40#60###|Text1_2||06.15
            fr: 40,5 litres|fr||650#40,5#60##|Text1_1||06,23
            the amount's reason: a foreign amount too large|en|2|650#40#1e308##|Text1_3|\
                Save is not possible: This amount is too large;Save is not possible: This amount is too large|<absent>
            not a number|en||650#40#60,50#|Text1_3|Save is not possible: This amount is not a number|<absent>
            an unusable rate|en|x|650#40#10#|Text1_3|\
                Save is not possible: The exchange rate of this currency cannot be used|<absent>
            a distance beyond the range|en||@0-1e308@11e308#40#60#|Text1_3|\
                Save is not possible: Total Kilometers: Error|<absent>
            a consumption beyond the range|en||650#1e308#60#|Text1_3|\
                Save is not possible: Average Consumption: Error|<absent>
            a consumption of 0|fr||650#0#60#|Text1_3|\
                Sauvegarde impossible : Moyenne Consommation: Pas de calcul possible|<absent>
            nl: no amount|nl||#40###|Text1_3|\
                Opslaan is niet mogelijk: typ eerst het betaalde bedrag;\
                Opslaan is niet mogelijk: typ eerst het betaalde bedrag|<absent>
            the departure does nothing|en||@0100###|Text1_0||<absent>)",
                             {}, u'\n');
    }

    void enterChain()
    {
        QFETCH(QStringList, row);
        Environment env(row[1], int(QStringList{"en", "fr", "nl"}.indexOf(row[1])));
        if (!row[2].isEmpty()) {
            env.put(u"Anna"_s, u"CurDev"_s, u"2"_s);
            env.put(u"Devises"_s, u"Dev2"_s, u"USD"_s);
            env.put(u"Devises"_s, u"TauxBis2"_s, row[2]);
        }
        Form1 form(env.context());
        QSignalSpy closed(&form, &Form1::closed);
        WindowSupport::show(&form);
        static const QRegularExpression step(u"@\\d|#|[^@#]+"_s);
        for (const auto& match : step.globalMatch(row[3])) {
            const QString part = match.captured();
            if (part.startsWith(u'@'))
                child(&form, u"Text1_"_s + part[1])->setFocus();
            else if (part == u"#")
                key(Qt::Key_Return);
            else
                QTest::keyClicks(QApplication::focusWidget(), part);
        }
        QStringList told;
        for (const QString& said : env.announcer.said)
            if (said.startsWith(u"Text1_3>"))
                told << said.mid(8);
        QCOMPARE(focusName() + u'|' + told.join(u';') + u'|' + env.stored(u"Anna"_s, u"Tanko1"_s),
                 row.mid(4).join(u'|'));
        QVERIFY(closed.isEmpty() && form.isVisible());
    }

    // Opened by its button or by the date, without an icon; a date chosen by
    // keyboard reaches the main window at once; Escape closes it as OK does.
    void calendar_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("expected"); // opened by, long date shown, the main date after
        QTest::newRow("en: button") << "en" << QStringList{"Command8", "Saturday 05 December 2026", "06 December 2026"};
        QTest::newRow("fr: date") << "fr" << QStringList{"Label1_8", "samedi 05 décembre 2026", "06 décembre 2026"};
    }

    void calendar()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, expected);
        Environment env(locale);
        Form1 form(env.context());
        WindowSupport::show(&form);
        QStringList shown{expected[0]};
        bool iconless = false;
        WindowSupport::inNextModal(&form, [&](QWidget* modal) {
            iconless = qobject_cast<Form6*>(modal) && modal->windowIcon().isNull();
            shown << child(modal, u"Label1"_s)->property("text").toString();
            key(Qt::Key_Right);
            key(Qt::Key_Return);
            env.context().setUser(u"Bert"_s);
            key(Qt::Key_Escape);
            QVERIFY(!modal->isVisible());
        });
        QTest::mouseClick(child(&form, expected[0]), Qt::LeftButton);
        QCOMPARE(shown << widget<QLabel>(form, "Label1_8")->text(), expected);
        QVERIFY(iconless && form.windowTitle() == u"Tankometer - Bert - v1.0.43"_s);
    }

    // The card opens from the picture by mouse or keyboard and closes likewise;
    // the main window hides meanwhile and is activated again after.
    void aboutCard_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("openKey"); // 0: a click
        QTest::addColumn<int>("closeKey");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("notice"); // under the picture
        QTest::newRow("en: click, click") << 0 << 0 << 0 << "Click to close..."
                                          << "Version 1.0.43|Free software (GPL-3.0-or-later), with no warranty.|"
                                             "Source code: https://tankometer.example.org";
        QTest::newRow("fr: Enter, Escape")
            << 1 << int(Qt::Key_Return) << int(Qt::Key_Escape) << "Cliquez pour fermer..."
            << "Version 1.0.43|Logiciel libre (GPL-3.0-or-later), sans aucune garantie.|"
               "Code source : https://tankometer.example.org";
        QTest::newRow("nl: Space, Enter")
            << 2 << int(Qt::Key_Space) << int(Qt::Key_Return) << "Klikken om af te sluiten..."
            << "Versie 1.0.43|Vrije software (GPL-3.0-or-later), zonder enige garantie.|"
               "Broncode: https://tankometer.example.org";
    }

    void aboutCard()
    {
        QFETCH(int, language);
        QFETCH(int, openKey);
        QFETCH(int, closeKey);
        Environment env("en", language);
        Form1 form(env.context());
        WindowSupport::show(&form);
        QString tooltip, notice;
        bool mainHidden = false;
        const auto use = [](QWidget* picture, int key) {
            picture->setFocus();
            key ? QTest::keyClick(picture, Qt::Key(key)) : QTest::mouseClick(picture, Qt::LeftButton);
        };
        WindowSupport::inNextModal(&form, [&](QWidget* card) {
            mainHidden = !form.isVisible() && focusName() == u"Image1";
            tooltip = child(card, u"Image1"_s)->toolTip();
            notice = child(card, u"LicenceNotice"_s)->property("text").toString().replace(u'\n', u'|');
            env.context().setUser(u"Bert"_s);
            use(child(card, u"Image1"_s), closeKey);
            QVERIFY(!card->isVisible());
        });
        use(child(&form, u"Image1"_s), openKey);
        QTEST(tooltip, "tooltip");
        QTEST(notice, "notice");
        QVERIFY(mainHidden && form.isVisible() && form.windowTitle() == u"Tankometer - Bert - v1.0.43"_s);
    }

    // The report opens with Close focused, its last line bold with the figures
    // teal, and closes by Enter on either control or by Escape.
    void report_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("control"); // where the key goes
        QTest::addColumn<int>("closeKey");
        QTest::addColumn<QString>("expected"); // caption, then the last line
        QTest::newRow("en: Enter on Close")
            << 0 << "Command1" << int(Qt::Key_Return) << "Close|- Total Average: 07.750 Liters / 100 Kms - Tot: 95.5 €";
        QTest::newRow("fr: Enter in the report")
            << 1 << "Text1" << int(Qt::Key_Enter) << "Fermer|- Moyenne Totale: 07.750 Litres / 100 Kms - Tot: 95.5 €";
        QTest::newRow("nl: Escape") << 2 << "Text1" << int(Qt::Key_Escape)
                                    << "Sluiten|- Totaal Gemiddelde: 07.750 Liters / 100 Kms - Tot: 95.5 €";
    }

    void report()
    {
        QFETCH(int, language);
        QFETCH(QString, control);
        QFETCH(int, closeKey);
        Environment env("en", language, u"Paul"_s);
        env.putRecords(u"05 January 2004;07.45;45.5|20 January 2004;08.05;50"_s, u"Paul"_s);
        Form1 form(env.context());
        WindowSupport::show(&form);
        QStringList shown;
        QString styles; // per character of the last line: B bold, + bold and teal
        WindowSupport::inNextModal(&form, [&](QWidget* modal) {
            QVERIFY(qobject_cast<Form2*>(modal) && focusName() == u"Command1");
            const QTextBlock last = widget<QPlainTextEdit>(*modal, "Text1")->document()->lastBlock().previous();
            shown << widget<QPushButton>(*modal, "Command1")->text() << last.text();
            for (const QTextLayout::FormatRange& range : last.textFormats()) {
                const bool teal = range.format.foreground().color() == QColor(0, 128, 128);
                styles += QString(range.length, range.format.fontWeight() != QFont::Bold ? u'.' : teal ? u'+' : u'B');
            }
            QTest::keyClick(child(modal, control), Qt::Key(closeKey));
            QVERIFY(!modal->isVisible());
        });
        QTest::mouseClick(child(&form, u"Command3"_s), Qt::LeftButton);
        QTEST(shown.join(u'|'), "expected");
        const qsizetype figure = shown.value(1).indexOf(u"07.750"), amount = shown.value(1).indexOf(u"95.5");
        QCOMPARE(styles, QString(figure, u'B') + u"++++++"_s + QString(amount - figure - 6, u'B') + u"++++BB"_s);
    }

    // The user window at start and from the main window: OK or Enter confirm;
    // closed without OK after another language was chosen, the main window
    // comes back speaking the language the store now holds.
    void userWindow_data()
    {
        QTest::addColumn<QString>("how"); // the control clicked, Enter pressed in, or closed
        QTest::newRow("OK") << "Command1";
        QTest::newRow("Enter in the name box") << "Combo1";
        QTest::newRow("closed without OK") << "close";
    }

    void userWindow()
    {
        QFETCH(QString, how);
        Environment env("en", 0, QString());
        WindowSupport::putUser(env, u"Anna"_s, 0);
        StartUp windows(env.context());
        Form3& first = windows.showUserWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        QTest::keyClick(child(&first, u"Combo2"_s), Qt::Key_Return);
        QTRY_VERIFY(windows.mainWindowLoaded() && windows.mainWindow().isVisible() && !windows.userWindow());
        Form1& main = windows.mainWindow();
        widget<QLineEdit>(main, "Text1_0")->setText(u"12000"_s);
        QTest::mouseClick(child(&main, u"Command4"_s), Qt::LeftButton);
        QTRY_VERIFY(!main.isVisible() && windows.userWindow() && windows.userWindow()->isVisible());
        Form3& form = *windows.userWindow();
        QTest::keyClick(child(&form, u"Combo2"_s), Qt::Key_Down); // Français
        if (how == u"close")
            form.close();
        else
            how == u"Combo1" ? QTest::keyClick(child(&form, u"Combo1"_s), Qt::Key_Return)
                             : QTest::mouseClick(child(&form, u"Command1"_s), Qt::LeftButton);
        QTRY_VERIFY(main.isVisible());
        QCOMPARE(env.stored(u"Anna"_s, u"Lang"_s), u"1"_s);
        QCOMPARE(QStringList({child(&main, u"Command4"_s)->property("text").toString(), main.windowTitle(),
                              widget<QLineEdit>(main, "Text1_0")->text()}),
                 QStringList({u"Utilisateur"_s, u"Tankometer - Anna - v1.0.43"_s, u"12000"_s}));
    }

    // Enter anywhere in the currency window submits it; Escape leaves it and stores nothing.
    void currencyWindowKeys_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected"); // CurDev stored, the main window's currency
        QTest::newRow("Enter on the chosen row") << "Option1_2" << int(Qt::Key_Enter) << "2 USD";
        QTest::newRow("Enter in a rate") << "Text2_2" << int(Qt::Key_Return) << "2 USD";
        QTest::newRow("Escape") << "Text2_2" << int(Qt::Key_Escape) << "<absent> Euro";
    }

    void currencyWindowKeys()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        Environment env;
        env.put(u"Anna"_s, u"AffCurrMess"_s, u"False"_s);
        Form1 form(env.context());
        WindowSupport::show(&form);
        WindowSupport::inNextModal(&form, [&](QWidget* modal) {
            QTest::mouseClick(child(modal, u"Option1_2"_s), Qt::LeftButton);
            // Each field of a row tells its rate, not the inverse.
            QCOMPARE(child(modal, u"Text4_2"_s)->toolTip(),
                     u"1 € = "_s + child(modal, u"Text2_2"_s)->property("text").toString() + u" USD"_s);
            child(modal, control)->setFocus();
            QTest::keyClick(child(modal, control), Qt::Key(key));
            QVERIFY(!modal->isVisible());
        });
        QTest::mouseClick(child(&form, u"Command9"_s), Qt::LeftButton);
        QTEST(env.stored(u"Anna"_s, u"CurDev"_s) + u' ' + widget<QLabel>(form, "Label2")->text(), "expected");
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
