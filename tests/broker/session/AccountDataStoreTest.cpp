#include "broker/session/CAccountDataStore.h"
#include "broker/session/CBalanceListHandle.h"
#include "broker/session/COrderStatusListHandle.h"
#include "broker/session/CPositionListHandle.h"
#include "broker/session/CSavedOrderListHandle.h"
#include "broker/session/CWatchlistListHandle.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

class Observer : public CAccountDataListener {
public:
    void OnAccountDataChanged(int kind) override { kinds.push_back(kind); }
    std::vector<int> kinds;
};

COrderStatusRecord Order(const char* id, const char* status, const char* entered, const char* multiLeg = "")
{
    COrderStatusRecord record;
    record.m_fields[COrderStatusRecord::kOrderId] = id;
    record.m_fields[COrderStatusRecord::kStatus] = status;
    record.m_fields[COrderStatusRecord::kEntered] = entered;
    record.m_fields[COrderStatusRecord::kMultiLeg] = multiLeg;
    return record;
}

CString LocalText(int64_t seconds)
{
    const time_t t = static_cast<time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[64];
    strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &tm);
    return CString(text);
}

} // namespace

TEST(AccountDataStore, ObserversHearOnlyOfListsThatDiffer)
{
    CAccountDataStore store;
    CPositionListHandle positions(store);
    Observer observer;
    positions.Subscribe(&observer);
    CArray<CPositionRecord> copy;
    EXPECT_FALSE(positions.CopyRecords(copy)); // no list yet

    std::vector<CPositionRecord> list = {{"MSFT", 100, 301.25, "1"}};
    EXPECT_TRUE(store.SetPositions(list));
    EXPECT_FALSE(store.SetPositions(list)); // same list: nobody is told
    EXPECT_EQ(observer.kinds, std::vector<int>{kAccountPositions});
    EXPECT_TRUE(store.SetBalances({{"Cash Balance", "100.00", "0.00", 0}})); // other kind
    EXPECT_EQ(observer.kinds.size(), 1u);

    list[0].quantity = 200;
    EXPECT_TRUE(store.SetPositions(list));
    EXPECT_EQ(observer.kinds.size(), 2u);
    ASSERT_TRUE(positions.CopyRecords(copy));
    ASSERT_EQ(copy.GetSize(), 1);
    EXPECT_EQ(copy[0].quantity, 200);

    // An empty list differs from "no list yet" once, then not again.
    CAccountDataStore other;
    CSavedOrderListHandle saved(other);
    Observer savedObserver;
    saved.Subscribe(&savedObserver);
    EXPECT_TRUE(other.SetSavedOrders({}));
    EXPECT_FALSE(other.SetSavedOrders({}));
    EXPECT_EQ(savedObserver.kinds.size(), 1u);
}

TEST(AccountDataStore, SnapshotKeepsItsCopyUntilUseLiveAndDestructorUnregisters)
{
    CAccountDataStore store;
    Observer observer;
    {
        CBalanceListHandle balances(store);
        balances.Subscribe(&observer);
        store.SetBalances({{"Cash Balance", "1.00", "0.00", 0}});
        balances.TakeSnapshot();
        store.SetBalances({{"Cash Balance", "2.00", "0.00", 0}});
        CArray<CBalanceRecord> copy;
        ASSERT_TRUE(balances.CopyRecords(copy));
        EXPECT_EQ(copy[0].amount, "1.00");
        balances.UseLive();
        ASSERT_TRUE(balances.CopyRecords(copy));
        EXPECT_EQ(copy[0].amount, "2.00");
    }
    store.SetBalances({{"Cash Balance", "3.00", "0.00", 0}});
    EXPECT_EQ(observer.kinds.size(), 2u); // not called after the handle was destroyed
}

TEST(AccountDataStore, WatchlistLookupByName)
{
    CAccountDataStore store;
    CWatchlistListHandle lists(store);
    lists.Subscribe(nullptr);
    CWatchlistRecord tech{"Tech", "1", {{"MSFT", 10, 300.5, 9.99, "01-15-2025"}}};
    store.SetWatchlists({tech});
    CWatchlistRecord found;
    ASSERT_TRUE(lists.FindByName("tech", found));
    EXPECT_EQ(found, tech);
    EXPECT_FALSE(lists.FindByName("Energy", found));
}

