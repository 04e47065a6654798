#include "backtest/BackTestContext.h"

#include "analytics/formula/CFormula.h"
#include "analytics/formula/CFormulaInputShare.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesListener.h"
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/CStudySource.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesFactory.h"
#include "analytics/series/SeriesKey.h"
#include "analytics/series/SeriesTime.h"
#include "backtest/CStrategySetup.h"
#include "broker/core/FeedTime.h"
#include "common/services/CAppSettings.h"
#include "platform/core/CThread.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <map>
#include <set>
#include <thread>
#include <vector>

namespace {

// Formula bars evaluated in one pass.
constexpr int kEvaluateBlock = 16384;
// Test bars read in one pass.
constexpr int kReadBlock = 4096;
// Re-checks of formulas still waiting for their inputs (their series' answers wake no
// one): the loading of a backtest's history is counted in tens of milliseconds.
constexpr int kDataPollMs = 5;
// Records of history laid out ahead of the first test bar: room for the warm-up of the usual
// studies (a 200-bar average, a 14-bar RSI's 112).
constexpr int kStudyMargin = 256;

struct SeriesCloser {
    void operator()(CPriceSeries* series) const { ReleasePriceSeries(series); }
};
using SeriesPtr = std::unique_ptr<CPriceSeries, SeriesCloser>;

// Wakes the worker when a formula's inputs are resolved; kept by the formula, which may
// be freed after the run.
class CFormulaWake : public CSeriesListener {
public:
    explicit CFormulaWake(std::function<void()> wake) : m_wake(std::move(wake)) {}
    void OnValuesChanged(CPriceSeries*, int, int, int) override { m_wake(); }
    void OnDataStateChanged(CPriceSeries*) override { m_wake(); }

private:
    const std::function<void()> m_wake;
};

// Wakes the worker when its test series hears of data.
class CWakeListener : public CSeriesListener {
public:
    explicit CWakeListener(BackTestContext& context) : m_context(context) {}
    void OnValuesChanged(CPriceSeries*, int, int, int) override { m_context.Wake(); }
    void OnDataStateChanged(CPriceSeries*) override { m_context.Wake(); }

private:
    BackTestContext& m_context;
};

bool IsTestableInterval(const CString& interval)
{
    return interval == "D" || interval == "W" || interval == "M" || std::atoi(interval) != 0;
}

// Bars of the series from the first that starts at or after `start` to the last that
// starts at or before `end`: a time outside a session would otherwise take in the bar
// before it (start) or after it (end).
int BarCount(CPriceSeries& series, DWORD start, DWORD end)
{
    int first = series.FindBarByTime(start, 1);
    int last = series.FindBarByTime(end, 0);
    DWORD t = 0;
    if (series.GetBarTime(first, 0, t) && t < start)
        ++first;
    if (series.GetBarTime(last, 0, t) && t > end)
        --last;
    return last - first + 1;
}

// Values of a formula over its bars, evaluated a block at a time; Reset drops them (the
// exit formula's trade inputs changed). A block after a reset starts small and grows,
// since a position may close within a few bars.
class CFormulaValues {
public:
    CFormulaValues(CFormula& formula, int barCount, int firstBlock)
        : m_formula(formula), m_nBarCount(barCount), m_nFirstBlock(firstBlock), m_nBlock(firstBlock)
    {
    }
    void Reset()
    {
        m_nCount = 0;
        m_nBlock = m_nFirstBlock;
    }
    // intraBarStart: the start of the intra-bar the formula bar is read as of (0: whole
    // bars); every input is read as it stood then, whatever its symbol's sessions.
    bool Get(int bar, DWORD intraBarStart, double& value)
    {
        if (intraBarStart != 0)
            return m_formula.EvaluateAsOf(&value, bar, intraBarStart);
        if ((bar < m_nFirst || bar >= m_nFirst + m_nCount) && !Fill(bar))
            return false;
        const size_t k = static_cast<size_t>(bar - m_nFirst);
        value = m_values[k];
        return m_valid[k] != 0;
    }
    // Whole bars: the first of [from, to) whose value is there and not 0, else `to`.
    int NextTrue(int from, int to)
    {
        for (int bar = from; bar < to;) {
            if ((bar < m_nFirst || bar >= m_nFirst + m_nCount) && !Fill(bar))
                return to;
            const int end = std::min(to, m_nFirst + m_nCount);
            for (; bar < end; ++bar) {
                const size_t k = static_cast<size_t>(bar - m_nFirst);
                if (m_valid[k] && m_values[k] != 0)
                    return bar;
            }
        }
        return to;
    }

private:
    // Evaluates the block that starts at `bar`; false when it holds no bar.
    bool Fill(int bar)
    {
        m_nFirst = bar;
        m_nCount = std::max(0, std::min(m_nBlock, m_nBarCount - bar));
        m_values.resize(static_cast<size_t>(m_nCount));
        m_valid.resize(static_cast<size_t>(m_nCount));
        if (m_nCount <= 0)
            return false;
        m_formula.EvaluateRange(bar, m_nCount, -1, m_values.data(), m_valid.data());
        m_nBlock = std::min(m_nBlock * 4, kEvaluateBlock);
        return true;
    }

