// The format catalogue's invariants: the rows the association page lists,
// "/assoc=" selects and the registration walks.
#include <cwctype>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include <cstring>

#include "association_writer.h"
#include "expected_formats.h"
#include "format_catalogue.h"

namespace {

// A catalogue extension (ASCII) as the registry names it.
std::wstring Wide(const char* text) { return std::wstring(text, text + std::strlen(text)); }

std::set<std::wstring> ClassGroupsOfRow(int row) {
    std::set<std::wstring> groups;
    const FormatRow& format = FormatCatalogue[row];
    for (int i = 0; i < format.ExtensionCount(); ++i)
        groups.insert(Wide(format.extensions[i].classGroup));
    return groups;
}

int RowOfExtension(const wchar_t* extension) {
    for (int row = 0; row < kFormatCount; ++row) {
        const FormatRow& format = FormatCatalogue[row];
        for (int i = 0; i < format.ExtensionCount(); ++i) {
            if (std::wstring(Wide(format.extensions[i].extension)) == extension) return row;
        }
    }
    return -1;
}

}  // namespace

// Against the format table typed independently: a missing, misspelt or
// misplaced extension, a wrong class group or icon shows here by name.
TEST(Catalogue, RowsHoldExactlyTheFormatTablesExtensionsGroupsAndIcons) {
    size_t listed = 0;
    for (const ExpectedFormat& format : kExpectedFormats) {
        ASSERT_LT(format.row, kFormatCount);
        const FormatRow& row = FormatCatalogue[format.row];
        bool found = false;
        for (int i = 0; i < row.ExtensionCount(); ++i) {
            if (std::strcmp(row.extensions[i].extension, format.extension) != 0) continue;
            found = true;
            EXPECT_STREQ(row.extensions[i].classGroup, format.classGroup) << format.extension;
        }
        EXPECT_TRUE(found) << format.extension << " not in row " << format.row;
        wchar_t icon[64] = {};
        ASSERT_TRUE(FormatDefaultIcon(row, L"V", icon, 64));
        EXPECT_EQ(std::wstring(icon), format.icon < 0 ? std::wstring(L"%1") : L"V," + std::to_wstring(format.icon))
            << format.extension;
        EXPECT_EQ(row.kind == FormatKind::Picture, format.row < 49) << format.extension;
    }
    for (const FormatRow& row : FormatCatalogue) listed += static_cast<size_t>(row.ExtensionCount());
    EXPECT_EQ(listed, sizeof(kExpectedFormats) / sizeof(kExpectedFormats[0])) << "extensions beyond the table";
}

