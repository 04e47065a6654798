// Formulas against the in-process test broker: alert formulas on live quotes and the
// poll, a moving-average crossover over the broker's daily bars, grid cells and screeners
// whose inputs read bars back in their own interval, formulas that come and go
// while quotes stream, and a colour field's daily bars on the trading calendar.
#include "FormulaTestSupport.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSessionSeriesServices.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesHooks.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/PriceSeriesHooks.h"
#include "tests/support/CSeriesBrokerTest.h"
#include "tests/support/WeekdayShift.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/CTestBroker.h"
#include "tools/testbroker/ExchangeClock.h"

#include <cmath>
#include <ctime>
#include <map>
#include <set>

namespace {

using namespace std::chrono_literals;

// The broker's clock and so the session's exchange clock stand on a weekday; the
// calendar trades all day.
class FormulaBrokerTest : public qx::testsupport::CSeriesBrokerTest {
protected:
    void SetUp() override
    {
        CSeriesBrokerTest::SetUp();
        if (!HasFatalFailure())
            m_engine = std::make_unique<CRunningEngine>();
    }

    void TearDown() override
    {
        // The engine frees the released formulas' inputs while the session still exists.
        m_engine.reset();
        CSeriesBrokerTest::TearDown();
    }

    std::unique_ptr<CFormula> Alert(const char* text, CFormulaOwner& owner, const char* symbol = "IBM")
    {
        auto formula = std::make_unique<CFormula>(text, 0, 1, 0);
        CString error;
        EXPECT_TRUE(formula->Parse(error)) << error.GetString();
        formula->SetNumTriggered(0);
        EXPECT_TRUE(formula->Subscribe(symbol, 0, &owner, nullptr, "", 0, 1));
        EXPECT_TRUE(WaitUntil([&] { return formula->IsResolved(); }));
        return formula;
    }

    std::unique_ptr<CRunningEngine> m_engine;
};

int DateNumber(CTime t)
{
    return t.GetYear() * 10000 + t.GetMonth() * 100 + t.GetDay();
}

} // namespace

TEST_F(FormulaBrokerTest, QuoteFormulaFiresWhenItsQuoteChanges)
{
    CCountingOwner owner, triggered;
    triggered.triggerState = 1;
    auto formula = Alert("Last>50 AND Last[MSFT]>0", owner);
    auto silent = Alert("Last>50", triggered);
    auto last = MakeFormula("Last", 1, "IBM");
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "IBM", 30000));
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "MSFT", 30000));
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 300, 100));
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 77.25, 100));
    ASSERT_TRUE(WaitUntil([&] { return owner.fired.load() >= 1; }));
    double value = 0;
    ASSERT_TRUE(WaitUntil([&] { return last->Evaluate(&value, 0, -1) && value == 77.25; }));
    EXPECT_TRUE(formula->Evaluate(nullptr, 0, -1));
    // Without a change of its inputs nothing is evaluated again: no clock, no timer.
    std::this_thread::sleep_for(300ms);
    const int fired = owner.fired.load();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(fired, owner.fired.load());
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 78.5, 100));
    ASSERT_TRUE(WaitUntil([&] { return owner.fired.load() > fired; }));
    // Below the level the formula is false and nothing fires.
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 40, 100));
    ASSERT_TRUE(WaitUntil([&] { return !formula->Evaluate(nullptr, 0, -1); }));
    const int afterDrop = owner.fired.load();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(afterDrop, owner.fired.load());
    EXPECT_TRUE(formula->Evaluate(&value, 0, -1));
    EXPECT_EQ(0, value);
    EXPECT_EQ(0, triggered.fired.load());
    EXPECT_FALSE(formula->IsWaitingForData());
}

TEST_F(FormulaBrokerTest, AlertWhoseQuoteAlreadyHoldsItsValuesIsEvaluatedOnceResolved)
{
    auto last = MakeFormula("Last", 1, "IBM");
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "IBM", 30000));
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 77.25, 100));
    double value = 0;
    ASSERT_TRUE(WaitUntil([&] { return last->Evaluate(&value, 0, -1) && value == 77.25; }));
    // Created while the condition is already true: it fires without a further quote.
    CCountingOwner owner, above;
    auto formula = Alert("Last>50", owner);
    auto silent = Alert("Last>100", above);
    EXPECT_TRUE(WaitUntil([&] { return owner.fired.load() == 1; }));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(1, owner.fired.load());
    EXPECT_EQ(0, above.fired.load());
    // From then on it fires on changes as before.
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 101, 100));
    EXPECT_TRUE(WaitUntil([&] { return owner.fired.load() == 2 && above.fired.load() == 1; }));
}

