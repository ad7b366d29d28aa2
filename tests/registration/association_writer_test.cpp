// Every branch of the association writer, read back from the prefix's registry.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "association_writer.h"
#include "registry_probe.h"

namespace {

const std::wstring kOpen = L"\"C:\\px\\pixo32.exe\" \"%1\"";
const std::wstring kIcon = L"C:\\px\\pixo32.exe,0";
const wchar_t* const kBefore = L"px.before";

std::wstring ExtensionKey(const std::wstring& extension) {
    return L"SOFTWARE\\Classes\\." + extension;
}
std::wstring FileExts(const std::wstring& extension) {
    return std::wstring(kFileExtsKey) + L"\\." + extension;
}
std::wstring UserChoice(const std::wstring& extension) {
    return FileExts(extension) + L"\\UserChoice";
}
std::wstring ClassKey(const std::wstring& group) {
    return L"SOFTWARE\\Classes\\Pixolum." + group;
}

class AssociationWriter : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* extension :
             {L"jpg", L"jpeg", L"png", L"tif", L"tiff", L"gif", L"ico"}) {
            SetDefault(HKEY_LOCAL_MACHINE, ExtensionKey(extension), kBefore);
            DeleteTree(HKEY_CURRENT_USER, FileExts(extension));
        }
        for (const wchar_t* group : {L"jpg", L"png", L"tif", L"gif", L"ico"}) {
            DeleteTree(HKEY_LOCAL_MACHINE, ClassKey(group));
        }
        DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pixolum");
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey, &key),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // A UserChoice as Explorer leaves it: the choice and its hash.
    void PlantUserChoice(const std::wstring& extension) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, UserChoice(extension).c_str(), &key),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"Progid", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Other.app"), 20);
        RegSetValueExW(key, L"Hash", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 8);
        RegCloseKey(key);
    }

    static void Associate(const wchar_t* extension, const wchar_t* group, bool isXp, bool isNt6,
                          bool allUsers, bool selected, const std::wstring& icon = kIcon,
                          bool userChoice = true) {
        BindingRules rules;
        rules.openCommand = kOpen.c_str();
        rules.isXp = isXp;
        rules.isNt6 = isNt6;
        rules.associationsAllUsers = allUsers;
        rules.userChoice = userChoice;
        AssociateExtension(rules, extension, group, icon.c_str(), selected);
    }

    static void ExpectClassKey(const std::wstring& group, const std::wstring& typeName,
                               const std::wstring& icon = kIcon) {
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ClassKey(group), nullptr, typeName));
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ClassKey(group) + L"\\shell\\open\\command",
                              nullptr, kOpen));
        EXPECT_TRUE(
            HasString(HKEY_LOCAL_MACHINE, ClassKey(group) + L"\\DefaultIcon", nullptr, icon));
    }
};

TEST_F(AssociationWriter, XpWithoutAllUsersBindsOnlyTheCurrentUser) {
    for (const wchar_t* extension : {L"jpg", L"jpeg", L"png", L"tif"}) {
        const std::wstring group = std::wstring(extension) == L"jpeg" ? L"jpg" : extension;
        Associate(extension, group.c_str(), true, false, false, true);
        EXPECT_TRUE(HasString(HKEY_CURRENT_USER, FileExts(extension), nullptr, L""));
        EXPECT_TRUE(
            HasString(HKEY_CURRENT_USER, FileExts(extension), L"ProgID", L"Pixolum." + group));
        EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, FileExts(extension)),
                  (std::set<std::wstring>{L"", L"ProgID"}));
        // Not even the three always-bound pictures change machine-wide on XP.
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(extension), nullptr, kBefore));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserChoice(extension)));
    }
    ExpectClassKey(L"jpg", L"Pixolum JPG File");
    ExpectClassKey(L"tif", L"Pixolum TIF File");
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey, L".jpg").found);
}

TEST_F(AssociationWriter, XpWithAllUsersAlsoBindsMachineWide) {
    Associate(L"jpeg", L"jpg", true, false, true, true);
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"jpeg"), nullptr, L"Pixolum.jpg"));
    EXPECT_TRUE(HasString(HKEY_CURRENT_USER, FileExts(L"jpeg"), L"ProgID", L"Pixolum.jpg"));
    ExpectClassKey(L"jpg", L"Pixolum JPG File");
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey, L".jpeg").found);
}

