#include "reg_values.h"

#include <cwchar>
#include <string>
#include <vector>

#include "transaction.h"

namespace {

constexpr DWORD kMaxValueNameChars = 16384;

// Where a failure happened, for the log: the key's own path when it is open.
std::wstring Where(HKEY key, const wchar_t* name) {
    std::wstring path = KeyPathOf(key);
    if (name && *name) path += std::wstring(L" (") + name + L")";
    return path;
}

LONG SetValueRecorded(HKEY key, const wchar_t* name, DWORD type, const BYTE* data, DWORD bytes, Transaction* tx) {
    Transaction* record = tx;
    if (record) {
        RecordEntry entry;
        entry.kind = RecordEntry::ValueSet;
        entry.key = KeyPathOf(key);
        entry.name = name ? name : L"";
        entry.hadOld = ReadRawValue(key, name, entry.oldType, entry.oldData);
        entry.newType = type;
        entry.newData.assign(data, data + bytes);
        record->Note(entry);
    }
    const LONG status = RegSetValueExW(key, name, 0, type, data, bytes);
    if (status != ERROR_SUCCESS && record) record->NoteFailure(Where(key, name), status);
    return status;
}

}  // namespace

LONG CreateKeyRecorded(HKEY root, const wchar_t* subKey, RegKey& key, Transaction* tx) {
    Transaction* record = tx;
    if (record && key.Open(root, subKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        // Each missing level is noted before it is made: the uninstaller
        // removes it again once it is empty.
        const std::wstring path(subKey);
        RegKey parent;
        for (size_t cut = path.find(L'\\');; cut = path.find(L'\\', cut + 1)) {
            const std::wstring level = path.substr(0, cut);
            RegKey probe;
            if (probe.Open(root, level.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) {
                const std::wstring parentPath =
                    parent.IsOpen() ? KeyPathOf(parent.Get()) : KeyPathOf(root);
                const std::wstring name = level.substr(level.rfind(L'\\') + 1);
                if (!parentPath.empty()) {
                    RecordEntry entry;
                    entry.kind = RecordEntry::KeyCreated;
                    entry.key = parentPath + L"\\" + name;
                    record->Note(entry);
                }
                if (probe.Create(root, level.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) break;
            }
            parent = std::move(probe);
            if (cut == std::wstring::npos) break;
        }
    }
    if (key.IsOpen()) return ERROR_SUCCESS;
    const LONG status = key.Create(root, subKey, KEY_ALL_ACCESS);
    if (status != ERROR_SUCCESS && record) record->NoteFailure(RootName(root) + subKey, status);
    return status;
}

LONG SetDefaultValue(HKEY root, const wchar_t* subKey, const wchar_t* data, Transaction* tx) {
    RegKey key;
    const LONG status = CreateKeyRecorded(root, subKey, key, tx);
    if (status != ERROR_SUCCESS) return status;
    return SetStringValue(key.Get(), nullptr, data, tx);
}

LONG SetStringValue(HKEY key, const wchar_t* name, const wchar_t* data, Transaction* tx) {
    const DWORD bytes = static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t));
    return SetValueRecorded(key, name, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes, tx);
}

LONG SetDwordValue(HKEY key, const wchar_t* name, DWORD data, Transaction* tx) {
    return SetValueRecorded(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data), tx);
}

LONG DeleteKeyRecorded(HKEY root, const wchar_t* subKey, Transaction* tx) {
    Transaction* record = tx;
    if (record) {
        RegKey key;
        const LONG opened = key.Open(root, subKey, KEY_QUERY_VALUE);
        if (opened == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (opened == ERROR_SUCCESS) {
            RecordEntry entry;
            entry.kind = RecordEntry::KeyDeleted;
            entry.key = KeyPathOf(key.Get());
            for (DWORD index = 0;; ++index) {
                std::vector<wchar_t> name(kMaxValueNameChars, L'\0');
                DWORD chars = kMaxValueNameChars;
                if (RegEnumValueW(key.Get(), index, name.data(), &chars, nullptr, nullptr, nullptr,
                                  nullptr) != ERROR_SUCCESS) {
                    break;
                }
                RecordEntry value;
                value.kind = RecordEntry::ValueSet;
                value.name.assign(name.data(), chars);
                value.hadOld = ReadRawValue(key.Get(), value.name.c_str(), value.oldType, value.oldData);
                if (value.hadOld) entry.values.push_back(value);
            }
            record->Note(entry);
        }
    }
    const LONG status = RegDeleteKeyW(root, subKey);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS && record) record->NoteFailure(RootName(root) + subKey, status);
    return status;
}
