// The engine's threads: resolution order, clean-up of released formulas, the poll, and
// formulas destroyed while listeners and the poll run.
#include "FormulaTestSupport.h"
#include "../FakeSeriesServices.h"

#include "analytics/series/CSeriesListener.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/QuoteFields.h"
#include "broker/session/SessionConfig.h"
#include "broker/session/SessionMessages.h"

#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct CallLog {
    std::mutex lock;
    std::vector<int> order;
    std::atomic<int> changes{0};
    std::atomic<int> deleted{0};
};

// A chart-plot stand-in: logs values-changed calls and its own deletion.
class CLoggingCallback : public CSeriesListener {
public:
    CLoggingCallback(CallLog& log, int id) : m_log(log), m_id(id) {}
    ~CLoggingCallback() override { ++m_log.deleted; }
    void OnValuesChanged(CPriceSeries*, int, int, int) override
    {
        ++m_log.changes;
        {
            std::lock_guard<std::mutex> g(m_log.lock);
            if (m_log.order.empty() || m_log.order.back() != m_id)
                m_log.order.push_back(m_id);
        }
    }
    void OnDataStateChanged(CPriceSeries*) override {}

private:
    CallLog& m_log;
    int m_id;
};

std::unique_ptr<CFormula> Subscribed(const char* text, int mode, CFormulaOwner* owner,
                                     std::unique_ptr<CSeriesListener> callback = nullptr)
{
    auto formula = std::make_unique<CFormula>(text, mode, 1, 0);
    CString error;
    EXPECT_TRUE(formula->Parse(error)) << error.GetString();
    EXPECT_TRUE(formula->Subscribe("IBM", 0, owner, std::move(callback), "", 0, 1));
    return formula;
}

// Series services that put a quote into the session while a formula's chart bars are laid
// out: after its quote input has subscribed, before the formula is resolved.
class CQuoteDuringResolution : public FakeSeriesServices {
public:
    explicit CQuoteDuringResolution(CSessionManager& manager) : m_manager(manager) {}
    int RequestHistory(CPriceSeries* series, DWORD start, DWORD end) override
    {
        if (!m_sent.exchange(true)) {
            CQuoteMessage quote;
            quote.m_symbol = "IBM";
            quote.AddField(kFieldLast, 77.25);
            m_manager.GetQuoteStore().ApplyQuote(quote);
        }
        return FakeSeriesServices::RequestHistory(series, start, end);
    }

private:
    CSessionManager& m_manager;
    std::atomic<bool> m_sent{false};
};

} // namespace

TEST(FormulaEngine, AQuoteThatComesWhileTheAlertIsResolvedFiresItOnceResolved)
{
    CSessionManager manager(QX_BROKER_SESSION_DIR, CSessionConfig{}, nullptr, nullptr);
    CSessionManager::Install(&manager);
    {
        CQuoteDuringResolution services(manager);
        CRunningEngine engine;
        CCountingOwner owner;
        CFormula formula("Last>50", 0, 1, 0);
        CString error;
        ASSERT_TRUE(formula.Parse(error)) << error.GetString();
        ASSERT_TRUE(formula.Subscribe("IBM", 0, &owner, nullptr, "D", 0, 0));
        ASSERT_TRUE(WaitUntil([&] { return formula.IsResolved(); }));
        EXPECT_TRUE(WaitUntil([&] { return owner.fired.load() == 1; }));
        double value = 0;
        EXPECT_TRUE(formula.Evaluate(&value, 0, -1));
        EXPECT_EQ(1, value);
    }
    CSessionManager::Install(nullptr);
}

TEST(FormulaEngine, RequestsAreResolvedInTheOrderOfSubscription)
{
    FakeSeriesServices services;
    CallLog log;
    std::vector<std::unique_ptr<CFormula>> formulas;
    {
        CFormulaEngine engine; // not started yet: every request waits on the pending list
        CFormulaEngine::Install(&engine);
        for (int i = 0; i < 8; ++i)
            formulas.push_back(Subscribed("1+1", 2, nullptr, std::make_unique<CLoggingCallback>(log, i)));
        EXPECT_EQ(8u, engine.GetPendingCount());
        EXPECT_TRUE(formulas[0]->IsWaitingForData());
        engine.Start();
        ASSERT_TRUE(WaitUntil([&] { return engine.GetLiveCount() == 8; }));
        {
            std::lock_guard<std::mutex> g(log.lock);
            EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}), log.order);
        }
        EXPECT_FALSE(formulas[0]->IsWaitingForData());
        // Destroying the formulas hands their compiled forms, callbacks included, to the
        // clean-up thread.
        formulas.clear();
        ASSERT_TRUE(WaitUntil([&] { return engine.GetLiveCount() == 0; }));
        // The clean-up thread deletes the callbacks after the list lets go of them.
        EXPECT_TRUE(WaitUntil([&] { return log.deleted.load() == 8; }));
        CFormulaEngine::Install(nullptr);
    }
}

