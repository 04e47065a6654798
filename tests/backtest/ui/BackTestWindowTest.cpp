// The BackTesting window and the strategy dialogs offscreen: a run's records arriving as
// the worker posts them, trade and summary rows with their texts, the Total row, sorting,
// column toggles, layouts, results files, exports, workspace records, a chart for a row,
// and the checks of the Strategy Setup and Strategy Trading Setup dialogs.
#include "tests/support/ColumnFitting.h"
#include "tests/backtest/StrategySamples.h"
#include "tests/platform/TempFolder.h"
#include "tests/trading/ui/UiDriving.h"

#include "alerts/CAlertBook.h"
#include "alerts/ui/StrategyTradingSetupHook.h"
#include "backtest/BackTestStatistics.h"
#include "backtest/ui/BacktestChartHook.h"
#include "backtest/ui/BacktestUiIds.h"
#include "backtest/ui/CBackTestView.h"
#include "backtest/ui/CBackTestWindowSink.h"
#include "backtest/ui/CStrategySetupDlg.h"
#include "backtest/ui/CStrategyTradingSetupDlg.h"
#include "broker/core/FeedTime.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CMDIFrameWnd.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CWinApp.h"
#include "studies/CStudyDefinition.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

using namespace uitest;

namespace {

CStrategyDefinition Strategy(const char* name)
{
    return LongStrategy(name, "MovingAverage[MA,Close,5,0,D]>MovingAverage[MA,Close,20,0,D]",
                        "MovingAverage[MA,Close,5,0,D]<MovingAverage[MA,Close,20,0,D] OR Bar[Close,D]<10");
}

std::unique_ptr<BackTestEntry> Fill(const char* symbol, const char* strategy, int action, double price, int day)
{
    auto e = std::make_unique<BackTestEntry>();
    e->m_symbol = symbol;
    e->m_strategy = strategy;
    e->m_formula = action == kActionBuy ? "In" : "Out";
    e->m_nAction = action;
    e->m_nQuantity = 100;
    e->m_price = price;
    e->m_priceStr.Format("%.2f", price);
    e->m_nTime = static_cast<int>(DateTimeToFeedTime(2026, 2, day, 9, 30, 0));
    e->m_nStartTime = static_cast<int>(DateTimeToFeedTime(2026, 2, 1, 0, 0, 0));
    e->m_nEndTime = static_cast<int>(DateTimeToFeedTime(2026, 2, 28, 0, 0, 0));
    return e;
}

std::unique_ptr<EntryGroup> Group(const char* symbol, const char* strategy)
{
    auto g = std::make_unique<EntryGroup>();
    g->m_symbol = symbol;
    g->m_strategy = strategy;
    g->m_startPrice = 10;
    g->m_endPrice = 12;
    return g;
}

std::vector<CString> Headers(CListCtrl& list)
{
    std::vector<CString> out;
    for (int c = 0; c < list.GetColumnCount(); ++c)
        out.push_back(HeaderText(list, c));
    return out;
}

class BackTestWindow : public ::testing::Test {
protected:
    BackTestWindow() : m_scope(std::unique_ptr<CUiResponder>(responder = new AnsweringResponder))
    {
        m_previous = CAppSettings::Instance();
        CAppSettings::Install(&settings);
        settings.SetWorkingDirectory(folder.path().string().c_str());
        for (const char* sub : {"Layouts", "SpreadSheets", "Backtesting", "Strategies"})
            std::filesystem::create_directories(folder.path() / sub);
        m_app.AddDocTemplate(std::make_unique<CDocTemplate>(IDR_BACKTEST, RuntimeClassOf<CCommonDoc>(),
                                                            RuntimeClassOf<CChildFrame>(),
                                                            RuntimeClassOf<CBackTestView>()));
        auto frame = std::make_unique<CMDIFrameWnd>();
        EXPECT_TRUE(frame->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        m_main = frame.release();
        m_app.m_pMainWnd = m_main;
    }
    ~BackTestWindow() override
    {
        SetBacktestChartOpener(nullptr);
        m_app.CloseAllDocuments(TRUE);
        m_app.m_pMainWnd = nullptr;
        m_main->DestroyWindow();
        PumpFor(5);
        CAppSettings::Install(m_previous);
    }
    CBackTestView& Open()
    {
        CDocument* doc = m_app.GetDocTemplate(0)->OpenDocumentFile(nullptr);
        auto* view = doc ? dynamic_cast<CBackTestView*>(doc->GetFirstView()) : nullptr;
        EXPECT_NE(view, nullptr);
        return *view;
    }
    // A run of two strategies on two symbols, posted as the worker posts it.
    void PostRun(CBackTestView& view)
    {
        CBackTestWindowSink sink(view.m_hWnd);
        auto job = std::make_shared<CStrategySetup>();
        job->AddStrategy(Strategy("Cross"));
        job->AddStrategy(Strategy("Swing"));
        job->m_symbols = "IBM MSFT";
        sink.OnRunStarted(job);
        sink.OnTrade(Fill("IBM", "Cross", kActionBuy, 10, 2));
        sink.OnTrade(Fill("IBM", "Cross", kActionSell, 12, 5));  // +200
        sink.OnTrade(Fill("IBM", "Cross", kActionBuy, 12, 9));
        sink.OnTrade(Fill("IBM", "Cross", kActionSell, 11, 11));  // -100
        sink.OnGroup(Group("IBM", "Cross"));
        sink.OnGroup(Group("IBM", "Swing"));  // no fills: no summary row
        sink.OnTrade(Fill("MSFT", "Cross", kActionBuy, 20, 3));
        sink.OnTrade(Fill("MSFT", "Cross", kActionSell, 25, 4));  // +500
        sink.OnGroup(Group("MSFT", "Cross"));
        sink.OnRunEnded();
        PumpUntil([&] { return view.GetResults().GetGroups().size() == 3; }, 5000);
        PumpFor(20);
    }

    TempFolder folder;
    CAppSettings settings;
    CAppSettings* m_previous = nullptr;
    AnsweringResponder* responder;
    CScopedUiResponder m_scope;
    CWinApp m_app{"BackTestWindowTest"};
    CMDIFrameWnd* m_main = nullptr;
};

}  // namespace

TEST_F(BackTestWindow, TradeRowsShowEachFillWithItsProfit)
{
    CBackTestView& view = Open();
    CBackTestCtrl& list = view.GetList();
    EXPECT_EQ(CString("BackTesting (No Strategies)"), view.MakeTitle());
    EXPECT_EQ(Headers(list), (std::vector<CString>{"Symbol", "Strategy", "Signal", "Date", "Time", "Action",
                                                   "Quantity", "Price", "Profit-Loss", "Profit-Loss %",
                                                   "Cumulative P&L"}));
    PostRun(view);
    EXPECT_EQ(CString("BackTesting (2 Strategies)"), view.MakeTitle());
    ASSERT_EQ(6, list.GetItemCount());
    EXPECT_EQ(Column(list, 0), (std::vector<CString>{"IBM", "IBM", "IBM", "IBM", "MSFT", "MSFT"}));
    EXPECT_EQ(Column(list, 5), (std::vector<CString>{"Buy", "Sell", "Buy", "Sell", "Buy", "Sell"}));
    EXPECT_EQ(Column(list, 8), (std::vector<CString>{"0.00", "200.00", "0.00", "-100.00", "0.00", "500.00"}));
    EXPECT_EQ(Column(list, 10), (std::vector<CString>{"0.00", "200.00", "200.00", "100.00", "0.00", "500.00"}));
    EXPECT_EQ(CString("2/2/2026"), list.GetItemText(0, 3));
    EXPECT_EQ(CString("09:30:00"), list.GetItemText(0, 4));
    // Titles, and dates of two-digit months and days, show whole.
    for (int column = 0; column < list.GetColumnCount(); ++column)
        EXPECT_GE(list.GetColumnWidth(column), NeededColumnWidth(list, Headers(list)[static_cast<size_t>(column)].GetString()))
            << Headers(list)[static_cast<size_t>(column)].GetString();
    EXPECT_GE(list.GetColumnWidth(3), NeededColumnWidth(list, "10/21/2025"));
    EXPECT_GE(list.GetColumnWidth(4), NeededColumnWidth(list, "09:30:00"));

    // Sorted by profit descending, then not at all again.
    list.SetSort(8, false);
    EXPECT_EQ(Column(list, 8), (std::vector<CString>{"500.00", "200.00", "0.00", "0.00", "0.00", "-100.00"}));
    list.SetSort(-1, true);
    EXPECT_EQ(-1, list.GetSort(kTradeMode).column);
}

TEST_F(BackTestWindow, SummaryRowsAndTheTotalRowStayingLast)
{
    CBackTestView& view = Open();
    CBackTestCtrl& list = view.GetList();
    view.ToggleTotal();  // on an empty list only the flag changes
    EXPECT_EQ(0, list.GetItemCount());
    view.SetMode(kSummaryMode);
    PostRun(view);
    // A group without fills shows no row; the Total comes with the first row.
    ASSERT_EQ(3, list.GetItemCount());
    EXPECT_EQ(Column(list, 0), (std::vector<CString>{"IBM", "MSFT", "Total"}));
    EXPECT_EQ(Column(list, 2), (std::vector<CString>{"100.00", "500.00", "600.00"}));
    EXPECT_EQ(Column(list, 4), (std::vector<CString>{"1", "1", "2"}));
    EXPECT_EQ(Column(list, 5), (std::vector<CString>{"1", "0", "1"}));
    EXPECT_EQ(list.GetItemText(2, 15), CString("7.00"));  // Profit Factor 700 / 100
    EXPECT_EQ(list.GetItemText(2, 6), CString(""));       // no dates in the Total
    EXPECT_EQ(list.GetItemText(0, 18), CString("20.00"));  // Buy & Hold 10 -> 12
    // Every cell and title shows whole.
    for (int column = 0; column < list.GetColumnCount(); ++column) {
        int needed = NeededColumnWidth(list, Headers(list)[static_cast<size_t>(column)].GetString());
        for (int row = 0; row < list.GetItemCount(); ++row)
            needed = std::max(needed, NeededColumnWidth(list, list.GetItemText(row, column).GetString()));
        EXPECT_GE(list.GetColumnWidth(column), needed) << Headers(list)[static_cast<size_t>(column)].GetString();
    }
    for (bool ascending : {true, false}) {
        list.SetSort(2, ascending);
        EXPECT_EQ(CString("Total"), list.GetItemText(2, 0));
        EXPECT_EQ(CString(ascending ? "IBM" : "MSFT"), list.GetItemText(0, 0));
    }
    view.ToggleTotal();
    EXPECT_EQ(2, list.GetItemCount());
    view.SetMode(kTradeMode);
    EXPECT_EQ(6, list.GetItemCount());
    EXPECT_EQ(11, list.GetColumnCount());
}

TEST_F(BackTestWindow, ColumnsLayoutsAndWorkspaceRecords)
{
    CBackTestView& view = Open();
    CBackTestCtrl& list = view.GetList();
    PostRun(view);
    // A present column of the shown mode goes; toggled on again it comes back at the end.
    view.ToggleColumn(kTradeMode, 0);
    EXPECT_EQ(10, list.GetColumnCount());
    EXPECT_EQ(6, list.GetItemCount());
    view.ToggleColumn(kTradeMode, 0);
    EXPECT_EQ(CString("Symbol"), Headers(list).back());
    EXPECT_EQ(CString("MSFT"), list.GetItemText(5, 10));
    // A column of the hidden mode is taken out of its layout.
    view.ToggleColumn(kSummaryMode, 3);
    const CString layoutPath = folder.file("Layouts/mine.btl").c_str();
    ASSERT_TRUE(view.SaveLayout(layoutPath));

    CBackTestView& other = Open();
    other.LoadLayout(layoutPath);
    EXPECT_EQ(Headers(other.GetList()).front(), CString("Strategy"));
    other.SetMode(kSummaryMode);
    EXPECT_EQ(28, other.GetList().GetColumnCount());

    // A layout with more columns than a mode has is refused, and the window keeps its own.
    {
        CMemFile bytes;
        CArchive ar(&bytes, CArchive::store);
        ar << 40;
        ar.Close();
        std::ofstream(folder.file("Layouts/bad.btl"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.GetData()), static_cast<std::streamsize>(bytes.GetLength()));
    }
    other.LoadLayout(folder.file("Layouts/bad.btl").c_str());
    EXPECT_EQ(CString("Error reading layout ") + folder.file("Layouts/bad.btl").c_str(), responder->LastText());
    EXPECT_EQ(28, other.GetList().GetColumnCount());

    // The workspace record brings back mode, columns, sort, job and grid.
    view.SetMode(kSummaryMode);
    view.GetList().SetSort(1, false);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ASSERT_TRUE(view.SaveToWorkspace(ar));
        ar.Close();
    }
    file.SeekToBegin();
    CBackTestView& restored = Open();
    {
        CArchive ar(&file, CArchive::load);
        ASSERT_TRUE(restored.LoadFromWorkspace(ar, 19));
    }
    EXPECT_EQ(kSummaryMode, restored.GetMode());
    ASSERT_TRUE(restored.GetSetup());
    EXPECT_EQ(2, restored.GetSetup()->GetStrategyCount());
    EXPECT_EQ(1, restored.GetList().GetSort(kSummaryMode).column);
    EXPECT_FALSE(restored.GetList().GetSort(kSummaryMode).ascending);
    EXPECT_EQ(CString("BackTesting (2 Strategies)"), restored.MakeTitle());
}

