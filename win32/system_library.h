// Loading of system libraries by their full path in the system folder, so
// that a planted DLL next to the setup is never picked up.
#pragma once

#include <windows.h>

// Full path of `fileName` in the system folder; false when it does not fit.
bool SystemLibraryPath(const wchar_t* fileName, wchar_t* path, int pathChars);

// `fileName` loaded from the system folder, or null; the caller owns it
// (a ModuleHandle frees it, a library kept for the process is never freed).
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// The first thing the setup and the uninstaller do: from here on, DLLs loaded
// by name (and the ones those DLLs pull in) come from the system folder only,
// never from the program's own folder or the current one.
void HardenDllSearch();

// The common controls the program's manifest asks for (version 6 through the
// activation context), loaded once, after HardenDllSearch, and kept for the
// process; null when they cannot be loaded.
HMODULE CommonControlsLibrary();

// InitCommonControlsEx of CommonControlsLibrary() for the ICC_* classes.
bool InitCommonControlClasses(DWORD classes);
