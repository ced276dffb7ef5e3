#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The registry and the shell of Windows in plain C++: no Qt, so that a cross
// compiler checks this code on every build. Texts are the platform's wide
// strings; WinFileType.h adapts them to the program's services.
namespace WinNative
{
struct RegValue
{
    std::uint32_t type = 0;   // REG_SZ 1, REG_DWORD 4...
    std::wstring text;        // REG_SZ exactly as stored, a terminating NUL included
    std::uint32_t number = 0; // REG_DWORD
};

// Type and data of a value; nothing when the key or the value is missing or
// cannot be read. An empty name is the key's default value.
std::optional<RegValue> queryValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName);
// Creates the key when it is missing. False when the write failed.
bool setStringValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName,
                    const std::wstring& text);
bool setDwordValue(std::uint32_t root, const std::wstring& keyPath, const std::wstring& valueName,
                   std::uint32_t number);

// SHChangeNotify without items.
void changeNotify(std::int32_t eventId, std::uint32_t flags);
} // namespace WinNative
