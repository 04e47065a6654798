// The Level I window offscreen over a quote store fed by hand: sorting by header clicks,
// column order, exports, symbol files, titles of the modes, portfolios, the workspace
// record, default layouts and what the grid draws.
#include "Level1Harness.h"
#include "tests/support/ColumnFitting.h"

#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/QuoteFields.h"
#include "broker/session/SessionConfig.h"
#include "common/services/CLinkState.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CHeaderCtrl.h"
#include "views/CPortfolio.h"
#include "views/Level1Layout.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>
#include <numeric>
#include <set>
#include <thread>
#include <utility>

namespace {

class Level1ViewTest : public ::testing::Test {
protected:
    Level1ViewTest() : m_manager(QX_BROKER_SESSION_DIR, CSessionConfig{}, nullptr, nullptr)
    {
        InitFormulaNames();
        CSessionManager::Install(&m_manager);
    }
    ~Level1ViewTest() override
    {
        m_harness.reset();
        if (m_engine) {
            CFormulaEngine::Install(nullptr);
            m_engine->Stop();
        }
        CSessionManager::Install(nullptr);
    }
    void StartEngine()
    {
        m_engine = std::make_unique<CFormulaEngine>();
        m_engine->Start();
        CFormulaEngine::Install(m_engine.get());
    }
    void Quote(const char* symbol, double last, const char* description = nullptr)
    {
        CQuoteMessage q;
        q.m_symbol = symbol;
        q.AddField(kFieldLast, last);
        q.AddField(kFieldYesterdayClose, 100);
        if (description)
            q.AddText(kFieldDescription, description);
        m_manager.GetQuoteStore().ApplyQuote(q);
    }
    std::vector<CString> Rows(Level1View& view)
    {
        std::vector<CString> rows;
        for (int i = 0; i < view.Grid().GetItemCount(); ++i)
            rows.push_back(view.Grid().RowAt(i)->IsTotals() ? CString("<total>") : view.Grid().GetRowSymbol(i));
        return rows;
    }
    // A grid 420 x 400 filling a window of its own: Symbol, Last, Change and Description,
    // and rows R00, R01, ... (their symbols), row i quoted at a Last of 100 + i * step with a
    // long description.
    void ShowRows(CWnd& host, CListCtrlEx& grid, UINT id, int rows, double step, std::vector<CString>& symbols)
    {
        host.Create(nullptr, "grid", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 420, 400), nullptr, 0);
        grid.CreateGrid(&host, id, nullptr);
        grid.MoveWindow(0, 0, 420, 400);
        grid.InsertGridColumn(-1, 60, MakeCatalogueColumn(kGridSymbol));
        grid.InsertGridColumn(-1, 80, MakeCatalogueColumn(kFieldLast));
        grid.InsertGridColumn(-1, 80, MakeCatalogueColumn(kGridChange));
        grid.InsertGridColumn(-1, 160, MakeCatalogueColumn(kGridDescription));
        for (int i = 0; i < rows; ++i) {
            CString symbol;
            symbol.Format("R%02d", i);
            symbols.push_back(symbol);
            ASSERT_TRUE(grid.InsertRow(symbol, nullptr, 0));
            Quote(symbol, 100 + i * step, "A company with a long name");
        }
    }
    int ColumnOf(Level1View& view, int fieldId)
    {
        for (int c = 0; c < view.Grid().GetColumnCount(); ++c)
            if (const CGridColumn* column = view.Grid().ColumnAt(c); column && column->fieldId == fieldId)
                return c;
        return -1;
    }

    CSessionManager m_manager;
    std::unique_ptr<CFormulaEngine> m_engine;
    std::unique_ptr<CLevel1Harness> m_harness = std::make_unique<CLevel1Harness>();
};

} // namespace

TEST_F(Level1ViewTest, ANewWindowHasTheDefaultColumnsAndItsTitle)
{
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument()->GetTitle(), "Level I (Screener Off)");
    EXPECT_GE(ColumnOf(*view, kGridSymbol), 0);
    EXPECT_GE(ColumnOf(*view, kFieldLast), 0);
    EXPECT_TRUE(view->HasGridLines());
    // Titles, a long company name and a volume in the millions show whole.
    CListCtrlEx& grid = view->Grid();
    for (int column = 0; column < grid.GetColumnCount(); ++column)
        EXPECT_GE(grid.GetColumnWidth(column), NeededColumnWidth(grid, grid.ColumnAt(column)->HeaderText().GetString()))
            << grid.ColumnAt(column)->HeaderText().GetString();
    ASSERT_GE(ColumnOf(*view, kGridDescription), 0);
    ASSERT_GE(ColumnOf(*view, kFieldVolume), 0);
    EXPECT_GE(grid.GetColumnWidth(ColumnOf(*view, kGridDescription)),
              NeededColumnWidth(grid, "International Business Machines"));
    EXPECT_GE(grid.GetColumnWidth(ColumnOf(*view, kFieldVolume)), NeededColumnWidth(grid, "12,345,678"));
    view->SetUserTitle("My list");
    EXPECT_EQ(view->GetDocument()->GetTitle(), "My list");

    // A saved default layout is what the next window shows.
    view->Grid().DeleteAllGridColumns();
    view->AddColumn(ID_ADD_COLUMN_FIRST + kFieldVolume);
    view->AddColumn(ID_ADD_COLUMN_FIRST + kGridSymbol);
    view->SetLayoutAsDefault();
    Level1View* next = m_harness->Open();
    ASSERT_NE(next, nullptr);
    ASSERT_EQ(next->Grid().GetColumnCount(), 2);
    EXPECT_EQ(next->Grid().ColumnAt(0)->fieldId, kFieldVolume);
    EXPECT_EQ(next->Grid().ColumnAt(1)->fieldId, kGridSymbol);
}

