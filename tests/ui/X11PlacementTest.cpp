// Where a top-level window lands on a real X server, without and with a window manager.
#include "tests/ui/XvfbTestMain.h"

#include "platform/ui/DesktopPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// Whether a window manager holds the root window.
bool WindowManagerRuns()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr);
    const bool held = reply && (reply->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
    std::free(reply);
    return held;
}

QRect Desktop()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

TEST(X11Placement, WithoutAWindowManagerNoFrameIsAdded)
{
    if (!XServerUp() || WindowManagerRuns())
        GTEST_SKIP() << "no Xvfb without a window manager";
    // Nothing frames it: the window itself lies at the desktop's top left.
    QWidget window;
    window.setGeometry(0, 0, 640, 400);
    KeepOnDesktop(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.frameGeometry(), window.geometry());
    EXPECT_EQ(window.geometry(), QRect(Desktop().topLeft(), QSize(640, 400)));
}

// The frame is not known before the manager has framed the window; the title bar's room
// left above the window keeps it on the desktop.
TEST(X11ManagedPlacement, WithAWindowManagerTheTitleBarStaysOnTheDesktop)
{
    if (!XServerUp() || !WindowManagerRuns())
        GTEST_SKIP() << "no Xvfb with a window manager";
    QWidget window;
    window.setGeometry(0, 0, 640, 400);
    KeepOnDesktop(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry() != window.geometry(); }));
    const QRect frame = window.frameGeometry();
    EXPECT_TRUE(Desktop().contains(frame)) << frame.x() << "," << frame.y();
    EXPECT_GT(window.geometry().top(), frame.top());
}
