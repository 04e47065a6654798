// Test entry of the suites that need a real X server: starts Xvfb on a free display, runs
// the tests on it with the xcb platform and stops it. A run of managed suites alone
// (--gtest_filter=X11Managed...) gets openbox as window manager; others get none.
#include "tests/ui/XvfbTestMain.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <poll.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// libxkbcommon-x11 reads key names with strndup from buffers not ended by a zero.
extern "C" const char* __asan_default_options()
{
    return "intercept_strndup=0";
}
#endif

namespace {

bool g_serverUp = false;

// Starts a program, closing closeFd in it; its pid, or -1. The program ends with this
// process, however that ends (only the main thread runs yet, so forking is safe).
pid_t Spawn(std::vector<std::string> args, int closeFd = -1)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid < 0 ? -1 : pid;
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

// Xvfb writes its display number to the pipe once it accepts clients.
pid_t StartXvfb(std::string& display)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x800x24",
                             "-nolisten", "tcp"},
                            fds[0]);
    close(fds[1]);
    std::string number;
    char c = 0;
    while (pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (pid <= 0 || number.empty()) {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        return -1;
    }
    display = ":" + number;
    return pid;
}

// Starts openbox and waits until it has started up (it then runs its startup command,
// which writes to a fifo); its pid, or -1 when it did not start within ten seconds.
pid_t StartWindowManager()
{
    char folder[] = "/tmp/qx-wm-XXXXXX";
    if (!mkdtemp(folder))
        return -1;
    const std::string fifo = std::string(folder) + "/up";
    pid_t pid = -1;
    if (mkfifo(fifo.c_str(), 0600) == 0) {
        const int fd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        pid = Spawn({"openbox", "--startup", "sh -c 'echo up > " + fifo + "'"});
        pollfd ready{fd, POLLIN, 0};
        if (pid > 0 && (poll(&ready, 1, 10000) <= 0 || !(ready.revents & POLLIN))) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
        close(fd);
        unlink(fifo.c_str());
    }
    rmdir(folder);
    return pid;
}

} // namespace

bool XServerUp()
{
    return g_serverUp;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    std::string display;
    const pid_t server = GTEST_FLAG_GET(list_tests) ? -1 : StartXvfb(display);
    if (server <= 0) {
        // No X server here: the tests skip, on the offscreen platform.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QApplication app(argc, argv);
        return RUN_ALL_TESTS();
    }
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    g_serverUp = true;
    // The managed suite runs alone, with a window manager there before the application.
    const pid_t manager = GTEST_FLAG_GET(filter).rfind(kManagedSuite, 0) == 0 ? StartWindowManager() : -1;
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    for (const pid_t pid : {manager, server}) {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    return result;
}
