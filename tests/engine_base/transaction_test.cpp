// The journal, the install record and their replay: what a rollback leaves
// on disk and in the registry, and what a record read back holds.
#include "transaction.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "reg_key.h"
#include "test_support.h"

namespace {

constexpr wchar_t kTestKey[] = L"Software\\PixolumTransactionTest";

class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeOrKey();
        install = scratch.Path() + L"\\Programm\\";
    }
    void TearDown() override { RegDeleteTreeOrKey(); }
    static void RegDeleteTreeOrKey() {
        RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kTestKey) + L"\\Sub").c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
    }
    static std::wstring ReadText(const wchar_t* name) {
        RegKey key;
        if (key.Open(HKEY_CURRENT_USER, kTestKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return L"<no key>";
        wchar_t text[64] = {};
        DWORD bytes = sizeof(text) - sizeof(wchar_t);
        if (RegQueryValueExW(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes) !=
            ERROR_SUCCESS) {
            return L"<none>";
        }
        return text;
    }
    // Sets a text value the way the registration does: noted, then written.
    static void SetNoted(Transaction& tx, const wchar_t* name, const wchar_t* text) {
        RegKey key;
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kTestKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
        RecordEntry entry;
        entry.kind = RecordEntry::ValueSet;
        entry.key = KeyPathOf(key.Get());
        entry.name = name;
        entry.hadOld = ReadRawValue(key.Get(), name, entry.oldType, entry.oldData);
        entry.newType = REG_SZ;
        const BYTE* bytes = reinterpret_cast<const BYTE*>(text);
        entry.newData.assign(bytes, bytes + (wcslen(text) + 1) * sizeof(wchar_t));
        tx.Note(entry);
        ASSERT_EQ(RegSetValueExW(key.Get(), name, 0, REG_SZ, entry.newData.data(),
                                 static_cast<DWORD>(entry.newData.size())),
                  ERROR_SUCCESS);
    }

    test::ScratchFolder scratch;
    std::wstring install;
};

TEST_F(TransactionTest, RollbackRemovesTheFoldersItMadeAndKeepsTheOnesThatWereThere) {
    Transaction tx(InstallScope::Machine);
    ASSERT_TRUE(tx.Begin(install, L"setup"));
    ASSERT_TRUE(tx.CreateFolder(install + L"eins\\zwei"));
    EXPECT_TRUE(test::IsFolder(install + L"eins\\zwei"));
    ASSERT_TRUE(tx.CreateFolder(install + L"eins"));   // exists now: nothing more to note
    EXPECT_TRUE(tx.Rollback().empty());
    EXPECT_FALSE(test::IsFolder(install));
    EXPECT_TRUE(test::IsFolder(scratch.Path()));
}

TEST_F(TransactionTest, AFileInTheWayOrAMissingDriveFailsWithWindowsReason) {
    ASSERT_TRUE(test::WriteBytes(scratch.Path() + L"\\Datei", "x"));
    Transaction tx(InstallScope::Machine);
    ASSERT_TRUE(tx.Begin(install, L"setup"));
    EXPECT_FALSE(tx.CreateFolder(scratch.Path() + L"\\Datei"));
    EXPECT_EQ(tx.Error(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(tx.CreateFolder(scratch.Path() + L"\\Datei\\Unter"));
    EXPECT_FALSE(test::IsFolder(scratch.Path() + L"\\Datei\\Unter"));

    const DWORD drives = GetLogicalDrives();
    wchar_t letter = 0;
    for (wchar_t c = L'Y'; c >= L'D' && !letter; --c) {
        if (!(drives & (1u << (c - L'A')))) letter = c;
    }
    ASSERT_NE(letter, 0) << "no free drive letter";
    EXPECT_FALSE(tx.CreateFolder(std::wstring(1, letter) + L":\\Pixolum\\Neu"));
    tx.Rollback();
}

TEST_F(TransactionTest, RollbackPutsValuesBackButLeavesWhatTheUserChangedSince) {
    {
        RegKey key;
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kTestKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.Get(), L"Alt", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"vorher"), 14),
                  ERROR_SUCCESS);
    }
    Transaction tx(InstallScope::Machine);
    ASSERT_TRUE(tx.Begin(install, L"setup"));
    SetNoted(tx, L"Alt", L"neu");
    SetNoted(tx, L"Neu", L"neu");
    SetNoted(tx, L"Benutzer", L"neu");
    {
        RegKey key;
        ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kTestKey, KEY_SET_VALUE), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.Get(), L"Benutzer", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"eigen"), 12),
                  ERROR_SUCCESS);
    }
    EXPECT_TRUE(tx.Rollback().empty());
    EXPECT_EQ(ReadText(L"Alt"), L"vorher");
    EXPECT_EQ(ReadText(L"Neu"), L"<none>");
    EXPECT_EQ(ReadText(L"Benutzer"), L"eigen");
}

TEST_F(TransactionTest, TheCommittedRecordReadsBackAndItsReplayUndoesTheInstallation) {
    Transaction tx(InstallScope::Machine);
    ASSERT_TRUE(tx.Begin(install, L"setup"));
    ASSERT_TRUE(tx.CreateFolder(install));
    const std::wstring file = install + L"pixo32.exe";
    const std::wstring target = tx.BeginFile(file);
    ASSERT_FALSE(target.empty());
    ASSERT_TRUE(test::WriteBytes(target, "MZ"));
    ASSERT_TRUE(tx.PlaceFile(file));
    SetNoted(tx, L"Pfad", L"C:\\Programm");
    ASSERT_TRUE(tx.Commit(Transaction::Record::Merge));

    std::vector<RecordEntry> record;
    ASSERT_TRUE(ReadRecordFile(InstallRecordPath(InstallScope::Machine), record));
    EXPECT_EQ(RecordInstallFolder(record), install);
    bool sawFile = false;
    bool sawValue = false;
    for (const RecordEntry& entry : record) {
        sawFile = sawFile || (entry.kind == RecordEntry::FileCreated && entry.key == file);
        sawValue = sawValue || (entry.kind == RecordEntry::ValueSet && entry.name == L"Pfad");
    }
    EXPECT_TRUE(sawFile);
    EXPECT_TRUE(sawValue);

    // The uninstaller's use of it: everything it names goes.
    std::vector<std::wstring> failed;
    ReplayBackwards(record, true, nullptr, install, failed);
    EXPECT_TRUE(failed.empty());
    EXPECT_FALSE(test::IsFolder(install));
    EXPECT_EQ(ReadText(L"Pfad"), L"<none>");
    DeleteFileW(InstallRecordPath(InstallScope::Machine).c_str());
}

TEST_F(TransactionTest, AReplayFilterRefusesEntriesAndSaysSo) {
    ASSERT_TRUE(test::WriteBytes(scratch.Path() + L"\\fremd.txt", "x"));
    RecordEntry header;
    header.kind = RecordEntry::Header;
    header.key = install;
    RecordEntry foreign;
    foreign.kind = RecordEntry::FileCreated;
    foreign.key = scratch.Path() + L"\\fremd.txt";
    std::vector<std::wstring> failed;
    ReplayBackwards({header, foreign}, true,
                    [](const RecordEntry& entry, const std::wstring& folder) {
                        return entry.key.compare(0, folder.size(), folder) == 0;
                    },
                    install, failed);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].rfind(kRefusedPrefix, 0), 0u);
    EXPECT_EQ(test::ReadBytes(scratch.Path() + L"\\fremd.txt"), "x");
}

}  // namespace
