// How the uninstaller removes its own file, and why the caller still gets
// the true result.
//
// A running program's file cannot be deleted, and neither can the folder
// holding it. Yet the process a caller (the system's program list, a
// deployment tool, the Start-menu link) started must return only when the
// uninstallation is complete, with its true exit code. The chain:
//
//  1. The original (px_uninstall.exe in the install folder) creates a fresh
//     folder under %TEMP% (fresh, so no planted DLL lies beside the copy),
//     copies itself there, and opens the copy with FILE_FLAG_DELETE_ON_CLOSE,
//     sharing read and delete, as an inheritable handle. It starts the copy
//     (the worker) with that handle, an inheritable handle of its own process
//     and the write end of an anonymous pipe, then closes its own copies of
//     the handle and the write end and reads the pipe.
//  2. The worker removes everything. The original's file is still mapped,
//     but a mapped image may be renamed on its volume: the worker moves it
//     into its own temporary folder, and the install folder goes empty and
//     is removed. The worker then writes its report into the pipe and closes
//     it.
//  3. The original reads the report, shows or logs it and ends with the exit
//     code it implies. At that moment nothing of the installation is left.
//  4. The worker, waiting on the original's process handle, deletes the
//     parked original, renames its own image through the delete-on-close
//     handle out of its folder into %TEMP% (the rename must go through that
//     handle: the pending delete follows the handle's file), removes its
//     folder and ends; the handle closes and the file is deleted.
//
// Only when %TEMP% lies on another volume than the install folder is the
// rename in step 2 impossible; then the worker deletes the original's file
// and the empty install folder in step 4, just after the caller has returned.
// MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT is the last resort for what
// still cannot be deleted.
#include "temp_copy.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "path_utils.h"
#include "removal.h"
#include "uninstall_paths.h"
#include "win_handles.h"

namespace {

constexpr const wchar_t* kCopyName = L"px_uninstall.exe";
constexpr size_t kMaxReportBytes = 256 * 1024;
// How long a file may stay locked after its process has ended.
constexpr int kReleaseWaitMs = 5000;

uint64_t HandleValue(HANDLE handle) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle)); }
HANDLE HandleFrom(uint64_t value) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)); }

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    std::wstring folder(buffer, length);
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

