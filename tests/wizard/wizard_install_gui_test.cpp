// The real setup.exe driven through its association, ready and finish pages
// under Wine and a display, installations included. The prefix's Windows
// version comes from PX_WINVER. FullInstallation runs first, in an untouched
// prefix: its script compares the result with the equivalent "/silent" run.
// Usage: wizard_install_gui_test SETUP_EXE VIEWER_WINDOW_EXE
//   PX_SILENT_ARGS  file that receives the equivalent silent command line
//   PX_OPENED_FILE  file the stand-in web browser writes the opened address into
// With "--browse FILE ADDRESS" the program is that stand-in browser.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "format_catalogue.h"
#include "gui_driver.h"
#include "wizard_fixture.h"

using namespace pxgui;

namespace {

std::wstring g_viewerWindowExe;

const std::wstring kAssocQuestion =
    L"Sie möchten die aktuellen Verknüpfungen ändern und einen oder mehrere Dateitypen mit "
    L"Pixolum verknüpfen!\n\nSind Sie sicher!?";
const std::wstring kViewerRunning =
    L"Warnung: Pixolum läuft!\nBeenden Sie bitte Pixolum bevor Sie mit der Installation "
    L"fortsetzen!";
const std::wstring kCannotCreate =
    L"Kann Zielverzeichnis nicht erstellen!\n\nBitte überprüfen Sie Ihre Schreibrechte und "
    L"System-Policies!\n\nVersuchen Sie das Zielverzeichnis zuerst händisch zu erstellen.";
const std::wstring kFaqAddress = L"https://www.pixolum.example/faq.htm";
const std::wstring kEulaAddress = L"https://www.pixolum.example/eula.htm";
constexpr int kInstallWaitMs = 90000;

// Controls of the pages.
constexpr int kFolder = 1000, kDesktopLink = 1011, kThumbsLink = 1021, kAllUsers = 1017;
constexpr int kPicturesOnly = 1091, kCheckAll = 1080, kCheckNone = 1081, kFormatList = 1579;
constexpr int kAssocAllUsers = 1037, kWriteAssoc = 3311;
constexpr int kReadyHeading = 1014, kReadyFolder = 1010, kIniProgram = 1038, kIniAppData = 1039;
constexpr int kStatus = 1044;
constexpr int kFinishedHeading = 1015, kStartViewer = 1020, kOpenFaq = 1022;

std::wstring Env(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value) : std::wstring();
}

std::wstring WinVer() { return Env(L"PX_WINVER"); }
bool IsXp() { return WinVer() == L"xp"; }
bool IsWin11() { return WinVer() == L"11"; }

bool IsVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

// The button as drawn on the screen: its label in the greyed (shadow) colour
// and no pixel of it in the normal text colour.
bool ButtonShowsGreyText(HWND button) {
    RECT r = {};
    GetWindowRect(button, &r);
    const int inset = MulDiv(4, ScreenDpi(), 96);
    const int w = r.right - r.left - 2 * inset, h = r.bottom - r.top - 2 * inset;
    if (w <= 0 || h <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, w, h, screen, r.left + inset, r.top + inset, SRCCOPY);
    int grey = 0, dark = 0;
    const auto* pixel = static_cast<const DWORD*>(bits);
    for (int i = 0; pixel && i < w * h; ++i) {
        const COLORREF c = RGB((pixel[i] >> 16) & 0xFF, (pixel[i] >> 8) & 0xFF, pixel[i] & 0xFF);
        if (c == GetSysColor(COLOR_GRAYTEXT) || c == GetSysColor(COLOR_BTNSHADOW)) ++grey;
        if (c == GetSysColor(COLOR_BTNTEXT)) ++dark;
    }
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return grey >= 10 && dark == 0;
}

// The rows' check marks: 'x' ticked, '.' unticked, '?' anything else.
std::string Marks(HWND list) {
    std::string marks;
    const int rows = ListRowCount(list);
    for (int row = 0; row < rows; ++row) {
        const UINT image = ListStateImage(list, row);
        marks += image == 2 ? 'x' : image == 1 ? '.' : '?';
    }
    return marks;
}

const std::string kNoMarks(63, '.');
const std::string kPictureMarks = std::string(49, 'x') + std::string(14, '.');
const std::string kAllMarks(63, 'x');

