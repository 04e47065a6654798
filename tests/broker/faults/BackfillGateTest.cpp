// Which live trades a series applies around its history answers.
#include "analytics/series/CBackfillGate.h"

#include <gtest/gtest.h>

namespace {

CTime Minute(int m)
{
    return CTime(2026, 12, 7, 12, m, 0);
}

CBackfillGate::Trade Trade(int minute, uint64_t sequence, double size = 100)
{
    return {Minute(minute), 10.0, size, sequence};
}

} // namespace

TEST(BackfillGate, KeptTradesComeBackAfterMarkedAnswersOnly)
{
    CBackfillGate gate;
    gate.Keep(Trade(0, 5));
    gate.Keep(Trade(0, 0)); // no number: nothing could tell whether an answer holds it
    gate.Keep(Trade(1, 6, 300));
    gate.Answered(true);
    gate.Answered(true);
    const auto kept = gate.TakeKept();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].sequence, 5u);
    EXPECT_EQ(kept[1].sequence, 6u);
    EXPECT_EQ(kept[1].size, 300);
    EXPECT_TRUE(gate.TakeKept().empty());

    // One unmarked answer in a wait: its kept trades go; the next wait starts afresh.
    gate.Keep(Trade(2, 7));
    gate.Answered(true);
    gate.Answered(false);
    EXPECT_TRUE(gate.TakeKept().empty());
    gate.Keep(Trade(2, 8));
    gate.Answered(true);
    EXPECT_EQ(gate.TakeKept().size(), 1u);

    gate.DeferRestore();
    EXPECT_TRUE(gate.TakeDeferredRestore());
    EXPECT_FALSE(gate.TakeDeferredRestore());
}

TEST(BackfillGate, ABarHoldsTheTradesUpToItsAnswersMark)
{
    CBackfillGate gate;
    gate.Filled(Minute(0), 40);
    gate.Filled(Minute(1), 41);
    EXPECT_TRUE(gate.Holds(Minute(0), 40));
    EXPECT_FALSE(gate.Holds(Minute(0), 41));
    EXPECT_TRUE(gate.Holds(Minute(1), 41));
    EXPECT_FALSE(gate.Holds(Minute(2), 1)); // a bar no answer filled
    EXPECT_FALSE(gate.Holds(Minute(0), 0)); // a trade without number
    // A later answer filling the bar again moves its mark.
    gate.Filled(Minute(0), 45);
    EXPECT_TRUE(gate.Holds(Minute(0), 44));

    // Emptied bars lose their marks.
    gate.ForgetFrom(Minute(1));
    EXPECT_FALSE(gate.Holds(Minute(1), 41));
    EXPECT_TRUE(gate.Holds(Minute(0), 45));

    // Only the newest bars keep theirs, whatever order they were filled in.
    for (int m = static_cast<int>(CBackfillGate::kMarkedBars); m >= 1; --m)
        gate.Filled(Minute(m), 50);
    EXPECT_FALSE(gate.Holds(Minute(0), 1));
    EXPECT_TRUE(gate.Holds(Minute(1), 50));
    EXPECT_TRUE(gate.Holds(Minute(static_cast<int>(CBackfillGate::kMarkedBars)), 50));

    gate.Keep(Trade(3, 60));
    gate.DeferRestore();
    gate.Clear();
    EXPECT_FALSE(gate.Holds(Minute(1), 50));
    EXPECT_FALSE(gate.TakeDeferredRestore());
    EXPECT_TRUE(gate.TakeKept().empty());
}
