#include "earlier_install.h"

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "install_options.h"
#include "install_scope.h"
#include "path_utils.h"
#include "reg_key.h"
#include "shell_api.h"
#include "text_buffer.h"
#include "win_handles.h"

namespace {

constexpr const wchar_t* kOpenCommandKey = L"SOFTWARE\\Classes\\Pixolum\\shell\\open\\command";
constexpr const wchar_t* kCurrentVersionKey = L"Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const wchar_t* kDefaultFolder = L"C:\\Pixolum\\";
constexpr const wchar_t* kCompanyNameQuery = L"\\StringFileInfo\\040904E4\\CompanyName";

// Reads a value of any type as text into a kPathChars buffer. A value that
// does not fit (259 characters and the terminator) counts as unreadable.
bool ReadValueText(HKEY key, const wchar_t* name, wchar_t* out) {
    out[0] = L'\0';
    wchar_t value[kPathChars] = {};
    DWORD bytes = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &bytes) !=
        ERROR_SUCCESS)
        return false;
    // Registry strings need not carry their terminator.
    const size_t chars = bytes / sizeof(wchar_t);
    if (chars >= static_cast<size_t>(kPathChars) && value[kPathChars - 1] != L'\0') return false;
    if (chars < static_cast<size_t>(kPathChars)) value[chars] = L'\0';
    return CopyText(out, kPathChars, value);
}

bool ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD type = 0;
    DWORD bytes = sizeof(value);
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && bytes == sizeof(value);
}

}  // namespace

bool InstalledVersionIsNewer() {
    for (const RegistryPlace& place : kRegistryPlaces) {
        RegKey key;
        if (key.Open(place.root, kUninstallKey, KEY_QUERY_VALUE | place.view) != ERROR_SUCCESS) continue;
        DWORD major = 0;
        DWORD minor = 0;
        if (!ReadDword(key.Get(), L"VersionMajor", major)) continue;
        if (!ReadDword(key.Get(), L"VersionMinor", minor)) minor = 0;
        if (major > static_cast<DWORD>(kVersionMajor) ||
            (major == static_cast<DWORD>(kVersionMajor) && minor > static_cast<DWORD>(kVersionMinor))) {
            return true;
        }
    }
    return false;
}

