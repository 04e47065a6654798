// Screeners over a quote store fed by hand: the rows they pass, their progress, pause,
// stop with and without restoring, and the window title's suffix.
#include "ViewsTestSupport.h"

#include "broker/session/QuoteFields.h"
#include "broker/session/SessionMessages.h"
#include "tests/support/ScopedTimeZone.h"
#include "views/CScreener.h"

#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;

class RecordingSink : public IScreenerSink {
public:
    void OnScreenerSymbols(std::vector<CString> symbols) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_posts.push_back(std::move(symbols));
    }
    void OnScreenerProgress() override { ++m_progress; }
    std::vector<std::vector<CString>> Posts()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_posts;
    }
    std::vector<CString> Last()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_posts.empty() ? std::vector<CString>{} : m_posts.back();
    }
    std::atomic<int> m_progress{0};

private:
    std::mutex m_lock;
    std::vector<std::vector<CString>> m_posts;
};

class ScreenerTest : public CQuoteFixture {
protected:
    ScreenerTest()
    {
        StartEngine();
        m_screener.SetTimes({20ms, 20ms, 40ms, 1000ms});
    }
    ~ScreenerTest() override { m_screener.Stop(false); }

    // A symbol's quotes reach the store once something watches it.
    bool Watched(const char* symbol)
    {
        return WaitFor([&] { return Store().Lookup(symbol) != nullptr; });
    }

    RecordingSink m_sink;
    CScreener m_screener{m_sink};
};

} // namespace

TEST_F(ScreenerTest, ShowsTheSymbolsWhoseFormulaIsTrueAndReachesFullProgress)
{
    m_screener.Start("AAA  BBB CCC ", "Last>100", "D", false);
    EXPECT_TRUE(m_screener.IsRunning());
    ASSERT_TRUE(Watched("AAA") && Watched("BBB") && Watched("CCC"));
    Quote("AAA", {{kFieldLast, 150}});
    Quote("BBB", {{kFieldLast, 50}});
    // CCC has no quote yet: two of three symbols are ready.
    ASSERT_TRUE(WaitFor([&] { return m_sink.Last() == std::vector<CString>{"AAA"}; }));
    EXPECT_LT(m_screener.GetProgress(), 100);
    EXPECT_EQ(ScreenerTitleSuffix(&m_screener, false).Left(14), ", Scanning... ");
    Quote("CCC", {{kFieldLast, 300}});
    ASSERT_TRUE(WaitFor([&] { return m_sink.Last() == std::vector<CString>{"AAA", "CCC"}; }));
    ASSERT_TRUE(WaitFor([&] { return m_screener.GetProgress() == 100; }));
    CTime pass;
    ASSERT_TRUE(m_screener.GetLastPassTime(pass));
    // Shown on the exchange's clock, whatever this computer's zone.
    CString newYork;
    {
        const ScopedTimeZone zone("America/New_York");
        newYork = pass.Format("%H:%M:%S");
    }
    EXPECT_EQ(ScreenerTitleSuffix(&m_screener, false), ", Scan as of " + newYork + ", Last>100");
    EXPECT_EQ(ScreenerTitleSuffix(&m_screener, true), ", Scan as of " + newYork);
}

TEST_F(ScreenerTest, ASymbolTheServerRefusedCountsAsDoneAndIsToldOnce)
{
    m_screener.Start("AAA BBB", "Last>100", "D", false);
    ASSERT_TRUE(Watched("AAA") && Watched("BBB"));
    Quote("AAA", {{kFieldLast, 150}});
    ASSERT_TRUE(WaitFor([&] { return m_screener.GetProgress() == 50; }));
    CString notice;
    EXPECT_FALSE(m_screener.TakeFailureNotice(notice));
    // The server does not know BBB: nothing more will come for it.
    CSymbolRefusedMessage refusal;
    refusal.m_symbol = "BBB";
    refusal.m_text = "Unknown symbol: BBB";
    Store().ApplyRefusal(refusal);
    ASSERT_TRUE(WaitFor([&] { return m_screener.GetProgress() == 100; }));
    EXPECT_EQ(m_sink.Last(), std::vector<CString>{"AAA"});
    ASSERT_TRUE(WaitFor([&] { return m_screener.TakeFailureNotice(notice); }));
    EXPECT_EQ(notice, "Screener: no data for BBB (Unknown symbol: BBB)");
    // Later passes with the same failure tell nothing new.
    const int passes = m_sink.m_progress;
    ASSERT_TRUE(WaitFor([&] { return m_sink.m_progress > passes + 1; }));
    EXPECT_FALSE(m_screener.TakeFailureNotice(notice));

    // A refusal of a symbol that has its data changes nothing; data clears a refusal.
    refusal.m_symbol = "AAA";
    Store().ApplyRefusal(refusal);
    CString text;
    EXPECT_FALSE(Store().GetRefusal("AAA", text));
    Quote("BBB", {{kFieldLast, 120}});
    EXPECT_FALSE(Store().GetRefusal("BBB", text));
    ASSERT_TRUE(WaitFor([&] { return m_sink.Last() == std::vector<CString>{"AAA", "BBB"}; }));
}

TEST(ScreenerFailureText, NamesFiveSymbolsAtMostWithTheirReasons)
{
    EXPECT_EQ(ScreenerFailureText({}), "");
    EXPECT_EQ(ScreenerFailureText({{"ZZ", "Unknown symbol: ZZ"}, {"QQ", ""}}),
              "Screener: no data for ZZ (Unknown symbol: ZZ), QQ");
    std::vector<CScreenerFailure> many;
    for (const char* s : {"A", "B", "C", "D", "E", "F", "G"})
        many.push_back({s, "x"});
    EXPECT_EQ(ScreenerFailureText(many), "Screener: no data for A (x), B (x), C (x), D (x), E (x) and 2 more");
}

