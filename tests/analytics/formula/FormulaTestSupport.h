// An installed, running formula engine for a test, and helpers to make formulas.
#pragma once

#include "analytics/formula/CFormula.h"
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/CFormulaOwner.h"
#include "analytics/formula/FormulaNames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(60))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

class CRunningEngine {
public:
    CRunningEngine()
    {
        InitFormulaNames();
        m_engine.Start();
        CFormulaEngine::Install(&m_engine);
    }
    ~CRunningEngine()
    {
        CFormulaEngine::Install(nullptr);
        m_engine.Stop();
    }
    CFormulaEngine& operator*() { return m_engine; }
    CFormulaEngine* operator->() { return &m_engine; }

private:
    CFormulaEngine m_engine;
};

// An alert stand-in: counts Fire calls.
class CCountingOwner : public CFormulaOwner {
public:
    int GetTriggerState() const override { return triggerState.load(); }
    void Fire() override { ++fired; }
    std::atomic<int> triggerState{0};
    std::atomic<int> fired{0};
};

// Parses and subscribes; waits until the inputs are resolved or failed.
inline std::unique_ptr<CFormula> MakeFormula(const char* text, int mode = 1, const char* symbol = "IBM",
                                             CFormulaOwner* owner = nullptr, const char* interval = "",
                                             int barCount = 1, int noChartSource = 1)
{
    auto formula = std::make_unique<CFormula>(text, mode, barCount, 0);
    CString error;
    EXPECT_TRUE(formula->Parse(error)) << text << ": " << error.GetString();
    EXPECT_TRUE(formula->Subscribe(symbol, 0, owner, nullptr, interval, 0, noChartSource));
    EXPECT_TRUE(WaitUntil([&] { return formula->IsResolved() || formula->HasFailed(); })) << text;
    return formula;
}
