#include "transaction.h"

#include <sddl.h>
#include <winternl.h>

#include <algorithm>
#include <cwchar>

#include "path_utils.h"
#include "reg_key.h"
#include "shell_api.h"
#include "text_buffer.h"
#include "win_handles.h"

namespace {

constexpr wchar_t kFolderName[] = L"Pixolum Setup";
constexpr wchar_t kJournalName[] = L"px_transaction.jnl";
constexpr wchar_t kRecordName[] = L"px_install.rec";
constexpr wchar_t kCopySuffix[] = L".px_cpy";
constexpr wchar_t kLockName[] = L"Global\\PixolumSetupTransaction";
// A per-user run touches only the user's keys, profile and journal: it waits
// for the user's other runs in this session, not for the machine's.
constexpr wchar_t kUserLockName[] = L"Local\\PixolumSetupUserTransaction";
constexpr wchar_t kMachinePrefix[] = L"\\REGISTRY\\MACHINE\\";
constexpr wchar_t kUserPrefix[] = L"\\REGISTRY\\USER\\";
constexpr DWORD kMaxNameChars = 16384;
constexpr LONGLONG kMaxRecordBytes = 64LL * 1024 * 1024;
// Administrators and the system only, not inherited from a looser parent.
constexpr wchar_t kAdminOnly[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

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

// --- the file format: one entry a line, fields separated by blanks, every
// field hex-encoded so that no name or data can break a line.
void PutHex(std::wstring& line, const BYTE* data, size_t bytes) {
    static const wchar_t digits[] = L"0123456789abcdef";
    line += L' ';
    if (bytes == 0) line += L'-';
    for (size_t i = 0; i < bytes; ++i) {
        line += digits[data[i] >> 4];
        line += digits[data[i] & 15];
    }
}
void PutText(std::wstring& line, const std::wstring& text) {
    PutHex(line, reinterpret_cast<const BYTE*>(text.data()), text.size() * sizeof(wchar_t));
}
void PutNumber(std::wstring& line, DWORD number) {
    PutHex(line, reinterpret_cast<const BYTE*>(&number), sizeof(number));
}

bool GetHex(const std::wstring& field, std::vector<BYTE>& out) {
    out.clear();
    if (field == L"-") return true;
    if (field.size() % 2) return false;
    out.reserve(field.size() / 2);
    for (size_t i = 0; i < field.size(); i += 2) {
        int value = 0;
        for (size_t j = i; j < i + 2; ++j) {
            const wchar_t c = field[j];
            const int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
            if (digit < 0) return false;
            value = value * 16 + digit;
        }
        out.push_back(static_cast<BYTE>(value));
    }
    return true;
}
bool GetText(const std::wstring& field, std::wstring& text) {
    std::vector<BYTE> bytes;
    if (!GetHex(field, bytes) || bytes.size() % 2) return false;
    text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    return true;
}
bool GetNumber(const std::wstring& field, DWORD& number) {
    std::vector<BYTE> bytes;
    if (!GetHex(field, bytes) || bytes.size() != sizeof(number)) return false;
    memcpy(&number, bytes.data(), sizeof(number));
    return true;
}

void PutValue(std::wstring& line, const RecordEntry& entry) {
    PutText(line, entry.name);
    PutNumber(line, entry.hadOld ? 1 : 0);
    PutNumber(line, entry.oldType);
    PutHex(line, entry.oldData.data(), entry.oldData.size());
    PutNumber(line, entry.newType);
    PutHex(line, entry.newData.data(), entry.newData.size());
}

bool HasName(RecordEntry::Kind kind) {
    return kind == RecordEntry::Header || kind == RecordEntry::Stage;
}

std::wstring FormatEntry(const RecordEntry& entry) {
    std::wstring line(1, static_cast<wchar_t>(entry.kind));
    PutText(line, entry.key);
    if (HasName(entry.kind)) PutText(line, entry.name);
    if (entry.kind == RecordEntry::ValueSet) PutValue(line, entry);
    if (entry.kind == RecordEntry::KeyDeleted) {
        PutNumber(line, static_cast<DWORD>(entry.values.size()));
        for (const RecordEntry& value : entry.values) PutValue(line, value);
    }
    return line + L"\r\n";
}

bool ParseValue(const std::vector<std::wstring>& fields, size_t& at, RecordEntry& entry) {
    if (at + 6 > fields.size()) return false;
    DWORD hadOld = 0;
    const bool ok = GetText(fields[at], entry.name) && GetNumber(fields[at + 1], hadOld) &&
                    GetNumber(fields[at + 2], entry.oldType) && GetHex(fields[at + 3], entry.oldData) &&
                    GetNumber(fields[at + 4], entry.newType) && GetHex(fields[at + 5], entry.newData);
    entry.hadOld = hadOld != 0;
    at += 6;
    return ok;
}

bool ParseEntry(const std::wstring& line, RecordEntry& entry) {
    std::vector<std::wstring> fields;
    for (size_t start = 0; start < line.size();) {
        size_t end = line.find(L' ', start);
        if (end == std::wstring::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    if (fields.size() < 2 || fields[0].size() != 1) return false;
    entry.kind = static_cast<RecordEntry::Kind>(fields[0][0]);
    if (!GetText(fields[1], entry.key)) return false;
    size_t at = 2;
    switch (entry.kind) {
    case RecordEntry::KeyCreated:
    case RecordEntry::FileCreated:
    case RecordEntry::FolderCreated:
    case RecordEntry::FileReplaced:
    case RecordEntry::FileRemoved:
    case RecordEntry::FolderRemoved:
    case RecordEntry::Commit:
        return fields.size() == 2;
    case RecordEntry::Header:
    case RecordEntry::Stage:
        return fields.size() == 3 && GetText(fields[2], entry.name);
    case RecordEntry::ValueSet:
        return ParseValue(fields, at, entry) && at == fields.size();
    case RecordEntry::KeyDeleted: {
        DWORD count = 0;
        if (at >= fields.size() || !GetNumber(fields[at++], count)) return false;
        for (DWORD i = 0; i < count; ++i) {
            RecordEntry value;
            value.kind = RecordEntry::ValueSet;
            if (!ParseValue(fields, at, value)) return false;
            entry.values.push_back(value);
        }
        return at == fields.size();
    }
    }
    return false;
}

// --- physical key paths
bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    const size_t n = wcslen(prefix);
    return text.size() >= n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

bool SplitPath(const std::wstring& path, HKEY& root, std::wstring& subKey) {
    if (StartsWith(path, kMachinePrefix)) {
        root = HKEY_LOCAL_MACHINE;
        subKey = path.substr(wcslen(kMachinePrefix));
    } else if (StartsWith(path, kUserPrefix)) {
        root = HKEY_USERS;
        subKey = path.substr(wcslen(kUserPrefix));
    } else {
        return false;
    }
    return !subKey.empty();
}

// The physical path names the 32-bit view's keys already.
constexpr REGSAM kPhysical = KEY_WOW64_64KEY;

LONG OpenPath(const std::wstring& path, REGSAM access, RegKey& key) {
    HKEY root = nullptr;
    std::wstring subKey;
    if (!SplitPath(path, root, subKey)) return ERROR_INVALID_PARAMETER;
    return key.Open(root, subKey.c_str(), access | kPhysical);
}

LONG CreatePath(const std::wstring& path, RegKey& key) {
    HKEY root = nullptr;
    std::wstring subKey;
    if (!SplitPath(path, root, subKey)) return ERROR_INVALID_PARAMETER;
    return key.Create(root, subKey.c_str(), KEY_ALL_ACCESS | kPhysical);
}

// Deletes the key at path when it has neither values nor subkeys.
LONG DeleteIfEmpty(const std::wstring& path, Transaction* journal) {
    const size_t cut = path.rfind(L'\\');
    if (cut == std::wstring::npos) return ERROR_INVALID_PARAMETER;
    {
        RegKey key;
        const LONG opened = OpenPath(path, KEY_QUERY_VALUE, key);
        if (opened == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (opened != ERROR_SUCCESS || !IsEmptyKey(key.Get())) return ERROR_SUCCESS;
    }
    RegKey parent;
    const LONG opened = OpenPath(path.substr(0, cut), KEY_ALL_ACCESS, parent);
    if (opened != ERROR_SUCCESS) return opened;
    if (journal) {
        RecordEntry undo;
        undo.kind = RecordEntry::KeyDeleted;
        undo.key = path;
        journal->Note(undo);
    }
    const LONG status = RegDeleteKeyW(parent.Get(), path.substr(cut + 1).c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LONG SetData(HKEY key, const RecordEntry& value, bool old) {
    const std::vector<BYTE>& data = old ? value.oldData : value.newData;
    return RegSetValueExW(key, value.name.c_str(), 0, old ? value.oldType : value.newType,
                          data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
}

LONG UndoValue(const RecordEntry& entry, Transaction* journal) {
    RegKey key;
    const LONG opened = OpenPath(entry.key, KEY_QUERY_VALUE | KEY_SET_VALUE, key);
    if (opened == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;   // gone: nothing of ours to undo
    if (opened != ERROR_SUCCESS) return opened;
    DWORD type = 0;
    std::vector<BYTE> current;
    // Changed since (or never written): the value is not the setup's any more.
    if (!ReadRawValue(key.Get(), entry.name.c_str(), type, current) || type != entry.newType ||
        current != entry.newData) {
        return ERROR_SUCCESS;
    }
    if (journal) {
        RecordEntry undo;
        undo.kind = RecordEntry::ValueSet;
        undo.key = entry.key;
        undo.name = entry.name;
        undo.hadOld = true;
        undo.oldType = type;
        undo.oldData = current;
        undo.newType = entry.hadOld ? entry.oldType : REG_NONE;
        undo.newData = entry.hadOld ? entry.oldData : std::vector<BYTE>();
        if (!entry.hadOld) undo.newType = static_cast<DWORD>(-1);   // deleted: never matches
        journal->Note(undo);
    }
    if (entry.hadOld) return SetData(key.Get(), entry, true);
    const LONG status = RegDeleteValueW(key.Get(), entry.name.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LONG RestoreDeletedKey(const RecordEntry& entry, Transaction* journal) {
    {
        RegKey existing;
        if (OpenPath(entry.key, KEY_QUERY_VALUE, existing) == ERROR_SUCCESS) return ERROR_SUCCESS;
    }
    if (journal) {
        RecordEntry undo;
        undo.kind = RecordEntry::KeyCreated;
        undo.key = entry.key;
        journal->Note(undo);
    }
    RegKey key;
    const LONG created = CreatePath(entry.key, key);
    if (created != ERROR_SUCCESS) return created;
    for (const RecordEntry& value : entry.values) {
        const LONG status = SetData(key.Get(), value, true);
        if (status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
}

// The earlier file back in its place: whatever stands there now goes.
DWORD PutBack(const std::wstring& path) {
    const std::wstring aside = path + kKeptAsideSuffix;
    DeleteFileIfPresent(path + kStagedSuffix);
    DeleteFileIfPresent(path + kCopySuffix);
    if (!PathExists(aside)) return ERROR_SUCCESS;
    if (MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return ERROR_SUCCESS;
    DeleteFileIfPresent(path);
    return MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? ERROR_SUCCESS
                                                                               : GetLastError();
}

DWORD UndoEntry(const RecordEntry& entry, bool withFiles, Transaction* journal) {
    switch (entry.kind) {
    case RecordEntry::ValueSet:
        return static_cast<DWORD>(UndoValue(entry, journal));
    case RecordEntry::KeyCreated:
        return static_cast<DWORD>(DeleteIfEmpty(entry.key, journal));
    case RecordEntry::KeyDeleted:
        return static_cast<DWORD>(RestoreDeletedKey(entry, journal));
    case RecordEntry::FileCreated:
        if (!withFiles) return ERROR_SUCCESS;
        DeleteFileIfPresent(entry.key + kStagedSuffix);
        return DeleteFileIfPresent(entry.key) ? ERROR_SUCCESS : GetLastError();
    case RecordEntry::FileReplaced:
    case RecordEntry::FileRemoved:
        return withFiles ? PutBack(entry.key) : ERROR_SUCCESS;
    case RecordEntry::FolderCreated:
        // A folder that holds something else by now stays.
        if (withFiles) RemoveDirectoryW(entry.key.c_str());
        return ERROR_SUCCESS;
    case RecordEntry::FolderRemoved:
        if (withFiles && !CreateDirectoryW(entry.key.c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            return GetLastError();
        }
        return ERROR_SUCCESS;
    default:
        return ERROR_SUCCESS;
    }
}

// After the commit entry: the files kept aside go (one still in use goes
// at the next restart), and the staged record takes its place.
void FinishCommitted(const std::vector<RecordEntry>& entries, const std::wstring& folder) {
    for (const RecordEntry& entry : entries) {
        if (entry.kind == RecordEntry::FileReplaced || entry.kind == RecordEntry::FileRemoved) {
            const std::wstring aside = entry.key + kKeptAsideSuffix;
            if (!DeleteFileIfPresent(aside)) MoveFileExW(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            DeleteFileIfPresent(entry.key + kCopySuffix);
        }
        if (entry.kind == RecordEntry::FileCreated) DeleteFileIfPresent(entry.key + kStagedSuffix);
    }
    for (const RecordEntry& entry : entries) {
        if (entry.kind == RecordEntry::FolderRemoved) RemoveDirectoryW(entry.key.c_str());
    }
    const std::wstring record = folder + kRecordName;
    const std::wstring staged = record + kStagedSuffix;
    if (PathExists(staged)) {
        MoveFileExW(staged.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
}

// The earlier record and this run's entries as one: the data an entry
// replaced stays the data before the first installation; what this run
// wrote is what the uninstaller finds. Files and folders of an earlier
// installation elsewhere are not this installation's.
std::vector<RecordEntry> MergeRecord(const std::vector<RecordEntry>& earlier,
                                     const std::vector<RecordEntry>& run,
                                     const std::wstring& installFolder) {
    std::vector<RecordEntry> merged;
    RecordEntry header;
    header.kind = RecordEntry::Header;
    header.key = installFolder;
    header.name = L"record";
    merged.push_back(header);
    // Ids of the merged entries with a hash each, in step with merged (the
    // header has none): thousands of entries are compared by number first.
    std::vector<std::wstring> seen(1);
    std::vector<uint32_t> hashes(1);
    // An open-addressed table of indexes into seen (plus one; 0 is free),
    // at most half full: a rerun's thousands of entries are each found at
    // once, not by a walk over all the others.
    std::vector<size_t> table(64, 0);
    auto slotOf = [&](uint32_t hash, const std::wstring& id) -> size_t& {
        const size_t mask = table.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            size_t& slot = table[i];
            if (slot == 0 || (hashes[slot - 1] == hash && seen[slot - 1] == id)) return slot;
        }
    };
    auto add = [&](const RecordEntry& source) {
        RecordEntry entry = source;
        switch (entry.kind) {
        case RecordEntry::FileReplaced:
            entry.kind = RecordEntry::FileCreated;   // the installation's file either way
            break;
        case RecordEntry::FileCreated:
        case RecordEntry::FolderCreated:
            // An earlier installation elsewhere keeps its files listed: its
            // own uninstaller still finds them there.
            break;
        case RecordEntry::KeyCreated:
        case RecordEntry::ValueSet:
        case RecordEntry::KeyDeleted:
            break;
        default:
            return;
        }
        std::wstring id(1, static_cast<wchar_t>(entry.kind));
        id += Upper(entry.key);
        if (entry.kind == RecordEntry::ValueSet) id += L"\n" + Upper(entry.name);
        uint32_t hash = 2166136261u;
        for (wchar_t c : id) hash = (hash ^ c) * 16777619u;
        size_t& slot = slotOf(hash, id);
        if (slot == 0) {
            slot = seen.size() + 1;
            seen.push_back(id);
            hashes.push_back(hash);
            merged.push_back(entry);
            if (seen.size() * 2 > table.size()) {
                table.assign(table.size() * 2, 0);
                for (size_t i = 1; i < seen.size(); ++i) slotOf(hashes[i], seen[i]) = i + 1;
            }
        } else if (entry.kind == RecordEntry::ValueSet) {
            merged[slot - 1].newType = entry.newType;
            merged[slot - 1].newData = entry.newData;
        }
    };
    // What this run removed of an earlier installation (a move to another
    // folder) is no longer its to list.
    std::vector<std::wstring> removed;
    for (const RecordEntry& entry : run) {
        if (entry.kind == RecordEntry::FileRemoved || entry.kind == RecordEntry::FolderRemoved) {
            removed.push_back(std::wstring(1, static_cast<wchar_t>(entry.kind)) + Upper(entry.key));
        }
    }
    std::sort(removed.begin(), removed.end());
    for (const RecordEntry& entry : earlier) {
        if (!removed.empty() && (entry.kind == RecordEntry::FileCreated || entry.kind == RecordEntry::FolderCreated)) {
            std::wstring key = Upper(entry.key);
            while (key.size() > 3 && key.back() == L'\\') key.pop_back();
            const wchar_t kind = entry.kind == RecordEntry::FileCreated ? RecordEntry::FileRemoved
                                                                       : RecordEntry::FolderRemoved;
            if (std::binary_search(removed.begin(), removed.end(), std::wstring(1, kind) + key)) continue;
        }
        add(entry);
    }
    for (const RecordEntry& entry : run) add(entry);
    return merged;
}

bool WriteWhole(HANDLE file, const std::wstring& text) {
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
}

// A file made fresh under path: whatever stood there (a planted link among
// others) is removed first, never written through.
HANDLE CreateFresh(const std::wstring& path) {
    DeleteFileIfPresent(path);
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsJournalKind(wchar_t kind) {
    return wcschr(L"KVDFGRXYHSC", kind) != nullptr && kind != L'\0';
}

}  // namespace

// --- the protected folder

// A per-user installation keeps its journal and record in the user's local
// application data, with the rights the user's profile gives: only that user
// (and administrators) can write there, and the setup runs as that user.
namespace {

std::wstring UserTransactionFolder(bool create) {
    const std::wstring local = KnownFolder(CSIDL_LOCAL_APPDATA);
    if (local.empty()) return std::wstring();
    const std::wstring folder = local + kFolderName;
    if (create) CreateDirectoryW(folder.c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    const bool usable = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                        !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    return usable ? folder + L"\\" : std::wstring();
}

bool SameFolder(std::wstring a, std::wstring b) {
    if (a.empty() || b.empty()) return false;
    if (a.back() != L'\\') a += L'\\';
    if (b.back() != L'\\') b += L'\\';
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

std::wstring TransactionFolder(InstallScope scope, bool create) {
    if (scope == InstallScope::User) return UserTransactionFolder(create);
    const std::wstring common = KnownFolder(CSIDL_COMMON_APPDATA);
    if (common.empty()) return std::wstring();
    const std::wstring folder = common + kFolderName;
    if (!create) {
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        const bool usable = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        return usable ? folder + L"\\" : std::wstring();
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnly, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return std::wstring();
    }
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    if (!CreateDirectoryW(folder.c_str(), &attributes)) {
        const DWORD existing = GetFileAttributesW(folder.c_str());
        // A folder someone else made first keeps no rights of theirs, and a
        // link to another place is not used at all.
        if (existing == INVALID_FILE_ATTRIBUTES || !(existing & FILE_ATTRIBUTE_DIRECTORY) ||
            (existing & FILE_ATTRIBUTE_REPARSE_POINT)) {
            LocalFree(descriptor);
            return std::wstring();
        }
        SetFileSecurityW(folder.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                         descriptor);
    }
    LocalFree(descriptor);
    return folder + L"\\";
}

std::wstring InstallRecordPath(InstallScope scope) {
    const std::wstring folder = TransactionFolder(scope);
    return folder.empty() ? folder : folder + kRecordName;
}

std::wstring JournalPath(InstallScope scope) {
    const std::wstring folder = TransactionFolder(scope);
    return folder.empty() ? folder : folder + kJournalName;
}

InstallScope ScopeOfInstallation(const std::wstring& installFolder) {
    // A per-user run that was cut off names its folder in its journal.
    std::vector<RecordEntry> entries;
    for (const std::wstring& file : {JournalPath(InstallScope::User), InstallRecordPath(InstallScope::User)}) {
        if (!file.empty() && ReadRecordFile(file, entries) && SameFolder(RecordInstallFolder(entries), installFolder)) {
            return InstallScope::User;
        }
    }
    return SameFolder(RegisteredInstallLocation(InstallScope::User), installFolder) ? InstallScope::User
                                                                                    : InstallScope::Machine;
}

// --- the lock

MachineLock::~MachineLock() {
    if (m_owned) ReleaseMutex(m_mutex.Get());
}

bool MachineLock::Acquire(DWORD timeoutMs) {
    if (!m_mutex) m_mutex.Reset(CreateMutexW(nullptr, FALSE, m_scope == InstallScope::User ? kUserLockName : kLockName));
    if (!m_mutex) return false;
    // An abandoned lock belonged to a run that was killed: its journal
    // tells what to undo, and the lock is ours.
    const DWORD waited = WaitForSingleObject(m_mutex.Get(), timeoutMs);
    m_owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return m_owned;
}

// --- the transaction

Transaction::~Transaction() { Close(); }

void Transaction::Close() {
    m_file.Reset();
}

bool Transaction::Begin(const std::wstring& installFolder, const wchar_t* operation) {
    m_installFolder = installFolder;
    const std::wstring folder = TransactionFolder(m_scope, true);
    if (folder.empty()) {
        NoteFailure(m_scope == InstallScope::User ? L"%LOCALAPPDATA%\\Pixolum Setup" : L"%ProgramData%\\Pixolum Setup",
                    ERROR_CANT_ACCESS_FILE);
        return false;
    }
    m_path = folder + kJournalName;
    m_file.Reset(CreateFresh(m_path));
    if (!m_file) {
        NoteFailure(m_path, GetLastError());
        return false;
    }
    RecordEntry header;
    header.kind = RecordEntry::Header;
    header.key = installFolder;
    header.name = operation;
    Note(header);
    FlushFileBuffers(m_file.Get());
    return !Failed();
}

bool Transaction::Write(const RecordEntry& entry) {
    if (!m_file) return true;
    if (WriteWhole(m_file.Get(), FormatEntry(entry))) return true;
    NoteFailure(m_path, GetLastError());
    return false;
}

void Transaction::Note(const RecordEntry& entry) {
    m_entries.push_back(entry);
    Write(entry);
}

void Transaction::Stage(const wchar_t* phase) {
    RecordEntry stage;
    stage.kind = RecordEntry::Stage;
    stage.name = phase;
    Note(stage);
    if (m_file) FlushFileBuffers(m_file.Get());
}

void Transaction::NoteFailure(const std::wstring& what, DWORD error) {
    if (m_error != ERROR_SUCCESS) return;
    m_failedAt = what;
    m_error = error ? error : ERROR_GEN_FAILURE;
}

bool Transaction::CreateFolder(const std::wstring& folder) {
    std::wstring path = folder;
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    if (path.size() <= 3) return PathExists(path);
    auto create = [&](const std::wstring& level) {
        RecordEntry entry;
        entry.kind = RecordEntry::FolderCreated;
        entry.key = level;
        Note(entry);
        return CreateDirectoryW(level.c_str(), nullptr) != FALSE;
    };
    auto checkExisting = [&](const std::wstring& level) {
        const DWORD attributes = GetFileAttributesW(level.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            NoteFailure(level, ERROR_CANT_RESOLVE_FILENAME);
            return false;
        }
        return true;
    };
    // Most folders have their parent already: one call, no lookups.
    const DWORD before = GetFileAttributesW(path.c_str());
    if (before != INVALID_FILE_ATTRIBUTES) {
        if (!(before & FILE_ATTRIBUTE_DIRECTORY)) {
            NoteFailure(path, ERROR_DIRECTORY);
            return false;
        }
        return checkExisting(path);
    }
    if (create(path)) return true;
    DWORD error = GetLastError();
    m_entries.pop_back();   // not made: nothing to undo (the journal line is harmless)
    if (error != ERROR_PATH_NOT_FOUND) {
        NoteFailure(path, error);
        return false;
    }
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
    for (size_t cut = path.find(L'\\', start);; cut = path.find(L'\\', cut + 1)) {
        const std::wstring level = path.substr(0, cut);
        if (!PathExists(level)) {
            if (!create(level)) {
                NoteFailure(level, GetLastError());
                m_entries.pop_back();
                return false;
            }
        } else if (!checkExisting(level)) {
            return false;
        }
        if (cut == std::wstring::npos) break;
    }
    return true;
}

void Transaction::SortEntriesFrom(size_t first) {
    if (first >= m_entries.size()) return;
    // Sorted as text: the path in capitals, a NUL (below every character, so
    // a folder comes before what it holds) and the entry's place, which also
    // keeps equal paths in the order they were noted.
    std::vector<std::wstring> order;
    for (size_t i = first; i < m_entries.size(); ++i) {
        std::wstring sortKey = Upper(m_entries[i].key);
        const size_t place = i - first;
        sortKey += L'\0';
        sortKey += static_cast<wchar_t>(place >> 16);
        sortKey += static_cast<wchar_t>(place & 0xFFFF);
        order.push_back(std::move(sortKey));
    }
    std::sort(order.begin(), order.end());
    const std::vector<RecordEntry> noted(m_entries.begin() + static_cast<std::ptrdiff_t>(first), m_entries.end());
    for (size_t i = 0; i < order.size(); ++i) {
        const size_t end = order[i].size();
        m_entries[first + i] = noted[(static_cast<size_t>(order[i][end - 2]) << 16) | order[i][end - 1]];
    }
}

bool Transaction::InNewTree(const std::wstring& path) const {
    return !m_newTree.empty() && path.size() > m_newTree.size() &&
           _wcsnicmp(path.c_str(), m_newTree.c_str(), m_newTree.size()) == 0;
}

std::wstring Transaction::BeginFile(const std::wstring& path) {
    RecordEntry entry;
    entry.kind = RecordEntry::FileCreated;
    entry.key = path;
    if (InNewTree(path)) {
        Note(entry);
        return path;
    }
    if (ReachedThroughLink(path)) return std::wstring();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        // Never written through a link, never in place of a folder.
        NoteFailure(path, attributes & FILE_ATTRIBUTE_DIRECTORY ? ERROR_DIRECTORY
                                                                : ERROR_CANT_RESOLVE_FILENAME);
        return std::wstring();
    }
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        entry.kind = RecordEntry::FileReplaced;
        DeleteFileIfPresent(path + kKeptAsideSuffix);
    }
    Note(entry);
    return path + kStagedSuffix;
}

bool Transaction::PlaceFile(const std::wstring& path) {
    if (InNewTree(path)) return true;
    const std::wstring staged = path + kStagedSuffix;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (MoveFileW(staged.c_str(), path.c_str())) return true;
        NoteFailure(path, GetLastError());
        DeleteFileIfPresent(staged);
        return false;
    }
    const std::wstring aside = path + kKeptAsideSuffix;
    if (!MoveFileW(path.c_str(), aside.c_str())) {
        // Held open by a running program: the earlier file stays as it is.
        NoteFailure(path, GetLastError());
        DeleteFileIfPresent(staged);
        return false;
    }
    if (!MoveFileW(staged.c_str(), path.c_str())) {
        NoteFailure(path, GetLastError());
        return false;
    }
    return true;
}

void Transaction::PreserveFile(const std::wstring& path) {
    RecordEntry entry;
    entry.key = path;
    if (!PathExists(path)) {
        entry.kind = RecordEntry::FileCreated;
        Note(entry);
        return;
    }
    const std::wstring copy = path + kCopySuffix;
    const std::wstring aside = path + kKeptAsideSuffix;
    DeleteFileIfPresent(copy);
    DeleteFileIfPresent(aside);
    // The copy is whole before it carries the name recovery restores from.
    if (!CopyFileW(path.c_str(), copy.c_str(), TRUE)) {
        NoteFailure(path, GetLastError());
        return;
    }
    entry.kind = RecordEntry::FileReplaced;
    Note(entry);
    if (!MoveFileW(copy.c_str(), aside.c_str())) NoteFailure(path, GetLastError());
}

bool Transaction::ReachedThroughLink(const std::wstring& path) {
    // Every level between the install folder and the file, each looked at
    // once: a junction or link there leads somewhere else.
    if (m_installFolder.empty() || path.size() <= m_installFolder.size() ||
        _wcsnicmp(path.c_str(), m_installFolder.c_str(), m_installFolder.size()) != 0) {
        return false;
    }
    for (size_t cut = path.find(L'\\', m_installFolder.size()); cut != std::wstring::npos;
         cut = path.find(L'\\', cut + 1)) {
        const std::wstring level = path.substr(0, cut);
        bool known = false;
        for (const std::wstring& checked : m_plainFolders) known = known || _wcsicmp(checked.c_str(), level.c_str()) == 0;
        if (known) continue;
        const DWORD attributes = GetFileAttributesW(level.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            NoteFailure(level, ERROR_CANT_RESOLVE_FILENAME);
            return true;
        }
        m_plainFolders.push_back(level);
    }
    return false;
}

bool Transaction::RemoveFile(const std::wstring& path) {
    if (ReachedThroughLink(path)) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
        NoteFailure(path, ERROR_CANT_RESOLVE_FILENAME);
        return false;
    }
    const std::wstring aside = path + kKeptAsideSuffix;
    DeleteFileIfPresent(aside);
    RecordEntry entry;
    entry.kind = RecordEntry::FileRemoved;
    entry.key = path;
    Note(entry);
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if (MoveFileW(path.c_str(), aside.c_str())) return true;
    m_entries.pop_back();
    NoteFailure(path, GetLastError());
    return false;
}

bool Transaction::RemoveFolder(const std::wstring& folder) {
    // The folder goes after the commit, once the files kept aside in it
    // are gone; one that holds something else then stays.
    RecordEntry entry;
    entry.kind = RecordEntry::FolderRemoved;
    entry.key = folder;
    while (entry.key.size() > 3 && entry.key.back() == L'\\') entry.key.pop_back();
    const DWORD attributes = GetFileAttributesW(entry.key.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
    Note(entry);
    return true;
}

bool Transaction::Commit(Record recordAction) {
    if (!m_file) return false;
    const std::wstring folder = m_path.substr(0, m_path.rfind(L'\\') + 1);
    const std::wstring record = folder + kRecordName;
    if (recordAction == Record::Merge) {
        std::vector<RecordEntry> earlier;
        ReadRecordFile(record, earlier);
        std::wstring text;
        for (const RecordEntry& entry : MergeRecord(earlier, m_entries, m_installFolder)) {
            text += FormatEntry(entry);
        }
        const std::wstring staged = record + kStagedSuffix;
        KernelHandle file(CreateFresh(staged));
        const bool written = file && WriteWhole(file.Get(), text) && FlushFileBuffers(file.Get()) && file.Close();
        if (!written) {
            NoteFailure(staged, GetLastError());
            return false;
        }
    }
    // The registry reaches the disk before the commit entry does.
    RegFlushKey(HKEY_LOCAL_MACHINE);
    RegFlushKey(HKEY_CURRENT_USER);
    RecordEntry commit;
    commit.kind = RecordEntry::Commit;
    if (!Write(commit) || !FlushFileBuffers(m_file.Get())) return false;
    m_entries.push_back(commit);
    Close();
    FinishCommitted(m_entries, folder);
    DeleteFileIfPresent(m_path);
    if (recordAction == Record::Remove) {
        // The last installation is gone: so is the machine's folder for it.
        DeleteFileIfPresent(record);
        RemoveDirectoryW(folder.c_str());
    }
    return true;
}

std::vector<std::wstring> Transaction::Rollback() {
    std::vector<std::wstring> failed;
    ReplayBackwards(m_entries, true, nullptr, m_installFolder, failed);
    if (!m_path.empty()) {
        const std::wstring folder = m_path.substr(0, m_path.rfind(L'\\') + 1);
        DeleteFileIfPresent(folder + kRecordName + kStagedSuffix);
    }
    Close();
    // What could not be put back stays in the journal for the next run.
    if (failed.empty() && !m_path.empty()) {
        DeleteFileIfPresent(m_path);
        // Without an installation the folder has nothing to keep.
        RemoveDirectoryW(m_path.substr(0, m_path.rfind(L'\\')).c_str());
    }
    m_entries.clear();
    return failed;
}

bool RecoverInterruptedTransaction(InstallScope scope, EntryFilter filter, std::vector<std::wstring>& failed) {
    const std::wstring folder = TransactionFolder(scope);
    if (folder.empty()) return true;
    const std::wstring journal = folder + kJournalName;
    if (!PathExists(journal)) return true;
    std::vector<RecordEntry> entries;
    if (!ReadRecordFile(journal, entries)) {
        failed.push_back(DescribeFailure(journal, ERROR_FILE_CORRUPT));
        return false;
    }
    bool committed = false;
    for (const RecordEntry& entry : entries) committed = committed || entry.kind == RecordEntry::Commit;
    if (committed) {
        FinishCommitted(entries, folder);
    } else {
        ReplayBackwards(entries, true, filter, RecordInstallFolder(entries), failed);
        DeleteFileIfPresent(folder + kRecordName + kStagedSuffix);
    }
    // An entry the filter refused was never replayed: it is reported, but
    // it cannot keep the journal (and every later run) waiting.
    for (const std::wstring& line : failed) {
        if (line.compare(0, wcslen(kRefusedPrefix), kRefusedPrefix) != 0) return false;
    }
    DeleteFileIfPresent(journal);
    RemoveDirectoryW(folder.substr(0, folder.size() - 1).c_str());   // when no record is left
    return true;
}

bool ReadRawValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD bytes = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
        data.assign(bytes, 0);
        const LONG status =
            RegQueryValueExW(key, name, nullptr, &type, data.empty() ? nullptr : data.data(), &bytes);
        if (status == ERROR_SUCCESS) {
            data.resize(bytes);
            return true;
        }
        if (status != ERROR_MORE_DATA) return false;   // grown meanwhile: ask again
    }
    return false;
}

std::wstring KeyPathOf(HKEY key) {
    using NtQueryKeyFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    static NtQueryKeyFn query = GetProcAs<NtQueryKeyFn>(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey");
    if (!query || !key) return std::wstring();
    constexpr int kKeyNameInformation = 3;
    std::vector<BYTE> buffer(sizeof(ULONG) + kMaxNameChars * sizeof(wchar_t));
    ULONG length = 0;
    if (query(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) != 0) {
        return std::wstring();
    }
    ULONG bytes = 0;
    memcpy(&bytes, buffer.data(), sizeof(bytes));
    if (bytes > buffer.size() - sizeof(ULONG)) return std::wstring();
    return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + sizeof(ULONG)),
                        bytes / sizeof(wchar_t));
}

bool ReadRecordFile(const std::wstring& path, std::vector<RecordEntry>& entries) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file.Get(), &info) || info.nNumberOfLinks != 1 ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        return false;
    }
    const LONGLONG size = (static_cast<LONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size >= kMaxRecordBytes) return false;
    std::wstring text(static_cast<size_t>(size) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr) ||
         read != text.size() * sizeof(wchar_t))) {
        return false;
    }
    // A line cut short by a crash is the last one: it and nothing else is lost.
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) break;
        RecordEntry entry;
        if (end > start && IsJournalKind(text[start]) && ParseEntry(text.substr(start, end - start), entry)) {
            entries.push_back(entry);
        }
        start = end + 2;
    }
    return true;
}

std::wstring RecordInstallFolder(const std::vector<RecordEntry>& entries) {
    for (const RecordEntry& entry : entries) {
        if (entry.kind == RecordEntry::Header) return entry.key;
    }
    return std::wstring();
}

void ReplayBackwards(const std::vector<RecordEntry>& entries, bool withFiles, EntryFilter filter,
                     const std::wstring& installFolder, std::vector<std::wstring>& failed,
                     Transaction* undoJournal) {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->kind == RecordEntry::Header || entry->kind == RecordEntry::Stage ||
            entry->kind == RecordEntry::Commit) {
            continue;
        }
        const bool fileEntry = entry->kind == RecordEntry::FileCreated || entry->kind == RecordEntry::FileReplaced ||
                               entry->kind == RecordEntry::FileRemoved || entry->kind == RecordEntry::FolderCreated ||
                               entry->kind == RecordEntry::FolderRemoved;
        if (fileEntry && !withFiles) continue;   // left to the caller's own rules
        if (filter && !filter(*entry, installFolder)) {
            failed.push_back(kRefusedPrefix + entry->key + (entry->name.empty() ? L"" : L" (" + entry->name + L")"));
            continue;
        }
        const DWORD status = UndoEntry(*entry, withFiles, undoJournal);
        if (status != ERROR_SUCCESS) failed.push_back(DescribeFailure(entry->key, status));
    }
}

std::wstring DescribeFailure(const std::wstring& path, DWORD error) {
    return path + L": " + ErrorText(error);
}
