// Posted and sent messages, handles, message maps and event routing.
#include "UiTestSupport.h"

#include "platform/ui/CCmdUI.h"
#include "platform/ui/CWindowRegistry.h"
#include "platform/ui/CWnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <thread>

namespace {

struct Counted {
    static inline std::atomic<int> live{0};
    explicit Counted(int v) : value(v) { ++live; }
    Counted(const Counted& o) : value(o.value) { ++live; }
    ~Counted() { --live; }
    int value;
};

class ProbeWnd : public CWnd {
public:
    int commands = 0;
    std::vector<UINT> rangeIds;
    std::vector<int> payloads;
    std::vector<std::thread::id> threads;
    int app6 = 0;
    std::vector<CString> keys;
    CPoint lastDown{-1, -1};

    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map = MessageMapFor<ProbeWnd>(CWnd::GetMessageMap())
                                           .Command(100, &ProbeWnd::OnCmd)
                                           .CommandRange(200, 210, &ProbeWnd::OnRange)
                                           .UpdateUI(100, &ProbeWnd::OnUpdate100)
                                           .Message(WM_APP + 6, &ProbeWnd::OnApp6)
                                           .Message(WM_APP + 3, &ProbeWnd::OnPayload)
                                           .Build();
        return map;
    }
    bool Make()
    {
        return Create(nullptr, "probe", WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 1) != FALSE;
    }

protected:
    void OnCmd() { ++commands; }
    void OnRange(UINT id) { rangeIds.push_back(id); }
    void OnUpdate100(CCmdUI* ui) { ui->Enable(FALSE); }
    LRESULT OnApp6(WPARAM w, LPARAM l)
    {
        ++app6;
        threads.push_back(std::this_thread::get_id());
        return static_cast<LRESULT>(w) * 10 + l;
    }
    LRESULT OnPayload(CWndMessage& m)
    {
        threads.push_back(std::this_thread::get_id());
        if (Counted* c = m.Peek<Counted>())
            payloads.push_back(c->value);
        return 0;
    }
    void OnKeyDown(UINT key, UINT, UINT) override
    {
        CString s;
        s.Format("down %u", key);
        keys.push_back(s);
    }
    void OnChar(UINT ch, UINT, UINT) override
    {
        CString s;
        s.Format("char %c", static_cast<char>(ch));
        keys.push_back(s);
    }
    void OnLButtonDown(UINT, CPoint p) override { lastDown = p; }
};

class DerivedProbe : public ProbeWnd {
public:
    int derivedCommands = 0;
    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map =
            MessageMapFor<DerivedProbe>(ProbeWnd::GetMessageMap()).Command(100, &DerivedProbe::OnOwn).Build();
        return map;
    }

private:
    void OnOwn() { ++derivedCommands; }
};

}  // namespace

TEST(Messages, PostedToClosedWindowAreDroppedWithTheirPayloads)
{
    ASSERT_EQ(Counted::live, 0);
    ProbeWnd w;
    ASSERT_TRUE(w.Make());
    const HWND h = w.m_hWnd;
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(PostMessage(h, WM_APP + 3, 0, 0, MakePayload<Counted>(i)));
    EXPECT_EQ(Counted::live, 5);
    w.DestroyWindow();
    EXPECT_FALSE(IsWindow(h));
    // A late post is refused at once and its payload freed.
    EXPECT_FALSE(PostMessage(h, WM_APP + 3, 0, 0, MakePayload<Counted>(99)));
    EXPECT_EQ(Counted::live, 5);
    CMessageQueue::Flush();
    PumpFor(20);
    EXPECT_EQ(Counted::live, 0);
    EXPECT_TRUE(w.payloads.empty());
}

TEST(Messages, StaleHandleIsNeverDeliveredToAWindowReusingItsSlot)
{
    ProbeWnd a;
    ASSERT_TRUE(a.Make());
    const HWND old = a.m_hWnd;
    EXPECT_TRUE(PostMessage(old, WM_APP + 6, 1, 0));
    a.DestroyWindow();
    ProbeWnd b;
    ASSERT_TRUE(b.Make());
    EXPECT_EQ(b.m_hWnd.Slot(), old.Slot());  // the slot is reused...
    EXPECT_NE(b.m_hWnd, old);               // ...under a new generation
    EXPECT_EQ(CWnd::FromHandle(old), nullptr);
    EXPECT_FALSE(PostMessage(old, WM_APP + 6, 2, 0));
    CMessageQueue::Flush();
    EXPECT_EQ(b.app6, 0);
    EXPECT_EQ(a.app6, 0);
}

