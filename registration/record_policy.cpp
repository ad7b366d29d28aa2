#include "record_policy.h"

#include <shlobj.h>

#include <cwchar>

#include "association_writer.h"
#include "format_catalogue.h"
#include "path_utils.h"
#include "product.h"
#include "reg_key.h"
#include "shortcuts.h"

namespace {

constexpr wchar_t kMachinePrefix[] = L"\\REGISTRY\\MACHINE\\";
constexpr wchar_t kUserPrefix[] = L"\\REGISTRY\\USER\\";

std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool Consume(std::wstring& text, const std::wstring& prefix) {
    if (text.compare(0, prefix.size(), prefix) != 0) return false;
    text.erase(0, prefix.size());
    return true;
}

// key is the key itself or lies below it.
bool IsAtOrBelow(const std::wstring& key, const std::wstring& base) {
    return key == base || (key.size() > base.size() && key.compare(0, base.size(), base) == 0 &&
                           key[base.size()] == L'\\');
}

bool IsCatalogueExtension(const std::wstring& upperExtension) {
    for (const FormatRow& row : FormatCatalogue) {
        for (int i = 0; i < row.ExtensionCount(); ++i) {
            if (upperExtension == Upper(WideExtension(row.extensions[i].extension).c_str())) return true;
        }
    }
    return false;
}

// Below a classes root ("CLASSES\" already taken off).
bool IsProductClass(const std::wstring& rest) {
    const std::wstring name = rest.substr(0, rest.find(L'\\'));
    if (name == L"PIXOLUM" || name.compare(0, 8, L"PIXOLUM.") == 0) return true;
    if (name.size() > 1 && name[0] == L'.' && IsCatalogueExtension(name.substr(1))) return true;
    if (IsAtOrBelow(rest, L"APPLICATIONS\\PIXO32.EXE")) return true;
    for (const wchar_t* target : {L"DIRECTORY", L"DRIVE"}) {
        if (IsAtOrBelow(rest, std::wstring(target) + L"\\SHELL\\DURCHSUCHEN MIT &PIXOLUM")) return true;
    }
    for (const wchar_t* store : kStoreAppClasses) {
        std::wstring key = Upper(store);
        if (Consume(key, L"SOFTWARE\\CLASSES\\") && IsAtOrBelow(rest, key)) return true;
    }
    return false;
}

// Machine keys below "SOFTWARE\" (either view).
bool IsProductMachineKey(std::wstring rest) {
    if (Consume(rest, L"CLASSES\\")) return IsProductClass(rest);
    return IsAtOrBelow(rest, L"PIXOLUM") ||
           IsAtOrBelow(rest, L"MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\PIXOLUM");
}

// The current user's keys below the SID: besides the user's own choices, a
// per-user installation's keys, which mirror the machine's below "SOFTWARE\".
bool IsProductUserKey(std::wstring rest, const std::wstring& valueName, bool valueEntry) {
    if (Consume(rest, L"_CLASSES\\")) return IsProductClass(rest);
    if (!Consume(rest, L"\\")) return false;
    if (Consume(rest, L"SOFTWARE\\CLASSES\\")) return IsProductClass(rest);
    if (rest == L"SOFTWARE\\REGISTEREDAPPLICATIONS") return valueEntry && Upper(valueName) == L"PIXOLUM";
    if (rest.compare(0, 9, L"SOFTWARE\\") == 0 && IsProductMachineKey(rest.substr(9))) return true;
    if (!Consume(rest, L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\FILEEXTS\\.")) {
        return false;
    }
    return IsCatalogueExtension(rest.substr(0, rest.find(L'\\')));
}

// "\REGISTRY\USER\<sid>" of the user running this program.
std::wstring CurrentUserPath() {
    // A subkey: the predefined handle itself has no name to ask for.
    RegKey software;
    if (software.Open(HKEY_CURRENT_USER, L"Software", KEY_QUERY_VALUE) != ERROR_SUCCESS) return std::wstring();
    const std::wstring path = Upper(KeyPathOf(software.Get()));
    const size_t cut = path.rfind(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

bool IsProductKey(const std::wstring& physical, const std::wstring& valueName, bool valueEntry) {
    std::wstring rest = Upper(physical);
    if (Consume(rest, kMachinePrefix)) {
        if (!Consume(rest, L"SOFTWARE\\")) return false;
        Consume(rest, L"WOW6432NODE\\");
        if (rest == L"REGISTEREDAPPLICATIONS") return valueEntry && Upper(valueName) == L"PIXOLUM";
        return IsProductMachineKey(rest);
    }
    const std::wstring user = CurrentUserPath();
    if (user.empty() || !Consume(rest, user)) return false;
    return IsProductUserKey(rest, valueName, valueEntry);
}

// A key the registration creates on the way to one of its own: only an
// empty key is ever removed for such an entry.
bool IsAncestorOfProductKey(const std::wstring& physical) {
    static const wchar_t* const kLevels[] = {
        L"SOFTWARE\\CLASSES\\DIRECTORY\\SHELL", L"SOFTWARE\\CLASSES\\DRIVE\\SHELL",
        L"SOFTWARE\\CLASSES\\APPLICATIONS", L"SOFTWARE\\CLASSES\\DIRECTORY",
        L"SOFTWARE\\CLASSES\\DRIVE", L"SOFTWARE\\CLASSES",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\FILEEXTS",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL", L"SOFTWARE\\REGISTEREDAPPLICATIONS"};
    std::wstring rest = Upper(physical);
    if (!Consume(rest, kMachinePrefix)) {
        const std::wstring user = CurrentUserPath();
        if (user.empty() || !Consume(rest, user + L"\\")) return false;
    }
    if (rest.compare(0, 21, L"SOFTWARE\\WOW6432NODE\\") == 0) rest.erase(9, 12);
    for (const wchar_t* level : kLevels) {
        if (rest == level) return true;
    }
    return false;
}

bool IsPlainPath(const std::wstring& path) {
    if (path.size() < 4 || path.compare(0, 4, L"\\\\?\\") == 0) return false;
    std::wstring padded = path + L"\\";
    for (wchar_t& c : padded) {
        if (c == L'/') return false;
    }
    return padded.find(L"\\..\\") == std::wstring::npos && padded.find(L"\\.\\") == std::wstring::npos &&
           path.find(L':', 2) == std::wstring::npos;
}

bool IsInside(const std::wstring& path, const std::wstring& folder) {
    if (folder.size() < 3) return false;
    std::wstring base = folder;
    if (base.back() != L'\\') base += L'\\';
    return path.size() > base.size() && _wcsnicmp(path.c_str(), base.c_str(), base.size()) == 0;
}

bool IsLinkPlace(const std::wstring& path) {
    static const int kFolders[] = {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_DESKTOPDIRECTORY,
                                   CSIDL_COMMON_DESKTOPDIRECTORY};
    const std::wstring upper = Upper(path);
    const bool link = upper.size() > 4 && upper.compare(upper.size() - 4, 4, L".LNK") == 0;
    for (int csidl : kFolders) {
        wchar_t folder[kPathChars];
        GetSpecialFolderPath(folder, csidl);
        const std::wstring base(folder);
        const std::wstring group = base + L"Pixolum";
        if (_wcsicmp(path.c_str(), group.c_str()) == 0) return true;   // the group folder
        if (link && IsInside(path, base)) return true;
    }
    return false;
}

bool IsSettingsFile(const std::wstring& path) {
    return HasFileName(path, kSettingsFileName) || HasFileName(path, kSettingsScratchName);
}

}  // namespace

bool IsProductEntry(const RecordEntry& entry, const std::wstring& installFolder) {
    switch (entry.kind) {
    case RecordEntry::ValueSet:
        return IsProductKey(entry.key, entry.name, true);
    case RecordEntry::KeyDeleted:
        return IsProductKey(entry.key, std::wstring(), false);
    case RecordEntry::KeyCreated:
        return IsProductKey(entry.key, std::wstring(), false) || IsAncestorOfProductKey(entry.key);
    case RecordEntry::FolderCreated:
    case RecordEntry::FolderRemoved:
        // Undone by removing an empty folder, or by making an empty one
        // again: the install folder, its new parents, a settings folder.
        return IsPlainPath(entry.key);
    case RecordEntry::FileCreated:
    case RecordEntry::FileReplaced:
    case RecordEntry::FileRemoved:
        if (!IsPlainPath(entry.key)) return false;
        return IsInside(entry.key, installFolder) || IsLinkPlace(entry.key) || IsSettingsFile(entry.key);
    case RecordEntry::Header:
    case RecordEntry::Stage:
    case RecordEntry::Commit:
        return true;
    }
    return false;
}
