// Stands in for a running viewer: a top-level window of class "Pixolum".
// Writes the file named by its argument once the window exists, then waits
// until it is closed.
#include <windows.h>

#include <cstdio>

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR args, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"Pixolum";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(L"Pixolum", L"Pixolum", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                              nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    if (args && *args) {
        if (FILE* f = _wfopen(args, L"w")) fclose(f);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
