#include "broker/session/CLogRateLimiter.h"

#include <vector>

CLogRateLimiter::CLogRateLimiter(int linesPerWindow, int64_t windowMs) : m_nLines(linesPerWindow), m_windowMs(windowMs)
{
}

std::string CLogRateLimiter::Report(const Window& window)
{
    return "(" + std::to_string(window.held) + " more line" + (window.held == 1 ? "" : "s") + " like \"" +
           window.example + "\" left out)";
}

void CLogRateLimiter::Write(const void* kind, const std::string& line, int64_t nowMs, const Sink& sink)
{
    std::vector<std::string> out;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (auto it = m_windows.begin(); it != m_windows.end();) {
            Window& w = it->second;
            if (nowMs - w.startMs < m_windowMs) {
                ++it;
                continue;
            }
            if (w.held)
                out.push_back(Report(w));
            it = m_windows.erase(it);
        }
        Window& w = m_windows[kind];
        if (w.passed == 0 && w.held == 0)
            w.startMs = nowMs;
        if (w.passed < m_nLines) {
            ++w.passed;
            out.push_back(line);
        } else {
            if (w.held++ == 0)
                w.example = line;
        }
    }
    for (const std::string& text : out)
        sink(text);
}

void CLogRateLimiter::Flush(const Sink& sink)
{
    std::vector<std::string> out;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (const auto& [kind, w] : m_windows)
            if (w.held)
                out.push_back(Report(w));
        m_windows.clear();
    }
    for (const std::string& text : out)
        sink(text);
}
