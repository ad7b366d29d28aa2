// Whole installations from this program's own payload resource (a small
// archive laid out like the viewer's), read back from the disk and the log.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "earlier_install.h"
#include "install_driver.h"
#include "test_support.h"
#include "unzip.h"
#include "iowin32.h"

using namespace pxtest;

namespace {

const std::string kUtf16Mark("\xFF\xFE", 2);
const std::string kPayloadIcons = "MZ payload icon library";

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::string Resource(int id, const wchar_t* type) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    return std::string(data, SizeofResource(nullptr, found));
}

std::wstring Key(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[260] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 260, file.c_str());
    return value;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    GetEnvironmentVariableW(name, value, 1024);
    return value;
}

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

// The message boxes the installing thread shows, answered with one button.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int answer)
        : m_answer(answer), m_thread(GetCurrentThreadId()), m_worker([this] { Watch(); }) {}
    ~MessageBoxWatcher() { Stop(); }
    struct Seen {
        std::wstring caption;
        std::wstring text;
    };
    std::vector<Seen> Stop() {
        m_stop = true;
        if (m_worker.joinable()) m_worker.join();
        return m_seen;
    }

private:
    static BOOL CALLBACK CollectText(HWND child, LPARAM param) {
        wchar_t cls[32] = {}, text[1024] = {};
        GetClassNameW(child, cls, 32);
        GetWindowTextW(child, text, 1024);
        if (_wcsicmp(cls, L"Static") == 0 && text[0]) *reinterpret_cast<std::wstring*>(param) += text;
        return TRUE;
    }
    static BOOL CALLBACK FindBox(HWND window, LPARAM param) {
        wchar_t cls[32] = {};
        GetClassNameW(window, cls, 32);
        if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
        return TRUE;
    }
    void Watch() {
        HWND handled = nullptr;
        while (!m_stop) {
            HWND box = nullptr;
            EnumThreadWindows(m_thread, FindBox, reinterpret_cast<LPARAM>(&box));
            if (box && box != handled) {
                Seen seen;
                wchar_t caption[256] = {};
                GetWindowTextW(box, caption, 256);
                seen.caption = caption;
                EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&seen.text));
                m_seen.push_back(seen);
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(m_answer, BN_CLICKED), 0);
                handled = box;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    int m_answer;
    DWORD m_thread;
    std::atomic<bool> m_stop{false};
    std::vector<Seen> m_seen;
    std::thread m_worker;
};

class Driver : public ::testing::Test {
protected:
    CurrentFolderGuard m_keepCurrent;
    ScratchFolder m_start{L"driver_start"};   // the folder current at start: the log's place
    ScratchFolder m_work{L"driver"};
    std::wstring m_target;
    wchar_t m_iniFolder[520] = {};

    void SetUp() override { ASSERT_TRUE(SetCurrentDirectoryW(m_start.path().c_str())); }

    InstallOptions Options(const std::wstring& target, bool silent = true) {
        m_target = target;
        InstallOptions options;
        options.targetFolder = m_target.c_str();
        options.iniFolder = m_iniFolder;
        options.silent = silent ? 1 : 0;
        return options;
    }
    int Install(const std::wstring& target, bool silent = true) {
        InstallOptions options = Options(target, silent);
        int result = RunInstallation(options);
        SetCurrentDirectoryW(m_start.path().c_str());
        return result;
    }
    std::string Log() const { return ReadBytes(m_start / L"Pixolum_Install.log"); }
    void SetIniFolder(const std::wstring& folder) {
        ASSERT_LT(folder.size(), 520u);
        wmemcpy(m_iniFolder, folder.c_str(), folder.size() + 1);
    }
};

// Every file entry of the embedded archive, compared byte for byte and with
// the archive's date and time.
void ExpectPayloadInstalled(const std::wstring& folder, const std::wstring& scratch) {
    const std::wstring copy = scratch + L"expected.zip";
    WriteBytes(copy, Resource(1974, L"ZIP"));
    zlib_filefunc64_def functions;
    fill_win32_filefunc64W(&functions);
    unzFile zip = unzOpen2_64(copy.c_str(), &functions);
    ASSERT_NE(zip, nullptr);
    int files = 0;
    for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
        unz_file_info64 info;
        char name[520] = {};
        ASSERT_EQ(unzGetCurrentFileInfo64(zip, &info, name, 519, nullptr, 0, nullptr, 0), UNZ_OK);
        std::wstring path = folder;
        for (const char* c = name; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
        if (path.back() == L'\\') {
            EXPECT_TRUE(IsFolder(path)) << name;
            continue;
        }
        ASSERT_EQ(unzOpenCurrentFile(zip), UNZ_OK);
        std::string data(static_cast<size_t>(info.uncompressed_size), '\0');
        if (!data.empty()) unzReadCurrentFile(zip, &data[0], static_cast<unsigned>(data.size()));
        EXPECT_EQ(unzCloseCurrentFile(zip), UNZ_OK);
        EXPECT_EQ(ReadBytes(path), data) << name;
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes);
        EXPECT_TRUE(SameTime(attributes.ftLastWriteTime,
                             LocalDosTimeToUtc(static_cast<uint32_t>(info.dosDate))))
            << name;
        ++files;
    }
    unzClose(zip);
    EXPECT_GE(files, 15);
}

