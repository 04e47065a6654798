// What the report windows write and read: column layouts, delimited exports and their
// workspace records, byte for byte, and what happens with damaged or hostile input.
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "tests/platform/TempFolder.h"
#include "tests/support/ArchiveBytes.h"
#include "trading/ReportExport.h"
#include "trading/ReportLayout.h"
#include "trading/ReportViewState.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// Little-endian 32-bit words, as the archive writes them.
std::string Words(std::initializer_list<uint32_t> words)
{
    std::string out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((w >> (8 * i)) & 0xFF);
    return out;
}

CLinkState SymbolLink(int group)
{
    CLinkState link;
    link.SetButtons(true, false);
    link.SetSymbolGroup(group);
    return link;
}

}  // namespace

TEST(ReportLayout, ALayoutIsACountThenFieldAndWidthPerColumn)
{
    const CReportLayout layout = {{4, 80}, {0, 120}, {17, 60}};
    const std::string bytes = StoreToString([&](CArchive& ar) { WriteReportLayout(ar, layout); });
    EXPECT_EQ(bytes, Words({3, 4, 80, 0, 120, 17, 60}));
    LoadFromString(bytes, [&](CArchive& ar) { EXPECT_EQ(ReadReportLayout(ar, 18), layout); });
}

TEST(ReportLayout, UnknownAndRepeatedFieldsAreLeftOutAndWidthsBounded)
{
    // Field 13 is beyond the 13 saved-order fields, -1 no field, 3 comes twice.
    const std::string bytes = Words({6, 3, 90, 13, 50, 0xFFFFFFFF, 50, 3, 70, 12, 0xFFFFFFF6, 5, 0x7FFFFFFF});
    LoadFromString(bytes, [&](CArchive& ar) {
        EXPECT_EQ(ReadReportLayout(ar, 13), (CReportLayout{{3, 90}, {12, 0}, {5, kMaxReportColumnWidth}}));
    });
}

TEST(ReportLayout, ACountBeyondTheDataIsRefusedBeforeAnythingIsRead)
{
    EXPECT_THROW(LoadFromString(Words({100000000, 1, 80}), [](CArchive& ar) { ReadReportLayout(ar, 18); }), CArchiveException);
    EXPECT_THROW(LoadFromString(Words({2, 1, 80, 2}), [](CArchive& ar) { ReadReportLayout(ar, 18); }), CArchiveException);
    EXPECT_THROW(LoadFromString(std::string("\x01\x00", 2), [](CArchive& ar) { ReadReportLayout(ar, 18); }), CArchiveException);
}

TEST(ReportLayout, LayoutFilesAreReplacedWholeAndDamageIsTold)
{
    TempFolder folder;
    const CString path = folder.file("default.osl").c_str();
    CReportLayout layout = {{9, 10}};
    EXPECT_EQ(LoadReportLayoutFile(path, 18, layout), ELayoutFileState::kMissing);
    EXPECT_EQ(layout, (CReportLayout{{9, 10}}));

    CString error;
    ASSERT_TRUE(SaveReportLayoutFile(path, {{1, 100}, {7, 55}}, error)) << error.str();
    EXPECT_EQ(folder.read("default.osl"), Words({2, 1, 100, 7, 55}));
    EXPECT_EQ(LoadReportLayoutFile(path, 18, layout), ELayoutFileState::kLoaded);
    EXPECT_EQ(layout, (CReportLayout{{1, 100}, {7, 55}}));

    folder.write("default.osl", Words({3, 1, 100}));
    EXPECT_EQ(LoadReportLayoutFile(path, 18, layout), ELayoutFileState::kDamaged);
    EXPECT_EQ(layout, (CReportLayout{{1, 100}, {7, 55}}));

    // A folder that is not there: the failure is told, nothing is left behind.
    const CString missing = folder.file("no-folder/default.osl").c_str();
    EXPECT_FALSE(SaveReportLayoutFile(missing, {{1, 100}}, error));
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "no-folder"));
}

