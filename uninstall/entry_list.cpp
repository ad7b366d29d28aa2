#include "entry_list.h"

#include <windows.h>

#include <algorithm>
#include <set>

#include "uninstall_resource.h"

namespace {

// The packer allows only these names; anything else did not come from it.
bool IsSafeRelativeName(const std::string& name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u > 126 || c == ':' || c == '\\') return false;
    }
    size_t start = 0;
    while (start < name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

std::wstring ToWindowsPath(const std::string& name) {
    std::wstring path;
    path.reserve(name.size());
    for (char c : name) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

size_t Depth(const std::wstring& path) {
    return static_cast<size_t>(std::count(path.begin(), path.end(), L'\\'));
}

}  // namespace

PayloadEntries ParseEntryList(const char* text, size_t length) {
    PayloadEntries entries;
    std::set<std::wstring> folders;
    std::set<std::wstring> files;
    size_t start = 0;
    while (text && start < length) {
        size_t end = start;
        while (end < length && text[end] != '\n') ++end;
        std::string name(text + start, end - start);
        start = end + 1;
        if (!name.empty() && name.back() == '\r') name.pop_back();
        const bool isFolder = !name.empty() && name.back() == '/';
        if (isFolder) name.pop_back();
        if (!IsSafeRelativeName(name)) continue;
        const std::wstring path = ToWindowsPath(name);
        if (isFolder) {
            folders.insert(path);
        } else if (files.insert(path).second) {
            entries.files.push_back(path);
        }
        // Every parent of an entry is a folder the setup created.
        for (size_t cut = path.rfind(L'\\'); cut != std::wstring::npos && cut > 0;
             cut = path.rfind(L'\\', cut - 1)) {
            folders.insert(path.substr(0, cut));
        }
    }
    entries.folders.assign(folders.begin(), folders.end());
    std::stable_sort(entries.folders.begin(), entries.folders.end(),
                     [](const std::wstring& a, const std::wstring& b) { return Depth(a) > Depth(b); });
    return entries;
}

bool LoadEmbeddedEntryList(PayloadEntries& entries) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(self, MAKEINTRESOURCEW(IDR_PAYLOAD_ENTRIES), RT_RCDATA);
    if (!info) return false;
    HGLOBAL data = LoadResource(self, info);
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes) return false;
    entries = ParseEntryList(static_cast<const char*>(bytes), SizeofResource(self, info));
    return !entries.files.empty();
}
