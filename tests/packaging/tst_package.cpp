#include "Version.h"
#include "filetype/FreedesktopShell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
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

// What a MIME declaration says, sorted: element=its text or first attribute;
// translations left out.
QStringList mimeFacts(const QString& path)
{
    QStringList facts;
    QXmlStreamReader xml(readFile(path));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || !xml.attributes().value("xml:lang").isEmpty())
            continue;
        const QString name = xml.name().toString();
        const QXmlStreamAttributes attributes = xml.attributes();
        facts << name + u'=' +
                     (name == u"comment"     ? xml.readElementText()
                      : attributes.isEmpty() ? QString()
                                             : attributes.first().value().toString());
    }
    if (xml.hasError())
        facts << QStringLiteral("bad XML: ") + xml.errorString();
    facts.sort();
    return facts;
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

const QList<int> IconSides = {16, 32, 48, 64, 128, 256};
} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controlNamesThePackageAndItsRuntime();
    void everyFileLiesUnderUsrOwnedByRoot();
    void installsFiles();
    void declaresTheProgramAndTheTnkType();
    void installedProgramStarts();
    void windowsIconHoldsEverySize();

private:
    QString path(const QString& inside) const { return QDir(m_root).filePath(inside); }
    QTemporaryDir m_dir;
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
                          {"--config", QStringLiteral(TANKO_CPACK_CONFIG), "-G", "DEB", "-B", out}, 240000);
    QVERIFY2(cpack.code == 0, qPrintable(cpack.out + cpack.err));
    const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    const QString deb = QDir(out).filePath(debs.first());

    m_root = m_dir.filePath(QStringLiteral("root"));
    const Run extract = run(QStringLiteral("dpkg"), {"-x", deb, m_root});
    const Run fields = run(QStringLiteral("dpkg-deb"), {"-f", deb});
    const Run listing = run(QStringLiteral("dpkg-deb"), {"-c", deb});
    QVERIFY2(extract.code == 0 && fields.code == 0 && listing.code == 0,
             qPrintable(extract.err + fields.err + listing.err));
    QString last;
    for (const QString& line : fields.out.split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith(u' '))
            last = line.section(u':', 0, 0);
        m_control[last] += line.startsWith(u' ') ? u'\n' + line : line.section(u':', 1).trimmed();
    }
    m_listing = listing.out.split(u'\n', Qt::SkipEmptyParts);
}

void TestPackage::controlNamesThePackageAndItsRuntime()
{
    QStringList fields;
    for (const char* field : {"Package", "Version", "Architecture", "Maintainer", "Section", "Recommends"})
        fields << QString::fromLatin1(field) + u'=' + m_control[QString::fromLatin1(field)];
    const QString arch = run(QStringLiteral("dpkg"), {"--print-architecture"}).out.trimmed();
    QCOMPARE(fields,
             (QStringList{
                 "Package=tankometer",
                 QStringLiteral("Version=%1.%2.%3-1").arg(Version::Major).arg(Version::Minor).arg(Version::Revision),
                 "Architecture=" + arch, "Maintainer=Tankometer developers", "Section=utils",
                 // The font with Tahoma's widths.
                 "Recommends=fonts-liberation2"}));
    QVERIFY2(m_control["Description"].contains(u'\n'), "a description has a long part");

    // Exactly the runtime libraries, none older than the build's.
    const QString depends = m_control["Depends"];
    QStringList qt;
    QStringList all;
    for (const QString& dependency : depends.split(u',', Qt::SkipEmptyParts)) {
        const QString name = dependency.trimmed().section(QRegularExpression("[ (:]"), 0, 0);
        all << name;
        QVERIFY2(!dependency.contains(u'|') && !name.endsWith(QStringLiteral("-dev")), qPrintable(dependency));
        if (name.startsWith(QStringLiteral("libqt")) || name.startsWith(QStringLiteral("qt6")))
            qt << name;
        if (name.startsWith(QStringLiteral("libqt6")) || name.startsWith(QStringLiteral("libsqlite3")))
            QVERIFY2(dependency.contains(QStringLiteral(">=")), qPrintable(dependency));
    }
    qt.sort();
    QCOMPARE(qt, (QStringList{"libqt6core6", "libqt6gui6", "libqt6network6", "libqt6svg6", "libqt6widgets6"}));
    QVERIFY2(all.contains("libsqlite3-0") && all.contains("libc6"), qPrintable(depends));
}

