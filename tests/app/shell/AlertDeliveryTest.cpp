// Alerts in the running workstation: alerts.xml loaded before the windows, activated after
// login, fired by the market and shown in their popup, saved at exit; fills of orders
// shown as notifications; the session's order questions asked through message boxes.
#include "ShellBrokerFixture.h"

#include "alerts/ui/CAlertPopupDlg.h"
#include "tests/trading/ui/UiDriving.h"

#include "alerts/CAlertBook.h"
#include "alerts/COrderFillAlert.h"
#include "alerts/CPriceAlert.h"
#include "alerts/IAlertHost.h"
#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/IStreamSubscriber.h"
#include "platform/ui/CStatusBar.h"
#include "tests/support/OrderLegs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char* const kPriceAlertFile =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Alerts>\r\n<Version>19</Version>\r\n"
    "<AlertHours><CheckTime>0</CheckTime><FromHour>9</FromHour><FromMinute>30</FromMinute><ToHour>16</ToHour>"
    "<ToMinute>0</ToMinute></AlertHours>\r\n"
    "<Alert>\r\n<Type>0</Type>\r\n<IsTriggered>0</IsTriggered>\r\n<Paused>0</Paused>\r\n<Symbol>IBM</Symbol>\r\n"
    "<History>\r\n</History>\r\n<File></File>\r\n<Column>3</Column>\r\n<Target>500.000000</Target>\r\n"
    "<Direction>0</Direction>\r\n</Alert>\r\n</Alerts>";

class AlertWorkstation : public ShellBrokerFixture {
protected:
    void SetUp() override
    {
        ShellBrokerFixture::SetUp();
        m_responder = std::make_unique<CScopedUiResponder>(std::make_unique<RecordingResponder>(&m_boxes));
    }
    void TearDown() override
    {
        m_responder.reset();
        ShellBrokerFixture::TearDown();
    }

    bool Start(CWorkstationApp& app)
    {
        app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
        return app.InitInstance();
    }

    const RecordedBox* FindBox(const char* caption) const
    {
        for (const RecordedBox& box : m_boxes)
            if (box.caption == caption)
                return &box;
        return nullptr;
    }

    std::unique_ptr<CScopedUiResponder> m_responder;
};

}  // namespace

