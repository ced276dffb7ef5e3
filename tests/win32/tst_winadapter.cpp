#include "filetype/Registry.h"
#include "filetype/WinFileType.h"
#include "filetype/modFileType.h"
#include "filetype/win32/WinRegistry.h"
#include "frame/win32/WinCalculator.h"

#include <QTest>

#include <map>
#include <tuple>

// The Windows registry and shell reached through the program's services: the
// adapter turns every text into the platform's wide strings and back. Here a
// registry in memory stands in for the Win32 one, through the plain routines
// that the Windows build takes from src/filetype/win32/.
namespace
{
struct NativeCall
{
    std::uint32_t root;
    std::wstring key;
    std::wstring name;
    std::wstring kind;
    std::wstring data;
};

struct NativeRegistry
{
    std::map<std::tuple<std::uint32_t, std::wstring, std::wstring>, WinNative::RegValue> values;
    std::vector<NativeCall> calls;
    std::vector<std::pair<std::int32_t, std::uint32_t>> notices;
    bool failWrites = false;
};

NativeRegistry g_native;
} // namespace

#ifndef Q_OS_WIN
namespace WinNative
{
std::optional<RegValue> queryValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName)
{
    const auto it = g_native.values.find({root, keyPath, valueName});
    return it == g_native.values.end() ? std::nullopt : std::optional<RegValue>(it->second);
}

bool setStringValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName,
                    const std::wstring& text)
{
    g_native.calls.push_back({root, keyPath, valueName, L"string", text});
    if (g_native.failWrites)
        return false;
    g_native.values[{root, keyPath, valueName}] = {1, text + L'\0', 0};
    return true;
}

bool setDwordValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName, std::uint32_t number)
{
    g_native.calls.push_back({root, keyPath, valueName, L"dword", std::to_wstring(number)});
    if (g_native.failWrites)
        return false;
    g_native.values[{root, keyPath, valueName}] = {4, {}, number};
    return true;
}

void changeNotify(std::int32_t eventId, std::uint32_t flags)
{
    g_native.notices.emplace_back(eventId, flags);
}
} // namespace WinNative
#endif

namespace
{
class Program : public FileType::ProgramLocation
{
public:
    QString folder() override { return m_folder; }
    QString exeName() override { return QStringLiteral("tankometer"); }
    QString filePath() override { return m_folder + QStringLiteral("\\tankometer.exe"); }
    QString m_folder;
};

// The Windows services in place for one test, the real ones back after.
struct WindowsServices
{
    explicit WindowsServices(const QString& folder)
    {
        g_native = {};
        program.m_folder = folder;
        saved = FileType::services();
        FileType::services() = {&registry, &shell, &program};
    }
    ~WindowsServices() { FileType::services() = saved; }
    WinRegistry registry;
    WinShell shell;
    Program program;
    FileType::Services saved;
};

QString line(const NativeCall& call)
{
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(call.root, 0, 16)
        .arg(QString::fromStdWString(call.key), QString::fromStdWString(call.name), QString::fromStdWString(call.kind),
             QString::fromStdWString(call.data));
}
} // namespace

class TestWinAdapter : public QObject
{
    Q_OBJECT

private slots:
    void declarationReachesTheRegistryAsWideStrings_data();
    void declarationReachesTheRegistryAsWideStrings();
    void storedValuesReadBack_data();
    void storedValuesReadBack();
    void failedWritesAreTriedAgainNextTime();
    void calculatorPathJoinsOnce_data();
    void calculatorPathJoinsOnce();
};

void TestWinAdapter::declarationReachesTheRegistryAsWideStrings_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain folder") << QStringLiteral("C:\\Program Files\\Tankometer");
    QTest::newRow("accents in the folder") << QStringLiteral("C:\\Users\\Zoë\\Programmes\\Réservoir");
    // Outside the basic plane: a surrogate pair on Windows, one wchar_t here.
    QTest::newRow("a character beyond 16 bits") << QStringLiteral("D:\\Apps\\\U0001F697 Tanko");
}

