#include "analytics/series/CPriceSeries.h"

#include "analytics/periods/CBarPeriod.h"
#include "analytics/periods/CNaiveTimeCache.h"
#include "analytics/periods/PeriodTime.h"
#include "analytics/series/CSeriesListener.h"
#include "analytics/series/CSeriesRegistry.h"
#include "analytics/series/CSeriesStudy.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesHooks.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"
#include "broker/core/Formatters.h"
#include "broker/session/CHistoryCoverage.h"
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
    const int64_t today = periods::LocalDayNumber(clock);
    return periods::LocalDayNumber(trade) == today ||
           periods::LocalDayNumber(CTime(trade.GetTime() + kTradeSkewSeconds)) == today;
}

using Guard = std::lock_guard<std::recursive_mutex>;

// True when every value is finite: x - x is 0 for those and NaN for the others, and a sum
// holding a NaN is NaN. Four sums run side by side.
bool AllFinite(const double* values, int count)
{
    using v2d = double __attribute__((vector_size(16)));
    v2d a = {0, 0}, b = {0, 0};
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        v2d x, y;
        std::memcpy(&x, values + k, sizeof x);
        std::memcpy(&y, values + k + 2, sizeof y);
        a += x - x;
        b += y - y;
    }
    double sum = a[0] + a[1] + b[0] + b[1];
    for (; k < count; ++k)
        sum += values[k] - values[k];
    return sum == 0.0;
}

// The spans cached rows are complete for, in record times; without them every record is.
class CCoveredRecords {
public:
    explicit CCoveredRecords(const CHistoryCoverage* complete) : m_bAll(complete == nullptr)
    {
        if (complete)
            for (const auto& [start, end] : complete->Spans())
                m_spans.emplace_back(FeedTimeToRecordTime(start).GetTime(), FeedTimeToRecordTime(end).GetTime());
    }

    bool Holds(CTime start, CTime end) const
    {
        if (m_bAll)
            return true;
        for (const auto& [from, to] : m_spans)
            if (from <= start.GetTime() && end.GetTime() <= to)
                return true;
        return false;
    }

private:
    const bool m_bAll;
    std::vector<std::pair<int64_t, int64_t>> m_spans;
};

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
        m_pStudyState = std::make_unique<CSeriesStudy>(parsed.studyType, parsed.params, m_bars);
    }
    m_bCurrentDayBar = IsDailyOrLongerInterval(m_interval) ? 1 : 0;
    m_newestHistory = CTime(1970, 1, 1, 14, 0, 0);
    m_created = GetSeriesServices().GetExchangeTime();
    m_now = m_created;
    m_endTime = m_created;
    CSeriesRegistry::Instance().Add(m_symbol.str(), this);
}