TEST_F(ScreenerTest, AnEmptyListIsScannedAtOnceAndABrokenFormulaPassesNothing)
{
    m_screener.Start("   ", "Last>1", "D", false);
    ASSERT_TRUE(WaitFor([&] { return m_sink.m_progress.load() > 0; }));
    EXPECT_EQ(m_screener.GetProgress(), 100);
    EXPECT_TRUE(m_sink.Last().empty());
    m_screener.Start("AAA BBB", "Last>>1", "D", false);
    ASSERT_TRUE(WaitFor([&] { return m_screener.GetProgress() == 100; }));
    EXPECT_TRUE(m_sink.Last().empty());
}

TEST_F(ScreenerTest, PauseKeepsTheRowsAndStopRestoresOnlyWhenAsked)
{
    m_screener.Start("AAA BBB", "Last>100", "D", false);
    ASSERT_TRUE(Watched("AAA") && Watched("BBB"));
    Quote("AAA", {{kFieldLast, 150}});
    Quote("BBB", {{kFieldLast, 50}});
    ASSERT_TRUE(WaitFor([&] { return m_screener.GetProgress() == 100; }));
    m_screener.SetPaused(true);
    std::this_thread::sleep_for(60ms); // a pass under way ends
    const size_t posts = m_sink.Posts().size();
    Quote("BBB", {{kFieldLast, 500}});
    std::this_thread::sleep_for(1200ms); // past the screener interval
    EXPECT_EQ(m_sink.Posts().size(), posts);
    EXPECT_EQ(m_screener.GetProgress(), 100);
    m_screener.SetPaused(false);
    ASSERT_TRUE(WaitFor([&] { return m_sink.Last() == std::vector<CString>{"AAA", "BBB"}; }));

    const size_t before = m_sink.Posts().size();
    m_screener.Stop(false);
    EXPECT_FALSE(m_screener.IsRunning());
    EXPECT_EQ(m_sink.Posts().size(), before);
    EXPECT_EQ(ScreenerTitleSuffix(&m_screener, false), " (Screener Off)");
    EXPECT_EQ(ScreenerTitleSuffix(&m_screener, true), "");

    m_screener.Start("AAA BBB CCC", "Last>1000", "D", false);
    ASSERT_TRUE(WaitFor([&] { return m_sink.m_progress.load() > 0 && m_sink.Last().empty(); }));
    m_screener.Stop(true);
    EXPECT_EQ(m_sink.Last(), (std::vector<CString>{"AAA", "BBB", "CCC"}));
}

TEST_F(ScreenerTest, LongFormulasAreCutInTheTitle)
{
    const CString formula = "Last>1 AND " + CString(std::string(150, '1').c_str());
    m_screener.Start("", formula, "D", false);
    const CString suffix = ScreenerTitleSuffix(&m_screener, false);
    EXPECT_EQ(suffix.Right(133), ", " + formula.Left(128) + "...");
}

namespace {

// A formula whose data change while it is evaluated, as another thread may do.
struct ChangingFormula {
    bool waiting = false;
    bool waitingAfterEvaluation = false;
    bool result = true;
    int resetsDuringEvaluation = 0; // data thrown away and filled anew while evaluated
    int evaluations = 0;
    int resets = 0;
    bool IsWaitingForData() const { return waiting; }
    int GetDataResets() const { return resets; }
    bool Evaluate(double*, int, int)
    {
        ++evaluations;
        waiting = waitingAfterEvaluation;
        resets += resetsDuringEvaluation;
        resetsDuringEvaluation = 0;
        return result;
    }
    bool HasFailed(CString*) const { return false; }
};

} // namespace

TEST(ScreenerVerdict, DataChangingDuringTheEvaluationLeaveTheSymbolUnfinished)
{
    const auto notRefused = [](CString&) { return false; };
    // Invalidated while evaluated: the result stands on incomplete data, so another pass is due.
    ChangingFormula invalidated{false, true};
    CScreenerVerdict verdict = JudgeSymbol(invalidated, notRefused);
    EXPECT_EQ(invalidated.evaluations, 1);
    EXPECT_TRUE(verdict.passed);
    EXPECT_FALSE(verdict.ready);
    // Arrived while evaluated: not finished in this pass, finished in the next.
    ChangingFormula arrived{true, false};
    EXPECT_FALSE(JudgeSymbol(arrived, notRefused).ready);
    EXPECT_TRUE(JudgeSymbol(arrived, notRefused).ready);
    // Thrown away and filled anew within the evaluation: never seen waiting, yet not finished.
    ChangingFormula refilled{false, false, true, 1};
    EXPECT_FALSE(JudgeSymbol(refilled, notRefused).ready);
    EXPECT_TRUE(JudgeSymbol(refilled, notRefused).ready);
    // Unchanged data throughout: ready; still waiting: not, unless the server refused it.
    ChangingFormula steady{false, false, false};
    verdict = JudgeSymbol(steady, notRefused);
    EXPECT_TRUE(verdict.ready);
    EXPECT_FALSE(verdict.passed);
    ChangingFormula waiting{true, true};
    EXPECT_FALSE(JudgeSymbol(waiting, notRefused).ready);
    verdict = JudgeSymbol(waiting, [](CString& reason) {
        reason = "Unknown symbol: ZZ";
        return true;
    });
    EXPECT_TRUE(verdict.ready && verdict.failed);
    EXPECT_EQ(verdict.reason, "Unknown symbol: ZZ");
}
