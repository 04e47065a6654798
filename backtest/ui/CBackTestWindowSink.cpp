#include "backtest/ui/CBackTestWindowSink.h"

#include "platform/ui/CMessageQueue.h"

void CBackTestWindowSink::OnRunStarted(std::shared_ptr<const CStrategySetup> job)
{
    PostMessage(m_window, WM_BACKTEST_STARTED, 0, 0, MakePayload<std::shared_ptr<const CStrategySetup>>(std::move(job)));
}

void CBackTestWindowSink::OnTrade(std::unique_ptr<BackTestEntry> entry)
{
    PostMessage(m_window, WM_BACKTEST_TRADE, 0, 0, MakePayload<std::unique_ptr<BackTestEntry>>(std::move(entry)));
}

void CBackTestWindowSink::OnGroup(std::unique_ptr<EntryGroup> group)
{
    PostMessage(m_window, WM_BACKTEST_GROUP, 0, 0, MakePayload<std::unique_ptr<EntryGroup>>(std::move(group)));
}

void CBackTestWindowSink::OnProgress()
{
    PostMessage(m_window, WM_BACKTEST_PROGRESS);
}

void CBackTestWindowSink::OnProblem(const CString& text)
{
    PostMessage(m_window, WM_BACKTEST_PROBLEM, 0, 0, MakePayload<CString>(text));
}

void CBackTestWindowSink::OnRunEnded()
{
    PostMessage(m_window, WM_BACKTEST_ENDED);
}
