// The program on the command line, in an account of its own and without a
// display: --export, --import with and without --yes, --help, --version, each
// error with its exit status, the windows' arguments without a display; and beside a running program, which a later
// start hands the file to open; an import that a signal ends.
#include "TestSupport.h"

#include "core/frame/Files.h"

#include <QProcess>
#include <QTest>

#include <csignal>
#include <sqlite3.h>

using TestSupport::addRows;

namespace
{
// An account with a store of two users, Anna and Bert, none with fill-ups,
// and a file ~/in.tnk of two.
class Account : public TestSupport::ProgramAccount
{
public:
    Account()
    {
        QDir().mkpath(path("~/data/Tanko"));
        SettingsStore store(path("~/data/Tanko/tanko.db"));
        QVERIFY(store.open() &&
                store.saveAll({{"Option", "TotUsers", "2"}, {"Option", "User1", "Anna"}, {"Option", "User2", "Bert"}}));
        QVERIFY(Files::write(path("~/in.tnk"), "date,litres\n2026-12-05,40\n2026-12-06,41\n").isEmpty());
    }
};

// Whether the process has a handler of its own for the signal.
bool catches(const QProcess& process, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const qsizetype at = text.indexOf("SigCgt:");
    return at >= 0 &&
           (text.mid(at + 7, text.indexOf('\n', at) - at - 7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
}
} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    // arguments|standard input ("\n" a line break)|exit status|stderr|stdout|Bert's fill-ups and the
    // lines of ~/out.tnk after ("~" the account)
    void commands_data()
    {
        addRows("%1", QString::fromUtf8(R"(
--version||0||tankometer 1.0.43\nLicense GPL-3.0-or-later: GNU GPL version 3 or later \
    <https://gnu.org/licenses/gpl.html>\nThis is free software: you are free to change and redistribute it.\n\
    There is NO WARRANTY, to the extent permitted by law.\nSource code: https://tankometer.example.org\n|<absent> -
--foo ~/in.tnk||2|tankometer: Unknown option 'foo'.\nUsage: tankometer [--store WHERE] --export NAME FILE\n||<absent> -
-a.tnk||2|tankometer: Unknown option 'a.tnk'.\nUsage: tankometer [--store WHERE] --export NAME FILE\n||<absent> -
--import||2|tankometer: Missing value after '--import'.\nUsage: tankometer [--store WHERE] --export NAME FILE\n||<absent> -
-style Fusion ~/in.tnk||1|tankometer: no display to open the windows on: neither DISPLAY nor WAYLAND_DISPLAY \
    is set (--export and --import need none)\n||<absent> -
--export Anna ~/out.tnk||0|tankometer: 0 fill-ups of "Anna" written to ~/out.tnk\n||<absent> 1
--import Bert ~/in.tnk --yes||0|tankometer: columns: date ← date; litres ← litres (litres)\ntankometer: as \
    --columns: date=1,litres=2@l\ntankometer: 2 fill-ups imported into "Bert" from ~/in.tnk; 0 already present, \
    skipped; 0 lines refused\n||2 -
--import Bert ~/in.tnk|y|3|tankometer: columns: date ← date; litres ← litres (litres)\ntankometer: as --columns: \
    date=1,litres=2@l\nImport this file into the fill-ups of Bert?\n~/in.tnk\ndate ← date; litres ← litres \
    (litres)\n\n2 fill-ups to import\n0 fill-ups already present, skipped\n0 lines refused\ntankometer: nothing \
    imported; add --yes to import\n||<absent> -
--import Bert - --yes --date-order mdy --sort-by-date|Date,Liters,Total\n5/8/2020,40,60\n6/9/2020,41,61|0|\
    tankometer: columns: date ← Date (month first); litres ← Liters (litres); amount ← Total (total, €)\n\
    tankometer: as --columns: date=1,litres=2@l,amount=3\ntankometer: 2 fill-ups imported into "Bert" from -; 0 \
    already present, skipped; 0 lines refused; all fill-ups put in date order\n||2 -
--import Bert -|Date,Liters\n5/8/2020,40\n6/9/2020,41|2|tankometer: the dates can be read in more than one order \
    (5/8/2020); give --date-order dmy or --date-order mdy\n||<absent> -
--import Bert - --columns date=1,litres=7|Date,Liters\n2020-05-08,40|2|tankometer: --columns: litres: the file \
    has no column "7"\n||<absent> -
--import Bert - --yes|Date,Odometer,Fuel\n2020-05-08,1000,40|2|tankometer: columns: date ← Date; distance ← \
    Odometer (unit not stated), odometer differences; litres ← Fuel (unit not stated)\ntankometer: as --columns: \
    date=1,odometer=2,litres=3\ntankometer: the columns must be confirmed: the file does not say whether its \
    distances are in km or in miles; the file does not say in which unit its quantities are; give them with \
    --columns, with the unit after @ (km, mi, l, usgal, impgal) and the amount's currency (one of the currency \
    table) after @\n||<absent> -
--import Bert - --yes|Date,Liters\n2020-05-08,abc|1|tankometer: columns: date ← Date; litres ← Liters (litres)\n\
    tankometer: as --columns: date=1,litres=2@l\ntankometer: row 2: Liters: "abc" is not a number of 0 or more\n\
    tankometer: 0 fill-ups imported into "Bert" from -; 0 already present, skipped; 1 line refused\n||<absent> -
--export Anna ~/out.tnk --vehicle X||2|tankometer: --vehicle goes with --import\n||<absent> -
--export Anna ~/in.tnk/out.tnk||1|tankometer: nothing exported: The folder of ~/in.tnk/out.tnk does not exist.\n||<absent> -
--export Anna -||0|tankometer: 0 fill-ups of "Anna" written to standard output\n|\
    date,distance_km,litres,consumption_l_per_100km,amount_eur,amount_paid,currency\r\n|<absent> -
--export anna ~/out.tnk||2|tankometer: no user named "anna" (names are matched exactly, letter case included); \
    the users are "Anna", "Bert"\n||<absent> -)"),
                {}, u'\n');
    }

    void commands()
    {
        QFETCH(QStringList, row);
        Account account;
        const QString said = account.run(row[0].split(u' '), row[1].replace("\\n", "\n").toUtf8() + '\n');
        QCOMPARE(said, account.path(row.mid(2, 3).join(u'|').replace("\\n", "\n").replace("\\r", "\r")));
        QFile out(account.path("~/out.tnk"));
        const QString lines = out.open(QIODevice::ReadOnly) ? QString::number(out.readAll().count('\n')) : "-";
        SettingsStore store(account.path("~/data/Tanko/tanko.db"));
        const QString* bert = store.open() ? store.find(u"Bert", u"TotEntry") : nullptr;
        QCOMPARE((bert ? *bert : "<absent>") + ' ' + lines, row[5]);
    }

    // Neither waits for the windows nor disturbs them; a later start with a
    // file hands it to them.
    void besideTheRunningProgram()
    {
        Account account;
        QProcess& windows = *account.start({}, {"QT_LOGGING_RULES=tanko.platform.info=true"});
        QVERIFY(account.up(windows));
        QVERIFY(account.run({"--help"}).startsWith("0||Usage: tankometer [--store WHERE] --export NAME FILE\n"));
        QCOMPARE(account.run({"~/in.tnk"}),
                 "0|tankometer: already running in this account; the file was handed to that window.\n|");
        QString said;
        QTRY_VERIFY((said += windows.readAllStandardError()).contains("asked to open " + account.path("~/in.tnk")));
    }

    // A signal at the question, or while another program holds the store,
    // ends the import before anything is written, and closes the store.
    void signalEndsAnImport_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("asked");
        QTest::newRow("SIGTERM at the question") << SIGTERM << true;
        QTest::newRow("SIGINT while the store is held") << SIGINT << false;
        QTest::newRow("SIGHUP while the store is held") << SIGHUP << false;
    }

