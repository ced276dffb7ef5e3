#include "TestSupport.h"

#include "filetype/ClassesStore.h"
#include "filetype/Registry.h"
#include "filetype/modFileType.h"

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
        writes << QStringLiteral("%1|%2|%3|string|%4").arg(root, 0, 16).arg(key, name, text);
        values[fold(root, key, name)] = {RegSz, text, 0};
        return true;
    }
    bool setDword(quint32 root, const QString& key, const QString& name, quint32 number) override
    {
        writes << QStringLiteral("%1|%2|%3|dword|%4").arg(root, 0, 16).arg(key, name).arg(number);
        values[fold(root, key, name)] = {RegDword, QString(), number};
        return true;
    }
    static Name fold(quint32 root, const QString& key, const QString& name)
    {
        return {root, key.toCaseFolded(), name.toCaseFolded()};
    }

    std::map<Name, RegistryValue> values;
    QStringList writes;
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
    QString exeName() override { return QStringLiteral("Tankometer"); }
    QString filePath() override { return m_folder + QStringLiteral("\\Tankometer.exe"); }
    QString m_folder = QStringLiteral("C:\\Program Files\\Tanko");
};

// Puts the doubles in place for one test and the real services back after.
struct Doubles
{
    explicit Doubles(Registry* registry = nullptr)
    {
        saved = services();
        services() = {registry ? registry : &fakeRegistry, &shell, &program};
    }
    ~Doubles() { services() = saved; }
    FakeRegistry fakeRegistry;
    FakeShell shell;
    FakeProgram program;
    Services saved;
};

RegistryValue text(const QString& s)
{
    return {RegSz, s, 0};
}

RegistryValue number(quint32 n)
{
    return {RegDword, QString(), n};
}
} // namespace

class TestModFileType : public QObject
{
    Q_OBJECT

private slots:
    void markerDecidesWhetherTheTypeIsDeclared_data();
    void markerDecidesWhetherTheTypeIsDeclared();
    void writesTheEightItemsInOrder();
    void rootFolderDoublesTheSeparator();
    void readRegString_data();
    void readRegString();
    void classesStoreKeepsTypedValues();
    void classesStoreWithoutFileHoldsNothing();
    void classesStoreDeclaresTheTypeOnce();
};

void TestModFileType::markerDecidesWhetherTheTypeIsDeclared_data()
{
    QTest::addColumn<bool>("hasMarker");
    QTest::addColumn<RegistryValue>("marker");
    QTest::addColumn<bool>("declares");

    QTest::newRow("no marker: declared") << false << RegistryValue() << true;
    QTest::newRow("marker Data: nothing done") << true << text(QStringLiteral("Data")) << false;
    QTest::newRow("marker of another text: nothing done") << true << text(QStringLiteral("text/plain")) << false;
    QTest::newRow("marker empty: declared again") << true << text(QString()) << true;
    QTest::newRow("marker NUL first: declared again") << true << text(QStringView(u"\0Data", 5).toString()) << true;
    QTest::newRow("marker stored as a number: declared again") << true << number(1) << true;
}

void TestModFileType::markerDecidesWhetherTheTypeIsDeclared()
{
    QFETCH(bool, hasMarker);
    QFETCH(RegistryValue, marker);
    QFETCH(bool, declares);
    Doubles doubles;
    // Other items missing or different do not matter: only the marker counts.
    doubles.fakeRegistry.values[FakeRegistry::fold(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File"), QString())] =
        text(QStringLiteral("something else"));
    if (hasMarker)
        doubles.fakeRegistry
            .values[FakeRegistry::fold(HKEY_CLASSES_ROOT, QStringLiteral(".TNK"), QStringLiteral("content type"))] =
            marker;

    RegisterDataFileType();

    QCOMPARE(doubles.fakeRegistry.writes.size(), declares ? 8 : 0);
    QCOMPARE(doubles.shell.notices.size(), declares ? 1 : 0);
    if (declares)
        QCOMPARE(modFileType::ReadRegString(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QStringLiteral("Content Type")),
                 QStringLiteral("Data"));
}

void TestModFileType::writesTheEightItemsInOrder()
{
    Doubles doubles;
    RegisterDataFileType();

    const QStringList expected = {
        QStringLiteral("80000000|.tnk||string|Tanko File"),
        QStringLiteral("80000000|.tnk|Content Type|string|Data"),
        QStringLiteral("80000000|Tanko File||string|Tanko saved Data"),
        QStringLiteral("80000000|Tanko File|EditFlags|dword|0"),
        QStringLiteral("80000000|Tanko File\\DefaultIcon||string|C:\\Program Files\\Tanko\\Tankometer.exe,0"),
        QStringLiteral("80000000|Tanko File\\Shell||string|"),
        QStringLiteral("80000000|Tanko File\\Shell\\Open||string|"),
        // Quoted both: the folder holds a blank, the file's path may too.
        QStringLiteral("80000000|Tanko File\\Shell\\Open\\Command||string|"
                       "\"C:\\Program Files\\Tanko\\Tankometer.exe\" \"%1\""),
    };
    QCOMPARE(doubles.fakeRegistry.writes, expected);
    QCOMPARE(doubles.shell.notices.size(), 1);
    QCOMPARE(doubles.shell.notices[0].first, 0x08000000);
    QCOMPARE(doubles.shell.notices[0].second, 0u);
}

void TestModFileType::rootFolderDoublesTheSeparator()
{
    Doubles doubles;
    doubles.program.m_folder = QStringLiteral("D:\\");
    RegisterDataFileType();
    QCOMPARE(doubles.fakeRegistry.writes.value(4),
             QStringLiteral("80000000|Tanko File\\DefaultIcon||string|D:\\\\Tankometer.exe,0"));
    QCOMPARE(doubles.fakeRegistry.writes.value(7),
             QStringLiteral("80000000|Tanko File\\Shell\\Open\\Command||string|\"D:\\\\Tankometer.exe\" \"%1\""));
}

void TestModFileType::readRegString_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("missing key reads as empty") << QStringLiteral("Nothing") << QString() << QString();
    QTest::newRow("missing value reads as empty") << QStringLiteral(".tnk") << QStringLiteral("Other") << QString();
    QTest::newRow("number reads as empty") << QStringLiteral("Tanko File") << QStringLiteral("EditFlags") << QString();
    QTest::newRow("string as stored") << QStringLiteral(".tnk") << QString() << QStringLiteral("Tanko File");
    QTest::newRow("key and name in other case")
        << QStringLiteral("TANKO FILE") << QString() << QStringLiteral("Tanko saved Data");
    QTest::newRow("string cut at its NUL") << QStringLiteral("Cut") << QString() << QStringLiteral("abc");
}

void TestModFileType::readRegString()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    Doubles doubles;
    modFileType::WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QString(), QStringLiteral("Tanko File"));
    modFileType::WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File"), QString(),
                                QStringLiteral("Tanko saved Data"));
    modFileType::WriteRegDword(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File"), QStringLiteral("EditFlags"), 0);
    modFileType::WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral("Cut"), QString(),
                                QStringView(u"abc\0def\0", 8).toString());

    QCOMPARE(modFileType::ReadRegString(HKEY_CLASSES_ROOT, key, name), expected);
}

