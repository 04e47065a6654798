#include "broker/session/CClockOffset.h"

#include <cstdlib>

namespace {
// Farther apart than this, two clocks are not both telling the time.
constexpr int64_t kMaxOffsetMs = 50LL * 366 * 24 * 3600 * 1000;
} // namespace

CClockOffset::CClockOffset(int64_t jumpMs, int64_t confirmMs) : m_jumpMs(jumpMs), m_confirmMs(confirmMs) {}

bool CClockOffset::Difference(int64_t serverMs, int64_t localMs, int64_t& offsetMs)
{
    int64_t diff = 0;
    if (__builtin_sub_overflow(serverMs, localMs, &diff) || diff > kMaxOffsetMs || diff < -kMaxOffsetMs)
        return false;
    offsetMs = diff;
    return true;
}

CClockOffset::Result CClockOffset::Update(int64_t serverMs, int64_t localMs)
{
    int64_t offset = 0;
    if (serverMs <= 0 || !Difference(serverMs, localMs, offset))
        return Result::Refused;
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_bKnown || std::llabs(offset - m_offsetMs.load()) <= m_jumpMs) {
        m_bKnown = true;
        m_bHeld = false;
        m_offsetMs = offset;
        return Result::Applied;
    }
    // A jump: applied only when later samples keep telling the same.
    if (!m_bHeld || std::llabs(offset - m_heldOffsetMs) > m_jumpMs) {
        m_bHeld = true;
        m_heldOffsetMs = offset;
        m_heldSinceMs = localMs;
        return Result::Held;
    }
    if (localMs - m_heldSinceMs < m_confirmMs)
        return Result::Held;
    m_bHeld = false;
    m_offsetMs = offset;
    return Result::Applied;
}

void CClockOffset::Reset()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_bKnown = false;
    m_bHeld = false;
}
