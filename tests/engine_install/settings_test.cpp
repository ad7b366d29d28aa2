// The first settings and their UTF-16 form, read back from real files.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "settings_file.h"
#include "test_support.h"

using namespace pxtest;

namespace {

struct SkinRow {
    int height;
    int scale;
    const wchar_t* skin;
    const wchar_t* size;
};

TEST(ToolbarSkin, FirstMatchingRowOfTheTableWins) {
    const SkinRow rows[] = {
        {1600, 100, L"gnome-colors-human_48.png", L"48"},
        {1599, 100, L"gnome-colors-wise_32.png", L"32"},
        {600, 170, L"gnome-colors-human_48.png", L"48"},
        {600, 169, L"gnome-colors-wise_32.png", L"32"},
        {1201, 100, L"gnome-colors-wise_32.png", L"32"},
        {1200, 100, L"Kestrin_24.png", L"24"},
        {1000, 150, L"gnome-colors-wise_32.png", L"32"},   // 144 DPI
        {1000, 149, L"Kestrin_24.png", L"24"},
        {700, 150, L"gnome-colors-wise_32.png", L"32"},
        {767, 100, L"Marlo_16.png", L"16"},
        {768, 100, L"Kestrin_24.png", L"24"},
        {700, 100, L"Marlo_16.png", L"16"},
        {1000, 100, L"Kestrin_24.png", L"24"},
        {0, 0, L"Marlo_16.png", L"16"},
    };
    for (const SkinRow& row : rows) {
        ToolbarSkin chosen = ChooseToolbarSkin(row.height, row.scale);
        EXPECT_STREQ(chosen.skin, row.skin) << row.height << " px, " << row.scale << " %";
        EXPECT_STREQ(chosen.size, row.size) << row.height << " px, " << row.scale << " %";
    }
}

std::wstring Key(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[260] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 260, file.c_str());
    return value;
}

bool IsKnownSkinPair(const std::wstring& skin, const std::wstring& size) {
    return (skin == L"gnome-colors-human_48.png" && size == L"48") ||
           (skin == L"gnome-colors-wise_32.png" && size == L"32") ||
           (skin == L"Kestrin_24.png" && size == L"24") || (skin == L"Marlo_16.png" && size == L"16");
}

const std::string kUnicodeHead =
    std::string("\xFF\xFE", 2) +
    std::string(";\0 \0U\0N\0I\0C\0O\0D\0E\0 \0F\0I\0L\0E\0 \0-\0 \0e\0d\0i\0t\0 \0w\0i\0t\0h\0 "
                "\0c\0a\0r\0e\0 \0;\0-\0)\0\r\0\n\0\r\0\n\0",
                78);

class Settings : public ::testing::Test {
protected:
    ScratchFolder m_program{L"settings_prog"};
    ScratchFolder m_data{L"settings_data"};
    std::wstring m_programIni = m_program / L"pixo32.ini";
    std::wstring m_dataIni = m_data / L"pixo32.ini";
};

TEST_F(Settings, FreshInstallWithoutSettingsFolderEndsAsUtf16InTheProgramFolder) {
    WriteInitialSettings(m_programIni.c_str(), m_programIni.c_str(), L"", 0);
    EXPECT_EQ(Key(m_programIni, L"Others", L"INI_Folder"), L"<none>");
    EXPECT_EQ(Key(m_programIni, L"Language", L"DLL"), L"DEUTSCH.DLL");
    EXPECT_EQ(Key(m_programIni, L"Language", L"Lang"), L"Deutsch");
    EXPECT_TRUE(IsKnownSkinPair(Key(m_programIni, L"Toolbar", L"Skin"),
                                Key(m_programIni, L"Toolbar", L"Size")));
    const std::string ansi = ReadBytes(m_programIni);
    ASSERT_NE(ansi.substr(0, 2), std::string("\xFF\xFE", 2));

    EXPECT_EQ(ConvertSettingsFileToUnicode(m_programIni.c_str()), 1);
    const std::string converted = ReadBytes(m_programIni);
    ASSERT_EQ(converted.substr(0, 80), kUnicodeHead);
    std::wstring body = Utf16(converted.substr(80));
    EXPECT_EQ(body, std::wstring(ansi.begin(), ansi.end()));   // the keys are ASCII
    EXPECT_FALSE(Exists(m_program / L"pixo32.ini_temp"));
    // The viewer reads it through the profile functions, as before.
    EXPECT_EQ(Key(m_programIni, L"Language", L"Lang"), L"Deutsch");
}

TEST_F(Settings, SettingsFolderGetsTheKeysAndTheProgramFolderOnlyTheReference) {
    WriteInitialSettings(m_programIni.c_str(), m_dataIni.c_str(), L"%APPDATA%\\Pixolum", 0);
    EXPECT_EQ(Key(m_programIni, L"Others", L"INI_Folder"), L"%APPDATA%\\Pixolum");
    EXPECT_EQ(Key(m_programIni, L"Language", L"Lang"), L"<none>");
    EXPECT_EQ(Key(m_programIni, L"Toolbar", L"Skin"), L"<none>");
    EXPECT_EQ(Key(m_dataIni, L"Language", L"DLL"), L"DEUTSCH.DLL");
    EXPECT_TRUE(IsKnownSkinPair(Key(m_dataIni, L"Toolbar", L"Skin"),
                                Key(m_dataIni, L"Toolbar", L"Size")));
}

