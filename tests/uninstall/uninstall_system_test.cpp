// The removal against the real registry, shell links and files of the test
// prefix: what the registration wrote goes, what others wrote stays.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include <gtest/gtest.h>

#include "association_writer.h"
#include "link_cleanup.h"
#include "transaction.h"
#include "registration.h"
#include "registry_cleanup.h"
#include "registry_probe.h"
#include "removal.h"
#include "shortcuts.h"
#include "test_support.h"
#include "uninstall_paths.h"

namespace {

const std::wstring kClasses = L"SOFTWARE\\Classes\\";
const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pixolum";
const std::wstring kFileExts = kFileExtsKey;

void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const wchar_t* data) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

void RegisterAll(const std::wstring& folder) {
    InstallOptions everything;
    everything.startMenuGroup = everything.desktopShortcut = everything.thumbnailsShortcut = true;
    everything.shortcutsAllUsers = everything.associationsAllUsers = everything.associationsRequested = true;
    for (int32_t& slot : everything.associations.slots) slot = 1;
    ASSERT_TRUE(RegisterApplication(everything, folder.c_str(), true));
    SuppressStoreAppSuggestions();  // as on Windows 10, whatever version runs
}

class Registry : public ::testing::Test {
protected:
    const std::wstring m_folder = L"C:\\Pixolum Entfernen\\";
    void SetUp() override {
        DeleteTree(HKEY_LOCAL_MACHINE, kUninstall);
        DeleteTree(HKEY_LOCAL_MACHINE, kClasses + L".bmp");
        DeleteTree(HKEY_LOCAL_MACHINE, kClasses + L".gif");
    }
};

TEST_F(Registry, EverythingTheRegistrationWroteGoesWhatOthersWroteStays) {
    // Before the setup: another program owns .bmp and a store app key has a value of its own.
    SetString(HKEY_LOCAL_MACHINE, kClasses + L".bmp", nullptr, L"Paint.Picture");
    SetString(HKEY_LOCAL_MACHINE, kClasses + L".bmp", L"Content Type", L"image/bmp");
    SetString(HKEY_CURRENT_USER, kStoreAppClasses[2], L"Eigenes", L"1");
    SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", L"Anderes", L"SOFTWARE\\Anderes");
    RegisterAll(m_folder);
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));
    // After the setup the user gave .gif and the UserChoice of .jpe to another program.
    SetString(HKEY_LOCAL_MACHINE, kClasses + L".gif", nullptr, L"Anderer.gif");
    const std::wstring jpeChoice = kFileExts + L"\\.jpe\\UserChoice";
    if (ExpectNt6()) SetString(HKEY_CURRENT_USER, jpeChoice, L"Progid", L"Anderer.jpg");

    ASSERT_FALSE(RegistrationBelongsElsewhere(InstallScope::Machine, m_folder));
    RemovalReport report;
    RemoveRegistration(InstallScope::Machine, false, report);
    EXPECT_TRUE(report.Succeeded()) << Narrow(report.failures.front());
    EXPECT_TRUE(report.associationsRemoved);

    for (const std::wstring& key :
         {kUninstall, kClasses + L"Pixolum", kClasses + L"Applications\\pixo32.exe",
          std::wstring(L"SOFTWARE\\Pixolum"), kClasses + L"Directory\\shell\\Durchsuchen mit &Pixolum",
          kClasses + L"Drive\\shell\\Durchsuchen mit &Pixolum", kClasses + L"Pixolum.jpg",
          kClasses + L"Pixolum.wma", kClasses + L".jpg", kClasses + L".tiff", kFileExts + L".png"}) {
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key) || KeyExists(HKEY_CURRENT_USER, key)) << Narrow(key);
    }
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Applications\\pixo32.exe"));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", L"Pixolum").found);
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", L"Anderes", L"SOFTWARE\\Anderes"));

    // .bmp: the setup replaced the other program's default; it is not restored.
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kClasses + L".bmp", nullptr).found);
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kClasses + L".bmp", L"Content Type", L"image/bmp"));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kClasses + L".gif", nullptr, L"Anderer.gif"));
    if (ExpectNt6()) {
        EXPECT_TRUE(HasString(HKEY_CURRENT_USER, jpeChoice, L"Progid", L"Anderer.jpg"));
    }

    for (const wchar_t* appClass : kStoreAppClasses) {
        EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, appClass, L"NoOpenWith").found) << Narrow(appClass);
    }
    EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kStoreAppClasses[2], L"Eigenes", L"1"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kStoreAppClasses[0]));

    DeleteTree(HKEY_CURRENT_USER, kStoreAppClasses[2]);
    DeleteTree(HKEY_CURRENT_USER, kFileExts + L"\\.jpe");
    DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications");
}

