// Login restarted in every order against the in-process test broker: after a failure, after a
// cancel, while the earlier login waits for a reply or between keep-alive retries.
#include "broker/session/CPlatformHttpTransport.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CTcpStreamConnection.h"
#include "tests/support/CRecordingStatusSink.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The real transport, with API requests that can be held at a gate or failed by name.
class CGatedTransport : public IHttpTransport {
public:
    explicit CGatedTransport(IHttpTransport& inner) : m_inner(inner) {}

    bool Perform(CHttpExchange& exchange) override
    {
        const std::string name = ApiName(exchange.url);
        {
            std::unique_lock<std::mutex> lock(m_lock);
            ++m_calls[name];
            if (m_failed.count(name)) {
                exchange.error = "HttpSendRequest error 12029";
                return false;
            }
            if (m_held.count(name)) {
                ++m_waiting[name];
                m_changed.notify_all();
                m_changed.wait(lock, [&] { return !m_held.count(name); });
                --m_waiting[name];
            }
        }
        return m_inner.Perform(exchange);
    }

    void Hold(const std::string& name)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_held.insert(name);
    }
    void Release(const std::string& name)
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_held.erase(name);
        }
        m_changed.notify_all();
    }
    void ReleaseAll()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_held.clear();
            m_failed.clear();
        }
        m_changed.notify_all();
    }
    void Fail(const std::string& name, bool fail)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (fail)
            m_failed.insert(name);
        else
            m_failed.erase(name);
    }
    // Waits until that many requests of the name wait at the gate.
    bool WaitForWaiting(const std::string& name, int count, std::chrono::milliseconds timeout = 10s)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, timeout, [&] { return m_waiting[name] >= count; });
    }
    int Calls(const std::string& name)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_calls[name];
    }

private:
    static std::string ApiName(const std::string& url)
    {
        const size_t start = url.find("/apps/100/");
        if (start == std::string::npos)
            return url;
        const size_t from = start + 10;
        return url.substr(from, url.find('?', from) == std::string::npos ? std::string::npos : url.find('?', from) - from);
    }

    IHttpTransport& m_inner;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::set<std::string> m_held;
    std::set<std::string> m_failed;
    std::map<std::string, int> m_waiting;
    std::map<std::string, int> m_calls;
};

// Runs the steps on their own thread; steps that hang (a deadlock) end the run with a failure
// instead of hanging it.
void RunWithWatchdog(const std::function<void()>& steps, std::chrono::seconds limit = 60s)
{
    auto done = std::async(std::launch::async, steps);
    if (done.wait_for(limit) != std::future_status::ready) {
        ADD_FAILURE() << "the steps did not finish within " << limit.count() << " s: the session hangs";
        std::fflush(stdout);
        std::_Exit(1); // the hung thread cannot be joined
    }
    done.get();
}

