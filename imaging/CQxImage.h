// CQxImage: a device-independent bitmap in one memory block (header, palette,
// bottom-up rows padded to 4 bytes) with extended information, an optional
// selection mask, an optional alpha channel and optional layers. Every codec
// derives from it; pixel, palette, alpha, selection and transformation
// operations work on it.
#pragma once

#include "imaging/CQxFile.h"
#include "imaging/CQxRegion.h"
#include "imaging/QxResource.h"
#include "imaging/QxTypes.h"

#include <cstdint>
#include <cstdio>

// Format ids. 0 probes every format on decode and is refused on encode.
inline constexpr DWORD QXIMAGE_FORMAT_UNKNOWN = 0;
inline constexpr DWORD QXIMAGE_FORMAT_BMP = 1;
inline constexpr DWORD QXIMAGE_FORMAT_GIF = 2;
inline constexpr DWORD QXIMAGE_FORMAT_PNG = 3;
inline constexpr DWORD QXIMAGE_FORMAT_ICO = 4;
inline constexpr DWORD QXIMAGE_FORMAT_TGA = 5;
inline constexpr DWORD QXIMAGE_FORMAT_PCX = 6;
inline constexpr DWORD QXIMAGE_FORMAT_WBMP = 7;
inline constexpr DWORD QXIMAGE_FORMAT_WMF = 8;
inline constexpr DWORD QXIMAGE_MAX_FORMATS = 9;  // number of ids, 0 included

// Budget of Create: width x height x bits per pixel, shifted right by 8, must
// not exceed it. Fuzzing builds lower it so that hostile headers cannot
// exhaust the fuzzer's memory limit.
#ifndef QXIMAGE_MAX_MEMORY
#define QXIMAGE_MAX_MEMORY 256000000
#endif

// Default of the decoders' pixel budget (CQxImage::SetDecodePixelBudget).
inline constexpr uint64_t QXIMAGE_DEFAULT_DECODE_PIXELS = 256000000;

class CQxImage {
public:
    // Extended information kept beside the bitmap; copied as a whole by Copy,
    // CopyInfo, Transfer and Ghost.
    struct QxImageInfo {
        DWORD dwEffWidth;           // bytes per row
        BYTE* pImage;               // first pixel row inside the bitmap block
        CQxImage* pGhost;           // the image this one is a ghost of
        CQxImage* pParent;          // carried, read by nothing here
        DWORD dwType;               // format id
        char szLastError[256];      // last error text
        int32_t nProgress;
        int32_t nEscape;            // >0 cancel; -1 dimensions only (decoders)
        int32_t nBkgndIndex;        // transparent palette index, -1 none
        RGBQUAD nBkgndColor;        // transparent colour
        BYTE nQuality;              // JPEG quality
        BYTE nJpegScale;
        int32_t nFrame;             // frame to decode
        int32_t nNumFrames;
        DWORD dwFrameDelay;
        int32_t xDPI;
        int32_t yDPI;
        RECT rSelectionBox;         // y counts from the bottom, top > bottom
        BYTE nAlphaMax;
        bool bAlphaPaletteEnabled;
        bool bEnabled;
        int32_t xOffset;
        int32_t yOffset;
        DWORD dwCodecOpt[QXIMAGE_MAX_FORMATS];
        RGBQUAD last_c;             // nearest-colour cache
        BYTE last_c_index;
        bool last_c_isvalid;
        int32_t nNumLayers;
        DWORD dwFlags;
    };

    struct rgb_color {
        BYTE r;
        BYTE g;
        BYTE b;
    };

    // ---- Construction and lifetime ----
    explicit CQxImage(DWORD imagetype = 0);
    CQxImage(DWORD dwWidth, DWORD dwHeight, DWORD wBpp, DWORD imagetype = 0);
    CQxImage(const CQxImage& src, bool copypixels, bool copyselection, bool copyalpha);
    CQxImage(const CQxImage& src);
    CQxImage(const char* filename, DWORD imagetype);
    CQxImage(FILE* stream, DWORD imagetype);
    CQxImage(CQxFile* stream, DWORD imagetype);
    CQxImage(BYTE* buffer, DWORD size, DWORD imagetype);
    virtual ~CQxImage();
    CQxImage& operator=(const CQxImage& src);

    bool Destroy();
    void* Create(DWORD dwWidth, DWORD dwHeight, DWORD wBpp, DWORD imagetype = 0);
    void Copy(const CQxImage& src, bool copypixels = true, bool copyselection = true, bool copyalpha = true);
    bool Transfer(CQxImage& from);
    static void FreeMemory(void* memblock);

