// A session manager without a broker whose quote store the tests feed, an installed
// formula engine and settings, and quote helpers.
#pragma once

#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/SessionConfig.h"
#include "common/services/CAppSettings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <thread>
#include <utility>

inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

class CQuoteFixture : public ::testing::Test {
protected:
    CQuoteFixture() : m_manager(QX_BROKER_SESSION_DIR, CSessionConfig{}, nullptr, nullptr)
    {
        InitFormulaNames();
        CSessionManager::Install(&m_manager);
        CAppSettings::Install(&m_settings);
    }
    ~CQuoteFixture() override
    {
        StopEngine();
        CAppSettings::Install(nullptr);
        CSessionManager::Install(nullptr);
    }

    void StartEngine()
    {
        m_engine = std::make_unique<CFormulaEngine>();
        m_engine->Start();
        CFormulaEngine::Install(m_engine.get());
    }
    void StopEngine()
    {
        if (!m_engine)
            return;
        CFormulaEngine::Install(nullptr);
        m_engine->Stop();
        m_engine.reset();
    }

    CQuoteStore& Store() { return m_manager.GetQuoteStore(); }

    void Quote(const char* symbol, std::initializer_list<std::pair<int, double>> fields, const char* exchange = nullptr)
    {
        CQuoteMessage message;
        message.m_symbol = symbol;
        for (auto [id, value] : fields)
            message.AddField(id, value);
        if (exchange)
            message.AddText(101, exchange);
        Store().ApplyQuote(message);
    }

    CAppSettings m_settings;
    CSessionManager m_manager;
    std::unique_ptr<CFormulaEngine> m_engine;
};
