// Moves a running setup wizard from outside, for the screenshot script:
//   wizard_remote wait PAGE     waits until the sheet shows page PAGE
//   wizard_remote next PAGE     presses Next, waits for page PAGE
//   wizard_remote back PAGE     presses Back, waits for page PAGE
//   wizard_remote cancel        presses Cancel and answers the question with Yes
// Exit code 0 when the wizard got there.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "gui_driver.h"

using namespace pxgui;

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: wizard_remote wait|next|back PAGE | cancel\n");
        return 2;
    }
    const std::wstring command = argv[1];
    const int page = argc > 2 ? _wtoi(argv[2]) : 0;
    HWND sheet = WaitForSheet(0, 60000);
    if (!sheet) {
        fwprintf(stderr, L"wizard_remote: no wizard\n");
        return 1;
    }
    if (command == L"next") PressNext(sheet);
    if (command == L"back") PressBack(sheet);
    if (command == L"cancel") {
        DWORD processId = 0;
        GetWindowThreadProcessId(sheet, &processId);
        ClickItem(sheet, IDCANCEL);
        HWND box = WaitForMessageBox(processId);
        return box && Answer(box, IDYES) ? 0 : 1;
    }
    if (!WaitForPage(sheet, page, 30000)) {
        fwprintf(stderr, L"wizard_remote: page %d not reached (now %d)\n", page,
                 CurrentPageIndex(sheet));
        return 1;
    }
    // Let the page paint before the picture is taken.
    WaitUntil([] { return false; }, 700);
    return 0;
}
