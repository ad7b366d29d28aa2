// The real setup.exe in wizard mode under Wine and a display: every button is
// pressed and every message box answered as a user would, from outside.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "gui_driver.h"
#include "wizard_fixture.h"

using namespace pxgui;

namespace {

const std::wstring kHeading = L"Willkommen zur Pixolum 32 Installation!";
const std::wstring kIntro =
    L"Dieses Programm wird Pixolum Version  " PX_EXPECTED_VERSION L"  (32 bit) auf Ihrem PC installieren.\n"
    L"(Bitte mit Admin-Rechten ausführen)";
const std::wstring kViewerRunning =
    L"Warnung: Pixolum läuft!\nBeenden Sie bitte Pixolum bevor Sie mit der Installation "
    L"fortsetzen!";

// The default folder as the setup must compute it: the 32-bit Program Files
// folder of this machine plus the product folder.
// The registry view of the setup under test: a 32-bit setup on 64-bit
// Windows reads the 32-bit one, whose ProgramFilesDir is "Program Files (x86)".
REGSAM SetupView() {
    HANDLE file = CreateFileW(g_setupExe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    BYTE header[1024] = {};
    DWORD read = 0;
    ReadFile(file, header, sizeof(header), &read, nullptr);
    CloseHandle(file);
    const DWORD pe = *reinterpret_cast<const DWORD*>(header + 0x3C);
    const bool i386 = pe + 6 <= read && *reinterpret_cast<const WORD*>(header + pe + 4) == 0x14C;
    return i386 ? KEY_WOW64_32KEY : 0;
}

std::wstring ExpectedDefaultFolder() {
    HKEY key = nullptr;
    std::wstring folder = L"C:\\Pixolum\\";
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | SetupView(), &key) == ERROR_SUCCESS) {
        wchar_t value[260] = {};
        DWORD size = sizeof(value) - sizeof(wchar_t);
        if (RegQueryValueExW(key, L"ProgramFilesDir", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS) {
            folder = value;
            if (folder.empty() || folder.back() != L'\\') folder += L'\\';
            folder += L"Pixolum";
        }
        RegCloseKey(key);
    }
    return folder;
}

class Wizard : public WizardFixture {
protected:
    void ExpectWelcomeButtons() {
        EXPECT_EQ(ItemText(m_sheet, kBack), L"< &Zurück");
        EXPECT_EQ(ItemText(m_sheet, kNext), L"&Weiter >");
        EXPECT_EQ(ItemText(m_sheet, IDCANCEL), L"B&eenden");
        EXPECT_TRUE(WaitUntil([this] { return !IsEnabled(m_sheet, kBack); }))
            << "Back must be disabled on the welcome page";
        EXPECT_TRUE(IsEnabled(m_sheet, kNext));
        EXPECT_TRUE(IsEnabled(m_sheet, IDCANCEL));
    }
};

TEST_F(Wizard, OpensOnTheWelcomePageWithTitleTextsButtonsAndDefaults) {
    Start();
    EXPECT_EQ(Text(m_sheet), kTitle);
    ExpectWelcomeButtons();
    HWND page = Page();
    EXPECT_EQ(ItemText(page, 1013), kHeading);
    EXPECT_EQ(ItemText(page, 1056), kIntro);
    EXPECT_TRUE(IsChecked(page, 1011));
    EXPECT_TRUE(IsChecked(page, 1021));
    EXPECT_TRUE(IsChecked(page, 1012));
    EXPECT_TRUE(IsChecked(page, 1016));
    EXPECT_FALSE(IsChecked(page, 1017));
    EXPECT_TRUE(IsEnabled(page, 1016));
    EXPECT_TRUE(IsEnabled(page, 1017));
    EXPECT_EQ(ItemText(page, 1000), ExpectedDefaultFolder());
    // The EULA label became the hyperlink: it now notifies clicks.
    EXPECT_EQ(ItemText(page, 1045), L"Pixolum EULA");
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(page, 1045), GWL_STYLE) & SS_NOTIFY);
    ExpectNoBox();
}

TEST_F(Wizard, EveryPageKeepsTheTitleShowsTextsWholeAndUsesEachMnemonicOnce) {
    Start();
    // The template font must be the one the pages really use: the target
    // field is 212 dialog units wide.
    RECT field = {};
    GetWindowRect(GetDlgItem(Page(), 1000), &field);
    EXPECT_EQ(field.right - field.left, DialogUnitsToPixelsX(212));
    ExpectTitleAndTextsFit(0);
    for (int page = 1; page <= 3; ++page) {
        Next(page);
        ExpectTitleAndTextsFit(page);
    }
    Back(2);
    Back(1);
    Back(0);
    EXPECT_EQ(Text(m_sheet), kTitle) << "after going back";
}

