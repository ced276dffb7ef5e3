// Declaring the ".tnk" data-file type through the registry routines, the
// classes store that holds those values where there is no registry, and the
// freedesktop files that declare the type to the desktop.
#include "TestSupport.h"

#include "filetype/ClassesStore.h"
#include "filetype/FreedesktopShell.h"
#include "filetype/Registry.h"
#include "filetype/modFileType.h"
#include "frame/Appearance.h"

#include <QDir>
#include <QStandardPaths>

#include <QSet>
#include <QTest>

#include <map>
#include <tuple>

using namespace FileType;
using modFileType::HKEY_CLASSES_ROOT;

namespace
{
// A registry in memory that writes down every write, in order.
class FakeRegistry : public Registry
{
public:
    using Name = std::tuple<quint32, QString, QString>;
    std::optional<RegistryValue> query(quint32 root, const QString& key, const QString& name) override
    {
        const auto it = values.find(fold(root, key, name));
        return it == values.end() ? std::nullopt : std::optional<RegistryValue>(it->second);
    }
    bool setString(quint32 root, const QString& key, const QString& name, const QString& text) override
    {
        roots.insert(root);
        writes << QStringLiteral("%1|%2|string|%3").arg(key, name, text);
        values[fold(root, key, name)] = {RegSz, text, 0};
        return true;
    }
    bool setDword(quint32 root, const QString& key, const QString& name, quint32 number) override
    {
        roots.insert(root);
        writes << QStringLiteral("%1|%2|dword|%3").arg(key, name).arg(number);
        values[fold(root, key, name)] = {RegDword, QString(), number};
        return true;
    }
    static Name fold(quint32 root, const QString& key, const QString& name)
    {
        return {root, key.toCaseFolded(), name.toCaseFolded()};
    }
    std::map<Name, RegistryValue> values;
    QStringList writes;
    QSet<quint32> roots;
};

class FakeShell : public ShellNotifier
{
public:
    void changeNotify(qint32 eventId, quint32 flags) override { notices << qMakePair(eventId, flags); }
    QList<QPair<qint32, quint32>> notices;
};

class FakeProgram : public ProgramLocation
{
public:
    QString folder() override { return m_folder; }
    QString exeName() override { return "Tankometer"; }
    QString filePath() override { return m_folder + "\\Tankometer.exe"; }
    QString m_folder = "C:\\Program Files\\Tanko";
};

// Puts the doubles in place for one test and the real services back after.
struct Doubles
{
    Doubles() : saved(services()) { services() = {&registry, &shell, &program}; }
    ~Doubles() { services() = saved; }
    FakeRegistry registry;
    FakeShell shell;
    FakeProgram program;
    Services saved;
};

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

} // namespace

class TestModFileType : public QObject
{
    Q_OBJECT

private slots:
    void markerDecidesWhetherTheTypeIsDeclared_data()
    {
        QTest::addColumn<int>("markerType"); // RegNone: no marker
        QTest::addColumn<QString>("marker");
        QTest::addColumn<bool>("declares");
        QTest::newRow("no marker: declared") << int(RegNone) << "" << true;
        QTest::newRow("marker Data: nothing done") << int(RegSz) << "Data" << false;
        QTest::newRow("marker empty: declared again") << int(RegSz) << "" << true;
        QTest::newRow("marker stored as a number: declared again") << int(RegDword) << "" << true;
    }

    void markerDecidesWhetherTheTypeIsDeclared()
    {
        QFETCH(int, markerType);
        QFETCH(QString, marker);
        QFETCH(bool, declares);
        Doubles doubles;
        // Other items missing or different do not matter: only the marker counts.
        doubles.registry.values[FakeRegistry::fold(HKEY_CLASSES_ROOT, "Tanko File", "")] = {RegSz, "other", 0};
        if (markerType != RegNone)
            doubles.registry.values[FakeRegistry::fold(HKEY_CLASSES_ROOT, ".TNK", "content type")] = {
                quint32(markerType), marker, 1};
        RegisterDataFileType();
        QCOMPARE(doubles.registry.writes.size(), declares ? 8 : 0);
        QCOMPARE(doubles.shell.notices.size(), declares ? 1 : 0);
    }

