// Moves a running setup wizard from outside, for the screenshot script:
//   wizard_remote wait PAGE        waits until the sheet shows page PAGE
//   wizard_remote next PAGE        presses Next, waits for page PAGE
//   wizard_remote back PAGE        presses Back, waits for page PAGE
//   wizard_remote click ID         presses control ID of the page shown
//   wizard_remote nextbox          presses Next and waits for a message box,
//                                  which it moves beside the sheet so that
//                                  the page stays in sight
//   wizard_remote answer ID PAGE   answers the message box with button ID,
//                                  waits for page PAGE
//   wizard_remote cancel           presses Cancel and answers the question with Yes
//   wizard_remote finish           unticks both follow-up actions of the
//                                  finish page and presses its Cancel button
// Exit code 0 when the wizard got there.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "gui_driver.h"

using namespace pxgui;

namespace {

constexpr int kOpenFaq = 1022;
constexpr int kStartViewer = 1020;

// Lets the wizard paint before the picture is taken.
void Settle() {
    WaitUntil([] { return false; }, 700);
}

bool Untick(HWND page, int id) {
    if (IsChecked(page, id)) ClickItem(page, id);
    return WaitUntil([&] { return !IsChecked(page, id); });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr,
                 L"usage: wizard_remote wait|next|back PAGE | click ID | nextbox | "
                 L"answer ID PAGE | cancel | finish\n");
        return 2;
    }
    const std::wstring command = argv[1];
    int page = argc > 2 ? _wtoi(argv[2]) : 0;
    HWND sheet = WaitForSheet(0, 60000);
    if (!sheet) {
        fwprintf(stderr, L"wizard_remote: no wizard\n");
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(sheet, &processId);

    if (command == L"cancel") {
        ClickItem(sheet, IDCANCEL);
        HWND box = WaitForMessageBox(processId);
        return box && Answer(box, IDYES) ? 0 : 1;
    }
    if (command == L"finish") {
        HWND finished = CurrentPage(sheet);
        if (!Untick(finished, kOpenFaq) || !Untick(finished, kStartViewer)) return 1;
        ClickItem(sheet, IDCANCEL);
        return WaitUntil([sheet] { return !IsWindow(sheet); }, 30000) ? 0 : 1;
    }
    if (command == L"click") {
        ClickItem(CurrentPage(sheet), page);
        Settle();
        return 0;
    }
    if (command == L"nextbox") {
        PressNext(sheet);
        HWND box = WaitForMessageBox(processId, 60000);
        if (!box) {
            fwprintf(stderr, L"wizard_remote: no message box\n");
            return 1;
        }
        RECT frame = {};
        GetWindowRect(sheet, &frame);
        SetWindowPos(box, nullptr, frame.right + 8, frame.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Settle();
        return 0;
    }
    if (command == L"answer") {
        HWND box = WaitForMessageBox(processId);
        if (!box || !Answer(box, page)) return 1;
        page = argc > 3 ? _wtoi(argv[3]) : 0;
    }
    if (command == L"next") PressNext(sheet);
    if (command == L"back") PressBack(sheet);
    if (!WaitForPage(sheet, page, 60000)) {
        fwprintf(stderr, L"wizard_remote: page %d not reached (now %d)\n", page,
                 CurrentPageIndex(sheet));
        return 1;
    }
    Settle();
    return 0;
}
