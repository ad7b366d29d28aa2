#include "path_utils.h"

#include <windows.h>

#include <climits>
#include <cwchar>
#include <string>
#include <vector>

#include "text_buffer.h"
#include "win_handles.h"

std::wstring CurrentFolder() {
    DWORD chars = GetCurrentDirectoryW(0, nullptr);
    if (chars == 0) return {};
    std::wstring folder(chars, L'\0');
    DWORD copied = GetCurrentDirectoryW(chars, &folder[0]);
    if (copied == 0 || copied >= chars) return {};
    folder.resize(copied);
    return folder;
}

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool HasFileName(const std::wstring& path, const wchar_t* name) {
    const size_t cut = path.rfind(L'\\');
    return cut != std::wstring::npos && _wcsicmp(path.c_str() + cut + 1, name) == 0;
}

bool DeleteFileIfPresent(const std::wstring& path, int waitMs) {
    for (int waited = 0;; waited += 100) {
        if (DeleteFileW(path.c_str())) return true;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
            if (DeleteFileW(path.c_str())) return true;
            error = GetLastError();
        }
        if (waited >= waitMs) {
            SetLastError(error);
            return false;
        }
        Sleep(100);
    }
}

bool ExpandVariables(const wchar_t* text, std::wstring& expanded) {
    constexpr size_t kNameChars = 260;
    constexpr DWORD kValueChars = 260;
    expanded.clear();
    for (const wchar_t* c = text; *c;) {
        if (*c != L'%') {
            expanded += *c++;
        } else {
            const wchar_t* nameStart = ++c;
            while (*c && *c != L'%') ++c;
            std::wstring name(nameStart, c);
            if (*c == L'%') ++c;
            if (name.size() > kNameChars) return false;
            wchar_t value[kValueChars] = {};
            DWORD chars = name.empty() ? 0 : GetEnvironmentVariableW(name.c_str(), value, kValueChars);
            if (chars >= kValueChars) return false;
            if (chars != 0) expanded += value;
        }
        if (expanded.size() >= static_cast<size_t>(kLongChars)) return false;
    }
    return true;
}

void AppendBackslash(wchar_t* text) {
    if (!text) return;
    const size_t n = wcsnlen(text, kPathChars);
    if (n >= 1 && n <= kPathChars - 2 && text[n - 1] != L'\\') {
        text[n] = L'\\';
        text[n + 1] = L'\0';
    }
}

void TrimSpaces(wchar_t* text) {
    if (!text || text[0] == L'\0') return;
    size_t n = wcslen(text);
    while (n > 0 && text[n - 1] == L' ') --n;
    text[n] = L'\0';
    // A text that does not fit a path keeps its leading blanks.
    if (text[0] == L' ' && n < static_cast<size_t>(kPathChars)) {
        size_t start = 0;
        while (text[start] == L' ') ++start;
        wmemmove(text, text + start, n - start + 1);
    }
}

bool CanonicalFolder(const wchar_t* given, wchar_t* out) {
    if (!out) return false;
    out[0] = L'\0';
    if (!given) return false;
    const wchar_t* c = given;
    while (*c == L' ') ++c;
    std::wstring result;
    size_t fixedLevels = 0;   // levels ".." may not climb above: a UNC server and share
    if (((c[0] >= L'A' && c[0] <= L'Z') || (c[0] >= L'a' && c[0] <= L'z')) && c[1] == L':' &&
        c[2] == L'\\') {
        result.assign(c, 3);
        c += 3;
    } else if (c[0] == L'\\' && c[1] == L'\\') {
        result = L"\\\\";
        c += 2;
        fixedLevels = 2;
    } else {
        return false;
    }
    std::vector<std::wstring> levels;
    while (*c) {
        const wchar_t* end = c;
        while (*end && *end != L'\\') ++end;
        std::wstring level(c, end);
        c = *end ? end + 1 : end;
        while (!level.empty() && level.back() == L' ') level.pop_back();
        if (level == L".") continue;
        if (level == L"..") {
            if (levels.size() > fixedLevels) levels.pop_back();
            continue;
        }
        while (!level.empty() && (level.back() == L' ' || level.back() == L'.')) level.pop_back();
        if (level.empty()) continue;
        levels.push_back(level);
    }
    if (levels.size() < fixedLevels) return false;
    for (const std::wstring& level : levels) {
        result += level;
        result += L'\\';
        if (result.size() >= static_cast<size_t>(kPathChars)) return false;
    }
    return CopyText(out, kPathChars, result.c_str());
}

int FileSizeOf(const wchar_t* path) {
    if (!path || path[0] == L'\0') return 0;
    KernelHandle file(CreateFileW(path, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return 0;
    // The callers compare against sizes far below 2 GiB; a larger file must
    // not wrap around into a small or negative size.
    return size.QuadPart > INT_MAX ? INT_MAX : static_cast<int>(size.QuadPart);
}

void GetPathPart(const wchar_t* path, wchar_t* out, int mask) {
    if (!out) return;
    out[0] = L'\0';
    if (!path || path[0] == L'\0') return;

    // The runtime's _wsplitpath differs between C runtimes for parts longer
    // than its _MAX_* limits (cut on one, all parts emptied on another); this
    // split follows its rules without those limits: drive "X:", folder up to
    // the last '\' or '/', extension from the last '.' of the rest.
    const size_t length = wcsnlen(path, kPathChars - 1);
    const size_t driveEnd = (length >= 2 && path[1] == L':') ? 2 : 0;
    size_t dirEnd = driveEnd;
    for (size_t i = driveEnd; i < length; ++i)
        if (path[i] == L'\\' || path[i] == L'/') dirEnd = i + 1;
    size_t nameEnd = length;
    for (size_t i = length; i > dirEnd; --i) {
        if (path[i - 1] == L'.') {
            nameEnd = i - 1;
            break;
        }
    }

    const auto append = [out](const wchar_t* from, size_t count) {
        const size_t used = wcsnlen(out, kPathChars);
        size_t i = 0;
        for (; i < count && used + i + 1 < kPathChars; ++i) out[used + i] = from[i];
        out[used + i] = L'\0';
    };
    if (mask & kPartDrive) append(path, driveEnd);
    if (mask & kPartFolder) {
        append(path + driveEnd, dirEnd - driveEnd);
        AppendBackslash(out);
    }
    if (mask & kPartName) append(path + dirEnd, nameEnd - dirEnd);
    if (mask & kPartExtension) append(path + nameEnd, length - nameEnd);
}

bool IsSystemFolder(const wchar_t* folder) {
    wchar_t canonical[kPathChars] = {};
    if (!CanonicalFolder(folder, canonical)) return false;
    size_t levels = 0;
    for (const wchar_t* c = canonical + 2; *c; ++c) levels += *c == L'\\';
    const bool unc = canonical[0] == L'\\';
    if (levels == (unc ? 2u : 1u)) return true;

    // The system's Windows folder, not a terminal-server user's own one.
    wchar_t windows[kPathChars] = {};
    wchar_t windowsCanonical[kPathChars] = {};
    const UINT chars = GetSystemWindowsDirectoryW(windows, kPathChars);
    if (chars == 0 || chars >= static_cast<UINT>(kPathChars) || !CanonicalFolder(windows, windowsCanonical))
        return false;
    return _wcsnicmp(canonical, windowsCanonical, wcslen(windowsCanonical)) == 0;
}
