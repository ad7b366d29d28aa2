#include "install_scope.h"

#include <cwchar>
#include <vector>

#include "reg_key.h"
#include "transaction.h"

namespace {

bool perUserInstall = false;

constexpr wchar_t kUserUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pixolum";

bool SameFolder(std::wstring a, std::wstring b) {
    if (a.empty() || b.empty()) return false;
    if (a.back() != L'\\') a += L'\\';
    if (b.back() != L'\\') b += L'\\';
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

void SetPerUserInstall(bool perUser) { perUserInstall = perUser; }

bool IsPerUserInstall() { return perUserInstall; }

HKEY ScopeRoot() { return perUserInstall ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

bool HasAdministratorRights() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                  0, 0, 0, &administrators)) {
        return true;   // cannot tell: the machine-wide installation, as ever
    }
    BOOL member = FALSE;
    const BOOL asked = CheckTokenMembership(nullptr, administrators, &member);
    FreeSid(administrators);
    return !asked || member;
}

bool IsPerUserInstallation(const std::wstring& installFolder) {
    const bool before = perUserInstall;
    perUserInstall = true;
    bool ours = false;
    // A per-user run that was cut off names its folder in its journal.
    std::vector<RecordEntry> entries;
    const std::wstring journal = JournalPath();
    if (!journal.empty() && ReadRecordFile(journal, entries)) {
        ours = SameFolder(RecordInstallFolder(entries), installFolder);
    }
    const std::wstring record = InstallRecordPath();
    if (!ours && !record.empty() && ReadRecordFile(record, entries)) {
        ours = SameFolder(RecordInstallFolder(entries), installFolder);
    }
    perUserInstall = before;
    if (ours) return true;
    RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kUserUninstallKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
    wchar_t location[MAX_PATH + 1] = {};
    DWORD bytes = sizeof(location) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), L"InstallLocation", nullptr, &type, reinterpret_cast<BYTE*>(location),
                         &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    return SameFolder(location, installFolder);
}
