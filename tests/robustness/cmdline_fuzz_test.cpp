// Generated and mutated command lines through the real switch parsing,
// compared with a small reference model written from the switch table:
// case-sensitive substring search, first occurrence, the 519-character cut,
// values up to the next '/' and at most 260 minus the switch length
// characters, quotes and trailing blanks stripped, signed decimal numbers.
// Every buffer sits between guard bytes; the run is deterministic (fixed
// seeds, own generator) so that a reported input can be replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "command_line.h"
#include "fuzz_support.h"

using pxfuzz::Rng;

namespace {

// --- reference model -----------------------------------------------------

constexpr size_t kCut = 519;
constexpr size_t kValueLimit = 260;

struct ModelSwitch {
    const wchar_t* text;
    size_t length;
};
constexpr ModelSwitch kModelFolder{L"/folder=", 8};
constexpr ModelSwitch kModelDesktop{L"/desktop=", 9};
constexpr ModelSwitch kModelThumbs{L"/thumbs=", 8};
constexpr ModelSwitch kModelGroup{L"/group=", 7};
constexpr ModelSwitch kModelAllUsers{L"/allusers=", 10};
constexpr ModelSwitch kModelAssoc{L"/assoc=", 7};
constexpr ModelSwitch kModelIni{L"/ini=", 5};

struct ModelChoices {
    std::wstring targetFolder;
    std::wstring iniFolder;
    int startMenuGroup = 0;
    int desktopShortcut = 0;
    int thumbnailsShortcut = 0;
    int shortcutsAllUsers = 0;
    int associationsAllUsers = 0;
    int associationsRequested = 0;
    int32_t slots[kSelectionSlots] = {};
};

// The value read from `line` at `at`: up to the next '/', and only while the
// index (counted from the switch's first character) stays below both the
// rest of the line and the limit.
std::wstring ModelValue(const std::wstring& rest, size_t start, size_t limit) {
    const size_t end = rest.size() < limit ? rest.size() : limit;
    std::wstring value;
    for (size_t i = start; i < end && rest[i] != L'/'; ++i) value += rest[i];
    return value;
}

std::wstring ModelStripQuotes(std::wstring text) {
    if (text.empty()) return text;
    while (!text.empty() && text.back() == L' ') text.pop_back();
    if (!text.empty() && text.back() == L'"') text.pop_back();
    if (!text.empty() && text.front() == L'"') text.erase(0, 1);
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

// White space as the C runtime classifies it: the ASCII controls and blank,
// and the Unicode spaces the generator uses (no-break and ideographic space).
bool ModelIsSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x00A0 || c == 0x3000;
}

int ModelNumber(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && ModelIsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;  // enough to saturate either sign
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool ModelFind(const std::wstring& line, const ModelSwitch& sw, std::wstring& value) {
    size_t at = line.find(sw.text);
    if (at == std::wstring::npos) return false;
    value = ModelValue(line.substr(at), sw.length, kValueLimit);
    return true;
}

void ModelApply(const std::wstring& commandLine, ModelChoices& c) {
    const std::wstring line = commandLine.substr(0, kCut);
    std::wstring v;
    if (ModelFind(line, kModelFolder, v)) c.targetFolder = ModelStripQuotes(v);
    if (ModelFind(line, kModelDesktop, v)) c.desktopShortcut = ModelNumber(v);
    if (ModelFind(line, kModelThumbs, v)) c.thumbnailsShortcut = ModelNumber(v);
    if (ModelFind(line, kModelGroup, v)) c.startMenuGroup = ModelNumber(v);
    if (ModelFind(line, kModelAllUsers, v)) c.shortcutsAllUsers = ModelNumber(v);
    if (ModelFind(line, kModelAssoc, v)) {
        int n = ModelNumber(v);
        if (n == 1 || n == 2) {
            for (int i = 0; i < (n == 1 ? 49 : 64); ++i) c.slots[i] = 1;
            c.associationsRequested = 1;
        }
    }
    c.associationsAllUsers = line.find(L"/assocallusers") != std::wstring::npos ? 1 : 0;
    if (ModelFind(line, kModelIni, v)) c.iniFolder = ModelStripQuotes(v);
}

// --- inputs --------------------------------------------------------------

const wchar_t* const kSwitchTexts[] = {
    L"/silent", L"/folder=", L"/desktop=", L"/thumbs=", L"/group=", L"/allusers=",
    L"/assoc=", L"/assocallusers", L"/ini=",
    // near misses: other case, missing '=', cut names
    L"/SILENT", L"/Folder=", L"/GROUP=", L"/folder", L"/assoc", L"/ini", L"/fold", L"/",
    L"/assocallusers=", L"//folder=", L"/ini==",
};
const wchar_t* const kValueSwitches[] = {L"/folder=", L"/desktop=", L"/thumbs=", L"/group=",
                                         L"/allusers=", L"/assoc=", L"/ini="};
const wchar_t* const kProgramPaths[] = {
    L"setup.exe",
    L"\"C:\\Program Files\\Pixolum Setup\\setup.exe\"",
    L"\"C:\\Users\\Jürgen\\Downloads\\pixolum_setup.exe\"",
    L"\"Z:\\tmp\\a/folder=b\\setup.exe\"",   // a switch inside the program's own path
    L"\"\\\\server\\share\\安装\\setup.exe\"",
    L"",
};

// Characters the generator draws from: ASCII, quotes and slashes, blanks
// and controls, umlauts, CJK, Unicode spaces, surrogate pairs and halves.
void AppendRandomChar(Rng& rng, std::wstring& out) {
    switch (rng.Below(16)) {
    case 0: out += L'"'; break;
    case 1: out += L'/'; break;
    case 2: out += L' '; break;
    case 3: out += rng.Pick({L'\t', L'\r', L'\n', L'\v', L'\f', L'\x01', L'\x7F'}); break;
    case 4: out += rng.Pick({L'ä', L'ö', L'ü', L'ß', L'Ä', L'é', L'\xA0', L'\xFF'}); break;
    case 5: out += rng.Pick({L'\x4E2D', L'\x6587', L'\x5B89', L'\x88C5', L'\x3000', L'\xFEFF'}); break;
    case 6: out += L"\xD83D\xDE00"; break;                      // U+1F600
    case 7: out += L"\xD840\xDC00"; break;                      // U+20000
    case 8: out += rng.Pick({L'\xD800', L'\xDC00', L'\xDBFF', L'\xDFFF'}); break;  // halves
    case 9: out += static_cast<wchar_t>(L'0' + rng.Below(10)); break;
    case 10: out += rng.Pick({L'+', L'-', L'=', L'\\', L':', L'%', L'.'}); break;
    default: out += static_cast<wchar_t>(L'a' + rng.Below(26)); break;
    }
}

std::wstring RandomText(Rng& rng, int maxChars) {
    std::wstring s;
    int n = rng.Below(maxChars + 1);
    while (static_cast<int>(s.size()) < n) AppendRandomChar(rng, s);
    return s;
}

std::wstring RandomNumberText(Rng& rng) {
    const wchar_t* const forms[] = {L"0", L"1", L"2", L"3", L"-1", L"+2", L" 1", L"\t2", L"1x",
                                    L"yes", L"", L"  ", L"2147483647", L"2147483648",
                                    L"-2147483648", L"-2147483649", L"99999999999999999999",
                                    L"-", L"+", L"\xA0" L"1", L"\x3000" L"2", L"0001", L"1 2",
                                    L"\xD83D\xDE00" L"1", L"\"1\"", L"\x0661"};
    std::wstring s = rng.Pick(forms);
    if (rng.Chance(30)) s += RandomText(rng, 6);
    return s;
}

std::wstring RandomPathText(Rng& rng) {
    const wchar_t* const forms[] = {L"C:\\Pixo Test\\Ziel", L" C:\\Pixo Test\\Ziel ",
                                    L"\"C:\\Programme\\Pixolum\\\"", L"\"D:\\Übung",
                                    L"D:\\Übung\"", L"\"", L"\"\"", L"", L"   ",
                                    L"%APPDATA%\\Pixolum", L"C:\\数据\\图片",
                                    L"E:\\\xD83D\xDE00\\x", L"\\\\?\\C:\\a"};
    std::wstring s = rng.Pick(forms);
    if (rng.Chance(40)) s += RandomText(rng, 30);
    if (rng.Chance(10)) s += std::wstring(rng.Below(300), rng.Chance(50) ? L'a' : L'\x4E2D');
    if (rng.Chance(20)) s += L' ';
    return s;
}

std::wstring RandomSwitchToken(Rng& rng) {
    if (rng.Chance(25)) return rng.Pick(kSwitchTexts) + (rng.Chance(30) ? RandomText(rng, 8) : L"");
    std::wstring sw = rng.Pick(kValueSwitches);
    bool numeric = sw != L"/folder=" && sw != L"/ini=";
    std::wstring value = numeric && rng.Chance(80) ? RandomNumberText(rng) : RandomPathText(rng);
    switch (rng.Below(5)) {
    case 0: return L"\"" + sw + value + L"\"";   // whole switch quoted
    case 1: return L"\"" + sw + value;            // unmatched opening quote
    case 2: return sw + L"\"" + value + L"\"";   // value quoted
    default: return sw + value;
    }
}

std::wstring Separator(Rng& rng) {
    return rng.Pick({L" ", L" ", L"  ", L"", L"\t", L" \"", L"\xA0"});
}

std::wstring GeneratedLine(Rng& rng) {
    std::wstring line = rng.Pick(kProgramPaths);
    int tokens = rng.Below(10);
    for (int i = 0; i < tokens; ++i) {
        line += Separator(rng);
        line += rng.Chance(80) ? RandomSwitchToken(rng) : RandomText(rng, 40);
    }
    return line;
}

// A switch placed so that the 519-character cut falls before it, inside its
// name, inside its value or just after it; the line ends at 518 to 522
// characters or runs on.
std::wstring BoundaryLine(Rng& rng) {
    std::wstring line = rng.Pick(kProgramPaths) + std::wstring(L" /silent ");
    if (rng.Chance(50)) line += RandomSwitchToken(rng) + L" ";
    std::wstring token = RandomSwitchToken(rng);
    const int offset = rng.Below(static_cast<int>(token.size()) + 6) - 3;
    const int start = static_cast<int>(kCut) - offset;
    std::wstring pad;
    while (static_cast<int>(line.size() + pad.size()) < start) {
        wchar_t c = rng.Pick({L'x', L' ', L'\x4E2D', L'\\', L'"', L'ä'});
        pad += c;
    }
    line += pad;
    line.resize(static_cast<size_t>(start) < line.size() ? static_cast<size_t>(start) : line.size());
    line += token;
    const size_t ends[] = {518, 519, 520, 521, 522, 600};
    size_t end = rng.Pick(ends);
    if (line.size() > end && rng.Chance(50)) {
        line.resize(end);
    } else {
        while (line.size() < end) line += rng.Chance(70) ? L'y' : L'/';
    }
    return line;
}

std::wstring Mutated(Rng& rng, std::wstring line) {
    int edits = 1 + rng.Below(8);
    for (int e = 0; e < edits; ++e) {
        size_t at = line.empty() ? 0 : static_cast<size_t>(rng.Below(static_cast<int>(line.size()) + 1));
        switch (rng.Below(8)) {
        case 0: {
            std::wstring c;
            AppendRandomChar(rng, c);
            line.insert(at, c);
            break;
        }
        case 1:
            if (at < line.size()) line.erase(at, 1 + rng.Below(4));
            break;
        case 2:
            if (at < line.size()) {
                std::wstring c;
                AppendRandomChar(rng, c);
                line[at] = c[0];
            }
            break;
        case 3: line.insert(at, rng.Pick(kSwitchTexts)); break;
        case 4: line.insert(at, rng.Pick({L"\"", L"/", L" ", L"\xD83D", L"\xDE00"})); break;
        case 5:
            if (at < line.size()) {
                size_t n = 1 + rng.Below(60);
                line.insert(at, line.substr(at, n));
            }
            break;
        case 6: line.resize(at); break;
        default: line.insert(at, RandomSwitchToken(rng)); break;
        }
    }
    return line;
}

std::string Escaped(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != L'\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

// --- the real functions between guard bytes -----------------------------

constexpr unsigned char kGuardByte = 0xA5;
constexpr wchar_t kUnusedChar = 0xFDFD;

struct GuardedChoices {
    unsigned char before[64];
    SilentChoices choices;
    unsigned char after[64];
};

bool GuardIntact(const unsigned char* guard, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (guard[i] != kGuardByte) return false;
    }
    return true;
}

// Fills a path buffer with a default and marks every character after its
// terminator, so that a write past the value's limit shows.
void FillBuffer(wchar_t* buffer, const std::wstring& value) {
    for (int i = 0; i < kLongChars; ++i) buffer[i] = kUnusedChar;
    wmemcpy(buffer, value.c_str(), value.size() + 1);
}

// The value's terminator lies below 260 and nothing from 260 on was touched.
bool BufferWithinLimit(const wchar_t* buffer) {
    bool terminated = false;
    for (int i = 0; i < kPathChars; ++i) {
        if (buffer[i] == L'\0') terminated = true;
    }
    if (!terminated) return false;
    for (int i = kPathChars; i < kLongChars; ++i) {
        if (buffer[i] != kUnusedChar) return false;
    }
    return true;
}

class Checker {
public:
    // Runs one command line through ApplySilentSwitches and the model.
    void Run(const std::wstring& line, Rng& rng) {
        ++m_inputs;
        if (line.size() >= 518 && line.size() <= 522) ++m_nearCut;

        ModelChoices expected;
        const std::wstring defaultFolders[] = {L"", L"C:\\Program Files\\Pixolum\\",
                                               std::wstring(259, L'd')};
        expected.targetFolder = rng.Pick(defaultFolders);
        expected.iniFolder = rng.Chance(50) ? L"%APPDATA%\\Pixolum" : L"";
        expected.startMenuGroup = rng.Below(3) - 1;
        expected.desktopShortcut = rng.Below(3) - 1;
        expected.thumbnailsShortcut = rng.Below(3) - 1;
        expected.shortcutsAllUsers = rng.Below(3) - 1;
        expected.associationsAllUsers = rng.Below(2);

        GuardedChoices g;
        std::memset(g.before, kGuardByte, sizeof g.before);
        std::memset(g.after, kGuardByte, sizeof g.after);
        SilentChoices& c = g.choices;
        FillBuffer(c.targetFolder, expected.targetFolder);
        FillBuffer(c.iniFolder, expected.iniFolder);
        c.startMenuGroup = expected.startMenuGroup;
        c.desktopShortcut = expected.desktopShortcut;
        c.thumbnailsShortcut = expected.thumbnailsShortcut;
        c.shortcutsAllUsers = expected.shortcutsAllUsers;
        c.associationsAllUsers = expected.associationsAllUsers;

        ApplySilentSwitches(line.c_str(), c);
        ModelApply(line, expected);

        std::string problem;
        if (!GuardIntact(g.before, sizeof g.before) || !GuardIntact(g.after, sizeof g.after)) {
            problem = "guard bytes around the choices overwritten";
        } else if (!BufferWithinLimit(c.targetFolder) || !BufferWithinLimit(c.iniFolder)) {
            problem = "folder value beyond 259 characters or written past its limit";
        } else if (expected.targetFolder != c.targetFolder) {
            problem = "targetFolder '" + Escaped(c.targetFolder) + "', model '" +
                      Escaped(expected.targetFolder) + "'";
        } else if (expected.iniFolder != c.iniFolder) {
            problem = "iniFolder '" + Escaped(c.iniFolder) + "', model '" +
                      Escaped(expected.iniFolder) + "'";
        } else if (expected.startMenuGroup != c.startMenuGroup ||
                   expected.desktopShortcut != c.desktopShortcut ||
                   expected.thumbnailsShortcut != c.thumbnailsShortcut ||
                   expected.shortcutsAllUsers != c.shortcutsAllUsers) {
            problem = "numbers " + std::to_string(c.startMenuGroup) + "/" +
                      std::to_string(c.desktopShortcut) + "/" +
                      std::to_string(c.thumbnailsShortcut) + "/" +
                      std::to_string(c.shortcutsAllUsers) + ", model " +
                      std::to_string(expected.startMenuGroup) + "/" +
                      std::to_string(expected.desktopShortcut) + "/" +
                      std::to_string(expected.thumbnailsShortcut) + "/" +
                      std::to_string(expected.shortcutsAllUsers);
        } else if (expected.associationsAllUsers != c.associationsAllUsers ||
                   expected.associationsRequested != c.associationsRequested ||
                   std::memcmp(expected.slots, c.associations.slots, sizeof expected.slots) != 0) {
            problem = "associations differ from the model";
        }
        bool silent = IsSilentCommandLine(line.c_str());
        if (problem.empty() && silent != (line.find(L"/silent") != std::wstring::npos)) {
            problem = "IsSilentCommandLine differs from the model";
        }
        if (!problem.empty()) Report(line, problem);
    }

    void Report(const std::wstring& input, const std::string& problem) {
        if (++m_failures <= 20) {
            ADD_FAILURE() << problem << "\n  input (" << input.size()
                          << " characters): " << Escaped(input);
        }
    }
    int inputs() const { return m_inputs; }
    int nearCut() const { return m_nearCut; }
    int failures() const { return m_failures; }
    void Count() { ++m_inputs; }

private:
    int m_inputs = 0;
    int m_nearCut = 0;
    int m_failures = 0;
};

TEST(CommandLineFuzz, GeneratedMutatedAndBoundaryLinesMatchTheModel) {
    Checker checker;
    Rng rng(0x5049584F4C554D31ull);   // fixed: "PIXOLUM1"
    std::vector<std::wstring> corpus = {
        L"setup.exe /silent",
        L"setup.exe /silent \"/folder= C:\\Pixo Test\\Ziel \"",
        L"\"C:\\x\\setup.exe\" /silent /folder=C:\\A B /desktop=1 /thumbs=1 /group=1 /allusers=1 "
        L"/assoc=2 /assocallusers \"/ini=D:\\Einstellungen\"",
        L"setup.exe /silent /ini=/group=1",
        L"setup.exe /silent /folder=",
    };
    for (int i = 0; i < 8000; ++i) {
        std::wstring line = GeneratedLine(rng);
        checker.Run(line, rng);
        if (i % 8 == 0) corpus.push_back(line);
    }
    for (int i = 0; i < 6000; ++i) checker.Run(BoundaryLine(rng), rng);
    for (int i = 0; i < 8000; ++i) {
        const std::wstring& seed = corpus[static_cast<size_t>(rng.Below(static_cast<int>(corpus.size())))];
        checker.Run(Mutated(rng, seed), rng);
    }
    // Every length from 510 to 530 with each value switch running across the cut.
    for (const wchar_t* sw : kValueSwitches) {
        for (size_t total = 510; total <= 530; ++total) {
            for (size_t at = 505; at <= 522; ++at) {
                std::wstring line = L"setup.exe /silent";
                line += std::wstring(at - line.size(), L' ');
                line += sw;
                line += L"\"12 C:\\Ü\xD83D\xDE00\"";
                if (line.size() < total) line += std::wstring(total - line.size(), L'7');
                line.resize(total);
                checker.Run(line, rng);
            }
        }
    }
    std::printf("command lines tried: %d (%d of 518 to 522 characters), mismatches: %d\n",
                checker.inputs(), checker.nearCut(), checker.failures());
    EXPECT_GE(checker.inputs(), 10000);
    EXPECT_EQ(checker.failures(), 0);
}

// ReadSwitchValue on its own, with a destination of exactly 260 characters
// followed by guard characters.
TEST(CommandLineFuzz, ReadSwitchValueStaysInsideItsLimit) {
    Rng rng(0x52454144ull);
    struct Dest {
        wchar_t value[kPathChars];
        wchar_t guard[16];
    };
    int tried = 0;
    int failures = 0;
    for (int i = 0; i < 20000; ++i) {
        std::wstring sw = rng.Pick(kValueSwitches);
        std::wstring text = RandomText(rng, rng.Chance(30) ? 600 : 40);
        // Without slashes, so that values run into the limit.
        if (rng.Chance(50)) std::replace(text.begin(), text.end(), L'/', L'x');
        std::wstring source = sw + text;
        Dest d;
        for (wchar_t& ch : d.value) ch = kUnusedChar;
        for (wchar_t& ch : d.guard) ch = kUnusedChar;
        const int start = static_cast<int>(sw.size());
        int reached = ReadSwitchValue(source.c_str(), d.value, start, kPathChars);
        std::wstring expected = ModelValue(source, sw.size(), kValueLimit);
        ++tried;
        bool guardsOk = true;
        for (wchar_t ch : d.guard) guardsOk = guardsOk && ch == kUnusedChar;
        size_t length = wcsnlen(d.value, kPathChars);
        bool ok = guardsOk && length < static_cast<size_t>(kPathChars) && expected == d.value &&
                  reached == start + static_cast<int>(expected.size());
        for (size_t k = length + 1; ok && k < static_cast<size_t>(kPathChars); ++k) {
            ok = d.value[k] == kUnusedChar;
        }
        if (!ok && ++failures <= 10) {
            ADD_FAILURE() << "ReadSwitchValue(start " << start << ") gave '"
                          << Escaped(std::wstring(d.value, length)) << "' and " << reached
                          << ", model '" << Escaped(expected) << "'\n  source: " << Escaped(source);
        }
    }
    std::printf("switch values tried: %d\n", tried);
    EXPECT_EQ(failures, 0);
}

// StripQuotes and ParseSwitchNumber on their own, on random texts up to the
// full 519 characters of a value buffer.
TEST(CommandLineFuzz, StripQuotesAndNumbersMatchTheModel) {
    Rng rng(0x51554F54ull);
    int failures = 0;
    int tried = 0;
    for (int i = 0; i < 20000; ++i) {
        std::wstring text = RandomText(rng, rng.Chance(10) ? kLongChars - 1 : 24);
        if (rng.Chance(30)) text = L"\"" + text;
        if (rng.Chance(30)) text += rng.Pick({L"\"", L"\" ", L" \"  ", L"  "});
        if (text.size() > static_cast<size_t>(kLongChars - 1)) text.resize(kLongChars - 1);
        struct {
            wchar_t buffer[kLongChars];
            wchar_t guard[8];
        } b;
        for (wchar_t& ch : b.buffer) ch = kUnusedChar;
        for (wchar_t& ch : b.guard) ch = kUnusedChar;
        wmemcpy(b.buffer, text.c_str(), text.size() + 1);
        StripQuotes(b.buffer, true);
        ++tried;
        bool ok = ModelStripQuotes(text) == b.buffer;
        for (size_t k = text.size() + 1; ok && k < static_cast<size_t>(kLongChars); ++k) {
            ok = b.buffer[k] == kUnusedChar;
        }
        for (wchar_t ch : b.guard) ok = ok && ch == kUnusedChar;
        if (!ok && ++failures <= 10) {
            ADD_FAILURE() << "StripQuotes gave '" << Escaped(b.buffer) << "', model '"
                          << Escaped(ModelStripQuotes(text)) << "'\n  input: " << Escaped(text);
        }

        std::wstring number = rng.Chance(50) ? RandomNumberText(rng) : RandomText(rng, 12);
        ++tried;
        int got = ParseSwitchNumber(number.c_str());
        if (got != ModelNumber(number) && ++failures <= 10) {
            ADD_FAILURE() << "ParseSwitchNumber gave " << got << ", model " << ModelNumber(number)
                          << "\n  input: " << Escaped(number);
        }
    }
    std::printf("quoted texts and numbers tried: %d\n", tried);
    EXPECT_EQ(failures, 0);
}

}  // namespace
