// The association page's list operations on a real list view: the rows of
// the catalogue, the columns, the check marks and the selection they make.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "format_catalogue.h"
#include "format_list.h"

namespace {

class FormatListTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        m_list = CreateWindowExW(
            0, WC_LISTVIEWW, L"", WS_POPUP | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL,
            100, 100, 427, 232, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_list, nullptr);
    }
    void TearDown() override { DestroyWindow(m_list); }

    int Rows() const { return static_cast<int>(SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0)); }
    std::wstring Text(int row, int column) const {
        wchar_t text[128] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // Rows beyond the catalogue, as a list could hold them.
    void AppendRows(int count) {
        for (int i = 0; i < count; ++i) {
            wchar_t label[] = L"EXTRA";
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = Rows();
            item.pszText = label;
            SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    std::string Chosen(const AssociationSelection& selection) const {
        std::string marks;
        for (int slot : selection.slots) marks += slot == 0 ? '.' : slot == 1 ? 'x' : '?';
        return marks;
    }

    HWND m_list = nullptr;
};

TEST(FormatColumnWidths, AThirdAndTheRestLessTheScrollBarScaledByDpi) {
    EXPECT_EQ(FormatColumnWidthsFor(427, 96).label, 142);
    EXPECT_EQ(FormatColumnWidthsFor(427, 96).name, 284 - 25);
    EXPECT_EQ(FormatColumnWidthsFor(534, 120).label, 178);
    EXPECT_EQ(FormatColumnWidthsFor(534, 120).name, 356 - 31);  // MulDiv rounds 31.25 down
    EXPECT_EQ(FormatColumnWidthsFor(641, 144).name, 427 - 38);  // and 37.5 up
}

TEST_F(FormatListTest, HoldsTheCatalogueInOrderUncheckedWithExactlyItsStyles) {
    SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP);
    BuildFormatList(m_list);
    EXPECT_EQ(SendMessageW(m_list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x24);
    ASSERT_EQ(Rows(), 63);
    for (int row = 0; row < 63; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Text(row, 0), FormatCatalogue[row].groupLabel);
        EXPECT_EQ(Text(row, 1), FormatCatalogue[row].displayName);
        EXPECT_EQ(FormatRowStateImage(m_list, row), kRowUnchecked);
    }
    EXPECT_EQ(Text(2, 0), L"BMP/DIB");
    EXPECT_EQ(Text(48, 1), L"X-Pixmap *");
    EXPECT_EQ(Text(49, 0), L"SWF/FLV");

    RECT bounds = {};
    GetWindowRect(m_list, &bounds);
    HDC dc = GetDC(m_list);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(m_list, dc);
    const FormatColumnWidths want = FormatColumnWidthsFor(bounds.right - bounds.left, dpi);
    EXPECT_EQ(SendMessageW(m_list, LVM_GETCOLUMNWIDTH, 0, 0), want.label);
    EXPECT_EQ(SendMessageW(m_list, LVM_GETCOLUMNWIDTH, 1, 0), want.name);
    HWND header = reinterpret_cast<HWND>(SendMessageW(m_list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
    for (int column = 0; column < 2; ++column) {
        wchar_t text[16] = L"?";
        LVCOLUMNW read = {};
        read.mask = LVCF_FMT | LVCF_TEXT;
        read.pszText = text;
        read.cchTextMax = 16;
        ASSERT_TRUE(SendMessageW(m_list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&read)));
        EXPECT_EQ(read.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
        EXPECT_STREQ(text, L"");
    }
}

TEST_F(FormatListTest, ChecksRangesAndTheSelectionFollowsThem) {
    BuildFormatList(m_list);
    AssociationSelection selection;
    selection.slots[5] = 7;
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 0);
    EXPECT_EQ(Chosen(selection), std::string(64, '.')) << "a fresh list chooses nothing";

    // "Nur Bilder": the 49 picture rows, the rest cleared.
    SetFormatRowChecks(m_list, 0, kThroughLastRow, true);
    SetFormatRowChecks(m_list, 0, kPictureFormatCount, true);
    SetFormatRowChecks(m_list, kPictureFormatCount, kThroughLastRow, false);
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 1);
    EXPECT_EQ(Chosen(selection), std::string(49, 'x') + std::string(15, '.'));

    SetFormatRowChecks(m_list, 0, kThroughLastRow, true);
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 1);
    EXPECT_EQ(Chosen(selection), std::string(63, 'x') + ".") << "slot 63 has no row";

    SetFormatRowChecks(m_list, 0, kThroughLastRow, false);
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 0);
    EXPECT_EQ(Chosen(selection), std::string(64, '.'));

    // One row ticked by hand: the first and the last row of the catalogue.
    SetFormatRowChecks(m_list, 62, 63, true);
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 1);
    EXPECT_EQ(Chosen(selection), std::string(62, '.') + "x.");
}

TEST_F(FormatListTest, ADisabledListChoosesNothingWhateverItsMarks) {
    BuildFormatList(m_list);
    SetFormatRowChecks(m_list, 0, kThroughLastRow, true);
    EnableWindow(m_list, FALSE);
    AssociationSelection selection;
    selection.slots[0] = 1;
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 0);
    EXPECT_EQ(Chosen(selection), std::string(64, '.'));
    // The marks themselves stay for when the list is enabled again.
    EXPECT_EQ(FormatRowStateImage(m_list, 10), kRowChecked);
    EnableWindow(m_list, TRUE);
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 1);
    EXPECT_EQ(ReadAssociationSelection(nullptr, selection), 0) << "no list: nothing chosen";
}

TEST_F(FormatListTest, OnlyTheFirst64RowsOfALongerListCount) {
    BuildFormatList(m_list);
    AppendRows(10);
    ASSERT_EQ(Rows(), 73);
    SetFormatRowChecks(m_list, 60, kThroughLastRow, true);
    EXPECT_EQ(FormatRowStateImage(m_list, 72), kRowChecked);
    AssociationSelection selection;
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 1);
    EXPECT_EQ(Chosen(selection), std::string(60, '.') + "xxxx");

    // Rows beyond the slots alone choose nothing.
    SetFormatRowChecks(m_list, 0, 64, false);
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 0);

    // A row without a check box (state image 0) counts as chosen: only the
    // unticked box means "no".
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = 0;
    SendMessageW(m_list, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&item));
    ASSERT_EQ(FormatRowStateImage(m_list, 3), 0u);
    EXPECT_EQ(ReadAssociationSelection(m_list, selection), 1);
    EXPECT_EQ(selection.slots[3], 1);
}

}  // namespace
