// A chart picture as files: the packed device-independent bitmap that the capture makes
// (header, colour table or bit-field masks, bottom-up rows), the BMP file around it, and
// its PNG through the image library. Files are written through a temporary file.
#pragma once

#include <cstdint>
#include <vector>

// A 24-bit packed bitmap of top-down rows of 0xAARRGGBB pixels (alpha ignored).
std::vector<uint8_t> PackDib24(const uint32_t* pixels, int width, int height, int stridePixels);

// Where the pixels of a BMP file holding the packed bitmap start: the 14-byte file
// header, the info header, the colour table that is there (biClrUsed entries, or
// 2^bits for 8 bits and fewer when it is 0) and, after a 40-byte header of a
// bit-field bitmap, the three masks. 0 when the bytes hold no readable header.
uint32_t BitmapPixelOffset(const std::vector<uint8_t>& dib);

// The BMP file of a packed bitmap; false (file empty) when the bitmap is not whole.
bool MakeBitmapFile(const std::vector<uint8_t>& dib, std::vector<uint8_t>& file);

// A PNG of the BMP file's picture, encoded by the image library; false when it cannot
// read the bitmap or write the PNG.
bool ConvertBitmapToPng(const std::vector<uint8_t>& bmpFile, std::vector<uint8_t>& png);

// Writes the packed bitmap as a BMP or a PNG file at path (through a temporary file: a
// failed write leaves what was there). False on any failure; the system error number
// in osError when there was one.
bool WriteBitmapFile(const char* path, const std::vector<uint8_t>& dib, int* osError = nullptr);
bool WritePngFile(const char* path, const std::vector<uint8_t>& dib, int* osError = nullptr);
