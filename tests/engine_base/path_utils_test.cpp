#include "path_utils.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "install_options.h"
#include "test_support.h"

namespace {

// A kPathChars buffer holding text, as the callers pass it.
struct PathBuffer {
    explicit PathBuffer(const std::wstring& text) {
        text.copy(chars, kPathChars - 1);
        chars[std::min<size_t>(text.size(), kPathChars - 1)] = L'\0';
    }
    std::wstring Text() const { return chars; }
    wchar_t chars[kPathChars] = {};
};

std::wstring Apply(void (*op)(wchar_t*), const std::wstring& text) {
    PathBuffer buffer(text);
    op(buffer.chars);
    return buffer.Text();
}

TEST(AppendBackslash, AddsOneBackslashOnlyWhereRoomAndMissing) {
    EXPECT_EQ(Apply(AppendBackslash, L"C:\\A"), L"C:\\A\\");
    EXPECT_EQ(Apply(AppendBackslash, L"C:\\A\\"), L"C:\\A\\");
    EXPECT_EQ(Apply(AppendBackslash, L""), L"");
    EXPECT_EQ(Apply(AppendBackslash, L"x"), L"x\\");
    // 258 characters still get it, 259 (the path limit) stay as they are.
    EXPECT_EQ(Apply(AppendBackslash, std::wstring(258, L'a')), std::wstring(258, L'a') + L"\\");
    EXPECT_EQ(Apply(AppendBackslash, std::wstring(259, L'a')), std::wstring(259, L'a'));
}

TEST(TrimSpaces, RemovesBlanksAtBothEndsOnly) {
    EXPECT_EQ(Apply(TrimSpaces, L"     "), L"");
    EXPECT_EQ(Apply(TrimSpaces, L""), L"");
    EXPECT_EQ(Apply(TrimSpaces, L"  C:\\Pro gramme\\X  "), L"C:\\Pro gramme\\X");
    EXPECT_EQ(Apply(TrimSpaces, L"C:\\X"), L"C:\\X");
    // Only U+0020 is a blank.
    EXPECT_EQ(Apply(TrimSpaces, L"\tC:\\X\t "), L"\tC:\\X\t");
}

TEST(TrimSpaces, TextBeyondThePathLimitKeepsItsLeadingBlanks) {
    wchar_t longText[kLongChars] = {};
    std::wstring text = L"  " + std::wstring(300, L'b') + L"   ";
    text.copy(longText, text.size());
    TrimSpaces(longText);
    EXPECT_EQ(std::wstring(longText), L"  " + std::wstring(300, L'b'));

    // 259 characters after the trailing blanks went: short enough, so trimmed.
    text = L" " + std::wstring(258, L'c') + L"  ";
    wchar_t shorter[kLongChars] = {};
    text.copy(shorter, text.size());
    TrimSpaces(shorter);
    EXPECT_EQ(std::wstring(shorter), std::wstring(258, L'c'));
}

// The one form of the install folder everything is compared in: drive or
// network share, each level trimmed, doubled separators collapsed, ".."
// never above the share; anything not absolute is refused.
TEST(CanonicalFolder, DriveAndNetworkFoldersAndWhatIsRefused) {
    auto canonical = [](const wchar_t* given) {
        wchar_t out[kPathChars] = L"unchanged";
        return CanonicalFolder(given, out) ? std::wstring(out) : L"refused: " + std::wstring(out);
    };
    EXPECT_EQ(canonical(L"  C:\\Pixo Ziel \\\\Bilder. \\"), L"C:\\Pixo Ziel\\Bilder\\");
    EXPECT_EQ(canonical(L"C:\\A\\..\\..\\B\\.\\C"), L"C:\\B\\C\\");
    EXPECT_EQ(canonical(L"\\\\server\\share\\Pixolum"), L"\\\\server\\share\\Pixolum\\");
    EXPECT_EQ(canonical(L"\\\\server\\share\\..\\Pixolum"), L"\\\\server\\share\\Pixolum\\");
    EXPECT_EQ(canonical(L"\\\\server\\share"), L"\\\\server\\share\\");
    for (const wchar_t* notAbsolute : {L"Pixolum", L"C:Pixolum", L"\\Pixolum", L"\\\\server", L""}) {
        EXPECT_EQ(canonical(notAbsolute), L"refused: ")
            << testing::PrintToString(std::wstring(notAbsolute));
    }
}

// Roots and the Windows folder (C:\windows in the test prefix) in any of the
// spellings that name the same folder; folders beside them stay allowed.
TEST(IsSystemFolder, RootsAndTheWindowsFolderInAnySpelling) {
    for (const wchar_t* refused : {L"C:\\", L"d:\\", L"\\\\server\\share", L"C:\\WINDOWS",
                                   L" c:\\windows. \\", L"C:\\Pixolum\\..\\Windows\\System32\\Pixolum",
                                   L"C:\\windows\\Help\\"}) {
        EXPECT_TRUE(IsSystemFolder(refused)) << testing::PrintToString(std::wstring(refused));
    }
    for (const wchar_t* allowed : {L"C:\\Pixolum", L"C:\\Windows2\\", L"C:\\windows\\..\\Pixolum",
                                   L"\\\\server\\share\\Pixolum\\", L"Pixolum", L""}) {
        EXPECT_FALSE(IsSystemFolder(allowed)) << testing::PrintToString(std::wstring(allowed));
    }
}

TEST(FileSizeOf, SizeOfFilesAndZeroForEverythingElse) {
    test::ScratchFolder scratch;
    const std::wstring file = scratch.Path() + L"\\daten.bin";
    ASSERT_TRUE(test::WriteBytes(file, std::string(12345, '\0')));
    EXPECT_EQ(FileSizeOf(file.c_str()), 12345);
    const std::wstring empty = scratch.Path() + L"\\leer.bin";
    ASSERT_TRUE(test::WriteBytes(empty, ""));
    EXPECT_EQ(FileSizeOf(empty.c_str()), 0);
    EXPECT_EQ(FileSizeOf(L""), 0);
    EXPECT_EQ(FileSizeOf(nullptr), 0);
    EXPECT_EQ(FileSizeOf((scratch.Path() + L"\\fehlt.bin").c_str()), 0);
    EXPECT_EQ(FileSizeOf(scratch.Path().c_str()), 0);
}

TEST(FileSizeOf, FileOpenElsewhereForWritingCanStillBeMeasured) {
    test::ScratchFolder scratch;
    const std::wstring file = scratch.Path() + L"\\offen.bin";
    ASSERT_TRUE(test::WriteBytes(file, std::string(100, 'a')));
    HANDLE other = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileSizeOf(file.c_str()), 100);
    CloseHandle(other);
}

