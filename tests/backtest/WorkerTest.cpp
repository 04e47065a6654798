// The backtest worker over bars served by fake series services: a moving-average
// crossover checked against a plain second implementation, an exit on the entry's price
// and date, intra-bar testing over hourly bars with a missing day, intra-bar testing that
// reads the day as it stood at each minute (no look-ahead, the first test day included),
// intra-bar testing that reads other symbols at the tested hour whatever their sessions,
// the trailing stop and the forced exit worked by hand, portfolio capital, sizes that
// open nothing, a strategy that does not compile, cancelling while history is loading,
// a failed history download told instead of results, a past-dated test that ignores
// today's quote, and a long minute walk across a clock change checked against a plain
// second implementation, its history asked for once.
#include "StrategySamples.h"
#include "AnsweringSeriesServices.h"
#include "../analytics/formula/FormulaTestSupport.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/SeriesTime.h"
#include "backtest/BackTestContext.h"
#include "backtest/BackTestStatistics.h"
#include "backtest/CStrategySetup.h"
#include "broker/core/FeedTime.h"
#include "broker/session/SessionMessages.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Keeps what the worker hands over.
class CRecordingSink : public IBackTestSink {
public:
    void OnRunStarted(std::shared_ptr<const CStrategySetup> job) override
    {
        std::lock_guard<std::mutex> g(m_lock);
        started = job != nullptr;
    }
    void OnTrade(std::unique_ptr<BackTestEntry> entry) override
    {
        std::lock_guard<std::mutex> g(m_lock);
        order.push_back("trade");
        trades.push_back(std::move(entry));
    }
    void OnGroup(std::unique_ptr<EntryGroup> group) override
    {
        std::lock_guard<std::mutex> g(m_lock);
        order.push_back("group");
        groups.push_back(std::move(group));
    }
    void OnProgress() override { ++progress; }
    void OnProblem(const CString& text) override
    {
        std::lock_guard<std::mutex> g(m_lock);
        problems.push_back(text);
    }
    void OnRunEnded() override
    {
        std::lock_guard<std::mutex> g(m_lock);
        ended = true;
        m_done.notify_all();
    }
    bool WaitEnded(std::chrono::milliseconds timeout = 60s)
    {
        std::unique_lock<std::mutex> g(m_lock);
        return m_done.wait_for(g, timeout, [this] { return ended; });
    }

    bool started = false;
    bool ended = false;
    std::atomic<int> progress{0};
    std::vector<std::unique_ptr<BackTestEntry>> trades;
    std::vector<std::unique_ptr<EntryGroup>> groups;
    std::vector<CString> problems;
    std::vector<std::string> order;

private:
    std::mutex m_lock;
    std::condition_variable m_done;
};

CHistoryRow Row(CTime day, double open, double high, double low, double close)
{
    CHistoryRow row;
    row.feedTime = CTimeToFeedTime(day);
    row.open = open;
    row.high = high;
    row.low = low;
    row.close = close;
    row.volume = 1000;
    return row;
}

bool IsWeekday(CTime day)
{
    const int weekday = day.GetDayOfWeek();
    return weekday != 1 && weekday != 7;
}

// Weekday bars from 2025-09-01 to 2026-03-03: a wave that crosses its averages often.
std::vector<CHistoryRow> WaveRows(double phase = 0)
{
    std::vector<CHistoryRow> rows;
    int k = 0;
    for (CTime day(2025, 9, 1, 0, 0, 0); day < CTime(2026, 3, 4, 0, 0, 0); day = day + CTimeSpan(1, 0, 0, 0)) {
        if (!IsWeekday(day))
            continue;
        const double close = std::round((100 + 8 * std::sin((k + phase) / 5.0) + 3 * std::sin(k / 1.7)) * 100) / 100;
        ++k;
        rows.push_back(Row(day, close - 0.5, close + 1, close - 1, close));
    }
    return rows;
}

CStrategyDefinition Strategy(const char* name, const char* entry, const char* exit)
{
    return LongStrategy(name, entry, exit);
}

// The date of a feed time (bars start at the session's open).
int DateOf(DWORD feedTime)
{
    int y = 0, m = 0, d = 0;
    FeedTimeToDate(feedTime, y, m, d);
    return MakeDateNumber(y, m, d);
}

DWORD Feed(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return DateTimeToFeedTime(year, month, day, hour, minute, second);
}

class BackTestWorker : public ::testing::Test {
protected:
    BackTestWorker() { m_context.m_pSink = &m_sink; }
    ~BackTestWorker() override { CancelBackTest(m_context); }

    std::shared_ptr<CStrategySetup> Job(const char* symbols, DWORD start, DWORD end)
    {
        auto job = std::make_shared<CStrategySetup>();
        job->m_symbols = symbols;
        job->m_startTime = start;
        job->m_endTime = end;
        job->m_nUntilNow = 0;
        job->m_comission = 1;
        return job;
    }
    void Run(std::shared_ptr<CStrategySetup> job)
    {
        ASSERT_TRUE(StartBackTest(m_context, job));
        ASSERT_TRUE(m_sink.WaitEnded());
        CancelBackTest(m_context);
        EXPECT_FALSE(m_context.IsRunning());
        EXPECT_EQ(0, m_context.GetProgress());
    }
    // Answers one-minute bars of 2026-01-05 to 01-09, 9:30 to 15:59 (minute 0 to 389), with
    // the close and low `closeAndLow(day, minute)` gives and highs 0.0625 above the close,
    // and daily bars made from them, opening at 100.
    template <class CloseAndLow>
    void AnswerMinutesAndTheirDays(CloseAndLow closeAndLow)
    {
        std::vector<CHistoryRow> minutes, daily;
        for (int d = 5; d <= 9; ++d) {
            double high = 0, low = 1e9, close = 0;
            for (int k = 0; k < 390; ++k) {
                double dip = 0;
                std::tie(close, dip) = closeAndLow(d, k);
                minutes.push_back({Feed(2026, 1, d, 9, 30) + static_cast<DWORD>(k * 30), close, close + 0.0625, dip,
                                   close, 1000.0});
                high = std::max(high, close + 0.0625);
                low = std::min(low, dip);
            }
            daily.push_back({Feed(2026, 1, d), 100, high, low, close, 390000.0});
        }
        m_services.SetSource([minutes, daily](const CString&, const CString& interval, DWORD, DWORD) {
            return std::atoi(interval) == 0 ? daily : minutes;
        });
    }
    // Runs the job on a context and a sink of its own.
    static void RunApart(std::shared_ptr<CStrategySetup> job, CRecordingSink& sink)
    {
        BackTestContext context;
        context.m_pSink = &sink;
        ASSERT_TRUE(StartBackTest(context, job));
        ASSERT_TRUE(sink.WaitEnded());
        CancelBackTest(context);
    }
    // The fills of each strategy: time and price.
    std::map<std::string, std::vector<std::pair<DWORD, double>>> FillsByStrategy() const
    {
        std::map<std::string, std::vector<std::pair<DWORD, double>>> fills;
        for (const auto& t : m_sink.trades)
            fills[t->m_strategy.str()].emplace_back(static_cast<DWORD>(t->m_nTime), t->m_price);
        return fills;
    }

