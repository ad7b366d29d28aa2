#include "version_probe.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "win_handles.h"

static_assert(sizeof(OSVERSIONINFOW) == 276, "the probe fills the classic structure");

namespace {

// Process-wide cache; 0 = not yet computed (a system whose code is 0 simply
// probes again at the next use).
int g_windowsVersionCode = 0;

// szCSDVersion is a fixed array filled by the system; never trust it to be
// terminated.
std::wstring ServicePackText(const OSVERSIONINFOW& info) {
    const size_t limit = sizeof(info.szCSDVersion) / sizeof(info.szCSDVersion[0]);
    return std::wstring(info.szCSDVersion, wcsnlen(info.szCSDVersion, limit));
}

bool QueryVersionEx(OSVERSIONINFOW& info) {
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExW(&info) != FALSE;
}

}  // namespace

int MapWindowsVersion(unsigned major, unsigned minor, unsigned build, const wchar_t* servicePack) {
    if (major >= 10) return build >= 22000 ? 11 : 10;
    if (major >= 6) {
        if (minor >= 2) return 8;
        return minor == 1 ? 7 : 6;
    }
    if (major == 5 && minor >= 1) {
        return servicePack && wcsstr(servicePack, L"Service Pack 3") ? 5 : 1;
    }
    return 0;
}

int GetWindowsVersionCode() {
    if (g_windowsVersionCode != 0) return g_windowsVersionCode;

    // RtlGetVersion reports the true version; GetVersionExW reports 6.2 from
    // Windows 8.1 on to programs without a supportedOS entry for them.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = GetProcAs<RtlGetVersionFn>(GetModuleHandleA("ntdll"), "RtlGetVersion");

    OSVERSIONINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    if (!rtlGetVersion || rtlGetVersion(&info) != 0) {
        if (!QueryVersionEx(info)) return 0;
    }
    g_windowsVersionCode = MapWindowsVersion(info.dwMajorVersion, info.dwMinorVersion,
                                             info.dwBuildNumber, ServicePackText(info).c_str());
    return g_windowsVersionCode;
}

bool IsNt6OrLater() {
    OSVERSIONINFOW info;
    return QueryVersionEx(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           info.dwMajorVersion > 5;
}

bool IsWindowsXp() {
    OSVERSIONINFOW info;
    return QueryVersionEx(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           info.dwMajorVersion == 5 && info.dwMinorVersion >= 1;
}
