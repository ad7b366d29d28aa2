#include "removal_report.h"

#include <algorithm>

namespace {

constexpr size_t kMaxFailures = 200;
constexpr size_t kMaxFailureChars = 1024;

}  // namespace

std::wstring SerializeReport(const RemovalReport& report) {
    std::wstring text;
    text += report.associationsRemoved ? L'1' : L'0';
    text += report.settingsKept ? L'1' : L'0';
    text += report.folderKept ? L'1' : L'0';
    text += L'\n';
    size_t count = 0;
    for (const std::wstring& failure : report.failures) {
        if (++count > kMaxFailures) break;
        std::wstring line = failure.substr(0, kMaxFailureChars);
        for (wchar_t& c : line) {
            if (c == L'\n' || c == L'\r') c = L' ';
        }
        text += line + L'\n';
    }
    return text;
}

bool DeserializeReport(const std::wstring& text, RemovalReport& report) {
    if (text.size() < 4 || text[3] != L'\n') return false;
    for (size_t i = 0; i < 3; ++i) {
        if (text[i] != L'0' && text[i] != L'1') return false;
    }
    RemovalReport parsed;
    parsed.associationsRemoved = text[0] == L'1';
    parsed.settingsKept = text[1] == L'1';
    parsed.folderKept = text[2] == L'1';
    size_t start = 4;
    while (start < text.size() && parsed.failures.size() < kMaxFailures) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) parsed.failures.push_back(text.substr(start, std::min(end - start, kMaxFailureChars)));
        start = end + 1;
    }
    report = parsed;
    return true;
}