// A folder under %TEMP% that did not exist before: one that did could hold
// files someone prepared.
// Copies that a cut uninstallation left behind (a killed process cannot
// delete itself): their folder and the one file the uninstaller puts there
// go; a copy still running stays, and so does a link of that name.
void SweepEarlierCopies(const std::wstring& temp) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((temp + L"Pixolum-Deinstallation-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            const std::wstring folder = temp + found.cFileName;
            DeleteFileW((folder + L"\\" + kCopyName).c_str());
            RemoveDirectoryW(folder.c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::wstring CreateFreshFolder() {
    const std::wstring temp = TempFolder();
    if (temp.empty()) return temp;
    SweepEarlierCopies(temp);
    const std::wstring stem = temp + L"Pixolum-Deinstallation-" + std::to_wstring(GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder = stem + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder + L"\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return std::wstring();
}

std::wstring ReadAll(HANDLE pipe) {
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (bytes.size() < kMaxReportBytes && ReadFile(pipe, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

void WriteAll(HANDLE pipe, const std::wstring& text) {
    const char* data = reinterpret_cast<const char*>(text.data());
    size_t left = text.size() * sizeof(wchar_t);
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(pipe, data, static_cast<DWORD>(left), &written, nullptr) || written == 0) return;
        data += written;
        left -= written;
    }
}

// Renames the running image through its delete-on-close handle. The handle
// must do the rename itself: Wine ties the pending delete to the name the
// handle knows. NtSetInformationFile is in ntdll on every Windows since NT.
bool RenameThroughHandle(HANDLE file, const std::wstring& target) {
    struct IoStatus {
        union {
            LONG status;
            void* pointer;
        };
        ULONG_PTR information;
    };
    struct RenameInformation {
        BOOLEAN replaceIfExists;
        HANDLE rootDirectory;
        ULONG fileNameLength;
        WCHAR fileName[1];
    };
    using NtSetInformationFileFn = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
    constexpr int kFileRenameInformation = 10;

    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto setInformation = GetProcAs<NtSetInformationFileFn>(ntdll, "NtSetInformationFile");
    if (!setInformation) return false;
    const std::wstring ntName = L"\\??\\" + target;
    std::vector<BYTE> buffer(sizeof(RenameInformation) + ntName.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<RenameInformation*>(buffer.data());
    info->replaceIfExists = TRUE;
    info->rootDirectory = nullptr;
    info->fileNameLength = static_cast<ULONG>(ntName.size() * sizeof(wchar_t));
    memcpy(info->fileName, ntName.data(), ntName.size() * sizeof(wchar_t));
    IoStatus status = {};
    return setInformation(file, &status, buffer.data(), static_cast<ULONG>(buffer.size()),
                          kFileRenameInformation) >= 0;
}

// Step 4: the worker's own file and folder.
void DetachOwnImage(HANDLE ownImage, const std::wstring& ownFolder) {
    const std::wstring temp = TempFolder();
    const std::wstring target = temp + L"~pxu" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(GetTickCount()) + L".tmp";
    if (temp.empty() || !RenameThroughHandle(ownImage, target) || !RemoveDirectoryW(ownFolder.c_str())) {
        MoveFileExW(ownFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

void DeleteNowOrAtRestart(const std::wstring& path) {
    if (!DeleteFileIfPresent(path, kReleaseWaitMs)) {
        MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

}  // namespace

bool RemoveThroughTempCopy(const std::wstring& ownPath, bool silent, bool removeSettings,
                           RemovalReport& report) {
    const std::wstring folder = CreateFreshFolder();
    if (folder.empty()) return false;
    const std::wstring copy = folder + kCopyName;
    if (!CopyFileW(ownPath.c_str(), copy.c_str(), TRUE)) {
        RemoveDirectoryW(folder.c_str());
        return false;
    }

    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    KernelHandle copyFile(CreateFileW(copy.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      &inheritable, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    KernelHandle readEnd;
    KernelHandle writeEnd;
    KernelHandle self;
    bool started = false;
    PROCESS_INFORMATION process = {};
    if (copyFile.IsValid() && CreatePipe(readEnd.Put(), writeEnd.Put(), nullptr, 0) &&
        SetHandleInformation(writeEnd.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) &&
        DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), self.Put(),
                        SYNCHRONIZE, TRUE, 0)) {
        UninstallArgs request;
        request.silent = silent;
        request.removeSettings = removeSettings;
        request.reportPipe = HandleValue(writeEnd.Get());
        request.callerProcess = HandleValue(self.Get());
        request.ownImage = HandleValue(copyFile.Get());
        request.originalPath = ownPath;
        std::wstring commandLine = WorkerCommandLine(copy, request);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        // Not the fresh folder as the current one: the worker removes it.
        const std::wstring temp = TempFolder();
        started = CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                 temp.c_str(), &startup, &process) != FALSE;
    }
    // From here the worker holds the only delete-on-close handle and the
    // only write end: its end closes the pipe even if it crashes.
    copyFile.Reset();
    writeEnd.Reset();
    self.Reset();
    if (!started) {
        DeleteFileW(copy.c_str());
        RemoveDirectoryW(folder.c_str());
        return false;
    }
    KernelHandle workerProcess(process.hProcess);
    KernelHandle workerThread(process.hThread);

    if (!DeserializeReport(ReadAll(readEnd.Get()), report)) {
        report = RemovalReport();
        report.Fail(L"Die Deinstallation wurde unerwartet abgebrochen.");
    }
    return true;
}

int RunWorker(const UninstallArgs& args) {
    if (!args.workerValid) return 1;
    KernelHandle pipe(HandleFrom(args.reportPipe));
    KernelHandle caller(HandleFrom(args.callerProcess));
    HANDLE ownImage = HandleFrom(args.ownImage);
    if (GetFileType(pipe.Get()) != FILE_TYPE_PIPE || GetFileType(ownImage) != FILE_TYPE_DISK) return 1;

    const std::wstring ownFolder = FolderOf(OwnModulePath());
    RemovalRequest request;
    request.installFolder = FolderOf(args.originalPath);
    request.removeSettings = args.removeSettings;
    request.runningImage = args.originalPath;
    request.parkingFolder = ownFolder;

    RemovalResult result;
    if (request.installFolder.empty() || ownFolder.empty()) {
        result.report.Fail(args.originalPath);
    } else if (!LoadEmbeddedEntryList(request.entries)) {
        result.report.Fail(L"Die Liste der Programmdateien fehlt.");
    } else {
        result = RemoveInstallation(request);
    }
    WriteAll(pipe.Get(), SerializeReport(result.report));
    pipe.Reset();  // the caller reads until the pipe closes

    WaitForSingleObject(caller.Get(), INFINITE);
    if (!result.parkedImage.empty()) DeleteNowOrAtRestart(result.parkedImage);
    if (result.imageDeferred) {
        if (DeleteFileIfPresent(args.originalPath, kReleaseWaitMs)) {
            RemoveEmptyFolders(request.installFolder, request.entries);
        } else {
            MoveFileExW(args.originalPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            MoveFileExW(request.installFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
    }
    DetachOwnImage(ownImage, ownFolder);
    return result.report.Succeeded() ? 0 : 1;
}
