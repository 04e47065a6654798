// What the report windows read from their rows: how cells sort, and the order legs made
// from an order status row (to change the order) and from a saved order (to place it).
#include "trading/ReportCompare.h"
#include "trading/ReportOrderLeg.h"
#include "tests/trading/FakeOrderForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using enum EReportSort;

TEST(ReportRows, CellsCompareByTheirColumnsKindAndEqualCellsAreEqual)
{
    // Numbers: one leading "$" and the thousands commas go; an empty cell is 0.
    EXPECT_EQ(CompareReportCells("$1,250.50", "999", kNumber), 1);
    EXPECT_EQ(CompareReportCells("-5", "", kNumber), -1);
    EXPECT_EQ(CompareReportCells("1,000", "$1000", kNumber), 0);
    EXPECT_EQ(CompareReportCells("10", "9", kNumber), 1);  // though "10" < "9" as text
    // A cell that is no number falls back to bytes for that pair.
    EXPECT_EQ(CompareReportCells("abc", "10", kNumber), 1);
    EXPECT_EQ(CompareReportCells("1.2.3", "2", kNumber), -1);
    // Dates in both forms the broker writes, with two-digit years read as 20xx.
    EXPECT_EQ(CompareReportCells("12/07/2026 09:30:00", "1/15/2026 4:00 PM", kDateTime), 1);
    EXPECT_EQ(CompareReportCells("02/01/26", "02/01/2026", kDateTime), 0);
    EXPECT_EQ(CompareReportCells("12/07/2026", "tomorrow", kDateTime), -1);  // bytes: '1' < 't'
    // Text is compared byte by byte as unsigned: 'a' after 'B', a high byte last.
    EXPECT_EQ(CompareReportCells("Buy", "Sell", kText), -1);
    EXPECT_EQ(CompareReportCells("a", "B", kText), 1);
    EXPECT_EQ(CompareReportCells("\xe9", "z", kText), 1);
    EXPECT_EQ(CompareReportCells("Open", "Open", kText), 0);

    // Three-way: swapping the cells turns the sign, a cell equals itself.
    const std::vector<CString> cells = {"", "0", "$5", "-1,000", "abc", "1.5", "12/07/2026", "1/1/26 10:00 AM", "x y"};
    for (EReportSort sort : {kText, kNumber, kDateTime})
        for (const CString& a : cells) {
            EXPECT_EQ(CompareReportCells(a, a, sort), 0) << a.str();
            for (const CString& b : cells)
                EXPECT_EQ(CompareReportCells(a, b, sort), -CompareReportCells(b, a, sort)) << a.str() << " " << b.str();
        }
}

TEST(ReportRows, AStableSortKeepsTheStoreOrderOfEqualCells)
{
    struct Row {
        CString price;
        int storeIndex;
    };
    std::vector<Row> rows = {{"10", 0}, {"$9.50", 1}, {"10.00", 2}, {"", 3}, {"9.5", 4}, {"10", 5}};
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return CompareReportCells(a.price, b.price, kNumber) < 0; });
    std::vector<int> order;
    for (const Row& r : rows)
        order.push_back(r.storeIndex);
    EXPECT_EQ(order, (std::vector<int>{3, 1, 4, 0, 2, 5}));
}

