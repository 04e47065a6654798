// The dispatcher changes a series while a reader reads it under its lock; passes over
// several series lock them together without deadlocks; series laid out while their twin is
// answered and read take its bars or ask for their own; newer slots of ticks gone to a time,
// added on one thread while trades arrive on another, are each asked for once.
#include "FakeSeriesServices.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/SessionMessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

TEST(SeriesThreads, ReaderUnderTheLockWhileTradesAndHistoryArrive)
{
    FakeSeriesServices services;
    CPriceSeries plain("IBM,1", 0);
    CPriceSeries study("EMA(IBM,Close,5,0),1", 0);
    for (CPriceSeries* s : {&plain, &study}) {
        s->SetWindowMode(1);
        s->SetBarCount(200, 0);
        std::vector<CHistoryRow> rows;
        for (int r = 0; r < s->GetRecordCount(); ++r) {
            CHistoryRow row;
            row.feedTime = CTimeToFeedTime(s->GetRecordAt(r)->m_startTime);
            row.open = row.high = row.low = row.close = 50 + r % 7;
            row.volume = 100;
            rows.push_back(row);
        }
        s->OnIntradayHistory(rows);
    }
    std::atomic<bool> done{false};
    // Read passes the reader finished. The dispatcher waits for a new one now and then, so
    // reads and changes interleave however the two threads are scheduled.
    std::atomic<int> passes{0};
    std::atomic<bool> interleaved{true};
    auto awaitPass = [&](int seen) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (passes.load() <= seen && std::chrono::steady_clock::now() < end)
            std::this_thread::yield();
        if (passes.load() <= seen)
            interleaved = false;
    };
    std::thread dispatcher([&] {
        // Trades every 20 seconds of exchange time for two hours: new bars roll in.
        CTime t = services.GetExchangeTime();
        for (int i = 0; i < 360; ++i) {
            if (i % 30 == 0)
                awaitPass(passes.load());
            t = CTime(t.GetTime() + 20);
            {
                std::lock_guard<std::mutex> g(services.lock);
                services.now = t;
            }
            CTradeMessage trade;
            trade.m_price = 50 + i % 11;
            trade.m_size = 1 + i % 3;
            trade.m_exchange = "NYSE";
            plain.OnLiveData(&trade, CTimeToFeedTime(t));
            study.OnLiveData(&trade, CTimeToFeedTime(t));
            if (i % 60 == 0) {
                plain.OnIntradayHistory({});
                study.OnIntradayHistory({});
            }
        }
        done = true;
    });
    int reads = 0;
    double sum = 0;
    while (!done) {
        for (CPriceSeries* s : {&plain, &study}) {
            s->Lock();
            int first = 0, last = 0;
            const int count = s->GetVisibleRange(first, last);
            for (int i = first; count && i <= last; ++i) {
                double v;
                if (s->GetValue(i, s == &plain ? kBarClose : 0, v)) {
                    sum += v;
                    ++reads;
                }
            }
            s->Unlock();
            DWORD t = 0;
            if (s->GetBarTime(last, 0, t))
                reads += s->FindBarByTime(t, 0) == last;
        }
        ++passes;
    }
    dispatcher.join();
    EXPECT_TRUE(interleaved) << "the reader made no pass for a minute";
    EXPECT_GT(reads, 0);
    EXPECT_GT(sum, 0);
    EXPECT_EQ(200, plain.GetWantedCount());
    EXPECT_EQ(200, plain.GetRecordCount());
    // The newest bar holds the last trade.
    double close = 0;
    plain.Lock();
    EXPECT_TRUE(plain.GetValue(199, kBarClose, close));
    plain.Unlock();
    EXPECT_EQ(50 + 359 % 11, close);
}

TEST(SeriesThreads, PassesOverSeveralSeriesNeverDeadlockWithNestedLocks)
{
    FakeSeriesServices services;
    CPriceSeries a("IBM,1", 0), b("MSFT,1", 0), c("EMA(IBM,Close,3,0),1", 0);
    for (CPriceSeries* s : {&a, &b, &c}) {
        s->SetWindowMode(1);
        s->SetBarCount(50, 0);
        std::vector<CHistoryRow> rows;
        for (int r = 0; r < s->GetRecordCount(); ++r) {
            CHistoryRow row;
            row.feedTime = CTimeToFeedTime(s->GetRecordAt(r)->m_startTime);
            row.open = row.high = row.low = row.close = 10 + r % 5;
            row.volume = 100;
            rows.push_back(row);
        }
        s->OnIntradayHistory(rows);
    }
    constexpr int kRounds = 2000;
    std::atomic<int> reads{0};
    // A listener-like thread holds one series and then takes another (a trade's listener
    // reading a chart's series).
    std::thread nested([&] {
        for (int i = 0; i < kRounds; ++i) {
            std::lock_guard<CPriceSeries> first(c);
            std::lock_guard<CPriceSeries> second(a);
            double v;
            reads += a.GetValue(10, kBarClose, v);
        }
    });
    auto pass = [&](std::vector<CPriceSeries*> order) {
        for (int i = 0; i < kRounds; ++i) {
            CSeriesReadLocks locks(order);
            double values[8];
            BYTE ok[8];
            for (CPriceSeries* s : order)
                reads += locks.ReadValues(*s, 40, 8, s == &c ? 0 : kBarClose, values, ok);
        }
    };
    std::thread forward(pass, std::vector<CPriceSeries*>{&a, &b, &c});
    std::thread backward(pass, std::vector<CPriceSeries*>{&c, &b, &a, &c});
    nested.join();
    forward.join();
    backward.join();
    EXPECT_GT(reads.load(), kRounds);
}