TEST_F(Wizard, PagesFitTheScreensDpiWithTheLogoFillingItsSlot) {
    Start();
    ExpectLaidOutForTheDpi(0, true);
    for (int page = 1; page <= 3; ++page) {
        Next(page);
        ExpectLaidOutForTheDpi(page, page == 3);
    }
}

TEST_F(Wizard, AMoveToAScreenOfTwiceTheDpiLaysThePageOutAgain) {
    Start();
    RECT before = {};
    GetWindowRect(Page(), &before);
    const int dpi = 2 * ScreenDpi();
    // Windows sends it with the suggested window rectangle; without one the
    // sheet stays where it is.
    SendMessageW(m_sheet, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), 0);
    RECT after = {};
    GetWindowRect(Page(), &after);
    EXPECT_NEAR(after.right - after.left, 2 * (before.right - before.left), 2);
    EXPECT_NEAR(after.bottom - after.top, 2 * (before.bottom - before.top), 2);
    ExpectLaidOutForTheDpi(0, true);
}

TEST_F(Wizard, TabIntoTheFormatListThenSpaceTicksItsFirstRow) {
    Start();
    Next(1);
    Next(2);
    HWND page = Page();
    HWND list = GetDlgItem(page, 1579);
    ClickItem(page, 3311);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(list) != FALSE; }));
    // Backwards from the switch: past "Für alle User (XP)" where it shows.
    for (int press = 0; press < 3 && FocusOf(m_sheet) != list; ++press) {
        ASSERT_TRUE(TypeKeys(m_sheet, "shift+Tab")) << "no key server";
        WaitUntil([&] { return FocusOf(m_sheet) == list; }, 1000);
    }
    ASSERT_EQ(FocusOf(m_sheet), list) << "Shift+Tab never reached the list";
    ASSERT_TRUE(TypeKeys(m_sheet, "space"));
    EXPECT_TRUE(WaitUntil([&] { return ListStateImage(list, 0) == 2; })) << "row 0 not ticked";
    EXPECT_EQ(ListStateImage(list, 1), 1u);
}

TEST_F(Wizard, KeysDoWhatTheirLettersSay) {
    Start();
    HWND page = Page();
    auto type = [&](const char* keys) { ASSERT_TRUE(TypeKeys(m_sheet, keys)) << "no key server"; };
    type("alt+a");
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(page, 1017); })) << "Alt+A";
    // B chooses the current user, not "Beenden".
    type("alt+b");
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(page, 1016); })) << "Alt+B";
    ExpectNoBox(500);
    // The arrow keys stay inside the group of the two choices.
    for (int id : {1017, 1016, 1017}) {
        type("Down");
        EXPECT_TRUE(WaitUntil([&] { return IsChecked(page, id) && FocusOf(m_sheet) == GetDlgItem(page, id); }))
            << "Down should reach " << id;
    }
    // D and M each tick their own box.
    type("alt+d");
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(page, 1011); })) << "Alt+D";
    EXPECT_TRUE(IsChecked(page, 1021));
    type("alt+m");
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(page, 1021); })) << "Alt+M";
    EXPECT_FALSE(IsChecked(page, 1011));
    type("alt+e");
    ExpectBox(L"Installation beenden?", IDNO, IDNO);

    // Enter is Next; Escape asks before it leaves.
    type("Return");
    ASSERT_TRUE(WaitForPage(m_sheet, 1)) << "Enter";
    type("Escape");
    ExpectBox(L"Installation beenden?", IDNO, IDNO);
    type("alt+w");
    ASSERT_TRUE(WaitForPage(m_sheet, 2)) << "Alt+W";
    type("alt+r");
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(Page(), 3311); })) << "Alt+R";
    type("alt+w");
    ASSERT_TRUE(WaitForPage(m_sheet, 3));
    HWND ready = Page();
    type("alt+p");
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(ready, 1038); })) << "Alt+P";
    for (int id : {1039, 1038}) {
        type("Down");
        EXPECT_TRUE(WaitUntil([&] { return IsChecked(ready, id) && FocusOf(m_sheet) == GetDlgItem(ready, id); }))
            << "Down should reach " << id;
    }
    type("alt+z");
    ASSERT_TRUE(WaitForPage(m_sheet, 2)) << "Alt+Z";
}

