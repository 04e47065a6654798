// Display names, parameter texts and request keys of every study class, written out by
// hand from the class descriptions.
#include "studies/CCustomStudy.h"
#include "studies/CMovingAverageStudy.h"
#include "studies/StudyFactory.h"

#include <gtest/gtest.h>

namespace {
struct Texts {
    int typeId;
    const char* display;
    const char* displayWithOverride;
    const char* params;
    const char* call;  // for chart symbol MSFT and interval D
    const char* callWithOverride;
};

const Texts kTexts[] = {
    {170, "Volume", "Volume (IBM)", "", "MSFT,D", "IBM,D"},
    {171, "Directional Movement (14,14)", "Directional Movement (IBM,14,14)", "(14,14)", "ADX(MSFT,14,14),D",
     "ADX(IBM,14,14),D"},
    {172, "Bollinger Bands (Close,20,2)", "Bollinger Bands (IBM,Close,20,2)", "(20,2)", "BB(MSFT,Close,20,2),D",
     "BB(IBM,Close,20,2),D"},
    {173, "Choppiness (14)", "Choppiness (IBM,14)", "(14)", "CHOP(MSFT,14),D", "CHOP(IBM,14),D"},
    {174, "Simple Moving Average (Close,10,0)", "Simple Moving Average (IBM,Close,10,0)", "(10)",
     "MA(MSFT,Close,10,0),D", "MA(IBM,Close,10,0),D"},
    {175, "Exponential Moving Average (Close,10,0)", "Exponential Moving Average (IBM,Close,10,0)", "(10)",
     "EMA(MSFT,Close,10,0),D", "EMA(IBM,Close,10,0),D"},
    {176, "MACD (Close,12,26,9)", "MACD (IBM,Close,12,26,9)", "(12,26,9)", "MACD(MSFT,Close,12,26,9),D",
     "MACD(IBM,Close,12,26,9),D"},
    {177, "Momentum (Close,12)", "Momentum (IBM,Close,12)", "(12)", "MOM(MSFT,Close,12,0),D",
     "MOM(IBM,Close,12,0),D"},
    {178, "ROC (Close,12)", "ROC (IBM,Close,12)", "(12)", "MOM(MSFT,Close,12,1),D", "MOM(IBM,Close,12,1),D"},
    {179, "On Balance Volume", "On Balance Volume (IBM)", "", "OBV(MSFT),D", "OBV(IBM),D"},
    {180, "Donchian Channels (20,0)", "Donchian Channels (IBM,20,0)", "(20)", "PRC(MSFT,20,0),D",
     "PRC(IBM,20,0),D"},
    {181, "RSI (14)", "RSI (IBM,14)", "(14)", "RSI(MSFT,14),D", "RSI(IBM,14),D"},
    {182, "Stochastic (14,3,1)", "Stochastic (IBM,14,3,1)", "(14,3,1)", "STOC(MSFT,14,3,1),D",
     "STOC(IBM,14,3,1),D"},
    {183, "Keltner Bands (10,1)", "Keltner Bands (IBM,10,1)", "(10,1)", "KB(MSFT,10,1),D", "KB(IBM,10,1),D"},
    {184, "CCI (20)", "CCI (IBM,20)", "(20)", "CCI(MSFT,20),D", "CCI(IBM,20),D"},
    {185, "Average True Range (14)", "Average True Range (IBM,14)", "(14)", "ATR(MSFT,14),D", "ATR(IBM,14),D"},
    {186, "MFI (14)", "MFI (IBM,14)", "(14)", "MFI(MSFT,14),D", "MFI(IBM,14),D"},
    {187, "StochasticRSI (14,14,3,1)", "StochasticRSI (IBM,14,14,3,1)", "(14,14,3)", "SRSI2(MSFT,14,14,3,1),D",
     "SRSI2(IBM,14,14,3,1),D"},
    {188, "Unspecified custom study name!", "Unspecified custom study name!(IBM)", "", "", ""},
    {189, "Chaikin Oscillator(3,10)", "Chaikin Oscillator(IBM,3,10)", "(3,10)", "COSC(MSFT,3,10),D",
     "COSC(IBM,3,10),D"},
    {190, "Ultimate Oscillator (7,14,28)", "Ultimate Oscillator (IBM,7,14,28)", "(7,14,28)",
     "UOSC(MSFT,7,14,28),D", "UOSC(IBM,7,14,28),D"},
    {191, "Parabolic SAR (0.02,0.02,0.2)", "Parabolic SAR (IBM,0.02,0.02,0.2)", "(0.02,0.2)",
     "PSAR(MSFT,0.02,0.02,0.2),D", "PSAR(IBM,0.02,0.02,0.2),D"},
    {192, "MA Envelopes (Close,20,3)", "MA Envelopes (IBM,Close,20,3)", "(20,3)", "MAE(MSFT,Close,20,3),D",
     "MAE(IBM,Close,20,3),D"},
    {193, "Accumulation/Distribution", "Accumulation/Distribution (IBM)", "", "AD(MSFT),D", "AD(IBM),D"},
    {194, "Chaikin Money Flow (21)", "Chaikin Money Flow (IBM,21)", "(21)", "CMF(MSFT,21),D", "CMF(IBM,21),D"},
    {195, "Aroon (14)", "Aroon (IBM,14)", "(14)", "AROON(MSFT,14),D", "AROON(IBM,14),D"},
    {196, "TSF (Close,10,0)", "TSF (IBM,Close,10,0)", "(10)", "TSF(MSFT,Close,10,0),D", "TSF(IBM,Close,10,0),D"},
    // No override: the factory builds the line and the equity curve without one.
    {197, "Line (0)", "Line (0)", "", "MSFT,D", "MSFT,D"},
    {198, "Adaptive MA (Close,10,2,30)", "Adaptive MA (IBM,Close,10,2,30)", "(10,2,30)",
     "AMA(MSFT,Close,10,2,30),D", "AMA(IBM,Close,10,2,30),D"},
    {199, "Equity Curve", "Equity Curve", "", "EQTY(MSFT),D", "EQTY(MSFT),D"},
};
}  // namespace

