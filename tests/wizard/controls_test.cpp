// The class layer and both controls on real windows: message maps, binding,
// reflection, the hyperlink's look, hover and opening, the colour static's fonts.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "color_static.h"
#include "hyperlink.h"
#include "message_map.h"
#include "wnd.h"

namespace {

// A parent that hands its controls' notifications back to them, as a page does.
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if ((message == WM_COMMAND || message == WM_CTLCOLORSTATIC) &&
        CWnd::ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result)) {
        return result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PxControlsTestParent";
        RegisterClassW(&windowClass);
        m_parent = CreateWindowW(L"PxControlsTestParent", L"", WS_POPUP | WS_VISIBLE, 300, 300, 400,
                                 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_parent, nullptr);
        LOGFONTW font = {};
        font.lfHeight = -13;
        wcscpy(font.lfFaceName, L"Tahoma");
        m_font = CreateFontIndirectW(&font);
    }
    void TearDown() override {
        DestroyWindow(m_parent);
        DeleteObject(m_font);
    }

    HWND Static(const wchar_t* text, DWORD style, int x, int y, int cx, int cy, int id = 1045,
                bool withFont = true) {
        HWND control = CreateWindowW(L"STATIC", text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy,
                                     m_parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     GetModuleHandleW(nullptr), nullptr);
        if (withFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        return control;
    }
    RECT RectInParent(HWND control) const {
        RECT rect = {};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    static LOGFONTW FontOf(HWND control) {
        LOGFONTW font = {};
        HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
        GetObjectW(handle, sizeof(font), &font);
        return font;
    }
    SIZE UnderlinedExtent(HWND control, const std::wstring& text) const {
        LOGFONTW font = {};
        GetObjectW(m_font, sizeof(font), &font);
        font.lfUnderline = TRUE;
        HFONT underlined = CreateFontIndirectW(&font);
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, underlined);
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        DeleteObject(underlined);
        return extent;
    }
    // The colour the parent's reflection gives the link's text.
    COLORREF LinkTextColour(HWND control, LRESULT* brush = nullptr) {
        HDC dc = CreateCompatibleDC(nullptr);
        const LRESULT answer = SendMessageW(m_parent, WM_CTLCOLORSTATIC,
                                            reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(control));
        const COLORREF colour = GetTextColor(dc);
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        DeleteDC(dc);
        if (brush) *brush = answer;
        return colour;
    }

    HWND m_parent = nullptr;
    HFONT m_font = nullptr;
};

// ---- message maps and binding ----

class Probe : public CWnd {
public:
    bool OnClick(WPARAM, LPARAM, LRESULT& result) {
        ++clicks;
        result = 7;
        return true;
    }
    bool OnAnyClick(WPARAM, LPARAM, LRESULT&) {
        ++otherClicks;
        return true;
    }
    bool OnSetText(WPARAM, LPARAM, LRESULT&) {
        ++textsSeen;
        return false;  // let the static store the text
    }
    int clicks = 0, otherClicks = 0, textsSeen = 0;
    static const MessageMapEntry kEntries[];
    static const MessageMap kMap;

protected:
    const MessageMap* GetMessageMap() const override { return &kMap; }
};

const MessageMapEntry Probe::kEntries[] = {
    {WM_REFLECT_BASE + WM_COMMAND, STN_CLICKED, 1045, Handler<&Probe::OnClick>},
    {WM_REFLECT_BASE + WM_COMMAND, STN_CLICKED, 0, Handler<&Probe::OnAnyClick>},
    {WM_SETTEXT, 0, 0, Handler<&Probe::OnSetText>},
};
const MessageMap Probe::kMap = MakeMessageMap(nullptr, Probe::kEntries);

