// SIGTERM and SIGINT end the program the normal way: the handler only writes the signal
// number into a pipe; a thread of this object reads it, ends the open dialogs and message
// boxes (and refuses new ones), and posts WM_CLOSE to the target window, so the close
// runs on the user-interface thread and the exit saves everything. Before the target is
// known the request is held for it, while the ended dialogs let the start-up give up; a
// second signal ends the process at once, as without this object.
#pragma once

#include "platform/ui/HWND.h"

#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>

class CTerminationSignals {
public:
    // Installs the handlers; the previous ones come back with the destructor.
    CTerminationSignals();
    ~CTerminationSignals();
    CTerminationSignals(const CTerminationSignals&) = delete;
    CTerminationSignals& operator=(const CTerminationSignals&) = delete;

    // False when the pipe or the handlers could not be set up (signals then act as before).
    bool IsInstalled() const { return m_bInstalled; }
    // The window that gets WM_CLOSE; a held request is posted to it now.
    void SetTarget(HWND target);
    // Whether a signal has asked the program to end.
    bool WasRequested() const { return m_bRequested.load(); }

private:
    void Watch();
    void Deliver(int signal);

    int m_readFd = -1;
    int m_writeFd = -1;
    bool m_bInstalled = false;
    struct sigaction m_oldTerm {};
    struct sigaction m_oldInt {};
    std::mutex m_lock;
    HWND m_target;
    bool m_bPending = false;
    std::atomic<bool> m_bRequested{false};
    std::thread m_watcher;
};