    CFormula& m_formula;
    const int m_nBarCount;
    const int m_nFirstBlock;
    int m_nBlock;
    int m_nFirst = 0;
    int m_nCount = 0;
    std::vector<double> m_values;
    std::vector<BYTE> m_valid;
};

// Feed times of record times. The zone's offset is looked up once per UTC day through
// the C library's local time, and used for the whole day when it is the same at both
// ends of it; other days go through CTimeToFeedTime.
class CFeedTimes {
public:
    CFeedTimes() { tzset(); }  // the zone as of now, like the series' own conversions
    DWORD Of(int64_t seconds)
    {
        const int64_t day = seconds >= 0 ? seconds / kDay : -((-seconds + kDay - 1) / kDay);
        if (day != m_day) {
            m_day = day;
            m_offset = Offset(day * kDay);
            m_uniform = Offset(day * kDay + kDay - 1) == m_offset;
        }
        return m_uniform ? NaiveSecondsToFeedTime(seconds + m_offset) : CTimeToFeedTime(CTime(seconds));
    }

private:
    static constexpr int64_t kDay = 86400;
    static long Offset(int64_t seconds)
    {
        const time_t t = static_cast<time_t>(seconds);
        struct tm parts {};
        localtime_r(&t, &parts);
        return parts.tm_gmtoff;
    }
    int64_t m_day = std::numeric_limits<int64_t>::min();
    long m_offset = 0;
    bool m_uniform = false;
};

// A block of the bars of a test series, read in one pass: the four prices (Open only
// when asked for) and the start times.
class CBarBlock {
public:
    CBarBlock(CPriceSeries& series, bool readOpen) : m_series(series), m_bReadOpen(readOpen)
    {
        const size_t n = static_cast<size_t>(kReadBlock);
        for (int f = 0; f < 4; ++f) {
            m_values[f].resize(n);
            m_has[f].resize(n);
        }
        m_start.resize(n);
        m_hasStart.resize(n);
    }
    // Bars first .. first + count - 1, count at most kReadBlock.
    void Read(int first, int count)
    {
        m_first = first;
        m_count = count;
        CSeriesReadLock pass(m_series);
        for (int f = 0; f < 4; ++f)
            if (f != kBarOpen || m_bReadOpen)
                pass.ReadValues(first, count, f, m_values[f].data(), m_has[f].data());
        pass.ReadStartTimes(first, count, m_start.data(), m_hasStart.data());
    }
    int First() const { return m_first; }
    int Count() const { return m_count; }
    // Bar b of the block.
    bool Field(int field, int b, double& value) const
    {
        if (field < 0 || field >= 4)
            return false;
        const size_t k = static_cast<size_t>(b - m_first);
        value = m_values[field][k];
        return m_has[field][k] != 0;
    }
    // Widens the high and low (first bars reaching them) by bars [from, to) of the block:
    // the range's extremes first, four lanes at a time, then the first bar holding each.
    void Widen(int from, int to, double& high, int& highBar, double& low, int& lowBar) const
    {
        const double* H = m_values[kBarHigh].data() - m_first;
        const double* L = m_values[kBarLow].data() - m_first;
        const BYTE* hasH = m_has[kBarHigh].data() - m_first;
        const BYTE* hasL = m_has[kBarLow].data() - m_first;
        constexpr double kInf = std::numeric_limits<double>::infinity();
        double top[4] = {-kInf, -kInf, -kInf, -kInf}, bottom[4] = {kInf, kInf, kInf, kInf};
        int b = from;
        auto take = [&](int lane, int i) {
            const double h = hasH[i] ? H[i] : -kInf, l = hasL[i] ? L[i] : kInf;
            top[lane] = h > top[lane] ? h : top[lane];
            bottom[lane] = l < bottom[lane] ? l : bottom[lane];
        };
        for (; b + 4 <= to; b += 4)
            for (int lane = 0; lane < 4; ++lane)
                take(lane, b + lane);
        for (; b < to; ++b)
            take(0, b);
        const double highest = std::max(std::max(top[0], top[1]), std::max(top[2], top[3]));
        const double lowest = std::min(std::min(bottom[0], bottom[1]), std::min(bottom[2], bottom[3]));
        if (highest > high) {
            high = highest;
            for (b = from; !(hasH[b] && H[b] == highest); ++b) {
            }
            highBar = b;
        }
        if (lowest < low) {
            low = lowest;
            for (b = from; !(hasL[b] && L[b] == lowest); ++b) {
            }
            lowBar = b;
        }
    }
    const double* Values(int field) const { return m_values[field].data(); }
    const BYTE* Has(int field) const { return m_has[field].data(); }
    // Start of any bar of the series; those of the block without asking the series.
    DWORD Time(int b, CFeedTimes& times) const
    {
        const size_t k = static_cast<size_t>(b - m_first);
        if (b >= m_first && b < m_first + m_count && m_hasStart[k])
            return times.Of(m_start[k]);
        int64_t seconds = 0;
        BYTE record = 0;
        {
            CSeriesReadLock pass(m_series);
            pass.ReadStartTimes(b, 1, &seconds, &record);
        }
        if (record)
            return times.Of(seconds);
        DWORD t = 0;
        m_series.GetBarTime(b, 0, t);
        return t;
    }

private:
    CPriceSeries& m_series;
    const bool m_bReadOpen;
    int m_first = 0;
    int m_count = 0;
    std::vector<double> m_values[4];
    std::vector<BYTE> m_has[4];
    std::vector<int64_t> m_start;
    std::vector<BYTE> m_hasStart;
};

// What the series' failed downloads left out, each once: "IBM from 1/5/2026 to 1/9/2026".
void AddFailedHistory(CPriceSeries* series, std::vector<CString>& missing)
{
    if (!series)
        return;
    const bool daily = IsDailyOrLongerInterval(series->GetInterval());
    const auto text = [daily](DWORD t) { return daily ? FeedDateText(t) : FeedDateTimeText(t); };
    for (const CPriceSeries::Span& span : series->GetFailedHistory()) {
        const CString range = series->GetSymbol() + " from " + text(span.start) + " to " + text(span.end);
        if (std::find(missing.begin(), missing.end(), range) == missing.end())
            missing.push_back(range);
    }
}

// The same for every series the formula reads.
void AddFailedHistory(const CFormula& formula, std::vector<CString>& missing)
{
    std::vector<CFormulaSeriesItem*> inputs;
    formula.GetSeriesInputs(inputs);
    for (const CFormulaSeriesItem* item : inputs) {
        const CStudySource* source = item->m_pInput;
        if (!source)
            continue;
        AddFailedHistory(source->GetBaseSeries(), missing);
        if (const CStudyEvaluation* spec = source->GetSpec()) {
            AddFailedHistory(spec->m_pCompanion, missing);
            AddFailedHistory(spec->m_pStudySeries, missing);
        }
    }
}

int PriceField(const CString& name)
{
    static const char* const kNames[] = {"Open", "High", "Low", "Close"};
    for (int i = 0; i < 4; ++i)
        if (name == kNames[i])
            return i;
    return -1;
}

class CBackTestRun {
public:
    CBackTestRun(BackTestContext& context, const CStrategySetup& job) : m_context(context), m_job(job) {}

