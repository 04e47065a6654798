// Builds enhanced metafiles record by record for the metafile reader's tests.
#pragma once

#include <cstdint>
#include <vector>

namespace qxtest {

class EmfBuilder {
public:
    // Header record with the bounds (0, 0, right, bottom) and no picture frame.
    EmfBuilder(int32_t right, int32_t bottom)
    {
        Record(1, {0, 0, right, bottom, 0, 0, 0, 0, 0x464D4520, 0x10000, 0, 0, 8, 0, 0, 0, 1024, 768, 271, 203});
    }
    void Record(uint32_t type, const std::vector<int32_t>& params)
    {
        Put(type);
        Put(static_cast<uint32_t>(8 + 4 * params.size()));
        for (int32_t v : params)
            Put(static_cast<uint32_t>(v));
    }
    void Raw(uint32_t type, const std::vector<uint8_t>& body)
    {
        Put(type);
        Put(static_cast<uint32_t>(8 + body.size()));
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
    // A record of 16-bit points (POLYGON16, POLYLINE16 and the like): bounds, count, points.
    void Points16(uint32_t type, const std::vector<std::pair<int16_t, int16_t>>& points)
    {
        std::vector<uint8_t> body(16, 0);
        PutTo(body, static_cast<uint32_t>(points.size()));
        for (const auto& [x, y] : points) {
            body.push_back(static_cast<uint8_t>(x));
            body.push_back(static_cast<uint8_t>(static_cast<uint16_t>(x) >> 8));
            body.push_back(static_cast<uint8_t>(y));
            body.push_back(static_cast<uint8_t>(static_cast<uint16_t>(y) >> 8));
        }
        Raw(type, body);
    }
    std::vector<uint8_t> Finish()
    {
        Record(14, {0, 0, 0});
        const uint32_t n = static_cast<uint32_t>(bytes.size());
        for (int i = 0; i < 4; ++i)
            bytes[48 + i] = static_cast<uint8_t>(n >> (8 * i));
        return bytes;
    }
    void Put(uint32_t v) { PutTo(bytes, v); }
    std::vector<uint8_t> bytes;

private:
    static void PutTo(std::vector<uint8_t>& out, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
};

}  // namespace qxtest
