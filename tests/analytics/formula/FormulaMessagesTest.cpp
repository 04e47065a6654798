// Formula text in, exact compile message out; and what compiles, with its items.
#include "analytics/formula/CFormula.h"
#include "analytics/formula/FormulaNames.h"
#include "analytics/formula/FormulaParser.h"
#include "analytics/series/CPriceSeries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    const char* text;
    const char* message; // nullptr: compiles
};

std::string Compile(const char* text)
{
    CFormulaItemArray items;
    CString error;
    const bool ok = CompileFormulaText(text, items, error);
    EXPECT_EQ(ok, error.IsEmpty()) << text;
    if (!ok) {
        EXPECT_TRUE(items.empty()) << text;
    }
    return ok ? std::string() : error.str();
}

void CheckTable(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(c.message ? std::string(c.message) : std::string(), Compile(c.text)) << "formula: " << c.text;
}

// Postfix form of the items: numbers, names by kind and index, operator codes.
std::string Postfix(const char* text)
{
    CFormulaItemArray items;
    CString error;
    EXPECT_TRUE(CompileFormulaText(text, items, error)) << text << ": " << error.GetString();
    std::string out;
    for (const auto& item : items) {
        switch (item->m_nKind) {
        case kItemConstant: out += std::to_string(item->m_value); break;
        case kItemOperator: out += "op" + std::to_string(static_cast<CFormulaOperatorItem*>(item.get())->m_nCode); break;
        case kItemSeriesField: {
            const auto* s = static_cast<CFormulaSeriesItem*>(item.get());
            out += std::string("S:") + s->m_pCall->m_function.GetString() + "." + s->m_field.GetString() + "+" +
                   std::to_string(s->m_nBarOffset) + "@" + s->m_pCall->m_symbol.GetString();
            break;
        }
        case kItemDepthField: out += std::string("L2:") + static_cast<CFormulaDepthItem*>(item.get())->m_selector.GetString(); break;
        default: {
            const auto* v = static_cast<CFormulaValueItem*>(item.get());
            out += (item->m_nKind == kItemQuoteField ? "Q" : "T") + std::to_string(v->m_nIndex);
            if (v->m_pCall)
                out += std::string("@") + v->m_pCall->m_symbol.GetString();
            break;
        }
        }
        out += ' ';
    }
    return out;
}

} // namespace

TEST(FormulaMessages, ExamplesCompile)
{
    InitFormulaNames();
    CheckTable({
        {"Last>Bar[Close,D,1]", nullptr},
        {"MovingAverage[MA,Close,10,0,D]>MovingAverage[MA,Close,50,0,D]", nullptr},
        {"Bid[IBM]-Ask[IBM]<0.05 AND Volume>100000", nullptr},
        {"RSI[RSI,14,5,0,MSFT]<30", nullptr},
        {"Day Of Week = 5", nullptr},
        {"DayOfWeek=5", nullptr},
        {"-5+Last", nullptr},
        {"Last*-2", nullptr},
        {"Bar[Close,D,-1]", nullptr},
        {"PctChange>1 AND YesterdayClose>0 AND BidAskSpread<1 AND 1YearHigh>0 AND PctInDailyRange>0", nullptr},
        {"PERatio>0|PctInYearlyRange>0|DaysToExpiration>0|InTheMoney>0", nullptr},
        {"Level2[Bid,NSDQ]>0 AND Level2[AskSize,ARCA,1,IBM]>0", nullptr},
        {"NumTriggered<3 AND EntryPrice>0 AND EntryShares>0 AND EntryDate>0 AND EntryTime>0", nullptr},
        {"Year>2000&Month>0&Day>0&Hour>=0&Minute>=0&Second>=0", nullptr},
        {"{note}Last>1", nullptr},
        {"Last>{a}1{b}", nullptr},
        {"", nullptr},
        {"{only a comment}", nullptr},
        {".>0", nullptr},
        {"Last\t>\t1", nullptr},
        {"Last>1\r\nAND Volume>0", nullptr},
        {"StochasticRSI[StocK,14,14,3,3,D]>AdaptiveMA[AMA,Close,10,2,30,5]", nullptr},
        {"BollingerBands[Upper,Close,20,2.5,D]>ParabolicSAR[PSAR,0.02,0.02,0.2,15]", nullptr},
        {"MomentumROC[Momentum,Close,10,1,W]>0 AND DirectionalMovement[+DI,14,14,D]>0", nullptr},
    });
}

