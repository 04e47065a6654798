// The session under a moving market while the broker drops its streams again and again and
// stalls them once: memory stays flat, every quote is the broker's after each reconnect, and
// every bar's volume is the broker's at the end. A short run by default; the long one by hand:
//   QX_SOAK_SECONDS=600 QX_SOAK_SYMBOLS=500 QX_SOAK_DROP_SECONDS=30 qx_broker_fault_tests --gtest_filter=Soak*
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "tests/support/CSeriesBrokerSession.h"
#include "tests/support/ResidentMemory.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using qx::testsupport::WaitUntil;

int EnvInt(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

// Resident memory of this process in MiB.
double ResidentMiB()
{
    return static_cast<double>(qx::testsupport::ResidentBytes()) / (1024.0 * 1024.0);
}

struct Watched {
    std::string symbol;
    std::unique_ptr<CSymbolHandle> handle;
    CPriceSeries* series = nullptr;
};

TEST(Soak, DroppedAndStalledStreamsLoseNoQuoteAndNoVolume)
{
    const int seconds = EnvInt("QX_SOAK_SECONDS", 20);
    const int symbols = EnvInt("QX_SOAK_SYMBOLS", 40);
    const int dropEvery = EnvInt("QX_SOAK_DROP_SECONDS", 5);

    qx::testsupport::CSeriesBrokerSession run(true);
    run.Session().SetStockCount(std::max(symbols, 300));
    ASSERT_TRUE(run.Start());
    qx::testbroker::CTestBroker& broker = run.Broker();
    CSessionManager& manager = run.Manager();

    std::vector<Watched> watched;
    for (const std::string& s : broker.Symbols()) {
        if (static_cast<int>(watched.size()) == symbols)
            break;
        if (s.empty() || s[0] == '$' || s[0] == '+')
            continue;
        Watched w;
        w.symbol = s;
        w.handle = std::make_unique<CSymbolHandle>(manager.GetQuoteStore(), CString(s));
        ASSERT_TRUE(w.handle->Subscribe());
        w.series = manager.CreatePriceSeries((s + ",1").c_str(), 0);
        ASSERT_TRUE(w.series);
        w.series->SetWindowMode(1);
        w.series->SetBarCount(30, 0);
        watched.push_back(std::move(w));
    }
    ASSERT_TRUE(broker.WaitForSubscription(kServiceQuote, watched.back().symbol, 20000));
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const Watched& w : watched)
                if (w.series->IsWaitingForData())
                    return false;
            return true;
        },
        120s));

    auto connected = [&] { return manager.IsStreamConnected(CBrokerSession::kStreamMarketData); };
    // Quotes whose volume or last differs from the broker's, once the stream is in step.
    auto lostQuotes = [&] {
        int lost = 0;
        for (const Watched& w : watched) {
            const auto sim = broker.Symbol(w.symbol);
            if (w.handle->GetDouble(kFieldVolume) != sim->volume ||
                static_cast<float>(w.handle->GetDouble(kFieldLast)) != static_cast<float>(sim->last))
                ++lost;
        }
        return lost;
    };
    auto settle = [&] {
        // Stepping stopped: everything sent reaches the stores. A new connection brings each
        // symbol's image after it is up, in no set order, so every symbol gets a quote that
        // marks its end: it comes after the symbol's image, or in it.
        if (!WaitUntil(connected, 20s))
            return false;
        std::vector<double> bids;
        for (const Watched& w : watched) {
            bids.push_back(broker.Symbol(w.symbol)->bid + 0.0001);
            broker.InjectQuote(w.symbol, {{kFieldBid, false, bids.back(), {}}});
        }
        return WaitUntil(
            [&] {
                for (size_t i = 0; i < watched.size(); ++i)
                    if (watched[i].handle->GetDouble(kFieldBid) != bids[i])
                        return false;
                return true;
            },
            20s);
    };

    const double startMiB = ResidentMiB();
    double peakMiB = startMiB;
    int drops = 0, lostAfterReconnect = 0;
    bool stalled = false;
    const auto start = Clock::now();
    auto nextDrop = start + std::chrono::seconds(dropEvery);
    while (Clock::now() - start < std::chrono::seconds(seconds)) {
        broker.StepSimulation(1);
        std::this_thread::sleep_for(50ms);
        if (Clock::now() < nextDrop)
            continue;
        nextDrop += std::chrono::seconds(dropEvery);
        if (!stalled && Clock::now() - start >= std::chrono::seconds(seconds / 2)) {
            // Once: the streams stall until the session notices and makes them anew.
            stalled = true;
            broker.StallStreams(true);
            WaitUntil([&] { return !connected(); }, 10s);
            broker.StallStreams(false);
        } else {
            broker.DropStreamConnections();
            ++drops;
            WaitUntil([&] { return !connected(); }, 5s);
        }
        EXPECT_TRUE(settle());
        lostAfterReconnect += lostQuotes();
        peakMiB = std::max(peakMiB, ResidentMiB());
    }

    // The end: every series has its backfill and the trades kept meanwhile, then bars are
    // compared with the broker's day.
    ASSERT_TRUE(settle());
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const Watched& w : watched)
                if (w.series->IsWaitingForData())
                    return false;
            return true;
        },
        60s));
    int bars = 0, wrongBars = 0;
    double seriesVolume = 0, brokerVolume = 0;
    for (const Watched& w : watched) {
        std::map<DWORD, double> minutes;
        const auto sim = broker.Symbol(w.symbol);
        for (const auto& bar : sim->todayBars)
            minutes[bar.feedTime - bar.feedTime % 30] += bar.volume;
        std::lock_guard<CPriceSeries> lock(*w.series);
        for (int r = 0; r < w.series->GetRecordCount(); ++r) {
            const auto rec = w.series->GetRecordAt(r);
            const auto it = minutes.find(CTimeToFeedTime(rec->m_startTime));
            const double expected = it == minutes.end() ? 0 : it->second;
            if (expected == 0 && !rec->m_bValid)
                continue;
            ++bars;
            seriesVolume += rec->Volume();
            brokerVolume += expected;
            wrongBars += rec->Volume() != expected;
        }
    }
    const double endMiB = ResidentMiB();
    std::printf("soak: %d s, %d symbols, %d drops and 1 stall; RSS %.1f MiB at start, %.1f peak, %.1f at end; "
                "%d quotes off after reconnects; %d of %d bars off the broker's volume (%.0f vs %.0f shares)\n",
                seconds, symbols, drops, startMiB, peakMiB, endMiB, lostAfterReconnect, wrongBars, bars, seriesVolume,
                brokerVolume);
    EXPECT_EQ(0, lostAfterReconnect);
    EXPECT_EQ(0, wrongBars);
    EXPECT_EQ(brokerVolume, seriesVolume);
    EXPECT_GT(bars, 0);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // (A sanitizer keeps freed memory aside: there the numbers are only printed.)
    EXPECT_LT(endMiB - startMiB, 64.0);
#endif

    for (Watched& w : watched)
        manager.DeletePriceSeries(w.series);
    watched.clear();
    run.Stop();
}

} // namespace
