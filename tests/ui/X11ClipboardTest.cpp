// Pasting into edits through the X clipboard, with and without an owner.
#include "tests/ui/XvfbTestMain.h"

#include "platform/ui/CEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

class Parent : public CWnd {
public:
    bool Make() { return Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 1) != FALSE; }
};

// Whether any X client owns the CLIPBOARD selection.
bool ClipboardOwned()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return true;
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 9, "CLIPBOARD"), nullptr);
    if (!atom)
        return true;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool owned = !owner || owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return owned;
}

void FocusOn(QWidget* w)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w->window()));
    w->activateWindow();
    w->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->hasFocus(); }));
}

void PressCtrlV(QWidget* w)
{
    QTest::keyClick(w->window()->windowHandle(), Qt::Key_V, Qt::ControlModifier);
    QTest::qWait(100);
}

}  // namespace

TEST(X11Clipboard, CtrlVPastesIntoEditsAndAnEmptyClipboardLeavesThemAsTheyWere)
{
    if (!XServerUp())
        GTEST_SKIP() << "no Xvfb";
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(QTest::qWaitFor([] { return !ClipboardOwned(); }));
    Parent p;
    ASSERT_TRUE(p.Make());
    CEdit multi;
    ASSERT_TRUE(multi.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, CRect(0, 0, 200, 80), &p, 40));
    CEdit single;
    ASSERT_TRUE(single.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(0, 90, 200, 110), &p, 41));
    multi.SetWindowText("Close > 10");
    single.SetWindowText("MSFT");

    // Nobody owns the clipboard: the keys and the paste command leave both as they were.
    FocusOn(multi.GetWidget());
    multi.SetSel(-1, -1);
    PressCtrlV(multi.GetWidget());
    multi.Paste();
    EXPECT_EQ(multi.GetWindowText(), "Close > 10");
    FocusOn(single.GetWidget());
    PressCtrlV(single.GetWidget());
    EXPECT_EQ(single.GetWindowText(), "MSFT");

    // Text copied: pasted where the caret is.
    QGuiApplication::clipboard()->setText(" AND Volume > 1000");
    ASSERT_TRUE(QTest::qWaitFor([] { return ClipboardOwned(); }));
    FocusOn(multi.GetWidget());
    multi.SetSel(10, 10);
    PressCtrlV(multi.GetWidget());
    EXPECT_EQ(multi.GetWindowText(), "Close > 10 AND Volume > 1000");

    // Emptied again.
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(QTest::qWaitFor([] { return !ClipboardOwned(); }));
    PressCtrlV(multi.GetWidget());
    EXPECT_EQ(multi.GetWindowText(), "Close > 10 AND Volume > 1000");
}
