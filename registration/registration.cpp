#include "registration.h"

#include <shlobj.h>
#include <windows.h>

#include <cwchar>
#include <string>

#include "association_writer.h"
#include "format_catalogue.h"
#include "path_utils.h"
#include "reg_key.h"
#include "reg_values.h"
#include "shell_api.h"
#include "shortcuts.h"
#include "text_buffer.h"
#include "transaction.h"
#include "version_probe.h"

namespace {

constexpr const wchar_t* kApplicationDescription =
    L"Picture viewer, editor and converter - one of the most popular viewers worldwide";
// What the thumbnails command, the longest text formed from the viewer's
// path, adds to it: two quotes, ' "%1"' and " /thumbs".
constexpr size_t kThumbnailsCommandExtra = 15;

// F of the registration: the target folder without blanks at its ends and
// with one trailing backslash. Every text formed later (commands, icons, the
// uninstaller's path, link targets) is shorter than the thumbnails command,
// so checking that one here keeps all of them within the path limit.
bool FormInstallFolder(const wchar_t* targetFolder, wchar_t (&folder)[kPathChars]) {
    if (!targetFolder || !CopyText(folder, kPathChars, targetFolder)) return false;
    TrimSpaces(folder);
    AppendBackslash(folder);
    const size_t length = wcslen(folder);
    return length > 0 && folder[length - 1] == L'\\' &&
           length + wcslen(kViewerExe) + kThumbnailsCommandExtra < static_cast<size_t>(kPathChars);
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

void WriteFolderVerbs(InstallScope scope, const std::wstring& thumbnailsCommand, Transaction* tx) {
    for (const wchar_t* target : {L"Directory", L"Drive"}) {
        const std::wstring verb =
            std::wstring(L"SOFTWARE\\Classes\\") + target + L"\\shell\\" + kFolderVerb;
        SetDefaultValue(ScopeRoot(scope), verb.c_str(), kFolderVerb, tx);
        SetDefaultValue(ScopeRoot(scope), (verb + L"\\command").c_str(),
                        thumbnailsCommand.c_str(), tx);
    }
}

void WriteApplicationKeys(InstallScope scope, const std::wstring& openCommand, Transaction* tx) {
    SetDefaultValue(ScopeRoot(scope), L"SOFTWARE\\Classes\\Pixolum", L"Pixolum", tx);
    SetDefaultValue(ScopeRoot(scope), L"SOFTWARE\\Classes\\Pixolum\\shell\\open\\command",
                    openCommand.c_str(), tx);
    // An icon left by an older version would override the viewer's own.
    DeleteKeyRecorded(ScopeRoot(scope), L"SOFTWARE\\Classes\\Pixolum\\DefaultIcon", tx);

    // Machine-wide through the merged view, as ever; a per-user installation
    // only ever in the user's own classes.
    const bool perUser = scope == InstallScope::User;
    const HKEY classes = perUser ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
    const std::wstring application = std::wstring(perUser ? L"SOFTWARE\\Classes\\" : L"") +
                                     L"Applications\\pixo32.exe";
    SetDefaultValue(classes, (application + L"\\shell\\open\\command").c_str(), openCommand.c_str(), tx);
    RegKey applicationKey;
    if (applicationKey.Open(classes, application.c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS) {
        SetStringValue(applicationKey.Get(), L"FriendlyAppName", L"Pixolum 32-bit", tx);
    }
}

void WriteUninstallEntry(InstallScope scope, const std::wstring& folder, const std::wstring& viewer, Transaction* tx) {
    RegKey key;
    if (CreateKeyRecorded(ScopeRoot(scope), kUninstallKey, key, tx) != ERROR_SUCCESS) return;
    SetStringValue(key.Get(), nullptr, L"", tx);
    SetStringValue(key.Get(), L"UninstallString", Quoted(folder + L"px_uninstall.exe").c_str(), tx);
    SetStringValue(key.Get(), L"Publisher", kPublisher, tx);
    SetStringValue(key.Get(), L"InstallLocation", folder.c_str(), tx);
    SetStringValue(key.Get(), L"DisplayIcon", (viewer + L",0").c_str(), tx);
    SetDwordValue(key.Get(), L"VersionMajor", kVersionMajor, tx);
    SetDwordValue(key.Get(), L"VersionMinor", kVersionMinor, tx);
    SetDwordValue(key.Get(), L"EstimatedSize", 6144, tx);
    // What deployment tools and the system's program list expect besides:
    // the uninstaller without a window, and no Change or Repair buttons.
    SetStringValue(key.Get(), L"QuietUninstallString",
                   (Quoted(folder + L"px_uninstall.exe") + L" /silent").c_str(), tx);
    SetDwordValue(key.Get(), L"NoModify", 1, tx);
    SetDwordValue(key.Get(), L"NoRepair", 1, tx);
}

// The names by which the system's program list and deployment tools detect
// the installation come last: until they are there, nothing looks installed.
void NameUninstallEntry(InstallScope scope, Transaction* tx) {
    RegKey key;
    if (key.Open(ScopeRoot(scope), kUninstallKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
    SetStringValue(key.Get(), L"DisplayName", (std::wstring(L"Pixolum ") + kVersionText + L" (32-bit)").c_str(), tx);
    SetStringValue(key.Get(), L"DisplayVersion", kVersionText, tx);
}

// Default Programs registration (Vista and later): the application's own key,
// its capabilities and the entry in RegisteredApplications. The file
// associations below "Capabilities" are filled per extension.
void WriteCapabilities(InstallScope scope, const std::wstring& viewer, Transaction* tx) {
    {
        RegKey created;
        CreateKeyRecorded(ScopeRoot(scope), L"SOFTWARE\\Pixolum", created, tx);
    }
    SetDefaultValue(ScopeRoot(scope), L"SOFTWARE\\Pixolum\\shell\\open\\command",
                    Quoted(viewer).c_str(), tx);
    {
        RegKey capabilities;
        if (CreateKeyRecorded(ScopeRoot(scope), kCapabilitiesKey, capabilities, tx) == ERROR_SUCCESS) {
            SetStringValue(capabilities.Get(), L"ApplicationDescription", kApplicationDescription, tx);
        }
    }
    {
        RegKey created;
        CreateKeyRecorded(ScopeRoot(scope), kCapabilityAssociationsKey, created, tx);
    }
    RegKey registered;
    // The user's list need not exist yet; the machine's always does.
    const LONG opened = scope == InstallScope::User
                            ? CreateKeyRecorded(ScopeRoot(scope), L"SOFTWARE\\RegisteredApplications", registered, tx)
                            : registered.Open(ScopeRoot(scope), L"SOFTWARE\\RegisteredApplications",
                                              KEY_SET_VALUE | KEY_QUERY_VALUE);
    if (opened == ERROR_SUCCESS) {
        SetStringValue(registered.Get(), L"Pixolum", kCapabilitiesKey, tx);
    }
}

void AssociateCatalogue(const BindingRules& rules, const AssociationSelection& selection, const std::wstring& viewer,
                        Transaction* tx) {
    for (int row = 0; row < kFormatCount; ++row) {
        const bool selected = selection.slots[row] != 0;
        if (!rules.isNt6 && !selected) continue;
        const FormatRow& format = FormatCatalogue[row];
        wchar_t icon[kPathChars];
        if (!FormatDefaultIcon(format, viewer.c_str(), icon, kPathChars)) continue;
        for (int i = 0; i < format.ExtensionCount(); ++i) {
            AssociateExtension(rules, WideExtension(format.extensions[i].extension).c_str(),
                               WideExtension(format.extensions[i].classGroup).c_str(), icon, selected, tx);
        }
    }
}

}  // namespace

bool TargetFolderFitsCommands(const wchar_t* targetFolder) {
    wchar_t folder[kPathChars];
    return FormInstallFolder(targetFolder, folder);
}

bool RegisterApplication(const InstallOptions& options, const wchar_t* targetFolder,
                         bool associationsConfirmed, Transaction* tx) {
    const bool isNt6 = IsNt6OrLater();
    const bool isXp = !isNt6 && IsWindowsXp();
    // A per-user installation has no links for all users.
    const bool allUsers = options.shortcutsAllUsers && options.scope == InstallScope::Machine;

    wchar_t folderBuffer[kPathChars];
    if (!FormInstallFolder(targetFolder, folderBuffer)) return false;
    const std::wstring folder(folderBuffer);

    if (options.startMenuGroup) CreateStartMenuGroup(folder.c_str(), allUsers, tx);
    const std::wstring viewer = folder + kViewerExe;
    if (options.desktopShortcut) {
        CreateDesktopLink(viewer.c_str(), kViewerDesktopLink, nullptr, L"Pixolum - Bildbetrachter",
                          nullptr, 0, allUsers, tx);
    }
    const std::wstring openCommand = Quoted(viewer) + L" \"%1\"";
    if (options.thumbnailsShortcut) {
        CreateDesktopLink(viewer.c_str(), kThumbnailsDesktopLink, viewer.c_str(),
                          L"Pixolum - Thumbnails", L"/thumbs", 7, allUsers, tx);
        if (isNt6) WriteFolderVerbs(options.scope, openCommand + L" /thumbs", tx);
    }

    WriteApplicationKeys(options.scope, openCommand, tx);
    WriteUninstallEntry(options.scope, folder, viewer, tx);
    if (isNt6) WriteCapabilities(options.scope, viewer, tx);

    // A declined confirmation means: change no association. From Vista on
    // the class keys and capability entries are still written (the viewer
    // stays listed with all its formats in Default Programs), but as if no
    // row had been chosen: no extension key, UserChoice or store-app key
    // changes because of the choice, and the shell is not told.
    if (associationsConfirmed || isNt6) {
        AssociationSelection effective;
        if (associationsConfirmed) effective = options.associations;
        BindingRules rules;
        rules.scope = options.scope;
        rules.openCommand = openCommand.c_str();
        rules.isXp = isXp;
        rules.isNt6 = isNt6;
        rules.associationsAllUsers = options.associationsAllUsers;
        rules.userChoice = isNt6 && GetWindowsVersionCode() < 8;
        AssociateCatalogue(rules, effective, viewer, tx);
        if (options.associationsRequested && associationsConfirmed) {
            if (GetWindowsVersionCode() == 10) SuppressStoreAppSuggestions(tx);
            SystemParametersInfoW(SPI_SETICONS, 0, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
            lazy::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSHNOWAIT, nullptr, nullptr);
        }
    }
    NameUninstallEntry(options.scope, tx);
    return true;
}
