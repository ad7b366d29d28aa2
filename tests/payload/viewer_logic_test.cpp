// The viewer's command line, picture list filter and fit, on the real functions.
#include "viewer_logic.h"

#include <gtest/gtest.h>

using pixo::FitPicture;
using pixo::ParseViewerArgs;
using pixo::SplitCommandLine;

namespace {

pixo::ViewerArgs ParseWhole(const wchar_t* commandLine) {
    std::vector<std::wstring> words = SplitCommandLine(commandLine);
    if (!words.empty()) words.erase(words.begin());
    return ParseViewerArgs(words);
}

}  // namespace

TEST(ViewerCommandLine, CommandsTheSetupRegisters) {
    // Open command "%s" "%1" with a path holding blanks.
    auto open = ParseWhole(LR"("C:\Program Files\Pixolum\pixo32.exe" "D:\Fotos 2024\Strand.jpg")");
    EXPECT_FALSE(open.thumbnails);
    EXPECT_EQ(open.path, LR"(D:\Fotos 2024\Strand.jpg)");

    // Folder verb "%s" "%1" /thumbs.
    auto folder = ParseWhole(LR"("C:\Pixolum\pixo32.exe" "D:\Fotos" /thumbs)");
    EXPECT_TRUE(folder.thumbnails);
    EXPECT_EQ(folder.path, LR"(D:\Fotos)");

    // The drive verb hands over "C:\": its backslash must not swallow the
    // closing quote and the switch behind it.
    auto drive = ParseWhole(LR"("C:\Pixolum\pixo32.exe" "E:\" /thumbs)");
    EXPECT_TRUE(drive.thumbnails);
    EXPECT_EQ(drive.path, LR"(E:\)");

    // Links: "/thumbs" alone, and the program alone.
    auto link = ParseWhole(LR"(C:\Pixolum\pixo32.exe /thumbs)");
    EXPECT_TRUE(link.thumbnails);
    EXPECT_TRUE(link.path.empty());
    auto bare = ParseWhole(LR"("C:\Pixolum\pixo32.exe")");
    EXPECT_FALSE(bare.thumbnails);
    EXPECT_TRUE(bare.path.empty());
}

TEST(ViewerCommandLine, SwitchesAndUnquotedPaths) {
    auto upper = ParseWhole(LR"(pixo32.exe /THUMBS "D:\Fotos")");
    EXPECT_TRUE(upper.thumbnails);
    EXPECT_EQ(upper.path, LR"(D:\Fotos)");

    // An old unquoted "%1" splits a path at its blanks; the words join again.
    auto unquoted = ParseWhole(LR"(pixo32.exe D:\Meine Bilder\Katze.png)");
    EXPECT_EQ(unquoted.path, LR"(D:\Meine Bilder\Katze.png)");

    auto unknown = ParseWhole(LR"(pixo32.exe /slideshow "a.bmp" /thumbsx)");
    EXPECT_FALSE(unknown.thumbnails);
    EXPECT_EQ(unknown.path, L"a.bmp");

    EXPECT_TRUE(SplitCommandLine(L"   ").empty());
    EXPECT_TRUE(SplitCommandLine(nullptr).empty());
    EXPECT_EQ(SplitCommandLine(L"a\t\"b c\"d"), (std::vector<std::wstring>{L"a", L"b cd"}));
}

TEST(ViewerFiles, PictureExtensionsAndPathParts) {
    EXPECT_TRUE(pixo::IsPictureFileName(L"Urlaub.JPG"));
    EXPECT_TRUE(pixo::IsPictureFileName(L"scan.tiff"));
    EXPECT_TRUE(pixo::IsPictureFileName(L"C:\\x\\bild.webp"));
    EXPECT_FALSE(pixo::IsPictureFileName(L"lied.mp3"));  // media rows are not pictures
    EXPECT_FALSE(pixo::IsPictureFileName(L"notes.txt"));
    EXPECT_FALSE(pixo::IsPictureFileName(L"bmp"));
    EXPECT_FALSE(pixo::IsPictureFileName(L"C:\\ordner.png\\datei"));
    EXPECT_FALSE(pixo::IsPictureFileName(L"archiv.bmp.zip"));

    EXPECT_EQ(pixo::FileNamePart(L"C:\\a b\\c.bmp"), L"c.bmp");
    EXPECT_EQ(pixo::FileNamePart(L"c.bmp"), L"c.bmp");
    EXPECT_EQ(pixo::FolderPart(L"C:\\a b\\c.bmp"), L"C:\\a b\\");
    EXPECT_EQ(pixo::FolderPart(L"c.bmp"), L"");
}

TEST(ViewerFit, ShrinksToFitKeepsAspectNeverEnlarges) {
    auto same = [](RECT r, LONG l, LONG t, LONG rr, LONG b) {
        return r.left == l && r.top == t && r.right == rr && r.bottom == b;
    };
    // Smaller than the window: 1:1, centred.
    EXPECT_TRUE(same(FitPicture(100, 50, 800, 600), 350, 275, 450, 325));
    // Wider than the window: full width, height in proportion.
    EXPECT_TRUE(same(FitPicture(1600, 400, 800, 600), 0, 200, 800, 400));
    // Taller: full height.
    EXPECT_TRUE(same(FitPicture(300, 1200, 800, 600), 325, 0, 475, 600));
    // A sliver keeps at least one pixel.
    RECT sliver = FitPicture(100000, 1, 800, 600);
    EXPECT_EQ(sliver.right - sliver.left, 800);
    EXPECT_EQ(sliver.bottom - sliver.top, 1);
    // Sizes whose product overflows 32 bits.
    RECT big = FitPicture(60000, 50000, 1200, 1000);
    EXPECT_EQ(big.right - big.left, 1200);
    EXPECT_EQ(big.bottom - big.top, 1000);
    // Nothing to draw into or nothing to draw.
    EXPECT_TRUE(same(FitPicture(0, 10, 800, 600), 0, 0, 0, 0));
    EXPECT_TRUE(same(FitPicture(10, 10, 0, 600), 0, 0, 0, 0));
}