    bool CreateFromArray(const BYTE* pArray, DWORD dwWidth, DWORD dwHeight, DWORD dwBitsperpixel,
                         DWORD dwBytesperline, bool bFlipImage);
    bool CreateFromMatrix(BYTE** ppMatrix, DWORD dwWidth, DWORD dwHeight, DWORD dwBitsperpixel,
                          DWORD dwBytesperline, bool bFlipImage);

    // ---- Buffer access ----
    void* GetDIB() const { return m_pDib; }
    bool IsValid() const { return m_pDib != nullptr; }
    BYTE* GetBits(DWORD row = 0);
    DWORD GetSize() const;
    bool IsInside(LONG x, LONG y) const;
    void Clear(BYTE bval = 0);

    // ---- Header and information ----
    DWORD GetWidth() const { return static_cast<DWORD>(m_head.biWidth); }
    DWORD GetHeight() const { return static_cast<DWORD>(m_head.biHeight); }
    WORD GetBpp() const { return m_head.biBitCount; }
    DWORD GetNumColors() const { return m_head.biClrUsed; }
    DWORD GetEffWidth() const { return m_info.dwEffWidth; }
    DWORD GetType() const { return m_info.dwType; }
    DWORD GetClrImportant() const { return m_head.biClrImportant; }
    void SetClrImportant(DWORD ncolors = 0);
    bool IsIndexed() const { return m_head.biClrUsed != 0; }
    BYTE GetColorType() const;
    bool IsTransparent() const { return m_info.nBkgndIndex >= 0; }
    LONG GetTransIndex() const { return m_info.nBkgndIndex; }
    // -1 clears; an index beyond the palette of an indexed image is refused.
    bool SetTransIndex(LONG idx);
    RGBQUAD GetTransColor();
    void SetTransColor(RGBQUAD rgb);
    LONG GetXDPI() const { return m_info.xDPI; }
    LONG GetYDPI() const { return m_info.yDPI; }
    void SetXDPI(LONG dpi);
    void SetYDPI(LONG dpi);
    DWORD GetFlags() const { return m_info.dwFlags; }
    void SetFlags(DWORD flags, bool bLockReservedFlags = true);
    DWORD GetCodecOption(DWORD imagetype = 0) const;
    bool SetCodecOption(DWORD opt, DWORD imagetype = 0);
    DWORD GetFrameDelay() const { return m_info.dwFrameDelay; }
    void SetFrameDelay(DWORD d) { m_info.dwFrameDelay = d; }
    void GetOffset(LONG* x, LONG* y) const;
    void SetOffset(LONG x, LONG y);
    BYTE GetJpegQuality() const { return m_info.nQuality; }
    void SetJpegQuality(BYTE q) { m_info.nQuality = q; }
    BYTE GetJpegScale() const { return m_info.nJpegScale; }
    void SetJpegScale(BYTE s) { m_info.nJpegScale = s; }
    LONG GetProgress() const { return m_info.nProgress; }
    void SetProgress(LONG p) { m_info.nProgress = p; }
    LONG GetEscape() const { return m_info.nEscape; }
    void SetEscape(LONG e) { m_info.nEscape = e; }
    bool IsEnabled() const { return m_info.bEnabled; }
    void Enable(bool enable = true) { m_info.bEnabled = enable; }
    LONG GetNumFrames() const { return m_info.nNumFrames; }
    LONG GetFrame() const { return m_info.nFrame; }
    void SetFrame(LONG nFrame) { m_info.nFrame = nFrame; }
    const char* GetLastError() const { return m_info.szLastError; }
    static const char* GetVersion();
    static float GetVersionNumber();

    // ---- Format dispatch: load, decode, encode, save ----
    bool Encode(CQxFile* hFile, DWORD imagetype);
    bool Encode(FILE* hFile, DWORD imagetype);
    // buffer must be null on entry; release the result with FreeMemory.
    bool Encode(BYTE*& buffer, int32_t& size, DWORD imagetype);
    bool Encode(CQxFile* hFile, CQxImage** pImages, int pagecount, DWORD imagetype);
    bool Encode(FILE* hFile, CQxImage** pImages, int pagecount, DWORD imagetype);
    bool Save(const char* filename, DWORD imagetype);
    bool Decode(CQxFile* hFile, DWORD imagetype);
    bool Decode(FILE* hFile, DWORD imagetype);
    bool Decode(BYTE* buffer, DWORD size, DWORD imagetype);
    bool Load(const char* filename, DWORD imagetype = 0);
    bool LoadResource(HRSRC hRes, DWORD imagetype, HMODULE hModule = nullptr);
    bool Encode2RGBA(CQxFile* hFile);
    bool Encode2RGBA(BYTE*& buffer, int32_t& size);

