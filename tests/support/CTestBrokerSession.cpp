#include "tests/support/CTestBrokerSession.h"

#include "broker/session/CTcpStreamConnection.h"
#include "tests/support/WaitUntil.h"

namespace qx::testsupport {

CTestBrokerSession::CTestBrokerSession(int clockShiftDays, int64_t clockShiftSeconds)
    : m_clockShiftDays(clockShiftDays), m_clockShiftSeconds(clockShiftSeconds)
{
}

int CTestBrokerSession::CountStatuses(int code) const
{
    int n = 0;
    for (const CSessionStatus& status : m_sink.Statuses())
        n += status.code == code;
    return n;
}

std::vector<std::string> CTestBrokerSession::Log() const
{
    std::lock_guard<std::mutex> lock(m_logLock);
    return m_log;
}

CTestBrokerSession::~CTestBrokerSession()
{
    Stop();
}

::testing::AssertionResult CTestBrokerSession::Start()
{
    qx::testbroker::TestBrokerOptions options;
    options.httpsPort = 0;
    options.streamPort = 0;
    options.startPaused = true;
    options.heartbeatMs = 200;
    options.clockShiftDays = m_clockShiftDays;
    options.clockShiftSeconds = m_clockShiftSeconds;
    options.stockCount = m_stockCount;
    m_broker = std::make_unique<qx::testbroker::CTestBroker>(options);
    std::string error;
    if (!m_broker->Start(error))
        return ::testing::AssertionFailure() << "test broker: " << error;

    CSessionConfig config;
    config.apiServer = m_broker->BaseUrl();
    config.historyServer = m_broker->BaseUrl();
    config.updateFile = m_broker->BaseUrl() + "/update/QxUpdate.xml";
    config.keepAliveMs = 300;
    config.retryMs = 200;
    m_http = std::make_unique<CPlatformHttpTransport>(CString(m_broker->CaFile()), 10000);
    m_manager = std::make_unique<CSessionManager>(CString(QX_TEST_SESSION_DIR), config, m_http.get(),
                                                  &CTcpStreamConnection::Create);
    m_manager->SetStatusWindow(&m_sink);
    m_manager->GetSession().SetLogger([this](const char* line) {
        std::lock_guard<std::mutex> lock(m_logLock);
        m_log.emplace_back(line);
    });
    return ::testing::AssertionSuccess();
}

void CTestBrokerSession::Install()
{
    CSessionManager::Install(m_manager.get());
    m_installed = true;
}

::testing::AssertionResult CTestBrokerSession::LogIn(std::chrono::milliseconds timeout)
{
    if (!m_manager)
        return ::testing::AssertionFailure() << "not started";
    const qx::testbroker::TestBrokerOptions& options = m_broker->Options();
    if (!m_manager->StartLogin(CString(options.user), CString(options.password)))
        return ::testing::AssertionFailure() << "the login did not start";
    if (!WaitUntil([&] { return m_sink.Has(kStatusLoginResult); }, timeout))
        return ::testing::AssertionFailure() << "no login result";
    const std::optional<CSessionStatus> result = m_sink.Find(kStatusLoginResult);
    if (!result->success)
        return ::testing::AssertionFailure() << "login failed: " << result->text.str();
    if (!WaitUntil([&] { return m_manager->IsStreamConnected(CBrokerSession::kStreamMarketData); }, timeout))
        return ::testing::AssertionFailure() << "the market-data stream did not connect";
    return ::testing::AssertionSuccess();
}

void CTestBrokerSession::Stop()
{
    if (m_manager)
        m_manager->LogOut();
    if (m_installed) {
        CSessionManager::Install(nullptr);
        m_installed = false;
    }
    m_manager.reset();
    m_http.reset();
    if (m_broker)
        m_broker->Stop();
}

bool CTestBrokerSession::LogHas(const char* part) const
{
    std::lock_guard<std::mutex> lock(m_logLock);
    for (const auto& line : m_log)
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace qx::testsupport
