#include "filetype/FreedesktopShell.h"
#include "filetype/modFileType.h"
#include "frame/Appearance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{
QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}

// How a desktop reads one quoted Exec argument back: first the escapes of a
// string value, then the quoting, then %% as one %.
QString unquoteExecArgument(const QString& value)
{
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            unescaped += next == u'n'   ? QChar(u'\n')
                         : next == u't' ? QChar(u'\t')
                         : next == u'r' ? QChar(u'\r')
                         : next == u's' ? QChar(u' ')
                                        : next;
        } else {
            unescaped += value[i];
        }
    }
    if (unescaped.size() < 2 || !unescaped.startsWith(u'"') || !unescaped.endsWith(u'"'))
        return QStringLiteral("<not quoted>");
    QString argument;
    for (qsizetype i = 1; i + 1 < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (c == u'\\') {
            const QChar next = unescaped[++i];
            if (next != u'"' && next != u'`' && next != u'$' && next != u'\\')
                return QStringLiteral("<bad escape>");
            argument += next;
        } else if (c == u'"' || c == u'`' || c == u'$') {
            return QStringLiteral("<unescaped reserved character>");
        } else if (c == u'%') {
            if (unescaped[++i] != u'%')
                return QStringLiteral("<field code>");
            argument += c;
        } else {
            argument += c;
        }
    }
    return argument;
}

struct DataHome
{
    explicit DataHome(const QByteArray& value)
    {
        saved = qgetenv("XDG_DATA_HOME");
        hadValue = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", value);
    }
    ~DataHome()
    {
        if (hadValue)
            qputenv("XDG_DATA_HOME", saved);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    QByteArray saved;
    bool hadValue = false;
};
} // namespace

class TestFreedesktop : public QObject
{
    Q_OBJECT

private slots:
    void execArgumentReachesTheProgramWhole_data();
    void execArgumentReachesTheProgramWhole();
    void execArgumentAsWritten_data();
    void execArgumentAsWritten();
    void declaresTheTypeUnderDataHome();
    void otherNoticesWriteNothing();
    void dataHomeFollowsTheEnvironment_data();
    void dataHomeFollowsTheEnvironment();
};

void TestFreedesktop::execArgumentReachesTheProgramWhole_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("plain path") << QStringLiteral("/usr/bin/tankometer");
    QTest::newRow("blank in a folder") << QStringLiteral("/home/anna/My Programs/tankometer");
    QTest::newRow("double quote") << QStringLiteral("/opt/a\"b/tankometer");
    QTest::newRow("dollar and backtick") << QStringLiteral("/opt/$HOME`id`/tankometer");
    QTest::newRow("backslash") << QStringLiteral("/opt/a\\b\\\\c/tankometer");
    QTest::newRow("percent, also before f") << QStringLiteral("/opt/100%/%f/tankometer");
    QTest::newRow("semicolon, quote and newline") << QStringLiteral("/opt/a;b'c\nd\te/tankometer");
    QTest::newRow("accented letters") << QStringLiteral("/home/élodie/Programmes/tankometer");
}

void TestFreedesktop::execArgumentReachesTheProgramWhole()
{
    QFETCH(QString, path);
    const QString written = FreedesktopShell::execArgument(path);
    QVERIFY2(!written.contains(u'\n'), "a line break would end the Exec key");
    QCOMPARE(unquoteExecArgument(written), path);
}

void TestFreedesktop::execArgumentAsWritten_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("written");
    QTest::newRow("blank") << QStringLiteral("/opt/My Apps/tanko") << QStringLiteral("\"/opt/My Apps/tanko\"");
    QTest::newRow("backslash is four") << QStringLiteral("/a\\b") << QStringLiteral("\"/a\\\\\\\\b\"");
    QTest::newRow("dollar") << QStringLiteral("/a$b") << QStringLiteral("\"/a\\\\$b\"");
    QTest::newRow("percent") << QStringLiteral("/a%b") << QStringLiteral("\"/a%%b\"");
}

