#include "imaging/CQxImage.h"
#include "tests/imaging/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {
// Reaches the protected parts the codecs use.
class OpenImage : public CQxImage {
public:
    using CQxImage::CQxImage;
    using CQxImage::Bitfield2RGB;
    using CQxImage::Ghost;
    using CQxImage::IsSizeAllowed;
    using CQxImage::RGBtoBGR;
};
}  // namespace

TEST(ImageObject, CreateNormalisesDepthAndSizes)
{
    CQxImage img;
    EXPECT_FALSE(img.IsValid());
    EXPECT_EQ(img.Create(10, 0, 8, 0), nullptr);
    EXPECT_STREQ(img.GetLastError(), "CQxImage::Create : width and height must be greater than zero");

    const struct {
        DWORD asked, bpp, colors;
    } cases[] = {{0, 1, 2}, {1, 1, 2}, {2, 4, 16}, {3, 4, 16}, {4, 4, 16}, {5, 8, 256}, {8, 8, 256}, {16, 24, 0}, {32, 24, 0}};
    for (const auto& c : cases) {
        ASSERT_NE(img.Create(3, 2, c.asked, 5), nullptr) << c.asked;
        EXPECT_EQ(img.GetBpp(), c.bpp) << c.asked;
        EXPECT_EQ(img.GetNumColors(), c.colors) << c.asked;
        EXPECT_EQ(img.GetType(), 5u);
    }
    ASSERT_NE(img.Create(1, 1, 24, 0), nullptr);
    EXPECT_EQ(img.GetEffWidth(), 4u);
    EXPECT_EQ(img.GetSize(), 40u + 4u);
    ASSERT_NE(img.Create(9, 3, 1, 0), nullptr);
    EXPECT_EQ(img.GetEffWidth(), 4u);
    EXPECT_EQ(img.GetSize(), 40u + 8u + 12u);
}

TEST(ImageObject, CreateZeroFillsAndRefusesOverBudget)
{
    CQxImage img(13, 7, 24, 0);
    ASSERT_TRUE(img.IsValid());
    const BYTE* bits = img.GetBits();
    for (DWORD i = 0; i < img.GetEffWidth() * img.GetHeight(); ++i)
        ASSERT_EQ(bits[i], 0) << i;

    // Products beyond 32 bits are refused, not wrapped.
    EXPECT_EQ(img.Create(0x10000, 0x10000, 24, 0), nullptr);
    EXPECT_STREQ(img.GetLastError(), "QXIMAGE_MAX_MEMORY exceeded");
    EXPECT_FALSE(img.IsValid());
    EXPECT_EQ(img.Create(0xFFFFFFFFu, 1, 8, 0), nullptr);
    EXPECT_STREQ(img.GetLastError(), "QXIMAGE_MAX_MEMORY exceeded");
    EXPECT_FALSE(OpenImage::IsSizeAllowed(0x80000000ull, 1, 1));
    EXPECT_FALSE(OpenImage::IsSizeAllowed(100000, 100000, 24));
    EXPECT_TRUE(OpenImage::IsSizeAllowed(1920, 1080, 24));
}

TEST(ImageObject, GetBitsRowsAndClear)
{
    CQxImage img(9, 3, 4, 0);
    EXPECT_EQ(img.GetBits(1), img.GetBits(0) + img.GetEffWidth());
    EXPECT_EQ(img.GetBits(3), nullptr);
    img.Clear(0x3A);
    EXPECT_EQ(img.GetBits()[0], 0xAA);
    CQxImage mono(9, 3, 1, 0);
    mono.Clear(1);
    EXPECT_EQ(mono.GetBits(2)[3], 255);
    EXPECT_TRUE(mono.IsInside(8, 2));
    EXPECT_FALSE(mono.IsInside(9, 0));
    EXPECT_FALSE(mono.IsInside(0, -1));
}

TEST(ImageObject, ResolutionFlagsAndCodecOptions)
{
    CQxImage img;
    EXPECT_EQ(img.GetXDPI(), 96);
    img.SetXDPI(0);
    EXPECT_EQ(img.GetXDPI(), 96);
    img.SetXDPI(300);
    ASSERT_NE(img.Create(2, 2, 24, 3), nullptr);
    EXPECT_EQ(img.GetXDPI(), 300);
    img.SetFlags(0xABCD1234u, true);
    EXPECT_EQ(img.GetFlags(), 0x1234u);
    img.SetFlags(0xABCD1234u, false);
    EXPECT_EQ(img.GetFlags(), 0xABCD1234u);
    EXPECT_EQ(img.GetCodecOption(9), 0u);
    EXPECT_FALSE(img.SetCodecOption(1, 9));
    EXPECT_TRUE(img.SetCodecOption(7, 0));  // own type, 3
    EXPECT_EQ(img.GetCodecOption(3), 7u);
    EXPECT_EQ(img.GetCodecOption(0), 7u);
    EXPECT_EQ(img.GetJpegQuality(), 90);
    EXPECT_STREQ(CQxImage::GetVersion(), "CQxImage 5.99c");
    EXPECT_FLOAT_EQ(CQxImage::GetVersionNumber(), 5.99003f);
}