    void signalEndsAnImport()
    {
        QFETCH(int, signal);
        QFETCH(bool, asked);
        Account account;
        account.onTerminal(); // where the question is asked
        const QString store = account.path("~/data/Tanko/tanko.db");
        sqlite3* other = nullptr; // holds the store's write lock
        if (!asked) {
            sqlite3_open(store.toUtf8().constData(), &other);
            QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        QProcess& importing = *account.start({"--import", "Bert", "~/in.tnk", asked ? "" : "--yes"});
        QByteArray said;
        if (asked)
            QTRY_VERIFY((said += importing.readAllStandardError()).endsWith("Import? [y/N] "));
        else // after the exec, which drops this test's own handlers
            QTRY_VERIFY(importing.waitForStarted() && catches(importing, signal));
        ::kill(pid_t(importing.processId()), signal);
        sqlite3_close(other);
        QVERIFY(importing.waitForFinished(10000));
        QCOMPARE(importing.exitStatus(), QProcess::NormalExit);
        QCOMPARE(importing.exitCode(), 128 + signal);
        const QByteArray name = QByteArray(QTest::currentDataTag()).split(' ').front();
        QVERIFY((said + importing.readAllStandardError())
                    .endsWith("tankometer: nothing imported: ended by " + name + '\n'));
        QVERIFY(!QFile::exists(store + "-wal"));
        SettingsStore after(store);
        QVERIFY(after.open() && !after.find(u"Bert", u"TotEntry"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
