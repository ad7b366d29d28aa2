// Loading of system libraries by their full path in the system folder, so
// that a planted DLL next to the setup is never picked up.
#pragma once

#include <windows.h>

// Full path of `fileName` in the system folder; false when it does not fit.
bool SystemLibraryPath(const wchar_t* fileName, wchar_t* path, int pathChars);

// `fileName` loaded from the system folder, or null; the caller owns it
// (a ModuleHandle frees it, a library kept for the process is never freed).
HMODULE LoadSystemLibrary(const wchar_t* fileName);
