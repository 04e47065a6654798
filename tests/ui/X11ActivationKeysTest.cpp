// Keys typed through the X server, under openbox, while the program activates a window of
// its own. Typed right behind the key that opens it, 10 or 150 ms a key, they land in the
// field it focuses once active, none lost. When the window manager refuses it the focus,
// the keys typed into the window that has the focus land there at once, not two seconds
// later in the other: once another of the program's windows has the focus, once the user
// has clicked, or once the wait for the activation is over.
#include "tests/support/X11Windows.h"
#include "tests/ui/X11Keys.h"
#include "tests/ui/XvfbTestMain.h"

#include "platform/ui/EventPump.h"
#include "platform/ui/ModalKeyRouting.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

// A window of one field; a "/" typed into it runs opened() instead.
class CFieldWindow : public QWidget {
public:
    explicit CFieldWindow(int x) : m_field(new COpeningField(this))
    {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_field);
        setGeometry(x, 100, 240, 80);
    }
    QString Text() const { return m_field->text(); }
    QPoint FieldCentre() const { return m_field->mapToGlobal(m_field->rect().center()); }
    xcb_window_t Id() { return static_cast<xcb_window_t>(winId()); }
    std::function<void()> opened;

private:
    class COpeningField : public QLineEdit {
    public:
        explicit COpeningField(CFieldWindow* owner) : QLineEdit(owner), m_owner(owner) {}

    protected:
        void keyPressEvent(QKeyEvent* event) override
        {
            if (event->text() == "/" && m_owner->opened)
                m_owner->opened();
            else
                QLineEdit::keyPressEvent(event);
        }

    private:
        CFieldWindow* m_owner;
    };
    COpeningField* m_field;
};

class X11ManagedActivationKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XServerUp())
            GTEST_SKIP() << "no Xvfb";
        if (!qx::x11::HaveXdotool())
            GTEST_SKIP() << "no xdotool";
        ASSERT_TRUE(qx::x11::WindowManagerRuns());
        RouteBlockedKeysToModalWindows();
    }

    // Shown, given the focus by the window manager as the user would, and active.
    static void Focus(CFieldWindow& window)
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        qx::x11::ActivateByManager(window.Id());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // The program brings the window to the front and activates it.
    static void Activate(CFieldWindow& window)
    {
        window.show();
        window.raise();
        window.activateWindow();
        KeysFollowActivation(&window);
    }
    // The window manager will not give it the focus: it neither takes input nor asks for it.
    static void Unfocusable(CFieldWindow& window)
    {
        xcb_connection_t* x = qx::x11::Connection();
        std::vector<uint32_t> hints = qx::x11::Property(window.Id(), "WM_HINTS", qx::x11::Atom("WM_HINTS"));
        hints.resize(9);
        hints[0] |= 1;  // the input field is set
        hints[1] = 0;   // and false
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, window.Id(), qx::x11::Atom("WM_HINTS"),
                            qx::x11::Atom("WM_HINTS"), 32, static_cast<uint32_t>(hints.size()), hints.data());
        std::vector<uint32_t> protocols = qx::x11::Property(window.Id(), "WM_PROTOCOLS", XCB_ATOM_ATOM);
        std::erase(protocols, qx::x11::Atom("WM_TAKE_FOCUS"));
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, window.Id(), qx::x11::Atom("WM_PROTOCOLS"), XCB_ATOM_ATOM,
                            32, static_cast<uint32_t>(protocols.size()), protocols.data());
        xcb_flush(x);
    }

    // xdotool types the text, delay ms a key; Type waits until it has.
    void StartTyping(const QString& text, int delay)
    {
        m_typist.start("xdotool", QStringList{"key", "--delay", QString::number(delay)} + KeysOf(text));
        ASSERT_TRUE(m_typist.waitForStarted(5000));
    }
    void Type(const QString& text, int delay)
    {
        StartTyping(text, delay);
        ASSERT_TRUE(m_typist.waitForFinished(10000) && m_typist.exitCode() == 0);
    }
    // How long, in ms, the window took to show the text once typed; -1 when it did not in 5 s.
    static qint64 Arrival(const CFieldWindow& window, const QString& text)
    {
        QElapsedTimer waited;
        waited.start();
        return PumpEventsUntil([&] { return window.Text() == text; }, 5000) ? waited.elapsed() : -1;
    }

    void ExpectTypedAheadInTheOpenedWindow(int delay, bool throughMenu);

    QProcess m_typist;
};

