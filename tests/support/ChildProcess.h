// A program a test starts beside it (an X server, a window manager): its output dropped,
// ended with the test process however that ends (start it from the main thread), and
// stopped when this goes. Needs no Qt, so a test entry can start one before its application.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qx::testsupport {

class CChildProcess {
public:
    // Starts the program (args[0], looked up on PATH); closeFd is a descriptor of this
    // process the program must not hold (-1: none).
    explicit CChildProcess(std::vector<std::string> args, int closeFd = -1);
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    // SIGTERM, and waits until it has ended.
    void Stop();

private:
    pid_t m_pid = -1;
};

}  // namespace qx::testsupport
