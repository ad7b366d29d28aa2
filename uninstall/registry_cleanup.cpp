#include "registry_cleanup.h"

#include <set>
#include <vector>

#include "association_writer.h"
#include "format_catalogue.h"
#include "product.h"
#include "reg_key.h"
#include "uninstall_paths.h"

namespace {

constexpr const wchar_t* kRegisteredApplications = L"SOFTWARE\\RegisteredApplications";
constexpr const wchar_t* kClassPrefix = L"Pixolum.";
constexpr DWORD kMaxKeyNameChars = 256;  // registry key names are at most 255 characters
constexpr DWORD kMaxStringBytes = 2048;

bool IsGone(LONG status) { return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND; }

// A REG_SZ or REG_EXPAND_SZ value as text; false when missing or of another type.
bool ReadString(HKEY key, const wchar_t* name, std::wstring& text) {
    DWORD type = 0;
    std::vector<wchar_t> buffer(kMaxStringBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = kMaxStringBytes;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    text.assign(buffer.data(), wcsnlen(buffer.data(), bytes / sizeof(wchar_t)));
    return true;
}

bool NamesOurClass(const std::wstring& text) {
    const size_t n = wcslen(kClassPrefix);
    return text.size() > n && _wcsnicmp(text.c_str(), kClassPrefix, n) == 0;
}

// A key that the setup created to hold one value goes once that value is
// gone; a key that holds anything else stays.
void DeleteKeyIfEmpty(HKEY root, const std::wstring& subKey, RemovalReport& report) {
    bool empty = false;
    {
        RegKey key;
        if (key.Open(root, subKey.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return;
        empty = IsEmptyKey(key.Get());
    }
    if (empty && !IsGone(RegDeleteKeyW(root, subKey.c_str()))) report.Fail(RootName(root) + subKey);
}

void RemoveTree(HKEY root, const std::wstring& subKey, RemovalReport& report) {
    if (!IsGone(DeleteKeyTree(root, subKey))) report.Fail(RootName(root) + subKey);
}

void RemoveValue(HKEY key, const wchar_t* name, const std::wstring& where, RemovalReport& report) {
    if (!IsGone(RegDeleteValueW(key, name))) report.Fail(where + L" (" + (name ? name : L"") + L")");
}

// HKLM Classes\.E: only a default value that still names one of our classes.
void RemoveExtensionDefault(HKEY root, const wchar_t* extension, RemovalReport& report) {
    const std::wstring subKey = std::wstring(L"SOFTWARE\\Classes\\.") + extension;
    {
        RegKey key;
        if (key.Open(root, subKey.c_str(), KEY_QUERY_VALUE | KEY_SET_VALUE) !=
            ERROR_SUCCESS) {
            return;
        }
        std::wstring current;
        if (!ReadString(key.Get(), nullptr, current) || !NamesOurClass(current)) return;
        RemoveValue(key.Get(), nullptr, RootName(root) + subKey, report);
        report.associationsRemoved = true;
    }
    DeleteKeyIfEmpty(root, subKey, report);
}

// HKCU FileExts\.E: the "ProgID" of XP with the empty default written beside
// it, and a UserChoice that names one of our classes.
void RemoveUserChoice(const wchar_t* extension, RemovalReport& report) {
    const std::wstring subKey = std::wstring(kFileExtsKey) + L"\\." + extension;
    const std::wstring where = RootName(HKEY_CURRENT_USER) + subKey;
    {
        RegKey key;
        if (key.Open(HKEY_CURRENT_USER, subKey.c_str(), KEY_QUERY_VALUE | KEY_SET_VALUE) !=
            ERROR_SUCCESS) {
            return;
        }
        std::wstring progId;
        if (ReadString(key.Get(), L"ProgID", progId) && NamesOurClass(progId)) {
            RemoveValue(key.Get(), L"ProgID", where, report);
            std::wstring defaultValue;
            if (ReadString(key.Get(), nullptr, defaultValue) && defaultValue.empty()) {
                RemoveValue(key.Get(), nullptr, where, report);
            }
            report.associationsRemoved = true;
        }
    }
    const std::wstring userChoice = subKey + L"\\UserChoice";
    bool ours = false;
    {
        RegKey choice;
        std::wstring progId;
        ours = choice.Open(HKEY_CURRENT_USER, userChoice.c_str(), KEY_QUERY_VALUE) == ERROR_SUCCESS &&
               ReadString(choice.Get(), L"Progid", progId) && NamesOurClass(progId);
    }
    if (ours) {
        RemoveTree(HKEY_CURRENT_USER, userChoice, report);
        report.associationsRemoved = true;
    }
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, subKey, report);
}

void RemoveStoreAppValues(RemovalReport& report) {
    for (const wchar_t* appClass : kStoreAppClasses) {
        {
            RegKey key;
            if (key.Open(HKEY_CURRENT_USER, appClass, KEY_QUERY_VALUE | KEY_SET_VALUE) !=
                ERROR_SUCCESS) {
                continue;
            }
            RemoveValue(key.Get(), L"NoOpenWith", RootName(HKEY_CURRENT_USER) + appClass, report);
        }
        DeleteKeyIfEmpty(HKEY_CURRENT_USER, appClass, report);
    }
}

void RemoveRegisteredApplication(HKEY root, RemovalReport& report) {
    RegKey key;
    if (key.Open(root, kRegisteredApplications, KEY_QUERY_VALUE | KEY_SET_VALUE) !=
        ERROR_SUCCESS) {
        return;
    }
    std::wstring target;
    if (ReadString(key.Get(), L"Pixolum", target) && _wcsicmp(target.c_str(), kCapabilitiesKey) == 0) {
        RemoveValue(key.Get(), L"Pixolum", RootName(root) + kRegisteredApplications,
                    report);
    }
}

}  // namespace

LONG DeleteKeyTree(HKEY root, const std::wstring& subKey) {
    if (subKey.empty()) return ERROR_INVALID_PARAMETER;  // never the root itself
    {
        RegKey key;
        const LONG opened = key.Open(root, subKey.c_str(), KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
        if (opened == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (opened != ERROR_SUCCESS) return opened;
        // Delete the first child until none is left; a child that cannot be
        // deleted is stepped over, so the loop ends and the parent's delete
        // reports the failure.
        DWORD index = 0;
        for (;;) {
            wchar_t name[kMaxKeyNameChars];
            DWORD length = kMaxKeyNameChars;
            if (RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS) {
                break;
            }
            if (DeleteKeyTree(key.Get(), std::wstring(name, length)) != ERROR_SUCCESS) ++index;
        }
    }
    const LONG status = RegDeleteKeyW(root, subKey.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::wstring RegisteredInstallFolder(InstallScope scope) {
    return CanonicalFolderOf(RegisteredInstallLocation(scope));
}

bool RegistrationBelongsElsewhere(InstallScope scope, const std::wstring& installFolder) {
    const std::wstring registered = RegisteredInstallFolder(scope);
    return !registered.empty() &&
           _wcsicmp(registered.c_str(), CanonicalFolderOf(installFolder).c_str()) != 0;
}

void RemoveRegistration(InstallScope scope, bool keepUninstallEntry, RemovalReport& report) {
    const HKEY root = ScopeRoot(scope);
    const std::wstring verb = std::wstring(L"\\shell\\") + kFolderVerb;
    RemoveTree(root, L"SOFTWARE\\Classes\\Directory" + verb, report);
    RemoveTree(root, L"SOFTWARE\\Classes\\Drive" + verb, report);
    RemoveTree(root, L"SOFTWARE\\Classes\\Pixolum", report);
    // The registration wrote this through HKEY_CLASSES_ROOT, which lands in
    // the user's classes when the key exists there: delete through the same
    // merged view, then the machine's copy.
    if (scope == InstallScope::Machine) RemoveTree(HKEY_CLASSES_ROOT, L"Applications\\pixo32.exe", report);
    RemoveTree(root, L"SOFTWARE\\Classes\\Applications\\pixo32.exe", report);
    RemoveRegisteredApplication(root, report);
    RemoveTree(root, L"SOFTWARE\\Pixolum", report);

    std::set<std::wstring> groups;
    for (const FormatRow& row : FormatCatalogue) {
        for (int i = 0; i < row.ExtensionCount(); ++i) {
            const WideExtension extension(row.extensions[i].extension);
            RemoveExtensionDefault(root, extension.c_str(), report);
            RemoveUserChoice(extension.c_str(), report);
            groups.insert(WideExtension(row.extensions[i].classGroup).c_str());
        }
    }
    for (const std::wstring& group : groups) {
        const std::wstring classKey = L"SOFTWARE\\Classes\\" + ClassNameOf(group.c_str());
        bool existed = false;
        {
            RegKey key;
            existed = key.Open(root, classKey.c_str(), KEY_QUERY_VALUE) == ERROR_SUCCESS;
        }
        if (!existed) continue;
        RemoveTree(root, classKey, report);
        report.associationsRemoved = true;
    }
    RemoveStoreAppValues(report);

    if (!keepUninstallEntry) RemoveTree(root, kUninstallKey, report);

    // Parents the registration's writes create when missing. On Windows they
    // always exist and are never empty, so this changes nothing there; on a
    // system that lacked them they came from the setup and go again. Best
    // effort: a parent that stays is no leftover of ours.
    RemovalReport ignored;
    for (const wchar_t* target : {L"Directory", L"Drive"}) {
        const std::wstring key = std::wstring(L"SOFTWARE\\Classes\\") + target;
        DeleteKeyIfEmpty(root, key + L"\\shell", ignored);
        DeleteKeyIfEmpty(root, key, ignored);
    }
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, kFileExtsKey, ignored);
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, L"Software\\Classes", ignored);
}
