// The shell and COM functions the setup calls, resolved on first use from
// shell32.dll and ole32.dll in the system folder. Start-up and the first page
// need neither library, and a library loaded by its full path cannot be a
// planted copy beside the setup. When a library or function cannot be had,
// each call fails the way the real function reports failure.
#pragma once

#include <objbase.h>
#include <shlobj.h>
#include <shellapi.h>

#include <string>

namespace lazy {

HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object);
void CoTaskMemFree(LPVOID memory);

HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST* pidl);
BOOL SHGetPathFromIDListW(LPCITEMIDLIST pidl, LPWSTR path);
LPITEMIDLIST SHBrowseForFolderW(LPBROWSEINFOW info);
void SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2);
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, INT showCommand);

}  // namespace lazy

// A shell folder (CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, ...) by its path,
// ending in '\'; empty when the shell does not know it or it has no path.
std::wstring KnownFolder(int csidl, HWND owner = nullptr);
