#include "analytics/series/CPriceSeries.h"

#include "analytics/periods/CBarPeriod.h"
#include "analytics/periods/PeriodTime.h"
#include "analytics/series/CSeriesListener.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesHooks.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"
#include "broker/core/Formatters.h"
#include "broker/session/SessionMessages.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// How far a trade's stamp may lie from the exchange clock (clock skew) and still count.
constexpr int64_t kTradeSkewSeconds = 5 * 60;

// A live trade belongs to the exchange's current day: one stamped on another day, or ahead of
// the clock by more than the skew, is corrupt and would roll the bars away.
bool IsTradeOfToday(CTime trade, CTime clock)
{
    if (trade.GetTime() > clock.GetTime() + kTradeSkewSeconds)
        return false;
    const CTime late(trade.GetTime() + kTradeSkewSeconds);
    return (trade.GetYear() == clock.GetYear() && trade.GetMonth() == clock.GetMonth() &&
            trade.GetDay() == clock.GetDay()) ||
           (late.GetYear() == clock.GetYear() && late.GetMonth() == clock.GetMonth() && late.GetDay() == clock.GetDay());
}

using Guard = std::lock_guard<std::recursive_mutex>;

// The session creates series through these hooks; they are in place as soon as series
// are linked into the program (RegisterPriceSeriesHooks may be called again at start-up).
const bool g_hooksRegistered = (RegisterPriceSeriesHooks(), true);

} // namespace

CPriceSeries::CPriceSeries(const char* key, DWORD context) : m_context(context)
{
    CSeriesKey parsed;
    m_bKeyValid = ParseSeriesKey(key, parsed);
    m_symbol = parsed.symbol;
    m_interval = parsed.interval;
    m_bExtended = parsed.extendedSession;
    m_keyEndTime = parsed.endFeedTime;
    if (parsed.filter)
        m_pFilter = std::make_unique<CTickFilter>(*parsed.filter);
    if (m_bKeyValid && parsed.studyType >= 0) {
        m_pStudy = std::make_unique<CStudyValues>(parsed.studyType);
        for (int i = 0; i < 4; ++i)
            m_pStudy->SetParam(i, parsed.params[i]);
    }
    m_bCurrentDayBar = IsDailyOrLongerInterval(m_interval) ? 1 : 0;
    m_newestHistory = CTime(1970, 1, 1, 14, 0, 0);
    m_created = GetSeriesServices().GetExchangeTime();
    m_now = m_created;
    m_endTime = m_created;
}

CPriceSeries::~CPriceSeries()
{
    ISeriesServices& services = GetSeriesServices();
    services.RemoveSeries(this);
    if (m_bListening)
        services.RemoveSeriesListener(m_symbol, this);
}

void CPriceSeries::SetListener(CSeriesListener* listener)
{
    Guard lock(m_lock);
    m_pListener = listener;
}

const CSessionRules* CPriceSeries::Rules()
{
    {
        Guard lock(m_lock);
        if (m_pRules)
            return m_pRules;
    }
    // Looked up without the series lock: the quote store is never entered while it is held.
    const CString key = GetSymbolExchange() + ":" + m_symbol;
    const CSessionRules* rules = GetSeriesServices().FindSessionRules(key);
    Guard lock(m_lock);
    if (!m_pRules)
        m_pRules = rules;
    return m_pRules;
}

void CPriceSeries::ForgetRules()
{
    Guard lock(m_lock);
    m_pRules = nullptr;
}

const CBarRecord* CPriceSeries::GetRecordAt(int record) const
{
    return record >= 0 && record < GetRecordCount() ? &m_records[record] : nullptr;
}

int CPriceSeries::GetRecordOfIndex(int index) const
{
    Guard lock(m_lock);
    return RecordOfIndex(index);
}

std::vector<CBarRecord> CPriceSeries::CopyRecords(int upTo) const
{
    Guard lock(m_lock);
    const int end = upTo < 0 ? GetRecordCount() : std::min(upTo + 1, GetRecordCount());
    return std::vector<CBarRecord>(m_records.begin(), m_records.begin() + std::max(end, 0));
}

// ---------------------------------------------------------------- layout and requests