std::wstring ReadText(HKEY root, const std::wstring& key, const wchar_t* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return L"";
    wchar_t value[520] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG read =
        RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    return read == ERROR_SUCCESS && type == REG_SZ ? std::wstring(value) : std::wstring();
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

std::wstring InstallLocation() {
    return ReadText(HKEY_LOCAL_MACHINE,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pixolum",
                    L"InstallLocation");
}

// Whether any place the association writer uses binds ext to the viewer.
bool IsAssociated(const std::wstring& ext) {
    const std::wstring progId = L"Pixolum." + ext;
    const std::wstring fileExts =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\." + ext;
    return ReadText(HKEY_LOCAL_MACHINE, L"Software\\Classes\\." + ext, nullptr) == progId ||
           ReadText(HKEY_CURRENT_USER, L"Software\\Classes\\." + ext, nullptr) == progId ||
           ReadText(HKEY_CURRENT_USER, fileExts, L"ProgID") == progId ||
           ReadText(HKEY_CURRENT_USER, fileExts + L"\\UserChoice", L"Progid") == progId;
}

// Extensions of other-media rows (49 to 62), which no installation before
// the ones checking them chose: witnesses that nothing was associated.
const wchar_t* const kOtherMedia[] = {L"swf", L"ttf", L"asf", L"avi",
                                      L"mpg", L"mp3", L"wav", L"wma"};

std::wstring ReadSmallFile(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return L"(missing)";
    char bytes[4096] = {};
    const size_t length = fread(bytes, 1, sizeof(bytes) - 1, file);
    fclose(file);
    std::wstring text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    return text;
}

bool WriteUtf8(const std::wstring& path, const std::wstring& text) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    fwrite(utf8.data(), 1, utf8.size() - 1, file);
    fclose(file);
    return true;
}

// Closes every window of the viewer's class and waits until they are gone.
void CloseViewers() {
    for (HWND viewer; (viewer = FindWindowW(L"Pixolum", nullptr)) != nullptr;) {
        PostMessageW(viewer, WM_CLOSE, 0, 0);
        if (!WaitUntil([viewer] { return !IsWindow(viewer); }, 5000)) break;
    }
}

class InstallWizard : public WizardFixture {
protected:
    void SetUp() override {
        CloseViewers();
        DeleteFileW(Env(L"PX_OPENED_FILE").c_str());
    }
    void TearDown() override { CloseViewers(); }

