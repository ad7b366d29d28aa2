#include "release_notes.h"

#include <cstring>
#include <cwchar>
#include <cwctype>

void CopyReleaseNotes(const void* data, size_t bytes, wchar_t* buffer, size_t units) {
    if (!buffer || units == 0) return;
    std::memset(buffer, 0, units * sizeof(wchar_t));
    if (!data) return;
    const size_t available = bytes / sizeof(wchar_t);
    size_t count = available < units - 1 ? available : units - 1;
    if (count > 0 && count < available) {
        // Never keep the first half of a surrogate pair whose second half was cut.
        wchar_t last;
        std::memcpy(&last, static_cast<const char*>(data) + (count - 1) * sizeof(wchar_t),
                    sizeof(wchar_t));
        if (last >= 0xD800 && last <= 0xDBFF) --count;
    }
    std::memcpy(buffer, data, count * sizeof(wchar_t));
}

void TrimReleaseNotesEnd(wchar_t* text) {
    if (!text) return;
    for (size_t length = std::wcslen(text); length > 0; --length) {
        if (std::iswalnum(text[length - 1])) break;
        text[length - 1] = L'\0';
    }
}