    CAnsweringServices m_services;
    CRunningEngine m_engine;
    CRecordingSink m_sink;
    BackTestContext m_context;
};

// One fill of the plain implementation.
struct PlainFill {
    int action;
    DWORD time;
    double price;
    double high = 0, low = 0;
    DWORD highTime = 0, lowTime = 0;
};

double Average(const std::vector<CHistoryRow>& rows, size_t end, int length)
{
    double sum = 0;
    for (int k = 0; k < length; ++k)
        sum += rows[end - static_cast<size_t>(k)].close;
    return sum / length;
}

} // namespace

TEST_F(BackTestWorker, MovingAverageCrossoverMatchesAPlainImplementation)
{
    const std::vector<CHistoryRow> rows = WaveRows();
    m_services.SetRows("IBM", rows);
    auto job = Job("IBM", Feed(2025, 11, 3), Feed(2026, 2, 27, 23, 59, 58));
    job->AddStrategy(Strategy("Cross", "MovingAverage[MA,Close,3,0,D]>MovingAverage[MA,Close,8,0,D]",
                              "MovingAverage[MA,Close,3,0,D]<MovingAverage[MA,Close,8,0,D]"));
    Run(job);

    // The same strategy, plainly: long while the 3-bar average is above the 8-bar one.
    std::vector<PlainFill> expected;
    bool open = false;
    double startPrice = 0, endPrice = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const CHistoryRow& r = rows[i];
        if (r.feedTime < job->m_startTime || r.feedTime > job->m_endTime)
            continue;
        if (startPrice == 0)
            startPrice = r.close;
        endPrice = r.close;
        const double fast = Average(rows, i, 3), slow = Average(rows, i, 8);
        ASSERT_GT(std::fabs(fast - slow), 1e-6) << "an ambiguous crossing in the data";
        if (open) {
            PlainFill& entry = expected.back();
            if (r.high > entry.high)
                entry.high = r.high, entry.highTime = r.feedTime;
            if (r.low < entry.low)
                entry.low = r.low, entry.lowTime = r.feedTime;
            if (fast < slow) {
                expected.push_back({kActionSell, r.feedTime, r.close, entry.high, entry.low, entry.highTime,
                                    entry.lowTime});
                open = false;
            }
        } else if (fast > slow) {
            expected.push_back({kActionBuy, r.feedTime, r.close, r.close, r.close, r.feedTime, r.feedTime});
            open = true;
        }
    }
    ASSERT_GE(expected.size(), 6u);
    ASSERT_EQ(expected.size(), m_sink.trades.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const BackTestEntry& e = *m_sink.trades[i];
        EXPECT_EQ(expected[i].action, e.m_nAction) << i;
        EXPECT_EQ(DateOf(expected[i].time), DateOf(e.m_nTime)) << i;
        EXPECT_EQ(expected[i].price, e.m_price) << i;
        EXPECT_EQ(100, e.m_nQuantity);
        EXPECT_EQ(CString("Cross"), e.m_strategy);
        EXPECT_EQ(CString(e.m_nAction == kActionBuy ? "In" : "Out"), e.m_formula);
        if (e.m_nAction == kActionSell) {
            EXPECT_EQ(expected[i - 1].high, e.m_highPrice) << i;
            EXPECT_EQ(expected[i - 1].low, e.m_lowPrice) << i;
            EXPECT_EQ(DateOf(expected[i - 1].highTime), DateOf(e.m_nHighDate)) << i;
            EXPECT_EQ(DateOf(expected[i - 1].lowTime), DateOf(e.m_nLowDate)) << i;
        }
    }
    ASSERT_EQ(1u, m_sink.groups.size());
    EXPECT_EQ(startPrice, m_sink.groups[0]->m_startPrice);
    EXPECT_EQ(endPrice, m_sink.groups[0]->m_endPrice);

    // The figures of the plain fills, worked plainly: profits, streaks, drawdown, factor.
    double cumulative = 0, profit = 0, loss = 0, drawdown = 0;
    int winners = 0, losers = 0, streak = 0, longestWin = 0, longestLoss = 0;
    for (size_t i = 1; i < expected.size(); i += 2) {
        const PlainFill& in = expected[i - 1];
        const PlainFill& out = expected[i];
        drawdown = std::min(drawdown, 100 * (out.low - in.price) + cumulative);
        const double p = 100 * (out.price - in.price) - 2;
        cumulative += p;
        (p > 0 ? profit : loss) += p;
        (p > 0 ? winners : losers) += 1;
        const int sign = out.price > in.price ? 1 : (out.price < in.price ? -1 : 0);
        if (sign != 0) {
            streak = (streak * sign > 0) ? streak + sign : sign;
            longestWin = std::max(longestWin, streak);
            longestLoss = std::max(longestLoss, -streak);
        }
    }
    std::vector<std::unique_ptr<BackTestEntry>> list;
    for (auto& t : m_sink.trades)
        list.push_back(std::make_unique<BackTestEntry>(*t));
    const BackTestSummary s = ComputeSummary(list, *m_sink.groups[0]);
    EXPECT_NEAR(cumulative, s.m_profitLoss, 1e-6);
    EXPECT_EQ(winners, s.m_nWinners);
    EXPECT_EQ(losers, s.m_nLosers);
    EXPECT_EQ(static_cast<DWORD>(longestWin), s.m_nMaxConsecWinners);
    EXPECT_EQ(static_cast<DWORD>(longestLoss), s.m_nMaxConsecLosers);
    EXPECT_NEAR(drawdown, s.m_maxDrawdown, 1e-6);
    EXPECT_NEAR(loss != 0 ? profit / -loss : 0, s.GetProfitFactor(), 1e-9);
    BackTestSummary total;
    AccumulateTotal(total, s, job.get());
    AccumulateTotal(total, s, job.get());
    EXPECT_NEAR(2 * cumulative, total.m_profitLoss, 1e-6);
    EXPECT_EQ(2 * (winners + losers), total.GetNumTrades());
    EXPECT_NEAR(drawdown, total.m_maxDrawdown, 1e-6);
}