bool CPriceSeries::SetBarCount(int count, DWORD endFeedTime)
{
    ISeriesServices& services = GetSeriesServices();
    count = std::clamp(count, 0, kMaxRecords);
    // Everything the broker knows is read before the series is locked.
    CSeriesQuote quote;
    const bool hasQuote = services.LookupQuote(m_symbol, quote);
    const CTime now = services.GetExchangeTime();
    ForgetRules();
    const CSessionRules* rules = Rules();
    {
        Guard lock(m_lock);
        m_nWanted = count;
        SetWindowMode(m_bWindow);
        int total = count;
        if (m_pStudy)
            total = std::min(kMaxRecords, count + m_pStudy->Allocate(count));
        m_records.assign(static_cast<size_t>(total), CBarRecord{});
        m_bColumnsFresh = false;
        m_nFrontCount = 0;
        m_nOutstanding = 0;
        m_now = now;
        if (hasQuote && quote.timeOffsetMinutes)
            m_now = CTime(m_now.GetTime() - static_cast<int64_t>(quote.timeOffsetMinutes) * 60);
        m_bHistorical = m_keyEndTime ? 1 : 0;
        if (m_keyEndTime)
            m_endTime = FeedTimeToRecordTime(m_keyEndTime);
        else if (endFeedTime)
            m_endTime = FeedTimeToRecordTime(endFeedTime);
        else
            m_endTime = m_now;
        if (m_endTime > m_now)
            m_endTime = m_now;
        LayOutLocked(rules);
    }
    services.RemoveSeries(this);
    RequestRange(0, GetRecordCount() - 1);
    const bool ready = services.AddSeriesListener(this);
    {
        Guard lock(m_lock);
        m_bListening = true;
        m_bPending = ready ? 0 : 1;
    }
    CurrentDayFill();
    return true;
}

void CPriceSeries::LayOutLocked(const CSessionRules* rules)
{
    const int count = GetRecordCount();
    std::unique_ptr<CBarPeriod> period;
    if (count > 0)
        period = CreateBarPeriod(m_endTime, m_interval, rules, m_bExtended, 1);
    bool placed = period != nullptr;
    for (int r = count - 1; r >= 0; --r) {
        CBarRecord& rec = m_records[r];
        rec = CBarRecord{};
        if (placed) {
            rec.m_startTime = period->GetStart();
            rec.m_endTime = period->GetEnd();
            placed = period->StepBack();
        }
    }
    m_bLoaded = 1;
}

void CPriceSeries::RequestRange(int first, int last)
{
    ISeriesServices& services = GetSeriesServices();
    if (first > last)
        return;
    services.FillSeries(this, first, last);
    const CTime now = services.GetExchangeTime();
    std::vector<Span> spans;
    {
        Guard lock(m_lock);
        first = std::max(first, 0);
        last = std::min(last, GetRecordCount() - 1);
        CollectRunSpans(first, last, std::max(now, m_now), spans);
    }
    int made = 0;
    for (const Span& span : spans)
        made += services.RequestHistory(this, span.start, span.end);
    if (made) {
        Guard lock(m_lock);
        m_nOutstanding += made;
    }
}

void CPriceSeries::CollectRunSpans(int first, int last, CTime now, std::vector<Span>& spans)
{
    int runs = 0, runLo = -1, runHi = -1;
    for (int r = last; r >= first; --r) {
        if (m_records[r].m_bValid)
            continue;
        if (r == last || m_records[r + 1].m_bValid) {
            ++runs;
            if (runs == 1)
                runHi = r;
        }
        if (runs == 1)
            runLo = r;
    }
    if (runs == 0)
        return;
    if (runs >= 2) {
        runLo = first;
        runHi = last;
    }
    for (int lo = runLo; lo <= runHi; lo += kRequestChunk) {
        const int hi = std::min(runHi, lo + kRequestChunk - 1);
        // The newest record whose period has started by now bounds the span.
        int newest = hi;
        while (newest >= lo && m_records[newest].m_startTime > now)
            --newest;
        if (newest < lo || m_records[lo].m_startTime.GetTime() == 0)
            continue;
        spans.push_back({CTimeToFeedTime(m_records[lo].m_startTime), CTimeToFeedTime(m_records[newest].m_endTime)});
    }
}

void CPriceSeries::SetWindowMode(int on)
{
    Guard lock(m_lock);
    m_bWindow = on ? 1 : 0;
    m_nEndOffset = on ? 0 : 1 - m_nWanted;
}

bool CPriceSeries::IsWaitingForData()
{
    {
        Guard lock(m_lock);
        if (m_bLoaded)
            return m_nOutstanding != 0;
    }
    CSeriesQuote quote;
    return !GetSeriesServices().LookupQuote(m_symbol, quote) || quote.pending;
}

// ---------------------------------------------------------------- reading

int CPriceSeries::GetVisibleRange(int& first, int& last) const
{
    Guard lock(m_lock);
    if (m_nWanted) {
        first = m_nEndOffset;
        last = m_nEndOffset + m_nWanted - 1;
    }
    return m_nWanted;
}

