// CWinApp: the application object; the program's one instance runs InitInstance.
#pragma once

#include <windows.h>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Runs the application from wWinMain: InitInstance, then the message
    // loop only when it returned TRUE. Returns the process exit code.
    int Run(HINSTANCE instance);

    // Returns FALSE to end the process without a message loop.
    virtual BOOL InitInstance() = 0;

    // Called when InitInstance returned FALSE or the loop ended; its result
    // is the process exit code.
    virtual int ExitInstance() { return m_nExitCode; }

    HINSTANCE Instance() const { return m_hInstance; }

protected:
    HINSTANCE m_hInstance = nullptr;
    int m_nExitCode = 0;
};

// The one application object, or null before it is constructed.
CWinApp* AfxGetApp();
