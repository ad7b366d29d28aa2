#include "install_log.h"

#include <windows.h>

#include <cwchar>

#include "text_buffer.h"
#include "win_handles.h"

namespace {

constexpr const wchar_t* kLogFileName = L"Pixolum_Install.log";
constexpr int kDateChars = 256;
// Log texts are a message of the string table and a folder; anything longer
// than this is cut rather than trusted to be terminated.
constexpr size_t kMaxMessageChars = 4096;
constexpr const char* kSeparatorLine = "------------------------------------------------\r\n";

// One entry of the log, bounded: every character of the date, the time and
// the message gives at most two bytes.
struct NarrowEntry {
    char bytes[2 * (kDateChars + 16 + kMaxMessageChars) + 64];
    size_t size = 0;

    void Put(char c) {
        if (size < sizeof(bytes)) bytes[size++] = c;
    }
    void Put(const char* text) {
        while (*text) Put(*text++);
    }
    // The log is narrow text that administrators open in any editor: each
    // character up to U+00FF becomes the byte of the same value (Latin-1,
    // which Windows-1252 shares for the umlauts), others are dropped, and a
    // line feed is written as CR LF.
    void PutWide(const wchar_t* text, size_t length) {
        for (size_t i = 0; i < length; ++i) {
            const wchar_t c = text[i];
            if (c == L'\n') {
                Put("\r\n");
            } else if (static_cast<unsigned>(c) <= 0xFF) {
                Put(static_cast<char>(static_cast<unsigned char>(c)));
            }
        }
    }
};

// The file set by SetInstallLogFile; empty: the relative default name.
wchar_t g_logFile[kLongChars] = {};

// The log itself, never what a link makes of it: the setup runs elevated,
// and through a symbolic link, a junction or a second hard link planted
// under the log's name it would append to a file the user may not write.
// FILE_FLAG_OPEN_REPARSE_POINT opens a link as itself; both checks are made
// on the opened handle, so nothing can be swapped in between.
KernelHandle OpenForAppend(const wchar_t* path) {
    KernelHandle file(CreateFileW(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (file && (!GetFileInformationByHandle(file.Get(), &info) || info.nNumberOfLinks != 1 ||
                 (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))) {
        file.Reset();
    }
    return file;
}

// Deployment tools often start the setup in a folder it may not write (the
// system folder); a failure must still leave its trace somewhere.
KernelHandle OpenInTempFolder() {
    wchar_t path[kLongChars] = {};
    const DWORD chars = GetTempPathW(kPathChars, path);
    if (chars == 0 || chars >= static_cast<DWORD>(kPathChars)) return KernelHandle();
    if (!AppendText(path, kLongChars, kLogFileName)) return KernelHandle();
    return OpenForAppend(path);
}

}  // namespace

std::wstring LogValue(const wchar_t* value) {
    std::wstring shown;
    for (const wchar_t* c = value ? value : L""; *c && shown.size() < kMaxMessageChars; ++c) {
        const unsigned code = static_cast<unsigned>(*c);
        if ((code >= 0x20 && code < 0x7F) || code > 0x9F) {  // C0, DEL and C1 escaped
            shown += *c;
        } else {
            wchar_t escaped[8] = {};
            _snwprintf(escaped, 7, L"<%02X>", code);
            shown += escaped;
        }
    }
    return shown;
}

bool InstallLogFileGiven() { return g_logFile[0] != L'\0'; }

void SetInstallLogFile(const wchar_t* path) {
    g_logFile[0] = L'\0';
    if (!path || path[0] == L'\0') return;
    wchar_t full[kLongChars] = {};
    const DWORD chars = GetFullPathNameW(path, kLongChars, full, nullptr);
    if (chars == 0 || chars >= static_cast<DWORD>(kLongChars)) return;
    const DWORD attributes = GetFileAttributesW(full);
    const bool folder = full[chars - 1] == L'\\' ||
                        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    if (folder && full[chars - 1] != L'\\' && !AppendText(full, kLongChars, L"\\")) return;
    if (folder && !AppendText(full, kLongChars, kLogFileName)) return;
    CopyText(g_logFile, kLongChars, full);
}

void WriteInstallLog(const wchar_t* message) {
    // Default: the relative name, so the log lies in the folder current at the call.
    KernelHandle log = OpenForAppend(g_logFile[0] ? g_logFile : kLogFileName);
    if (!log) log = OpenInTempFolder();
    if (!log) return;

    wchar_t dateText[kDateChars] = {};
    if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, dateText, kDateChars) == 0)
        dateText[0] = L'\0';
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t timeText[16] = {};
    _snwprintf(timeText, 15, L"%02u:%02u:%02u", static_cast<unsigned>(now.wHour),
               static_cast<unsigned>(now.wMinute), static_cast<unsigned>(now.wSecond));

    // "%s - %s: %s\n", then the separator line.
    NarrowEntry entry;
    entry.PutWide(dateText, wcsnlen(dateText, kDateChars));
    entry.Put(" - ");
    entry.PutWide(timeText, wcsnlen(timeText, 16));
    entry.Put(": ");
    if (message) entry.PutWide(message, wcsnlen(message, kMaxMessageChars));
    entry.Put("\r\n");
    entry.Put(kSeparatorLine);

    DWORD written = 0;
    WriteFile(log.Get(), entry.bytes, static_cast<DWORD>(entry.size), &written, nullptr);
}
