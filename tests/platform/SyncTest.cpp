#include "platform/core/CCriticalSection.h"
#include "platform/core/CEvent.h"
#include "platform/core/CSingleLock.h"
#include "platform/core/CThread.h"
#include "platform/core/Tick.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace {
// Waits (up to five seconds) until count threads wait on the object.
bool waitForWaiters(const CWaitable& object, int count)
{
    for (int i = 0; i < 5000 && object.GetWaitingThreads() < count; ++i)
        Sleep(1);
    return object.GetWaitingThreads() >= count;
}

bool waitForValue(const std::atomic<int>& value, int wanted)
{
    for (int i = 0; i < 5000 && value.load() < wanted; ++i)
        Sleep(1);
    return value.load() == wanted;
}
}  // namespace

TEST(CEvent, AutoResetReleasesOneWaitPerSet)
{
    CEvent event;  // auto reset, not set
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    event.SetEvent();
    event.SetEvent();  // setting twice still releases one wait
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

    CEvent manual(TRUE, TRUE);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    manual.ResetEvent();
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
}

TEST(CEvent, TimeoutWaitsRoughlyTheTime)
{
    CEvent event;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
    const ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_GE(elapsed, 50u);
    EXPECT_LT(elapsed, 2000u);
}

TEST(CEvent, AutoResetWakesExactlyOneOfSeveralWaiters)
{
    CEvent event;
    std::atomic<int> woken{0};
    std::vector<std::unique_ptr<CThread>> threads;
    for (int i = 0; i < 4; ++i) {
        auto t = std::make_unique<CThread>();
        t->Start([&] {
            if (WaitForSingleObject(event, 3000) == WAIT_OBJECT_0)
                ++woken;
            return DWORD{0};
        });
        threads.push_back(std::move(t));
    }
    ASSERT_TRUE(waitForWaiters(event, 4));
    event.SetEvent();
    ASSERT_TRUE(waitForValue(woken, 1));
    Sleep(50);
    EXPECT_EQ(woken.load(), 1);
    EXPECT_EQ(event.GetWaitingThreads(), 3);
    for (int i = 2; i <= 4; ++i) {
        event.SetEvent();
        EXPECT_TRUE(waitForValue(woken, i));
    }
    for (auto& t : threads)
        t->Join();
    EXPECT_EQ(woken.load(), 4);
}

TEST(CEvent, PulseReleasesCurrentWaitersOnlyAndLeavesItReset)
{
    CEvent manual(FALSE, TRUE);
    std::atomic<int> released{0};
    CThread a, b;
    auto waiter = [&] {
        if (WaitForSingleObject(manual, 2000) == WAIT_OBJECT_0)
            ++released;
        return DWORD{0};
    };
    a.Start(waiter);
    b.Start(waiter);
    ASSERT_TRUE(waitForWaiters(manual, 2));
    manual.PulseEvent();
    a.Join();
    b.Join();
    EXPECT_EQ(released.load(), 2);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    CEvent autoEvent;
    autoEvent.PulseEvent();  // nobody waits: nothing happens
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);

    released = 0;
    auto autoWaiter = [&] {
        if (WaitForSingleObject(autoEvent, 500) == WAIT_OBJECT_0)
            ++released;
        return DWORD{0};
    };
    a.Start(autoWaiter);
    b.Start(autoWaiter);
    ASSERT_TRUE(waitForWaiters(autoEvent, 2));
    autoEvent.PulseEvent();
    a.Join();
    b.Join();
    EXPECT_EQ(released.load(), 1);
}

TEST(WaitForMultipleObjects, AnyAllAndThreads)
{
    CEvent first, second;
    HANDLE both[] = {first, second};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);
    second.SetEvent();
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);  // consumed

    // Wait-all takes nothing until all are set.
    first.SetEvent();
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 20), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);  // first was not consumed
    first.SetEvent();
    second.SetEvent();
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);

    // A stop event against a thread, as the application's poll loop does.
    CEvent stop(FALSE, TRUE);
    DWORD value = 7;
    CThread worker;
    EXPECT_EQ(worker.GetExitCode(), STILL_ACTIVE);
    ASSERT_TRUE(worker.Start(
        [](void* p) -> DWORD {
            Sleep(200);
            return *static_cast<DWORD*>(p);
        },
        &value, THREAD_PRIORITY_LOWEST));
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_FALSE(worker.Start([] { return DWORD{1}; }));  // still running
    HANDLE objects[] = {stop, worker};
    EXPECT_EQ(WaitForMultipleObjects(2, objects, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(worker.GetExitCode(), 7u);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(WaitForSingleObject(worker, 0), WAIT_OBJECT_0);  // stays signalled
    stop.SetEvent();
    EXPECT_EQ(WaitForMultipleObjects(2, objects, TRUE, 0), WAIT_OBJECT_0);

    // A routine that throws ends its thread with the failure code.
    ASSERT_TRUE(worker.Start([]() -> DWORD { throw std::runtime_error("boom"); }));
    worker.Join();
    EXPECT_EQ(worker.GetExitCode(), 0xFFFFFFFFu);
    auto owned = StartThread([](void*) -> DWORD { return 3; }, nullptr);
    ASSERT_NE(owned, nullptr);
    owned->Join();
    EXPECT_EQ(owned->GetExitCode(), 3u);
}

TEST(CCriticalSection, ReentrantAndExcludesOtherThreads)
{
    CCriticalSection cs;
    {
        CSingleLock outer(&cs, TRUE);
        EXPECT_TRUE(outer.IsLocked());
        CSingleLock inner(&cs, TRUE);  // the same thread may enter again
        EXPECT_TRUE(inner.IsLocked());
        inner.Unlock();
        EXPECT_FALSE(inner.IsLocked());
        EXPECT_TRUE(outer.Lock());  // already held: no second entry
    }

    int counter = 0;
    std::vector<std::unique_ptr<CThread>> threads;
    for (int t = 0; t < 4; ++t) {
        auto th = std::make_unique<CThread>();
        th->Start([&] {
            for (int i = 0; i < 10000; ++i) {
                CSingleLock lock(&cs, TRUE);
                ++counter;
            }
            return DWORD{0};
        });
        threads.push_back(std::move(th));
    }
    threads.clear();  // joins
    EXPECT_EQ(counter, 40000);

    // Held by another thread: TryLock fails until it is released.
    CEvent held(FALSE, TRUE), release(FALSE, TRUE);
    CThread owner;
    owner.Start([&] {
        CSingleLock lock(&cs, TRUE);
        held.SetEvent();
        WaitForSingleObject(release, 5000);
        return DWORD{0};
    });
    ASSERT_EQ(WaitForSingleObject(held, 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(cs.TryLock());
    release.SetEvent();
    owner.Join();
    EXPECT_TRUE(cs.TryLock());
    cs.Unlock();
}

TEST(CSingleLock, OnAnEventIsAWait)
{
    CEvent event;
    CSingleLock lock(&event);
    EXPECT_FALSE(lock.Lock(10));
    event.SetEvent();
    EXPECT_TRUE(lock.Lock(10));
    EXPECT_TRUE(lock.IsLocked());
}

TEST(Tick, MonotonicAndConsistent)
{
    const ULONGLONG a = GetTickCount64();
    const DWORD a32 = GetTickCount();
    Sleep(20);
    const ULONGLONG b = GetTickCount64();
    EXPECT_GE(b - a, 20u);
    EXPECT_GE(static_cast<DWORD>(GetTickCount() - a32), 20u);
}
