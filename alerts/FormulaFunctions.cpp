#include "alerts/FormulaFunctions.h"

#include "analytics/formula/FormulaNames.h"
#include "common/services/TextHelpers.h"

#include <cstring>

namespace {

const char* const kQuoteFields[] = {
    "Last",       "Yesterday Close", "Bid",     "Ask",      "Volume",           "Trade Size",
    "Bid Size",   "Ask Size",        "1-Year High", "1-Year Low", "Change",       "% Change",
    "% In Daily Range", "% In Yearly Range", "Bid-Ask Spread", "Dividend", "P/E Ratio", "Dividend Yield"};
const char* const kOptionFields[] = {"Open Interest", "Implied Volatility", "In The Money", "Time Value",
                                     "Delta",         "Gamma",              "Theta",        "Vega",
                                     "Rho",           "Expiration Day",     "Days To Expiration", "Multiplier"};
const char* const kSystemNames[] = {"Year",         "Month",      "Day Of Week", "Day",         "Hour",
                                    "Minute",       "Second",     "NumTriggered", "EntryPrice", "EntryShares",
                                    "EntryDate",    "EntryTime"};

constexpr EParamField S = kFieldSourceCombo, E1 = kFieldEdit1, E2 = kFieldEdit2, E3 = kFieldEdit3,
                      I = kFieldIntervalCombo;

std::vector<CWizardIndicator> BuildIndicators()
{
    return {
        {"DirectionalMovement", {{"Length", E1, "14"}, {"Smoothing", E2, "14"}, {"Interval", I, "D"}},
         {"ADX", "+DI", "-DI"}, true},
        {"BollingerBands", {{"Source", S, "Close"}, {"Length", E1, "20"}, {"StdDev", E2, "2"}, {"Interval", I, "D"}},
         {"Upper", "Lower", "Basis"}, true},
        {"Choppiness", {{"Length", E1, "14"}, {"Interval", I, "D"}}, {"Chop"}, true},
        {"MovingAverage", {{"Source", S, "Close"}, {"Length", E1, "10"}, {"Offset", E2, "0"}, {"Interval", I, "D"}},
         {"MA", "WMA", "VWMA"}, true},
        {"ExpMovingAverage",
         {{"Source", S, "Close"}, {"Length", E1, "10"}, {"Offset", E2, "0"}, {"Interval", I, "D"}},
         {"EMA", "DEMA", "TEMA"}, true},
        {"MACD",
         {{"Source", S, "Close"}, {"Length1", E1, "12"}, {"Length2", E2, "26"}, {"Smoothing", E3, "9"},
          {"Interval", I, "D"}},
         {"Diff", "Signal", "MACD"}, true},
        {"MomentumROC", {{"Source", S, "Close"}, {"Length", E1, "12"}, {"ROC", E2, "1"}, {"Interval", I, "D"}},
         {"Momentum"}, true},
        {"OnBalanceVolume", {{"Interval", I, "D"}}, {"OBV"}, true},
        {"PriceRangeChannels", {{"Length", E1, "20"}, {"Offset", E2, "0"}, {"Interval", I, "D"}},
         {"Upper", "Lower", "Mid"}, true},
        {"RSI", {{"Length", E1, "14"}, {"Interval", I, "D"}}, {"RSI"}, true},
        {"Stochastic",
         {{"%K Length", E1, "14"}, {"%D Length", E2, "3"}, {"%K Smooth", E3, "1"}, {"Interval", I, "D"}},
         {"StocK", "StocD"}, true},
        {"Bar", {{"Interval", I, "D"}},
         {"Close", "High", "Low", "Open", "Volume", "Second", "Minute", "Hour", "Day", "Month", "Year", "Date",
          "Time", "DayOfWeek"},
         true},
        {"Level2", {{"Market Maker", E1, "INET"}}, {"Bid", "Ask", "BidSize", "AskSize"}, true},
        {"AvgTrueRange", {{"Length", E1, "14"}, {"Interval", I, "D"}}, {"ATR"}, true},
        {"CCI", {{"Length", E1, "20"}, {"Interval", I, "D"}}, {"CCI"}, true},
        {"KeltnerBands", {{"Length", E1, "10"}, {"Multiplier", E2, "1"}, {"Interval", I, "D"}},
         {"Upper", "Lower", "Mid"}, true},
        {"MoneyFlowIndex", {{"Length", E1, "14"}, {"Interval", I, "D"}}, {"MFI"}, true},
        {"StochRSI", {{"Length", E1, "14"}, {"Interval", I, "D"}}, {"StochRSI"}, false},
        {"ChaikinOscillator", {{"Length1", E1, "3"}, {"Length2", E2, "10"}, {"Interval", I, "D"}}, {"OSC"}, true},
        {"UltimateOscillator",
         {{"Length1", E1, "7"}, {"Length2", E2, "14"}, {"Length3", E3, "28"}, {"Interval", I, "D"}},
         {"OSC"}, true},
        {"ParabolicSAR",
         {{"Initial", E1, "0.02"}, {"Increment", E2, "0.02"}, {"Maximum", E3, "0.2"}, {"Interval", I, "D"}},
         {"PSAR"}, true},
        {"MAEnvelopes",
         {{"Source", S, "Close"}, {"Length", E1, "20"}, {"Percentage", E2, "3"}, {"Interval", I, "D"}},
         {"Upper", "Lower", "MA"}, true},
        {"AccumulationDist", {{"Interval", I, "D"}}, {"AD"}, true},
        {"ChaikinMoneyFlow", {{"Length", E1, "21"}, {"Interval", I, "D"}}, {"CMF"}, true},
        {"Aroon", {{"Length", E1, "14"}, {"Interval", I, "D"}}, {"Up", "Down"}, true},
        {"TimeSeriesForecast",
         {{"Source", S, "Close"}, {"Length", E1, "10"}, {"Offset", E2, "0"}, {"Interval", I, "D"}},
         {"TSF", "Slope", "R2"}, true},
        {"AdaptiveMA",
         {{"Source", S, "Close"}, {"Length", E1, "10"}, {"Fast Period", E2, "2"}, {"Slow Period", E3, "30"},
          {"Interval", I, "D"}},
         {"AMA"}, true},
        {"StochasticRSI",
         {{"RSI Length", S, "14"}, {"%K Length", E1, "14"}, {"%D Length", E2, "3"}, {"%K Smooth", E3, "1"},
          {"Interval", I, "D"}},
         {"StocK", "StocD"}, true},
    };
}

template <size_t N>
std::vector<CString> Escaped(const char* const (&names)[N])
{
    std::vector<CString> out;
    for (const char* name : names)
        out.push_back(EscapeOperatorChars(name));
    return out;
}

}  // namespace

