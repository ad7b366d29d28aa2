#include "shell_api.h"

#include "com_ptr.h"
#include "system_library.h"
#include "win_handles.h"

namespace {

// One system library, loaded once and kept for the life of the process: COM
// objects and item-id lists it hands out outlive any one call.
struct LazyLibrary {
    const wchar_t* fileName;
    HMODULE module;
    bool tried;
};

LazyLibrary g_shell32 = {L"shell32.dll", nullptr, false};
LazyLibrary g_ole32 = {L"ole32.dll", nullptr, false};

// The function's own declaration gives the pointer type, calling convention
// included, so a 32-bit build cannot call a stdcall function as cdecl.
template <typename Fn>
Fn Resolve(LazyLibrary& library, const char* name) {
    if (!library.tried) {
        library.tried = true;
        library.module = LoadSystemLibrary(library.fileName);
    }
    return GetProcAs<Fn>(library.module, name);
}

#define PX_RESOLVE(library, function)                                          \
    static const auto fn = Resolve<decltype(&::function)>(library, #function); \
    (void)0

}  // namespace

namespace lazy {

HRESULT CoInitialize(LPVOID reserved) {
    PX_RESOLVE(g_ole32, CoInitialize);
    return fn ? fn(reserved) : E_FAIL;
}

void CoUninitialize() {
    PX_RESOLVE(g_ole32, CoUninitialize);
    if (fn) fn();
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) {
    PX_RESOLVE(g_ole32, CoCreateInstance);
    if (fn) return fn(clsid, outer, context, iid, object);
    if (object) *object = nullptr;
    return REGDB_E_CLASSNOTREG;
}

void CoTaskMemFree(LPVOID memory) {
    if (!memory) return;  // nothing was allocated: no reason to load COM
    PX_RESOLVE(g_ole32, CoTaskMemFree);
    if (fn) fn(memory);
}

HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST* pidl) {
    PX_RESOLVE(g_shell32, SHGetSpecialFolderLocation);
    if (fn) return fn(owner, csidl, pidl);
    if (pidl) *pidl = nullptr;
    return E_FAIL;
}

BOOL SHGetPathFromIDListW(LPCITEMIDLIST pidl, LPWSTR path) {
    PX_RESOLVE(g_shell32, SHGetPathFromIDListW);
    return fn ? fn(pidl, path) : FALSE;
}

LPITEMIDLIST SHBrowseForFolderW(LPBROWSEINFOW info) {
    PX_RESOLVE(g_shell32, SHBrowseForFolderW);
    return fn ? fn(info) : nullptr;
}

void SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2) {
    PX_RESOLVE(g_shell32, SHChangeNotify);
    if (fn) fn(eventId, flags, item1, item2);
}

HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, INT showCommand) {
    PX_RESOLVE(g_shell32, ShellExecuteW);
    if (fn) return fn(owner, verb, file, parameters, directory, showCommand);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
}

}  // namespace lazy

std::wstring KnownFolder(int csidl, HWND owner) {
    wchar_t path[MAX_PATH] = {};
    ItemIdList pidl;
    if (FAILED(lazy::SHGetSpecialFolderLocation(owner, csidl, pidl.Put())) ||
        !lazy::SHGetPathFromIDListW(pidl.Get(), path) || path[0] == L'\0') {
        return std::wstring();
    }
    std::wstring folder(path);
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}
