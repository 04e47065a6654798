// Level I windows against the in-process test broker: 500 rows following live trades,
// positions, option chains and actives from the broker.
#include "Level1Harness.h"

#include "alerts/CColumnAlert.h"
#include "alerts/IAlertHost.h"
#include "analytics/formula/CFormulaEngine.h"
#include "broker/session/CQuoteStore.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "common/services/CLinkState.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CMenu.h"
#include "tests/support/CSeriesBrokerSession.h"
#include "tests/support/OrderLegs.h"
#include "tools/testbroker/CTestBroker.h"
#include "views/OptionChainSet.h"
#include "views/ui/Level1Menus.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <algorithm>
#include <set>

namespace {

using qx::testbroker::SymbolKind;

class Level1BrokerTest : public ::testing::Test {
protected:
    explicit Level1BrokerTest(int stocks = 300) { m_session.Session().SetStockCount(stocks); }
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        RegisterOptionChainHooks();
        m_engine->Start();
        CFormulaEngine::Install(m_engine.get());
    }
    void TearDown() override
    {
        m_harness.reset();
        CFormulaEngine::Install(nullptr);
        // The engine frees the released formulas' quote handles while the session still exists.
        m_engine.reset();
        m_session.Stop();
    }
    qx::testbroker::CTestBroker& Broker() { return m_session.Broker(); }
    std::vector<CString> Stocks(size_t count)
    {
        std::vector<CString> out;
        for (const std::string& symbol : Broker().Symbols()) {
            const auto sim = Broker().Symbol(symbol);
            if (sim && sim->kind == SymbolKind::Stock && out.size() < count)
                out.push_back(CString(symbol));
        }
        return out;
    }
    int ColumnOf(Level1View& view, int fieldId)
    {
        for (int c = 0; c < view.Grid().GetColumnCount(); ++c)
            if (const CGridColumn* column = view.Grid().ColumnAt(c); column && column->fieldId == fieldId)
                return c;
        return -1;
    }
    int RowOf(Level1View& view, const CString& symbol)
    {
        for (int i = 0; i < view.Grid().GetItemCount(); ++i)
            if (view.Grid().GetRowSymbol(i) == symbol)
                return i;
        return -1;
    }

    qx::testsupport::CSeriesBrokerSession m_session;
    std::unique_ptr<CFormulaEngine> m_engine = std::make_unique<CFormulaEngine>();
    std::unique_ptr<CLevel1Harness> m_harness = std::make_unique<CLevel1Harness>();
};

class RecordingAlertHost : public IAlertHost {
public:
    void DeliverAlert(std::unique_ptr<CAlertEvent>, CAlert* alert) override
    {
        std::unique_ptr<CAlert> owned(alert);
        if (auto* column = dynamic_cast<CColumnAlert*>(alert))
            alerts.push_back(column->m_symbol + " " + column->m_columnName + " " + column->m_value);
    }
    CString GetAccountListText(int, const std::vector<CString>&, int) const override { return {}; }
    std::vector<CString> alerts;
};

class Level1FiveHundred : public Level1BrokerTest {
protected:
    Level1FiveHundred() : Level1BrokerTest(500) {}
};

} // namespace

TEST_F(Level1FiveHundred, RowsFollowTheBrokersTradesAndHighlightWithinASecond)
{
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    const std::vector<CString> symbols = Stocks(500);
    ASSERT_EQ(symbols.size(), 500u);
    view->InsertSymbols(symbols);
    ASSERT_EQ(view->Grid().GetItemCount(), 500);
    ASSERT_TRUE(Broker().WaitForSubscription(kServiceQuote, symbols.back().str(), 20000));
    const int last = ColumnOf(*view, kFieldLast);
    ASSERT_GE(last, 0);
    const CString symbol = symbols[2];
    const int row = RowOf(*view, symbol);
    ASSERT_EQ(row, 2);
    // The row's first quote is in.
    ASSERT_TRUE(PumpUntil([&] { return !view->Grid().GetCellText(row, last).IsEmpty(); }, 10000));
    PumpFor(600); // painted once with its first value

    CRect cell;
    ASSERT_TRUE(view->Grid().GetSubItemRect(row, last, LVIR_BOUNDS, cell));
    const std::array<COLORREF, 8>& colors = m_harness->settings.m_quoteColors;
    for (const double price : {987.5, 912.25}) {
        ASSERT_TRUE(Broker().InjectTrade(symbol.str(), price, 100));
        QElapsedTimer clock;
        clock.start();
        const CString expected = price == 987.5 ? "987.50" : "912.25";
        ASSERT_TRUE(PumpUntil(
            [&] {
                return view->Grid().GetCellText(row, last) == expected &&
                       GridPixel(view->Grid(), cell.left + 2, cell.top + 2) == colors[price == 987.5 ? 4 : 5];
            },
            1000))
            << view->Grid().GetCellText(row, last).GetString() << " after " << clock.elapsed() << " ms";
    }
}

