// The sheet's bring-to-front operation of the finish actions, on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include "wiz_sheet.h"

namespace {

// A top-level window of the viewer's class, opened by its own thread after a
// delay, as a viewer that starts up takes a moment.
class LateViewer {
public:
    explicit LateViewer(DWORD delayMs) : m_delayMs(delayMs) {
        m_thread = CreateThread(nullptr, 0, &LateViewer::Run, this, 0, nullptr);
    }
    ~LateViewer() {
        if (m_hWnd) PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        WaitForSingleObject(m_thread, 5000);
        CloseHandle(m_thread);
    }
    LateViewer(const LateViewer&) = delete;
    LateViewer& operator=(const LateViewer&) = delete;
    HWND Window() const { return m_hWnd; }

private:
    static DWORD WINAPI Run(void* data) {
        auto* self = static_cast<LateViewer*>(data);
        Sleep(self->m_delayMs);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &LateViewer::WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"Pixolum";
        RegisterClassW(&windowClass);
        // Shown without taking the focus: only the operation may bring it forward.
        HWND window = CreateWindowW(L"Pixolum", L"Pixolum", WS_OVERLAPPEDWINDOW, 50, 50, 200, 100,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        self->m_hWnd = window;
        MSG msg;
        while (self->m_hWnd && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        return 0;
    }
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(window, message, wParam, lParam);
    }

    DWORD m_delayMs;
    HANDLE m_thread = nullptr;
    volatile HWND m_hWnd = nullptr;
};

// A window of the test itself, in front before the operation runs.
HWND FrontWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PxSheetTestFront";
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowW(L"PxSheetTestFront", L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                      200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(window);
    return window;
}

TEST(WizardSheet, BringsAViewerThatAppearsLateToTheFront) {
    HWND front = FrontWindow();
    LateViewer viewer(1200);
    EXPECT_TRUE(g_wizardSheet.BringViewerToFront());
    ASSERT_NE(viewer.Window(), nullptr);
    // The viewer's thread takes the activation when it next reads its messages.
    for (int i = 0; i < 50 && GetForegroundWindow() != viewer.Window(); ++i) Sleep(20);
    EXPECT_EQ(GetForegroundWindow(), viewer.Window()) << "the late viewer is in front";
    DestroyWindow(front);
}

TEST(WizardSheet, GivesUpAfterFiveTriesWithoutAViewer) {
    ASSERT_EQ(FindWindowW(L"Pixolum", nullptr), nullptr);
    HWND front = FrontWindow();
    const DWORD start = GetTickCount();
    EXPECT_FALSE(g_wizardSheet.BringViewerToFront());
    // The finish page must not hang on a viewer that never comes.
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(GetForegroundWindow(), front) << "nothing else changes";
    DestroyWindow(front);
}

}  // namespace