    // Welcome page: folder typed in; then on to the association page.
    void ToAssociations(const std::wstring& folder) {
        ASSERT_NO_FATAL_FAILURE(Start());
        SetItemText(Page(), kFolder, folder);
        ASSERT_NO_FATAL_FAILURE(Next(1));
        ASSERT_NO_FATAL_FAILURE(Next(2));
    }
    HWND List() { return GetDlgItem(Page(), kFormatList); }
    void Toggle(HWND dialog, int id, bool checked) {
        ClickItem(dialog, id);
        ASSERT_TRUE(WaitUntil([&] { return IsChecked(dialog, id) == checked; }))
            << "control " << id << " did not become " << (checked ? "checked" : "unchecked");
    }
    // Presses a selection button and waits for the marks it must leave.
    void Select(int button, const std::string& marks) {
        HWND list = List();
        ClickItem(Page(), button);
        EXPECT_TRUE(WaitUntil([&] { return Marks(list) == marks; }))
            << "button " << button << " left " << Marks(list);
    }
    void ExpectLook(bool enabled) {
        HWND page = Page();
        HWND list = List();
        SCOPED_TRACE(enabled ? "enabled look" : "greyed look");
        EXPECT_TRUE(WaitUntil([&] { return (IsWindowEnabled(list) != FALSE) == enabled; }));
        // Enabled: the colours the list was created with, which may be the
        // list's "default" text colour rather than a colour of its own.
        EXPECT_EQ(ListBackColour(list), enabled ? GetSysColor(COLOR_WINDOW) : RGB(192, 192, 192));
        const COLORREF text = ListTextColour(list);
        if (enabled) {
            EXPECT_TRUE(text == CLR_DEFAULT || text == GetSysColor(COLOR_WINDOWTEXT)) << text;
        } else {
            EXPECT_EQ(text, RGB(255, 128, 0));
        }
        for (int button : {kPicturesOnly, kCheckAll, kCheckNone}) {
            EXPECT_EQ(IsEnabled(page, button), enabled) << "button " << button;
        }
        // What the user sees: a pixel of the first row, in its second column
        // behind the end of the text, has the list's background colour.
        const COLORREF back = enabled ? GetSysColor(COLOR_WINDOW) : RGB(192, 192, 192);
        RECT bounds = {}, header = {};
        GetWindowRect(list, &bounds);
        GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
        const int x = bounds.left + (bounds.right - bounds.left) - MulDiv(40, ScreenDpi(), 96);
        const int y = header.bottom + MulDiv(4, ScreenDpi(), 96);
        COLORREF seen = CLR_INVALID;
        EXPECT_TRUE(WaitUntil([&] { return (seen = ScreenPixel(x, y)) == back; }, 3000))
            << "row pixel " << std::hex << seen << ", wanted " << back;
    }
    void ExpectInstallButtons(bool enabled) {
        for (int id : {kBack, kNext, IDCANCEL}) {
            EXPECT_EQ(IsEnabled(m_sheet, id), enabled) << "sheet button " << id;
        }
    }
    // The finish page as it appears after an installation.
    void ExpectFinishPage() {
        HWND page = Page();
        EXPECT_EQ(ItemText(page, kFinishedHeading), L"Einrichtung abgeschlossen!");
        EXPECT_EQ(ItemText(page, kOpenFaq),
                  L"Pixolum F&AQs (Häufig gestellte Fragen) Webseite anzeigen");
        EXPECT_EQ(ItemText(page, kStartViewer), L"Pixolum &starten");
        EXPECT_TRUE(IsChecked(page, kOpenFaq));
        EXPECT_TRUE(IsChecked(page, kStartViewer));
        EXPECT_EQ(ItemText(m_sheet, IDCANCEL), L"&Fertig stellen");
        EXPECT_TRUE(WaitUntil([&] {
            return !IsEnabled(m_sheet, kBack) && !IsEnabled(m_sheet, kNext);
        })) << "Back and Next are disabled on the finish page";
        EXPECT_TRUE(IsEnabled(m_sheet, IDCANCEL));
        ExpectTitleAndTextsFit(4);
    }
    // Presses Next on the ready page; answers the association question when
    // it must come and checks the busy wizard meanwhile; waits for the finish page.
    void Install(bool questionExpected, int answer) {
        HWND ready = Page();
        PressNext(m_sheet);
        if (questionExpected) {
            HWND box = ExpectOpenBox(kAssocQuestion, IDNO);
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(IsVisible(ready, kStatus)) << "the status line shows while installing";
            ExpectInstallButtons(false);
            ASSERT_TRUE(Answer(box, answer));
        }
        bool sawBox = false;
        ASSERT_TRUE(WaitUntil(
            [&] {
                sawBox = sawBox || FindMessageBox(m_setup.Id()) != nullptr;
                return sawBox || CurrentPageIndex(m_sheet) == 4;
            },
            kInstallWaitMs));
        ASSERT_FALSE(sawBox) << "unexpected message box: "
                             << testing::PrintToString(
                                    MessageBoxText(FindMessageBox(m_setup.Id())));
    }
    // Presses "&Fertig stellen", or types keys, and waits for the setup to end.
    void Finish(const char* keys = nullptr) {
        if (keys) {
            ASSERT_TRUE(TypeKeys(m_sheet, keys)) << "no key server";
        } else {
            ClickItem(m_sheet, IDCANCEL);
        }
        DWORD exitCode = 1;
        ASSERT_TRUE(m_setup.WaitForExit(kInstallWaitMs, &exitCode)) << "the wizard stays open";
        EXPECT_EQ(exitCode, 0u);
    }
    void OpenEulaWith(const char* key);
    // Cancel on pages 0 to 3, answered Yes.
    void Quit() {
        ClickItem(m_sheet, IDCANCEL);
        ExpectBox(L"Installation beenden?", IDYES, IDNO);
        EXPECT_TRUE(m_setup.WaitForExit(kWaitMs));
    }
};

// A process started from the test: the stand-in viewer window.
class ViewerWindow {
public:
    ViewerWindow() {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        std::wstring commandLine = L"\"" + g_viewerWindowExe + L"\"";
        if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &m_info)) {
            WaitUntil([this] { return (m_hWnd = FindWindowW(L"Pixolum", nullptr)) != nullptr; });
        }
    }
    ~ViewerWindow() {
        Close();
        if (m_info.hProcess) {
            CloseHandle(m_info.hProcess);
            CloseHandle(m_info.hThread);
        }
    }
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;
    bool IsUp() const { return m_hWnd != nullptr; }
    void Close() {
        if (m_hWnd) PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        m_hWnd = nullptr;
        if (m_info.hProcess) WaitForSingleObject(m_info.hProcess, 5000);
    }

