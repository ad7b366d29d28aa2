#include "system_library.h"

#include <commctrl.h>

#include <cwchar>

#include "win_handles.h"

namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// Libraries that the system's own libraries load by name later, when the
// first themed window or message box is drawn: the theme library, its
// drawing helpers and the desktop window manager's interface. Loaded from
// the system folder first, they are then found loaded by name. Where
// SetDefaultDllDirectories is missing, or a loader leaves it out of
// delay-loaded imports (Wine does), a by-name load would otherwise search
// the program's folder first.
constexpr const wchar_t* kLoadedByNameLater[] = {L"uxtheme.dll", L"msimg32.dll", L"dwmapi.dll"};

// comctl32 is no known DLL: loaded by name it is found through the activation
// context's redirection when the manifest names it, otherwise only the system
// folder's copy may do.
HMODULE LoadCommonControls() {
    ACTCTX_SECTION_KEYED_DATA redirection = {};
    redirection.cbSize = sizeof(redirection);
    if (FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                 &redirection)) {
        if (HMODULE module = LoadLibraryW(L"comctl32.dll")) return module;
    }
    return LoadSystemLibrary(L"comctl32.dll");
}

}  // namespace

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

// SetDefaultDllDirectories came with Windows 8 and KB2533623 for Vista and 7.
// Without it (XP, Vista and 7 without the update) SetDllDirectoryW(L"") at
// least takes the current folder out of the search; the program's own folder
// stays in it there, which is why every library this program loads itself
// goes through LoadSystemLibrary or the activation context. The static
// imports' dependencies are covered by the image's DependentLoadFlags
// (engine/load_config.cpp) from Windows 10 1607 on.
void HardenDllSearch() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = GetProcAs<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories");
    if (!setDefault || !setDefault(kSearchSystem32)) {
        using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
        if (auto setDirectory = GetProcAs<SetDllDirectoryFn>(kernel, "SetDllDirectoryW")) setDirectory(L"");
    }
    // Kept for the process (a missing one, dwmapi on XP, is no fault).
    for (const wchar_t* library : kLoadedByNameLater) LoadSystemLibrary(library);
}

HMODULE CommonControlsLibrary() {
    static const HMODULE module = LoadCommonControls();
    return module;
}

bool InitCommonControlClasses(DWORD classes) {
    auto init = GetProcAs<decltype(&::InitCommonControlsEx)>(CommonControlsLibrary(), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof(controls), classes};
    return init && init(&controls);
}