TEST_F(FormulaBrokerTest, QuoteFormulaWithAClockValueIsReevaluatedOnThePoll)
{
    CCountingOwner owner;
    auto formula = Alert("Last>50 AND Second>=0", owner);
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "IBM", 30000));
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 77.25, 100));
    ASSERT_TRUE(WaitUntil([&] { return owner.fired.load() >= 1; }));
    // No further quotes: the 900 ms poll evaluates it again.
    const int fired = owner.fired.load();
    ASSERT_TRUE(WaitUntil([&] { return owner.fired.load() >= fired + 2; }));
}

TEST_F(FormulaBrokerTest, MovingAverageCrossoverOnTheBrokersDailyBars)
{
    // The shifted clock stands on a weekday.
    const int weekday = GetSeriesServices().GetExchangeTime().GetLocalTm().tm_wday;
    EXPECT_TRUE(weekday >= 1 && weekday <= 5) << weekday;
    const char* text = "MovingAverage[MA,Close,5,0,D]>MovingAverage[MA,Close,20,0,D] AND "
                       "MovingAverage[MA,Close,5,0,D,1]<=MovingAverage[MA,Close,20,0,D,1]";
    const int bars = 120;
    CFormula formula(text, 3, bars, 0);
    CString error;
    ASSERT_TRUE(formula.Parse(error)) << error.GetString();
    ASSERT_TRUE(formula.Subscribe("IBM", 0, nullptr, nullptr, "D", 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return formula.IsResolved(); }));
    ASSERT_TRUE(WaitUntil([&] { return !formula.IsWaitingForData(); }));

    // The same bars read plainly, with enough in front for the longer average.
    auto deleter = [this](CPriceSeries* s) { m_manager->DeletePriceSeries(s); };
    std::unique_ptr<CPriceSeries, decltype(deleter)> plain(m_manager->CreatePriceSeries("IBM,D", 0), deleter);
    ASSERT_TRUE(plain);
    plain->SetWindowMode(1);
    ASSERT_TRUE(plain->SetBarCount(bars + 40, 0));
    ASSERT_TRUE(WaitUntil([&] { return !plain->IsWaitingForData(); }));
    std::vector<std::pair<int, double>> closes;
    for (const CBarRecord& record : plain->CopyRecords())
        if (record.m_bValid)
            closes.emplace_back(DateNumber(record.m_startTime), record.Close());
    ASSERT_GT(closes.size(), static_cast<size_t>(bars));
    std::map<int, size_t> position;
    for (size_t i = 0; i < closes.size(); ++i)
        position[closes[i].first] = i;
    const auto average = [&](size_t end, int length) {
        double sum = 0;
        for (int k = 0; k < length; ++k)
            sum += closes[end - static_cast<size_t>(k)].second;
        return sum / length;
    };

    std::set<int> expected, actual;
    int checked = 0;
    for (int bar = 0; bar < bars; ++bar) {
        DWORD time = 0;
        ASSERT_TRUE(formula.GetBarTime(bar, 0, time));
        const int date = DateNumber(FeedTimeToRecordTime(time));
        const auto it = position.find(date);
        if (it == position.end() || it->second < 21)
            continue;
        const size_t i = it->second;
        if (average(i, 5) > average(i, 20) && !(average(i - 1, 5) > average(i - 1, 20) + 0.00005))
            expected.insert(date);
        double value = 0;
        ASSERT_TRUE(formula.Evaluate(&value, bar, -1)) << "bar " << bar << " date " << date;
        if (value > 0)
            actual.insert(date);
        ++checked;
    }
    EXPECT_GT(checked, bars / 2);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(expected, actual);
}

