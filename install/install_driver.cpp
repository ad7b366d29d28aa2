// One whole installation: target folder, icon-library gate, payload, first
// settings, the association question, registration and the UTF-16 settings.
#include "install_driver.h"

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "earlier_install.h"
#include "extraction.h"
#include "folder_rights.h"
#include "install_log.h"
#include "path_utils.h"
#include "registration.h"
#include "resource.h"
#include "settings_file.h"
#include "text_buffer.h"
#include "transaction.h"
#include "version_number.h"
#include "win_handles.h"

namespace {

constexpr int kPayloadId = IDR_PAYLOAD;
constexpr wchar_t kPayloadType[] = L"ZIP";
constexpr wchar_t kIconLibraryCompany[] = L"Orlovane";
constexpr int kIconLibraryBuildBytes = 0x37600;   // 226,816: the one 4.30 build the setup replaces

enum class Order { MessageFirst, FolderFirst };

// The lines of the log that name what an undo could not put back.
std::wstring NotUndone(const std::vector<std::wstring>& failed) {
    std::wstring text;
    for (const std::wstring& line : failed) text += L"\nNicht rückgängig gemacht: " + line;
    return text;
}

// The file the UTF-16 conversion writes beside the settings file.
std::wstring SettingsScratchPath(const wchar_t* settingsFile) {
    std::wstring path(settingsFile);
    return path.substr(0, path.rfind(L'\\') + 1) + L"pixo32.ini_temp";
}

// A message box of the wizard, on the window's thread when the wizard runs
// the installation on another one.
int ShowMessage(const InstallOptions& options, const wchar_t* text, unsigned style) {
    if (options.ask) return options.ask(options.uiContext, text, style);
    return MessageBoxW(GetActiveWindow(), text, options.messageCaption, style);
}

void ReportProgress(const InstallOptions& options, int perMille) {
    if (options.progress) options.progress(options.uiContext, perMille);
}

// The files are most of the work: up to 850 per mille, by entries.
constexpr int kFilesShare = 850;
void ReportEntries(void* context, unsigned done, unsigned total) {
    const auto* options = static_cast<const InstallOptions*>(context);
    if (total) ReportProgress(*options, static_cast<int>(kFilesShare * static_cast<unsigned long long>(done) / total));
}

std::wstring LoadMessage(int id) {
    wchar_t text[kLongChars] = {};
    LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), text, kLongChars);
    return text;
}

// Wizard mode: one message box. Silent mode: one log entry instead, the
// message and the folder joined by ": " in the order the string asks for.
// detail, when known, names the file or folder and the Windows error on a
// line of its own (log only: the message box keeps the program's text).
int ReportFailure(const InstallOptions& options, int id, const wchar_t* folder, Order order,
                  const std::wstring& detail = std::wstring()) {
    std::wstring message = LoadMessage(id);
    if (options.silent) {
        std::wstring entry = order == Order::MessageFirst
                                 ? message + L": " + LogValue(folder)
                                 : LogValue(folder) + L": " + message;
        if (!detail.empty()) entry += (detail[0] == L'\n' ? L"" : L"\n") + detail;
        WriteInstallLog(entry.c_str());
    } else {
        ShowMessage(options, message.c_str(), MB_ICONERROR);
    }
    return 0;
}

// The version text as a number in single precision, the way the icon
// library's versions have always been compared: "4.30" gives 4300.
int VersionTimesThousand(const wchar_t* version) {
    float value = VersionTextValue(version);
    // Stored through memory so that the product is rounded to single
    // precision even where the FPU computes in extended precision.
    volatile float product = value * 1000.0f;
    return static_cast<int>(std::trunc(product));
}

// true: leave the Plugins folder's icon library alone. Only the maker's own
// library, not newer than 4.30 (and at 4.30 only the one build of 226,816
// bytes), is replaced.
bool KeepIconLibrary(const wchar_t* iconLibrary) {
    wchar_t version[kPathChars] = {};
    wchar_t company[kPathChars] = {};
    if (!ReadFileVersionAndCompany(iconLibrary, version, company, kPathChars)) return false;
    int reference = VersionTimesThousand(L"4.30");
    int installed = VersionTimesThousand(version);
    if (installed > reference) return true;
    if (installed == reference && FileSizeOf(iconLibrary) != kIconLibraryBuildBytes) return true;
    return _wcsicmp(company, kIconLibraryCompany) != 0;
}

