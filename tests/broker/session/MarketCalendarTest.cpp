#include "broker/session/CMarketCalendar.h"

#include <gtest/gtest.h>

#include <string>

TEST(MarketCalendar, ShippedFileCoversEquitiesOptionsAndIndices)
{
    CMarketCalendar calendar;
    ASSERT_TRUE(calendar.Load(QX_BROKER_SESSION_DIR "/Sessions.dat"));
    EXPECT_TRUE(calendar.GetErrors().empty()) << calendar.GetErrors().front();
    EXPECT_EQ(calendar.GetRuleCount(), 3u);

    const CSessionRules* equity = calendar.FindSessionRules("NASD:MSFT");
    EXPECT_EQ(equity->name, "US-EQUITIES");
    EXPECT_EQ(equity->regular, (CSessionEntry{1, 570, 960}));
    EXPECT_EQ(equity->extended, (CSessionEntry{1, 240, 1200}));
    ASSERT_EQ(equity->specialDays.count(20261225), 1u);
    EXPECT_EQ(equity->specialDays.at(20261225).regular.flag, 0);
    EXPECT_EQ(equity->specialDays.at(20261127).regular, (CSessionEntry{1, 570, 780}));
    EXPECT_EQ(equity->specialDays.at(20261127).extended, (CSessionEntry{1, 240, 1020}));

    EXPECT_EQ(calendar.FindSessionRules("OPRA:+MSFT260116C00300000")->name, "US-OPTIONS");
    EXPECT_EQ(calendar.FindSessionRules(":+MSFT260116C00300000")->name, "US-OPTIONS");
    const CSessionRules* index = calendar.FindSessionRules("INDEX:$SPX");
    EXPECT_EQ(index->name, "US-INDICES");
    EXPECT_EQ(index->regular.close, 16 * 60 + 15);
    EXPECT_EQ(index->extended.flag, 0);
    EXPECT_EQ(calendar.FindSessionRules("nyse:ibm")->name, "US-EQUITIES");
}

TEST(MarketCalendar, MalformedLinesAreReportedAndSkipped)
{
    CMarketCalendar calendar;
    const std::string text =
        "symbols NYSE:*\n"                 // outside a rule set
        "rules FUT\n"
        "symbols CME:*\n"
        "offset -60\n"
        "regular 08:30 15:15\n"
        "regular 16:00 09:00\n"            // close before open
        "extended 25:00 26:00\n"           // bad clock
        "day 2026-02-30x closed\n"         // bad date
        "day 2026-07-03 closed\n"
        "day 2026-11-27 08:30 12:15\n"
        "frobnicate 1\n"                   // unknown keyword
        "offset many\n"
        "rules EMPTY\n";                   // no symbols line: dropped
    EXPECT_TRUE(calendar.LoadText(text));
    EXPECT_EQ(calendar.GetRuleCount(), 1u);
    EXPECT_EQ(calendar.GetErrors().size(), 7u);
    const CSessionRules* rules = calendar.FindSessionRules("CME:ES");
    EXPECT_EQ(rules->name, "FUT");
    EXPECT_EQ(rules->offsetMinutes, -60);
    EXPECT_EQ(rules->regular, (CSessionEntry{1, 510, 915})); // the bad line changed nothing
    EXPECT_EQ(rules->extended.flag, 0);
    EXPECT_EQ(rules->specialDays.size(), 2u);
    // Nothing matches: the built-in US equity hours.
    EXPECT_EQ(calendar.FindSessionRules("NYSE:IBM")->regular.open, 570);

    // A file without any usable rule set keeps the rules that were loaded.
    EXPECT_FALSE(calendar.LoadText("# nothing\nbogus\n"));
    EXPECT_EQ(calendar.FindSessionRules("CME:ES")->name, "FUT");
    EXPECT_FALSE(calendar.Load("/nonexistent/Sessions.dat"));
    EXPECT_EQ(calendar.GetRuleCount(), 1u);
}

TEST(MarketCalendar, WildcardPatterns)
{
    EXPECT_TRUE(CMarketCalendar::MatchPattern("*:*", ":X"));
    EXPECT_TRUE(CMarketCalendar::MatchPattern("NYSE:I?M", "nyse:ibm"));
    EXPECT_FALSE(CMarketCalendar::MatchPattern("NYSE:I?M", "NYSE:IBMX"));
    EXPECT_TRUE(CMarketCalendar::MatchPattern("*:$*", "INDEX:$SPX"));
    EXPECT_FALSE(CMarketCalendar::MatchPattern("*:$*", "NASD:SPX"));
    EXPECT_TRUE(CMarketCalendar::MatchPattern("a*b*c", "aXXbYYbc"));
}