    // Every decoder refuses, before allocating, an image of more pixels than
    // this budget (shared by the whole library; 0 restores the default).
    static void SetDecodePixelBudget(uint64_t pixels);
    static uint64_t GetDecodePixelBudget();

    // ---- Palette ----
    DWORD GetPaletteSize() const;
    RGBQUAD* GetPalette() const;
    RGBQUAD GetPaletteColor(BYTE idx) const;
    bool GetPaletteColor(BYTE idx, BYTE* r, BYTE* g, BYTE* b) const;
    void SetPaletteColor(BYTE idx, BYTE r, BYTE g, BYTE b, BYTE alpha = 0);
    void SetPaletteColor(BYTE idx, RGBQUAD c);
    void SetPaletteColor(BYTE idx, COLORREF cr);
    void SetPalette(const RGBQUAD* pPal, DWORD nColors = 256);
    void SetPalette(const rgb_color* rgb, DWORD nColors = 256);
    void SetPalette(DWORD n, const BYTE* r, const BYTE* g = nullptr, const BYTE* b = nullptr);
    void SetGrayPalette();
    void BlendPalette(COLORREF cr, LONG perc);
    void SetStdPalette();
    bool IsGrayScale() const;
    bool IsSamePalette(const CQxImage& img, bool bCheckAlpha = false) const;
    // Refused (false) for an index beyond the palette.
    bool SwapIndex(BYTE idx1, BYTE idx2);
    BYTE GetNearestIndex(RGBQUAD c);
    static RGBQUAD RGBtoRGBQUAD(COLORREF cr);
    static COLORREF RGBQUADtoRGB(RGBQUAD c);
    // Brightness ordering of two palette entries, for qsort.
    static int CompareColors(const void* elem1, const void* elem2);

    // ---- Pixels ----
    BYTE GetPixelIndex(LONG x, LONG y);
    void SetPixelIndex(LONG x, LONG y, BYTE i);
    RGBQUAD GetPixelColor(LONG x, LONG y, bool bGetAlpha = true);
    BYTE GetPixelGray(LONG x, LONG y);
    void SetPixelColor(LONG x, LONG y, COLORREF cr);
    void SetPixelColor(LONG x, LONG y, RGBQUAD c, bool bSetAlpha = false);
    void BlendPixelColor(LONG x, LONG y, RGBQUAD c, float blend, bool bSetAlpha = false);
    bool IsTransparent(LONG x, LONG y);
    void DrawLine(int StartX, int EndX, int StartY, int EndY, COLORREF cr);
    void DrawLine(int StartX, int EndX, int StartY, int EndY, RGBQUAD color, bool bSetAlpha = false);

    // ---- Alpha channel ----
    bool AlphaCreate();
    void AlphaDelete();
    bool AlphaIsValid() const { return m_pAlpha != nullptr; }
    void AlphaClear();
    void AlphaSet(BYTE level);
    void AlphaSet(LONG x, LONG y, BYTE level);
    // Requires an 8-bit gray image of the same size.
    bool AlphaSet(CQxImage& from);
    BYTE AlphaGet(LONG x, LONG y) const;
    BYTE* AlphaGetPointer(LONG x = 0, LONG y = 0);
    void AlphaInvert();
    bool AlphaCopy(CQxImage& from);
    bool AlphaFlip();
    bool AlphaMirror();
    bool AlphaSplit(CQxImage* dest);
    bool AlphaPaletteSplit(CQxImage* dest);
    void AlphaPaletteClear();
    bool AlphaPaletteIsValid() const;
    BYTE AlphaGetMax() const { return m_info.nAlphaMax; }
    void AlphaSetMax(BYTE nAlphaMax) { m_info.nAlphaMax = nAlphaMax; }
    void AlphaPaletteEnable(bool enable = true) { m_info.bAlphaPaletteEnabled = enable; }
    bool AlphaPaletteIsEnabled() const { return m_info.bAlphaPaletteEnabled; }
    void AlphaStrip();

    // ---- Selection ----
    bool SelectionCreate();
    bool SelectionDelete();
    bool SelectionClear();
    bool SelectionIsValid() const { return m_pSelection != nullptr; }
    void SelectionGetBox(RECT& r) const { r = m_info.rSelectionBox; }
    bool SelectionIsInside(LONG x, LONG y) const;
    bool SelectionAddRect(RECT r);
    bool SelectionAddEllipse(RECT r);
    bool SelectionAddPolygon(const POINT* points, LONG npoints);
    bool SelectionAddColor(RGBQUAD c);
    bool SelectionAddPixel(LONG x, LONG y);
    bool SelectionInvert();
    bool SelectionCopy(CQxImage& from);
    bool SelectionSplit(CQxImage* dest);
    bool SelectionToHRGN(HRGN& region);