TEST_F(BackTestWorker, ExitFormulaReadsTheEntrysPriceAndDate)
{
    const std::vector<CHistoryRow> rows = WaveRows();
    m_services.SetRows("IBM", rows);
    auto job = Job("IBM", Feed(2025, 11, 3), Feed(2026, 2, 27, 23, 59, 58));
    job->AddStrategy(Strategy("Band", "MovingAverage[MA,Close,3,0,D]>MovingAverage[MA,Close,8,0,D]",
                              "Bar[Close,D]>EntryPrice+2.995 OR Bar[Close,D]<EntryPrice-2.995 OR EntryDate<20251201"));
    Run(job);

    // Plainly: in on the crossover, out 3 from the entry price, or at once when in before December.
    std::vector<std::pair<int, DWORD>> expected;
    bool open = false;
    double entryPrice = 0;
    int entryDate = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const CHistoryRow& r = rows[i];
        if (r.feedTime < job->m_startTime || r.feedTime > job->m_endTime)
            continue;
        if (open) {
            if (r.close > entryPrice + 2.995 || r.close < entryPrice - 2.995 || entryDate < 20251201) {
                expected.emplace_back(kActionSell, r.feedTime);
                open = false;
            }
        } else if (Average(rows, i, 3) > Average(rows, i, 8)) {
            const CTime day = FeedTimeToCTime(r.feedTime);
            expected.emplace_back(kActionBuy, r.feedTime);
            entryPrice = r.close;
            entryDate = day.GetYear() * 10000 + day.GetMonth() * 100 + day.GetDay();
            open = true;
        }
    }
    ASSERT_GE(expected.size(), 8u);
    EXPECT_TRUE(m_sink.problems.empty()) << (m_sink.problems.empty() ? CString() : m_sink.problems[0]);
    ASSERT_EQ(expected.size(), m_sink.trades.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].first, m_sink.trades[i]->m_nAction) << i;
        EXPECT_EQ(DateOf(expected[i].second), DateOf(m_sink.trades[i]->m_nTime)) << i;
    }
}

TEST_F(BackTestWorker, IntraBarTestingFillsInsideTheDayAndKeepsPaceOverAMissingDay)
{
    // Hourly bars (9:30 to 15:30) of weekdays from 2026-01-05 to 01-30, none on 01-21;
    // daily bars of every weekday, closing at the day's last hourly close.
    struct Hour {
        DWORD time;
        double close;
        int day;  // index into the daily rows
    };
    const double shape[7] = {0.0, 0.6, 1.7, 0.9, -0.8, -1.3, 0.3};
    std::vector<CHistoryRow> daily;
    std::vector<CHistoryRow> hourly;
    std::vector<Hour> hours;
    int k = 0;
    for (int d = 5; d <= 30; ++d) {
        const CTime day(2026, 1, d, 0, 0, 0);
        if (!IsWeekday(day))
            continue;
        const double base = std::round((100 + 1.5 * std::sin(k / 2.0)) * 10) / 10;
        double high = base, low = base;
        for (int h = 0; h < 7; ++h) {
            const double close = base + shape[h];
            high = std::max(high, close);
            low = std::min(low, close);
            if (d == 21)
                continue;
            const DWORD t = Feed(2026, 1, d, 9 + h, 30);
            hourly.push_back({t, close, close + 0.05, close - 0.05, close, 1000.0});
            hours.push_back({t, close, static_cast<int>(daily.size())});
        }
        daily.push_back(Row(day, base, high, low, base + shape[6]));
        ++k;
    }
    m_services.SetSource([&](const CString&, const CString& interval, DWORD, DWORD) {
        return std::atoi(interval) == 0 ? daily : hourly;
    });
    m_services.SetQuote("IBM");
    auto job = Job("IBM", Feed(2026, 1, 12), Feed(2026, 1, 30, 23, 59, 58));
    job->m_nIntraday = 1;
    job->m_nMinuteBars = 60;
    job->AddStrategy(Strategy("Hourly", "Bar[Close,D]>Bar[Close,D,1]+1.01", "Bar[Close,D]<Bar[Close,D,1]-0.49"));
    Run(job);

    // Plainly: the day's bar stands at the hour's close; yesterday is the daily bar before.
    std::vector<std::pair<DWORD, double>> expected;
    bool open = false;
    for (const Hour& h : hours) {
        if (h.time < job->m_startTime)
            continue;
        const double yesterday = daily[static_cast<size_t>(h.day - 1)].close;
        if (!open ? h.close > yesterday + 1.01 : h.close < yesterday - 0.49) {
            expected.emplace_back(h.time, h.close);
            open = !open;
        }
    }
    ASSERT_GE(expected.size(), 4u);
    EXPECT_TRUE(m_sink.problems.empty()) << (m_sink.problems.empty() ? CString() : m_sink.problems[0]);
    ASSERT_EQ(expected.size(), m_sink.trades.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].first, static_cast<DWORD>(m_sink.trades[i]->m_nTime)) << i;
        EXPECT_DOUBLE_EQ(expected[i].second, m_sink.trades[i]->m_price) << i;
    }
}

TEST_F(BackTestWorker, IntraBarTestingReadsTheDailyBarAsItStoodAtTheMinute)
{
    // One-minute bars of 2026-01-05 to 01-09, 9:30 to 15:59. On 01-08 the close climbs by
    // 0.125 a minute from 100 at 9:30 (103.75 at 10:00, 148.625 at 15:59), highs 0.0625
    // above it; the other days stand at 100. Daily bars are made from the minutes.
    AnswerMinutesAndTheirDays([](int d, int k) {
        const double close = d == 8 ? 100 + 0.125 * k : 100;
        return std::pair(close, close - 0.0625);
    });
    m_services.SetQuote("IBM");
    auto job = Job("IBM", Feed(2026, 1, 8), Feed(2026, 1, 8, 23, 59, 58));
    job->m_nIntraday = 1;
    job->m_nMinuteBars = 1;
    // By hand, reading the day as it stood at each minute: the close first passes 100 at
    // 9:31 (100.125), first passes 103.75 at 10:01 (103.875); the high first reaches 110 at
    // 10:50 (close 110). Seeing the day's final close (148.625) would enter at 9:30 or 10:00.
    job->AddStrategy(Strategy("Open", "Bar[Close,D]>100", "Bar[High,D]>=110"));
    job->AddStrategy(Strategy("Ten", "Bar[Close,D]>103.75", "Bar[High,D]>=110"));
    Run(job);

    EXPECT_TRUE(m_sink.problems.empty()) << (m_sink.problems.empty() ? CString() : m_sink.problems[0]);
    auto fills = FillsByStrategy();
    const std::vector<std::pair<DWORD, double>> open = {{Feed(2026, 1, 8, 9, 31), 100.125},
                                                        {Feed(2026, 1, 8, 10, 50), 110.0}};
    const std::vector<std::pair<DWORD, double>> ten = {{Feed(2026, 1, 8, 10, 1), 103.875},
                                                       {Feed(2026, 1, 8, 10, 50), 110.0}};
    // Past 10:50 both enter and leave again every other minute; the first round trip tells.
    for (auto& [name, list] : fills)
        list.resize(std::min<size_t>(list.size(), 2));
    EXPECT_EQ(open, fills["Open"]);
    EXPECT_EQ(ten, fills["Ten"]);
}

