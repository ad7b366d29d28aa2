/* The floor of a wizard: a one-page PSH_WIZARD property sheet of comctl32
 * with the setup's manifest (common controls 6), nothing else. */
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
static INT_PTR CALLBACK Page(HWND h, UINT m, WPARAM w, LPARAM l) {
    (void)h; (void)w; (void)l;
    if (m == WM_NOTIFY && ((NMHDR*)l)->code == PSN_SETACTIVE) {
        PropSheet_SetWizButtons(GetParent(h), PSWIZB_NEXT);
        return TRUE;
    }
    return m == WM_INITDIALOG;
}
int WINAPI wWinMain(HINSTANCE inst, HINSTANCE prev, PWSTR cmd, int show) {
    (void)prev; (void)cmd; (void)show;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    PROPSHEETPAGEW page = {0};
    page.dwSize = sizeof page;
    page.hInstance = inst;
    page.pszTemplate = MAKEINTRESOURCEW(100);
    page.pfnDlgProc = Page;
    PROPSHEETHEADERW sheet = {0};
    sheet.dwSize = sizeof sheet;
    sheet.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD;
    sheet.hInstance = inst;
    sheet.pszCaption = L"Wizard";
    sheet.nPages = 1;
    sheet.ppsp = &page;
    PropertySheetW(&sheet);
    return 0;
}