CPriceSeries::~CPriceSeries()
{
    CSeriesRegistry::Instance().Remove(m_symbol.str(), this);
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

std::optional<CBarRecord> CPriceSeries::GetRecordAt(int record) const
{
    Guard lock(m_lock);
    if (record < 0 || record >= m_bars.Size())
        return std::nullopt;
    return m_bars.Get(record);
}

int CPriceSeries::GetRecordOfIndex(int index) const
{
    Guard lock(m_lock);
    return RecordOfIndex(index);
}

std::vector<CBarRecord> CPriceSeries::CopyRecords(int upTo) const
{
    Guard lock(m_lock);
    const int end = upTo < 0 ? m_bars.Size() : std::min(upTo + 1, m_bars.Size());
    std::vector<CBarRecord> records;
    records.reserve(static_cast<size_t>(std::max(end, 0)));
    for (int r = 0; r < end; ++r)
        records.push_back(m_bars.Get(r));
    return records;
}

size_t CPriceSeries::GetMemoryBytes() const
{
    Guard lock(m_lock);
    return sizeof(*this) + m_bars.MemoryBytes() + (m_pStudyState ? m_pStudyState->MemoryBytes() : 0);
}

// ---------------------------------------------------------------- layout and requests

bool CPriceSeries::SetBarCount(int count, DWORD endFeedTime, int before)
{
    ISeriesServices& services = GetSeriesServices();
    count = std::clamp(count, 0, kMaxRecords);
    before = std::clamp(before, 0, kMaxRecords - count);
    // Everything the broker knows is read before the series is locked.
    CSeriesQuote quote;
    const bool hasQuote = services.LookupQuote(m_symbol, quote);
    const CTime now = services.GetExchangeTime();
    ForgetRules();
    const CSessionRules* rules = Rules();
    int taken = 0;
    {
        Guard lock(m_lock);
        m_nWanted = count;
        SetWindowMode(m_bWindow);
        int total = count + before;
        if (m_pStudy)
            total = std::min(kMaxRecords,
                             total + studies::ComputeWarmUpCount(m_pStudy->GetType(), m_pStudy->GetParams()));
        m_nFrontCount = 0;
        m_nOutstanding = 0;
        m_timeOffsetSeconds = hasQuote ? static_cast<int64_t>(quote.timeOffsetMinutes) * 60 : 0;
        m_now = CTime(now.GetTime() - m_timeOffsetSeconds);
        m_bHistorical = m_keyEndTime ? 1 : 0;
        if (m_keyEndTime)
            m_endTime = FeedTimeToRecordTime(m_keyEndTime);
        else if (endFeedTime)
            m_endTime = FeedTimeToRecordTime(endFeedTime);
        else
            m_endTime = m_now;
        if (m_endTime > m_now)
            m_endTime = m_now;
        if (BorrowFromTwinLocked(rules, total)) {
            taken = total;
            InvalidateLocked(1, 0, total - 1);
        } else {
            LayOutLocked(rules, total);
            taken = TakeFromTwinLocked();
        }
        ++m_nSettling; // until the empty bars are asked for
    }
    const SettlingScope settling(*this);
    services.RemoveSeries(this);
    RequestRange(0, GetRecordCount() - 1 - taken);
    const bool ready = services.AddSeriesListener(this);
    {
        Guard lock(m_lock);
        m_bListening = true;
        m_bPending = ready ? 0 : 1;
    }
    CurrentDayFill();
    return true;
}

void CPriceSeries::LayOutLocked(const CSessionRules* rules, int count)
{
    m_bars.Assign(count);
    std::unique_ptr<CBarPeriod> period;
    if (count > 0)
        period = CreateBarPeriod(m_endTime, m_interval, rules, m_bExtended, 1);
    if (period)
        period->FillBack(count, m_bars.MutableStartColumn(), m_bars.MutableEndColumn());
    NewRecordsLocked();
}

void CPriceSeries::NewRecordsLocked()
{
    m_backfill.Clear();
    // Empty bars again: today's comes from the quote once more.
    m_bCurrentDayBar = IsDailyOrLongerInterval(m_interval) ? 1 : 0;
    if (m_pStudyState)
        m_pStudyState->Reset();
    m_bLoaded = 1;
    m_bEdited = false;
    m_bUnrequested = false;
    m_failedHistory.clear();
    m_unaskedStart = 0;
    m_toAskThrough = 0;
    m_passedOver.clear();
    // Records kept for an owner are gone: it keeps what it shows of the new ones.
    if (m_bKeeping)
        m_nKept = m_nKeptNewer = m_bars.Size();
    ++m_nResets;
}

bool CPriceSeries::CanLendBarsLocked() const
{
    return m_bLoaded && m_bHistorical && m_nOutstanding == 0 && m_nSettling == 0 && !m_bEdited &&
           !m_bUnrequested && m_failedHistory.empty() && !m_bars.HasExtraFields();
}

bool CPriceSeries::VisitLendersLocked(const std::function<bool(const CPriceSeries&)>& take)
{
    bool taken = false;
    CSeriesRegistry::Instance().Visit(m_symbol.str(), [&](CPriceSeries& twin) {
        if (&twin == this)
            return false;
        // Never waited for: the twin may be busy, or reading this series under its own lock.
        std::unique_lock<std::recursive_mutex> twinLock(twin.m_lock, std::try_to_lock);
        if (!twinLock.owns_lock() || !twin.CanLendBarsLocked() || twin.m_interval != m_interval ||
            twin.m_bExtended != m_bExtended || twin.m_keyEndTime != m_keyEndTime || twin.m_endTime != m_endTime ||
            twin.m_pRules != m_pRules || twin.m_timeOffsetSeconds != m_timeOffsetSeconds)
            return false;
        taken = take(twin);
        return taken;
    });
    return taken;
}

bool CPriceSeries::MayTakeFromTwinLocked() const
{
    return m_bHistorical && !m_pFilter && !IsTickSeries() && !IsDailyOrLongerInterval(m_interval);
}

bool CPriceSeries::BorrowFromTwinLocked(const CSessionRules* rules, int count)
{
    if (count <= 0 || !MayTakeFromTwinLocked())
        return false;
    // The newest bar as a layout gives it: the twin laid out from the same end time holds the
    // same bars before it.
    const std::unique_ptr<CBarPeriod> period = CreateBarPeriod(m_endTime, m_interval, rules, m_bExtended, 1);
    if (!period)
        return false;
    int64_t newestStart = 0, newestEnd = 0;
    period->FillBack(1, &newestStart, &newestEnd);
    const bool borrowed = VisitLendersLocked([&](const CPriceSeries& twin) {
        const CBarStore& bars = twin.m_bars;
        const int last = bars.RecordStartingAt(newestStart);
        if (last < 0 || bars.EndColumn()[last] != newestEnd || last + 1 < count)
            return false;
        m_bars.Borrow(bars, last + 1 - count, count);
        return true;
    });
    if (!borrowed)
        return false;
    NewRecordsLocked();
    return true;
}

int CPriceSeries::TakeFromTwinLocked()
{
    const int size = m_bars.Size();
    if (size == 0 || !MayTakeFromTwinLocked())
        return 0;
    const int64_t* starts = m_bars.StartColumn();
    const int64_t* ends = m_bars.EndColumn();
    int taken = 0;
    VisitLendersLocked([&](const CPriceSeries& twin) {
        // The twin's record starting with this series' newest, and the overlap ending there.
        const CBarStore& bars = twin.m_bars;
        const int64_t* twinStarts = bars.StartColumn();
        const int twinLast = bars.RecordStartingAt(starts[size - 1]);
        if (twinLast < 0)
            return false;
        const int n = std::min(size, twinLast + 1);
        const int from = twinLast - n + 1, to = size - n;
        const size_t bytes = sizeof(int64_t) * static_cast<size_t>(n);
        if (std::memcmp(twinStarts + from, starts + to, bytes) != 0 ||
            std::memcmp(bars.EndColumn() + from, ends + to, bytes) != 0)
            return false;
        m_bars.TakeValues(bars, from, to, n);
        taken = n;
        return true;
    });
    if (taken > 0)
        InvalidateLocked(1, size - taken, size - 1);
    return taken;
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
        last = std::min(last, m_bars.Size() - 1);
        const CTime begun = std::max(now, m_now);
        CollectRunSpans(first, last, begun, spans);
        m_nOutstanding += static_cast<int>(spans.size());
    }
    RequestSpans(spans);
}

void CPriceSeries::RequestSpans(const std::vector<Span>& spans)
{
    if (spans.empty())
        return;
    const int count = static_cast<int>(spans.size());
    int made = 0;
    for (const Span& span : spans)
        made += GetSeriesServices().RequestHistory(this, span.start, span.end);
    if (made < count) {
        Guard lock(m_lock);
        m_nOutstanding = std::max(0, m_nOutstanding - (count - made));
        m_bUnrequested = true;
    }
}