TEST_F(BackTestWorker, IntraBarTestingReadsTheFirstTestDayAsItStoodAtItsFirstMinute)
{
    // One-minute bars of 2026-01-05 to 01-09, 9:30 to 15:59, all at 100 except the last
    // minute of 01-07 (the first test day), which closes at 101, and its 11:30 minute, whose
    // low dips to 99. Daily bars from the minutes.
    AnswerMinutesAndTheirDays([](int d, int k) {
        const double close = d == 7 && k == 389 ? 101 : 100;
        return std::pair(close, d == 7 && k == 120 ? 99 : close - 0.0625);
    });
    m_services.SetQuote("IBM");
    auto job = Job("IBM", Feed(2026, 1, 7), Feed(2026, 1, 9, 23, 59, 58));
    job->m_nIntraday = 1;
    job->m_nMinuteBars = 1;
    // By hand: the day's close is above 100 only at 15:59 of 01-07 (101), and its high
    // reaches 100.5 only then; the close falls back to 100 at 9:30 of 01-08. The day's low
    // is under 99.5 from 11:30 of 01-07 on, and back at 99.9375 at 9:30 of 01-08. Reading
    // the whole first day at its first minute would enter at 9:30 of 01-07; reading it
    // from a later minute than its open would miss the dip.
    job->AddStrategy(Strategy("Close", "Bar[Close,D]>100", "Bar[Close,D]<=100"));
    job->AddStrategy(Strategy("High", "Bar[High,D]>100.5", "Bar[High,D]<=100.5"));
    job->AddStrategy(Strategy("Low", "Bar[Low,D]<99.5", "Bar[Low,D]>=99.5"));
    Run(job);

    EXPECT_TRUE(m_sink.problems.empty()) << (m_sink.problems.empty() ? CString() : m_sink.problems[0]);
    auto fills = FillsByStrategy();
    const std::vector<std::pair<DWORD, double>> expected = {{Feed(2026, 1, 7, 15, 59), 101.0},
                                                            {Feed(2026, 1, 8, 9, 30), 100.0}};
    EXPECT_EQ(expected, fills["Close"]);
    EXPECT_EQ(expected, fills["High"]);
    const std::vector<std::pair<DWORD, double>> low = {{Feed(2026, 1, 7, 11, 30), 100.0},
                                                       {Feed(2026, 1, 8, 9, 30), 100.0}};
    EXPECT_EQ(low, fills["Low"]);
}

TEST_F(BackTestWorker, IntraBarTestingReadsEveryInputAtTheTestedHourWhateverItsSymbolsSessions)
{
    // Hourly bars of 2026-01-05 to 01-09 and daily bars from them (closing at the last
    // hour) of three symbols whose sessions differ: IBM's hours run from 9:30 to 15:30;
    // OTH's too, but its market is closed on 01-07; LAT's run from 10:30. IBM's hours close
    // at 900, but at 1005 at 12:30 of 01-07 and 995 at 13:30; at 1020 at 9:30 of 01-08 and
    // 990 at 10:30, 910 the rest of that day; at 910 on 01-09 until 11:30, from which on at
    // 1010. OTH and LAT stand at 50.
    const auto close = [](int d, int h) {
        if (d == 7)
            return h == 3 ? 1005.0 : h == 4 ? 995.0 : 900.0;
        if (d == 8)
            return h == 0 ? 1020.0 : h == 1 ? 990.0 : 910.0;
        if (d == 9)
            return h >= 2 ? 1010.0 : 910.0;
        return 900.0;
    };
    std::map<std::string, std::vector<CHistoryRow>> hourly, daily;
    for (int d = 5; d <= 9; ++d)
        for (const std::string symbol : {"IBM", "OTH", "LAT"}) {
            if (symbol == "OTH" && d == 7)
                continue;
            std::vector<CHistoryRow>& hours = hourly[symbol];
            const size_t first = hours.size();
            double high = 0, low = 1e9, c = 0;
            for (int h = symbol == "LAT" ? 1 : 0; h < 7; ++h) {
                c = symbol == "IBM" ? close(d, h) : 50.0;
                hours.push_back({Feed(2026, 1, d, 9 + h, 30), c, c + 0.05, c - 0.05, c, 1000.0});
                high = std::max(high, c + 0.05);
                low = std::min(low, c - 0.05);
            }
            daily[symbol].push_back({Feed(2026, 1, d), hours[first].open, high, low, c, 1000.0 * (hours.size() - first)});
        }
    m_services.SetSource([hourly, daily](const CString& symbol, const CString& interval, DWORD, DWORD) {
        const auto& rows = std::atoi(interval) == 0 ? daily : hourly;
        const auto it = rows.find(symbol.str());
        return it != rows.end() ? it->second : std::vector<CHistoryRow>();
    });
    CSessionRules closed = m_services.rules;
    closed.specialDays[20260107] = CSpecialDay{};
    m_services.SetRules("OTH", closed);
    CSessionRules late = m_services.rules;
    late.regular = {1, 10 * 60 + 30, 16 * 60};
    m_services.SetRules("LAT", late);
    for (const char* symbol : {"IBM", "OTH", "LAT"})
        m_services.SetQuote(symbol);
    auto job = Job("IBM", Feed(2026, 1, 6), Feed(2026, 1, 9, 23, 59, 58));
    job->m_nIntraday = 1;
    job->m_nMinuteBars = 60;
    // The same test on IBM's day, read alone and after another input: OTH's day (at 01-06
    // through its holiday), LAT's (the day before until it opens), IBM's yesterday (whole).
    job->AddStrategy(Strategy("Own", "Bar[Close,D]>1000", "Bar[Close,D]<1000"));
    job->AddStrategy(Strategy("Holiday first", "0*Bar[Close,D,0,OTH]+(Bar[Close,D]>1000)",
                              "0*Bar[Close,D,0,OTH]+(Bar[Close,D]<1000)"));
    job->AddStrategy(Strategy("Late opener first", "0*Bar[Close,D,0,LAT]+(Bar[Close,D]>1000)",
                              "0*Bar[Close,D,0,LAT]+(Bar[Close,D]<1000)"));
    job->AddStrategy(Strategy("Yesterday first", "0*Bar[Close,D,1]+(Bar[Close,D]>1000)",
                              "0*Bar[Close,D,1]+(Bar[Close,D]<1000)"));
    job->AddStrategy(Strategy("Hourly", "Bar[Close,60]>1000", "Bar[Close,60]<1000"));
    Run(job);

    // By hand: IBM's day as it stood at an hour closes at that hour's close. Above 1000 at
    // 12:30 of 01-07 (1005), under it at 13:30 (995); above it at 9:30 of 01-08 (1020),
    // under it at 10:30 (990); above it again at 11:30 of 01-09 (1010), held to the end.
    EXPECT_TRUE(m_sink.problems.empty()) << (m_sink.problems.empty() ? CString() : m_sink.problems[0]);
    auto fills = FillsByStrategy();
    const std::vector<std::pair<DWORD, double>> expected = {
        {Feed(2026, 1, 7, 12, 30), 1005.0}, {Feed(2026, 1, 7, 13, 30), 995.0}, {Feed(2026, 1, 8, 9, 30), 1020.0},
        {Feed(2026, 1, 8, 10, 30), 990.0},  {Feed(2026, 1, 9, 11, 30), 1010.0}};
    EXPECT_EQ(expected, fills["Own"]);
    EXPECT_EQ(expected, fills["Holiday first"]);
    EXPECT_EQ(expected, fills["Late opener first"]);
    EXPECT_EQ(expected, fills["Yesterday first"]);
    EXPECT_EQ(expected, fills["Hourly"]);
}

