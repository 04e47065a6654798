// The times of tick slots far before a tick series' records, as a chart's time axis asks
// for them while it shows bars past the records it holds, and the slot of a time far back,
// as Go to Date/Time looks it up.
//
// Slots/TimeAxis/<days>: the starts of the 400 slots in view, <days> sessions of slots
// (11,700 each) before the first of the series' 801 records; one iteration is one repaint
// of the axis. Slots/FindTime/<days>: the slot holding 11:05:47 of the day <days>
// sessions of slots back. Both fail unless the slots they give lie that many sessions back.
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/SeriesTime.h"
#include "tests/analytics/FakeSeriesServices.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRecords = 801;
constexpr int kInView = 400;
constexpr int kSlotsPerSession = 11700; // 9:30 to 16:00 in two-second slots

// The fake services' MSFT tick series ending at their clock's now (Wednesday 12:07).
std::unique_ptr<CPriceSeries> TickSeries()
{
    auto series = std::make_unique<CPriceSeries>("MSFT,0", 0);
    series->SetWindowMode(1);
    series->SetBarCount(kRecords, 0);
    return series;
}

void BM_TimeAxis(benchmark::State& state)
{
    FakeSeriesServices services;
    const auto series = TickSeries();
    const int days = static_cast<int>(state.range(0));
    // Visible index 0 is the first of the records.
    const int newest = -days * kSlotsPerSession;
    DWORD oldestStart = 0, newestStart = 0, first = 0;
    series->GetBarTime(0, 0, first);
    for (auto _ : state) {
        for (int k = 0; k < kInView; ++k) {
            DWORD start = 0;
            series->GetBarTime(newest - k, 0, start);
            benchmark::DoNotOptimize(start);
            if (k == 0)
                newestStart = start;
            oldestStart = start;
        }
    }
    // A whole number of sessions back lies at the first record's time of day, and the slots
    // in view run back from it two seconds apart.
    const CTime firstTime = FeedTimeToRecordTime(first), newestTime = FeedTimeToRecordTime(newestStart);
    if (newestTime.GetHour() != firstTime.GetHour() || newestTime.GetMinute() != firstTime.GetMinute() ||
        newestTime.GetSecond() != firstTime.GetSecond() || newestStart - oldestStart != kInView - 1) // feed times count two seconds
        state.SkipWithError("the slots in view are not the ones that many sessions back");
    state.SetItemsProcessed(state.iterations() * kInView);
}

void BM_FindTime(benchmark::State& state)
{
    FakeSeriesServices services;
    const auto series = TickSeries();
    const int days = static_cast<int>(state.range(0));
    DWORD first = 0;
    series->GetBarTime(0, 0, first);
    DWORD wanted = 0;
    series->GetBarTime(-days * kSlotsPerSession, 0, wanted);
    int bar = 0;
    for (auto _ : state) {
        bar = series->FindBarByTime(wanted, 0);
        benchmark::DoNotOptimize(bar);
    }
    if (bar != -days * kSlotsPerSession)
        state.SkipWithError("the slot found is not the one that many sessions back");
}

const bool g_registered = [] {
    for (int days : {1, 21, 126, 252}) {
        benchmark::RegisterBenchmark("Slots/TimeAxis", BM_TimeAxis)->Arg(days)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Slots/FindTime", BM_FindTime)->Arg(days)->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
