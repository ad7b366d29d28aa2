#include "association_writer.h"

#include <windows.h>

#include <cwchar>

#include "reg_key.h"
#include "reg_values.h"

namespace {

constexpr const wchar_t* kProductWord = L"Pixolum";

std::wstring ClassKeyOf(const wchar_t* classGroup) {
    return L"SOFTWARE\\Classes\\" + ClassNameOf(classGroup);
}

std::wstring FileExtsKeyOf(const wchar_t* extension) {
    return std::wstring(kFileExtsKey) + L"\\." + extension;
}

// jpg, png and tif are bound machine-wide on every system after XP, chosen or
// not, so that the commonest pictures open in the viewer from the start.
bool IsAlwaysBoundExtension(const wchar_t* extension) {
    return _wcsicmp(extension, L"JPG") == 0 || _wcsicmp(extension, L"PNG") == 0 ||
           _wcsicmp(extension, L"TIF") == 0;
}

}  // namespace

std::wstring ClassNameOf(const wchar_t* classGroup) {
    return std::wstring(kProductWord) + L"." + classGroup;
}

std::wstring TypeNameOf(const wchar_t* classGroup) {
    std::wstring group(classGroup);
    // ASCII letters only: the groups are ASCII, and a locale-dependent upper
    // case would change the type name with the user's language.
    for (wchar_t& c : group) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return std::wstring(kProductWord) + L" " + group + L" File";
}

void AssociateExtension(const BindingRules& rules, const wchar_t* extension, const wchar_t* classGroup,
                        const wchar_t* defaultIcon, bool selected, Transaction* tx) {
    const InstallScope scope = rules.scope;
    const std::wstring className = ClassNameOf(classGroup);
    const std::wstring extensionKey = std::wstring(L"SOFTWARE\\Classes\\.") + extension;

    if (rules.isXp) {
        // XP's Explorer reads the per-user choice from FileExts\.E "ProgID".
        const std::wstring fileExts = FileExtsKeyOf(extension);
        SetDefaultValue(HKEY_CURRENT_USER, fileExts.c_str(), L"", tx);
        RegKey key;
        if (key.Open(HKEY_CURRENT_USER, fileExts.c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS) {
            SetStringValue(key.Get(), L"ProgID", className.c_str(), tx);
        }
        if (rules.associationsAllUsers) {
            SetDefaultValue(ScopeRoot(scope), extensionKey.c_str(), className.c_str(), tx);
        }
    } else if (selected || IsAlwaysBoundExtension(extension)) {
        SetDefaultValue(ScopeRoot(scope), extensionKey.c_str(), className.c_str(), tx);
    }

    const std::wstring classKey = ClassKeyOf(classGroup);
    SetDefaultValue(ScopeRoot(scope), classKey.c_str(), TypeNameOf(classGroup).c_str(), tx);
    SetDefaultValue(ScopeRoot(scope), (classKey + L"\\shell\\open\\command").c_str(),
                    rules.openCommand, tx);
    SetDefaultValue(ScopeRoot(scope), (classKey + L"\\DefaultIcon").c_str(), defaultIcon, tx);

    if (!rules.isNt6) return;
    WriteCapabilityEntry(scope, extension, classGroup, tx);
    // Windows 8 and later want a hash beside "Progid" and reset a choice
    // without one, losing the user's: there the class keys and capabilities
    // must do. Vista and 7 honour a fresh key holding just "Progid".
    if (!selected || !rules.userChoice) return;

    const std::wstring choiceKey = FileExtsKeyOf(extension) + L"\\UserChoice";
    DeleteKeyRecorded(HKEY_CURRENT_USER, choiceKey.c_str(), tx);
    RegKey choice;
    if (CreateKeyRecorded(HKEY_CURRENT_USER, choiceKey.c_str(), choice, tx) != ERROR_SUCCESS) {
        return;
    }
    SetStringValue(choice.Get(), L"Progid", className.c_str(), tx);
}

void WriteCapabilityEntry(InstallScope scope, const wchar_t* extension, const wchar_t* classGroup, Transaction* tx) {
    // The registration creates the key on NT 6 and later; the writer never
    // creates it, so a missing key means no capability values at all.
    RegKey key;
    if (key.Open(ScopeRoot(scope), kCapabilityAssociationsKey, KEY_SET_VALUE | KEY_QUERY_VALUE) !=
        ERROR_SUCCESS) {
        return;
    }
    const std::wstring valueName = std::wstring(L".") + extension;
    SetStringValue(key.Get(), valueName.c_str(), ClassNameOf(classGroup).c_str(), tx);
}

void SuppressStoreAppSuggestions(Transaction* tx) {
    for (const wchar_t* appClass : kStoreAppClasses) {
        RegKey key;
        if (CreateKeyRecorded(HKEY_CURRENT_USER, appClass, key, tx) != ERROR_SUCCESS) continue;
        SetStringValue(key.Get(), L"NoOpenWith", L"", tx);
    }
}
