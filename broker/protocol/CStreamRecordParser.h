// Incremental parser of a stream connection: feed the bytes as they arrive,
// take the complete records out. Broken input is dropped and counted; the
// parser then resynchronises on the next record start.
#pragma once

#include "broker/protocol/StreamRecord.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace qx::protocol {

class CStreamRecordParser {
public:
    struct Stats {
        uint64_t records = 0;       // records handed out
        uint64_t dropped = 0;       // drop events (records or garbage runs)
        uint64_t bytesSkipped = 0;  // bytes discarded by drops
    };
    // Called for every drop with the reason and the bytes discarded.
    using DropHandler = std::function<void(DropReason, size_t)>;

    void Feed(const void* data, size_t size);
    // Returns true with the next complete record; false when more bytes are needed.
    bool Next(StreamRecord& out);
    void Reset();

    void SetDropHandler(DropHandler handler) { m_onDrop = std::move(handler); }
    const Stats& GetStats() const { return m_stats; }
    DropReason LastDrop() const { return m_lastDrop; }
    size_t Buffered() const { return m_buffer.size() - m_start; }

private:
    void Compact();

    std::vector<uint8_t> m_buffer;
    size_t m_start = 0;
    Stats m_stats;
    DropReason m_lastDrop = DropReason::None;
    DropHandler m_onDrop;
};

}  // namespace qx::protocol