TEST_F(BackTestWindow, ResultsFilesAndExports)
{
    CBackTestView& view = Open();
    PostRun(view);
    const CString path = folder.file("Backtesting/run.btr").c_str();
    ASSERT_TRUE(view.SaveResults(path));

    CBackTestView& loaded = Open();
    loaded.SetMode(kSummaryMode);
    ASSERT_TRUE(loaded.LoadResults(path));
    EXPECT_EQ(Column(loaded.GetList(), 0), (std::vector<CString>{"IBM", "MSFT"}));
    EXPECT_EQ(CString("100.00"), loaded.GetList().GetItemText(0, 2));
    EXPECT_EQ(CString("BackTesting (2 Strategies)"), loaded.MakeTitle());

    // A damaged file is told and the window keeps what it showed.
    std::ofstream(folder.file("Backtesting/cut.btr")) << "<Backtest><EntryGroup>";
    EXPECT_FALSE(loaded.LoadResults(folder.file("Backtesting/cut.btr").c_str()));
    EXPECT_EQ(0, responder->LastText().Find("Error parsing results: "));
    EXPECT_EQ(2, loaded.GetList().GetItemCount());

    // The export holds the header and every row in display order; the separator is
    // quoted where a cell holds it.
    const auto rows = view.ExportRows();
    ASSERT_EQ(7u, rows.size());
    EXPECT_EQ(CString("Cumulative P&L"), rows[0].back());
    EXPECT_EQ(CString("500.00"), rows[6][8]);
    responder->files = {folder.file("SpreadSheets/out.csv").c_str()};
    m_main->SendMessage(WM_COMMAND, 0, 0);
    view.SendMessage(WM_COMMAND, MAKEWPARAM(ID_BT_EXPORT, 0), 0);
    const std::string text = folder.read("SpreadSheets/out.csv");
    EXPECT_EQ(0u, text.find("Symbol,Strategy,Signal,Date,Time,Action,Quantity,Price,Profit-Loss,Profit-Loss %,"
                            "Cumulative P&L\nIBM,Cross,In,2/2/2026,09:30:00,Buy,100,10.00,0.00,0.00,0.00\n"));
}

