// GIF decode and encode beside giflib, in one run, on the same 1920x1080
// 256-colour pictures: a chart (few colours, long runs) and a noisy photo.
// Decode: both read the same single-frame file (written by giflib) from
// memory into palette indexes (ours into a CQxImage, giflib's DGifSlurp into
// its raster). Encode: both write the same indexes and palette, LZW, no
// interlace, into memory. Time per picture; MB/s counts one byte per pixel.
#include "imaging/CQxImage.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int64_t kPixels = int64_t{kWidth} * kHeight;

struct Indexed {
    std::vector<GifByteType> pixels;  // top row first
    std::vector<GifColorType> palette;  // 256 entries
};

// A dark chart: grid, candles, a price line; a handful of colours.
Indexed MakeChart()
{
    Indexed p;
    p.palette.assign(256, GifColorType{0, 0, 0});
    p.palette[0] = {30, 42, 60};
    p.palette[1] = {80, 70, 60};
    p.palette[2] = {64, 192, 32};
    p.palette[3] = {32, 48, 224};
    p.palette[4] = {230, 230, 230};
    p.pixels.assign(static_cast<size_t>(kPixels), 0);
    auto at = [&](int x, int y) -> GifByteType& { return p.pixels[static_cast<size_t>(y) * kWidth + x]; };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (x % 120 == 0 || y % 90 == 0)
                at(x, y) = 1;
    std::mt19937 rng(7);
    int price = 540;
    for (int x = 10; x + 5 < kWidth; x += 8) {
        const int open = price;
        price = std::clamp(price + static_cast<int>(rng() % 41) - 20, 100, 980);
        for (int y = std::min(open, price); y <= std::max(open, price); ++y)
            for (int dx = 0; dx < 5; ++dx)
                at(x + dx, y) = price >= open ? 2 : 3;
        at(x + 2, std::max(0, price - 30)) = 4;
    }
    return p;
}

// Every pixel its own: a gradient with noise over 256 colours.
Indexed MakePhoto()
{
    Indexed p;
    for (int i = 0; i < 256; ++i)
        p.palette.push_back({static_cast<GifByteType>((i >> 5) * 36), static_cast<GifByteType>(((i >> 2) & 7) * 36),
                             static_cast<GifByteType>((i & 3) * 85)});
    std::mt19937 rng(11);
    p.pixels.resize(static_cast<size_t>(kPixels));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            p.pixels[static_cast<size_t>(y) * kWidth + x] =
                static_cast<GifByteType>((x * 256 / kWidth + y * 64 / kHeight + static_cast<int>(rng() % 24)) & 255);
    return p;
}

const Indexed& Picture(int which)
{
    static const Indexed chart = MakeChart();
    static const Indexed photo = MakePhoto();
    return which == 0 ? chart : photo;
}

// The picture as our 8-bit image (rows bottom-up).
CQxImage ToImage(const Indexed& p)
{
    CQxImage img(kWidth, kHeight, 8);
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(img.GetBits(static_cast<DWORD>(kHeight - 1 - y)), &p.pixels[static_cast<size_t>(y) * kWidth],
                    kWidth);
    for (int i = 0; i < 256; ++i)
        img.SetPaletteColor(static_cast<BYTE>(i), p.palette[static_cast<size_t>(i)].Red,
                            p.palette[static_cast<size_t>(i)].Green, p.palette[static_cast<size_t>(i)].Blue);
    return img;
}

struct Buffer {
    std::vector<GifByteType> data;
    size_t pos = 0;
};

int WriteToBuffer(GifFileType* gif, const GifByteType* bytes, int n)
{
    auto* b = static_cast<Buffer*>(gif->UserData);
    b->data.insert(b->data.end(), bytes, bytes + n);
    return n;
}

int ReadFromBuffer(GifFileType* gif, GifByteType* bytes, int n)
{
    auto* b = static_cast<Buffer*>(gif->UserData);
    const size_t take = std::min(static_cast<size_t>(n), b->data.size() - b->pos);
    std::memcpy(bytes, b->data.data() + b->pos, take);
    b->pos += take;
    return static_cast<int>(take);
}

bool GiflibEncode(const Indexed& p, Buffer& out)
{
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToBuffer, &error);
    if (gif == nullptr)
        return false;
    ColorMapObject* map = GifMakeMapObject(256, p.palette.data());
    bool ok = EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < kHeight; ++y)
        ok = EGifPutLine(gif, const_cast<GifByteType*>(&p.pixels[static_cast<size_t>(y) * kWidth]), kWidth) ==
             GIF_OK;
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    return ok;
}

bool GiflibDecode(Buffer& in)
{
    in.pos = 0;
    int error = 0;
    GifFileType* gif = DGifOpen(&in, ReadFromBuffer, &error);
    if (gif == nullptr)
        return false;
    const bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1;
    if (ok)
        benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
    DGifCloseFile(gif, &error);
    return ok;
}

void BM_GifDecodeOurs(benchmark::State& state)
{
    Buffer file;
    GiflibEncode(Picture(static_cast<int>(state.range(0))), file);
    for (auto _ : state) {
        CQxImage img;
        if (!img.Decode(file.data.data(), static_cast<DWORD>(file.data.size()), QXIMAGE_FORMAT_GIF))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    state.SetBytesProcessed(state.iterations() * kPixels);
}

void BM_GifDecodeGiflib(benchmark::State& state)
{
    Buffer file;
    GiflibEncode(Picture(static_cast<int>(state.range(0))), file);
    for (auto _ : state)
        if (!GiflibDecode(file))
            state.SkipWithError("giflib decode failed");
    state.SetBytesProcessed(state.iterations() * kPixels);
}

void BM_GifEncodeOurs(benchmark::State& state)
{
    CQxImage img = ToImage(Picture(static_cast<int>(state.range(0))));
    size_t bytes = 0;
    for (auto _ : state) {
        BYTE* buffer = nullptr;
        int32_t size = 0;
        if (!img.Encode(buffer, size, QXIMAGE_FORMAT_GIF))
            state.SkipWithError(img.GetLastError());
        bytes = static_cast<size_t>(size);
        CQxImage::FreeMemory(buffer);
    }
    state.SetBytesProcessed(state.iterations() * kPixels);
    state.counters["file_kB"] = static_cast<double>(bytes) / 1024;
}

void BM_GifEncodeGiflib(benchmark::State& state)
{
    const Indexed& p = Picture(static_cast<int>(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        Buffer out;
        out.data.reserve(1 << 20);
        if (!GiflibEncode(p, out))
            state.SkipWithError("giflib encode failed");
        bytes = out.data.size();
    }
    state.SetBytesProcessed(state.iterations() * kPixels);
    state.counters["file_kB"] = static_cast<double>(bytes) / 1024;
}

// Argument: 0 chart, 1 photo.
BENCHMARK(BM_GifDecodeOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodeGiflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifEncodeOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifEncodeGiflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