TEST_F(Level1ViewTest, HeaderTitlesSitLikeTheirColumnsCells)
{
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    CListCtrlEx& grid = view->Grid();
    auto headerFormat = [&](int column) {
        LVCOLUMN info;
        info.mask = LVCF_FMT;
        EXPECT_TRUE(grid.GetColumn(column, &info));
        return info.fmt;
    };
    const int symbol = ColumnOf(*view, kGridSymbol);
    const int last = ColumnOf(*view, kFieldLast);
    ASSERT_GE(symbol, 0);
    ASSERT_GE(last, 0);
    EXPECT_EQ(headerFormat(symbol), LVCFMT_LEFT); // text
    EXPECT_EQ(headerFormat(last), LVCFMT_RIGHT);  // a price
    grid.SetColumnProperties(last, kAlignCenter, 0, 2, {}, nullptr);
    EXPECT_EQ(headerFormat(last), LVCFMT_CENTER);
}

TEST_F(Level1ViewTest, HeaderClicksSortUpDownAndOff)
{
    Level1View* view = m_harness->Open();
    view->InsertSymbols({"BBB", "AAA", "CCC"});
    Quote("AAA", 30);
    Quote("BBB", 10);
    Quote("CCC", 20);
    view->Grid().InsertTotalsRow();
    const int last = ColumnOf(*view, kFieldLast);
    view->Grid().ClickHeader(last);
    EXPECT_EQ(Rows(*view), (std::vector<CString>{"BBB", "CCC", "AAA", "<total>"}));
    view->Grid().ClickHeader(last);
    EXPECT_EQ(Rows(*view), (std::vector<CString>{"AAA", "CCC", "BBB", "<total>"}));
    EXPECT_EQ(view->Grid().GetSortColumn(), last);
    view->Grid().ClickHeader(last);
    EXPECT_EQ(view->Grid().GetSortColumn(), -1);
    // Unsorted: the order stays as it was.
    Quote("BBB", 99);
    view->Grid().RefreshNow();
    EXPECT_EQ(Rows(*view), (std::vector<CString>{"AAA", "CCC", "BBB", "<total>"}));
    // Row # never sorts.
    view->AddColumn(ID_ADD_COLUMN_FIRST + kGridRowNumber);
    view->Grid().ClickHeader(ColumnOf(*view, kGridRowNumber));
    EXPECT_EQ(view->Grid().GetSortColumn(), -1);
    // Deleting the sort column ends the sort.
    view->Grid().ClickHeader(last);
    view->Grid().DeleteGridColumn(last);
    EXPECT_EQ(view->Grid().GetSortColumn(), -1);
}

TEST_F(Level1ViewTest, ColumnsFromTheHeaderMenuGoRightAfterTheClickedOne)
{
    Level1View* view = m_harness->Open();
    CListCtrlEx& grid = view->Grid();
    grid.ApplyLayout({{MakeCatalogueColumn(kGridSymbol), 60}, {MakeCatalogueColumn(kFieldLast), 60},
                      {MakeCatalogueColumn(kFieldBid), 60}});
    // Drag Bid to the front, then add Volume after Symbol.
    int order[] = {2, 0, 1};
    ASSERT_TRUE(grid.SetColumnOrderArray(3, order));
    ASSERT_TRUE(view->AddColumn(ID_ADD_COLUMN_FIRST + kFieldVolume, 0));
    std::vector<int> ids;
    for (const CLayoutColumn& c : grid.GetLayout())
        ids.push_back(c.column.fieldId);
    EXPECT_EQ(ids, (std::vector<int>{kFieldBid, kGridSymbol, kFieldVolume, kFieldLast}));
    // Add-column commands beyond the defined custom fields do nothing.
    EXPECT_FALSE(view->AddColumn(ID_ADD_CUSTOM_FIELD_FIRST + 3));
    EXPECT_EQ(grid.GetColumnCount(), 4);
}

// The grid's menus show the documented texts, and every other item has a letter of its own:
// the row menu, the Level I menu of the space below the rows (with the Screener popup before
// Actives, sharing its letter with Save Symbol List) and the header's column menu.
TEST_F(Level1ViewTest, TheGridsMenusShowTheDocumentedTexts)
{
    using namespace qx::testsupport;
    Level1View* view = m_harness->Open();
    CListCtrlEx& grid = view->Grid();
    view->InsertSymbols({"AAPL"});
    ASSERT_EQ(grid.GetItemCount(), 1);
    std::set<std::pair<UINT, bool>> met;
    for (int item : {0, -1}) {
        m_harness->answers->menuRules = DocumentedRules(item < 0 ? kLevel1Menu : kLevel1RowMenu);
        m_harness->answers->menuRules->met = &met;
        NMITEMACTIVATE click{};
        click.iItem = item;
        grid.SendListNotify(NM_RCLICK, &click.hdr);
    }
    grid.GetHeaderCtrl()->NotifyParent(NM_RCLICK);
    EXPECT_EQ(m_harness->answers->menusShown, 3);
    EXPECT_EQ(m_harness->answers->menuFaults, "");
    for (const std::pair<UINT, bool>& item : {std::pair<UINT, bool>{34390, false}, {32943, true}, {32903, false},
                                              {ID_GRID_COLUMN_PROPERTIES, false}, {ID_GRID_DELETE_COLUMN, false}})
        EXPECT_TRUE(met.count(item)) << item.first << " not in the menus shown";
}