    void Run(std::shared_ptr<const CStrategySetup> job);

private:
    struct Strategy {
        const CStrategyDefinition* definition;
        CString name;  // distinct within the run
        bool usable;
    };
    enum class EPair { kDone, kSkipped, kCancelled, kNoHistory };

    EPair RunPair(const CString& symbol, const Strategy& strategy);
    void WalkBars(const CString& symbol, const Strategy& strategy, CPriceSeries& series, int barCount,
                  CFormula& entry, CFormula& exit, int formulaBars, EntryGroup& group, bool& cancelled);
    void HandOver(std::unique_ptr<BackTestEntry> entry);
    void PortfolioPass();
    void Problem(const CString& text);
    bool Cancelled() const { return m_context.IsCancelled(); }

    BackTestContext& m_context;
    const CStrategySetup& m_job;
    IBackTestSink* m_pSink = nullptr;
    DWORD m_endTime = 0;
    int m_bExtended = 0;
    CString m_suffix;
    std::vector<std::unique_ptr<BackTestEntry>> m_trades;  // portfolio runs
    std::vector<std::unique_ptr<EntryGroup>> m_groups;
    std::set<std::string> m_problems;
    bool m_bHistoryMissing = false;  // some pair was left out for history that could not be loaded
};

void CBackTestRun::Problem(const CString& text)
{
    if (m_problems.insert(text.str()).second && m_pSink)
        m_pSink->OnProblem(text);
}

void CBackTestRun::HandOver(std::unique_ptr<BackTestEntry> entry)
{
    if (m_job.m_nPortfolio)
        m_trades.push_back(std::move(entry));
    else if (m_pSink)
        m_pSink->OnTrade(std::move(entry));
}

void CBackTestRun::Run(std::shared_ptr<const CStrategySetup> job)
{
    m_pSink = m_context.m_pSink;
    m_endTime = m_job.m_endTime;
    if (m_job.m_nUntilNow)
        m_endTime = CTimeToFeedTime(GetSeriesServices().GetExchangeTime());
    const CAppSettings* settings = CAppSettings::Instance();
    m_bExtended = settings && settings->m_bExtSessionFormulas ? 1 : 0;
    m_suffix = m_bExtended ? ":255" : "";
    const std::vector<CString> symbols = m_job.GetSymbolList();

    // Names made distinct; strategies whose formulas do not compile are told once and left out.
    std::vector<Strategy> strategies;
    std::map<CString, int> seen;
    for (int j = 0; j < m_job.GetStrategyCount(); ++j) {
        const CStrategyDefinition& s = m_job.GetStrategy(j);
        Strategy strategy{&s, s.m_name, true};
        if (const int n = ++seen[s.m_name]; n > 1)
            strategy.name.Format("%s (%d)", s.m_name.GetString(), n);
        for (const auto& [text, which] : {std::pair{s.m_entryExpression, "entry"}, std::pair{s.m_exitExpression, "exit"}}) {
            CFormula check(text, 3, 1, 0);
            CString error;
            if (!check.Parse(error)) {
                CString message;
                message.Format("Strategy \"%s\": the %s formula does not compile: %s", s.m_name.GetString(), which,
                               error.GetString());
                Problem(message);
                strategy.usable = false;
            }
        }
        strategies.push_back(strategy);
    }

    if (m_pSink)
        m_pSink->OnRunStarted(job);  // the run keeps its own reference
    const int S = static_cast<int>(strategies.size());
    const int N = static_cast<int>(symbols.size());
    for (int i = 0; i < N && !Cancelled(); ++i) {
        for (int j = 0; j < S && !Cancelled(); ++j) {
            const EPair result = strategies[static_cast<size_t>(j)].usable
                                     ? RunPair(symbols[static_cast<size_t>(i)], strategies[static_cast<size_t>(j)])
                                     : EPair::kSkipped;
            m_bHistoryMissing |= result == EPair::kNoHistory;
            if (result != EPair::kDone)
                continue;
            m_context.m_nProgress = static_cast<int>((i * S + j + 1) * 100.0 / (S * N));
            if (m_job.m_nPortfolio && m_pSink)
                m_pSink->OnProgress();
        }
    }
    if (m_job.m_nPortfolio && m_bHistoryMissing && !Cancelled()) {
        // The capital goes to the fills of every pair in turn: without one, none are what they would be.
        m_trades.clear();
        m_groups.clear();
        Problem("No portfolio results are shown: price history the test needs could not be loaded.");
    }
    if (m_job.m_nPortfolio)
        PortfolioPass();
}

CBackTestRun::EPair CBackTestRun::RunPair(const CString& symbol, const Strategy& strategy)
{
    const CStrategyDefinition& s = *strategy.definition;
    if (!IsTestableInterval(s.m_interval))
        return EPair::kSkipped;
    CString key;
    if (m_job.m_nIntraday)
        key.Format("%s,%d%s&EndETime=%lu", symbol.GetString(), m_job.m_nMinuteBars, m_suffix.GetString(),
                   static_cast<unsigned long>(m_endTime));
    else
        key.Format("%s,%s%s&EndETime=%lu", symbol.GetString(), s.m_interval.GetString(), m_suffix.GetString(),
                   static_cast<unsigned long>(m_endTime));
    // Opened as the formulas open their chart source, so that they can read it (see below).
    const std::shared_ptr<CStudySource> chart(ParseStudyCall(key, 0, 1, 3), DeleteStudyCall);
    CPriceSeries* const series = chart ? chart->GetBaseSeries() : nullptr;
    if (!series)
        return EPair::kSkipped;
    CWakeListener wake(m_context);
    series->SetListener(&wake);
    series->SetWindowMode(1);
    // Laid out first, so that its bar arithmetic can count the bars of the period.
    int barCount = 0;
    if (series->SetBarCount(1, m_endTime))
        barCount = std::min(BarCount(*series, m_job.m_startTime, m_endTime), CPriceSeries::kMaxRecords);
    // The strategy's own bars: the same as the test bars unless those are intra-bar ones.
    int formulaBars = barCount;
    if (m_job.m_nIntraday) {
        SeriesPtr counter(OpenPriceSeries(symbol + "," + s.m_interval + m_suffix, 0));
        formulaBars = 0;
        if (counter) {
            counter->SetWindowMode(1);
            if (counter->SetBarCount(1, m_endTime))
                formulaBars = BarCount(*counter, m_job.m_startTime, m_endTime);
        }
    }
    // Without intra-bar testing the formulas' studies lay their series out over the same bars
    // and their warm-up ahead of them: those that fit in the test bars' margin share its
    // records instead of copying them (bars shorter than a day only).
    const int margin = m_job.m_nIntraday || IsDailyOrLongerInterval(s.m_interval) ? 0 : kStudyMargin;
    if (barCount <= 0 || formulaBars <= 0 || !series->SetBarCount(barCount, m_endTime, margin)) {
        series->SetListener(nullptr);
        return EPair::kSkipped;
    }

    // The formulas' bars are the test bars: once these are in, their series take them from
    // this one instead of asking history for them again.
    while (!m_job.m_nIntraday && series->IsWaitingForData()) {
        // Answered and about to settle: a moment, not a wake-up that may already have come.
        if (series->GetOutstandingRequests() == 0) {
            if (Cancelled()) {
                series->SetListener(nullptr);
                return EPair::kCancelled;
            }
            std::this_thread::yield();
            continue;
        }
        if (!m_context.WaitFor(kDataPollMs)) {
            series->SetListener(nullptr);
            return EPair::kCancelled;
        }
    }

    CFormula entry(s.m_entryExpression, 3, formulaBars, m_endTime);
    CFormula exit(s.m_exitExpression, 3, formulaBars, m_endTime);
    // Both read the same bars: an average they both use is loaded and computed once.
    const auto share = std::make_shared<CFormulaInputShare>();
    entry.ShareInputs(share);
    exit.ShareInputs(share);
    // Their chart source, mapping their bars to times, is the test series itself.
    if (!m_job.m_nIntraday)
        entry.ShareChartSource(chart, key, symbol, m_bExtended, s.m_interval, 0, s.m_nOverrideInterval);
    CString error;
    const int minutes = m_job.m_nIntraday ? m_job.m_nMinuteBars : 0;
    bool subscribed = entry.Parse(error) && exit.Parse(error);
    // The formulas wake the worker once their inputs are resolved.
    subscribed = subscribed && entry.Subscribe(symbol, m_bExtended, nullptr,
                                               std::make_unique<CFormulaWake>(m_context.Waker()), s.m_interval,
                                               minutes, s.m_nOverrideInterval);
    subscribed = subscribed && exit.Subscribe(symbol, m_bExtended, nullptr,
                                              std::make_unique<CFormulaWake>(m_context.Waker()), s.m_interval,
                                              minutes, s.m_nOverrideInterval);
    if (!subscribed) {
        series->SetListener(nullptr);
        Problem(CString("Strategy \"") + s.m_name + "\" cannot be run: no formula engine");
        return EPair::kSkipped;
    }
    for (;;) {
        CString failure;
        if (entry.HasFailed(&failure) || exit.HasFailed(&failure)) {
            series->SetListener(nullptr);
            CString message;
            message.Format("Strategy \"%s\" on %s: %s", s.m_name.GetString(), symbol.GetString(), failure.GetString());
            Problem(message);
            return EPair::kSkipped;
        }
        if (!series->IsWaitingForData() && !entry.IsWaitingForData() && !exit.IsWaitingForData())
            break;
        if (!m_context.WaitFor(kDataPollMs)) {
            series->SetListener(nullptr);
            return EPair::kCancelled;
        }
    }
    series->SetListener(nullptr);

    // Bars a failed download left empty would be tested as if nothing traded on them.
    std::vector<CString> missing;
    AddFailedHistory(series, missing);
    AddFailedHistory(entry, missing);
    AddFailedHistory(exit, missing);
    if (!missing.empty()) {
        CString ranges;
        for (const CString& range : missing)
            ranges += (ranges.IsEmpty() ? "" : "; ") + range;
        CString message;
        message.Format("Strategy \"%s\" on %s was not tested: the price history of %s could not be loaded.",
                       s.m_name.GetString(), symbol.GetString(), ranges.GetString());
        Problem(message);
        return EPair::kNoHistory;
    }

    auto group = std::make_unique<EntryGroup>();
    group->m_symbol = symbol;
    group->m_strategy = strategy.name;
    bool cancelled = false;
    const auto walkStart = std::chrono::steady_clock::now();
    WalkBars(symbol, strategy, *series, barCount, entry, exit, formulaBars, *group, cancelled);
    m_context.m_nWalkNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now() - walkStart)
                                        .count();
    if (cancelled)
        return EPair::kCancelled;
    if (m_job.m_nPortfolio)
        m_groups.push_back(std::move(group));
    else if (m_pSink)
        m_pSink->OnGroup(std::move(group));
    return EPair::kDone;
}