TEST_F(FormulaBrokerTest, FormulasComeAndGoWhileQuotesStream)
{
    CCountingOwner owner;
    std::atomic<bool> stop{false};
    std::thread quotes([&] {
        double price = 70;
        while (!stop) {
            m_broker->InjectTrade("IBM", price, 100);
            m_broker->InjectTrade("MSFT", price * 3, 100);
            price = price > 90 ? 70 : price + 0.25;
            std::this_thread::sleep_for(2ms);
        }
    });
    std::vector<std::thread> workers;
    for (int w = 0; w < 3; ++w) {
        workers.emplace_back([&, w] {
            static const char* const kTexts[] = {"Last>50", "Last>Last[MSFT]/4 AND Second>=0", "Bid+Ask>=0|Minute>=0"};
            for (int i = 0; i < 15; ++i) {
                auto formula = std::make_unique<CFormula>(kTexts[(i + w) % 3], 0, 1, 0);
                CString error;
                EXPECT_TRUE(formula->Parse(error));
                EXPECT_TRUE(formula->Subscribe(w == 1 ? "MSFT" : "IBM", 0, &owner, nullptr, "", 0, 1));
                if (i == 1) {
                    // Each worker's first awaited formula stays until a formula has fired.
                    EXPECT_TRUE(WaitUntil([&] { return formula->IsResolved(); }));
                    EXPECT_TRUE(WaitUntil([&] { return owner.fired.load() > 0; }));
                } else if (i % 2) {
                    WaitUntil([&] { return formula->IsResolved(); }, 5s);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5 * (i % 4)));
                formula->Evaluate(nullptr, 0, -1);
            }
        });
    }
    for (auto& t : workers)
        t.join();
    stop = true;
    quotes.join();
    EXPECT_GT(owner.fired.load(), 0);
    ASSERT_TRUE(WaitUntil([&] { return (*m_engine)->GetLiveCount() == 0 && (*m_engine)->GetPendingCount() == 0; }));
}

TEST_F(FormulaBrokerTest, LevelTwoItemsReadTheBookLevelOfTheirParticipant)
{
    CCountingOwner owner;
    auto alert = Alert("Level2[Bid,ARCA,0,INTC]>29.9 AND Level2[BidSize,nsdq,0,INTC]=300", owner);
    auto column = MakeFormula("Level2[Bid,ARCA,0,INTC]+Level2[AskSize,EDGX,0,INTC]", 1, "IBM");
    ASSERT_TRUE(column->IsResolved());
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceLevelII, "INTC", 30000));
    double value = 0;
    qx::protocol::BookRecord book{"INTC", "L2", {{"ARCA", 29.95, 500, ""}, {"NSDQ", 29.94, 300, ""}},
                                  {{"EDGX", 30.05, 200, ""}}};
    ASSERT_TRUE(m_broker->InjectBook(book));
    ASSERT_TRUE(WaitUntil([&] { return owner.fired.load() >= 1; }));
    ASSERT_TRUE(WaitUntil([&] { return column->Evaluate(&value, 0, -1); }));
    EXPECT_NEAR(29.95 + 200, value, 1e-9);
    // The participant's size no longer matches: the alert stays quiet.
    const int fired = owner.fired.load();
    book.bids[1].size = 400;
    ASSERT_TRUE(m_broker->InjectBook(book));
    ASSERT_TRUE(WaitUntil([&] { return !alert->Evaluate(nullptr, 0, -1); }));
    EXPECT_EQ(fired, owner.fired.load());
}

TEST_F(FormulaBrokerTest, PlotFormulasHearOfQuoteChangesThroughTheirCallback)
{
    struct CCountingCallback : public CSeriesListener {
        explicit CCountingCallback(std::atomic<int>& count) : changes(count) {}
        void OnValuesChanged(CPriceSeries*, int, int, int) override { ++changes; }
        void OnDataStateChanged(CPriceSeries*) override {}
        std::atomic<int>& changes;
    };
    std::atomic<int> changes{0};
    CCountingOwner owner; // given, but a formula with a callback never fires its owner
    CFormula plot("Last*2", 2, 10, 0);
    CString error;
    ASSERT_TRUE(plot.Parse(error));
    ASSERT_TRUE(plot.Subscribe("IBM", 0, &owner, std::make_unique<CCountingCallback>(changes), "", 0, 1));
    ASSERT_TRUE(WaitUntil([&] { return plot.IsResolved() && changes.load() >= 1; }));
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "IBM", 30000));
    const int before = changes.load();
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 81, 100));
    ASSERT_TRUE(WaitUntil([&] { return changes.load() > before; }));
    double value = 0;
    ASSERT_TRUE(WaitUntil([&] { return plot.Evaluate(&value, 0, -1) && value == 162; }));
    EXPECT_EQ(0, owner.fired.load());
}

