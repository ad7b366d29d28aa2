// Opens a file through the shell ("open" verb) and waits for a viewer
// window of class "Pixolum" whose title names the file; closes it again.
// Exit code 0 when it appeared within 30 seconds.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const wchar_t* file = argv[1];
    const wchar_t* name = wcsrchr(file, L'\\') ? wcsrchr(file, L'\\') + 1 : file;
    CoInitialize(nullptr);
    HINSTANCE result = ShellExecuteW(nullptr, L"open", file, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        wprintf(L"ShellExecuteW failed: %d\n", static_cast<int>(reinterpret_cast<INT_PTR>(result)));
        return 1;
    }
    for (int i = 0; i < 300; ++i) {
        if (HWND viewer = FindWindowW(L"Pixolum", nullptr)) {
            // The viewer names the file in its title once it has loaded it.
            wchar_t title[512] = {};
            bool named = false;
            for (int t = 0; t < 100 && !named; ++t) {
                GetWindowTextW(viewer, title, 511);
                named = wcsstr(title, name) != nullptr;
                if (!named) Sleep(100);
            }
            wprintf(L"viewer window: %ls\n", title);
            PostMessageW(viewer, WM_CLOSE, 0, 0);
            return named ? 0 : 3;
        }
        Sleep(100);
    }
    wprintf(L"no viewer window appeared\n");
    return 1;
}
