// What the setup needs to know about the Windows version.
#pragma once

// Codes: 11, 10, 8 (8 and 8.1), 7, 6 (Vista), 5 (XP SP3), 1 (XP before SP3,
// Server 2003), 0 (older).
int MapWindowsVersion(unsigned major, unsigned minor, unsigned build, const wchar_t* servicePack);
int GetWindowsVersionCode();   // from RtlGetVersion, cached per process
bool IsNt6OrLater();
bool IsWindowsXp();