private:
    PROCESS_INFORMATION m_info = {};
    HWND m_hWnd = nullptr;
};

// ---- the installation that the script compares with "/silent" ----

// Each version makes other choices; every one of them has its switch.
TEST_F(InstallWizard, FullInstallationMatchesTheSilentCommandLine) {
    const bool xp = IsXp(), win11 = IsWin11(), win10 = WinVer() == L"10";
    const bool allUsers = xp || win11;
    std::vector<std::wstring> silent = {L"/silent", L"/folder=C:\\Pixo Wizard", L"/group=1",
                                        L"/desktop=1"};

    ASSERT_NO_FATAL_FAILURE(Start());
    HWND welcome = Page();
    SetItemText(welcome, kFolder, L"C:\\Pixo Wizard");
    if (win10) {
        Toggle(welcome, kThumbsLink, false);
        silent.push_back(L"/thumbs=0");
    } else {
        silent.push_back(L"/thumbs=1");
    }
    if (allUsers) Toggle(welcome, kAllUsers, true);
    silent.push_back(allUsers ? L"/allusers=1" : L"/allusers=0");
    ASSERT_NO_FATAL_FAILURE(Next(1));
    ASSERT_NO_FATAL_FAILURE(Next(2));

    HWND associations = Page();
    if (!win11) {
        Toggle(associations, kWriteAssoc, true);
        Select(kPicturesOnly, kPictureMarks);
        silent.push_back(L"/assoc=1");
    }
    if (xp) {
        Toggle(associations, kAssocAllUsers, true);
        silent.push_back(L"/assocallusers");
    }
    ASSERT_NO_FATAL_FAILURE(Next(3));

    HWND ready = Page();
    EXPECT_EQ(ItemText(ready, kReadyFolder), L"Zielverzeichnis: C:\\Pixo Wizard");
    EXPECT_EQ(IsChecked(ready, kIniProgram), xp);
    // The program folder is XP's default; on 10 the user picks it.
    if (win10) Toggle(ready, kIniProgram, true);
    // Without an earlier installation "/silent" keeps its settings in the
    // application-data folder unless told otherwise.
    if (xp || win10) silent.push_back(L"/ini=");

    std::wstring lines;
    for (const std::wstring& word : silent) lines += word + L"\n";
    ASSERT_TRUE(WriteUtf8(Env(L"PX_SILENT_ARGS"), lines)) << "PX_SILENT_ARGS not writable";

    ASSERT_NO_FATAL_FAILURE(Install(!win11, IDYES));
    ExpectFinishPage();
    // Nothing follows when both boxes are unticked.
    Toggle(Page(), kOpenFaq, false);
    Toggle(Page(), kStartViewer, false);
    ASSERT_NO_FATAL_FAILURE(Finish());
    EXPECT_FALSE(WaitUntil([] { return FindWindowW(L"Pixolum", nullptr) != nullptr; }, 3500))
        << "no viewer was asked for";
    EXPECT_EQ(ReadSmallFile(Env(L"PX_OPENED_FILE")), L"(missing)") << "no web page was asked for";
}

// ---- the pages, one user at a time ----

