// The session's guards: the clock offset against wild server times, the log against floods,
// transport failures in words, and the bounds of the industry-group replies.
#include "broker/session/ApiReplies.h"
#include "broker/session/CClockOffset.h"
#include "broker/session/CLogRateLimiter.h"
#include "broker/session/TransportErrors.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

constexpr int64_t kNow = 1'765'000'000'000; // unix ms
constexpr int64_t kDay = 86'400'000;

TEST(ClockOffset, OneWildServerTimeIsHeldAndAJumpThatLastsIsApplied)
{
    CClockOffset clock(5 * 60 * 1000, 30 * 1000);
    EXPECT_EQ(CClockOffset::Result::Applied, clock.Update(kNow + 1500, kNow));
    EXPECT_EQ(1500, clock.GetMs());
    EXPECT_EQ(CClockOffset::Result::Applied, clock.Update(kNow + 1000 + 2500, kNow + 1000)); // small drift
    EXPECT_EQ(2500, clock.GetMs());

    // Two days ahead once, then the usual again: nothing moves.
    EXPECT_EQ(CClockOffset::Result::Held, clock.Update(kNow + 2 * kDay, kNow + 2000));
    EXPECT_EQ(2500, clock.GetMs());
    EXPECT_EQ(CClockOffset::Result::Applied, clock.Update(kNow + 3000 + 2500, kNow + 3000));
    EXPECT_EQ(CClockOffset::Result::Held, clock.Update(kNow + 4000 + kDay, kNow + 4000));
    // The same jump for 30 s counts.
    EXPECT_EQ(CClockOffset::Result::Held, clock.Update(kNow + 20'000 + kDay, kNow + 20'000));
    EXPECT_EQ(CClockOffset::Result::Applied, clock.Update(kNow + 34'000 + kDay, kNow + 34'000));
    EXPECT_EQ(kDay, clock.GetMs());

    // After a reset (a new login) the first time is taken as it is.
    clock.Reset();
    EXPECT_EQ(CClockOffset::Result::Applied, clock.Update(kNow - 3 * kDay, kNow));
    EXPECT_EQ(-3 * kDay, clock.GetMs());
}

TEST(ClockOffset, TimesThatCannotBeAClockAreRefusedWithoutOverflow)
{
    CClockOffset clock;
    for (int64_t wild : {INT64_MIN, INT64_MAX, int64_t{0}, int64_t{-1}, kNow + 100 * 366 * kDay})
        EXPECT_EQ(CClockOffset::Result::Refused, clock.Update(wild, kNow)) << wild;
    EXPECT_EQ(0, clock.GetMs());
    int64_t offset = 0;
    EXPECT_FALSE(CClockOffset::Difference(INT64_MAX, -1, offset));
    EXPECT_FALSE(CClockOffset::Difference(1, INT64_MIN, offset));
    EXPECT_TRUE(CClockOffset::Difference(kNow + 40 * 365 * kDay, kNow, offset));
    EXPECT_EQ(40 * 365 * kDay, offset);
}

TEST(LogRateLimiter, AFloodOfOneKindShrinksToAFewLinesAndItsCount)
{
    CLogRateLimiter limiter(20, 10'000);
    std::vector<std::string> out;
    auto sink = [&](const std::string& line) { out.push_back(line); };
    static const char kDrop[] = "dropped %zu bytes";
    static const char kOther[] = "request %s";
    for (int i = 0; i < 20'000; ++i)
        limiter.Write(kDrop, "dropped " + std::to_string(i), kNow + i / 10, sink);
    limiter.Write(kOther, "request KeepAlive", kNow + 1000, sink); // another kind passes
    ASSERT_EQ(21u, out.size());
    EXPECT_EQ("dropped 19", out[19]);
    EXPECT_EQ("request KeepAlive", out[20]);
    // 2000 ms of the flood fall in the first window; the rest in later ones.
    limiter.Flush(sink);
    uint64_t counted = 0;
    size_t passed = 0;
    for (const std::string& line : out) {
        if (line.rfind("(", 0) == 0)
            counted += std::stoull(line.substr(1));
        else if (line.rfind("dropped", 0) == 0)
            ++passed;
    }
    EXPECT_EQ(20'000u, passed + counted);
    EXPECT_LE(passed, 20u);
    EXPECT_NE(out.back().find("like \"dropped 20\""), std::string::npos) << out.back();
}

TEST(LogRateLimiter, AnEndedWindowReportsBeforeTheNextLine)
{
    CLogRateLimiter limiter(2, 1000);
    std::vector<std::string> out;
    auto sink = [&](const std::string& line) { out.push_back(line); };
    static const char kKind[] = "x";
    for (int i = 0; i < 5; ++i)
        limiter.Write(kKind, "line", kNow, sink);
    limiter.Write(kKind, "later", kNow + 1000, sink);
    EXPECT_EQ((std::vector<std::string>{"line", "line", "(3 more lines like \"line\" left out)", "later"}), out);
}

TEST(TransportErrors, FailuresNameTheServerInWords)
{
    CHttpExchange exchange;
    exchange.url = "https://user@127.0.0.1:8443/apps/100/LogIn?source=QX";
    EXPECT_EQ("127.0.0.1:8443", ServerOfUrl(exchange.url));
    exchange.failure = ETransportFailure::Unreachable;
    EXPECT_EQ(CString("The server 127.0.0.1:8443 cannot be reached."), DescribeTransportFailure(exchange));
    EXPECT_FALSE(MayHaveReachedServer(exchange));
    exchange.failure = ETransportFailure::TimedOut;
    exchange.timeoutMs = 30000;
    EXPECT_EQ(CString("The server 127.0.0.1:8443 did not answer within 30 seconds."),
              DescribeTransportFailure(exchange));
    EXPECT_TRUE(MayHaveReachedServer(exchange));
    exchange.status = 503;
    EXPECT_EQ(CString("The server 127.0.0.1:8443 answered with an error (HTTP 503)."), DescribeHttpStatus(exchange));
}

} // namespace

TEST(IndustryGroupReplies, AreBoundedAndLeaveOutEmptyEntries)
{
    std::string xml = "<Response><result>OK</result><industrygroups>";
    for (int g = 0; g < 12; ++g) {
        xml += "<Group><Name>G" + std::to_string(g) + "</Name><Sets>";
        for (int s = 0; s < 100; ++s)
            xml += "<Set>S" + std::to_string(s) + "</Set>";
        xml += "</Sets></Group>";
    }
    xml += "<Group><Name>Nameless sets</Name><Sets><Set></Set></Sets></Group></industrygroups></Response>";
    std::vector<CIndustryGroup> groups;
    ASSERT_TRUE(ParseIndustryGroups(xml, groups));
    ASSERT_EQ(groups.size(), 10u); // 1000 names fill ten groups; the rest are left out
    EXPECT_EQ(groups[9].name, "G9");
    EXPECT_EQ(groups[9].sets.back(), "S99");

    std::string members = "<Response><result>OK</result><IndustryGroup><Symbols><Symbol></Symbol>";
    for (int i = 0; i < 10005; ++i)
        members += "<Symbol>X" + std::to_string(i) + "</Symbol>";
    members += "</Symbols></IndustryGroup></Response>";
    std::vector<CString> symbols;
    ASSERT_TRUE(ParseIndustryGroup(members, symbols));
    ASSERT_EQ(symbols.size(), 10000u);
    EXPECT_EQ(symbols.front(), "X0");
    EXPECT_FALSE(ParseIndustryGroup("<Response><result>FAIL</result><error>Unknown symbol set: X</error></Response>",
                                    symbols));
}