TEST_F(Level1ViewTest, ExportWritesTheHeaderAndCellsAsShown)
{
    Level1View* view = m_harness->Open();
    view->Grid().ApplyLayout({{MakeCatalogueColumn(kGridSymbol), 60}, {MakeCatalogueColumn(kGridDescription), 120},
                              {MakeCatalogueColumn(kFieldLast), 60}});
    view->InsertSymbols({"AAPL", "+MSFT_012027C300"});
    Quote("AAPL", 190.5, "Apple, Inc.");
    Quote("+MSFT_012027C300", 4.25, "MSFT Jan 2027 300 Call");
    const CString path = CString(m_harness->Path("out.csv"));
    ASSERT_TRUE(view->ExportData(path));
    EXPECT_EQ(m_harness->Read("out.csv"), "Symbol,Description,Last\n"
                                          "AAPL,\"Apple, Inc.\",190.50\n"
                                          " +MSFT_012027C300,MSFT Jan 2027 300 Call,4.25\n");
    ASSERT_TRUE(view->ExportData(CString(m_harness->Path("out.txt"))));
    EXPECT_EQ(m_harness->Read("out.txt").substr(0, 24), "Symbol\tDescription\tLast\n");
    EXPECT_EQ(view->GetSymbolsText(), "AAPL +MSFT_012027C300");
}

TEST_F(Level1ViewTest, ExportDataWritesTheFileTypeChosenInItsDialog)
{
    Level1View* view = m_harness->Open();
    view->Grid().ApplyLayout({{MakeCatalogueColumn(kGridSymbol), 60}, {MakeCatalogueColumn(kGridDescription), 120}});
    view->InsertSymbols({"AAPL"});
    Quote("AAPL", 190.5, "Apple, Inc.");
    // "quotes" typed, "Space Delimited Files" chosen.
    m_harness->answers->file = CString(m_harness->Path("SpreadSheets/quotes"));
    m_harness->answers->fileType = 3;
    view->SendMessage(WM_COMMAND, ID_L1_EXPORT);
    ASSERT_FALSE(m_harness->answers->requests.empty());
    EXPECT_EQ(m_harness->answers->requests.back().initialDir, m_harness->settings.GetFilePath("SpreadSheets"));
    EXPECT_FALSE(std::filesystem::exists(m_harness->Path("SpreadSheets/quotes")));
    EXPECT_EQ(m_harness->Read("SpreadSheets/quotes.prn"), "Symbol Description\nAAPL \"Apple, Inc.\"\n");
    // "Excel Comma Delimited Files" chosen.
    m_harness->answers->file = CString(m_harness->Path("SpreadSheets/quotes"));
    m_harness->answers->fileType = 1;
    view->SendMessage(WM_COMMAND, ID_L1_EXPORT);
    EXPECT_EQ(m_harness->Read("SpreadSheets/quotes.csv"), "Symbol,Description\nAAPL,\"Apple, Inc.\"\n");
}

TEST_F(Level1ViewTest, SymbolListFilesNameTheWindow)
{
    Level1View* view = m_harness->Open();
    m_harness->Write("Tech.sym", "IBM\r\nMSFT\r\n" + std::string(70, 'Q') + "\n");
    ASSERT_TRUE(view->LoadSymbolList(CString(m_harness->Path("Tech.sym"))));
    EXPECT_EQ(view->GetMode(), kModeSymbolList);
    EXPECT_EQ(view->GetDocument()->GetTitle(), "Tech Symbol List (Screener Off)");
    EXPECT_EQ(Rows(*view), (std::vector<CString>{"IBM", "MSFT", CString(std::string(70, 'Q'))}));
    view->Grid().InsertTotalsRow();
    ASSERT_TRUE(view->SaveSymbolList(CString(m_harness->Path("out.sym"))));
    EXPECT_EQ(m_harness->Read("out.sym"), "IBM\nMSFT\n" + std::string(70, 'Q') + "\n");
    EXPECT_FALSE(view->LoadSymbolList(CString(m_harness->Path("missing.sym"))));
    EXPECT_EQ(m_harness->answers->boxes.size(), 1u);
    EXPECT_EQ(view->GetMode(), kModeSymbolList); // unchanged
}

TEST_F(Level1ViewTest, PortfoliosShowTheirPositionsAndTotals)
{
    CPortfolioPosition p;
    p.symbol = "IBM";
    p.shares = 10;
    p.basePrice = 100;
    StorePortfolios(m_harness->settings, {{"Growth", {p}}, {"Income", {}}});
    Level1View* view = m_harness->Open();
    EXPECT_FALSE(view->ShowPortfolio(2)); // beyond the last: nothing changes
    EXPECT_EQ(view->GetMode(), kModeNone);
    ASSERT_TRUE(view->ShowPortfolio(0));
    EXPECT_EQ(view->GetDocument()->GetTitle(), "Growth Portfolio (Screener Off)");
    EXPECT_EQ(Rows(*view), (std::vector<CString>{"IBM", "<total>"}));
    view->RemoveAll();
    EXPECT_EQ(view->GetDocument()->GetTitle(), "Level I (Screener Off)");
    EXPECT_TRUE(Rows(*view).empty());
}