template <class F> std::chrono::milliseconds TimeOf(F&& step)
{
    const auto start = Clock::now();
    step();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

class LoginRestartTest : public ::testing::Test {
protected:
    void Start(int retryMs = 200)
    {
        qx::testbroker::TestBrokerOptions options;
        options.httpsPort = 0;
        options.streamPort = 0;
        options.startPaused = true;
        options.heartbeatMs = 200;
        m_broker = std::make_unique<qx::testbroker::CTestBroker>(options);
        std::string error;
        ASSERT_TRUE(m_broker->Start(error)) << error;
        CSessionConfig config;
        config.apiServer = m_broker->BaseUrl();
        config.historyServer = m_broker->BaseUrl();
        config.updateFile = m_broker->BaseUrl() + "/update/QxUpdate.xml";
        config.keepAliveMs = 300;
        config.retryMs = retryMs;
        m_http = std::make_unique<CPlatformHttpTransport>(CString(m_broker->CaFile()), 10000);
        m_gate = std::make_unique<CGatedTransport>(*m_http);
        m_manager = std::make_unique<CSessionManager>(CString(), config, m_gate.get(), &CTcpStreamConnection::Create);
        m_manager->SetStatusWindow(&m_sink);
        m_manager->GetSession().SetLogger([](const char*) {});
    }

    void TearDown() override
    {
        if (m_gate)
            m_gate->ReleaseAll();
        if (m_manager)
            m_manager->LogOut();
        m_manager.reset();
        m_gate.reset();
        m_http.reset();
        if (m_broker)
            m_broker->Stop();
    }

    int LoginResults() const
    {
        int n = 0;
        for (const auto& status : m_sink.Statuses())
            n += status.code == kStatusLoginResult;
        return n;
    }
    std::optional<CSessionStatus> LastLoginResult() const
    {
        std::optional<CSessionStatus> last;
        for (const auto& status : m_sink.Statuses())
            if (status.code == kStatusLoginResult)
                last = status;
        return last;
    }
    bool WaitForLoginResults(int count) const
    {
        return qx::testsupport::WaitUntil([&] { return LoginResults() >= count; }, 15s);
    }
    bool WaitForConnectedSession() const
    {
        return qx::testsupport::WaitUntil(
            [&] {
                return m_manager->IsLoggedIn() && m_manager->IsStreamConnected(CBrokerSession::kStreamMarketData);
            },
            15s);
    }
    // No late result of an earlier attempt changes the state afterwards.
    void ExpectStaysLoggedOut()
    {
        std::this_thread::sleep_for(500ms);
        EXPECT_FALSE(m_manager->IsLoggedIn());
        EXPECT_FALSE(m_manager->GetSession().IsLoggedIn());
    }

    std::unique_ptr<qx::testbroker::CTestBroker> m_broker;
    std::unique_ptr<CPlatformHttpTransport> m_http;
    std::unique_ptr<CGatedTransport> m_gate;
    std::unique_ptr<CSessionManager> m_manager;
    qx::testsupport::CRecordingStatusSink m_sink;
};

} // namespace

TEST_F(LoginRestartTest, FailedLoginsCanBeRetriedUntilTheRightPassword)
{
    Start();
    RunWithWatchdog([&] {
        m_broker->RejectLogins(1, "The service is busy.");
        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitForLoginResults(1));
        EXPECT_FALSE(LastLoginResult()->success);
        EXPECT_EQ(LastLoginResult()->text, "The service is busy.");

        m_broker->SetPassword("secret");
        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitForLoginResults(2));
        EXPECT_FALSE(LastLoginResult()->success);
        EXPECT_EQ(LastLoginResult()->text, "Invalid user name or password.");
        EXPECT_FALSE(m_manager->IsLoggedIn());

        ASSERT_TRUE(m_manager->StartLogin("demo", "secret"));
        ASSERT_TRUE(WaitForConnectedSession());
        ASSERT_TRUE(WaitForLoginResults(3));
        EXPECT_TRUE(LastLoginResult()->success);
        // A logged-in session refuses another login.
        EXPECT_FALSE(m_manager->StartLogin("demo", "secret"));
        EXPECT_TRUE(qx::testsupport::WaitUntil([&] { return m_broker->KeepAliveCount() >= 1; }, 10s));
    });
}

TEST_F(LoginRestartTest, RestartBeforeTheFailureWasAppliedLogsIn)
{
    Start();
    RunWithWatchdog([&] {
        // The second start comes while the first attempt's failure may still be on its way.
        ASSERT_TRUE(m_manager->StartLogin("demo", "wrong"));
        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitForConnectedSession());
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(LastLoginResult().has_value());
        EXPECT_TRUE(LastLoginResult()->success);
        EXPECT_TRUE(m_manager->IsLoggedIn());
    });
}

