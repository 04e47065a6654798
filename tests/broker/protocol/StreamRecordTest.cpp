#include "broker/protocol/StreamRecord.h"

#include <gtest/gtest.h>

#include <random>

using namespace qx::protocol;

namespace {

std::vector<StreamRecord> SampleRecords()
{
    std::vector<StreamRecord> records;
    QuoteRecord quote{"MSFT", {{3, false, 301.25, ""}, {6, false, 301.2, ""}, {32, true, 0, "Microsoft Corp"},
                               {110, false, -1.5, ""}}};
    records.push_back({0, kFlagSnapshot, quote});
    records.push_back({0, 0, TradeRecord{"MSFT", 2345678901u, 0, 301.25, 300, "NASD", {100, 200}, 123456789012ull}});
    BookRecord book{"IBM", "TV", {{"ARCA", 120.5, 300, "09:30:01"}}, {{"INET", 120.6, 100, "09:30:02"}, {"EDGX", 120.7, 5, ""}}};
    records.push_back({10, 0, book});
    Headline h{"IBM", 1765000000, "S1", "H", "Wire", "IBM rises", "https://127.0.0.1/s/1", 7, {"IBM", "MSFT"}, 1};
    records.push_back({11, 0, HeadlinesRecord{"*HOT*", {h, h}}});
    records.push_back({9, 0, StoryRecord{"S1", "IBM rises", std::string(100000, 'x')}});
    records.push_back({4, 0, ActivesRecord{"NASDAQ-300", {{"MSFT", 12, 0}}, {{"AAPL", 3, 1ull << 40}}}});
    records.push_back({6, 0, OptionChainRecord{"OptionChain,MSFT,CP,N,A,0", {"+MSFT260116C00300000", "+MSFT260116P00300000"}}});
    records.push_back({8, 0, AccountActivityRecord{"10000001", 2, "1001", "MSFT", "buy", 100, 301.25, "Filled"}});
    records.push_back({0xFF, 0, HeartbeatRecord{1765000000123, 42}});
    records.push_back({0xFF, 0, StatusRecord{1, "Invalid user name or password"}});
    return records;
}

}  // namespace

TEST(StreamRecord, EveryKindRoundTripsPlainAndCompressed)
{
    for (bool compress : {false, true}) {
        for (const StreamRecord& in : SampleRecords()) {
            const std::vector<uint8_t> bytes = EncodeRecord(in, compress);
            StreamRecord out;
            const DecodeResult r = DecodeRecord(bytes.data(), bytes.size(), out);
            ASSERT_EQ(r.status, DecodeStatus::Record) << static_cast<int>(in.Kind()) << DropReasonText(r.reason);
            EXPECT_EQ(r.consumed, bytes.size());
            EXPECT_EQ(out, in);
        }
    }
}

TEST(StreamRecord, LargeStoryIsCompressedOnTheWire)
{
    StreamRecord story{9, 0, StoryRecord{"S", "h", std::string(200000, 'a')}};
    const auto plain = EncodeRecord(story, false);
    const auto packed = EncodeRecord(story, true);
    EXPECT_LT(packed.size(), plain.size() / 10);
    EXPECT_EQ(packed[5] & kFlagCompressed, kFlagCompressed);
}

TEST(StreamRecord, IncompleteInputAsksForMore)
{
    const auto bytes = EncodeRecord(SampleRecords()[0]);
    StreamRecord out;
    for (size_t n = 0; n < bytes.size(); ++n) {
        const DecodeResult r = DecodeRecord(bytes.data(), n, out);
        EXPECT_EQ(r.status, DecodeStatus::NeedMore) << n;
        EXPECT_EQ(r.consumed, 0u);
    }
}

