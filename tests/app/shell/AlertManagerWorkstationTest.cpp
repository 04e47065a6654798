// Alerts in the running workstation against the test broker: an alert made in the Alert
// Manager through the formula wizard fires on the broker's price, shows its popup, and
// "Place Order" sends its order to the broker; the list follows; the history exports as
// RFC 4180 text; the alert e-mail and the test e-mail reach an SMTP server on loopback,
// and a failed alert e-mail is told.
#include "WorkstationFixture.h"

#include "alerts/CAlertBook.h"
#include "alerts/CPriceAlert.h"
#include "alerts/ui/AlertUiIds.h"
#include "alerts/ui/CAlertPopupDlg.h"
#include "alerts/ui/CEmailSettingsPage.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "alerts/ui/EditAlertList.h"
#include "app/shell/CPreferencesSheet.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CStatusBar.h"
#include "tests/alerts/mail/SmtpTestServer.h"
#include "tests/trading/ui/UiDriving.h"
#include "tools/testbroker/OrderString.h"
#include "trading/OrderFormIds.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace {

using Fields = std::map<std::string, std::string>;

// The order string of the test broker's record of a request.
Fields FieldsOf(const qx::testbroker::ReceivedOrderRequest& request)
{
    Fields fields;
    std::string error;
    EXPECT_TRUE(qx::testbroker::ParseOrderString(request.orderString, fields, error)) << error;
    return fields;
}

// Python's csv module in strict mode reads the file: one line per record, fields joined
// by "|" (an independent RFC 4180 reader).
std::string ReadCsvWithPython(const std::string& path)
{
    const std::string command = "/usr/bin/python3 -c \"import csv,sys\n"
                                "with open(sys.argv[1], newline='') as f:\n"
                                "    for row in csv.reader(f, strict=True): print('|'.join(row))\" " +
                                path + " 2>&1";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

class AlertManagerWorkstation : public WorkstationFixture {
protected:
    EditAlertList& OpenAlertManager(CWorkstationApp& app)
    {
        CDocument* doc = app.OpenWindowOfKind(kKindAlertManager, false);
        auto* view = doc ? dynamic_cast<EditAlertList*>(doc->GetFirstView()) : nullptr;
        EXPECT_NE(view, nullptr);
        return *view;
    }
    static void Command(CWnd& view, UINT id) { view.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0); }
    // A price alert on the symbol made in the wizard from the Alert Manager.
    static void AddPriceAlert(EditAlertList& view, const char* symbol, const char* target, bool order)
    {
        uitest::WhenModalIs<CTradeAlertSetupDlg>([=](CTradeAlertSetupDlg& d) {
            uitest::Type(d, 1503, symbol);
            ASSERT_TRUE(uitest::Choose(d, 1501, "Basic"));
            ASSERT_TRUE(uitest::Choose(d, 1510, "Last"));
            ASSERT_TRUE(uitest::Choose(d, 1514, ">="));
            uitest::Type(d, 1518, target);
            if (order) {
                uitest::Click(d, 1581);
                ASSERT_TRUE(uitest::Choose(d, order_ids::kOrderType, "Limit"));
                uitest::Type(d, order_ids::kQuantity, "10");
                uitest::Type(d, order_ids::kPrice, "1.25");
            }
            uitest::Click(d, IDOK);
        });
        Command(view, ID_ALERT_ADD);
    }
};

}  // namespace

