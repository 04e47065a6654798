// The market depth store and its handles: prices in thousandths, signed directions, each
// move reported once, and readers that never see a book changing under them.
#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CMarketDepthStore.h"
#include "broker/session/CQuoteStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Move {
    DWORD side, index, flags;
    bool operator==(const Move&) const = default;
};

class Recorder : public CMarketDepthListener {
public:
    void OnDepthChange(CMarketDepthHandle*, DWORD kind, DWORD side, DWORD index, DWORD flags) override
    {
        if (kind == 1)
            moves.push_back({side, index, flags});
    }
    std::vector<Move> moves;
};

CBookMessage Book(const char* source, std::vector<CBookMessageRow> bids, std::vector<CBookMessageRow> asks)
{
    CBookMessage message;
    message.m_symbol = "MSFT";
    message.m_source = source;
    message.m_bids = std::move(bids);
    message.m_asks = std::move(asks);
    return message;
}

class DepthStore : public ::testing::Test {
protected:
    CMarketDepthStore depth;
    CQuoteStore quotes;
};

} // namespace

TEST_F(DepthStore, PricesAreThousandthsRoundedAndTextsKeepTheirDecimals)
{
    CMarketDepthHandle handle(depth, quotes, "L2:MSFT");
    handle.Subscribe();
    // 2.01 * 1000 is 2009.9999999999998 in binary: truncating it gave 2009.
    depth.ApplyMessage(Book("L2", {{"ARCA", 2.01, 100, ""}, {"NSDQ", 12.3456, 1500, ""}, {"BTRD", 0.0005, 10, ""}},
                            {{"ARCA", 4.35, 200, ""}}));
    DWORD value = 0;
    ASSERT_TRUE(handle.GetBidValue(0, 1, &value));
    EXPECT_EQ(value, 2010u);
    ASSERT_TRUE(handle.GetBidValue(1, 1, &value));
    EXPECT_EQ(value, 12346u);
    ASSERT_TRUE(handle.GetBidValue(2, 1, &value));
    EXPECT_EQ(value, 1u);
    ASSERT_TRUE(handle.GetAskValue(0, 1, &value));
    EXPECT_EQ(value, 4350u);
    char text[16];
    ASSERT_TRUE(handle.GetBidText(1, 1, text, sizeof text));
    EXPECT_STREQ(text, "12.3456");
    ASSERT_TRUE(handle.GetBidText(1, 2, text, sizeof text));
    EXPECT_STREQ(text, "1,500");
    ASSERT_TRUE(handle.GetBidText(1, 2, text, 3)); // cut to the buffer
    EXPECT_STREQ(text, "1,");
    EXPECT_FALSE(handle.GetBidValue(0, 6, &value));
    EXPECT_FALSE(handle.GetBidValue(-1, 1, &value));
    EXPECT_FALSE(handle.GetAskText(1, 1, text, sizeof text));
}

TEST_F(DepthStore, ABookWithoutDataReadsEmptyUntilAMessageArrives)
{
    CMarketDepthHandle handle(depth, quotes, "L2:MSFT");
    handle.Subscribe();
    EXPECT_EQ(handle.GetBidCount(), 0);
    depth.ApplyMessage(Book("L2", {{"ARCA", 10.00, 100, ""}}, {{"EDGX", 10.02, 500, ""}}));
    EXPECT_EQ(handle.GetBidCount(), 1);
    depth.SetNoDataFlag("MSFT", "L2", 1);
    DWORD value = 0;
    EXPECT_EQ(handle.GetBidCount(), 0);
    EXPECT_FALSE(handle.GetAskValue(0, 1, &value));
    depth.SetNoDataFlag("MSFT", "NYSE", 0);  // no such book: nothing happens
    EXPECT_EQ(depth.GetBookCount(), 1u);
    EXPECT_EQ(handle.GetBidCount(), 0);
    // A message with only asks clears the flag; the bids it left stand.
    depth.ApplyMessage(Book("L2", {}, {{"EDGX", 10.03, 500, ""}}));
    EXPECT_EQ(handle.GetBidCount(), 1);
    ASSERT_TRUE(handle.GetAskValue(0, 1, &value));
    EXPECT_EQ(value, 10030u);
}

