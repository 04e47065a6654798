// Writing the chart's picture files (kept apart from ChartImage.cpp, whose image library
// brings its own Windows-like types).
#include "chart/ChartImage.h"

#include "platform/core/CArchive.h"
#include "platform/core/CSafeFile.h"

namespace {

bool WriteBytes(const char* path, const std::vector<uint8_t>& bytes, int* osError)
{
    return SaveFileSafely(
        path, [&](CArchive& ar) { ar.Write(bytes.data(), static_cast<UINT>(bytes.size())); }, osError);
}

} // namespace

bool WriteBitmapFile(const char* path, const std::vector<uint8_t>& dib, int* osError)
{
    if (osError)
        *osError = 0;
    std::vector<uint8_t> file;
    return path && MakeBitmapFile(dib, file) && WriteBytes(path, file, osError);
}

bool WritePngFile(const char* path, const std::vector<uint8_t>& dib, int* osError)
{
    if (osError)
        *osError = 0;
    std::vector<uint8_t> file, png;
    return path && MakeBitmapFile(dib, file) && ConvertBitmapToPng(file, png) && WriteBytes(path, png, osError);
}
