#include "tests/imaging/BoundedChild.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace qxtest {
namespace {

// A "Name:   1234 kB" field of /proc/self/status, in bytes; 0 when missing.
uint64_t StatusBytes(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(name);
    while (std::getline(status, line))
        if (line.compare(0, n, name) == 0 && line.size() > n && line[n] == ':')
            return std::strtoull(line.c_str() + n + 1, nullptr, 10) * 1024;
    return 0;
}

[[noreturn]] void ChildMain(int out, uint64_t addressLimit, const std::function<int()>& work)
{
    // Forget the parent's peak, then cap what the child may reserve.
    {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
    }
    const uint64_t startResident = StatusBytes("VmRSS");
    const rlimit limit{static_cast<rlim_t>(StatusBytes("VmSize") + addressLimit), RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &limit);
    const int code = work();
    const uint64_t peak = StatusBytes("VmHWM");
    const uint64_t growth = peak > startResident ? peak - startResident : 0;
    const bool written = write(out, &growth, sizeof(growth)) == static_cast<ssize_t>(sizeof(growth));
    _exit(written ? code : 127);
}

}  // namespace

ChildResult RunInBoundedChild(uint64_t addressLimit, const std::function<int()>& work)
{
    ChildResult result;
    int fds[2];
    if (pipe(fds) != 0)
        return result;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        ChildMain(fds[1], addressLimit, work);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return result;
    }
    uint64_t growth = 0;
    const bool got = read(fds[0], &growth, sizeof(growth)) == static_cast<ssize_t>(sizeof(growth));
    close(fds[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return result;
    result.exited = got && WIFEXITED(status);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakResidentGrowth = growth;
    return result;
}

}  // namespace qxtest
