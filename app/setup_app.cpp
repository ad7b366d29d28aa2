#include "setup_app.h"

#include <cwchar>

#include "command_line.h"
#include "earlier_install.h"
#include "install_driver.h"
#include "install_log.h"
#include "install_scope.h"
#include "resource.h"
#include "run_wizard.h"
#include "system_library.h"
#include "text_buffer.h"
#include "viewer_process.h"
#include "win_handles.h"

namespace {

TheApp theApp;

// Visual styles for the window frame and the controls. The theme library
// stays loaded for the life of the process.
void EnableThemes() {
    static HMODULE uxTheme = LoadSystemLibrary(L"UxTheme.dll");
    using SetThemeAppPropertiesFn = void(WINAPI*)(DWORD);
    auto setProps = GetProcAs<SetThemeAppPropertiesFn>(uxTheme, "SetThemeAppProperties");
    if (setProps) setProps(3 /* STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS */);
}

// The list view up to the animation control: everything the pages use.
void InitControls() { InitCommonControlClasses(0xFF); }

// Silent mode's refusals: one log entry, the string table's text.
void LogRefusal(HINSTANCE instance, UINT textId) {
    wchar_t message[kPathChars] = {};
    LoadStringW(instance, textId, message, kPathChars);
    WriteInstallLog(message);
}

}  // namespace

BOOL TheApp::InitInstance() {
    HardenDllSearch();
    const wchar_t* commandLine = GetCommandLineW();
    // A silent run shows no window: the theme and control libraries stay
    // unloaded, which spares a deployment their start-up.
    if (!IsSilentCommandLine(commandLine) || IsHelpCommandLine(commandLine)) {
        EnableThemes();
        InitControls();
    }
    if (IsHelpCommandLine(commandLine)) {
        // Asked for the switches: show them and install nothing, whatever else was given.
        // The text lives in the string table (about 960 characters).
        wchar_t help[1024] = {};
        LoadStringW(m_hInstance, IDS_HELP_TEXT, help, 1024);
        MessageBoxW(nullptr, help, kSetupCaption, MB_OK | MB_ICONINFORMATION);
        m_nExitCode = 0;
        return FALSE;
    }
    m_scope = IsCurrentUserCommandLine(commandLine) || !HasAdministratorRights() ? InstallScope::User
                                                                                  : InstallScope::Machine;
    if (IsSilentCommandLine(commandLine)) {
        m_nExitCode = RunSilent(commandLine);
    } else {
        RunWizardMode();
    }
    return FALSE;
}

int TheApp::RunSilent(const wchar_t* commandLine) {
    wchar_t logFile[kLongChars] = {};
    ReadLogSwitch(commandLine, logFile);
    SetInstallLogFile(logFile);
    RecoverEarlierRun(m_scope);

    if (FindWindowW(kViewerWindowClass, nullptr)) {
        LogRefusal(m_hInstance, IDS_VIEWER_RUNNING);
        return kExitViewerRunning;
    }

    SilentChoices choices;
    wchar_t installed[kPathChars] = {};
    if (FindInstalledFolder(m_scope, installed)) {
        CopyText(choices.targetFolder, kLongChars, installed);
    } else {
        GetDefaultInstallFolder(m_scope, choices.targetFolder);
        CopyText(choices.iniFolder, kLongChars, kDefaultSettingsFolder);
    }
    ApplySilentSwitches(commandLine, choices);

    // A viewer whose window lies in another session or desktop: found by its
    // process, in the folder installed to and in the earlier one.
    if (ViewerRunsFrom(choices.targetFolder) || ViewerRunsFrom(installed)) {
        LogRefusal(m_hInstance, IDS_VIEWER_RUNNING);
        return kExitViewerRunning;
    }
    // A newer version stays: a deployment of an older setup changes nothing.
    if (InstalledVersionIsNewer()) {
        LogRefusal(m_hInstance, IDS_DOWNGRADE_REFUSED);
        return kExitDowngrade;
    }

    wchar_t caption[64] = {};
    CopyText(caption, 64, kSetupCaption);
    InstallOptions options = MakeSilentOptions(choices, caption);
    options.scope = m_scope;
    return RunInstallation(options) ? kExitInstalled : kExitFailed;
}

void TheApp::RunWizardMode() {
    // The wizard's defaults come from the earlier installation as it was.
    RecoverEarlierRun(m_scope);
    if (InstalledVersionIsNewer()) {
        wchar_t question[kPathChars] = {};
        LoadStringW(m_hInstance, IDS_DOWNGRADE_QUESTION, question, kPathChars);
        if (MessageBoxW(nullptr, question, kSetupCaption,
                        MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
            return;
        }
    }
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    m_logfontHeading = LOGFONTW{};
    m_logfontHeading.lfHeight = MulDiv(18, dpi, 96);
    m_logfontHeading.lfWeight = FW_BOLD;
    m_logfontHeading.lfQuality = ANTIALIASED_QUALITY;
    CopyText(m_logfontHeading.lfFaceName, LF_FACESIZE, L"Arial");
    RunSetupWizard(m_hInstance, CreateFontIndirectW(&m_logfontHeading), m_scope);
}
