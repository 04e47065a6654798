// History bars by symbol and interval kind (one-minute or daily rows), the spans over which
// they are complete, and the series waiting for requested spans.
#pragma once

#include "broker/session/CHistoryCoverage.h"
#include "broker/session/SessionMessages.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

class CPriceSeries;

// A history download the session is asked to make.
struct CHistoryRequest {
    DWORD id = 0;
    CString symbol;
    bool daily = false;
    bool extended = false; // intraday rows of the extended session too
    DWORD startFeedTime = 0;
    DWORD endFeedTime = 0;
};

class IHistoryRequester {
public:
    virtual ~IHistoryRequester() = default;
    virtual void QueueHistoryRequest(const CHistoryRequest& request) = 0;
};

class CHistoryCache {
public:
    explicit CHistoryCache(IHistoryRequester* requester = nullptr);

    void SetRequester(IHistoryRequester* requester);
    std::recursive_mutex& GetLock() { return m_lock; }

    // Copies the bars the cache holds for the series' symbol and interval into those of the
    // records first..last that lie inside the spans the rows are complete for. 'symbol'
    // overrides the series' own symbol when not empty.
    void FillSeries(CPriceSeries* series, int first, int last, const char* symbol = nullptr);

    // Asks for the bars of [start, end] (feed times; daily rows from the start's day on) and
    // registers the series as waiting. Returns the number of requests made (0 or 1).
    int RequestHistory(CPriceSeries* series, DWORD startFeedTime, DWORD endFeedTime);
    // The same for a caller that knows symbol and kind itself.
    int RequestHistory(CPriceSeries* series, const CString& symbol, bool daily, DWORD startFeedTime,
                       DWORD endFeedTime, bool extended = false);

    // Takes the series off the waiting lists of every pending request.
    void RemoveSeries(CPriceSeries* series);

    // Applies a code-5 answer: merges the rows into the cache and hands them to the waiting series.
    void ApplyHistory(const CHistoryMessage& message);

    // Rows held for a symbol and kind (copy), and the spans they are complete for.
    std::vector<CHistoryRow> GetRows(const CString& symbol, bool daily, bool extended = false);
    CHistoryCoverage GetCoverage(const CString& symbol, bool daily, bool extended = false);
    size_t GetPendingRequests();

    // Daily, weekly, monthly, quarterly and yearly series use daily rows; all other intervals
    // one-minute rows.
    static bool IsDailyInterval(const char* interval);

private:
    struct Pending {
        CHistoryRequest request;
        std::vector<CPriceSeries*> waiting;
    };
    struct Held {
        std::vector<CHistoryRow> rows;
        CHistoryCoverage complete;
    };
    static CString MakeKey(const CString& symbol, bool daily, bool extended);
    static bool IsExtended(const CPriceSeries* series, bool daily);
    static void Merge(std::vector<CHistoryRow>& rows, const std::vector<CHistoryRow>& incoming);
    // The span an answer's rows are complete for.
    static void AddCompleteSpan(const CHistoryRequest& request, const std::vector<CHistoryRow>& rows,
                                CHistoryCoverage& complete);

    std::recursive_mutex m_lock;
    IHistoryRequester* m_pRequester = nullptr;
    std::unordered_map<CString, Held> m_held;
    std::map<DWORD, Pending> m_pending;
    DWORD m_nNextId = 1;
};
