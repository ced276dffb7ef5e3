// Export and import as the user goes through them, with the file dialog and
// the message boxes behind their doubles: the dialog asked for, the messages in
// order, what reaches the file and the store, LastPath; a file opened from the
// desktop, offered once the user is chosen.
#include "WindowSupport.h"

#include "core/frame/Files.h"
#include "gui/filetype/ImportExport.h"
#include "gui/mainwindow/Form1.h"
#include "gui/mainwindow/StartUp.h"
#include "gui/users/Form3.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using TestSupport::addRows;
using WindowSupport::Environment;
using WindowSupport::Message;
using Answer = Platform::FileDialogs::Answer;

namespace
{
// Anna has this fill-up; the file repeats it and brings another.
const QByteArray kFile = "date,distance_km,litres,consumption_l_per_100km,amount_eur,amount_paid,currency\r\n"
                         "2026-12-05,,,06.15,60,,\r\n2026-12-06,,,08.15,61,,\r\n";
} // namespace

class TestExchangeWindow : public QObject
{
    Q_OBJECT

private slots:
    // language|mode: import 1, export 2|LastPath before|the file dialog chooses ~/chosen.tnk, or
    // "cancel"|the file there before an import ("own": two fill-ups, one repeating Anna's)
    // or after an export|the answer to the summary|the messages, "text (style, title)", then
    // the dialog's title, apart by " # "|Anna's fill-ups and LastPath after
    void flows_data()
    {
        addRows("%1", R"(
en export|0|2||~/chosen.tnk|date,distance_km,litres,consumption_l_per_100km,amount_eur,amount_paid,currency\r\n\
    2026-12-05,,,06.15,60,,\r\n|0|Data Exported\n\r~/chosen.tnk\nFill-ups: 1 (64, Main) # Export Tanko Data - Select \
    the destination path|1 ~/chosen.tnk
fr export into a file that is no folder|1|2|~/tanko.db/x.tnk|~/tanko.db/x.tnk|<none>|0|L'xport des données a \
    échoué\nLe dossier de ~/tanko.db/x.tnk n'existe pas. (64, Main) # Exporter Données Tanko - Selectionnez le \
    dossier source|1 ~/tanko.db/x.tnk
nl import cancelled in the dialog|2|1|/old.tnk|cancel|own|0|Import Tanko Data - Select the destination path|\
    1 /old.tnk
en import|0|1||~/chosen.tnk|own|0|Import this file into the fill-ups of Anna?\n~/chosen.tnk\n\n1 fill-ups to \
    import\n1 fill-ups already present, skipped\n0 lines refused [Import/Cancel] (64, Main) # Data Imported\n\r\
    ~/chosen.tnk\nFill-ups: 1 (64, Main) # Import Tanko Data - Select the destination path|2 ~/chosen.tnk
en import cancelled at the summary|0|1|/old.tnk|~/chosen.tnk|own|1|Import this file into the fill-ups of Anna?\n\
    ~/chosen.tnk\n\n1 fill-ups to import\n1 fill-ups already present, skipped\n0 lines refused [Import/Cancel] \
    (64, Main) # Import Tanko Data - Select the destination path|1 /old.tnk
a stored error holding markup, then an empty file|0|1|Error <b>75</b> on C:\Tanko.tnk|~/chosen.tnk||0|\
    Error <b>75</b> on C:\Tanko.tnk (48, Tankometer) # Data Import failed\nThis file is empty. (64, Main) # \
    Import Tanko Data - Select the destination path|1 Error <b>75</b> on C:\Tanko.tnk)",
                {}, u'\n');
    }

    void flows()
    {
        QFETCH(QStringList, row);
        Environment env("en", row[1].toInt());
        const QString folder = QFileInfo(env.storePath()).path();
        env.putRecords("05 December 2026;06.15;60;");
        for (QString& field : row)
            field.replace(u'~', folder).replace("\\r", "\r").replace("\\n", "\n");
        env.put("Anna", "LastPath", row[3]);
        const QString chosen = row[4] == u"cancel" ? folder + "/chosen.tnk" : row[4];
        const QByteArray file = row[5] == u"own" ? kFile : row[5].toUtf8();
        if (row[2] == u"1")
            QVERIFY(Files::write(chosen, file).isEmpty());
        env.files.answers.push_back({row[4] == u"cancel" ? Answer::Cancelled : Answer::Chosen, chosen});
        env.messages.answer = [answer = row[6].toInt()](const QString&) { return answer; };
        ImportExport(env.context(), nullptr).Run(qint16(row[2].toInt()), "Main");

        QStringList seen;
        for (const Message& m : env.messages.shown)
            seen << QString("%1 (%2, %3)").arg(m.text).arg(m.style).arg(m.title);
        QCOMPARE((seen << env.files.asked.at(0).title).join(" # ").replace(u'|', u'/'), row[7]);
        QCOMPARE(env.files.asked[0].fileName, row[3]);
        QCOMPARE(env.files.asked[0].filter, "Tanko files (*.tnk)|*.tnk|CSV files (*.csv)|*.csv");
        QCOMPARE(env.files.asked[0].flags, row[2] == u"1" ? 2627588 : 2627590);
        QFile written(chosen);
        QCOMPARE(written.open(QIODevice::ReadOnly) ? written.readAll() : "<none>", file);
        QCOMPARE(env.stored("Anna", "TotEntry") + ' ' + env.stored("Anna", "LastPath"), row[8]);
    }

    // Opened from the desktop while the user window asks who is there.
    void desktopFileOfferedOnceTheUserIsChosen()
    {
        Environment env;
        WindowSupport::putUser(env, "Anna", 0);
        env.putRecords("05 December 2026;06.15;60;");
        const QString in = QFileInfo(env.storePath()).path() + "/in.tnk";
        QVERIFY(Files::write(in, kFile).isEmpty());
        env.messages.answer = [](const QString&) { return 0; };
        // Opened while the user button has hidden the main window.
        StartUp windows(env.context());
        windows.mainWindow().hide();
        Form3& form3 = windows.showUserWindow();
        windows.openDataFile(in);
        QTest::qWait(50);
        QVERIFY(env.messages.shown.empty());
        QTest::mouseClick(WindowSupport::child<QPushButton>(form3, "Command1"), Qt::LeftButton);
        QTRY_COMPARE(env.stored("Anna", "TotEntry"), "2");
        // The average counts them at once.
        QCOMPARE(windows.mainWindow().findChild<QLabel*>("Panel3")->text(), "07.15 Liters / 100 Kms");
    }
};

QTEST_MAIN(TestExchangeWindow)
#include "tst_exchangewindow.moc"
