// The workstation when the server forgets its session: the login dialog comes once with the
// reason, and after the new login the windows' symbols stream again.
#include "ShellBrokerFixture.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "common/windows/ShellIds.h"

#include <gtest/gtest.h>

namespace {

class SessionLostFixture : public ShellBrokerFixture {};

// Logs in as demo at every prompt and keeps the prompts' messages.
class RelogApp : public CWorkstationApp {
public:
    std::vector<CString> messages;

protected:
    bool PromptLogin(CString& user, CString& password, bool& saveUser, const CString& message) override
    {
        messages.push_back(message);
        user = "demo";
        password = "demo";
        saveUser = true;
        return true;
    }
};

}  // namespace

TEST_F(SessionLostFixture, RefusedSessionOffersTheLoginOnceAndQuotesFlowAfterIt)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    RelogApp app;
    app.m_arguments = {"--home", m_home.Path()};
    ASSERT_TRUE(app.InitInstance());
    CSessionManager& session = *app.Session();
    CSymbolHandle handle(session.GetQuoteStore(), "MSFT");
    ASSERT_TRUE(handle.Subscribe());
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "MSFT", 10000));
    ASSERT_EQ(1u, app.messages.size());

    m_broker->RestartSessions();
    // The main frame hears it, offers the login with the reason, and the login goes through.
    ASSERT_TRUE(PumpUntil([&] { return app.messages.size() >= 2 && session.IsLoggedIn(); }, 20000));
    EXPECT_EQ(CString("The server ended the session. Please log in again."), app.messages[1]);
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "MSFT", 10000));
    ASSERT_TRUE(m_broker->InjectQuote("MSFT", {{kFieldBid, false, 123.25, {}}}));
    EXPECT_TRUE(PumpUntil([&] { return handle.GetDouble(kFieldBid) == 123.25; }, 10000));
    PumpFor(500);
    EXPECT_EQ(2u, app.messages.size()); // told once

    // The menu command logs in only when logged out.
    app.MainFrame()->SendMessage(WM_COMMAND, ID_LOG_IN_AGAIN);
    EXPECT_EQ(2u, app.messages.size());
    handle.Unsubscribe();
    CloseAndExit(app);
}