TEST_F(InstallWizard, AssociationListLooksButtonsAndRowsOnEveryVisit) {
    ASSERT_NO_FATAL_FAILURE(ToAssociations(L"C:\\Pixo Liste\\"));
    HWND page = Page();
    HWND list = List();

    ASSERT_EQ(ListRowCount(list), 63);
    for (int row = 0; row < 63; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(ListText(list, row, 0), FormatCatalogue[row].groupLabel);
        EXPECT_EQ(ListText(list, row, 1), FormatCatalogue[row].displayName);
    }
    EXPECT_EQ(Marks(list), kNoMarks);
    EXPECT_EQ(ListExtendedStyle(list), 0x24u);
    EXPECT_EQ(ListColumnCount(list), 2);
    RECT bounds = {};
    GetWindowRect(list, &bounds);
    const int width = bounds.right - bounds.left;
    EXPECT_EQ(ListColumnWidth(list, 0), width / 3);
    EXPECT_EQ(ListColumnWidth(list, 1), 2 * width / 3 - MulDiv(25, ScreenDpi(), 96));

    EXPECT_FALSE(IsChecked(page, kWriteAssoc));
    EXPECT_EQ(IsEnabled(page, kWriteAssoc), !IsWin11());
    EXPECT_EQ(IsVisible(page, kAssocAllUsers), IsXp());
    ExpectLook(false);

    if (!IsWin11()) {
        Toggle(page, kWriteAssoc, true);
        ExpectLook(true);
        Select(kPicturesOnly, kPictureMarks);
        Select(kCheckAll, kAllMarks);
        Select(kCheckNone, kNoMarks);
        // Rows ticked one by one, then "Nur Bilder" over them.
        ASSERT_TRUE(SetListStateImage(list, 2, 2));
        ASSERT_TRUE(SetListStateImage(list, 58, 2));
        EXPECT_EQ(Marks(list),
                  ".."
                  "x" +
                      std::string(55, '.') + "x" + std::string(4, '.'));
        Select(kPicturesOnly, kPictureMarks);
        // Unticking greys the list but keeps its marks.
        Toggle(page, kWriteAssoc, false);
        ExpectLook(false);
        EXPECT_EQ(Marks(list), kPictureMarks);
    }

    // Later visits neither rebuild nor duplicate the rows.
    for (int round = 0; round < 2; ++round) {
        ASSERT_NO_FATAL_FAILURE(Next(3));
        ASSERT_NO_FATAL_FAILURE(Back(2));
        ASSERT_NO_FATAL_FAILURE(Back(1));
        ASSERT_NO_FATAL_FAILURE(Next(2));
        EXPECT_EQ(ListRowCount(list), 63);
        EXPECT_EQ(ListText(list, 62, 0), L"WMA");
        EXPECT_EQ(Marks(list), IsWin11() ? kNoMarks : kPictureMarks);
        EXPECT_EQ(IsVisible(page, kAssocAllUsers), IsXp());
        ExpectLook(false);
    }
    if (!IsWin11()) {
        // A ticked switch keeps the enabled look through later visits.
        Toggle(page, kWriteAssoc, true);
        ASSERT_NO_FATAL_FAILURE(Next(3));
        ASSERT_NO_FATAL_FAILURE(Back(2));
        ExpectLook(true);
    }
    Quit();
}

TEST_F(InstallWizard, ReadyPageShowsTheFolderAndResetsTheSettingsChoice) {
    // Blanks after the folder (the welcome page refuses blanks before it).
    ASSERT_NO_FATAL_FAILURE(ToAssociations(L"C:\\Pixo Ziel\\   "));
    ASSERT_NO_FATAL_FAILURE(Next(3));
    HWND ready = Page();
    EXPECT_EQ(ItemText(ready, kReadyHeading), L"Bereit zum Installieren!");
    EXPECT_EQ(ItemText(ready, kReadyFolder), L"Zielverzeichnis: C:\\Pixo Ziel\\");
    EXPECT_EQ(ItemText(ready, kStatus), L"Installiere ... bitte warten ...");
    EXPECT_FALSE(IsVisible(ready, kStatus));
    EXPECT_EQ(ItemText(m_sheet, kBack), L"< &Zurück");
    EXPECT_EQ(ItemText(m_sheet, kNext), L"&Weiter >");
    EXPECT_EQ(ItemText(m_sheet, IDCANCEL), L"B&eenden");
    ExpectInstallButtons(true);

    // XP keeps the settings in the program folder, later systems in the
    // application-data folder; a different choice lasts only while the page shows.
    const int byDefault = IsXp() ? kIniProgram : kIniAppData;
    const int other = IsXp() ? kIniAppData : kIniProgram;
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(IsChecked(ready, byDefault));
        EXPECT_FALSE(IsChecked(ready, other));
        Toggle(ready, other, true);
        EXPECT_FALSE(IsChecked(ready, byDefault));
        ASSERT_NO_FATAL_FAILURE(Back(2));
        ASSERT_NO_FATAL_FAILURE(Next(3));
    }

    // The folder line follows the welcome page.
    ASSERT_NO_FATAL_FAILURE(Back(2));
    ASSERT_NO_FATAL_FAILURE(Back(1));
    ASSERT_NO_FATAL_FAILURE(Back(0));
    SetItemText(Page(), kFolder, L"D:\\Anders");
    ASSERT_NO_FATAL_FAILURE(Next(1));
    ASSERT_NO_FATAL_FAILURE(Next(2));
    ASSERT_NO_FATAL_FAILURE(Next(3));
    EXPECT_EQ(ItemText(ready, kReadyFolder), L"Zielverzeichnis: D:\\Anders");
    Quit();
}

