#include "Version.h"
#include "filetype/FreedesktopShell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The .deb as a user gets it: built by CPack from the current build, unpacked
// with dpkg into a scratch root, its files checked, and the program in it
// started on the offscreen platform.
namespace
{
struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    if (!finished)
        process.kill();
    process.waitForFinished();
    return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool hasVisiblePixels(const QImage& image)
{
    QImage blank(image.size(), QImage::Format_Alpha8);
    blank.fill(0);
    return !image.isNull() && image.convertToFormat(QImage::Format_Alpha8) != blank;
}

const QList<int> IconSides = {16, 32, 48, 64, 128, 256};
} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controlNamesThePackageAndItsRuntime();
    void installsFiles();
    void declaresTheProgramAndTheTnkType();
    void installedProgramStarts();
    void windowsIconHoldsEverySize();

private:
    QString path(const QString& inside) const { return QDir(m_root).filePath(inside); }
    QTemporaryDir m_dir;
    QString m_root;
    QString control(const QStringList& fields) const
    {
        return run(QStringLiteral("dpkg-deb"), QStringList{"-f", m_deb} + fields).out;
    }
    QString m_deb;
};

void TestPackage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
        QSKIP("no dpkg-deb or dpkg-shlibdeps here: the .deb cannot be built (install dpkg-dev)");

    const QString out = m_dir.filePath(QStringLiteral("out"));
    const Run cpack = run(QStringLiteral(TANKO_CPACK),
                          {"--config", QStringLiteral(TANKO_CPACK_CONFIG), "-G", "DEB", "-B", out}, 240000);
    QVERIFY2(cpack.code == 0, qPrintable(cpack.out + cpack.err));
    const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = QDir(out).filePath(debs.first());
    m_root = m_dir.filePath(QStringLiteral("root"));
    const Run extract = run(QStringLiteral("dpkg"), {"-x", m_deb, m_root});
    QVERIFY2(extract.code == 0, qPrintable(extract.err));
}

void TestPackage::controlNamesThePackageAndItsRuntime()
{
    const QString arch = run(QStringLiteral("dpkg"), {"--print-architecture"}).out;
    QCOMPARE(control({"Package", "Version", "Architecture", "Maintainer", "Section", "Recommends"}),
             QStringLiteral("Package: tankometer\nVersion: %1.%2.%3-1\nArchitecture: %4"
                            "Maintainer: Tankometer developers\nSection: utils\n"
                            "Recommends: fonts-liberation2\n") // the font with Tahoma's widths
                 .arg(Version::Major)
                 .arg(Version::Minor)
                 .arg(Version::Revision)
                 .arg(arch));
    QVERIFY2(control({"Description"}).count(u'\n') > 1, "a description has a long part");

    // Exactly the runtime libraries, none older than the build's.
    const QString depends = control({"Depends"}).trimmed();
    QStringList libraries;
    for (const QString& dependency : depends.split(QStringLiteral(", ")))
        if (dependency.contains(QStringLiteral("qt")) || dependency.contains(QStringLiteral("sqlite")))
            libraries << dependency.section(u' ', 0, 0) +
                             (dependency.contains(QStringLiteral(" (>= ")) ? "" : " (any)");
    libraries.sort();
    QCOMPARE(libraries, (QStringList{"libqt6core6", "libqt6gui6", "libqt6network6", "libqt6svg6", "libqt6widgets6",
                                     "libsqlite3-0"}));
    QVERIFY2(!depends.contains(u'|') && !depends.contains(QStringLiteral("-dev")) &&
                 depends.contains(QStringLiteral("libc6 (")),
             qPrintable(depends));
}

void TestPackage::installsFiles()
{
    // Everything under /usr, owned by root, no write bits for others.
    const QStringList listing = run(QStringLiteral("dpkg-deb"), {"-c", m_deb}).out.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!listing.isEmpty());
    for (const QString& line : listing) {
        const QStringList columns = line.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(columns.size() >= 6 && columns[1] == u"root/root" &&
                     (columns[5] == u"./" || columns[5].startsWith(QStringLiteral("./usr/"))) &&
                     QStringList({"drwxr-xr-x", "-rw-r--r--", "-rwxr-xr-x"}).contains(columns[0]),
                 qPrintable(line));
    }
    const QStringList files = {"usr/bin/tankometer",
                               "usr/share/applications/tankometer.desktop",
                               "usr/share/mime/packages/tankometer.xml",
                               "usr/share/icons/hicolor/scalable/apps/tankometer.svg",
                               "usr/share/icons/hicolor/scalable/mimetypes/application-x-tanko.svg",
                               "usr/share/doc/tankometer/README.md",
                               "usr/share/doc/tankometer/copyright"};
    for (const QString& file : files) {
        const QFileInfo info(path(file));
        QVERIFY2(info.isFile() && info.size() > 0, qPrintable(file));
        QCOMPARE(info.isExecutable(), file.startsWith(QStringLiteral("usr/bin/")));
        if (file.endsWith(QStringLiteral(".svg")))
            QCOMPARE(readFile(info.filePath()), readFile(QStringLiteral(TANKO_SOURCE_DIR "/resources/tankometer.svg")));
    }
    // The pictures drawn at each size, corners transparent.
    for (const int side : IconSides)
        for (const QString& icon :
             {QStringLiteral("apps/tankometer"), QStringLiteral("mimetypes/application-x-tanko")}) {
            const QImage image(path(QStringLiteral("usr/share/icons/hicolor/%1x%1/%2.png").arg(side).arg(icon)));
            QVERIFY2(image.size() == QSize(side, side) && image.hasAlphaChannel() && hasVisiblePixels(image),
                     qPrintable(QStringLiteral("%1 at %2 px").arg(icon).arg(side)));
        }
}

