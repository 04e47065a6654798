// A backtest's records for a window: each posted to it as its private message (WM_APP+2
// to +5, +16, +17) carrying the record as the message's payload. Records of a window that
// is gone are dropped with their messages.
#pragma once

#include "backtest/BackTestContext.h"
#include "platform/ui/HWND.h"

class CBackTestWindowSink : public IBackTestSink {
public:
    explicit CBackTestWindowSink(HWND window) : m_window(window) {}

    void OnRunStarted(std::shared_ptr<const CStrategySetup> job) override;
    void OnTrade(std::unique_ptr<BackTestEntry> entry) override;
    void OnGroup(std::unique_ptr<EntryGroup> group) override;
    void OnProgress() override;
    void OnProblem(const CString& text) override;
    void OnRunEnded() override;

private:
    const HWND m_window;
};
