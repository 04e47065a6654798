// The change listener of a report window: called by the account data store on the thread
// that applies account data, it only posts WM_APP+10 to the window (dropped once the
// window is gone).
#pragma once

#include "broker/session/CAccountDataStore.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/HWND.h"
#include "platform/ui/WinUser.h"

inline constexpr UINT WM_REPORT_DATA_CHANGED = WM_APP + 10;

class CReportListener : public CAccountDataListener {
public:
    explicit CReportListener(HWND window) : m_window(window) {}
    void OnAccountDataChanged(int) override { PostMessage(m_window, WM_REPORT_DATA_CHANGED); }

private:
    const HWND m_window;
};
