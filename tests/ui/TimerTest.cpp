// Window timers by id.
#include "UiTestSupport.h"

#include "platform/ui/CWnd.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class TimedWnd : public CWnd {
public:
    std::map<UINT_PTR, int> ticks;
    UINT_PTR killOnFirst = 0;

protected:
    void OnTimer(UINT_PTR id) override
    {
        ++ticks[id];
        if (id == killOnFirst)
            KillTimer(id);
    }
};

}  // namespace

TEST(Timers, FireByIdUntilKilled)
{
    TimedWnd w;
    ASSERT_TRUE(w.Create(nullptr, "", 0, CRect(0, 0, 10, 10), nullptr, 1));
    EXPECT_EQ(w.SetTimer(1978, 5), 1978u);
    EXPECT_EQ(w.SetTimer(1977, 5), 1977u);
    ASSERT_TRUE(PumpUntil([&] { return w.ticks[1978] >= 3 && w.ticks[1977] >= 3; }));
    EXPECT_TRUE(w.KillTimer(1978));
    EXPECT_FALSE(w.KillTimer(1978));
    const int stopped = w.ticks[1978];
    const int running = w.ticks[1977];
    PumpFor(60);
    EXPECT_EQ(w.ticks[1978], stopped);
    EXPECT_GT(w.ticks[1977], running);
}

TEST(Timers, KillingInsideTheHandlerAndDestroyingTheWindowStopThem)
{
    TimedWnd w;
    ASSERT_TRUE(w.Create(nullptr, "", 0, CRect(0, 0, 10, 10), nullptr, 1));
    w.killOnFirst = 7;
    w.SetTimer(7, 1);
    w.SetTimer(8, 1);
    ASSERT_TRUE(PumpUntil([&] { return w.ticks[8] >= 2; }));
    PumpFor(30);
    EXPECT_EQ(w.ticks[7], 1);
    w.DestroyWindow();
    const int after = w.ticks[8];
    PumpFor(40);
    EXPECT_EQ(w.ticks[8], after);
    EXPECT_EQ(w.SetTimer(9, 1), 0u);  // no window, no timer
}

TEST(Timers, SettingAnExistingIdRestartsItWithTheNewInterval)
{
    TimedWnd w;
    ASSERT_TRUE(w.Create(nullptr, "", 0, CRect(0, 0, 10, 10), nullptr, 1));
    w.SetTimer(2, 100000);
    w.SetTimer(2, 2);
    ASSERT_TRUE(PumpUntil([&] { return w.ticks[2] >= 2; }, 1000));
    w.KillTimer(2);
}

namespace {

class OneShot : public CWnd {
public:
    static inline int live = 0;
    OneShot() { ++live; }
    ~OneShot() override { --live; }

protected:
    void OnTimer(UINT_PTR) override { DestroyWindow(); }
    void PostNcDestroy() override { delete this; }  // owns itself like a frame
};

}  // namespace

TEST(Timers, AWindowMayCloseItselfFromItsTimer)
{
    auto owned = std::make_unique<OneShot>();
    ASSERT_TRUE(owned->Create(nullptr, "", 0, CRect(0, 0, 10, 10), nullptr, 1));
    OneShot* w = owned.release();
    const HWND h = w->m_hWnd;
    w->SetTimer(1, 1);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(h); }));
    PumpFor(20);
    EXPECT_EQ(OneShot::live, 0);
}
