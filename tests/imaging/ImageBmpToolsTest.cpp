// Cross-checks with files written and read by other tools: ImageMagick and
// netpbm make BMP files in every variant they offer and decode them; our
// decoding must give the same pixels. What we encode must decode identically
// with those tools.
#include "imaging/CQxImage.h"
#include "tests/imaging/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

using qx_imaging_test::Ppm;
using qx_imaging_test::TempDir;

namespace {
bool HaveTools()
{
    return qx_imaging_test::HaveTool("convert") && qx_imaging_test::HaveTool("bmptopnm") &&
           qx_imaging_test::HaveTool("ppmtobmp") && qx_imaging_test::HaveTool("python3");
}

::testing::AssertionResult MatchesPpm(CQxImage& img, const Ppm& ref, int tolerance)
{
    if (static_cast<int>(img.GetWidth()) != ref.width || static_cast<int>(img.GetHeight()) != ref.height)
        return ::testing::AssertionFailure() << "size " << img.GetWidth() << "x" << img.GetHeight() << " vs "
                                             << ref.width << "x" << ref.height;
    for (int row = 0; row < ref.height; ++row) {
        for (int x = 0; x < ref.width; ++x) {
            // PPM rows run from the top, image rows from the bottom.
            const RGBQUAD c = img.GetPixelColor(x, ref.height - 1 - row, false);
            const uint8_t* p = &ref.rgb[(static_cast<size_t>(row) * ref.width + x) * 3];
            if (std::abs(c.rgbRed - p[0]) > tolerance || std::abs(c.rgbGreen - p[1]) > tolerance ||
                std::abs(c.rgbBlue - p[2]) > tolerance)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << row << " from top: ours " << int(c.rgbRed) << "," << int(c.rgbGreen)
                       << "," << int(c.rgbBlue) << " tool " << int(p[0]) << "," << int(p[1]) << "," << int(p[2]);
        }
    }
    return ::testing::AssertionSuccess();
}
}  // namespace

TEST(ImageBmpTools, DecodesWhatImageMagickAndNetpbmWrite)
{
    if (!HaveTools())
        GTEST_SKIP() << "ImageMagick, netpbm or python3 missing";
    TempDir dir;
    ASSERT_TRUE(qx_imaging_test::Run("sh '" + qx_imaging_test::TestSourceDir() + "/make_samples.sh' '" +
                                     dir.path().string() + "' >/dev/null 2>&1"));
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().extension() == ".bmp")
            names.insert(entry.path().stem().string());
    ASSERT_GE(names.size(), 29u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Ppm ref;
        ASSERT_TRUE(ref.Read(dir.file(name + ".ppm")));
        int tolerance = 0;
        std::ifstream tol(dir.file(name + ".tol"));
        if (tol)
            tol >> tolerance;
        CQxImage img;
        ASSERT_TRUE(img.Load(dir.file(name + ".bmp").c_str(), QXIMAGE_FORMAT_BMP)) << img.GetLastError();
        EXPECT_TRUE(MatchesPpm(img, ref, tolerance));
        // The probe of format 0 finds the same picture.
        CQxImage probed;
        ASSERT_TRUE(probed.Load(dir.file(name + ".bmp").c_str(), QXIMAGE_FORMAT_UNKNOWN));
        EXPECT_TRUE(qx_imaging_test::SamePixels(img, probed));
    }
}

TEST(ImageBmpTools, ToolsDecodeWhatWeWrite)
{
    if (!HaveTools())
        GTEST_SKIP() << "ImageMagick, netpbm or python3 missing";
    TempDir dir;
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        for (DWORD width : {1u, 13u, 32u}) {
            CQxImage img(width, 7, bpp, 0);
            qx_imaging_test::FillPattern(img, bpp + width);
            const std::string base = dir.file("ours_" + std::to_string(bpp) + "_" + std::to_string(width));
            ASSERT_TRUE(img.Save((base + ".bmp").c_str(), QXIMAGE_FORMAT_BMP));
            ASSERT_TRUE(qx_imaging_test::Run("bmptopnm '" + base + ".bmp' 2>/dev/null | ppmtoppm > '" + base +
                                             ".n.ppm'"));
            ASSERT_TRUE(qx_imaging_test::Run("convert '" + base + ".bmp' -depth 8 ppm:'" + base + ".m.ppm'"));
            Ppm viaNetpbm, viaMagick;
            ASSERT_TRUE(viaNetpbm.Read(base + ".n.ppm"));
            ASSERT_TRUE(viaMagick.Read(base + ".m.ppm"));
            EXPECT_TRUE(MatchesPpm(img, viaNetpbm, 0)) << bpp << " " << width;
            EXPECT_TRUE(MatchesPpm(img, viaMagick, 0)) << bpp << " " << width;
        }
    }
}
