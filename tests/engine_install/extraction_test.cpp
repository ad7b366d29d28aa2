// Extraction of archives made here with minizip, into scratch folders.
#include <gtest/gtest.h>

#include <windows.h>

#include "extraction.h"
#include "test_support.h"

using namespace pxtest;

namespace {

class Extraction : public ::testing::Test {
protected:
    CurrentFolderGuard m_keepCurrent;
    ScratchFolder m_work{L"extract"};
    std::wstring m_archive = m_work / L"test.zip";
    std::wstring m_target = m_work / L"Ziel\\";

    void SetUp() override { ASSERT_TRUE(CreateDirectoryW(m_target.c_str(), nullptr)); }
    std::wstring Target(const std::wstring& relative) const { return m_target + relative; }
    int Extract(bool keep = false) { return ExtractArchive(m_archive.c_str(), m_target.c_str(), keep); }
};

TEST_F(Extraction, WritesEveryEntryWithFoldersLateOrAbsentAndLeavesTheTargetCurrent) {
    const std::string big = SampleData(100000, 1);   // several rounds of the copy buffer
    {
        ZipWriter zip(m_archive);
        zip.AddFile("pixo32.exe", big);
        zip.AddFile("Languages/Deutsch.dll", "deutsch");
        zip.AddFolder("Languages/");                  // folder entry after its file
        zip.AddFile("Html/pages/a.htm", "<p>a</p>");  // no folder entries at all
        zip.AddFile("Toolbars\\Marlo_16.png", "png");  // backslash as stored separator
        zip.AddFolder("Leer/");
        zip.AddFile("empty.txt", "");
    }
    const std::wstring before = CurrentFolder();
    EXPECT_EQ(Extract(), 0);
    EXPECT_EQ(ReadBytes(Target(L"pixo32.exe")), big);
    EXPECT_EQ(ReadBytes(Target(L"Languages\\Deutsch.dll")), "deutsch");
    EXPECT_EQ(ReadBytes(Target(L"Html\\pages\\a.htm")), "<p>a</p>");
    EXPECT_EQ(ReadBytes(Target(L"Toolbars\\Marlo_16.png")), "png");
    EXPECT_TRUE(IsFolder(Target(L"Leer")));
    EXPECT_EQ(ReadBytes(Target(L"empty.txt")), "");
    EXPECT_EQ(CurrentFolder(), before);   // opened by full path: the current folder stays
}

TEST_F(Extraction, OverwritesExistingFilesWithoutAsking) {
    WriteBytes(Target(L"p_about.txt"), std::string(5000, 'x'));
    {
        ZipWriter zip(m_archive);
        zip.AddFile("p_about.txt", "neu");
    }
    EXPECT_EQ(Extract(), 0);
    EXPECT_EQ(ReadBytes(Target(L"p_about.txt")), "neu");
}

TEST_F(Extraction, GivesFilesTheArchiveDateAsCreationAndLastWriteTime) {
    const uint32_t stamp = DosDateTime(2011, 2, 3, 4, 5, 6);
    {
        ZipWriter zip(m_archive);
        zip.AddFile("a.txt", "a", stamp);
        zip.AddFile("Sub/b.txt", SampleData(70000, 2), DosDateTime(1999, 12, 31, 23, 59, 58));
    }
    EXPECT_EQ(Extract(), 0);
    WIN32_FILE_ATTRIBUTE_DATA a{}, b{};
    ASSERT_TRUE(GetFileAttributesExW(Target(L"a.txt").c_str(), GetFileExInfoStandard, &a));
    ASSERT_TRUE(GetFileAttributesExW(Target(L"Sub\\b.txt").c_str(), GetFileExInfoStandard, &b));
    EXPECT_TRUE(SameTime(a.ftCreationTime, LocalDosTimeToUtc(stamp)));
    EXPECT_TRUE(SameTime(a.ftLastWriteTime, LocalDosTimeToUtc(stamp)));
    const FILETIME expectedB = LocalDosTimeToUtc(DosDateTime(1999, 12, 31, 23, 59, 58));
    EXPECT_TRUE(SameTime(b.ftCreationTime, expectedB));
    EXPECT_TRUE(SameTime(b.ftLastWriteTime, expectedB));
}

TEST_F(Extraction, KeepFlagLeavesTheIconLibraryAloneAndIsNoFailure) {
    ASSERT_TRUE(CreateDirectoryW(Target(L"Plugins").c_str(), nullptr));
    WriteBytes(Target(L"Plugins\\Icons.dll"), "installed library");
    {
        ZipWriter zip(m_archive);
        zip.AddFile("Plugins/Icons.dll", "payload library");
        zip.AddFile("Plugins/Other.dll", "other");
        zip.AddFile("pixo32.exe", "exe");
    }
    // Held open without sharing: kept on purpose, so the lock does not matter.
    HANDLE lock = CreateFileW(Target(L"Plugins\\Icons.dll").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Extract(true), 0);
    CloseHandle(lock);
    EXPECT_EQ(ReadBytes(Target(L"Plugins\\Icons.dll")), "installed library");
    EXPECT_EQ(ReadBytes(Target(L"Plugins\\Other.dll")), "other");
    EXPECT_EQ(ReadBytes(Target(L"pixo32.exe")), "exe");

    EXPECT_EQ(Extract(false), 0);
    EXPECT_EQ(ReadBytes(Target(L"Plugins\\Icons.dll")), "payload library");
}

TEST_F(Extraction, FileThatCannotBeOpenedIsSkippedTheRestWrittenAndTheResultIncomplete) {
    WriteBytes(Target(L"pixo32.exe"), "running viewer");
    // A folder where the file should go cannot be opened as a file either.
    ASSERT_TRUE(CreateDirectoryW(Target(L"p_about.txt").c_str(), nullptr));
    {
        ZipWriter zip(m_archive);
        zip.AddFile("pixo32.exe", "new viewer");
        zip.AddFile("p_about.txt", "new about");
        zip.AddFile("Languages/Deutsch.dll", "deutsch");
    }
    HANDLE lock = CreateFileW(Target(L"pixo32.exe").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Extract(), kExtractIncomplete);
    CloseHandle(lock);
    EXPECT_EQ(ReadBytes(Target(L"pixo32.exe")), "running viewer");
    EXPECT_TRUE(IsFolder(Target(L"p_about.txt")));
    EXPECT_EQ(ReadBytes(Target(L"Languages\\Deutsch.dll")), "deutsch");
}

// A broken entry ends the walk incomplete; the entries before it stay. Those
// after it may already be written by another worker: the install
// transaction undoes them.
TEST_F(Extraction, ChecksumMismatchEndsTheWalkIncomplete) {
    {
        ZipWriter zip(m_archive);
        zip.AddFile("before.txt", "before");
        zip.AddRawStored("broken.txt", "payload", Crc32("payload") ^ 1, 7);
        zip.AddFile("after.txt", "after");
    }
    EXPECT_EQ(Extract(), kExtractIncomplete);
    EXPECT_EQ(ReadBytes(Target(L"before.txt")), "before");
}

TEST_F(Extraction, TruncatedDataEndsTheWalkIncomplete) {
    const std::string data = SampleData(50000, 3);
    {
        ZipWriter zip(m_archive);
        zip.AddFile("before.txt", "before");
        // Announces more bytes than it holds: minizip alone would not notice.
        zip.AddRawStored("short.bin", "12345", Crc32("1234567890"), 10);
        zip.AddFile("after.txt", "after");
    }
    EXPECT_EQ(Extract(), kExtractIncomplete);
    EXPECT_EQ(ReadBytes(Target(L"before.txt")), "before");

    {
        ZipWriter zip(m_archive);
        zip.AddCutDeflated("cut.bin", data, 200);
        zip.AddFile("after.txt", "after");
    }
    EXPECT_EQ(Extract(), kExtractIncomplete);
}

TEST_F(Extraction, ArchiveCutShortCannotBeOpened) {
    {
        ZipWriter zip(m_archive);
        zip.AddFile("a.txt", SampleData(20000, 4));
        zip.AddFile("b.txt", "b");
    }
    std::string bytes = ReadBytes(m_archive);
    WriteBytes(m_archive, bytes.substr(0, bytes.size() / 2));
    std::wstring before = CurrentFolder();
    EXPECT_EQ(Extract(), -1);
    EXPECT_FALSE(Exists(Target(L"a.txt")));
    EXPECT_EQ(CurrentFolder(), before);
}

TEST_F(Extraction, EntryWhoseDataCannotBeOpenedEndsTheWalkIncomplete) {
    {
        ZipWriter zip(m_archive);
        zip.AddFile("before.txt", "before");
        zip.AddFile("strange.bin", "data", DosDateTime(2020, 1, 1, 0, 0, 0), false);
        zip.AddFile("after.txt", "after");
    }
    // Compression method 99 in the local and the central header: unzip cannot
    // open that entry's data.
    std::string bytes = ReadBytes(m_archive);
    for (const char* signature : {"PK\x03\x04", "PK\x01\x02"}) {
        size_t at = 0;
        while ((at = bytes.find(signature, at)) != std::string::npos) {
            size_t nameOffset = signature[2] == '\x03' ? 30 : 46;
            size_t methodOffset = signature[2] == '\x03' ? 8 : 10;
            if (bytes.compare(at + nameOffset, 11, "strange.bin") == 0) {
                bytes[at + methodOffset] = 99;
            }
            at += 4;
        }
    }
    WriteBytes(m_archive, bytes);
    EXPECT_EQ(Extract(), kExtractIncomplete);
    EXPECT_EQ(ReadBytes(Target(L"before.txt")), "before");
    EXPECT_FALSE(Exists(Target(L"strange.bin")));
}

TEST_F(Extraction, NamesThatLeaveTheTargetAreNeverWritten) {
    // The scratch folder stands above the target; nothing may land there.
    const std::string outside = "px_outside_" + std::to_string(GetCurrentProcessId()) + ".txt";
    const std::string names[] = {
        "../" + outside,
        "Sub/../../" + outside,
        "Sub\\..\\..\\" + outside,
        ".. /" + outside,
        "..../" + outside,
        "/" + outside,
        "\\" + outside,
        "C:/" + outside,
        "C:" + outside,
        "\\\\server\\share\\" + outside,
        "file.txt:stream",
        "../",
    };
    const std::wstring wideOutside(outside.begin(), outside.end());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        {
            ZipWriter zip(m_archive);
            zip.AddFile("before.txt", "before");
            zip.AddFile(name, "escaped");
            zip.AddFile("after.txt", "after");
        }
        EXPECT_EQ(Extract(), kExtractIncomplete);
        EXPECT_EQ(ReadBytes(Target(L"before.txt")), "before");
        EXPECT_FALSE(Exists(m_work / wideOutside));
        EXPECT_FALSE(Exists(Target(wideOutside)));
        EXPECT_FALSE(Exists(L"C:\\" + wideOutside));
        EXPECT_FALSE(Exists(Target(L"file.txt")));
    }
}

