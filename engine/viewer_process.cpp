#include "viewer_process.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <string>

#include "install_options.h"
#include "system_library.h"
#include "win_handles.h"

namespace {

// Vista and later open a process for its name with the least right; XP
// knows neither that right nor QueryFullProcessImageNameW.
constexpr DWORD kQueryLimitedInformation = 0x1000;
constexpr DWORD kImageChars = 1024;

std::wstring ImagePath(DWORD processId) {
    using QueryFullNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    static const auto queryFullName =
        GetProcAs<QueryFullNameFn>(GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW");
    wchar_t image[kImageChars] = {};
    if (queryFullName) {
        KernelHandle process(OpenProcess(kQueryLimitedInformation, FALSE, processId));
        DWORD chars = kImageChars;
        if (process && queryFullName(process.Get(), 0, image, &chars) && chars < kImageChars) {
            return std::wstring(image, chars);
        }
    }
    // XP: the process's first module through psapi, loaded from the system folder.
    using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    static HMODULE psapi = LoadSystemLibrary(L"psapi.dll");
    const auto moduleName = GetProcAs<ModuleNameFn>(psapi, "GetModuleFileNameExW");
    if (!moduleName) return {};
    KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return {};
    const DWORD chars = moduleName(process.Get(), nullptr, image, kImageChars);
    if (chars == 0 || chars >= kImageChars) return {};
    return std::wstring(image, chars);
}

}  // namespace

bool ViewerRunsFrom(const wchar_t* folder) {
    if (!folder || !folder[0]) return false;
    std::wstring expected = folder;
    if (expected.back() != L'\\') expected += L'\\';
    expected += kViewerExe;
    // The long spelling, so that a short (8.3) name in either path still matches.
    wchar_t longForm[kImageChars] = {};
    const DWORD longChars = GetLongPathNameW(expected.c_str(), longForm, kImageChars);
    if (longChars > 0 && longChars < kImageChars) expected = longForm;

    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        // Only the viewer's name is looked at: every other process is left alone.
        const wchar_t* name = wcsrchr(entry.szExeFile, L'\\');
        name = name ? name + 1 : entry.szExeFile;
        if (_wcsicmp(name, kViewerExe) != 0) continue;
        std::wstring image = ImagePath(entry.th32ProcessID);
        if (image.empty()) continue;
        const DWORD chars = GetLongPathNameW(image.c_str(), longForm, kImageChars);
        if (chars > 0 && chars < kImageChars) image = longForm;
        if (_wcsicmp(image.c_str(), expected.c_str()) == 0) return true;
    }
    return false;
}
