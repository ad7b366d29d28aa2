// The wizard's and the controls' rules that need no window: the product
// folder of the browse button, the folder check, placeholder texts, page
// navigation, the release-notes buffer and the hyperlink's geometry and
// handler command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link_command.h"
#include "link_geometry.h"
#include "navigation.h"
#include "release_notes.h"
#include "welcome_rules.h"

namespace {

std::wstring Folder(const std::wstring& chosen) {
    std::wstring folder = L"(unchanged)";
    EXPECT_TRUE(ApplyProductFolderRule(chosen, folder)) << "chosen length " << chosen.size();
    return folder;
}

TEST(ProductFolderRule, AppendsTheProductFolderToOrdinaryFolders) {
    EXPECT_EQ(Folder(L"D:\\Programme\\"), L"D:\\Programme\\Pixolum\\");
    EXPECT_EQ(Folder(L"D:\\Programme"), L"D:\\Programme\\Pixolum\\");
    EXPECT_EQ(Folder(L"C:\\Program Files (x86)\\Tools\\"),
              L"C:\\Program Files (x86)\\Tools\\Pixolum\\");
    // A folder that merely starts or ends like the product is not the product folder.
    EXPECT_EQ(Folder(L"D:\\Pixolum2\\"), L"D:\\Pixolum2\\Pixolum\\");
    EXPECT_EQ(Folder(L"D:\\MyPixolum\\"), L"D:\\MyPixolum\\Pixolum\\");
}

TEST(ProductFolderRule, KeepsAFolderNamedAfterTheProductInAnyCase) {
    EXPECT_EQ(Folder(L"D:\\Tools\\PIXOLUM"), L"D:\\Tools\\PIXOLUM\\");
    EXPECT_EQ(Folder(L"D:\\Tools\\pixolum\\"), L"D:\\Tools\\pixolum\\");
    EXPECT_EQ(Folder(L"C:\\PiXoLuM\\"), L"C:\\PiXoLuM\\");
}

TEST(ProductFolderRule, DriveRootsGetTheProductFolderOtherTopLevelsDoNot) {
    EXPECT_EQ(Folder(L"E:\\"), L"E:\\Pixolum\\");
    EXPECT_EQ(Folder(L"E:"), L"E:\\Pixolum\\");
    // No backslash before the last element: only a 3-character root qualifies.
    EXPECT_EQ(Folder(L"Tools\\"), L"Tools\\");
    EXPECT_EQ(Folder(L"\\Tools\\"), L"\\Tools\\");
    // A share is an ordinary folder.
    EXPECT_EQ(Folder(L"\\\\server\\share\\"), L"\\\\server\\share\\Pixolum\\");
}

TEST(ProductFolderRule, RefusesResultsLongerThanAPath) {
    // 251 + "Pixolum\" = 259 characters: the longest path the field may hold.
    const std::wstring fits = L"C:\\" + std::wstring(247, L'a') + L"\\";
    ASSERT_EQ(fits.size(), 251u);
    EXPECT_EQ(Folder(fits).size(), 259u);

    std::wstring folder = L"(unchanged)";
    EXPECT_FALSE(ApplyProductFolderRule(fits.substr(0, 250) + L"b\\", folder));
    EXPECT_EQ(folder, L"(unchanged)");
    // The backslash alone may push a 259-character choice over the limit.
    EXPECT_FALSE(ApplyProductFolderRule(L"C:\\" + std::wstring(248, L'a') + L"\\pixolum", folder));
    EXPECT_EQ(folder, L"(unchanged)");
    EXPECT_EQ(Folder(L"C:\\" + std::wstring(247, L'a') + L"\\pixolum").size(), 259u);
}

TEST(TargetFolderCheck, NeedsADrivePartOfTheUntrimmedText) {
    EXPECT_TRUE(IsTargetFolderAccepted(L"C:\\Programme\\Pixolum\\"));
    EXPECT_TRUE(IsTargetFolderAccepted(L"C:"));
    EXPECT_TRUE(IsTargetFolderAccepted(L"d:relative"));
    EXPECT_FALSE(IsTargetFolderAccepted(L""));
    EXPECT_FALSE(IsTargetFolderAccepted(nullptr));
    EXPECT_FALSE(IsTargetFolderAccepted(L"C"));
    EXPECT_FALSE(IsTargetFolderAccepted(L" C:\\Pixolum"));
    EXPECT_FALSE(IsTargetFolderAccepted(L"\\\\server\\share\\"));
    EXPECT_FALSE(IsTargetFolderAccepted(L"Programme\\Pixolum"));
    EXPECT_FALSE(IsTargetFolderAccepted(L"\\Pixolum\\"));
}

TEST(PagePlaceholders, FillInOrderAndOnlyOnce) {
    const std::wstring heading =
        FormatPlaceholders(L"Willkommen zur Pixolum %s Installation!", {L"32"});
    EXPECT_EQ(heading, L"Willkommen zur Pixolum 32 Installation!");
    // Formatting the result again changes nothing: no placeholder is left.
    EXPECT_EQ(FormatPlaceholders(heading, {L"64"}), heading);
    EXPECT_EQ(FormatPlaceholders(L"Version  %s  (%s bit)\n(Admin)", {L"4.72", L"32"}),
              L"Version  4.72  (32 bit)\n(Admin)");
    EXPECT_EQ(FormatPlaceholders(L"100%% %s %d %", {L"x"}), L"100% x %d %");
    EXPECT_EQ(FormatPlaceholders(L"%s and %s", {L"one"}), L"one and ");
}

TEST(Navigation, StepsToTheNearestIncludedPage) {
    const std::vector<PageSlot> all = {{101, TRUE}, {108, TRUE}, {104, TRUE}, {109, TRUE},
                                       {110, TRUE}};
    const int n = static_cast<int>(all.size());
    EXPECT_EQ(NeighbourPageIdOf(all.data(), n, 0, TRUE), 108);
    EXPECT_EQ(NeighbourPageIdOf(all.data(), n, 1, TRUE), 104);
    EXPECT_EQ(NeighbourPageIdOf(all.data(), n, 3, TRUE), 110);
    EXPECT_EQ(NeighbourPageIdOf(all.data(), n, 1, FALSE), 101);
    EXPECT_EQ(NeighbourPageIdOf(all.data(), n, 4, FALSE), 109);
    // Never 0 (the platform's own neighbour): -1 at both ends.
    EXPECT_EQ(NeighbourPageIdOf(all.data(), n, 0, FALSE), -1);
    EXPECT_EQ(NeighbourPageIdOf(all.data(), n, 4, TRUE), -1);

    const std::vector<PageSlot> gaps = {{101, TRUE}, {108, FALSE}, {104, FALSE}, {109, TRUE},
                                        {110, FALSE}};
    EXPECT_EQ(NeighbourPageIdOf(gaps.data(), n, 0, TRUE), 109);
    EXPECT_EQ(NeighbourPageIdOf(gaps.data(), n, 3, FALSE), 101);
    EXPECT_EQ(NeighbourPageIdOf(gaps.data(), n, 3, TRUE), -1);
    EXPECT_EQ(NeighbourPageIdOf(gaps.data(), n, 2, FALSE), 101);
}

std::wstring CopiedNotes(const std::wstring& resource, size_t units) {
    std::vector<wchar_t> buffer(units, L'#');
    CopyReleaseNotes(resource.data(), resource.size() * sizeof(wchar_t), buffer.data(), units);
    return std::wstring(buffer.data());
}

std::wstring ShownNotes(const std::wstring& resource, size_t units = kReleaseNotesUnits) {
    std::vector<wchar_t> buffer(units, L'#');
    CopyReleaseNotes(resource.data(), resource.size() * sizeof(wchar_t), buffer.data(), units);
    TrimReleaseNotesEnd(buffer.data());
    return std::wstring(buffer.data());
}

TEST(ReleaseNotes, EndAtTheLastLetterOrDigit) {
    EXPECT_EQ(ShownNotes(L"\xFEFF- Neu: Diashow.\r\n\r\n  "), L"\xFEFF- Neu: Diashow");
    EXPECT_EQ(ShownNotes(L"\xFEFFVersion 4.72 (14.03.2025)\r\n"), L"\xFEFFVersion 4.72 (14.03.2025");
    EXPECT_EQ(ShownNotes(L"\xFEFFGrüße!\t"), L"\xFEFFGrüße");
    EXPECT_EQ(ShownNotes(L"\xFEFF-\r\n..."), L"");
    EXPECT_EQ(ShownNotes(L""), L"");
}

TEST(ReleaseNotes, TooLongNotesAreCutInsideTheBufferAtAWholeCharacter) {
    // Exactly the buffer: the last unit is sacrificed for the terminator.
    std::wstring full(kReleaseNotesUnits, L'a');
    full[0] = 0xFEFF;
    const std::wstring shown = ShownNotes(full);
    EXPECT_EQ(shown.size(), kReleaseNotesUnits - 1);

    // A surrogate pair that would be split at the limit goes as a whole.
    std::wstring pair(9, L'b');
    pair[6] = 0xD83D;
    pair[7] = 0xDE00;
    EXPECT_EQ(CopiedNotes(pair, 8), L"bbbbbb");
    EXPECT_EQ(CopiedNotes(pair, 9), pair.substr(0, 8));
    EXPECT_EQ(CopiedNotes(pair, 10), pair);

    // An odd byte count: the half character is not copied.
    std::vector<wchar_t> buffer(4, L'#');
    const wchar_t notes[] = L"ab";
    CopyReleaseNotes(notes, 5, buffer.data(), buffer.size());
    EXPECT_EQ(std::wstring(buffer.data()), L"ab");
}

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) { return RECT{left, top, right, bottom}; }

