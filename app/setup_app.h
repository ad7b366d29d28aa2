// TheApp: the setup's application object — start-up, then silent mode or the wizard.
#pragma once

#include <windows.h>

#include "install_scope.h"
#include "win_app.h"

// Process exit codes of silent mode; deployment tools judge the run by them.
enum SilentExitCode { kExitInstalled = 0, kExitFailed = 1, kExitViewerRunning = 2, kExitDowngrade = 3 };

class TheApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    // Decided once at start, before any journal, earlier installation or
    // default folder is looked at; every step of the run is given it.
    InstallScope m_scope = InstallScope::Machine;
    LOGFONTW m_logfontHeading = {};   // the pages' heading font, Arial bold 18 pt at screen DPI

    int RunSilent(const wchar_t* commandLine);
    void RunWizardMode();
};
