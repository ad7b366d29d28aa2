#include <gtest/gtest.h>

#include <string>

#include "command_line.h"

namespace {

SilentChoices Parse(const std::wstring& line) {
    SilentChoices c;
    ApplySilentSwitches(line.c_str(), c);
    return c;
}

int SelectedSlots(const SilentChoices& c) {
    int n = 0;
    for (int v : c.associations.slots) n += v != 0;
    return n;
}

TEST(ReadSwitchValue, StopsAtSlashEndAndLimit) {
    wchar_t out[kLongChars] = {};
    EXPECT_EQ(ReadSwitchValue(L"/group=1 /x", out, 7, 260), 9);
    EXPECT_STREQ(out, L"1 ");
    ReadSwitchValue(L"/group=", out, 7, 260);
    EXPECT_STREQ(out, L"");
    ReadSwitchValue(L"/ini=/folder=x", out, 5, 260);
    EXPECT_STREQ(out, L"");
    // A value holds at most 260 minus the switch length characters.
    std::wstring longValue = L"/folder=" + std::wstring(400, L'a');
    ReadSwitchValue(longValue.c_str(), out, 8, 260);
    EXPECT_EQ(std::wstring(out).size(), 252u);
}

TEST(StripQuotes, RemovesOneQuoteEachSideAndTrailingBlanks) {
    struct Case { const wchar_t* in; const wchar_t* out; } cases[] = {
        {L"\"C:\\Pixo Test\\\" ", L"C:\\Pixo Test\\"},
        {L" C:\\Pixo Test\\Ziel \"", L" C:\\Pixo Test\\Ziel"},
        {L"C:\\A B ", L"C:\\A B"},
        {L"\"\"x\"\"", L"\"x\""},
        {L"\"", L""},
        {L"   ", L""},
        {L"", L""},
    };
    for (const Case& c : cases) {
        wchar_t buf[kLongChars] = {};
        wcsncpy(buf, c.in, kLongChars - 1);
        StripQuotes(buf, true);
        EXPECT_STREQ(buf, c.out) << c.in;
    }
}

TEST(ParseSwitchNumber, ReadsLeadingDecimalDigits) {
    EXPECT_EQ(ParseSwitchNumber(L"1"), 1);
    EXPECT_EQ(ParseSwitchNumber(L" 12abc"), 12);
    EXPECT_EQ(ParseSwitchNumber(L"-3"), -3);
    EXPECT_EQ(ParseSwitchNumber(L"yes"), 0);
    EXPECT_EQ(ParseSwitchNumber(L""), 0);
    EXPECT_EQ(ParseSwitchNumber(L"99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseSwitchNumber(L"-99999999999999999999"), -2147483647 - 1);
}

TEST(SilentCommandLine, SilentIsCaseSensitive) {
    EXPECT_TRUE(IsSilentCommandLine(L"setup.exe /silent"));
    EXPECT_FALSE(IsSilentCommandLine(L"setup.exe /SILENT"));
    EXPECT_FALSE(IsSilentCommandLine(L"setup.exe"));
}

TEST(SilentCommandLine, FolderValues) {
    EXPECT_STREQ(Parse(LR"(setup.exe /silent "/folder=C:\Pixo Test\" /group=1)").targetFolder,
                 LR"(C:\Pixo Test\)");
    // Quotes around the whole switch: the opening quote precedes the switch.
    EXPECT_STREQ(Parse(LR"(setup.exe /silent "/folder= C:\Pixo Test\Ziel ")").targetFolder,
                 LR"( C:\Pixo Test\Ziel)");
    // Every switch quoted as a whole, as deployment scripts write them: the
    // next switch's opening quote is no part of the path before it.
    SilentChoices both = Parse(LR"(setup.exe /silent "/folder=C:\Pixo Test" "/ini=D:\Pix Daten" /group=1)");
    EXPECT_STREQ(both.targetFolder, LR"(C:\Pixo Test)");
    EXPECT_STREQ(both.iniFolder, LR"(D:\Pix Daten)");
    EXPECT_STREQ(Parse(LR"(setup.exe /silent /folder="D:\x" "/desktop=1")").targetFolder, LR"(D:\x)");
    EXPECT_STREQ(Parse(LR"(setup.exe /silent /folder=C:\A B /desktop=1)").targetFolder,
                 LR"(C:\A B)");
    EXPECT_STREQ(Parse(L"setup.exe /silent /folder=").targetFolder, L"");
    EXPECT_STREQ(Parse(L"setup.exe /silent /FOLDER=C:\\X").targetFolder, L"");
}

TEST(SilentCommandLine, NumericSwitches) {
    // A number: any but 0 asks for the link; no digits count as 0.
    SilentChoices c = Parse(L"x /silent /desktop=1 /thumbs= 7 /group=2x /allusers=no");
    EXPECT_TRUE(c.desktopShortcut);
    EXPECT_TRUE(c.thumbnailsShortcut);
    EXPECT_TRUE(c.startMenuGroup);
    EXPECT_FALSE(c.shortcutsAllUsers);
}

TEST(SilentCommandLine, AssociationSwitches) {
    SilentChoices pictures = Parse(L"x /silent /assoc=1");
    EXPECT_EQ(SelectedSlots(pictures), 49);
    EXPECT_EQ(pictures.associations.slots[48], 1);
    EXPECT_EQ(pictures.associations.slots[49], 0);
    EXPECT_TRUE(pictures.associationsRequested);
    EXPECT_FALSE(pictures.associationsAllUsers);

    SilentChoices all = Parse(L"x /silent /assoc=2 /assocallusers");
    EXPECT_EQ(SelectedSlots(all), 64);
    EXPECT_TRUE(all.associationsAllUsers);

    SilentChoices other = Parse(L"x /silent /assoc=3");
    EXPECT_EQ(SelectedSlots(other), 0);
    EXPECT_FALSE(other.associationsRequested);
    // "/assocallusers" alone is not "/assoc=".
    EXPECT_FALSE(Parse(L"x /silent /assocallusers").associationsRequested);
}

TEST(SilentCommandLine, IniSwitchReplacesOrEmptiesTheDefault) {
    SilentChoices c;
    wcscpy(c.iniFolder, L"%APPDATA%\\Pixolum");
    ApplySilentSwitches(L"x /silent /ini=/group=1", c);
    EXPECT_STREQ(c.iniFolder, L"");
    EXPECT_TRUE(c.startMenuGroup);

    wcscpy(c.iniFolder, L"%APPDATA%\\Pixolum");
    ApplySilentSwitches(L"x /silent", c);
    EXPECT_STREQ(c.iniFolder, L"%APPDATA%\\Pixolum");

    ApplySilentSwitches(L"x /silent \"/ini=D:\\Einstellungen\"", c);
    EXPECT_STREQ(c.iniFolder, L"D:\\Einstellungen");
}

TEST(SilentCommandLine, SwitchesAreSearchedInTheFirst519Characters) {
    const std::wstring head = L"setup.exe /silent ";
    auto lineWithGroupAt = [&](size_t position) {
        return head + std::wstring(position - head.size(), L'x') + L"/group=1";
    };
    // "/group=1" is 8 characters: fully inside, cut in its value, cut in its name.
    EXPECT_TRUE(Parse(lineWithGroupAt(511)).startMenuGroup);   // ends at 519
    EXPECT_FALSE(Parse(lineWithGroupAt(512)).startMenuGroup);   // value cut off: empty, 0
    EXPECT_FALSE(Parse(lineWithGroupAt(513)).startMenuGroup);   // name cut off: absent
    EXPECT_TRUE(IsSilentCommandLine((std::wstring(600, L'x') + L" /silent").c_str()));
}

}  // namespace