TEST_F(Level1ViewTest, WorkspaceRecordBringsTheWindowBack)
{
    CPortfolioPosition p;
    p.symbol = "GE";
    p.shares = 5;
    StorePortfolios(m_harness->settings, {{"Income", {}}, {"Growth", {p}}});
    Level1View* view = m_harness->Open();
    ASSERT_TRUE(view->ShowPortfolio(1));
    view->InsertSymbols({"IBM"});
    view->SetUserTitle("Mine");
    view->SetGridLines(false);
    const int last = ColumnOf(*view, kFieldLast);
    view->Grid().SetSortColumn(last, false);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ASSERT_TRUE(view->SaveToWorkspace(ar));
        ar.Close();
    }
    const std::vector<BYTE> bytes = file.Detach();
    // The portfolios change order: the window still finds its portfolio by name.
    StorePortfolios(m_harness->settings, {{"Growth", {p}}, {"Income", {}}});
    Level1View* again = m_harness->Open();
    CMemFile in(bytes.data(), bytes.size());
    CArchive ar(&in, CArchive::load);
    ASSERT_TRUE(again->LoadFromWorkspace(ar, 19));
    EXPECT_EQ(again->GetMode(), kModePortfolio);
    EXPECT_EQ(again->GetModeParameter(), "Growth");
    EXPECT_EQ(again->GetDocument()->GetTitle(), "Mine");
    EXPECT_FALSE(again->HasGridLines());
    EXPECT_EQ(again->Grid().GetSortColumn(), last);
    EXPECT_FALSE(again->Grid().IsSortAscending());
    std::vector<CString> rows = Rows(*again);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<CString>{"<total>", "GE", "IBM"}));
}

TEST_F(Level1ViewTest, GridDrawsRulesAndColourBoxes)
{
    StartEngine();
    Level1View* view = m_harness->Open();
    CListCtrlEx& grid = view->Grid();
    CGridColumn last = MakeCatalogueColumn(kFieldLast);
    last.rules = {{kRuleGreater, 50, RGB(255, 255, 255), RGB(0, 0, 160)}};
    const std::vector<CColorRule> boxes = {{kRuleGreater, 50, RGB(0, 200, 0), 0}};
    grid.ApplyLayout({{MakeCatalogueColumn(kGridSymbol), 60}, {last, 80},
                      {MakeColorFieldColumn("Trend", "Last", 3, boxes), 90}});
    view->InsertSymbols({"IBM"});
    Quote("IBM", 75);
    ASSERT_TRUE(PumpUntil([&] { return grid.Model().ColorBox(*grid.RowAt(0), grid.ModelOf(2), 0).has_value(); }));
    grid.RefreshNow();
    PumpFor(30);
    CRect rule, trend;
    ASSERT_TRUE(grid.GetSubItemRect(0, 1, LVIR_BOUNDS, rule));
    ASSERT_TRUE(grid.GetSubItemRect(0, 2, LVIR_BOUNDS, trend));
    EXPECT_EQ(GridPixel(grid, rule.left + 3, rule.top + 3), RGB(0, 0, 160));
    // Three boxes of a third of the width each, all green.
    const int third = trend.Width() / 3;
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(GridPixel(grid, trend.left + k * third + third / 2, trend.CenterPoint().y), RGB(0, 200, 0)) << k;
    // A value no rule holds for leaves the boxes unfilled.
    Quote("IBM", 25);
    grid.RefreshNow();
    PumpFor(30);
    EXPECT_NE(GridPixel(grid, trend.left + third / 2, trend.CenterPoint().y), RGB(0, 200, 0));
    EXPECT_NE(GridPixel(grid, rule.left + 3, rule.top + 3), RGB(0, 0, 160));
}

TEST_F(Level1ViewTest, RowsMoveAndTakeNewSymbolsAndTheFontSetsTheirHeight)
{
    Level1View* view = m_harness->Open();
    CListCtrlEx& grid = view->Grid();
    view->InsertSymbols({"AAA", "BBB", "CCC"});
    grid.MoveRow(0, 2); // dropped below the last row
    EXPECT_EQ(Rows(*view), (std::vector<CString>{"BBB", "CCC", "AAA"}));
    // A label edit replaces the row by one of the new symbol at the same place.
    std::vector<char> text{'g', 'e', '\0'};
    NMLVDISPINFO info;
    info.item.iItem = 1;
    info.item.pszText = text.data();
    grid.SendListNotify(LVN_ENDLABELEDIT, &info.hdr);
    EXPECT_EQ(Rows(*view), (std::vector<CString>{"BBB", "GE", "AAA"}));
    EXPECT_EQ(grid.RowAt(1)->Tag(), 1);

    CRect before, after;
    ASSERT_TRUE(grid.GetItemRect(0, &before, LVIR_BOUNDS));
    CFontInfo big = m_harness->settings.m_quoteFont;
    big.height = 30;
    view->SetListFont(big, RGB(0, 0, 255));
    PumpFor(30);
    ASSERT_TRUE(grid.GetItemRect(0, &after, LVIR_BOUNDS));
    EXPECT_GT(after.Height(), before.Height() + 10);
}

