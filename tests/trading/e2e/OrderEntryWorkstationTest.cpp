// Order entry in the running workstation against the test broker: the ticket opened with
// a prefilled leg, the ticket window, conditional and two-account orders, and an alert set
// up in the formula wizard that places its order when it fires. The broker's record of
// the requests it received is compared field by field with the order string.
#include "tests/app/shell/WorkstationFixture.h"
#include "tests/trading/ui/UiDriving.h"

#include "alerts/CAlertBook.h"
#include "alerts/CPriceAlert.h"
#include "alerts/ui/CAlertPopupDlg.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "app/shell/CMainFrame.h"
#include "app/shell/CPreferencesSheet.h"
#include "app/shell/CWorkstationApp.h"
#include "common/windows/ShellIds.h"
#include "tools/testbroker/OrderString.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/CApiSettingsDlg.h"
#include "trading/ui/COrderPropertySheet.h"
#include "trading/ui/COrderView.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace order_ids;
using Fields = std::map<std::string, std::string>;

namespace {

// Every key of one leg of the order string, empty where the order type sends nothing.
Fields LegFields(const std::string& suffix, const char* action, const char* quantity, const char* symbol,
                 const char* type, const char* price)
{
    return {{"action" + suffix, action},      {"quantity" + suffix, quantity}, {"symbol" + suffix, symbol},
            {"ordtype" + suffix, type},       {"price" + suffix, price},       {"actprice" + suffix, ""},
            {"tsparam" + suffix, ""},         {"expire" + suffix, "day"},      {"spinstructions" + suffix, "none"},
            {"routing" + suffix, "auto"},     {"exmonth" + suffix, ""},        {"exday" + suffix, ""},
            {"exyear" + suffix, ""}};
}

Fields Merge(Fields a, const Fields& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

class OrderEntryWorkstation : public WorkstationFixture {
protected:
    // The fields of the request, checked to be an order string.
    Fields FieldsOf(const qx::testbroker::ReceivedOrderRequest& request)
    {
        Fields fields;
        std::string error;
        EXPECT_TRUE(qx::testbroker::ParseOrderString(request.orderString, fields, error)) << error;
        return fields;
    }
    COrderView& OpenTicketWindow(CWorkstationApp& app)
    {
        CDocument* doc = app.OpenWindowOfKind(kKindTradeTicket, false);
        auto* view = doc ? dynamic_cast<COrderView*>(doc->GetFirstView()) : nullptr;
        EXPECT_NE(view, nullptr);
        return *view;
    }
    void FillLeg(CWnd& page, int leg, const char* action, const char* symbol, const char* quantity, const char* type,
                 const char* price)
    {
        const UINT i = static_cast<UINT>(leg);
        ASSERT_TRUE(uitest::Choose(page, kAction + i, action)) << action;
        uitest::Type(page, kSymbol + i, symbol);
        uitest::LeaveField(page, kSymbol + i);
        uitest::Type(page, kQuantity + i, quantity);
        ASSERT_TRUE(uitest::Choose(page, kOrderType + i, type)) << type;
        uitest::Type(page, kPrice + i, price);
    }
};

}  // namespace

TEST_F(OrderEntryWorkstation, TheTicketOpenedWithALegPlacesALimitBuy)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    COrderRecord record(0);
    record.symbol = "MSFT";
    record.quantity = 100;
    record.price = 1.25;
    bool shown = false;
    uitest::WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        shown = true;
        COrderPage* page = sheet.GetActiveOrderPage();
        ASSERT_EQ(page, &sheet.GetStockPage());
        EXPECT_EQ(uitest::Text(*page, kSymbol), "MSFT");
        EXPECT_EQ(uitest::Text(*page, kQuantity), "100");
        EXPECT_EQ(uitest::Text(*page, kPrice), "1.25");
        EXPECT_EQ(uitest::Text(*page, kOrderType), "Limit");
        EXPECT_EQ(uitest::Text(*page, kAction), "Buy");
        uitest::Click(*page, kPlace);
    });
    EXPECT_TRUE(OpenTradeTicket(record, app.MainFrame()));
    EXPECT_TRUE(shown);
    ASSERT_FALSE(m_responder->boxes.empty());
    EXPECT_EQ(m_responder->boxes.back().text,
              "Buy 100 shares of MSFT, Limit Order, Price: 1.25\r\nExpiration: DAY, Instructions: None, Routing: "
              "Auto\r\n\r\nAccount: Individual\r\nPlace Order?");

    const auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].name, "EquityTrade");
    EXPECT_EQ(requests[0].source, "QXVEL");
    EXPECT_EQ(FieldsOf(requests[0]),
              Merge({{"accountid", "10000001"}}, LegFields("", "buy", "100", "MSFT", "limit", "1.25")));
    const auto orders = m_broker->Orders("10000001");
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0].status, "Open");
    EXPECT_EQ(orders[0].leg.quantity, 100);
    CloseAndExit(app);
}