void TestModFileType::classesStoreKeepsTypedValues()
{
    TestSupport::Environment env;
    ClassesStore store;
    QVERIFY(store.setString(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QStringLiteral("Content Type"),
                            QStringLiteral("Données")));
    QVERIFY(store.setDword(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File"), QStringLiteral("EditFlags"), 0xFFFFFFFFu));
    QVERIFY(store.setString(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File\\Shell"), QString(), QString()));
    QVERIFY(store.setString(HKEY_CLASSES_ROOT, QStringLiteral("Nul"), QString(), QStringView(u"a\0b", 3).toString()));
    env.put(QStringLiteral("Option"), QStringLiteral("TotUsers"), QStringLiteral("1"));

    // A new run: the classes are in the file, beside the settings, which still open.
    env.reopen();
    ClassesStore again;
    auto value = again.query(HKEY_CLASSES_ROOT, QStringLiteral(".TNK"), QStringLiteral("CONTENT TYPE"));
    QVERIFY(value);
    QCOMPARE(value->type, quint32(RegSz));
    QCOMPARE(value->text, QStringLiteral("Données"));
    value = again.query(HKEY_CLASSES_ROOT, QStringLiteral("tanko file"), QStringLiteral("EditFlags"));
    QVERIFY(value);
    QCOMPARE(value->type, quint32(RegDword));
    QCOMPARE(value->number, 0xFFFFFFFFu);
    value = again.query(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File\\Shell"), QString());
    QVERIFY(value);
    QCOMPARE(value->type, quint32(RegSz));
    QVERIFY(value->text.isEmpty());
    QCOMPARE(again.query(HKEY_CLASSES_ROOT, QStringLiteral("Nul"), QString())->text,
             QStringView(u"a\0b", 3).toString());
    QCOMPARE(env.get(QStringLiteral("Option"), QStringLiteral("TotUsers")), QStringLiteral("1"));

    // Another root is another tree; a later write replaces the type as well.
    QVERIFY(!again.query(0x80000001u, QStringLiteral(".tnk"), QStringLiteral("Content Type")));
    QVERIFY(again.setDword(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QStringLiteral("Content Type"), 7));
    QCOMPARE(again.query(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QStringLiteral("Content Type"))->type,
             quint32(RegDword));
}

void TestModFileType::classesStoreWithoutFileHoldsNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing.db"));
    ClassesStore store([path] { return path; });
    QVERIFY(!store.setString(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QString(), QStringLiteral("Tanko File")));
    QVERIFY(!store.query(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QString()));
    // Never created by a registry write: the settings store makes its own file.
    QVERIFY(!QFile::exists(path));

    ClassesStore noStore([] { return QString(); });
    QVERIFY(!noStore.query(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QString()));
}

void TestModFileType::classesStoreDeclaresTheTypeOnce()
{
    TestSupport::Environment env;
    ClassesStore store;
    Doubles doubles(&store);
    RegisterDataFileType();
    RegisterDataFileType();
    QCOMPARE(doubles.shell.notices.size(), 1);
    QCOMPARE(
        modFileType::ReadRegString(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File\\Shell\\Open\\Command"), QString()),
        QStringLiteral("\"C:\\Program Files\\Tanko\\Tankometer.exe\" \"%1\""));
    QCOMPARE(store.query(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File"), QStringLiteral("EditFlags"))->type,
             quint32(RegDword));

    // An empty marker (say, emptied by hand) makes the next run declare it all again.
    store.setString(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QStringLiteral("Content Type"), QString());
    RegisterDataFileType();
    QCOMPARE(doubles.shell.notices.size(), 2);
}

QTEST_GUILESS_MAIN(TestModFileType)
#include "tst_modfiletype.moc"