TEST_F(Level1ViewTest, AnEditedColourFieldKeepsItsPlaceAndWidth)
{
    Level1View* view = m_harness->Open();
    CListCtrlEx& grid = view->Grid();
    grid.ApplyLayout({{MakeCatalogueColumn(kGridSymbol), 60}, {MakeColorFieldColumn("Trend", "Last", 3, {}), 97},
                      {MakeCatalogueColumn(kFieldLast), 60}});
    grid.ReplaceColumn(1, MakeColorFieldColumn("Trend 5", "Last>10", 5, {}));
    const std::vector<CLayoutColumn> layout = grid.GetLayout();
    ASSERT_EQ(layout.size(), 3u);
    EXPECT_EQ(layout[1].column.name, "Trend 5");
    EXPECT_EQ(layout[1].column.barCount, 5);
    EXPECT_EQ(layout[1].width, 97);
    EXPECT_EQ(layout[2].column.fieldId, kFieldLast);
}

TEST_F(Level1ViewTest, PrintingWritesTheRowsOfTheGrid)
{
    Level1View* view = m_harness->Open();
    view->InsertSymbols({"AAA", "BBB"});
    Quote("AAA", 12.5);
    const std::string pdf = m_harness->Path("level1.pdf");
    ASSERT_TRUE(view->Print(pdf.c_str()));
    EXPECT_GT(std::filesystem::file_size(pdf), 500u);
    // The printer reads the cell texts the grid stored for it.
    EXPECT_EQ(view->Grid().GetItemText(0, ColumnOf(*view, kFieldLast)), "12.50");
}

TEST_F(Level1ViewTest, OnlyARowTheUserChoosesIsBroadcastAndNeverBackToItsOwnWindow)
{
    Level1View* view = m_harness->Open();
    CListCtrlEx& grid = view->Grid();
    view->InsertSymbols({"NASD:AAA", "BBB", "CCC"});
    auto clickRow = [&](int row) {
        CRect rect;
        ASSERT_TRUE(grid.GetItemRect(row, &rect, LVIR_BOUNDS));
        MouseClick(grid.GetWidget(), QPoint(rect.left + 20, (rect.top + rect.bottom) / 2));
        PumpFor(10);
    };
    // A selection the program makes is no choice of the user.
    grid.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(m_harness->main->broadcasts.empty());
    // A click on a row broadcasts its symbol once, without the exchange; another click on
    // the selected row broadcasts it again.
    clickRow(0);
    ASSERT_EQ(m_harness->main->broadcasts.size(), 1u);
    EXPECT_EQ(m_harness->main->broadcasts[0].first, view);
    EXPECT_EQ(m_harness->main->broadcasts[0].second, "AAA");
    clickRow(0);
    EXPECT_EQ(m_harness->main->broadcasts.size(), 2u);
    clickRow(2);
    ASSERT_EQ(m_harness->main->broadcasts.size(), 3u);
    EXPECT_EQ(m_harness->main->broadcasts[2].second, "CCC");
    // Rows the program removes, moves or sorts move the selection without a broadcast.
    grid.DeleteRow(2);
    grid.MoveRow(1, 0);
    grid.SetSortColumn(0, false);
    EXPECT_EQ(m_harness->main->broadcasts.size(), 3u);
    EXPECT_EQ(grid.GetItemCount(), 2);
    view->InsertSymbols({"CCC"});
    grid.SetSortColumn(-1, true);
    grid.MoveRow(2, 1);
    EXPECT_EQ(Rows(*view), (std::vector<CString>{"CCC", "AAA", "BBB"}));
    EXPECT_EQ(m_harness->main->broadcasts.size(), 3u);
    clickRow(0);
    EXPECT_EQ(m_harness->main->broadcasts.size(), 4u);
    EXPECT_EQ(grid.GetSelectedSymbol(), "CCC");
    // A double click on a cell without a trade of its own sets up an alert for the row.
    grid.ApplyLayout({{MakeCatalogueColumn(kGridSymbol), 60}, {MakeCatalogueColumn(kFieldVolume), 60}});
    NMITEMACTIVATE twice;
    twice.iItem = 2;
    twice.iSubItem = 1;
    grid.SendListNotify(NM_DBLCLK, &twice.hdr);
    EXPECT_EQ(m_harness->main->alertSetups, 1);
    EXPECT_EQ(m_harness->main->symbol, "BBB");
    // A symbol sent to the window (its link group accepts it) becomes a row of the user.
    CSymbolIntervalMsg msg{"ge", "", false};
    view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkBroadcastAll), reinterpret_cast<LPARAM>(&msg));
    EXPECT_EQ(Rows(*view).back(), "GE");
    EXPECT_EQ(grid.RowAt(3)->Tag(), 1);
}

namespace {

// A grid that notes the rows it draws.
class CCountingGrid : public CListCtrlEx {
public:
    void DrawItem(LPDRAWITEMSTRUCT draw) override
    {
        drawn.push_back(static_cast<int>(draw->itemID));
        CListCtrlEx::DrawItem(draw);
    }
    // The rows drawn for one refresh: DrawItem's calls in it and in the paints it asked for.
    std::vector<int> RefreshAndPaint()
    {
        drawn.clear();
        RefreshNow();
        DeliverPosted();
        return drawn;
    }
    std::vector<int> drawn;
};

} // namespace