TEST_F(Registry, XpProgIdsGoWithTheirEmptyDefaultOtherProgIdsStay) {
    // What the association writer leaves on XP, written by hand on every version.
    SetString(HKEY_CURRENT_USER, kFileExts + L"\\.pcx", nullptr, L"");
    SetString(HKEY_CURRENT_USER, kFileExts + L"\\.pcx", L"ProgID", L"Pixolum.pcx");
    SetString(HKEY_CURRENT_USER, kFileExts + L"\\.psd", nullptr, L"");
    SetString(HKEY_CURRENT_USER, kFileExts + L"\\.psd", L"ProgID", L"Anderer.psd");
    SetString(HKEY_CURRENT_USER, kFileExts + L"\\.tga\\OpenWithProgids", L"Pixolum.tga", L"");
    SetString(HKEY_CURRENT_USER, kFileExts + L"\\.tga", L"ProgID", L"Pixolum.tga");
    RemovalReport report;
    RemoveRegistration(InstallScope::Machine, false, report);
    EXPECT_TRUE(report.Succeeded());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kFileExts + L"\\.pcx"));
    EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kFileExts + L"\\.psd", L"ProgID", L"Anderer.psd"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kFileExts + L"\\.tga\\OpenWithProgids"));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kFileExts + L"\\.tga", L"ProgID").found);
    DeleteTree(HKEY_CURRENT_USER, kFileExts + L"\\.psd");
    DeleteTree(HKEY_CURRENT_USER, kFileExts + L"\\.tga");
}

TEST_F(Registry, AnotherInstallationsRegistrationIsNotOurs) {
    SetString(HKEY_LOCAL_MACHINE, kUninstall, L"InstallLocation", L"D:\\Woanders\\Pixolum\\");
    EXPECT_TRUE(RegistrationBelongsElsewhere(InstallScope::Machine, m_folder));
    SetString(HKEY_LOCAL_MACHINE, kUninstall, L"InstallLocation", L"c:\\pixolum entfernen");
    EXPECT_FALSE(RegistrationBelongsElsewhere(InstallScope::Machine, m_folder));
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstall);
    EXPECT_FALSE(RegistrationBelongsElsewhere(InstallScope::Machine, m_folder));
}

TEST_F(Registry, KeepingTheUninstallEntryKeepsOnlyIt) {
    RegisterAll(m_folder);
    // The values deployment tools look for, written by the registration.
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kUninstall, L"QuietUninstallString",
                          L"\"" + m_folder + L"px_uninstall.exe\" /silent"));
    EXPECT_TRUE(HasDword(HKEY_LOCAL_MACHINE, kUninstall, L"NoModify", 1));
    EXPECT_TRUE(HasDword(HKEY_LOCAL_MACHINE, kUninstall, L"NoRepair", 1));
    RemovalReport report;
    RemoveRegistration(InstallScope::Machine, true, report);
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kUninstall, L"InstallLocation", m_folder));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + L"Pixolum"));
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstall);
}

TEST(DeleteKeyTree, DeepTreesGoTheRootNever) {
    const std::wstring root = L"Software\\PixolumTest";
    SetString(HKEY_CURRENT_USER, root + L"\\a\\b\\c", L"v", L"1");
    SetString(HKEY_CURRENT_USER, root + L"\\a\\d", nullptr, L"2");
    EXPECT_EQ(DeleteKeyTree(HKEY_CURRENT_USER, root), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, root));
    EXPECT_EQ(DeleteKeyTree(HKEY_CURRENT_USER, root), ERROR_SUCCESS);  // already gone
    EXPECT_EQ(DeleteKeyTree(HKEY_CURRENT_USER, L""), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));
}