bool CPriceSeries::GetValue(int index, int field, double& value)
{
    value = 0.0;
    Guard lock(m_lock);
    const int r = RecordOfIndex(index);
    if (!m_bLoaded || m_records.empty() || r < 0 || r >= GetRecordCount())
        return false;
    return ComputeValue(r, field, value);
}

int CPriceSeries::GetValueInt(int index, int field)
{
    double value = 0;
    GetValue(index, field, value);
    return static_cast<int>(value);
}

bool CPriceSeries::ComputeValue(int record, int field, double& value)
{
    Guard lock(m_lock);
    if (record < 0 || record >= GetRecordCount() || !m_records[record].m_bValid)
        return false;
    if (!m_pStudy) {
        if (field < 0 || field > 6)
            return false;
        value = m_records[record].m_fields[field];
        return true;
    }
    return ComputeStudyLocked(record, field, value);
}

bool CPriceSeries::ComputeStudyLocked(int record, int field, double& value)
{
    const int row = record - (GetRecordCount() - m_nWanted);
    if (m_pStudy->Get(row, field, value))
        return true;
    if (m_pStudy->IsKnown(row, field))
        return false;
    if (!m_bColumnsFresh) {
        studies::CStudyInput input;
        input.records = m_records.data();
        input.count = GetRecordCount();
        std::vector<DWORD> ends;
        if (m_pStudy->GetType() == studies::kEQTY) {
            ends.reserve(m_records.size());
            for (const CBarRecord& rec : m_records)
                ends.push_back(CTimeToFeedTime(rec.m_endTime));
            input.equity = m_pEquity;
            input.endFeedTimes = ends.data();
        }
        studies::ComputeStudy(m_pStudy->GetType(), m_pStudy->GetParams(), input, m_columns);
        m_bColumnsFresh = true;
        // Fill the cache of the visible rows that are not known yet.
        const int base = GetRecordCount() - m_nWanted;
        for (int k = 0; k < m_pStudy->GetRowCount(); ++k)
            for (int o = 0; o < m_pStudy->GetOutputCount(); ++o) {
                if (m_pStudy->IsKnown(k, o))
                    continue;
                double v;
                if (m_columns.Get(base + k, o, v))
                    m_pStudy->Set(k, o, v);
                else
                    m_pStudy->SetNoValue(k, o);
            }
    }
    return m_columns.Get(record, field, value);
}

bool CPriceSeries::GetRecord(int index, CBarRecord& out) const
{
    Guard lock(m_lock);
    const int r = RecordOfIndex(index);
    if (r < 0 || r >= GetRecordCount())
        return false;
    out = m_records[r];
    return true;
}

bool CPriceSeries::SetRecord(int index, const CBarRecord& record)
{
    Guard lock(m_lock);
    const int r = RecordOfIndex(index);
    if (r < 0 || r >= GetRecordCount())
        return false;
    const int row = r - (GetRecordCount() - m_nWanted);
    if (m_pStudy)
        m_pStudy->ClearRange(std::max(row, 0), m_nWanted - 1);
    m_bColumnsFresh = false;
    m_records[r] = record;
    return true;
}

int CPriceSeries::FindField(const char* name) const
{
    if (!name)
        return -1;
    if (m_pStudy) {
        // A name that is not among the outputs is refused, never read as output 0.
        return studies::FindStudyOutput(m_pStudy->GetType(), name);
    }
    static const char* const kBarNames[] = {"Open", "High", "Low", "Close", "Volume"};
    static const char* const kTickNames[] = {"BASCodes", "Indicator", "Seconds", "Price",
                                             "Size", "Price Type", "Flags", "Exchange"};
    for (int i = 0; i < 5; ++i)
        if (std::strcmp(name, kBarNames[i]) == 0)
            return i;
    for (int i = 0; i < 8; ++i)
        if (std::strcmp(name, kTickNames[i]) == 0)
            return i;
    return -1;
}

int CPriceSeries::GetFieldKind(int field) const
{
    if (!m_pStudy)
        return field == 4 ? 1 : 4;
    using namespace studies;
    switch (m_pStudy->GetType()) {
    case kOBV:
    case kCOSC:
    case kAD: return 1;
    case kBB:
    case kMA:
    case kEMA:
    case kMACD:
    case kMOM:
    case kMAE:
    case kTSF:
    case kDEMA:
    case kTEMA: return static_cast<int>(m_pStudy->GetParam(0)) == kBarVolume ? 1 : 4;
    default: return 4;
    }
}

DWORD CPriceSeries::GetBarSpan() const
{
    if (m_interval == "D")
        return 43200;
    if (m_interval == "W")
        return 302400;
    if (m_interval == "M")
        return 1339200;
    if (m_interval == "Q")
        return 3 * 1339200;
    if (m_interval == "Y")
        return 12 * 1339200;
    const long minutes = std::atol(m_interval);
    return minutes > 0 ? static_cast<DWORD>(minutes * 60 / 2) : 0;
}