void TestFreedesktop::execArgumentAsWritten()
{
    QFETCH(QString, path);
    QFETCH(QString, written);
    QCOMPARE(FreedesktopShell::execArgument(path), written);
}

void TestFreedesktop::declaresTheTypeUnderDataHome()
{
    QTemporaryDir home;
    DataHome env(home.path().toUtf8());
    QStringList ran;
    FreedesktopShell shell([] { return QStringLiteral("/opt/Tanko Meter/tankometer"); },
                           [&ran](const QString& program, const QStringList& arguments) {
                               ran << QFileInfo(program).fileName() + u' ' + arguments.join(u' ');
                           });
    shell.changeNotify(modFileType::SHCNE_ASSOCCHANGED, modFileType::SHCNF_IDLIST);

    const QString mime = readText(home.filePath(QStringLiteral("mime/packages/tankometer-tnk.xml")));
    QVERIFY2(mime.contains(QStringLiteral("<mime-type type=\"application/x-tanko\">")), qPrintable(mime));
    QVERIFY(mime.contains(QStringLiteral("<comment>Tanko saved Data</comment>")));
    QVERIFY(mime.contains(QStringLiteral("<glob pattern=\"*.tnk\"/>")));
    QVERIFY(mime.contains(QStringLiteral("<icon name=\"application-x-tanko\"/>")));

    const QStringList desktop =
        readText(home.filePath(QStringLiteral("applications/tankometer-tnk.desktop"))).split(u'\n');
    QCOMPARE(desktop.value(0), QStringLiteral("[Desktop Entry]"));
    QVERIFY(desktop.contains(QStringLiteral("Type=Application")));
    QVERIFY(desktop.contains(QStringLiteral("Exec=\"/opt/Tanko Meter/tankometer\" %f")));
    QVERIFY(desktop.contains(QStringLiteral("MimeType=application/x-tanko;")));
    QVERIFY(desktop.contains(QStringLiteral("Icon=tankometer")));

    ensureResources();
    QFile original(QStringLiteral(":/icons/tankometer.svg"));
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(original.readAll());
    QCOMPARE(readText(home.filePath(QStringLiteral("icons/hicolor/scalable/apps/tankometer.svg"))), svg);
    QCOMPARE(readText(home.filePath(QStringLiteral("icons/hicolor/scalable/mimetypes/application-x-tanko.svg"))), svg);

    // The cache tools run only where they are installed.
    QStringList expected;
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
        expected << QStringLiteral("update-mime-database ") + home.filePath(QStringLiteral("mime"));
    if (!QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty())
        expected << QStringLiteral("update-desktop-database ") + home.filePath(QStringLiteral("applications"));
    QCOMPARE(ran, expected);
}

void TestFreedesktop::otherNoticesWriteNothing()
{
    QTemporaryDir home;
    DataHome env(home.path().toUtf8());
    int runs = 0;
    FreedesktopShell shell({}, [&runs](const QString&, const QStringList&) { ++runs; });
    shell.changeNotify(0x00000002, 0);
    QCOMPARE(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QCOMPARE(runs, 0);
}

void TestFreedesktop::dataHomeFollowsTheEnvironment_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("expected");
    const QString fallback = QDir::homePath() + QStringLiteral("/.local/share");
    QTest::newRow("absolute folder taken") << QByteArray("/srv/anna/data/") << QStringLiteral("/srv/anna/data");
    QTest::newRow("empty falls back") << QByteArray() << fallback;
    QTest::newRow("relative ignored") << QByteArray("data") << fallback;
}

void TestFreedesktop::dataHomeFollowsTheEnvironment()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, expected);
    DataHome env(value);
    QCOMPARE(FreedesktopShell::dataHome(), expected);
}

QTEST_GUILESS_MAIN(TestFreedesktop)
#include "tst_freedesktop.moc"
