// Runs a program as a user without administrator rights would: with this
// process's token restricted so that the Administrators group counts for
// deny only (as in a standard user's or a filtered administrator's token).
// Usage: run_unelevated PROGRAM [ARGUMENTS...]; exits with the program's code.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    // Our own name ends the first argument; the rest of the line is the command.
    const wchar_t* rest = std::wcsstr(GetCommandLineW(), argv[1]);
    if (!rest) return 2;
    if (rest > GetCommandLineW() && rest[-1] == L'"') --rest;
    HANDLE token = nullptr;
    HANDLE restricted = nullptr;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token) ||
        !AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, &administrators)) {
        return 10;
    }
    SID_AND_ATTRIBUTES disabled = {administrators, 0};
    if (!CreateRestrictedToken(token, DISABLE_MAX_PRIVILEGE, 1, &disabled, 0, nullptr, 0, nullptr, &restricted)) {
        std::wprintf(L"CreateRestrictedToken failed: %lu\n", GetLastError());
        return 11;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    wchar_t* command = _wcsdup(rest);
    if (!CreateProcessAsUserW(restricted, nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process)) {
        std::wprintf(L"CreateProcessAsUserW failed: %lu\n", GetLastError());
        return 12;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
