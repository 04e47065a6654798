// Format dispatch: load, decode, encode and save by format id, probing every
// codec in a fixed order for id 0. A codec takes part once its source is built
// into the library (QX_IMAGING_HAS_<NAME> comes from imaging/CMakeLists.txt).
#include "imaging/CQxImage.h"

#include "imaging/CQxIOFile.h"
#include "imaging/CQxImageBMP.h"
#include "imaging/CQxMemFile.h"

#if QX_IMAGING_HAS_GIF
#include "imaging/CQxImageGIF.h"
#endif
#if QX_IMAGING_HAS_PNG
#include "imaging/CQxImagePNG.h"
#endif
#if QX_IMAGING_HAS_ICO
#include "imaging/CQxImageICO.h"
#endif
#if QX_IMAGING_HAS_TGA
#include "imaging/CQxImageTGA.h"
#endif
#if QX_IMAGING_HAS_PCX
#include "imaging/CQxImagePCX.h"
#endif
#if QX_IMAGING_HAS_WBMP
#include "imaging/CQxImageWBMP.h"
#endif
#if QX_IMAGING_HAS_WMF
#include "imaging/CQxImageWMF.h"
#endif

#include <cstdio>
#include <cstring>

namespace {
const char kEncodeUnknown[] = "Encode: Unknown format";
const char kDecodeUnknown[] = "Decode: Unknown or wrong format";
const char kWriteError[] = "Error writing image file";
}  // namespace

bool CQxImage::EncodeSafeCheck(CQxFile* hFile)
{
    if (hFile == nullptr) {
        SetLastErrorText("null file handler");
        return true;
    }
    if (m_pDib == nullptr) {
        SetLastErrorText("null image!!!");
        return true;
    }
    return false;
}

bool CQxImage::EncodeFormat(CQxFile* hFile, DWORD imagetype)
{
    // The codec works on a ghost: it shares this image's buffers and frees nothing.
    auto finish = [&](CQxImage& codec, bool ok) {
        if (!ok)
            SetLastErrorText(codec.GetLastError());
        return ok;
    };
    switch (imagetype) {
    case QXIMAGE_FORMAT_BMP: {
        CQxImageBMP codec;
        static_cast<CQxImage&>(codec).Ghost(this);
        return finish(codec, codec.Encode(hFile));
    }
#if QX_IMAGING_HAS_GIF
    case QXIMAGE_FORMAT_GIF: {
        CQxImageGIF codec;
        static_cast<CQxImage&>(codec).Ghost(this);
        return finish(codec, codec.Encode(hFile));
    }
#endif
#if QX_IMAGING_HAS_PNG
    case QXIMAGE_FORMAT_PNG: {
        CQxImagePNG codec;
        static_cast<CQxImage&>(codec).Ghost(this);
        return finish(codec, codec.Encode(hFile));
    }
#endif
#if QX_IMAGING_HAS_ICO
    case QXIMAGE_FORMAT_ICO: {
        CQxImageICO codec;
        static_cast<CQxImage&>(codec).Ghost(this);
        return finish(codec, codec.Encode(hFile));
    }
#endif
#if QX_IMAGING_HAS_TGA
    case QXIMAGE_FORMAT_TGA: {
        CQxImageTGA codec;
        static_cast<CQxImage&>(codec).Ghost(this);
        return finish(codec, codec.Encode(hFile));
    }
#endif
#if QX_IMAGING_HAS_PCX
    case QXIMAGE_FORMAT_PCX: {
        CQxImagePCX codec;
        static_cast<CQxImage&>(codec).Ghost(this);
        return finish(codec, codec.Encode(hFile));
    }
#endif
#if QX_IMAGING_HAS_WBMP
    case QXIMAGE_FORMAT_WBMP: {
        CQxImageWBMP codec;
        static_cast<CQxImage&>(codec).Ghost(this);
        return finish(codec, codec.Encode(hFile));
    }
#endif
#if QX_IMAGING_HAS_WMF
    case QXIMAGE_FORMAT_WMF: {
        CQxImageWMF codec;
        static_cast<CQxImage&>(codec).Ghost(this);
        return finish(codec, codec.Encode(hFile));
    }
#endif
    default: SetLastErrorText(kEncodeUnknown); return false;
    }
}

bool CQxImage::Encode(CQxFile* hFile, DWORD imagetype)
{
    if (!EncodeFormat(hFile, imagetype))
        return false;
    // A stream that failed underneath the codec is a failed encode.
    if (hFile->Error() != 0) {
        SetLastErrorText(kWriteError);
        return false;
    }
    return true;
}