    // ==================================================================
    // Transformations: defined in CQxImageTransform*.cpp
    // (interpolation in CQxImageInterpolation.cpp). This block belongs to
    // the transformation sources; keep other declarations out of it.
    // ==================================================================
    enum InterpolationMethod : int32_t {
        IM_NEAREST_NEIGHBOUR = 1,
        IM_BILINEAR = 2,
        IM_BSPLINE = 3,
        IM_BICUBIC = 4,
        IM_BICUBIC2 = 5,
        IM_LANCZOS = 6,
        IM_BOX = 7,
        IM_HERMITE = 8,
        IM_HAMMING = 9,
        IM_SINC = 10,
        IM_BLACKMAN = 11,
        IM_BESSEL = 12,
        IM_GAUSSIAN = 13,
        IM_QUADRATIC = 14,
        IM_MITCHELL = 15,
        IM_CATROM = 16
    };
    enum OverflowMethod : int32_t {
        OM_COLOR = 1,
        OM_BACKGROUND = 2,
        OM_TRANSPARENT = 3,
        OM_WRAP = 4,
        OM_REPEAT = 5,
        OM_MIRROR = 6
    };

    // Interpolation and kernels
    void OverflowCoordinates(LONG& x, LONG& y, OverflowMethod const ofMethod);
    void OverflowCoordinates(float& x, float& y, OverflowMethod const ofMethod);
    RGBQUAD GetPixelColorWithOverflow(LONG x, LONG y, OverflowMethod const ofMethod = OM_BACKGROUND,
                                      RGBQUAD* const rplColor = nullptr);
    RGBQUAD GetPixelColorInterpolated(float x, float y, InterpolationMethod const inMethod = IM_BILINEAR,
                                      OverflowMethod const ofMethod = OM_BACKGROUND,
                                      RGBQUAD* const rplColor = nullptr);
    RGBQUAD GetAreaColorInterpolated(float const xc, float const yc, float const w, float const h,
                                     InterpolationMethod const inMethod,
                                     OverflowMethod const ofMethod = OM_BACKGROUND,
                                     RGBQUAD* const rplColor = nullptr);
    static float KernelBSpline(const float x);
    static float KernelLinear(const float t);
    static float KernelCubic(const float t);
    static float KernelGeneralizedCubic(const float t, const float a = -1);
    static float KernelLanczosSinc(const float t, const float r = 3);
    static float KernelBox(const float x);
    static float KernelHermite(const float x);
    static float KernelHamming(const float x);
    static float KernelSinc(const float x);
    static float KernelBlackman(const float x);
    static float KernelBessel_J1(const float x);
    static float KernelBessel_P1(const float x);
    static float KernelBessel_Q1(const float x);
    static float KernelBessel_Order1(float x);
    static float KernelBessel(const float x);
    static float KernelGaussian(const float x);
    static float KernelQuadratic(const float x);
    static float KernelMitchell(const float x);
    static float KernelCatrom(const float x);

    // Flips, mirror and rotations
    bool Flip();
    bool Mirror();
    bool RotateLeft(CQxImage* iDst = nullptr);
    bool RotateRight(CQxImage* iDst = nullptr);
    bool Rotate180(CQxImage* iDst = nullptr);
    bool Rotate(float angle, CQxImage* iDst = nullptr);
    bool Rotate2(float angle, CQxImage* iDst = nullptr, InterpolationMethod inMethod = IM_BILINEAR,
                 OverflowMethod ofMethod = OM_BACKGROUND, RGBQUAD* replColor = nullptr,
                 bool optimizeRightAngles = true, bool bKeepOriginalSize = false);

    // Resampling, quick shrink and thumbnail
    bool Resample(LONG newx, LONG newy, int mode = 1, CQxImage* iDst = nullptr);
    bool Resample2(LONG newx, LONG newy, InterpolationMethod const inMethod = IM_BICUBIC2,
                   OverflowMethod const ofMethod = OM_REPEAT, CQxImage* const iDst = nullptr,
                   bool const disableAveraging = false);
    bool QIShrink(LONG newx, LONG newy, CQxImage* const iDst = nullptr);
    bool Thumbnail(LONG newx, LONG newy, RGBQUAD canvascolor, CQxImage* iDst = nullptr);