TEST_F(BackTestWorker, TrailingStopAndForcedExitWorkedByHand)
{
    std::vector<CHistoryRow> rows;
    for (int d = 5; d <= 30; ++d)
        if (IsWeekday(CTime(2026, 1, d, 0, 0, 0)))
            rows.push_back(Row(CTime(2026, 1, d, 0, 0, 0), 100, 100, 100, 100));
    // From Monday 2/2: the stop is 5 % under the highest high since the entry.
    const double bars[][4] = {
        {100, 100, 100, 100},  // 2/2 buy at the close, 100
        {99, 110, 98, 104},    // 2/3 the high lifts the stop to 104.5, over the close: out at 104.5
        {100, 100, 100, 100},  // 2/4 buy, 100
        {97, 98, 95, 96},      // 2/5 the low reaches the stop, 95: out at 95
        {100, 100, 100, 100},  // 2/6 buy, 100
        {94, 96, 93, 95},      // 2/9 opens under the stop: out at the open, 94
        {100, 100, 100, 100},  // 2/10 buy, 100
        {100, 101, 99.5, 100.5},  // 2/11 stop 95.95, not reached
        {100, 100, 99, 99.5},  // 2/12 the last bar: out at its close, 99.5
    };
    CTime day(2026, 2, 2, 0, 0, 0);
    for (const auto& b : bars) {
        while (!IsWeekday(day))
            day = day + CTimeSpan(1, 0, 0, 0);
        rows.push_back(Row(day, b[0], b[1], b[2], b[3]));
        day = day + CTimeSpan(1, 0, 0, 0);
    }
    m_services.SetRows("IBM", rows);
    auto job = Job("IBM", Feed(2026, 2, 2), Feed(2026, 2, 12, 23, 59, 58));
    job->m_comission = 0;
    job->m_nTStop = 1;
    job->m_nTStopType = 1;
    job->m_tStopParam = 5;
    job->m_nExitAtEnd = 1;
    CStrategyDefinition s = Strategy("Stop", "Bar[Close,D]>0", "Bar[Close,D]<0");
    s.m_entryFlag = kAmountFlag;
    s.m_nEntryQuantity = 10000;
    job->AddStrategy(s);
    // An exit formula that never evaluates (a division by zero) leaves the stop working.
    s.m_name = "Stop, exit failing";
    s.m_exitExpression = "Bar[Close,D]/0>1";
    job->AddStrategy(s);
    Run(job);
    ASSERT_EQ(16u, m_sink.trades.size());
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(m_sink.trades[i]->m_nAction, m_sink.trades[i + 8]->m_nAction) << i;
        EXPECT_EQ(m_sink.trades[i]->m_price, m_sink.trades[i + 8]->m_price) << i;
        EXPECT_EQ(CString("Stop, exit failing"), m_sink.trades[i + 8]->m_strategy);
    }
    m_sink.trades.resize(8);
    m_sink.groups.resize(1);

    const std::vector<std::pair<int, double>> expected = {{kActionBuy, 100},  {kActionSell, 104.5}, {kActionBuy, 100},
                                                          {kActionSell, 95},  {kActionBuy, 100},    {kActionSell, 94},
                                                          {kActionBuy, 100},  {kActionSell, 99.5}};
    ASSERT_EQ(expected.size(), m_sink.trades.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].first, m_sink.trades[i]->m_nAction) << i;
        EXPECT_DOUBLE_EQ(expected[i].second, m_sink.trades[i]->m_price) << i;
        EXPECT_EQ(100, m_sink.trades[i]->m_nQuantity) << i;  // $10,000 at 100
    }
    EXPECT_EQ(CString("104.50"), m_sink.trades[1]->GetPriceText());
    EXPECT_EQ(20260212, DateOf(m_sink.trades.back()->m_nTime));
    EXPECT_EQ(101, m_sink.trades.back()->m_highPrice);
    EXPECT_EQ(99, m_sink.trades.back()->m_lowPrice);
    ASSERT_EQ(1u, m_sink.groups.size());
    EXPECT_EQ(100, m_sink.groups[0]->m_startPrice);
    EXPECT_EQ(99.5, m_sink.groups[0]->m_endPrice);
}

