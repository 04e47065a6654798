// The dispatcher changes a series while a reader reads it under its lock; passes over
// several series lock them together without deadlocks.
#include "FakeSeriesServices.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/SessionMessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

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
