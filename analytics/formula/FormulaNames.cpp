#include "analytics/formula/FormulaNames.h"

#include "analytics/series/TimeUnitNames.h"
#include "common/services/TextHelpers.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace {

const char* const kTimeNames[kTimeNameCount] = {
    "Year", "Month", "Day Of Week", "Day", "Hour", "Minute", "Second",
    "NumTriggered", "EntryPrice", "EntryShares", "EntryDate", "EntryTime",
};

struct QuoteName {
    const char* name;
    int id;
};

const QuoteName kQuoteNames[] = {
    {"Last", 3}, {"Yesterday Close", 4}, {"Bid", 6}, {"Ask", 7}, {"Volume", 10}, {"Open Interest", 11},
    {"Trade Size", 12}, {"Bid Size", 13}, {"Ask Size", 14}, {"1-Year High", 28}, {"1-Year Low", 29},
    {"Change", 35}, {"% Change", 36}, {"% In Daily Range", 37}, {"% In Yearly Range", 45},
    {"Bid-Ask Spread", 61}, {"Dividend", 68}, {"P/E Ratio", 99}, {"Dividend Yield", 100},
    {"Implied Volatility", 15}, {"In The Money", 16}, {"Time Value", 19}, {"Delta", 21}, {"Gamma", 22},
    {"Theta", 23}, {"Vega", 24}, {"Rho", 25}, {"Expiration Day", 38}, {"Days To Expiration", 39},
    {"Multiplier", 17},
};

constexpr int S = kParamSource, N = kParamNumber, I = kParamInteger, B = kParamBoolean, T = kParamText,
              V = kParamInterval;

const CFormulaFunction kFunctions[] = {
    {"DirectionalMovement", "ADX", 3, {I, I, V}, 3, {"ADX", "+DI", "-DI"}},
    {"BollingerBands", "BB", 4, {S, I, N, V}, 3, {"Basis", "Upper", "Lower"}},
    {"Choppiness", "CHOP", 2, {I, V}, 4, {"Chop", "TrueHigh", "TrueLow", "TR"}},
    {"MovingAverage", "MA", 4, {S, I, I, V}, 3, {"MA", "WMA", "VWMA"}},
    {"ExpMovingAverage", "EMA", 4, {S, I, I, V}, 3, {"EMA", "DEMA", "TEMA"}},
    {"MACD", "MACD", 5, {S, I, I, I, V}, 5, {"MACD", "MA1", "MA2", "Signal", "Diff"}},
    {"MomentumROC", "MOM", 4, {S, I, B, V}, 1, {"Momentum"}},
    {"OnBalanceVolume", "OBV", 1, {V}, 1, {"OBV"}},
    {"PriceRangeChannels", "PRC", 3, {I, I, V}, 3, {"Mid", "Upper", "Lower"}},
    {"RSI", "RSI", 2, {I, V}, 3, {"RSI", "HAVG", "LAVG"}},
    {"Stochastic", "STOC", 4, {I, I, I, V}, 3, {"StocK", "StocD", "Raw"}},
    {"Bar", "Bar", 1, {V}, 14,
     {"Open", "High", "Low", "Close", "Volume", "Second", "Minute", "Hour", "Day", "Month", "Year", "Date", "Time",
      "DayOfWeek"}},
    {"Level2", "Level2", 1, {T}, 4, {"Bid", "Ask", "BidSize", "AskSize"}},
    {"AvgTrueRange", "ATR", 2, {I, V}, 1, {"ATR"}},
    {"CCI", "CCI", 2, {I, V}, 1, {"CCI"}},
    {"KeltnerBands", "KB", 3, {I, N, V}, 3, {"Mid", "Upper", "Lower"}},
    {"MoneyFlowIndex", "MFI", 2, {I, V}, 1, {"MFI"}},
    {"StochRSI", "SRSI", 2, {I, V}, 1, {"StochRSI"}},
    {"ChaikinOscillator", "COSC", 3, {I, I, V}, 1, {"OSC"}},
    {"UltimateOscillator", "UOSC", 4, {I, I, I, V}, 1, {"OSC"}},
    {"ParabolicSAR", "PSAR", 4, {N, N, N, V}, 1, {"PSAR"}},
    {"MAEnvelopes", "MAE", 4, {S, I, N, V}, 3, {"MA", "Upper", "Lower"}},
    {"AccumulationDist", "AD", 1, {V}, 1, {"AD"}},
    {"ChaikinMoneyFlow", "CMF", 2, {I, V}, 1, {"CMF"}},
    {"Aroon", "AROON", 2, {I, V}, 2, {"Up", "Down"}},
    {"TimeSeriesForecast", "TSF", 4, {S, I, I, V}, 3, {"TSF", "Slope", "R2"}},
    {"AdaptiveMA", "AMA", 5, {S, I, I, I, V}, 1, {"AMA"}},
    {"StochasticRSI", "SRSI2", 5, {I, I, I, I, V}, 2, {"StocK", "StocD"}},
};

struct NameMaps {
    std::map<std::string, int> time;
    std::map<std::string, int> quote;
    std::map<std::string, const CFormulaFunction*> functions;
};

NameMaps BuildMaps()
{
    NameMaps maps;
    for (int i = 0; i < kTimeNameCount; ++i)
        maps.time[EscapeOperatorChars(kTimeNames[i]).str()] = i;
    for (const QuoteName& q : kQuoteNames)
        maps.quote[EscapeOperatorChars(q.name).str()] = q.id;
    for (const CFormulaFunction& f : kFunctions)
        maps.functions[f.longName] = &f;
    return maps;
}

const NameMaps& Maps()
{
    static const NameMaps maps = BuildMaps();
    return maps;
}

} // namespace

void InitFormulaNames()
{
    Maps();
    static std::once_flag timeUnits;
    std::call_once(timeUnits, [] { InitTimeUnitNames(); });
}

int FindFormulaTimeName(const char* name)
{
    const auto& map = Maps().time;
    const auto it = map.find(name ? name : "");
    return it == map.end() ? -1 : it->second;
}

int FindFormulaQuoteField(const char* name)
{
    const auto& map = Maps().quote;
    const auto it = map.find(name ? name : "");
    return it == map.end() ? -1 : it->second;
}

const CFormulaFunction* FindFormulaFunction(const char* longName)
{
    const auto& map = Maps().functions;
    const auto it = map.find(longName ? longName : "");
    return it == map.end() ? nullptr : it->second;
}

bool IsFunctionOutput(const CFormulaFunction& function, const char* name)
{
    for (int i = 0; i < function.outputCount; ++i)
        if (std::strcmp(function.outputs[static_cast<size_t>(i)], name) == 0)
            return true;
    return false;
}

bool IsNumberText(const char* text)
{
    if (!text)
        return true;
    if (*text == '-')
        ++text;
    for (; *text; ++text)
        if (!(*text >= '0' && *text <= '9') && *text != '.')
            return false;
    return true;
}