TEST_F(InstallWizard, ARunningViewerBlocksAndAFailedInstallationLeadsBackToTheStart) {
    // A file where the target folder's parent should be: the folder cannot be made.
    const std::wstring blocker = L"C:\\Im Weg";
    HANDLE file = CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    ASSERT_NO_FATAL_FAILURE(Start());
    HWND welcome = Page();
    SetItemText(welcome, kFolder, blocker + L"\\Pixolum");
    Toggle(welcome, kDesktopLink, false);
    ASSERT_NO_FATAL_FAILURE(Next(1));
    ASSERT_NO_FATAL_FAILURE(Next(2));
    const bool rows = !IsWin11();
    if (rows) {
        Toggle(Page(), kWriteAssoc, true);
        Select(kPicturesOnly, kPictureMarks);
    }
    ASSERT_NO_FATAL_FAILURE(Next(3));
    HWND ready = Page();

    {
        ViewerWindow viewer;
        ASSERT_TRUE(viewer.IsUp()) << "the stand-in viewer did not open its window";
        PressNext(m_sheet);
        ExpectBox(kViewerRunning, IDOK, IDOK);
        EXPECT_EQ(CurrentPageIndex(m_sheet), 3);
        EXPECT_FALSE(IsVisible(ready, kStatus)) << "nothing was started";
        ExpectInstallButtons(true);
    }

    // The folder fails: the driver's message, the busy wizard behind it.
    PressNext(m_sheet);
    HWND box = ExpectOpenBox(kCannotCreate, IDOK);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsVisible(ready, kStatus));
    ExpectInstallButtons(false);
    ASSERT_TRUE(Answer(box, IDOK));
    ASSERT_TRUE(WaitForPage(m_sheet, 0)) << "a failed installation leads to the welcome page";
    EXPECT_FALSE(IsVisible(ready, kStatus)) << "nothing to wait for once the run has ended";
    EXPECT_TRUE(WaitUntil([&] { return !IsEnabled(m_sheet, kBack); }));
    EXPECT_TRUE(IsEnabled(m_sheet, kNext));
    EXPECT_TRUE(IsEnabled(m_sheet, IDCANCEL));
    EXPECT_EQ(ItemText(welcome, kFolder), blocker + L"\\Pixolum");
    EXPECT_FALSE(IsChecked(welcome, kDesktopLink)) << "the choices stay";
    EXPECT_TRUE(IsChecked(welcome, kThumbsLink));

    ASSERT_NO_FATAL_FAILURE(Next(1));
    ASSERT_NO_FATAL_FAILURE(Next(2));
    EXPECT_EQ(Marks(List()), rows ? kPictureMarks : kNoMarks);
    EXPECT_EQ(IsChecked(Page(), kWriteAssoc), rows);
    ASSERT_NO_FATAL_FAILURE(Next(3));
    EXPECT_FALSE(IsVisible(ready, kStatus)) << "no wait text on the idle ready page";
    ExpectInstallButtons(true);
    Quit();

    const DWORD attributes = GetFileAttributesW(blocker.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    DeleteFileW(blocker.c_str());
}

TEST_F(InstallWizard, DeclinedQuestionAssociatesNothingAndTheFinishStartsTheViewer) {
    // A folder without a trailing backslash still leads to the viewer.
    ASSERT_NO_FATAL_FAILURE(ToAssociations(L"C:\\Pixo Nein"));
    HWND page = Page();
    // Windows 11: a disabled switch and greyed buttons, nothing a user can tick.
    if (IsWin11()) {
        EXPECT_FALSE(IsEnabled(page, kWriteAssoc));
        ExpectLook(false);
    } else {
        Toggle(page, kWriteAssoc, true);
        Select(kCheckAll, kAllMarks);
    }
    ASSERT_NO_FATAL_FAILURE(Next(3));
    ASSERT_NO_FATAL_FAILURE(Install(!IsWin11(), IDNO));
    EXPECT_EQ(InstallLocation(), L"C:\\Pixo Nein\\") << "the installation completed";
    for (const wchar_t* ext : kOtherMedia) {
        EXPECT_FALSE(IsAssociated(ext)) << "." << testing::PrintToString(std::wstring(ext));
    }
    // From Vista on the viewer's classes are registered whatever the choice.
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Pixolum.mp3"), !IsXp());

    ExpectFinishPage();
    // Enter presses the default button, "&Fertig stellen".
    ASSERT_NO_FATAL_FAILURE(Finish("Return"));
    EXPECT_TRUE(WaitUntil([] { return ReadSmallFile(Env(L"PX_OPENED_FILE")) != L"(missing)"; }));
    EXPECT_EQ(ReadSmallFile(Env(L"PX_OPENED_FILE")), kFaqAddress);
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (viewer = FindTopWindow(L"Pixolum")) != nullptr; }))
        << "the viewer did not start";
    EXPECT_EQ(lstrcmpiW(ProgramOfWindow(viewer).c_str(), L"C:\\Pixo Nein\\pixo32.exe"), 0)
        << testing::PrintToString(ProgramOfWindow(viewer));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == viewer; }, 3000))
        << "the viewer is not in front";
}