void CPriceSeries::CollectRunSpans(int first, int last, CTime now, std::vector<Span>& spans)
{
    int runs = 0, runLo = -1, runHi = -1;
    for (int r = last; r >= first; --r) {
        if (m_bars.IsValid(r))
            continue;
        if (r == last || m_bars.IsValid(r + 1)) {
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
        while (newest >= lo && m_bars.Start(newest) > now)
            --newest;
        if (newest < lo || m_bars.Start(lo).GetTime() == 0)
            continue;
        // The history cache asks for daily rows from the midnight of the span's first day.
        spans.push_back({CTimeToFeedTime(m_bars.Start(lo)), CTimeToFeedTime(m_bars.End(newest))});
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
            return m_nOutstanding != 0 || m_nSettling != 0 || m_toAskThrough != 0;
    }
    CSeriesQuote quote;
    return !GetSeriesServices().LookupQuote(m_symbol, quote) || quote.pending;
}

int CPriceSeries::GetDataResets() const
{
    Guard lock(m_lock);
    return m_nResets;
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
    Guard lock(m_lock);
    return GetValueLocked(index, field, value);
}

bool CPriceSeries::GetValueLocked(int index, int field, double& value)
{
    const int r = RecordOfIndex(index);
    if (!m_bLoaded || r < 0 || r >= m_bars.Size()) {
        value = 0.0;
        return false;
    }
    return ComputeValueLocked(r, field, value);
}

bool CPriceSeries::ReadValuesLocked(int first, int count, int field, double* values, BYTE* ok,
                                    const double** view)
{
    if (view)
        *view = values;
    if (count <= 0)
        return true;
    const int size = m_bars.Size();
    const int r0 = RecordOfIndex(first);
    // The indexes that fall on records: [k0, k1).
    const int k0 = m_bLoaded ? std::clamp(-r0, 0, count) : count;
    const int k1 = m_bLoaded ? std::clamp(size - r0, k0, count) : count;
    std::fill(ok, ok + k0, BYTE{0});
    std::fill(ok + k1, ok + count, BYTE{0});
    const bool whole = k0 == 0 && k1 == count;
    if (k0 == k1)
        return whole;
    const BYTE* valid = m_bars.ValidColumn() + r0;
    const double* column = nullptr;
    if (m_pStudyState) {
        if (field < 0 || field >= m_pStudyState->GetOutputCount()) {
            std::fill(ok + k0, ok + k1, BYTE{0});
            return false;
        }
        m_pStudyState->Refresh(r0 + k0, r0 + k1 - 1, field);
        column = m_pStudyState->Results(field) + r0;
    } else if (field >= 0 && field < 5) {
        column = m_bars.Column(field) + r0;
    } else if (field == 5 || field == 6) {
        for (int k = k0; k < k1; ++k)
            values[k] = m_bars.Field(r0 + k, field);
    } else {
        std::fill(ok + k0, ok + k1, BYTE{0});
        return false;
    }
    // The caller reads the values where they are when they all lie on records.
    const double* read = values;
    if (column && whole && view) {
        read = *view = column;
    } else if (column) {
        std::copy(column + k0, column + k1, values + k0);
    }
    // A value needs a valid record and, for a study, a finite one (kNoValue is NaN; invalid
    // records never hold a value). x - x is 0 exactly for the finite ones.
    bool all = true;
    if (m_pStudyState) {
        all = AllFinite(read + k0, k1 - k0);
        if (!all || !view || !whole)
            for (int k = k0; k < k1; ++k)
                ok[k] = read[k] - read[k] == 0.0;
    } else {
        all = std::memchr(valid + k0, 0, static_cast<size_t>(k1 - k0)) == nullptr;
        if (!all || !view || !whole)
            std::memcpy(ok + k0, valid + k0, static_cast<size_t>(k1 - k0));
    }
    return whole && all;
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
    if (record < 0 || record >= m_bars.Size()) {
        value = 0.0;
        return false;
    }
    return ComputeValueLocked(record, field, value);
}

bool CPriceSeries::ComputeValueLocked(int record, int field, double& value)
{
    if (m_bars.IsValid(record)) {
        if (!m_pStudyState) {
            if (field >= 0 && field <= 6) {
                value = m_bars.Field(record, field);
                return true;
            }
        } else if (m_pStudyState->Value(record, field, value)) {
            return true;
        }
    }
    value = 0.0;
    return false;
}

bool CPriceSeries::GetRecord(int index, CBarRecord& out) const
{
    Guard lock(m_lock);
    const int r = RecordOfIndex(index);
    if (r < 0 || r >= m_bars.Size())
        return false;
    out = m_bars.Get(r);
    return true;
}

bool CPriceSeries::SetRecord(int index, const CBarRecord& record)
{
    Guard lock(m_lock);
    const int r = RecordOfIndex(index);
    if (r < 0 || r >= m_bars.Size())
        return false;
    m_bars.Set(r, record);
    m_bEdited = true;
    RecordsChangedLocked(r);
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
    if (!m_bLoaded || r < 0 || r >= m_bars.Size() || !m_bars.IsValid(r))
        return false;
    const CBarRecord rec = m_bars.Get(r);
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
    if (m_bLoaded && !m_bars.Empty())
        return CTimeToFeedTime(m_bars.End(m_bars.Size() - 1));
    return CTimeToFeedTime(m_endTime);
}

CString CPriceSeries::GetSymbolTitle()
{
    CSeriesQuote quote;
    // No separator without a description to follow it.
    if (GetSeriesServices().LookupQuote(m_symbol, quote) && !quote.description.IsEmpty())
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
    if (m_pStudyState)
        m_pStudyState->SetEquity(records);
}

void CPriceSeries::InvalidateValues(int mode, int first, int last)
{
    Guard lock(m_lock);
    InvalidateLocked(mode, first, last);
}

void CPriceSeries::InvalidateLocked(int mode, int first, int last)
{
    if (m_pStudyState) {
        if (mode == 1)
            m_pStudyState->RecordsChanged(first);
        else
            m_pStudyState->Reset();
    }
    NotifyLocked(mode, first, last);
}

void CPriceSeries::RecordsChangedLocked(int first)
{
    if (m_pStudyState)
        m_pStudyState->RecordsChanged(first);
}

void CPriceSeries::NotifyLocked(int mode, int first, int last)
{
    const int count = m_bars.Size();
    if (count > m_nWanted) {
        first = std::max(0, first + m_nWanted - count);
        last = std::min(last + m_nWanted - count, m_nWanted - 1);
    }
    // A study's value at a record depends on the records before it: every row from the
    // first changed one on has changed.
    if (m_pStudyState && mode == 1)
        last = std::max(last, m_nWanted - 1);
    if (m_pListener)
        m_pListener->OnValuesChanged(this, mode, m_nEndOffset + first, m_nEndOffset + last);
}

// ---------------------------------------------------------------- bar times

int CPriceSeries::FindBarByTime(DWORD feedTime, int side)
{
    const CSessionRules* rules = Rules();
    Guard lock(m_lock);
    const CTime time = FeedTimeToRecordTime(feedTime);
    const int count = m_bars.Size();
    if (count > 0 && side == 0) {
        // A time that is a record's start is that record's bar: no period needed.
        const int64_t* starts = m_bars.StartColumn();
        const int64_t* at = std::lower_bound(starts, starts + count, time.GetTime());
        if (at != starts + count && *at == time.GetTime() && m_bars.Start(0) <= time &&
            time <= m_bars.End(count - 1))
            return static_cast<int>(at - starts) - (count - m_nEndOffset - m_nWanted);
    }
    auto period = CreateBarPeriod(time, m_interval, rules, m_bExtended, 1);
    if (!period || count == 0)
        return 0;
    int k = -1;
    if (m_bars.Start(0) <= time && time <= m_bars.End(count - 1)) {
        // Record times rise from the oldest record on: a binary search finds the record.
        const int64_t want = (side ? period->GetEnd() : period->GetStart()).GetTime();
        const int64_t* times = side ? m_bars.EndColumn() : m_bars.StartColumn();
        const int64_t* at = std::lower_bound(times, times + count, want);
        if (at != times + count && *at == want) {
            k = static_cast<int>(at - times);
        } else {
            // Between bars (outside a session): the newest record that starts before it, or
            // on the end side the one after it.
            const int64_t* starts = m_bars.StartColumn();
            k = std::max(0, static_cast<int>(std::upper_bound(starts, starts + count, time.GetTime()) - starts) - 1);
            if (side && time > m_bars.End(k) && k + 1 < count)
                ++k;
        }
    } else {
        const bool later = time > m_bars.End(count - 1);
        auto walk = CreateBarPeriod(later ? m_bars.Start(count - 1) : m_bars.Start(0), m_interval, rules, m_bExtended, 1);
        k = later ? count - 1 : 0;
        if (walk)
            k += later ? walk->StepForwardTo(time, kMaxRecords) : -walk->StepBackTo(time, kMaxRecords);
        // A time between bars: the bar before it on the start side, the bar after it on the end side.
        if (walk && later && !side && walk->GetStart() > time)
            --k;
        else if (walk && !later && side && walk->GetEnd() < time)
            ++k;
    }
    return k - (count - m_nEndOffset - m_nWanted);
}

bool CPriceSeries::GetBarTime(int index, int side, DWORD& feedTime)
{
    const CSessionRules* rules = Rules();
    Guard lock(m_lock);
    const int count = m_bars.Size();
    const int r = RecordOfIndex(index);
    if (m_bLoaded && r >= 0 && r < count) {
        feedTime = CTimeToFeedTime(side ? m_bars.End(r) : m_bars.Start(r));
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
        period = CreateBarPeriod(m_bars.Start(0), m_interval, rules, m_bExtended, 1);
        steps = -r;
        forward = false;
    } else {
        period = CreateBarPeriod(m_bars.Start(count - 1), m_interval, rules, m_bExtended, 1);
        steps = r - count + 1;
    }
    if (!period)
        return false;
    const int most = std::min(steps, static_cast<int>(kMaxRecords));
    if (forward)
        period->StepForwardBy(most);
    else
        period->StepBackBy(most);
    feedTime = CTimeToFeedTime(side ? period->GetEnd() : period->GetStart());
    return true;
}

void CPriceSeries::AddEmptyBars(int n, int /*side*/)
{
    const CSessionRules* rules = Rules();
    Guard lock(m_lock);
    if (AddEmptyBarsLocked(rules, n) > 0)
        m_bUnrequested = true;
}

int CPriceSeries::ExtendBars(int n, int /*side*/)
{
    const CSessionRules* rules = Rules();
    int first = 0, added = 0;
    bool newer = false;
    {
        Guard lock(m_lock);
        added = AddEmptyBarsLocked(rules, n);
        first = n < 0 ? 0 : m_bars.Size() - added;
        newer = n > 0 && m_bHistorical;
        // Newer records of a fixed history are asked for as they begin, from the oldest of
        // them not asked for yet.
        if (newer && added > 0 && !m_unaskedStart)
            m_unaskedStart = m_bars.Start(first).GetTime();
        ++m_nSettling; // until the added bars are asked for
    }
    const SettlingScope settling(*this);
    if (newer)
        RequestNewerRecords();
    else if (added > 0)
        RequestRange(first, first + added - 1);
    return added;
}

int CPriceSeries::PrependBars(int n)
{
    const CSessionRules* rules = Rules();
    int added = 0;
    {
        Guard lock(m_lock);
        added = AddEmptyBarsLocked(rules, -std::abs(n));
        if (added > 0 && !m_toAskThrough)
            m_toAskThrough = m_bars.Start(added - 1).GetTime();
    }
    // What the cache holds shows at once; only the rest waits to be asked for.
    if (added > 0)
        GetSeriesServices().FillSeries(this, 0, added - 1);
    return added;
}

bool CPriceSeries::RecordsStartingIn(int64_t from, int64_t to, int& first, int& last) const
{
    const int64_t* starts = m_bars.StartColumn();
    const int size = m_bars.Size();
    first = static_cast<int>(std::lower_bound(starts, starts + size, from) - starts);
    last = static_cast<int>(std::upper_bound(starts, starts + size, to) - starts) - 1;
    return first <= last;
}

void CPriceSeries::AskRecords(int first, int last)
{
    const CTime now = GetSeriesServices().GetExchangeTime();
    std::vector<Span> spans;
    {
        Guard lock(m_lock);
        if (!m_toAskThrough && m_passedOver.empty())
            return;
        std::vector<std::pair<int64_t, int64_t>> unasked = std::move(m_passedOver);
        m_passedOver.clear();
        if (m_toAskThrough && !m_bars.Empty())
            unasked.emplace_back(m_bars.Start(0).GetTime(), m_toAskThrough);
        m_toAskThrough = 0;
        const int size = m_bars.Size();
        const int shownFirst = std::clamp(RecordOfIndex(first), 0, std::max(size - 1, 0));
        const int shownLast = std::clamp(RecordOfIndex(last), 0, std::max(size - 1, 0));
        const CTime begun = std::max(now, m_now);
        for (const auto& [from, to] : unasked) {
            int lo = 0, hi = -1;
            if (!RecordsStartingIn(from, to, lo, hi))
                continue; // gone meanwhile
            const int askLo = std::max(lo, shownFirst), askHi = std::min(hi, shownLast);
            if (askLo > askHi || size == 0) {
                m_passedOver.emplace_back(m_bars.Start(lo).GetTime(), m_bars.Start(hi).GetTime());
                continue;
            }
            CollectRunSpans(askLo, askHi, begun, spans);
            if (lo < askLo)
                m_passedOver.emplace_back(m_bars.Start(lo).GetTime(), m_bars.Start(askLo - 1).GetTime());
            if (askHi < hi)
                m_passedOver.emplace_back(m_bars.Start(askHi + 1).GetTime(), m_bars.Start(hi).GetTime());
        }
        m_nOutstanding += static_cast<int>(spans.size());
    }
    RequestSpans(spans);
}

void CPriceSeries::RequestNewerRecords(CTime seen)
{
    ISeriesServices& services = GetSeriesServices();
    int first = -1, last = -1;
    {
        Guard lock(m_lock);
        if (m_unaskedStart) {
            first = m_bars.RecordStartingAt(m_unaskedStart);
            last = m_bars.Size() - 1;
        }
    }
    if (first < 0)
        return;
    // Records the cache holds need no request: it fills them first (outside the lock, as
    // the broker's stores are never entered under it).
    services.FillSeries(this, first, last);
    const CTime now = services.GetExchangeTime();
    std::vector<Span> spans;
    {
        // One reading: the records not asked for, those of them that have begun, and the
        // oldest of them that has not, which the next request starts from.
        Guard lock(m_lock);
        first = m_unaskedStart ? m_bars.RecordStartingAt(m_unaskedStart) : -1;
        if (first < 0)
            return;
        last = m_bars.Size() - 1;
        const CTime begun = std::max({now, m_now, seen});
        CollectRunSpans(first, last, begun, spans);
        m_nOutstanding += static_cast<int>(spans.size());
        m_unaskedStart = 0;
        for (int r = first; r <= last; ++r)
            if (m_bars.Start(r) > begun) {
                m_unaskedStart = m_bars.Start(r).GetTime();
                break;
            }
    }
    RequestSpans(spans);
}

int CPriceSeries::AddEmptyBarsLocked(const CSessionRules* rules, int n)
{
    if (!m_bLoaded || m_bars.Empty() || n == 0)
        return 0;
    const int count = std::min(std::abs(n), kMaxRecords - m_bars.Size());
    if (count <= 0)
        return 0;
    const bool front = n < 0;
    auto period = CreateBarPeriod(front ? m_bars.Start(0) : m_bars.Start(m_bars.Size() - 1), m_interval, rules,
                                  m_bExtended, 1);
    if (front) {
        m_bars.InsertFront(count);
        m_nFrontCount += count;
        if (m_pStudyState)
            m_pStudyState->FrontInserted(count);
        if (m_bKeeping)
            m_nKept += count;
    } else {
        m_bars.InsertBack(count);
        if (!m_bWindow)
            m_nEndOffset += count;
    }
    // Records the owner scrolled in stay as the others do.
    if (m_bKeeping)
        m_nKeptNewer += count;
    const int first = front ? 0 : m_bars.Size() - count;
    for (int i = 0; i < count; ++i) {
        const int r = front ? first + count - 1 - i : first + i;
        if (!period || !(front ? period->StepBack() : period->StepForward()))
            break;
        m_bars.SetTimes(r, period->GetStart(), period->GetEnd());
    }
    return count;
}

// ---------------------------------------------------------------- history

void CPriceSeries::OnIntradayHistory(const std::vector<CHistoryRow>& rows, std::optional<uint64_t> asOf)
{
    {
        Guard lock(m_lock);
        if (!m_bLoaded)
            return;
        ApplyIntradayRows(rows, 0, GetRecordCount() - 1, true, asOf);
        ++m_nSettling;
    }
    FinishBackfill();
}

void CPriceSeries::OnHistoryFailed(DWORD startFeedTime, DWORD endFeedTime)
{
    Guard lock(m_lock);
    m_failedHistory.push_back({startFeedTime, endFeedTime});
}

void CPriceSeries::OnCachedIntradayFill(const std::vector<CHistoryRow>& rows, int first, int last,
                                        const CHistoryCoverage* complete)
{
    Guard lock(m_lock);
    if (!m_bLoaded)
        return;
    ApplyIntradayRows(rows, first, last, false, std::nullopt, complete);
}

void CPriceSeries::TakeTrade(int record, double price, double size)
{
    if (!m_bars.IsValid(record)) {
        for (int f = kBarOpen; f <= kBarClose; ++f)
            m_bars.SetField(record, f, price);
        m_bars.SetField(record, kBarVolume, size);
        m_bars.SetValid(record, true);
    } else {
        m_bars.SetField(record, kBarClose, price);
        m_bars.SetField(record, kBarHigh, std::max(m_bars.Field(record, kBarHigh), price));
        m_bars.SetField(record, kBarLow, std::min(m_bars.Field(record, kBarLow), price));
        m_bars.SetField(record, kBarVolume, m_bars.Field(record, kBarVolume) + size);
    }
}

void CPriceSeries::ApplyIntradayRows(const std::vector<CHistoryRow>& rows, int first, int last, bool answer,
                                     std::optional<uint64_t> asOf, const CHistoryCoverage* complete)
{
    first = std::max(first, 0);
    last = std::min(last, m_bars.Size() - 1);
    const CCoveredRecords covered(complete);
    int changedLo = -1, changedHi = -1;
    // The columns written first: a store sharing its columns copies them then.
    double* open = m_bars.MutableColumn(kBarOpen);
    double* high = m_bars.MutableColumn(kBarHigh);
    double* low = m_bars.MutableColumn(kBarLow);
    double* close = m_bars.MutableColumn(kBarClose);
    double* volume = m_bars.MutableColumn(kBarVolume);
    const int64_t* starts = m_bars.StartColumn();
    const int64_t* ends = m_bars.EndColumn();
    const bool ticks = IsTickSeries();
    CNaiveTimeCache times;
    int r = first;
    for (size_t k = 0; k < rows.size() && r <= last; ++k) {
        const CHistoryRow& row = rows[k];
        const int64_t start = times.Of(FeedTimeToNaiveSeconds(row.feedTime)).GetTime();
        // On to the first record that ends after the row starts: a few steps, else a search
        // (the first row, or rows after a gap).
        for (int step = 0; r <= last && ends[r] <= start; ++r)
            if (++step == 8) {
                r = static_cast<int>(std::upper_bound(ends + r, ends + last + 1, start) - ends);
                break;
            }
        if (r > last)
            break;
        // A row belongs to the record it starts in: one that started before (a minute row
        // beside the two-second slots of ticks) fills nothing.
        if (start < starts[r] || m_bars.IsValid(r) || !covered.Holds(CTime(starts[r]), CTime(ends[r])))
            continue;
        if (ticks) {
            // A tick slot holds a trade: the row's price and size (a slot taking several
            // rows ends at the last price with their sizes added), never bar fields in the
            // places of the kind and indicator.
            const double before = m_bars.Field(r, kTickPrice) == 0 ? 0 : m_bars.Field(r, kTickSize);
            m_bars.SetField(r, kTickBASCodes, 0);
            m_bars.SetField(r, kTickIndicator, 0);
            m_bars.SetField(r, kTickSeconds, 0);
            m_bars.SetField(r, kTickPrice, row.close);
            m_bars.SetField(r, kTickSize, before + row.volume);
        } else if (close[r] == 0) {
            open[r] = row.open;
            high[r] = row.high;
            low[r] = row.low;
            close[r] = row.close;
            volume[r] = row.volume;
        } else {
            close[r] = row.close;
            high[r] = std::max(high[r], row.high);
            low[r] = std::min(low[r], row.low);
            volume[r] += row.volume;
        }
        NoteFilledLocked(r, answer, asOf);
        if (changedLo < 0)
            changedLo = r;
        changedHi = r;
    }
    // The records the rows filled become valid (a row's close of 0 leaves its record empty).
    if (changedLo >= 0)
        m_bars.ValidateFilled(changedLo, changedHi);
    if (answer)
        m_backfill.Answered(asOf.has_value());
    if (answer && m_nOutstanding > 0)
        --m_nOutstanding;
    if (changedLo >= 0)
        InvalidateLocked(1, changedLo, changedHi);
}

void CPriceSeries::NoteFilledLocked(int record, bool answer, std::optional<uint64_t> asOf)
{
    // Only the newest bars matter: live trades land there.
    if (answer && asOf && record >= GetRecordCount() - static_cast<int>(CBackfillGate::kMarkedBars))
        m_backfill.Filled(m_bars.Start(record), *asOf);
}

CPriceSeries::SettlingScope::~SettlingScope()
{
    Guard lock(m_series.m_lock);
    --m_series.m_nSettling;
}

void CPriceSeries::FinishBackfill()
{
    const SettlingScope settling(*this);
    ApplyKeptOrRestore();
}

void CPriceSeries::ApplyKeptOrRestore()
{
    bool restore = false;
    {
        Guard lock(m_lock);
        if (m_nOutstanding != 0)
            return;
        restore = m_backfill.TakeDeferredRestore();
    }
    if (restore)
        OnStreamRestored();
    std::vector<CBackfillGate::Trade> kept;
    {
        Guard lock(m_lock);
        if (m_nOutstanding != 0)
            return; // asked anew: the trades wait for that answer
        kept = m_backfill.TakeKept();
    }
    const CTime clock = GetSeriesServices().GetExchangeTime();
    for (const CBackfillGate::Trade& trade : kept)
        UpdateBar(trade, clock);
}

int CPriceSeries::CompareRecordPeriod(int record, CTime time) const
{
    const CTime start = m_bars.Start(record);
    if (m_interval == "D")
        return periods::CompareDay(start, time);
    if (m_interval == "W")
        return periods::CompareWeek(start, time);
    if (m_interval == "M")
        return periods::CompareMonth(start, time);
    // Quarters and years: by the record's calendar bounds.
    if (time < start)
        return 1;
    return time >= m_bars.End(record) ? -1 : 0;
}

void CPriceSeries::OnDailyHistory(const std::vector<CHistoryRow>& rows, std::optional<uint64_t> asOf)
{
    CSeriesQuote quote;
    const bool hasQuote = GetSeriesServices().LookupQuote(m_symbol, quote) && !quote.pending;
    {
        Guard lock(m_lock);
        if (!m_bLoaded)
            return;
        ApplyDailyRows(rows, 0, GetRecordCount() - 1, true, asOf);
        if (!rows.empty()) {
            const CTime newest = FeedTimeToRecordTime(rows.back().feedTime);
            if (newest > m_newestHistory)
                m_newestHistory = newest;
        }
        // Today's bar with the rows, so no reader finds the answer in without it.
        if (hasQuote)
            CurrentDayFillLocked(quote);
        ++m_nSettling;
    }
    FinishBackfill();
}

void CPriceSeries::OnCachedDailyFill(const std::vector<CHistoryRow>& rows, int first, int last,
                                     const CHistoryCoverage* complete)
{
    Guard lock(m_lock);
    if (!m_bLoaded)
        return;
    ApplyDailyRows(rows, first, last, false, std::nullopt, complete);
}

void CPriceSeries::ApplyDailyRows(const std::vector<CHistoryRow>& rows, int first, int last, bool answer,
                                  std::optional<uint64_t> asOf, const CHistoryCoverage* complete)
{
    first = std::max(first, 0);
    last = std::min(last, m_bars.Size() - 1);
    const CCoveredRecords covered(complete);
    int changedLo = -1, changedHi = -1;
    int r = first;
    // Every daily row of a week, month, quarter or year goes into its record: the first
    // one fills the empty record and the later ones widen it.
    int filling = -1;
    for (const CHistoryRow& row : rows) {
        const CTime time = FeedTimeToRecordTime(row.feedTime);
        while (r <= last && CompareRecordPeriod(r, time) < 0)
            ++r;
        if (r > last)
            break;
        if (CompareRecordPeriod(r, time) > 0)
            continue;
        if (!m_bars.IsValid(r) && covered.Holds(m_bars.Start(r), m_bars.End(r))) {
            m_bars.SetField(r, kBarOpen, row.open);
            m_bars.SetField(r, kBarHigh, row.high);
            m_bars.SetField(r, kBarLow, row.low);
            m_bars.SetField(r, kBarClose, row.close);
            m_bars.SetField(r, kBarVolume, row.volume);
            m_bars.SetValid(r, true);
            filling = r;
        } else if (filling == r) {
            m_bars.SetField(r, kBarClose, row.close);
            m_bars.SetField(r, kBarHigh, std::max(m_bars.Field(r, kBarHigh), row.high));
            m_bars.SetField(r, kBarLow, std::min(m_bars.Field(r, kBarLow), row.low));
            m_bars.SetField(r, kBarVolume, m_bars.Field(r, kBarVolume) + row.volume);
        } else {
            continue;
        }
        NoteFilledLocked(r, answer, asOf);
        if (changedLo < 0)
            changedLo = r;
        changedHi = r;
    }
    if (answer)
        m_backfill.Answered(asOf.has_value());
    if (answer && m_nOutstanding > 0)
        --m_nOutstanding;
    if (changedLo >= 0)
        InvalidateLocked(1, changedLo, changedHi);
}

void CPriceSeries::CurrentDayFill()
{
    {
        Guard lock(m_lock);
        if (!m_bLoaded || !m_bCurrentDayBar || m_bAwaitQuote || m_nOutstanding != 0 || m_bars.Empty())
            return;
    }
    CSeriesQuote quote;
    if (!GetSeriesServices().LookupQuote(m_symbol, quote) || quote.pending)
        return;
    Guard lock(m_lock);
    CurrentDayFillLocked(quote);
}

void CPriceSeries::CurrentDayFillLocked(const CSeriesQuote& quote)
{
    if (!m_bLoaded || !m_bCurrentDayBar || m_bAwaitQuote || m_nOutstanding != 0 || m_bars.Empty())
        return;
    m_bCurrentDayBar = 0;
    if (quote.last == 0 || quote.open == 0 || quote.high == 0 || quote.low == 0)
        return;
    const int last = m_bars.Size() - 1;
    if (!m_bars.IsValid(last)) {
        // The quote is today's: a newest bar of an earlier period keeps its gap.
        if (CompareRecordPeriod(last, m_now) != 0)
            return;
        m_bars.SetField(last, kBarOpen, quote.open);
        m_bars.SetField(last, kBarHigh, quote.high);
        m_bars.SetField(last, kBarLow, quote.low);
        m_bars.SetField(last, kBarClose, quote.last);
        m_bars.SetField(last, kBarVolume, static_cast<double>(quote.volume));
        m_bars.SetValid(last, true);
        RecordsChangedLocked(last);
        NotifyLocked(0, 0, last);
        return;
    }
    const CTime tradeDate = quote.tradeFeedTime ? FeedTimeToRecordTime(quote.tradeFeedTime) : m_now;
    if (CompareRecordPeriod(last, tradeDate) == 0) {
        m_bars.SetField(last, kBarClose, quote.last);
        m_bars.SetField(last, kBarHigh, std::max(m_bars.Field(last, kBarHigh), quote.high));
        m_bars.SetField(last, kBarLow, std::min(m_bars.Field(last, kBarLow), quote.low));
        m_bars.SetField(last, kBarVolume, m_bars.Field(last, kBarVolume) + static_cast<double>(quote.volume));
        InvalidateLocked(1, last, last);
    }
}

void CPriceSeries::OnExchangeCheck()
{
    bool fresh = false, pending = false;
    {
        Guard lock(m_lock);
        // The first notification after an outage: the quote holds the day anew.
        fresh = m_bAwaitQuote != 0;
        m_bAwaitQuote = 0;
        pending = m_bPending != 0;
    }
    if (!pending) {
        if (fresh)
            CurrentDayFill();
        return;
    }
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
                LayOutLocked(rules, m_bars.Size());
            if (m_pStudyState)
                m_pStudyState->Reset();
            ++m_nSettling; // until the empty bars are asked for
        }
        const SettlingScope settling(*this);
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
    const CTime clock = GetSeriesServices().GetExchangeTime();
    if (!IsTradeOfToday(time, clock))
        return;
    bool historical = false, begun = false;
    {
        Guard lock(m_lock);
        historical = m_bHistorical != 0;
        // Feed times count 2-second units: compare at that granularity.
        if (!historical && feedTime < CTimeToFeedTime(m_now))
            return;
        // A fixed history takes no trade, but a trade shows that the records added after
        // its newest that start by its time have begun.
        begun = historical && m_unaskedStart && time.GetTime() >= m_unaskedStart;
    }
    if (historical) {
        if (begun)
            RequestNewerRecords(time);
        return;
    }
    if (IsTickSeries()) {
        AppendTicks(*trade, time);
        return;
    }
    double size = trade->m_size * 100.0;
    for (int more : trade->m_moreSizes)
        size += more * 100.0;
    UpdateBar({time, trade->m_price, size, trade->m_sequence}, clock);
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
        if (!m_bLoaded || m_bHistorical || m_bars.Empty())
            return;
        if (m_nOutstanding != 0) {
            // The answers on their way may have been made before this outage.
            m_backfill.DeferRestore();
            return;
        }
        const int count = m_bars.Size();
        // None outstanding, so the answers came: with no bar holding data, a trade made during
        // the outage may be the symbol's first and every bar is asked for.
        const int newest = m_bars.LastValid();
        // The bars the outage spanned, up to the one holding now.
        int rolled = 0;
        bool laidOut = false;
        if (now >= m_bars.End(count - 1))
            rolled = RollForwardLocked(now, now, rules, laidOut);
        // The newest bar with data may lack trades of the outage: it and every later bar are
        // asked for anew, past the history cache, which may hold them as they were.
        const int first = laidOut || newest < 0 ? 0 : std::max(newest - rolled, 0);
        for (int r = first; r < count; ++r)
            m_bars.ClearValues(r);
        ++m_nResets;
        if (IsDailyOrLongerInterval(m_interval)) {
            // Today's part of the newest bar is the quote's, as the stream brings it anew.
            m_bCurrentDayBar = 1;
            m_bAwaitQuote = 1;
        }
        RecordsChangedLocked(first);
        NotifyLocked(0, 0, count - 1);
        m_backfill.ForgetFrom(m_bars.Start(first));
        // A server clock a little ahead may have filled a bar this clock has not reached yet.
        CollectRunSpans(first, count - 1, std::max({now, m_now, m_bars.Start(first)}), spans);
        m_nOutstanding += static_cast<int>(spans.size());
    }
    RequestSpans(spans);
}

