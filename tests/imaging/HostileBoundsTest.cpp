// Files that ask much work or memory of a few bytes: metafiles with wide pens
// and tens of thousands of edges, bitmaps and PNGs that declare billions of
// pixels. Each is refused, or played within a bound, and memory is measured in
// a child process so that the test process itself stays small.
#include "tests/imaging/BoundedChild.h"
#include "tests/imaging/CodecTestSupport.h"
#include "tests/imaging/EmfBuilder.h"
#include "tests/imaging/ImageTestUtil.h"

#include "imaging/CQxImageWMF.h"
#include "imaging/CQxMemFile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <ctime>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using qx_imaging_test::BmpHeader;
using qxtest::EmfBuilder;

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr int32_t kRed = 0x0000FF;
constexpr char kBudgetText[] = "WMF too complex: playback stopped at its work budget";
constexpr char kShortBmp[] = "BMP pixel data shorter than the image";

// A second of one core; sanitizer builds run the same work about three times slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kOneSecond = 3.0;
#else
constexpr double kOneSecond = 1.0;
#endif

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

struct Played {
    bool ok = false;
    std::string error;
    double cpuSeconds = 0;
};

Played Play(CQxImageWMF& img, std::vector<uint8_t> bytes)
{
    const double start = CpuSeconds();
    CQxMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
    Played p;
    p.ok = img.Decode(&file, 0, 0);
    p.cpuSeconds = CpuSeconds() - start;
    p.error = img.GetLastError();
    return p;
}

bool IsColour(CQxImage& img, LONG x, LONG yFromTop, BYTE r, BYTE g, BYTE b)
{
    const RGBQUAD c = img.GetPixelColor(x, static_cast<LONG>(img.GetHeight()) - 1 - yFromTop, false);
    return c.rgbRed == r && c.rgbGreen == g && c.rgbBlue == b;
}

// A 4000 x 4000 picture (the reader's largest) with a solid red brush and no pen.
EmfBuilder FilledCanvas()
{
    EmfBuilder e(4000, 4000);
    e.Record(39, {1, 0, kRed, 0});
    e.Record(37, {1});
    e.Record(37, {static_cast<int32_t>(0x80000008)});
    return e;
}

TEST(HostileBoundsTest, WidePenPaintsTheUnionOfItsPiecesOnce)
{
    // A pen of 100000 units along a 1000-point zig-zag: every segment covers the
    // whole canvas, which is painted once, not once per segment and bevel.
    EmfBuilder e(4000, 4000);
    e.Record(38, {1, 0, 100000, 0, kRed});
    e.Record(37, {1});
    std::vector<std::pair<int16_t, int16_t>> zigzag;
    for (int i = 0; i < 1000; ++i)
        zigzag.emplace_back(static_cast<int16_t>(i * 4), static_cast<int16_t>(i % 2 ? 3999 : 0));
    e.Points16(87, zigzag);  // POLYLINE16
    const std::vector<uint8_t> file = e.Finish();
    ASSERT_LT(file.size(), 4200u);
    CQxImageWMF img;
    const Played p = Play(img, file);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_LT(p.cpuSeconds, kOneSecond);
    for (const auto& [x, y] : {std::pair{0, 0}, {3999, 3999}, {2000, 1234}, {3999, 0}})
        EXPECT_TRUE(IsColour(img, x, y, 255, 0, 0)) << x << "," << y;

    // Pieces that overlap where a wide line crosses itself stay painted there
    // (a union, not alternate holes).
    EmfBuilder x(100, 100);
    x.Record(38, {1, 0, 12, 0, kRed});
    x.Record(37, {1});
    x.Points16(87, {{10, 10}, {90, 90}, {90, 10}, {10, 90}});
    CQxImageWMF cross;
    ASSERT_TRUE(Play(cross, x.Finish()).ok);
    EXPECT_TRUE(IsColour(cross, 50, 50, 255, 0, 0)) << "where the diagonals cross";
    EXPECT_TRUE(IsColour(cross, 90, 50, 255, 0, 0)) << "the vertical leg";
    EXPECT_TRUE(IsColour(cross, 50, 30, 255, 255, 255)) << "between the legs";
}