int CPriceSeries::GetPeriodCode() const
{
    if (m_interval == "D")
        return 0;
    if (m_interval == "W")
        return 1;
    if (m_interval == "M")
        return 2;
    return 3;
}

bool CPriceSeries::FormatTickField(int index, int field, char* buffer, int size) const
{
    if (!buffer || size <= 0)
        return false;
    buffer[0] = 0;
    Guard lock(m_lock);
    const int r = RecordOfIndex(index);
    if (!m_bLoaded || r < 0 || r >= GetRecordCount() || !m_records[r].m_bValid)
        return false;
    const CBarRecord& rec = m_records[r];
    CString text;
    if (IsTickSeries()) {
        switch (field) {
        case 0: {
            const int code = static_cast<int>(rec.m_fields[0]);
            text = code == 0 ? "Trade" : code == 1 ? "Bid" : code == 3 ? "Ask" : "";
            break;
        }
        case 1:
        case 5: text.Format("%d", static_cast<int>(rec.m_fields[field])); break;
        case 3: text = FormatNumber(rec.m_fields[3], 2, 4); break;
        case 4: text = FormatDoubleThousands(rec.m_fields[4], 0); break;
        case 7: text = rec.m_exchange; break;
        default: break;
        }
    } else if (field >= 0 && field <= 3) {
        text = FormatNumber(rec.m_fields[field], 2, 4);
    } else if (field == 4) {
        text = FormatDoubleThousands(rec.m_fields[4], 0);
    }
    std::strncpy(buffer, text, static_cast<size_t>(size));
    buffer[size - 1] = 0;
    return true;
}

DWORD CPriceSeries::GetLastBarTime() const
{
    Guard lock(m_lock);
    if (m_bLoaded && !m_records.empty())
        return CTimeToFeedTime(m_records.back().m_endTime);
    return CTimeToFeedTime(m_endTime);
}

CString CPriceSeries::GetSymbolTitle()
{
    CSeriesQuote quote;
    if (GetSeriesServices().LookupQuote(m_symbol, quote))
        return m_symbol + " - " + quote.description;
    return m_symbol;
}

CString CPriceSeries::GetQualifiedSymbol()
{
    CSeriesQuote quote;
    if (GetSeriesServices().LookupQuote(m_symbol, quote))
        return m_symbol + ":" + quote.exchange;
    return m_symbol;
}

CString CPriceSeries::GetSymbolExchange()
{
    CSeriesQuote quote;
    if (GetSeriesServices().LookupQuote(m_symbol, quote) && !quote.exchange.IsEmpty())
        return quote.exchange;
    if (!m_symbol.IsEmpty() && m_symbol[0] == '$')
        return "INDEX";
    return m_symbol.GetLength() < 4 ? "NYSE" : "NASD";
}

void CPriceSeries::SetEquityValue(const CEquityRecordArray* records)
{
    Guard lock(m_lock);
    m_pEquity = records;
    if (m_pStudy)
        m_pStudy->ClearAll();
    m_bColumnsFresh = false;
}

void CPriceSeries::InvalidateValues(int mode, int first, int last)
{
    Guard lock(m_lock);
    InvalidateLocked(mode, first, last);
}

void CPriceSeries::InvalidateLocked(int mode, int first, int last)
{
    const int count = GetRecordCount();
    if (count > m_nWanted) {
        first = std::max(0, first + m_nWanted - count);
        last = std::min(last + m_nWanted - count, m_nWanted - 1);
    }
    m_bColumnsFresh = false;
    if (m_pStudy) {
        // A study's value at a record depends on the records before it: every row from the
        // first changed one on is stale.
        if (mode == 1) {
            last = std::max(last, m_nWanted - 1);
            m_pStudy->ClearRange(first, last);
        } else {
            m_pStudy->ClearAll();
        }
    }
    if (m_pListener)
        m_pListener->OnValuesChanged(this, mode, m_nEndOffset + first, m_nEndOffset + last);
}

// ---------------------------------------------------------------- bar times

