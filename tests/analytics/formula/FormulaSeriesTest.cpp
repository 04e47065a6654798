// Formulas over bar series without a broker: input sharing and request keys, inputs shared
// between formulas, a strategy's chart source handed to their share, a moving-average crossover on daily bars checked against a plain
// computation, and the formula series' ring cache.
#include "FormulaTestSupport.h"
#include "../FakeSeriesServices.h"

#include "analytics/formula/CFormulaInputShare.h"
#include "analytics/formula/CFormulaSeries.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesRegistry.h"
#include "analytics/series/CStudySource.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/studies/StudyTable.h"
#include "broker/session/SessionMessages.h"

#include <cmath>
#include <map>
#include <set>

namespace {

// Weekday closes from 2025-09-01 to 2026-03-03, a wave that crosses its averages often.
struct DailyData {
    std::vector<CHistoryRow> rows;
    std::map<int, double> closeByDate; // yyyymmdd
};

int DateNumber(CTime t)
{
    return t.GetYear() * 10000 + t.GetMonth() * 100 + t.GetDay();
}

DailyData MakeDaily()
{
    DailyData data;
    int k = 0;
    for (CTime day(2025, 9, 1, 0, 0, 0); day < CTime(2026, 3, 4, 0, 0, 0); day = day + CTimeSpan(1, 0, 0, 0)) {
        const int weekday = day.GetDayOfWeek();
        if (weekday == 1 || weekday == 7)
            continue;
        const double close = std::round((100 + 8 * std::sin(k / 5.0) + 3 * std::sin(k / 1.7)) * 100) / 100;
        ++k;
        CHistoryRow row;
        row.feedTime = CTimeToFeedTime(day);
        row.open = close - 0.5;
        row.high = close + 1;
        row.low = close - 1;
        row.close = close;
        row.volume = 1000 + k;
        data.rows.push_back(row);
        data.closeByDate[DateNumber(day)] = close;
    }
    return data;
}

double Average(const std::map<int, double>& closes, int date, int length)
{
    auto it = closes.find(date);
    double sum = 0;
    for (int i = 0; i < length; ++i, --it) {
        sum += it->second;
        if (it == closes.begin() && i + 1 < length)
            return NAN;
    }
    return sum / length;
}

// Evaluates both formulas over their bars: the same bars valid and the same values there;
// `trues` counts the bars where they are above zero.
void ExpectSameRange(CFormula& shared, CFormula& own, int bars, int& trues)
{
    std::vector<double> sharedValues(bars), ownValues(bars);
    std::vector<BYTE> sharedValid(bars), ownValid(bars);
    shared.EvaluateRange(0, bars, -1, sharedValues.data(), sharedValid.data());
    own.EvaluateRange(0, bars, -1, ownValues.data(), ownValid.data());
    trues = 0;
    for (int k = 0; k < bars; ++k) {
        ASSERT_EQ(ownValid[k], sharedValid[k]) << k;
        if (ownValid[k]) {
            EXPECT_EQ(ownValues[k], sharedValues[k]) << k;
        }
        trues += ownValid[k] && ownValues[k] > 0;
    }
}

class FormulaSeries : public ::testing::Test {
protected:
    FormulaSeries()
    {
        CSeriesQuote quote;
        quote.pending = false;
        quote.exchange = "NYSE";
        quote.open = quote.high = quote.low = quote.last = 100;
        quote.volume = 10;
        quote.tradeFeedTime = CTimeToFeedTime(CTime(2026, 3, 4, 12, 0, 0));
        m_services.quotes["IBM"] = quote;
        m_services.quotes["MSFT"] = quote;
        m_data.closeByDate[20260304] = 100;
    }

    // Answers every history request made so far with the daily rows.
    void AnswerHistory()
    {
        std::vector<FakeSeriesServices::Request> requests;
        {
            std::lock_guard<std::mutex> g(m_services.lock);
            requests.swap(m_services.requests);
        }
        for (const auto& request : requests)
            request.series->OnDailyHistory(m_data.rows);
    }