TEST_F(InstallWizard, MarksOfAnUntickedSwitchAreIgnored) {
    if (IsWin11()) GTEST_SKIP() << "the switch cannot be ticked on Windows 11";
    ASSERT_NO_FATAL_FAILURE(ToAssociations(L"C:\\Pixo Ohne\\"));
    HWND page = Page();
    Toggle(page, kWriteAssoc, true);
    Select(kCheckAll, kAllMarks);
    Toggle(page, kWriteAssoc, false);
    EXPECT_EQ(Marks(List()), kAllMarks);
    ASSERT_NO_FATAL_FAILURE(Next(3));
    // No question: nothing counts as chosen.
    ASSERT_NO_FATAL_FAILURE(Install(false, 0));
    EXPECT_EQ(InstallLocation(), L"C:\\Pixo Ohne\\");
    for (const wchar_t* ext : kOtherMedia) {
        EXPECT_FALSE(IsAssociated(ext)) << "." << testing::PrintToString(std::wstring(ext));
    }
    ExpectFinishPage();
    // Escape leaves without the finish actions, though both are ticked.
    ASSERT_NO_FATAL_FAILURE(Finish("Escape"));
    EXPECT_FALSE(WaitUntil([] { return FindWindowW(L"Pixolum", nullptr) != nullptr; }, 3500))
        << "Escape started the viewer";
    EXPECT_EQ(ReadSmallFile(Env(L"PX_OPENED_FILE")), L"(missing)") << "Escape opened the FAQ";
}

// The close box (Alt+F4 sends the same SC_CLOSE) on the finish page: no
// question, and neither finish action, though both are ticked.
TEST_F(InstallWizard, TheCloseBoxOnTheFinishPageLeavesWithoutAQuestion) {
    ASSERT_NO_FATAL_FAILURE(ToAssociations(L"C:\\Pixo Zu\\"));
    ASSERT_NO_FATAL_FAILURE(Next(3));
    ASSERT_NO_FATAL_FAILURE(Install(false, 0));
    ExpectFinishPage();
    ASSERT_NO_FATAL_FAILURE(Finish("alt+F4"));
    EXPECT_FALSE(WaitUntil([] { return FindWindowW(L"Pixolum", nullptr) != nullptr; }, 3500))
        << "the close box started the viewer";
    EXPECT_EQ(ReadSmallFile(Env(L"PX_OPENED_FILE")), L"(missing)") << "the close box opened the FAQ";
}

// A copy of the setup under test carrying the archive zip as its payload.
std::wstring SetupWithPayload(const std::wstring& zip) {
    const std::wstring copy = L"C:\\setup_long.exe";
    std::string bytes;
    HANDLE file = CreateFileW(zip.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"";
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    const BOOL ok = ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size() || !CopyFileW(g_setupExe.c_str(), copy.c_str(), FALSE)) return L"";
    HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    if (!update) return L"";
    const BOOL replaced = UpdateResourceW(update, L"ZIP", MAKEINTRESOURCEW(1974),
                                          MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), &bytes[0],
                                          static_cast<DWORD>(bytes.size()));
    return EndUpdateResourceW(update, !replaced) && replaced ? copy : L"";
}