TEST(ReportExport, CellsAreQuotedAndFormulasDisarmed)
{
    // Quoted when holding the separator, a quote or a line break; quotes doubled.
    EXPECT_EQ(ExportCell("100,000.00", ',', false), "\"100,000.00\"");
    EXPECT_EQ(ExportCell("100,000.00", '\t', false), "100,000.00");
    EXPECT_EQ(ExportCell("OCA 5", ' ', true), "\"OCA 5\"");
    EXPECT_EQ(ExportCell("say \"hi\"", '\t', true), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(ExportCell("two\nlines", ',', true), "\"two\nlines\"");
    // Order lists put a blank before a leading plus; the balances do not.
    EXPECT_EQ(ExportCell("+1.25", ',', true), " +1.25");
    EXPECT_EQ(ExportCell("+1.25", ',', false), "+1.25");
    // Numbers stay numbers; a text that a spreadsheet would take as a formula does not.
    EXPECT_EQ(ExportCell("-1,234.50", '\t', true), "-1,234.50");
    EXPECT_EQ(ExportCell("-$12", '\t', true), "-$12");
    EXPECT_EQ(ExportCell("=HYPERLINK(\"http://x\")", '\t', true), "\"'=HYPERLINK(\"\"http://x\"\")\"");
    EXPECT_EQ(ExportCell("=1+1", ',', false), "'=1+1");
    EXPECT_EQ(ExportCell("@SUM(A1)", ',', false), "'@SUM(A1)");
    EXPECT_EQ(ExportCell("-2+3", ',', false), "'-2+3");
    EXPECT_EQ(ExportCell("+cmd|' /C calc'!A0", '\t', true), "'+cmd|' /C calc'!A0");
    EXPECT_EQ(ExportCell("\tx", ',', true), "'\tx");
    EXPECT_EQ(ExportCell("", ',', true), "");
}

TEST(ReportExport, TheFileHoldsOneLinePerRowAndAFailureIsTold)
{
    TempFolder folder;
    const std::vector<CExportRow> rows = {{"Account Balances", "Balances($)", "Today's Net Chg"},
                                          {"Cash Balance", "100,000.00", "+0.00"},
                                          {"=evil()", "1", ""}};
    CString error;
    ASSERT_TRUE(WriteReportExport(folder.file("b.csv").c_str(), ',', rows, false, error)) << error.str();
    EXPECT_EQ(folder.read("b.csv"),
              "Account Balances,Balances($),Today's Net Chg\nCash Balance,\"100,000.00\",+0.00\n'=evil(),1,\n");
    ASSERT_TRUE(WriteReportExport(folder.file("b.prn").c_str(), ' ', rows, false, error));
    EXPECT_EQ(folder.read("b.prn"), "\"Account Balances\" Balances($) \"Today's Net Chg\"\n\"Cash Balance\" "
                                    "100,000.00 +0.00\n'=evil() 1 \n");
    // Only the header when there is nothing to list.
    ASSERT_TRUE(WriteReportExport(folder.file("o.txt").c_str(), '\t', {{"Entered", "Status"}}, true, error));
    EXPECT_EQ(folder.read("o.txt"), "Entered\tStatus\n");

    // A file that cannot be written is told and the one that was there stays.
    std::filesystem::create_directory(folder.path() / "taken.csv");
    EXPECT_FALSE(WriteReportExport(folder.file("taken.csv").c_str(), ',', rows, false, error));
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "taken.csv"));
    EXPECT_FALSE(WriteReportExport(folder.file("none/x.csv").c_str(), ',', rows, false, error));
}

TEST(ReportViewState, TheOrderStatusRecordHoldsLayoutSortFilterLinksAndGrid)
{
    COrderStatusViewState state;
    state.layout = {{0, 80}, {4, 60}};
    state.sortColumn = 1;
    state.sortAscending = 0;
    state.filter = COrderListFilter{3, 2, 2, 10, 1700000000, 1700086400};
    state.grid = 0;
    const std::string bytes = StoreToString([&](CArchive& ar) { EXPECT_TRUE(StoreOrderStatusState(ar, state, SymbolLink(5))); });
    EXPECT_EQ(bytes, Words({2, 0, 80, 4, 60, 1, 0, 3, 2, 2, 10, 1700000000, 1700086400, 5, 0}));

    LoadFromString(bytes, [&](CArchive& ar) {
        COrderStatusViewState read;
        CLinkState link = SymbolLink(1);
        ASSERT_TRUE(LoadOrderStatusState(ar, 19, read, link));
        EXPECT_EQ(read.layout, state.layout);
        EXPECT_EQ(read.sortColumn, 1);
        EXPECT_EQ(read.sortAscending, 0);
        EXPECT_EQ(read.filter.status, 3);
        EXPECT_EQ(read.filter.type, 2);
        EXPECT_EQ(read.filter.dateMode, 2);
        EXPECT_EQ(read.filter.days, 10);
        EXPECT_EQ(read.filter.from, 1700000000);
        EXPECT_EQ(read.filter.to, 1700086400);
        EXPECT_EQ(link.GetSymbolGroup(), 5);
        EXPECT_EQ(read.grid, 0);
    });
}

