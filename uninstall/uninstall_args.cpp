#include "uninstall_args.h"

#include <cwchar>
#include <cwctype>

namespace {

constexpr const wchar_t* kWorkerSwitch = L"/worker=";
constexpr const wchar_t* kOriginalSwitch = L"/original=";

bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix, size_t prefixLength) {
    return _wcsnicmp(text, prefix, prefixLength) == 0;
}

// A decimal number up to the next ':' or the end; false on anything else.
bool ReadNumber(const wchar_t*& text, uint64_t& value) {
    if (!iswdigit(*text)) return false;
    uint64_t result = 0;
    for (; iswdigit(*text); ++text) {
        const uint64_t digit = static_cast<uint64_t>(*text - L'0');
        if (result > (UINT64_MAX - digit) / 10) return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

bool ParseWorkerHandles(const wchar_t* text, UninstallArgs& args) {
    return ReadNumber(text, args.reportPipe) && *text++ == L':' &&
           ReadNumber(text, args.callerProcess) && *text++ == L':' &&
           ReadNumber(text, args.ownImage) && *text == L'\0' && args.reportPipe != 0 &&
           args.callerProcess != 0 && args.ownImage != 0;
}

}  // namespace

UninstallArgs ParseUninstallArgs(int argc, const wchar_t* const* argv) {
    UninstallArgs args;
    bool handlesValid = false;
    const size_t workerLength = wcslen(kWorkerSwitch);
    const size_t originalLength = wcslen(kOriginalSwitch);
    for (int i = 1; argv && i < argc; ++i) {
        const wchar_t* arg = argv[i];
        if (!arg) continue;
        if (_wcsicmp(arg, L"/silent") == 0) {
            args.silent = true;
        } else if (_wcsicmp(arg, L"/removesettings") == 0) {
            args.removeSettings = true;
        } else if (StartsWithNoCase(arg, kWorkerSwitch, workerLength)) {
            args.worker = true;
            handlesValid = ParseWorkerHandles(arg + workerLength, args);
        } else if (StartsWithNoCase(arg, kOriginalSwitch, originalLength)) {
            args.originalPath = arg + originalLength;
        }
    }
    args.workerValid = args.worker && handlesValid && !args.originalPath.empty();
    return args;
}

std::wstring WorkerCommandLine(const std::wstring& workerExe, const UninstallArgs& request) {
    std::wstring line = L"\"" + workerExe + L"\" " + kWorkerSwitch;
    line += std::to_wstring(request.reportPipe) + L":" + std::to_wstring(request.callerProcess) +
            L":" + std::to_wstring(request.ownImage);
    // A path holds no quote, and it names a file, so it never ends in the
    // backslash that would escape the closing quote.
    line += L" \"" + std::wstring(kOriginalSwitch) + request.originalPath + L"\"";
    if (request.silent) line += L" /silent";
    if (request.removeSettings) line += L" /removesettings";
    return line;
}