void TestWinAdapter::declarationReachesTheRegistryAsWideStrings()
{
    QFETCH(QString, folder);
    WindowsServices windows(folder);

    RegisterDataFileType();

    QStringList calls;
    for (const NativeCall& call : g_native.calls)
        calls << line(call);
    const QStringList expected = {
        QStringLiteral("80000000|.tnk||string|Tanko File"),
        QStringLiteral("80000000|.tnk|Content Type|string|Data"),
        QStringLiteral("80000000|Tanko File||string|Tanko saved Data"),
        QStringLiteral("80000000|Tanko File|EditFlags|dword|0"),
        QStringLiteral("80000000|Tanko File\\DefaultIcon||string|") + folder + QStringLiteral("\\tankometer.exe,0"),
        QStringLiteral("80000000|Tanko File\\Shell||string|"),
        QStringLiteral("80000000|Tanko File\\Shell\\Open||string|"),
        QStringLiteral("80000000|Tanko File\\Shell\\Open\\Command||string|\"") + folder +
            QStringLiteral("\\tankometer.exe\" \"%1\""),
    };
    QCOMPARE(calls, expected);
    QCOMPARE(g_native.notices.size(), size_t(1));
    QCOMPARE(g_native.notices.front().first, std::int32_t(0x08000000));
    QCOMPARE(g_native.notices.front().second, std::uint32_t(0));

    // The terminating NUL that Windows stores comes back and is cut off.
    QCOMPARE(modFileType::ReadRegString(modFileType::HKEY_CLASSES_ROOT, QStringLiteral("Tanko File\\DefaultIcon"),
                                        QString()),
             folder + QStringLiteral("\\tankometer.exe,0"));

    g_native.calls.clear();
    RegisterDataFileType();
    QVERIFY2(g_native.calls.empty(), "a declared type is declared once");
    QCOMPARE(g_native.notices.size(), size_t(1));
}

void TestWinAdapter::storedValuesReadBack_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<quint32>("number");
    QTest::addColumn<bool>("runsAgain");

    QTest::newRow("string Data: declared") << 1u << QStringLiteral("Data") << 0u << false;
    QTest::newRow("string with its NUL: declared")
        << 1u << QString(QStringLiteral("Other") + QChar(u'\0')) << 0u << false;
    QTest::newRow("empty string: runs again") << 1u << QString() << 0u << true;
    QTest::newRow("only a NUL: runs again") << 1u << QString(QChar(u'\0')) << 0u << true;
    QTest::newRow("number 1: runs again") << 4u << QString() << 1u << true;
    QTest::newRow("expandable string: runs again") << 2u << QStringLiteral("Data") << 0u << true;
}

void TestWinAdapter::storedValuesReadBack()
{
    QFETCH(quint32, type);
    QFETCH(QString, stored);
    QFETCH(quint32, number);
    QFETCH(bool, runsAgain);
    WindowsServices windows(QStringLiteral("C:\\Tanko"));
    g_native.values[{0x80000000u, L".tnk", L"Content Type"}] = {type, stored.toStdWString(), number};

    const std::optional<FileType::RegistryValue> value =
        windows.registry.query(0x80000000u, QStringLiteral(".tnk"), QStringLiteral("Content Type"));
    QVERIFY(value);
    QCOMPARE(value->type, type);
    QCOMPARE(value->text, stored);
    QCOMPARE(value->number, number);

    RegisterDataFileType();
    QCOMPARE(!g_native.calls.empty(), runsAgain);
    QCOMPARE(g_native.notices.size(), size_t(runsAgain ? 1 : 0));
}

void TestWinAdapter::failedWritesAreTriedAgainNextTime()
{
    WindowsServices windows(QStringLiteral("C:\\Tanko"));
    QVERIFY(!windows.registry.query(0x80000000u, QStringLiteral(".tnk"), QStringLiteral("Content Type")));

    g_native.failWrites = true;
    RegisterDataFileType();
    QCOMPARE(g_native.calls.size(), size_t(8));
    QVERIFY(!windows.registry.setString(0x80000000u, QStringLiteral("x"), QString(), QStringLiteral("y")));

    g_native.failWrites = false;
    g_native.calls.clear();
    RegisterDataFileType();
    QCOMPARE(g_native.calls.size(), size_t(8));
    QCOMPARE(g_native.notices.size(), size_t(2));
}

void TestWinAdapter::calculatorPathJoinsOnce_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("Windows folder") << QStringLiteral("C:\\WINDOWS") << QStringLiteral("C:\\WINDOWS\\CALC.EXE");
    QTest::newRow("Windows at a drive's root") << QStringLiteral("E:\\") << QStringLiteral("E:\\CALC.EXE");
    QTest::newRow("forward slash kept") << QStringLiteral("C:/Windows/") << QStringLiteral("C:/Windows/CALC.EXE");
    QTest::newRow("no folder") << QString() << QStringLiteral("\\CALC.EXE");
}

void TestWinAdapter::calculatorPathJoinsOnce()
{
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(QString::fromStdWString(WinNative::joinPath(folder.toStdWString(), L"CALC.EXE")), path);
}

QTEST_GUILESS_MAIN(TestWinAdapter)
#include "tst_winadapter.moc"