TEST(FormulaEngine, AFormulaDestroyedBeforeResolutionIsFreedUnresolved)
{
    FakeSeriesServices services;
    CallLog log;
    CFormulaEngine engine;
    CFormulaEngine::Install(&engine);
    auto formula = Subscribed("Hour>=0", 2, nullptr, std::make_unique<CLoggingCallback>(log, 1));
    formula.reset();
    engine.Start();
    ASSERT_TRUE(WaitUntil([&] { return log.deleted.load() == 1; }));
    EXPECT_EQ(0, log.changes.load()); // never resolved, never notified
    EXPECT_EQ(0u, engine.GetLiveCount());
    CFormulaEngine::Install(nullptr);
}

TEST(FormulaEngine, ClockFormulasAreEvaluatedOnThePoll)
{
    FakeSeriesServices services;
    CRunningEngine engine;
    CCountingOwner armed, triggered;
    triggered.triggerState = 1;
    auto clock = Subscribed("Hour>=0", 0, &armed);
    auto silent = Subscribed("Hour>=0", 0, &triggered);
    auto never = Subscribed("Hour<0", 0, &armed);
    ASSERT_TRUE(WaitUntil([&] { return armed.fired.load() >= 2; }));
    EXPECT_EQ(0, triggered.fired.load());
    // A formula series with a clock value hears of each poll through its callback.
    CallLog log;
    auto plot = Subscribed("Minute+1", 2, nullptr, std::make_unique<CLoggingCallback>(log, 1));
    ASSERT_TRUE(WaitUntil([&] { return log.changes.load() >= 3; })); // resolution, then polls
    // Without a clock value nothing is polled.
    CCountingOwner constant;
    auto plain = Subscribed("1>0", 0, &constant);
    ASSERT_TRUE(WaitUntil([&] { return plain->IsResolved(); }));
    std::this_thread::sleep_for(1100ms);
    EXPECT_EQ(0, constant.fired.load());
}

TEST(FormulaEngine, DestroyingAFormulaWaitsForARunningFire)
{
    FakeSeriesServices services;
    CRunningEngine engine;
    class CSlowOwner : public CFormulaOwner {
    public:
        int GetTriggerState() const override { return 0; }
        void Fire() override
        {
            inFire = true;
            std::this_thread::sleep_for(300ms);
            ++fired;
            inFire = false;
        }
        std::atomic<bool> inFire{false};
        std::atomic<int> fired{0};
    } owner;
    auto formula = Subscribed("Second>=0", 0, &owner);
    ASSERT_TRUE(WaitUntil([&] { return owner.inFire.load(); }));
    formula.reset();
    EXPECT_FALSE(owner.inFire.load());
    const int fired = owner.fired.load();
    std::this_thread::sleep_for(2000ms);
    EXPECT_EQ(fired, owner.fired.load());
}

TEST(FormulaEngine, FormulasComeAndGoWhileThePollRuns)
{
    FakeSeriesServices services;
    CRunningEngine engine;
    CCountingOwner owner;
    std::atomic<bool> stop{false};
    // A second poller besides the engine's own thread.
    std::thread poller([&] {
        while (!stop)
            engine->PollOnce();
    });
    std::vector<std::thread> workers;
    for (int w = 0; w < 3; ++w) {
        workers.emplace_back([&, w] {
            for (int i = 0; i < 40; ++i) {
                auto formula = Subscribed(i % 2 ? "Minute>=0 AND NumTriggered<1000" : "Second+1>0", 0, &owner);
                formula->SetNumTriggered(i);
                if ((i + w) % 3 == 0) {
                    WaitUntil([&] { return formula->IsResolved(); });
                    // Each worker's first awaited formula stays until a formula has fired.
                    if (i < 3) {
                        EXPECT_TRUE(WaitUntil([&] { return owner.fired.load() > 0; }));
                    }
                }
                formula->Evaluate(nullptr, 0, -1);
            }
        });
    }
    for (auto& t : workers)
        t.join();
    stop = true;
    poller.join();
    EXPECT_GT(owner.fired.load(), 0);
    ASSERT_TRUE(WaitUntil([&] { return engine->GetLiveCount() == 0 && engine->GetPendingCount() == 0; }));
}