TEST_F(BackTestWorker, PortfolioDropsWhatTheCapitalCannotPay)
{
    std::vector<CHistoryRow> rows;
    for (int d = 5; d <= 30; ++d)
        if (IsWeekday(CTime(2026, 1, d, 0, 0, 0)))
            rows.push_back(Row(CTime(2026, 1, d, 0, 0, 0), 100, 100, 100, d % 2 ? 102 : 100));
    m_services.SetRows("IBM", rows);
    m_services.SetRows("MSFT", rows);
    auto job = Job("IBM MSFT", Feed(2026, 1, 12), Feed(2026, 1, 16, 23, 59, 58));
    job->m_comission = 0;
    job->m_nPortfolio = 1;
    job->m_capital = 1000;
    CStrategyDefinition s = Strategy("Swing", "Bar[Close,D]>0", "Bar[Close,D]>101");
    s.m_entryFlag = kAmountFlag;
    s.m_nEntryQuantity = 800;
    job->AddStrategy(s);
    Run(job);

    // 1/12 (close 100) both enter for 800: only IBM, the first symbol, is paid; 1/13 (102)
    // both exit: only IBM holds. 1/14 in, 1/15 out, 1/16 in again.
    ASSERT_EQ(5u, m_sink.trades.size());
    for (const auto& t : m_sink.trades)
        EXPECT_EQ(CString("IBM"), t->m_symbol);
    EXPECT_EQ(kActionBuy, m_sink.trades[0]->m_nAction);
    EXPECT_EQ(8, m_sink.trades[0]->m_nQuantity);
    EXPECT_EQ(kActionSell, m_sink.trades[1]->m_nAction);
    EXPECT_EQ(20260116, DateOf(m_sink.trades[4]->m_nTime));
    // Groups come after the trades, in pair order, with a progress note per pair.
    ASSERT_EQ(2u, m_sink.groups.size());
    EXPECT_EQ(CString("IBM"), m_sink.groups[0]->m_symbol);
    EXPECT_EQ(CString("MSFT"), m_sink.groups[1]->m_symbol);
    EXPECT_EQ(std::vector<std::string>({"trade", "trade", "trade", "trade", "trade", "group", "group"}), m_sink.order);
    EXPECT_EQ(2, m_sink.progress.load());
}

TEST_F(BackTestWorker, SizesThatBuyNothingOpenNoTradeAndMinusOneIsASignal)
{
    m_services.SetRows("IBM", WaveRows());
    auto job = Job("IBM", Feed(2026, 1, 5), Feed(2026, 1, 30, 23, 59, 58));
    CStrategyDefinition none = Strategy("None", "Bar[Close,D]>0", "Bar[Close,D]<0");
    none.m_nEntryQuantity = 0;
    CStrategyDefinition negative = Strategy("Negative", "Bar[Close,D]>0", "Bar[Close,D]<0");
    negative.m_nEntryQuantity = -100;
    CStrategyDefinition small = Strategy("Small", "Bar[Close,D]>0", "Bar[Close,D]<0");
    small.m_entryFlag = kAmountFlag;
    small.m_nEntryQuantity = 50;  // below a price of about 100
    CStrategyDefinition some = Strategy("Some", "Bar[Close,D]>0", "Bar[Close,D]<0");
    some.m_entryFlag = kAmountFlag;
    some.m_nEntryQuantity = 1000;
    // A result of -1 is a signal like 1.
    CStrategyDefinition minusOne = Strategy("Minus one", "Bar[Close,D]*0-1", "Bar[Close,D]<0");
    for (const auto& s : {none, negative, small, some, minusOne})
        job->AddStrategy(s);
    Run(job);
    ASSERT_EQ(2u, m_sink.trades.size());
    EXPECT_EQ(CString("Some"), m_sink.trades[0]->m_strategy);
    EXPECT_EQ(static_cast<int>(1000 / m_sink.trades[0]->m_price), m_sink.trades[0]->m_nQuantity);
    EXPECT_EQ(CString("Minus one"), m_sink.trades[1]->m_strategy);
    EXPECT_EQ(kActionBuy, m_sink.trades[1]->m_nAction);
    EXPECT_EQ(5u, m_sink.groups.size());
}

TEST_F(BackTestWorker, FormulaThatDoesNotCompileIsToldOnceAndSkipped)
{
    m_services.SetRows("IBM", WaveRows());
    m_services.SetRows("MSFT", WaveRows(3));
    auto job = Job("IBM MSFT", Feed(2026, 1, 5), Feed(2026, 1, 30, 23, 59, 58));
    job->AddStrategy(Strategy("Broken", "Bar[Close,D] >>> 1", "Bar[Close,D]<0"));
    job->AddStrategy(Strategy("Good", "Bar[Close,D]>0", "Bar[Close,D]<0"));
    job->AddStrategy(Strategy("Good", "Bar[Close,D]>0", "Bar[Close,D]<0"));  // a second of the same name
    Run(job);
    ASSERT_EQ(1u, m_sink.problems.size());
    EXPECT_EQ(0, m_sink.problems[0].Find("Strategy \"Broken\": the entry formula does not compile"));
    // Same-named strategies are kept apart.
    std::set<std::string> names;
    for (const auto& g : m_sink.groups)
        names.insert((g->m_symbol + "/" + g->m_strategy).str());
    EXPECT_EQ(std::set<std::string>({"IBM/Good", "IBM/Good (2)", "MSFT/Good", "MSFT/Good (2)"}), names);
    EXPECT_EQ(4u, m_sink.trades.size());
}

TEST_F(BackTestWorker, CancelWhileHistoryIsLoadingEndsTheRun)
{
    m_services.SetRows("IBM", WaveRows());
    m_services.Hold(true);
    auto job = Job("IBM", Feed(2026, 1, 5), Feed(2026, 1, 30, 23, 59, 58));
    job->m_nPortfolio = 1;
    job->m_capital = 1000;
    job->AddStrategy(Strategy("Cross", "Bar[Close,D]>0", "Bar[Close,D]<0"));
    ASSERT_TRUE(StartBackTest(m_context, job));
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(m_context.IsRunning());
    const auto start = std::chrono::steady_clock::now();
    CancelBackTest(m_context);
    const auto took = std::chrono::steady_clock::now() - start;
    std::cout << "cancel took " << std::chrono::duration_cast<std::chrono::microseconds>(took).count() << " us\n";
    EXPECT_LT(took, 2s);
    EXPECT_TRUE(m_sink.ended);
    EXPECT_TRUE(m_sink.started);
    EXPECT_TRUE(m_sink.trades.empty());
    EXPECT_TRUE(m_sink.groups.empty());
    EXPECT_FALSE(m_context.IsRunning());
    m_services.Hold(false);
}