    // Colour depth, grey scale, negative and dithering
    bool GrayScale();
    bool Negative();
    bool IncreaseBpp(DWORD nbit);
    bool DecreaseBpp(DWORD nbit, bool errordiffusion, RGBQUAD* ppal = nullptr, DWORD clrimportant = 0);
    bool Dither(LONG method = 0);

    // Crop, expand, skew and circle transform
    bool Crop(LONG left, LONG top, LONG right, LONG bottom, CQxImage* iDst = nullptr);
    bool Crop(const RECT& rect, CQxImage* iDst = nullptr);
    bool CropRotatedRectangle(LONG topx, LONG topy, LONG width, LONG height, float angle,
                              CQxImage* iDst = nullptr);
    bool Expand(LONG left, LONG top, LONG right, LONG bottom, RGBQUAD canvascolor, CQxImage* iDst = nullptr);
    bool Expand(LONG newx, LONG newy, RGBQUAD canvascolor, CQxImage* iDst = nullptr);
    bool Skew(float xgain, float ygain, LONG xpivot = 0, LONG ypivot = 0, bool bEnableInterpolation = false);
    bool CircleTransform(int type, LONG rmax = 0, float Koeff = 1.0f);

protected:
    void AddAveragingCont(RGBQUAD const& color, float const surf, float& rr, float& gg, float& bb, float& aa);
    // Work image of a transformation: this image's information (with copyInfo),
    // format id and palette; false for sizes Create refuses or when it fails.
    bool TransformCreateWork(CQxImage& work, int64_t width, int64_t height, DWORD bpp, bool copyInfo) const;
    // Moves a finished work image into dst, or into this image (keeping its layers)
    // when dst is null or this image; false when the target refuses it.
    bool TransformDeliver(CQxImage& work, CQxImage* dst);
    // Quarter turn to the right (clockwise) or to the left, into dst or this image.
    bool RotateQuarter(bool clockwise, CQxImage* dst);
    // Hands a copy of a one-byte-per-pixel layer (alpha or selection) to dest as an
    // 8-bit grey image; false when the copy cannot be made.
    bool LayerSplit(const BYTE* layer, CQxImage* dest) const;
    // ==================================================================
    // End of the transformations block.
    // ==================================================================

protected:
    void Startup(DWORD imagetype);
    void CopyInfo(const CQxImage& src);
    void Ghost(const CQxImage* from);
    bool IsGhost() const { return m_info.pGhost != nullptr; }
    void Bitfield2RGB(BYTE* src, DWORD redmask, DWORD greenmask, DWORD bluemask, BYTE bpp);
    // True when encoding must not go on (null stream or empty image); sets the text.
    bool EncodeSafeCheck(CQxFile* hFile);
    // One codec by id (1 to 8); false with the codec's text, or when the codec
    // is not part of this build.
    bool EncodeFormat(CQxFile* hFile, DWORD imagetype);
    bool DecodeFormat(CQxFile* hFile, DWORD imagetype, bool bProbing);
    void RGBtoBGR(BYTE* buffer, int length);

    // Stores text (at most 255 characters) as the last error text.
    void SetLastErrorText(const char* text);
    // Whether Create would accept these dimensions under the memory budget,
    // with every size computed without wrapping. Codecs call it before
    // allocating scratch buffers sized from file headers.
    static bool IsSizeAllowed(uint64_t width, uint64_t height, uint64_t bpp);
    // Whether a decoder may create an image of this size under the decode pixel
    // budget; when not, the last error text says so.
    bool DecodeSizeAllowed(uint64_t width, uint64_t height);

    // Unchecked accessors for inner loops; (x, y) must be inside the image.
    BYTE BlindGetPixelIndex(LONG x, LONG y);
    void BlindSetPixelIndex(LONG x, LONG y, BYTE i);
    RGBQUAD BlindGetPixelColor(LONG x, LONG y);
    BYTE* BlindGetPixelPointer(LONG x, LONG y);
    // Stores colour c at (x, y): its nearest palette index, or its bytes and, with
    // bSetAlpha, alpha level `alpha`.
    void BlindStoreColor(LONG x, LONG y, RGBQUAD c, BYTE alpha, bool bSetAlpha);
    BYTE BlindAlphaGet(LONG x, LONG y) const;

    void* m_pDib;
    BITMAPINFOHEADER m_head;
    QxImageInfo m_info;
    BYTE* m_pSelection;
    BYTE* m_pAlpha;
    CQxImage** m_ppLayers;

private:
    void SelectionResetBox();
};