TEST(OrderStatusFilter, StatusTypeAndDateModes)
{
    const int64_t now = static_cast<int64_t>(time(nullptr));
    const COrderListFilter all = COrderListFilter::Default(now);
    EXPECT_EQ(all.to - all.from, 604800);

    const COrderStatusRecord open = Order("1", "Open", "01/02/2000 10:00:00");
    const COrderStatusRecord oldFilled = Order("2", "Filled", "01/02/2000 10:00:00");
    const COrderStatusRecord todayFilled = Order("3", "filled", LocalText(now));
    const COrderStatusRecord unparsable = Order("4", "Canceled", "yesterday-ish");
    const COrderStatusRecord leg = Order("5", "Open", LocalText(now), "OCA 5");

    // Open orders pass every date test; an unparsable date passes too.
    EXPECT_TRUE(OrderPassesFilter(open, all, now));
    EXPECT_FALSE(OrderPassesFilter(oldFilled, all, now));
    EXPECT_TRUE(OrderPassesFilter(todayFilled, all, now));
    EXPECT_TRUE(OrderPassesFilter(unparsable, all, now));

    COrderListFilter filled = all;
    filled.status = 2; // equals "Filled" without regard to case
    EXPECT_TRUE(OrderPassesFilter(todayFilled, filled, now));
    EXPECT_FALSE(OrderPassesFilter(open, filled, now));

    COrderListFilter singleLeg = all;
    singleLeg.type = 1;
    EXPECT_FALSE(OrderPassesFilter(leg, singleLeg, now));
    singleLeg.type = 2;
    EXPECT_TRUE(OrderPassesFilter(leg, singleLeg, now));

    COrderListFilter range = all;
    range.dateMode = 3;
    range.from = now - 3600;
    range.to = now + 3600;
    EXPECT_TRUE(OrderPassesFilter(todayFilled, range, now));
    EXPECT_FALSE(OrderPassesFilter(oldFilled, range, now));

    COrderListFilter days = all;
    days.dateMode = 2;
    days.days = 100000;
    EXPECT_TRUE(OrderPassesFilter(oldFilled, days, now));
}

TEST(OrderStatusRecord, FieldTimeParsesTwoDigitYearsAndCommas)
{
    COrderStatusRecord record;
    record.m_fields[0] = "12/07/26";
    int64_t a = 0, b = 0;
    ASSERT_TRUE(record.GetFieldTime(0, a));
    record.m_fields[0] = "12/07/2026";
    ASSERT_TRUE(record.GetFieldTime(0, b));
    EXPECT_EQ(a, b);
    record.m_fields[0] = "12/07/2026, 10:31:05";
    ASSERT_TRUE(record.GetFieldTime(0, a));
    EXPECT_EQ(a - b, 10 * 3600 + 31 * 60 + 5);
    EXPECT_FALSE(record.GetFieldTime(18, a));
    EXPECT_FALSE(record.GetFieldTime(-1, a));
    record.m_fields[1] = "Open";
    EXPECT_FALSE(record.GetFieldTime(1, a));
    CSavedOrderRecord saved;
    saved.m_fields[12] = "01/02/2024";
    EXPECT_TRUE(saved.GetFieldTime(12, a));
    EXPECT_FALSE(saved.GetFieldTime(13, a));
}

TEST(OrderStatusListHandle, FilterAppliesToCopiesAndLiveRefreshFollowsObservers)
{
    CAccountDataStore store;
    std::vector<bool> live;
    store.SetLiveOrdersCallback([&](bool on) { live.push_back(on); });
    Observer observer;
    COrderStatusListHandle orders(store);
    orders.Subscribe(&observer); // default filter shows open orders
    EXPECT_EQ(live, std::vector<bool>{true});
    store.SetOrders({Order("1", "Open", "01/02/2000 10:00:00"), Order("2", "Filled", "01/02/2000 10:00:00")});
    CArray<COrderStatusRecord> copy;
    ASSERT_TRUE(orders.CopyRecords(copy));
    ASSERT_EQ(copy.GetSize(), 1);
    EXPECT_EQ(copy[0].m_fields[COrderStatusRecord::kOrderId], "1");

    orders.SetFilter(4, 0, 0, 0, 0, 0); // canceled only
    EXPECT_EQ(live, (std::vector<bool>{true, false}));
    ASSERT_TRUE(orders.CopyRecords(copy));
    EXPECT_EQ(copy.GetSize(), 0);
}
