// One installation or uninstallation as a transaction: every change to a
// file, folder, link or registry value is written to a journal on disk
// before it is made, so that a failure, a killed process or a power cut can
// be resolved: rolled back to the state before, or, once the commit entry is
// on disk, finished. The journal and the install record lie in a folder of
// the machine that only administrators can write.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "install_scope.h"
#include "win_handles.h"

// The earlier file waits beside its replacement under this suffix until the
// commit; a new file is written under the other one and renamed into place.
constexpr const wchar_t* kKeptAsideSuffix = L".px_old";
constexpr const wchar_t* kStagedSuffix = L".px_new";

// Keys are stored by their physical path ("\REGISTRY\MACHINE\...",
// "\REGISTRY\USER\<sid>\..."), so that HKEY_CLASSES_ROOT and the 32-bit view
// of 64-bit Windows replay to the key that was really written.
struct RecordEntry {
    enum Kind : wchar_t {
        KeyCreated = L'K',
        ValueSet = L'V',
        KeyDeleted = L'D',
        FileCreated = L'F',     // key: the file's full path; did not exist before
        FolderCreated = L'G',   // key: the folder's full path
        FileReplaced = L'R',    // the earlier file lies at key + kKeptAsideSuffix
        FileRemoved = L'X',     // removed: kept at key + kKeptAsideSuffix until the commit
        FolderRemoved = L'Y',
        Header = L'H',          // key: the install folder; name: who runs ("setup", "uninstall")
        Stage = L'S',           // name: the phase that starts
        Commit = L'C',
    } kind;
    std::wstring key;
    std::wstring name;           // ValueSet: the value's name; "" for the default value
    bool hadOld = false;         // ValueSet: the value existed before
    DWORD oldType = 0;
    std::vector<BYTE> oldData;
    DWORD newType = 0;
    std::vector<BYTE> newData;
    // KeyDeleted: the key's values as they were (name, type, data), one level.
    std::vector<RecordEntry> values;
};

// Which entries of a record or journal may be replayed; the rest are
// refused and reported. Null accepts every entry.
using EntryFilter = bool (*)(const RecordEntry& entry, const std::wstring& installFolder);

// The folder of the journal and the install record of scope, ending in a
// backslash: the machine's is created (when create) with access for
// administrators and the system only; empty when it cannot be had (or is a
// link somewhere else).
std::wstring TransactionFolder(InstallScope scope, bool create = false);
std::wstring InstallRecordPath(InstallScope scope);
std::wstring JournalPath(InstallScope scope);

// The scope of the installation in installFolder, as its uninstaller finds
// it: per-user when the user's journal or record names that folder, or the
// user's uninstall entry does; machine-wide otherwise.
InstallScope ScopeOfInstallation(const std::wstring& installFolder);

// One setup or uninstaller at a time on the machine (per-user: in the
// user's session).
class MachineLock {
public:
    explicit MachineLock(InstallScope scope) : m_scope(scope) {}
    ~MachineLock();
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;
    // Waits up to timeoutMs for another run to end; false when it has not.
    bool Acquire(DWORD timeoutMs);

private:
    InstallScope m_scope;
    KernelHandle m_mutex;
    bool m_owned = false;
};
constexpr DWORD kLockWaitMs = 120000;

class Transaction {
public:
    explicit Transaction(InstallScope scope) : m_scope(scope) {}
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // A fresh journal for installFolder (ending in a backslash); false with
    // the failure noted when it cannot be written.
    bool Begin(const std::wstring& installFolder, const wchar_t* operation);
    // Written to the journal before the change it names is made.
    void Note(const RecordEntry& entry);
    void Stage(const wchar_t* phase);

    // The first failure: the path or key and Windows' error.
    void NoteFailure(const std::wstring& what, DWORD error);
    bool Failed() const { return m_error != ERROR_SUCCESS; }
    const std::wstring& FailedAt() const { return m_failedAt; }
    DWORD Error() const { return m_error; }