void CBackTestRun::WalkBars(const CString& symbol, const Strategy& strategy, CPriceSeries& series, int barCount,
                            CFormula& entry, CFormula& exit, int formulaBars, EntryGroup& group, bool& cancelled)
{
    const CStrategyDefinition& s = *strategy.definition;
    const int entryField = PriceField(s.m_entryPriceType);
    const int exitField = PriceField(s.m_exitPriceType);
    const bool trailing = m_job.m_nTStop && m_job.m_tStopParam > 0;
    CBarBlock bars(series, trailing || entryField == kBarOpen || exitField == kBarOpen);
    CFeedTimes times;

    // Formula bar of each test bar: the latest whose start is not after the test bar's.
    // Without intra-bar testing both are laid out alike from the same key, so the same
    // first and last times mean the same bars.
    std::vector<DWORD> formulaTime;
    bool sameBars = false;
    if (!m_job.m_nIntraday && formulaBars == barCount) {
        DWORD first = 0, last = 0, testFirst = 0, testLast = 0;
        sameBars = entry.GetBarTime(0, 0, first) && entry.GetBarTime(formulaBars - 1, 0, last) &&
                   series.GetBarTime(0, 0, testFirst) && series.GetBarTime(barCount - 1, 0, testLast) &&
                   first == testFirst && last == testLast;
    }
    if (!sameBars) {
        formulaTime.assign(static_cast<size_t>(formulaBars), 0);
        for (int f = 0; f < formulaBars; ++f)
            entry.GetBarTime(f, 0, formulaTime[static_cast<size_t>(f)]);
    }

    const bool intraday = m_job.m_nIntraday != 0;
    CFormulaValues entryValues(entry, formulaBars, kEvaluateBlock);
    CFormulaValues exitValues(exit, formulaBars, 16);
    const bool longEntry = s.IsLong();
    const bool longExit = s.ExitsLong();
    const bool amount = s.m_entryFlag == kAmountFlag;
    const double D = m_job.m_tStopParam;
    // Trade inputs are set only when the exit formula reads them.
    const bool readsPrice = exit.SetTradeValue(0, 8);
    const bool readsQuantity = exit.SetTradeValue(0, 9);
    const bool readsDate = exit.SetTradeValue(0, 10);
    const bool readsTime = exit.SetTradeValue(0, 11);
    const bool readsTrade = readsPrice || readsQuantity || readsDate || readsTime;

    bool open = false;
    int fi = 0;
    int quantity = 0;
    double reference = 0, stopLevel = 0;
    bool stopped = false;
    double highSince = 0, lowSince = 0;
    int highBar = 0, lowBar = 0;

    int64_t steps = 0;
    struct CountSteps {
        std::atomic<int64_t>& total;
        int64_t& steps;
        ~CountSteps() { total += steps; }
    } counted{m_context.m_nBarSteps, steps};
    for (int b = 0; b < barCount; ++b) {
        if (b == bars.First() + bars.Count()) {
            if (Cancelled()) {
                cancelled = true;
                return;
            }
            const int n = std::min(kReadBlock, barCount - b);
            bars.Read(b, n);
            steps += n;
            // The first and last closes of the range that are there and not 0.
            const double* closes = bars.Values(kBarClose);
            const BYTE* has = bars.Has(kBarClose);
            for (int k = 0; k < n && group.m_startPrice == 0; ++k)
                if (has[k] && closes[k] != 0)
                    group.m_startPrice = closes[k];
            for (int k = n - 1; k >= 0; --k)
                if (has[k] && closes[k] != 0) {
                    group.m_endPrice = closes[k];
                    break;
                }
        }
        if (!open && sameBars && !intraday) {
            // Flat on the formulas' own bars: on to the next one the entry formula is true on.
            const int end = bars.First() + bars.Count();
            b = entryValues.NextTrue(b, end);
            if (b == end) {
                b = end - 1;
                continue;
            }
        } else if (open && sameBars && !intraday && !trailing) {
            // Holding without a trailing stop: on to the next bar the exit formula is true
            // on, or the last one when positions close there, widening the high and low.
            const int end = bars.First() + bars.Count();
            const int next = exitValues.NextTrue(b, m_job.m_nExitAtEnd ? std::min(end, barCount - 1) : end);
            bars.Widen(b, next, highSince, highBar, lowSince, lowBar);
            if (next == end) {
                b = end - 1;
                continue;
            }
            b = next;
        }
        if (sameBars) {
            fi = b;
        } else {
            const DWORD T = bars.Time(b, times);
            while (fi + 1 < formulaBars && formulaTime[static_cast<size_t>(fi + 1)] <= T)
                ++fi;
        }
        const DWORD intraBar = intraday ? bars.Time(b, times) : 0;
        double result = 0;
        if (!open) {
            if (!entryValues.Get(fi, intraBar, result) || result == 0)
                continue;
        } else {
            if (!exitValues.Get(fi, intraBar, result))
                result = 0;
            double O = 0, H = 0, L = 0, C = 0;
            const bool hasH = bars.Field(kBarHigh, b, H), hasL = bars.Field(kBarLow, b, L);
            if (hasH && H > highSince) {
                highSince = H;
                highBar = b;
            }
            if (hasL && L < lowSince) {
                lowSince = L;
                lowBar = b;
            }
            if (trailing && bars.Field(kBarOpen, b, O) && hasH && hasL && bars.Field(kBarClose, b, C)) {
                const bool percent = m_job.m_nTStopType != 0;
                if (longExit) {
                    auto stopOf = [&](double r) { return percent ? r * (1 - D * 0.01) : r - D; };
                    double stop = stopOf(reference);
                    if (stop >= O) {
                        stopLevel = O;
                        stopped = true;
                    } else if (stop >= L) {
                        stopLevel = stop;
                        stopped = true;
                    } else {
                        if (H > reference) {
                            reference = H;
                            stop = stopOf(reference);
                        }
                        if (stop >= C) {
                            stopLevel = stop;
                            stopped = true;
                        }
                    }
                } else {
                    auto stopOf = [&](double r) { return percent ? r * (1 + D * 0.01) : r + D; };
                    double stop = stopOf(reference);
                    if (stop <= O) {
                        stopLevel = O;
                        stopped = true;
                    } else if (stop <= H) {
                        stopLevel = stop;
                        stopped = true;
                    } else {
                        if (L < reference) {
                            reference = L;
                            stop = stopOf(reference);
                        }
                        if (stop <= C) {
                            stopLevel = stop;
                            stopped = true;
                        }
                    }
                }
                if (stopped)
                    result = 1.0;
            }
            if (m_job.m_nExitAtEnd && b == barCount - 1)
                result = 1.0;
            if (result == 0)
                continue;
        }

        double price = 0;
        if (stopped)
            price = stopLevel;
        else if (!bars.Field(open ? exitField : entryField, b, price))
            continue;

        const DWORD T = bars.Time(b, times);
        auto record = std::make_unique_for_overwrite<BackTestEntry>();  // every member has its initialiser
        record->m_symbol = symbol;
        record->m_strategy = strategy.name;
        record->m_formula = open ? s.m_exitName : s.m_entryName;
        record->m_nAction = open ? (longExit ? kActionSell : kActionBuyToCover)
                                 : (longEntry ? kActionBuy : kActionSellShort);
        record->m_comission = m_job.m_comission;
        record->m_price = price;
        record->m_nTime = static_cast<int>(T);
        record->m_nStartTime = static_cast<int>(m_job.m_startTime);
        record->m_nEndTime = static_cast<int>(m_endTime);

        if (!open) {
            // A quantity of no shares, a negative size, an amount below the price or
            // a count past 32 bits opens nothing.
            long long q = 0;
            if (amount) {
                if (s.m_nEntryQuantity > 0 && price > 0) {
                    const double shares = std::trunc(s.m_nEntryQuantity / price);
                    q = shares <= static_cast<double>(std::numeric_limits<int>::max()) ? static_cast<long long>(shares)
                                                                                       : 0;
                }
            } else {
                q = s.m_nEntryQuantity;
            }
            if (q <= 0)
                continue;
            quantity = static_cast<int>(q);
            record->m_nQuantity = quantity;
            highSince = lowSince = price;
            highBar = lowBar = b;
            // An exit formula that reads none of the trade inputs keeps its values.
            bool reads = readsPrice && exit.SetTradeValue(price, 8);
            reads |= readsQuantity && exit.SetTradeValue(quantity, 9);
            if (readsDate) {
                int y = 0, mo = 0, d = 0;
                FeedTimeToDate(T, y, mo, d);
                reads |= exit.SetTradeValue(MakeDateNumber(y, mo, d), 10);
            }
            if (readsTime)
                reads |= exit.SetTradeValue(static_cast<double>(FeedTimeToCTime(T).GetTime()), 11);
            if (reads)
                exitValues.Reset();
        } else {
            record->m_nQuantity = quantity;
            record->m_highPrice = highSince;
            record->m_lowPrice = lowSince;
            record->m_nHighDate = static_cast<int>(bars.Time(highBar, times));
            record->m_nLowDate = static_cast<int>(bars.Time(lowBar, times));
            bool reads = false;
            if (readsTrade)
                for (int index = 8; index <= 11; ++index)
                    reads |= exit.SetTradeValue(0, index);
            if (reads)
                exitValues.Reset();
        }
        HandOver(std::move(record));
        reference = price;
        stopLevel = 0;
        stopped = false;
        open = !open;
    }
}