TEST(Links, OnlyLinksIntoTheInstallFolderGo) {
    const std::wstring folder = L"C:\\Pixolum Links\\";
    const std::wstring other = L"C:\\Anderes Pixolum\\";
    for (bool allUsers : {false, true}) CreateStartMenuGroup(folder.c_str(), allUsers);
    CreateDesktopLink((folder + L"pixo32.exe").c_str(), L"Pixolum.lnk", nullptr, nullptr, nullptr, 0, false);
    CreateDesktopLink((folder + L"pixo32.exe").c_str(), L"Pixolum Thumbnails.lnk", nullptr, nullptr,
                      L"/thumbs", 0, false);
    // Another installation's desktop link, and a link the user put into the group.
    CreateDesktopLink((other + L"pixo32.exe").c_str(), L"Pixolum.lnk", nullptr, nullptr, nullptr, 0, true);
    const std::wstring commonGroup = SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"Pixolum\\";
    CreateLinkInFolder(commonGroup.c_str(), L"Mein Link.lnk", L"C:\\windows\\notepad.exe", nullptr, nullptr, 0);
    const std::wstring userGroup = SpecialFolder(CSIDL_PROGRAMS) + L"Pixolum\\";
    ASSERT_TRUE(FileExists(userGroup + L"Pixolum " PX_EXPECTED_VERSION L".lnk"));
    EXPECT_EQ(ReadLinkTarget(userGroup + L"Pixolum Hilfe.lnk"), folder + L"help\\pixo32_deutsch.chm");

    RemovalReport report;
    Transaction transaction(InstallScope::Machine);
    ASSERT_TRUE(transaction.Begin(folder, L"uninstall"));
    RemoveLinks(folder, {}, transaction, report);
    EXPECT_TRUE(report.Succeeded());
    ASSERT_TRUE(transaction.Commit(Transaction::Record::Keep));
    EXPECT_FALSE(FileExists(userGroup));
    EXPECT_TRUE(FileExists(commonGroup + L"Mein Link.lnk"));
    EXPECT_FALSE(FileExists(commonGroup + L"Pixolum " PX_EXPECTED_VERSION L".lnk"));
    EXPECT_FALSE(FileExists(commonGroup + L"Pixolum deinstallieren.lnk"));
    const std::wstring desktop = SpecialFolder(CSIDL_DESKTOP);
    const std::wstring commonDesktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    EXPECT_FALSE(FileExists(desktop + L"Pixolum.lnk"));
    EXPECT_FALSE(FileExists(desktop + L"Pixolum Thumbnails.lnk"));
    EXPECT_EQ(ReadLinkTarget(commonDesktop + L"Pixolum.lnk"), other + L"pixo32.exe");

    DeleteFileW((commonGroup + L"Mein Link.lnk").c_str());
    RemoveDirectoryW(commonGroup.c_str());
    DeleteFileW((commonDesktop + L"Pixolum.lnk").c_str());
}

// A made-up installation in a scratch folder: a short list, settings in a
// folder of their own, a file of the user's, the "running" uninstaller.
class Files : public ::testing::Test {
protected:
    test::ScratchFolder m_scratch;
    std::wstring m_folder = m_scratch.Path() + L"\\Pixolum\\";
    std::wstring m_settings = m_scratch.Path() + L"\\Einstellungen Pixolum\\";
    std::wstring m_parking = m_scratch.Path() + L"\\Parkplatz\\";
    RemovalRequest m_request;