TEST_F(OrderEntryWorkstation, AnOptionOrderGoesOutAsAnOptionTrade)
{
    std::string option;
    for (const std::string& symbol : m_broker->Symbols())
        if (symbol.rfind("+MSFT", 0) == 0 && symbol.find('C', 5) != std::string::npos) {
            option = symbol;
            break;
        }
    ASSERT_FALSE(option.empty());
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    COrderRecord record(1);
    record.symbol = option.c_str();
    record.quantity = 2;
    record.price = 0.05;
    uitest::WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        COrderPage* page = sheet.GetActiveOrderPage();
        ASSERT_EQ(page, &sheet.GetOptionPage());
        EXPECT_EQ(uitest::Text(*page, kAction), "Buy to Open");
        EXPECT_EQ(uitest::Text(*page, kQuantityLabel), "Contracts:");
        uitest::Click(*page, kPlace);
    });
    EXPECT_TRUE(OpenTradeTicket(record, app.MainFrame()));
    ASSERT_FALSE(m_responder->boxes.empty());
    EXPECT_NE(m_responder->boxes.back().text.Find("Buy to Open 2 contracts of MSFT "), -1)
        << m_responder->boxes.back().text.str();
    EXPECT_NE(m_responder->boxes.back().text.Find(" Call, Limit Order, Price: 0.05"), -1);
    const auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].name, "OptionTrade");
    EXPECT_EQ(FieldsOf(requests[0]),
              Merge({{"accountid", "10000001"}}, LegFields("", "buytoopen", "2", option.c_str(), "limit", "0.05")));
    ASSERT_EQ(m_broker->Orders("10000001").size(), 1u);
    CloseAndExit(app);
}