TEST_F(Extraction, NameTooLongForThePathIsMissingButTheWalkGoesOn) {
    const std::string longName = std::string(400, 'n') + ".txt";
    {
        ZipWriter zip(m_archive);
        zip.AddFile(longName, "long");
        zip.AddFile("after.txt", "after");
    }
    EXPECT_EQ(Extract(), kExtractIncomplete);
    EXPECT_EQ(ReadBytes(Target(L"after.txt")), "after");
}

TEST_F(Extraction, TargetThatCannotBeEnteredGivesMinusOne) {
    {
        ZipWriter zip(m_archive);
        zip.AddFile("a.txt", "a");
    }
    std::wstring before = CurrentFolder();
    EXPECT_EQ(ExtractArchive(m_archive.c_str(), (m_work / L"fehlt\\").c_str(), false), -1);
    EXPECT_EQ(CurrentFolder(), before);
    EXPECT_EQ(ExtractArchive((m_work / L"none.zip").c_str(), m_target.c_str(), false), -1);
}

// ExtractPayload reads the archive from this program's resources.
class Payload : public ::testing::Test {
protected:
    CurrentFolderGuard m_keepCurrent;
    ScratchFolder m_target{L"payload"};
    std::wstring m_temp = TempFolder() + L"px_payload_test.zip";
};