TEST_F(DepthStore, DirectionsAreSignedAndEachMoveIsReportedOnce)
{
    Recorder recorder;
    CMarketDepthHandle handle(depth, quotes, "L2:MSFT");
    handle.m_pListener = &recorder;
    handle.Subscribe();
    depth.ApplyMessage(Book("L2", {{"ARCA", 10.00, 300, ""}, {"NSDQ", 9.99, 100, ""}}, {{"EDGX", 10.02, 500, ""}}));
    EXPECT_TRUE(recorder.moves.empty()); // participants new to the book are no moves

    // ARCA's bid falls; EDGX's ask size grows.
    depth.ApplyMessage(Book("L2", {{"NSDQ", 9.99, 100, ""}, {"ARCA", 9.98, 300, ""}}, {{"EDGX", 10.02, 800, ""}}));
    EXPECT_EQ(recorder.moves, (std::vector<Move>{{0, 1, kDepthPriceMoved}, {1, 0, kDepthSizeMoved}}));
    DWORD raw = 0;
    ASSERT_TRUE(handle.GetBidValue(1, 5, &raw));
    EXPECT_EQ(DepthDirection(raw), -1);
    EXPECT_LT(static_cast<int32_t>(raw), 0); // a fall reads as a fall
    ASSERT_TRUE(handle.GetAskValue(0, 4, &raw));
    EXPECT_EQ(DepthDirection(raw), 1);
    ASSERT_TRUE(handle.GetBidValue(0, 5, &raw));
    EXPECT_EQ(DepthDirection(raw), 0);

    // Only bids come: the asks moved by the last message are not reported again, and a size
    // move of ARCA does not repeat its earlier price move, though its direction stays shown.
    recorder.moves.clear();
    depth.ApplyMessage(Book("L2", {{"NSDQ", 9.99, 100, ""}, {"ARCA", 9.98, 200, ""}}, {}));
    EXPECT_EQ(recorder.moves, (std::vector<Move>{{0, 1, kDepthSizeMoved}}));
    ASSERT_TRUE(handle.GetBidValue(1, 5, &raw));
    EXPECT_EQ(DepthDirection(raw), -1);
    ASSERT_TRUE(handle.GetBidValue(1, 4, &raw));
    EXPECT_EQ(DepthDirection(raw), -1);
    EXPECT_EQ(handle.GetAskCount(), 1);

    // The same book again moves nothing; price and size together give one call with both.
    recorder.moves.clear();
    depth.ApplyMessage(Book("L2", {{"NSDQ", 9.99, 100, ""}, {"ARCA", 9.98, 200, ""}}, {{"EDGX", 10.02, 800, ""}}));
    EXPECT_TRUE(recorder.moves.empty());
    depth.ApplyMessage(Book("L2", {{"NSDQ", 10.01, 400, ""}, {"ARCA", 9.98, 200, ""}}, {}));
    EXPECT_EQ(recorder.moves, (std::vector<Move>{{0, 0, kDepthPriceMoved | kDepthSizeMoved}}));
}

TEST_F(DepthStore, AParticipantStandingTwiceIsComparedWithItsLaterLevel)
{
    Recorder recorder;
    CMarketDepthHandle handle(depth, quotes, "L2:MSFT");
    handle.m_pListener = &recorder;
    handle.Subscribe();
    depth.ApplyMessage(Book("L2", {{"ARCA", 10.00, 100, ""}, {"ARCA", 9.95, 100, ""}}, {}));
    depth.ApplyMessage(Book("L2", {{"ARCA", 9.95, 100, ""}}, {}));
    EXPECT_TRUE(recorder.moves.empty());
    DWORD raw = 7;
    ASSERT_TRUE(handle.GetBidValue(0, 5, &raw));
    EXPECT_EQ(DepthDirection(raw), 0);
}

