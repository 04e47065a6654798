// Stream bytes parsed, translated, queued, dispatched and applied to the quote store with a
// listener on every symbol, on one thread; next to the bare copy of the same bytes. Parsing and
// the whole path run on the same feed twice: trade records without a trade number (argument 0)
// and with one (argument 1), as servers that number trades send them.
#include "broker/protocol/CStreamRecordParser.h"
#include "broker/protocol/StreamRecord.h"
#include "broker/session/CQuoteListener.h"
#include "broker/session/CQuoteStore.h"
#include "broker/session/CSessionDispatcher.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/SessionMessages.h"
#include "broker/session/StreamTranslator.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace qx::protocol;

constexpr int kSymbols = 500;
constexpr int kRecords = 100000;

class CountingListener : public CQuoteListener {
public:
    void OnQuoteChange(CSymbolHandle*, int count, const BYTE*) override { fields += static_cast<uint64_t>(count); }
    uint64_t fields = 0;
};

class StoreHandler : public ISessionMessageHandler {
public:
    explicit StoreHandler(CQuoteStore& store) : m_store(store) {}
    void ApplyMessage(CSessionMessage& message) override
    {
        if (message.m_nCode == kMsgQuote)
            m_store.ApplyQuote(static_cast<CQuoteMessage&>(message));
        else if (message.m_nCode == kMsgTrade)
            m_store.ApplyTrade(static_cast<CTradeMessage&>(message));
    }

private:
    CQuoteStore& m_store;
};

std::string SymbolName(int i)
{
    std::string s = "S";
    s += std::to_string(i);
    return s;
}

// A seeded feed: four in five records are quotes of bid/ask and sizes, one in five a trade
// (numbered or not; otherwise the same feed).
std::vector<uint8_t> MakeFeed(bool numbered)
{
    std::mt19937 random(42);
    std::vector<uint64_t> trades(kSymbols, 0);
    std::vector<uint8_t> out;
    std::vector<double> mid(kSymbols, 100.0);
    for (int r = 0; r < kRecords; ++r) {
        const int s = static_cast<int>(random() % kSymbols);
        mid[static_cast<size_t>(s)] += (static_cast<int>(random() % 5) - 2) * 0.01;
        const double m = mid[static_cast<size_t>(s)];
        StreamRecord record;
        if (random() % 5 == 0) {
            record.service = 0;
            record.body = TradeRecord{SymbolName(s), 1000000u + static_cast<uint32_t>(r), 0, m,
                                      100u * (1 + static_cast<uint32_t>(random() % 9)), "Q", {},
                                      numbered ? ++trades[static_cast<size_t>(s)] : 0};
        } else {
            QuoteRecord quote;
            quote.symbol = SymbolName(s);
            quote.fields.push_back({6, false, m - 0.01, ""});
            quote.fields.push_back({7, false, m + 0.01, ""});
            quote.fields.push_back({13, false, 100.0 * (1 + random() % 20), ""});
            quote.fields.push_back({14, false, 100.0 * (1 + random() % 20), ""});
            record.body = std::move(quote);
        }
        const auto encoded = EncodeRecord(record);
        out.insert(out.end(), encoded.begin(), encoded.end());
    }
    return out;
}

const std::vector<uint8_t>& Feed(bool numbered = false)
{
    static const std::vector<uint8_t> plain = MakeFeed(false), withNumbers = MakeFeed(true);
    return numbered ? withNumbers : plain;
}

void BM_CopyBytes(benchmark::State& state)
{
    const auto& feed = Feed();
    std::vector<uint8_t> target(feed.size());
    for (auto _ : state) {
        std::memcpy(target.data(), feed.data(), feed.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_CopyBytes)->Unit(benchmark::kMillisecond);

void BM_ParseOnly(benchmark::State& state)
{
    const auto& feed = Feed(state.range(0) != 0);
    for (auto _ : state) {
        CStreamRecordParser parser;
        parser.Feed(feed.data(), feed.size());
        StreamRecord record;
        int n = 0;
        while (parser.Next(record))
            ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_ParseOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DataPath(benchmark::State& state)
{
    const auto& feed = Feed(state.range(0) != 0);
    CQuoteStore store;
    StoreHandler handler(store);
    CSessionQueue queue;
    CSessionDispatcher dispatcher(queue, handler);
    CountingListener listener;
    std::vector<std::unique_ptr<CSymbolHandle>> handles;
    for (int i = 0; i < kSymbols; ++i) {
        handles.push_back(std::make_unique<CSymbolHandle>(store, CString(SymbolName(i))));
        handles.back()->SetListener(&listener);
        handles.back()->Subscribe();
    }
    // The bare cost of copying the same bytes, for the ratio.
    std::vector<uint8_t> copy(feed.size());
    const auto copyStart = std::chrono::steady_clock::now();
    constexpr int kCopies = 50;
    for (int i = 0; i < kCopies; ++i) {
        std::memcpy(copy.data(), feed.data(), feed.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    const double copySeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - copyStart).count() / kCopies;
    std::vector<std::unique_ptr<CSessionMessage>> messages;
    const auto pathStart = std::chrono::steady_clock::now();
    for (auto _ : state) {
        CStreamRecordParser parser;
        // The bytes arrive in socket-sized pieces.
        constexpr size_t kChunk = 64 * 1024;
        StreamRecord record;
        for (size_t offset = 0; offset < feed.size(); offset += kChunk) {
            parser.Feed(feed.data() + offset, std::min(kChunk, feed.size() - offset));
            while (parser.Next(record)) {
                messages.clear();
                TranslateStreamRecord(record, messages);
                for (auto& m : messages)
                    queue.Post(std::move(m));
            }
            dispatcher.RunOnce(std::chrono::milliseconds(0));
        }
    }
    const double pathSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - pathStart).count() /
                               static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(feed.size()));
    state.counters["copy_ratio"] = pathSeconds / copySeconds;
    state.counters["notifications"] = static_cast<double>(store.GetNotifications());
    state.counters["fields_heard"] = static_cast<double>(listener.fields);
}
BENCHMARK(BM_DataPath)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Queue, dispatcher and store alone, from messages made beforehand.
void BM_QueueDispatchApply(benchmark::State& state)
{
    CQuoteStore store;
    StoreHandler handler(store);
    CSessionQueue queue;
    CSessionDispatcher dispatcher(queue, handler);
    CountingListener listener;
    std::vector<std::unique_ptr<CSymbolHandle>> handles;
    for (int i = 0; i < kSymbols; ++i) {
        handles.push_back(std::make_unique<CSymbolHandle>(store, CString(SymbolName(i))));
        handles.back()->SetListener(&listener);
        handles.back()->Subscribe();
    }
    std::vector<CString> names;
    for (int i = 0; i < kSymbols; ++i)
        names.emplace_back(SymbolName(i));
    int64_t n = 0;
    for (auto _ : state) {
        for (int r = 0; r < 1000; ++r) {
            auto message = std::make_unique<CQuoteMessage>();
            message->m_symbol = names[static_cast<size_t>((n + r) % kSymbols)];
            message->AddField(6, 100.0 + static_cast<double>((n + r) % 7));
            message->AddField(7, 100.5 + static_cast<double>((n + r) % 5));
            queue.Post(std::move(message));
        }
        dispatcher.RunOnce(std::chrono::milliseconds(0));
        n += 1000;
    }
    state.SetItemsProcessed(n);
}
BENCHMARK(BM_QueueDispatchApply)->Unit(benchmark::kMicrosecond);

} // namespace
