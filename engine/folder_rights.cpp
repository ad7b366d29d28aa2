#include "folder_rights.h"

#include <windows.h>
#include <sddl.h>

#include <cwchar>

#include "install_options.h"
#include "path_utils.h"
#include "reg_key.h"
#include "win_handles.h"

namespace {

// SYSTEM and Administrators: full control; Users: read and execute
// (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE). Each inherited by subfolders
// and files (OICI). "P": the parent's entries are not inherited.
constexpr const wchar_t* kProgramFilesRights =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// The registry's value, not the environment: an elevated setup inherits the
// environment of the user who started it.
bool IsBelowRegisteredFolder(const wchar_t* canonicalFolder, const wchar_t* valueName) {
    RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", KEY_QUERY_VALUE) !=
        ERROR_SUCCESS)
        return false;
    wchar_t value[kPathChars] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    wchar_t programFiles[kPathChars] = {};
    if (!CanonicalFolder(value, programFiles)) return false;
    const size_t length = wcslen(programFiles);
    return wcslen(canonicalFolder) > length && _wcsnicmp(canonicalFolder, programFiles, length) == 0;
}

}  // namespace

bool IsInProgramFiles(const wchar_t* folder) {
    wchar_t canonical[kPathChars] = {};
    if (!CanonicalFolder(folder, canonical)) return false;
    return IsBelowRegisteredFolder(canonical, L"ProgramFilesDir") ||
           IsBelowRegisteredFolder(canonical, L"ProgramW6432Dir");
}

// SetFileSecurityW stores the descriptor as it is: exactly these entries,
// and the protection bit that "D:P" sets. (SetNamedSecurityInfoW would also
// walk the folder's children, of which a folder just made has none.)
bool GrantProgramFilesRights(const wchar_t* folder) {
    // Allocated by the call, freed with LocalFree.
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    return ConvertStringSecurityDescriptorToSecurityDescriptorW(kProgramFilesRights, SDDL_REVISION_1,
                                                                descriptor.Put(), nullptr) &&
           SetFileSecurityW(folder, DACL_SECURITY_INFORMATION, descriptor.Get());
}
