// RegisterApplication on the prefix's Windows version: what it writes, and
// what it leaves alone, for the choices of a silent installation.
#include <shlobj.h>
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include <cstring>

#include "association_writer.h"
#include "format_catalogue.h"
#include "expected_formats.h"
#include "registration.h"
#include "registry_probe.h"

namespace {

// A catalogue extension (ASCII) as the registry names it.
// "/assoc=1": the 49 picture formats, which open the catalogue; "/assoc=2":
// every slot (the README's switch table).
void SelectPictureFormats(AssociationSelection& selection) {
    for (int i = 0; i < kSelectionSlots; ++i) selection.slots[i] = i < 49 ? 1 : 0;
}
void SelectAllFormats(AssociationSelection& selection) {
    for (int32_t& slot : selection.slots) slot = 1;
}

std::wstring Wide(const char* text) { return std::wstring(text, text + std::strlen(text)); }

const wchar_t* const kGiven = L"  C:\\pxreg\\Inst Dir  ";
const std::wstring kFolder = L"C:\\pxreg\\Inst Dir\\";
const std::wstring kViewer = kFolder + L"pixo32.exe";
const std::wstring kOpen = L"\"" + kViewer + L"\" \"%1\"";
const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pixolum";
const std::wstring kVerb = L"Durchsuchen mit &Pixolum";
const wchar_t* const kBefore = L"px.before";

std::wstring ExtensionKey(const std::wstring& e) {
    return L"SOFTWARE\\Classes\\." + e;
}
std::wstring FileExts(const std::wstring& e) {
    return std::wstring(kFileExtsKey) + L"\\." + e;
}
std::wstring ClassKey(const std::wstring& g) {
    return L"SOFTWARE\\Classes\\Pixolum." + g;
}
std::wstring VerbKey(const wchar_t* target) {
    return std::wstring(L"SOFTWARE\\Classes\\") + target + L"\\shell\\" + kVerb;
}

struct Choices {
    int confirmed = 1;
    int requested = 0;
    int group = 0;
    int desktop = 0;
    int thumbs = 0;
    int shortcutsAllUsers = 0;
    AssociationSelection rows;
    int associationsAllUsers = 0;
};

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteTree(HKEY_LOCAL_MACHINE, kUninstall);
        DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pixolum");
        DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Pixolum");
        DeleteTree(HKEY_CLASSES_ROOT, L"Applications\\pixo32.exe");
        DeleteTree(HKEY_LOCAL_MACHINE, VerbKey(L"Directory"));
        DeleteTree(HKEY_LOCAL_MACHINE, VerbKey(L"Drive"));
        // Windows has this key from Vista on; the registration only adds to it.
        HKEY registered = nullptr;
        if (RegCreateKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", &registered) ==
            ERROR_SUCCESS) {
            RegDeleteValueW(registered, L"Pixolum");
            RegCloseKey(registered);
        }
        for (const wchar_t* appClass : kStoreAppClasses) DeleteTree(HKEY_CURRENT_USER, appClass);
        for (const ExpectedFormat& format : kExpectedFormats) {
            DeleteTree(HKEY_LOCAL_MACHINE, ClassKey(Wide(format.classGroup)));
            DeleteTree(HKEY_CURRENT_USER, FileExts(Wide(format.extension)));
            SetDefault(HKEY_LOCAL_MACHINE, ExtensionKey(Wide(format.extension)), kBefore);
        }
        // An icon an older version left on the application class.
        SetDefault(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Pixolum\\DefaultIcon", L"old.ico,1");
        for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY}) {
            DeleteFileW((SpecialFolder(csidl) + L"Pixolum.lnk").c_str());
            DeleteFileW((SpecialFolder(csidl) + L"Pixolum Thumbnails.lnk").c_str());
        }
        DeleteFileW((SpecialFolder(CSIDL_PROGRAMS) + L"Pixolum\\Pixolum " PX_EXPECTED_VERSION L".lnk").c_str());
    }

    static int Register(const Choices& c, const wchar_t* folder = kGiven) {
        InstallOptions options;
        options.associationsRequested = c.requested;
        options.startMenuGroup = c.group;
        options.desktopShortcut = c.desktop;
        options.thumbnailsShortcut = c.thumbs;
        options.shortcutsAllUsers = c.shortcutsAllUsers;
        options.associations = c.rows;
        options.associationsAllUsers = c.associationsAllUsers;
        return RegisterApplication(options, folder, c.confirmed) ? 1 : 0;
    }

    static void ExpectApplicationKeysAndUninstallEntry() {
        EXPECT_TRUE(
            HasString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Pixolum", nullptr, L"Pixolum"));
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE,
                              L"SOFTWARE\\Classes\\Pixolum\\shell\\open\\command", nullptr, kOpen));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Pixolum\\DefaultIcon"));
        EXPECT_TRUE(HasString(HKEY_CLASSES_ROOT, L"Applications\\pixo32.exe\\shell\\open\\command",
                              nullptr, kOpen));
        EXPECT_TRUE(HasString(HKEY_CLASSES_ROOT, L"Applications\\pixo32.exe", L"FriendlyAppName",
                              L"Pixolum 32-bit"));

        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kUninstall, nullptr, L""));
        EXPECT_TRUE(
            HasString(HKEY_LOCAL_MACHINE, kUninstall, L"DisplayName", L"Pixolum " PX_EXPECTED_VERSION L" (32-bit)"));
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString",
                              L"\"" + kFolder + L"px_uninstall.exe\""));
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kUninstall, L"Publisher", L"" PX_EXPECTED_PUBLISHER));
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kUninstall, L"InstallLocation", kFolder));
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kUninstall, L"DisplayVersion", L"" PX_EXPECTED_VERSION));
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kUninstall, L"DisplayIcon", kViewer + L",0"));
        EXPECT_TRUE(HasDword(HKEY_LOCAL_MACHINE, kUninstall, L"VersionMajor", 4));
        EXPECT_TRUE(HasDword(HKEY_LOCAL_MACHINE, kUninstall, L"VersionMinor", 72));
        EXPECT_TRUE(HasDword(HKEY_LOCAL_MACHINE, kUninstall, L"EstimatedSize", 6144));
    }

    static void ExpectCapabilities() {
        if (!ExpectNt6()) {
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pixolum"));
            EXPECT_FALSE(
                ReadValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", L"Pixolum")
                    .found);
            return;
        }
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pixolum\\shell\\open\\command",
                              nullptr, L"\"" + kViewer + L"\""));
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kCapabilitiesKey, L"ApplicationDescription",
                              L"Picture viewer, editor and converter - one of the most popular "
                              L"viewers worldwide"));
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", L"Pixolum",
                              L"SOFTWARE\\Pixolum\\Capabilities"));
    }

    static void ExpectFolderVerbs(bool expected) {
        for (const wchar_t* target : {L"Directory", L"Drive"}) {
            if (!expected) {
                EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, VerbKey(target))) << Narrow(target);
                continue;
            }
            EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, VerbKey(target), nullptr, kVerb));
            EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, VerbKey(target) + L"\\command", nullptr,
                                  kOpen + L" /thumbs"));
        }
    }

    // The per-extension entries for the rows that count as chosen.
    static void ExpectAssociations(const AssociationSelection& chosen, bool allUsers) {
        const bool xp = ExpectXp(), nt6 = ExpectNt6();
        // Vista and 7 only: later versions reset a UserChoice without its hash.
        const bool userChoice = nt6 && ExpectedVersionCode() < 8;
        int capabilities = 0;
        // Expected from the format table, not from the catalogue or its helpers.
        for (const ExpectedFormat& format : kExpectedFormats) {
            const int r = format.row;
            const bool selected = chosen.slots[r] != 0;
            const std::wstring icon = format.icon < 0 ? std::wstring(L"%1")
                                                      : kViewer + L"," + std::to_wstring(format.icon);
            {
                const std::wstring e = Wide(format.extension);
                const std::wstring g = Wide(format.classGroup);
                const std::wstring className = L"Pixolum." + g;
                std::wstring typeName = L"Pixolum ";
                for (wchar_t c : g) typeName += static_cast<wchar_t>(c >= L'a' && c <= L'z' ? c - 32 : c);
                typeName += L" File";
                SCOPED_TRACE("row " + std::to_string(r) + " ." + Narrow(e));

                if (nt6 || selected) {
                    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ClassKey(g), nullptr, typeName));
                    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE,
                                          ClassKey(g) + L"\\shell\\open\\command", nullptr, kOpen));
                    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ClassKey(g) + L"\\DefaultIcon",
                                          nullptr, icon));
                } else {
                    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ClassKey(g)));
                }

                const bool alwaysBound = e == L"jpg" || e == L"png" || e == L"tif";
                const bool machineWide = xp ? selected && allUsers : selected || alwaysBound;
                EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(e), nullptr,
                                      machineWide ? className : kBefore));

                if (xp && selected) {
                    EXPECT_TRUE(HasString(HKEY_CURRENT_USER, FileExts(e), L"ProgID", className));
                    EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, FileExts(e)),
                              (std::set<std::wstring>{L"", L"ProgID"}));
                } else if (userChoice && selected) {
                    EXPECT_TRUE(HasString(HKEY_CURRENT_USER, FileExts(e) + L"\\UserChoice",
                                          L"Progid", className));
                    EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, FileExts(e) + L"\\UserChoice"),
                              std::set<std::wstring>{L"Progid"});
                    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, FileExts(e), L"ProgID").found);
                } else {
                    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, FileExts(e)));
                }

                if (nt6) {
                    capabilities += HasString(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey,
                                              (L"." + e).c_str(), className)
                                        ? 1
                                        : 0;
                }
            }
        }
        EXPECT_EQ(capabilities, nt6 ? 87 : 0);
    }

    static void ExpectStoreAppKeys(bool expected) {
        for (const wchar_t* appClass : kStoreAppClasses) {
            EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, appClass, L"NoOpenWith").found, expected)
                << Narrow(appClass);
        }
    }
};

