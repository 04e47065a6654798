// Files made by ImageMagick and netpbm, and PNG files shipped by Debian, must
// decode to the pixels those tools decode.
#include "tests/imaging/CodecTestSupport.h"

#include "imaging/CQxImage.h"

#include <gtest/gtest.h>

namespace {

using qxtest::PnmImage;

void CheckSamples(const std::string& codec, DWORD format, size_t minimum)
{
    const auto samples = qxtest::Samples(codec);
    ASSERT_GE(samples.size(), minimum) << "sample script made too few " << codec << " files";
    for (const auto& s : samples) {
        SCOPED_TRACE(s.file + " frame " + std::to_string(s.frame));
        PnmImage ref;
        ASSERT_TRUE(qxtest::ReadPnm(s.ref, ref)) << s.ref;
        CQxImage img;
        img.SetFrame(s.frame);
        ASSERT_TRUE(img.Load(s.file.c_str(), format)) << img.GetLastError();
        EXPECT_EQ(img.GetType(), format);
        EXPECT_EQ(qxtest::CompareWithReference(img, ref, s.mode), "");
        // The probe of format 0 finds the same format.
        CQxImage probed;
        probed.SetFrame(s.frame);
        ASSERT_TRUE(probed.Load(s.file.c_str(), 0)) << probed.GetLastError();
        EXPECT_EQ(probed.GetType(), format);
    }
}

TEST(CodecCrossCheckTest, GifFilesOfOtherToolsDecodeAlike) { CheckSamples("gif", QXIMAGE_FORMAT_GIF, 12); }
TEST(CodecCrossCheckTest, PngFilesOfOtherToolsAndDebianDecodeAlike) { CheckSamples("png", QXIMAGE_FORMAT_PNG, 20); }
TEST(CodecCrossCheckTest, TgaFilesOfOtherToolsDecodeAlike) { CheckSamples("tga", QXIMAGE_FORMAT_TGA, 12); }
TEST(CodecCrossCheckTest, PcxFilesOfOtherToolsDecodeAlike) { CheckSamples("pcx", QXIMAGE_FORMAT_PCX, 8); }
TEST(CodecCrossCheckTest, IcoFilesOfOtherToolsDecodeAlike) { CheckSamples("ico", QXIMAGE_FORMAT_ICO, 6); }
TEST(CodecCrossCheckTest, WbmpFilesOfOtherToolsDecodeAlike) { CheckSamples("wbmp", QXIMAGE_FORMAT_WBMP, 3); }

}  // namespace