TEST(StudyTexts, EveryClassNamesAndKeysItselfByItsDescription)
{
    for (const Texts& t : kTexts) {
        SCOPED_TRACE(t.typeId);
        const auto plain = CreateStudyById(static_cast<WORD>(t.typeId), "");
        const auto withOverride = CreateStudyById(static_cast<WORD>(t.typeId), "IBM");
        ASSERT_TRUE(plain && withOverride);
        EXPECT_EQ(plain->GetDisplayName(), t.display);
        EXPECT_EQ(withOverride->GetDisplayName(), t.displayWithOverride);
        EXPECT_EQ(plain->GetParamText(), t.params);
        EXPECT_EQ(withOverride->GetParamText(), t.params);
        EXPECT_EQ(plain->GetCallText("MSFT", "D"), t.call);
        EXPECT_EQ(withOverride->GetCallText("MSFT", "D"), t.callWithOverride);
    }
}

TEST(StudyTexts, MovingAverageKeysAndOutputsByType)
{
    CMovingAverageStudy ma;
    const struct {
        int type;
        const char* key;
        const char* output;
        const char* name;
    } expected[] = {{0, "MA(", "MA", "Simple Moving Average"},        {1, "EMA(", "EMA", "Exponential Moving Average"},
                    {2, "MA(", "WMA", "Weighted Moving Average"},     {3, "MA(", "VWMA", "Volume Weighted MA"},
                    {4, "DEMA(", "DEMA", "Double Exponential MA"},    {5, "TEMA(", "TEMA", "Triple Exponential MA"},
                    {6, "MA(", "MA", "Simple Moving Average"},        {-1, "MA(", "MA", "Simple Moving Average"}};
    for (const auto& e : expected) {
        ma.m_nMAType = e.type;
        EXPECT_TRUE(ma.GetCallText("X", "5").Find(e.key) == 0) << e.type;
        EXPECT_EQ(CString(ma.GetShortTypeName()), e.output);
        EXPECT_EQ(CString(ma.GetLongTypeName()), e.name);
    }
    ma.m_nMAType = 2;
    EXPECT_EQ(ma.GetCallText("X", "5"), "MA(X,Close,10,0),5");
}

TEST(StudyTexts, CustomStudyFormulaTakesTheOverrideAsItsSymbol)
{
    CCustomStudy custom;
    EXPECT_EQ(custom.GetStudyName(), "Unspecified custom study name!");
    CString symbol = "MSFT";
    EXPECT_EQ(custom.GetFormulaText(symbol), "Unspecified formula expression!");
    EXPECT_EQ(symbol, "MSFT");
    custom.SetFormulaText("Close > Open");
    custom.SetStudyName("Up");
    custom.SetSymbolOverride("IBM");
    EXPECT_EQ(custom.GetFormulaText(symbol), "Close > Open");
    EXPECT_EQ(symbol, "IBM");
    EXPECT_EQ(custom.GetDisplayName(), "Up(IBM)");
    EXPECT_EQ(custom.SetCustomIndex(3), 3);
}

TEST(StudyTexts, TypeNamesAndAddMenuOrder)
{
    EXPECT_STREQ(GetStudyTypeName(170), "Volume");
    EXPECT_STREQ(GetStudyTypeName(174), "Moving Averages (SMA, EMA, WMA)");
    EXPECT_STREQ(GetStudyTypeName(188), "Custom");
    EXPECT_STREQ(GetStudyTypeName(199), "Equity Curve");
    EXPECT_EQ(GetStudyTypeName(169), nullptr);
    EXPECT_EQ(GetStudyTypeName(200), nullptr);

    // Every type but 175 and 188 appears once, with one separator after Time Series Forecast.
    std::vector<int> seen(30, 0);
    int separators = 0;
    for (size_t i = 0; i < std::size(kStudyAddMenuOrder); ++i) {
        const DWORD id = kStudyAddMenuOrder[i];
        if (id == kStudyMenuSeparator) {
            ++separators;
            EXPECT_EQ(kStudyAddMenuOrder[i - 1], 196u);
            EXPECT_EQ(kStudyAddMenuOrder[i + 1], 193u);
            continue;
        }
        ++seen[id - 170];
    }
    EXPECT_EQ(separators, 1);
    for (int id = 170; id <= 199; ++id)
        EXPECT_EQ(seen[id - 170], id == 175 || id == 188 ? 0 : 1) << id;
}
