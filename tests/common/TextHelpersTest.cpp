#include "common/services/TextHelpers.h"

#include <gtest/gtest.h>

TEST(TextHelpers, EscapeOperatorChars)
{
    EXPECT_EQ(EscapeOperatorChars("% Change"), "PctChange");
    EXPECT_EQ(EscapeOperatorChars("52-Week High"), "52WeekHigh");
    EXPECT_EQ(EscapeOperatorChars("Bid/Ask (x)"), "BidAskx");
    EXPECT_EQ(EscapeOperatorChars("a+b*c^d<e=f>g&h|i"), "abcdefghi");
    EXPECT_EQ(EscapeOperatorChars(""), "");
}

TEST(TextHelpers, FormatTrimmedDouble)
{
    EXPECT_EQ(FormatTrimmedDouble(1.5), "1.5");
    EXPECT_EQ(FormatTrimmedDouble(2.0), "2");
    EXPECT_EQ(FormatTrimmedDouble(10.0), "10");
    EXPECT_EQ(FormatTrimmedDouble(0.00001), "0");
    EXPECT_EQ(FormatTrimmedDouble(-0.00004), "0");
    EXPECT_EQ(FormatTrimmedDouble(-3.14159), "-3.1416");
    EXPECT_EQ(FormatTrimmedDouble(100.25), "100.25");
}

TEST(TextHelpers, SymbolKinds)
{
    EXPECT_EQ(GetSymbolKind("MSFT"), kSymbolStock);
    EXPECT_EQ(GetSymbolKind("$INDU"), kSymbolIndex);
    EXPECT_EQ(GetSymbolKind("+MSFT_011526C45"), kSymbolOption);
    EXPECT_EQ(GetSymbolKind("MSFT_011526C45"), kSymbolOption);
    // An underscore in a short symbol or in first place is no option.
    EXPECT_EQ(GetSymbolKind("BRK_B"), kSymbolStock);
    EXPECT_EQ(GetSymbolKind("_ABCDEFGHIJ"), kSymbolStock);
    EXPECT_EQ(GetSymbolKind(""), kSymbolStock);
    EXPECT_EQ(GetSymbolKind(nullptr), kSymbolStock);
}

