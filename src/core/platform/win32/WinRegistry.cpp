#include "core/platform/win32/WinRegistry.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

namespace WinNative
{
namespace
{
constexpr std::uint32_t ClassesRoot = 0x80000000u;

struct KeyName
{
    HKEY root;
    std::wstring path;
};

// The classes root is reached through the account's own Software\Classes:
// it is what HKEY_CLASSES_ROOT shows to a user without administrator rights,
// and where such a user may write.
KeyName resolve(std::uint32_t root, const std::wstring& keyPath)
{
    if (root == ClassesRoot)
        return {HKEY_CURRENT_USER,
                keyPath.empty() ? std::wstring(L"Software\\Classes") : L"Software\\Classes\\" + keyPath};
    // Predefined keys are sign-extended handle values on 64-bit Windows.
    return {reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root))), keyPath};
}

class Key
{
public:
    Key(std::uint32_t root, const std::wstring& keyPath, bool create)
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

std::optional<RegValue> queryValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName)
{
    Key key(root, keyPath, false);
    if (!key.handle())
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.handle(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    // Room for a NUL the writer may have left out.
    std::vector<BYTE> data(size + sizeof(wchar_t));
    if (RegQueryValueExW(key.handle(), valueName.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    RegValue value;
    value.type = type;
    if (type == REG_SZ)
        value.text.assign(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    else if (type == REG_DWORD && size == sizeof(DWORD))
        value.number = *reinterpret_cast<const DWORD*>(data.data());
    return value;
}

bool setStringValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName,
                    const std::wstring& text)
{
    Key key(root, keyPath, true);
    if (!key.handle())
        return false;
    const DWORD size = DWORD((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.handle(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          size) == ERROR_SUCCESS;
}

bool setDwordValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName, std::uint32_t number)
{
    Key key(root, keyPath, true);
    if (!key.handle())
        return false;
    const DWORD data = number;
    return RegSetValueExW(key.handle(), valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

void changeNotify(std::int32_t eventId, std::uint32_t flags)
{
    SHChangeNotify(LONG(eventId), UINT(flags), nullptr, nullptr);
}
} // namespace WinNative