TEST(HostileBoundsTest, PolygonsOfFortyThousandEdgesFinishFast)
{
    // Every edge of a zig-zag spans all 4000 rows: more work than the budget,
    // refused at once with a clear error.
    EmfBuilder zig = FilledCanvas();
    std::vector<std::pair<int16_t, int16_t>> points;
    for (int i = 0; i < 40000; ++i)
        points.emplace_back(static_cast<int16_t>(i / 10), static_cast<int16_t>(i % 2 ? 3999 : 0));
    zig.Points16(86, points);  // POLYGON16
    const std::vector<uint8_t> zigFile = zig.Finish();
    EXPECT_GT(zigFile.size(), 160000u);
    CQxImageWMF zigImg;
    const Played z = Play(zigImg, zigFile);
    EXPECT_FALSE(z.ok);
    EXPECT_EQ(z.error, kBudgetText);
    EXPECT_LT(z.cpuSeconds, kOneSecond);

    // Random vertices: played, and the alternate rule agrees with a plain
    // crossing count at pixel centres.
    std::mt19937 rng(5);
    points.clear();
    for (int i = 0; i < 40000; ++i)
        points.emplace_back(static_cast<int16_t>(rng() % 4000), static_cast<int16_t>(rng() % 4000));
    EmfBuilder rnd = FilledCanvas();
    rnd.Points16(86, points);
    CQxImageWMF img;
    const Played p = Play(img, rnd.Finish());
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_LT(p.cpuSeconds, kOneSecond);
    int checked = 0;
    for (int k = 0; k < 60; ++k) {
        const int px = static_cast<int>(rng() % 4000);
        const int py = static_cast<int>(rng() % 4000);
        const double sx = px + 0.5;
        const double sy = py + 0.5;
        bool inside = false;
        bool ambiguous = false;
        for (size_t i = 0; i < points.size(); ++i) {
            const double ax = points[i].first, ay = points[i].second;
            const double bx = points[(i + 1) % points.size()].first, by = points[(i + 1) % points.size()].second;
            if ((ay <= sy) == (by <= sy))
                continue;
            const double cx = ax + (sy - ay) * (bx - ax) / (by - ay);
            ambiguous |= std::fabs(cx - sx) < 1e-6;
            if (cx < sx)
                inside = !inside;
        }
        if (ambiguous)
            continue;
        ++checked;
        EXPECT_EQ(IsColour(img, px, py, 255, 0, 0), inside) << px << "," << py;
    }
    EXPECT_GT(checked, 50);
}

// ---- memory: decoders refuse what the stream cannot hold before reserving it

// Decodes in a child allowed 256 MB more address space; the decode must fail
// with `error` (a prefix) and the child's peak resident growth is returned.
uint64_t RefusedInChild(const std::vector<uint8_t>& bytes, DWORD format, const std::string& error)
{
    const qxtest::ChildResult r = qxtest::RunInBoundedChild(256 * kMiB, [&] {
        CQxImage img;
        if (qxtest::DecodeBytes(img, bytes, format) || img.IsValid())
            return 1;
        return std::string(img.GetLastError()).rfind(error, 0) == 0 ? 0 : 2;
    });
    EXPECT_TRUE(r.exited) << "the child died (a reservation beyond its limit?)";
    EXPECT_EQ(r.code, 0) << "1: decoded, 2: another error";
    return r.peakResidentGrowth;
}

TEST(HostileBoundsTest, ChildMeasuresWhatItTouches)
{
    const qxtest::ChildResult r = qxtest::RunInBoundedChild(256 * kMiB, [] {
        CQxImage img(8000, 8000, 8);
        img.Clear(1);
        return img.IsValid() ? 0 : 1;
    });
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.code, 0);
    EXPECT_GE(r.peakResidentGrowth, 60 * kMiB);
}

TEST(HostileBoundsTest, BitmapsDeclaringBillionsOfPixelsAreRefused)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string error;
    };
    std::vector<Case> cases;
    // A palette and no rows for 40000 x 40000 pixels.
    std::vector<uint32_t> gray(256);
    for (uint32_t i = 0; i < 256; ++i)
        gray[i] = i * 0x010101u;
    cases.push_back({"8 bits, 40000 x 40000", BmpHeader(40000, 40000, 8, 0, gray, 0), "Image of 40000 x 40000"});
    // 120 bytes for 120000 x 120000.
    std::vector<uint8_t> huge = BmpHeader(120000, 120000, 24, 0, {}, 0);
    huge.resize(120, 0x11);
    cases.push_back({"24 bits, 120000 x 120000", huge, "Image of 120000 x 120000 pixels exceeds the pixel budget"});
    // Within the pixel budget, with 1 KB of its 256 MB of rows.
    std::vector<uint8_t> rows = BmpHeader(16000, 16000, 8, 0, gray, 0);
    rows.resize(rows.size() + 1024, 0x22);
    cases.push_back({"8 bits, rows missing", rows, kShortBmp});
    // Run-length data of 1 KB cannot cover 256 million pixels.
    for (uint16_t bpp : {uint16_t(8), uint16_t(4)}) {
        std::vector<uint8_t> rle = BmpHeader(16000, 16000, bpp, bpp == 8 ? 1 : 2,
                                             std::vector<uint32_t>(gray.begin(), gray.begin() + (bpp == 8 ? 256 : 16)),
                                             1024);
        for (int i = 0; i < 511; ++i)
            rle.insert(rle.end(), {255, 7});
        rle.insert(rle.end(), {0, 1});
        cases.push_back({bpp == 8 ? "RLE8" : "RLE4", rle, kShortBmp});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_LE(c.bytes.size(), 2200u);
        EXPECT_LT(RefusedInChild(c.bytes, QXIMAGE_FORMAT_BMP, c.error), 32 * kMiB);
        // The probe refuses them too.
        EXPECT_LT(RefusedInChild(c.bytes, QXIMAGE_FORMAT_UNKNOWN, "Decode: Unknown or wrong format"), 32 * kMiB);
    }
}

