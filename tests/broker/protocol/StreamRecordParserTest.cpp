#include "broker/protocol/CStreamRecordParser.h"

#include <gtest/gtest.h>

using namespace qx::protocol;

namespace {

StreamRecord Quote(const std::string& symbol, double last)
{
    return {0, 0, QuoteRecord{symbol, {{3, false, last, ""}}}};
}

std::vector<uint8_t> Join(const std::vector<std::vector<uint8_t>>& parts)
{
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace

TEST(StreamRecordParser, ByteByByteFeedingYieldsEveryRecordInOrder)
{
    const auto bytes = Join({EncodeRecord(Quote("A", 1)), EncodeRecord(Quote("B", 2), true),
                             EncodeRecord({0xFF, 0, HeartbeatRecord{5, 1}})});
    CStreamRecordParser parser;
    std::vector<StreamRecord> got;
    for (uint8_t b : bytes) {
        parser.Feed(&b, 1);
        StreamRecord r;
        while (parser.Next(r))
            got.push_back(r);
    }
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], Quote("A", 1));
    EXPECT_EQ(got[1], Quote("B", 2));
    EXPECT_EQ(got[2].Kind(), RecordKind::Heartbeat);
    EXPECT_EQ(parser.GetStats().dropped, 0u);
    EXPECT_EQ(parser.Buffered(), 0u);
}

TEST(StreamRecordParser, MalformedRecordsBetweenGoodOnesAreDroppedAndCounted)
{
    auto badHeader = EncodeRecord(Quote("X", 9));
    badHeader[6] ^= 0x40;
    const auto bytes = Join({EncodeRecord(Quote("A", 1)), {0, 1, 2, 3}, badHeader, EncodeFrame(0, 99, 0, {1, 2}),
                             EncodeFrame(0, 1, 0, {7, 9}), EncodeRecord(Quote("B", 2))});
    CStreamRecordParser parser;
    std::vector<DropReason> reasons;
    parser.SetDropHandler([&](DropReason r, size_t n) {
        EXPECT_GT(n, 0u);
        reasons.push_back(r);
    });
    parser.Feed(bytes.data(), bytes.size());
    StreamRecord r;
    std::vector<std::string> symbols;
    while (parser.Next(r))
        symbols.push_back(std::get<QuoteRecord>(r.body).symbol);
    EXPECT_EQ(symbols, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(reasons, (std::vector<DropReason>{DropReason::BadMagic, DropReason::BadHeader, DropReason::UnknownKind,
                                                DropReason::BadPayload}));
    EXPECT_EQ(parser.GetStats().records, 2u);
    EXPECT_EQ(parser.GetStats().dropped, 4u);
}

TEST(StreamRecordParser, PartialRecordWaitsAndResetForgetsIt)
{
    const auto rec = EncodeRecord(Quote("A", 1));
    CStreamRecordParser parser;
    parser.Feed(rec.data(), rec.size() - 1);
    StreamRecord r;
    EXPECT_FALSE(parser.Next(r));
    EXPECT_EQ(parser.Buffered(), rec.size() - 1);
    parser.Reset();
    parser.Feed(rec.data(), rec.size());
    ASSERT_TRUE(parser.Next(r));
    EXPECT_EQ(r, Quote("A", 1));
}

TEST(StreamRecordParser, LongRunsKeepTheBufferSmall)
{
    const auto rec = EncodeRecord(Quote("ABCDEFGH", 1));
    CStreamRecordParser parser;
    StreamRecord r;
    size_t count = 0;
    for (int i = 0; i < 20000; ++i) {
        parser.Feed(rec.data(), rec.size());
        while (parser.Next(r))
            ++count;
        EXPECT_LT(parser.Buffered(), rec.size());
    }
    EXPECT_EQ(count, 20000u);
}
