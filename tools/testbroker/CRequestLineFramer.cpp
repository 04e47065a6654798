#include "tools/testbroker/CRequestLineFramer.h"

namespace qx::testbroker {

bool CRequestLineFramer::Feed(const char* data, size_t size, const std::function<void(const std::string&)>& onLine)
{
    m_pending.append(data, size);
    size_t start = 0;
    // Only the new bytes are searched: a line that arrives a byte at a time costs
    // its length, not its length squared.
    for (size_t eol = m_pending.find('\n', m_scanned); eol != std::string::npos;
         eol = m_pending.find('\n', start)) {
        onLine(m_pending.substr(start, eol - start));
        start = eol + 1;
    }
    m_pending.erase(0, start);
    m_scanned = m_pending.size();
    return m_pending.size() <= m_maxPending;
}

}  // namespace qx::testbroker
