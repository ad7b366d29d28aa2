#include "wiz_sheet.h"

#include <cwchar>

#include "page_scaling.h"
#include "resource.h"
#include "resource_text.h"
#include "text_buffer.h"
#include "wiz_page.h"

CWizPropertySheet g_wizardSheet;

namespace {

constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, Windows 8.1 on

// Each control's font replaced by its copy at num / den of its height;
// fonts[] keeps the copies, found again by the font they replace (from[]).
void ScaleFonts(HWND parent, int num, int den, HFONT skip, HFONT (&from)[4], CFont (&fonts)[4]) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        if (!font || font == skip) continue;
        int slot = 0;
        while (slot < 4 && from[slot] && from[slot] != font) ++slot;
        if (slot == 4) continue;
        if (!from[slot]) {
            LOGFONTW description = {};
            if (GetObjectW(font, sizeof(description), &description) != sizeof(description)) continue;
            description.lfHeight = MulDiv(description.lfHeight, num, den);
            from[slot] = font;
            fonts[slot].CreateFontIndirect(&description);
        }
        if (fonts[slot].GetSafeHandle()) {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[slot].GetSafeHandle()),
                         TRUE);
        }
    }
}

}  // namespace

const MessageMapEntry CWizPropertySheet::s_messageEntries[] = {
    {WM_SYSCOMMAND, 0, 0, Handler<&CWizPropertySheet::OnSysCommand>},
    {WM_SETTEXT, 0, 0, Handler<&CWizPropertySheet::OnSetText>},
    {kDpiChanged, 0, 0, Handler<&CWizPropertySheet::OnDpiChanged>},
};
const MessageMap CWizPropertySheet::s_messageMap = MakeMessageMap(nullptr, s_messageEntries);

CWizPropertySheet::CWizPropertySheet() : CPropertySheet(L"Pixolum Setup", nullptr, 0) {
    m_psh.dwFlags |= PSH_WIZARD;
}

CWizPropertySheet::~CWizPropertySheet() = default;

const MessageMap* CWizPropertySheet::GetMessageMap() const { return &s_messageMap; }

bool CWizPropertySheet::AddPage(CWizPropertyPage* page) {
    if (!CPropertySheet::AddPage(page)) return false;
    page->m_pSheet = this;
    return true;
}

CWizPropertyPage* CWizPropertySheet::WizPage(int index) const {
    // Only CWizPropertyPage objects are ever added to this sheet.
    return static_cast<CWizPropertyPage*>(GetPage(index));
}

BOOL CWizPropertySheet::OnInitDialog() {
    CopyText(m_szTitle, kPathChars, kSetupCaption);
    const BOOL result = CPropertySheet::OnInitDialog();
    const std::wstring cancel = LoadResourceText(ResourceInstance(), IDS_CANCEL_LABEL, kPathChars);
    SetDlgItemTextW(m_hWnd, IDCANCEL, cancel.c_str());
    SetWindowTextW(m_hWnd, m_szTitle);
    if (HDC screen = GetDC(m_hWnd)) {
        m_nDpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(m_hWnd, screen);
    }
    return result;
}