TEST(Messages, WorkerThreadPostsArriveOnTheUiThreadInOrder)
{
    ProbeWnd w;
    ASSERT_TRUE(w.Make());
    const HWND h = w.m_hWnd;
    std::thread worker([h] {
        for (int i = 0; i < 200; ++i)
            PostMessage(h, WM_APP + 3, 0, 0, MakePayload<Counted>(i));
    });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return w.payloads.size() == 200; }));
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(w.payloads[static_cast<size_t>(i)], i);
    for (const auto& id : w.threads)
        EXPECT_EQ(id, std::this_thread::get_id());
    CMessageQueue::Flush();
    EXPECT_EQ(Counted::live, 0);
}

TEST(Messages, PostsRacingWithDestructionLeakNothing)
{
    auto w = std::make_unique<ProbeWnd>();
    ASSERT_TRUE(w->Make());
    const HWND h = w->m_hWnd;
    std::atomic<bool> stop{false};
    std::atomic<int> refused{0};
    std::thread worker([&] {
        while (!stop)
            if (!PostMessage(h, WM_APP + 3, 0, 0, MakePayload<Counted>(1)))
                ++refused;
    });
    PumpFor(30);
    w->DestroyWindow();
    // The worker goes on posting until the gone window has refused a post.
    EXPECT_TRUE(PumpUntil([&] { return refused.load() > 0; }, 60000));
    stop = true;
    worker.join();
    CMessageQueue::Flush();
    PumpFor(10);
    EXPECT_GT(refused.load(), 0);
    EXPECT_EQ(Counted::live, 0);
}

TEST(Messages, SendFromAWorkerWaitsForTheUiThreadsAnswer)
{
    ProbeWnd w;
    ASSERT_TRUE(w.Make());
    const HWND h = w.m_hWnd;
    std::atomic<LRESULT> answer{-1};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        answer = SendMessage(h, WM_APP + 6, 4, 2);
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(answer.load(), 42);
    ASSERT_EQ(w.threads.size(), 1u);
    EXPECT_EQ(w.threads[0], std::this_thread::get_id());
    // To a window that is gone the answer is 0 and nothing blocks.
    w.DestroyWindow();
    std::thread late([&] { answer = SendMessage(h, WM_APP + 6, 4, 2); });
    late.join();
    EXPECT_EQ(answer.load(), 0);
}

TEST(Messages, MapsRouteCommandsRangesUpdatesAndDerivedOverrides)
{
    DerivedProbe w;
    ASSERT_TRUE(w.Make());
    w.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0);
    EXPECT_EQ(w.derivedCommands, 1);
    EXPECT_EQ(w.commands, 0);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(205, 0), 0);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(211, 0), 0);
    EXPECT_EQ(w.rangeIds, std::vector<UINT>{205});
    EXPECT_EQ(w.SendMessage(WM_APP + 6, 3, 1), 31);

    CCmdUI handled(100);
    EXPECT_TRUE(handled.DoUpdate(&w, true));
    EXPECT_FALSE(handled.m_enabled);
    CCmdUI commandOnly(205);  // a command handler alone leaves the item enabled
    EXPECT_TRUE(commandOnly.DoUpdate(&w, true));
    EXPECT_TRUE(commandOnly.m_enabled);
    CCmdUI nobody(300);
    EXPECT_FALSE(nobody.DoUpdate(&w, true));
    EXPECT_FALSE(nobody.m_enabled);
}

TEST(Messages, QtInputReachesTheHandlersInClientCoordinates)
{
    ProbeWnd w;
    ASSERT_TRUE(w.Make());
    QWidget* widget = w.GetWidget();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(widget, &press);
    ASSERT_EQ(w.keys.size(), 2u);
    EXPECT_EQ(w.keys[0], "down 65");
    EXPECT_EQ(w.keys[1], "char a");
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(12, 34), widget->mapToGlobal(QPointF(12, 34)), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &down);
    EXPECT_EQ(w.lastDown, CPoint(12, 34));
}

TEST(Messages, DestroyingAWindowInItsOwnHandlerIsSafe)
{
    class SelfCloser : public CWnd {
    protected:
        void OnLButtonDown(UINT, CPoint) override { DestroyWindow(); }
    };
    SelfCloser w;
    ASSERT_TRUE(w.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 1));
    const HWND h = w.m_hWnd;
    QPointer<QWidget> widget = w.GetWidget();
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &down);
    // Hidden at once, destroyed by the event loop once the handler returned.
    ASSERT_FALSE(widget.isNull());
    EXPECT_FALSE(widget->isVisible());
    EXPECT_TRUE(w.IsDestroyPending());
    EXPECT_TRUE(PumpUntil([&] { return widget.isNull(); }));
    EXPECT_FALSE(IsWindow(h));
}
