// The quote grid's cells, totals, highlights, sort order and column alerts, computed
// over a quote store fed by hand. Expected values are worked out by hand from the
// positions and quotes of each test.
#include "ViewsTestSupport.h"

#include "alerts/CColumnAlert.h"
#include "alerts/IAlertHost.h"
#include "broker/session/QuoteFields.h"
#include "views/CQuoteGridModel.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

class GridModelTest : public CQuoteFixture {
protected:
    int Add(int fieldId, int decimals = 2)
    {
        CGridColumn column = MakeCatalogueColumn(fieldId);
        column.decimals = decimals;
        return m_model.AddColumn(column);
    }
    CString Text(const CGridRow& row, int model, int index = 0)
    {
        CString text;
        double value = 0;
        return m_model.GetCell(row, index, model, text, value) ? text : CString("<none>");
    }
    double Value(const CGridRow& row, int model)
    {
        CString text;
        double value = 0;
        EXPECT_TRUE(m_model.GetCell(row, 0, model, text, value));
        return value;
    }
    static CPortfolioPosition Position(int shares, double base, double fee, bool isShort, int multiplier = 1)
    {
        CPortfolioPosition p;
        p.shares = shares;
        p.basePrice = base;
        p.fee = fee;
        p.side = isShort ? kSideShort : kSideLong;
        p.multiplier = multiplier;
        p.comments = "core";
        p.date = "03-04-2025";
        return p;
    }
    // The rows in the order a sort by the model's sort column gives.
    std::vector<CGridRow*> Sorted(std::vector<CGridRow*> rows)
    {
        m_model.PrepareSortKeys();
        std::stable_sort(rows.begin(), rows.end(),
                         [&](CGridRow* a, CGridRow* b) { return m_model.CompareRows(*a, *b) < 0; });
        return rows;
    }

    CQuoteGridModel m_model{&Store()};
};

class RecordingAlertHost : public IAlertHost {
public:
    void DeliverAlert(std::unique_ptr<CAlertEvent>, CAlert* alert) override
    {
        std::unique_ptr<CAlert> owned(alert);
        if (auto* column = dynamic_cast<CColumnAlert*>(alert))
            alerts.push_back(column->m_symbol + "|" + column->m_columnName + "|" + column->m_value + "|" +
                             column->m_soundFile);
    }
    CString GetAccountListText(int, const std::vector<CString>&, int) const override { return {}; }
    std::vector<CString> alerts;
};

} // namespace

TEST(GridCatalogue, NamesTheQuoteFieldsAndTheComputedColumns)
{
    EXPECT_STREQ(GridColumnName(0), "Open");
    EXPECT_STREQ(GridColumnName(33), "Symbol");
    EXPECT_STREQ(GridColumnName(100), "Dividend Yield");
    EXPECT_STREQ(GridColumnName(101), "Exchange");
    EXPECT_STREQ(GridColumnName(109), "Row #");
    EXPECT_STREQ(GridColumnName(113), "Daily P&L");
    EXPECT_STREQ(GridColumnName(114), "Notes");
    EXPECT_STREQ(GridColumnName(115), "");
    EXPECT_STREQ(GridColumnName(-1), "");
    EXPECT_TRUE(IsTextGridField(33) && IsTextGridField(114) && IsTextGridField(27));
    EXPECT_FALSE(IsTextGridField(3) || IsTextGridField(103));
}

TEST_F(GridModelTest, QuoteCellsFollowTheQuoteAndFixedDecimals)
{
    const int last = Add(kFieldLast);
    const int volume = Add(kFieldVolume);
    const int symbol = Add(kGridSymbol);
    const int exchange = Add(kGridExchange);
    const int description = Add(kGridDescription);
    const int rowNumber = Add(kGridRowNumber);
    CGridRow* row = m_model.CreateRow("nasd:msft", nullptr, 0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Symbol(), "MSFT");
    // Pending: quote cells have no data, the symbol is still shown.
    EXPECT_EQ(Text(*row, last), "<none>");
    EXPECT_EQ(Text(*row, symbol), "MSFT");
    CQuoteMessage message;
    message.m_symbol = "MSFT";
    message.AddField(kFieldLast, 412.5);
    message.AddField(kFieldVolume, 1234567);
    message.AddText(kFieldExchange, "NASD");
    message.AddText(kFieldDescription, "Microsoft Corp");
    Store().ApplyQuote(message);
    EXPECT_EQ(Text(*row, last), "412.50");
    EXPECT_EQ(Text(*row, volume), "1,234,567");
    EXPECT_EQ(Text(*row, symbol), "MSFT");
    EXPECT_EQ(Text(*row, exchange), "NASD");
    EXPECT_EQ(Text(*row, description), "Microsoft Corp");
    EXPECT_EQ(Text(*row, rowNumber, 6), "7");
    m_model.MutableColumn(last)->fixedDecimals = 1;
    m_model.MutableColumn(last)->decimals = 3;
    EXPECT_EQ(Text(*row, last), "412.500");
    EXPECT_EQ(m_model.CreateRow("  ", nullptr, 0), nullptr);
}