TEST_F(Level1BrokerTest, PositionsModeShowsTheBrokersPositions)
{
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    // The main frame's command: the positions layout, then the mode.
    view->ApplyFrameCommand(ID_FRAME_POSITIONS, "");
    EXPECT_EQ(view->ComposeTitle(), "Positions (Screener Off)");
    // A buy at the market makes a position that the account refresh brings in.
    CString error;
    ASSERT_TRUE(m_session.Manager().GetSession().SubmitOrder({qx::testsupport::DayOrderLeg("IBM", 300, "Market")}, 0,
                                                             -1, 1, "QXVEL", "10000001", error))
        << error.GetString();
    m_session.Manager().GetSession().WakeAccountRefresh();
    ASSERT_TRUE(PumpUntil([&] { return RowOf(*view, "IBM") >= 0; }, 15000));
    const int row = RowOf(*view, "IBM");
    const int shares = ColumnOf(*view, kGridShares);
    ASSERT_GE(shares, 0);
    EXPECT_EQ(view->Grid().GetCellText(row, shares), "300");
    // The totals row comes last.
    const int count = view->Grid().GetItemCount();
    EXPECT_TRUE(view->Grid().RowAt(count - 1)->IsTotals());
    EXPECT_EQ(view->Grid().GetCellText(count - 1, ColumnOf(*view, kGridSymbol)), "Total");
}

TEST_F(Level1BrokerTest, OptionChainAndActivesFillFromTheBroker)
{
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->ShowOptionChain("OptionChain,msft,C,ALL,A,0"));
    EXPECT_EQ(view->ComposeTitle(), "MSFT Option Chain (Screener Off)");
    ASSERT_TRUE(PumpUntil([&] { return view->Grid().GetItemCount() > 0; }, 15000));
    for (int i = 0; i < view->Grid().GetItemCount(); ++i) {
        const CString symbol = view->Grid().GetRowSymbol(i);
        const auto sim = Broker().Symbol(symbol.str());
        ASSERT_TRUE(sim.has_value()) << symbol.GetString();
        EXPECT_EQ(sim->underlying, "MSFT");
        EXPECT_EQ(sim->right, 'C');
    }

    ASSERT_TRUE(view->ShowActives("NASDAQ-300,1"));
    ASSERT_TRUE(view->AddColumn(ID_ADD_COLUMN_FIRST + kGridActivity));
    EXPECT_EQ(view->ComposeTitle(), "Actives - NASDAQ, Trades, 5 min (Screener Off)");
    Broker().StepSimulation(40);
    ASSERT_TRUE(PumpUntil([&] { return view->Grid().GetItemCount() > 0; }, 15000));
    const int activity = ColumnOf(*view, kGridActivity);
    ASSERT_GE(activity, 0);
    EXPECT_TRUE(PumpUntil([&] { return !view->Grid().GetCellText(0, activity).IsEmpty(); }, 3000));
}

