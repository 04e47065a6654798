#include "broker/session/CRequestGate.h"

CRequestGate::CPass::~CPass()
{
    if (m_gate)
        m_gate->Leave();
}

CRequestGate::CPass CRequestGate::Enter(bool evenWhenClosed)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_bClosed && !evenWhenClosed)
        return CPass(nullptr);
    ++m_nUnderWay;
    return CPass(this);
}

void CRequestGate::Leave()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (--m_nUnderWay == 0)
        m_idle.notify_all();
}

void CRequestGate::Close()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_bClosed = true;
}

void CRequestGate::WaitUntilIdle()
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_idle.wait(lock, [this] { return m_nUnderWay == 0; });
}

void CRequestGate::Open()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_bClosed = false;
}

bool CRequestGate::IsClosed() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_bClosed;
}