// The 500 ms refresh repaints a row when something it shows changed, and nothing when
// nothing did; the sort still follows the changed values.
TEST_F(Level1ViewTest, RefreshRepaintsOnlyRowsWhoseCellsChanged)
{
    CWnd host;
    host.Create(nullptr, "grid", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 500, 300), nullptr, 0);
    CCountingGrid grid;
    grid.CreateGrid(&host, 1002, nullptr);
    grid.MoveWindow(0, 0, 500, 300);
    grid.InsertGridColumn(-1, 60, MakeCatalogueColumn(kGridRowNumber));
    grid.InsertGridColumn(-1, 60, MakeCatalogueColumn(kGridSymbol));
    grid.InsertGridColumn(-1, 80, MakeCatalogueColumn(kFieldLast));
    grid.InsertGridColumn(-1, 80, MakeCatalogueColumn(kGridChange));
    for (const char* symbol : {"AA", "BB", "CC", "DD"}) {
        ASSERT_TRUE(grid.InsertRow(symbol, nullptr, 0));
        Quote(symbol, 100);
    }
    auto refresh = [&] {
        grid.drawn.clear();
        grid.RefreshNow();
        PumpFor(30);
        std::sort(grid.drawn.begin(), grid.drawn.end());
        grid.drawn.erase(std::unique(grid.drawn.begin(), grid.drawn.end()), grid.drawn.end());
        return grid.drawn;
    };
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), refresh()); // first shown
    EXPECT_EQ(std::vector<int>{}, refresh());
    // A new Last: its row (Last, its highlight and Change) and no other.
    const CString lastBefore = grid.GetCellText(1, 2), changeBefore = grid.GetCellText(1, 3);
    Quote("BB", 101.5);
    EXPECT_EQ(std::vector<int>{1}, refresh());
    EXPECT_NE(lastBefore, grid.GetCellText(1, 2));
    EXPECT_NE(changeBefore, grid.GetCellText(1, 3));
    EXPECT_EQ(std::vector<int>{}, refresh());
    // The same Last again changes nothing that shows, nor does a selected row.
    Quote("CC", 100);
    EXPECT_EQ(std::vector<int>{}, refresh());
    grid.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    PumpFor(30);
    EXPECT_EQ(std::vector<int>{}, refresh());
    // Sorted by Last, highest first: BB leads. Then DD overtakes it: the rows move and
    // those that show something else are repainted.
    grid.SetSortColumn(2, false);
    PumpFor(30);
    EXPECT_EQ((std::vector<CString>{"BB", "AA", "CC", "DD"}), (std::vector<CString>{
        grid.GetRowSymbol(0), grid.GetRowSymbol(1), grid.GetRowSymbol(2), grid.GetRowSymbol(3)}));
    refresh();
    Quote("DD", 103);
    const std::vector<int> moved = refresh();
    EXPECT_EQ((std::vector<CString>{"DD", "BB", "AA", "CC"}), (std::vector<CString>{
        grid.GetRowSymbol(0), grid.GetRowSymbol(1), grid.GetRowSymbol(2), grid.GetRowSymbol(3)}));
    EXPECT_EQ("1", grid.GetCellText(0, 0));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), moved);
    EXPECT_EQ(std::vector<int>{}, refresh());
    grid.DestroyWindow();
    host.DestroyWindow();
}