bool FindInstalledFolder(InstallScope scope, wchar_t* folder) {
    if (!folder) return false;
    folder[0] = L'\0';

    wchar_t command[kPathChars];
    {
        RegKey key;
        if (key.Open(ScopeRoot(scope), kOpenCommandKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
        if (!ReadValueText(key.Get(), nullptr, command)) return false;
    }
    if (command[0] == L'\0' || !wcsstr(command, kViewerExe)) return false;
    // The registration writes "\"<path>\" \"%1\"": the path is the quoted part.
    // Without the opening quote the characters from the second one on are no
    // path at all, so such a command counts as not found.
    if (command[0] != L'"') return false;

    wchar_t program[kPathChars] = {};
    const wchar_t* end = wcschr(command + 1, L'"');
    const size_t length = end ? static_cast<size_t>(end - (command + 1)) : wcslen(command + 1);
    wmemcpy(program, command + 1, length);
    program[length] = L'\0';

    wchar_t found[kPathChars] = {};
    GetPathPart(program, found, kPartDrive | kPartFolder);
    // A quoted bare program name names no folder to install into.
    if (found[0] == L'\0') return false;
    CopyText(folder, kPathChars, found);
    return true;
}

bool GetDefaultInstallFolder(InstallScope scope, wchar_t* folder) {
    if (!folder) return true;
    CopyText(folder, kPathChars, kDefaultFolder);
    if (scope == InstallScope::User) {
        // Where per-user programs live: the user's own local application data.
        const std::wstring local = KnownFolder(CSIDL_LOCAL_APPDATA);
        if (!local.empty() && local.size() + 17 < static_cast<size_t>(kPathChars)) {
            CopyText(folder, kPathChars, (local + L"Programs\\Pixolum").c_str());
        }
        return true;
    }

    wchar_t programFiles[kPathChars];
    {
        RegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kCurrentVersionKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return true;
        if (!ReadValueText(key.Get(), L"ProgramFilesDir", programFiles)) return true;
    }
    // An empty value would give "\Pixolum" and one near the path limit a cut
    // folder name: both keep the fallback.
    if (programFiles[0] == L'\0') return true;
    std::wstring result = programFiles;
    if (result.back() != L'\\') result += L'\\';
    result += L"Pixolum";
    if (result.size() >= static_cast<size_t>(kPathChars)) return true;
    CopyText(folder, kPathChars, result.c_str());
    return true;
}

bool ReadFileVersionAndCompany(const wchar_t* path, wchar_t* version, wchar_t* company,
                               int companyChars) {
    if (!path || !version) return false;

    // version.dll by its full path: the setup starts from a download folder
    // where a planted DLL of that name must not be picked up.
    wchar_t library[kPathChars] = {};
    const UINT systemChars = GetSystemDirectoryW(library, kPathChars);
    if (systemChars == 0 || systemChars >= static_cast<UINT>(kPathChars)) return false;
    AppendBackslash(library);
    if (!AppendText(library, kPathChars, L"version.dll")) return false;
    ModuleHandle versionDll(LoadLibraryW(library));
    if (!versionDll) return false;

    using GetSizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using GetInfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    const auto getSize = GetProcAs<GetSizeFn>(versionDll.Get(), "GetFileVersionInfoSizeW");
    const auto getInfo = GetProcAs<GetInfoFn>(versionDll.Get(), "GetFileVersionInfoW");
    const auto query = GetProcAs<QueryFn>(versionDll.Get(), "VerQueryValueW");
    if (!getSize || !getInfo || !query) return false;

    DWORD handle = 0;
    const DWORD size = getSize(path, &handle);
    if (size == 0) return false;
    // Twice the reported size, zero-filled, as room for the conversions
    // VerQueryValueW may do inside the block.
    std::vector<BYTE> block(static_cast<size_t>(size) * 2, 0);
    if (!getInfo(path, 0, size, block.data())) return false;
    const BYTE* const blockEnd = block.data() + block.size();

    void* fixedPtr = nullptr;
    UINT fixedLen = 0;
    if (!query(block.data(), L"\\", &fixedPtr, &fixedLen) || !fixedPtr ||
        fixedLen < sizeof(VS_FIXEDFILEINFO))
        return false;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(fixedPtr);

    // "%u.%u%u": the product version's major and minor, then the file
    // version's third part.
    FormatText(version, kVersionTextChars, L"%u.%u%u",
               static_cast<unsigned>(HIWORD(fixed->dwProductVersionMS)),
               static_cast<unsigned>(LOWORD(fixed->dwProductVersionMS)),
               static_cast<unsigned>(HIWORD(fixed->dwFileVersionLS)));

    if (company && companyChars > 0) {
        company[0] = L'\0';
        void* namePtr = nullptr;
        UINT nameLen = 0;
        if (query(block.data(), kCompanyNameQuery, &namePtr, &nameLen) && namePtr) {
            const auto* name = static_cast<const wchar_t*>(namePtr);
            // Never read past the block nor write past the caller's buffer.
            size_t limit = nameLen;
            const BYTE* start = static_cast<const BYTE*>(namePtr);
            if (start >= block.data() && start < blockEnd) {
                const size_t inBlock = static_cast<size_t>(blockEnd - start) / sizeof(wchar_t);
                if (limit > inBlock) limit = inBlock;
            } else {
                limit = 0;
            }
            if (limit > static_cast<size_t>(companyChars) - 1) limit = companyChars - 1;
            size_t i = 0;
            for (; i < limit && name[i] != L'\0'; ++i) company[i] = name[i];
            company[i] = L'\0';
        }
    }
    return true;
}
