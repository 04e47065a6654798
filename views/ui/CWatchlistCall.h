// One server call of the Web Watch List Manager, made on a thread of its own so that the
// interface thread goes on; the result is posted to the window as a payload.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/HWND.h"

#include <functional>
#include <thread>

struct CWatchlistCallResult {
    bool ok = false;
    CString error;
    CString listId; // of a list the call created
};

class CWatchlistCall {
public:
    CWatchlistCall() = default;
    // Waits for a call still running.
    ~CWatchlistCall();
    CWatchlistCall(const CWatchlistCall&) = delete;
    CWatchlistCall& operator=(const CWatchlistCall&) = delete;

    // Runs work and posts message with its result to target. One call at a time.
    void Start(HWND target, UINT message, std::function<CWatchlistCallResult()> work);
    // Waits for the thread of the last call.
    void Join();

private:
    std::thread m_thread;
};