// A symbol sent from a linked window joins rows rebuilt from a source at most once: one
// shown already adds nothing, a new one sent again does not multiply.
TEST_F(Level1BrokerTest, SymbolsFromLinkedWindowsJoinAnOptionChainOnce)
{
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->ShowOptionChain("OptionChain,msft,C,ALL,A,0"));
    ASSERT_TRUE(PumpUntil([&] { return view->Grid().GetItemCount() > 0; }, 15000));
    PumpFor(300);
    const int chain = view->Grid().GetItemCount();
    auto send = [&](const CString& symbol) {
        CSymbolIntervalMsg msg{symbol, "", false};
        view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkBroadcastAll),
                          reinterpret_cast<LPARAM>(&msg));
    };
    send(view->Grid().GetRowSymbol(chain / 2));
    EXPECT_EQ(view->Grid().GetItemCount(), chain);
    for (const char* symbol : {"IBM", "IBM", "ibm"})
        send(symbol);
    EXPECT_EQ(view->Grid().GetItemCount(), chain + 1);
    int ibm = 0;
    for (int row = 0; row < view->Grid().GetItemCount(); ++row)
        ibm += view->Grid().GetRowSymbol(row) == "IBM" ? 1 : 0;
    EXPECT_EQ(ibm, 1);
}

TEST_F(Level1BrokerTest, ASymbolSetChosenFromTheMenuFillsWithItsSymbolsAndFollowsTheirQuotes)
{
    // The set's symbols: the broker's stocks whose quotes name that industry.
    std::vector<CString> oil;
    for (const std::string& symbol : Broker().Symbols()) {
        const auto sim = Broker().Symbol(symbol);
        if (sim->kind == SymbolKind::Stock && sim->industry == "Oil & Gas")
            oil.push_back(CString(symbol));
    }
    ASSERT_GE(oil.size(), 2u);
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(m_harness->settings.m_symbolSetGroups.empty()); // a new user's settings

    // The menu lists the broker's groups, read after login, one submenu each, "&" doubled in
    // item texts.
    std::vector<CIndustryGroup> served;
    ASSERT_TRUE(PumpUntil([&] { return m_session.Manager().GetSession().GetIndustryGroups(served); }, 10000));
    CMenu level1, sets;
    level1.CreatePopupMenu();
    sets.CreatePopupMenu();
    sets.AppendMenu(MF_STRING | MF_GRAYED, ID_SYMBOL_SET_FIRST, "None");
    level1.AppendMenu(MF_POPUP, &sets, "S&ymbol Sets");
    view->OnInitFrameMenu(&level1);
    CMenu* shown = FindPopupByTitle(level1, "S&ymbol Sets");
    ASSERT_NE(shown, nullptr);
    ASSERT_GE(shown->GetMenuItemCount(), 2);
    UINT command = 0;
    std::vector<CString> groups;
    for (int g = 0; g < shown->GetMenuItemCount(); ++g) {
        CString group;
        shown->GetMenuString(static_cast<UINT>(g), group, MF_BYPOSITION);
        groups.push_back(group);
        CMenu* items = shown->GetSubMenu(g);
        ASSERT_NE(items, nullptr) << group.GetString();
        for (int i = 0; i < items->GetMenuItemCount(); ++i) {
            CString text;
            items->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
            if (group == "Energy" && text == "Oil && Gas")
                command = items->GetMenuItemID(i);
        }
    }
    EXPECT_EQ(groups.size(), served.size());
    EXPECT_TRUE(std::is_sorted(groups.begin(), groups.end()));
    ASSERT_GE(command, ID_SYMBOL_SET_FIRST);
    ASSERT_LE(command, ID_SYMBOL_SET_LAST);
    EXPECT_EQ(m_harness->settings.m_symbolSetGroups.size(), groups.size()); // kept for the next start

    view->SendMessage(WM_COMMAND, command);
    EXPECT_EQ(view->GetMode(), kModeSymbolSet);
    EXPECT_EQ(view->ComposeTitle(), "Oil & Gas Symbol Set (Screener Off)");
    ASSERT_TRUE(PumpUntil([&] { return view->Grid().GetRowSymbols() == oil; }, 15000))
        << view->Grid().GetItemCount() << " rows";

    // Its rows follow their quotes.
    const int last = ColumnOf(*view, kFieldLast);
    ASSERT_GE(last, 0);
    const CString symbol = oil.back();
    ASSERT_TRUE(Broker().WaitForSubscription(kServiceQuote, symbol.str(), 10000));
    ASSERT_TRUE(Broker().InjectTrade(symbol.str(), 41.375, 100));
    CListCtrlEx& grid = view->Grid();
    const int row = RowOf(*view, symbol);
    EXPECT_TRUE(PumpUntil(
        [&] {
            CString text;
            double value = 0;
            return grid.Model().GetCell(*grid.RowAt(row), row, grid.ModelOf(last), text, value) && value == 41.375;
        },
        5000));
    EXPECT_TRUE(PumpUntil([&] { return grid.GetCellText(row, last).Left(4) == "41.3"; }, 2000))
        << grid.GetCellText(row, last).GetString();
}

