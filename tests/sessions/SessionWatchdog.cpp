#include "tests/sessions/SessionWatchdog.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#define QX_SESSION_SANITIZER_STACK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/common_interface_defs.h>
#define QX_SESSION_SANITIZER_STACK 1
#endif
#endif

namespace qx::sessions {

namespace {

using Clock = std::chrono::steady_clock;

pthread_t g_mainThread;
std::atomic<bool> g_stackPrinted{false};

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

void WriteText(const char* text)
{
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

// Runs on the main thread, wherever it is stuck.
void OnStackSignal(int)
{
    WriteText("---- main thread stack ----\n");
#if defined(QX_SESSION_SANITIZER_STACK)
    __sanitizer_print_stack_trace();
#else
    void* frames[128];
    const int count = backtrace(frames, 128);
    backtrace_symbols_fd(frames, count, STDERR_FILENO);
#endif
    WriteText("---- end of main thread stack ----\n");
    g_stackPrinted = true;
}

}  // namespace

CSessionWatchdog::CSessionWatchdog(std::chrono::milliseconds limit, std::chrono::milliseconds startLimit)
    : m_limit(limit), m_startLimit(startLimit), m_main(pthread_self())
{
    g_mainThread = m_main;
    struct sigaction action {};
    action.sa_handler = &OnStackSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR2, &action, nullptr);
}

CSessionWatchdog::~CSessionWatchdog()
{
    Stop();
}

void CSessionWatchdog::Start()
{
    Stop();
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
}

void CSessionWatchdog::Stop()
{
    {
        std::lock_guard lock(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CSessionWatchdog::SetActivity(const std::string& text)
{
    std::lock_guard lock(m_lock);
    m_activity = text;
}

void CSessionWatchdog::PrintMainThreadStack()
{
    g_stackPrinted = false;
    if (pthread_kill(g_mainThread, SIGUSR2) != 0)
        return;
    for (int i = 0; i < 100 && !g_stackPrinted; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!g_stackPrinted)
        WriteText("(the main thread did not print its stack)\n");
}

void CSessionWatchdog::Run()
{
    std::unique_lock lock(m_lock);
    while (!m_stop) {
        // One ping at a time: the next goes once the last was answered.
        auto pending = std::make_shared<std::atomic<bool>>(true);
        const int64_t sent = NowMs();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            // A ping left in the queue may run in a later session's loop, after this
            // watchdog is gone: it touches only what it shares.
            [pending] { *pending = false; },
            Qt::QueuedConnection);
        while (!m_stop && *pending) {
            m_wake.wait_for(lock, std::chrono::milliseconds(50));
            const auto silent = std::chrono::milliseconds(NowMs() - sent);
            if (*pending && silent >= (m_loopRuns ? m_limit : m_startLimit)) {
                lock.unlock();
                Hang(silent);
            }
        }
        m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_stop; });
    }
}

void CSessionWatchdog::Hang(std::chrono::milliseconds silent)
{
    std::string activity;
    {
        std::lock_guard lock(m_lock);
        activity = m_activity;
    }
    std::fprintf(stderr,
                 "\n[  FAILED  ] session watchdog: the event loop has not answered for %lld ms (limit %lld ms)\n"
                 "while the session was: %s\n",
                 static_cast<long long>(silent.count()),
                 static_cast<long long>((m_loopRuns ? m_limit : m_startLimit).count()),
                 activity.empty() ? "(starting or ending the program)" : activity.c_str());
    std::fflush(stderr);
    PrintMainThreadStack();
    std::fflush(stderr);
    std::_Exit(3);
}

}  // namespace qx::sessions
