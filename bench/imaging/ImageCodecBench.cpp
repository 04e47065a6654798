// PNG, GIF and TGA decode and encode throughput on a 1920x1080 chart-like
// picture and a photo-like one, in MB/s of 24-bit pixels; PNG beside libpng's
// own cost for the same settings (RGB, 8 bits, default compression and
// filters, no interlace, pHYs and bKGD written, BGR order handled by libpng).
#include "imaging/CQxImage.h"
#include "imaging/CQxMemFile.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr DWORD kWidth = 1920;
constexpr DWORD kHeight = 1080;
constexpr int64_t kPixelBytes = int64_t{kWidth} * kHeight * 3;

// Dark background, grid, candles: few colours and long runs.
const CQxImage& Chart()
{
    static const CQxImage img = [] {
        CQxImage c(kWidth, kHeight, 24);
        for (DWORD y = 0; y < kHeight; ++y) {
            BYTE* row = c.GetBits(y);
            for (DWORD x = 0; x < kWidth; ++x) {
                row[3 * x] = 0x3C;
                row[3 * x + 1] = 0x2A;
                row[3 * x + 2] = 0x1E;
            }
        }
        for (int g = 0; g < 1920; g += 120)
            c.DrawLine(g, g, 0, kHeight - 1, QxRGB(60, 70, 80));
        for (int g = 0; g < 1080; g += 90)
            c.DrawLine(0, kWidth - 1, g, g, QxRGB(60, 70, 80));
        std::mt19937 rng(7);
        int price = 540;
        for (int x = 10; x < 1900; x += 8) {
            const int open = price;
            price = std::clamp(price + static_cast<int>(rng() % 41) - 20, 100, 980);
            const COLORREF col = price >= open ? QxRGB(32, 192, 64) : QxRGB(224, 48, 32);
            for (int dx = 0; dx < 5; ++dx)
                c.DrawLine(x + dx, x + dx, std::min(open, price), std::max(open, price), col);
        }
        return c;
    }();
    return img;
}

// Gradients with noise: every pixel different.
const CQxImage& Photo()
{
    static const CQxImage img = [] {
        CQxImage p(kWidth, kHeight, 24);
        std::mt19937 rng(11);
        for (DWORD y = 0; y < kHeight; ++y) {
            BYTE* row = p.GetBits(y);
            for (DWORD x = 0; x < kWidth; ++x) {
                const int n = static_cast<int>(rng() % 32) - 16;
                auto clamp = [](int v) { return static_cast<BYTE>(std::clamp(v, 0, 255)); };
                row[3 * x] = clamp(static_cast<int>(x * 255 / kWidth) + n);
                row[3 * x + 1] = clamp(static_cast<int>(y * 255 / kHeight) + n);
                row[3 * x + 2] = clamp(static_cast<int>(128 + 100 * std::sin(x * 0.01 + y * 0.02)) + n);
            }
        }
        return p;
    }();
    return img;
}

// The chart as a 256-colour palette picture (what GIF holds without tiles).
const CQxImage& ChartIndexed()
{
    static const CQxImage img = [] {
        CQxImage c(kWidth, kHeight, 8);
        const CQxImage& src = Chart();
        std::vector<RGBQUAD> pal;
        for (DWORD y = 0; y < kHeight; ++y) {
            for (DWORD x = 0; x < kWidth; ++x) {
                const RGBQUAD q = const_cast<CQxImage&>(src).GetPixelColor(static_cast<LONG>(x), static_cast<LONG>(y), false);
                auto it = std::find_if(pal.begin(), pal.end(), [&](const RGBQUAD& p) {
                    return p.rgbRed == q.rgbRed && p.rgbGreen == q.rgbGreen && p.rgbBlue == q.rgbBlue;
                });
                size_t idx = static_cast<size_t>(it - pal.begin());
                if (it == pal.end() && pal.size() < 256) {
                    pal.push_back(q);
                    idx = pal.size() - 1;
                }
                c.SetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(y), static_cast<BYTE>(std::min<size_t>(idx, 255)));
            }
        }
        for (size_t i = 0; i < pal.size(); ++i)
            c.SetPaletteColor(static_cast<BYTE>(i), pal[i]);
        return c;
    }();
    return img;
}

const CQxImage& Source(int which)
{
    return which == 0 ? Chart() : (which == 1 ? Photo() : ChartIndexed());
}

