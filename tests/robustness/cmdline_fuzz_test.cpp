// Generated and mutated command lines through the real switch parsing,
// judged by what the documented switches promise rather than by a second
// parser: choices written as switches come back as chosen, in any order and
// quoting; on any input the values stay within their limits, hold no '/',
// are pieces of the line, leave untouched what no switch named, and nothing
// after the 519th character or in an undocumented switch changes a choice.
// Every buffer sits between guard bytes; the run is deterministic (fixed
// seeds, own generator) so that a reported input can be replayed.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "command_line.h"
#include "fuzz_support.h"

using pxfuzz::Rng;

namespace {

constexpr size_t kCut = 519;
constexpr int kPictureSlots = 49;   // "/assoc=1": the 49 picture formats

const wchar_t* const kValueSwitches[] = {L"/folder=", L"/desktop=", L"/thumbs=", L"/group=",
                                         L"/allusers=", L"/assoc=", L"/ini="};
// Near misses of the documented names: other case, without '=', cut, unknown.
const wchar_t* const kUndocumented[] = {L"/SILENT", L"/Folder=X:\\y", L"/GROUP=1", L"/Desktop=1",
                                        L"/folder", L"/assoc", L"/ini", L"/fold=1", L"/foo=bar",
                                        L"/ASSOCALLUSERS", L"/x"};
const wchar_t* const kProgramPaths[] = {
    L"setup.exe",
    L"\"C:\\Program Files\\Pixolum Setup\\setup.exe\"",
    L"\"C:\\Users\\Jürgen\\Downloads\\pixolum_setup.exe\"",
    L"\"\\\\server\\share\\安装\\setup.exe\"",
    L"",
};

// Characters the generator draws from: ASCII, quotes and slashes, blanks
// and controls, umlauts, CJK, Unicode spaces, surrogate pairs and halves.
void AppendRandomChar(Rng& rng, std::wstring& out) {
    switch (rng.Below(14)) {
    case 0: out += L'"'; break;
    case 1: out += L'/'; break;
    case 2: out += L' '; break;
    case 3: out += rng.Pick({L'\t', L'\r', L'\n', L'\x01', L'\x7F'}); break;
    case 4: out += rng.Pick({L'ä', L'ß', L'Ä', L'\xA0', L'\xFF'}); break;
    case 5: out += rng.Pick({L'\x4E2D', L'\x6587', L'\x3000', L'\xFEFF'}); break;
    case 6: out += L"\xD83D\xDE00"; break;                                  // U+1F600
    case 7: out += rng.Pick({L'\xD800', L'\xDC00', L'\xDFFF'}); break;      // halves
    case 8: out += static_cast<wchar_t>(L'0' + rng.Below(10)); break;
    case 9: out += rng.Pick({L'+', L'-', L'=', L'\\', L':', L'%', L'.'}); break;
    default: out += static_cast<wchar_t>(L'a' + rng.Below(26)); break;
    }
}

std::wstring RandomText(Rng& rng, int maxChars) {
    std::wstring s;
    const int n = rng.Below(maxChars + 1);
    while (static_cast<int>(s.size()) < n) AppendRandomChar(rng, s);
    return s;
}

std::wstring RandomSwitchToken(Rng& rng) {
    if (rng.Chance(15)) return rng.Pick({L"/silent", L"/assocallusers", L"/currentuser"});
    if (rng.Chance(15)) return rng.Pick(kUndocumented);
    std::wstring token = rng.Pick(kValueSwitches);
    if (rng.Chance(30)) token = L"\"" + token;
    token += rng.Chance(50) ? std::to_wstring(rng.Below(5) - 1) : RandomText(rng, 40);
    if (rng.Chance(10)) token += std::wstring(rng.Below(300), L'a');
    return token;
}

std::wstring GeneratedLine(Rng& rng) {
    std::wstring line = rng.Pick(kProgramPaths);
    const int tokens = rng.Below(10);
    for (int i = 0; i < tokens; ++i) {
        line += rng.Pick({L" ", L" ", L"  ", L"", L"\t", L" \""});
        line += rng.Chance(80) ? RandomSwitchToken(rng) : RandomText(rng, 40);
    }
    if (rng.Chance(20)) {   // run across the cut
        while (line.size() < kCut + 10) line += RandomSwitchToken(rng) + L" ";
    }
    return line;
}

std::wstring Mutated(Rng& rng, std::wstring line) {
    for (int e = 1 + rng.Below(6); e > 0; --e) {
        const size_t at = static_cast<size_t>(rng.Below(static_cast<int>(line.size()) + 1));
        switch (rng.Below(4)) {
        case 0: {
            std::wstring c;
            AppendRandomChar(rng, c);
            line.insert(at, c);
            break;
        }
        case 1: line.erase(at, 1 + rng.Below(4)); break;
        case 2: line.insert(at, RandomSwitchToken(rng)); break;
        default: line.insert(at, line.substr(at, 1 + rng.Below(60))); break;
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

// --- the real function between guard bytes ------------------------------

constexpr unsigned char kGuardByte = 0xA5;
constexpr wchar_t kUnusedChar = 0xFDFD;

struct GuardedChoices {
    unsigned char before[64];
    SilentChoices choices;
    unsigned char after[64];
};

// The defaults start-up puts in before the switches are read.
void SetDefaults(SilentChoices& c, const std::wstring& folder, const std::wstring& ini) {
    for (int i = 0; i < kLongChars; ++i) c.targetFolder[i] = c.iniFolder[i] = kUnusedChar;
    wmemcpy(c.targetFolder, folder.c_str(), folder.size() + 1);
    wmemcpy(c.iniFolder, ini.c_str(), ini.size() + 1);
    c.startMenuGroup = c.desktopShortcut = c.thumbnailsShortcut = c.shortcutsAllUsers = true;
}

struct Parsed {
    GuardedChoices g;
    Parsed(const std::wstring& line, const std::wstring& folder, const std::wstring& ini) {
        std::memset(g.before, kGuardByte, sizeof g.before);
        std::memset(g.after, kGuardByte, sizeof g.after);
        SetDefaults(g.choices, folder, ini);
        ApplySilentSwitches(line.c_str(), g.choices);
    }
    const SilentChoices& c() const { return g.choices; }
};

bool SameChoices(const SilentChoices& a, const SilentChoices& b) {
    return wcscmp(a.targetFolder, b.targetFolder) == 0 && wcscmp(a.iniFolder, b.iniFolder) == 0 &&
           a.iniFolderGiven == b.iniFolderGiven && a.startMenuGroup == b.startMenuGroup &&
           a.desktopShortcut == b.desktopShortcut && a.thumbnailsShortcut == b.thumbnailsShortcut &&
           a.shortcutsAllUsers == b.shortcutsAllUsers && a.associationsAllUsers == b.associationsAllUsers &&
           a.associationsRequested == b.associationsRequested &&
           std::memcmp(a.associations.slots, b.associations.slots, sizeof a.associations.slots) == 0;
}

// A path value as read: within the switch's limit (260 characters counted
// from the switch's start), terminated, nothing written beyond it, no '/', and either the default untouched (switch absent) or a
// piece of the line (a value can only lose characters at its ends).
std::string PathProblem(const wchar_t* buffer, const wchar_t* name, const std::wstring& cut,
                        const std::wstring& fallback) {
    const size_t length = wcsnlen(buffer, kLongChars);
    if (length >= static_cast<size_t>(kLongChars)) return "value without terminator";
    // The raw value and its terminator fit the limit; trimming it in place
    // leaves characters behind the new terminator, never beyond.
    const bool absent = cut.find(name) == std::wstring::npos;
    const size_t limit = 260 - wcslen(name);
    for (size_t i = absent ? 0 : limit + 1; i < static_cast<size_t>(kLongChars); ++i) {
        const wchar_t before = i < fallback.size() ? fallback[i] : i == fallback.size() ? L'\0' : kUnusedChar;
        if (buffer[i] != before) return absent ? "changed without its switch" : "written past the value's limit";
    }
    if (absent) return "";
    const std::wstring value(buffer, length);
    if (length > limit) return "value longer than its limit";
    if (value.find(L'/') != std::wstring::npos) return "value holds a '/'";
    if (cut.find(value) == std::wstring::npos) return "value is no piece of the line";
    return "";
}

std::string Problem(const std::wstring& line, Rng& rng) {
    const std::wstring folder = rng.Chance(50) ? L"C:\\Program Files\\Pixolum\\" : std::wstring(259, L'd');
    const std::wstring ini = rng.Chance(50) ? L"%APPDATA%\\Pixolum" : L"";
    const Parsed p(line, folder, ini);
    const SilentChoices& c = p.c();
    const std::wstring cut = line.substr(0, kCut);

    for (size_t i = 0; i < sizeof p.g.before; ++i) {
        if (p.g.before[i] != kGuardByte || p.g.after[i] != kGuardByte) return "guard bytes overwritten";
    }
    std::string problem = PathProblem(c.targetFolder, L"/folder=", cut, folder);
    if (problem.empty()) problem = PathProblem(c.iniFolder, L"/ini=", cut, ini);
    if (!problem.empty()) return problem;

    const struct { const wchar_t* name; bool value; } numbers[] = {
        {L"/desktop=", c.desktopShortcut}, {L"/thumbs=", c.thumbnailsShortcut},
        {L"/group=", c.startMenuGroup}, {L"/allusers=", c.shortcutsAllUsers}};
    for (const auto& n : numbers) {
        if (cut.find(n.name) == std::wstring::npos && !n.value) return "flag changed without its switch";
    }
    // Nothing, the 49 picture formats, or all 64 slots; requested with either.
    int chosen = 0;
    while (chosen < kSelectionSlots && c.associations.slots[chosen] == 1) ++chosen;
    for (int i = chosen; i < kSelectionSlots; ++i) {
        if (c.associations.slots[i] != 0) return "association slots not a documented choice";
    }
    if ((chosen != 0 && chosen != kPictureSlots && chosen != kSelectionSlots) ||
        c.associationsRequested != (chosen != 0)) {
        return "association slots not a documented choice";
    }
    if (chosen != 0 && cut.find(L"/assoc=") == std::wstring::npos) return "associations without /assoc=";
    if (c.associationsAllUsers != (cut.find(L"/assocallusers") != std::wstring::npos)) {
        return "/assocallusers not read from the line";
    }
    if (IsSilentCommandLine(line.c_str()) != (line.find(L"/silent") != std::wstring::npos)) {
        return "silent mode not found by its switch";
    }

    // What follows the 519th character changes nothing.
    if (line.size() > kCut) {
        std::wstring other = cut;
        for (int i = rng.Below(80); i > 0; --i) other += rng.Chance(50) ? RandomSwitchToken(rng) : L"x";
        if (!SameChoices(Parsed(other, folder, ini).c(), c)) return "text after the cut changed a choice";
    }
    // An undocumented switch after a blank is ignored.
    const std::wstring extra = std::wstring(L" ") + rng.Pick(kUndocumented);
    if (line.size() + extra.size() <= kCut && !SameChoices(Parsed(line + extra, folder, ini).c(), c)) {
        return "an undocumented switch changed a choice";
    }
    return "";
}

void Check(const std::wstring& line, Rng& rng, int& failures) {
    const std::string problem = Problem(line, rng);
    if (!problem.empty() && ++failures <= 20) {
        ADD_FAILURE() << problem << "\n  input (" << line.size() << " characters): " << Escaped(line);
    }
}

// Choices written as documented switches, in random order, spacing and
// quoting, come back exactly as chosen.
TEST(CommandLineFuzz, ChosenSwitchesComeBackAsChosen) {
    Rng rng(0x43484F53454E31ull);
    int failures = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::wstring folder = rng.Pick({L"C:\\Pixo Test\\Ziel", L"D:\\Übung\\", L"E:\\数据\\图片",
                                              L"\\\\server\\share\\Pixolum", L"C:\\a b  c"});
        const std::wstring ini = rng.Pick({L"%APPDATA%\\Pixolum", L"D:\\Einstellungen", L""});
        const int numbers[4] = {rng.Below(3), rng.Pick({0, 1, -1, 42, INT_MAX, INT_MIN}), rng.Below(2),
                                rng.Below(2)};
        const int assoc = rng.Below(4);
        const bool assocAllUsers = rng.Chance(50);
        std::vector<std::wstring> tokens;
        // Values in quotes: a quote before the next switch's name would end
        // up in a quoted value before it (one quote is stripped per side).
        tokens.push_back(rng.Chance(50) ? L"/folder=\"" + folder + L"\"" : L"/folder=" + folder);
        tokens.push_back(rng.Chance(50) ? L"/ini=\"" + ini + L"\"" : L"/ini=" + ini);
        const wchar_t* const names[4] = {L"/desktop=", L"/thumbs=", L"/group=", L"/allusers="};
        for (int i = 0; i < 4; ++i) tokens.push_back(names[i] + std::to_wstring(numbers[i]));
        tokens.push_back(L"/assoc=" + std::wstring(rng.Chance(30) ? L" " : L"") + std::to_wstring(assoc));
        if (assocAllUsers) tokens.push_back(L"/assocallusers");
        tokens.push_back(L"/silent");
        for (size_t i = tokens.size(); i > 1; --i) std::swap(tokens[i - 1], tokens[rng.Below(static_cast<int>(i))]);
        std::wstring line = rng.Pick(kProgramPaths);
        // Blanks only: a tab before the next switch would stay in a path value.
        for (const std::wstring& token : tokens) line += rng.Pick({L" ", L"  "}) + token;

        const Parsed p(line, L"C:\\Default\\", L"%APPDATA%\\Pixolum");
        const SilentChoices& c = p.c();
        const int selected = assoc == 1 ? kPictureSlots : assoc == 2 ? kSelectionSlots : 0;
        // A number asks for its link unless it is 0.
        bool ok = c.targetFolder == folder && c.iniFolder == ini && c.iniFolderGiven &&
                  c.desktopShortcut == (numbers[0] != 0) && c.thumbnailsShortcut == (numbers[1] != 0) &&
                  c.startMenuGroup == (numbers[2] != 0) && c.shortcutsAllUsers == (numbers[3] != 0) &&
                  c.associationsRequested == (selected != 0) && c.associationsAllUsers == assocAllUsers &&
                  IsSilentCommandLine(line.c_str());
        for (int i = 0; i < kSelectionSlots; ++i) ok = ok && c.associations.slots[i] == (i < selected ? 1 : 0);
        if (!ok && ++failures <= 20) ADD_FAILURE() << "choices differ for " << Escaped(line);
    }
    EXPECT_EQ(failures, 0);
}

TEST(CommandLineFuzz, AnyLineKeepsTheDocumentedPromises) {
    Rng rng(0x5049584F4C554D31ull);   // fixed: "PIXOLUM1"
    int failures = 0;
    int tried = 0;
    std::vector<std::wstring> corpus = {L"setup.exe /silent /ini=/group=1", L"setup.exe /silent /folder="};
    for (int i = 0; i < 8000; ++i, ++tried) {
        const std::wstring line = GeneratedLine(rng);
        Check(line, rng, failures);
        if (i % 8 == 0) corpus.push_back(line);
    }
    for (int i = 0; i < 8000; ++i, ++tried) {
        Check(Mutated(rng, corpus[static_cast<size_t>(rng.Below(static_cast<int>(corpus.size())))]), rng,
              failures);
    }
    // Each value switch running across the cut, at every length around it.
    for (const wchar_t* sw : kValueSwitches) {
        for (size_t at = 505; at <= 522; ++at, ++tried) {
            std::wstring line = L"setup.exe /silent" + std::wstring(at - 17, L' ') + sw + L"\"12 C:\\Ü\"";
            line += std::wstring(rng.Below(20), L'7');
            Check(line, rng, failures);
        }
    }
    std::printf("command lines tried: %d, failures: %d\n", tried, failures);
    EXPECT_EQ(failures, 0);
}

// ReadSwitchValue on its own, into a destination of exactly 260 characters
// followed by guard characters: the value is the source's text after the
// switch up to the next '/', within min(length, 260), and the index reached
// is where it ended.
TEST(CommandLineFuzz, ReadSwitchValueStaysInsideItsLimit) {
    Rng rng(0x52454144ull);
    int failures = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::wstring sw = rng.Pick(kValueSwitches);
        const std::wstring source = sw + RandomText(rng, rng.Chance(30) ? 600 : 40);
        struct {
            wchar_t value[kPathChars];
            wchar_t guard[16];
        } d;
        for (wchar_t& ch : d.value) ch = kUnusedChar;
        for (wchar_t& ch : d.guard) ch = kUnusedChar;
        const int start = static_cast<int>(sw.size());
        const int reached = ReadSwitchValue(source.c_str(), d.value, start, kPathChars);
        bool ok = true;
        for (wchar_t ch : d.guard) ok = ok && ch == kUnusedChar;
        const size_t length = wcsnlen(d.value, kPathChars);
        const size_t end = source.size() < 260 ? source.size() : 260;
        ok = ok && length < static_cast<size_t>(kPathChars) && reached == start + static_cast<int>(length) &&
             source.compare(sw.size(), length, d.value) == 0 &&
             std::wstring(d.value, length).find(L'/') == std::wstring::npos &&
             (static_cast<size_t>(reached) == end || source[static_cast<size_t>(reached)] == L'/');
        if (!ok && ++failures <= 10) ADD_FAILURE() << "ReadSwitchValue on " << Escaped(source);
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
