#include "file_journal.h"

#include "text_buffer.h"

namespace {

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A read-only earlier file must still go back or away.
bool DeleteAnyFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return true;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// The Windows error text without its line break, from the system's own
// message table in the user's language.
std::wstring ErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = length && text ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' ')) {
        result.pop_back();
    }
    if (result.empty()) {
        wchar_t number[32];
        FormatText(number, 32, L"Fehler %lu", static_cast<unsigned long>(error));
        result = number;
    }
    return result;
}

}  // namespace

void NoteFailure(FileJournal& journal, const std::wstring& path, DWORD error) {
    if (!journal.failedPath.empty()) return;
    journal.failedPath = path;
    journal.failedError = error;
}

bool PrepareFileWrite(FileJournal& journal, const std::wstring& path) {
    if (!journal.newTree.empty() && path.size() > journal.newTree.size() &&
        _wcsnicmp(path.c_str(), journal.newTree.c_str(), journal.newTree.size()) == 0) {
        journal.createdFiles.push_back(path);
        return true;
    }
    const std::wstring aside = path + kKeptAsideSuffix;
    BOOL moved = MoveFileW(path.c_str(), aside.c_str());
    DWORD error = moved ? ERROR_SUCCESS : GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        // A leftover of a run that ended without clean-up is no earlier file.
        DeleteAnyFile(aside);
        moved = MoveFileW(path.c_str(), aside.c_str());
        error = moved ? ERROR_SUCCESS : GetLastError();
    }
    if (moved) {
        journal.replacedFiles.push_back(path);
        return true;
    }
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        journal.createdFiles.push_back(path);
        return true;
    }
    NoteFailure(journal, path, error);
    return false;
}

void PreserveFile(FileJournal& journal, const std::wstring& path) {
    if (!Exists(path)) {
        journal.createdFiles.push_back(path);
        return;
    }
    const std::wstring aside = path + kKeptAsideSuffix;
    if (CopyFileW(path.c_str(), aside.c_str(), FALSE)) journal.replacedFiles.push_back(path);
}

bool CreateFolderNoted(FileJournal& journal, const std::wstring& folder) {
    std::wstring path = folder;
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    if (path.size() <= 3) return Exists(path);
    // Most folders have their parent already: one call, no lookups.
    if (CreateDirectoryW(path.c_str(), nullptr)) {
        journal.createdFolders.push_back(path);
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return true;
    if (error != ERROR_PATH_NOT_FOUND) {
        NoteFailure(journal, path, error);
        return false;
    }
    // Below a drive "X:\" or a share "\\server\share\" every level may be missing.
    size_t start = 0;
    if (path.size() >= 3 && path[1] == L':') {
        start = 3;
    } else if (path.compare(0, 2, L"\\\\") == 0) {
        const size_t server = path.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        if (share == std::wstring::npos) return false;
        start = share + 1;
    } else {
        return false;
    }
    for (size_t cut = path.find(L'\\', start); ; cut = path.find(L'\\', cut + 1)) {
        const std::wstring level = path.substr(0, cut);
        if (!Exists(level)) {
            if (!CreateDirectoryW(level.c_str(), nullptr)) {
                NoteFailure(journal, level, GetLastError());
                return false;
            }
            journal.createdFolders.push_back(level);
        }
        if (cut == std::wstring::npos) break;
    }
    return true;
}

void UndoFileJournal(const FileJournal& journal) {
    for (const std::wstring& file : journal.createdFiles) DeleteAnyFile(file);
    for (const std::wstring& file : journal.replacedFiles) {
        const std::wstring aside = file + kKeptAsideSuffix;
        DeleteAnyFile(file);
        MoveFileExW(aside.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    for (auto folder = journal.createdFolders.rbegin(); folder != journal.createdFolders.rend();
         ++folder) {
        RemoveDirectoryW(folder->c_str());
    }
}

void CommitFileJournal(const FileJournal& journal) {
    for (const std::wstring& file : journal.replacedFiles) {
        const std::wstring aside = file + kKeptAsideSuffix;
        if (!DeleteAnyFile(aside)) MoveFileExW(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

std::wstring DescribeFailure(const std::wstring& path, DWORD error) {
    return path + L": " + ErrorText(error);
}
