// A test-broker session for price series: the all-day calendar as the series services,
// the broker's clock on a weekday, the manager as the process-wide instance and the
// series hooks registered.
#pragma once

#include "tests/support/CAllDayServices.h"
#include "tests/support/CTestBrokerSession.h"

namespace qx::testsupport {

class CSeriesBrokerSession {
public:
    // At noon: the broker's clock also moved to 12:00 exchange time (less secondsBeforeNoon),
    // so its history holds the day's trades.
    explicit CSeriesBrokerSession(bool atNoon = false, int64_t secondsBeforeNoon = 0);
    ~CSeriesBrokerSession();
    CSeriesBrokerSession(const CSeriesBrokerSession&) = delete;
    CSeriesBrokerSession& operator=(const CSeriesBrokerSession&) = delete;

    // Starts the broker and logs in.
    ::testing::AssertionResult Start();
    void Stop();

    qx::testbroker::CTestBroker& Broker() { return m_session.Broker(); }
    CSessionManager& Manager() { return m_session.Manager(); }
    CTestBrokerSession& Session() { return m_session; }

private:
    CAllDayServices m_services;
    CTestBrokerSession m_session;
};

} // namespace qx::testsupport
