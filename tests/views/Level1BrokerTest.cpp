// Level I windows against the in-process test broker: 500 rows following live trades,
// positions, option chains and actives from the broker.
#include "Level1Harness.h"

#include "broker/session/CQuoteStore.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "tests/support/CSeriesBrokerSession.h"
#include "tests/support/OrderLegs.h"
#include "tools/testbroker/CTestBroker.h"
#include "views/OptionChainSet.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

namespace {

using qx::testbroker::SymbolKind;

class Level1BrokerTest : public ::testing::Test {
protected:
    explicit Level1BrokerTest(int stocks = 300) : m_session(stocks) {}
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        RegisterOptionChainHooks();
    }
    void TearDown() override
    {
        m_harness.reset();
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
    std::unique_ptr<CLevel1Harness> m_harness = std::make_unique<CLevel1Harness>();
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
