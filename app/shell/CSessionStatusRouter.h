// Hands session status from the dispatcher thread to one window: the login status
// dialog while logging in, the main frame from a successful login on.
#pragma once

#include "broker/session/ISessionStatusSink.h"
#include "platform/ui/HWND.h"

#include <mutex>

class CSessionStatusRouter : public ISessionStatusSink {
public:
    void SetTarget(HWND target);
    void SetMainFrame(HWND mainFrame);
    // Posts the status (as a payload) to the target; a successful login result moves
    // everything after it to the main frame.
    void OnSessionStatus(UINT message, const CSessionStatus& status) override;

private:
    std::mutex m_lock;
    HWND m_target;
    HWND m_mainFrame;
};