TEST_F(OrderEntryWorkstation, TheTicketWindowPlacesAConditionalAndATwoAccountOrder)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    COrderView& view = OpenTicketWindow(app);
    COrderPropertySheet& sheet = view.GetSheet();

    // One triggers another: buy, then sell what was bought.
    ASSERT_TRUE(sheet.SetActivePage(&sheet.GetConditionalPage()));
    CConditionalOrderForm& conditional = sheet.GetConditionalPage();
    ASSERT_TRUE(uitest::Choose(conditional, kConditionalType, "One Triggers Another (OTA)"));
    FillLeg(conditional, 0, "Buy", "MSFT", "100", "Limit", "1.25");
    FillLeg(conditional, 1, "Sell", "MSFT", "100", "Limit", "999");
    uitest::Click(conditional, kPlace);
    auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u) << m_responder->LastText().str();
    EXPECT_EQ(requests[0].name, "ConditionalEquityTrade");
    EXPECT_EQ(FieldsOf(requests[0]),
              Merge(Merge({{"accountid", "10000001"}, {"ordticket", "ota"}, {"totlegs", "2"}},
                          LegFields("1", "buy", "100", "MSFT", "limit", "1.25")),
                    LegFields("2", "sell", "100", "MSFT", "limit", "999.00")));
    EXPECT_EQ(m_broker->Orders("10000001").size(), 2u);
    // The window's form is cleared for the next order.
    EXPECT_EQ(uitest::Text(conditional, kSymbol), "");

    // The same order to both accounts: one request each.
    m_broker->ClearOrderRequests();
    ASSERT_TRUE(sheet.SetActivePage(&sheet.GetStockPage()));
    COrderForm& stock = sheet.GetStockPage();
    ASSERT_TRUE(uitest::Choose(stock, kAccount, "All"));
    FillLeg(stock, 0, "Buy", "IBM", "10", "Limit", "2");
    uitest::Click(stock, kPlace);
    EXPECT_NE(m_responder->LastText().Find("Account: Individual, IRA\r\n"), -1) << m_responder->LastText().str();
    requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 2u);
    const Fields leg = LegFields("", "buy", "10", "IBM", "limit", "2.00");
    EXPECT_EQ(FieldsOf(requests[0]), Merge({{"accountid", "10000001"}}, leg));
    EXPECT_EQ(FieldsOf(requests[1]), Merge({{"accountid", "10000002"}}, leg));
    EXPECT_EQ(m_broker->Orders("10000002").size(), 1u);

    // A refused order says why and leaves the form as it was.
    m_broker->ClearOrderRequests();
    FillLeg(stock, 0, "Sell", "IBM", "1,000,000", "Market", "");
    ASSERT_TRUE(uitest::Choose(stock, kAccount, "Active"));
    uitest::Click(stock, kPlace);
    EXPECT_EQ(m_broker->OrderRequests().size(), 1u);
    EXPECT_EQ(m_responder->LastText(), "Insufficient position to sell: IBM");
    EXPECT_EQ(uitest::Text(stock, kSymbol), "IBM");
    CloseAndExit(app);
}

TEST_F(OrderEntryWorkstation, TheTicketWindowFollowsTheLinkedSymbol)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    COrderView& view = OpenTicketWindow(app);
    COrderPropertySheet& sheet = view.GetSheet();
    CMainFrame* frame = app.MainFrame();
    frame->SetSymbolBox("+MSFT260116C00300000", FALSE);
    frame->ApplySymbolInterval(&view, TRUE);
    EXPECT_EQ(sheet.GetActiveOrderPage(), &sheet.GetOptionPage());
    EXPECT_EQ(uitest::Text(sheet.GetOptionPage(), kSymbol), "+MSFT260116C00300000");
    frame->SetSymbolBox("IBM", FALSE);
    frame->ApplySymbolInterval(&view, TRUE);
    EXPECT_EQ(sheet.GetActiveOrderPage(), &sheet.GetStockPage());
    EXPECT_EQ(uitest::Text(sheet.GetStockPage(), kSymbol), "IBM");
    // The Conditional page stays; only its kind follows the symbol.
    ASSERT_TRUE(sheet.SetActivePage(&sheet.GetConditionalPage()));
    frame->SetSymbolBox("+MSFT260116P00300000", FALSE);
    frame->ApplySymbolInterval(&view, TRUE);
    EXPECT_EQ(sheet.GetActiveOrderPage(), &sheet.GetConditionalPage());
    EXPECT_EQ(sheet.GetConditionalPage().GetLogic().GetSecurityKind(), 1);
    EXPECT_TRUE(sheet.GetConditionalPage().IsDlgButtonChecked(kOptionRadio));
    CloseAndExit(app);
}

