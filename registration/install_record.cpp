#include "install_record.h"

#include <winternl.h>

#include "reg_key.h"

namespace {

InstallRecord* g_activeRecord = nullptr;

constexpr wchar_t kMachinePrefix[] = L"\\REGISTRY\\MACHINE\\";
constexpr wchar_t kUserPrefix[] = L"\\REGISTRY\\USER\\";
constexpr DWORD kMaxValueBytes = 64 * 1024;
constexpr DWORD kMaxNameChars = 16384;

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

std::wstring FormatEntry(const RecordEntry& entry) {
    std::wstring line(1, static_cast<wchar_t>(entry.kind));
    PutText(line, entry.key);
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
        return true;
    case RecordEntry::ValueSet:
        return ParseValue(fields, at, entry);
    case RecordEntry::KeyDeleted: {
        DWORD count = 0;
        if (at >= fields.size() || !GetNumber(fields[at++], count)) return false;
        for (DWORD i = 0; i < count; ++i) {
            RecordEntry value;
            value.kind = RecordEntry::ValueSet;
            if (!ParseValue(fields, at, value)) return false;
            entry.values.push_back(value);
        }
        return true;
    }
    }
    return false;
}

// --- physical key paths
bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    const size_t n = wcslen(prefix);
    return text.size() >= n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

// Root and subkey of a physical path; false for a path of no root we write.
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


// Deletes the key at path when it has neither values nor subkeys.
LONG DeleteIfEmpty(const std::wstring& path) {
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
    const LONG status = RegDeleteKeyW(parent.Get(), path.substr(cut + 1).c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LONG CreatePath(const std::wstring& path, RegKey& key) {
    HKEY root = nullptr;
    std::wstring subKey;
    if (!SplitPath(path, root, subKey)) return ERROR_INVALID_PARAMETER;
    return key.Create(root, subKey.c_str(), KEY_ALL_ACCESS | kPhysical);
}

LONG SetData(HKEY key, const RecordEntry& value, bool old) {
    const std::vector<BYTE>& data = old ? value.oldData : value.newData;
    return RegSetValueExW(key, value.name.c_str(), 0, old ? value.oldType : value.newType,
                          data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
}

LONG UndoValue(const RecordEntry& entry) {
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
    if (entry.hadOld) return SetData(key.Get(), entry, true);
    const LONG status = RegDeleteValueW(key.Get(), entry.name.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LONG RestoreDeletedKey(const RecordEntry& entry) {
    {
        RegKey existing;
        if (OpenPath(entry.key, KEY_QUERY_VALUE, existing) == ERROR_SUCCESS) return ERROR_SUCCESS;
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

using NtQueryKeyFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);

}  // namespace

bool ReadRawValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes > kMaxValueBytes) {
        return false;
    }
    data.assign(bytes, 0);
    if (RegQueryValueExW(key, name, nullptr, &type, data.empty() ? nullptr : data.data(), &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    data.resize(bytes);
    return true;
}

std::wstring KeyPathOf(HKEY key) {
    static NtQueryKeyFn query = reinterpret_cast<NtQueryKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
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

InstallRecord::~InstallRecord() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

bool InstallRecord::Open(const std::wstring& path) {
    m_path = path;
    m_created = GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    m_file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        NoteFailure(path, static_cast<LONG>(GetLastError()));
        return false;
    }
    LARGE_INTEGER zero = {};
    SetFilePointerEx(m_file, zero, &m_start, FILE_END);
    return true;
}

void InstallRecord::Note(const RecordEntry& entry) {
    m_entries.push_back(entry);
    if (m_file == INVALID_HANDLE_VALUE) return;
    const std::wstring line = FormatEntry(entry);
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(line.size() * sizeof(wchar_t));
    if (!WriteFile(m_file, line.data(), bytes, &written, nullptr) || written != bytes) {
        NoteFailure(m_path, static_cast<LONG>(GetLastError()));
    }
}

void InstallRecord::NoteFailure(const std::wstring& what, LONG error) {
    if (m_error != ERROR_SUCCESS) return;
    m_failedAt = what;
    m_error = error;
}

void InstallRecord::Commit() {
    if (m_file != INVALID_HANDLE_VALUE) FlushFileBuffers(m_file);
}

void InstallRecord::Undo() {
    std::vector<RecordEntry> entries;
    entries.swap(m_entries);
    ReplayBackwards(entries, true);
    if (m_file == INVALID_HANDLE_VALUE) return;
    if (m_created) {
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
        DeleteFileW(m_path.c_str());
        return;
    }
    SetFilePointerEx(m_file, m_start, nullptr, FILE_BEGIN);
    SetEndOfFile(m_file);
}

InstallRecord* ActiveInstallRecord() { return g_activeRecord; }

RecordingScope::RecordingScope(InstallRecord& record) { g_activeRecord = &record; }
RecordingScope::~RecordingScope() { g_activeRecord = nullptr; }

bool ReadInstallRecord(const std::wstring& path, std::vector<RecordEntry>& entries) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    std::wstring text;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 64 * 1024 * 1024;
    if (ok) {
        text.resize(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t));
        DWORD read = 0;
        ok = text.empty() || (ReadFile(file, &text[0], static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                                       &read, nullptr) &&
                              read == text.size() * sizeof(wchar_t));
    }
    CloseHandle(file);
    if (!ok) return false;
    // A line cut short by a crash is the last one: it and nothing else is lost.
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) break;
        RecordEntry entry;
        if (ParseEntry(text.substr(start, end - start), entry)) entries.push_back(entry);
        start = end + 2;
    }
    return true;
}

std::vector<std::wstring> ReplayBackwards(const std::vector<RecordEntry>& entries, bool withFiles) {
    std::vector<std::wstring> failed;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        LONG status = ERROR_SUCCESS;
        switch (entry->kind) {
        case RecordEntry::ValueSet:
            status = UndoValue(*entry);
            break;
        case RecordEntry::KeyCreated:
            status = DeleteIfEmpty(entry->key);
            break;
        case RecordEntry::KeyDeleted:
            status = RestoreDeletedKey(*entry);
            break;
        case RecordEntry::FileCreated:
            if (withFiles && !DeleteFileW(entry->key.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
                GetLastError() != ERROR_PATH_NOT_FOUND) {
                status = static_cast<LONG>(GetLastError());
            }
            break;
        case RecordEntry::FolderCreated:
            // A folder that holds something else by now stays.
            if (withFiles) RemoveDirectoryW(entry->key.c_str());
            break;
        }
        if (status != ERROR_SUCCESS) failed.push_back(entry->key);
    }
    return failed;
}
