// Resampling and rotation times on a 4000 x 3000 true-colour image.
#include "imaging/CQxImage.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

constexpr DWORD kWidth = 4000;
constexpr DWORD kHeight = 3000;

// Photo-like content: smooth gradients with fine noise, and an alpha-free 24-bit body.
CQxImage& Source()
{
    static CQxImage img = [] {
        CQxImage i(kWidth, kHeight, 24);
        uint32_t state = 12345;
        for (DWORD y = 0; y < kHeight; ++y) {
            BYTE* row = i.GetBits(y);
            for (DWORD x = 0; x < kWidth; ++x) {
                state = state * 1664525u + 1013904223u;
                const int noise = static_cast<int>(state >> 28) - 8;
                row[x * 3 + 0] = static_cast<BYTE>((x * 255 / kWidth + noise) & 0xFF);
                row[x * 3 + 1] = static_cast<BYTE>((y * 255 / kHeight + noise) & 0xFF);
                row[x * 3 + 2] = static_cast<BYTE>(((x + y) * 255 / (kWidth + kHeight)) ^ (noise & 3));
            }
        }
        return i;
    }();
    return img;
}

void Report(benchmark::State& state, const CQxImage& out)
{
    state.counters["out_w"] = out.GetWidth();
    state.counters["out_h"] = out.GetHeight();
    state.counters["Mpix/s"] =
        benchmark::Counter(static_cast<double>(kWidth) * kHeight * static_cast<double>(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
}

// Resample modes: 1 nearest, 2 B-spline, 0 box shrink (reduction of true colour).
void BM_Resample(benchmark::State& state)
{
    const int mode = static_cast<int>(state.range(0));
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.Resample(3000, 2250, mode, &out));
    Report(state, out);
}
BENCHMARK(BM_Resample)->Arg(1)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2);

// Bilinear enlargement of a quarter of the image back to full size.
void BM_ResampleBilinearEnlarge(benchmark::State& state)
{
    CQxImage quarter;
    Source().Resample(2000, 1500, 1, &quarter);
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(quarter.Resample(kWidth, kHeight, 0, &out));
    Report(state, out);
}
BENCHMARK(BM_ResampleBilinearEnlarge)->Unit(benchmark::kMillisecond)->Iterations(2);

// Every interpolation method, sampled at the destination pixel centres.
void BM_Resample2Point(benchmark::State& state)
{
    const auto method = static_cast<CQxImage::InterpolationMethod>(state.range(0));
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.Resample2(3000, 2250, method, CQxImage::OM_REPEAT, &out, true));
    Report(state, out);
}
BENCHMARK(BM_Resample2Point)->DenseRange(1, 16)->Unit(benchmark::kMillisecond)->Iterations(1);

// Area-averaged reduction.
void BM_Resample2Area(benchmark::State& state)
{
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.Resample2(1000, 750, CQxImage::IM_BILINEAR, CQxImage::OM_REPEAT, &out));
    Report(state, out);
}
BENCHMARK(BM_Resample2Area)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_QIShrink(benchmark::State& state)
{
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.QIShrink(1000, 750, &out));
    Report(state, out);
}
BENCHMARK(BM_QIShrink)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_RotateRight(benchmark::State& state)
{
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.RotateRight(&out));
    Report(state, out);
}
BENCHMARK(BM_RotateRight)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RotateLeft(benchmark::State& state)
{
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.RotateLeft(&out));
    Report(state, out);
}
BENCHMARK(BM_RotateLeft)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Rotate180(benchmark::State& state)
{
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.Rotate180(&out));
    Report(state, out);
}
BENCHMARK(BM_Rotate180)->Unit(benchmark::kMillisecond)->Iterations(3);

// Nearest-pixel rotation by an arbitrary angle.
void BM_RotateNearest30(benchmark::State& state)
{
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.Rotate(30.0f, &out));
    Report(state, out);
}
BENCHMARK(BM_RotateNearest30)->Unit(benchmark::kMillisecond)->Iterations(2);

// Interpolating rotation by an arbitrary angle, per method.
void BM_Rotate2_30(benchmark::State& state)
{
    const auto method = static_cast<CQxImage::InterpolationMethod>(state.range(0));
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.Rotate2(30.0f, &out, method, CQxImage::OM_BACKGROUND));
    Report(state, out);
}
BENCHMARK(BM_Rotate2_30)
    ->Arg(CQxImage::IM_NEAREST_NEIGHBOUR)
    ->Arg(CQxImage::IM_BILINEAR)
    ->Arg(CQxImage::IM_BICUBIC2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Rotate2 at 90 degrees goes through the exact quarter turn.
void BM_Rotate2_90(benchmark::State& state)
{
    CQxImage& src = Source();
    CQxImage out;
    for (auto _ : state)
        benchmark::DoNotOptimize(src.Rotate2(90.0f, &out));
    Report(state, out);
}
BENCHMARK(BM_Rotate2_90)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
