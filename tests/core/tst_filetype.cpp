// The ".tnk" data-file type: the declaration through the registry routines,
// the classes table that stands in for the registry, and the freedesktop
// files, written whole or not at all, with an open command the desktop reads
// back as the program's path exactly, and left to an installation that
// declares the type itself.
#include "TestSupport.h"

#include "core/filetype/modFileType.h"
#include "core/frame/Files.h"
#include "core/frame/Resources.h"
#include "core/platform/ClassesStore.h"
#include "core/platform/FreedesktopShell.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

using modFileType::ClassesRoot;

namespace
{
QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The files below a folder, by path relative to it, sorted.
QStringList filesUnder(const QString& dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

// The eight items as the registry holds them, "|" between them.
QString declared(Platform::Registry& registry)
{
    QStringList items;
    for (const char* item :
         {".tnk|", ".tnk|Content Type", "Tanko File|", "Tanko File|EditFlags", "Tanko File\\DefaultIcon|",
          "Tanko File\\Shell|", "Tanko File\\Shell\\Open|", "Tanko File\\Shell\\Open\\Command|"}) {
        const auto v = registry.query(ClassesRoot, QString(item).section(u'|', 0, 0), QString(item).section(u'|', 1));
        items << (!v ? "-" : v->type == Platform::RegDword ? QString::number(v->number) : v->text);
    }
    return items.join(u'|');
}
} // namespace

class TestFileType : public QObject
{
    Q_OBJECT

private slots:
    // Only the marker counts: missing, empty or a number, all eight items are
    // written and the shell told once; any text leaves everything as it is.
    void markerDecides_data()
    {
        QTest::addColumn<int>("markerType"); // RegNone: no marker
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("items"); // after the declaration; "" when nothing is written
        const auto row = [](const char* name, int type, const char* marker, const char* folder, QString items) {
            QTest::newRow(name) << type << marker << folder << items.replace("~", folder);
        };
        const char* all = "Tanko File|Data|Tanko saved Data|0|~\\Tankometer.exe,0|||\"~\\Tankometer.exe\" \"%1\"";
        row("no marker: declared", Platform::RegNone, "", "C:\\Tanko", all);
        row("marker empty: declared again", Platform::RegSz, "", "C:\\Tanko", all);
        row("marker a number: declared again", Platform::RegDword, "", "C:\\Tanko", all);
        row("marker Other: nothing done", Platform::RegSz, "Other", "C:\\Tanko", "");
        row("a drive's root doubles the separator", Platform::RegNone, "", "D:\\", all);
    }

    void markerDecides()
    {
        QFETCH(int, markerType);
        QFETCH(QString, marker);
        QFETCH(QString, folder);
        QFETCH(QString, items);
        TestSupport::Environment env;
        env.program.dir = folder;
        env.program.name = "Tankometer";
        if (markerType != Platform::RegNone)
            env.registry.values["80000000|.tnk|content type"] = {quint32(markerType), marker, 1};
        RegisterDataFileType(env.services());
        QCOMPARE(env.registry.writes, items.isEmpty() ? 0 : 8);
        QCOMPARE(env.shell.notices, items.isEmpty() ? QList<qint32>() : QList<qint32>{0x08000000});
        if (!items.isEmpty())
            QCOMPARE(declared(env.registry), items);
    }

    // Typed values in the settings file, names of any letter case; another
    // root is another tree.
    void classesStore()
    {
        TestSupport::Environment env;
        const auto ClassesStore = [&env] { return ::ClassesStore([&env] { return env.storePath(); }); };
        QVERIFY(ClassesStore().setString(ClassesRoot, ".tnk", "Content Type", "Data"));
        QVERIFY(ClassesStore().setDword(ClassesRoot, "Tanko File", "EditFlags", 0xFFFFFFFFu));
        const auto text = ClassesStore().query(ClassesRoot, ".TNK", "CONTENT TYPE");
        QVERIFY(text && text->type == Platform::RegSz && text->text == u"Data");
        const auto number = ClassesStore().query(ClassesRoot, "tanko file", "editflags");
        QVERIFY(number && number->type == Platform::RegDword && number->number == 0xFFFFFFFFu);
        QVERIFY(!ClassesStore().query(0x80000001u, ".tnk", "Content Type"));
    }