void CBackTestRun::PortfolioPass()
{
    std::stable_sort(m_trades.begin(), m_trades.end(), [](const auto& a, const auto& b) {
        return static_cast<DWORD>(a->m_nTime) < static_cast<DWORD>(b->m_nTime);
    });
    struct Holding {
        unsigned long long quantity = 0;
        double entryPrice = 0;
    };
    std::map<CString, Holding> held;
    double capital = m_job.m_capital;
    for (auto& trade : m_trades) {
        const double quantity = static_cast<double>(static_cast<DWORD>(trade->m_nQuantity));
        const double cost = quantity * trade->m_price;
        const CString key = trade->m_symbol + "," + trade->m_strategy;
        if (IsEntryAction(trade->m_nAction)) {
            const double needed = cost + trade->m_comission;
            if (capital < needed)
                continue;
            capital -= needed;
            auto it = held.find(key);
            if (it != held.end())
                it->second.quantity += static_cast<DWORD>(trade->m_nQuantity);
            else
                held[key] = {static_cast<DWORD>(trade->m_nQuantity), trade->m_price};
        } else {
            auto it = held.find(key);
            if (it == held.end())
                continue;
            const double E = static_cast<double>(it->second.quantity) * it->second.entryPrice;
            const double P = trade->m_nAction == kActionSell ? cost - E : E - cost;
            capital += E + P - trade->m_comission;
            if (it->second.quantity <= static_cast<DWORD>(trade->m_nQuantity))
                held.erase(it);
            else
                it->second.quantity -= static_cast<DWORD>(trade->m_nQuantity);
        }
        if (m_pSink)
            m_pSink->OnTrade(std::move(trade));
    }
    m_trades.clear();
    for (auto& group : m_groups)
        if (m_pSink)
            m_pSink->OnGroup(std::move(group));
    m_groups.clear();
}

}  // namespace

