#include "filetype/win32/WinFileType.h"

#ifdef _WIN32

#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

namespace
{
// The account's classes for the classes root, any other root as it is.
struct KeyName
{
    HKEY root;
    std::wstring path;
};

KeyName resolve(quint32 root, const QString& keyPath)
{
    if (root == 0x80000000u) {
        const QString path =
            keyPath.isEmpty() ? QStringLiteral("Software\\Classes") : QStringLiteral("Software\\Classes\\") + keyPath;
        return {HKEY_CURRENT_USER, path.toStdWString()};
    }
    return {reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root))), keyPath.toStdWString()};
}

class Key
{
public:
    Key(quint32 root, const QString& keyPath, bool create)
    {
        const KeyName name = resolve(root, keyPath);
        const LONG rc = create ? RegCreateKeyExW(name.root, name.path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                                 nullptr, &m_key, nullptr)
                               : RegOpenKeyExW(name.root, name.path.c_str(), 0, KEY_READ, &m_key);
        if (rc != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~Key()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY handle() const { return m_key; }

private:
    HKEY m_key = nullptr;
};
} // namespace

std::optional<FileType::RegistryValue> WinRegistry::query(quint32 root, const QString& keyPath,
                                                          const QString& valueName)
{
    Key key(root, keyPath, false);
    if (!key.handle())
        return std::nullopt;
    const std::wstring name = valueName.toStdWString();
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.handle(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> data(size + sizeof(wchar_t));
    if (RegQueryValueExW(key.handle(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    FileType::RegistryValue value;
    value.type = type;
    if (type == REG_SZ)
        value.text = QString::fromWCharArray(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    else if (type == REG_DWORD && size == sizeof(DWORD))
        value.number = *reinterpret_cast<const DWORD*>(data.data());
    return value;
}

bool WinRegistry::setString(quint32 root, const QString& keyPath, const QString& valueName, const QString& text)
{
    Key key(root, keyPath, true);
    if (!key.handle())
        return false;
    const std::wstring name = valueName.toStdWString();
    const std::wstring data = text.toStdWString();
    const DWORD size = DWORD((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.handle(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), size) ==
           ERROR_SUCCESS;
}

bool WinRegistry::setDword(quint32 root, const QString& keyPath, const QString& valueName, quint32 number)
{
    Key key(root, keyPath, true);
    if (!key.handle())
        return false;
    const std::wstring name = valueName.toStdWString();
    const DWORD data = number;
    return RegSetValueExW(key.handle(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

void WinShell::changeNotify(qint32 eventId, quint32 flags)
{
    SHChangeNotify(LONG(eventId), UINT(flags), nullptr, nullptr);
}

#endif