    void writesTheEightItemsInOrder()
    {
        Doubles doubles;
        RegisterDataFileType();
        QCOMPARE(doubles.registry.writes,
                 (QStringList{".tnk||string|Tanko File", ".tnk|Content Type|string|Data",
                              "Tanko File||string|Tanko saved Data", "Tanko File|EditFlags|dword|0",
                              "Tanko File\\DefaultIcon||string|C:\\Program Files\\Tanko\\Tankometer.exe,0",
                              "Tanko File\\Shell||string|", "Tanko File\\Shell\\Open||string|",
                              // Quoted both: the folder holds a blank, the file's path may too.
                              "Tanko File\\Shell\\Open\\Command||string|\"C:\\Program Files\\Tanko\\Tankometer.exe\" "
                              "\"%1\""}));
        QCOMPARE(doubles.shell.notices, (QList<QPair<qint32, quint32>>{{0x08000000, 0u}}));
        QCOMPARE(doubles.registry.roots, QSet<quint32>{HKEY_CLASSES_ROOT});
    }

    void rootFolderDoublesTheSeparator()
    {
        Doubles doubles;
        doubles.program.m_folder = "D:\\";
        RegisterDataFileType();
        QCOMPARE(doubles.registry.writes.value(4), QString("Tanko File\\DefaultIcon||string|D:\\\\Tankometer.exe,0"));
        QCOMPARE(doubles.registry.writes.value(7),
                 QString("Tanko File\\Shell\\Open\\Command||string|\"D:\\\\Tankometer.exe\" \"%1\""));
    }

    void classesStoreKeepsTypedValues()
    {
        TestSupport::Environment env;
        ClassesStore store;
        QVERIFY(store.setString(HKEY_CLASSES_ROOT, ".tnk", "Content Type", "Données"));
        QVERIFY(store.setDword(HKEY_CLASSES_ROOT, "Tanko File", "EditFlags", 0xFFFFFFFFu));
        QVERIFY(store.setString(HKEY_CLASSES_ROOT, "Nul", "", QStringView(u"a\0b", 3).toString()));
        env.put("Option", "TotUsers", "1");

        // A new run: the classes are in the file, beside the settings, which still open.
        env.reopen();
        ClassesStore again;
        const auto text = again.query(HKEY_CLASSES_ROOT, ".TNK", "CONTENT TYPE");
        QVERIFY(text && text->type == RegSz && text->text == u"Données");
        const auto number = again.query(HKEY_CLASSES_ROOT, "tanko file", "EditFlags");
        QVERIFY(number && number->type == RegDword && number->number == 0xFFFFFFFFu);
        QCOMPARE(again.query(HKEY_CLASSES_ROOT, "Nul", "")->text, QStringView(u"a\0b", 3).toString());
        QCOMPARE(env.get("Option", "TotUsers"), QString("1"));
        // Another root is another tree.
        QVERIFY(!again.query(0x80000001u, ".tnk", "Content Type"));
    }

    void classesStoreWithoutFileHoldsNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("missing.db");
        ClassesStore store([path] { return path; });
        QVERIFY(!store.setString(HKEY_CLASSES_ROOT, ".tnk", "", "Tanko File"));
        QVERIFY(!store.query(HKEY_CLASSES_ROOT, ".tnk", ""));
        // Never created by a registry write: the settings store makes its own file.
        QVERIFY(!QFile::exists(path));
        QVERIFY(!ClassesStore([] { return QString(); }).query(HKEY_CLASSES_ROOT, ".tnk", ""));
    }

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
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
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
};

QTEST_GUILESS_MAIN(TestModFileType)
#include "tst_modfiletype.moc"
