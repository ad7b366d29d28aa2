// The image's load configuration. Its one setting: the DLLs that the loader
// resolves for the static imports (and their own imports) come from the
// system folder only (DependentLoadFlags, honoured from Windows 10 1607 on),
// so a DLL planted beside the program is not loaded before its first line
// runs. Earlier Windows read the same structure for what they know of it.
//
// The structure is 64 bytes long, as Windows XP requires of a 32-bit image's
// load configuration (it ignores one of any other size); DependentLoadFlags
// lies within those 64 bytes. The GNU linker does not fill the data
// directory from this symbol: cmake/LoadConfig.cmake points it here after
// the link, and the executables keep the symbol with --undefined.
#include <windows.h>

#include <cstddef>

#if defined(__i386__)

struct LoadConfig32 {
    DWORD size;
    DWORD timeDateStamp;
    WORD majorVersion;
    WORD minorVersion;
    DWORD globalFlagsClear;
    DWORD globalFlagsSet;
    DWORD criticalSectionDefaultTimeout;
    DWORD deCommitFreeBlockThreshold;
    DWORD deCommitTotalFreeThreshold;
    DWORD lockPrefixTable;
    DWORD maximumAllocationSize;
    DWORD virtualMemoryThreshold;
    DWORD processHeapFlags;
    DWORD processAffinityMask;
    WORD csdVersion;
    WORD dependentLoadFlags;
    DWORD editList;
    DWORD securityCookie;
};
static_assert(sizeof(LoadConfig32) == 64, "the load configuration Windows XP reads");
static_assert(offsetof(LoadConfig32, dependentLoadFlags) == 54, "where Windows reads DependentLoadFlags");

extern "C" __attribute__((used)) const LoadConfig32 _load_config_used = {
    sizeof(LoadConfig32), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x0800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */, 0, 0};

#endif