    FakeSeriesServices m_services;
    CRunningEngine m_engine;
    DailyData m_data = MakeDaily();
};

} // namespace

TEST_F(FormulaSeries, InputsAreSharedByKeyAndOffset)
{
    std::vector<CFormulaSeriesItem*> items;
    auto two = MakeFormula("Bar[Close,D,1]>Bar[Close,D]", 3, "IBM", nullptr, "", 1, 0);
    ASSERT_TRUE(two->IsResolved());
    two->GetSeriesInputs(items);
    ASSERT_EQ(2u, items.size());
    EXPECT_NE(items[0]->m_pInput, items[1]->m_pInput);

    auto one = MakeFormula("Bar[Close,D]>Bar[Open,D]", 3, "IBM", nullptr, "", 1, 0);
    one->GetSeriesInputs(items);
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(items[0]->m_pInput, items[1]->m_pInput);
    EXPECT_EQ(CString("IBM"), items[0]->m_pInput->GetBaseSeries()->GetSymbol());
    EXPECT_EQ(CString("D"), items[0]->m_pInput->GetBaseSeries()->GetInterval());

    // The output name stands for EMA in the key; the last parameter is the interval.
    auto dema = MakeFormula("ExpMovingAverage[DEMA,Close,10,0,D]>Bar[Close,W,0,IBM]", 3, "msft", nullptr, "", 1, 0);
    dema->GetSeriesInputs(items);
    ASSERT_EQ(2u, items.size());
    const CPriceSeries* study = items[0]->m_pInput->GetBaseSeries();
    EXPECT_EQ(studies::kDEMA, study->GetStudyType());
    EXPECT_EQ(CString("MSFT"), study->GetSymbol());
    EXPECT_EQ(CString("D"), study->GetInterval());
    EXPECT_EQ(CString("IBM"), items[1]->m_pInput->GetBaseSeries()->GetSymbol());
    EXPECT_EQ(CString("W"), items[1]->m_pInput->GetBaseSeries()->GetInterval());
}

TEST_F(FormulaSeries, AFormulaCountsTheDataResetsOfEverySeriesItReads)
{
    auto formula = MakeFormula("Bar[Close,D]>Bar[Close,W,0,MSFT]", 3, "IBM", nullptr, "D", 10, 1);
    ASSERT_TRUE(formula->IsResolved());
    AnswerHistory();
    ASSERT_TRUE(WaitUntil([&] { return !formula->IsWaitingForData(); }, std::chrono::seconds(5)));
    std::vector<CFormulaSeriesItem*> items;
    formula->GetSeriesInputs(items);
    ASSERT_EQ(2u, items.size());
    const int resets = formula->GetDataResets();
    // Each series is laid out once; then the stream comes back and one of them is filled anew.
    EXPECT_EQ(items[0]->m_pInput->GetBaseSeries()->GetDataResets() +
                  items[1]->m_pInput->GetBaseSeries()->GetDataResets(),
              resets);
    EXPECT_GE(resets, 2);
    items[1]->m_pInput->GetBaseSeries()->OnStreamRestored();
    EXPECT_EQ(resets + 1, formula->GetDataResets());
}