TEST_F(Wizard, WhatsNewPageAndBackKeepTheWelcomePageAsItWas) {
    Start();
    HWND welcome = Page();
    ClickItem(welcome, 1021);
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(welcome, 1021); }));
    SetItemText(welcome, 1000, L"D:\\Bilder Programme\\Pixolum\\");

    Next(1);
    HWND notes = Page();
    EXPECT_EQ(ItemText(m_sheet, kBack), L"< &Zurück");
    EXPECT_EQ(ItemText(m_sheet, kNext), L"&Weiter >");
    EXPECT_EQ(ItemText(m_sheet, IDCANCEL), L"B&eenden");
    EXPECT_TRUE(IsEnabled(m_sheet, kBack));
    EXPECT_TRUE(IsEnabled(m_sheet, kNext));
    EXPECT_TRUE(IsEnabled(m_sheet, IDCANCEL));
    const std::wstring text = ItemText(notes, 1000);
    ASSERT_GT(text.size(), 100u);
    EXPECT_EQ(text[0], 0xFEFF) << "the byte-order mark stays the first character";
    EXPECT_NE(text.find(L"Pixolum " PX_EXPECTED_VERSION L"\t\t("), std::wstring::npos);
    EXPECT_NE(text.find(L"\r\n- "), std::wstring::npos);
    EXPECT_TRUE(iswalnum(text.back())) << "notes end at their last letter or digit";

    for (int round = 0; round < 2; ++round) {
        Back(0);
        ExpectWelcomeButtons();
        // Formatted once: going back shows the same texts, nothing formatted twice.
        EXPECT_EQ(ItemText(welcome, 1013), kHeading);
        EXPECT_EQ(ItemText(welcome, 1056), kIntro);
        EXPECT_FALSE(IsChecked(welcome, 1021)) << "choices survive the round trip";
        EXPECT_TRUE(IsChecked(welcome, 1011));
        EXPECT_EQ(ItemText(welcome, 1000), L"D:\\Bilder Programme\\Pixolum\\");
        Next(1);
    }
}

TEST_F(Wizard, NextIsRefusedWithoutAUsableFolder) {
    Start();
    HWND page = Page();
    const wchar_t* refused[] = {L"", L"Programme\\Pixolum", L" C:\\Pixolum",
                                L"\\\\server\\share\\Pixolum\\", L"C:\\", L"c:\\Windows",
                                L"C:\\windows\\System32\\Pixolum\\"};
    for (const wchar_t* folder : refused) {
        SCOPED_TRACE(testing::Message() << "folder of " << wcslen(folder) << " characters");
        SetItemText(page, 1000, folder);
        PressNext(m_sheet);
        ExpectBox(L"Ungültiges Zielverzeichnis!", IDOK);
        EXPECT_EQ(CurrentPageIndex(m_sheet), 0);
        EXPECT_EQ(ItemText(page, 1000), folder) << "the field is left as typed";
        // Every Next enables Back, also a refused one; Back then stays here.
        EXPECT_TRUE(IsEnabled(m_sheet, kBack));
        PressBack(m_sheet);
        ExpectNoBox();
        EXPECT_EQ(CurrentPageIndex(m_sheet), 0);
    }
    SetItemText(page, 1000, L"C:");
    Next(1);
}

TEST_F(Wizard, NoShortcutsButtonAndTheUserChoice) {
    Start();
    HWND page = Page();
    ClickItem(page, 1017);
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(page, 1017); }));
    ClickItem(page, 1019);
    ASSERT_TRUE(WaitUntil([&] { return !IsEnabled(page, 1016); }));
    EXPECT_FALSE(IsChecked(page, 1011));
    EXPECT_FALSE(IsChecked(page, 1021));
    EXPECT_FALSE(IsChecked(page, 1012));
    EXPECT_FALSE(IsEnabled(page, 1017));
    EXPECT_TRUE(IsChecked(page, 1017)) << "the user choice is kept while disabled";

    ClickItem(page, 1012);
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(page, 1016) && IsEnabled(page, 1017); }));
    ClickItem(page, 1011);
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(page, 1011); }));
    ClickItem(page, 1012);
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(page, 1012); }));
    EXPECT_TRUE(IsEnabled(page, 1016)) << "one box is still checked";
    ClickItem(page, 1011);
    ASSERT_TRUE(WaitUntil([&] { return !IsEnabled(page, 1016) && !IsEnabled(page, 1017); }));
}