TEST(FormulaMessages, OperatorPlacement)
{
    CheckTable({
        {"*Last", "Can't start expression with operator"},
        {"% Change>1", "Can't start expression with operator"},
        {"Last>", "Can't end expression with operator"},
        {"Last>=", "Can't end expression with operator"},
        {"Last<>", "Can't end expression with operator"},
        {"Last*/2", "2 operators in a row: missing operand"},
        {"Last>*2", "2 operators in a row: missing operand"},
        {"(*Last)", "Can't start expression with operator"},
        {"1+(*2)", "2 operators in a row: missing operand"},
    });
}

TEST(FormulaMessages, Parentheses)
{
    CheckTable({
        {"(Last>1", "Error parsing expression: unmatched parentheses"},
        {"((1)", "Error parsing expression: unmatched parentheses"},
        {"Last>1)", "Error parsing expression: \"(\" is missing before \")\""},
        {")", "Error parsing expression: \"(\" is missing before \")\""},
        {"(1)+2)", "Error parsing expression: \"(\" is missing before \")\""},
        // Text that would compile to something never written.
        {"()", "Missing operand before \")\""},
        {"(1+)", "Missing operand before \")\""},
        {"(1+)*2", "Missing operand before \")\""},
        {"(Last>)*2", "Missing operand before \")\""},
        {"(1)(2)", "Missing operator between \")\" and \"(\""},
        {"(1)2", "Missing operator after \")\""},
        {"Last(2)", "Invalid operand Last("},
        {"A(B)", "Invalid operand A("},
        {"Bar[Close,D](1)", "Invalid operand Bar[Close,D]("},
        {std::string(65, '(').append("1").append(65, ')').c_str(),
         "Error parsing expression: too many nested parentheses"},
    });
    EXPECT_EQ("", Compile((std::string(64, '(') + "1" + std::string(64, ')')).c_str()));
}

TEST(FormulaMessages, Operands)
{
    CheckTable({
        {"Last > 10 and Volume > 0", "Invalid operand 10andVolume"},
        {"Foo", "Invalid operand Foo"},
        {"-Last", "Invalid operand -Last"},
        {"Last>1{x", "Invalid operand 1{x"},
        {"1.2.3>0", "Invalid operand 1.2.3"},
        {"--5", "Invalid operand --5"},
        {"1*--5", "Invalid operand --5"},
        {"-(1)", "Invalid operand -("},
        {"-Bar[Close,D]>0", "Invalid operand -Bar[Close,D]"},
        {"5 3", "Missing operator between 5 and 3"},
        {"Last>1 0", "Missing operator between 1 and 0"},
        {"1.5 .5", "Missing operator between 1.5 and .5"},
        {"5{c}3", "Missing operator between 5 and 3"},
        {"5 {c} 3", "Missing operator between 5 and 3"},
        {"Last>1\t2", "Missing operator between 1 and 2"},
    });
}