TEST_F(FormulaSeries, MovingAverageCrossoverOnDailyBars)
{
    const char* text = "MovingAverage[MA,Close,5,0,D]>MovingAverage[MA,Close,20,0,D] AND "
                       "MovingAverage[MA,Close,5,0,D,1]<=MovingAverage[MA,Close,20,0,D,1]";
    const int bars = 60;
    CFormula formula(text, 3, bars, 0);
    CString error;
    ASSERT_TRUE(formula.Parse(error)) << error.GetString();
    ASSERT_TRUE(formula.Subscribe("IBM", 0, nullptr, nullptr, "D", 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return formula.IsResolved(); }));
    EXPECT_TRUE(formula.IsWaitingForData());
    AnswerHistory();
    ASSERT_TRUE(WaitUntil([&] { return !formula.IsWaitingForData(); }, std::chrono::seconds(5)));

    std::set<int> expected, actual;
    int previous = 0;
    for (int bar = 0; bar < bars; ++bar) {
        DWORD time = 0;
        ASSERT_TRUE(formula.GetBarTime(bar, 0, time));
        const int date = DateNumber(FeedTimeToRecordTime(time));
        ASSERT_TRUE(m_data.closeByDate.count(date)) << date;
        if (previous) {
            const bool above = Average(m_data.closeByDate, date, 5) > Average(m_data.closeByDate, date, 20);
            const bool wasAbove =
                Average(m_data.closeByDate, previous, 5) > Average(m_data.closeByDate, previous, 20) + 0.00005;
            if (above && !wasAbove)
                expected.insert(date);
        }
        double value = 0;
        ASSERT_TRUE(formula.Evaluate(&value, bar, -1)) << "bar " << bar;
        if (value > 0)
            actual.insert(date);
        previous = date;
    }
    EXPECT_GE(expected.size(), 2u);
    EXPECT_EQ(expected, actual);
    // The newest bar is today.
    DWORD last = 0;
    ASSERT_TRUE(formula.GetBarTime(bars - 1, 0, last));
    EXPECT_EQ(20260304, DateNumber(FeedTimeToRecordTime(last)));
}

TEST_F(FormulaSeries, BacktestInputsWithoutAChartReadTheirOffsetBarsBack)
{
    const int bars = 30;
    CFormula now("Bar[Close,D]", 3, bars, 0), before("Bar[Close,D,2]", 3, bars, 0);
    CString error;
    for (CFormula* f : {&now, &before}) {
        ASSERT_TRUE(f->Parse(error));
        ASSERT_TRUE(f->Subscribe("IBM", 0, nullptr, nullptr, "D", 0, 1));
        ASSERT_TRUE(WaitUntil([&] { return f->IsResolved(); }));
    }
    AnswerHistory();
    ASSERT_TRUE(WaitUntil([&] { return !now.IsWaitingForData() && !before.IsWaitingForData(); },
                          std::chrono::seconds(5)));
    int compared = 0;
    for (int bar = 2; bar < bars; ++bar) {
        double a = 0, b = 0;
        ASSERT_TRUE(now.Evaluate(&a, bar - 2, -1)) << bar;
        ASSERT_TRUE(before.Evaluate(&b, bar, -1)) << bar;
        EXPECT_EQ(a, b) << bar;
        compared += a != 0;
    }
    EXPECT_EQ(bars - 2, compared);
}

TEST_F(FormulaSeries, RangesGiveWhatEachBarGives)
{
    // Some days without rows: their bars have no value.
    for (int i = static_cast<int>(m_data.rows.size()) - 7; i > 0; i -= 23)
        m_data.rows.erase(m_data.rows.begin() + i);
    const char* const texts[] = {
        "MovingAverage[MA,Close,5,0,D]>MovingAverage[MA,Close,20,0,D] AND "
        "MovingAverage[MA,Close,5,0,D,1]<=MovingAverage[MA,Close,20,0,D,1]",
        "Bar[Close,D]/(Bar[Close,D]-Bar[Close,D,1])",
        "(Bar[Close,D]>100) OR Bar[Volume,D]%3",
        "Bar[Close,D]%7+2^3-RSI[RSI,3,D]=Bar[Low,D] AND Bar[Open,D]<>Bar[Close,D,2]",
        "Bar[Close,D]>=Bar[Close,D,1] OR Stochastic[StocK,5,3,3,D]<20",
        "Year+Bar[High,D]*0-Bar[Day,D]",
    };
    const int bars = 80;
    for (const char* text : texts)
        for (int mode : {2, 3})
            for (int noChartSource : {0, 1}) {
                SCOPED_TRACE(std::string(text) + " mode " + std::to_string(mode) + " chart " +
                             std::to_string(!noChartSource));
                CFormula formula(text, mode, bars, 0);
                CString error;
                ASSERT_TRUE(formula.Parse(error)) << error.GetString();
                ASSERT_TRUE(formula.Subscribe("IBM", 0, nullptr, nullptr, "D", 0, noChartSource));
                ASSERT_TRUE(WaitUntil([&] { return formula.IsResolved(); }));
                AnswerHistory();
                ASSERT_TRUE(WaitUntil([&] { return !formula.IsWaitingForData(); }, std::chrono::seconds(5)));
                // Past both ends of the bars as well.
                const int first = -bars - 20, count = 2 * bars + 40;
                std::vector<double> results(count);
                std::vector<BYTE> valid(count);
                formula.EvaluateRange(first, count, -1, results.data(), valid.data());
                int with = 0, without = 0;
                for (int k = 0; k < count; ++k) {
                    double value = 0;
                    const bool has = formula.Evaluate(&value, first + k, -1);
                    ASSERT_EQ(has, valid[k] != 0) << "bar " << first + k;
                    if (has) {
                        ASSERT_EQ(value, results[k]) << "bar " << first + k;
                        ++with;
                    } else {
                        ++without;
                    }
                }
                EXPECT_GT(with, bars / 2);
                EXPECT_GT(without, 20);
            }
}

