#include "core/platform/win32/WinCalculator.h"

#include <windows.h>

namespace WinNative
{
namespace
{
using FolderQuery = UINT(WINAPI*)(LPWSTR, UINT);

std::wstring systemFolder(FolderQuery query, const wchar_t* fallback)
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = query(buffer, MAX_PATH + 1);
    // Zero is a failure; a length beyond the buffer is the size it needed.
    if (length == 0 || length > MAX_PATH)
        return fallback;
    return std::wstring(buffer, length);
}
} // namespace

std::vector<std::wstring> calculatorPaths()
{
    // The shared Windows folder, not a Terminal Server user's private one.
    const std::wstring windows = systemFolder(GetSystemWindowsDirectoryW, L"C:\\WINDOWS");
    const std::wstring system = systemFolder(GetSystemDirectoryW, L"C:\\WINDOWS\\System32");
    return {joinPath(windows, L"CALC.EXE"), joinPath(system, L"calc.exe")};
}
} // namespace WinNative
