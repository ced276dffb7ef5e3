// The .deb as a user gets it: built by CPack from the current build, unpacked
// with dpkg into a scratch root, its files checked, and the package, its
// metainfo and its menu entry judged by Debian's and freedesktop.org's tools.
// (The program itself starts in tests/system/tst_startup.)
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace
{
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(240000);
    return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : "<failed>";
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
            QSKIP("no dpkg-shlibdeps here: the .deb cannot be built (install dpkg-dev)");
        const QString out = m_dir.filePath("out");
        QVERIFY(run(TANKO_CPACK, {"--config", TANKO_CPACK_CONFIG, "-G", "DEB", "-B", out}) != "<failed>");
        const QStringList debs = QDir(out).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        m_deb = QDir(out).filePath(debs.first());
        QVERIFY(run("dpkg", {"-x", m_deb, m_dir.filePath("root")}) != "<failed>");
    }

    // Exactly the runtime libraries; a menu entry that opens .tnk files with
    // the installed program.
    void controlAndDeclarations()
    {
        QCOMPARE(
            run("dpkg-deb", {"-f", m_deb, "Package", "Section", "Recommends"}),
            QString("Package: tankometer\nSection: utils\nRecommends: fonts-liberation2, qt6-translations-l10n\n"));
        const QString depends = run("dpkg-deb", {"-f", m_deb, "Depends"});
        for (const char* library : {"libqt6core6 ", "libqt6gui6 ", "libqt6network6 ", "libqt6svg6 ", "libqt6widgets6 ",
                                    "libsqlite3-0 ", "libc6 "})
            QVERIFY2(depends.contains(library), library);
        QVERIFY2(!depends.contains("-dev") && !depends.contains(u'|'), qPrintable(depends));
        const QString root = m_dir.filePath("root/usr/share/");
        QVERIFY(QFile::exists(root + "icons/hicolor/48x48/mimetypes/application-x-tanko.png"));
        QVERIFY(QFile::exists(root + "bash-completion/completions/tankometer"));
        QVERIFY(bytesOf(root + "applications/org.example.tankometer.desktop").contains("\nExec=tankometer %f\n"));
        // A new version needs its entry in the Debian changelog.
        const QString version = run("dpkg-deb", {"-f", m_deb, "Version"}).trimmed();
        QVERIFY(run("zcat", {root + "doc/tankometer/changelog.Debian.gz"})
                    .startsWith(QString("tankometer (%1) ").arg(version)));
    }

    // No error and no warning: each tool exits 0 and prints no line the
    // complaint pattern matches. "@deb" and "@root" in the arguments stand
    // for the package and its unpacked files. The metainfo's links lead to a
    // home that need not answer from here, so appstreamcli stays offline.
    void toolsFindNoFault_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("complaint");
        QTest::newRow("lintian: the package")
            << "lintian" << QStringList{"--fail-on", "error,warning", "@deb"} << "^[EW]: ";
        QTest::newRow("appstreamcli: the metainfo")
            << "appstreamcli"
            << QStringList{"validate", "--no-net", "@root/usr/share/metainfo/org.example.tankometer.metainfo.xml"}
            << "^[EW]: ";
        QTest::newRow("desktop-file-validate: the menu entry")
            << "desktop-file-validate" << QStringList{"@root/usr/share/applications/org.example.tankometer.desktop"}
            << "(error|warning): ";
    }

    void toolsFindNoFault()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, complaint);
        const QString program = QStandardPaths::findExecutable(tool);
        QVERIFY2(!program.isEmpty(), qPrintable(tool + " is missing: make deps installs it"));
        arguments.replaceInStrings("@deb", m_deb).replaceInStrings("@root", m_dir.filePath("root"));
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(240000));
        const QString output = QString::fromUtf8(process.readAll());
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, qPrintable(output));
        const QRegularExpression complaints(complaint, QRegularExpression::MultilineOption);
        QVERIFY2(!complaints.match(output).hasMatch(), qPrintable(output));
    }

private:
    QTemporaryDir m_dir;
    QString m_deb;
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