TEST_F(BackTestWindow, ARowOpensAChartWithItsStrategyAndItsStudies)
{
    CBackTestView& view = Open();
    PostRun(view);
    std::vector<CString> seen;
    int studies = 0;
    bool replace = false;
    SetBacktestChartOpener([&](CBacktestChartRequest& request) {
        seen = {request.symbol, request.interval, request.setup ? request.setup->GetStrategy(0).m_name : CString()};
        EXPECT_EQ(1, request.setup->GetStrategyCount());
        studies = static_cast<int>(request.studies.size());
        replace = request.replaceStudies;
        return true;
    });
    EXPECT_TRUE(view.OpenChartForRow(4, false));
    EXPECT_EQ(seen, (std::vector<CString>{"MSFT", "D", "Cross"}));
    EXPECT_EQ(0, studies);
    // The custom chart: the two averages (the same in both formulas count once), the bars'
    // close, and the equity curve.
    EXPECT_TRUE(view.OpenChartForRow(0, true));
    EXPECT_TRUE(replace);
    EXPECT_EQ(3, studies);
    EXPECT_FALSE(view.OpenChartForRow(-1, false));
    EXPECT_FALSE(view.OpenChartForRow(99, true));

    // The row menu offers both charts with their documented texts above the Backtest menu's.
    std::set<std::pair<UINT, bool>> met;
    responder->menuRules = qx::testsupport::DocumentedRules(qx::testsupport::kBacktestMenu);
    responder->menuRules->met = &met;
    NMITEMACTIVATE click{};
    click.iItem = 4;
    view.GetList().SendListNotify(NM_RCLICK, &click.hdr);
    EXPECT_EQ(responder->menusShown, 1);
    EXPECT_EQ(responder->menuFaults, "");
    EXPECT_TRUE(met.count({ID_BT_DEFAULT_CHART, false}) && met.count({ID_BT_CUSTOM_CHART, false}));
}