TEST_F(FormulaSeries, FormulasOfOneShareOpenTheirCommonInputsOnce)
{
    const int bars = 60;
    const char* const cross = "MovingAverage[MA,Close,5,0,D]>MovingAverage[MA,Close,20,0,D]";
    const char* const back = "MovingAverage[MA,Close,5,0,D]<MovingAverage[MA,Close,20,0,D] AND Bar[Volume,D]>0";
    auto share = std::make_shared<CFormulaInputShare>();
    auto subscribe = [&](CFormula& f, bool shared) {
        CString error;
        ASSERT_TRUE(f.Parse(error)) << error.GetString();
        if (shared) {
            ASSERT_TRUE(f.ShareInputs(share));
        }
        ASSERT_TRUE(f.Subscribe("IBM", 0, nullptr, nullptr, "D", 0, 0));
        ASSERT_TRUE(WaitUntil([&] { return f.IsResolved(); }));
    };
    auto entry = std::make_unique<CFormula>(cross, 3, bars, 0);
    CFormula exit(back, 3, bars, 0), plain(back, 3, bars, 0), fewer(back, 3, bars - 10, 0);
    subscribe(*entry, true);
    subscribe(exit, true);
    subscribe(plain, false);
    subscribe(fewer, true);
    // Charts shift their bars: their formulas share nothing; nor does a formula once subscribed.
    CFormula chart(cross, 2, bars, 0);
    EXPECT_FALSE(chart.ShareInputs(share));
    EXPECT_FALSE(exit.ShareInputs(share));

    std::vector<CFormulaSeriesItem*> a, b, c;
    entry->GetSeriesInputs(a);
    exit.GetSeriesInputs(b);
    fewer.GetSeriesInputs(c);
    ASSERT_EQ(2u, a.size());
    ASSERT_EQ(3u, b.size());
    EXPECT_EQ(a[0]->m_pInput, b[0]->m_pInput);
    EXPECT_EQ(a[1]->m_pInput, b[1]->m_pInput);
    EXPECT_NE(a[0]->m_pInput, c[0]->m_pInput); // another bar count is another request

    AnswerHistory();
    for (CFormula* f : {entry.get(), &exit, &plain, &fewer})
        ASSERT_TRUE(WaitUntil([&] { return !f->IsWaitingForData(); }, std::chrono::seconds(5)));
    // The shared exit formula gives what the one with inputs of its own gives, also once
    // the formula that opened them is gone.
    auto compare = [&] {
        int trues = 0;
        ExpectSameRange(exit, plain, bars, trues);
        EXPECT_GT(trues, 3);
        EXPECT_LT(trues, bars - 20);
    };
    compare();
    entry.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the clean-up thread frees its form
    compare();
}