TEST_F(Level1FiveHundred, ScreenerShowsOnlyTheSymbolsWhoseFormulaIsTrueAndStopsWithTheWindow)
{
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    const std::vector<CString> symbols = Stocks(500);
    ASSERT_EQ(symbols.size(), 500u);
    // The broker stands still: the symbols above 50 are known before the scan.
    std::set<CString> expected;
    CString list;
    for (const CString& symbol : symbols) {
        if (Broker().Symbol(symbol.str())->last > 50)
            expected.insert(symbol);
        list += symbol + " ";
    }
    ASSERT_GT(expected.size(), 10u);
    ASSERT_LT(expected.size(), 490u);
    view->SetScreenerTimes({std::chrono::milliseconds(100), std::chrono::milliseconds(100),
                            std::chrono::milliseconds(200), std::chrono::milliseconds(1000)});
    view->StartScreener(list, "Last>50");
    const CString scanning = view->GetDocument()->GetTitle();
    EXPECT_EQ(scanning.Left(22), "Level I, Scanning.....") << scanning.GetString();
    bool sawProgress = false;
    ASSERT_TRUE(PumpUntil(
        [&] {
            const CString title = view->GetDocument()->GetTitle();
            sawProgress = sawProgress || title.Find("% done") >= 0;
            const std::vector<CString> rows = view->Grid().GetRowSymbols();
            return title.Find(", Scan as of ") >= 0 && std::set<CString>(rows.begin(), rows.end()) == expected;
        },
        60000))
        << view->GetDocument()->GetTitle().GetString() << " rows " << view->Grid().GetItemCount();
    EXPECT_EQ(view->Grid().GetItemCount(), static_cast<int>(expected.size()));
    EXPECT_TRUE(view->GetDocument()->GetTitle().Right(9) == ", Last>50");
    (void)sawProgress; // the scan may finish within its first wait
    EXPECT_GT(m_engine->GetLiveCount() + m_engine->GetPendingCount(), 0u);
    // Closing the window ends the worker and frees its formulas.
    m_harness->app.CloseAllDocuments(TRUE);
    PumpFor(20);
    EXPECT_TRUE(PumpUntil([&] { return m_engine->GetLiveCount() == 0 && m_engine->GetPendingCount() == 0; }, 10000));
}

TEST_F(Level1BrokerTest, ASymbolTheBrokerDoesNotKnowCountsAsScannedAndIsNamedInTheStatusBar)
{
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    const std::vector<CString> stocks = Stocks(3);
    ASSERT_EQ(stocks.size(), 3u);
    view->SetScreenerTimes({std::chrono::milliseconds(100), std::chrono::milliseconds(100),
                            std::chrono::milliseconds(200), std::chrono::milliseconds(1000)});
    view->StartScreener(stocks[0] + " QQZZX " + stocks[1] + " " + stocks[2], "Last>0");
    // Three of four symbols have data; the fourth is refused by the broker, and the scan
    // ends all the same.
    ASSERT_TRUE(PumpUntil([&] { return view->GetDocument()->GetTitle().Find(", Scan as of ") >= 0; }, 20000))
        << view->GetDocument()->GetTitle().GetString();
    EXPECT_EQ(view->Grid().GetRowSymbols(), (std::vector<CString>{stocks[0], stocks[1], stocks[2]}));
    const std::vector<CString>& messages = m_harness->main->messages;
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "Screener: no data for QQZZX (Unknown symbol: QQZZX)");
    // Told once, not at every pass.
    PumpFor(1500);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), messages.back()), 1);
}