TEST_F(AlertManagerWorkstation, AnAlertMadeInTheManagerFiresShowsItsPopupAndPlacesItsOrder)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    app.Settings().m_tradingDefaults.Row(1).programTrading = 1;  // "Place Order"
    app.Settings().m_tradingDefaults.Row(1).confirmOrders = 0;
    EditAlertList& view = OpenAlertManager(app);
    CAlertListCtrl& list = view.GetList();
    AddPriceAlert(view, "msft", "600", true);
    ASSERT_TRUE(PumpUntil([&] { return list.GetItemCount() == 1; }));
    EXPECT_EQ(list.GetItemText(0, 0), "MSFT");
    EXPECT_EQ(list.GetItemText(0, 1), "Last >= 600");
    EXPECT_EQ(list.GetItemText(0, 2).Left(30), "Buy 10 shares, Limit Order, Pr");
    EXPECT_EQ(list.GetItemText(0, 3), "");
    ASSERT_TRUE(m_broker->WaitForSubscription(0, "MSFT", 5000));

    // The broker's price crosses the target: the popup shows the firing; Place Order.
    CString popupText;
    uitest::WhenModalIs<CAlertPopupDlg>([&](CAlertPopupDlg& d) {
        popupText = d.GetWindowText() + "|" + uitest::Text(d, IDC_POPUP_SYMBOL) + "|" +
                    uitest::Text(d, IDC_POPUP_PRICE) + "|" + uitest::Text(d, IDC_POPUP_ORDER).Left(13);
        uitest::Click(d, IDOK);
    });
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 601.0, 100));
    ASSERT_TRUE(PumpUntil([&] { return !m_broker->OrderRequests().empty(); }, 15000));
    EXPECT_EQ(popupText, "Alert - MSFT|MSFT|Price: 601.00|Buy 10 shares");
    const auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].name, "EquityTrade");
    const Fields fields = FieldsOf(requests[0]);
    EXPECT_EQ(fields.at("action"), "buy");
    EXPECT_EQ(fields.at("quantity"), "10");
    EXPECT_EQ(fields.at("symbol"), "MSFT");
    EXPECT_EQ(fields.at("ordtype"), "limit");
    EXPECT_EQ(fields.at("price"), "1.25");

    // The list shows the firing; pause, resume and delete act on it.
    ASSERT_TRUE(PumpUntil([&] { return list.GetItemText(0, 3).Find(" @ 601.00") > 0; }));
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    Command(view, ID_ALERT_PAUSE);
    ASSERT_TRUE(PumpUntil([&] { return list.GetItemText(0, 4) == "Paused"; }));

    // The history as RFC 4180 text, read back by Python's csv module.
    const std::string csv = m_home.File("SpreadSheets/history.csv");
    m_responder->files = {CString(csv)};
    Command(view, ID_ALERT_EXPORT_HISTORY);
    const std::string rows = ReadCsvWithPython(csv);
    const CString date = CAlertBook::Instance()->At(0)->GetHistory().at(0).m_date;
    EXPECT_EQ(rows, "Date|Symbol|Description|Price\n" + date.str() + "|MSFT|Last >= 600|601.00\n");

    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    Command(view, ID_ALERT_DELETE);
    ASSERT_TRUE(PumpUntil([&] { return list.GetItemCount() == 0; }));
    EXPECT_EQ(CAlertBook::Instance()->Count(), 0u);
    CloseAndExit(app);
    // Saved at once on each change: the file holds no alert.
    EXPECT_EQ(m_home.Read("alerts.xml").find("<Alert>"), std::string::npos);
}

