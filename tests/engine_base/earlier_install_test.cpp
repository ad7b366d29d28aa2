#include "earlier_install.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "install_options.h"
#include "path_utils.h"
#include "reg_key.h"
#include "test_support.h"

namespace {

const wchar_t* const kCommandKeyLevels[] = {
    L"SOFTWARE\\Classes\\Pixolum\\shell\\open\\command", L"SOFTWARE\\Classes\\Pixolum\\shell\\open",
    L"SOFTWARE\\Classes\\Pixolum\\shell", L"SOFTWARE\\Classes\\Pixolum"};
const wchar_t* const kCurrentVersion = L"Software\\Microsoft\\Windows\\CurrentVersion";

void DeleteOpenCommand() {
    for (const wchar_t* level : kCommandKeyLevels) RegDeleteKeyW(HKEY_LOCAL_MACHINE, level);
}

// Writes the open command as raw bytes, so tests can also store a value
// without its terminator.
void WriteOpenCommandBytes(const void* data, DWORD bytes) {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kCommandKeyLevels[0], KEY_SET_VALUE), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
}

void WriteOpenCommand(const std::wstring& command) {
    WriteOpenCommandBytes(command.c_str(), static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

class FindInstalledFolderTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteOpenCommand(); }
    void TearDown() override { DeleteOpenCommand(); }

    // The found folder, or "<none>" when the result is 0 (then the buffer must be empty).
    std::wstring Find() {
        wchar_t folder[kPathChars];
        wmemset(folder, L'#', kPathChars);
        const int found = FindInstalledFolder(InstallScope::Machine, folder);
        if (!found) {
            EXPECT_EQ(folder[0], L'\0') << "not found must leave an empty folder";
            return L"<none>";
        }
        EXPECT_EQ(found, 1);
        return folder;
    }
};

TEST_F(FindInstalledFolderTest, NoCommandKeyIsNotFound) { EXPECT_EQ(Find(), L"<none>"); }

TEST_F(FindInstalledFolderTest, QuotedCommandGivesItsFolderWithBackslash) {
    WriteOpenCommand(L"\"D:\\Tools\\Pixolum\\pixo32.exe\" \"%1\"");
    EXPECT_EQ(Find(), L"D:\\Tools\\Pixolum\\");
    WriteOpenCommand(L"\"C:\\Program Files (x86)\\Pixolum\\pixo32.exe\"");
    EXPECT_EQ(Find(), L"C:\\Program Files (x86)\\Pixolum\\");
}

TEST_F(FindInstalledFolderTest, OtherProgramsAndOddValuesAreNotFound) {
    WriteOpenCommand(L"\"C:\\Andere\\viewer.exe\" \"%1\"");
    EXPECT_EQ(Find(), L"<none>");
    WriteOpenCommand(L"");
    EXPECT_EQ(Find(), L"<none>");
    // The name is compared case-sensitively.
    WriteOpenCommand(L"\"C:\\Pixolum\\PIXO32.EXE\" \"%1\"");
    EXPECT_EQ(Find(), L"<none>");
    // Unquoted: the characters after the first one are no path.
    WriteOpenCommand(L"C:\\Pixolum\\pixo32.exe \"%1\"");
    EXPECT_EQ(Find(), L"<none>");
    // A quoted bare name names no folder.
    WriteOpenCommand(L"\"pixo32.exe\" \"%1\"");
    EXPECT_EQ(Find(), L"<none>");
}

TEST_F(FindInstalledFolderTest, ValueLengthLimit) {
    // 259 characters fit the buffer with the terminator ...
    const std::wstring tail = L"pixo32.exe\" \"%1\"";
    const std::wstring folder = L"C:\\" + std::wstring(259 - 1 - 3 - 1 - tail.size(), L'p') + L"\\";
    std::wstring command = L"\"" + folder + tail;
    ASSERT_EQ(command.size(), 259u);
    WriteOpenCommand(command);
    EXPECT_EQ(Find(), folder);
    // ... 260 do not: the value counts as unreadable.
    command.insert(1, L"C:");
    WriteOpenCommand(command);
    EXPECT_EQ(Find(), L"<none>");
}