namespace {

// What the window shows of a widget: its pixels in the backing store of its window, as they
// are, without painting anything.
QImage ShownPixels(QWidget* widget)
{
    QWidget* window = widget->window();
    const QPoint at = widget->mapTo(window, QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(window->winId(), at.x(), at.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The widget rendered anew from what it holds now.
QImage FreshPixels(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int DifferingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return differing;
}

// The pixels inside a rectangle of an image whose colour is mostly green (up) or mostly red
// (down), as text drawn in those colours shows.
int PixelsLeaning(const QImage& image, const CRect& r, bool green)
{
    int count = 0;
    for (int y = std::max(0, static_cast<int>(r.top)); y < std::min(image.height(), static_cast<int>(r.bottom)); ++y)
        for (int x = std::max(0, static_cast<int>(r.left)); x < std::min(image.width(), static_cast<int>(r.right));
             ++x) {
            const QRgb p = image.pixel(x, y);
            const int lead = green ? qGreen(p) : qRed(p);
            const int other = green ? std::max(qRed(p), qBlue(p)) : std::max(qGreen(p), qBlue(p));
            count += lead - other > 80 ? 1 : 0;
        }
    return count;
}

// Another window over the left part of a widget, from its top, shown and painted.
std::unique_ptr<QWidget> CoverLeft(QWidget* widget, int width, int height)
{
    auto cover = std::make_unique<QWidget>(widget->parentWidget());
    cover->setAutoFillBackground(true);
    cover->setGeometry(0, 0, width, height);
    cover->show();
    cover->raise();
    DeliverPosted();
    return cover;
}

} // namespace

// After a quote, whatever repaints part of the grid in between (a sideways scroll, a window
// moved off it, a column resized, a new sort, a new font), the refreshes leave the window
// showing what a fresh rendering of the grid shows: no row keeps an old price.
TEST_F(Level1ViewTest, TheWindowShowsTheNewPricesAfterPartialRepaints)
{
    CWnd host;
    host.Create(nullptr, "grid", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0);
    CListCtrlEx grid;
    grid.CreateGrid(&host, 1003, nullptr);
    grid.MoveWindow(0, 0, 300, 200);
    grid.InsertGridColumn(-1, 60, MakeCatalogueColumn(kGridSymbol));
    grid.InsertGridColumn(-1, 80, MakeCatalogueColumn(kFieldLast));
    grid.InsertGridColumn(-1, 80, MakeCatalogueColumn(kGridChange));
    grid.InsertGridColumn(-1, 200, MakeCatalogueColumn(kGridDescription));
    for (const char* symbol : {"AA", "BB", "CC"}) {
        ASSERT_TRUE(grid.InsertRow(symbol, nullptr, 0));
        Quote(symbol, 100, "A company with a long name");
    }
    auto* tree = dynamic_cast<QTreeView*>(grid.GetWidget());
    ASSERT_NE(tree, nullptr);
    auto refresh = [&] {
        for (int i = 0; i < 3; ++i) {
            grid.RefreshNow();
            DeliverPosted();
        }
    };
    auto rowOf = [&](const char* symbol) {
        for (int i = 0; i < grid.GetItemCount(); ++i)
            if (grid.GetRowSymbol(i) == symbol)
                return i;
        return -1;
    };
    // The Change cell of a row in the window's pixels (client coordinates of the grid).
    auto changeCell = [&](const char* symbol) {
        CRect cell;
        EXPECT_TRUE(grid.GetSubItemRect(rowOf(symbol), 2, LVIR_BOUNDS, cell));
        return cell;
    };
    auto showsFresh = [&](const char* step) {
        const QImage shown = ShownPixels(tree);
        const QImage fresh = FreshPixels(tree);
        EXPECT_EQ(DifferingPixels(shown, fresh), 0) << step;
        return shown;
    };
    refresh();
    EXPECT_EQ(PixelsLeaning(showsFresh("first shown"), changeCell("AA"), true), 0); // 0.00 in black

    // AA's Last 100 -> 123.75 (Change +23.75, in green), then the grid scrolls 40 px sideways.
    Quote("AA", 123.75);
    tree->horizontalScrollBar()->setValue(40);
    DeliverPosted();
    refresh();
    EXPECT_EQ(grid.GetCellText(rowOf("AA"), 1), "123.75");
    EXPECT_GT(PixelsLeaning(showsFresh("a quote, then a sideways scroll"), changeCell("AA"), true), 0);

    // A window over the left part of the grid; BB's Last 100 -> 90.50 (Change -9.50, in red),
    // then the window goes.
    auto cover = CoverLeft(tree, 120, 200);
    Quote("BB", 90.5);
    cover->hide();
    DeliverPosted();
    cover.reset();
    refresh();
    EXPECT_EQ(grid.GetCellText(rowOf("BB"), 2), "-9.50");
    EXPECT_GT(PixelsLeaning(showsFresh("a quote, then an uncovering"), changeCell("BB"), false), 0);

    // A quote, then Last made wider.
    Quote("CC", 104.25);
    tree->header()->resizeSection(1, 120);
    DeliverPosted();
    refresh();
    showsFresh("a quote, then a column resize");

    // A quote, then sorted by Last, highest first.
    Quote("BB", 130);
    grid.ClickHeader(1);
    grid.ClickHeader(1);
    DeliverPosted();
    refresh();
    EXPECT_EQ(grid.GetRowSymbol(0), "BB");
    showsFresh("a quote, then a sort");

    // A quote, then a larger font.
    Quote("AA", 99);
    CFontInfo font;
    font.height = 18;
    grid.SetGridFont(font, RGB(0, 0, 0));
    DeliverPosted();
    refresh();
    showsFresh("a quote, then a new font");
    grid.DestroyWindow();
    host.DestroyWindow();
}

// A grid with another window over its left 120 pixels repaints on a refresh only the rows
// whose look changed, as an uncovered grid does: each row quoted while covered is repainted
// once, idle refreshes repaint nothing, one quote repaints its row. What the window hid is
// drawn when it goes, and a row quoted just before it went (its uncovered part showing the
// old price) is repainted whole; the window then shows what a fresh rendering shows.
// A column widens to the widest text it has held, price or symbol, while a description keeps
// its width; a column the trader narrows stays so until a wider text comes.
TEST_F(Level1ViewTest, ColumnsWidenToTheWidestTextTheyHeldButDescriptionsKeepTheirWidth)
{
    CWnd host;
    CListCtrlEx grid;
    std::vector<CString> symbols;
    ASSERT_NO_FATAL_FAILURE(ShowRows(host, grid, 1006, 2, 0, symbols));
    for (int column = 0; column < 4; ++column)
        grid.SetColumnWidth(column, 20);
    DeliverPosted();
    EXPECT_GE(grid.GetColumnWidth(0), NeededColumnWidth(grid, "R00"));
    EXPECT_GE(grid.GetColumnWidth(1), NeededColumnWidth(grid, "100.00"));
    EXPECT_GE(grid.GetColumnWidth(2), NeededColumnWidth(grid, "0.00"));
    EXPECT_EQ(grid.GetColumnWidth(3), 20) << "the description's";

    grid.SetColumnWidth(1, 30);
    grid.Invalidate();
    DeliverPosted();
    EXPECT_EQ(grid.GetColumnWidth(1), 30) << "as the trader left it";
    Quote(symbols[1], 12345.75);
    grid.RefreshNow();
    DeliverPosted();
    EXPECT_EQ(grid.GetCellText(1, 1), "12345.75");
    EXPECT_GE(grid.GetColumnWidth(1), NeededColumnWidth(grid, "12345.75"));
    EXPECT_GE(grid.GetColumnWidth(2), NeededColumnWidth(grid, "12245.75"));
    EXPECT_EQ(grid.GetColumnWidth(3), 20);
    grid.DestroyWindow();
    host.DestroyWindow();
}

TEST_F(Level1ViewTest, ACoveredGridRepaintsOnlyTheRowsThatChanged)
{
    constexpr int kRows = 12;
    constexpr int kCoverWidth = 120;
    CWnd host;
    CCountingGrid grid;
    std::vector<CString> symbols;
    ASSERT_NO_FATAL_FAILURE(ShowRows(host, grid, 1004, kRows, 0, symbols));
    auto* tree = dynamic_cast<QTreeView*>(grid.GetWidget());
    ASSERT_NE(tree, nullptr);
    grid.RefreshAndPaint();
    DeliverPosted();
    CRect lastRow;
    ASSERT_TRUE(grid.GetItemRect(kRows - 1, lastRow, LVIR_BOUNDS));
    ASSERT_LE(lastRow.bottom, 400) << "every row in view";

    auto cover = CoverLeft(tree, kCoverWidth, 400);
    for (int i = 0; i < kRows; ++i)
        Quote(symbols[static_cast<size_t>(i)], 100 + i + 0.25);
    std::vector<int> quoted = grid.RefreshAndPaint();
    std::sort(quoted.begin(), quoted.end());
    std::vector<int> all(kRows);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(quoted, all) << "each quoted row once";

    size_t idle = 0;
    for (int i = 0; i < 10; ++i)
        idle += grid.RefreshAndPaint().size();
    EXPECT_EQ(idle, 0u) << "rows repainted by 10 refreshes with nothing changed";
    Quote(symbols[5], 90.5);
    EXPECT_EQ(grid.RefreshAndPaint(), std::vector<int>{5});
    EXPECT_EQ(grid.GetCellText(5, 2), "-9.50");
    // The part in view shows the new prices.
    const QRect uncovered(kCoverWidth, 0, tree->width() - kCoverWidth, tree->height());
    EXPECT_EQ(DifferingPixels(ShownPixels(tree).copy(uncovered), FreshPixels(tree).copy(uncovered)), 0);

    // A quote, and the window goes before the next refresh.
    Quote(symbols[7], 123.75);
    cover->hide();
    DeliverPosted();
    cover.reset();
    DeliverPosted();
    EXPECT_EQ(grid.RefreshAndPaint(), std::vector<int>{7});
    EXPECT_EQ(grid.RefreshAndPaint(), std::vector<int>{});
    EXPECT_EQ(grid.GetCellText(7, 1), "123.75");
    EXPECT_EQ(DifferingPixels(ShownPixels(tree), FreshPixels(tree)), 0);
    grid.DestroyWindow();
    host.DestroyWindow();
}

// A refresh whose new prices re-order the rows paints each row in view once, in the clear
// and under another window, and the rows then stand in the new order: the window shows,
// where it is not covered, what a fresh rendering shows.
TEST_F(Level1ViewTest, ARefreshThatReordersTheRowsPaintsEachRowOnce)
{
    constexpr int kRows = 8;
    CWnd host;
    CCountingGrid grid;
    std::vector<CString> symbols;
    ASSERT_NO_FATAL_FAILURE(ShowRows(host, grid, 1005, kRows, 1, symbols));
    grid.SetSortColumn(1, false); // Last, highest first
    auto* tree = dynamic_cast<QTreeView*>(grid.GetWidget());
    ASSERT_NE(tree, nullptr);
    // How often each row was drawn in one refresh and the paints it asked for.
    auto refresh = [&] {
        std::vector<int> times(kRows, 0);
        for (int row : grid.RefreshAndPaint())
            if (row >= 0 && row < kRows)
                ++times[static_cast<size_t>(row)];
        return times;
    };
    auto symbolsTopToBottom = [&] {
        std::vector<CString> shown;
        for (int i = 0; i < grid.GetItemCount(); ++i)
            shown.push_back(grid.GetCellText(i, 0));
        return shown;
    };
    refresh();
    CRect lastRow;
    ASSERT_TRUE(grid.GetItemRect(kRows - 1, lastRow, LVIR_BOUNDS));
    ASSERT_LE(lastRow.bottom, 400) << "every row in view";
    std::vector<CString> rising(symbols.rbegin(), symbols.rend());
    EXPECT_EQ(symbolsTopToBottom(), rising);
    const std::vector<int> once(kRows, 1);

    // R00 now the dearest, R07 the cheapest: every row moves.
    for (int i = 0; i < kRows; ++i)
        Quote(symbols[static_cast<size_t>(i)], 200 - i);
    EXPECT_EQ(refresh(), once) << "in the clear";
    EXPECT_EQ(symbolsTopToBottom(), symbols);
    EXPECT_EQ(grid.GetCellText(0, 1), "200.00");
    EXPECT_EQ(DifferingPixels(ShownPixels(tree), FreshPixels(tree)), 0);

    // Under another window, back the other way.
    auto cover = CoverLeft(tree, 120, 400);
    for (int i = 0; i < kRows; ++i)
        Quote(symbols[static_cast<size_t>(i)], 300 + i);
    EXPECT_EQ(refresh(), once) << "under another window";
    EXPECT_EQ(symbolsTopToBottom(), rising);
    EXPECT_EQ(grid.GetCellText(0, 1), "307.00");
    const QRect uncovered(120, 0, tree->width() - 120, tree->height());
    EXPECT_EQ(DifferingPixels(ShownPixels(tree).copy(uncovered), FreshPixels(tree).copy(uncovered)), 0);
    EXPECT_EQ(refresh(), std::vector<int>(kRows, 0)) << "then nothing changed";
    cover.reset();
    grid.DestroyWindow();
    host.DestroyWindow();
}
