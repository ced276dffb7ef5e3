#include "Version.h"
#include "filetype/FreedesktopShell.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <QtEndian>

#include <map>

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
    Run result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("%1 did not finish").arg(program);
        return result;
    }
    result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The keys of a desktop entry's main group, as a desktop reads them.
std::map<QString, QString> desktopEntry(const QString& path)
{
    std::map<QString, QString> keys;
    bool inMainGroup = false;
    for (const QString& line : QString::fromUtf8(readFile(path)).split(u'\n')) {
        if (line.startsWith(u'[')) {
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (inMainGroup && eq > 0 && !line.startsWith(u'#'))
            keys[line.left(eq).trimmed()] = line.mid(eq + 1).trimmed();
    }
    return keys;
}

struct MimeDeclaration
{
    QString type, comment, icon, glob;
    int types = 0;
};

MimeDeclaration mimeDeclaration(const QString& path)
{
    MimeDeclaration mime;
    QXmlStreamReader xml(readFile(path));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"mime-type") {
            ++mime.types;
            mime.type = xml.attributes().value(QLatin1String("type")).toString();
        } else if (xml.name() == u"comment" && xml.attributes().value(QLatin1String("xml:lang")).isEmpty()) {
            mime.comment = xml.readElementText();
        } else if (xml.name() == u"icon") {
            mime.icon = xml.attributes().value(QLatin1String("name")).toString();
        } else if (xml.name() == u"glob") {
            mime.glob = xml.attributes().value(QLatin1String("pattern")).toString();
        }
    }
    if (xml.hasError())
        mime.type = QStringLiteral("<bad XML: %1>").arg(xml.errorString());
    return mime;
}

QString packageName(QString dependency)
{
    dependency = dependency.trimmed();
    const qsizetype end = dependency.indexOf(QRegularExpression(QStringLiteral("[ (:]")));
    return end < 0 ? dependency : dependency.left(end);
}

bool hasVisiblePixels(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) > 0)
                return true;
    return false;
}
} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controlNamesThePackage_data();
    void controlNamesThePackage();
    void dependsOnExactlyTheRuntimePackages();
    void everyFileLiesUnderUsrOwnedByRoot();
    void installsFiles_data();
    void installsFiles();
    void iconsAreDrawnAtTheirSize_data();
    void iconsAreDrawnAtTheirSize();
    void menuEntryStartsTheInstalledProgram();
    void mimeTypeAgreesWithTheAccountDeclaration();
    void sharedMimeInfoReadsTheType();
    void installedProgramStarts();
    void windowsIconHoldsEverySize();

private:
    QTemporaryDir m_dir;
    QString m_deb;
    QString m_root;
    std::map<QString, QString> m_control;
    QStringList m_listing;
};

void TestPackage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
        QSKIP("no dpkg-deb or dpkg-shlibdeps here: the .deb cannot be built (install dpkg-dev)");

    const QString out = m_dir.filePath(QStringLiteral("out"));
    const Run cpack = run(QStringLiteral(TANKO_CPACK),
                          {QStringLiteral("--config"), QStringLiteral(TANKO_CPACK_CONFIG), QStringLiteral("-G"),
                           QStringLiteral("DEB"), QStringLiteral("-B"), out},
                          240000);
    QVERIFY2(cpack.code == 0, qPrintable(cpack.out + cpack.err));
    const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = QDir(out).filePath(debs.first());

    m_root = m_dir.filePath(QStringLiteral("root"));
    const Run extract = run(QStringLiteral("dpkg"), {QStringLiteral("-x"), m_deb, m_root});
    QVERIFY2(extract.code == 0, qPrintable(extract.err));

    const Run fields = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb});
    QVERIFY2(fields.code == 0, qPrintable(fields.err));
    QString last;
    for (const QString& line : fields.out.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u' ')) {
            m_control[last] += u'\n' + line;
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        last = line.left(colon);
        m_control[last] = line.mid(colon + 1).trimmed();
    }

    const Run listing = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_deb});
    QVERIFY2(listing.code == 0, qPrintable(listing.err));
    m_listing = listing.out.split(u'\n', Qt::SkipEmptyParts);
}

void TestPackage::controlNamesThePackage_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    const Run arch = run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")});
    QTest::newRow("package name") << QStringLiteral("Package") << QStringLiteral("tankometer");
    QTest::newRow("version of the program")
        << QStringLiteral("Version")
        << QStringLiteral("%1.%2.%3-1").arg(Version::Major).arg(Version::Minor).arg(Version::Revision);
    QTest::newRow("architecture of this machine") << QStringLiteral("Architecture") << arch.out.trimmed();
    QTest::newRow("maintainer") << QStringLiteral("Maintainer") << QStringLiteral("Tankometer developers");
    QTest::newRow("section") << QStringLiteral("Section") << QStringLiteral("utils");
    QTest::newRow("font with Tahoma's widths recommended")
        << QStringLiteral("Recommends") << QStringLiteral("fonts-liberation2");
}