TEST_F(BackTestWorker, AFailedHistoryDownloadIsToldAndShowsNoResults)
{
    // Weekdays of January 2026 closing at 102 on odd days and 100 on even ones.
    std::vector<CHistoryRow> rows;
    for (int d = 5; d <= 30; ++d)
        if (IsWeekday(CTime(2026, 1, d, 0, 0, 0))) {
            const double close = d % 2 ? 102 : 100;
            rows.push_back(Row(CTime(2026, 1, d, 0, 0, 0), close, close, close, close));
        }
    m_services.SetRows("IBM", rows);
    m_services.SetRows("MSFT", rows);
    const auto job = [&](const char* symbols, int portfolio) {
        auto j = Job(symbols, Feed(2026, 1, 6), Feed(2026, 1, 21, 23, 59, 58));
        j->m_nPortfolio = portfolio;
        j->m_capital = 100000;
        j->AddStrategy(Strategy("Swing", "Bar[Close,D]<101", "Bar[Close,D]>101"));
        return j;
    };

    // Whole: in at 100 on 1/6, 1/8, 1/12, 1/14, 1/16 and 1/20, out at 102 the next weekday.
    {
        CRecordingSink sink;
        RunApart(job("IBM", 0), sink);
        const std::vector<int> days = {20260106, 20260107, 20260108, 20260109, 20260112, 20260113,
                                       20260114, 20260115, 20260116, 20260119, 20260120, 20260121};
        ASSERT_EQ(days.size(), sink.trades.size());
        for (size_t i = 0; i < days.size(); ++i) {
            EXPECT_EQ(days[i], DateOf(sink.trades[i]->m_nTime)) << i;
            EXPECT_EQ(i % 2 ? kActionSell : kActionBuy, sink.trades[i]->m_nAction) << i;
            EXPECT_EQ(i % 2 ? 102 : 100, sink.trades[i]->m_price) << i;
        }
        EXPECT_EQ(1u, sink.groups.size());
        EXPECT_TRUE(sink.problems.empty());
    }

    // The first download fails (the test bars' or the formulas', whichever is asked first),
    // or every one does: the run says which history is missing and shows nothing.
    for (int failing : {1, 1000}) {
        SCOPED_TRACE(failing);
        CRecordingSink sink;
        m_services.FailDownloads("IBM", 1, failing);
        RunApart(job("IBM", 0), sink);
        EXPECT_TRUE(sink.trades.empty());
        EXPECT_TRUE(sink.groups.empty());
        EXPECT_EQ(std::vector<CString>{"Strategy \"Swing\" on IBM was not tested: the price history of IBM from "
                                       "1/6/2026 to 1/21/2026 could not be loaded."},
                  sink.problems);
        m_services.FailDownloads("IBM", 1, 0);
    }

    // In a portfolio the capital passes through every pair: one missing leaves none shown.
    {
        CRecordingSink sink;
        m_services.FailDownloads("MSFT", 1, 1);
        RunApart(job("IBM MSFT", 1), sink);
        EXPECT_TRUE(sink.trades.empty());
        EXPECT_TRUE(sink.groups.empty());
        EXPECT_EQ((std::vector<CString>{"Strategy \"Swing\" on MSFT was not tested: the price history of MSFT from "
                                        "1/6/2026 to 1/21/2026 could not be loaded.",
                                        "No portfolio results are shown: price history the test needs could not be "
                                        "loaded."}),
                  sink.problems);
    }
}

TEST_F(BackTestWorker, APastDatedTestKeepsItsLastDayWithoutHistoryEmptyOfTodaysQuote)
{
    // Weekdays to Friday 2/13/2026; Monday 2/16 was a holiday and has no row. Today is 3/4,
    // and its quote is far off the history's prices.
    const std::map<int, double> closes = {{9, 100}, {10, 102}, {11, 100}, {12, 100}, {13, 100}};
    std::vector<CHistoryRow> rows;
    for (CTime day(2026, 1, 5, 0, 0, 0); day < CTime(2026, 2, 14, 0, 0, 0); day = day + CTimeSpan(1, 0, 0, 0))
        if (IsWeekday(day)) {
            const auto it = closes.find(day.GetMonth() == 2 ? day.GetDay() : 0);
            const double close = it != closes.end() ? it->second : 100;
            rows.push_back(Row(day, close, close, close, close));
        }
    m_services.SetRows("IBM", rows);
    {
        std::lock_guard<std::mutex> g(m_services.lock);
        CSeriesQuote& quote = m_services.quotes["IBM"];
        quote.open = 240;
        quote.high = 260;
        quote.low = 230;
        quote.last = 250;
        quote.volume = 5000;
    }
    auto job = Job("IBM", Feed(2026, 2, 9), Feed(2026, 2, 16, 23, 59, 58));
    job->AddStrategy(Strategy("Breakout", "Bar[Close,D]>101", "Bar[Close,D]<101"));
    job->AddStrategy(Strategy("Hold", "Bar[Close,D]>0", "Bar[Close,D]>200"));
    Run(job);

    // Breakout: in at 102 on 2/10, out at 100 on 2/11, nothing after. Hold: in at 100 on 2/9
    // and still in. Both groups run from 100 on 2/9 to 100 on 2/13: a buy and hold of 0 %.
    const std::vector<std::tuple<std::string, int, int, double>> expected = {
        {"Breakout", kActionBuy, 20260210, 102}, {"Breakout", kActionSell, 20260211, 100}, {"Hold", kActionBuy, 20260209, 100}};
    std::vector<std::tuple<std::string, int, int, double>> fills;
    for (const auto& t : m_sink.trades)
        fills.emplace_back(t->m_strategy.str(), t->m_nAction, DateOf(t->m_nTime), t->m_price);
    EXPECT_EQ(expected, fills);
    ASSERT_EQ(2u, m_sink.groups.size());
    for (const auto& group : m_sink.groups) {
        EXPECT_EQ(100, group->m_startPrice);
        EXPECT_EQ(100, group->m_endPrice);
        std::vector<std::unique_ptr<BackTestEntry>> list;
        for (const auto& t : m_sink.trades)
            if (t->m_strategy == group->m_strategy)
                list.push_back(std::make_unique<BackTestEntry>(*t));
        EXPECT_EQ(0, ComputeSummary(list, *group).GetBuyHoldReturn()) << group->m_strategy.GetString();
    }
}

