#include "imaging/CQxImageWBMP.h"

#include <vector>

namespace {
constexpr DWORD kWbmp = QXIMAGE_FORMAT_WBMP;
}  // namespace

CQxImageWBMP::CQxImageWBMP() : CQxImage(kWbmp) {}

CQxImageWBMP::~CQxImageWBMP() = default;

bool CQxImageWBMP::Fail(const char* text)
{
    SetLastErrorText(text);
    return false;
}

bool CQxImageWBMP::ReadMultiByte(CQxFile* hFile, DWORD& value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        const int c = hFile->GetC();
        if (c < 0)
            return false;
        value = (value << 7) | static_cast<DWORD>(c & 0x7F);
        if ((c & 0x80) == 0)
            return true;
    }
    return false;
}

bool CQxImageWBMP::WriteMultiByte(CQxFile* hFile, DWORD value)
{
    BYTE groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<BYTE>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && n < 5);
    while (n-- > 0) {
        if (!hFile->PutC(static_cast<unsigned char>(groups[n] | (n > 0 ? 0x80 : 0))))
            return false;
    }
    return true;
}

bool CQxImageWBMP::Decode(CQxFile* hFile)
{
    if (hFile == nullptr)
        return false;
    DWORD type = 0;
    if (!ReadMultiByte(hFile, type))
        return Fail("Not a WBMP");
    if (type != 0)
        return Fail("Unsupported WBMP type");
    const int fixHeader = hFile->GetC();
    DWORD width = 0;
    DWORD height = 0;
    if (fixHeader < 0 || !ReadMultiByte(hFile, width) || !ReadMultiByte(hFile, height))
        return Fail("Not a WBMP");
    if (width == 0 || height == 0)
        return Fail("Corrupted WBMP");
    // No signature: the rows must all be there, or this is no WBMP.
    const uint64_t rowBytes = (static_cast<uint64_t>(width) + 7) / 8;
    const int32_t size = hFile->Size();
    const int32_t pos = hFile->Tell();
    if (size < 0 || pos < 0 || static_cast<uint64_t>(size - pos) < rowBytes * height)
        return Fail("Corrupted WBMP");
    if (!DecodeSizeAllowed(width, height))
        return false;
    if (!IsSizeAllowed(width, height, 1) || Create(width, height, 1, kWbmp) == nullptr || !IsValid())
        return Fail("WBMP Create failed");
    SetGrayPalette();
    for (DWORD y = 0; y < height; ++y) {
        if (hFile->Read(GetBits(height - 1 - y), 1, static_cast<size_t>(rowBytes)) != rowBytes)
            return Fail("Corrupted WBMP");
    }
    return true;
}

bool CQxImageWBMP::Encode(CQxFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    if (GetBpp() != 1)
        return Fail("Can't save this image as WBMP");
    const DWORD width = GetWidth();
    const DWORD height = GetHeight();
    const DWORD rowBytes = (width + 7) / 8;
    // The file's bit 1 is white: a palette with the brighter entry first is inverted.
    const RGBQUAD* pal = GetPalette();
    const bool invert = CompareColors(&pal[0], &pal[1]) > 0;
    bool ok = hFile->PutC(0) && hFile->PutC(0) && WriteMultiByte(hFile, width) && WriteMultiByte(hFile, height);
    std::vector<BYTE> row(rowBytes);
    for (DWORD y = height; ok && y-- > 0;) {
        const BYTE* src = GetBits(y);
        for (DWORD i = 0; i < rowBytes; ++i)
            row[i] = invert ? static_cast<BYTE>(~src[i]) : src[i];
        if (width % 8)
            row[rowBytes - 1] &= static_cast<BYTE>(0xFF << (8 - width % 8));
        ok = hFile->Write(row.data(), 1, rowBytes) == rowBytes;
    }
    if (ok)
        ok = hFile->Flush();
    if (!ok)
        return Fail("Write Error in WBMP file");
    return true;
}