int CPriceSeries::FindBarByTime(DWORD feedTime, int side)
{
    const CSessionRules* rules = Rules();
    Guard lock(m_lock);
    const CTime time = FeedTimeToRecordTime(feedTime);
    auto period = CreateBarPeriod(time, m_interval, rules, m_bExtended, 1);
    const int count = GetRecordCount();
    if (!period || count == 0)
        return 0;
    int k = -1;
    if (m_records.front().m_startTime <= time && time <= m_records.back().m_endTime) {
        const CTime want = side ? period->GetEnd() : period->GetStart();
        for (int r = 0; r < count; ++r) {
            const CTime have = side ? m_records[r].m_endTime : m_records[r].m_startTime;
            if (have == want) {
                k = r;
                break;
            }
        }
        if (k < 0) {
            // Between bars (outside a session): the newest record that starts before it.
            k = 0;
            for (int r = 0; r < count; ++r)
                if (m_records[r].m_startTime <= time)
                    k = r;
        }
    } else {
        const bool later = time > m_records.back().m_endTime;
        const CBarRecord& from = later ? m_records.back() : m_records.front();
        auto walk = CreateBarPeriod(from.m_startTime, m_interval, rules, m_bExtended, 1);
        k = later ? count - 1 : 0;
        for (int steps = 0; walk && steps < kMaxRecords; ++steps) {
            if (later ? walk->GetEnd() > time : walk->GetStart() <= time)
                break;
            if (!(later ? walk->StepForward() : walk->StepBack()))
                break;
            k += later ? 1 : -1;
        }
    }
    return k - (count - m_nEndOffset - m_nWanted);
}

bool CPriceSeries::GetBarTime(int index, int side, DWORD& feedTime)
{
    const CSessionRules* rules = Rules();
    Guard lock(m_lock);
    const int count = GetRecordCount();
    const int r = RecordOfIndex(index);
    if (m_bLoaded && r >= 0 && r < count) {
        feedTime = CTimeToFeedTime(side ? m_records[r].m_endTime : m_records[r].m_startTime);
        return true;
    }
    std::unique_ptr<CBarPeriod> period;
    int steps = 0;
    bool forward = true;
    if (!m_bLoaded || count == 0) {
        period = CreateBarPeriod(m_created, m_interval, rules, m_bExtended, 1);
        steps = std::abs(r);
        forward = r >= 0;
    } else if (r < 0) {
        period = CreateBarPeriod(m_records.front().m_startTime, m_interval, rules, m_bExtended, 1);
        steps = -r;
        forward = false;
    } else {
        period = CreateBarPeriod(m_records.back().m_startTime, m_interval, rules, m_bExtended, 1);
        steps = r - count + 1;
    }
    if (!period)
        return false;
    for (int i = 0; i < steps && i < kMaxRecords; ++i)
        if (!(forward ? period->StepForward() : period->StepBack()))
            break;
    feedTime = CTimeToFeedTime(side ? period->GetEnd() : period->GetStart());
    return true;
}

void CPriceSeries::AddEmptyBars(int n, int /*side*/)
{
    const CSessionRules* rules = Rules();
    Guard lock(m_lock);
    if (!m_bLoaded || m_records.empty() || n == 0)
        return;
    const int count = std::min(std::abs(n), kMaxRecords - GetRecordCount());
    if (count <= 0)
        return;
    const bool front = n < 0;
    auto period = CreateBarPeriod(front ? m_records.front().m_startTime : m_records.back().m_startTime, m_interval,
                                  rules, m_bExtended, 1);
    std::vector<CBarRecord> added(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        CBarRecord& rec = front ? added[count - 1 - i] : added[i];
        if (period && (front ? period->StepBack() : period->StepForward())) {
            rec.m_startTime = period->GetStart();
            rec.m_endTime = period->GetEnd();
        }
    }
    if (front) {
        m_records.insert(m_records.begin(), added.begin(), added.end());
        m_nFrontCount += count;
    } else {
        m_records.insert(m_records.end(), added.begin(), added.end());
        if (!m_bWindow)
            m_nEndOffset += count;
    }
    if (m_pStudy)
        m_pStudy->ClearAll();
    m_bColumnsFresh = false;
}

// ---------------------------------------------------------------- history

void CPriceSeries::OnIntradayHistory(const std::vector<CHistoryRow>& rows)
{
    {
        Guard lock(m_lock);
        if (!m_bLoaded)
            return;
        ApplyIntradayRows(rows, 0, GetRecordCount() - 1, true);
    }
}

void CPriceSeries::OnCachedIntradayFill(const std::vector<CHistoryRow>& rows, int first, int last)
{
    Guard lock(m_lock);
    if (!m_bLoaded)
        return;
    ApplyIntradayRows(rows, first, last, false);
}