    // Quoted for Exec (\ " $ ` escaped, % doubled), then escaped as a string value.
    void desktopFiles_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        const auto row = [](const char* name, const char* program, const char* exec) {
            QTest::newRow(name) << program << QString("Exec=\"%1\" %f").arg(exec);
        };
        row("a blank", "/opt/Tanko Meter/tankometer", "/opt/Tanko Meter/tankometer");
        row("a percent sign", "/opt/100%/tankometer", "/opt/100%%/tankometer");
        row("quote, dollar, backtick, backslash", "/opt/a\"b$c`d\\e/tankometer",
            "/opt/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e/tankometer");
        row("a line break", "/opt/x\ny/tankometer", "/opt/x\\ny/tankometer");
    }

    void desktopFiles()
    {
        QFETCH(QString, program);
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        FreedesktopShell([&program] { return program; }, [](const QString&, const QStringList&) {})
            .changeNotify(modFileType::AssocChanged, modFileType::IdList);
        const QStringList entry =
            QString::fromUtf8(bytesOf(home.filePath("applications/tankometer-tnk.desktop"))).split(u'\n');
        QTEST(entry.filter(QRegularExpression("^Exec=")).join(u'\n'), "exec");
        ensureCoreResources();
        QCOMPARE(bytesOf(home.filePath("icons/hicolor/scalable/mimetypes/application-x-tanko.svg")),
                 bytesOf(":/icons/tankometer.svg"));
    }

    // A full disk: the entry of the last declaration stays whole, no part is left.
    void fullDiskLeavesTheOldFile()
    {
        TestSupport::SmallDisk home;
        if (!home.mounted())
            QSKIP("mounting a small file system needs root");
        qputenv("XDG_DATA_HOME", home.path("").toUtf8());
        const QString entry = home.path("applications/tankometer-tnk.desktop");
        QVERIFY(Files::write(entry, "[Desktop Entry]\nExec=old %f\n").isEmpty());
        home.fill();
        FreedesktopShell([] { return QString("/opt/new"); }, [](const QString&, const QStringList&) {})
            .changeNotify(modFileType::AssocChanged, modFileType::IdList);
        QCOMPARE(bytesOf(entry), QByteArray("[Desktop Entry]\nExec=old %f\n"));
        QCOMPARE(QDir(home.path("applications")).entryList(QDir::Files | QDir::System | QDir::Hidden),
                 QStringList{"tankometer-tnk.desktop"});
    }