void ExpectRect(const RECT& actual, const RECT& expected) {
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
}

TEST(FitToText, KeepsTheEdgeOrCentreOfItsAlignment) {
    // 100 x 20 window with a 1-pixel border all round; text 40 x 13.
    const RECT window = Rect(10, 50, 110, 70);
    const RECT client = Rect(11, 51, 109, 69);
    const SIZE text = {40, 13};
    ExpectRect(FitLinkRect(window, client, text, SS_LEFT), Rect(10, 50, 52, 65));
    ExpectRect(FitLinkRect(window, client, text, SS_RIGHT), Rect(68, 50, 110, 65));
    // Centred: (100 - 42) / 2 = 29 from either side.
    ExpectRect(FitLinkRect(window, client, text, SS_CENTER), Rect(39, 50, 81, 65));
    // SS_CENTERIMAGE: (20 - 15) / 2 = 2 from top and bottom, so one pixel more stays.
    ExpectRect(FitLinkRect(window, client, text, SS_CENTER | SS_CENTERIMAGE),
               Rect(39, 52, 81, 68));
    ExpectRect(FitLinkRect(window, client, text, SS_LEFT | SS_CENTERIMAGE), Rect(10, 52, 52, 68));
}

TEST(FitToText, GrowsWhenTheTextIsLarger) {
    const RECT window = Rect(0, 0, 30, 10);
    const SIZE text = {51, 15};
    ExpectRect(FitLinkRect(window, window, text, SS_LEFT), Rect(0, 0, 51, 15));
    ExpectRect(FitLinkRect(window, window, text, SS_RIGHT), Rect(-21, 0, 30, 15));
    // Negative amounts grow both sides, truncated towards zero: -21 / 2 = -10.
    ExpectRect(FitLinkRect(window, window, text, SS_CENTER | SS_CENTERIMAGE),
               Rect(-10, -2, 40, 12));
}