TEST(ReportViewState, OlderOrderStatusRecordsLackTheTypeWordAndTheGridFlag)
{
    // Version 14: no Type word.
    const std::string v14 = Words({1, 6, 80, -1u, 1, 1, 0, 5, 100, 200, 2, 0});
    LoadFromString(v14, [&](CArchive& ar) {
        COrderStatusViewState read;
        CLinkState link = SymbolLink(1);
        ASSERT_TRUE(LoadOrderStatusState(ar, 14, read, link));
        EXPECT_EQ(read.filter.status, 1);
        EXPECT_EQ(read.filter.type, 0);
        EXPECT_EQ(read.filter.dateMode, 0);
        EXPECT_EQ(read.filter.days, 5);
        EXPECT_EQ(read.filter.from, 100);
        EXPECT_EQ(link.GetSymbolGroup(), 2);
        EXPECT_EQ(read.grid, 0);
        EXPECT_EQ(ar.GetRemaining(), 0u);
    });
    // Version 9: neither; the grid stays on.
    const std::string v9 = Words({0, -1u, 1, 4, 3, 7, 100, 200, 9});
    LoadFromString(v9, [&](CArchive& ar) {
        COrderStatusViewState read;
        CLinkState link = SymbolLink(1);
        ASSERT_TRUE(LoadOrderStatusState(ar, 9, read, link));
        EXPECT_EQ(read.filter.status, 4);
        EXPECT_EQ(read.filter.dateMode, 3);
        EXPECT_EQ(read.filter.days, 7);
        EXPECT_EQ(link.GetSymbolGroup(), 9);
        EXPECT_EQ(read.grid, 1);
    });
}

TEST(ReportViewState, OutOfRangeWordsReadAsDefaultsAndABadLinkFailsTheLoad)
{
    // Sort column 5 of a two-column layout, status 99, type 7, date mode -3, days 500.
    const std::string bytes = Words({2, 0, 80, 1, 80, 5, 1, 99, 7, -3u, 500, 0, 0, 3, 1});
    LoadFromString(bytes, [&](CArchive& ar) {
        COrderStatusViewState read;
        CLinkState link = SymbolLink(1);
        ASSERT_TRUE(LoadOrderStatusState(ar, 19, read, link));
        EXPECT_EQ(read.sortColumn, -1);
        EXPECT_EQ(read.filter.status, 0);
        EXPECT_EQ(read.filter.type, 0);
        EXPECT_EQ(read.filter.dateMode, 0);
        EXPECT_EQ(read.filter.days, 0);
    });
    const std::string badLink = Words({0, -1u, 1, 0, 0, 0, 0, 0, 0, 42, 1});
    LoadFromString(badLink, [&](CArchive& ar) {
        COrderStatusViewState read;
        CLinkState link = SymbolLink(1);
        EXPECT_FALSE(LoadOrderStatusState(ar, 19, read, link));
        EXPECT_EQ(link.GetSymbolGroup(), 1);
    });
    const std::string truncated = Words({0, -1u, 1, 0, 0});
    EXPECT_THROW(LoadFromString(truncated,
                      [&](CArchive& ar) {
                          COrderStatusViewState read;
                          CLinkState link = SymbolLink(1);
                          LoadOrderStatusState(ar, 19, read, link);
                      }),
                 CArchiveException);
}

TEST(ReportViewState, SavedOrdersAndBalancesRecords)
{
    CSavedOrdersViewState saved;
    saved.layout = {{3, 70}};
    saved.sortColumn = 0;
    saved.sortAscending = 1;
    saved.grid = 1;
    const std::string bytes = StoreToString([&](CArchive& ar) { EXPECT_TRUE(StoreSavedOrdersState(ar, saved, SymbolLink(0))); });
    EXPECT_EQ(bytes, Words({1, 3, 70, 0, 1, 0, 1}));
    LoadFromString(bytes, [&](CArchive& ar) {
        CSavedOrdersViewState read;
        read.grid = 0;
        CLinkState link = SymbolLink(1);
        ASSERT_TRUE(LoadSavedOrdersState(ar, read, link));
        EXPECT_EQ(read.layout, saved.layout);
        EXPECT_EQ(read.sortColumn, 0);
        EXPECT_EQ(link.GetSymbolGroup(), 0);
        EXPECT_EQ(read.grid, 1);
    });

    CBalanceViewState balances;
    balances.grid = 0;
    balances.widths = {200, 90, 110};
    EXPECT_EQ(StoreToString([&](CArchive& ar) { StoreBalanceState(ar, balances); }), Words({0, 200, 90, 110}));
    // Version 17 reads the grid flag only; version 18 the widths' low 16 bits; 9 nothing.
    LoadFromString(Words({0, 200, 90, 110}), [&](CArchive& ar) {
        CBalanceViewState read;
        LoadBalanceState(ar, 17, read);
        EXPECT_EQ(read.grid, 0);
        EXPECT_EQ(read.widths, (std::array<int, 3>{150, 100, 100}));
    });
    LoadFromString(Words({1, 0x10000 + 200, 90, 110}), [&](CArchive& ar) {
        CBalanceViewState read;
        LoadBalanceState(ar, 18, read);
        EXPECT_EQ(read.grid, 1);
        EXPECT_EQ(read.widths, (std::array<int, 3>{200, 90, 110}));
    });
    LoadFromString(Words({0}), [&](CArchive& ar) {
        CBalanceViewState read;
        LoadBalanceState(ar, 9, read);
        EXPECT_EQ(read.grid, 1);
        EXPECT_EQ(ar.GetRemaining(), 4u);
    });
}