TEST(FormulaOnTheTradingCalendar, AColourFieldsDailyBarsAllHaveValuesBeforeTheSessionOpens)
{
    // The session's own calendar (09:30 to 16:00) and the broker's clock at 08:30 of a weekday.
    const int64_t shift = qx::testsupport::SecondsToNoon(time(nullptr)) - 3 * 3600 - 1800;
    qx::testsupport::CTestBrokerSession session(qx::testsupport::DaysBackToWeekday(time(nullptr) + shift), shift);
    ASSERT_TRUE(session.Start());
    session.Install();
    RegisterPriceSeriesHooks();
    ASSERT_TRUE(session.LogIn());
    {
        CRunningEngine engine;
        ASSERT_EQ(GetSeriesServices().GetExchangeTime().GetHour(), 8);
        // As a Level I colour field of three daily boxes evaluates it.
        auto formula = MakeFormula("Bar[Close,D]>Bar[Open,D]", 1, "IBM", nullptr, "D", 3, 0);
        ASSERT_TRUE(formula->IsResolved());
        ASSERT_TRUE(WaitUntil([&] { return !formula->IsWaitingForData(); }, 30s));
        const qx::testbroker::PriceProfile profile = session.Broker().Symbol("IBM")->profile;
        for (int bar = 0; bar < 3; ++bar) {
            DWORD time = 0;
            ASSERT_TRUE(formula->GetBarTime(bar, 0, time));
            const CTime start = FeedTimeToRecordTime(time);
            const int64_t day = qx::testbroker::DaysFromDate(start.GetYear(), start.GetMonth(), start.GetDay());
            const auto days = qx::testbroker::CHistoryGenerator().Days(profile, day, day);
            ASSERT_EQ(days.size(), 1u) << "bar " << bar;
            double value = -1;
            EXPECT_TRUE(formula->Evaluate(&value, bar, -1)) << "bar " << bar << " of " << DateNumber(start);
            EXPECT_EQ(value, days[0].close > days[0].open ? 1 : 0) << "bar " << bar;
        }
    }
    session.Stop();
    SetPriceSeriesHooks({});
}

namespace {

// Grid cells and screeners just before noon of a weekday, with the broker's market standing
// still but for the tests' trades: their inputs read their offset back in their own interval.
class FormulaOffsetTest : public qx::testsupport::CSeriesBrokerTest {
protected:
    static constexpr int kSecondsBeforeNoon = 25;
    FormulaOffsetTest() : CSeriesBrokerTest(true, kSecondsBeforeNoon) {}

    void SetUp() override
    {
        CSeriesBrokerTest::SetUp();
        if (HasFatalFailure())
            return;
        m_broker->PauseSimulation(true);
        // The last trade of the five minutes before noon.
        m_beforeNoonPrice = std::round((m_broker->Symbol("IBM")->last - 0.25) * 16) / 16;
        ASSERT_TRUE(m_broker->InjectTrade("IBM", m_beforeNoonPrice, 100));
        m_tradedBeforeNoon = GetSeriesServices().GetExchangeTime().GetHour() < 12;
        m_engine = std::make_unique<CRunningEngine>();
        const CTime now = GetSeriesServices().GetExchangeTime();
        m_today = qx::testbroker::DaysFromDate(now.GetYear(), now.GetMonth(), now.GetDay());
    }

    void TearDown() override
    {
        m_engine.reset();
        CSeriesBrokerTest::TearDown();
    }

    // A trade at a price that a float and four decimals hold exactly; true once the session's quote shows it.
    bool Trade(const std::string& symbol, double price)
    {
        price = std::round(price * 16) / 16;
        if (!m_broker->WaitForSubscription(kServiceQuote, symbol, 30000) || !m_broker->InjectTrade(symbol, price, 100))
            return false;
        return WaitUntil([&] {
            CSeriesQuote quote;
            return GetSeriesServices().LookupQuote(CString(symbol.c_str()), quote) && quote.last == price;
        });
    }

    // The broker's closes of its trading days before today, oldest first.
    std::vector<double> ClosesBeforeToday(const std::string& symbol, int days) const
    {
        const auto profile = m_broker->Symbol(symbol)->profile;
        std::vector<double> closes;
        for (const auto& day : qx::testbroker::CHistoryGenerator().Days(profile, m_today - 3 * days, m_today - 1))
            closes.push_back(day.close);
        closes.erase(closes.begin(), closes.end() - days);
        return closes;
    }

