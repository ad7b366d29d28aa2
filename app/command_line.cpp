#include "command_line.h"

#include <climits>
#include <cwchar>
#include <cwctype>

#include "text_buffer.h"

namespace {

struct Switch {
    const wchar_t* text;
    int length;
};

constexpr Switch kFolder{L"/folder=", 8};
constexpr Switch kDesktop{L"/desktop=", 9};
constexpr Switch kThumbs{L"/thumbs=", 8};
constexpr Switch kGroup{L"/group=", 7};
constexpr Switch kAllUsers{L"/allusers=", 10};
constexpr Switch kAssoc{L"/assoc=", 7};
constexpr Switch kIni{L"/ini=", 5};
constexpr Switch kLog{L"/log=", 5};
constexpr int kSwitchValueLimit = kPathChars;
constexpr int kPictureRows = 49;

void TrimTrailingBlanks(wchar_t* text) {
    size_t n = std::wcslen(text);
    while (n > 0 && text[n - 1] == L' ') text[--n] = L'\0';
}

// A value runs up to the next '/': when the next switch is quoted as a
// whole ("/folder=C:\A" "/ini=D:\B"), its opening quote ends this value
// after a blank. No path holds a quote, so that one is dropped before the
// value's own quotes are stripped; "C:\A\"" would be no folder at all.
void DropNextSwitchQuote(wchar_t* value) {
    TrimTrailingBlanks(value);
    const size_t n = std::wcslen(value);
    if (n >= 2 && value[n - 1] == L'"' && value[n - 2] == L' ') {
        value[n - 1] = L'\0';
        TrimTrailingBlanks(value);
    }
}

// Reads a path switch straight into its 520-character buffer.
bool ReadPathSwitch(const wchar_t* line, const Switch& sw, wchar_t* dest) {
    const wchar_t* at = std::wcsstr(line, sw.text);
    if (!at) return false;
    ReadSwitchValue(at, dest, sw.length, kSwitchValueLimit);
    DropNextSwitchQuote(dest);
    StripQuotes(dest, true);
    return true;
}

// Reads a numeric switch through the scratch buffer; absent leaves `value`.
void ReadNumberSwitch(const wchar_t* line, const Switch& sw, int& value) {
    const wchar_t* at = std::wcsstr(line, sw.text);
    if (!at) return;
    wchar_t scratch[kPathChars] = {};
    ReadSwitchValue(at, scratch, sw.length, kSwitchValueLimit);
    value = ParseSwitchNumber(scratch);
}

// A yes/no switch given as a number: any number but 0 is yes; absent leaves `flag`.
void ReadFlagSwitch(const wchar_t* line, const Switch& sw, bool& flag) {
    int value = flag ? 1 : 0;
    ReadNumberSwitch(line, sw, value);
    flag = value != 0;
}

// Switches are searched only in the first 519 characters.
void CopySwitchLine(const wchar_t* commandLine, wchar_t (&line)[kLongChars]) {
    CopyText(line, kLongChars, commandLine);
}

}  // namespace

int ReadSwitchValue(const wchar_t* source, wchar_t* dest, int start, int limit) {
    const int sourceLength = static_cast<int>(std::wcslen(source));
    const int end = sourceLength < limit ? sourceLength : limit;
    int index = start;
    int out = 0;
    while (index < end && source[index] != L'/') {
        dest[out++] = source[index++];
    }
    dest[out] = L'\0';
    return index;
}

void StripQuotes(wchar_t* text, bool trimAgain) {
    if (text[0] == L'\0') return;
    TrimTrailingBlanks(text);
    size_t n = std::wcslen(text);
    if (n > 0 && text[n - 1] == L'"') text[--n] = L'\0';
    if (text[0] == L'"') std::wmemmove(text, text + 1, n);  // n characters include the NUL
    if (trimAgain) TrimTrailingBlanks(text);
}

int ParseSwitchNumber(const wchar_t* text) {
    while (*text && std::iswspace(*text)) ++text;
    bool negative = false;
    if (*text == L'+' || *text == L'-') negative = (*text++ == L'-');
    long long value = 0;
    while (*text >= L'0' && *text <= L'9') {
        if (value <= INT_MAX) value = value * 10 + (*text - L'0');
        ++text;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool IsSilentCommandLine(const wchar_t* commandLine) {
    return commandLine && std::wcsstr(commandLine, L"/silent") != nullptr;
}

bool IsHelpCommandLine(const wchar_t* commandLine) {
    return commandLine &&
           (std::wcsstr(commandLine, L"/?") != nullptr || std::wcsstr(commandLine, L"/help") != nullptr);
}

bool IsCurrentUserCommandLine(const wchar_t* commandLine) {
    wchar_t line[kLongChars] = {};
    CopySwitchLine(commandLine, line);
    return std::wcsstr(line, L"/currentuser") != nullptr;
}

void ReadLogSwitch(const wchar_t* commandLine, wchar_t* logFile) {
    wchar_t line[kLongChars] = {};
    CopySwitchLine(commandLine, line);
    logFile[0] = L'\0';
    ReadPathSwitch(line, kLog, logFile);
}

void ApplySilentSwitches(const wchar_t* commandLine, SilentChoices& choices) {
    wchar_t line[kLongChars] = {};
    CopySwitchLine(commandLine, line);

    ReadPathSwitch(line, kFolder, choices.targetFolder);
    ReadFlagSwitch(line, kDesktop, choices.desktopShortcut);
    ReadFlagSwitch(line, kThumbs, choices.thumbnailsShortcut);
    ReadFlagSwitch(line, kGroup, choices.startMenuGroup);
    ReadFlagSwitch(line, kAllUsers, choices.shortcutsAllUsers);

    int assoc = 0;
    ReadNumberSwitch(line, kAssoc, assoc);
    if (assoc == 1 || assoc == 2) {
        const int rows = assoc == 1 ? kPictureRows : kSelectionSlots;
        for (int i = 0; i < rows; ++i) choices.associations.slots[i] = 1;
        choices.associationsRequested = true;
    }
    choices.associationsAllUsers = std::wcsstr(line, L"/assocallusers") != nullptr;
    if (ReadPathSwitch(line, kIni, choices.iniFolder)) choices.iniFolderGiven = true;
}

InstallOptions MakeSilentOptions(SilentChoices& choices, wchar_t* caption) {
    InstallOptions options;
    options.targetFolder = choices.targetFolder;
    options.startMenuGroup = choices.startMenuGroup;
    options.desktopShortcut = choices.desktopShortcut;
    options.thumbnailsShortcut = choices.thumbnailsShortcut;
    options.shortcutsAllUsers = choices.shortcutsAllUsers;
    options.iniFolder = choices.iniFolder;
    options.iniFolderGiven = choices.iniFolderGiven;
    options.associations = choices.associations;
    options.associationsAllUsers = choices.associationsAllUsers;
    options.associationsRequested = choices.associationsRequested;
    options.silent = true;
    options.messageCaption = caption;
    return options;
}