TEST_F(DepthStore, TotalViewAndInetBooksNeitherTrackNorCall)
{
    Recorder recorder;
    CMarketDepthHandle tv(depth, quotes, "TV:MSFT");
    tv.m_pListener = &recorder;
    tv.Subscribe();
    depth.ApplyMessage(Book("TV", {{"ARCA", 10.00, 100, "09:30:01"}}, {}));
    depth.ApplyMessage(Book("TV", {{"ARCA", 10.05, 200, "09:30:03"}}, {}));
    EXPECT_TRUE(recorder.moves.empty());
    DWORD raw = 9;
    ASSERT_TRUE(tv.GetBidValue(0, 5, &raw));
    EXPECT_EQ(raw, 0u);
    char text[16];
    ASSERT_TRUE(tv.GetBidText(0, 0, text, sizeof text));
    EXPECT_STREQ(text, "09:30:03");
}

// The dispatcher applies books and moves the handle to another source while a window
// reads it in read scopes; the handle's listener reads the changed level on the
// dispatcher thread. Every read sees whole books, and the listener always the live one.
TEST_F(DepthStore, ReadScopesNeverSeeABookChangingUnderThem)
{
    class Checker : public CMarketDepthListener {
    public:
        void OnDepthChange(CMarketDepthHandle* handle, DWORD kind, DWORD side, DWORD index, DWORD) override
        {
            if (kind != 1 || side != 0)
                return;
            char participant[16];
            DWORD price = 0;
            if (!handle->GetBidText(static_cast<int>(index), 3, participant, sizeof participant) ||
                !handle->GetBidValue(static_cast<int>(index), 1, &price) ||
                std::string(participant) != "MM" + std::to_string(index) ||
                price != static_cast<DWORD>(expected.load()))
                ++wrong;
        }
        std::atomic<int> expected{0};
        std::atomic<int> wrong{0};
    } checker;

    constexpr int kLevels = 40;
    auto book = [&](const char* source, int cents) {
        std::vector<CBookMessageRow> bids;
        for (int i = 0; i < kLevels; ++i)
            bids.push_back({CString("MM" + std::to_string(i)), cents / 100.0, 100 + cents, ""});
        CBookMessage message = Book(source, bids, {});
        message.m_symbol = "ABC";
        return message;
    };
    for (int round = 0; round < 20; ++round) {
        CMarketDepthHandle handle(depth, quotes, "abc"); // the NYSE book until its quote says NASD
        handle.m_pListener = &checker;
        handle.Subscribe();
        std::atomic<bool> done{false};
        std::atomic<int> torn{0};
        std::thread reader([&] {
            while (!done) {
                const CDepthReadScope scope(handle);
                const int n = handle.GetBidCount();
                if (n != 0 && n != kLevels)
                    ++torn;
                DWORD first = 0, price = 0;
                for (int i = 0; i < n; ++i)
                    if (!handle.GetBidValue(i, 1, &price) || (i == 0 ? (first = price, false) : price != first))
                        ++torn;
            }
        });
        for (int cents = 1000; cents < 1060; ++cents) {
            checker.expected = cents * 10;
            depth.ApplyMessage(book("L2", cents));
            depth.ApplyMessage(book("NYSE", cents));
            if (cents == 1030) {
                CQuoteMessage quote;
                quote.m_symbol = "ABC";
                quote.AddText(101, "NASD");
                quotes.ApplyQuote(quote); // moves the handle to the L2 book
            }
        }
        done = true;
        reader.join();
        EXPECT_EQ(torn.load(), 0);
        EXPECT_EQ(handle.GetSource(), "L2");
    }
    EXPECT_EQ(checker.wrong.load(), 0);
}