TEST_F(FormulaSeries, StrategyFormulasReadTheChartSourceHandedToTheirShare)
{
    // A symbol of this test's own, so that the series alive for it are only its own.
    {
        std::lock_guard<std::mutex> g(m_services.lock);
        m_services.quotes["QXT"] = m_services.quotes["IBM"];
    }
    const auto liveSeries = [] {
        int n = 0;
        CSeriesRegistry::Instance().Visit("QXT", [&](CPriceSeries&) {
            ++n;
            return false;
        });
        return n;
    };
    const int bars = 60;
    const char* const cross = "MovingAverage[MA,Close,5,0,D]>MovingAverage[MA,Close,20,0,D]";
    const char* const back = "MovingAverage[MA,Close,5,0,D]<MovingAverage[MA,Close,20,0,D]";
    const std::shared_ptr<CStudySource> chart(ParseStudyCall("QXT,D", 0, 1, 3), DeleteStudyCall);
    ASSERT_TRUE(chart);
    chart->GetBaseSeries()->SetWindowMode(1);
    ASSERT_TRUE(chart->GetBaseSeries()->SetBarCount(bars, 0));
    ASSERT_EQ(1, liveSeries());

    auto share = std::make_shared<CFormulaInputShare>();
    CFormula entry(cross, 3, bars, 0), exit(back, 3, bars, 0), plain(back, 3, bars, 0), chartMode(cross, 2, bars, 0);
    CString error;
    for (CFormula* f : {&entry, &exit, &plain, &chartMode})
        ASSERT_TRUE(f->Parse(error)) << error.GetString();
    // Without a share, or for a chart formula: nothing to hand it to.
    EXPECT_FALSE(entry.ShareChartSource(chart, "QXT,D", "QXT", 0, "D", 0, 0));
    EXPECT_FALSE(chartMode.ShareChartSource(chart, "QXT,D", "QXT", 0, "D", 0, 0));
    ASSERT_TRUE(entry.ShareInputs(share));
    ASSERT_TRUE(exit.ShareInputs(share));
    // A formula that would open another key, a source with a companion, or none at all.
    EXPECT_FALSE(entry.ShareChartSource(chart, "QXT,D", "QXT", 0, "W", 0, 0));
    EXPECT_FALSE(entry.ShareChartSource(chart, "QXT,D", "QXT", 1, "D", 0, 0));
    EXPECT_FALSE(entry.ShareChartSource(chart, "QXT,D", "QXT", 0, "D", 5, 0));
    EXPECT_FALSE(entry.ShareChartSource(chart, "QXT,D", "QXT", 0, "D", 0, 1));
    EXPECT_TRUE(entry.ShareChartSource(chart, "QXT,D", "qxt", 0, "D", 0, 0));

    ASSERT_TRUE(entry.Subscribe("QXT", 0, nullptr, nullptr, "D", 0, 0));
    ASSERT_TRUE(exit.Subscribe("QXT", 0, nullptr, nullptr, "D", 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return entry.IsResolved() && exit.IsResolved(); }));
    // The two averages they share, and no chart source of their own.
    EXPECT_EQ(1 + 2, liveSeries());
    ASSERT_TRUE(plain.Subscribe("QXT", 0, nullptr, nullptr, "D", 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return plain.IsResolved(); }));
    EXPECT_EQ(1 + 2 + 3, liveSeries());

    AnswerHistory();
    for (CFormula* f : {&entry, &exit, &plain})
        ASSERT_TRUE(WaitUntil([&] { return !f->IsWaitingForData(); }, std::chrono::seconds(5)));
    // Bar times and values as the formula with a chart source of its own has them.
    for (int k = 0; k < bars; ++k) {
        DWORD a = 0, b = 0;
        ASSERT_TRUE(exit.GetBarTime(k, -1, a)) << k;
        ASSERT_TRUE(plain.GetBarTime(k, -1, b)) << k;
        EXPECT_EQ(b, a) << k;
    }
    int trues = 0;
    ExpectSameRange(exit, plain, bars, trues);
    EXPECT_GT(trues, 3);
    EXPECT_LT(trues, bars - 10);
}

