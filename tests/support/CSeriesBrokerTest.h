// A test logged in to the test broker for price series: the session, its broker and
// its manager, started before each test and stopped after it.
#pragma once

#include "analytics/series/CPriceSeries.h"
#include "broker/session/CSessionManager.h"
#include "tests/support/CSeriesBrokerSession.h"

#include <gtest/gtest.h>

namespace qx::testsupport {

class CSeriesBrokerTest : public ::testing::Test {
protected:
    // At noon: the broker's day so far is history (see CSeriesBrokerSession).
    explicit CSeriesBrokerTest(bool atNoon = false, int64_t secondsBeforeNoon = 0)
        : m_session(atNoon, secondsBeforeNoon)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        m_broker = &m_session.Broker();
        m_manager = &m_session.Manager();
    }
    void TearDown() override { m_session.Stop(); }

    // Gives a series back to the manager that made it.
    struct SeriesDeleter {
        CSessionManager** manager;
        void operator()(CPriceSeries* s) const { (*manager)->DeletePriceSeries(s); }
    };

    CSeriesBrokerSession m_session;
    qx::testbroker::CTestBroker* m_broker = nullptr;
    CSessionManager* m_manager = nullptr;
};

} // namespace qx::testsupport
