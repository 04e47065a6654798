// Requests to the broker pass through the gate. Closed, it lets no new request start; once
// those under way have ended, nothing reaches the broker after a log-out sent then.
#pragma once

#include <condition_variable>
#include <mutex>

class CRequestGate {
public:
    // One request under way; false when the gate was closed.
    class CPass {
    public:
        CPass(CPass&& other) noexcept : m_gate(other.m_gate) { other.m_gate = nullptr; }
        CPass(const CPass&) = delete;
        CPass& operator=(const CPass&) = delete;
        CPass& operator=(CPass&&) = delete;
        ~CPass();
        explicit operator bool() const { return m_gate != nullptr; }

    private:
        friend class CRequestGate;
        explicit CPass(CRequestGate* gate) : m_gate(gate) {}
        CRequestGate* m_gate;
    };

    // A pass, or none while closed; always one when the request goes past a closed gate.
    CPass Enter(bool evenWhenClosed = false);
    // No request starts from now on.
    void Close();
    // Returns once every request under way has ended.
    void WaitUntilIdle();
    void Open();
    bool IsClosed() const;

private:
    void Leave();

    mutable std::mutex m_lock;
    std::condition_variable m_idle;
    int m_nUnderWay = 0;
    bool m_bClosed = false;
};
