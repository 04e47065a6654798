#include "views/ui/CWatchlistCall.h"

#include "platform/ui/CMessageQueue.h"

CWatchlistCall::~CWatchlistCall()
{
    Join();
}

void CWatchlistCall::Start(HWND target, UINT message, std::function<CWatchlistCallResult()> work)
{
    Join();
    m_thread = std::thread([target, message, work = std::move(work)] {
        PostMessage(target, message, 0, 0, MakePayload<CWatchlistCallResult>(work()));
    });
}

void CWatchlistCall::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}