namespace {

// The local zone for one test; a clock change moved to a Wednesday falls on a day with
// bars.
class CZoneForTest {
public:
    explicit CZoneForTest(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~CZoneForTest()
    {
        setenv("TZ", m_old.empty() ? "UTC" : m_old.c_str(), 1);
        tzset();
    }

private:
    std::string m_old;
};

// One-minute session bars (9:30 to 16:00 on weekdays) from `from` to `to`, naive seconds.
std::vector<int64_t> SessionMinutes(int64_t from, int64_t to)
{
    std::vector<int64_t> minutes;
    for (int64_t day = from / 86400; day <= to / 86400; ++day) {
        const int weekday = static_cast<int>((day + 4) % 7);  // 1970-01-01 was a Thursday
        if (weekday == 0 || weekday == 6)
            continue;
        for (int64_t t = day * 86400 + 9 * 3600 + 30 * 60; t < day * 86400 + 16 * 3600; t += 60)
            if (t >= from && t <= to)
                minutes.push_back(t);
    }
    return minutes;
}

// Weekdays before a day (days since 1970-01-01, a Thursday).
int64_t WeekdaysBefore(int64_t day)
{
    int64_t n = day / 7 * 5;
    for (int64_t d = day / 7 * 7; d < day; ++d)
        n += (d + 4) % 7 != 0 && (d + 4) % 7 != 6;
    return n;
}

// A slow wave over the session minutes in 64ths (sums of them are exact), with a ripple:
// positions held from a few bars to about two thousand.
double SlowWave(int64_t t)
{
    const double n = static_cast<double>(WeekdaysBefore(t / 86400) * 390 + (t % 86400 - 34200) / 60);
    return std::round((100 + 40 * std::sin(n / 900.0) + 0.3 * std::sin(n / 13.0)) * 64) / 64;
}

} // namespace

TEST_F(BackTestWorker, LongMinuteWalkAcrossAClockChangeMatchesAPlainImplementation)
{
    CZoneForTest zone("EST5EDT,M2.1.3,M11.1.3");
    // The minutes of each answered request.
    std::mutex askedLock;
    std::vector<size_t> asked;
    m_services.SetSource([&](const CString&, const CString&, DWORD start, DWORD end) {
        {
            std::lock_guard<std::mutex> g(askedLock);
            asked.push_back(SessionMinutes(FeedTimeToNaiveSeconds(start), FeedTimeToNaiveSeconds(end)).size());
        }
        std::vector<CHistoryRow> rows;
        for (int64_t t : SessionMinutes(FeedTimeToNaiveSeconds(start), FeedTimeToNaiveSeconds(end))) {
            const double close = SlowWave(t);
            rows.push_back({NaiveSecondsToFeedTime(t), close, close + 0.125, close - 0.125, close, 1000.0});
        }
        return rows;
    });
    m_services.SetQuote("IBM");
    // 2026-01-19 to 2026-03-03: 32 sessions; the clock moves on Wednesday 2026-02-04, a day
    // with trades.
    auto job = Job("IBM", Feed(2026, 1, 19), Feed(2026, 3, 3, 16, 0, 0));
    job->m_comission = 0;
    CStrategyDefinition s = Strategy("Cross", "MovingAverage[MA,Close,5,0,1]>MovingAverage[MA,Close,20,0,1]",
                                     "MovingAverage[MA,Close,5,0,1]<MovingAverage[MA,Close,20,0,1]");
    s.m_interval = "1";
    job->AddStrategy(s);
    Run(job);
    ASSERT_TRUE(m_sink.problems.empty()) << m_sink.problems.front().GetString();

    // The same plainly, over the bars' own feed times; 19 bars before the start warm up.
    const int64_t from = FeedTimeToNaiveSeconds(job->m_startTime), to = FeedTimeToNaiveSeconds(job->m_endTime);
    std::vector<int64_t> minutes = SessionMinutes(from - 7 * 86400, to);
    const size_t first = static_cast<size_t>(std::lower_bound(minutes.begin(), minutes.end(), from) - minutes.begin());
    std::vector<PlainFill> expected;
    bool open = false;
    double sum5 = 0, sum20 = 0;
    for (size_t i = 0; i < minutes.size(); ++i) {
        const double close = SlowWave(minutes[i]);
        sum5 += close - (i >= 5 ? SlowWave(minutes[i - 5]) : 0);
        sum20 += close - (i >= 20 ? SlowWave(minutes[i - 20]) : 0);
        if (i < first)
            continue;
        const DWORD time = NaiveSecondsToFeedTime(minutes[i]);
        const double fast = sum5 * (1.0 / 5), slow = sum20 * (1.0 / 20);
        if (open) {
            PlainFill& entry = expected.back();
            if (close + 0.125 > entry.high)
                entry.high = close + 0.125, entry.highTime = time;
            if (close - 0.125 < entry.low)
                entry.low = close - 0.125, entry.lowTime = time;
            if (fast < slow) {
                expected.push_back({kActionSell, time, close, entry.high, entry.low, entry.highTime, entry.lowTime});
                open = false;
            }
        } else if (fast > slow) {
            expected.push_back({kActionBuy, time, close, close, close, time, time});
            open = true;
        }
    }
    ASSERT_EQ(12480u, minutes.size() - first);
    EXPECT_EQ(12480, m_context.m_nBarSteps.load());
    // History is asked once for the test bars and 256 bars ahead of them; the formulas' bars
    // and averages, whose warm-up (6 and 28 bars) lies within those, take them and ask for
    // nothing. Before, one bar to count them by, whose request the layout drops when it
    // comes first.
    {
        std::lock_guard<std::mutex> g(askedLock);
        std::erase(asked, 1u);
        EXPECT_EQ(std::vector<size_t>{12480u + 256u}, asked);
    }
    // Long holds: some position is held over more than 1,500 bars.
    size_t longest = 0;
    for (size_t i = 1; i < expected.size(); i += 2) {
        const auto at = [&](DWORD t) { return std::lower_bound(minutes.begin(), minutes.end(), FeedTimeToNaiveSeconds(t)); };
        longest = std::max(longest, static_cast<size_t>(at(expected[i].time) - at(expected[i - 1].time)));
    }
    EXPECT_GT(longest, 1500u);
    ASSERT_GE(expected.size(), 20u);
    ASSERT_EQ(expected.size(), m_sink.trades.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const BackTestEntry& e = *m_sink.trades[i];
        EXPECT_EQ(expected[i].action, e.m_nAction) << i;
        EXPECT_EQ(expected[i].time, static_cast<DWORD>(e.m_nTime)) << i;
        EXPECT_EQ(expected[i].price, e.m_price) << i;
        if (e.m_nAction == kActionSell) {
            EXPECT_EQ(expected[i].high, e.m_highPrice) << i;
            EXPECT_EQ(expected[i].low, e.m_lowPrice) << i;
            EXPECT_EQ(expected[i].highTime, static_cast<DWORD>(e.m_nHighDate)) << i;
            EXPECT_EQ(expected[i].lowTime, static_cast<DWORD>(e.m_nLowDate)) << i;
        }
    }
    ASSERT_EQ(1u, m_sink.groups.size());
    EXPECT_EQ(SlowWave(minutes[first]), m_sink.groups[0]->m_startPrice);
    EXPECT_EQ(SlowWave(minutes.back()), m_sink.groups[0]->m_endPrice);
}