std::wstring Command(const wchar_t* handler, const wchar_t* target, size_t chars = 520) {
    std::vector<wchar_t> command(chars, L'#');
    command[0] = L'\0';
    if (!BuildHandlerCommand(handler, target, command.data(), chars)) return L"(refused)";
    return command.data();
}

TEST(LinkHandlerCommand, CutsAtThePlaceholderAndAppendsTheTarget) {
    const wchar_t* target = L"https://www.pixolum.example/eula.htm";
    EXPECT_EQ(Command(L"\"C:\\Web\\browser.exe\" \"%1\"", target),
              L"\"C:\\Web\\browser.exe\"  https://www.pixolum.example/eula.htm");
    EXPECT_EQ(Command(L"C:\\Web\\browser.exe -url %1 -new", target),
              L"C:\\Web\\browser.exe -url  https://www.pixolum.example/eula.htm");
    EXPECT_EQ(Command(L"C:\\Web\\browser.exe", target),
              L"C:\\Web\\browser.exe https://www.pixolum.example/eula.htm");
    // The quoted placeholder wins over an earlier bare one.
    EXPECT_EQ(Command(L"b.exe %1x \"%1\"", L"t"), L"b.exe %1x  t");
}

TEST(LinkHandlerCommand, RefusesCommandsThatDoNotFit) {
    EXPECT_EQ(Command(L"abc", L"de", 7), L"abc de");
    EXPECT_EQ(Command(L"abc", L"def", 7), L"(refused)");
    EXPECT_EQ(Command(std::wstring(515, L'x').c_str(), L"1234"), L"(refused)");
    EXPECT_EQ(Command(std::wstring(514, L'x').c_str(), L"1234").size(), 519u);
}

}  // namespace
