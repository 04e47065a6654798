#include "app/shell/CSessionStatusRouter.h"

#include "platform/ui/CMessageQueue.h"

void CSessionStatusRouter::SetTarget(HWND target)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_target = target;
}

void CSessionStatusRouter::SetMainFrame(HWND mainFrame)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_mainFrame = mainFrame;
}

void CSessionStatusRouter::OnSessionStatus(UINT message, const CSessionStatus& status)
{
    std::lock_guard<std::mutex> lock(m_lock);
    PostMessage(m_target, message, static_cast<WPARAM>(status.code), 0, MakePayload<CSessionStatus>(status));
    if (status.code == kStatusLoginResult && status.success)
        m_target = m_mainFrame;
}