TEST(ImageObject, ResolutionWritesPixelsPerMetre)
{
    // Observed through an encoded header: 300 dpi -> 11811, 0 dpi -> 96 -> 3780.
    CQxImage img(1, 1, 24, 0);
    img.SetXDPI(300);
    img.SetYDPI(0);
    BYTE* buf = nullptr;
    int32_t size = 0;
    ASSERT_TRUE(img.Encode(buf, size, QXIMAGE_FORMAT_BMP));
    EXPECT_EQ(QxGetLE32(buf + 14 + 24), 11811u);
    EXPECT_EQ(QxGetLE32(buf + 14 + 28), 3780u);
    CQxImage::FreeMemory(buf);
    // A resolution whose metric value does not fit stays in range.
    img.SetYDPI(INT32_MAX);
    EXPECT_EQ(img.GetYDPI(), INT32_MAX);
    buf = nullptr;
    ASSERT_TRUE(img.Encode(buf, size, QXIMAGE_FORMAT_BMP));
    EXPECT_EQ(QxGetLE32(buf + 14 + 28), static_cast<DWORD>(INT32_MAX));
    CQxImage::FreeMemory(buf);
}

TEST(ImageObject, CopyTransferAndSelfOperations)
{
    CQxImage a(5, 4, 8, 1);
    qx_imaging_test::FillPattern(a, 3);
    a.AlphaCreate();
    a.AlphaSet(2, 2, 17);
    a.SelectionAddPixel(1, 1);
    a.SetTransIndex(4);

    CQxImage b(a);
    EXPECT_TRUE(qx_imaging_test::SamePixels(a, b));
    EXPECT_EQ(b.AlphaGet(2, 2), 17);
    EXPECT_TRUE(b.SelectionIsInside(1, 1));
    EXPECT_FALSE(b.SelectionIsInside(2, 1));
    EXPECT_EQ(b.GetTransIndex(), 4);
    EXPECT_NE(b.GetBits(), a.GetBits());

    CQxImage noPixels(a, false, false, false);
    EXPECT_TRUE(noPixels.IsSamePalette(a));
    EXPECT_FALSE(noPixels.AlphaIsValid());
    EXPECT_EQ(noPixels.GetPixelIndex(0, 0), 0);

    // Copying or transferring onto itself changes nothing.
    const void* dib = a.GetDIB();
    a = a;
    a.Copy(a);
    EXPECT_TRUE(a.Transfer(a));
    EXPECT_EQ(a.GetDIB(), dib);
    EXPECT_TRUE(qx_imaging_test::SamePixels(a, b));

    CQxImage c;
    EXPECT_TRUE(c.Transfer(a));
    EXPECT_EQ(c.GetDIB(), dib);
    EXPECT_EQ(c.AlphaGet(2, 2), 17);
    EXPECT_FALSE(a.IsValid());
    EXPECT_EQ(a.GetWidth(), 0u);
    EXPECT_FALSE(a.AlphaIsValid());
}

TEST(ImageObject, GhostSharesAndNeverFrees)
{
    auto owner = std::make_unique<OpenImage>(4, 4, 24, 0);
    owner->AlphaCreate();
    {
        OpenImage ghost;
        ghost.Ghost(owner.get());
        EXPECT_EQ(ghost.GetDIB(), owner->GetDIB());
        EXPECT_FALSE(ghost.Destroy());
        EXPECT_EQ(ghost.Create(2, 2, 8, 0), nullptr);
        // Copy into a ghost must not replace the shared buffers either.
        CQxImage other(3, 3, 8, 0);
        ghost.Copy(other);
        EXPECT_EQ(ghost.GetDIB(), owner->GetDIB());
        // An image taking a ghost's buffers becomes a ghost and frees nothing.
        CQxImage heir;
        EXPECT_TRUE(heir.Transfer(ghost));
        EXPECT_EQ(heir.GetDIB(), owner->GetDIB());
        EXPECT_FALSE(heir.Destroy());
    }
    // Owner's buffers are intact and freed once, by the owner (ASan checks).
    owner->SetPixelColor(3, 3, RGBQUAD{1, 2, 3, 0});
    EXPECT_EQ(owner->GetPixelColor(3, 3).rgbRed, 3);
    EXPECT_EQ(owner->AlphaGet(3, 3), 255);
}

