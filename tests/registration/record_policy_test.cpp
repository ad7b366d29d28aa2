// What a replayed install record may touch: the product's own keys, files
// below the install folder, links, settings files; an attacker's entries
// (a debugger for a system program, a service, another vendor's values,
// another user's hive) are refused. Expectations are written from the
// product's documented set of keys, not from the filter's own tables.
#include <gtest/gtest.h>

#include <windows.h>

#include "record_policy.h"
#include "reg_key.h"

namespace {

std::wstring CurrentUser() {
    RegKey software;
    EXPECT_EQ(software.Open(HKEY_CURRENT_USER, L"Software", KEY_QUERY_VALUE), ERROR_SUCCESS);
    const std::wstring path = KeyPathOf(software.Get());
    return path.substr(0, path.rfind(L'\\'));
}

RecordEntry Entry(RecordEntry::Kind kind, const std::wstring& key, const std::wstring& name = L"") {
    RecordEntry entry;
    entry.kind = kind;
    entry.key = key;
    entry.name = name;
    return entry;
}

TEST(RecordPolicy, TheProductsOwnEntriesPassAndEverythingElseIsRefused) {
    const std::wstring folder = L"C:\\Pixolum\\";
    const std::wstring machine = L"\\REGISTRY\\MACHINE\\SOFTWARE\\";
    const std::wstring wow = L"\\REGISTRY\\MACHINE\\SOFTWARE\\Wow6432Node\\";
    const std::wstring user = CurrentUser();
    const struct {
        RecordEntry entry;
        bool accepted;
    } cases[] = {
        {Entry(RecordEntry::ValueSet, machine + L"Classes\\Pixolum\\shell\\open\\command"), true},
        {Entry(RecordEntry::ValueSet, machine + L"Classes\\Pixolum.JPEG\\DefaultIcon"), true},
        {Entry(RecordEntry::ValueSet, machine + L"Classes\\.jpg"), true},
        {Entry(RecordEntry::ValueSet, machine + L"Classes\\.PNG"), true},
        {Entry(RecordEntry::ValueSet, machine + L"Classes\\Applications\\pixo32.exe", L"FriendlyAppName"), true},
        {Entry(RecordEntry::KeyCreated, machine + L"Classes\\Directory\\shell\\Durchsuchen mit &Pixolum"), true},
        {Entry(RecordEntry::ValueSet, wow + L"Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pixolum", L"DisplayName"), true},
        {Entry(RecordEntry::ValueSet, wow + L"Pixolum\\Capabilities\\FileAssociations", L".bmp"), true},
        {Entry(RecordEntry::ValueSet, wow + L"RegisteredApplications", L"Pixolum"), true},
        {Entry(RecordEntry::ValueSet, user + L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.gif\\UserChoice", L"Progid"), true},
        {Entry(RecordEntry::FileCreated, L"C:\\Pixolum\\Plugins\\Icons.dll"), true},
        {Entry(RecordEntry::FileCreated, L"C:\\Users\\u\\AppData\\Roaming\\Pixolum\\pixo32.ini"), true},
        // An attacker's entries.
        {Entry(RecordEntry::ValueSet, machine + L"Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\sethc.exe", L"Debugger"), false},
        {Entry(RecordEntry::KeyCreated, machine + L"Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\sethc.exe"), false},
        {Entry(RecordEntry::KeyDeleted, L"\\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Services\\PxEvil"), false},
        {Entry(RecordEntry::ValueSet, L"\\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Services\\PxEvil", L"ImagePath"), false},
        {Entry(RecordEntry::ValueSet, machine + L"OtherVendor\\App", L"Path"), false},
        {Entry(RecordEntry::ValueSet, wow + L"RegisteredApplications", L"OtherApp"), false},
        {Entry(RecordEntry::ValueSet, wow + L"Microsoft\\Windows\\CurrentVersion\\Uninstall\\OtherApp", L"DisplayName"), false},
        {Entry(RecordEntry::ValueSet, machine + L"Classes\\.exe"), false},
        {Entry(RecordEntry::ValueSet, machine + L"Classes\\exefile\\shell\\open\\command"), false},
        {Entry(RecordEntry::ValueSet, L"\\REGISTRY\\USER\\S-1-5-21-1-2-3-1001\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.gif", L"ProgID"), false},
        {Entry(RecordEntry::ValueSet, user + L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Pixolum"), false},
        {Entry(RecordEntry::FileCreated, L"C:\\windows\\system32\\version.dll"), false},
        {Entry(RecordEntry::FileCreated, L"C:\\Pixolum\\..\\windows\\win.ini"), false},
        {Entry(RecordEntry::FileRemoved, L"C:\\Pixolum2\\pixo32.exe"), false},
        {Entry(RecordEntry::FileRemoved, L"C:\\windows\\help\\index.htm"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsProductEntry(c.entry, folder), c.accepted)
            << static_cast<char>(c.entry.kind) << " " << std::string(c.entry.key.begin(), c.entry.key.end());
    }
}

}  // namespace
