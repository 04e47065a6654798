#include "broker/session/QuoteFields.h"

#include <strings.h>

namespace {

struct FieldInfo {
    const char* name;
    const char* abbreviation;
    EQuoteFieldKind kind;
};

constexpr EQuoteFieldKind P = kKindPrice, C = kKindCount, R = kKindRatio, L = kKindLarge,
                          T = kKindText, N = kKindNone, M = kKindTime;

const FieldInfo kFields[kQuoteFieldCount] = {
    {"Open", "O", P}, {"High", "H", P}, {"Low", "L", P}, {"Last", "Lst", P},
    {"Yesterday Close", "YC", P}, {"Unused", "U", N}, {"Bid", "B", P}, {"Ask", "A", P},
    {"Best Bid", "BB", P}, {"Best Ask", "BA", P},
    {"Volume", "Vol", C}, {"Open Interest", "OI", C}, {"Trade Size", "TS", C},
    {"Bid Size", "BS", C}, {"Ask Size", "AS", C}, {"Implied Volatility", "IV", R},
    {"In The Money", "ITM", C}, {"Multiplier", "Mult", C}, {"Non-Standard Option", "NSO", T},
    {"Time Value", "TV", P},
    {"Option Year", "OY", C}, {"Delta", "Dlt", R}, {"Gamma", "Gam", R}, {"Theta", "Tht", R},
    {"Vega", "Vga", R}, {"Rho", "Rho", R}, {"Tick Volume", "TkV", C}, {"Trade Time", "TT", M},
    {"1-Year High", "YH", P}, {"1-Year Low", "YL", P},
    {"200-Day Avg Price", "200A", P}, {"65-Day Avg Volume", "65V", C}, {"Description", "Desc", T},
    {"Symbol", "Sym", T}, {"Tick", "Tk", C}, {"Change", "Chg", P}, {"% Change", "%Chg", R},
    {"% In Daily Range", "%DR", R}, {"Expiration Day", "Exp", C}, {"Days To Expiration", "DTE", C},
    {"Volume @ Best Ask", "V@BA", C}, {"Trades @ Best Ask", "T@BA", C},
    {"Volume @ Best Bid", "V@BB", C}, {"Trades @ Best Bid", "T@BB", C},
    {"Tick Magnitude", "TkM", P}, {"% In Yearly Range", "%YR", R},
    {"Value @ Best Ask", "$@BA", L}, {"Value @ Best Bid", "$@BB", L}, {"Unused2", "U2", N},
    {"Day Value", "DV", L},
    {"Money Flow", "MF", L}, {"VWAP", "VWAP", P}, {"Unused3", "U3", N},
    {"UpTick Volume", "UTV", C}, {"UpTicks #", "UT#", C}, {"UpTick Value", "UT$", L},
    {"DownTick Volume", "DTV", C}, {"DownTicks #", "DT#", C}, {"DownTick Value", "DT$", L},
    {"Settlement", "Stl", P},
    {"Bid x Ask", "BxA", T}, {"Bid-Ask Spread", "Sprd", P}, {"Unused6", "U6", N},
    {"Unused7", "U7", N}, {"Financials Date", "FDt", T}, {"Beta", "Beta", R},
    {"Shares Outstanding", "ShO", L}, {"Float", "Flt", L}, {"Dividend", "Div", P},
    {"Inside Owned %", "Ins%", R},
    {"Institutional Owned %", "Inst%", R}, {"Short Int", "SI", C}, {"Short Int Prev", "SIP", C},
    {"Short Int Ratio", "SIR", R}, {"Cash Flow/Share", "CF/S", P}, {"Sales/Share", "S/S", P},
    {"Return On Equity", "ROE", R}, {"Return On Assets", "ROA", R}, {"Gross Margin", "GM", R},
    {"Operating Margin", "OM", R},
    {"Pretax Margin", "PM", R}, {"Industry Code", "IC", T}, {"Industry Name", "Ind", T},
    {"Sector Name", "Sec", T}, {"Inventory Turnover", "InvT", R}, {"Asset Turnover", "AstT", R},
    {"Receivables Turnover", "RcvT", R}, {"Revenue/Employee", "Rev/E", L}, {"EPS", "EPS", P},
    {"Revenue Growth Rate", "RGR", R},
    {"E/S Growth Rate", "EGR", R}, {"Debt Equity Ratio (QTR)", "D/E", R},
    {"LT Debt Equity Ratio (QTR)", "LTD/E", R}, {"Current Ratio (QTR)", "CR", R},
    {"Quick Ratio (QTR)", "QR", R}, {"Insider Purchased", "InsP", C}, {"Insider Sold", "InsS", C},
    {"Book Value/Share", "BV/S", P}, {"Market Capitalization", "MCap", L}, {"P/E Ratio", "P/E", R},
    {"Dividend Yield", "Yld", R}, {"Exchange", "Exch", T}, {"Comments", "Cmt", N},
    {"# Shares", "#Sh", N}, {"Base Price", "BP", N}, {"Long/Short", "L/S", N},
    {"Position Date", "PDt", N}, {"Profit/Loss", "P/L", N}, {"% Return", "%Ret", N},
    {"Row #", "Row", N}, {"Market Value", "MV", N},
};

} // namespace

const char* QuoteFieldName(int id)
{
    return id >= 0 && id < kQuoteFieldCount ? kFields[id].name : "";
}

const char* QuoteFieldAbbreviation(int id)
{
    return id >= 0 && id < kQuoteFieldCount ? kFields[id].abbreviation : "";
}

EQuoteFieldKind QuoteFieldKind(int id)
{
    return id >= 0 && id < kQuoteFieldCount ? kFields[id].kind : kKindNone;
}

int FindQuoteField(const char* name)
{
    if (!name)
        return -1;
    for (int id = 0; id < kQuoteFieldCount; ++id)
        if (strcasecmp(kFields[id].name, name) == 0)
            return id;
    for (int id = 0; id < kQuoteFieldCount; ++id)
        if (strcasecmp(kFields[id].abbreviation, name) == 0)
            return id;
    return -1;
}
