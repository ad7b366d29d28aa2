/* Prints a folder's DACL as Windows stores it: "protected" when it inherits
   nothing from its parent, then one line per entry: type, inheritance flags,
   access mask and the account's SID, all in hex or SID text. */
#include <windows.h>
#include <sddl.h>
#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    static BYTE buffer[65536];
    PSECURITY_DESCRIPTOR descriptor = buffer;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD needed = 0, revision = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = NULL;
    WORD i;
    if (argc != 2) return 2;
    if (!GetFileSecurityW(argv[1], DACL_SECURITY_INFORMATION, descriptor, sizeof(buffer), &needed) ||
        !GetSecurityDescriptorControl(descriptor, &control, &revision) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
        printf("unreadable %lu\n", GetLastError());
        return 1;
    }
    if (control & SE_DACL_PROTECTED) printf("protected\n");
    for (i = 0; present && dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = NULL;
        wchar_t* sid = NULL;
        if (!GetAce(dacl, i, (void**)&ace)) return 1;
        ConvertSidToStringSidW(&ace->SidStart, &sid);
        printf("%u %02x %08lx %ls\n", ace->Header.AceType, ace->Header.AceFlags, ace->Mask, sid ? sid : L"?");
        if (sid) LocalFree(sid);
    }
    return 0;
}