TEST(ReportRows, NumberCellsAreDigitsWithOnePointAndALeadingMinus)
{
    double value = -1;
    EXPECT_TRUE(ParseReportNumber("", value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(ParseReportNumber("$-1,234.5", value));
    EXPECT_EQ(value, -1234.5);
    EXPECT_TRUE(ParseReportNumber(".25", value));
    EXPECT_EQ(value, 0.25);
    for (const char* text : {"-", ".", "1.2.3", "+5", "$$5", "5$", "1e3", "12 ", "-$5", "5-"})
        EXPECT_FALSE(ParseReportNumber(text, value)) << text;
}

TEST(ReportRows, SessionTextsBecomeTheTimeInForceOfTheOrderForms)
{
    struct Case {
        const char* session;
        const char* status;  // from an order status row
        const char* saved;   // from a saved order
    };
    for (const Case& c : {Case{"DAY", "DAY", "DAY"}, Case{"Day", "DAY", "DAY"}, Case{"GTC + Ext", "GTC+EXT", "GTC+EXT"},
                          Case{"Good Till Cancel", "GTC", "GTC"}, Case{"DAY+EXT", "DAY+EXT", "DAY+EXT"},
                          Case{"Ext AM", "ExtAM", "ExtAM"}, Case{"EXTPM", "ExtPM", "ExtPM"},
                          Case{"MktClose", "", "MktClose"}, Case{"Mkt Close", "", "MktClose"},
                          Case{"MktClose Only", "", ""}, Case{"Normal", "", ""}, Case{"", "", ""}}) {
        EXPECT_EQ(ReportTimeInForce(c.session, false), c.status) << c.session;
        EXPECT_EQ(ReportTimeInForce(c.session, true), c.saved) << c.session;
    }
}

TEST(ReportRows, RoutesAndActionsBecomeTheWordsOfTheOrderForms)
{
    EXPECT_EQ(ReportRouteText("INET"), "NSDQ (INET)");
    EXPECT_EQ(ReportRouteText("Island/INET ECN"), "NSDQ (INET)");
    EXPECT_EQ(ReportRouteText("ARCA"), "ARCA");
    EXPECT_EQ(ReportRouteText("Auto Route"), "Auto");
    EXPECT_EQ(ReportRouteText("CBOE"), "CBOE");
    EXPECT_EQ(ReportActionIndex("Sell Short"), 2);
    EXPECT_EQ(ReportActionIndex("buy to cover"), 3);
    EXPECT_EQ(ReportActionIndex("Sell to Open"), 2);
    EXPECT_EQ(ReportActionIndex("Buy to Open"), 0);
    EXPECT_EQ(ReportActionIndex("Exercise"), 0);
}

TEST(ReportRows, AnOpenOrderRowBecomesTheLegThatChangesIt)
{
    CTradingTestEnvironment env;
    COrderStatusRecord r;
    using F = COrderStatusRecord;
    r.m_fields[F::kEntered] = "12/07/2026 10:31:05";
    r.m_fields[F::kStatus] = "Open";
    r.m_fields[F::kAction] = "Sell Short";
    r.m_fields[F::kQuantity] = "1,500";
    r.m_fields[F::kSymbol] = "MSFT";
    r.m_fields[F::kType] = "Stop Limit";
    r.m_fields[F::kPrice] = "$301.25";
    r.m_fields[F::kOrderId] = "1007";
    r.m_fields[F::kSession] = "GTC";
    r.m_fields[F::kRouting] = "INET";
    r.m_fields[F::kInstructions] = "aON";
    r.m_fields[F::kActPrice] = "300.5";
    r.m_fields[F::kExpiration] = "03/20/2027";
    const COrderRecord leg = OrderLegFromStatus(r);
    EXPECT_EQ(leg.orderId, "1007");
    EXPECT_EQ(leg.symbol, "MSFT");
    EXPECT_EQ(leg.action, 2);
    EXPECT_EQ(leg.quantity, 1500);
    EXPECT_EQ(leg.orderType, "StopLimit");
    EXPECT_EQ(leg.instructions, "AON");
    EXPECT_EQ(leg.route, "NSDQ (INET)");
    EXPECT_EQ(leg.expire, "GTC");
    EXPECT_EQ(leg.price, 301.25);
    EXPECT_EQ(leg.activationPrice, 300.5);
    EXPECT_EQ(leg.expirationMonth, "3");
    EXPECT_EQ(leg.expirationDay, "20");
    EXPECT_EQ(leg.expirationYear, "2027");

    // A day order takes no expiration date; a quantity that is no number is 0, which the
    // order gate refuses, never 1.
    r.m_fields[F::kSession] = "DAY";
    r.m_fields[F::kQuantity] = "1,0";
    const COrderRecord day = OrderLegFromStatus(r);
    EXPECT_EQ(day.expire, "DAY");
    EXPECT_EQ(day.expirationMonth, "");
    EXPECT_EQ(day.quantity, 0);
}

TEST(ReportRows, ASavedOrderBecomesALegWithoutAnOrderId)
{
    CTradingTestEnvironment env;
    CSavedOrderRecord r;
    using F = CSavedOrderRecord;
    r.m_fields[F::kAction] = "Buy to Close";
    r.m_fields[F::kQuantity] = "3";
    r.m_fields[F::kSymbol] = "+MSFT261218C00300000";
    r.m_fields[F::kType] = "Limit";
    r.m_fields[F::kPrice] = "2.15";
    r.m_fields[F::kOrderId] = "9001";
    r.m_fields[F::kSession] = "Mkt Close";
    r.m_fields[F::kRouting] = "Auto";
    r.m_fields[F::kInstructions] = "none";
    r.m_fields[F::kExpiration] = "1/5/27";
    const COrderRecord leg = OrderLegFromSaved(r);
    EXPECT_EQ(leg.orderId, "");
    EXPECT_EQ(leg.action, 3);
    EXPECT_EQ(leg.quantity, 3);
    EXPECT_EQ(leg.symbol, "+MSFT261218C00300000");
    EXPECT_EQ(leg.orderType, "Limit");
    EXPECT_EQ(leg.price, 2.15);
    EXPECT_EQ(leg.expire, "MktClose");
    EXPECT_EQ(leg.route, "Auto");
    EXPECT_EQ(leg.instructions, "None");
    // A saved order takes the date whatever its time in force.
    EXPECT_EQ(leg.expirationMonth, "1");
    EXPECT_EQ(leg.expirationDay, "5");
    EXPECT_EQ(leg.expirationYear, "2027");
}