TEST_F(AlertWorkstation, StoredPriceAlertFiresOnceIsShownAndIsSavedTriggered)
{
    m_home.Write("alerts.xml", kPriceAlertFile);
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CAlertBook* book = CAlertBook::Instance();
    ASSERT_NE(book, nullptr);
    ASSERT_EQ(book->Count(), 1u);
    CAlert& alert = *book->At(0);
    ASSERT_TRUE(PumpUntil([&] { return app.IsAlertActivationDone(); }));
    ASSERT_TRUE(m_broker->WaitForSubscription(0, "IBM", 5000));

    // Every popup is read and dismissed as it comes.
    auto popups = std::make_shared<std::vector<CString>>();
    const std::function<bool(QWidget*)> dismiss = [popups](QWidget* w) {
        auto* popup = dynamic_cast<CAlertPopupDlg*>(CWnd::FromWidget(w));
        if (!popup)
            return false;
        popups->push_back(popup->GetWindowText() + "|" + uitest::Text(*popup, IDC_POPUP_CONDITION) + "|" +
                          uitest::Text(*popup, IDC_POPUP_PRICE));
        uitest::Click(*popup, IDCANCEL);
        return true;
    };
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 499.0, 100));
    PumpFor(200);
    EXPECT_EQ(alert.GetTriggerState(), 0);

    uitest::WhenModal(dismiss);
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 501.5, 100));
    ASSERT_TRUE(PumpUntil([&] { return !popups->empty(); }));
    EXPECT_EQ(popups->front(), "Alert - IBM|Last >= 500|Price: 501.50");
    EXPECT_EQ(alert.GetTriggerState(), 1);
    ASSERT_EQ(alert.GetHistory().size(), 1u);
    EXPECT_DOUBLE_EQ(alert.GetHistory()[0].m_price, 501.5);
    EXPECT_NE(app.MainFrame()->GetTrayIcon().GetLastBalloonText().Find("501.50"), -1);

    // Triggered: later quotes show nothing more.
    uitest::WhenModal(dismiss, 100);
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 510.0, 100));
    PumpFor(600);
    EXPECT_EQ(popups->size(), 1u);

    CloseAndExit(app);
    const std::string saved = m_home.Read("alerts.xml");
    EXPECT_NE(saved.find("<IsTriggered>1</IsTriggered>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Date price=\"501.50\">"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Symbol>IBM</Symbol>"), std::string::npos);
}

TEST_F(AlertWorkstation, FilledOrderIsShownAsANotificationAndCancelIsAsked)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CBrokerSession& session = app.Session()->GetSession();
    const CString account = session.GetCurrentAccount();
    ASSERT_FALSE(account.IsEmpty());
    // The broker tells of a fill only to the streams listening to the account by then.
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceAccount, account.str(), 30000));

    CString error;
    ASSERT_TRUE(session.SubmitOrder({qx::testsupport::DayOrderLeg("INTC", 100, "Market")}, 0, -1, 1, "QXVEL", account,
                                    error))
        << error.str();
    CMainFrame* frame = app.MainFrame();
    ASSERT_TRUE(PumpUntil([&] { return frame->GetTrayIcon().GetLastBalloonText().Find("INTC") >= 0; }, 10000));
    const CString fill = frame->GetTrayIcon().GetLastBalloonText();
    EXPECT_NE(fill.Find("100"), -1) << fill.str();
    ASSERT_NE(frame->GetStatusBar(), nullptr);
    EXPECT_EQ(frame->GetStatusBar()->GetPaneText(0), fill);
    EXPECT_EQ(frame->GetAlertQueueSize(), 0u);  // shown and freed

    // The recording responder answers No: nothing is cancelled.
    CString cancelError;
    EXPECT_FALSE(session.CancelOrders({"no-such-order"}, cancelError));
    ASSERT_FALSE(m_boxes.empty());
    EXPECT_EQ(m_boxes.back().text, "Cancel order?");
    CloseAndExit(app);
}

TEST_F(AlertWorkstation, AlertDeletedBeforeItsDeliveryIsNotShownAndLateNotificationsAreFreed)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CAlertBook* book = CAlertBook::Instance();
    ASSERT_NE(book, nullptr);
    const AlertId id = book->Add(std::make_unique<CPriceAlert>());
    CAlert* alert = book->At(book->Count() - 1);
    alert->m_symbol = "IBM";
    IAlertHost* host = GetAlertHost();
    ASSERT_NE(host, nullptr);
    auto shown = std::make_shared<int>(0);
    uitest::WhenModal(
        [shown](QWidget* w) {
            auto* popup = dynamic_cast<CAlertPopupDlg*>(CWnd::FromWidget(w));
            if (popup) {
                ++*shown;
                uitest::Click(*popup, IDCANCEL);
            }
            return popup != nullptr;
        },
        100);
    host->DeliverAlert(std::make_unique<CAlertEvent>(), alert);
    book->Remove(id);  // deleted by the user before the main frame gets to it
    host->DeliverAlert(nullptr, new COrderFillAlert("IBM", "Bought 5 IBM @ 1.00"));
    ASSERT_TRUE(PumpUntil([&] { return app.MainFrame()->GetTrayIcon().GetLastBalloonText() == "Bought 5 IBM @ 1.00"; }));
    PumpFor(100);
    EXPECT_EQ(*shown, 0);
    EXPECT_EQ(app.MainFrame()->GetAlertQueueSize(), 0u);

    CloseAndExit(app);
    // The main frame is gone: a late notification is freed at once (the leak check sees it).
    host->DeliverAlert(nullptr, new COrderFillAlert("IBM", "late"));
}