bool CQxImage::Encode(FILE* hFile, DWORD imagetype)
{
    CQxIOFile file(hFile);
    return Encode(&file, imagetype);
}

bool CQxImage::Encode(BYTE*& buffer, int32_t& size, DWORD imagetype)
{
    if (buffer != nullptr) {
        SetLastErrorText("the buffer must be empty");
        return false;
    }
    CQxMemFile file;
    file.Open();
    if (!Encode(&file, imagetype))
        return false;
    size = file.Size();
    buffer = file.GetBuffer(true);
    return true;
}

bool CQxImage::Encode(CQxFile* hFile, CQxImage** pImages, int pagecount, DWORD imagetype)
{
#if QX_IMAGING_HAS_GIF
    if (imagetype == QXIMAGE_FORMAT_GIF) {
        CQxImageGIF codec;
        static_cast<CQxImage&>(codec).Ghost(this);
        if (codec.Encode(hFile, pImages, pagecount, false))
            return true;
        SetLastErrorText(codec.GetLastError());
        return false;
    }
#else
    (void)hFile;
    (void)pImages;
    (void)pagecount;
#endif
    (void)imagetype;
    SetLastErrorText("Multipage Encode, Unsupported operation for this format");
    return false;
}

bool CQxImage::Encode(FILE* hFile, CQxImage** pImages, int pagecount, DWORD imagetype)
{
    CQxIOFile file(hFile);
    return Encode(&file, pImages, pagecount, imagetype);
}

bool CQxImage::Save(const char* filename, DWORD imagetype)
{
    if (filename == nullptr)
        return false;
    FILE* hFile = std::fopen(filename, "wb");
    if (hFile == nullptr)
        return false;
    bool ok = Encode(hFile, imagetype);
    if (ok && std::fflush(hFile) != 0) {
        SetLastErrorText(kWriteError);
        ok = false;
    }
    if (std::fclose(hFile) != 0 && ok) {
        SetLastErrorText(kWriteError);
        ok = false;
    }
    return ok;
}

bool CQxImage::DecodeFormat(CQxFile* hFile, DWORD imagetype, bool bProbing)
{
    // The codec decodes into its own object with this image's settings; only a
    // success replaces this image.
    auto prepare = [&](CQxImage& codec) { codec.CopyInfo(*this); };
    auto finish = [&](CQxImage& codec, bool ok, bool keepFrames) {
        if (ok)
            return Transfer(codec);
        if (!bProbing) {
            if (keepFrames)
                m_info.nNumFrames = codec.GetNumFrames();
            SetLastErrorText(codec.GetLastError());
        }
        return false;
    };
    switch (imagetype) {
    case QXIMAGE_FORMAT_BMP: {
        CQxImageBMP codec;
        prepare(codec);
        return finish(codec, codec.Decode(hFile), false);
    }
#if QX_IMAGING_HAS_GIF
    case QXIMAGE_FORMAT_GIF: {
        CQxImageGIF codec;
        prepare(codec);
        return finish(codec, codec.Decode(hFile), true);
    }
#endif
#if QX_IMAGING_HAS_PNG
    case QXIMAGE_FORMAT_PNG: {
        CQxImagePNG codec;
        prepare(codec);
        return finish(codec, codec.Decode(hFile), false);
    }
#endif
#if QX_IMAGING_HAS_ICO
    case QXIMAGE_FORMAT_ICO: {
        CQxImageICO codec;
        prepare(codec);
        return finish(codec, codec.Decode(hFile), true);
    }
#endif
#if QX_IMAGING_HAS_TGA
    case QXIMAGE_FORMAT_TGA: {
        CQxImageTGA codec;
        prepare(codec);
        return finish(codec, codec.Decode(hFile), false);
    }
#endif
#if QX_IMAGING_HAS_PCX
    case QXIMAGE_FORMAT_PCX: {
        CQxImagePCX codec;
        prepare(codec);
        return finish(codec, codec.Decode(hFile), false);
    }
#endif
#if QX_IMAGING_HAS_WBMP
    case QXIMAGE_FORMAT_WBMP: {
        CQxImageWBMP codec;
        prepare(codec);
        return finish(codec, codec.Decode(hFile), false);
    }
#endif
#if QX_IMAGING_HAS_WMF
    case QXIMAGE_FORMAT_WMF: {
        CQxImageWMF codec;
        prepare(codec);
        return finish(codec, codec.Decode(hFile, 0, 0), false);
    }
#endif
    default:
        if (!bProbing)
            SetLastErrorText(kDecodeUnknown);
        return false;
    }
}

