#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace qx::testsupport {

CChildProcess::CChildProcess(std::vector<std::string> args, int closeFd)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) {
        m_pid = pid;
        return;
    }
    // The child: only calls that are safe after a fork of a process with threads.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(1);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    if (closeFd >= 0)
        close(closeFd);
    execvp(argv[0], argv.data());
    _exit(127);
}

CChildProcess::~CChildProcess()
{
    Stop();
}

void CChildProcess::Stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

}  // namespace qx::testsupport