    // The installed program leaves the account to its package's declaration:
    // it writes nothing there and removes, at start, the copies an earlier
    // run wrote, unless the user changed them. Anything else declares as before.
    // "~" is a scratch root holding usr/bin/tankometer, usr/share (the
    // installation) and build/tankometer.
    void installedProgram_data()
    {
        QTest::addColumn<QString>("exec"); // of the installed entry; "" for none
        QTest::addColumn<bool>("mimeInstalled");
        QTest::addColumn<QString>("dataDirs");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("earlier"); // copies in the account: "none", "own", "edited"
        QTest::addColumn<QStringList>("afterStart");
        QTest::addColumn<QStringList>("afterDeclaring");
        const QStringList all = {"applications/tankometer-tnk.desktop", "icons/hicolor/scalable/apps/tankometer.svg",
                                 "icons/hicolor/scalable/mimetypes/application-x-tanko.svg",
                                 "mime/packages/tankometer-tnk.xml"};
        const QStringList none;
        const QString installed = "~/usr/bin/tankometer", built = "~/build/tankometer";
        QTest::newRow("from a build folder: declared")
            << "tankometer" << true << "~/usr/share" << built << "none" << none << all;
        QTest::newRow("from a build folder: earlier copies kept")
            << "tankometer" << true << "~/usr/share" << built << "own" << all << all;
        QTest::newRow("installed: nothing written")
            << "tankometer" << true << "~/usr/share" << installed << "none" << none << none;
        QTest::newRow("installed: earlier copies removed at start")
            << "tankometer" << true << "~/usr/share" << installed << "own" << none << none;
        QTest::newRow("installed: a copy the user changed kept")
            << "tankometer" << true << "~/usr/share" << installed << "edited"
            << QStringList{"applications/tankometer-tnk.desktop"} << QStringList{"applications/tankometer-tnk.desktop"};
        QTest::newRow("installed, Exec by full path")
            << "~/usr/bin/tankometer" << true << "~/usr/share" << installed << "own" << none << none;
        QTest::newRow("installed in the second data folder")
            << "tankometer" << true << "~/other:~/usr/share" << installed << "own" << none << none;
        QTest::newRow("entry starts another program: declared")
            << "~/build/tankometer" << true << "~/usr/share" << installed << "own" << all << all;
        QTest::newRow("no entry installed: declared")
            << "" << true << "~/usr/share" << installed << "own" << all << all;
        QTest::newRow("no MIME type installed: declared")
            << "tankometer" << false << "~/usr/share" << installed << "own" << all << all;
        QTest::newRow("installation outside XDG_DATA_DIRS: declared")
            << "tankometer" << true << "~/other" << installed << "own" << all << all;
    }

    void installedProgram()
    {
        QFETCH(QString, exec);
        QFETCH(bool, mimeInstalled);
        QFETCH(QString, dataDirs);
        QFETCH(QString, program);
        QFETCH(QString, earlier);
        QTemporaryDir root;
        const auto at = [&root](QString path) { return path.replace("~", root.path()); };
        const auto guard = qScopeGuard([] { qunsetenv("XDG_DATA_DIRS"); });
        for (const char* file : {"usr/bin/tankometer", "build/tankometer"})
            QVERIFY(Files::write(root.filePath(file), "#!/bin/sh\n").isEmpty());
        if (!exec.isEmpty())
            QVERIFY(Files::write(root.filePath("usr/share/applications/org.example.tankometer.desktop"),
                                 "[Desktop Entry]\nType=Application\nName=Tankometer\nExec=" + at(exec).toUtf8() +
                                     " %f\nMimeType=application/x-tanko;\n")
                        .isEmpty());
        if (mimeInstalled)
            QVERIFY(Files::write(root.filePath("usr/share/mime/packages/tankometer.xml"), "<mime-info/>\n").isEmpty());
        const QString home = root.filePath("home");
        qputenv("XDG_DATA_HOME", home.toUtf8());
        FreedesktopShell shell([&] { return at(program); }, [](const QString&, const QStringList&) {});

        // The earlier run: the same program before its package was there.
        qputenv("XDG_DATA_DIRS", root.filePath("empty").toUtf8());
        if (earlier != "none")
            shell.changeNotify(modFileType::AssocChanged, modFileType::IdList);
        if (earlier == "edited") {
            QFile entry(home + "/applications/tankometer-tnk.desktop");
            QVERIFY(entry.open(QIODevice::Append) && entry.write("Comment=mine\n") > 0);
        }

        qputenv("XDG_DATA_DIRS", at(dataDirs).toUtf8());
        shell.removeAccountCopiesIfInstalled();
        QTEST(filesUnder(home), "afterStart");
        shell.changeNotify(modFileType::AssocChanged, modFileType::IdList);
        QTEST(filesUnder(home), "afterDeclaring");
    }
};

QTEST_GUILESS_MAIN(TestFileType)
#include "tst_filetype.moc"
