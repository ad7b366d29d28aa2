// What one installation changed on disk, so that a failed one can be undone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The earlier file a new one replaces waits beside it under this suffix until
// the installation is kept.
constexpr const wchar_t* kKeptAsideSuffix = L".px_old";

// Full paths, in the order the installation made them. The first failure is
// noted with its Windows error for the log.
struct FileJournal {
    std::vector<std::wstring> createdFiles;
    std::vector<std::wstring> replacedFiles;   // the earlier file lies at path + kKeptAsideSuffix
    std::vector<std::wstring> createdFolders;
    std::wstring failedPath;
    DWORD failedError = 0;
    // A folder this installation created, ending in a backslash: nothing
    // below it can be an earlier file, so nothing there is looked up.
    std::wstring newTree;
};

// Before path is written: an existing file is moved aside and noted as
// replaced, else path is noted as created. false (and the failure noted) when
// the existing file cannot be moved aside, e.g. while another program has it open.
bool PrepareFileWrite(FileJournal& journal, const std::wstring& path);

// Before a small file is changed in place (the settings): a copy of the
// existing file is kept aside, else path is noted as created.
void PreserveFile(FileJournal& journal, const std::wstring& path);

// Notes the first failure only: it is the one that stopped the installation.
void NoteFailure(FileJournal& journal, const std::wstring& path, DWORD error);

// Creates every missing level of folder (ending in a backslash or not) and
// notes the levels it created; true when the folder exists afterwards.
bool CreateFolderNoted(FileJournal& journal, const std::wstring& folder);

// A failed installation: created files deleted, replaced files put back byte
// for byte, created folders removed (deepest first) when empty.
void UndoFileJournal(const FileJournal& journal);

// A kept installation: the earlier files moved aside are deleted (a file
// still in use goes at the next restart).
void CommitFileJournal(const FileJournal& journal);

// "<path>: <Windows' text for error>" in the system's language.
std::wstring DescribeFailure(const std::wstring& path, DWORD error);