TEST_F(OrderEntryWorkstation, AnAlertSetUpInTheWizardPlacesItsOrderWhenItFires)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    app.Settings().m_tradingDefaults.Row(1).programTrading = 1;  // "Place Order"
    CMainFrame* frame = app.MainFrame();
    frame->SetSymbolBox("MSFT", FALSE);
    uitest::WhenModalIs<CTradeAlertSetupDlg>([&](CTradeAlertSetupDlg& d) {
        EXPECT_EQ(uitest::Text(d, 1503), "MSFT");
        ASSERT_TRUE(uitest::Choose(d, 1501, "Basic"));
        ASSERT_TRUE(uitest::Choose(d, 1510, "Last"));
        ASSERT_TRUE(uitest::Choose(d, 1514, ">="));
        uitest::Type(d, 1518, "600");
        uitest::Click(d, 1581);
        ASSERT_TRUE(uitest::Choose(d, kOrderType, "Limit"));
        uitest::Type(d, kQuantity, "10");
        uitest::Type(d, kPrice, "1.25");
        uitest::Click(d, IDOK);
    });
    ASSERT_TRUE(frame->SetupTradeAlert(0, nullptr));
    CAlertBook* book = CAlertBook::Instance();
    ASSERT_NE(book, nullptr);
    ASSERT_EQ(book->Count(), 1u);
    auto* alert = dynamic_cast<CPriceAlert*>(book->At(0));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->m_symbol, "MSFT");
    EXPECT_EQ(alert->m_nColumn, 3);
    EXPECT_EQ(alert->m_target, 600);
    ASSERT_NE(alert->GetTradeInfo(), nullptr);
    ASSERT_TRUE(m_broker->WaitForSubscription(0, "MSFT", 5000));

    // The popup shows the firing; "Place Order" sends the order.
    uitest::WhenModalIs<CAlertPopupDlg>([](CAlertPopupDlg& d) { uitest::Click(d, IDOK); });
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 601.0, 100));
    ASSERT_TRUE(uitest::PumpUntil([&] { return !m_broker->OrderRequests().empty(); }));
    const auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].name, "EquityTrade");
    EXPECT_EQ(requests[0].source, "Quorvantelix");
    EXPECT_EQ(FieldsOf(requests[0]),
              Merge({{"accountid", "10000001"}}, LegFields("", "buy", "10", "MSFT", "limit", "1.25")));
    EXPECT_EQ(alert->GetTriggerState(), 1);
    CloseAndExit(app);
}

TEST_F(OrderEntryWorkstation, TheTradingPageOpensTheIntegratedTradingSettings)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    bool settingsShown = false;
    uitest::WhenModalIs<CPreferencesSheet>([&](CPreferencesSheet& sheet) {
        CPropertyPage* page = sheet.GetPage(0);
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(uitest::Choose(*page, 1100, "Disable"));
        EXPECT_FALSE(uitest::Enabled(*page, 1101));  // row 0 has no settings of its own
        ASSERT_TRUE(uitest::Choose(*page, 1100, "Enable"));
        ASSERT_TRUE(uitest::Enabled(*page, 1101));
        uitest::WhenModalIs<CApiSettingsDlg>([&](CApiSettingsDlg& d) {
            settingsShown = true;
            uitest::Click(d, 1283);  // no order confirmation
            uitest::Click(d, IDOK);
        });
        uitest::Click(*page, 1101);
        sheet.PressOK();
    });
    app.MainFrame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_PREFERENCES, 0), 0);
    EXPECT_TRUE(settingsShown);
    EXPECT_EQ(app.Settings().m_tradingDefaults.Row(1).confirmOrders, 0);

    // Without the confirmation the ticket's order goes out at once.
    COrderRecord record(0);
    record.symbol = "IBM";
    record.quantity = 5;
    record.price = 1;
    uitest::WhenModalIs<COrderPropertySheet>(
        [&](COrderPropertySheet& sheet) { uitest::Click(*sheet.GetActiveOrderPage(), kPlace); });
    const size_t boxes = m_responder->boxes.size();
    EXPECT_TRUE(OpenTradeTicket(record, app.MainFrame()));
    EXPECT_EQ(m_responder->boxes.size(), boxes);
    EXPECT_EQ(m_broker->OrderRequests().size(), 1u);
    CloseAndExit(app);
}
