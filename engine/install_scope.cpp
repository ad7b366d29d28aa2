#include "install_scope.h"

HKEY ScopeRoot(InstallScope scope) {
    return scope == InstallScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
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
