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
struct NativeRegistry
{
    std::map<std::tuple<std::uint32_t, std::wstring, std::wstring>, WinNative::RegValue> values;
    QStringList calls; // root|key|name|kind|data, as the platform receives them
    int notices = 0;   // of a new association, without items
    bool failWrites = false;

    bool write(std::uint32_t root, const std::wstring& key, const std::wstring& name, const WinNative::RegValue& value)
    {
        calls << QStringLiteral("%1|%2|%3|%4")
                     .arg(root, 0, 16)
                     .arg(QString::fromStdWString(key), QString::fromStdWString(name),
                          value.type == 4 ? QStringLiteral("dword|%1").arg(value.number)
                                          : QStringLiteral("string|") + QString::fromStdWString(value.text).chopped(1));
        if (!failWrites)
            values[{root, key, name}] = value;
        return !failWrites;
    }
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
    return g_native.write(root, keyPath, valueName, {1, text + L'\0', 0});
}

bool setDwordValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName, std::uint32_t number)
{
    return g_native.write(root, keyPath, valueName, {4, {}, number});
}

void changeNotify(std::int32_t eventId, std::uint32_t flags)
{
    g_native.notices += eventId == 0x08000000 && flags == 0 ? 1 : 1000;
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
} // namespace

class TestWinAdapter : public QObject
{
    Q_OBJECT

private slots:
    void declarationReachesTheRegistryAsWideStrings();
    void storedValuesReadBack();
    void calculatorPathJoinsOnce();
};

void TestWinAdapter::declarationReachesTheRegistryAsWideStrings()
{
    // Accents, and a character beyond 16 bits: a surrogate pair on Windows, one wchar_t here.
    const QString folder = QStringLiteral("C:\\Users\\Zoë\\\U0001F697 Réservoir");
    WindowsServices windows(folder);
    QVERIFY(!windows.registry.query(0x80000000u, QStringLiteral(".tnk"), QStringLiteral("Content Type")));
    // Writes that fail are all tried again at the next start.
    g_native.failWrites = true;
    RegisterDataFileType();
    QCOMPARE(g_native.calls.size(), 8);
    QVERIFY(!windows.registry.setString(0x80000000u, QStringLiteral("x"), QString(), QStringLiteral("y")));
    g_native.failWrites = false;
    g_native.calls.clear();
    RegisterDataFileType();

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
    QCOMPARE(g_native.calls, expected);
    QCOMPARE(g_native.notices, 2);

    // The terminating NUL that Windows stores comes back and is cut off.
    QCOMPARE(modFileType::ReadRegString(modFileType::HKEY_CLASSES_ROOT, QStringLiteral("Tanko File\\DefaultIcon"),
                                        QString()),
             folder + QStringLiteral("\\tankometer.exe,0"));

    g_native.calls.clear();
    RegisterDataFileType();
    QVERIFY2(g_native.calls.isEmpty(), "a declared type is declared once");
    QCOMPARE(g_native.notices, 2);
}

void TestWinAdapter::storedValuesReadBack()
{
    // Type, text, number, and whether the declaration runs again over it.
    const std::tuple<quint32, QString, quint32, bool> rows[] = {
        {1, QStringLiteral("Other") + QChar(u'\0'), 0, false}, // a declared type, its NUL as stored
        {1, QString(QChar(u'\0')), 0, true},                   // only a NUL
        {4, QString(), 1, true},                               // a number
        {2, QStringLiteral("Data"), 0, true}};                 // an expandable string
    for (const auto& [type, stored, number, runsAgain] : rows) {
        WindowsServices windows(QStringLiteral("C:\\Tanko"));
        g_native.values[{0x80000000u, L".tnk", L"Content Type"}] = {type, stored.toStdWString(), number};
        const auto value = windows.registry.query(0x80000000u, QStringLiteral(".tnk"), QStringLiteral("Content Type"));
        QVERIFY(value);
        QCOMPARE(std::tie(value->type, value->text, value->number), std::tie(type, stored, number));
        RegisterDataFileType();
        QCOMPARE(g_native.calls.size(), runsAgain ? 8 : 0);
        QCOMPARE(g_native.notices, runsAgain ? 1 : 0);
    }
}

void TestWinAdapter::calculatorPathJoinsOnce()
{
    const auto join = [](const wchar_t* folder) {
        return QString::fromStdWString(WinNative::joinPath(folder, L"CALC.EXE"));
    };
    const QStringList joined = {join(L"C:\\WINDOWS"), join(L"E:\\"), join(L"C:/Windows/"), join(L"")};
    QCOMPARE(joined, (QStringList{"C:\\WINDOWS\\CALC.EXE", "E:\\CALC.EXE", "C:/Windows/CALC.EXE", "\\CALC.EXE"}));
}

QTEST_GUILESS_MAIN(TestWinAdapter)
#include "tst_winadapter.moc"