TEST(TextHelpers, ParseMixedFraction)
{
    EXPECT_DOUBLE_EQ(ParseMixedFraction("5"), 5.0);
    EXPECT_DOUBLE_EQ(ParseMixedFraction("2.25"), 2.25);
    EXPECT_DOUBLE_EQ(ParseMixedFraction("3/4"), 0.75);
    EXPECT_DOUBLE_EQ(ParseMixedFraction("1 1/2"), 1.5);
    EXPECT_DOUBLE_EQ(ParseMixedFraction(" 12  3/8 "), 12.375);
    EXPECT_DOUBLE_EQ(ParseMixedFraction("-1 1/2"), -1.5);
    EXPECT_DOUBLE_EQ(ParseMixedFraction("1 1/0"), 1.0);
    EXPECT_DOUBLE_EQ(ParseMixedFraction("7/0"), 0.0);
    EXPECT_DOUBLE_EQ(ParseMixedFraction("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ParseMixedFraction("1 x/2"), 0.0);
    EXPECT_DOUBLE_EQ(ParseMixedFraction(""), 0.0);
}

TEST(TextHelpers, PeriodNamesAndCodes)
{
    EXPECT_EQ(PeriodNameToCode("Tick"), "0");
    EXPECT_EQ(PeriodNameToCode("daily"), "D");
    EXPECT_EQ(PeriodNameToCode("Weekly"), "W");
    EXPECT_EQ(PeriodNameToCode("MONTHLY"), "M");
    EXPECT_EQ(PeriodNameToCode("Quarterly"), "Q");
    EXPECT_EQ(PeriodNameToCode("Yearly"), "Y");
    EXPECT_EQ(PeriodNameToCode("15"), "15");
    EXPECT_EQ(PeriodCodeToName("15"), "15 minutes");
    EXPECT_EQ(PeriodCodeToName("D"), "Daily");
    EXPECT_EQ(PeriodCodeToName("Q"), "Quarterly");
    EXPECT_EQ(PeriodCodeToName("0"), "0");
    EXPECT_EQ(PeriodCodeToName("X"), "X");
    EXPECT_EQ(PeriodCodeToName(""), "");
}

TEST(TextHelpers, TrimAndTestAndAccountNames)
{
    CString text("  MSFT  ");
    EXPECT_TRUE(TrimAndTest(text));
    EXPECT_EQ(text, "MSFT");
    CString blank("   ");
    EXPECT_FALSE(TrimAndTest(blank));
    EXPECT_TRUE(SameAccountName("Joint (main)", "JOINT"));
    EXPECT_TRUE(SameAccountName("ira", "IRA (Main)"));
    EXPECT_FALSE(SameAccountName("IRA", "IRA2"));
}

TEST(TextHelpers, DescribeOptionSymbol)
{
    // The broker's form: root, YYMMDD, C or P, the strike in thousandths.
    EXPECT_EQ(DescribeOptionSymbol("+MSFT260116C00300000"), "MSFT Jan 16 2026 300 Call");
    EXPECT_EQ(DescribeOptionSymbol("+IBM251231P00102500"), "IBM Dec 31 2025 102.5 Put");
    EXPECT_EQ(DescribeOptionSymbol("+BRK.B270115C00000500"), "BRK.B Jan 15 2027 0.5 Call");
    EXPECT_EQ(DescribeOptionSymbol("MSFT"), "MSFT");
    EXPECT_EQ(DescribeOptionSymbol("+MSFT261316C00300000"), "+MSFT261316C00300000");  // month 13
    EXPECT_EQ(DescribeOptionSymbol("+MSFT260116X00300000"), "+MSFT260116X00300000");
    EXPECT_EQ(DescribeOptionSymbol("+260116C00300000"), "+260116C00300000");  // no root
    EXPECT_EQ(DescribeOptionSymbol("MSFT_011526C45"), "MSFT_011526C45");  // not the broker's form
}

TEST(TextHelpers, FormulaXmlWrapsTextsInCData)
{
    EXPECT_EQ(FormatFormulaXml("Cross", "a>b"),
              "<Formula>\r\n<Version>19</Version>\r\n<Name><![CDATA[Cross]]></Name>\r\n"
              "<Expression><![CDATA[a>b]]></Expression>\r\n</Formula>");
    EXPECT_EQ(MakeCData("x]]>y"), "<![CDATA[x]]]]><![CDATA[>y]]>");
}

TEST(TextHelpers, VersionsCompareNumericallyPartByPart)
{
    EXPECT_EQ(CompareVersions("0.1.0", "0.1.0"), 0);
    EXPECT_EQ(CompareVersions("0.1", "0.1.0"), 0);
    EXPECT_EQ(CompareVersions("0.01.0", "0.1"), 0);
    EXPECT_GT(CompareVersions("0.10.0", "0.9.1"), 0);  // not by text
    EXPECT_LT(CompareVersions("0.9.1", "0.10.0"), 0);
    EXPECT_GT(CompareVersions("1.0", "0.99.99"), 0);
    EXPECT_GT(CompareVersions("0.1.0.1", "0.1.0"), 0);
    EXPECT_GT(CompareVersions("2.0-beta", "1.9"), 0);
    EXPECT_GT(CompareVersions("123456789012345678901234567890", "99"), 0);
    EXPECT_EQ(CompareVersions("", "0"), 0);
    EXPECT_LT(CompareVersions("", "0.0.1"), 0);
}

TEST(TextHelpers, PeriodTextsAreTheNamesAndCodesOfTheIntervals)
{
    for (const char* good : {"Tick", "tick", "0", "Daily", "weekly", "Monthly", "Quarterly", "Yearly", "D", "W", "M",
                             "Q", "Y", "1 minutes", "1 minute", "5 minutes", "60 Minutes", "5", " 15 minutes ", "390"})
        EXPECT_TRUE(IsPeriodText(good)) << good;
    for (const char* bad : {"", "banana", "0 minutes", "-5", "5 hours", "5minutes", "Dx", "x", "5 minutes!",
                            "2000000", "05 minutes", "2000000 minutes", "Daily65ds", "5x", "05"})
        EXPECT_FALSE(IsPeriodText(bad)) << bad;
}

// A name and its code go back and forth with one unit word: a name read from the
// Interval box never becomes "5 minutes minutes" in a title.
TEST(TextHelpers, MinuteNamesAndCodesRoundTrip)
{
    EXPECT_EQ(PeriodNameToCode("5 minutes"), "5");
    EXPECT_EQ(PeriodNameToCode("1 minute"), "1");
    EXPECT_EQ(PeriodNameToCode("1 minutes"), "1");
    EXPECT_EQ(PeriodNameToCode(" 60 Minutes "), "60");
    EXPECT_EQ(PeriodNameToCode("5 hours"), "5 hours");
    EXPECT_EQ(PeriodCodeToName("5"), "5 minutes");
    EXPECT_EQ(PeriodCodeToName("1"), "1 minute");
    EXPECT_EQ(PeriodCodeToName("5 minutes"), "5 minutes");
    EXPECT_EQ(PeriodCodeToName("1 minutes"), "1 minute");
    EXPECT_EQ(PeriodCodeToName("5x"), "5x");
    for (const char* name : {"1 minute", "5 minutes", "390 minutes", "Tick", "Daily", "Weekly", "Monthly"})
        EXPECT_EQ(PeriodCodeToName(PeriodNameToCode(name)), name == CString("Tick") ? CString("0") : CString(name))
            << name;
}
