#include "broker/protocol/HistoryFormat.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace qx::protocol;

TEST(HistoryFormat, FeedTimeMatchesTheCalendar)
{
    EXPECT_EQ(HistoryFeedTime(1950, 1, 1, 0, 0, 2), 1u);
    EXPECT_EQ(HistoryFeedTime(1950, 1, 2, 0, 0, 0), 43200u);
    EXPECT_EQ(HistoryFeedTime(1949, 12, 31, 0, 0, 0), 0u);
    const uint32_t t = HistoryFeedTime(2024, 2, 29, 15, 59, 58);
    int y, mo, d, h, mi, s;
    SplitHistoryFeedTime(t, y, mo, d, h, mi, s);
    EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s}), (std::vector<int>{2024, 2, 29, 15, 59, 58}));
}

TEST(HistoryFormat, LinesRoundTripWithTheDefaultFields)
{
    HistoryBar bar{HistoryFeedTime(2025, 3, 14, 9, 31, 0), 10.5, 11.25, 10.0625, 11, 123456};
    const std::string line = FormatHistoryLine(bar, kDefaultHistoryFields);
    EXPECT_EQ(line, "20250314|093100|10.50|11.25|10.0625|11.00|123456");
    HistoryBar back;
    ASSERT_TRUE(ParseHistoryLine(line, kDefaultHistoryFields, back));
    EXPECT_EQ(back, bar);
    ASSERT_TRUE(ParseHistoryLine(FormatHistoryLine(bar, "ecv"), "ecv", back));
    EXPECT_EQ(back.feedTime, bar.feedTime);
    EXPECT_EQ(back.close, 11);
}

TEST(HistoryFormat, RepliesParseAndRefuseBadLines)
{
    std::vector<HistoryBar> bars;
    std::string error;
    ASSERT_TRUE(ParseHistoryReply("20250314|093100|1|2|0.5|1.5|10\r\n\n20250314|093200|1.5|2|1|2|20\n", "dtohlcv", bars, error));
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[1].volume, 20);
    EXPECT_FALSE(ParseHistoryReply("ERROR|Unknown symbol\n", "dtohlcv", bars, error));
    EXPECT_EQ(error, "Unknown symbol");
    for (const char* bad : {"20250314|093100|1|2|0.5|1.5", "20250314|093100|1|2|0.5|1.5|10|9", "2025031|093100|1|2|1|1|1",
                            "20250314|093100|x|2|1|1|1", "20251314|093100|1|2|1|1|1", "20250314|093100|nan|2|1|1|1"})
        EXPECT_FALSE(ParseHistoryReply(bad, "dtohlcv", bars, error)) << bad;
    EXPECT_FALSE(ValidHistoryFields("dtx"));
    EXPECT_FALSE(ValidHistoryFields("dd"));
    EXPECT_FALSE(ValidHistoryFields(""));
}

TEST(HistoryFormat, AsOfMarksAreTradeNumbers)
{
    uint64_t mark = 99;
    EXPECT_TRUE(ParseHistoryAsOf("1234", mark));
    EXPECT_EQ(mark, 1234u);
    EXPECT_TRUE(ParseHistoryAsOf(" 0\t", mark));
    EXPECT_EQ(mark, 0u);
    EXPECT_TRUE(ParseHistoryAsOf("18446744073709551615", mark));
    EXPECT_EQ(mark, UINT64_MAX);
    mark = 5;
    for (const char* bad : {"", " ", "-1", "+1", "12a", "1 2", "0x10", "18446744073709551616"})
        EXPECT_FALSE(ParseHistoryAsOf(bad, mark)) << bad;
    EXPECT_EQ(mark, 5u);
}