void CPriceSeries::ApplyIntradayRows(const std::vector<CHistoryRow>& rows, int first, int last, bool answer)
{
    first = std::max(first, 0);
    last = std::min(last, GetRecordCount() - 1);
    int changedLo = -1, changedHi = -1;
    int r = first;
    for (const CHistoryRow& row : rows) {
        const CTime start = FeedTimeToRecordTime(row.feedTime);
        while (r <= last && m_records[r].m_endTime <= start)
            ++r;
        if (r > last)
            break;
        CBarRecord& rec = m_records[r];
        if (start.GetTime() + 60 <= rec.m_startTime.GetTime() || rec.m_bValid)
            continue;
        if (rec.Close() == 0) {
            rec.m_fields[kBarOpen] = row.open;
            rec.m_fields[kBarHigh] = row.high;
            rec.m_fields[kBarLow] = row.low;
            rec.m_fields[kBarClose] = row.close;
            rec.m_fields[kBarVolume] = row.volume;
        } else {
            rec.m_fields[kBarClose] = row.close;
            rec.m_fields[kBarHigh] = std::max(rec.High(), row.high);
            rec.m_fields[kBarLow] = std::min(rec.Low(), row.low);
            rec.m_fields[kBarVolume] += row.volume;
        }
        if (changedLo < 0)
            changedLo = r;
        changedHi = r;
    }
    for (int k = first; k <= last; ++k)
        if (!m_records[k].m_bValid && m_records[k].Close() != 0)
            m_records[k].m_bValid = 1;
    if (answer && m_nOutstanding > 0)
        --m_nOutstanding;
    if (changedLo >= 0)
        InvalidateLocked(1, changedLo, changedHi);
}

int CPriceSeries::CompareRecordPeriod(const CBarRecord& record, CTime time) const
{
    if (m_interval == "D")
        return periods::CompareDay(record.m_startTime, time);
    if (m_interval == "W")
        return periods::CompareWeek(record.m_startTime, time);
    if (m_interval == "M")
        return periods::CompareMonth(record.m_startTime, time);
    // Quarters and years: by the record's calendar bounds.
    if (time < record.m_startTime)
        return 1;
    return time >= record.m_endTime ? -1 : 0;
}

void CPriceSeries::OnDailyHistory(const std::vector<CHistoryRow>& rows)
{
    {
        Guard lock(m_lock);
        if (!m_bLoaded)
            return;
        ApplyDailyRows(rows, 0, GetRecordCount() - 1, true);
        if (!rows.empty()) {
            const CTime newest = FeedTimeToRecordTime(rows.back().feedTime);
            if (newest > m_newestHistory)
                m_newestHistory = newest;
        }
    }
    CurrentDayFill();
}

void CPriceSeries::OnCachedDailyFill(const std::vector<CHistoryRow>& rows, int first, int last)
{
    Guard lock(m_lock);
    if (!m_bLoaded)
        return;
    ApplyDailyRows(rows, first, last, false);
}

void CPriceSeries::ApplyDailyRows(const std::vector<CHistoryRow>& rows, int first, int last, bool answer)
{
    first = std::max(first, 0);
    last = std::min(last, GetRecordCount() - 1);
    int changedLo = -1, changedHi = -1;
    int r = first;
    // Every daily row of a week, month, quarter or year goes into its record: the first
    // one fills the empty record and the later ones widen it.
    int filling = -1;
    for (const CHistoryRow& row : rows) {
        const CTime time = FeedTimeToRecordTime(row.feedTime);
        while (r <= last && CompareRecordPeriod(m_records[r], time) < 0)
            ++r;
        if (r > last)
            break;
        if (CompareRecordPeriod(m_records[r], time) > 0)
            continue;
        CBarRecord& rec = m_records[r];
        if (!rec.m_bValid) {
            rec.m_fields[kBarOpen] = row.open;
            rec.m_fields[kBarHigh] = row.high;
            rec.m_fields[kBarLow] = row.low;
            rec.m_fields[kBarClose] = row.close;
            rec.m_fields[kBarVolume] = row.volume;
            rec.m_bValid = 1;
            filling = r;
        } else if (filling == r) {
            rec.m_fields[kBarClose] = row.close;
            rec.m_fields[kBarHigh] = std::max(rec.High(), row.high);
            rec.m_fields[kBarLow] = std::min(rec.Low(), row.low);
            rec.m_fields[kBarVolume] += row.volume;
        } else {
            continue;
        }
        if (changedLo < 0)
            changedLo = r;
        changedHi = r;
    }
    if (answer && m_nOutstanding > 0)
        --m_nOutstanding;
    if (changedLo >= 0)
        InvalidateLocked(1, changedLo, changedHi);
}