TEST_F(FindInstalledFolderTest, ValueWithoutTerminatorIsReadSafely) {
    const std::wstring command = L"\"E:\\Bilder\\pixo32.exe\" \"%1\"";
    WriteOpenCommandBytes(command.data(), static_cast<DWORD>(command.size() * sizeof(wchar_t)));
    EXPECT_EQ(Find(), L"E:\\Bilder\\");
    // 260 characters and no terminator: nothing left for the terminator.
    std::wstring full = L"\"E:\\" + std::wstring(260 - 4 - 16, L'q') + L"\\pixo32.exe\" ";
    full.resize(260, L'x');
    WriteOpenCommandBytes(full.data(), static_cast<DWORD>(full.size() * sizeof(wchar_t)));
    EXPECT_EQ(Find(), L"<none>");
}

// Puts the "ProgramFilesDir" of the program's registry view back as it was.
class ProgramFilesDirScope {
public:
    ProgramFilesDirScope() {
        RegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kCurrentVersion, KEY_QUERY_VALUE) != ERROR_SUCCESS) return;
        DWORD bytes = 0;
        if (RegQueryValueExW(key.Get(), L"ProgramFilesDir", nullptr, &m_type, nullptr, &bytes) !=
            ERROR_SUCCESS)
            return;
        m_data.resize(bytes);
        if (RegQueryValueExW(key.Get(), L"ProgramFilesDir", nullptr, &m_type, m_data.data(),
                             &bytes) == ERROR_SUCCESS)
            m_present = true;
    }
    ~ProgramFilesDirScope() {
        RegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kCurrentVersion, KEY_SET_VALUE) != ERROR_SUCCESS) return;
        if (m_present)
            RegSetValueExW(key.Get(), L"ProgramFilesDir", 0, m_type, m_data.data(),
                           static_cast<DWORD>(m_data.size()));
        else
            RegDeleteValueW(key.Get(), L"ProgramFilesDir");
    }
    ProgramFilesDirScope(const ProgramFilesDirScope&) = delete;
    ProgramFilesDirScope& operator=(const ProgramFilesDirScope&) = delete;

    void Set(const std::wstring& value) {
        RegKey key;
        ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kCurrentVersion, KEY_SET_VALUE), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.Get(), L"ProgramFilesDir", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    void Remove() {
        RegKey key;
        ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kCurrentVersion, KEY_SET_VALUE), ERROR_SUCCESS);
        RegDeleteValueW(key.Get(), L"ProgramFilesDir");
    }

private:
    bool m_present = false;
    DWORD m_type = REG_SZ;
    std::vector<BYTE> m_data;
};

std::wstring DefaultFolder() {
    wchar_t folder[kPathChars];
    wmemset(folder, L'#', kPathChars);
    EXPECT_EQ(GetDefaultInstallFolder(InstallScope::Machine, folder), 1);
    return folder;
}

TEST(GetDefaultInstallFolder, ThirtyTwoBitProgramFilesOfThePrefix) {
    // The test prefix is 64-bit: without a view flag the 32-bit setup proposes
    // the 32-bit Program Files folder, as on 64-bit Windows.
    const bool is32Bit = sizeof(void*) == 4;
    EXPECT_EQ(DefaultFolder(), is32Bit ? L"C:\\Program Files (x86)\\Pixolum"
                                       : L"C:\\Program Files\\Pixolum");
}

TEST(GetDefaultInstallFolder, FollowsTheValueAndFallsBack) {
    ProgramFilesDirScope restore;
    restore.Set(L"D:\\Programme");
    EXPECT_EQ(DefaultFolder(), L"D:\\Programme\\Pixolum");
    restore.Set(L"D:\\");
    EXPECT_EQ(DefaultFolder(), L"D:\\Pixolum");
    restore.Remove();
    EXPECT_EQ(DefaultFolder(), L"C:\\Pixolum\\");
    restore.Set(L"");
    EXPECT_EQ(DefaultFolder(), L"C:\\Pixolum\\");
    // The folder would not fit a path: the fallback stays.
    restore.Set(L"D:\\" + std::wstring(250, L'l'));
    EXPECT_EQ(DefaultFolder(), L"C:\\Pixolum\\");
    // 259 characters with "\Pixolum" still fit.
    const std::wstring longest = L"D:\\" + std::wstring(259 - 3 - 8, L'l');
    restore.Set(longest);
    EXPECT_EQ(DefaultFolder(), longest + L"\\Pixolum");
    // Too long for the value buffer at all.
    restore.Set(std::wstring(300, L'l'));
    EXPECT_EQ(DefaultFolder(), L"C:\\Pixolum\\");
}