TEST_F(GridModelTest, PositionCellsOfLongShortAndOptionPositions)
{
    const int shares = Add(kGridShares);
    const int base = Add(kGridBasePrice);
    const int side = Add(kGridLongShort);
    const int pnl = Add(kGridProfitLoss);
    const int ret = Add(kGridReturn, 4);
    const int value = Add(kGridMarketValue);
    const int daily = Add(kGridDailyPnl);
    const int comments = Add(kGridComments);

    const CPortfolioPosition longStock = Position(100, 50, 10, false);
    const CPortfolioPosition shortStock = Position(200, 30, 5, true);
    const CPortfolioPosition option = Position(2, 3.5, 1.5, false, 100);
    CGridRow* a = m_model.CreateRow("AAA", &longStock, 0);
    CGridRow* b = m_model.CreateRow("BBB", &shortStock, 0);
    CGridRow* c = m_model.CreateRow("+MSFT_012027C300", &option, 0);
    CGridRow* plain = m_model.CreateRow("CCC", nullptr, 0);

    // Nothing valued at the market before the quotes: no loss of the whole base price.
    EXPECT_EQ(Text(*a, pnl), "<none>");
    EXPECT_EQ(Text(*a, value), "<none>");
    EXPECT_EQ(Text(*a, shares), "100");
    EXPECT_EQ(Text(*b, shares), "-200");
    EXPECT_EQ(Text(*b, base), "-30.00");
    EXPECT_EQ(Text(*b, side), "Short");
    EXPECT_EQ(Text(*a, comments), "core");
    EXPECT_EQ(Text(*plain, shares), "<none>");

    Quote("AAA", {{kFieldYesterdayClose, 54}, {kFieldLast, 55}});
    Quote("BBB", {{kFieldYesterdayClose, 29}, {kFieldLast, 28}});
    Quote("+MSFT_012027C300", {{kFieldBid, 4.0}, {kFieldAsk, 4.2}, {kFieldLast, 4.1}, {kFieldYesterdayClose, 3.9}});

    // (55 - 50) x 100 - 10; ((55 - 50) - 10 / 100) / 50 x 100; 100 x 55; 100 x (55 - 54).
    EXPECT_EQ(Text(*a, pnl), "490.00");
    EXPECT_EQ(Text(*a, ret), "9.8000");
    EXPECT_EQ(Text(*a, value), "5500.00");
    EXPECT_EQ(Text(*a, daily), "100.00");
    // Short: -(28 - 30) x 200 - 5; ((28 - 30) x -1 - 5 / 200) / 30 x 100; -200 x 28.
    EXPECT_EQ(Text(*b, pnl), "395.00");
    EXPECT_EQ(Text(*b, ret), "6.5833");
    EXPECT_EQ(Text(*b, value), "-5600.00");
    EXPECT_EQ(Text(*b, daily), "200.00");
    // A long option is valued at the Bid: (4.0 - 3.5) x 100 x 2 - 1.5.
    EXPECT_EQ(Text(*c, pnl), "98.50");
    EXPECT_EQ(Text(*c, value), "800.00");

    // Totals over the rows with a position.
    m_model.CreateTotalsRow();
    EXPECT_DOUBLE_EQ(m_model.Total(kGridShares), 100 - 200 + 2);
    EXPECT_DOUBLE_EQ(m_model.Total(kGridProfitLoss), 490 + 395 + 98.5);
    EXPECT_DOUBLE_EQ(m_model.Total(kGridMarketValue), 5500 - 5600 + 800);
    EXPECT_DOUBLE_EQ(m_model.Total(kGridBasePrice), 5000 - 6000 + 700);
    EXPECT_DOUBLE_EQ(m_model.Total(kFieldLast), 5500 - 5600 + 820);
    // Cost 5000 - 6000 + 700 = -300; value 5490 - 5605 + 798.5 = 683.5.
    EXPECT_NEAR(m_model.Total(kGridReturn), (683.5 + 300) / 300 * 100, 1e-9);
    // Cost 100 x 54 - 200 x 29 + 200 x 3.9 = 380; value 5490 - 5605 + 818.5 = 703.5.
    EXPECT_NEAR(m_model.Total(kGridPercentChange), (703.5 - 380) / 380 * 100, 1e-9);
    EXPECT_EQ(m_model.Total(kFieldVolume), 0);
}

