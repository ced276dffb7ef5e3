// Links every Windows-only routine into one program so that the cross
// compiler must resolve each Win32 call they make.
#include "core/platform/win32/WinCalculator.h"
#include "core/platform/win32/WinRegistry.h"

int main()
{
    // Holding the addresses is enough for the linker; run, the program
    // touches neither the registry nor the shell.
    auto* volatile query = &WinNative::queryValue;
    auto* volatile setString = &WinNative::setStringValue;
    auto* volatile setDword = &WinNative::setDwordValue;
    auto* volatile notify = &WinNative::changeNotify;
    auto* volatile calculator = &WinNative::calculatorPaths;
    return query && setString && setDword && notify && calculator ? 0 : 1;
}