// Version resources of the libraries tests/fixtures/version_dlls builds.
struct VersionCase {
    const wchar_t* file;
    const wchar_t* version;
    const wchar_t* company;
};

const VersionCase kVersionCases[] = {
    {L"version_430_orlovane_226816.dll", L"4.300", L"Orlovane"},
    {L"version_430_orlovane.dll", L"4.300", L"Orlovane"},
    {L"version_430_other_226816.dll", L"4.300", L"Bildwerk GmbH"},
    {L"version_420_orlovane.dll", L"4.200", L"Orlovane"},
    {L"version_420_orlovane_upper.dll", L"4.200", L"ORLOVANE"},
    {L"version_420_other.dll", L"4.200", L"Bildwerk GmbH"},
    // Only the U.S. English / Windows-1252 block is read.
    {L"version_420_orlovane_040704b0.dll", L"4.200", L""},
    {L"version_500_orlovane.dll", L"5.00", L"Orlovane"},
    // Product major and minor, then the file version's third part.
    {L"version_mixed.dll", L"4.307", L"Orlovane"},
};

std::wstring Fixture(const wchar_t* name) {
    return test::ProgramFolder() + L"version_dlls\\" + name;
}

TEST(ReadFileVersionAndCompany, VersionTextAndCompanyOfEachLibrary) {
    for (const VersionCase& c : kVersionCases) {
        wchar_t version[kPathChars] = L"untouched";
        wchar_t company[kPathChars] = {};
        EXPECT_EQ(ReadFileVersionAndCompany(Fixture(c.file).c_str(), version, company, kPathChars), 1)
            << c.file;
        EXPECT_STREQ(version, c.version) << c.file;
        EXPECT_STREQ(company, c.company) << c.file;
    }
}

TEST(ReadFileVersionAndCompany, NoVersionInformationGivesZeroAndLeavesTheText) {
    for (const std::wstring& path : {Fixture(L"no_version.dll"), Fixture(L"missing.dll"),
                                     test::ProgramFolder() + L"version_dlls"}) {
        wchar_t version[kPathChars] = L"untouched";
        wchar_t company[kPathChars] = {};
        EXPECT_EQ(ReadFileVersionAndCompany(path.c_str(), version, company, kPathChars), 0);
        EXPECT_STREQ(version, L"untouched");
        EXPECT_STREQ(company, L"");
    }
}

TEST(ReadFileVersionAndCompany, CompanyIsCutToTheBufferAndOptional) {
    const std::wstring path = Fixture(L"version_430_orlovane.dll");
    wchar_t version[kVersionTextChars] = {};
    wchar_t company[8];
    wmemset(company, L'#', 8);
    EXPECT_EQ(ReadFileVersionAndCompany(path.c_str(), version, company, 5), 1);
    EXPECT_STREQ(company, L"Orlo");
    EXPECT_EQ(company[5], L'#') << "wrote past the given size";
    EXPECT_EQ(ReadFileVersionAndCompany(path.c_str(), version, company, 1), 1);
    EXPECT_STREQ(company, L"");
    EXPECT_EQ(ReadFileVersionAndCompany(path.c_str(), version, nullptr, 0), 1);
    EXPECT_STREQ(version, L"4.300");
}

TEST(VersionFixtures, IconLibrarySizesForTheGate) {
    EXPECT_EQ(FileSizeOf(Fixture(L"version_430_orlovane_226816.dll").c_str()), 226816);
    EXPECT_EQ(FileSizeOf(Fixture(L"version_430_other_226816.dll").c_str()), 226816);
    const int natural = FileSizeOf(Fixture(L"version_430_orlovane.dll").c_str());
    EXPECT_GT(natural, 0);
    EXPECT_NE(natural, 226816);
}

}  // namespace
