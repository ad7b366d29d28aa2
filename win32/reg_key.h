// One open registry key, closed when it goes out of scope.
#pragma once

#include <windows.h>

#include <string>

#include "win_handles.h"

namespace close_fn {
inline bool RegKey(HKEY v) { return RegCloseKey(v) == ERROR_SUCCESS; }
}  // namespace close_fn

// Open and Create return the Win32 status (ERROR_SUCCESS = 0) and leave the
// object empty on failure. No registry-view flags are added: the 32-bit setup
// sees the 32-bit view on 64-bit Windows, which is what it must write to.
class RegKey : public UniqueHandle<NullHandleTraits<HKEY, close_fn::RegKey>> {
public:
    [[nodiscard]] LONG Open(HKEY parent, const wchar_t* subKey, REGSAM access) {
        HKEY key = nullptr;
        const LONG status = RegOpenKeyExW(parent, subKey, 0, access, &key);
        Reset(status == ERROR_SUCCESS ? key : nullptr);
        return status;
    }

    // disposition (optional) receives REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
    [[nodiscard]] LONG Create(HKEY parent, const wchar_t* subKey, REGSAM access,
                              DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        const LONG status = RegCreateKeyExW(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            access, nullptr, &key, disposition);
        Reset(status == ERROR_SUCCESS ? key : nullptr);
        return status;
    }

    bool IsOpen() const { return IsValid(); }
};

// Neither values nor subkeys: a key the setup made that holds nothing else.
inline bool IsEmptyKey(HKEY key) {
    DWORD subKeys = 0;
    DWORD values = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subKeys == 0 && values == 0;
}

// The name of a predefined root with a backslash, the start of a key's full
// path in a message; empty for any other handle, so that a message never
// names a root the key is not under.
inline std::wstring RootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return L"HKEY_LOCAL_MACHINE\\";
    if (root == HKEY_CURRENT_USER) return L"HKEY_CURRENT_USER\\";
    if (root == HKEY_CLASSES_ROOT) return L"HKEY_CLASSES_ROOT\\";
    if (root == HKEY_USERS) return L"HKEY_USERS\\";
    return std::wstring();
}