bool CQxImage::Decode(CQxFile* hFile, DWORD imagetype)
{
    if (hFile == nullptr) {
        SetLastErrorText(kDecodeUnknown);
        return false;
    }
    if (imagetype >= 1 && imagetype < QXIMAGE_MAX_FORMATS)
        return DecodeFormat(hFile, imagetype, false);
    if (imagetype == QXIMAGE_FORMAT_UNKNOWN) {
        static const DWORD kProbeOrder[] = {QXIMAGE_FORMAT_BMP, QXIMAGE_FORMAT_ICO, QXIMAGE_FORMAT_GIF,
                                            QXIMAGE_FORMAT_PNG, QXIMAGE_FORMAT_TGA, QXIMAGE_FORMAT_PCX,
                                            QXIMAGE_FORMAT_WBMP, QXIMAGE_FORMAT_WMF};
        const int32_t pos = hFile->Tell();
        for (DWORD id : kProbeOrder) {
            if (DecodeFormat(hFile, id, true))
                return true;
            hFile->Seek(pos, SEEK_SET);
        }
    }
    SetLastErrorText(kDecodeUnknown);
    return false;
}

bool CQxImage::Decode(FILE* hFile, DWORD imagetype)
{
    CQxIOFile file(hFile);
    return Decode(&file, imagetype);
}

bool CQxImage::Decode(BYTE* buffer, DWORD size, DWORD imagetype)
{
    CQxMemFile file(buffer, size);
    return Decode(&file, imagetype);
}

bool CQxImage::Load(const char* filename, DWORD imagetype)
{
    if (filename == nullptr)
        return false;
    if (imagetype > 0 && imagetype < QXIMAGE_MAX_FORMATS) {
        FILE* hFile = std::fopen(filename, "rb");
        if (hFile == nullptr)
            return false;
        const bool ok = Decode(hFile, imagetype);
        std::fclose(hFile);
        if (ok)
            return true;
    }
    char szError[256];
    std::memcpy(szError, m_info.szLastError, sizeof(szError));

    FILE* hFile = std::fopen(filename, "rb");
    if (hFile == nullptr)
        return false;
    const bool ok = Decode(hFile, QXIMAGE_FORMAT_UNKNOWN);
    std::fclose(hFile);
    if (ok || imagetype == QXIMAGE_FORMAT_UNKNOWN)
        return ok;
    std::memcpy(m_info.szLastError, szError, sizeof(szError));
    return false;
}

bool CQxImage::LoadResource(HRSRC hRes, DWORD imagetype, HMODULE hModule)
{
    if (hRes == nullptr) {
        SetLastErrorText("Unable to load resource!");
        return false;
    }
    const DWORD rsize = QxSizeofResource(hModule, hRes);
    const BYTE* lpVoid = QxLockResource(hRes);
    if (lpVoid == nullptr)
        return false;
    // Decoders only read; the resource bytes stay untouched and unowned.
    CQxMemFile file(const_cast<BYTE*>(lpVoid), rsize);
    return Decode(&file, imagetype);
}

bool CQxImage::Encode2RGBA(CQxFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    bool ok = true;
    const LONG height = m_head.biHeight;
    const LONG width = m_head.biWidth;
    for (LONG y = 0; y < height; ++y) {
        for (LONG x = 0; x < width; ++x) {
            const RGBQUAD color = BlindGetPixelColor(x, y);
            ok = hFile->PutC(color.rgbRed) && ok;
            ok = hFile->PutC(color.rgbGreen) && ok;
            ok = hFile->PutC(color.rgbBlue) && ok;
            ok = hFile->PutC(color.rgbReserved) && ok;
        }
    }
    if (!ok)
        SetLastErrorText(kWriteError);
    return ok;
}

bool CQxImage::Encode2RGBA(BYTE*& buffer, int32_t& size)
{
    if (buffer != nullptr) {
        SetLastErrorText("the buffer must be empty");
        return false;
    }
    CQxMemFile file;
    file.Open();
    if (!Encode2RGBA(&file))
        return false;
    size = file.Size();
    buffer = file.GetBuffer(true);
    return true;
}