TEST(Catalogue, ExtensionsAreLowerCaseUniqueAndSpellTheGroupLabel) {
    std::set<std::wstring> seen;
    for (int row = 0; row < kFormatCount; ++row) {
        const FormatRow& format = FormatCatalogue[row];
        std::wstring label;
        for (int i = 0; i < format.ExtensionCount(); ++i) {
            const std::wstring extension = Wide(format.extensions[i].extension);
            for (wchar_t c : extension) {
                EXPECT_TRUE((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'))
                    << "row " << row << " extension " << extension.c_str();
            }
            EXPECT_TRUE(seen.insert(extension).second) << "duplicate " << extension.c_str();
            if (i > 0) label += L'/';
            for (wchar_t c : extension) label += static_cast<wchar_t>(std::towupper(c));
        }
        EXPECT_EQ(label, std::wstring(format.groupLabel)) << "row " << row;
        for (int i = format.ExtensionCount(); i < kMaxRowExtensions; ++i) {
            EXPECT_EQ(format.extensions[i].classGroup[0], 0) << "row " << row;
        }
    }
    EXPECT_EQ(seen.size(), 87u);
}

TEST(Catalogue, ClassGroupsAreExtensionsOfTheirOwnRowThatNameThemselves) {
    for (int row = 0; row < kFormatCount; ++row) {
        const FormatRow& format = FormatCatalogue[row];
        EXPECT_EQ(Wide(format.extensions[0].extension), Wide(format.extensions[0].classGroup))
            << "row " << row;
        for (int i = 0; i < format.ExtensionCount(); ++i) {
            const std::wstring group = Wide(format.extensions[i].classGroup);
            bool groupOwner = false;
            for (int j = 0; j < format.ExtensionCount(); ++j) {
                groupOwner |= group == Wide(format.extensions[j].extension) &&
                              group == Wide(format.extensions[j].classGroup);
            }
            EXPECT_TRUE(groupOwner) << "row " << row << " group " << group.c_str();
        }
    }
}

TEST(Catalogue, MultiExtensionRowsHaveTheirClassKeys) {
    const std::map<int, std::set<std::wstring>> expected = {
        {2, {L"bmp"}},          {4, {L"crw", L"cr2", L"cr3"}},
        {6, {L"dcm"}},          {9, {L"djvu"}},
        {13, {L"eps"}},         {17, {L"hdp"}},
        {20, {L"iff"}},         {22, {L"jp2"}},
        {23, {L"jpg"}},         {26, {L"mng", L"jng"}},
        {36, {L"ras"}},         {40, {L"sgi"}},
        {43, {L"tif"}},         {49, {L"swf", L"flv"}},
        {53, {L"mpg", L"mpe"}}, {57, {L"mid", L"rmi"}},
        {60, {L"au"}},
    };
    int multiRows = 0;
    size_t classKeys = 0;
    for (int row = 0; row < kFormatCount; ++row) {
        classKeys += ClassGroupsOfRow(row).size();
        if (FormatCatalogue[row].ExtensionCount() < 2) continue;
        ++multiRows;
        auto it = expected.find(row);
        ASSERT_NE(it, expected.end()) << "unexpected multi-extension row " << row;
        EXPECT_EQ(ClassGroupsOfRow(row), it->second) << "row " << row;
    }
    EXPECT_EQ(multiRows, static_cast<int>(expected.size()));
    EXPECT_EQ(classKeys, 69u);
    EXPECT_EQ(Wide(FormatCatalogue[23].extensions[3].extension), L"jpe");
    EXPECT_EQ(Wide(FormatCatalogue[53].extensions[2].classGroup), L"mpg");
}

TEST(Catalogue, TypeNamesUseTheUpperCaseClassGroup) {
    const FormatRow& bitmap = FormatCatalogue[RowOfExtension(L"dib")];
    EXPECT_EQ(TypeNameOf(Wide(bitmap.extensions[1].classGroup).c_str()), L"Pixolum BMP File");
    const FormatRow& hdPhoto = FormatCatalogue[RowOfExtension(L"jxr")];
    EXPECT_EQ(TypeNameOf(Wide(hdPhoto.extensions[1].classGroup).c_str()), L"Pixolum HDP File");
    EXPECT_EQ(ClassNameOf(L"jpg"), L"Pixolum.jpg");
    EXPECT_EQ(TypeNameOf(L"cr2"), L"Pixolum CR2 File");
}

TEST(Catalogue, DefaultIconsFollowTheKindOfMedia) {
    const std::wstring viewer = L"C:\\Programme\\Pixolum\\pixo32.exe";
    std::map<std::wstring, int> iconsByText;
    for (int row = 0; row < kFormatCount; ++row) {
        wchar_t icon[260];
        ASSERT_TRUE(FormatDefaultIcon(FormatCatalogue[row], viewer.c_str(), icon, 260));
        std::wstring expected = viewer + L",0";
        const std::wstring first = Wide(FormatCatalogue[row].extensions[0].extension);
        if (first == L"ani" || first == L"cur" || first == L"ico") expected = L"%1";
        if (row >= 51 && row <= 55) expected = viewer + L",12";
        if (row >= 56) expected = viewer + L",11";
        EXPECT_EQ(std::wstring(icon), expected) << "row " << row;
    }
}

TEST(Catalogue, DefaultIconThatDoesNotFitIsRefusedNotCut) {
    wchar_t icon[16] = L"untouched";
    EXPECT_FALSE(FormatDefaultIcon(FormatCatalogue[31], L"C:\\Pixolum\\pixo32.exe", icon, 16));
    EXPECT_STREQ(icon, L"");
    EXPECT_TRUE(FormatDefaultIcon(FormatCatalogue[31], L"C:\\pixo32.exe", icon, 16));
    EXPECT_STREQ(icon, L"C:\\pixo32.exe,0");
}