    void SetUp() override {
        const std::string list =
            "Plugins/\nPlugins/Icons.dll\nToolbars/\nToolbars/Marlo_16.png\npixo32.exe\n"
            "px_uninstall.exe\np_about.txt\n";
        m_request.entries = ParseEntryList(list.data(), list.size());
        m_request.installFolder = m_folder;
        m_request.runningImage = m_folder + L"px_uninstall.exe";
        m_request.parkingFolder = m_parking;
        for (const std::wstring& file : m_request.entries.files) {
            MakeFolder(FolderOf(m_folder + file));
            MakeFile(m_folder + file);
        }
        MakeFolder(m_parking);
        MakeFolder(m_settings);
        SetEnvironmentVariableW(L"PX_TEST_SETTINGS", m_settings.c_str());
        WritePrivateProfileStringW(L"Others", L"INI_Folder", L"%PX_TEST_SETTINGS%",
                                   (m_folder + L"pixo32.ini").c_str());
        WritePrivateProfileStringW(L"Language", L"Lang", L"Deutsch", (m_settings + L"pixo32.ini").c_str());
        SetFileAttributesW((m_folder + L"p_about.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    }
};

TEST_F(Files, ListedFilesGoUserFilesAndSettingsStay) {
    MakeFile(m_folder + L"Plugins\\Eigenes.dll");
    const RemovalResult result = RemoveInstallation(m_request);
    EXPECT_TRUE(result.report.Succeeded()) << Narrow(result.report.failures.front());
    EXPECT_TRUE(result.report.settingsKept);
    EXPECT_TRUE(result.report.folderKept);
    for (const wchar_t* gone : {L"pixo32.exe", L"p_about.txt", L"Plugins\\Icons.dll", L"Toolbars",
                                L"px_uninstall.exe"}) {
        EXPECT_FALSE(FileExists(m_folder + gone)) << Narrow(gone);
    }
    EXPECT_EQ(result.parkedImage, m_parking + L"px_uninstall.old");
    EXPECT_TRUE(FileExists(result.parkedImage));
    EXPECT_TRUE(FileExists(m_folder + L"Plugins\\Eigenes.dll"));
    EXPECT_TRUE(FileExists(m_folder + L"pixo32.ini"));
    EXPECT_TRUE(FileExists(m_settings + L"pixo32.ini"));
}

TEST_F(Files, SettingsGoWhenAskedButNeverInAFolderTheSettingsFileNames) {
    // pixo32.ini lies in a folder users may write: its INI_Folder is no
    // licence to delete there. Without a record, the settings are the
    // install folder's and the default folder's.
    m_request.removeSettings = true;
    EXPECT_EQ(FindSettingsFiles(m_folder).size(), 1u);
    const RemovalResult result = RemoveInstallation(m_request);
    EXPECT_TRUE(result.report.Succeeded());
    EXPECT_FALSE(result.report.settingsKept);
    EXPECT_FALSE(result.report.folderKept);
    EXPECT_FALSE(FileExists(m_folder));
    EXPECT_TRUE(FileExists(m_settings + L"pixo32.ini"));
}

TEST_F(Files, AFileInUseLeavesTheInstallationWhole) {
    SetString(HKEY_LOCAL_MACHINE, kUninstall, L"InstallLocation", m_folder.c_str());
    const std::wstring locked = m_folder + L"Plugins\\Icons.dll";
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const RemovalResult result = RemoveInstallation(m_request);
    CloseHandle(holder);
    ASSERT_EQ(result.report.failures.size(), 1u);
    EXPECT_EQ(result.report.failures[0].compare(0, locked.size() + 2, locked + L": "), 0)
        << Narrow(result.report.failures[0]);
    EXPECT_TRUE(result.parkedImage.empty());
    EXPECT_FALSE(result.imageDeferred);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));
    for (const std::wstring& file : m_request.entries.files) EXPECT_TRUE(FileExists(m_folder + file));
    EXPECT_TRUE(FileExists(m_folder + L"pixo32.ini"));
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstall);
}

TEST_F(Files, AnInstallationHasItsEntryOrItsSettingsFile) {
    EXPECT_TRUE(IsInstallation(m_folder));
    DeleteFileW((m_folder + L"pixo32.ini").c_str());
    EXPECT_FALSE(IsInstallation(m_folder));  // a folder that merely holds the payload's names
    SetString(HKEY_LOCAL_MACHINE, kUninstall, L"InstallLocation", m_folder.c_str());
    EXPECT_TRUE(IsInstallation(m_folder));
    SetString(HKEY_LOCAL_MACHINE, kUninstall, L"InstallLocation", L"C:\\Anderswo\\");
    EXPECT_FALSE(IsInstallation(m_folder));
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstall);
}

TEST_F(Files, WithoutAParkingFolderTheRunningImageIsDeferred) {
    m_request.parkingFolder.clear();
    const RemovalResult result = RemoveInstallation(m_request);
    EXPECT_TRUE(result.report.Succeeded());
    EXPECT_TRUE(result.imageDeferred);
    EXPECT_TRUE(FileExists(m_folder + L"px_uninstall.exe"));
}

}  // namespace
