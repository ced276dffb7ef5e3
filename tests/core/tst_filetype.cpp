// The ".tnk" data-file type: the declaration through the registry routines,
// the classes table that stands in for the registry, and the freedesktop
// files, written whole or not at all, with an open command the desktop reads
// back as the program's path exactly.
#include "TestSupport.h"

#include "core/filetype/modFileType.h"
#include "core/frame/Files.h"
#include "core/frame/Resources.h"
#include "core/platform/ClassesStore.h"
#include "core/platform/FreedesktopShell.h"

#include <QRegularExpression>
#include <QTest>

using modFileType::ClassesRoot;

namespace
{
QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        const QString entry = home.filePath("applications/tankometer-tnk.desktop");
        QVERIFY(Files::write(entry, "[Desktop Entry]\nExec=old %f\n").isEmpty());
        QVERIFY(QFile::link("/dev/full", entry + ".part"));
        FreedesktopShell([] { return QString("/opt/new"); }, [](const QString&, const QStringList&) {})
            .changeNotify(modFileType::AssocChanged, modFileType::IdList);
        QCOMPARE(bytesOf(entry), QByteArray("[Desktop Entry]\nExec=old %f\n"));
        QCOMPARE(QDir(home.filePath("applications")).entryList(QDir::Files | QDir::System),
                 QStringList{"tankometer-tnk.desktop"});
    }
};

QTEST_GUILESS_MAIN(TestFileType)
#include "tst_filetype.moc"
