// The data-file type declared the freedesktop way: MIME entry, desktop entry
// and icons under XDG_DATA_HOME.
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
    // Any program path reaches the program as one argument, exactly.
    void execArgumentReachesTheProgramWhole_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("blank in a folder") << "/home/anna/My Programs/tankometer";
        QTest::newRow("double quote, dollar and backtick") << "/opt/a\"b$HOME`id`/tankometer";
        QTest::newRow("backslashes") << "/opt/a\\b\\\\c/tankometer";
        QTest::newRow("percent, also before f") << "/opt/100%/%f/tankometer";
        QTest::newRow("semicolon, quote, newline and tab") << "/opt/a;b'c\nd\te/élodie";
    }

    void execArgumentReachesTheProgramWhole()
    {
        QFETCH(QString, path);
        const QString written = FreedesktopShell::execArgument(path);
        QVERIFY2(!written.contains(u'\n'), "a line break would end the Exec key");
        QCOMPARE(unquoteExecArgument(written), path);
    }

    void declaresTheTypeUnderDataHome()
    {
        QTemporaryDir home;
        DataHome env(home.path().toUtf8());
        QStringList ran;
        FreedesktopShell shell([] { return QString("/opt/Tanko Meter/tankometer"); },
                               [&ran](const QString& program, const QStringList& arguments) {
                                   ran << QFileInfo(program).fileName() + u' ' + arguments.join(u' ');
                               });
        shell.changeNotify(modFileType::SHCNE_ASSOCCHANGED, modFileType::SHCNF_IDLIST);

        const QString mime = readText(home.filePath("mime/packages/tankometer-tnk.xml"));
        for (const char* part : {"<mime-type type=\"application/x-tanko\">", "<comment>Tanko saved Data</comment>",
                                 "<glob pattern=\"*.tnk\"/>", "<icon name=\"application-x-tanko\"/>"})
            QVERIFY2(mime.contains(QString(part)), part);
        const QStringList desktop = readText(home.filePath("applications/tankometer-tnk.desktop")).split(u'\n');
        QCOMPARE(desktop.value(0), QString("[Desktop Entry]"));
        for (const char* line : {"Type=Application", "Exec=\"/opt/Tanko Meter/tankometer\" %f",
                                 "MimeType=application/x-tanko;", "Icon=tankometer"})
            QVERIFY2(desktop.contains(QString(line)), line);

        ensureResources();
        QFile original(":/icons/tankometer.svg");
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QString svg = QString::fromUtf8(original.readAll());
        QCOMPARE(readText(home.filePath("icons/hicolor/scalable/apps/tankometer.svg")), svg);
        QCOMPARE(readText(home.filePath("icons/hicolor/scalable/mimetypes/application-x-tanko.svg")), svg);

        // The cache tools run only where they are installed.
        QStringList expected;
        if (!QStandardPaths::findExecutable("update-mime-database").isEmpty())
            expected << "update-mime-database " + home.filePath("mime");
        if (!QStandardPaths::findExecutable("update-desktop-database").isEmpty())
            expected << "update-desktop-database " + home.filePath("applications");
        QCOMPARE(ran, expected);
    }

    void otherNoticesWriteNothing()
    {
        QTemporaryDir home;
        DataHome env(home.path().toUtf8());
        int runs = 0;
        FreedesktopShell shell({}, [&runs](const QString&, const QStringList&) { ++runs; });
        shell.changeNotify(0x00000002, 0);
        QCOMPARE(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QCOMPARE(runs, 0);
    }

    // An empty or relative XDG_DATA_HOME is not to be used.
    void dataHomeFallsBack_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("relative") << QByteArray("data");
    }

    void dataHomeFallsBack()
    {
        QFETCH(QByteArray, value);
        DataHome env(value);
        QCOMPARE(FreedesktopShell::dataHome(), QDir::homePath() + "/.local/share");
    }
};

QTEST_GUILESS_MAIN(TestFreedesktop)
#include "tst_freedesktop.moc"