TEST(FormulaMessages, NamesAndArguments)
{
    CheckTable({
        {"Bar[Close,D,1,IBM,x]", "Invalid argument list for function Bar: 2 parameters required, 2 optional"},
        {"Bar[Close]", "Invalid argument list for function Bar: 2 parameters required, 2 optional"},
        {"Bar[close,D]", "Invalid argument list for function Bar: close is not a valid field name"},
        {"MovingAverage[MA,Close,10,0,X9]",
         "Invalid argument list for function MovingAverage: X9 is not a valid <Interval> parameter"},
        {"MovingAverage[MA,Close,10,0,7200]",
         "Invalid argument list for function MovingAverage: 7200 is not a valid <Interval> parameter"},
        {"MovingAverage[MA,Close,10,0,5&EndETime=1]",
         "Invalid argument list for function MovingAverage: 5&EndETime=1 is not a valid <Interval> parameter"},
        {"MovingAverage[MA,Clos,10,0,D]",
         "Invalid argument list for function MovingAverage: Clos is not a valid <Source> parameter"},
        {"MovingAverage[MA,Close,1.5,0,D]", "Invalid argument list for function MovingAverage: 1.5 is not an integer"},
        {"BollingerBands[Basis,Close,20,x,D]", "Invalid argument list for function BollingerBands: x is not a number"},
        {"BollingerBands[Basis,Close,20,1.2.3,D]",
         "Invalid argument list for function BollingerBands: 1.2.3 is not a number"},
        {"MomentumROC[Momentum,Close,10,2,D]",
         "Invalid argument list for function MomentumROC: 2 is not a boolean (0 or 1)"},
        {"Bar[Close,D,x]", "Invalid argument list for function Bar: x is not an integer"},
        {"Last[IBM,1]", "Invalid argument list for function Last, only [Symbol] argument allowed"},
        {"Year[1]", "No arguments allowed for function Year"},
        {"Foo[1]", "Invalid function name Foo"},
        {"MACD[MACD,Close,12,26,9]", "Invalid argument list for function MACD: 6 parameters required, 2 optional"},
    });
    // Two commas in a row count as one separator.
    EXPECT_EQ("", Compile("Bar[Close,,D]>0"));
    // 7199 is the largest minute interval, single letters the period codes.
    EXPECT_EQ("", Compile("Bar[Close,7199]+Bar[Close,W]+Bar[Close,M]+Bar[Close,Q]+Bar[Close,Y]+Bar[Close,0]"));
}

TEST(FormulaMessages, LimitsAndSymbols)
{
    CheckTable({
        {"RSI[RSI,0,D]", "Invalid argument list for function RSI: parameters out of range for RSI"},
        {"RSI[RSI,100000,D]", "Invalid argument list for function RSI: parameters out of range for RSI"},
        {"MovingAverage[MA,Close,5000,0,D]",
         "Invalid argument list for function MovingAverage: parameters out of range for MA"},
        {"Bar[Close,D,1001]", "Invalid argument list for function Bar: 1001 is out of range for a bar offset"},
        {"Bar[Close,D,99999999999]",
         "Invalid argument list for function Bar: 99999999999 is out of range for a bar offset"},
        {"Bar[Close,D,1,IBM:255]", "Invalid argument list for function Bar: IBM:255 is not a valid symbol"},
        {"Bar[Close,D,1,IBM)]", "Invalid argument list for function Bar: IBM) is not a valid symbol"},
        {"Last[IBM&EndETime=5]", "Invalid argument list for function Last: IBM&EndETime=5 is not a valid symbol"},
    });
    EXPECT_EQ("", Compile("Bar[Close,D,1000,$SPX]>Last[+IBM_011526C100]"));
}