TEST_F(BackTestWindow, StrategySetupChecksItsFieldsAndBuildsTheJob)
{
    CStrategySetupDlg dialog(nullptr, false, m_main);
    bool checked = false;
    WhenModalIs<CStrategySetupDlg>([&](CStrategySetupDlg& d) {
        // The fresh job: the last 30 days up to now, every minute bar.
        EXPECT_EQ(BST_CHECKED, d.IsDlgButtonChecked(static_cast<int>(IDC_SS_UNTIL_NOW)));
        EXPECT_EQ(CString("100"), Text(d, IDC_SS_QUANTITY));
        EXPECT_EQ(CString("Daily"), Text(d, IDC_SS_INTERVAL));
        EXPECT_FALSE(Enabled(d, IDC_SS_TSTOP_PARAM));
        Type(d, IDC_SS_SYMBOLS, "IBM MSFT");
        Type(d, IDC_SS_NAME, "Cross");
        Type(d, IDC_SS_ENTRY_NAME, "In");
        Type(d, IDC_SS_EXIT_NAME, "Out");
        d.m_entryExpression = "Bar[Close,D]>1";
        d.m_exitExpression = "Bar[Close,D]<1";
        Type(d, IDC_SS_QUANTITY, "-5");
        Click(d, IDC_SS_ADD);
        EXPECT_EQ(CString("Please enter a quantity above 0"), responder->LastText());
        Type(d, IDC_SS_QUANTITY, "0");
        Click(d, IDC_SS_ADD);
        EXPECT_EQ(CString("Please fill out all fields"), responder->LastText());
        Type(d, IDC_SS_QUANTITY, "200");
        Choose(d, IDC_SS_ENTRY_ACTION, "Sell Short");
        EXPECT_EQ(CString("Buy to Cover"), Text(d, IDC_SS_EXIT_ACTION));
        Click(d, IDC_SS_ADD);
        EXPECT_EQ(1, d.GetStrategyCount());
        EXPECT_EQ(CString(""), Text(d, IDC_SS_NAME));  // fields reset
        // The same name again is refused at "Backtest".
        Type(d, IDC_SS_NAME, "Cross");
        Type(d, IDC_SS_ENTRY_NAME, "In");
        Type(d, IDC_SS_EXIT_NAME, "Out");
        d.m_entryExpression = "Bar[Close,D]>2";
        d.m_exitExpression = "Bar[Close,D]<2";
        Click(d, IDC_SS_ADD);
        // A trailing stop of no distance is refused.
        d.CheckDlgButton(static_cast<int>(IDC_SS_TSTOP), BST_CHECKED);
        Type(d, IDC_SS_TSTOP_PARAM, "0");
        Click(d, IDOK);
        EXPECT_EQ(CString("Please enter a valid trailing stop"), responder->LastText());
        Type(d, IDC_SS_TSTOP_PARAM, "2.5");
        Type(d, IDC_SS_FROM_DAY, "32");
        Click(d, IDOK);
        EXPECT_EQ(CString("Please enter a valid day"), responder->LastText());
        Type(d, IDC_SS_FROM_DAY, "1");
        Click(d, IDOK);
        EXPECT_EQ(0, responder->LastText().Find("Strategy \"Cross\" appears more than once on the list."));
        // Renaming the second (click it, change, click beside) lets it through.
        d.SelectEntry(1);
        Type(d, IDC_SS_NAME, "Cross 2");
        d.SelectEntry(-1);
        EXPECT_EQ(CString("Cross 2"), d.GetStrategy(1).m_name);
        Click(d, IDOK);
        checked = true;
    });
    ASSERT_EQ(IDOK, dialog.DoModal());
    ASSERT_TRUE(checked);
    auto job = dialog.TakeJob();
    ASSERT_TRUE(job);
    EXPECT_EQ(CString("IBM MSFT"), job->m_symbols);
    ASSERT_EQ(2, job->GetStrategyCount());
    EXPECT_EQ(CString("Sell Short"), job->GetStrategy(0).m_entryAction);
    EXPECT_EQ(200, job->GetStrategy(0).m_nEntryQuantity);
    EXPECT_EQ(CString("D"), job->GetStrategy(0).m_interval);
    EXPECT_EQ(1, job->m_nTStop);
    EXPECT_EQ(2.5, job->m_tStopParam);
    int y = 0, m = 0, d = 0;
    FeedTimeToDate(job->m_startTime, y, m, d);
    EXPECT_EQ(1, d);
}