TEST(MessageMap, MatchesMessageCodeAndControlAndFallsBackToTheBase) {
    const MessageMapEntry baseEntries[] = {{WM_TIMER, 0, 0, nullptr},
                                           {WM_NOTIFY, NM_CLICK, 5, nullptr}};
    const MessageMap base = MakeMessageMap(nullptr, baseEntries);
    const MessageMapEntry entries[] = {{WM_COMMAND, BN_CLICKED, 1009, nullptr},
                                       {WM_COMMAND, BN_CLICKED, 0, nullptr}};
    const MessageMap map = MakeMessageMap(&base, entries);

    EXPECT_EQ(FindMessageEntry(&map, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED), 0), &entries[0]);
    EXPECT_EQ(FindMessageEntry(&map, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), 0), &entries[1]);
    EXPECT_EQ(FindMessageEntry(&map, WM_COMMAND, MAKEWPARAM(1009, BN_DOUBLECLICKED), 0), nullptr);
    EXPECT_EQ(FindMessageEntry(&map, WM_TIMER, 100, 0), &baseEntries[0]);
    NMHDR header = {nullptr, 5, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(FindMessageEntry(&map, WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&header)),
              &baseEntries[1]);
    header.idFrom = 6;
    EXPECT_EQ(FindMessageEntry(&map, WM_NOTIFY, 6, reinterpret_cast<LPARAM>(&header)), nullptr);
    EXPECT_EQ(FindMessageEntry(&map, WM_PAINT, 0, 0), nullptr);
}

TEST_F(ControlsTest, BoundWindowRunsItsMapThenTheOldProcedure) {
    HWND label = Static(L"Text", SS_NOTIFY, 10, 10, 100, 20);
    Probe probe;
    ASSERT_TRUE(probe.SubclassWindow(label));
    EXPECT_EQ(CWnd::FromHandle(label), &probe);
    Probe second;
    EXPECT_FALSE(second.SubclassWindow(label)) << "a window is bound once";

    SetWindowTextW(label, L"Neu");
    EXPECT_EQ(probe.textsSeen, 1);
    EXPECT_EQ(GetWindowTextString(label), L"Neu") << "the static's own procedure still ran";

    EXPECT_EQ(SendMessageW(m_parent, WM_COMMAND, MAKEWPARAM(1045, STN_CLICKED),
                           reinterpret_cast<LPARAM>(label)),
              7);
    EXPECT_EQ(probe.clicks, 1);
    EXPECT_EQ(probe.otherClicks, 0);

    DestroyWindow(label);
    EXPECT_EQ(probe.m_hWnd, nullptr) << "destroying the window frees the object";
    HWND again = Static(L"Wieder", 0, 10, 40, 100, 20, 1046);
    EXPECT_TRUE(probe.SubclassWindow(again));
    SendMessageW(m_parent, WM_COMMAND, MAKEWPARAM(1046, STN_CLICKED),
                 reinterpret_cast<LPARAM>(again));
    EXPECT_EQ(probe.otherClicks, 1);
}

// ---- hyperlink ----

TEST_F(ControlsTest, HyperLinkFitsTheText) {
    HWND label = Static(L"Pixolum EULA", SS_LEFT, 12, 20, 200, 40);
    CHyperLink link;
    ASSERT_TRUE(link.SubclassWindow(label));
    EXPECT_TRUE(GetWindowLongW(label, GWL_STYLE) & SS_NOTIFY);
    const SIZE extent = UnderlinedExtent(label, L"Pixolum EULA");
    const RECT rect = RectInParent(label);
    EXPECT_EQ(rect.left, 12);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right - rect.left, extent.cx);
    EXPECT_EQ(rect.bottom - rect.top, extent.cy);
}

// Whether two cursors look the same: hot spot, mask and colour bits.
bool SameCursorImage(HCURSOR a, HCURSOR b) {
    ICONINFO first = {}, second = {};
    if (!a || !b || !GetIconInfo(a, &first)) return false;
    if (!GetIconInfo(b, &second)) return false;
    auto bits = [](HBITMAP bitmap) {
        std::string data;
        BITMAP header = {};
        if (bitmap && GetObjectW(bitmap, sizeof(header), &header)) {
            data.resize(static_cast<size_t>(header.bmWidthBytes) * header.bmHeight);
            GetBitmapBits(bitmap, static_cast<LONG>(data.size()), &data[0]);
        }
        return data;
    };
    const bool same = first.xHotspot == second.xHotspot && first.yHotspot == second.yHotspot &&
                      bits(first.hbmMask) == bits(second.hbmMask) &&
                      bits(first.hbmColor) == bits(second.hbmColor);
    for (HBITMAP bitmap : {first.hbmMask, first.hbmColor, second.hbmMask, second.hbmColor}) {
        if (bitmap) DeleteObject(bitmap);
    }
    return same;
}

