// Evaluation of compiled formulas: operators, precedence, tolerance, failures, clock and
// trade values, and what a failed input resolution looks like.
#include "FormulaTestSupport.h"
#include "../FakeSeriesServices.h"

#include <cmath>
#include <optional>
#include <vector>

namespace {

struct ValueCase {
    const char* text;
    std::optional<double> value; // none: the evaluation fails
};

class FormulaEvaluate : public ::testing::Test {
protected:
    std::optional<double> Value(const char* text)
    {
        auto formula = MakeFormula(text);
        double value = 0;
        if (!formula->Evaluate(&value, 0, -1))
            return std::nullopt;
        return value;
    }
    void CheckTable(const std::vector<ValueCase>& cases)
    {
        for (const ValueCase& c : cases) {
            const auto value = Value(c.text);
            ASSERT_EQ(c.value.has_value(), value.has_value()) << c.text;
            if (c.value) {
                EXPECT_DOUBLE_EQ(*c.value, *value) << c.text;
            }
        }
    }

    FakeSeriesServices m_services;
    CRunningEngine m_engine;
};

} // namespace

TEST_F(FormulaEvaluate, PrecedenceAndAssociativity)
{
    CheckTable({
        {"2^3^2", 512},
        {"(2^3)^2", 64},
        {"8-3-2", 3},
        {"8-(3-2)", 7},
        {"1+2*3", 7},
        {"(1+2)*3", 9},
        {"1<2=1", 1},
        {"12/3/2", 2},
        {"-2^2", 4},
        {"2^-1", 0.5},
        {"2*-3", -6},
        {"5--3", 8},
        {"-.5+1", 0.5},
        {"7%3*2", 2},
        {"2+7%3", 3},
        {"1+1>1&0<1", 1},
        {"1|2&0", 0}, // & and | bind alike, from the left
        {"0&1|1", 1},
    });
}

TEST_F(FormulaEvaluate, OperatorsToleranceAndTruncation)
{
    CheckTable({
        {"7%3", 1},
        {"-7%3", -1},
        {"7.9%3", 1},
        {"7%-3", 1},
        {"1=1.00004", 1},
        {"1=1.0001", 0},
        {"1<1.00004", 1},
        {"1<=1.00004", 1},
        {"1>=1.00004", 1},
        {"1>1.00004", 0},
        {"1.00004<=1", 1},
        {"1<>1.00004", 0},
        {"1<>1.0001", 1},
        {"3&5", 1},
        {"3|4", 7},
        {"0.9&1", 0},
        {"-1&255", 255},
        {"2147483647|0", 2147483647},
        {"-2147483648%-1", 0},
        {"-2147483648&-1", -2147483648.0},
        {".", 0},
    });
}

TEST_F(FormulaEvaluate, OperationsWithoutValueFail)
{
    CheckTable({
        {"1/0", std::nullopt},
        {"0/0", std::nullopt},
        {"5%0", std::nullopt},
        {"5%0.5", std::nullopt},
        {"(1/0)>0", std::nullopt},
        {"2147483648%2", std::nullopt},
        {"1%-2147483649", std::nullopt},
        {"4294967296|0", std::nullopt},
        {"1&-2147483649", std::nullopt},
        {"1/0.0001", 10000},
    });
}

TEST_F(FormulaEvaluate, ResultPointerAndYesNo)
{
    auto negative = MakeFormula("0-2");
    double value = 0;
    EXPECT_TRUE(negative->Evaluate(&value, 0, -1));
    EXPECT_EQ(-2, value);
    EXPECT_FALSE(negative->Evaluate(nullptr, 0, -1));
    EXPECT_FALSE(MakeFormula("0")->Evaluate(nullptr, 0, -1));
    EXPECT_TRUE(MakeFormula("0.5")->Evaluate(nullptr, 0, -1));
    // An empty formula compiles to nothing and never evaluates true.
    auto empty = MakeFormula("{nothing}");
    EXPECT_FALSE(empty->Evaluate(nullptr, 0, -1));
    EXPECT_FALSE(empty->Evaluate(&value, 0, -1));
}

TEST_F(FormulaEvaluate, ClockAndTradeValues)
{
    // The exchange clock of the services: Wednesday 2026-03-04 12:07:00.
    EXPECT_TRUE(MakeFormula("Year=2026 AND Month=3 AND DayOfWeek=3 AND Day=4 AND Hour=12 AND Minute=7 AND Second=0")
                    ->Evaluate(nullptr, 0, -1));
    auto trade = MakeFormula("NumTriggered<3 AND EntryPrice>10 AND EntryShares=100 AND EntryDate>0 AND EntryTime>0");
    EXPECT_EQ(0, trade->SetNumTriggered(1));
    trade->SetTradeValue(12.5, kTradeEntryPrice);
    trade->SetTradeValue(100, kTradeEntryShares);
    trade->SetTradeValue(20260304, kTradeEntryDate);
    EXPECT_FALSE(trade->Evaluate(nullptr, 0, -1));
    trade->SetTradeValue(93000, kTradeEntryTime);
    EXPECT_TRUE(trade->Evaluate(nullptr, 0, -1));
    trade->SetNumTriggered(3);
    EXPECT_FALSE(trade->Evaluate(nullptr, 0, -1));
    EXPECT_EQ(1, MakeFormula("1>0")->SetNumTriggered(2));
}

TEST_F(FormulaEvaluate, FailedResolutionIsReportedNotWaiting)
{
    // No session: quote and book inputs cannot be made.
    auto quote = MakeFormula("Last>1");
    CString message;
    EXPECT_TRUE(quote->HasFailed(&message));
    EXPECT_EQ(CString("No market data session"), message);
    EXPECT_FALSE(quote->IsWaitingForData());
    EXPECT_FALSE(quote->Evaluate(nullptr, 0, -1));
    // Symbols that would change a request key are refused.
    auto series = MakeFormula("Bar[Close,D]>0", 3, "IBM,5&EndETime=1");
    EXPECT_TRUE(series->HasFailed(&message));
    EXPECT_EQ(CString("Invalid symbol IBM,5&ENDETIME=1"), message);
    auto interval = MakeFormula("Bar[Close,D]>0", 3, "IBM", nullptr, "D:255", 1, 1);
    EXPECT_TRUE(interval->HasFailed(&message));
    EXPECT_EQ(CString("Invalid interval D:255"), message);
    // Parsed but never subscribed: waiting; never parsed: not.
    CFormula pending("Last>1", 0, 1, 0);
    CString error;
    EXPECT_FALSE(pending.IsWaitingForData());
    ASSERT_TRUE(pending.Parse(error));
    EXPECT_TRUE(pending.IsWaitingForData());
    EXPECT_FALSE(pending.HasFailed());
}
