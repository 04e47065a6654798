// Keeps a flood of log lines of one kind (one format) short: the first lines of each kind in a
// window pass, the rest are counted and reported in one line when the window ends.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

class CLogRateLimiter {
public:
    using Sink = std::function<void(const std::string& line)>;

    CLogRateLimiter(int linesPerWindow = 20, int64_t windowMs = 10000);

    // Passes the line to the sink, or counts it. kind identifies lines alike (their format).
    // Reports of ended windows go out first.
    void Write(const void* kind, const std::string& line, int64_t nowMs, const Sink& sink);
    // Reports every count still held (the session stops).
    void Flush(const Sink& sink);

private:
    struct Window {
        int64_t startMs = 0;
        int passed = 0;
        uint64_t held = 0;
        std::string example;
    };
    static std::string Report(const Window& window);

    const int m_nLines;
    const int64_t m_windowMs;
    std::mutex m_lock;
    std::map<const void*, Window> m_windows;
};