// Forms "<folder>pixo32.ini" when it is a usable path (at most 259 characters).
bool FormSettingsPath(const wchar_t* folder, wchar_t* path) {
    wchar_t formed[kLongChars] = {};
    if (!CopyText(formed, kLongChars, folder) || !AppendText(formed, kLongChars, kSettingsFileName)) {
        return false;
    }
    if (wcslen(formed) >= static_cast<size_t>(kPathChars)) return false;
    return CopyText(path, kLongChars, formed);
}

// The settings folder's "pixo32.ini", or false when the folder named by
// iniFolder cannot be formed within the path limit; the settings then stay in
// the program folder.
bool ActiveSettingsPath(const wchar_t* iniFolder, wchar_t* activeIni, Transaction& transaction) {
    std::wstring expanded;
    if (!ExpandVariables(iniFolder, expanded)) return false;
    // Only an absolute folder has the one spelling that the journal, the
    // settings and the uninstaller share; a relative one (an unknown variable
    // that vanished, say) would land wherever the process happens to be.
    wchar_t folder[kPathChars] = {};
    if (!CanonicalFolder(expanded.c_str(), folder)) return false;
    // A folder that cannot be made fails the installation (the transaction
    // notes why) rather than moving the settings elsewhere.
    transaction.CreateFolder(folder);
    return FormSettingsPath(folder, activeIni);
}

// The settings folder an update reads back from pixo32.ini lies in a file
// users may be able to write: it is followed only to the folder the
// installation recorded, or the default one. Anything else (a system folder,
// another program's) gives way to the recorded folder, else the default.
void KeepToRecordedSettingsFolder(InstallScope scope, const wchar_t* target, wchar_t* iniFolder) {
    if (iniFolder[0] == L'\0') return;
    std::wstring expanded;
    std::wstring fallback = kDefaultSettingsFolder;
    std::wstring defaultExpanded;
    ExpandVariables(kDefaultSettingsFolder, defaultExpanded);
    if (!ExpandVariables(iniFolder, expanded)) expanded.clear();
    if (!expanded.empty() && expanded.back() != L'\\') expanded += L'\\';
    if (!defaultExpanded.empty() && defaultExpanded.back() != L'\\') defaultExpanded += L'\\';
    if (!expanded.empty() && _wcsicmp(expanded.c_str(), defaultExpanded.c_str()) == 0) return;
    std::vector<RecordEntry> record;
    const std::wstring recordPath = InstallRecordPath(scope);
    if (!recordPath.empty() && ReadRecordFile(recordPath, record) &&
        _wcsicmp(RecordInstallFolder(record).c_str(), target) == 0) {
        for (const RecordEntry& entry : record) {
            const size_t cut = entry.key.rfind(L'\\');
            if (entry.kind != RecordEntry::FileCreated || cut == std::wstring::npos ||
                _wcsicmp(entry.key.c_str() + cut + 1, kSettingsFileName) != 0 ||
                _wcsnicmp(entry.key.c_str(), target, wcslen(target)) == 0) {
                continue;
            }
            const std::wstring folder = entry.key.substr(0, cut + 1);
            if (_wcsicmp(folder.c_str(), expanded.c_str()) == 0) return;
            fallback = folder;
        }
    }
    CopyText(iniFolder, kLongChars, fallback.c_str());
}


bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
    return !folder.empty() && path.size() > folder.size() &&
           _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0;
}

// Adds key (compared without case) unless it is there; false when it was.
// The lists are short: a plain search keeps the setup small.
bool AddOnce(std::vector<std::wstring>& list, std::wstring key) {
    if (!key.empty()) CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    for (const std::wstring& known : list) {
        if (known == key) return false;
    }
    list.push_back(key);
    return true;
}

bool IsLinkFile(const std::wstring& path) {
    return path.size() > 4 && _wcsicmp(path.c_str() + path.size() - 4, L".lnk") == 0;
}

// The settings file an update finds through the program folder's ini: the
// folder it names (held to the recorded one), else the ini itself.
std::wstring CurrentSettingsFile(InstallScope scope, const wchar_t* programFolderIni,
                                 const wchar_t* recordedFolder) {
    wchar_t folder[kLongChars] = {};
    GetPrivateProfileStringW(L"Others", L"INI_Folder", L"", folder, kLongChars, programFolderIni);
    KeepToRecordedSettingsFolder(scope, recordedFolder, folder);
    if (folder[0] == L'\0') return programFolderIni;
    std::wstring expanded;
    wchar_t canonical[kPathChars] = {};
    if (!ExpandVariables(folder, expanded) || !CanonicalFolder(expanded.c_str(), canonical)) return {};
    wchar_t path[kLongChars] = {};
    if (!FormSettingsPath(canonical, path)) return {};
    return path;
}

