// The links of the group and the desktop, read back through the shell.
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "registry_probe.h"
#include "shortcuts.h"

namespace {

const std::wstring kInstall = L"C:\\pxreg\\links\\Pixolum\\";
const std::wstring kViewer = kInstall + L"pixo32.exe";

struct ExpectedLink {
    std::wstring name, target, arguments, iconFile;
    int iconIndex;
};

std::vector<ExpectedLink> GroupLinks(bool withUninstaller) {
    std::vector<ExpectedLink> links = {
        {L"Pixolum " PX_EXPECTED_VERSION L".lnk", kViewer, L"", L"", 0},
        {L"Pixolum - Thumbnails.lnk", kViewer, L"/thumbs", kViewer, 7},
        {L"Pixolum deinstallieren.lnk", kInstall + L"px_uninstall.exe", L"", L"", 0},
        {L"Über Pixolum.lnk", kInstall + L"p_about.txt", L"", L"", 0},
        {L"Was ist neu.lnk", kInstall + L"p_changes.txt", L"", L"", 0},
        {L"Kommandozeilen-Optionen.lnk", kInstall + L"p_options.txt", L"", L"", 0},
        {L"Verfügbare PlugIns.lnk", kInstall + L"p_plugins.txt", L"", L"", 0},
        {L"Verfügbare Sprachen.lnk", kInstall + L"p_languages.txt", L"", L"", 0},
        {L"Pixolum Hilfe.lnk", kInstall + L"help\\pixo32_deutsch.chm", L"", L"", 0},
    };
    if (!withUninstaller) links.erase(links.begin() + 2);
    return links;
}

std::vector<std::wstring> LinksIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*.lnk").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

void ExpectLink(const std::wstring& path, const std::wstring& target, const std::wstring& arguments,
                const std::wstring& iconFile, int iconIndex, const std::wstring& description) {
    const LinkRead link = ReadLink(path);
    ASSERT_TRUE(link.loaded) << Narrow(path);
    EXPECT_EQ(link.target, target) << Narrow(path);
    EXPECT_EQ(link.arguments, arguments) << Narrow(path);
    EXPECT_EQ(link.iconFile, iconFile) << Narrow(path);
    if (!iconFile.empty()) {
        EXPECT_EQ(link.iconIndex, iconIndex) << Narrow(path);
    }
    EXPECT_EQ(link.description, description) << Narrow(path);
}

class Shortcuts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        MakeFolder(kInstall + L"help");
        for (const wchar_t* file : {L"pixo32.exe", L"px_uninstall.exe", L"p_about.txt",
                                    L"p_changes.txt", L"p_options.txt", L"p_plugins.txt",
                                    L"p_languages.txt", L"help\\pixo32_deutsch.chm"}) {
            MakeFile(kInstall + file);
        }
    }

    static void RemoveGroup(const std::wstring& group) {
        for (const std::wstring& name : LinksIn(group)) DeleteFileW((group + name).c_str());
        RemoveDirectoryW(group.c_str());
    }

    static void CheckGroup(bool allUsers) {
        const std::wstring group =
            SpecialFolder(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) + L"Pixolum\\";
        const std::wstring other =
            SpecialFolder(allUsers ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS) + L"Pixolum\\";
        RemoveGroup(group);
        RemoveGroup(other);

        EXPECT_EQ(CreateStartMenuGroup(kInstall.c_str(), allUsers), 1);

        const bool withUninstaller = ExpectedVersionCode() != 8;
        const std::vector<ExpectedLink> expected = GroupLinks(withUninstaller);
        EXPECT_EQ(LinksIn(group).size(), expected.size());
        for (const ExpectedLink& link : expected) {
            ExpectLink(group + link.name, link.target, link.arguments, link.iconFile,
                       link.iconIndex, L"");
        }
        EXPECT_EQ(FileExists(group + L"Pixolum deinstallieren.lnk"), withUninstaller);
        EXPECT_TRUE(LinksIn(other).empty()) << "links went to the wrong users' folder";
    }
};

TEST_F(Shortcuts, GroupForTheCurrentUser) {
    CheckGroup(false);
}

TEST_F(Shortcuts, GroupForAllUsers) {
    CheckGroup(true);
}

