// How the session reaches price series and option-chain sets without depending on the
// libraries that define them. The analytics and views libraries register these once at start.
#pragma once

#include "broker/session/CHistoryCoverage.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <cstdint>
#include <optional>
#include <vector>

class CPriceSeries;
class OptionChainSet;
class CTradeMessage;
struct CHistoryRow;

struct CPriceSeriesHooks {
    CPriceSeries* (*create)(const char* key, DWORD context) = nullptr;
    void (*destroy)(CPriceSeries* series) = nullptr;
    // The series' normalised symbol and interval ("0" ticks, minutes, "D", "W", "M", "Q", "Y").
    const char* (*symbol)(const CPriceSeries* series) = nullptr;
    const char* (*interval)(const CPriceSeries* series) = nullptr;
    // Whether an intraday series covers the extended session (its key carries ":255"); may be null.
    bool (*extendedSession)(const CPriceSeries* series) = nullptr;
    // Every trade of the series' symbol (dispatcher thread, quote store locked).
    void (*liveTrade)(CPriceSeries* series, const CTradeMessage& trade, DWORD feedTime) = nullptr;
    // A quote notification of the series' symbol (exchange check).
    void (*exchangeCheck)(CPriceSeries* series) = nullptr;
    // A history answer: one-minute rows (daily false) or daily rows, in time order, and the
    // newest trade of the symbol they hold when the server named it.
    void (*historyUpdate)(CPriceSeries* series, const std::vector<CHistoryRow>& rows, bool daily,
                          std::optional<uint64_t> asOf) = nullptr;
    // The history download of a span (feed times) failed; the series' empty answer follows
    // (historyUpdate). May be null.
    void (*historyFailed)(CPriceSeries* series, DWORD startFeedTime, DWORD endFeedTime) = nullptr;
    // The market-data stream came back after an outage: the series asks for the history of the
    // gap (dispatcher thread, quote store locked); may be null.
    void (*streamRestored)(CPriceSeries* series) = nullptr;
    // Rows the cache already holds, for those of the records first..last that lie inside the
    // spans the rows are complete for.
    void (*cachedFill)(CPriceSeries* series, const std::vector<CHistoryRow>& rows, const CHistoryCoverage& complete,
                       bool daily, int first, int last) = nullptr;
};

void SetPriceSeriesHooks(const CPriceSeriesHooks& hooks);
const CPriceSeriesHooks& GetPriceSeriesHooks();

// The chain request of an option-chain set, or the name of a symbol set of the broker's
// industry groups (the chain's fields are then not used).
struct COptionChainRequest {
    CString symbolSet;
    CString underlying;
    CString chainType = "CP"; // CP, C, P, VCS, VPS, CCS, CPS, STDL, STGL, BW
    CString range = "N";      // N near, I in, O out of the money, ALL
    CString expiration = "A"; // W, A, L, AL or YYYYMM
    CString strike = "0";     // 0: any
    int allOptions = 0;
    CString interval;
};

struct COptionChainHooks {
    OptionChainSet* (*create)(const char* definition) = nullptr;
    void (*destroy)(OptionChainSet* set) = nullptr;
    bool (*getRequest)(const OptionChainSet* set, COptionChainRequest& out) = nullptr;
    void (*copySymbols)(OptionChainSet* set, const std::vector<CString>& symbols) = nullptr;
};

void SetOptionChainHooks(const COptionChainHooks& hooks);
const COptionChainHooks& GetOptionChainHooks();
