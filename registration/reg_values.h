// The two ways the registration writes registry values.
#pragma once

#include <windows.h>

#include <cwchar>

// The unnamed value of root\subKey as REG_SZ; RegSetValueW creates the key and
// any missing parents. Failures are ignored by every caller.
inline void SetDefaultValue(HKEY root, const wchar_t* subKey, const wchar_t* data) {
    RegSetValueW(root, subKey, REG_SZ, data, static_cast<DWORD>(wcslen(data) * sizeof(wchar_t)));
}

// A named REG_SZ value; its size includes the terminating NUL.
inline LONG SetStringValue(HKEY key, const wchar_t* name, const wchar_t* data) {
    const DWORD bytes = static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes);
}

inline LONG SetDwordValue(HKEY key, const wchar_t* name, DWORD data) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data));
}