BackTestContext::BackTestContext() = default;

BackTestContext::~BackTestContext()
{
    CancelBackTest(*this);
}

bool BackTestContext::WaitFor(int milliseconds)
{
    WakeState& state = *m_pWake;
    std::unique_lock<std::mutex> lock(state.lock);
    state.wake.wait_for(lock, std::chrono::milliseconds(milliseconds),
                        [&] { return state.woken || IsCancelled(); });
    state.woken = false;
    return !IsCancelled();
}

void BackTestContext::WakeState::Wake()
{
    {
        std::lock_guard<std::mutex> g(lock);
        woken = true;
    }
    wake.notify_all();
}

void BackTestContext::Wake()
{
    m_pWake->Wake();
}

std::function<void()> BackTestContext::Waker() const
{
    return [state = m_pWake] { state->Wake(); };
}

void BackTestThreadProc(BackTestContext& context, std::shared_ptr<const CStrategySetup> job)
{
    if (job) {
        const CStrategySetup& setup = *job;
        CBackTestRun run(context, setup);
        run.Run(std::move(job));
    }
    context.m_nProgress = 0;
    context.m_bRunning.store(false, std::memory_order_release);
    if (context.m_pSink)
        context.m_pSink->OnRunEnded();
}

bool StartBackTest(BackTestContext& context, std::shared_ptr<const CStrategySetup> job)
{
    CancelBackTest(context);
    context.m_bCancel = false;
    context.m_nProgress = 0;
    context.m_nBarSteps = 0;
    context.m_nWalkNanoseconds = 0;
    context.m_bRunning = true;
    auto thread = std::make_unique<CThread>();
    const bool started = thread->Start([&context, job = std::move(job)]() mutable -> DWORD {
        BackTestThreadProc(context, std::move(job));
        return 0;
    });
    if (!started) {
        context.m_bRunning = false;
        return false;
    }
    context.m_thread = std::move(thread);
    return true;
}

void CancelBackTest(BackTestContext& context)
{
    if (!context.m_thread)
        return;
    context.m_bCancel.store(true, std::memory_order_release);
    context.Wake();
    context.m_thread->Join();
    context.m_thread.reset();
    context.m_bCancel = false;
}
