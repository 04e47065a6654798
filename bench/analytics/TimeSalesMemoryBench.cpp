// The memory a time and sales list's tick series holds on a busy symbol.
//
// Memory/TickSeries/<mode>: 2,000,000 live trades into a 1024-record tick series, as the
// quote store hands them to it. "Live": the list shows the newest rows. "ScrolledBack": the
// list is scrolled back a page (its top row 40 rows down) the whole time, as a window left
// so would be. Counters: "records" the series holds after the trades, "held_MiB" the bytes
// its records take (capacity included), "heap_MiB" the heap it grew by and "rss_MiB" the
// resident memory the process grew by. The time is per trade. The scrolled-back run then
// scrolls back to the newest rows and fails unless they hold the last trades, each in turn,
// as many as the live run's series holds.
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/SessionMessages.h"
#include "tests/analytics/FakeSeriesServices.h"
#include "tests/support/ResidentMemory.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>

namespace {

constexpr int kRows = 1024;
constexpr int kTrades = 2000000;
constexpr int kTopRow = 40;
constexpr double kMiB = 1024.0 * 1024.0;

using qx::testsupport::ResidentBytes;

size_t HeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Trade i: a price and a size of its own.
double PriceOf(int i)
{
    return 100 + (i % 1000) * 0.01;
}

int LotsOf(int i)
{
    return 1 + i % 97;
}

void BM_TickSeriesMemory(benchmark::State& state, bool scrolledBack)
{
    FakeSeriesServices services; // 12:07
    const DWORD tradeTime = CTimeToFeedTime(CTime(2026, 3, 4, 12, 7, 10));
    int records = 0;
    double held = 0, heap = 0, resident = 0;
    std::unique_ptr<CPriceSeries> series;
    for (auto _ : state) {
        state.PauseTiming();
        series.reset();
        malloc_trim(0);
        const size_t heapBefore = HeapBytes(), residentBefore = ResidentBytes();
        series = std::make_unique<CPriceSeries>("MSFT,0", 0);
        series->SetWindowMode(1);
        series->SetBarCount(kRows, 0);
        series->OnIntradayHistory({});
        // The list's item i shows visible index kRows - 1 - i.
        if (scrolledBack)
            series->KeepThrough(kRows - 1 - kTopRow);
        CTradeMessage trade;
        trade.m_exchange = "NASD";
        state.ResumeTiming();
        for (int i = 0; i < kTrades; ++i) {
            trade.m_price = PriceOf(i);
            trade.m_size = LotsOf(i);
            series->OnLiveData(&trade, tradeTime);
        }
        state.PauseTiming();
        records = series->GetRecordCount();
        held = static_cast<double>(series->GetMemoryBytes()) / kMiB;
        heap = static_cast<double>(HeapBytes() - heapBefore) / kMiB;
        resident = static_cast<double>(ResidentBytes() - residentBefore) / kMiB;
        state.ResumeTiming();
    }
    if (series && scrolledBack) {
        series->StopKeeping();
        bool every = series->GetRecordCount() == kRows;
        for (int r = 0; every && r < kRows; ++r) {
            const int i = kTrades - kRows + r;
            const auto record = series->GetRecordAt(r);
            every = record && record->m_fields[kTickPrice] == PriceOf(i) && record->m_fields[kTickSize] == LotsOf(i) * 100.0;
        }
        if (!every)
            state.SkipWithError("back at the newest rows, the series holds other records than the live one");
    }
    state.SetItemsProcessed(state.iterations() * kTrades);
    state.counters["records"] = records;
    state.counters["held_MiB"] = held;
    state.counters["heap_MiB"] = heap;
    state.counters["rss_MiB"] = resident;
}

const bool g_registered = [] {
    benchmark::RegisterBenchmark("Memory/TickSeries/Live", BM_TickSeriesMemory, false)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Memory/TickSeries/ScrolledBack", BM_TickSeriesMemory, true)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