int CPriceSeries::RollForwardLocked(CTime time, CTime clock, const CSessionRules* rules, bool& laidOut)
{
    laidOut = false;
    const int count = m_bars.Size();
    // The bars from the newest record up to the one holding the time.
    std::vector<std::pair<CTime, CTime>> ahead;
    int steps = 0;
    auto period = CreateBarPeriod(m_bars.Start(count - 1), m_interval, rules, m_bExtended, 1);
    while (period && steps < kMaxRecords && period->StepForward() && period->GetStart() <= time) {
        ++steps;
        if (steps <= count)
            ahead.emplace_back(period->GetStart(), period->GetEnd());
        if (period->GetEnd() > time)
            break;
    }
    if (steps > count) {
        // Rolling forward cannot cover the gap: the series is laid out afresh at the time,
        // as a new series would be.
        m_endTime = time;
        m_now = CTime(clock.GetTime() - m_timeOffsetSeconds);
        LayOutLocked(rules, count);
        laidOut = true;
    } else if (!ahead.empty()) {
        const int k = static_cast<int>(ahead.size());
        PopFrontLocked(k);
        m_bars.InsertBack(k);
        for (int i = 0; i < k; ++i)
            m_bars.SetTimes(count - k + i, ahead[static_cast<size_t>(i)].first, ahead[static_cast<size_t>(i)].second);
        m_nLiveAppends += k;
    }
    if (!m_bWindow)
        m_nEndOffset += steps;
    return steps;
}