TEST(FormulaItems, PostfixOrderFollowsPrecedenceAndAssociativity)
{
    EXPECT_EQ("2.000000 3.000000 2.000000 op5 op5 ", Postfix("2^3^2"));
    EXPECT_EQ("8.000000 3.000000 op1 2.000000 op1 ", Postfix("8-3-2"));
    EXPECT_EQ("1.000000 2.000000 3.000000 op2 op0 ", Postfix("1+2*3"));
    EXPECT_EQ("1.000000 2.000000 op6 1.000000 op9 ", Postfix("1<2=1"));
    EXPECT_EQ("7.000000 3.000000 op4 2.000000 op2 ", Postfix("7%3*2"));
    EXPECT_EQ("-2.000000 2.000000 op5 ", Postfix("-2^2"));
    EXPECT_EQ("1.000000 2.000000 op12 3.000000 op13 ", Postfix("1&2|3"));
    EXPECT_EQ("1.000000 2.000000 3.000000 op0 op2 ", Postfix("1*(2+3)"));
    EXPECT_EQ("Q3 1.000000 op10 Q10 0.000000 op10 op12 ", Postfix("Last>1 AND Volume>0"));
    EXPECT_EQ(Postfix("Last>10&Volume>0"), Postfix("Last>10 AND Volume>0"));
    EXPECT_EQ(Postfix("Last>10|Volume>0"), Postfix("Last>10 OR Volume>0"));
    EXPECT_EQ(Postfix("DayOfWeek=5"), Postfix("Day Of Week = 5"));
    EXPECT_EQ("S:Bar.Close+1@ ", Postfix("Bar[Close,D,-1]"));
    EXPECT_EQ("S:Bar.Close+3@IBM ", Postfix("Bar[Close,D,3,IBM]"));
    EXPECT_EQ("Q6@IBM Q7@IBM op1 ", Postfix("Bid[IBM]-Ask[IBM]"));
    EXPECT_EQ("S:EMA.DEMA+0@ ", Postfix("ExpMovingAverage[DEMA,Close,10,0,D]"));
    EXPECT_EQ("L2:NSDQ ", Postfix("Level2[Bid,NSDQ]"));
    EXPECT_EQ("T2 5.000000 op9 ", Postfix("DayOfWeek=5"));
    EXPECT_EQ("0.000000 ", Postfix("."));
}

TEST(FormulaItems, ParseKeepsTheFirstResultAndFailedParseKeepsNoItems)
{
    CFormula bad("Last>", 0, 1, 0);
    CString error;
    EXPECT_FALSE(bad.Parse(error));
    EXPECT_EQ(CString("Can't end expression with operator"), error);
    EXPECT_FALSE(bad.IsParsed());
    std::vector<CFormulaSeriesItem*> series;
    bad.GetSeriesInputs(series);
    EXPECT_TRUE(series.empty());

    CFormula good("Bar[Close,D]>MovingAverage[MA,Close,10,0,D,2,MSFT]", 3, 10, 0);
    ASSERT_TRUE(good.Parse(error));
    EXPECT_TRUE(good.Parse(error));
    good.GetSeriesInputs(series);
    ASSERT_EQ(2u, series.size());
    EXPECT_EQ(CString("MA"), series[1]->m_pCall->m_function);
    ASSERT_EQ(4u, series[1]->m_pCall->m_params.size());
    EXPECT_EQ(CString("D"), series[1]->m_pCall->m_params[3]);
    EXPECT_EQ(CString("Close"), series[1]->m_pCall->m_params[0]);
    EXPECT_EQ(CString("MSFT"), series[1]->m_pCall->m_symbol);
    EXPECT_EQ(2, series[1]->m_nBarOffset);
    // Without inputs resolved nothing evaluates.
    double value = 0;
    EXPECT_FALSE(good.Evaluate(&value, 0, -1));
    EXPECT_TRUE(good.IsWaitingForData());
    EXPECT_FALSE(bad.IsWaitingForData());
}

TEST(FormulaItems, BarCountsAreBoundedByTheSeriesLimit)
{
    CFormula huge("1", 3, 2147483647, 0);
    EXPECT_GT(huge.GetBarCount(), 0);
    EXPECT_LE(huge.GetBarCount(), CPriceSeries::kMaxRecords);
    CFormula negative("1", 3, -5, 0);
    EXPECT_EQ(0, negative.GetBarCount());
    // A formula is subscribed once; without an engine nothing is queued.
    CString error;
    ASSERT_TRUE(negative.Parse(error));
    EXPECT_FALSE(negative.Subscribe("IBM", 0, nullptr, nullptr, "", 0, 1));
}
