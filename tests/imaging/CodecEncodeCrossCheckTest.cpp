// What our encoders write must decode, with ImageMagick and netpbm, to the
// pixels we wrote; our PNG files must pass pngcheck; and our own decoders must
// read them back unchanged.
#include "tests/imaging/CodecTestSupport.h"

#include "imaging/CQxImage.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using qxtest::PnmImage;

struct Source {
    std::string name;
    std::string sample;  // file in the samples folder
    DWORD format;
};

// Pictures at every depth the image object holds, decoded from the samples.
const std::vector<Source>& Sources()
{
    static const std::vector<Source> sources = {
        {"rgb24", "tga_im_24.tga", QXIMAGE_FORMAT_TGA},      {"pal8", "gif_im_256.gif", QXIMAGE_FORMAT_GIF},
        {"pal4", "gif_im_16.gif", QXIMAGE_FORMAT_GIF},       {"mono1", "gif_im_2.gif", QXIMAGE_FORMAT_GIF},
        {"rgba", "png_im_rgba.png", QXIMAGE_FORMAT_PNG},     {"gray8", "png_im_gray8.png", QXIMAGE_FORMAT_PNG},
        {"trans8", "gif_im_trans.gif", QXIMAGE_FORMAT_GIF},
    };
    return sources;
}

bool LoadSource(const Source& s, CQxImage& img)
{
    return img.Load((qxtest::SamplesDir() + "/" + s.sample).c_str(), s.format);
}

bool HasTransparency(CQxImage& img)
{
    return img.AlphaIsValid() || img.GetTransIndex() >= 0;
}

// Writes the image with our encoder, converts the file with the tool command
// (%s: the file) into a netpbm file and compares.
void CheckWithTool(CQxImage& img, DWORD format, const std::string& name, const std::string& toolCommand,
                   const std::string& mode)
{
    const std::string file = qxtest::ScratchPath(name);
    ASSERT_TRUE(img.Save(file.c_str(), format)) << img.GetLastError();
    std::string cmd = toolCommand;
    const std::string ref = file + ".ref";
    for (size_t p; (p = cmd.find("%s")) != std::string::npos;)
        cmd.replace(p, 2, "'" + file + "'");
    for (size_t p; (p = cmd.find("%r")) != std::string::npos;)
        cmd.replace(p, 2, "'" + ref + "'");
    ASSERT_EQ(qxtest::Run(cmd + " 2>/dev/null"), 0) << cmd;
    PnmImage pnm;
    ASSERT_TRUE(qxtest::ReadPnm(ref, pnm));
    EXPECT_EQ(qxtest::CompareWithReference(img, pnm, mode), "") << "checked by: " << cmd;

    // Our decoder reads it back as written.
    CQxImage back;
    ASSERT_TRUE(back.Load(file.c_str(), format)) << back.GetLastError();
    EXPECT_EQ(back.GetWidth(), img.GetWidth());
    EXPECT_EQ(qxtest::CompareWithReference(back, pnm, mode), "") << "our decoder on " << name;
}

TEST(CodecEncodeCrossCheckTest, PngWeWritePassesPngcheckAndDecodesAlike)
{
    for (const auto& s : Sources()) {
        for (DWORD interlace : {0u, 1u}) {
            SCOPED_TRACE(s.name + (interlace ? " interlaced" : ""));
            CQxImage img;
            ASSERT_TRUE(LoadSource(s, img)) << img.GetLastError();
            img.SetCodecOption(interlace, QXIMAGE_FORMAT_PNG);
            const std::string name = "enc_" + s.name + std::to_string(interlace) + ".png";
            const bool alpha = HasTransparency(img);
            CheckWithTool(img, QXIMAGE_FORMAT_PNG, name,
                          alpha ? "pngtopam -alphapam %s > %r" : "pngtopam %s > %r", alpha ? "rgba" : "rgb");
            EXPECT_EQ(qxtest::Run("pngcheck -q '" + qxtest::ScratchPath(name) + "' >/dev/null"), 0) << name;
        }
    }
}