TEST_F(Registration, SilentInstallationWithoutAssociations) {
    Choices c;
    c.group = c.desktop = c.thumbs = 1;
    EXPECT_EQ(Register(c), 1);

    ExpectApplicationKeysAndUninstallEntry();
    ExpectCapabilities();
    ExpectFolderVerbs(ExpectNt6());
    ExpectAssociations(AssociationSelection{}, false);
    ExpectStoreAppKeys(false);

    const std::wstring desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    EXPECT_EQ(ReadLink(desktop + L"Pixolum.lnk").target, kViewer);
    const LinkRead thumbs = ReadLink(desktop + L"Pixolum Thumbnails.lnk");
    EXPECT_EQ(thumbs.target, kViewer);
    EXPECT_EQ(thumbs.arguments, L"/thumbs");
    EXPECT_EQ(ReadLink(SpecialFolder(CSIDL_PROGRAMS) + L"Pixolum\\Pixolum " PX_EXPECTED_VERSION L".lnk").target,
              kViewer);
}

TEST_F(Registration, PicturesChosenForAllUsers) {
    Choices c;
    c.requested = 1;
    c.desktop = 1;
    c.shortcutsAllUsers = 1;
    c.associationsAllUsers = 1;
    SelectPictureFormats(c.rows);
    EXPECT_EQ(Register(c), 1);

    ExpectApplicationKeysAndUninstallEntry();
    ExpectCapabilities();
    ExpectFolderVerbs(false);
    ExpectAssociations(c.rows, true);
    ExpectStoreAppKeys(ExpectedVersionCode() == 10);
    EXPECT_TRUE(FileExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"Pixolum.lnk"));
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"Pixolum.lnk"));
}

