// PCX codec (format id 6): run-length encoded 1-bit, 16-colour planar,
// 8-bit palette, 24-bit and 32-bit (colour plus alpha) pictures.
#pragma once

#include "imaging/CQxImage.h"

#include <vector>

class CQxImagePCX : public CQxImage {
public:
    CQxImagePCX();
    ~CQxImagePCX() override;

    bool Decode(CQxFile* hFile);
    bool Encode(CQxFile* hFile);

    // Line routines; none keeps state between calls.
    // Bit planes of one line (planes x bytesPerLine bytes) to one index per pixel.
    static bool PlanesToIndices(const BYTE* planes, int nplanes, int bitsPerPixel, DWORD bytesPerLine,
                                BYTE* indices);
    // A packed 1, 2, 4 or 8-bit line of one plane to one value per pixel.
    static bool UnpackPlaneLine(const BYTE* line, int nplanes, int bitsPerPixel, DWORD bytesPerLine,
                                BYTE* values);
    // Run-length writer over a stream of values: p is the next value, c and n
    // the running value and count (start both at 0). p = -1 flushes, p = -2
    // flushes and writes one 0 byte (the pad of an odd line).
    static void PackRunValue(int p, int& c, int& n, std::vector<BYTE>& out);
    // Run-length codes for a whole plane line.
    static void PackPlaneLine(const BYTE* line, DWORD length, std::vector<BYTE>& out);
    // One bit plane of a line of indices, most significant bit first.
    static void IndicesToPlane(const BYTE* indices, DWORD width, int plane, BYTE* out, DWORD bytesPerLine);

private:
    bool Fail(const char* text);
};