TEST(StreamRecord, BrokenRecordsAreDroppedWithTheirReason)
{
    StreamRecord out;
    const auto payload = EncodePayload(QuoteRecord{"A", {}});

    // Unknown kind, version and flags are skipped whole by their length.
    auto unknownKind = EncodeFrame(0, 77, 0, payload);
    auto r = DecodeRecord(unknownKind.data(), unknownKind.size(), out);
    EXPECT_EQ(r.reason, DropReason::UnknownKind);
    EXPECT_EQ(r.consumed, unknownKind.size());

    auto unknownService = EncodeFrame(40, 1, 0, payload);
    EXPECT_EQ(DecodeRecord(unknownService.data(), unknownService.size(), out).reason, DropReason::UnknownKind);

    auto version = EncodeFrame(0, 1, 0, payload, 2);
    r = DecodeRecord(version.data(), version.size(), out);
    EXPECT_EQ(r.reason, DropReason::UnknownVersion);
    EXPECT_EQ(r.consumed, version.size());

    auto flags = EncodeFrame(0, 1, 0x80, payload);
    EXPECT_EQ(DecodeRecord(flags.data(), flags.size(), out).reason, DropReason::UnknownFlags);

    // A payload of the wrong shape, trailing bytes, a truncated string.
    auto wrongKind = EncodeFrame(0, static_cast<uint8_t>(RecordKind::Trade), 0, payload);
    EXPECT_EQ(DecodeRecord(wrongKind.data(), wrongKind.size(), out).reason, DropReason::BadPayload);
    auto trailing = payload;
    trailing.push_back(0);
    auto withTrailing = EncodeFrame(0, 1, 0, trailing);
    EXPECT_EQ(DecodeRecord(withTrailing.data(), withTrailing.size(), out).reason, DropReason::BadPayload);
    std::vector<uint8_t> shortString = {7, 200, 0, 'A'};
    auto truncated = EncodeFrame(0, 1, 0, shortString);
    EXPECT_EQ(DecodeRecord(truncated.data(), truncated.size(), out).reason, DropReason::BadPayload);

    // A quote field id beyond 110.
    auto badField = EncodeFrame(0, 1, 0, EncodePayload(QuoteRecord{"A", {{111, false, 1, ""}}}));
    EXPECT_EQ(DecodeRecord(badField.data(), badField.size(), out).reason, DropReason::BadPayload);

    // A list count larger than the bytes behind it is refused before any allocation.
    std::vector<uint8_t> hugeList = {7, 1, 0, 'A', 8, 0xFF, 0xFF};
    auto bigCount = EncodeFrame(0, 1, 0, hugeList);
    EXPECT_EQ(DecodeRecord(bigCount.data(), bigCount.size(), out).reason, DropReason::BadPayload);

    // Compressed flag on bytes that do not inflate.
    auto badZip = EncodeFrame(0, 1, kFlagCompressed, {16, 0, 0, 0, 1, 2, 3});
    EXPECT_EQ(DecodeRecord(badZip.data(), badZip.size(), out).reason, DropReason::BadCompression);
    // A claimed inflated size beyond the limit is refused without allocating it.
    auto bomb = EncodeFrame(0, 1, kFlagCompressed, {0, 0, 0, 0x7F, 1, 2, 3});
    EXPECT_EQ(DecodeRecord(bomb.data(), bomb.size(), out).reason, DropReason::BadCompression);
}

TEST(StreamRecord, TradeNumbersAreOptionalAndCloseTheRecord)
{
    // A trade as servers without trade numbers send it: "A", feed time 7, trade, price 2.5,
    // 100 shares, "Q", no further sizes.
    const std::vector<uint8_t> plain = {7, 1, 0, 'A', 3, 7, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0, 4, 0x40,
                                        3, 100, 0, 0, 0, 7, 1, 0, 'Q', 8, 0, 0};
    const uint8_t kind = static_cast<uint8_t>(RecordKind::Trade);
    StreamRecord out;
    auto frame = EncodeFrame(0, kind, 0, plain);
    ASSERT_EQ(DecodeRecord(frame.data(), frame.size(), out).status, DecodeStatus::Record);
    EXPECT_EQ(std::get<TradeRecord>(out.body), (TradeRecord{"A", 7, 0, 2.5, 100, "Q", {}, 0}));
    EXPECT_EQ(EncodePayload(std::get<TradeRecord>(out.body)), plain);

    // Numbered: a u64 (513) closes it.
    auto numbered = plain;
    numbered.insert(numbered.end(), {5, 1, 2, 0, 0, 0, 0, 0, 0});
    frame = EncodeFrame(0, kind, 0, numbered);
    ASSERT_EQ(DecodeRecord(frame.data(), frame.size(), out).status, DecodeStatus::Record);
    EXPECT_EQ(std::get<TradeRecord>(out.body).sequence, 513u);

    // Another type, a short number, or a byte after it: the record is dropped.
    auto wrongType = plain;
    wrongType.insert(wrongType.end(), {3, 1, 2, 0, 0});
    auto shortNumber = plain;
    shortNumber.insert(shortNumber.end(), {5, 1, 2, 0, 0});
    auto afterIt = numbered;
    afterIt.push_back(0);
    for (const auto& payload : {wrongType, shortNumber, afterIt}) {
        frame = EncodeFrame(0, kind, 0, payload);
        EXPECT_EQ(DecodeRecord(frame.data(), frame.size(), out).reason, DropReason::BadPayload);
    }
}