TEST(ImageObject, CreateFromArrayAtEveryDepth)
{
    // 32 bits with flip: source line 0 lands on the top row, alpha included.
    const BYTE px32[2 * 2 * 4] = {1, 2, 3, 40, 5, 6, 7, 80, 9, 10, 11, 120, 13, 14, 15, 160};
    CQxImage img;
    ASSERT_TRUE(img.CreateFromArray(px32, 2, 2, 32, 8, true));
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_EQ(img.GetPixelColor(0, 1).rgbBlue, 1);
    EXPECT_EQ(img.AlphaGet(0, 1), 40);
    EXPECT_EQ(img.AlphaGet(1, 0), 160);
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbRed, 15);

    const BYTE px8[3 * 2] = {0, 100, 200, 255, 1, 2};
    ASSERT_TRUE(img.CreateFromArray(px8, 3, 2, 8, 3, false));
    EXPECT_TRUE(img.IsGrayScale());
    EXPECT_EQ(img.GetPixelIndex(2, 0), 200);
    EXPECT_EQ(img.GetPixelIndex(0, 1), 255);

    const BYTE px1[2] = {0xA0, 0x40};
    ASSERT_TRUE(img.CreateFromArray(px1, 3, 2, 1, 1, false));
    EXPECT_EQ(img.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(img.GetPixelIndex(1, 0), 0);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 1);

    EXPECT_FALSE(img.CreateFromArray(px8, 3, 2, 16, 6, false));
    EXPECT_FALSE(img.CreateFromArray(nullptr, 3, 2, 8, 3, false));

    const BYTE row0[4] = {0x12, 0x34, 0, 0};
    BYTE* rows[2] = {const_cast<BYTE*>(row0), nullptr};
    ASSERT_TRUE(img.CreateFromMatrix(rows, 4, 2, 4, 2, false));
    EXPECT_EQ(img.GetPixelIndex(1, 0), 2);
    EXPECT_EQ(img.GetPixelIndex(2, 0), 3);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 0);  // null row left as created
}

TEST(ImageObject, BitfieldConversionHonoursMasks)
{
    OpenImage img(3, 2, 24, 0);
    // 5-6-5 words: pure red, pure green, pure blue; row 1 white, black, gray.
    std::vector<BYTE> src = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0,
                             0xFF, 0xFF, 0x00, 0x00, 0x10, 0x84, 0, 0};
    img.Bitfield2RGB(src.data(), 0xF800, 0x07E0, 0x001F, 16);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 0xF8);
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbGreen, 0xFC);
    EXPECT_EQ(img.GetPixelColor(2, 0).rgbBlue, 0xF8);
    EXPECT_EQ(img.GetPixelColor(0, 1).rgbGreen, 0xFC);
    EXPECT_EQ(img.GetPixelColor(1, 1).rgbRed, 0);
    EXPECT_EQ(img.GetPixelColor(2, 1).rgbRed, 0x80);

    // Hostile masks (zero, full width, above 16 bits) never shift out of range.
    img.Bitfield2RGB(src.data(), 0xFFFFFFFF, 0, 0x80000000, 16);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 0xF8);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbGreen, 0);

    std::vector<BYTE> src32 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
    img.Bitfield2RGB(src32.data(), 0, 0, 0, 32);
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbBlue, 5);
    EXPECT_EQ(img.GetPixelColor(2, 1).rgbRed, 23);

    OpenImage rgb(2, 1, 24, 0);
    BYTE line[7] = {1, 2, 3, 4, 5, 6, 7};
    rgb.RGBtoBGR(line, 6);
    EXPECT_EQ(line[0], 3);
    EXPECT_EQ(line[3], 6);
    EXPECT_EQ(line[6], 7);
}

TEST(ImageObject, TransIndexBoundedByPalette)
{
    CQxImage img(4, 4, 4, 0);
    EXPECT_FALSE(img.IsTransparent());
    EXPECT_TRUE(img.SetTransIndex(15));
    EXPECT_FALSE(img.SetTransIndex(16));
    EXPECT_FALSE(img.SetTransIndex(-2));
    EXPECT_EQ(img.GetTransIndex(), 15);
    EXPECT_TRUE(img.SetTransIndex(-1));
    EXPECT_FALSE(img.IsTransparent());
    img.SetPaletteColor(2, 10, 20, 30);
    img.SetTransIndex(2);
    EXPECT_EQ(img.GetTransColor().rgbGreen, 20);
    CQxImage rgb(2, 2, 24, 0);
    rgb.SetTransColor(RGBQUAD{1, 2, 3, 99});
    EXPECT_EQ(rgb.GetTransColor().rgbReserved, 0);
    EXPECT_EQ(rgb.GetColorType(), 2);
    rgb.AlphaCreate();
    EXPECT_EQ(rgb.GetColorType(), 4);
    EXPECT_EQ(img.GetColorType(), 1);
}
