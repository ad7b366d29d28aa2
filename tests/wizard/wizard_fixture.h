// A test that runs the real setup.exe in wizard mode and drives it from
// outside as a user would: pages, buttons and message boxes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "gui_driver.h"
#include "text_fit.h"

namespace pxgui {

constexpr int kBack = 0x3023;
constexpr int kNext = 0x3024;
const std::wstring kTitle = L"Pixolum 32-bit Setup";

// The setup under test (a Windows path); set by the test program's main.
extern std::wstring g_setupExe;

class WizardFixture : public ::testing::Test {
protected:
    // Starts the setup and waits for its sheet on the welcome page.
    void Start() {
        ASSERT_TRUE(m_setup.Start(g_setupExe)) << "cannot start the setup";
        m_sheet = WaitForSheet(m_setup.Id());
        ASSERT_NE(m_sheet, nullptr) << "no wizard sheet appeared";
        ASSERT_TRUE(WaitForPage(m_sheet, 0));
    }
    HWND Page() const { return CurrentPage(m_sheet); }
    void Next(int expectedPage) {
        PressNext(m_sheet);
        ASSERT_TRUE(WaitForPage(m_sheet, expectedPage)) << "Next did not lead to " << expectedPage;
    }
    void Back(int expectedPage) {
        PressBack(m_sheet);
        ASSERT_TRUE(WaitForPage(m_sheet, expectedPage)) << "Back did not lead to " << expectedPage;
    }
    // Waits for a message box and checks its caption and text; the box is
    // left open for the caller (null when none came).
    HWND ExpectOpenBox(const std::wstring& text, int defaultButton = 0) {
        HWND box = WaitForMessageBox(m_setup.Id());
        EXPECT_NE(box, nullptr) << "no message box";
        if (!box) return nullptr;
        EXPECT_EQ(Text(box), kTitle);
        EXPECT_EQ(MessageBoxText(box), text);
        if (defaultButton) {
            EXPECT_EQ(DefaultButton(box), defaultButton);
        }
        return box;
    }
    // The same, and answers it.
    void ExpectBox(const std::wstring& text, int answer, int defaultButton = 0) {
        HWND box = ExpectOpenBox(text, defaultButton);
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(Answer(box, answer));
    }
    // No message box comes up within a while.
    void ExpectNoBox(int waitMs = 1500) {
        EXPECT_FALSE(WaitUntil([this] { return FindMessageBox(m_setup.Id()) != nullptr; }, waitMs));
    }

    // The sheet keeps its title, every text of the page shows whole, and no
    // two controls of the page and the sheet's buttons share a mnemonic.
    void ExpectTitleAndTextsFit(int pageIndex) {
        SCOPED_TRACE(testing::Message() << "page " << pageIndex);
        EXPECT_EQ(Text(m_sheet), kTitle);
        const std::vector<TextMeasure> measures = MeasurePageTexts(Page());
        EXPECT_FALSE(measures.empty());
        std::wstring letters;
        for (int button : {kBack, kNext, IDCANCEL}) letters += Mnemonic(ItemText(m_sheet, button));
        for (const TextMeasure& m : measures) letters += Mnemonic(m.text);
        for (size_t i = 0; i < letters.size(); ++i) {
            EXPECT_EQ(letters.find(letters[i], i + 1), std::wstring::npos)
                << "mnemonic " << static_cast<char>(letters[i]) << " twice";
        }
        for (const TextMeasure& m : measures) {
            EXPECT_TRUE(m.Fits()) << "control " << m.id << " needs " << m.needed.cx << " x "
                                  << m.needed.cy << " px, has " << m.room.cx << " x "
                                  << m.room.cy << ": " << testing::PrintToString(m.text);
        }
    }

    // At the screen's DPI: every control of the page lies inside the page,
    // and a logo fills its slot of 59 x 19 of the page's 300 x 222 dialog
    // units with its own pixels (blue to the slot's lower right corner).
    void ExpectLaidOutForTheDpi(int pageIndex, bool logo) {
        SCOPED_TRACE(testing::Message() << "page " << pageIndex << " at " << ScreenDpi() << " DPI");
        HWND page = Page();
        RECT bounds = {};
        GetWindowRect(page, &bounds);
        HWND found = nullptr;
        for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r = {};
            GetWindowRect(child, &r);
            EXPECT_TRUE(r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right &&
                        r.bottom <= bounds.bottom)
                << "control " << GetDlgCtrlID(child) << " (" << r.left - bounds.left << ", "
                << r.top - bounds.top << ")-(" << r.right - bounds.left << ", "
                << r.bottom - bounds.top << ") passes the page's " << bounds.right - bounds.left
                << " x " << bounds.bottom - bounds.top;
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) found = child;
        }
        if (!logo) return;
        ASSERT_NE(found, nullptr) << "no logo";
        RECT r = {};
        GetWindowRect(found, &r);
        const int wantW = 59 * (bounds.right - bounds.left) / 300;
        const int wantH = 19 * (bounds.bottom - bounds.top) / 222;
        std::printf("page %d at %d DPI: %ld x %ld pixels, logo %ld x %ld\n", pageIndex, ScreenDpi(),
                    bounds.right - bounds.left, bounds.bottom - bounds.top, r.right - r.left,
                    r.bottom - r.top);
        EXPECT_NEAR(r.right - r.left, wantW, 2);
        EXPECT_NEAR(r.bottom - r.top, wantH, 2);
        COLORREF seen = CLR_INVALID;
        EXPECT_TRUE(WaitUntil(
            [&] {
                seen = ScreenPixel(r.left + wantW - 3, r.top + wantH - 3);
                return seen != CLR_INVALID && GetBValue(seen) >= 250 && GetRValue(seen) <= 215;
            },
            3000))
            << "the logo's corner shows " << std::hex << seen;
    }

    // The lower-case letters after single ampersands of a label.
    static std::wstring Mnemonic(const std::wstring& label) {
        std::wstring letters;
        for (size_t i = 0; i + 1 < label.size(); ++i) {
            if (label[i] != L'&') continue;
            if (label[i + 1] != L'&') letters += static_cast<wchar_t>(towlower(label[i + 1]));
            ++i;
        }
        return letters;
    }

    SetupProcess m_setup;
    HWND m_sheet = nullptr;
};

}  // namespace pxgui
