// Numbers, symbols and dates as the order fields read them, and the spin arithmetic.
#include "trading/NumericSpinMath.h"
#include "trading/OrderInput.h"

#include <gtest/gtest.h>

TEST(OrderInput, NumbersAreReadAsTheyAreShownOrRefused)
{
    struct Case {
        const char* text;
        double value;
    };
    for (const Case& c : {Case{"1,000", 1000}, Case{"$12.50", 12.5}, Case{" 2,147,483,647 ", 2147483647.0},
                          Case{".5", 0.5}, Case{"3.", 3}, Case{"-$1.25", -1.25}, Case{"0", 0},
                          Case{"$1,234,567.891", 1234567.891}}) {
        double value = -99;
        EXPECT_TRUE(ParseOrderNumber(c.text, value)) << c.text;
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
    // None of these may become 1, 0 or any other number.
    for (const char* text : {"", " ", "$", "1,0", "1,0000", ",100", "12a", "1.2.3", "1 000", "ten", "1e5", "$-5",
                             "100,", "1,000.5.0", "+5"}) {
        double value = -99;
        EXPECT_FALSE(ParseOrderNumber(text, value)) << text;
        EXPECT_EQ(value, -99) << text;
    }
    int quantity = 0;
    EXPECT_TRUE(ParseOrderQuantity("1,000", quantity));
    EXPECT_EQ(quantity, 1000);
    EXPECT_TRUE(ParseOrderQuantity("2147483647", quantity));
    // Beyond 32 bits, fractions, zero and below are no quantity.
    for (const char* text : {"2147483648", "99999999999", "10.5", "0", "-3"})
        EXPECT_FALSE(ParseOrderQuantity(text, quantity)) << text;
}

TEST(OrderInput, SymbolsHoldOnlySymbolCharacters)
{
    for (const char* symbol : {"MSFT", "BRK.B", "BF/B", "+MSFT260116C00300000", "$SPX", "ABC-W", "A_B"})
        EXPECT_TRUE(IsOrderSymbol(symbol)) << symbol;
    for (const char* symbol : {"", "+", "$", "MS FT", "MSFT~quantity=1", "A=B", "A&B", "MSFT\n", "++A", "A+B",
                               "ÄBC", "INET:MSFT"})
        EXPECT_FALSE(IsOrderSymbol(symbol)) << symbol;
    EXPECT_EQ(PrintableSymbol("A\tB\x7f"), "A?B?");
    EXPECT_EQ(StripSymbolPrefix("INET:XYZ"), "XYZ");
    EXPECT_EQ(StripSymbolPrefix("A:B:C"), "B:C");
    EXPECT_EQ(StripSymbolPrefix("XYZ"), "XYZ");
}

TEST(OrderInput, GoodTillDatesLieBetweenTodayAndSixMonthsAhead)
{
    const CCalendarDate today{2026, 3, 10};
    EXPECT_TRUE(IsGoodTillDate("10", "3", "2026", today));
    EXPECT_TRUE(IsGoodTillDate("10", "9", "2026", today));   // six months ahead
    EXPECT_FALSE(IsGoodTillDate("11", "9", "2026", today));  // one day more
    EXPECT_FALSE(IsGoodTillDate("9", "3", "2026", today));   // yesterday
    EXPECT_FALSE(IsGoodTillDate("31", "4", "2026", today));  // 31 April
    EXPECT_FALSE(IsGoodTillDate("", "4", "2026", today));
    EXPECT_FALSE(IsGoodTillDate("1", "13", "2026", today));
    EXPECT_FALSE(IsGoodTillDate("1", "4", "26", today));
    // Across a year end the next year is allowed, a later one not; 30 February never.
    const CCalendarDate autumn{2026, 11, 30};
    EXPECT_TRUE(IsGoodTillDate("28", "2", "2027", autumn));
    EXPECT_FALSE(IsGoodTillDate("30", "2", "2027", autumn));
    EXPECT_FALSE(IsGoodTillDate("1", "1", "2028", autumn));

    // Three months from 30 November is the last day of February.
    EXPECT_EQ(AddMonths({2026, 11, 30}, 3), (CCalendarDate{2027, 2, 28}));
    EXPECT_EQ(AddMonths({2027, 11, 30}, 3), (CCalendarDate{2028, 2, 29}));
    EXPECT_EQ(AddMonths({2026, 1, 31}, 3), (CCalendarDate{2026, 4, 30}));
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
}

TEST(NumericSpin, TextOfAValue)
{
    EXPECT_EQ(FormatSpinValue(12.5, 2, nullptr, true), "12.5");
    EXPECT_EQ(FormatSpinValue(3, 2, nullptr, true), "3");
    EXPECT_EQ(FormatSpinValue(12.5, 2, nullptr, false), "12.50");
    EXPECT_EQ(FormatSpinValue(100, 0, nullptr, true), "100");
    EXPECT_EQ(FormatSpinValue(0.125, -1, nullptr, true), "0.125");
    EXPECT_EQ(FormatSpinValue(1.5e20, 2, nullptr, false), "1.50e+20");
    EXPECT_EQ(FormatSpinValue(1.5e20, 2, nullptr, true), "1.5e+20");
    EXPECT_EQ(FormatSpinValue(7, 2, "$%.3f", false), "$7.000");
    EXPECT_EQ(FormatSpinValue(2.5, 2, nullptr, true, ','), "2.50");  // no ',' in the text: nothing trimmed
}

TEST(NumericSpin, PositionsAndClicks)
{
    EXPECT_EQ(SpinPositionCount(0, 1000000, 0.01), 100000000);
    EXPECT_EQ(SpinPositionCount(0, 1000000000, 0.01), 2147483647);  // more than the control holds
    EXPECT_EQ(SpinPositionCount(0, 100, 0), 0);
    EXPECT_EQ(SpinPosition(-5, 0, 100, 100), 0);
    EXPECT_EQ(SpinPosition(100, 0, 100, 100), 100);
    EXPECT_EQ(SpinPosition(12.5, 0, 100, 100), 13);
    EXPECT_EQ(SpinPosition(5, 5, 5, 100), 0);
    // Up from 999,999.995 in steps of 0.01 stops at the maximum.
    EXPECT_DOUBLE_EQ(SpinClick(999999.995, 1, 0.01, 0, 1000000, false), 1000000);
    EXPECT_DOUBLE_EQ(SpinClick(999999.995, 1, 0.01, 0, 1000000, true), 0);
    EXPECT_DOUBLE_EQ(SpinClick(0.005, -1, 0.01, 0, 100, false), 0);
    EXPECT_DOUBLE_EQ(SpinClick(0.005, -1, 0.01, 0, 100, true), 100);
    // Rounding never counts as passing a bound.
    EXPECT_DOUBLE_EQ(SpinClick(0.29, 1, 0.01, 0, 0.3, true), 0.29 + 0.01);
    EXPECT_DOUBLE_EQ(SpinClick(10, 3, 100, 0, 1000000000, false), 310);
}