TEST_F(Registration, AllFormatsChosenForTheCurrentUser) {
    Choices c;
    c.requested = 1;
    SelectAllFormats(c.rows);
    EXPECT_EQ(Register(c), 1);
    ExpectAssociations(c.rows, false);
    ExpectStoreAppKeys(ExpectedVersionCode() == 10);
}

// The user answered No to the confirmation: no association changes because
// of the choice; from Vista on the catalogue is still registered as if no
// row had been chosen.
TEST_F(Registration, DeclinedConfirmationChangesNoAssociation) {
    Choices c;
    c.confirmed = 0;
    c.requested = 1;
    c.associationsAllUsers = 1;
    SelectPictureFormats(c.rows);
    EXPECT_EQ(Register(c), 1);

    ExpectApplicationKeysAndUninstallEntry();
    ExpectCapabilities();
    ExpectAssociations(AssociationSelection{}, true);
    ExpectStoreAppKeys(false);
}

TEST_F(Registration, MissingRegisteredApplicationsKeyIsNotCreated) {
    DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications");
    EXPECT_EQ(Register(Choices{}), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications"));
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kCapabilitiesKey), ExpectNt6());
    ExpectApplicationKeysAndUninstallEntry();
}

TEST_F(Registration, FolderTooLongForTheCommandsIsRefusedWholly) {
    // "C:\" plus 231 characters plus "\" is 235 characters: with pixo32.exe
    // and the 15 characters of the thumbnails command, 260 without room
    // for the terminator.
    const std::wstring fits = L"  C:\\" + std::wstring(230, L'f') + L"  ";
    const std::wstring tooLong = L"C:\\" + std::wstring(231, L'f');
    EXPECT_TRUE(TargetFolderFitsCommands(fits.c_str()));
    EXPECT_TRUE(TargetFolderFitsCommands((fits.substr(2, 233) + L"\\").c_str()));
    EXPECT_FALSE(TargetFolderFitsCommands(tooLong.c_str()));
    EXPECT_FALSE(TargetFolderFitsCommands((tooLong + L"\\").c_str()));
    EXPECT_FALSE(TargetFolderFitsCommands(L"   "));
    EXPECT_FALSE(TargetFolderFitsCommands(L""));
    EXPECT_FALSE(TargetFolderFitsCommands((std::wstring(300, L' ') + L"C:\\x").c_str()));

    Choices c;
    c.group = c.desktop = c.thumbs = 1;
    c.requested = 1;
    SelectAllFormats(c.rows);
    EXPECT_EQ(Register(c, tooLong.c_str()), 0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ClassKey(L"jpg")));
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"Pixolum.lnk"));
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_PROGRAMS) + L"Pixolum\\Pixolum " PX_EXPECTED_VERSION L".lnk"));
}

}  // namespace
