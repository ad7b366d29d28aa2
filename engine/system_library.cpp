#include "system_library.h"

#include <cwchar>

bool SystemLibraryPath(const wchar_t* fileName, wchar_t* path, int pathChars) {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    const wchar_t* separator = folder[n - 1] == L'\\' ? L"" : L"\\";
    const int written = _snwprintf(path, pathChars, L"%s%s%s", folder, separator, fileName);
    if (written < 0 || written >= pathChars) {
        path[0] = L'\0';
        return false;
    }
    return true;
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    wchar_t path[MAX_PATH] = {};
    return SystemLibraryPath(fileName, path, MAX_PATH) ? LoadLibraryW(path) : nullptr;
}