void TestPackage::everyFileLiesUnderUsrOwnedByRoot()
{
    QVERIFY(!m_listing.isEmpty());
    for (const QString& line : m_listing) {
        const QStringList columns = line.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(columns.size() >= 6 && columns[1] == u"root/root" &&
                     (columns[5] == u"./" || columns[5].startsWith(QStringLiteral("./usr/"))) &&
                     QStringList({"drwxr-xr-x", "-rw-r--r--", "-rwxr-xr-x"}).contains(columns[0]),
                 qPrintable(line));
    }
}

void TestPackage::installsFiles()
{
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

    const QStringList installed = mimeFacts(path(QStringLiteral("usr/share/mime/packages/tankometer.xml")));
    QCOMPARE(installed, (QStringList{"comment=Tanko saved Data", "glob=*.tnk", "icon=application-x-tanko",
                                     "mime-info=", "mime-type=" + QString::fromLatin1(FreedesktopShell::MimeType)}));

    // What the running program declares for its account says the same.
    QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    FreedesktopShell([] { return QStringLiteral("/usr/bin/tankometer"); }, [](const QString&, const QStringList&) {})
        .changeNotify(0x08000000, 0);
    qputenv("XDG_DATA_HOME", saved);
    QCOMPARE(
        mimeFacts(home.filePath(QStringLiteral("mime/packages/")) + QString::fromLatin1(FreedesktopShell::MimeFile)),
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
    QVERIFY(QDir().mkpath(data) && QDir().mkpath(runtime) && QDir().mkpath(scratch.filePath("home")));
    // Qt ignores a runtime folder that others may enter.
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM_PLUGIN_PATH", "QT_PLUGIN_PATH"})
        environment.remove(QString::fromLatin1(name));
    const std::pair<const char*, QString> settings[] = {
        {"QT_QPA_PLATFORM", "offscreen"},
        {"HOME", scratch.filePath("home")},
        {"XDG_DATA_HOME", data},
        {"XDG_CONFIG_HOME", scratch.filePath("config")},
        {"XDG_CACHE_HOME", scratch.filePath("cache")},
        {"XDG_RUNTIME_DIR", runtime},
        // A sanitizer build reports the leaks of a killed process otherwise.
        {"ASAN_OPTIONS", "detect_leaks=0"}};
    for (const auto& [name, value] : settings)
        environment.insert(QString::fromLatin1(name), value);

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
    const QByteArray ico = readFile(QStringLiteral(TANKO_ICON_DIR "/tankometer.ico"));
    QVERIFY(ico.size() > 6);
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(ico.constData() + at); };
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(ico.constData() + at); };
    QCOMPARE(ico.left(4), QByteArray("\0\0\1\0", 4)); // reserved, then the type: icon
    QVERIFY(ico.size() >= 6 + 16 * u16(4));

    // Each entry: a square 32-bit PNG inside the file.
    QList<int> sides;
    for (int i = 0; i < u16(4); ++i) {
        const qsizetype entry = 6 + 16 * i;
        const int side = uchar(ico.at(entry)) == 0 ? 256 : uchar(ico.at(entry));
        QCOMPARE(ico.at(entry + 1), ico.at(entry));
        QCOMPARE(u16(entry + 6), quint16(32));
        QVERIFY(qsizetype(u32(entry + 12)) + qsizetype(u32(entry + 8)) <= ico.size());
        const QImage image = QImage::fromData(ico.mid(u32(entry + 12), u32(entry + 8)), "PNG");
        QVERIFY(image.size() == QSize(side, side) && hasVisiblePixels(image));
        sides << side;
    }
    QCOMPARE(sides, (QList<int>{16, 24, 32, 48, 64, 256}));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
