#include "install_scope.h"

#include <cwchar>
#include <vector>

#include "product.h"
#include "reg_key.h"

const RegistryPlace kRegistryPlaces[4] = {
    {InstallScope::Machine, HKEY_LOCAL_MACHINE, 0},
    {InstallScope::Machine, HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
    {InstallScope::Machine, HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
    {InstallScope::User, HKEY_CURRENT_USER, 0},
};

HKEY ScopeRoot(InstallScope scope) {
    for (const RegistryPlace& place : kRegistryPlaces) {
        if (place.scope == scope) return place.root;
    }
    return HKEY_LOCAL_MACHINE;
}

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

std::wstring RegisteredInstallLocation(InstallScope scope) {
    constexpr DWORD kMaxBytes = 2048;
    RegKey key;
    if (key.Open(ScopeRoot(scope), kUninstallKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return std::wstring();
    std::vector<wchar_t> buffer(kMaxBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = kMaxBytes;
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), L"InstallLocation", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::wstring();
    }
    return std::wstring(buffer.data(), wcsnlen(buffer.data(), bytes / sizeof(wchar_t)));
}