TEST_F(Shortcuts, GroupReplacesTheTwoPreviousVersionLinksOnly) {
    const std::wstring group = SpecialFolder(CSIDL_PROGRAMS) + L"Pixolum\\";
    RemoveGroup(group);
    MakeFolder(group);
    for (const wchar_t* old : {L"Pixolum 4.70.lnk", L"Pixolum 4.67.lnk", L"Pixolum 4.60.lnk"}) {
        ASSERT_EQ(CreateLinkInFolder(group.c_str(), old, kViewer.c_str(), nullptr, nullptr, 0), 1);
    }
    CreateStartMenuGroup(kInstall.c_str(), false);
    EXPECT_FALSE(FileExists(group + L"Pixolum 4.70.lnk"));
    EXPECT_FALSE(FileExists(group + L"Pixolum 4.67.lnk"));
    EXPECT_TRUE(FileExists(group + L"Pixolum 4.60.lnk"));
    EXPECT_TRUE(FileExists(group + L"Pixolum " PX_EXPECTED_VERSION L".lnk"));
}

TEST_F(Shortcuts, DesktopLinksForTheCurrentUserAndAllUsers) {
    for (bool allUsers : {false, true}) {
        const std::wstring desktop =
            SpecialFolder(allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
        const std::wstring other =
            SpecialFolder(allUsers ? CSIDL_DESKTOPDIRECTORY : CSIDL_COMMON_DESKTOPDIRECTORY);
        for (const std::wstring& folder : {desktop, other}) {
            DeleteFileW((folder + L"Pixolum.lnk").c_str());
            DeleteFileW((folder + L"Pixolum Thumbnails.lnk").c_str());
        }
        EXPECT_EQ(CreateDesktopLink(kViewer.c_str(), L"Pixolum.lnk", nullptr,
                                    L"Pixolum - Bildbetrachter", nullptr, 0, allUsers),
                  1);
        EXPECT_EQ(CreateDesktopLink(kViewer.c_str(), L"Pixolum Thumbnails.lnk", kViewer.c_str(),
                                    L"Pixolum - Thumbnails", L"/thumbs", 7, allUsers),
                  1);
        ExpectLink(desktop + L"Pixolum.lnk", kViewer, L"", L"", 0, L"Pixolum - Bildbetrachter");
        ExpectLink(desktop + L"Pixolum Thumbnails.lnk", kViewer, L"/thumbs", kViewer, 7,
                   L"Pixolum - Thumbnails");
        EXPECT_FALSE(FileExists(other + L"Pixolum.lnk")) << "allUsers " << allUsers;
    }
}

TEST_F(Shortcuts, SpecialFolderPathEndsInABackslashAndFallsBackToWindows) {
    wchar_t path[260];
    EXPECT_EQ(GetSpecialFolderPath(path, CSIDL_PROGRAMS), 1);
    EXPECT_EQ(std::wstring(path), SpecialFolder(CSIDL_PROGRAMS));

    wchar_t windows[260];
    GetWindowsDirectoryW(windows, 260);
    EXPECT_EQ(GetSpecialFolderPath(path, 0x7f), 1);  // a CSIDL the shell does not know
    EXPECT_EQ(std::wstring(path), std::wstring(windows) + L"\\");
}

TEST_F(Shortcuts, LinksThatCannotBeSavedReportFailure) {
    EXPECT_EQ(CreateLinkInFolder(L"C:\\pxreg\\no such folder\\", L"x.lnk", kViewer.c_str(), nullptr,
                                 nullptr, 0),
              0);
    const std::wstring deep = L"C:\\pxreg\\" + std::wstring(250, L'd') + L"\\";
    EXPECT_EQ(CreateLinkInFolder(deep.c_str(), L"x.lnk", kViewer.c_str(), nullptr, nullptr, 0), 0);
    const std::wstring longTarget = L"C:\\" + std::wstring(270, L't');
    EXPECT_EQ(CreateLinkInFolder(L"C:\\pxreg\\", L"x.lnk", longTarget.c_str(), nullptr, nullptr, 0),
              0);
    EXPECT_FALSE(FileExists(L"C:\\pxreg\\x.lnk"));
}

}  // namespace