TEST_F(ControlsTest, HyperLinkIsAHandATabStopAndALinkToScreenReaders) {
    // Without the help program in the Windows folder (some installations
    // lack it) its hand cursor cannot be had.
    wchar_t help[MAX_PATH] = {};
    GetWindowsDirectoryW(help, MAX_PATH);
    wcscat(help, L"\\winhlp32.exe");
    const std::wstring away = std::wstring(help) + L".away";
    const bool moved = MoveFileW(help, away.c_str()) != FALSE;
    ASSERT_EQ(GetFileAttributesW(help), INVALID_FILE_ATTRIBUTES);
    HWND label = Static(L"Pixolum EULA", SS_LEFT, 10, 10, 200, 20);
    CHyperLink link;
    const BOOL bound = link.SubclassWindow(label);
    if (moved) MoveFileW(away.c_str(), help);
    ASSERT_TRUE(bound);

    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(SameCursorImage(GetCursor(), LoadCursorW(nullptr, IDC_HAND)))
        << "the system's hand";
    EXPECT_TRUE(GetWindowLongW(label, GWL_STYLE) & WS_TABSTOP);

    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    IAccessible* accessible = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(label, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&accessible)),
              S_OK);
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role = {};
    EXPECT_EQ(accessible->get_accRole(self, &role), S_OK);
    EXPECT_EQ(role.vt, VT_I4);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_LINK);
    BSTR name = nullptr;
    EXPECT_EQ(accessible->get_accName(self, &name), S_OK);
    EXPECT_EQ(std::wstring(name ? name : L""), L"Pixolum EULA");
    SysFreeString(name);
    VARIANT state = {};
    EXPECT_EQ(accessible->get_accState(self, &state), S_OK);
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSABLE);
    accessible->Release();
    CoUninitialize();
}

TEST_F(ControlsTest, HyperLinkKeepsTheEdgeOrCentreOfItsAlignment) {
    HWND right = Static(L"rechts", SS_RIGHT, 10, 10, 200, 30, 1);
    HWND centre = Static(L"mitte", SS_CENTER | SS_CENTERIMAGE, 10, 60, 200, 40, 2);
    CHyperLink rightLink, centreLink;
    ASSERT_TRUE(rightLink.SubclassWindow(right));
    ASSERT_TRUE(centreLink.SubclassWindow(centre));
    EXPECT_EQ(RectInParent(right).right, 210);
    EXPECT_EQ(RectInParent(right).top, 10);
    const RECT fitted = RectInParent(centre);
    EXPECT_LE(std::abs((fitted.left + fitted.right) - 220), 1) << "stays centred";
    EXPECT_LE(std::abs((fitted.top + fitted.bottom) - 160), 1) << "shrinks about the middle";
    EXPECT_LT(fitted.bottom - fitted.top, 40);
}

TEST_F(ControlsTest, HyperLinkWithoutTextShowsItsTarget) {
    HWND label = Static(L"", SS_LEFT, 10, 10, 300, 20);
    CHyperLink link;
    link.SetLinkTarget(L"https://www.pixolum.example/eula.htm");
    ASSERT_TRUE(link.SubclassWindow(label));
    EXPECT_EQ(GetWindowTextString(label), L"https://www.pixolum.example/eula.htm");
}

TEST_F(ControlsTest, HyperLinkUnderlineModes) {
    HWND label = Static(L"Pixolum EULA", SS_LEFT, 10, 10, 200, 20);
    CHyperLink link;
    link.SetUnderlineMode(1);
    ASSERT_TRUE(link.SubclassWindow(label));
    EXPECT_FALSE(FontOf(label).lfUnderline) << "attaching always starts in hover mode";
    link.SetUnderlineMode(1);
    EXPECT_TRUE(FontOf(label).lfUnderline);
    EXPECT_EQ(wcscmp(FontOf(label).lfFaceName, L"Tahoma"), 0) << "the control's own font";
    link.SetUnderlineMode(0);
    EXPECT_FALSE(FontOf(label).lfUnderline);
}