TEST_F(AlertManagerWorkstation, AFiredAlertIsMailedAndAFailedMailIsTold)
{
    ScratchFolder mailFolder("mail");
    SmtpTestServer server;
    SmtpTestServer::Options options;
    ASSERT_TRUE(server.Start(options, mailFolder.File("in")));
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CAppSettings& settings = app.Settings();
    settings.m_bEmailAlerts = true;
    settings.m_alertEmailAddr = "trader@example.com";
    settings.m_smtpServer = "127.0.0.1";
    settings.m_nSmtpPort = server.Port();
    EditAlertList& view = OpenAlertManager(app);
    AddPriceAlert(view, "IBM", "500", false);
    ASSERT_TRUE(PumpUntil([&] { return view.GetList().GetItemCount() == 1; }));
    ASSERT_TRUE(m_broker->WaitForSubscription(0, "IBM", 5000));

    uitest::WhenModalIs<CAlertPopupDlg>([](CAlertPopupDlg& d) { uitest::Click(d, IDCANCEL); });
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 501.5, 100));
    ASSERT_TRUE(PumpUntil([&] { return server.Received().size() == 1; }, 20000));
    auto mail = server.Received()[0];
    EXPECT_EQ(mail["subject"], "Quorvantelix Alert: IBM Last >= 500");
    EXPECT_EQ(mail["rcpt_tos"], "trader@example.com");
    const std::string body = mail["part-1.payload"];
    EXPECT_EQ(body.substr(0, body.find("Time:")), "Symbol: IBM\r\nCondition: Last >= 500\r\nPrice: 501.50\r\n");
    EXPECT_NE(body.find("Order: None\r\n"), std::string::npos) << body;
    PumpFor(300);
    EXPECT_EQ(server.Received().size(), 1u);  // one firing, one e-mail

    // With the server gone the next firing's e-mail fails: the status bar and the
    // alert's row tell it.
    server.Stop();
    view.GetList().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    Command(view, ID_ALERT_RESET);
    uitest::WhenModalIs<CAlertPopupDlg>([](CAlertPopupDlg& d) { uitest::Click(d, IDCANCEL); });
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 502.0, 100));
    CStatusBar* bar = app.MainFrame()->GetStatusBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return bar->GetPaneText(0).Find("The alert e-mail for IBM was not sent") == 0; },
                          20000))
        << bar->GetPaneText(0).str();
    ASSERT_TRUE(PumpUntil([&] { return view.GetList().GetItemText(0, 3).Find("e-mail not sent") > 0; }));
    CloseAndExit(app);
    EXPECT_NE(m_home.Read("alerts.xml").find("note=\"e-mail not sent: "), std::string::npos);
}

TEST_F(AlertManagerWorkstation, TheEmailPageSendsATestEmailAndShowsTheOutcome)
{
    ScratchFolder mailFolder("mail");
    SmtpTestServer server;
    ASSERT_TRUE(server.Start(SmtpTestServer::Options(), mailFolder.File("in")));
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    bool tested = false;
    uitest::WhenModalIs<CPreferencesSheet>([&](CPreferencesSheet& sheet) {
        auto* page = dynamic_cast<CEmailSettingsPage*>(sheet.GetPage(2));
        ASSERT_NE(page, nullptr);
        sheet.SetActivePage(2);
        uitest::Type(*page, IDC_EMAIL_ADDRESS, "me@example.com");
        uitest::Type(*page, IDC_EMAIL_SERVER, "127.0.0.1");
        uitest::Type(*page, IDC_EMAIL_PORT, std::to_string(server.Port()).c_str());
        uitest::Click(*page, IDC_EMAIL_TEST);
        EXPECT_TRUE(page->IsTesting());
        EXPECT_FALSE(uitest::Enabled(*page, IDC_EMAIL_TEST));
        tested = PumpUntil([&] { return !page->IsTesting(); }, 20000);
        EXPECT_EQ(uitest::Text(*page, IDC_EMAIL_STATUS), "The test e-mail was sent to me@example.com.");
        // A server nobody answers on: the reason is shown.
        uitest::Type(*page, IDC_EMAIL_PORT, "1");
        uitest::Click(*page, IDC_EMAIL_TEST);
        PumpUntil([&] { return !page->IsTesting(); }, 20000);
        EXPECT_EQ(uitest::Text(*page, IDC_EMAIL_STATUS).Find("The test e-mail was not sent: Cannot connect"), 0)
            << uitest::Text(*page, IDC_EMAIL_STATUS).str();
        uitest::Type(*page, IDC_EMAIL_PORT, std::to_string(server.Port()).c_str());
        sheet.PressOK();
    });
    app.MainFrame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_PREFERENCES, 0), 0);
    EXPECT_TRUE(tested);
    ASSERT_EQ(server.Received().size(), 1u);
    EXPECT_EQ(server.Received()[0]["subject"], "BRENHALVIK Quorvantelix Test Alert");
    EXPECT_EQ(server.Received()[0]["part-1.payload"],
              "This is a test alert sent from Quorvantelix to confirm your email settings.\r\n");
    EXPECT_EQ(app.Settings().m_alertEmailAddr, "me@example.com");
    EXPECT_EQ(app.Settings().m_nSmtpPort, server.Port());
    ASSERT_GE(m_responder->boxes.size(), 2u);
    CloseAndExit(app);
}
