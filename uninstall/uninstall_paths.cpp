#include "uninstall_paths.h"

#include <windows.h>

#include <vector>

#include "path_utils.h"
#include "product.h"

namespace {

// Upper case as the file system compares names (ordinal, not linguistic).
std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

bool IsPathInFolder(const std::wstring& path, const std::wstring& folder) {
    if (folder.empty() || folder.back() != L'\\' || path.size() <= folder.size()) return false;
    return Upper(path.substr(0, folder.size())) == Upper(folder);
}

std::wstring LongPathOf(const std::wstring& path) {
    const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), needed + 1);
    if (length == 0 || length > needed) return path;
    return std::wstring(buffer.data(), length);
}

std::wstring CanonicalFolderOf(const std::wstring& folder) {
    wchar_t canonical[kPathChars] = {};
    return CanonicalFolder(folder.c_str(), canonical) ? std::wstring(canonical) : std::wstring();
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t cut = path.rfind(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

std::wstring OwnModulePath() {
    // Paths beyond MAX_PATH are possible with the \\?\ form; grow until it fits.
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768) return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
}