void CPriceSeries::CurrentDayFill()
{
    {
        Guard lock(m_lock);
        if (!m_bLoaded || !m_bCurrentDayBar || m_nOutstanding != 0 || m_records.empty())
            return;
    }
    CSeriesQuote quote;
    if (!GetSeriesServices().LookupQuote(m_symbol, quote) || quote.pending)
        return;
    Guard lock(m_lock);
    if (!m_bCurrentDayBar || m_records.empty())
        return;
    m_bCurrentDayBar = 0;
    if (quote.last == 0 || quote.open == 0 || quote.high == 0 || quote.low == 0)
        return;
    CBarRecord& rec = m_records.back();
    const int last = GetRecordCount() - 1;
    if (!rec.m_bValid) {
        rec.m_fields[kBarOpen] = quote.open;
        rec.m_fields[kBarHigh] = quote.high;
        rec.m_fields[kBarLow] = quote.low;
        rec.m_fields[kBarClose] = quote.last;
        rec.m_fields[kBarVolume] = static_cast<double>(quote.volume);
        rec.m_bValid = 1;
        InvalidateLocked(0, 0, last);
        return;
    }
    const CTime tradeDate = quote.tradeFeedTime ? FeedTimeToRecordTime(quote.tradeFeedTime) : m_now;
    if (CompareRecordPeriod(rec, tradeDate) == 0) {
        rec.m_fields[kBarClose] = quote.last;
        rec.m_fields[kBarHigh] = std::max(rec.High(), quote.high);
        rec.m_fields[kBarLow] = std::min(rec.Low(), quote.low);
        rec.m_fields[kBarVolume] += static_cast<double>(quote.volume);
        InvalidateLocked(1, last, last);
    }
}

void CPriceSeries::OnExchangeCheck()
{
    CSeriesQuote quote;
    const bool hasQuote = GetSeriesServices().LookupQuote(m_symbol, quote);
    bool again = false;
    {
        Guard lock(m_lock);
        if (!m_bPending)
            return;
        m_bPending = 0;
        const int len = m_symbol.GetLength();
        if (hasQuote && ((quote.exchange == "NASD" && len < 4) ||
                         ((quote.exchange == "NYSE" || quote.exchange == "AMEX") && len >= 4)))
            again = true;
    }
    if (again) {
        // The bars were laid out on a guessed exchange: lay them out anew on the right one.
        GetSeriesServices().RemoveSeries(this);
        ForgetRules();
        const CSessionRules* rules = Rules();
        {
            Guard lock(m_lock);
            m_nOutstanding = 0;
            if (m_bLoaded)
                LayOutLocked(rules);
            m_bColumnsFresh = false;
            if (m_pStudy)
                m_pStudy->ClearAll();
        }
        RequestRange(0, GetRecordCount() - 1);
    }
    {
        Guard lock(m_lock);
        if (m_pListener)
            m_pListener->OnDataStateChanged(this);
    }
    CurrentDayFill();
}

// ---------------------------------------------------------------- live data

void CPriceSeries::OnLiveData(const CTradeMessage* trade, DWORD feedTime)
{
    if (!trade)
        return;
    const CTime time = FeedTimeToRecordTime(feedTime);
    if (!IsTradeOfToday(time, GetSeriesServices().GetExchangeTime()))
        return;
    {
        Guard lock(m_lock);
        // Feed times count 2-second units: compare at that granularity.
        if (m_bHistorical || feedTime < CTimeToFeedTime(m_now))
            return;
    }
    if (IsTickSeries())
        AppendTicks(*trade, time);
    else
        UpdateBar(*trade, time);
}

void CPriceSeries::OnStreamRestored()
{
    if (IsTickSeries())
        return;
    ISeriesServices& services = GetSeriesServices();
    const CSessionRules* rules = Rules();
    const CTime now = services.GetExchangeTime();
    std::vector<Span> spans;
    {
        Guard lock(m_lock);
        if (!m_bLoaded || m_bHistorical || m_records.empty())
            return;
        const int count = GetRecordCount();
        int newest = count - 1;
        while (newest >= 0 && !m_records[newest].m_bValid)
            --newest;
        if (newest < 0)
            return; // nothing came yet: the first answer is still on its way
        // The bars the outage spanned, up to the one holding now.
        int rolled = 0;
        if (now >= m_records.back().m_endTime) {
            auto period = CreateBarPeriod(m_records.back().m_startTime, m_interval, rules, m_bExtended, 1);
            while (period && rolled < count && period->StepForward() && period->GetStart() <= now) {
                CBarRecord rec;
                rec.m_startTime = period->GetStart();
                rec.m_endTime = period->GetEnd();
                m_records.erase(m_records.begin());
                m_records.push_back(rec);
                ++rolled;
                if (!m_bWindow)
                    ++m_nEndOffset;
                if (period->GetEnd() > now)
                    break;
            }
        }
        // The newest bar with data may lack trades of the outage: it and every later bar are
        // asked for anew, past the history cache, which may hold them as they were.
        const int first = std::max(newest - rolled, 0);
        for (int r = first; r < count; ++r) {
            CBarRecord& rec = m_records[r];
            const CTime start = rec.m_startTime, end = rec.m_endTime;
            rec = CBarRecord{};
            rec.m_startTime = start;
            rec.m_endTime = end;
        }
        InvalidateLocked(0, 0, count - 1);
        CollectRunSpans(first, count - 1, std::max(now, m_now), spans);
    }
    int made = 0;
    for (const Span& span : spans)
        made += services.RequestHistory(this, span.start, span.end);
    if (made) {
        Guard lock(m_lock);
        m_nOutstanding += made;
    }
}