TEST_F(Settings, PortableLayoutAlsoStoresDefaultsBesideTheViewer) {
    WriteInitialSettings(m_programIni.c_str(), m_dataIni.c_str(), L"D:\\Pixolum32_App\\Data", 1);
    EXPECT_EQ(Key(m_programIni, L"Language", L"DefaultLang"), L"DEUTSCH.DLL");
    EXPECT_EQ(Key(m_programIni, L"Language", L"Lang"), L"Deutsch");
    EXPECT_EQ(Key(m_programIni, L"Language", L"DLL"), L"<none>");
    EXPECT_EQ(Key(m_programIni, L"Toolbar", L"Skin"), L"Kestrin_24.png");
    EXPECT_EQ(Key(m_programIni, L"Toolbar", L"Size"), L"24");
}

TEST_F(Settings, RepeatedInstallKeepsTheUsersSkinButSetsTheLanguageAgain) {
    WritePrivateProfileStringW(L"Toolbar", L"Skin", L"Mein_Skin.png", m_programIni.c_str());
    WritePrivateProfileStringW(L"Toolbar", L"Size", L"20", m_programIni.c_str());
    WritePrivateProfileStringW(L"Language", L"Lang", L"English", m_programIni.c_str());
    WritePrivateProfileStringW(L"Others", L"INI_Folder", L"C:\\Alt", m_programIni.c_str());
    ASSERT_EQ(ConvertSettingsFileToUnicode(m_programIni.c_str()), 1);   // as the viewer left it

    WriteInitialSettings(m_programIni.c_str(), m_programIni.c_str(), L"", 0);
    EXPECT_EQ(Key(m_programIni, L"Toolbar", L"Skin"), L"Mein_Skin.png");
    EXPECT_EQ(Key(m_programIni, L"Toolbar", L"Size"), L"20");
    EXPECT_EQ(Key(m_programIni, L"Language", L"Lang"), L"Deutsch");
    EXPECT_EQ(Key(m_programIni, L"Others", L"INI_Folder"), L"<none>");
    EXPECT_EQ(ReadBytes(m_programIni).substr(0, 2), std::string("\xFF\xFE", 2));
}

TEST_F(Settings, ConversionKeepsLinesAndLineEndsAndSplitsLongLines) {
    const std::string longValue(5000, 'q');
    const std::string ansi = "[Eins]\r\nA=1\nB=" + longValue + "\r\n[Zwei]\r\nC=\xE4\xF6\xFC";
    WriteBytes(m_programIni, ansi);
    EXPECT_EQ(ConvertSettingsFileToUnicode(m_programIni.c_str()), 1);
    const std::string converted = ReadBytes(m_programIni);
    ASSERT_EQ(converted.substr(0, 80), kUnicodeHead);
    wchar_t expected[8192] = {};
    int chars = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                    expected, 8192);
    EXPECT_EQ(Utf16(converted.substr(80)), std::wstring(expected, chars));
    EXPECT_FALSE(Exists(m_program / L"pixo32.ini_temp"));
}

TEST_F(Settings, Utf16EmptyOrMissingFilesAreLeftAsTheyAre) {
    const std::string unicode = kUnicodeHead + std::string("[\0X\0]\0\r\0\n\0", 10);
    WriteBytes(m_programIni, unicode);
    EXPECT_EQ(ConvertSettingsFileToUnicode(m_programIni.c_str()), 1);
    EXPECT_EQ(ReadBytes(m_programIni), unicode);

    WriteBytes(m_dataIni, "");
    EXPECT_EQ(ConvertSettingsFileToUnicode(m_dataIni.c_str()), 1);
    EXPECT_EQ(ReadBytes(m_dataIni), "");
    EXPECT_FALSE(Exists(m_data / L"pixo32.ini_temp"));

    EXPECT_EQ(ConvertSettingsFileToUnicode((m_data / L"fehlt.ini").c_str()), 1);
    EXPECT_FALSE(Exists(m_data / L"fehlt.ini"));
}

TEST_F(Settings, FileThatCannotBeReplacedStaysAnsiAndNoTemporaryCopyRemains) {
    const std::string ansi = "[Language]\r\nLang=Deutsch\r\n";
    WriteBytes(m_programIni, ansi);
    // Open for reading only, without delete sharing: the move cannot replace it.
    HANDLE holder = CreateFileW(m_programIni.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ConvertSettingsFileToUnicode(m_programIni.c_str()), 0);
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(m_programIni), ansi);
    EXPECT_FALSE(Exists(m_program / L"pixo32.ini_temp"));
}

}  // namespace
