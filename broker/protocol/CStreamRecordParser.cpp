#include "broker/protocol/CStreamRecordParser.h"

namespace qx::protocol {

void CStreamRecordParser::Feed(const void* data, size_t size)
{
    if (size == 0)
        return;
    Compact();
    const auto* p = static_cast<const uint8_t*>(data);
    m_buffer.insert(m_buffer.end(), p, p + size);
}

bool CStreamRecordParser::Next(StreamRecord& out)
{
    for (;;) {
        const size_t available = m_buffer.size() - m_start;
        if (available == 0)
            return false;
        const DecodeResult r = DecodeRecord(m_buffer.data() + m_start, available, out);
        switch (r.status) {
        case DecodeStatus::NeedMore:
            return false;
        case DecodeStatus::Record:
            m_start += r.consumed;
            ++m_stats.records;
            return true;
        case DecodeStatus::Dropped:
            m_start += r.consumed;
            ++m_stats.dropped;
            m_stats.bytesSkipped += r.consumed;
            m_lastDrop = r.reason;
            if (m_onDrop)
                m_onDrop(r.reason, r.consumed);
            break;
        }
    }
}

void CStreamRecordParser::Reset()
{
    m_buffer.clear();
    m_start = 0;
}

void CStreamRecordParser::Compact()
{
    if (m_start == 0)
        return;
    if (m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    } else if (m_start >= 4096 && m_start * 2 >= m_buffer.size()) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_start));
        m_start = 0;
    }
}

}  // namespace qx::protocol
