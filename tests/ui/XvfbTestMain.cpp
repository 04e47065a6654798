// Test entry of the suites that need a real X server: starts Xvfb on a free display, runs
// the tests on it with the xcb platform and stops it. A run of managed suites alone
// (--gtest_filter=X11Managed...) gets openbox as window manager; others get none.
#include "tests/ui/XvfbTestMain.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/GraphicsWarnings.h"
#include "tests/support/Openbox.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// libxkbcommon-x11 reads key names with strndup from buffers not ended by a zero.
extern "C" const char* __asan_default_options()
{
    return "intercept_strndup=0";
}
#endif

namespace {

using qx::testsupport::CChildProcess;
using qx::testsupport::COpenbox;

bool g_serverUp = false;
QtMessageHandler g_qtMessages = nullptr;

// A window that lost its OpenGL surface no longer paints: the test that saw it fails.
void FailOnGraphicsWarning(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (qx::testsupport::IsGraphicsWarning(text.toStdString()))
        ADD_FAILURE() << "a warning of the graphics stack: " << text.toStdString();
    if (g_qtMessages)
        g_qtMessages(type, context, text);
}

// Xvfb writes its display number to the pipe once it accepts clients; null when it did not.
std::unique_ptr<CChildProcess> StartXvfb(std::string& display)
{
    int fds[2];
    if (pipe(fds) != 0)
        return nullptr;
    auto server = std::make_unique<CChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x800x24",
                                 "-nolisten", "tcp"},
        fds[0]);
    close(fds[1]);
    std::string number;
    char c = 0;
    while (server->Started() && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (!server->Started() || number.empty())
        return nullptr;
    display = ":" + number;
    return server;
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
    const std::unique_ptr<CChildProcess> server = GTEST_FLAG_GET(list_tests) ? nullptr : StartXvfb(display);
    if (!server) {
        // No X server here: the tests skip, on the offscreen platform.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QApplication app(argc, argv);
        return RUN_ALL_TESTS();
    }
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    g_serverUp = true;
    // The managed suite runs alone, with a window manager there before the application.
    std::unique_ptr<COpenbox> manager;
    if (GTEST_FLAG_GET(filter).rfind(kManagedSuite, 0) == 0)
        manager = std::make_unique<COpenbox>();
    QApplication app(argc, argv);
    g_qtMessages = qInstallMessageHandler(FailOnGraphicsWarning);
    return RUN_ALL_TESTS();
}
