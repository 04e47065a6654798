// A trader's alert session: an alert made in the Alert Manager through the formula
// wizard, its firing on the broker's price and its popup, its order placed from the
// popup and received by the broker, the alert paused from the row menu and deleted, and
// File -> Exit.
#include "tests/sessions/SessionHarness.h"

#include "alerts/CAlertBook.h"
#include "alerts/ui/EditAlertList.h"
#include "common/services/CAppSettings.h"
#include "tools/testbroker/OrderString.h"

#include <QWidget>

#include <fstream>
#include <map>
#include <sstream>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

constexpr int kSymbolsEdit = 1503;   // formula wizard: the symbols
constexpr int kFormulaEdit = 1571;   // formula wizard: the formula
constexpr int kPlaceOrderBox = 1581; // formula wizard: "Place Order:"
constexpr int kQuantityEdit = 1412;  // the order's shares
constexpr int kPopupSymbol = 1601;
constexpr int kPopupPrice = 1604;

TEST_F(SessionTest, AnAlertFromTheAlertManagerFiresItsPopupPlacesItsOrderAndIsPausedAndDeleted)
{
    const int status = RunWorkstation([&](CSession& s) {
        // An alert's order is placed, not saved, as the integrated trading settings say.
        s.OnUi([&] { s.App().Settings().m_tradingDefaults.Row(1).programTrading = 1; });

        s.ChooseMenu("&Alerts|Alert &Manager");
        EditAlertList* view = nullptr;
        ASSERT_TRUE(s.WaitFor("the Alert Manager", [&] {
            const auto views = s.Views<EditAlertList>();
            view = views.empty() ? nullptr : views.front();
            return view != nullptr;
        }));
        CListCtrl* list = &view->GetList();

        // The window's own menu: a formula alert on MSFT with a market order of 25 shares.
        s.ChooseMenu("&Alerts|&Add Alert...");
        QWidget* wizard = s.WaitModal("Trade Alert Setup");
        ASSERT_NE(wizard, nullptr);
        s.FillControl(wizard, kSymbolsEdit, "msft");
        s.FillControl(wizard, kFormulaEdit, "Last >= 600");
        s.Click(s.Control(wizard, kPlaceOrderBox));
        s.FillControl(wizard, kQuantityEdit, "25");
        s.PressButton(wizard, "OK");
        ASSERT_TRUE(s.WaitFor("the alert's row", [&] { return s.RowCount(list) == 1; }));
        EXPECT_EQ(s.CellText(list, 0, "Symbol"), "MSFT");
        EXPECT_EQ(s.CellText(list, 0, "Description"), "Last >= 600");
        EXPECT_TRUE(s.CellText(list, 0, "Order").startsWith("Buy 25 shares, Market Order"))
            << s.CellText(list, 0, "Order").toStdString();
        EXPECT_TRUE(s.CellText(list, 0, "Last Triggered").isEmpty());

        // The broker's price reaches the target: the popup tells the firing.
        ASSERT_TRUE(s.Broker().WaitForSubscription(0, "MSFT", 10000));
        s.Pause(500ms);
        ASSERT_TRUE(s.Broker().InjectTrade("MSFT", 601.25, 100));
        QWidget* popup = s.WaitModal("Alert - MSFT", 30s);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(s.ControlText(popup, kPopupSymbol), "MSFT");
        EXPECT_EQ(s.ControlText(popup, kPopupPrice), "Price: 601.25");
        s.PressButton(popup, "Place Order");
        // The order confirmation of the trading defaults.
        QWidget* question = nullptr;
        ASSERT_TRUE(s.WaitFor("the order question", [&] {
            question = s.ActiveModal();
            return question && question != popup;
        }));
        s.PressButton(question, "&Yes");
        ASSERT_TRUE(s.WaitFor("the broker's order", [&] { return !s.Broker().OrderRequests().empty(); }, 20s));
        const auto requests = s.Broker().OrderRequests();
        ASSERT_EQ(requests.size(), 1u);
        std::map<std::string, std::string> fields;
        std::string error;
        ASSERT_TRUE(qx::testbroker::ParseOrderString(requests[0].orderString, fields, error)) << error;
        EXPECT_EQ(fields["action"], "buy");
        EXPECT_EQ(fields["quantity"], "25");
        EXPECT_EQ(fields["symbol"], "MSFT");
        EXPECT_EQ(fields["ordtype"], "market");

        // The row tells the firing; the row menu pauses the alert; the menu deletes it.
        EXPECT_TRUE(s.WaitFor("the firing in the row",
                              [&] { return s.CellText(list, 0, "Last Triggered").endsWith(" @ 601.25"); }));
        s.ClickCell(list, "MSFT", "Symbol", Qt::RightButton);
        s.ChoosePopup("&Pause");
        EXPECT_TRUE(s.WaitFor("the alert paused", [&] { return s.CellText(list, 0, "Status") == "Paused"; }));
        s.ClickRow(list, "MSFT", "Symbol");
        s.ChooseMenu("&Alerts|&Delete");
        EXPECT_TRUE(s.WaitFor("the row gone", [&] { return s.RowCount(list) == 0; }));
        EXPECT_EQ(s.OnUi([] { return CAlertBook::Instance()->Count(); }), 0u);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TemporaryFiles().empty());
    std::ifstream file(Home() / "alerts.xml", std::ios::binary);
    std::stringstream saved;
    saved << file.rdbuf();
    EXPECT_NE(saved.str().find("<Alerts>"), std::string::npos);
    EXPECT_EQ(saved.str().find("<Alert>"), std::string::npos) << "the deleted alert was saved";
}

}  // namespace
}  // namespace qx::sessions
