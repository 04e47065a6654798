// The server clock minus ours, from the server times of heartbeats and replies. A sample far
// from the offset already known is held back until the same jump has lasted a while, so one
// wild server time cannot move the exchange clock; values that cannot be a clock are refused.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

class CClockOffset {
public:
    enum class Result { Applied, Held, Refused };

    // A jump larger than jumpMs is applied once it has lasted confirmMs.
    explicit CClockOffset(int64_t jumpMs = 5 * 60 * 1000, int64_t confirmMs = 30 * 1000);

    // A server time and our clock at its arrival (unix milliseconds).
    Result Update(int64_t serverMs, int64_t localMs);
    // Forgets the known offset: the next sample is taken as it is (a new login).
    void Reset();
    int64_t GetMs() const { return m_offsetMs.load(); }

    // server - local, or false when it overflows or lies beyond any plausible clock.
    static bool Difference(int64_t serverMs, int64_t localMs, int64_t& offsetMs);

private:
    const int64_t m_jumpMs;
    const int64_t m_confirmMs;
    std::atomic<int64_t> m_offsetMs{0};
    std::mutex m_lock;
    bool m_bKnown = false;
    bool m_bHeld = false;
    int64_t m_heldOffsetMs = 0;
    int64_t m_heldSinceMs = 0; // our clock when the held jump was first seen
};
