#include "tests/support/Openbox.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

namespace qx::testsupport {

namespace {

constexpr std::chrono::seconds kStartUp(10);

// Whether something is written to the fifo open for reading before the deadline.
bool Written(int fd, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(left.count()));
        if (polled > 0)
            return (ready.revents & POLLIN) != 0;
        if (polled == 0 || errno != EINTR)
            return false;
    }
}

}  // namespace

COpenbox::COpenbox()
{
    // Its startup command writes to a fifo.
    char folder[] = "/tmp/qx-wm-XXXXXX";
    if (!mkdtemp(folder))
        return;
    const std::string fifo = std::string(folder) + "/up";
    if (mkfifo(fifo.c_str(), 0600) == 0) {
        const auto deadline = std::chrono::steady_clock::now() + kStartUp;
        const int fd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd >= 0) {
            m_process = std::make_unique<CChildProcess>(
                std::vector<std::string>{"openbox", "--startup", "sh -c 'echo up > " + fifo + "'"}, fd);
            if (!m_process->Started() || !Written(fd, deadline))
                m_process.reset();
            close(fd);
        }
        unlink(fifo.c_str());
    }
    rmdir(folder);
}

}  // namespace qx::testsupport
