// The install record: every registry key the registration created, every
// value it created or replaced with the data it replaced, every key it
// deleted with its values, and the links and link folders it created. Kept as a file in the install folder so that the
// uninstaller can give back what the setup replaced, and replayed backwards
// by a failed installation to leave the registry as it was.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

constexpr const wchar_t* kInstallRecordName = L"px_install.rec";

// Keys are stored by their physical path ("\REGISTRY\MACHINE\...",
// "\REGISTRY\USER\<sid>\..."), so that HKEY_CLASSES_ROOT and the 32-bit view
// of 64-bit Windows replay to the key that was really written.
struct RecordEntry {
    enum Kind : wchar_t {
        KeyCreated = L'K',
        ValueSet = L'V',
        KeyDeleted = L'D',
        FileCreated = L'F',     // key: the file's full path
        FolderCreated = L'G',   // key: the folder's full path
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

// One installation's part of the record. Entries are appended to the file as
// they happen (before each change: a record may name a change that a crash
// prevented, never miss one that was made); Undo replays this run's entries.
class InstallRecord {
public:
    InstallRecord() = default;
    ~InstallRecord();
    InstallRecord(const InstallRecord&) = delete;
    InstallRecord& operator=(const InstallRecord&) = delete;

    // Opens path for appending after the entries of earlier installations.
    bool Open(const std::wstring& path);
    void Note(const RecordEntry& entry);
    void NoteFailure(const std::wstring& what, LONG error);
    bool Failed() const { return m_error != ERROR_SUCCESS; }
    const std::wstring& FailedAt() const { return m_failedAt; }
    LONG Error() const { return m_error; }
    // Success: the record reaches the disk.
    void Commit();
    // Failure: this run's changes undone, the file as it was before the run.
    void Undo();

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    std::wstring m_path;
    LARGE_INTEGER m_start = {};
    bool m_created = false;
    std::vector<RecordEntry> m_entries;
    std::wstring m_failedAt;
    LONG m_error = ERROR_SUCCESS;
};

// The record the registration's writes go to while an installation runs;
// none in tests of the registration alone.
InstallRecord* ActiveInstallRecord();
class RecordingScope {
public:
    explicit RecordingScope(InstallRecord& record);
    ~RecordingScope();
    RecordingScope(const RecordingScope&) = delete;
    RecordingScope& operator=(const RecordingScope&) = delete;
};

// A value's type and bytes (at most 64 KB); false when missing or larger.
bool ReadRawValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data);

// The physical path of an open key; empty when it cannot be read.
std::wstring KeyPathOf(HKEY key);

// Reads a record file; false when it is missing or unreadable.
bool ReadInstallRecord(const std::wstring& path, std::vector<RecordEntry>& entries);

// Undoes entries backwards: a value goes back to what it was only while it
// still holds what the setup wrote, a created key goes only when empty, a
// deleted key comes back only when nothing has taken its place; a created
// file goes, a created folder goes when empty. Returns the keys and files
// that could not be restored. withFiles: also the links and their folder
// (a failed installation); the uninstaller leaves them to its own rules,
// which look where a link leads before removing it.
std::vector<std::wstring> ReplayBackwards(const std::vector<RecordEntry>& entries, bool withFiles);