TEST_F(FormulaSeries, ChartBarsReadTheirOwnBar)
{
    const int bars = 10;
    CFormula formula("Bar[Close,D]", 3, bars, 0);
    CString error;
    ASSERT_TRUE(formula.Parse(error));
    ASSERT_TRUE(formula.Subscribe("IBM", 0, nullptr, nullptr, "D", 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return formula.IsResolved(); }));
    AnswerHistory();
    ASSERT_TRUE(WaitUntil([&] { return !formula.IsWaitingForData(); }, std::chrono::seconds(5)));
    for (int bar = 0; bar < bars; ++bar) {
        DWORD time = 0;
        ASSERT_TRUE(formula.GetBarTime(bar, 0, time));
        double value = 0;
        ASSERT_TRUE(formula.Evaluate(&value, bar, -1));
        EXPECT_EQ(m_data.closeByDate[DateNumber(FeedTimeToRecordTime(time))], value) << bar;
    }
}

TEST_F(FormulaSeries, RingCacheAnswersUntilCleared)
{
    const int size = 100;
    CFormulaSeries series("Bar[Close,D]*2", 2, size, 0);
    CString error;
    ASSERT_TRUE(series.Parse(error));
    EXPECT_EQ(size, series.GetRingSize());
    EXPECT_EQ(1 - size, series.GetWindowFirstBar());
    ASSERT_TRUE(series.Subscribe("IBM", 0, nullptr, nullptr, "D", 0, 1));
    ASSERT_TRUE(WaitUntil([&] { return series.IsResolved(); }));
    std::vector<CFormulaSeriesItem*> items;
    series.GetSeriesInputs(items);
    ASSERT_EQ(1u, items.size());
    CPriceSeries* base = items[0]->m_pInput->GetBaseSeries();
    base->SetWindowMode(1);
    ASSERT_TRUE(base->SetBarCount(size, 0));
    AnswerHistory();
    ASSERT_TRUE(WaitUntil([&] { return !series.IsWaitingForData(); }, std::chrono::seconds(5)));

    int first = 0, last = 0;
    series.SyncWindow(first, last);
    EXPECT_EQ(0, first);
    EXPECT_EQ(size - 1, last);
    double v = 0, w = 0;
    ASSERT_TRUE(series.GetValue(v, 50, -1));
    // Change the bar behind the formula: the ring still answers the first result.
    CBarRecord record;
    ASSERT_TRUE(base->GetRecord(50, record));
    record.m_fields[kBarClose] += 1;
    ASSERT_TRUE(base->SetRecord(50, record));
    ASSERT_TRUE(series.GetValue(w, 50, -1));
    EXPECT_EQ(v, w);
    series.ClearCacheRange(49, 51);
    ASSERT_TRUE(series.GetValue(w, 50, -1));
    EXPECT_EQ(v + 2, w);

    // Fill every slot, then change every bar behind the formula.
    for (int bar = 0; bar < size; ++bar)
        ASSERT_TRUE(series.GetValue(v, bar, -1));
    for (int bar = 0; bar < size; ++bar) {
        ASSERT_TRUE(base->GetRecord(bar, record));
        record.m_fields[kBarClose] = 1000 + bar;
        ASSERT_TRUE(base->SetRecord(bar, record));
    }
    // The window has not moved: every bar comes from the ring until the cache is cleared.
    series.SyncWindow(first, last);
    EXPECT_EQ(0, first);
    for (int bar = 0; bar < size; ++bar) {
        ASSERT_TRUE(series.GetValue(v, bar, -1));
        EXPECT_LT(v, 2000) << bar;
    }
    series.ClearCache();
    for (int bar = 0; bar < size; ++bar) {
        ASSERT_TRUE(series.GetValue(v, bar, -1));
        EXPECT_EQ(2 * (1000 + bar), v) << bar;
    }
    // Outside the window the formula is evaluated directly.
    EXPECT_FALSE(series.GetValue(v, size + 5, -1));
}
