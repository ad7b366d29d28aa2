// Writes onto a full disk. The RAW test disk_full_test.sh maps a small tmpfs
// into the Wine prefix and names its drive in PX_FULL_DRIVE; without it the
// tests are skipped.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "extraction.h"
#include "settings_file.h"
#include "test_support.h"

using namespace pxtest;

namespace {

std::wstring FullDrive() {
    wchar_t drive[16] = {};
    GetEnvironmentVariableW(L"PX_FULL_DRIVE", drive, 16);
    return drive;
}

// Fills the drive's free space with one file.
void FillUp(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    const std::string chunk(4096, 'F');
    while (fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size() && fflush(file) == 0) {
    }
    fclose(file);
}

TEST(DiskFull, ShortWriteEndsTheWalkIncomplete) {
    const std::wstring drive = FullDrive();
    if (drive.empty()) GTEST_SKIP() << "no small drive mapped (PX_FULL_DRIVE)";
    CurrentFolderGuard keepCurrent;
    ScratchFolder work{L"full"};
    const std::wstring archive = work / L"big.zip";
    {
        ZipWriter zip(archive);
        zip.AddFile("small.txt", "small");
        zip.AddFile("big.bin", SampleData(1 << 20, 5));   // more than the drive holds
        zip.AddFile("after.txt", "after");
    }
    const std::wstring target = drive + L"\\Ziel\\";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    EXPECT_EQ(ExtractArchive(archive.c_str(), target.c_str(), false), kExtractIncomplete);
    EXPECT_EQ(ReadBytes(target + L"small.txt"), "small");
    SetCurrentDirectoryW(work.path().c_str());
    RemoveTree(target);
}

TEST(DiskFull, SettingsFileStaysAnsiWhenItsUnicodeCopyCannotBeWritten) {
    const std::wstring drive = FullDrive();
    if (drive.empty()) GTEST_SKIP() << "no small drive mapped (PX_FULL_DRIVE)";
    const std::wstring folder = drive + L"\\Daten\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring ini = folder + L"pixo32.ini";
    const std::string ansi = "[Language]\r\nLang=Deutsch\r\n[Toolbar]\r\nSkin=Marlo_16.png\r\n";
    WriteBytes(ini, ansi);
    FillUp(folder + L"filler.bin");
    EXPECT_EQ(ConvertSettingsFileToUnicode(ini.c_str()), 0);
    EXPECT_EQ(ReadBytes(ini), ansi);
    EXPECT_FALSE(Exists(folder + L"pixo32.ini_temp"));
    RemoveTree(folder);
}

}  // namespace
