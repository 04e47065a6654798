// Costs of the platform classes on the hot paths: archives of bar-like records,
// string formatting and keyed lookups.
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/core/Collections.h"

#include <benchmark/benchmark.h>

namespace {
void storeRecords(CArchive& ar, int count)
{
    ar << static_cast<DWORD>(19) << static_cast<DWORD>(count);
    for (int i = 0; i < count; ++i)
        ar << static_cast<DWORD>(i) << 101.25 << 102.5 << 100.75 << 101.0 << static_cast<DWORD>(1000 + i)
           << CString("NSDQ");
}

void BM_ArchiveStore(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CMemFile file;
        CArchive ar(&file, CArchive::store);
        storeRecords(ar, count);
        ar.Close();
        benchmark::DoNotOptimize(file.GetLength());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ArchiveStore)->Arg(10000);

void BM_ArchiveLoad(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        storeRecords(ar, count);
    }
    const std::vector<BYTE> bytes = file.Detach();
    for (auto _ : state) {
        CMemFile in(bytes.data(), bytes.size());
        CArchive ar(&in, CArchive::load);
        DWORD version = 0;
        ar >> version;
        const DWORD n = ar.ReadBoundedCount(30);
        double sum = 0;
        for (DWORD i = 0; i < n; ++i) {
            DWORD t, v;
            double o, h, l, c;
            CString exchange;
            ar >> t >> o >> h >> l >> c >> v >> exchange;
            sum += c;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ArchiveLoad)->Arg(10000);

void BM_FormatPrice(benchmark::State& state)
{
    CString symbol("MSFT");
    CString out;
    double price = 312.4375;
    for (auto _ : state) {
        out.Format("%s %.4lf %d", symbol, price, 100);
        benchmark::DoNotOptimize(out.GetString());
        price += 0.0001;
    }
}
BENCHMARK(BM_FormatPrice);

void BM_MapStringLookup(benchmark::State& state)
{
    CMapStringToPtr map;
    std::vector<CString> keys;
    for (int i = 0; i < 5000; ++i) {
        CString key;
        key.Format("SYM%04d", i);
        keys.push_back(key);
        map.SetAt(key, &keys);
    }
    size_t i = 0;
    void* value = nullptr;
    for (auto _ : state) {
        benchmark::DoNotOptimize(map.Lookup(keys[i++ % keys.size()], value));
    }
}
BENCHMARK(BM_MapStringLookup);

void BM_ArrayAdd(benchmark::State& state)
{
    for (auto _ : state) {
        CArray<double> a;
        for (int i = 0; i < 10000; ++i)
            a.Add(i * 0.5);
        benchmark::DoNotOptimize(a.GetData());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_ArrayAdd);
}  // namespace
