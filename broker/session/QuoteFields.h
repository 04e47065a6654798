// The quote field catalogue: ids 0 to 110 with full and abbreviated names and a display kind.
#pragma once

enum EQuoteField : int {
    kFieldOpen = 0, kFieldHigh = 1, kFieldLow = 2, kFieldLast = 3, kFieldYesterdayClose = 4,
    kFieldBid = 6, kFieldAsk = 7, kFieldBestBid = 8, kFieldBestAsk = 9, kFieldVolume = 10,
    kFieldOpenInterest = 11, kFieldTradeSize = 12, kFieldBidSize = 13, kFieldAskSize = 14,
    kFieldMultiplier = 17, kFieldTickVolume = 26, kFieldTradeTime = 27, kFieldYearHigh = 28,
    kFieldYearLow = 29, kFieldDescription = 32, kFieldSymbol = 33, kFieldTick = 34,
    kFieldChange = 35, kFieldPercentChange = 36, kFieldPercentDailyRange = 37,
    kFieldExpirationDay = 38, kFieldPercentYearlyRange = 45, kFieldDayValue = 49, kFieldVwap = 51,
    kFieldBidXAsk = 60, kFieldSpread = 61, kFieldExchange = 101, kFieldMarketValue = 110,
    kQuoteFieldCount = 111
};

enum EQuoteFieldKind : int {
    kKindNone = 0,   // not held by the quote record (unused or computed by the grid)
    kKindPrice,      // 2 to 4 decimals
    kKindCount,      // whole number with thousands separators
    kKindRatio,      // 2 decimals
    kKindLarge,      // "M"/"B" scaled
    kKindText,       // text field
    kKindTime,       // feed time shown as hh:mm:ss
};

const char* QuoteFieldName(int id);        // "" outside 0..110
const char* QuoteFieldAbbreviation(int id); // "" outside 0..110
EQuoteFieldKind QuoteFieldKind(int id);
// Field id of a full or abbreviated name (case-insensitive), -1 when unknown.
int FindQuoteField(const char* name);