const char* FunctionCategoryLetter(int category)
{
    static const char* const kLetters[] = {"A", "Q", "T", "O", "S"};
    return category >= 0 && category <= 4 ? kLetters[category] : "A";
}

const std::vector<CWizardIndicator>& WizardIndicators()
{
    static const std::vector<CWizardIndicator> indicators = BuildIndicators();
    return indicators;
}

const CWizardIndicator* FindWizardIndicator(const char* name)
{
    for (const CWizardIndicator& indicator : WizardIndicators())
        if (name && std::strcmp(indicator.name, name) == 0)
            return &indicator;
    return nullptr;
}

std::vector<CString> QuoteFunctionNames()
{
    return Escaped(kQuoteFields);
}

std::vector<CString> OptionFunctionNames()
{
    return Escaped(kOptionFields);
}

std::vector<CString> SystemFunctionNames()
{
    return std::vector<CString>(std::begin(kSystemNames), std::end(kSystemNames));
}

std::vector<CString> PriceFieldNames()
{
    std::vector<CString> names = QuoteFunctionNames();
    for (const CString& name : OptionFunctionNames())
        names.push_back(name);
    return names;
}

std::vector<CString> FunctionNamesOfCategory(int category)
{
    std::vector<CString> names;
    auto append = [&names](const std::vector<CString>& more) { names.insert(names.end(), more.begin(), more.end()); };
    if (category == kCategoryAll || category == kCategoryQuote)
        append(QuoteFunctionNames());
    if (category == kCategoryAll || category == kCategoryOption)
        append(OptionFunctionNames());
    if (category == kCategoryAll || category == kCategorySystem)
        append(SystemFunctionNames());
    if (category == kCategoryAll || category == kCategoryTechnical)
        for (const CWizardIndicator& indicator : WizardIndicators())
            if (indicator.offered)
                names.emplace_back(indicator.name);
    return names;
}

int PriceFieldIdOfName(const char* name)
{
    for (const CString& field : PriceFieldNames())
        if (field == name)
            return FindFormulaQuoteField(field);
    return FindFormulaQuoteField("Last");
}

CString PriceFieldNameOfId(int id)
{
    for (const CString& field : PriceFieldNames())
        if (FindFormulaQuoteField(field) == id)
            return field;
    return CString();
}

bool IsSystemFunction(const char* name)
{
    for (const char* system : kSystemNames)
        if (name && std::strcmp(system, name) == 0)
            return true;
    return false;
}

CString BuildFunctionCall(const char* name, const char* fields, const std::vector<CString>& parameters,
                          const char* barsAgo, const char* symbolOverride)
{
    CString arguments(fields);
    const CString symbol(symbolOverride);
    if (FindWizardIndicator(name)) {
        for (const CString& parameter : parameters)
            arguments += "," + parameter;
        CString bars(barsAgo);
        if (bars.IsEmpty())
            bars = "0";
        if (bars != "0" || !symbol.IsEmpty())
            arguments += "," + bars;
    }
    if (!symbol.IsEmpty()) {
        if (!arguments.IsEmpty())
            arguments += ",";
        arguments += symbol;
    }
    CString call(name);
    if (!arguments.IsEmpty())
        call += "[" + arguments + "]";
    return call;
}