void CPriceSeries::UpdateBar(const CBackfillGate::Trade& trade, CTime clock)
{
    const CSessionRules* rules = Rules();
    const CTime time = trade.time;
    int requestFirst = 0, requestLast = -1;
    {
        Guard lock(m_lock);
        if (!m_bLoaded || m_bHistorical || m_bCurrentDayBar || m_bars.Empty())
            return;
        if (m_nOutstanding != 0) {
            // The trade waits for the history on its way, which may hold it.
            m_backfill.Keep(trade);
            return;
        }
        const double size = trade.size;
        const int count = m_bars.Size();
        int rolled = 0;
        bool laidOut = false;
        // A trade past the newest bar rolls the bars forward to it (or, after a gap longer
        // than the series, lays it out afresh, all of it requested again).
        if (time >= m_bars.End(count - 1))
            rolled = RollForwardLocked(time, clock, rules, laidOut);
        int r = count - 1;
        while (r >= 0 && !(m_bars.Start(r) <= time && time < m_bars.End(r)))
            --r;
        if (r >= 0 && m_backfill.Holds(m_bars.Start(r), trade.sequence))
            r = -1; // the bar's history rows hold it already
        if (m_bCurrentDayBar)
            r = -1; // laid out afresh: the quote holds the trade for today's bar
        if (r >= 0) {
            TakeTrade(r, trade.price, size);
            RecordsChangedLocked(r);
        }
        if (rolled)
            NotifyLocked(0, 0, count - 1);
        else if (r >= 0)
            NotifyLocked(1, r, r);
        if (laidOut) {
            requestFirst = 0;
            requestLast = count - 1;
        } else if (rolled > 1) {
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
    if (!m_bLoaded || m_bars.Empty())
        return;
    std::vector<int> sizes{trade.m_size};
    sizes.insert(sizes.end(), trade.m_moreSizes.begin(), trade.m_moreSizes.end());
    int appended = 0;
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
        // The oldest tick goes, the new one comes last: the count stays (it grows while
        // records are kept).
        if (!m_bKeeping || m_bars.Size() >= kMaxRecords)
            PopFrontLocked(1);
        m_bars.InsertBack(1);
        const int r = m_bars.Size() - 1;
        m_bars.SetTimes(r, time, time);
        m_bars.SetField(r, kTickBASCodes, 0);
        m_bars.SetField(r, kTickIndicator, 0);
        m_bars.SetField(r, kTickPrice, price);
        m_bars.SetField(r, kTickSize, size);
        m_bars.SetField(r, kTickFlags, flags);
        m_bars.SetExchange(r, trade.m_exchange);
        m_bars.SetValid(r, true);
        ++appended;
    }
    if (appended) {
        m_nLiveAppends += appended;
        if (m_pStudyState)
            m_pStudyState->RecordsChanged(m_bars.Size() - appended);
        DropUnkeptLocked();
        NotifyLocked(0, 0, m_bars.Size() - 1);
    }
}

void CPriceSeries::PopFrontLocked(int k)
{
    k = std::clamp(k, 0, m_bars.Size());
    m_bars.PopFront(k);
    if (m_pStudyState)
        m_pStudyState->FrontRemoved(k);
    m_nKept = std::max(0, m_nKept - k);
}

void CPriceSeries::KeepThrough(int index)
{
    Guard lock(m_lock);
    if (m_bars.Empty())
        return;
    const int through = std::clamp(RecordOfIndex(index), 0, m_bars.Size() - 1);
    if (!m_bKeeping) {
        m_bKeeping = true;
        m_nKept = 0;
        m_nKeptNewer = m_bars.Size();
    }
    m_nKept = std::max(m_nKept, through + 1);
}

void CPriceSeries::StopKeeping()
{
    Guard lock(m_lock);
    if (!m_bKeeping)
        return;
    m_bKeeping = false;
    // The trades that came in meanwhile take the places of the oldest records, as they would
    // have had none been kept.
    const int surplus = m_bars.Size() - m_nKeptNewer;
    m_nKept = m_nKeptNewer = 0;
    if (surplus <= 0)
        return;
    PopFrontLocked(surplus);
    NotifyLocked(0, 0, m_bars.Size() - 1);
}

void CPriceSeries::DropUnkeptLocked()
{
    if (!m_bKeeping)
        return;
    const int newer = m_bars.Size() - m_nKept;
    const int keep = std::max(m_nKeptNewer, 1);
    if (newer <= 2 * keep)
        return;
    // The oldest of the newer ones go: the kept records stay where they are, and as many
    // newer ones as a series that kept none would hold.
    const int drop = newer - keep;
    m_bars.Erase(m_nKept, drop);
    if (m_pStudyState)
        m_pStudyState->Reset();
    m_nLiveAppends -= drop;
}