// A payload large enough to take seconds: the window keeps answering, the
// progress bar moves, Cancel stays greyed and painted, the close box does
// nothing; the finish page then fits the DPI too.
TEST_F(InstallWizard, ALongInstallationKeepsTheWindowAnsweringAndShowsItsProgress) {
    const std::wstring zip = Env(L"PX_LONG_PAYLOAD");
    if (zip.empty()) GTEST_SKIP() << "PX_LONG_PAYLOAD names no archive";
    const std::wstring setup = SetupWithPayload(zip);
    ASSERT_FALSE(setup.empty()) << "cannot make the setup with the long payload";
    const std::wstring shipped = g_setupExe;
    g_setupExe = setup;
    ToAssociations(L"C:\\Pixo Lang\\");
    g_setupExe = shipped;
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_NO_FATAL_FAILURE(Next(3));
    HWND ready = Page();
    HWND bar = GetDlgItem(ready, 1046);
    HWND cancel = GetDlgItem(m_sheet, IDCANCEL);
    PressNext(m_sheet);
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(ready, kStatus); })) << "the run did not start";

    std::set<int> positions;
    DWORD slowest = 0;
    int answers = 0;
    bool cancelPainted = false;
    bool closeTried = false;
    const DWORD start = GetTickCount();
    while (CurrentPageIndex(m_sheet) == 3 && GetTickCount() - start < kInstallWaitMs) {
        const DWORD before = GetTickCount();
        DWORD_PTR ignored = 0;
        const bool answered =
            SendMessageTimeoutW(m_sheet, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored) != 0;
        if (CurrentPageIndex(m_sheet) != 3) break;
        ASSERT_TRUE(answered) << "the window did not answer within a second";
        slowest = std::max(slowest, GetTickCount() - before);
        ++answers;
        const int position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
        if (position > 0 && position < 1000) positions.insert(position);
        if (!cancelPainted && GetTickCount() - start > 500 && IsWindowVisible(bar)) {
            EXPECT_FALSE(IsWindowEnabled(cancel)) << "Cancel is enabled while installing";
            cancelPainted = ButtonShowsGreyText(cancel);
        }
        if (!closeTried && positions.size() >= 2) {
            // The close box and Alt+F4 arrive as this command.
            PostMessageW(m_sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
            closeTried = true;
        }
        Sleep(20);
    }
    std::printf("long installation: %lu ms watched, %d answers to WM_NULL, slowest %lu ms, "
                "%u progress positions\n",
                static_cast<unsigned long>(GetTickCount() - start), answers,
                static_cast<unsigned long>(slowest), static_cast<unsigned>(positions.size()));
    EXPECT_LE(slowest, 200u) << "slowest answer to WM_NULL";
    EXPECT_GE(answers, 10) << "the installation was too short to watch";
    EXPECT_GE(positions.size(), 2u) << "the progress bar moved " << positions.size() << " times";
    EXPECT_TRUE(cancelPainted) << "Cancel did not show greyed while installing";
    ASSERT_TRUE(WaitForPage(m_sheet, 4, kInstallWaitMs)) << "the installation did not end";
    EXPECT_EQ(FindMessageBox(m_setup.Id()), nullptr) << "the close command asked something";
    ExpectFinishPage();
    ExpectLaidOutForTheDpi(4, true);
    ASSERT_NO_FATAL_FAILURE(Finish("alt+F4"));
}

// Tab to the EULA link, then key: the link opens its page, not the next page.
// One key per wizard: the browser it starts takes the keyboard.
void InstallWizard::OpenEulaWith(const char* key) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND link = GetDlgItem(Page(), 1045);
    for (int press = 0; press < 20 && FocusOf(m_sheet) != link; ++press) {
        ASSERT_TRUE(TypeKeys(m_sheet, "Tab")) << "no key server";
        WaitUntil([&] { return FocusOf(m_sheet) == link; }, 300);
    }
    ASSERT_EQ(FocusOf(m_sheet), link) << "Tab never reached the link";
    ASSERT_TRUE(TypeKeys(m_sheet, key));
    EXPECT_TRUE(WaitUntil([] { return ReadSmallFile(Env(L"PX_OPENED_FILE")) == kEulaAddress; }))
        << testing::PrintToString(ReadSmallFile(Env(L"PX_OPENED_FILE")));
    EXPECT_EQ(CurrentPageIndex(m_sheet), 0) << "the key went to the link, not to Next";
    Quit();
}

TEST_F(InstallWizard, TheEulaLinkIsReachedWithTabAndOpensWithEnter) { OpenEulaWith("Return"); }

TEST_F(InstallWizard, TheEulaLinkOpensWithSpace) { OpenEulaWith("space"); }

}  // namespace

namespace pxgui {
std::wstring g_setupExe;
}

int wmain(int argc, wchar_t** argv) {
    // Stand-in web browser registered for https: records the address.
    if (argc == 4 && wcscmp(argv[1], L"--browse") == 0) {
        return WriteUtf8(argv[2], argv[3]) ? 0 : 1;
    }
    testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        fwprintf(stderr, L"usage: wizard_install_gui_test SETUP_EXE VIEWER_WINDOW_EXE\n");
        return 2;
    }
    g_setupExe = WindowsPath(argv[1]);
    g_viewerWindowExe = WindowsPath(argv[2]);
    return RUN_ALL_TESTS();
}
