/* Measures the time from launching a program to its first window painted:
 * the program is started, the probe waits until it idles for input (its
 * message loop has dispatched everything, WM_PAINT included) and until a
 * visible top-level window of it has no region left to paint; then the
 * program is ended. Prints the milliseconds.
 *   startup_probe.exe PROGRAM [ARGUMENTS] */
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

static DWORD g_pid;
static HWND g_found;
static wchar_t g_title[256];
static int g_children;

static BOOL CALLBACK FindVisible(HWND window, LPARAM unused) {
    DWORD pid = 0;
    (void)unused;
    GetWindowThreadProcessId(window, &pid);
    if (pid == g_pid && IsWindowVisible(window)) {
        g_found = window;
        return FALSE;
    }
    return TRUE;
}

static BOOL CALLBACK ChildPainted(HWND child, LPARAM pending) {
    ++g_children;
    if (IsWindowVisible(child) && GetUpdateRect(child, NULL, FALSE)) *(int *)pending = 1;
    return TRUE;
}

int wmain(int argc, wchar_t **argv) {
    wchar_t commandLine[1024] = L"";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process;
    LARGE_INTEGER frequency, started, painted;
    int i, waited;
    if (argc < 2) return 2;
    for (i = 1; i < argc; ++i) {
        if (i > 1) wcsncat(commandLine, L" ", 1023 - wcslen(commandLine));
        wcsncat(commandLine, argv[i], 1023 - wcslen(commandLine));
    }
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    if (!CreateProcessW(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return 1;
    g_pid = process.dwProcessId;
    WaitForInputIdle(process.hProcess, 30000);
    for (waited = 0; waited < 30000; ++waited) {
        int pending = 0;
        g_found = NULL;
        EnumWindows(FindVisible, 0);
        if (g_found) {
            if (GetUpdateRect(g_found, NULL, FALSE)) pending = 1;
            g_children = 0;
            EnumChildWindows(g_found, ChildPainted, (LPARAM)&pending);
            if (!pending) {
                GetWindowTextW(g_found, g_title, 256);
                break;
            }
        }
        Sleep(1);
    }
    QueryPerformanceCounter(&painted);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!g_found) return 3;
    printf("%.1f\n", (painted.QuadPart - started.QuadPart) * 1000.0 / frequency.QuadPart);
    fwprintf(stderr, L"painted: \"%ls\" with %d child windows\n", g_title, g_children);
    return 0;
}
