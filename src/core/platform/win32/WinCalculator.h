#pragma once

#include <string>
#include <vector>

// Where Windows keeps its calculator, in plain C++ like every Windows-only
// source, so that a cross compiler checks it without Qt.
namespace WinNative
{
// CALC.EXE in the Windows folder, then calc.exe in the system folder, both
// asked of the system: "C:\WINDOWS\..." only where Windows lives there.
std::vector<std::wstring> calculatorPaths();

// folder and file with exactly one separator between them, whether or not
// the folder (a drive's root, "C:\") already ends with one.
inline std::wstring joinPath(const std::wstring& folder, const std::wstring& file)
{
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        return folder + file;
    return folder + L'\\' + file;
}
} // namespace WinNative
