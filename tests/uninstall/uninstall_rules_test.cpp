// The uninstaller's rules without side effects: the entry list, the command
// line, the worker's report, the texts, the path rule, and the list that
// the build embedded in the real programs.
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "entry_list.h"
#include "registry_probe.h"
#include "removal_report.h"
#include "uninstall_args.h"
#include "uninstall_messages.h"
#include "uninstall_paths.h"
#include "uninstall_resource.h"

extern std::vector<std::wstring> g_testArguments;

namespace {

using Strings = std::vector<std::wstring>;

PayloadEntries Parse(const std::string& text) { return ParseEntryList(text.data(), text.size()); }

UninstallArgs ParseLine(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    UninstallArgs args = ParseUninstallArgs(count, argv);
    LocalFree(argv);
    return args;
}

TEST(EntryList, FilesInOrderAndFoldersDeepestFirst) {
    const PayloadEntries entries = Parse(
        "Help/\nHelp/pixo32_deutsch.chm\nPlugins/\nPlugins/Icons.dll\npixo32.exe\r\n"
        "Toolbars/Sub/\nToolbars/Sub/a.png\n\n");
    EXPECT_EQ(entries.files, (Strings{L"Help\\pixo32_deutsch.chm", L"Plugins\\Icons.dll",
                                      L"pixo32.exe", L"Toolbars\\Sub\\a.png"}));
    // "Toolbars" is not listed: a file's parents are folders of the setup too.
    ASSERT_EQ(entries.folders.size(), 4u);
    EXPECT_EQ(entries.folders[0], L"Toolbars\\Sub");
    EXPECT_EQ(Strings(entries.folders.begin() + 1, entries.folders.end()),
              (Strings{L"Help", L"Plugins", L"Toolbars"}));
}

TEST(EntryList, NamesThatCouldLeaveTheFolderAreDropped) {
    const PayloadEntries entries = Parse(
        "../evil.exe\n/abs.exe\nC:/Windows/x.dll\nPlugins/../../y.dll\nPlugins\\z.dll\n"
        "./dot.txt\nA//b.txt\nok.txt\n\x81name.txt\n../\n");
    EXPECT_EQ(entries.files, Strings{L"ok.txt"});
    EXPECT_TRUE(entries.folders.empty());
}

TEST(EntryList, EmptyOrMissingTextGivesNothing) {
    EXPECT_TRUE(ParseEntryList(nullptr, 10).files.empty());
    EXPECT_TRUE(Parse("").files.empty());
    EXPECT_TRUE(Parse("\n\n").folders.empty());
}

TEST(UninstallArgs, SwitchesIgnoreCaseAndUnknownArguments) {
    UninstallArgs args = ParseLine(L"\"C:\\P\\px_uninstall.exe\" /SILENT /RemoveSettings /other");
    EXPECT_TRUE(args.silent);
    EXPECT_TRUE(args.removeSettings);
    EXPECT_FALSE(args.worker);
    args = ParseLine(L"px_uninstall.exe /silentx removesettings");
    EXPECT_FALSE(args.silent);
    EXPECT_FALSE(args.removeSettings);
}

TEST(UninstallArgs, WorkerCommandLineRoundTrips) {
    UninstallArgs request;
    request.silent = true;
    request.removeSettings = true;
    request.reportPipe = 0x1F4;
    request.callerProcess = 18446744073709551615ull;
    request.ownImage = 12;
    request.originalPath = L"C:\\Program Files\\Pixolum 4\\px_uninstall.exe";
    const UninstallArgs back =
        ParseLine(WorkerCommandLine(L"C:\\Temp\\Pixolum-Deinstallation-1-0\\px_uninstall.exe", request));
    EXPECT_TRUE(back.worker);
    EXPECT_TRUE(back.workerValid);
    EXPECT_TRUE(back.silent);
    EXPECT_TRUE(back.removeSettings);
    EXPECT_EQ(back.reportPipe, request.reportPipe);
    EXPECT_EQ(back.callerProcess, request.callerProcess);
    EXPECT_EQ(back.ownImage, request.ownImage);
    EXPECT_EQ(back.originalPath, request.originalPath);
}

TEST(UninstallArgs, MalformedWorkerSwitchesAreInvalid) {
    for (const wchar_t* line : {L"x /worker=1:2 \"/original=C:\\a\\b.exe\"",
                                L"x /worker=1:2:3",
                                L"x /worker=1:2:0 /original=C:\\a\\b.exe",
                                L"x /worker=1:2:3x /original=C:\\a\\b.exe",
                                L"x /worker=99999999999999999999:2:3 /original=C:\\a\\b.exe",
                                L"x /worker=:2:3 /original=C:\\a\\b.exe"}) {
        const UninstallArgs args = ParseLine(line);
        EXPECT_TRUE(args.worker) << line;
        EXPECT_FALSE(args.workerValid) << line;
    }
}

TEST(Report, RoundTripsAndRefusesGarbage) {
    RemovalReport report;
    report.settingsKept = true;
    report.Fail(L"C:\\Pixolum\\Languages\\Deutsch.dll");
    report.Fail(L"line\nbreak");
    RemovalReport back;
    ASSERT_TRUE(DeserializeReport(SerializeReport(report), back));
    EXPECT_FALSE(back.associationsRemoved);
    EXPECT_TRUE(back.settingsKept);
    EXPECT_FALSE(back.folderKept);
    EXPECT_EQ(back.failures, (Strings{L"C:\\Pixolum\\Languages\\Deutsch.dll", L"line break"}));

    RemovalReport clean;
    clean.associationsRemoved = clean.folderKept = true;
    ASSERT_TRUE(DeserializeReport(SerializeReport(clean), back));
    EXPECT_TRUE(back.Succeeded());
    EXPECT_TRUE(back.associationsRemoved && back.folderKept);

    for (const wchar_t* garbage : {L"", L"01", L"012\n", L"0100x", L"\x1234"}) {
        EXPECT_FALSE(DeserializeReport(garbage, back)) << Narrow(garbage);
    }
}

TEST(Messages, ResultSaysWhatStayed) {
    RemovalReport report;
    EXPECT_EQ(ResultMessage(report, L"C:\\P\\"), L"Pixolum wurde erfolgreich von Ihrem Computer entfernt.");
    report.settingsKept = report.folderKept = true;
    EXPECT_NE(ResultMessage(report, L"C:\\P\\").find(L"Einstellungen (pixo32.ini) bleiben erhalten"),
              std::wstring::npos);
    report.settingsKept = false;
    EXPECT_NE(ResultMessage(report, L"C:\\P\\").find(L"\"C:\\P\\\" enthält noch eigene Dateien"),
              std::wstring::npos);
    EXPECT_NE(RemovalQuestion().find(L"Pixolum " PX_EXPECTED_VERSION L" "), std::wstring::npos);
}

TEST(Messages, BoxListsTenLeftoversTheLogAll) {
    RemovalReport report;
    for (int i = 0; i < 13; ++i) report.Fail(L"Datei" + std::to_wstring(i));
    const std::wstring box = ResultMessage(report, L"C:\\P\\");
    EXPECT_NE(box.find(L"\nDatei9\n… und 3 weitere"), std::wstring::npos);
    EXPECT_EQ(box.find(L"Datei10"), std::wstring::npos);
    const std::wstring log = FailureLogMessage(report);
    EXPECT_EQ(log.find(L"Pixolum konnte nicht vollständig deinstalliert werden."), 0u);
    EXPECT_NE(log.find(L"\nDatei12"), std::wstring::npos);
    EXPECT_EQ(log.find(L"weitere"), std::wstring::npos);
}

TEST(Paths, InsideTheFolderWithoutRegardToCase) {
    EXPECT_TRUE(IsPathInFolder(L"c:\\program files\\PIXOLUM\\pixo32.exe", L"C:\\Program Files\\Pixolum\\"));
    EXPECT_TRUE(IsPathInFolder(L"C:\\Pixolum\\help\\pixo32_deutsch.chm", L"C:\\Pixolum\\"));
    EXPECT_FALSE(IsPathInFolder(L"C:\\Pixolum2\\pixo32.exe", L"C:\\Pixolum\\"));
    EXPECT_FALSE(IsPathInFolder(L"C:\\Pixolum\\", L"C:\\Pixolum\\"));
    EXPECT_FALSE(IsPathInFolder(L"C:\\Pixolum\\pixo32.exe", L"C:\\Pixolum"));
    EXPECT_FALSE(IsPathInFolder(L"", L"C:\\Pixolum\\"));
    EXPECT_EQ(FolderOf(L"C:\\A b\\c.exe"), L"C:\\A b\\");
    EXPECT_EQ(FolderOf(L"c.exe"), L"");
}

// Arguments: the shipped 32-bit uninstaller, its 64-bit twin, entries.txt.
std::wstring WindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring result = L"Z:" + path;
    for (wchar_t& c : result) {
        if (c == L'/') c = L'\\';
    }
    return result;
}

std::string EmbeddedList(const std::wstring& program) {
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "(cannot load " + Narrow(program) + ")";
    std::string text = "(no list)";
    if (HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(IDR_PAYLOAD_ENTRIES), RT_RCDATA)) {
        if (HGLOBAL data = LoadResource(module, info)) {
            text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, info));
        }
    }
    FreeLibrary(module);
    return text;
}

TEST(EmbeddedList, BothProgramsCarryTheArchiveEntries) {
    if (g_testArguments.size() < 3) GTEST_SKIP() << "needs the two programs and entries.txt";
    std::ifstream file(WindowsPath(g_testArguments[2]).c_str(), std::ios::binary);
    ASSERT_TRUE(file.good());
    std::stringstream expected;
    expected << file.rdbuf();
    EXPECT_NE(expected.str().find("px_uninstall.exe\n"), std::string::npos);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(EmbeddedList(WindowsPath(g_testArguments[i])), expected.str())
            << Narrow(g_testArguments[i]);
    }
}

}  // namespace
