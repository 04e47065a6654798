#include "broker/session/CSessionDispatcher.h"
#include "broker/session/CSessionQueue.h"
#include "broker/session/SessionMessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class CountingHandler : public ISessionMessageHandler {
public:
    void ApplyMessage(CSessionMessage& message) override
    {
        codes.push_back(message.m_nCode);
        if (message.m_nCode == kMsgStatusText)
            texts.push_back(static_cast<CStatusTextMessage&>(message).m_text.str());
    }
    std::vector<int> codes;
    std::vector<std::string> texts;
};

std::unique_ptr<CSessionMessage> Text(const char* text)
{
    auto message = std::make_unique<CStatusTextMessage>();
    message->m_text = text;
    return message;
}

} // namespace

TEST(SessionCodes, EveryCodeHasAName)
{
    for (int code = 0; code < kMsgCodeCount; ++code)
        EXPECT_STRNE(SessionCodeName(code), "?") << code;
    EXPECT_STREQ(SessionCodeName(4), "trade");
    EXPECT_STREQ(SessionCodeName(5), "history");
    EXPECT_STREQ(SessionCodeName(6), "book");
    EXPECT_STREQ(SessionCodeName(14), "option chain");
    EXPECT_STREQ(SessionCodeName(15), "news");
    EXPECT_STREQ(SessionCodeName(19), "session lost");
    EXPECT_STREQ(SessionCodeName(20), "symbol refused");
    EXPECT_STREQ(SessionCodeName(21), "account refreshed");
    EXPECT_STREQ(SessionCodeName(22), "?");
    EXPECT_STREQ(SessionCodeName(-1), "?");
}

TEST(SessionQueue, KeepsOrderAndMarksEveryHundredthPost)
{
    CSessionQueue queue;
    CountingHandler handler;
    CSessionDispatcher dispatcher(queue, handler);
    for (int i = 0; i < 250; ++i)
        queue.Post(Text(std::to_string(i).c_str()));
    queue.Post(nullptr); // ignored
    EXPECT_EQ(queue.GetPending(), 252u); // 250 messages and two time marks
    EXPECT_EQ(dispatcher.RunOnce(std::chrono::milliseconds(0)), 252u);
    ASSERT_EQ(handler.texts.size(), 250u); // marks never reach the handler
    for (int i = 0; i < 250; ++i)
        ASSERT_EQ(handler.texts[static_cast<size_t>(i)], std::to_string(i));
    EXPECT_EQ(dispatcher.GetLagReports(), 0u);
}

TEST(SessionQueue, LateTimeMarkIsReportedAsLag)
{
    CSessionQueue queue;
    CountingHandler handler;
    CSessionDispatcher dispatcher(queue, handler);
    std::vector<double> lags;
    dispatcher.SetLagReporter([&](double seconds) { lags.push_back(seconds); });
    for (int i = 0; i < 100; ++i)
        queue.Post(Text("x"));
    std::vector<CSessionQueue::MessagePtr> batch;
    ASSERT_TRUE(queue.Drain(batch, std::chrono::milliseconds(0)));
    ASSERT_EQ(batch.back()->m_nCode, kMsgTimeMark);
    batch.back()->m_postedAt -= 3'000'000'000; // posted three seconds ago
    for (auto& message : batch)
        queue.Post(std::move(message));
    dispatcher.RunOnce(std::chrono::milliseconds(0));
    ASSERT_EQ(lags.size(), 1u);
    EXPECT_GE(lags[0], 2.9);
}

TEST(SessionDispatcher, ThreadAppliesPostsFromManyThreads)
{
    CSessionQueue queue;
    std::atomic<int> applied{0};
    class Handler : public ISessionMessageHandler {
    public:
        explicit Handler(std::atomic<int>& n) : count(n) {}
        void ApplyMessage(CSessionMessage&) override { ++count; }
        std::atomic<int>& count;
    } handler(applied);
    CSessionDispatcher dispatcher(queue, handler);
    dispatcher.Start();
    dispatcher.Start(); // started once
    std::vector<std::thread> producers;
    for (int t = 0; t < 4; ++t)
        producers.emplace_back([&] {
            for (int i = 0; i < 1000; ++i)
                queue.Post(Text("p"));
        });
    for (auto& p : producers)
        p.join();
    for (int i = 0; i < 500 && applied.load() < 4000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    dispatcher.Stop();
    EXPECT_EQ(applied.load(), 4000);
}