TEST_F(GridModelTest, ReturnIsBlankWithoutSharesBaseOrMultiplier)
{
    const int ret = Add(kGridReturn);
    const CPortfolioPosition none = Position(0, 50, 0, false);
    const CPortfolioPosition free = Position(10, 0, 0, false);
    CGridRow* a = m_model.CreateRow("AAA", &none, 0);
    CGridRow* b = m_model.CreateRow("BBB", &free, 0);
    Quote("AAA", {{kFieldLast, 55}});
    Quote("BBB", {{kFieldLast, 55}});
    EXPECT_EQ(Text(*a, ret), "<none>");
    EXPECT_EQ(Text(*b, ret), "<none>");
}

TEST_F(GridModelTest, TotalsRowShowsTotalAndSortsLastEitherWay)
{
    const int symbol = Add(kGridSymbol);
    const int last = Add(kFieldLast);
    const int volume = Add(kFieldVolume);
    const CPortfolioPosition p = Position(10, 1, 0, false);
    CGridRow* x = m_model.CreateRow("XX", &p, 0);
    CGridRow* totals = m_model.CreateTotalsRow();
    CGridRow* y = m_model.CreateRow("YY", &p, 0);
    Quote("XX", {{kFieldLast, 2}});
    Quote("YY", {{kFieldLast, 1}});
    EXPECT_EQ(Text(*totals, symbol), "Total");
    EXPECT_EQ(Text(*totals, last), "30.00");
    EXPECT_EQ(Text(*totals, volume), "<none>");
    for (bool ascending : {true, false}) {
        m_model.SetSort(last, ascending);
        const auto rows = Sorted({totals, x, y});
        EXPECT_EQ(rows.back(), totals);
        EXPECT_EQ(rows.front(), ascending ? y : x);
    }
}

TEST_F(GridModelTest, SortIsAThreeWayOrderThatKeepsEqualRowsInPlace)
{
    const int last = Add(kFieldLast);
    const int symbol = Add(kGridSymbol);
    std::vector<CGridRow*> rows;
    const double prices[] = {5, 3, 5, 1, 3, 5};
    for (int i = 0; i < 6; ++i) {
        CString name;
        name.Format("S%d", i);
        rows.push_back(m_model.CreateRow(name, nullptr, 0));
        Quote(name, {{kFieldLast, prices[i]}});
    }
    m_model.SetSort(last, true);
    m_model.PrepareSortKeys();
    for (CGridRow* a : rows) {
        EXPECT_EQ(m_model.CompareRows(*a, *a), 0);
        for (CGridRow* b : rows)
            EXPECT_EQ(m_model.CompareRows(*a, *b), -m_model.CompareRows(*b, *a));
    }
    auto order = Sorted(rows);
    std::vector<CString> names;
    for (CGridRow* row : order)
        names.push_back(row->Symbol());
    EXPECT_EQ(names, (std::vector<CString>{"S3", "S1", "S4", "S0", "S2", "S5"}));
    m_model.SetSort(last, false);
    order = Sorted(rows);
    names.clear();
    for (CGridRow* row : order)
        names.push_back(row->Symbol());
    EXPECT_EQ(names, (std::vector<CString>{"S0", "S2", "S5", "S1", "S4", "S3"}));
    // Text columns compare byte by byte.
    m_model.SetSort(symbol, false);
    order = Sorted(rows);
    EXPECT_EQ(order.front()->Symbol(), "S5");
    EXPECT_EQ(order.back()->Symbol(), "S0");
}

