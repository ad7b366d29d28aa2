// The ready page (index 3): settings folder and the installation run.
#include <windows.h>

#include "resource.h"
#include "wiz_page.h"
#include "wiz_sheet.h"

void CWizPropertyPage::ActivateReady() {}

void CWizPropertyPage::BindStatusText(CDataExchange* pDX) {
    CXColorStatic& status = m_pSheet->m_statusText;
    DDX_Control(pDX, IDC_STATUS_TEXT, status);
    int dpi = 96;
    HWND sheet = GetSheetWindow();
    if (HDC dc = GetDC(sheet)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(sheet, dc);
    }
    status.SetTextColour(RGB(255, 0, 0), FALSE);
    status.SetTextBold(TRUE, TRUE);
    status.SetTextFace(L"Arial", MulDiv(18, dpi, 96), TRUE);
}

LRESULT CWizPropertyPage::RunInstallationStep() { return NeighbourPageId(TRUE); }