TEST_F(Driver, SilentInstallUnpacksEverythingAndLeavesUtf16SettingsBesideTheViewer) {
    const std::wstring folder = m_work / L"Pixo Test\\Ziel";
    ASSERT_EQ(Install(L" " + folder + L" "), 1);
    const std::wstring normalised = folder + L"\\";
    ExpectPayloadInstalled(normalised, m_work.path());

    const std::wstring ini = normalised + L"pixo32.ini";
    EXPECT_EQ(ReadBytes(ini).substr(0, 2), kUtf16Mark);
    EXPECT_EQ(Key(ini, L"Others", L"INI_Folder"), L"<none>");
    EXPECT_EQ(Key(ini, L"Language", L"DLL"), L"DEUTSCH.DLL");
    EXPECT_EQ(Key(ini, L"Language", L"Lang"), L"Deutsch");
    EXPECT_NE(Key(ini, L"Toolbar", L"Skin"), L"<none>");
    EXPECT_FALSE(Exists(TempFolder() + L"pixog_x32.zip"));
    EXPECT_FALSE(Exists(normalised + L"pixo32.ini_temp"));
    EXPECT_EQ(Log(), "<missing>");   // success writes no log
    EXPECT_STREQ(m_iniFolder, L"");

    InstallOptions options = Options(folder);
    const std::wstring before = CurrentFolder();
    ASSERT_EQ(RunInstallation(options), 1);
    EXPECT_EQ(CurrentFolder(), before);   // the files are opened by full path
}

TEST_F(Driver, SettingsFolderIsExpandedForWritingAndStoredAsGiven) {
    SetEnvironmentVariableW(L"PX_TEST_DATA", (m_work / L"Daten").c_str());
    SetIniFolder(L"%PX_TEST_DATA%\\Pixolum");
    const std::wstring target = m_work / L"Programm\\";
    ASSERT_EQ(Install(target), 1);

    const std::wstring programIni = target + L"pixo32.ini";
    const std::wstring activeIni = m_work / L"Daten\\Pixolum\\pixo32.ini";
    EXPECT_NE(ReadBytes(programIni).substr(0, 2), kUtf16Mark);   // stays ANSI
    EXPECT_EQ(Key(programIni, L"Others", L"INI_Folder"), L"%PX_TEST_DATA%\\Pixolum");
    EXPECT_EQ(Key(programIni, L"Language", L"Lang"), L"<none>");
    EXPECT_EQ(ReadBytes(activeIni).substr(0, 2), kUtf16Mark);
    EXPECT_EQ(Key(activeIni, L"Language", L"Lang"), L"Deutsch");
    EXPECT_NE(Key(activeIni, L"Toolbar", L"Skin"), L"<none>");
}

TEST_F(Driver, UnknownVariablesAndATrailingPercentVanish) {
    SetIniFolder(L"%PX_NO_SUCH_VARIABLE%" + (m_work / L"Daten%"));
    ASSERT_EQ(Install(m_work / L"Programm"), 1);
    EXPECT_EQ(Key(m_work / L"Daten\\pixo32.ini", L"Language", L"Lang"), L"Deutsch");
    EXPECT_EQ(Key(m_work / L"Programm\\pixo32.ini", L"Others", L"INI_Folder"),
              std::wstring(m_iniFolder));
}

