// BMP decode and encode throughput on a 1920x1080 chart-like picture (flat
// colours and lines) and a photo-like one (gradients and noise). Throughput is
// reported as bytes of 24-bit pixels per second.
#include "imaging/CQxImage.h"
#include "imaging/CQxMemFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {
constexpr DWORD kWidth = 1920;
constexpr DWORD kHeight = 1080;

void MakeChart(CQxImage& img)
{
    img.Create(kWidth, kHeight, 24, 0);
    for (DWORD y = 0; y < kHeight; ++y) {
        BYTE* row = img.GetBits(y);
        for (DWORD x = 0; x < kWidth; ++x) {
            row[3 * x] = 0x3C;
            row[3 * x + 1] = 0x2A;
            row[3 * x + 2] = 0x1E;
        }
    }
    for (int g = 0; g < 1920; g += 120)
        img.DrawLine(g, g, 0, kHeight - 1, QxRGB(60, 70, 80));
    for (int g = 0; g < 1080; g += 90)
        img.DrawLine(0, kWidth - 1, g, g, QxRGB(60, 70, 80));
    std::mt19937 rng(7);
    int price = 540;
    for (int x = 10; x < 1900; x += 8) {
        const int open = price;
        price += static_cast<int>(rng() % 41) - 20;
        price = std::max(100, std::min(980, price));
        const int hi = std::max(open, price) + static_cast<int>(rng() % 15);
        const int lo = std::min(open, price) - static_cast<int>(rng() % 15);
        const COLORREF c = price >= open ? QxRGB(32, 192, 64) : QxRGB(224, 48, 32);
        img.DrawLine(x + 2, x + 2, lo, hi, c);
        for (int dx = 0; dx < 5; ++dx)
            img.DrawLine(x + dx, x + dx, std::min(open, price), std::max(open, price), c);
    }
}

void MakePhoto(CQxImage& img)
{
    img.Create(kWidth, kHeight, 24, 0);
    std::mt19937 rng(11);
    for (DWORD y = 0; y < kHeight; ++y) {
        BYTE* row = img.GetBits(y);
        for (DWORD x = 0; x < kWidth; ++x) {
            const int n = static_cast<int>(rng() % 32) - 16;
            auto clamp = [](int v) { return static_cast<BYTE>(std::max(0, std::min(255, v))); };
            row[3 * x] = clamp(static_cast<int>(x * 255 / kWidth) + n);
            row[3 * x + 1] = clamp(static_cast<int>(y * 255 / kHeight) + n);
            row[3 * x + 2] = clamp(static_cast<int>(128 + 100 * std::sin(x * 0.01 + y * 0.02)) + n);
        }
    }
}

CQxImage& Picture(int which)
{
    static CQxImage chart, photo;
    if (!chart.IsValid()) {
        MakeChart(chart);
        MakePhoto(photo);
    }
    return which == 0 ? chart : photo;
}

void BM_BmpEncode(benchmark::State& state)
{
    CQxImage& img = Picture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CQxMemFile out;
        out.Open();
        if (!img.Encode(&out, QXIMAGE_FORMAT_BMP))
            state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(out.Size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}

void BM_BmpDecode(benchmark::State& state)
{
    CQxImage& img = Picture(static_cast<int>(state.range(0)));
    BYTE* buf = nullptr;
    int32_t size = 0;
    img.Encode(buf, size, QXIMAGE_FORMAT_BMP);
    for (auto _ : state) {
        CQxImage out;
        if (!out.Decode(buf, static_cast<DWORD>(size), QXIMAGE_FORMAT_BMP))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.GetBits());
    }
    CQxImage::FreeMemory(buf);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}

// Reference: a plain copy of the same number of bytes (memory speed).
void BM_MemoryCopy(benchmark::State& state)
{
    std::vector<BYTE> a(static_cast<size_t>(kWidth) * kHeight * 3, 1), b(a.size());
    for (auto _ : state) {
        std::copy(a.begin(), a.end(), b.begin());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(a.size()));
}
}  // namespace

BENCHMARK(BM_BmpEncode)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BmpDecode)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MemoryCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