TEST(CodecEncodeCrossCheckTest, GifWeWriteDecodesAlikeWithEveryCompressor)
{
    for (const auto& s : Sources()) {
        for (DWORD option : {0u, 1u, 2u}) {
            SCOPED_TRACE(s.name + " compressor " + std::to_string(option));
            CQxImage img;
            ASSERT_TRUE(LoadSource(s, img));
            if (img.AlphaIsValid())
                continue;  // GIF keeps no alpha channel
            img.SetCodecOption(option, QXIMAGE_FORMAT_GIF);
            const std::string name = "enc_" + s.name + std::to_string(option) + ".gif";
            // A 24-bit picture is written as a mosaic of tiles: compare the composed last frame.
            const std::string tool = img.GetBpp() == 24 ? "convert %s -coalesce -delete 0--2 ppm:%r" : "giftopnm %s > %r";
            CheckWithTool(img, QXIMAGE_FORMAT_GIF, name, tool, "rgb");
        }
    }
}

TEST(CodecEncodeCrossCheckTest, GifTableResetsAndLongRunsDecodeAlike)
{
    // Noise fills the code table many times over; long runs use run codes.
    CQxImage img(317, 211, 8);
    for (int i = 0; i < 256; ++i)
        img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i * 3), static_cast<BYTE>(255 - i));
    uint32_t seed = 12345;
    for (LONG y = 0; y < 211; ++y)
        for (LONG x = 0; x < 317; ++x) {
            seed = seed * 1103515245u + 12345u;
            const BYTE noise = static_cast<BYTE>(seed >> 24);
            img.SetPixelIndex(x, y, y < 100 ? noise : static_cast<BYTE>(y < 150 ? 7 : (x / 50) * 11));
        }
    for (DWORD option : {0u, 1u, 2u}) {
        SCOPED_TRACE("compressor " + std::to_string(option));
        img.SetCodecOption(option, QXIMAGE_FORMAT_GIF);
        CheckWithTool(img, QXIMAGE_FORMAT_GIF, "enc_noise" + std::to_string(option) + ".gif", "giftopnm %s > %r", "rgb");
    }
}

TEST(CodecEncodeCrossCheckTest, TgaWeWriteDecodesAlike)
{
    for (const auto& s : Sources()) {
        SCOPED_TRACE(s.name);
        CQxImage img;
        ASSERT_TRUE(LoadSource(s, img));
        if (img.GetBpp() < 8)
            continue;
        const bool alpha = img.AlphaIsValid() && img.GetBpp() == 24;
        CheckWithTool(img, QXIMAGE_FORMAT_TGA, "enc_" + s.name + ".tga",
                      alpha ? "tgatoppm --alphaout=%r.a %s > %r.c && pamstack %r.c %r.a > %r" : "tgatoppm %s > %r",
                      alpha ? "rgba" : "rgb");
    }
}

TEST(CodecEncodeCrossCheckTest, PcxWeWriteDecodesAlike)
{
    for (const auto& s : Sources()) {
        SCOPED_TRACE(s.name);
        CQxImage img;
        ASSERT_TRUE(LoadSource(s, img));
        // netpbm reads no alpha plane; ImageMagick does.
        if (img.AlphaIsValid())
            CheckWithTool(img, QXIMAGE_FORMAT_PCX, "enc_" + s.name + ".pcx", "convert %s -depth 8 pam:%r", "rgba");
        else
            CheckWithTool(img, QXIMAGE_FORMAT_PCX, "enc_" + s.name + ".pcx", "pcxtoppm %s > %r", "rgb");
    }
}

TEST(CodecEncodeCrossCheckTest, IcoWeWriteDecodesAlike)
{
    for (const auto& s : Sources()) {
        SCOPED_TRACE(s.name);
        CQxImage img;
        ASSERT_TRUE(LoadSource(s, img));
        CheckWithTool(img, QXIMAGE_FORMAT_ICO, "enc_" + s.name + ".ico", "winicontopam %s > %r", "rgba");
    }
}

TEST(CodecEncodeCrossCheckTest, WbmpWeWriteDecodesAlike)
{
    CQxImage img;
    ASSERT_TRUE(img.Load((qxtest::SamplesDir() + "/wbmp_im_wide.wbmp").c_str(), QXIMAGE_FORMAT_WBMP));
    ASSERT_EQ(img.GetWidth(), 300u);  // wider than one byte can say
    CheckWithTool(img, QXIMAGE_FORMAT_WBMP, "enc_wide.wbmp", "wbmptopbm %s > %r", "rgb");
    CQxImage mono;
    ASSERT_TRUE(LoadSource(Sources()[3], mono));
    CheckWithTool(mono, QXIMAGE_FORMAT_WBMP, "enc_mono.wbmp", "wbmptopbm %s > %r", "rgb");
}

}  // namespace
