#include "welcome_rules.h"

#include "install_options.h"

namespace {

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

bool EqualsIgnoringCase(const std::wstring& text, const wchar_t* expected) {
    size_t i = 0;
    for (; i < text.size() && expected[i]; ++i) {
        if (FoldAscii(text[i]) != FoldAscii(expected[i])) return false;
    }
    return i == text.size() && expected[i] == L'\0';
}

}  // namespace

std::wstring FormatPlaceholders(const std::wstring& pattern,
                                std::initializer_list<const wchar_t*> arguments) {
    std::wstring result;
    result.reserve(pattern.size() + 16);
    auto next = arguments.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == L's') {
                if (next != arguments.end()) {
                    if (*next) result += *next;
                    ++next;
                }
                ++i;
                continue;
            }
            if (pattern[i + 1] == L'%') {
                result += L'%';
                ++i;
                continue;
            }
        }
        result += pattern[i];
    }
    return result;
}

bool ApplyProductFolderRule(const std::wstring& chosen, std::wstring& folder) {
    std::wstring path = chosen;
    if (!path.empty() && path.back() != L'\\') path += L'\\';

    // The backslash that ends the next-to-last path element.
    const size_t previous = path.size() >= 2 ? path.rfind(L'\\', path.size() - 2)
                                             : std::wstring::npos;
    if (previous != std::wstring::npos && previous > 0) {
        if (!EqualsIgnoringCase(path.substr(previous), L"\\pixolum\\")) path += L"Pixolum\\";
    } else if (path.size() == 3) {
        path += L"Pixolum\\";
    }

    if (path.size() > static_cast<size_t>(kPathChars - 1)) return false;
    folder = path;
    return true;
}

bool IsTargetFolderAccepted(const wchar_t* text) {
    return text && text[0] != L'\0' && text[1] == L':';
}