void TestPackage::controlNamesThePackage()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QCOMPARE(m_control[field], value);
    QVERIFY2(m_control[QStringLiteral("Description")].contains(u'\n'), "a description has a long part");
}

void TestPackage::dependsOnExactlyTheRuntimePackages()
{
    const QString depends = m_control[QStringLiteral("Depends")];
    QSet<QString> qt;
    QStringList all;
    for (const QString& dependency : depends.split(u',', Qt::SkipEmptyParts)) {
        QVERIFY2(!dependency.contains(u'|'), qPrintable(dependency));
        const QString name = packageName(dependency);
        all << name;
        QVERIFY2(!name.endsWith(QStringLiteral("-dev")), qPrintable(name));
        if (name.startsWith(QStringLiteral("libqt")) || name.startsWith(QStringLiteral("qt6")))
            qt << name;
        // A bare name would accept a library older than the program was built against.
        if (name.startsWith(QStringLiteral("libqt6")) || name.startsWith(QStringLiteral("libsqlite3")))
            QVERIFY2(dependency.contains(QStringLiteral(">=")), qPrintable(dependency));
    }
    const QSet<QString> expected = {QStringLiteral("libqt6core6"), QStringLiteral("libqt6gui6"),
                                    QStringLiteral("libqt6widgets6"), QStringLiteral("libqt6svg6"),
                                    QStringLiteral("libqt6network6")};
    QCOMPARE(qt, expected);
    QVERIFY2(all.contains(QStringLiteral("libsqlite3-0")), qPrintable(depends));
    QVERIFY2(all.contains(QStringLiteral("libc6")), qPrintable(depends));
}

void TestPackage::everyFileLiesUnderUsrOwnedByRoot()
{
    QVERIFY(!m_listing.isEmpty());
    for (const QString& line : m_listing) {
        const QStringList columns = line.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(columns.size() >= 6, qPrintable(line));
        QCOMPARE(columns.at(1), QStringLiteral("root/root"));
        const QString path = columns.at(5);
        QVERIFY2(path == QStringLiteral("./") || path.startsWith(QStringLiteral("./usr/")), qPrintable(line));
        if (columns.at(0).startsWith(u'-'))
            QVERIFY2(columns.at(0) == QStringLiteral("-rw-r--r--") || columns.at(0) == QStringLiteral("-rwxr-xr-x"),
                     qPrintable(line));
    }
}

void TestPackage::installsFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::newRow("program") << QStringLiteral("usr/bin/tankometer") << true;
    QTest::newRow("menu entry") << QStringLiteral("usr/share/applications/tankometer.desktop") << false;
    QTest::newRow("MIME type of .tnk") << QStringLiteral("usr/share/mime/packages/tankometer.xml") << false;
    QTest::newRow("scalable icon") << QStringLiteral("usr/share/icons/hicolor/scalable/apps/tankometer.svg") << false;
    QTest::newRow("scalable .tnk icon") << QStringLiteral(
                                               "usr/share/icons/hicolor/scalable/mimetypes/application-x-tanko.svg")
                                        << false;
    QTest::newRow("README") << QStringLiteral("usr/share/doc/tankometer/README.md") << false;
    QTest::newRow("copyright") << QStringLiteral("usr/share/doc/tankometer/copyright") << false;
}

void TestPackage::installsFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo file(QDir(m_root).filePath(path));
    QVERIFY2(file.isFile(), qPrintable(path));
    QVERIFY(file.size() > 0);
    QCOMPARE(file.isExecutable(), executable);
    if (path.endsWith(QStringLiteral(".svg")))
        QCOMPARE(readFile(file.filePath()), readFile(QStringLiteral(TANKO_SOURCE_DIR "/resources/tankometer.svg")));
}

void TestPackage::iconsAreDrawnAtTheirSize_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<QString>("path");
    for (const int side : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("usr/share/icons/hicolor/%1x%1/").arg(side);
        QTest::addRow("program icon %d px", side) << side << folder + QStringLiteral("apps/tankometer.png");
        QTest::addRow(".tnk icon %d px", side) << side << folder + QStringLiteral("mimetypes/application-x-tanko.png");
    }
}

void TestPackage::iconsAreDrawnAtTheirSize()
{
    QFETCH(int, side);
    QFETCH(QString, path);
    const QImage image(QDir(m_root).filePath(path));
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), QSize(side, side));
    QVERIFY2(image.hasAlphaChannel(), "the corners of the tile stay transparent");
    QVERIFY2(hasVisiblePixels(image), "something is drawn");
}