TEST_F(LoginRestartTest, SecondStartWhileTheFirstWaitsForItsReplyReplacesIt)
{
    Start();
    RunWithWatchdog([&] {
        m_gate->Hold("LogIn");
        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(m_gate->WaitForWaiting("LogIn", 1));
        const auto restart = TimeOf([&] { EXPECT_TRUE(m_manager->StartLogin("demo", "demo")); });
        EXPECT_LT(restart, 1000ms) << "the restart waited for the blocked login";
        ASSERT_TRUE(m_gate->WaitForWaiting("LogIn", 2));
        m_gate->Release("LogIn");
        ASSERT_TRUE(WaitForConnectedSession());
        std::this_thread::sleep_for(500ms);
        // Only the second attempt reports; the replaced one ends quietly.
        EXPECT_EQ(LoginResults(), 1);
        EXPECT_TRUE(LastLoginResult()->success);

        const auto logout = TimeOf([&] { m_manager->LogOut(); });
        EXPECT_LT(logout, 5000ms);
        ExpectStaysLoggedOut();
    });
}

TEST_F(LoginRestartTest, CancelDuringAStalledLoginThenLogInAgain)
{
    Start();
    RunWithWatchdog([&] {
        m_gate->Hold("LogIn");
        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(m_gate->WaitForWaiting("LogIn", 1));
        const auto cancel = TimeOf([&] { m_manager->LogOut(); });
        EXPECT_LT(cancel, 1000ms) << "the cancel waited for the blocked login";
        // The cancelled attempt gets its reply only now and must not log the session in.
        m_gate->Release("LogIn");
        ExpectStaysLoggedOut();
        EXPECT_EQ(LoginResults(), 0);

        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitForConnectedSession());
        ASSERT_TRUE(WaitForLoginResults(1));
        EXPECT_TRUE(LastLoginResult()->success);
    });
}

TEST_F(LoginRestartTest, CancelWhileTheLoginResultIsOnItsWayThenLogInAgain)
{
    Start();
    RunWithWatchdog([&] {
        // The streams hold back every byte, so the login result is applied but no stream connects.
        m_broker->StallStreams(true);
        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitForLoginResults(1));
        EXPECT_TRUE(LastLoginResult()->success);
        const auto cancel = TimeOf([&] { m_manager->LogOut(); });
        EXPECT_LT(cancel, 10000ms);
        ExpectStaysLoggedOut();
        m_broker->StallStreams(false);

        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitForConnectedSession());
    });
}

TEST_F(LoginRestartTest, LogOutInterruptsTheKeepAliveRetryWait)
{
    Start(3000);
    RunWithWatchdog([&] {
        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitForConnectedSession());
        // Keep-alives fail from now on: the login thread waits 3 s between retries.
        const int before = m_gate->Calls("KeepAlive");
        m_gate->Fail("KeepAlive", true);
        ASSERT_TRUE(qx::testsupport::WaitUntil([&] { return m_gate->Calls("KeepAlive") > before; }, 10s));
        std::this_thread::sleep_for(100ms);
        const auto logout = TimeOf([&] { m_manager->LogOut(); });
        EXPECT_LT(logout, 2000ms) << "the log-out waited out the retry wait";
        ExpectStaysLoggedOut();
        m_gate->Fail("KeepAlive", false);

        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitForConnectedSession());
    });
}

TEST_F(LoginRestartTest, RepeatedStartAndLogOutCyclesEndLoggedOutOrIn)
{
    Start();
    RunWithWatchdog([&] {
        for (int cycle = 0; cycle < 9; ++cycle) {
            SCOPED_TRACE(cycle);
            const int results = LoginResults();
            ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
            if (cycle % 3 == 1) {
                ASSERT_TRUE(WaitForLoginResults(results + 1));
            } else if (cycle % 3 == 2) {
                ASSERT_TRUE(WaitForConnectedSession());
            }
            m_manager->LogOut();
            EXPECT_FALSE(m_manager->IsLoggedIn());
        }
        ExpectStaysLoggedOut();

        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitForConnectedSession());
        EXPECT_TRUE(qx::testsupport::WaitUntil([&] { return m_broker->KeepAliveCount() >= 1; }, 10s));
    });
}