std::wstring Part(const std::wstring& path, int mask) {
    wchar_t out[kPathChars];
    wmemset(out, L'#', kPathChars);
    GetPathPart(path.c_str(), out, mask);
    return out;
}

TEST(GetPathPart, ChosenPartsInOrder) {
    const std::wstring path = L"C:\\Programme\\Pixolum\\pixo32.ini";
    EXPECT_EQ(Part(path, kPartDrive | kPartFolder), L"C:\\Programme\\Pixolum\\");
    EXPECT_EQ(Part(path, kPartDrive), L"C:");
    EXPECT_EQ(Part(path, kPartFolder), L"\\Programme\\Pixolum\\");
    EXPECT_EQ(Part(path, kPartName), L"pixo32");
    EXPECT_EQ(Part(path, kPartExtension), L".ini");
    EXPECT_EQ(Part(path, kPartName | kPartExtension), L"pixo32.ini");
    EXPECT_EQ(Part(path, 15), path);
    EXPECT_EQ(Part(path, 0), L"");
}

TEST(GetPathPart, EmptyAndFolderlessPaths) {
    EXPECT_EQ(Part(L"", 15), L"");
    // No folder: nothing to end in a backslash.
    EXPECT_EQ(Part(L"pixo32.ini", kPartFolder), L"");
    // A drive-relative name gets the backslash after the (empty) folder.
    EXPECT_EQ(Part(L"C:pixo32.ini", kPartDrive | kPartFolder), L"C:\\");
    EXPECT_EQ(Part(L"\\\\server\\share\\pixo32.ini", kPartDrive | kPartFolder),
              L"\\\\server\\share\\");
}

TEST(GetPathPart, DotsAndSeparatorsAsTheStandardSplit) {
    EXPECT_EQ(Part(L"C:\\a.b\\pixo.32.ini", kPartName), L"pixo.32");
    EXPECT_EQ(Part(L"C:\\a.b\\pixo.32.ini", kPartExtension), L".ini");
    EXPECT_EQ(Part(L"C:\\a.b\\ohne", kPartExtension), L"");
    // '/' ends the folder part, but only '\\' counts as its final separator.
    EXPECT_EQ(Part(L"C:/Programme/Pixolum/pixo32.ini", kPartDrive | kPartFolder),
              L"C:/Programme/Pixolum/\\");
}

TEST(GetPathPart, LongPartsStayWholeUpToThePathLimit) {
    // Folder and name parts beyond the C runtime's _MAX_DIR and _MAX_FNAME
    // (256 with the terminator) are still split whole.
    const std::wstring folder = L"C:\\" + std::wstring(100, L'f') + L"\\" + std::wstring(154, L'g') + L"\\";
    ASSERT_EQ(folder.size(), 259u);
    EXPECT_EQ(Part(folder, kPartDrive | kPartFolder), folder);
    const std::wstring name(256, L'n');
    EXPECT_EQ(Part(L"C:\\" + name, kPartName | kPartExtension), name);
    // Beyond 259 characters the path is cut first.
    const std::wstring path = L"C:\\" + std::wstring(400, L'd') + L"\\x.ini";
    EXPECT_EQ(Part(path, 15), path.substr(0, 259));
    EXPECT_EQ(Part(path, kPartDrive | kPartFolder), L"C:\\");
}

}  // namespace
