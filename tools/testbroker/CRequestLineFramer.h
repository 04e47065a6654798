// Cuts the bytes a stream connection receives into request lines.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace qx::testbroker {

class CRequestLineFramer {
public:
    // maxPending: the most bytes an unfinished line may hold.
    explicit CRequestLineFramer(size_t maxPending) : m_maxPending(maxPending) {}

    // Appends the bytes and hands every finished line (without its "\n") to onLine,
    // in order. False once the unfinished line is longer than maxPending.
    bool Feed(const char* data, size_t size, const std::function<void(const std::string&)>& onLine);

private:
    std::string m_pending;
    size_t m_scanned = 0;  // bytes of m_pending known to hold no "\n"
    size_t m_maxPending;
};

}  // namespace qx::testbroker