    // --- files
    // A folder this transaction created, ending in a backslash: nothing below
    // it is an earlier file, so nothing there is looked up.
    void SetNewTree(const std::wstring& folder) { m_newTree = folder; }
    // Creates every missing level of folder and notes those it made.
    bool CreateFolder(const std::wstring& folder);
    // Notes that path is about to be written and returns where its data
    // goes: path itself inside the new tree, else path + kStagedSuffix
    // (made fresh by the caller). Empty, with the failure noted, for a link
    // or a folder of that name.
    std::wstring BeginFile(const std::wstring& path);
    // After the data is written: the earlier file goes aside and the new
    // one takes its name.
    bool PlaceFile(const std::wstring& path);
    // Before a small file is changed in place (the settings): a copy of the
    // existing one is kept aside until the commit.
    void PreserveFile(const std::wstring& path);
    // Removes a file, kept aside until the commit (uninstaller).
    bool RemoveFile(const std::wstring& path);
    // A folder to remove after the commit, when it is empty by then.
    bool RemoveFolder(const std::wstring& folder);

    // What the commit does with the machine's install record.
    enum class Record { Merge, Keep, Remove };
    // Success: the install record takes this run's entries (merged with the
    // earlier installation's), stays as it is, or goes; the commit entry
    // reaches the disk, and the files kept aside go.
    bool Commit(Record record = Record::Merge);
    // Failure: this run's changes undone backwards. Returns every path or
    // key that could not be restored, with Windows' reason.
    std::vector<std::wstring> Rollback();

    const std::vector<RecordEntry>& Entries() const { return m_entries; }
    // The entries noted from index first on, by several writers at once, in
    // path order: a folder before what it holds, and the record of two equal
    // installations the same.
    void SortEntriesFrom(size_t first);
    InstallScope Scope() const { return m_scope; }

private:
    bool InNewTree(const std::wstring& path) const;
    // A level below the install folder on the way to path is a link.
    bool ReachedThroughLink(const std::wstring& path);
    bool Write(const RecordEntry& entry);
    void Close();

    InstallScope m_scope;
    KernelHandle m_file;
    std::wstring m_path;
    std::wstring m_installFolder;
    std::wstring m_newTree;
    std::vector<std::wstring> m_plainFolders;   // levels known to be no link
    std::vector<RecordEntry> m_entries;
    std::wstring m_failedAt;
    DWORD m_error = ERROR_SUCCESS;
};

// Before anything else: a journal left by a run that was cut off is rolled
// back (or, when it reached its commit, finished). Returns false when there
// was one and something could not be restored; failed lists what.
bool RecoverInterruptedTransaction(InstallScope scope, EntryFilter filter, std::vector<std::wstring>& failed);

// A value's type and bytes, of any size; false when missing.
bool ReadRawValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data);

// The physical path of an open key; empty when it cannot be read.
std::wstring KeyPathOf(HKEY key);

// Reads a record or journal file; false when it is missing or unreadable.
// A file with more than one name or a link is refused.
bool ReadRecordFile(const std::wstring& path, std::vector<RecordEntry>& entries);

// The install folder a record or journal names (its header), or empty.
std::wstring RecordInstallFolder(const std::vector<RecordEntry>& entries);

// How ReplayBackwards lists an entry its filter refused.
constexpr const wchar_t* kRefusedPrefix = L"abgelehnt: ";

// Undoes entries backwards: a value goes back to what it was only while it
// still holds what was written, a created key goes only when empty, a
// deleted key comes back only when nothing has taken its place. withFiles:
// also files, links and folders. Entries the filter refuses are skipped and
// listed in failed. Changes made here are noted in undoJournal when given.
void ReplayBackwards(const std::vector<RecordEntry>& entries, bool withFiles,
                     EntryFilter filter, const std::wstring& installFolder,
                     std::vector<std::wstring>& failed, Transaction* undoJournal = nullptr);

// "<path>: <Windows' text for error>" in the system's language.
std::wstring DescribeFailure(const std::wstring& path, DWORD error);