TEST(StreamRecord, FramingErrorsSkipToTheNextMagic)
{
    StreamRecord out;
    const auto good = EncodeRecord(SampleRecords()[8]);

    std::vector<uint8_t> garbage = {1, 2, 3, 'Q', 'Y', 9};
    garbage.insert(garbage.end(), good.begin(), good.end());
    auto r = DecodeRecord(garbage.data(), garbage.size(), out);
    EXPECT_EQ(r.status, DecodeStatus::Dropped);
    EXPECT_EQ(r.reason, DropReason::BadMagic);
    EXPECT_EQ(r.consumed, 6u);

    auto badCheck = good;
    badCheck[6] ^= 1;
    r = DecodeRecord(badCheck.data(), badCheck.size(), out);
    EXPECT_EQ(r.reason, DropReason::BadHeader);
    EXPECT_EQ(r.consumed, badCheck.size());  // no further magic inside

    std::vector<uint8_t> oversized = EncodeFrame(0, 1, 0, {});
    const uint32_t big = kMaxPayload + 1;
    for (int i = 0; i < 4; ++i)
        oversized[8 + static_cast<size_t>(i)] = static_cast<uint8_t>(big >> (8 * i));
    oversized[6] = 0;
    uint8_t check = 0xA5;
    for (size_t i = 0; i < kHeaderSize; ++i)
        if (i != 6)
            check ^= oversized[i];
    oversized[6] = check;
    r = DecodeRecord(oversized.data(), oversized.size(), out);
    EXPECT_EQ(r.reason, DropReason::Oversized);
    EXPECT_GE(r.consumed, 1u);
}

TEST(StreamRecord, RandomCorruptionNeverReadsOutOfBounds)
{
    std::mt19937 rng(7);
    std::vector<uint8_t> stream;
    for (const auto& rec : SampleRecords()) {
        const auto b = EncodeRecord(rec, rng() % 2 == 0);
        stream.insert(stream.end(), b.begin(), b.end());
    }
    for (int round = 0; round < 300; ++round) {
        auto bytes = stream;
        for (int k = 0; k < 5; ++k)
            bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
        size_t pos = 0;
        StreamRecord out;
        while (pos < bytes.size()) {
            const DecodeResult r = DecodeRecord(bytes.data() + pos, bytes.size() - pos, out);
            if (r.status == DecodeStatus::NeedMore)
                break;
            ASSERT_GT(r.consumed, 0u);
            pos += r.consumed;
        }
    }
}

TEST(StreamRecord, ARefusalNamesTheUnknownSymbolOnlyInItsOwnWords)
{
    using qx::protocol::StatusCode;
    std::string symbol;
    EXPECT_TRUE(ParseUnknownSymbol({static_cast<uint16_t>(StatusCode::SubscriptionRefused), "Unknown symbol: +ZZ9"},
                                   symbol));
    EXPECT_EQ(symbol, "+ZZ9");
    for (const StatusRecord& other :
         {StatusRecord{static_cast<uint16_t>(StatusCode::SubscriptionRefused), "Invalid account: 1"},
          StatusRecord{static_cast<uint16_t>(StatusCode::SubscriptionRefused), "Unknown symbol: "},
          StatusRecord{static_cast<uint16_t>(StatusCode::BadRequest), "Unknown symbol: MSFT"},
          StatusRecord{static_cast<uint16_t>(StatusCode::SubscriptionRefused), "No book for MSFT"}})
        EXPECT_FALSE(ParseUnknownSymbol(other, symbol)) << other.text;
}
