// Helpers shared by the codec tests: the samples made by other tools, a reader
// of netpbm files, comparison of an image with a reference decoding, and a
// stream whose writes fail.
#pragma once

#include "imaging/CQxFile.h"
#include "imaging/CQxImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qxtest {

struct PnmImage {
    int width = 0;
    int height = 0;
    int depth = 0;  // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    std::vector<uint8_t> data;  // top row first, scaled to 0..255
};

// Reads P1/P4 (white = 255), P2/P5, P3/P6 and P7; false on anything else.
bool ReadPnm(const std::string& path, PnmImage& out);

struct Sample {
    std::string codec;
    std::string file;  // full path
    std::string ref;   // full path
    std::string mode;  // rgb, rgb1, rgba
    int frame = 0;
};

// The folder the sample script wrote into (made once per test process).
const std::string& SamplesDir();
std::vector<Sample> Samples(const std::string& codec);

// Empty when the image shows what the reference shows, else the first difference.
std::string CompareWithReference(CQxImage& img, const PnmImage& ref, const std::string& mode);

// Runs a shell command; its exit status.
int Run(const std::string& command);
// A new file name inside a per-process scratch folder.
std::string ScratchPath(const std::string& name);
std::vector<uint8_t> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Decodes bytes with the given format id through the dispatch.
bool DecodeBytes(CQxImage& img, std::vector<uint8_t> bytes, DWORD format);
// Encodes through the dispatch into memory; empty on failure.
std::vector<uint8_t> EncodeBytes(CQxImage& img, DWORD format);

// A memory stream that accepts `limit` bytes and then fails every write.
class CFailingFile : public CQxFile {
public:
    explicit CFailingFile(size_t limit) : m_limit(limit) {}
    bool Close() override { return true; }
    size_t Read(void*, size_t, size_t) override { return 0; }
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int32_t offset, int origin) override;
    int32_t Tell() override { return static_cast<int32_t>(m_pos); }
    int32_t Size() override { return static_cast<int32_t>(m_data.size()); }
    bool Flush() override { return !m_failed; }
    bool Eof() override { return true; }
    int32_t Error() override { return m_failed ? 1 : 0; }
    int32_t GetC() override { return -1; }

private:
    size_t m_limit;
    size_t m_pos = 0;
    bool m_failed = false;
    std::vector<uint8_t> m_data;
};

}  // namespace qxtest
