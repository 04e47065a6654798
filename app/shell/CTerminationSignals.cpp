#include "app/shell/CTerminationSignals.h"

#include "platform/ui/CMessageQueue.h"
#include "platform/ui/ModalLoops.h"
#include "platform/ui/WinUser.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end of the pipe of the installed object; the handler reads only this.
std::atomic<int> g_signalFd{-1};

void OnTerminationSignal(int signal)
{
    const int saved = errno;
    const int fd = g_signalFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

constexpr unsigned char kStopByte = 0;

}  // namespace

CTerminationSignals::CTerminationSignals()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    m_readFd = fds[0];
    m_writeFd = fds[1];
    ::fcntl(m_writeFd, F_SETFL, ::fcntl(m_writeFd, F_GETFL) | O_NONBLOCK);
    int expected = -1;
    if (!g_signalFd.compare_exchange_strong(expected, m_writeFd))
        return;  // another object already watches the signals
    m_watcher = std::thread([this] { Watch(); });
    struct sigaction action {};
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &m_oldTerm);
    ::sigaction(SIGINT, &action, &m_oldInt);
    m_bInstalled = true;
}

CTerminationSignals::~CTerminationSignals()
{
    if (m_bInstalled) {
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        g_signalFd.store(-1);
    }
    if (m_watcher.joinable()) {
        const unsigned char stop = kStopByte;
        while (::write(m_writeFd, &stop, 1) < 0 && errno == EINTR) {
        }
        m_watcher.join();
    }
    // The request ends with the program's run: dialogs may ask again afterwards.
    if (m_bRequested)
        RefuseModalLoops(false);
    if (m_readFd >= 0)
        ::close(m_readFd);
    if (m_writeFd >= 0)
        ::close(m_writeFd);
}

void CTerminationSignals::SetTarget(HWND target)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_target = target;
    if (m_bPending && m_target) {
        m_bPending = false;
        ::PostMessage(m_target, WM_CLOSE, 0, 0);
    }
}

void CTerminationSignals::Watch()
{
    for (;;) {
        unsigned char byte = 0;
        const ssize_t n = ::read(m_readFd, &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || byte == kStopByte)
            return;
        Deliver(byte);
    }
}

void CTerminationSignals::Deliver(int signal)
{
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_bRequested) {
        // Asked twice: end it the old way.
        lock.unlock();
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    m_bRequested = true;
    // A dialog or message box would hold the close (and the start-up) until answered.
    RequestEndOfModalLoops();
    if (m_target && ::PostMessage(m_target, WM_CLOSE, 0, 0))
        return;
    m_bPending = true;
}