TEST_F(Driver, SettingsFolderThatDoesNotFitIsRefusedAndTheSettingsStayBesideTheViewer) {
    SetEnvironmentVariableW(L"PX_TEST_LONG", std::wstring(300, L'x').c_str());
    SetEnvironmentVariableW(L"PX_TEST_HALF", (m_work / std::wstring(150, L'h')).c_str());
    const std::wstring refused[] = {
        L"%PX_TEST_LONG%",                  // a value longer than its buffer
        L"%PX_TEST_HALF%\\%PX_TEST_HALF%",  // a folder beyond the path limit
        m_work / std::wstring(255, L'd'),   // the same without a variable
        L"%" + std::wstring(300, L'N') + L"%",
        // Expands to "\PxRelativeSettings": no absolute folder, so no folder at
        // the root of whatever drive is current.
        L"%PX_NO_SUCH_VARIABLE%\\PxRelativeSettings",
    };
    for (const std::wstring& folder : refused) {
        SCOPED_TRACE(Narrow(folder));
        SetIniFolder(folder);
        const std::wstring target = m_work / L"Programm\\";
        RemoveTree(target);
        ASSERT_EQ(Install(target), 1);
        const std::wstring ini = target + L"pixo32.ini";
        EXPECT_EQ(Key(ini, L"Others", L"INI_Folder"), L"<none>");
        EXPECT_EQ(Key(ini, L"Language", L"Lang"), L"Deutsch");
        EXPECT_EQ(ReadBytes(ini).substr(0, 2), kUtf16Mark);
    }
    EXPECT_FALSE(Exists(m_work / std::wstring(150, L'h')));
    EXPECT_FALSE(Exists(L"\\PxRelativeSettings"));
}

TEST_F(Driver, SilentInstallIntoTheDefaultFolderKeepsSettingsInApplicationData) {
    wchar_t defaultFolder[260] = {};
    GetDefaultInstallFolder(InstallScope::Machine, defaultFolder);
    const std::wstring target = std::wstring(defaultFolder) + L"\\Test";
    ASSERT_EQ(Install(target), 1);
    EXPECT_STREQ(m_iniFolder, L"%APPDATA%\\Pixolum");
    const std::wstring activeIni = WithBackslash(Environment(L"APPDATA")) + L"Pixolum\\pixo32.ini";
    EXPECT_EQ(ReadBytes(activeIni).substr(0, 2), kUtf16Mark);
    EXPECT_EQ(Key(target + L"\\pixo32.ini", L"Others", L"INI_Folder"), L"%APPDATA%\\Pixolum");
    RemoveTree(defaultFolder);

    // The wizard's choice is its own: no default there.
    m_iniFolder[0] = L'\0';
    ASSERT_EQ(Install(m_work / L"Anderswo", false), 1);
    EXPECT_STREQ(m_iniFolder, L"");
    RemoveTree(m_work / L"Anderswo");   // no installation there to move
    ASSERT_EQ(Install(target, false), 1);
    EXPECT_STREQ(m_iniFolder, L"");
    RemoveTree(defaultFolder);
}

TEST_F(Driver, RepeatedInstallKeepsTheUsersToolbarSkin) {
    const std::wstring target = m_work / L"Programm\\";
    ASSERT_EQ(Install(target), 1);
    const std::wstring ini = target + L"pixo32.ini";
    WritePrivateProfileStringW(L"Toolbar", L"Skin", L"Eigener.png", ini.c_str());
    WritePrivateProfileStringW(L"Toolbar", L"Size", L"20", ini.c_str());
    ASSERT_EQ(Install(target), 1);
    EXPECT_EQ(Key(ini, L"Toolbar", L"Skin"), L"Eigener.png");
    EXPECT_EQ(Key(ini, L"Toolbar", L"Size"), L"20");
    const std::string bytes = ReadBytes(ini);
    EXPECT_EQ(bytes.substr(0, 2), kUtf16Mark);
    EXPECT_EQ(bytes.find(std::string("U\0N\0I\0C\0O\0D\0E", 13), 10), std::string::npos);
}

TEST_F(Driver, SilentFailuresAreLoggedInTheStartFolder) {
    const std::string invalid = "Ung\xFCltiges Zielverzeichnis!";
    EXPECT_EQ(Install(L""), 0);
    EXPECT_NE(Log().find(": " + invalid + ": \r\n---"), std::string::npos) << Log();

    // Too long for the registered commands: refused before anything is made.
    const std::wstring tooLong = m_work / std::wstring(230, L'l');
    EXPECT_EQ(Install(tooLong), 0);
    EXPECT_FALSE(Exists(tooLong));
    EXPECT_NE(Log().find(invalid + ": " + Narrow(tooLong)), std::string::npos);

    EXPECT_EQ(Install(L"R:\\Pixo Test"), 0);
    EXPECT_NE(Log().find("Kann Zielverzeichnis nicht erstellen!\r\n\r\nBitte \xFC"
                         "berpr\xFC"
                         "fen Sie Ihre Schreibrechte und System-Policies!\r\n\r\nVersuchen Sie "
                         "das Zielverzeichnis zuerst h\xE4ndisch zu erstellen.: R:\\Pixo Test\\\r\n"),
              std::string::npos)
        << Log();

    const std::string log = Log();
    const std::string separator = "\r\n" + std::string(48, '-') + "\r\n";
    size_t entries = 0;
    for (size_t at = log.find(separator); at != std::string::npos; at = log.find(separator, at + 1)) {
        ++entries;
    }
    EXPECT_EQ(entries, 3u);
}