void TestPackage::declaresTheProgramAndTheTnkType()
{
    const QString entry =
        QString::fromUtf8(readFile(path(QStringLiteral("usr/share/applications/tankometer.desktop"))));
    const auto key = [&entry](const char* name) {
        return QRegularExpression(QStringLiteral("^%1=(.*)$").arg(QLatin1String(name)),
                                  QRegularExpression::MultilineOption)
            .match(entry)
            .captured(1);
    };
    // A bare name found where the package puts it, and an icon it draws.
    QCOMPARE(QStringList({key("Type"), key("Exec"), key("Icon"), key("MimeType"), key("NoDisplay")}),
             (QStringList{"Application", "tankometer %f", "tankometer",
                          QString::fromLatin1(FreedesktopShell::MimeType) + u';', ""}));

    const QByteArray installed = readFile(path(QStringLiteral("usr/share/mime/packages/tankometer.xml")));
    QVERIFY(installed.contains("<comment>Tanko saved Data</comment>") &&
            installed.contains("<icon name=\"application-x-tanko\"/>"));
    // What the running program declares for its account says the same.
    QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    FreedesktopShell([] { return QStringLiteral("/usr/bin/tankometer"); }, [](const QString&, const QStringList&) {})
        .changeNotify(0x08000000, 0);
    qputenv("XDG_DATA_HOME", saved);
    QCOMPARE(
        readFile(home.filePath(QStringLiteral("mime/packages/")) + QString::fromLatin1(FreedesktopShell::MimeFile)),
        installed);

    // As the package's trigger would, on the unpacked tree; a malformed
    // declaration would be skipped and show as a missing glob.
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (tool.isEmpty())
        QSKIP("update-mime-database is not installed");
    const Run update = run(tool, {path(QStringLiteral("usr/share/mime"))});
    QVERIFY2(update.code == 0, qPrintable(update.err));
    QVERIFY(readFile(path(QStringLiteral("usr/share/mime/globs2"))).contains(":application/x-tanko:*.tnk\n"));
}

void TestPackage::installedProgramStarts()
{
    QTemporaryDir scratch;
    const QString data = scratch.filePath(QStringLiteral("data"));
    const QString runtime = scratch.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(data) && QDir().mkpath(runtime));
    // Qt ignores a runtime folder that others may enter.
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM_PLUGIN_PATH", "QT_PLUGIN_PATH",
                             "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), scratch.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    // A sanitizer build reports the leaks of a killed process otherwise.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));

    const QString program = path(QStringLiteral("usr/bin/tankometer"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(scratch.path());
    process.start(program, {});
    QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));

    // Its store opened and its user window declared the .tnk type: it is up.
    const QString store = data + QStringLiteral("/Tanko/tanko.db");
    const QString declared =
        data + QStringLiteral("/applications/") + QString::fromLatin1(FreedesktopShell::DesktopFile);
    QTRY_VERIFY2_WITH_TIMEOUT((QFileInfo::exists(store) && QFileInfo::exists(declared)) ||
                                  process.state() == QProcess::NotRunning,
                              "the program neither came up nor ended", 30000);
    QTest::qWait(1000);
    QVERIFY2(process.state() == QProcess::Running, qPrintable(QString::fromUtf8(process.readAllStandardError())));

    // The account's declaration opens .tnk files with the installed program.
    QVERIFY2(readFile(declared).contains(FreedesktopShell::execArgument(program).toUtf8()), readFile(declared));

    process.kill();
    QVERIFY(process.waitForFinished(10000));
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(!errors.contains(QStringLiteral("Cannot load")) && !errors.contains(QStringLiteral("Could not")),
             qPrintable(errors));
}

void TestPackage::windowsIconHoldsEverySize()
{
    QImageReader reader(QStringLiteral(TANKO_ICON_DIR "/tankometer.ico"));
    QList<int> sides;
    for (int i = 0; i < reader.imageCount(); ++i, reader.jumpToNextImage()) {
        const QImage image = reader.read();
        QVERIFY2(image.width() == image.height() && image.hasAlphaChannel() && hasVisiblePixels(image),
                 qPrintable(reader.errorString()));
        sides << image.width();
    }
    QCOMPARE(sides, (QList<int>{16, 24, 32, 48, 64, 256}));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