TEST_F(Level1BrokerTest, CustomAndColourFieldsShowFormulaValues)
{
    Level1View* view = m_harness->Open();
    CListCtrlEx& grid = view->Grid();
    const std::vector<CColorRule> rules = {{kRuleEqual, 1, RGB(0, 190, 0), 0}, {kRuleEqual, 0, RGB(200, 0, 0), 0}};
    grid.ApplyLayout({{MakeCatalogueColumn(kGridSymbol), 60}, {MakeCatalogueColumn(kFieldLast), 70},
                      {MakeCustomFieldColumn("Double", "Last*2"), 80},
                      {MakeColorFieldColumn("Above 100", "Last>100", 3, rules), 90}});
    view->InsertSymbols({"IBM", "MSFT"});
    ASSERT_TRUE(Broker().WaitForSubscription(kServiceQuote, "MSFT", 30000));
    ASSERT_TRUE(PumpUntil([&] { return grid.Model().EvaluateCustom(*grid.RowAt(1), grid.ModelOf(2), 0).has_value(); },
                          30000));
    ASSERT_TRUE(Broker().InjectTrade("IBM", 60.125, 100));
    ASSERT_TRUE(Broker().InjectTrade("MSFT", 312.5, 100));
    ASSERT_TRUE(PumpUntil([&] { return grid.GetCellText(0, 2) == "120.25" && grid.GetCellText(1, 2) == "625.00"; },
                          30000))
        << grid.GetCellText(0, 2).GetString() << " " << grid.GetCellText(1, 2).GetString();
    ASSERT_TRUE(PumpUntil(
        [&] {
            return grid.Model().ColorBox(*grid.RowAt(0), grid.ModelOf(3), 0) == RGB(200, 0, 0) &&
                   grid.Model().ColorBox(*grid.RowAt(1), grid.ModelOf(3), 0) == RGB(0, 190, 0);
        },
        30000));
    PumpFor(600);
    CRect ibm, msft;
    ASSERT_TRUE(grid.GetSubItemRect(0, 3, LVIR_BOUNDS, ibm));
    ASSERT_TRUE(grid.GetSubItemRect(1, 3, LVIR_BOUNDS, msft));
    EXPECT_EQ(GridPixel(grid, ibm.CenterPoint().x, ibm.CenterPoint().y), RGB(200, 0, 0));
    EXPECT_EQ(GridPixel(grid, msft.CenterPoint().x, msft.CenterPoint().y), RGB(0, 190, 0));
}

TEST_F(Level1BrokerTest, AColumnAlertIsRaisedOncePerCrossing)
{
    RecordingAlertHost host;
    SetAlertHost(&host);
    Level1View* view = m_harness->Open();
    CListCtrlEx& grid = view->Grid();
    CGridColumn above = MakeCustomFieldColumn("Above 100", "Last>100");
    above.alerts[1] = {1, "YES", "above.wav"};
    above.alerts[0] = {0, "no", ""};
    grid.ApplyLayout({{MakeCatalogueColumn(kGridSymbol), 60}, {above, 80}});
    view->InsertSymbols({"IBM"});
    ASSERT_TRUE(Broker().WaitForSubscription(kServiceQuote, "IBM", 10000));
    ASSERT_TRUE(Broker().InjectTrade("IBM", 99, 100));
    ASSERT_TRUE(PumpUntil([&] { return grid.GetCellText(0, 1) == "no"; }, 10000));
    PumpFor(1100); // two refreshes: the value is known
    EXPECT_TRUE(host.alerts.empty());
    ASSERT_TRUE(Broker().InjectTrade("IBM", 101, 100));
    ASSERT_TRUE(PumpUntil([&] { return host.alerts.size() == 1; }, 3000));
    ASSERT_TRUE(Broker().InjectTrade("IBM", 102, 100));
    PumpFor(1100);
    EXPECT_EQ(host.alerts.size(), 1u);
    ASSERT_TRUE(Broker().InjectTrade("IBM", 98, 100)); // the false state has no alert
    PumpFor(1100);
    EXPECT_EQ(host.alerts.size(), 1u);
    ASSERT_TRUE(Broker().InjectTrade("IBM", 104, 100));
    ASSERT_TRUE(PumpUntil([&] { return host.alerts.size() == 2; }, 3000));
    PumpFor(600);
    EXPECT_EQ(host.alerts.size(), 2u);
    EXPECT_EQ(host.alerts[0].Right(17), "IBM Above 100 YES");
    SetAlertHost(nullptr);
}