// The user's settings file, read as itself: it lies where the user writes,
// so a link or a second name planted there (leading to a file only an
// administrator may read) is refused, and so is anything larger than any
// settings file.
constexpr DWORD kSettingsFileLimit = 1 << 20;
bool ReadUserSettings(const std::wstring& path, std::vector<char>& data) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!file || !GetFileInformationByHandle(file.Get(), &info) || info.nNumberOfLinks != 1 ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        info.nFileSizeHigh != 0 || info.nFileSizeLow > kSettingsFileLimit) {
        return false;
    }
    data.resize(info.nFileSizeLow);
    DWORD read = 0;
    return data.empty() || (ReadFile(file.Get(), data.data(), info.nFileSizeLow, &read, nullptr) &&
                            read == info.nFileSizeLow);
}

// "/ini=NEW" on an update: the user's settings go along when NEW has none.
bool CarrySettingsOver(const std::wstring& current, const wchar_t* activeIni, Transaction& transaction) {
    if (current.empty() || _wcsicmp(current.c_str(), activeIni) == 0 ||
        GetFileAttributesW(activeIni) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    std::vector<char> data;
    if (!ReadUserSettings(current, data)) return true;   // nothing of the user's to carry
    const std::wstring written = transaction.BeginFile(activeIni);
    if (written.empty()) return false;
    KernelHandle file(CreateFileW(written.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD done = 0;
    if (!file || (!data.empty() && (!WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()),
                                               &done, nullptr) || done != data.size())) ||
        !file.Close()) {
        transaction.NoteFailure(activeIni, GetLastError());
        return false;
    }
    return transaction.PlaceFile(activeIni);
}

// A level between the earlier folder and one of its files that is a link
// would lead the removal somewhere else.
bool ReachedThroughLinkBelow(const std::wstring& folder, const std::wstring& path) {
    for (size_t cut = path.find(L'\\', folder.size()); cut != std::wstring::npos;
         cut = path.find(L'\\', cut + 1)) {
        const DWORD attributes = GetFileAttributesW(path.substr(0, cut).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    }
    return false;
}

// Installing into another folder moves the installation: the earlier
// folder's files and links as its record names them go in this same
// transaction, kept aside until the commit, so that a failure or a cut puts
// them back together with the earlier registration. What this run wrote
// itself (a link of the same name), the settings file kept in the earlier
// folder and anything the record does not name (the user's own files) stay.
// Emptied folders go after the commit.
bool RemoveEarlierInstallation(const std::vector<RecordEntry>& record, const std::wstring& earlier,
                               const std::wstring& target, const std::wstring& keptSettings,
                               Transaction& transaction) {
    std::vector<std::wstring> written;
    for (const RecordEntry& entry : transaction.Entries()) {
        if (entry.kind == RecordEntry::FileCreated || entry.kind == RecordEntry::FileReplaced) {
            AddOnce(written, entry.key);
        }
    }
    std::vector<std::wstring> candidates;
    std::vector<std::wstring> linkFolders;
    std::vector<std::wstring> folders;
    for (const RecordEntry& entry : record) {
        if (StartsWithFolder(entry.key, target) || _wcsicmp(entry.key.c_str(), keptSettings.c_str()) == 0) {
            continue;
        }
        const bool inEarlier = StartsWithFolder(entry.key, earlier);
        if (entry.kind == RecordEntry::FolderCreated) {
            candidates.push_back(entry.key);
            continue;
        }
        if (entry.kind != RecordEntry::FileCreated || (!inEarlier && !IsLinkFile(entry.key))) continue;
        if (!AddOnce(written, entry.key)) continue;
        // A link's folder lies where the user writes: one reached through a
        // junction is left alone.
        if (ReachedThroughLinkBelow(inEarlier ? earlier : entry.key.substr(0, 3), entry.key)) {
            if (!inEarlier) continue;
            transaction.NoteFailure(entry.key, ERROR_CANT_RESOLVE_FILENAME);
            return false;
        }
        if (!transaction.RemoveFile(entry.key)) return false;
        if (!inEarlier) linkFolders.push_back(entry.key.substr(0, entry.key.rfind(L'\\')));
    }
    // The earlier folder, the levels it created and those below it; a folder
    // of links (the Start-menu group) once its links are gone. The settings
    // folder is the user's, a level of the new folder the new installation's.
    for (const std::wstring& folder : candidates) {
        const std::wstring level = folder + L"\\";
        if (_wcsnicmp(target.c_str(), level.c_str(), level.size()) == 0) continue;
        bool emptied = StartsWithFolder(folder, earlier) ||
                       _wcsnicmp(earlier.c_str(), level.c_str(), level.size()) == 0;
        for (const std::wstring& links : linkFolders) emptied = emptied || _wcsicmp(links.c_str(), folder.c_str()) == 0;
        if (emptied) folders.push_back(folder);
    }
    // Deepest first: a folder is empty only once the ones below it are gone.
    while (!folders.empty()) {
        size_t deepest = 0;
        for (size_t i = 1; i < folders.size(); ++i) {
            if (folders[i].size() > folders[deepest].size()) deepest = i;
        }
        transaction.RemoveFolder(folders[deepest]);
        folders.erase(folders.begin() + static_cast<std::ptrdiff_t>(deepest));
    }
    return !transaction.Failed();
}

// Deployment tools collect the log asked for with /log=: one entry for a
// success too, with what was written.
void LogSuccess(const std::wstring& target, const std::vector<RecordEntry>& entries) {
    std::vector<std::wstring> files;
    std::vector<std::wstring> links;
    std::vector<std::wstring> values;
    for (const RecordEntry& entry : entries) {
        if (entry.kind == RecordEntry::ValueSet) {
            AddOnce(values, entry.key + L"\n" + entry.name);
        } else if ((entry.kind == RecordEntry::FileCreated || entry.kind == RecordEntry::FileReplaced) &&
                   GetFileAttributesW(entry.key.c_str()) != INVALID_FILE_ATTRIBUTES) {
            AddOnce(IsLinkFile(entry.key) ? links : files, entry.key);
        }
    }
    wchar_t version[16] = {};
    FormatText(version, 16, L"%d.%d", kVersionMajor, kVersionMinor);
    wchar_t entry[kLongChars * 2] = {};
    FormatText(entry, kLongChars * 2, LoadMessage(IDS_INSTALLED_SUMMARY).c_str(), version,
               LogValue(target.c_str()).c_str(), static_cast<unsigned>(files.size()),
               static_cast<unsigned>(values.size()), static_cast<unsigned>(links.size()));
    WriteInstallLog(entry);
}

}  // namespace

int RunInstallation(InstallOptions& options) {
    // 1. One spelling of the folder for the files, the settings, the registry,
    // the links and the finish page, decided before anything is written: an
    // absolute folder whose registered commands can be formed and below which
    // the payload's deepest file stays within the path limit.
    wchar_t given[kLongChars] = {};
    CopyText(given, kLongChars, options.targetFolder ? options.targetFolder : L"");
    wchar_t target[kLongChars] = {};
    const int deepestEntry = LongestPayloadEntry(kPayloadId, kPayloadType);
    if (!CanonicalFolder(given, target) || IsSystemFolder(target) || !TargetFolderFitsCommands(target) ||
        wcslen(target) + static_cast<size_t>(deepestEntry > 0 ? deepestEntry : 0) >
            static_cast<size_t>(kPathChars - 1)) {
        TrimSpaces(given);
        return ReportFailure(options, IDS_INVALID_TARGET, given, Order::MessageFirst);
    }
    if (options.installedFolder) CopyText(options.installedFolder, kPathChars, target);

    // One setup or uninstaller at a time; what a run that was cut off left
    // is put back before anything else.
    MachineLock lock(options.scope);
    if (!lock.Acquire(kLockWaitMs)) {
        return ReportFailure(options, IDS_ANOTHER_RUN, target, Order::FolderFirst);
    }
    // The journal lies where only administrators write: replayed as it is.
    std::vector<std::wstring> notRestored;
    if (!RecoverInterruptedTransaction(options.scope, nullptr, notRestored)) {
        return ReportFailure(options, IDS_INSTALL_FAILED, target, Order::FolderFirst,
                             NotUndone(notRestored));
    }

    // 2. Created with all its levels. Every change from here on is in the
    // transaction's journal before it is made.
    Transaction transaction(options.scope);
    if (!transaction.Begin(target, L"setup")) {
        return ReportFailure(options, IDS_INSTALL_FAILED, target, Order::FolderFirst,
                             DescribeFailure(transaction.FailedAt(), transaction.Error()));
    }
    transaction.Stage(L"files");
    if (!transaction.CreateFolder(target)) {
        const DWORD error = GetLastError();
        const std::wstring detail =
            transaction.Failed() ? DescribeFailure(transaction.FailedAt(), transaction.Error())
                                 : DescribeFailure(target, error ? error : ERROR_PATH_NOT_FOUND);
        return ReportFailure(options, IDS_CANNOT_CREATE, target, Order::MessageFirst,
                             detail + NotUndone(transaction.Rollback()));
    }
    for (const RecordEntry& entry : transaction.Entries()) {
        if (entry.kind == RecordEntry::FolderCreated) transaction.SetNewTree(target);
        // A per-user folder keeps the rights of the user's profile: the user
        // updates and removes it without administrator rights.
        if (entry.kind == RecordEntry::FolderCreated && !IsInProgramFiles(target) &&
            options.scope == InstallScope::Machine)
            GrantProgramFilesRights(entry.key.c_str());
    }

    // An earlier installation in this folder left its settings file there.
    wchar_t programIni[kLongChars] = {};
    FormSettingsPath(target, programIni);
    const bool update = GetFileAttributesW(programIni) != INVALID_FILE_ATTRIBUTES;

    // An installation registered in another folder, with the record that
    // names its files: this one takes its place.
    std::vector<RecordEntry> earlierRecord;
    std::wstring earlierFolder;
    {
        wchar_t registered[kPathChars] = {};
        const std::wstring recordPath = InstallRecordPath(options.scope);
        if (FindInstalledFolder(options.scope, registered) && !recordPath.empty() &&
            ReadRecordFile(recordPath, earlierRecord) &&
            _wcsicmp(RecordInstallFolder(earlierRecord).c_str(), registered) == 0 &&
            _wcsicmp(registered, target) != 0) {
            // A folder whose viewer is gone holds no installation to move.
            wchar_t viewer[kLongChars] = {};
            CopyText(viewer, kLongChars, registered);
            AppendText(viewer, kLongChars, kViewerExe);
            if (GetFileAttributesW(viewer) != INVALID_FILE_ATTRIBUTES) earlierFolder = registered;
        }
    }
    const bool moving = !earlierFolder.empty();
    wchar_t earlierIni[kLongChars] = {};
    if (moving) FormSettingsPath(earlierFolder.c_str(), earlierIni);
    // The program folder's ini that tells where the user's settings are.
    const wchar_t* settingsPointer = update || !moving ? programIni : earlierIni;
    const wchar_t* settingsRecorded = update || !moving ? target : earlierFolder.c_str();
    const std::wstring currentSettings =
        update || moving ? CurrentSettingsFile(options.scope, settingsPointer, settingsRecorded) : std::wstring();
    // The user's settings kept in the earlier program folder stay there.
    std::wstring keptSettings;
    if (moving && _wcsicmp(currentSettings.c_str(), earlierIni) == 0) keptSettings = earlierIni;

    // 3. The Plugins folder.
    wchar_t plugins[kLongChars] = {};
    CopyText(plugins, kLongChars, target);
    AppendText(plugins, kLongChars, L"Plugins");
    transaction.CreateFolder(plugins);
    AppendBackslash(plugins);

    // 4. Icon-library gate.
    wchar_t iconLibrary[kLongChars] = {};
    CopyText(iconLibrary, kLongChars, plugins);
    AppendText(iconLibrary, kLongChars, L"Icons.dll");
    const bool keep = KeepIconLibrary(iconLibrary);

    // 5. Unpack.
    auto fail = [&](int message, Order order) {
        const std::wstring detail = transaction.Failed()
                                        ? DescribeFailure(transaction.FailedAt(), transaction.Error())
                                        : std::wstring();
        return ReportFailure(options, message, target, order,
                             detail + NotUndone(transaction.Rollback()));
    };
    ReportProgress(options, 0);
    ExtractionProgress entries;
    entries.report = ReportEntries;
    entries.context = &options;
    if (ExtractPayload(kPayloadId, kPayloadType, target, keep, &transaction, &entries) != 0 ||
        transaction.Failed()) {
        return fail(IDS_INSTALL_FAILED, Order::FolderFirst);
    }

    // 6. The settings file beside the viewer was formed above.

    // 7. An update keeps the settings where the earlier installation has
    // them (its folder key unexpanded, or none for the program folder) unless
    // another folder was asked for. Silent installs into the default folder
    // otherwise keep their settings in the user's application data.
    if ((update || moving) && !options.iniFolderGiven && options.iniFolder) {
        GetPrivateProfileStringW(L"Others", L"INI_Folder", L"", options.iniFolder, kLongChars,
                                 settingsPointer);
        KeepToRecordedSettingsFolder(options.scope, settingsRecorded, options.iniFolder);
        // ... and are used there.
        if (!update && options.iniFolder[0] == L'\0') {
            CopyText(options.iniFolder, kLongChars, earlierFolder.c_str());
        }
    } else if (options.silent && options.iniFolder &&
               options.iniFolder[0] == L'\0') {
        wchar_t defaultFolder[kPathChars] = {};
        GetDefaultInstallFolder(options.scope, defaultFolder);
        if (wcsstr(target, defaultFolder)) {
            CopyText(options.iniFolder, kLongChars, kDefaultSettingsFolder);
        }
    }

    // 8. Settings folder and first settings.
    transaction.Stage(L"settings");
    const wchar_t* iniFolder = options.iniFolder ? options.iniFolder : L"";
    wchar_t activeIni[kLongChars] = {};
    if (iniFolder[0] == L'\0' || !ActiveSettingsPath(iniFolder, activeIni, transaction)) {
        iniFolder = L"";
        CopyText(activeIni, kLongChars, programIni);
    }
    const bool portable = iniFolder[0] != L'\0' &&
                         (wcsstr(activeIni, L"Pixolum32_App") || wcsstr(activeIni, L"Pixolum64_App"));
    if (options.iniFolderGiven && !CarrySettingsOver(currentSettings, activeIni, transaction)) {
        return fail(IDS_INSTALL_FAILED, Order::FolderFirst);
    }
    transaction.PreserveFile(programIni);
    if (wcscmp(activeIni, programIni) != 0) transaction.PreserveFile(activeIni);
    if (transaction.Failed()) return fail(IDS_INSTALL_FAILED, Order::FolderFirst);
    WriteInitialSettings(programIni, activeIni, iniFolder, portable);
    ReportProgress(options, 900);

    // 9. Wizard mode asks before associations change.
    bool associationsConfirmed = true;
    if (options.associationsRequested && !options.silent) {
        std::wstring question = LoadMessage(IDS_ASSOC_QUESTION);
        if (ShowMessage(options, question.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
            IDNO) {
            associationsConfirmed = false;
        }
    }

    // 10. Links, application keys, uninstall entry, associations, each
    // change noted with what it replaced; the uninstall entry's names last.
    transaction.Stage(L"registration");
    RegisterApplication(options, target, associationsConfirmed, &transaction);
    if (transaction.Failed()) return fail(IDS_INSTALL_FAILED, Order::FolderFirst);

    // 11. The viewer keeps its settings as UTF-16; the conversion's scratch
    // file is noted so that a cut leaves none.
    RecordEntry scratch;
    scratch.kind = RecordEntry::FileCreated;
    scratch.key = SettingsScratchPath(activeIni);
    transaction.Note(scratch);
    ConvertSettingsFileToUnicode(activeIni);

    if (moving && !RemoveEarlierInstallation(earlierRecord, earlierFolder, target, keptSettings,
                                             transaction)) {
        return fail(IDS_INSTALL_FAILED, Order::FolderFirst);
    }

    // The commit: from here on the installation is whole.
    if (!transaction.Commit()) return fail(IDS_INSTALL_FAILED, Order::FolderFirst);
    ReportProgress(options, 1000);
    if (options.silent && InstallLogFileGiven()) LogSuccess(target, transaction.Entries());
    return 1;
}

void RecoverEarlierRun(InstallScope scope) {
    MachineLock lock(scope);
    if (!lock.Acquire(0)) return;   // the run that holds it owns its journal
    std::vector<std::wstring> notRestored;
    if (!RecoverInterruptedTransaction(scope, nullptr, notRestored)) {
        WriteInstallLog((LoadMessage(IDS_INSTALL_FAILED) + NotUndone(notRestored)).c_str());
    }
}
