// px_uninstall.exe: removes the installation it lies in. With "/silent" it
// shows no window and reports through its exit code and, on failure, the
// install log; otherwise it asks first and shows a short result.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "install_log.h"
#include "path_utils.h"
#include "product.h"
#include "removal.h"
#include "system_library.h"
#include "temp_copy.h"
#include "uninstall_args.h"
#include "uninstall_messages.h"
#include "uninstall_paths.h"
#include "win_handles.h"

namespace {

constexpr int kExitRemoved = 0;
constexpr int kExitIncomplete = 1;
constexpr int kExitViewerRunning = 2;
constexpr int kExitCancelled = 3;

// The argument vector of CommandLineToArgvW, freed with LocalFree.
class ArgumentList {
public:
    ArgumentList() : m_args(CommandLineToArgvW(GetCommandLineW(), &m_count)) {}
    ~ArgumentList() {
        if (m_args) LocalFree(m_args);
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    UninstallArgs Parse() const { return ParseUninstallArgs(m_args ? m_count : 0, m_args); }

private:
    int m_count = 0;
    LPWSTR* m_args;
};

bool Ask(const std::wstring& question) {
    return MessageBoxW(nullptr, question.c_str(), uninstall_text::kCaption,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

// The last resort when no copy can run (no temporary folder, a policy that
// forbids programs there): everything but this file goes now, this file and
// the then empty folder at the next restart.
RemovalReport RemoveInProcess(const std::wstring& ownPath, bool removeSettings) {
    RemovalRequest request;
    request.installFolder = FolderOf(ownPath);
    request.removeSettings = removeSettings;
    request.runningImage = ownPath;
    RemovalResult result;
    if (!LoadEmbeddedEntryList(request.entries)) {
        result.report.Fail(L"Die Liste der Programmdateien fehlt.");
        return result.report;
    }
    result = RemoveInstallation(request);
    if (result.imageDeferred) {
        MoveFileExW(ownPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        MoveFileExW(request.installFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        result.report.Fail(ownPath + L" (wird beim nächsten Neustart entfernt)");
    }
    return result.report;
}

int RunUninstaller(const UninstallArgs& args) {
    const bool silent = args.silent;
    if (FindWindowW(kViewerWindowClass, nullptr)) {
        if (silent) {
            WriteInstallLog(uninstall_text::kViewerRunning);
        } else {
            MessageBoxW(nullptr, uninstall_text::kViewerRunning, uninstall_text::kCaption,
                        MB_OK | MB_ICONEXCLAMATION);
        }
        return kExitViewerRunning;
    }

    const std::wstring ownPath = OwnModulePath();
    const std::wstring installFolder = FolderOf(ownPath);
    if (installFolder.empty()) return kExitIncomplete;
    if (!IsInstallation(installFolder)) {
        const std::wstring message = NotInstalledMessage(installFolder);
        if (silent) {
            WriteInstallLog(message.c_str());
        } else {
            MessageBoxW(nullptr, message.c_str(), uninstall_text::kCaption, MB_OK | MB_ICONERROR);
        }
        return kExitIncomplete;
    }
    bool removeSettings = silent && args.removeSettings;
    if (!silent) {
        if (!Ask(RemovalQuestion())) return kExitCancelled;
        removeSettings = !FindSettingsFiles(installFolder).empty() && Ask(uninstall_text::kSettingsQuestion);
    }

    // The log belongs in the folder current at start; meanwhile no process
    // of ours may hold the install folder as its current folder.
    const std::wstring startFolder = CurrentFolder();
    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, temp)) SetCurrentDirectoryW(temp);

    RemovalReport report;
    if (!RemoveThroughTempCopy(ownPath, silent, removeSettings, report)) {
        report = RemoveInProcess(ownPath, removeSettings);
    }
    if (!startFolder.empty()) SetCurrentDirectoryW(startFolder.c_str());

    if (silent) {
        if (!report.Succeeded()) WriteInstallLog(FailureLogMessage(report).c_str());
    } else {
        MessageBoxW(nullptr, ResultMessage(report, installFolder).c_str(), uninstall_text::kCaption,
                    MB_OK | (report.Succeeded() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
    }
    return report.Succeeded() ? kExitRemoved : kExitIncomplete;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    HardenDllSearch();
    const UninstallArgs args = ArgumentList().Parse();
    if (args.worker) return RunWorker(args);
    InitCommonControlClasses(ICC_STANDARD_CLASSES);
    return RunUninstaller(args);
}