TEST_F(GridModelTest, HighlightsFollowTheRulesOfEachField)
{
    CGridRow* row = m_model.CreateRow("AAA", nullptr, 0);
    // The first value only is remembered.
    EXPECT_EQ(row->UpdateHighlight(kFieldLast, 10, std::nullopt), kHighlightNone);
    EXPECT_EQ(row->UpdateHighlight(kFieldLast, 11, std::nullopt), kHighlightUp);
    EXPECT_EQ(row->UpdateHighlight(kFieldLast, 11, std::nullopt), kHighlightUp);
    EXPECT_EQ(row->UpdateHighlight(kFieldLast, 9, std::nullopt), kHighlightDown);
    // A new high lights up; once Last falls below it the light goes.
    EXPECT_EQ(row->UpdateHighlight(kFieldHigh, 12, 12.0), kHighlightNone);
    EXPECT_EQ(row->UpdateHighlight(kFieldHigh, 13, 13.0), kHighlightUp);
    EXPECT_EQ(row->UpdateHighlight(kFieldHigh, 13, 13.0), kHighlightUp);
    EXPECT_EQ(row->UpdateHighlight(kFieldHigh, 13, 12.5), kHighlightNone);
    EXPECT_EQ(row->UpdateHighlight(kFieldLow, 8, 8.0), kHighlightNone);
    EXPECT_EQ(row->UpdateHighlight(kFieldLow, 7, 7.0), kHighlightDown);
    EXPECT_EQ(row->UpdateHighlight(kFieldLow, 7, 7.5), kHighlightNone);
    EXPECT_EQ(row->UpdateHighlight(kFieldVolume, 7, 7.5), kHighlightNone);
}

// A look at the highlight tells what drawing would show and remembers nothing.
TEST_F(GridModelTest, PeekingAtAHighlightLeavesItAsItWas)
{
    CGridRow* row = m_model.CreateRow("AAA", nullptr, 0);
    row->UpdateHighlight(kFieldBid, 10, std::nullopt);
    EXPECT_EQ(row->PeekHighlight(kFieldBid, 11, std::nullopt), kHighlightUp);
    EXPECT_EQ(row->PeekHighlight(kFieldBid, 9, std::nullopt), kHighlightDown);
    EXPECT_EQ(row->PeekHighlight(kFieldBid, 10, std::nullopt), kHighlightNone);
    EXPECT_EQ(row->UpdateHighlight(kFieldBid, 9, std::nullopt), kHighlightDown);
    EXPECT_EQ(row->PeekHighlight(kFieldBid, 9, std::nullopt), kHighlightDown);
    EXPECT_EQ(row->PeekHighlight(kFieldLow, 5, 6.0), kHighlightNone);
}

// Quote fields shown as numbers have texts that follow from their values alone; texts,
// names, row numbers, positions and formulas do not.
TEST_F(GridModelTest, QuoteNumbersAreTheFieldsShownAsNumbers)
{
    const int last = Add(kFieldLast);
    const int volume = Add(kFieldVolume);
    const int description = Add(kGridDescription);
    const int symbol = Add(kGridSymbol);
    const int rowNumber = Add(kGridRowNumber);
    const int shares = Add(kGridShares);
    const int custom = m_model.AddColumn(MakeCustomFieldColumn("Twice", "Last*2"));
    EXPECT_TRUE(m_model.ShowsQuoteNumber(last));
    EXPECT_TRUE(m_model.ShowsQuoteNumber(volume));
    for (int model : {description, symbol, rowNumber, shares, custom})
        EXPECT_FALSE(m_model.ShowsQuoteNumber(model)) << model;
    CGridRow* row = m_model.CreateRow("MSFT", nullptr, 0);
    EXPECT_FALSE(m_model.QuoteNumber(*row, last).has_value()); // pending
    CQuoteMessage message;
    message.m_symbol = "MSFT";
    message.AddField(kFieldLast, 412.5);
    Store().ApplyQuote(message);
    EXPECT_EQ(m_model.QuoteNumber(*row, last), 412.5);
    EXPECT_FALSE(m_model.QuoteNumber(*m_model.CreateTotalsRow(), last).has_value());
}