void CPriceSeries::UpdateBar(const CTradeMessage& trade, CTime time)
{
    const CSessionRules* rules = Rules();
    int rolled = 0;
    int requestFirst = 0, requestLast = -1;
    {
        Guard lock(m_lock);
        if (!m_bLoaded || m_bHistorical || m_nOutstanding != 0 || m_bCurrentDayBar || m_records.empty())
            return;
        double size = trade.m_size * 100.0;
        for (int more : trade.m_moreSizes)
            size += more * 100.0;
        const int count = GetRecordCount();
        if (time >= m_records.back().m_endTime) {
            // New bars up to the one holding the trade; never more than the series holds.
            auto period = CreateBarPeriod(m_records.back().m_startTime, m_interval, rules, m_bExtended, 1);
            while (period && rolled < count && period->StepForward() && period->GetStart() <= time) {
                CBarRecord rec;
                rec.m_startTime = period->GetStart();
                rec.m_endTime = period->GetEnd();
                m_records.erase(m_records.begin());
                m_records.push_back(rec);
                ++rolled;
                if (!m_bWindow)
                    ++m_nEndOffset;
                if (period->GetEnd() > time)
                    break;
            }
        }
        int r = count - 1;
        while (r >= 0 && !(m_records[r].m_startTime <= time && time < m_records[r].m_endTime))
            --r;
        if (r >= 0) {
            CBarRecord& rec = m_records[r];
            const double price = trade.m_price;
            if (!rec.m_bValid) {
                rec.m_fields[kBarOpen] = rec.m_fields[kBarHigh] = rec.m_fields[kBarLow] =
                    rec.m_fields[kBarClose] = price;
                rec.m_fields[kBarVolume] = size;
                rec.m_bValid = 1;
            } else {
                rec.m_fields[kBarClose] = price;
                rec.m_fields[kBarHigh] = std::max(rec.High(), price);
                rec.m_fields[kBarLow] = std::min(rec.Low(), price);
                rec.m_fields[kBarVolume] += size;
            }
        }
        if (rolled)
            InvalidateLocked(0, 0, count - 1);
        else if (r >= 0)
            InvalidateLocked(1, r, r);
        if (rolled > 1) {
            requestFirst = count - rolled;
            requestLast = count - 1;
        }
    }
    if (requestLast >= requestFirst)
        RequestRange(requestFirst, requestLast);
}

void CPriceSeries::AppendTicks(const CTradeMessage& trade, CTime time)
{
    CSeriesQuote quote;
    const bool hasQuote = GetSeriesServices().LookupQuote(m_symbol, quote);
    Guard lock(m_lock);
    if (!m_bLoaded || m_records.empty())
        return;
    std::vector<int> sizes{trade.m_size};
    sizes.insert(sizes.end(), trade.m_moreSizes.begin(), trade.m_moreSizes.end());
    bool changed = false;
    for (int lot : sizes) {
        const double price = trade.m_price;
        const double size = lot * 100.0;
        int flags = 0;
        if (hasQuote && !quote.pending) {
            if (price >= quote.high)
                flags = 32;
            else if (price <= quote.low)
                flags = 64;
            else if (price <= quote.bid)
                flags = 4096;
            else if (price >= quote.ask)
                flags = 8192;
        }
        if (m_pFilter && m_pFilter->Drops(0, price, static_cast<unsigned int>(std::max(size, 0.0)), trade.m_exchange))
            continue;
        CBarRecord rec;
        rec.m_startTime = rec.m_endTime = time;
        rec.m_fields[kTickBASCodes] = 0;
        rec.m_fields[kTickIndicator] = 0;
        rec.m_fields[kTickPrice] = price;
        rec.m_fields[kTickSize] = size;
        rec.m_fields[kTickFlags] = flags;
        rec.m_exchange = trade.m_exchange;
        rec.m_bValid = 1;
        m_records.erase(m_records.begin());
        m_records.push_back(rec);
        changed = true;
    }
    if (changed)
        InvalidateLocked(0, 0, GetRecordCount() - 1);
}
