// Runs the uninstaller as its callers do and answers its message boxes, for
// the end-to-end and window tests:
//   uninstall_remote run EXE [ARG...]   starts EXE, waits for it; prints its exit code and
//                                       whether EXE's folder still existed when it returned
//   uninstall_remote open LINK FOLDER   starts a shell link's program as Explorer does, waits for the
//                                       program it started; prints the same for FOLDER
//   uninstall_remote box TEXT           waits for a message box whose text contains TEXT;
//                                       prints its caption, text and default button
//   uninstall_remote answer yes|no|ok   presses that button of the message box
//   uninstall_remote hold FILE FLAG     keeps FILE open without sharing, creates FLAG and
//                                       waits until FLAG is deleted (a file in use)
// Exit code: the program's (run, open), else 0 when it worked.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "gui_driver.h"

using namespace pxgui;

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t cut = path.rfind(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

int Report(HANDLE process, const std::wstring& folder) {
    WaitForSingleObject(process, INFINITE);
    // Looked at the moment the caller gets control back, before anything
    // the uninstaller might still do afterwards.
    const bool present = GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
    DWORD code = 99;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    wprintf(L"exit=%lu folder=%ls\n", code, present ? L"present" : L"absent");
    fflush(stdout);
    return static_cast<int>(code);
}

int Run(int argc, wchar_t** argv) {
    std::wstring line = L"\"" + std::wstring(argv[2]) + L"\"";
    for (int i = 3; i < argc; ++i) line += L" " + std::wstring(argv[i]);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(argv[2], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        fwprintf(stderr, L"uninstall_remote: cannot start %ls (%lu)\n", argv[2], GetLastError());
        return 98;
    }
    CloseHandle(info.hThread);
    return Report(info.hProcess, FolderOf(argv[2]));
}

// Starts what a shell link names, as Explorer does when the user clicks it:
// the target with the link's arguments and working folder, read through the
// shell's link object. (Wine's ShellExecuteEx opens links through a helper
// and gives no process handle to wait on.)
int Open(const wchar_t* link, const wchar_t* folder) {
    CoInitialize(nullptr);
    IShellLinkW* shellLink = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = {};
    wchar_t arguments[1024] = {};
    wchar_t directory[MAX_PATH] = {};
    const bool read =
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink))) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(link, STGM_READ)) &&
        SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, 0)) &&
        SUCCEEDED(shellLink->GetArguments(arguments, 1024)) &&
        SUCCEEDED(shellLink->GetWorkingDirectory(directory, MAX_PATH));
    if (file) file->Release();
    if (shellLink) shellLink->Release();
    CoUninitialize();
    if (!read || !target[0]) {
        fwprintf(stderr, L"uninstall_remote: cannot read %ls\n", link);
        return 98;
    }
    std::wstring line = L"\"" + std::wstring(target) + L"\"";
    if (arguments[0]) line += L" " + std::wstring(arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(target, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory[0] ? directory : nullptr, &startup, &info)) {
        fwprintf(stderr, L"uninstall_remote: cannot start %ls (%lu)\n", target, GetLastError());
        return 98;
    }
    CloseHandle(info.hThread);
    return Report(info.hProcess, folder);
}

int Box(const std::wstring& text) {
    HWND box = nullptr;
    const bool found = WaitUntil(
        [&] {
            box = FindMessageBox(0);
            return box && MessageBoxText(box).find(text) != std::wstring::npos;
        },
        30000);
    if (!found) {
        fwprintf(stderr, L"uninstall_remote: no message box with \"%ls\" (now: %ls)\n", text.c_str(),
                 box ? MessageBoxText(box).c_str() : L"none");
        return 1;
    }
    const int id = DefaultButton(box);
    const wchar_t* name = id == IDYES ? L"yes" : id == IDNO ? L"no" : id == IDOK ? L"ok" : L"other";
    wprintf(L"caption=%ls\ndefault=%ls\ntext=%ls\n", Text(box).c_str(), name, MessageBoxText(box).c_str());
    fflush(stdout);
    // Let the box paint before the picture is taken.
    WaitUntil([] { return false; }, 700);
    return 0;
}

int AnswerBox(const std::wstring& button) {
    const int id = button == L"yes" ? IDYES : button == L"no" ? IDNO : IDOK;
    HWND box = WaitForMessageBox(0, 30000);
    return box && Answer(box, id) ? 0 : 1;
}

int Hold(const wchar_t* file, const wchar_t* flag) {
    HANDLE held = CreateFileW(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
    HANDLE created = CreateFileW(flag, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (created != INVALID_HANDLE_VALUE) CloseHandle(created);
    for (int i = 0; i < 1200 && GetFileAttributesW(flag) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    CloseHandle(held);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"run" && argc > 2) return Run(argc, argv);
    if (command == L"open" && argc > 3) return Open(argv[2], argv[3]);
    if (command == L"box" && argc > 2) return Box(argv[2]);
    if (command == L"answer" && argc > 2) return AnswerBox(argv[2]);
    if (command == L"hold" && argc > 3) return Hold(argv[2], argv[3]);
    fwprintf(stderr, L"usage: uninstall_remote run EXE [ARG...] | open LINK FOLDER | box TEXT | "
                     L"answer yes|no|ok | hold FILE FLAG\n");
    return 2;
}