TEST_F(GridModelTest, CustomFieldsEvaluatePerRowAndRaiseAlertsOncePerChange)
{
    StartEngine();
    RecordingAlertHost host;
    SetAlertHost(&host);
    CGridColumn field = MakeCustomFieldColumn("Big", "Last>100");
    field.alerts[1] = {1, "BIG", "big.wav"};
    field.alerts[0] = {0, "", ""};
    const int model = m_model.AddColumn(field);
    const int plain = m_model.AddColumn(MakeCustomFieldColumn("Twice", "Last*2"));
    const int broken = m_model.AddColumn(MakeCustomFieldColumn("Broken", "Last>>"));
    CGridRow* row = m_model.CreateRow("IBM", nullptr, 0);
    Quote("IBM", {{kFieldLast, 99.5}}, "NYSE");
    ASSERT_TRUE(WaitFor([&] {
        return m_model.EvaluateCustom(*row, model, 0).has_value() && m_model.EvaluateCustom(*row, plain, 0).has_value();
    }));
    EXPECT_EQ(Text(*row, model), "0.00");
    EXPECT_EQ(Text(*row, plain), "199.00");
    EXPECT_EQ(Text(*row, broken), "<none>");
    // The first value after compilation raises nothing.
    EXPECT_EQ(m_model.CheckColumnAlerts(), 0);
    Quote("IBM", {{kFieldLast, 101}});
    EXPECT_EQ(Text(*row, model), "BIG");
    EXPECT_EQ(m_model.CheckColumnAlerts(), 1);
    EXPECT_EQ(m_model.CheckColumnAlerts(), 0);
    Quote("IBM", {{kFieldLast, 102}});
    EXPECT_EQ(m_model.CheckColumnAlerts(), 0);
    // Back to 0: that state's alert is off.
    Quote("IBM", {{kFieldLast, 98}});
    EXPECT_EQ(m_model.CheckColumnAlerts(), 0);
    // The state survives a rebuild of the rows: the next crossing raises one alert.
    m_model.DestroyAllRows();
    row = m_model.CreateRow("IBM", nullptr, 0);
    Quote("IBM", {{kFieldLast, 98}}); // a new subscription gets the quote again
    ASSERT_TRUE(WaitFor([&] { return m_model.EvaluateCustom(*row, model, 0).has_value(); }));
    EXPECT_EQ(m_model.CheckColumnAlerts(), 0);
    Quote("IBM", {{kFieldLast, 103}});
    EXPECT_EQ(m_model.CheckColumnAlerts(), 1);
    ASSERT_EQ(host.alerts.size(), 2u);
    EXPECT_EQ(host.alerts[0], "NYSE:IBM|Big|BIG|big.wav");
    SetAlertHost(nullptr);
}

TEST_F(GridModelTest, AColumnAlertFiresAfterARealValueOfMinusOne)
{
    StartEngine();
    RecordingAlertHost host;
    SetAlertHost(&host);
    CGridColumn field = MakeCustomFieldColumn("Change", "Last-100");
    field.alerts[1].alertOn = 1;
    const int model = m_model.AddColumn(field);
    CGridRow* row = m_model.CreateRow("IBM", nullptr, 0);
    Quote("IBM", {{kFieldLast, 99}});
    ASSERT_TRUE(WaitFor([&] { return m_model.EvaluateCustom(*row, model, 0).has_value(); }));
    EXPECT_EQ(m_model.CheckColumnAlerts(), 0);
    Quote("IBM", {{kFieldLast, 97}});
    EXPECT_EQ(m_model.CheckColumnAlerts(), 1);
    SetAlertHost(nullptr);
}

TEST_F(GridModelTest, ColorFieldBoxesTakeTheFirstRuleThatHolds)
{
    StartEngine();
    const std::vector<CColorRule> rules = {{kRuleGreater, 100, RGB(0, 200, 0), 0}, {kRuleLessEqual, 50, RGB(200, 0, 0), 0}};
    const int model = m_model.AddColumn(MakeColorFieldColumn("Trend", "Last", 3, rules));
    CGridRow* row = m_model.CreateRow("IBM", nullptr, 0);
    Quote("IBM", {{kFieldLast, 120}});
    ASSERT_TRUE(WaitFor([&] { return m_model.ColorBox(*row, model, 0).has_value(); }));
    EXPECT_EQ(*m_model.ColorBox(*row, model, 2), RGB(0, 200, 0));
    Quote("IBM", {{kFieldLast, 75}});
    EXPECT_FALSE(m_model.ColorBox(*row, model, 1).has_value());
    Quote("IBM", {{kFieldLast, 50}});
    EXPECT_EQ(*m_model.ColorBox(*row, model, 0), RGB(200, 0, 0));
}