TEST_F(ControlsTest, HyperLinkHoverColoursAndTheTimerThatEndsIt) {
    HWND label = Static(L"Pixolum EULA", SS_LEFT, 10, 10, 200, 20);
    CHyperLink link;
    ASSERT_TRUE(link.SubclassWindow(label));
    LRESULT brush = 0;
    EXPECT_EQ(LinkTextColour(label, &brush), RGB(0, 0, 238));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));

    SendMessageW(label, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(FontOf(label).lfUnderline) << "mode -1 underlines while hovered";
    EXPECT_EQ(LinkTextColour(label), RGB(255, 0, 0));

    // The poll finds the pointer outside (the parent sits away from 0,0).
    SetCursorPos(0, 0);
    PostMessageW(label, WM_TIMER, 100, 0);
    MSG msg;
    while (PeekMessageW(&msg, label, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageW(&msg);
    const DWORD where = GetMessagePos();
    POINT point = {static_cast<SHORT>(LOWORD(where)), static_cast<SHORT>(HIWORD(where))};
    RECT onScreen = {};
    GetWindowRect(label, &onScreen);
    ASSERT_FALSE(PtInRect(&onScreen, point)) << "pointer unexpectedly on the link";
    EXPECT_FALSE(FontOf(label).lfUnderline);
    EXPECT_EQ(LinkTextColour(label), RGB(0, 0, 238));
}

// Opens links through a stand-in web-page handler that records its command line.
class LinkHandlerTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        wchar_t value[260] = {};
        LONG size = sizeof(value);
        m_hadHtm = RegQueryValueW(HKEY_CLASSES_ROOT, L".htm", value, &size) == ERROR_SUCCESS;
        m_savedHtm = value;
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_probeFile = std::wstring(temp) + L"px_link_probe.txt";
        DeleteFileW(m_probeFile.c_str());
        SetEnvironmentVariableW(L"PX_PROBE_FILE", m_probeFile.c_str());
    }
    void TearDown() override {
        if (m_hadHtm) {
            SetHtmClass(m_savedHtm.c_str());
        }
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L"PxTestPage\\shell\\open\\command");
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L"PxTestPage\\shell\\open");
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L"PxTestPage\\shell");
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L"PxTestPage");
        DeleteFileW(m_probeFile.c_str());
        ControlsTest::TearDown();
    }
    static void SetHtmClass(const wchar_t* className) {
        RegSetValueW(HKEY_CLASSES_ROOT, L".htm", REG_SZ, className,
                     static_cast<DWORD>(wcslen(className) * sizeof(wchar_t)));
    }
    static void SetProbeHandler() {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        const std::wstring command = L"\"" + std::wstring(self) + L"\" --probe \"%1\"";
        RegSetValueW(HKEY_CLASSES_ROOT, L"PxTestPage\\shell\\open\\command", REG_SZ,
                     command.c_str(), static_cast<DWORD>(command.size() * sizeof(wchar_t)));
        SetHtmClass(L"PxTestPage");
    }
    std::string ProbeOutput() const {
        for (int i = 0; i < 200; ++i) {
            FILE* file = _wfopen(m_probeFile.c_str(), L"rb");
            if (file) {
                char buffer[1024] = {};
                const size_t read = fread(buffer, 1, sizeof(buffer) - 1, file);
                fclose(file);
                if (read > 0) return std::string(buffer, read);
            }
            Sleep(50);
        }
        return std::string();
    }

    bool m_hadHtm = false;
    std::wstring m_savedHtm;
    std::wstring m_probeFile;
};

TEST_F(LinkHandlerTest, ClickFallsBackToTheWebPageHandlerWithoutItsPlaceholder) {
    SetProbeHandler();
    HWND label = Static(L"Pixolum EULA", SS_LEFT, 10, 10, 200, 20);
    CHyperLink link;
    link.SetLinkTarget(L"pxtest-none:eula.htm");
    ASSERT_TRUE(link.SubclassWindow(label));
    SendMessageW(m_parent, WM_COMMAND, MAKEWPARAM(1045, STN_CLICKED),
                 reinterpret_cast<LPARAM>(label));
    const std::string command = ProbeOutput();
    EXPECT_NE(command.find("--probe  pxtest-none:eula.htm"), std::string::npos)
        << "command line: " << command;
    EXPECT_EQ(LinkTextColour(label), RGB(85, 26, 139));
}

// Without a target of its own the link opens what it shows.
TEST_F(LinkHandlerTest, LinkWithoutTargetOpensItsText) {
    SetProbeHandler();
    HWND label = Static(L"pxtest-none:text.htm", SS_LEFT, 10, 10, 200, 20);
    CHyperLink link;
    ASSERT_TRUE(link.SubclassWindow(label));
    SendMessageW(m_parent, WM_COMMAND, MAKEWPARAM(1045, STN_CLICKED), reinterpret_cast<LPARAM>(label));
    EXPECT_NE(ProbeOutput().find("pxtest-none:text.htm"), std::string::npos);
}

