// Where an export may write and what it writes: the files refused with their
// reasons, links, modes and owners kept, a full disk, cells a spreadsheet
// would run, and numbers the store holds in forms of their own.
#include "core/filetype/Exchange.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace TestSupport;

namespace
{
const QByteArray kOld = "old,file\r\n";
const QByteArray kExported = "date,distance_km,litres,consumption_l_per_100km,amount_eur,amount_paid,currency\r\n"
                             "2026-12-05,650,40,06.15,60.50,,\r\n";

bool plant(const QString& file, const QByteArray& bytes, QFileDevice::Permissions mode = {})
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    return mode == QFileDevice::Permissions() || f.setPermissions(mode);
}

// Sets up what stands at the target before the export, in the store's folder.
void prepare(const QString& kind, const QDir& dir)
{
    const QByteArray path = QFile::encodeName(dir.filePath("out.csv"));
    if (kind == "file 0600")
        QVERIFY(plant(dir.filePath("out.csv"), kOld, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    else if (kind == "read-only")
        QVERIFY(plant(dir.filePath("out.csv"), kOld, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    else if (kind == "backup")
        QVERIFY(dir.mkdir("backups") && plant(dir.filePath("backups/tanko-1.db"), kOld));
    else if (kind == "database")
        QVERIFY(plant(dir.filePath("out.csv"), QByteArray("SQLite format 3\0rest", 20)));
    else if (kind == "link")
        QVERIFY(plant(dir.filePath("real.csv"), kOld) && QFile::link("real.csv", dir.filePath("out.csv")));
    else if (kind == "link to store")
        QVERIFY(QFile::link(dir.filePath("tanko.db"), dir.filePath("out.csv")));
    else if (kind == "loop")
        QVERIFY(QFile::link("loop.csv", dir.filePath("out.csv")) && QFile::link("out.csv", dir.filePath("loop.csv")));
    else if (kind == "folder")
        QVERIFY(dir.mkdir("out.csv"));
    else if (kind == "fifo")
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    else if (kind == "device" && ::mknod(path.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("no right to make a device node here");
    else if (kind == "planted part")
        QVERIFY(plant(dir.filePath("victim"), kOld) && QFile::link("victim", dir.filePath("out.csv.part")));
    else if (kind == "other owner" && (::geteuid() != 0 || !plant(dir.filePath("out.csv"), kOld) ||
                                       ::chown(path.constData(), 65534, 65534) != 0))
        QSKIP("only root can give a file to another account");
}
} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    // what stands there|the name given ("~" the store's folder)|the refusal, empty
    // when written|the file the export lands in, where it is written
    void targets_data()
    {
        addRows("%1 at %2", R"(
|~/out.csv||~/out.csv
file 0600|~/out.csv||~/out.csv
link|~/out.csv||~/real.csv
planted part|~/out.csv||~/out.csv
other owner|~/out.csv||~/out.csv
|~/tanko.db|~/tanko.db is the program's own store of fill-ups. An export never replaces it: choose another file.|
|~/tanko.db-wal|~/tanko.db-wal is the program's own store of fill-ups. An export never replaces it: choose another file.|
link to store|~/out.csv|~/out.csv is the program's own store of fill-ups. An export never replaces it: choose another file.|
backup|~/backups/tanko-1.db|~/backups/tanko-1.db is in the folder of the store's backups, which an export never touches.|
backup|~/backups/new.csv|~/backups/new.csv is in the folder of the store's backups, which an export never touches.|
database|~/out.csv|~/out.csv is a database, not an exported file. An export never replaces it.|
folder|~/out.csv|~/out.csv is a folder, not a file.|
fifo|~/out.csv|~/out.csv is not a file but a device, a pipe or a socket.|
device|~/out.csv|~/out.csv is not a file but a device, a pipe or a socket.|
loop|~/out.csv|The links at ~/out.csv lead round in a circle.|
|~/none/out.csv|The folder of ~/none/out.csv does not exist.|
read-only|~/out.csv|You may not write ~/out.csv: )" + QString(::geteuid() == 0 ? "the file is read-only" : "Permission denied") +
                                  "|");
    }

    void targets()
    {
        QFETCH(QStringList, row);
        Environment env;
        env.putRecords("05 December 2026;06.15;60.50;-");
        env.put("Anna", "Kms1", "650");
        env.put("Anna", "Ltrs1", "40");
        const QDir dir = QFileInfo(env.storePath()).dir();
        prepare(row[0], dir);
        const QString target = QString(row[1]).replace("~", dir.path());
        const QFileInfo before(target);
        const bool existed = before.exists(), link = before.isSymLink();
        const QFileDevice::Permissions mode = before.permissions();
        const uint owner = existed ? before.ownerId() : ::geteuid();
        QFile old(target);
        const QByteArray oldBytes = before.isFile() && old.open(QIODevice::ReadOnly) ? old.readAll() : QByteArray();

        const Exchange::ExportResult result = Exchange::ExportFile(env.context(), target);

        QCOMPARE(result.problem, QString(row[2]).replace("~", dir.path()));
        QCOMPARE(result.written, qint64(row[2].isEmpty() ? 1 : 0));
        QCOMPARE(env.stored("Anna", "Tanko1"), "06.15");
        QCOMPARE(QFileInfo(target).isSymLink(), link);
        const QString landed = row[3].isEmpty() ? target : QString(row[3]).replace("~", dir.path());
        QFile file(landed);
        QCOMPARE(QFileInfo(landed).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), row[3].isEmpty() ? oldBytes : kExported);
        if (!row[3].isEmpty()) {
            QCOMPARE(QFileInfo(landed).permissions(), existed ? mode : QFileInfo(landed).permissions());
            QCOMPARE(QFileInfo(landed).ownerId(), owner);
        }
        QCOMPARE(QFileInfo::exists(dir.filePath("none")), false);
        if (QFileInfo::exists(dir.filePath("victim")))
            QCOMPARE(QFileInfo(dir.filePath("victim")).size(), kOld.size());
    }

    // A full disk leaves the old file whole, no temporary file beside it,
    // and says so in the system's words.
    void fullDisk()
    {
        SmallDisk disk;
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        Environment env;
        env.putRecords("05 December 2026;06.15;60.50;-");
        const QString target = disk.path("out.csv");
        QVERIFY(plant(target, kOld));
        disk.fill();
        const Exchange::ExportResult result = Exchange::ExportFile(env.context(), target);
        QVERIFY2(result.problem.endsWith("No space left on device"), qPrintable(result.problem));
        QCOMPARE(result.written, 0);
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kOld);
        QCOMPARE(QDir(disk.path("")).entryList(QDir::Files | QDir::Hidden), QStringList({"filler", "out.csv"}));
    }

    // stored Pay|stored PayCom ("-" none)|the line's amount_eur, amount_paid and
    // currency|Pay and PayCom of the user who imports the file. Text cells
    // that a spreadsheet would run get a "'" in front and come back as they
    // were; numbers keep their own digits, or their value where it has digits
    // of its own, or are left empty.
    void cells_data()
    {
        addRows("%1 %2", R"(
60.50|12 =1+2|60.50,12,'=1+2|60.50;12 =1+2
60.50|12 @SUM(A1)|60.50,12,'@SUM(A1)|60.50;12 @SUM(A1)
60.50|12 +1|60.50,12,'+1|60.50;12 +1
60.50|12 -3|60.50,12,'-3|60.50;12 -3
60.50|12 'quoted|60.50,12,''quoted|60.50;12 'quoted
60.50|46.80 US Dollar|60.50,46.80,US Dollar|60.50;46.80 US Dollar
1e-320|-|,,|;<absent>
1E+20|-|1E+20,,|1E+20;<absent>
1,234.5|-|1234.5,,|1234.5;<absent>
1e400|-|,,|;<absent>)",
                {}, u'\n');
    }

    void cells()
    {
        QFETCH(QStringList, row);
        Environment env;
        env.put("Anna", "TotEntry", "1");
        env.put("Anna", "Date1", "05 December 2026");
        env.put("Anna", "Pay1", row[0]);
        if (row[1] != "-")
            env.put("Anna", "PayCom1", row[1]);
        Context& context = env.context();
        const QByteArray text = Exchange::ExportText(*context.fillUps().list("Anna"), context.locale());
        QCOMPARE(QString::fromUtf8(text).section("\r\n", 1, 1), "2026-12-05,,,," + row[2]);

        context.setUser("Bert");
        Exchange::ApplyImport(context, Exchange::PlanImport(text, context));
        QCOMPARE(env.stored("Bert", "Pay1") + u';' + env.stored("Bert", "PayCom1"), row[3]);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