// Both strategy dialogs pick symbol lists in Symbols and strategy files in Strategies:
// a strategy saved from one dialog opens in the other, and Help opens the disclosure.
TEST_F(BackTestWindow, StrategyDialogsShareTheLibraryAndSymbolListFolders)
{
    std::filesystem::create_directories(folder.path() / "Symbols");
    const CString listPath = folder.file("Symbols/Tech.sym").c_str();
    std::ofstream(folder.file("Symbols/Tech.sym")) << "IBM\r\n  MSFT \r\n\r\nAAPL\r\n";
    const CString libraryPath = folder.file("Strategies/Cross.qxs").c_str();
    const CString strategies = CString(folder.path().string().c_str()) + "/Strategies";
    const CString disclosure = "https://www.brenhalvik.com/Quorvantelix/BacktestingDisclosure.pdf";

    CStrategySetupDlg setup(nullptr, false, m_main);
    WhenModalIs<CStrategySetupDlg>([&](CStrategySetupDlg& d) {
        responder->files = {listPath};
        Click(d, IDC_SS_SYMBOL_LISTS);
        EXPECT_EQ(CString("IBM MSFT AAPL"), Text(d, IDC_SS_SYMBOLS));
        EXPECT_EQ(CString(folder.path().string().c_str()) + "/Symbols", responder->requests.back().initialDir);
        Type(d, IDC_SS_NAME, "Cross/Over");
        Type(d, IDC_SS_ENTRY_NAME, "In");
        Type(d, IDC_SS_EXIT_NAME, "Out");
        d.m_entryExpression = "Bar[Close,D]>1";
        d.m_exitExpression = "Bar[Close,D]<1";
        responder->files = {libraryPath};
        Click(d, IDC_SS_SAVE);
        const FileDialogRequest& saved = responder->requests.back();
        EXPECT_FALSE(saved.open);
        EXPECT_EQ(strategies, saved.initialDir);
        EXPECT_EQ(CString("qxs"), saved.defaultExt);
        EXPECT_EQ(-1, saved.fileName.Find('/'));
        EXPECT_EQ(0, saved.fileName.Find("Cross"));
        Click(d, IDC_SS_HELP);
        Click(d, IDCANCEL);
    });
    setup.DoModal();
    CStrategyDefinition stored;
    CString error;
    ASSERT_TRUE(ReadStrategyFile(libraryPath, stored, error)) << error.GetString();
    EXPECT_EQ(CString("Cross/Over"), stored.m_name);
    EXPECT_EQ(CString("Bar[Close,D]<1"), stored.m_exitExpression);

    CStrategyTradingSetupDlg trading(nullptr, m_main);
    WhenModalIs<CStrategyTradingSetupDlg>([&](CStrategyTradingSetupDlg& d) {
        responder->files = {listPath};
        Click(d, IDC_ST_SYMBOL_LISTS);
        EXPECT_EQ(CString("IBM MSFT AAPL"), Text(d, IDC_ST_SYMBOLS));
        responder->files = {libraryPath};
        Click(d, IDC_ST_BROWSE);
        EXPECT_TRUE(responder->requests.back().open);
        EXPECT_EQ(strategies, responder->requests.back().initialDir);
        EXPECT_EQ(CString("Cross/Over"), Text(d, IDC_ST_NAME));
        EXPECT_EQ(CString("Out"), Text(d, IDC_ST_EXIT_NAME));
        Click(d, IDC_ST_HELP);
        Click(d, IDCANCEL);
    });
    trading.DoModal();
    ASSERT_EQ(2u, responder->opened.size());
    EXPECT_EQ(disclosure, responder->opened[0]);
    EXPECT_EQ(disclosure, responder->opened[1]);
}