TEST_F(AssociationWriter, Nt6NotChosenWritesClassAndCapabilityButNoChoice) {
    for (const wchar_t* extension : {L"jpg", L"jpeg", L"png", L"tif", L"tiff"})
        PlantUserChoice(extension);
    Associate(L"jpg", L"jpg", false, true, false, false);
    Associate(L"jpeg", L"jpg", false, true, false, false);
    Associate(L"png", L"png", false, true, false, false);
    Associate(L"tif", L"tif", false, true, false, false);
    Associate(L"tiff", L"tif", false, true, false, false);

    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"jpg"), nullptr, L"Pixolum.jpg"));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"png"), nullptr, L"Pixolum.png"));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"tif"), nullptr, L"Pixolum.tif"));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"jpeg"), nullptr, kBefore));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"tiff"), nullptr, kBefore));
    for (const wchar_t* extension : {L"jpg", L"jpeg", L"png", L"tif", L"tiff"}) {
        EXPECT_TRUE(HasString(HKEY_CURRENT_USER, UserChoice(extension), L"Progid", L"Other.app"));
        EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, UserChoice(extension), L"Hash").found);
        EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, FileExts(extension), L"ProgID").found);
    }
    EXPECT_TRUE(
        HasString(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey, L".jpeg", L"Pixolum.jpg"));
    EXPECT_TRUE(
        HasString(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey, L".tiff", L"Pixolum.tif"));
    ExpectClassKey(L"png", L"Pixolum PNG File");
}

TEST_F(AssociationWriter, Nt6ChosenReplacesTheUserChoice) {
    PlantUserChoice(L"gif");
    PlantUserChoice(L"jpeg");
    Associate(L"gif", L"gif", false, true, false, true);
    Associate(L"jpeg", L"jpg", false, true, false, true);
    for (const auto& [extension, group] :
         {std::pair<std::wstring, std::wstring>{L"gif", L"gif"}, {L"jpeg", L"jpg"}}) {
        EXPECT_TRUE(
            HasString(HKEY_LOCAL_MACHINE, ExtensionKey(extension), nullptr, L"Pixolum." + group));
        EXPECT_TRUE(
            HasString(HKEY_CURRENT_USER, UserChoice(extension), L"Progid", L"Pixolum." + group));
        // Replaced, not updated: the old hash is gone; the name is "Progid" as written.
        EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, UserChoice(extension)),
                  std::set<std::wstring>{L"Progid"});
        EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey,
                              (L"." + extension).c_str(), L"Pixolum." + group));
        EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, FileExts(extension), L"ProgID").found);
    }
    ExpectClassKey(L"gif", L"Pixolum GIF File");
}

// Windows 8 and later reset a UserChoice without its hash: the user's own
// choice stays as it was, the class key and capability still offer the viewer.
TEST_F(AssociationWriter, Windows8AndLaterLeaveTheUserChoiceAlone) {
    PlantUserChoice(L"gif");
    Associate(L"gif", L"gif", false, true, false, true, kIcon, false);
    Associate(L"jpeg", L"jpg", false, true, false, true, kIcon, false);
    EXPECT_TRUE(HasString(HKEY_CURRENT_USER, UserChoice(L"gif"), L"Progid", L"Other.app"));
    EXPECT_TRUE(HasString(HKEY_CURRENT_USER, UserChoice(L"gif"), L"Hash", L"abc"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserChoice(L"jpeg")));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"gif"), nullptr, L"Pixolum.gif"));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey, L".gif", L"Pixolum.gif"));
    ExpectClassKey(L"gif", L"Pixolum GIF File");
}

TEST_F(AssociationWriter, MissingCapabilitiesKeyIsNotCreated) {
    DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pixolum");
    Associate(L"gif", L"gif", false, true, false, true);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey));
    ExpectClassKey(L"gif", L"Pixolum GIF File");
    EXPECT_TRUE(HasString(HKEY_CURRENT_USER, UserChoice(L"gif"), L"Progid", L"Pixolum.gif"));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"gif"), nullptr, L"Pixolum.gif"));
}

TEST_F(AssociationWriter, OlderThanXpBindsMachineWideOnly) {
    Associate(L"gif", L"gif", false, false, false, true);
    Associate(L"TIF", L"tif", false, false, false, false);
    Associate(L"jpeg", L"jpg", false, false, false, false);
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"gif"), nullptr, L"Pixolum.gif"));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"tif"), nullptr, L"Pixolum.tif"));
    EXPECT_TRUE(HasString(HKEY_LOCAL_MACHINE, ExtensionKey(L"jpeg"), nullptr, kBefore));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, FileExts(L"gif")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserChoice(L"gif")));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kCapabilityAssociationsKey, L".gif").found);
    ExpectClassKey(L"jpg", L"Pixolum JPG File");
}

TEST_F(AssociationWriter, OwnFileIconIsWrittenLiterally) {
    Associate(L"ico", L"ico", false, true, false, false, L"%1");
    ExpectClassKey(L"ico", L"Pixolum ICO File", L"%1");
}

TEST_F(AssociationWriter, StoreAppsAreKeptOutOfOpenWith) {
    for (const wchar_t* appClass : kStoreAppClasses) DeleteTree(HKEY_CURRENT_USER, appClass);
    SuppressStoreAppSuggestions();
    for (const wchar_t* appClass : kStoreAppClasses) {
        const RegRead read = ReadValue(HKEY_CURRENT_USER, appClass, L"NoOpenWith");
        EXPECT_TRUE(read.found && read.type == REG_SZ && read.bytes == 2 && read.text.empty())
            << Narrow(appClass);
    }
}

}  // namespace