std::vector<BYTE> EncodeOnce(const CQxImage& src, DWORD format)
{
    CQxImage img(src);
    BYTE* buffer = nullptr;
    int32_t size = 0;
    if (!img.Encode(buffer, size, format))
        return {};
    std::vector<BYTE> out(buffer, buffer + size);
    CQxImage::FreeMemory(buffer);
    return out;
}

void Encode(benchmark::State& state, DWORD format)
{
    CQxImage img(Source(static_cast<int>(state.range(0))));
    size_t bytes = 0;
    for (auto _ : state) {
        BYTE* buffer = nullptr;
        int32_t size = 0;
        if (!img.Encode(buffer, size, format))
            state.SkipWithError(img.GetLastError());
        bytes = static_cast<size_t>(size);
        CQxImage::FreeMemory(buffer);
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
    state.counters["file_kB"] = static_cast<double>(bytes) / 1024;
}

void Decode(benchmark::State& state, DWORD format)
{
    std::vector<BYTE> file = EncodeOnce(Source(static_cast<int>(state.range(0))), format);
    for (auto _ : state) {
        CQxImage img;
        if (!img.Decode(file.data(), static_cast<DWORD>(file.size()), format))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}

void BM_PngEncode(benchmark::State& s) { Encode(s, QXIMAGE_FORMAT_PNG); }
void BM_PngDecode(benchmark::State& s) { Decode(s, QXIMAGE_FORMAT_PNG); }
void BM_GifEncode(benchmark::State& s) { Encode(s, QXIMAGE_FORMAT_GIF); }
void BM_GifDecode(benchmark::State& s) { Decode(s, QXIMAGE_FORMAT_GIF); }
void BM_TgaEncode(benchmark::State& s) { Encode(s, QXIMAGE_FORMAT_TGA); }
void BM_TgaDecode(benchmark::State& s) { Decode(s, QXIMAGE_FORMAT_TGA); }

// ---- libpng alone, same settings, into and out of memory

struct PngBuffer {
    std::vector<BYTE> data;
    size_t pos = 0;
};

void WriteMem(png_structp png, png_bytep p, size_t n)
{
    auto* b = static_cast<PngBuffer*>(png_get_io_ptr(png));
    b->data.insert(b->data.end(), p, p + n);
}
void FlushMem(png_structp) {}
void ReadMem(png_structp png, png_bytep p, size_t n)
{
    auto* b = static_cast<PngBuffer*>(png_get_io_ptr(png));
    if (b->pos + n > b->data.size())
        png_error(png, "Read Error");
    std::memcpy(p, b->data.data() + b->pos, n);
    b->pos += n;
}

bool LibpngEncode(CQxImage& img, PngBuffer& out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, WriteMem, FlushMem);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color_16 bg{};
    bg.red = bg.green = bg.blue = 255;
    png_set_bKGD(png, info, &bg);
    png_set_pHYs(png, info, 3780, 3780, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    png_set_bgr(png);
    for (DWORD y = kHeight; y-- > 0;)
        png_write_row(png, img.GetBits(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool LibpngDecode(PngBuffer& in, std::vector<BYTE>& pixels)
{
    in.pos = 0;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &in, ReadMem);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    pixels.resize(rowBytes * kHeight);
    for (DWORD y = 0; y < kHeight; ++y)
        png_read_row(png, pixels.data() + rowBytes * (kHeight - 1 - y), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void BM_LibpngEncode(benchmark::State& state)
{
    CQxImage img(Source(static_cast<int>(state.range(0))));
    size_t bytes = 0;
    for (auto _ : state) {
        PngBuffer out;
        out.data.reserve(1 << 20);
        if (!LibpngEncode(img, out))
            state.SkipWithError("libpng encode failed");
        bytes = out.data.size();
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
    state.counters["file_kB"] = static_cast<double>(bytes) / 1024;
}

void BM_LibpngDecode(benchmark::State& state)
{
    CQxImage img(Source(static_cast<int>(state.range(0))));
    PngBuffer file;
    LibpngEncode(img, file);
    std::vector<BYTE> pixels;
    for (auto _ : state) {
        if (!LibpngDecode(file, pixels))
            state.SkipWithError("libpng decode failed");
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}

// Argument: 0 chart (24 bits), 1 photo (24 bits), 2 chart as 256 colours.
BENCHMARK(BM_PngEncode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngEncode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifEncode)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecode)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TgaEncode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TgaDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