TEST_F(BackTestWindow, StrategyTradingSetupMakesOneStrategyAlertPerSymbol)
{
    settings.SetAlertBook(std::make_unique<CAlertBook>(settings));
    CAlertBook& book = *CAlertBook::Instance();
    CStrategyDefinition library = Strategy("Lib");
    const CString libraryPath = folder.file("Strategies/Lib.qxs").c_str();
    CString error;
    ASSERT_TRUE(WriteStrategyFile(libraryPath, library, error));
    InstallStrategyTradingSetup();
    WhenModalIs<CStrategyTradingSetupDlg>([&](CStrategyTradingSetupDlg& d) {
        Click(d, IDOK);
        EXPECT_EQ(CString("Please specify at least one symbol"), responder->LastText());
        Type(d, IDC_ST_SYMBOLS, "  ibm msft ");
        Click(d, IDOK);
        EXPECT_EQ(CString("Please fill out all fields"), responder->LastText());
        responder->files = {libraryPath};
        Click(d, IDC_ST_BROWSE);
        EXPECT_EQ(CString("Lib"), Text(d, IDC_ST_NAME));
        EXPECT_EQ(CString("In"), Text(d, IDC_ST_ENTRY_NAME));
        d.CheckDlgButton(static_cast<int>(IDC_ST_MAX_TRIPS), BST_CHECKED);
        Type(d, IDC_ST_NUM_TRIPS, "3");
        Click(d, IDOK);
    });
    ASSERT_TRUE(RunStrategyTradingSetup(m_main, nullptr));
    SetStrategyTradingSetupHook(nullptr);
    ASSERT_EQ(2u, book.Count());
    const auto* first = dynamic_cast<const CStrategyAlert*>(book.At(0));
    ASSERT_TRUE(first);
    EXPECT_EQ(CString("IBM"), first->m_symbol);
    EXPECT_EQ(CString("MSFT"), book.At(1)->m_symbol);
    EXPECT_EQ(CString("Lib"), first->m_strategyName);
    EXPECT_EQ(3, first->m_nNumRoundTrips);
    ASSERT_TRUE(first->GetEntryAlert());
    EXPECT_EQ(CString("IBM"), first->GetEntryAlert()->m_symbol);
    EXPECT_EQ(library.m_exitExpression, first->GetExitAlert()->GetFormulaText());
    book.FreeAlerts();
}