TEST_F(Driver, FileThatCannotBeWrittenFailsTheInstallationWithString7) {
    const std::wstring target = m_work / L"Programm\\";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    WriteBytes(target + L"pixo32.exe", "running viewer");
    HANDLE lock = CreateFileW((target + L"pixo32.exe").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Install(target), 0);
    CloseHandle(lock);

    // Not an installation before: the setup takes away all it wrote.
    EXPECT_EQ(ReadBytes(target + L"pixo32.exe"), "running viewer");
    EXPECT_FALSE(Exists(target + L"Plugins"));
    EXPECT_FALSE(Exists(target + L"pixo32.ini"));
    EXPECT_FALSE(Exists(target + L"Pixolum_Install.log"));
    EXPECT_FALSE(Exists(TempFolder() + L"pixog_x32.zip"));
    const std::string expected = Narrow(target) + ": Fehler beim Installieren!\r\n\r\nEine Datei "
                                 "oder ein Registrierungseintrag konnte nicht geschrieben werden.";
    EXPECT_NE(Log().find(expected), std::string::npos) << Log();
    // The held file and Windows' reason.
    EXPECT_NE(Log().find(Narrow(target) + "pixo32.exe: "), std::string::npos) << Log();
}

// A registry key that cannot be written: a volatile key admits no lasting
// subkey, so the class key's command cannot be made below it.
void DeleteTree(HKEY root, const std::wstring& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    wchar_t name[256];
    for (DWORD chars = 256; RegEnumKeyExW(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr) ==
                            ERROR_SUCCESS;
         chars = 256) {
        DeleteTree(key, name);
    }
    RegCloseKey(key);
    RegDeleteKeyW(root, subKey.c_str());
}

void BlockClassKey(const wchar_t* classKey) {
    DeleteTree(HKEY_LOCAL_MACHINE, classKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, classKey, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::wstring RegText(const wchar_t* subKey, const wchar_t* name) {
    wchar_t text[520] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return L"<none>";
    }
    const LONG status =
        RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::wstring(text) : L"<none>";
}

TEST_F(Driver, AFailedRegistrationUndoesTheInstallation) {
    const wchar_t* gif = L"SOFTWARE\\Classes\\Pixolum.gif";
    const wchar_t* uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pixolum";
    const wchar_t* png = L"SOFTWARE\\Classes\\.png";
    const std::wstring target = m_work / L"Registrierung\\";
    auto install = [&] {
        InstallOptions options = Options(target);
        options.desktopShortcut = 1;
        options.startMenuGroup = 1;
        for (int row = 0; row < kSelectionSlots; ++row) options.associations.slots[row] = 1;
        options.associationsRequested = 1;
        const int result = RunInstallation(options);
        SetCurrentDirectoryW(m_start.path().c_str());
        return result;
    };

    // A fresh installation leaves nothing behind.
    const std::wstring locationBefore = RegText(uninstall, L"InstallLocation");
    const std::wstring pngBefore = RegText(png, nullptr);
    wchar_t desktop[MAX_PATH] = {}, programs[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
    SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, FALSE);
    const std::wstring desktopLink = std::wstring(desktop) + L"\\Pixolum.lnk";
    const std::wstring group = std::wstring(programs) + L"\\Pixolum";
    const bool linksBefore = Exists(desktopLink) || Exists(group);
    BlockClassKey(gif);
    EXPECT_EQ(install(), 0);
    EXPECT_FALSE(Exists(target)) << Log();
    EXPECT_EQ(Exists(desktopLink) || Exists(group), linksBefore);
    EXPECT_EQ(RegText(uninstall, L"InstallLocation"), locationBefore);
    EXPECT_EQ(RegText(png, nullptr), pngBefore);
    EXPECT_NE(Log().find("Pixolum.gif"), std::string::npos) << Log();

    // An update leaves the earlier installation as it was.
    DeleteTree(HKEY_LOCAL_MACHINE, gif);
    ASSERT_EQ(install(), 1);
    WriteBytes(target + L"pixo32.exe", "the earlier viewer");
    const std::string settings = ReadBytes(target + L"pixo32.ini");
    const std::wstring location = RegText(uninstall, L"InstallLocation");
    const std::wstring bmp = RegText(L"SOFTWARE\\Classes\\Pixolum.bmp\\shell\\open\\command", nullptr);
    BlockClassKey(gif);
    EXPECT_EQ(install(), 0);
    EXPECT_EQ(ReadBytes(target + L"pixo32.exe"), "the earlier viewer");
    EXPECT_EQ(ReadBytes(target + L"pixo32.ini"), settings);
    EXPECT_FALSE(Exists(target + L"pixo32.exe.px_old"));
    EXPECT_EQ(RegText(uninstall, L"InstallLocation"), location);
    EXPECT_EQ(RegText(L"SOFTWARE\\Classes\\Pixolum.bmp\\shell\\open\\command", nullptr), bmp);
    DeleteTree(HKEY_LOCAL_MACHINE, gif);
}

TEST_F(Driver, WizardModeShowsOneMessageBoxPerFailureAndLogsNothing) {
    MessageBoxWatcher watcher(IDOK);
    EXPECT_EQ(Install(L"", false), 0);
    EXPECT_EQ(Install(L"R:\\Pixo", false), 0);
    std::vector<MessageBoxWatcher::Seen> seen = watcher.Stop();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, L"Pixolum 32-bit Setup");
    EXPECT_EQ(seen[0].text, L"Ungültiges Zielverzeichnis!");
    EXPECT_EQ(seen[1].text.substr(0, 37), L"Kann Zielverzeichnis nicht erstellen!");
    EXPECT_EQ(Log(), "<missing>");
}