void TestPackage::menuEntryStartsTheInstalledProgram()
{
    auto entry = desktopEntry(QDir(m_root).filePath(QStringLiteral("usr/share/applications/tankometer.desktop")));
    QCOMPARE(entry[QStringLiteral("Type")], QStringLiteral("Application"));
    QVERIFY2(!entry[QStringLiteral("NoDisplay")].startsWith(QStringLiteral("true")), "it shows in the menu");
    // The icon it names is the one the package draws, at every size.
    for (const int side : {16, 32, 48, 64, 128, 256})
        QVERIFY(QFileInfo::exists(QDir(m_root).filePath(
            QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(side).arg(entry[QStringLiteral("Icon")]))));

    // A bare name, found on the path where the package puts it.
    const QStringList exec = entry[QStringLiteral("Exec")].split(u' ');
    QCOMPARE(exec.first(), QStringLiteral("tankometer"));
    QVERIFY(QFileInfo(QDir(m_root).filePath(QStringLiteral("usr/bin/") + exec.first())).isExecutable());
    QVERIFY2(exec.size() == 1 || exec.mid(1) == QStringList{QStringLiteral("%f")}, qPrintable(exec.join(u' ')));

    const QStringList types = entry[QStringLiteral("MimeType")].split(u';', Qt::SkipEmptyParts);
    QCOMPARE(types, QStringList{QString::fromLatin1(FreedesktopShell::MimeType)});
}

void TestPackage::mimeTypeAgreesWithTheAccountDeclaration()
{
    const MimeDeclaration installed =
        mimeDeclaration(QDir(m_root).filePath(QStringLiteral("usr/share/mime/packages/tankometer.xml")));
    QCOMPARE(installed.types, 1);
    QCOMPARE(installed.type, QString::fromLatin1(FreedesktopShell::MimeType));
    QCOMPARE(installed.glob, QStringLiteral("*.tnk"));
    QCOMPARE(installed.comment, QStringLiteral("Tanko saved Data"));
    QVERIFY(QFileInfo::exists(QDir(m_root).filePath(QStringLiteral("usr/share/icons/hicolor/scalable/mimetypes/") +
                                                    installed.icon + QStringLiteral(".svg"))));

    // What the running program declares for its account says the same.
    QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    FreedesktopShell([] { return QStringLiteral("/usr/bin/tankometer"); }, [](const QString&, const QStringList&) {})
        .changeNotify(0x08000000, 0);
    qputenv("XDG_DATA_HOME", saved);
    const MimeDeclaration account = mimeDeclaration(home.filePath(QStringLiteral("mime/packages/")) +
                                                    QString::fromLatin1(FreedesktopShell::MimeFile));
    QCOMPARE(account.type, installed.type);
    QCOMPARE(account.glob, installed.glob);
    QCOMPARE(account.comment, installed.comment);
    QCOMPARE(account.icon, installed.icon);
}

void TestPackage::sharedMimeInfoReadsTheType()
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (tool.isEmpty())
        QSKIP("update-mime-database is not installed");
    // As the package's trigger would, on the unpacked tree.
    const QString mime = QDir(m_root).filePath(QStringLiteral("usr/share/mime"));
    const Run update = run(tool, {mime});
    // It notes that the scratch root is no data folder of this account, and
    // skips a malformed declaration, which then shows as a missing glob.
    QVERIFY2(update.code == 0, qPrintable(update.err));
    const QString globs = QString::fromUtf8(readFile(mime + QStringLiteral("/globs2")));
    QVERIFY2(globs.contains(QStringLiteral(":application/x-tanko:*.tnk\n")), qPrintable(globs));
}

void TestPackage::installedProgramStarts()
{
    QTemporaryDir scratch;
    const QString home = scratch.filePath(QStringLiteral("home"));
    const QString data = scratch.filePath(QStringLiteral("data"));
    const QString runtime = scratch.filePath(QStringLiteral("runtime"));
    for (const QString& folder : {home, data, runtime})
        QVERIFY(QDir().mkpath(folder));
    // Qt ignores a runtime folder that others may enter.
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM_PLUGIN_PATH", "QT_PLUGIN_PATH"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), scratch.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    // A sanitizer build reports the leaks of a killed process otherwise.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));

    const QString program = QDir(m_root).filePath(QStringLiteral("usr/bin/tankometer"));
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
    QVERIFY2(process.state() == QProcess::Running, qPrintable(QString::fromUtf8(process.readAllStandardError())));
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
    const QByteArray ico = readFile(QStringLiteral(TANKO_ICON_DIR "/tankometer.ico"));
    QVERIFY(ico.size() > 6);
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(ico.constData() + at); };
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(ico.constData() + at); };
    QCOMPARE(u16(0), quint16(0));
    QCOMPARE(u16(2), quint16(1));
    const int count = u16(4);
    QVERIFY(ico.size() >= 6 + 16 * count);

    QList<int> sides;
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const int side = uchar(ico.at(entry)) == 0 ? 256 : uchar(ico.at(entry));
        QCOMPARE(uchar(ico.at(entry + 1)) == 0 ? 256 : uchar(ico.at(entry + 1)), side);
        QCOMPARE(u16(entry + 6), quint16(32));
        const quint32 size = u32(entry + 8);
        const quint32 offset = u32(entry + 12);
        QVERIFY(qsizetype(offset) + qsizetype(size) <= ico.size());
        const QImage image = QImage::fromData(ico.mid(offset, size), "PNG");
        QCOMPARE(image.size(), QSize(side, side));
        QVERIFY(hasVisiblePixels(image));
        sides << side;
    }
    QCOMPARE(sides, (QList<int>{16, 24, 32, 48, 64, 256}));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
