// A session logged in against the in-process test broker: the broker on free ports
// (paused, 200 ms heartbeats), a session manager whose config points at it and trusts
// its CA file, and a status sink and log that tests look through.
#pragma once

#include "broker/session/CPlatformHttpTransport.h"
#include "broker/session/CSessionManager.h"
#include "tests/support/CRecordingStatusSink.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qx::testsupport {

class CTestBrokerSession {
public:
    // The broker's clock moved by that many whole days (see DaysBackToWeekday).
    // and seconds (SecondsToNoon).
    explicit CTestBrokerSession(int clockShiftDays = 0, int64_t clockShiftSeconds = 0);
    // Statuses with that code the sink heard.
    int CountStatuses(int code) const;
    // Lines of the session's log.
    std::vector<std::string> Log() const;
    ~CTestBrokerSession();
    CTestBrokerSession(const CTestBrokerSession&) = delete;
    CTestBrokerSession& operator=(const CTestBrokerSession&) = delete;

    // Stocks of the simulated market (before Start; default 300).
    void SetStockCount(int count) { m_stockCount = count; }
    // Starts the broker and makes the manager; nothing is logged in yet.
    ::testing::AssertionResult Start();
    // Makes the manager the process-wide instance until Stop.
    void Install();
    // Logs in as the broker's user and waits for the login result and the market-data stream.
    ::testing::AssertionResult LogIn(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Logs out, drops the manager (and the instance) and stops the broker.
    void Stop();

    qx::testbroker::CTestBroker& Broker() { return *m_broker; }
    CSessionManager& Manager() { return *m_manager; }
    CRecordingStatusSink& Sink() { return m_sink; }
    int ClockShiftDays() const { return m_clockShiftDays; }
    // True when a line of the session's log holds the text.
    bool LogHas(const char* part) const;

private:
    const int m_clockShiftDays;
    const int64_t m_clockShiftSeconds;
    int m_stockCount = 300;
    std::unique_ptr<qx::testbroker::CTestBroker> m_broker;
    std::unique_ptr<CPlatformHttpTransport> m_http;
    std::unique_ptr<CSessionManager> m_manager;
    CRecordingStatusSink m_sink;
    bool m_installed = false;
    mutable std::mutex m_logLock;
    std::vector<std::string> m_log;
};

} // namespace qx::testsupport