// A window, slow to build, opens on the first key (or on the letter of a menu that key
// opens) and the window manager gives it the focus: the keys typed behind reach its field,
// which has the focus once it is active.
void X11ManagedActivationKeys::ExpectTypedAheadInTheOpenedWindow(int delay, bool throughMenu)
{
    CFieldWindow typedInto(100);
    CFieldWindow opened(500);
    Focus(typedInto);
    const auto open = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Activate(opened);
    };
    QMenu menu(&typedInto);
    QObject::connect(menu.addAction("&News"), &QAction::triggered, open);
    typedInto.opened = [&] {
        if (throughMenu)
            menu.popup(typedInto.FieldCentre());
        else
            open();
    };
    StartTyping(throughMenu ? "/nibm" : "/ibm", delay);
    EXPECT_TRUE(PumpEventsUntil([&] { return opened.Text() == "ibm"; }, 5000)) << "it holds " << opened.Text().toStdString();
    EXPECT_EQ(typedInto.Text(), "");
    EXPECT_TRUE(m_typist.state() == QProcess::NotRunning || m_typist.waitForFinished(10000));
    EXPECT_EQ(m_typist.exitCode(), 0);
}

TEST_F(X11ManagedActivationKeys, TypedAheadAt10msAKeyLandInTheOpenedWindow)
{
    ExpectTypedAheadInTheOpenedWindow(10, false);
}

TEST_F(X11ManagedActivationKeys, TypedAheadAt150msAKeyLandInTheOpenedWindow)
{
    ExpectTypedAheadInTheOpenedWindow(150, false);
}

// The menu hands the keyboard back to the window it belongs to as it closes: the focus
// coming back there on its way takes nothing from the window the menu item opened.
TEST_F(X11ManagedActivationKeys, TypedAheadAt10msAKeyThroughAMenuLandInTheOpenedWindow)
{
    ExpectTypedAheadInTheOpenedWindow(10, true);
}

TEST_F(X11ManagedActivationKeys, TypedAheadAt150msAKeyThroughAMenuLandInTheOpenedWindow)
{
    ExpectTypedAheadInTheOpenedWindow(150, true);
}

// The window manager refuses the focus to each window the program activates here. Keys
// typed into the window that has the focus reach it: at once after the focus has gone to
// another window of the program, after a click, and after the wait that began with the
// activation, though no key came meanwhile; typed during that wait, at its end. The refused
// windows get none.
TEST_F(X11ManagedActivationKeys, RefusedActivationLeavesTheKeysWhereTheFocusIs)
{
    CFieldWindow typedInto(100);
    CFieldWindow other(900);
    Focus(other);
    std::vector<std::unique_ptr<CFieldWindow>> refused;
    // A new window, which the window manager will not focus, activated while the focus is
    // on typedInto.
    const auto activateRefused = [&] {
        refused.push_back(std::make_unique<CFieldWindow>(500));
        CFieldWindow& window = *refused.back();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        Unfocusable(window);
        Focus(typedInto);
        Activate(window);
    };

    activateRefused();
    qx::x11::ActivateByManager(other.Id());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    Type("ab", 10);
    const qint64 toOther = Arrival(other, "ab");
    EXPECT_TRUE(toOther >= 0 && toOther < 1000) << "ab reached the window focused after " << toOther << " ms";

    activateRefused();
    ASSERT_EQ(QProcess::execute("xdotool", qx::x11::ClickCommands(typedInto.FieldCentre())), 0);
    Type("cd", 10);
    const qint64 afterClick = Arrival(typedInto, "cd");
    EXPECT_TRUE(afterClick >= 0 && afterClick < 1000) << "cd reached the clicked window after " << afterClick << " ms";

    // Typed at once, they wait for the activation as long as keys wait for one.
    activateRefused();
    Type("ef", 10);
    const qint64 inTheWait = Arrival(typedInto, "cdef");
    EXPECT_TRUE(inTheWait >= 0 && inTheWait < 3000) << "ef reached the focused window after " << inTheWait << " ms";

    activateRefused();
    QTest::qWait(2200);
    Type("gh", 10);
    const qint64 afterWait = Arrival(typedInto, "cdefgh");
    EXPECT_TRUE(afterWait >= 0 && afterWait < 1000) << "gh reached the focused window after " << afterWait << " ms";

    for (const auto& window : refused) {
        EXPECT_EQ(window->Text(), "");
        EXPECT_FALSE(window->isActiveWindow()) << "the window manager focused it after all";
    }
}

}  // namespace
