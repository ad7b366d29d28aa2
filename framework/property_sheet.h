// CPropertySheet and CPropertyPage: a property-sheet wizard on PropertySheetW.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "wnd.h"

// The wizard buttons of a sheet with PSH_WIZARD.
constexpr int ID_WIZBACK = 0x3023;
constexpr int ID_WIZNEXT = 0x3024;

class CPropertySheet;

// Direction of one exchange between a page's controls and its objects.
struct CDataExchange {
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds control to the dialog's control id the first time; later calls find
// it bound and leave it.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CPropertyPage : public CWnd {
public:
    CPropertyPage() = default;
    // Page on dialog template templateId; captionId 0 keeps the template's own caption.
    void Construct(UINT templateId, UINT captionId = 0);
    UINT TemplateId() const { return m_nTemplateId; }

protected:
    // Binds controls on creation (the base runs DoDataExchange).
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // PSN_SETACTIVE; TRUE accepts. The base exchanges data again on every
    // activation after the first.
    virtual BOOL OnSetActive();
    // PSN_KILLACTIVE; TRUE lets the page go. The base exchanges data.
    virtual BOOL OnKillActive();
    // PSN_WIZNEXT / PSN_WIZBACK: -1 stays, a template id moves there, 0 asks
    // the sheet for the neighbour.
    virtual LRESULT OnWizardNext();
    virtual LRESULT OnWizardBack();
    BOOL UpdateData(BOOL saveAndValidate);

    HWND GetSheetWindow() const { return m_hWnd ? GetParent(m_hWnd) : nullptr; }

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageDialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam);
    INT_PTR OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnSheetNotify(const NMHDR& header);
    INT_PTR Answer(LRESULT result);

    UINT m_nTemplateId = 0;
    UINT m_nCaptionId = 0;
    bool m_bFirstSetActive = true;
    CPropertySheet* m_pOwner = nullptr;
};

class CPropertySheet : public CWnd {
public:
    CPropertySheet(const wchar_t* caption, HWND parent = nullptr, UINT startPage = 0);

    // A sheet holds up to kMaxPages pages; AddPage returns false for a page
    // beyond them (or none) and leaves the sheet as it was.
    static constexpr int kMaxPages = 16;
    bool AddPage(CPropertyPage* page);
    void RemoveAllPages();
    int GetPageCount() const { return m_nPages; }
    // A page index outside the sheet is a program error: the program aborts.
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(const CPropertyPage* page) const;
    // Index of the page that is active, or being created and activated.
    int GetActiveIndex() const { return m_nActivePage; }

    // Runs the sheet modally; returns what PropertySheetW returns.
    INT_PTR DoModal();

    // Module that holds the page templates and the texts the pages load.
    HINSTANCE ResourceInstance() const { return m_psh.hInstance; }
    void SetResourceInstance(HINSTANCE instance) { m_psh.hInstance = instance; }

    PROPSHEETHEADERW m_psh = {};

protected:
    // WM_INITDIALOG of the sheet; the base runs the platform's initialisation.
    virtual BOOL OnInitDialog();
    // WM_COMMAND; FALSE passes the command on to the platform.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class CPropertyPage;
    void NoteActivePage(const CPropertyPage* page);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);

    std::wstring m_strCaption;
    CPropertyPage* m_pages[kMaxPages] = {};
    int m_nPages = 0;
    int m_nActivePage = 0;
};
