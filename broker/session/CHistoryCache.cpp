#include "broker/session/CHistoryCache.h"

#include "broker/session/PriceSeriesHooks.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// Feed-time units (2 s) in a day; feed time 0 is a midnight.
constexpr DWORD kFeedDay = 43200;

} // namespace

CHistoryCache::CHistoryCache(IHistoryRequester* requester) : m_pRequester(requester) {}

void CHistoryCache::SetRequester(IHistoryRequester* requester)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_pRequester = requester;
}

bool CHistoryCache::IsDailyInterval(const char* interval)
{
    if (!interval || !interval[0] || interval[1])
        return false;
    return std::strchr("DWMQYdwmqy", interval[0]) != nullptr;
}

CString CHistoryCache::MakeKey(const CString& symbol, bool daily, bool extended)
{
    CString key = symbol;
    key += daily ? ",D" : extended ? ",1:255" : ",1";
    return key;
}

bool CHistoryCache::IsExtended(const CPriceSeries* series, bool daily)
{
    const auto& hooks = GetPriceSeriesHooks();
    return !daily && hooks.extendedSession && hooks.extendedSession(series);
}

void CHistoryCache::Merge(std::vector<CHistoryRow>& rows, const std::vector<CHistoryRow>& incoming)
{
    if (incoming.empty())
        return;
    std::vector<CHistoryRow> sorted = incoming;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const CHistoryRow& a, const CHistoryRow& b) { return a.feedTime < b.feedTime; });
    std::vector<CHistoryRow> merged;
    merged.reserve(rows.size() + sorted.size());
    size_t i = 0, j = 0;
    // On equal times the newer row wins.
    while (i < rows.size() || j < sorted.size()) {
        if (j == sorted.size() || (i < rows.size() && rows[i].feedTime < sorted[j].feedTime)) {
            merged.push_back(rows[i++]);
        } else {
            if (i < rows.size() && rows[i].feedTime == sorted[j].feedTime)
                ++i;
            if (!merged.empty() && merged.back().feedTime == sorted[j].feedTime)
                merged.back() = sorted[j];
            else
                merged.push_back(sorted[j]);
            ++j;
        }
    }
    rows.swap(merged);
}

void CHistoryCache::AddCompleteSpan(const CHistoryRequest& request, const std::vector<CHistoryRow>& rows,
                                    CHistoryCoverage& complete)
{
    if (rows.empty())
        return;
    DWORD newest = 0;
    for (const CHistoryRow& row : rows)
        newest = std::max(newest, row.feedTime);
    // The broker serves no day in progress, so the newest daily row is a whole day; the
    // newest minute row may be the minute in progress, and the minutes after it were to come.
    const DWORD end = request.daily ? std::min(newest + kFeedDay, request.endFeedTime) : newest;
    complete.Add(request.startFeedTime, end);
}

void CHistoryCache::FillSeries(CPriceSeries* series, int first, int last, const char* symbol)
{
    const auto& hooks = GetPriceSeriesHooks();
    if (!series || !hooks.cachedFill || !hooks.interval)
        return;
    const bool daily = IsDailyInterval(hooks.interval(series));
    CString name = symbol && symbol[0] ? CString(symbol) : CString(hooks.symbol ? hooks.symbol(series) : "");
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_held.find(MakeKey(name, daily, IsExtended(series, daily)));
    if (it == m_held.end() || it->second.rows.empty())
        return;
    hooks.cachedFill(series, it->second.rows, it->second.complete, daily, first, last);
}

int CHistoryCache::RequestHistory(CPriceSeries* series, DWORD startFeedTime, DWORD endFeedTime)
{
    const auto& hooks = GetPriceSeriesHooks();
    if (!series || !hooks.symbol || !hooks.interval)
        return 0;
    const bool daily = IsDailyInterval(hooks.interval(series));
    return RequestHistory(series, CString(hooks.symbol(series)), daily, startFeedTime, endFeedTime,
                          IsExtended(series, daily));
}

int CHistoryCache::RequestHistory(CPriceSeries* series, const CString& symbol, bool daily, DWORD startFeedTime,
                                  DWORD endFeedTime, bool extended)
{
    extended = extended && !daily;
    if (symbol.IsEmpty() || endFeedTime < startFeedTime)
        return 0;
    // Daily rows start at midnight: the first day's row is part of the span.
    if (daily)
        startFeedTime -= startFeedTime % kFeedDay;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    // The same span already on its way: wait for that answer instead of asking twice.
    for (auto& [id, pending] : m_pending) {
        const CHistoryRequest& r = pending.request;
        if (r.symbol == symbol && r.daily == daily && r.extended == extended && r.startFeedTime == startFeedTime &&
            r.endFeedTime == endFeedTime) {
            pending.waiting.push_back(series);
            return 1;
        }
    }
    Pending pending;
    pending.request = {m_nNextId++, symbol, daily, extended, startFeedTime, endFeedTime};
    if (m_nNextId == 0)
        m_nNextId = 1;
    if (series)
        pending.waiting.push_back(series);
    const CHistoryRequest request = pending.request;
    m_pending.emplace(request.id, std::move(pending));
    if (m_pRequester)
        m_pRequester->QueueHistoryRequest(request);
    return 1;
}

void CHistoryCache::RemoveSeries(CPriceSeries* series)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (auto& [id, pending] : m_pending)
        std::erase(pending.waiting, series);
}

void CHistoryCache::ApplyHistory(const CHistoryMessage& message)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_pending.find(message.m_nRequestId);
    bool daily = message.m_bDaily;
    bool extended = false;
    CString symbol = message.m_symbol;
    std::vector<CPriceSeries*> waiting;
    std::optional<CHistoryRequest> request;
    if (it != m_pending.end()) {
        request = it->second.request;
        daily = request->daily;
        extended = request->extended;
        symbol = request->symbol;
        waiting.swap(it->second.waiting);
        m_pending.erase(it);
    }
    if (symbol.IsEmpty())
        return;
    if (!message.m_bFailed) {
        Held& held = m_held[MakeKey(symbol, daily, extended)];
        Merge(held.rows, message.m_rows);
        if (request)
            AddCompleteSpan(*request, message.m_rows, held.complete);
    }
    // A failed download still answers, so the series' outstanding count falls.
    const auto& hooks = GetPriceSeriesHooks();
    if (!hooks.historyUpdate)
        return;
    std::vector<CHistoryRow> rows;
    if (!message.m_bFailed) {
        rows = message.m_rows;
        std::stable_sort(rows.begin(), rows.end(),
                         [](const CHistoryRow& a, const CHistoryRow& b) { return a.feedTime < b.feedTime; });
    }
    for (CPriceSeries* series : waiting) {
        // Told first, so that the series never lends its empty records as a whole answer.
        if (message.m_bFailed && hooks.historyFailed)
            hooks.historyFailed(series, request->startFeedTime, request->endFeedTime);
        hooks.historyUpdate(series, rows, daily, message.m_bFailed ? std::nullopt : message.m_asOf);
    }
}

std::vector<CHistoryRow> CHistoryCache::GetRows(const CString& symbol, bool daily, bool extended)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_held.find(MakeKey(symbol, daily, extended && !daily));
    return it == m_held.end() ? std::vector<CHistoryRow>{} : it->second.rows;
}

CHistoryCoverage CHistoryCache::GetCoverage(const CString& symbol, bool daily, bool extended)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_held.find(MakeKey(symbol, daily, extended && !daily));
    return it == m_held.end() ? CHistoryCoverage{} : it->second.complete;
}

size_t CHistoryCache::GetPendingRequests()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_pending.size();
}
