/* The planted-DLL test's yardstick: a program with the shipped programs'
   static imports that does nothing of its own. What it loads is what the
   loader loads before any program's first instruction. With "load" it then
   loads uxtheme.dll by name, without any hardening: the planted copy must be
   the one found, or the test's planting proves nothing. */
#include <windows.h>
#include <shellapi.h>
#include <objbase.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance; (void)previous; (void)show;
    if (lstrcmpA(commandLine, "never") == 0) {
        /* Referenced, never called: the imports stay in the table. */
        GetStockObject(0);
        RegCloseKey(NULL);
        CoUninitialize();
        CommandLineToArgvW(NULL, NULL);
        MessageBoxW(NULL, L"", L"", 0);
    }
    if (lstrcmpA(commandLine, "load") == 0) LoadLibraryW(L"uxtheme.dll");
    return 0;
}