constexpr int kGoodPayload = 1974;
constexpr int kEmptyPayload = 3001;
constexpr int kBrokenPayload = 3002;

TEST_F(Payload, UnpacksTheResourceFromMemory) {
    // A folder where earlier builds put their copy of the archive changes nothing.
    ASSERT_TRUE(CreateDirectoryW(m_temp.c_str(), nullptr));
    const std::wstring before = CurrentFolder();
    EXPECT_EQ(ExtractPayload(kGoodPayload, L"ZIP", m_target.path().c_str(), 0), false);
    RemoveDirectoryW(m_temp.c_str());
    EXPECT_EQ(ReadBytes(m_target / L"p_about.txt").substr(0, 7), "Pixolum");
    EXPECT_TRUE(Exists(m_target / L"Plugins\\Icons.dll"));
    EXPECT_EQ(CurrentFolder(), before);
}

TEST_F(Payload, MissingEmptyOrBrokenResourcesFail) {
    EXPECT_EQ(ExtractPayload(kEmptyPayload, L"ZIP", m_target.path().c_str(), false), -1);
    EXPECT_EQ(ExtractPayload(4711, L"ZIP", m_target.path().c_str(), false), -1);
    EXPECT_EQ(ExtractPayload(kGoodPayload, L"ZIP", (m_target / L"fehlt\\").c_str(), false), -1);
    EXPECT_EQ(ExtractPayload(kBrokenPayload, L"ZIP", m_target.path().c_str(), false), kExtractIncomplete);
}

}  // namespace