TEST_F(LinkHandlerTest, FailedClickLeavesTheLinkUnvisited) {
    SetHtmClass(L"PxTestPage");  // a class without an open command
    EXPECT_LE(CHyperLink::OpenLinkTarget(L"pxtest-none:eula.htm", SW_SHOW), 32);
    HWND label = Static(L"Pixolum EULA", SS_LEFT, 10, 10, 200, 20);
    CHyperLink link;
    link.SetLinkTarget(L"pxtest-none:eula.htm");
    ASSERT_TRUE(link.SubclassWindow(label));
    SendMessageW(m_parent, WM_COMMAND, MAKEWPARAM(1045, STN_CLICKED),
                 reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(LinkTextColour(label), RGB(0, 0, 238));
}

TEST(ReadKeyDefaultValue, ReadsTheDefaultValueOrLeavesTheOutputAlone) {
    RegSetValueW(HKEY_CURRENT_USER, L"Software\\PxWizardTest", REG_SZ, L"abc", 3 * sizeof(wchar_t));
    wchar_t output[520] = L"keep";
    EXPECT_EQ(CHyperLink::ReadKeyDefaultValue(HKEY_CURRENT_USER, L"Software\\PxWizardTest", output,
                                              520),
              ERROR_SUCCESS);
    EXPECT_STREQ(output, L"abc");
    wcscpy(output, L"keep");
    EXPECT_EQ(CHyperLink::ReadKeyDefaultValue(HKEY_CURRENT_USER, L"Software\\PxWizardTest\\None",
                                              output, 520),
              ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(output, L"keep");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\PxWizardTest");
}

// ---- colour static ----

TEST_F(ControlsTest, ColourStaticStartsWithTheWindowFontAndSystemColours) {
    HWND label = Static(L"Installiere ...", SS_CENTER, 10, 10, 300, 30, 1044);
    CXColorStatic status;
    ASSERT_TRUE(status.SubclassWindow(label));
    LOGFONTW font = {};
    ASSERT_TRUE(status.TextFont().GetLogFont(&font));
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -13);
    EXPECT_EQ(status.TextColour(), GetSysColor(COLOR_BTNTEXT));

    // Without a font of its own the control starts from the stock GUI font.
    HWND bare = Static(L"x", 0, 10, 50, 100, 20, 1045, false);
    CXColorStatic fallback;
    ASSERT_TRUE(fallback.SubclassWindow(bare));
    LOGFONTW stock = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
    ASSERT_TRUE(fallback.TextFont().GetLogFont(&font));
    EXPECT_STREQ(font.lfFaceName, stock.lfFaceName);
}

TEST_F(ControlsTest, ColourStaticBoldAndFaceCombine) {
    HWND label = Static(L"Installiere ...", SS_CENTER, 10, 10, 300, 30, 1044);
    CXColorStatic status;
    ASSERT_TRUE(status.SubclassWindow(label));
    LOGFONTW font = {};

    // The ready page's order: the face keeps the bold weight.
    status.SetTextColour(RGB(255, 0, 0), FALSE);
    status.SetTextBold(TRUE, TRUE);
    status.SetTextFace(L"Arial", 18, TRUE);
    ASSERT_TRUE(status.TextFont().GetLogFont(&font));
    EXPECT_STREQ(font.lfFaceName, L"Arial");
    EXPECT_EQ(font.lfHeight, 18);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfQuality, ANTIALIASED_QUALITY);
    EXPECT_EQ(status.TextColour(), RGB(255, 0, 0));

    // Bold afterwards starts again from the window's own font.
    status.SetTextBold(FALSE, FALSE);
    ASSERT_TRUE(status.TextFont().GetLogFont(&font));
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -13);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);

    status.SetTextFace(L"A Very Long Face Name Beyond Thirty One Letters", -20, FALSE);
    ASSERT_TRUE(status.TextFont().GetLogFont(&font));
    EXPECT_EQ(std::wstring(font.lfFaceName), L"A Very Long Face Name Beyond Th");

    status.SetTextFace(nullptr, -20, FALSE);
    ASSERT_TRUE(status.TextFont().GetLogFont(&font));
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -20);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Stand-in web-page handler of the link tests: record the command line.
    if (argc > 1 && wcscmp(argv[1], L"--probe") == 0) {
        wchar_t path[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"PX_PROBE_FILE", path, MAX_PATH)) return 1;
        const char* line = GetCommandLineA();
        FILE* file = _wfopen(path, L"wb");
        if (!file) return 1;
        fwrite(line, 1, strlen(line), file);
        fclose(file);
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