    // A formula as a grid cell (mode 1) or a screener (mode 4) of daily bars makes it.
    std::unique_ptr<CFormula> Cell(const char* text, int mode, const std::string& symbol)
    {
        auto formula = MakeFormula(text, mode, symbol.c_str(), nullptr, "D", 1, 0);
        EXPECT_TRUE(formula->IsResolved()) << text;
        EXPECT_TRUE(WaitUntil([&] { return !formula->IsWaitingForData(); })) << text;
        return formula;
    }

    std::unique_ptr<CRunningEngine> m_engine;
    int64_t m_today = 0;
    double m_beforeNoonPrice = 0;
    bool m_tradedBeforeNoon = false;
};

} // namespace

TEST_F(FormulaOffsetTest, ScreenerOfLastAboveYesterdaysCloseMatchesTheBrokersPreviousCloses)
{
    std::vector<std::string> symbols;
    for (const std::string& s : m_broker->Symbols()) {
        const auto sim = m_broker->Symbol(s);
        if (sim->kind == qx::testbroker::SymbolKind::Stock && sim->profile.baseVolume > 0 && symbols.size() < 8)
            symbols.push_back(s);
    }
    ASSERT_EQ(8u, symbols.size());
    std::vector<std::unique_ptr<CFormula>> screens;
    for (const std::string& s : symbols)
        screens.push_back(Cell("Last>Bar[Close,D,1]", 4, s));
    // Five up on the day, three down.
    for (size_t i = 0; i < symbols.size(); ++i) {
        const double previous = ClosesBeforeToday(symbols[i], 1).back();
        ASSERT_TRUE(Trade(symbols[i], previous * (i % 3 == 1 ? 0.98 : 1.02))) << symbols[i];
    }
    std::set<std::string> expected, passed;
    for (size_t i = 0; i < symbols.size(); ++i) {
        const auto sim = m_broker->Symbol(symbols[i]);
        if (sim->last > qx::testbroker::CHistoryGenerator().PreviousClose(sim->profile, m_today))
            expected.insert(symbols[i]);
        if (screens[i]->Evaluate(nullptr, 0, -1))
            passed.insert(symbols[i]);
    }
    EXPECT_EQ(5u, expected.size());
    EXPECT_EQ(expected, passed);
}

TEST_F(FormulaOffsetTest, OffsetsReadBackInTheirOwnInterval)
{
    ASSERT_TRUE(m_tradedBeforeNoon) << "the test started too late for its clock";
    ASSERT_TRUE(WaitUntil([] { return GetSeriesServices().GetExchangeTime().GetHour() >= 12; }, 30s));
    const std::string symbol = "IBM";
    const std::vector<double> closes = ClosesBeforeToday(symbol, 10);
    double average = 0;
    for (double c : closes)
        average += c / 10;
    const char* const texts[] = {"Bar[Close,D]",   "Bar[Close,D,1]", "Bar[Close,D,2]", "MovingAverage[MA,Close,10,0,D,1]",
                                 "Bar[Close,5]",   "Bar[Close,5,1]"};
    std::vector<std::pair<int, std::unique_ptr<CFormula>>> cells;
    for (int mode : {1, 4})
        for (const char* text : texts)
            cells.emplace_back(mode, Cell(text, mode, symbol));
    // The first trade of the five minutes from noon.
    const double price = std::round((m_broker->Symbol(symbol)->last + 0.5) * 16) / 16;
    ASSERT_TRUE(Trade(symbol, price));
    const double expected[] = {price, closes[9], closes[8], average, price, m_beforeNoonPrice};
    for (size_t i = 0; i < cells.size(); ++i) {
        const size_t k = i % std::size(texts);
        CFormula& formula = *cells[i].second;
        double value = -1;
        WaitUntil([&] { return formula.Evaluate(&value, 0, -1) && std::fabs(value - expected[k]) < 1e-9; }, 5s);
        ASSERT_TRUE(formula.Evaluate(&value, 0, -1)) << texts[k] << " in mode " << cells[i].first;
        EXPECT_NEAR(expected[k], value, 1e-9) << texts[k] << " in mode " << cells[i].first;
    }
}
