// Chart windows against the in-process test broker with a running formula engine.
#pragma once

#include "ChartTestShell.h"

#include "alerts/CAlertBook.h"
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "tests/alerts/CRecordingAlertHost.h"
#include "tests/support/CSeriesBrokerSession.h"

#include <gtest/gtest.h>

#include <memory>

class ChartBrokerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        InitFormulaNames();
        m_engine = std::make_unique<CFormulaEngine>();
        m_engine->Start();
        CFormulaEngine::Install(m_engine.get());
        m_shell = std::make_unique<ChartTestShell>();
        m_shell->settings.SetAlertBook(std::make_unique<CAlertBook>(m_shell->settings));
    }
    void TearDown() override
    {
        m_shell.reset();
        CFormulaEngine::Install(nullptr);
        if (m_engine)
            m_engine->Stop();
        m_engine.reset();
        m_session.Stop();
    }
    // True once the plot's series answered all its requests and holds visible bars.
    static bool Loaded(CStudyPlot* plot)
    {
        CPriceSeries* series = plot ? plot->GetPriceSeries() : nullptr;
        if (!series || series->IsWaitingForData())
            return false;
        double v = 0;
        int valid = 0;
        for (int bar = plot->GetLastVisibleBar() - 40; bar <= plot->GetLastVisibleBar(); ++bar)
            valid += plot->ReadValue(bar, 0, v) ? 1 : 0;
        return valid > 30;
    }

    qx::testsupport::CSeriesBrokerSession m_session;
    std::unique_ptr<CFormulaEngine> m_engine;
    std::unique_ptr<ChartTestShell> m_shell;
    CRecordingAlertHost m_host;
};