TEST(SeriesThreads, SeriesLaidOutWhileTheirTwinIsAnsweredAndReadEndWithItsBars)
{
    FakeSeriesServices services;
    CString key;
    key.Format("IBM,1&EndETime=%u", CTimeToFeedTime(CTime(2026, 3, 3, 16, 0, 0)));
    const auto rowsOf = [](const CPriceSeries& s) {
        std::vector<CHistoryRow> rows;
        for (int r = 0; r < s.GetRecordCount(); ++r) {
            const double c = 40 + (r * 7) % 13;
            rows.push_back({CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), c, c + 1, c - 1, c, 100.0 + r});
        }
        return rows;
    };
    CPriceSeries twin(key, 0);
    twin.SetBarCount(500, 0);
    const std::vector<CHistoryRow> rows = rowsOf(twin);
    std::atomic<bool> done{false};
    // Reads the twin under its lock the whole time; answers it after a while.
    std::thread reader([&] {
        while (!done) {
            CSeriesReadLock lock(twin);
            double v = 0;
            twin.GetValue(499, kBarClose, v);
        }
    });
    std::thread answer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        twin.OnIntradayHistory(rows);
    });
    // Each laid out at some point before, during or after the answer: with the twin's bars
    // taken, or asked for and answered with the same rows.
    std::vector<std::unique_ptr<CPriceSeries>> laidOut;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
    while (std::chrono::steady_clock::now() < end || laidOut.size() < 5) {
        auto s = std::make_unique<CPriceSeries>(key, 0);
        s->SetBarCount(500, 0);
        if (s->GetOutstandingRequests() > 0)
            s->OnIntradayHistory(rowsOf(*s));
        laidOut.push_back(std::move(s));
    }
    answer.join();
    done = true;
    reader.join();
    // Answered and no longer read: the next one takes the bars without asking.
    auto last = std::make_unique<CPriceSeries>(key, 0);
    last->SetBarCount(500, 0);
    EXPECT_EQ(0, last->GetOutstandingRequests());
    laidOut.push_back(std::move(last));
    for (const auto& s : laidOut) {
        ASSERT_FALSE(s->IsWaitingForData());
        ASSERT_EQ(500, s->GetRecordCount());
        for (int r = 0; r < 500; r += 7) {
            const CBarRecord a = *twin.GetRecordAt(r), b = *s->GetRecordAt(r);
            ASSERT_EQ(a.m_startTime, b.m_startTime) << r;
            ASSERT_TRUE(b.m_bValid) << r;
            ASSERT_EQ(rows[static_cast<size_t>(r)].close, b.m_fields[kBarClose]) << r;
            ASSERT_EQ(rows[static_cast<size_t>(r)].volume, b.m_fields[kBarVolume]) << r;
        }
    }
}

// Ticks gone to 12:07: the list scrolled up at its top adds newer slots on the interface
// thread while trades arrive on the dispatcher, on an exchange clock three seconds behind
// them. Each slot is asked for once it has begun: in exactly one span, none twice and none
// left out.
TEST(SeriesThreads, NewerSlotsAddedWhileTradesArriveAreEachAskedForOnce)
{
    FakeSeriesServices services;
    const CTime end(2026, 3, 4, 12, 7, 0);
    CString key;
    key.Format("IBM,0&EndETime=%u", CTimeToFeedTime(end));
    constexpr int kLines = 1500;
    for (int round = 0; round < 8; ++round) {
        {
            std::lock_guard<std::mutex> g(services.lock);
            services.now = end;
        }
        CPriceSeries s(key, 0);
        s.SetWindowMode(1);
        s.SetBarCount(4, 0);
        s.OnIntradayHistory({});
        {
            std::lock_guard<std::mutex> g(services.lock);
            services.requests.clear();
        }
        const int laidOut = s.GetRecordCount();
        auto trade = [&](CTime at) {
            {
                std::lock_guard<std::mutex> g(services.lock);
                services.now = CTime(at.GetTime() - 3);
            }
            CTradeMessage t;
            t.m_price = 10;
            t.m_size = 1;
            t.m_exchange = "NASD";
            s.OnLiveData(&t, CTimeToFeedTime(at));
        };
        std::atomic<int> ready{0};
        auto start = [&] {
            ++ready;
            while (ready.load() < 2)
                std::this_thread::yield();
        };
        std::thread scroll([&] {
            start();
            for (int i = 0; i < kLines; ++i)
                ASSERT_EQ(1, s.ExtendBars(1, 1));
        });
        std::thread dispatcher([&] {
            start();
            // A trade every two seconds: the slots begin about as fast as they are added.
            for (int i = 1; i <= kLines; ++i)
                trade(CTime(end.GetTime() + 2 * i));
        });
        scroll.join();
        dispatcher.join();
        // A trade after every slot: all of them have begun.
        trade(CTime(end.GetTime() + 2 * kLines + 10));

        std::vector<FakeSeriesServices::Request> requests;
        {
            std::lock_guard<std::mutex> g(services.lock);
            requests = services.requests;
        }
        ASSERT_EQ(laidOut + kLines, s.GetRecordCount());
        for (int r = laidOut; r < s.GetRecordCount(); ++r) {
            const DWORD slot = CTimeToFeedTime(s.GetRecordAt(r)->m_startTime);
            ASSERT_EQ(CTimeToFeedTime(CTime(end.GetTime() + 2 * (r - laidOut + 1))), slot) << r;
            int spans = 0;
            for (const auto& request : requests)
                spans += request.start <= slot && slot < request.end;
            ASSERT_EQ(1, spans) << "round " << round << ", slot " << r - laidOut + 1 << " of " << kLines;
        }
        EXPECT_EQ(static_cast<int>(requests.size()), s.GetOutstandingRequests());
    }
}