bool CWizPropertySheet::ConfirmLeave() {
    const std::wstring question =
        LoadResourceText(ResourceInstance(), IDS_LEAVE_QUESTION, kPathChars);
    return MessageBoxW(m_hWnd, question.c_str(), m_szTitle,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void CWizPropertySheet::SetInstalling(bool installing) {
    m_bInstalling = installing;
    EnableMenuItem(GetSystemMenu(m_hWnd, FALSE), SC_CLOSE,
                   MF_BYCOMMAND | (installing ? MF_GRAYED : MF_ENABLED));
}

void CWizPropertySheet::ShowLogo(HWND page) {
    HWND logo = FindLogoStatic(page);
    if (!logo) return;
    if (!m_bmpLogo.GetSafeHandle()) {
        // The slot in pixels, by the pages' own dialog units.
        RECT slot = {0, 0, kLogoSlotWidth, kLogoSlotHeight};
        MapDialogRect(page, &slot);
        m_logoSize = SIZE{slot.right, slot.bottom};
        m_bmpLogo.Attach(MakeLogoBitmap(ResourceInstance(), m_logoSize.cx, m_logoSize.cy));
        if (!m_bmpLogo.GetSafeHandle()) return;
    }
    // The bitmap the control loaded from the template is ours to delete.
    auto old = reinterpret_cast<HBITMAP>(SendMessageW(
        logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_bmpLogo.GetSafeHandle())));
    if (old && old != m_bmpLogo.GetSafeHandle()) DeleteObject(old);
}

bool CWizPropertySheet::OnDpiChanged(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // Moved to a screen of another DPI: the pages are laid out again there,
    // and the sheet takes the place Windows suggests.
    const int dpi = LOWORD(wParam);
    if (dpi > 0 && dpi != m_nDpi) RelayOut(dpi);
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    result = 0;
    return true;
}

void CWizPropertySheet::RelayOut(int dpi) {
    const int old = m_nDpi;
    m_nDpi = dpi;

    // Headings first, so that the other fonts leave them alone.
    const HFONT oldHeading = m_fontHeading.GetSafeHandle();
    CFont newHeading;
    LOGFONTW heading = {};
    if (m_fontHeading.GetLogFont(&heading)) {
        heading.lfHeight = MulDiv(heading.lfHeight, dpi, old);
        newHeading.CreateFontIndirect(&heading);
    }
    HFONT from[kScaledFonts] = {};
    CFont fonts[kScaledFonts];
    ScaleChildWindows(m_hWnd, dpi, old);
    ScaleFonts(m_hWnd, dpi, old, oldHeading, from, fonts);
    const int pages = GetPageCount();
    for (int i = 0; i < pages; ++i) {
        HWND page = WizPage(i)->m_hWnd;
        if (!page) continue;
        ScaleChildWindows(page, dpi, old);
        ScaleFonts(page, dpi, old, oldHeading, from, fonts);
        for (HWND child = GetWindow(page, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (oldHeading && newHeading.GetSafeHandle() &&
                reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)) == oldHeading) {
                SendMessageW(child, WM_SETFONT,
                             reinterpret_cast<WPARAM>(newHeading.GetSafeHandle()), TRUE);
            }
        }
    }
    // The fonts made for the DPI before are no longer shown.
    if (newHeading.GetSafeHandle()) m_fontHeading.Attach(newHeading.Detach());
    for (int i = 0; i < kScaledFonts; ++i) m_scaledFonts[i].Attach(fonts[i].Detach());
    if (m_statusText.m_hWnd) m_statusText.SetTextFace(L"Arial", MulDiv(18, dpi, 96), TRUE);

    // The logo drawn again for its grown or shrunk slot, then the old one let go.
    if (m_bmpLogo.GetSafeHandle()) {
        m_logoSize = SIZE{MulDiv(m_logoSize.cx, dpi, old), MulDiv(m_logoSize.cy, dpi, old)};
        CGdiObject<HBITMAP> logo(MakeLogoBitmap(ResourceInstance(), m_logoSize.cx, m_logoSize.cy));
        if (logo.GetSafeHandle()) {
            for (int i = 0; i < pages; ++i) {
                if (HWND page = WizPage(i)->m_hWnd) {
                    if (HWND control = FindLogoStatic(page)) {
                        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP,
                                     reinterpret_cast<LPARAM>(logo.GetSafeHandle()));
                    }
                }
            }
            m_bmpLogo = static_cast<CGdiObject<HBITMAP>&&>(logo);
        }
    }
}

BOOL CWizPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDCANCEL) {
        if (m_bInstalling) return TRUE;
        if (GetActiveIndex() == kFinishedPage) {
            // Escape also arrives as this command; it and the close box leave
            // without opening the browser or starting the viewer.
            if (!m_bLeaveConfirmed && GetKeyState(VK_ESCAPE) >= 0) RunFinishActions();
        } else if (!m_bLeaveConfirmed && !ConfirmLeave()) {
            return TRUE;  // the wizard stays open
        }
    }
    return CPropertySheet::OnCommand(wParam, lParam);
}

bool CWizPropertySheet::OnSysCommand(WPARAM wParam, LPARAM, LRESULT& result) {
    // Exactly SC_CLOSE: the title-bar close box and Alt+F4.
    if (wParam != SC_CLOSE) return false;
    if (m_bInstalling) {
        result = 0;
        return true;
    }
    if (GetActiveIndex() != kFinishedPage && !ConfirmLeave()) {
        result = 0;
        return true;
    }
    m_bLeaveConfirmed = true;
    result = Default();
    m_bLeaveConfirmed = false;
    return true;
}

bool CWizPropertySheet::OnSetText(WPARAM, LPARAM lParam, LRESULT& result) {
    // The platform titles the sheet after each page it shows, and our pages
    // have no caption: once the sheet has its title, it keeps it.
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    if (!m_szTitle[0] || (text && wcscmp(text, m_szTitle) == 0)) return false;
    SetWindowTextW(m_hWnd, m_szTitle);
    result = TRUE;
    return true;
}