TEST_F(Driver, AssociationQuestionOnlyInWizardModeAndAfterTheFiles) {
    const std::wstring target = m_work / L"Programm\\";
    {
        MessageBoxWatcher watcher(IDNO);
        InstallOptions options = Options(target, false);
        options.associationsRequested = 1;
        EXPECT_EQ(RunInstallation(options), 1);
        std::vector<MessageBoxWatcher::Seen> seen = watcher.Stop();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text.find(L"Sie möchten die aktuellen Verknüpfungen ändern"), 0u);
        EXPECT_EQ(seen[0].caption, L"Pixolum 32-bit Setup");
        EXPECT_TRUE(Exists(target + L"pixo32.exe"));
    }
    {
        MessageBoxWatcher watcher(IDNO);
        InstallOptions options = Options(target, true);
        options.associationsRequested = 1;
        EXPECT_EQ(RunInstallation(options), 1);
        EXPECT_TRUE(watcher.Stop().empty());
    }
}

// Icon-library gate with libraries that carry real version resources.
struct GateCase {
    const wchar_t* library;
    bool kept;
};

TEST_F(Driver, IconLibraryIsReplacedOnlyWhenItIsTheMakersAndNotNewer) {
    const GateCase cases[] = {
        {L"version_430_orlovane_226816.dll", false},
        {L"version_430_orlovane.dll", true},           // same version, other size
        {L"version_430_other_226816.dll", true},       // somebody else's
        {L"version_420_orlovane.dll", false},
        {L"version_420_orlovane_upper.dll", false},    // the company compared without case
        {L"version_420_other.dll", true},
        {L"version_420_orlovane_040704b0.dll", true},  // no English company name
        {L"version_500_orlovane.dll", true},
        {L"version_mixed.dll", true},                  // reads as 4.307
        {L"no_version.dll", false},
    };
    const std::wstring target = m_work / L"Programm\\";
    for (const GateCase& gate : cases) {
        SCOPED_TRACE(Narrow(gate.library));
        const std::wstring fixture = ProgramFolder() + L"version_dlls\\" + gate.library;
        const std::string original = ReadBytes(fixture);
        ASSERT_NE(original, "<missing>");
        RemoveTree(target);
        ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((target + L"Plugins").c_str(), nullptr));
        ASSERT_TRUE(CopyFileW(fixture.c_str(), (target + L"Plugins\\Icons.dll").c_str(), FALSE));
        ASSERT_EQ(Install(target), 1);
        EXPECT_EQ(ReadBytes(target + L"Plugins\\Icons.dll"), gate.kept ? original : kPayloadIcons);
    }
}

}  // namespace