// A valid grey PNG whose pixels are all 0. After a first block, a flushed
// deflate block of 1 MiB of zeros decodes alike wherever it stands, so it is
// compressed once and repeated; the trailer gets the checksum of all the data.
std::vector<uint8_t> ZeroPng(uint32_t width, uint32_t height, int bitDepth)
{
    const uint64_t total = ((static_cast<uint64_t>(width) * bitDepth + 7) / 8 + 1) * height;
    constexpr size_t kBlock = 1 << 20;
    std::vector<uint8_t> zeros(kBlock, 0);
    z_stream z{};
    deflateInit(&z, 9);
    auto compress = [&](size_t n, int flush) {
        std::vector<uint8_t> out(deflateBound(&z, n) + 64);
        z.next_in = zeros.data();
        z.avail_in = static_cast<uInt>(n);
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, flush);
        return std::vector<uint8_t>(out.data(), z.next_out);
    };
    std::vector<uint8_t> data;
    uint64_t left = total;
    auto append = [&](const std::vector<uint8_t>& part) { data.insert(data.end(), part.begin(), part.end()); };
    for (int primed = 0; primed < 2 && left > kBlock; ++primed, left -= kBlock)
        append(compress(kBlock, Z_SYNC_FLUSH));
    if (left > kBlock) {
        const std::vector<uint8_t> repeat = compress(kBlock, Z_SYNC_FLUSH);
        for (; left > kBlock; left -= kBlock)
            append(repeat);
    }
    append(compress(static_cast<size_t>(left), Z_FINISH));
    deflateEnd(&z);
    const uint32_t adler = static_cast<uint32_t>((total % 65521) << 16 | 1);
    for (int i = 0; i < 4; ++i)
        data[data.size() - 4 + i] = static_cast<uint8_t>(adler >> (24 - 8 * i));

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, const uint8_t* body, size_t n) {
        for (int i = 0; i < 4; ++i)
            png.push_back(static_cast<uint8_t>(n >> (24 - 8 * i)));
        const size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), body, body + n);
        const uLong crc = crc32(0, png.data() + start, static_cast<uInt>(png.size() - start));
        for (int i = 0; i < 4; ++i)
            png.push_back(static_cast<uint8_t>(crc >> (24 - 8 * i)));
    };
    uint8_t ihdr[13] = {};
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        ihdr[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    ihdr[8] = static_cast<uint8_t>(bitDepth);
    chunk("IHDR", ihdr, sizeof(ihdr));
    for (size_t at = 0; at < data.size(); at += kMiB)
        chunk("IDAT", data.data() + at, std::min<size_t>(kMiB, data.size() - at));
    chunk("IEND", nullptr, 0);
    return png;
}

TEST(HostileBoundsTest, PngOfTenBillionPixelsIsRefusedByThePixelBudget)
{
    // The generator makes files that decode: a small twin first.
    CQxImage small;
    ASSERT_TRUE(qxtest::DecodeBytes(small, ZeroPng(3000, 700, 1), QXIMAGE_FORMAT_PNG)) << small.GetLastError();
    EXPECT_EQ(small.GetWidth(), 3000u);
    EXPECT_EQ(small.GetPixelIndex(2999, 0), 0);

    // 1.2 MB that inflate to 1.25 GB: plausible for the stream, over the budget.
    const std::vector<uint8_t> png = ZeroPng(100000, 100000, 1);
    EXPECT_LT(png.size(), 1400 * 1024u);
    EXPECT_LT(RefusedInChild(png, QXIMAGE_FORMAT_PNG, "Image of 100000 x 100000 pixels exceeds the pixel budget of "
                                                      "256000000"),
              32 * kMiB);
}

TEST(HostileBoundsTest, PixelBudgetIsOneSettingForEveryDecoder)
{
    CQxImage img(40, 30, 24);
    const std::vector<DWORD> formats = {QXIMAGE_FORMAT_BMP, QXIMAGE_FORMAT_GIF, QXIMAGE_FORMAT_PNG,
                                        QXIMAGE_FORMAT_TGA, QXIMAGE_FORMAT_PCX};
    CQxImage::SetDecodePixelBudget(1199);
    for (DWORD format : formats) {
        const std::vector<uint8_t> file = qxtest::EncodeBytes(img, format);
        ASSERT_FALSE(file.empty()) << format;
        CQxImage decoded;
        EXPECT_FALSE(qxtest::DecodeBytes(decoded, file, format)) << format;
        EXPECT_STREQ(decoded.GetLastError(), "Image of 40 x 30 pixels exceeds the pixel budget of 1199") << format;
    }
    CQxImage::SetDecodePixelBudget(1200);
    for (DWORD format : formats) {
        CQxImage decoded;
        EXPECT_TRUE(qxtest::DecodeBytes(decoded, qxtest::EncodeBytes(img, format), format)) << format;
    }
    CQxImage::SetDecodePixelBudget(0);
    EXPECT_EQ(CQxImage::GetDecodePixelBudget(), 256000000u);
}

}  // namespace
