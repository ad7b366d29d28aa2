// The viewer's main window: class "Pixolum", one picture scaled to fit, or
// the list of a folder's pictures.
#pragma once

#include "picture.h"
#include "win_handles.h"

#include <string>

namespace pixo {

// Main window of the viewer stand-in; one per process.
class CViewerWindow {
public:
    explicit CViewerWindow(HINSTANCE hInstance);
    CViewerWindow(const CViewerWindow&) = delete;
    CViewerWindow& operator=(const CViewerWindow&) = delete;

    bool Create(int showCommand);
    void ShowPicture(const std::wstring& path);
    void ShowFolder(const std::wstring& folder);
    // The message loop; returns the exit code of WM_QUIT.
    int Run();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnSize();
    void OnCommand(int id, int code);
    void OnOpen();
    void OnHelp();
    void OpenSelectedListItem();
    void UpdateTitle();
    std::wstring Text(UINT id) const;
    std::wstring ProgramFolder() const;

    HINSTANCE m_hInstance;
    HWND m_hwnd = nullptr;
    HWND m_hwndList = nullptr;
    HACCEL m_hAccel = nullptr;
    ModuleHandle m_language;
    LoadedPicture m_picture;
    std::wstring m_strPicturePath;  // the picture shown, or empty
    std::wstring m_strFolder;       // the folder listed, or empty
    bool m_bShowingList = false;
    bool m_bLoadFailed = false;
};

}  // namespace pixo