TEST_F(Wizard, CancelAndTheCloseBoxAskFirst) {
    Start();
    Next(1);
    ClickItem(m_sheet, IDCANCEL);
    ExpectBox(L"Installation beenden?", IDNO, IDNO);
    EXPECT_TRUE(m_setup.IsRunning());
    EXPECT_EQ(CurrentPageIndex(m_sheet), 1);

    PostMessageW(m_sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectBox(L"Installation beenden?", IDNO, IDNO);
    EXPECT_TRUE(m_setup.IsRunning());
    EXPECT_EQ(CurrentPageIndex(m_sheet), 1);

    PostMessageW(m_sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectBox(L"Installation beenden?", IDYES, IDNO);
    // Yes closes without a second question.
    EXPECT_TRUE(m_setup.WaitForExit(kWaitMs)) << "the wizard did not close";
}

TEST_F(Wizard, CancelAnsweredYesClosesTheWizard) {
    Start();
    ClickItem(m_sheet, IDCANCEL);
    ExpectBox(L"Installation beenden?", IDYES, IDNO);
    DWORD exitCode = 1;
    EXPECT_TRUE(m_setup.WaitForExit(kWaitMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(Wizard, WarnsOfARunningViewerOnEveryVisitOfTheWelcomePage) {
    std::unique_ptr<FakeViewer> viewer(new FakeViewer);
    ASSERT_TRUE(viewer->IsUp());
    ASSERT_TRUE(m_setup.Start(g_setupExe));
    ExpectBox(kViewerRunning, IDOK);
    m_sheet = WaitForSheet(m_setup.Id());
    ASSERT_NE(m_sheet, nullptr);
    ASSERT_TRUE(WaitForPage(m_sheet, 0));
    EXPECT_EQ(ItemText(Page(), 1013), kHeading);

    // A warning only: the page can be left. Coming back warns again, while
    // the welcome page is being activated.
    Next(1);
    PressBack(m_sheet);
    ExpectBox(kViewerRunning, IDOK);
    ASSERT_TRUE(WaitForPage(m_sheet, 0));
    ExpectWelcomeButtons();

    viewer.reset();
    Next(1);
    Back(0);
    ExpectNoBox();
}

TEST_F(Wizard, OffersTheFolderOfAnEarlierInstallation) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Pixolum\\shell\\open\\command",
                              0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring command = L"\"D:\\Tools\\Pixolum\\pixo32.exe\" \"%1\"";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    Start();
    EXPECT_EQ(ItemText(Page(), 1000), L"D:\\Tools\\Pixolum\\");

    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Pixolum\\shell\\open\\command");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Pixolum\\shell\\open");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Pixolum\\shell");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Pixolum");
}

TEST_F(Wizard, BrowsingAddsTheProductFolderAndCancelKeepsTheField) {
    Start();
    HWND page = Page();
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);  // C:\windows: a folder that exists
    SetItemText(page, 1000, std::wstring(windows) + L"\\");

    ClickItem(page, 1009);
    HWND dialog = WaitForFolderDialog(m_setup.Id());
    ASSERT_NE(dialog, nullptr) << "no folder dialog";
    ASSERT_TRUE(Answer(dialog, IDCANCEL));
    EXPECT_EQ(ItemText(page, 1000), std::wstring(windows) + L"\\");

    ClickItem(page, 1009);
    dialog = WaitForFolderDialog(m_setup.Id());
    ASSERT_NE(dialog, nullptr) << "no folder dialog";
    ASSERT_TRUE(Answer(dialog, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return ItemText(page, 1000) != std::wstring(windows) + L"\\"; }));
    EXPECT_EQ(lstrcmpiW(ItemText(page, 1000).c_str(),
                        (std::wstring(windows) + L"\\Pixolum\\").c_str()), 0)
        << "field: " << testing::PrintToString(ItemText(page, 1000));
}

}  // namespace

namespace pxgui {
std::wstring g_setupExe;
}

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fwprintf(stderr, L"usage: wizard_gui_test SETUP_EXE\n");
        return 2;
    }
    g_setupExe = WindowsPath(argv[1]);
    return RUN_ALL_TESTS();
}
