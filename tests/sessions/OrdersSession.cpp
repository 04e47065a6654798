// A trader's orders: a limit order placed from the ticket, its quantity changed from the
// order status window, cancelled; an order saved for later and placed from the saved
// orders window; the order list exported. Checked against the broker's own record.
#include "tests/sessions/SessionHarness.h"

#include "platform/ui/CFrameWnd.h"
#include "trading/ui/COrderStatusView.h"
#include "trading/ui/COrderView.h"
#include "trading/ui/CSavedOrdersView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QTabBar>

#include <cmath>
#include <fstream>
#include <sstream>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

// Controls of the ticket's order page.
constexpr int kSymbol = 1421;
constexpr int kQuantity = 1412;
constexpr int kOrderType = 1427;
constexpr int kPrice = 1433;

class OrdersSessionTest : public SessionTest {
protected:
    // The orders of the first account at the broker that are open, by symbol.
    std::vector<qx::testbroker::Order> OpenOrders(const std::string& symbol)
    {
        std::vector<qx::testbroker::Order> open;
        for (const auto& order : Broker().Orders(FirstAccount(Broker())))
            if (order.leg.symbol == symbol && (order.status == "Open" || order.status == "Pending"))
                open.push_back(order);
        return open;
    }

    // Answers the question box open now with the button of that text.
    static void Answer(CSession& s, const QString& button)
    {
        QWidget* box = nullptr;
        if (!s.WaitFor("a question", [&] { return (box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); }))
            return;
        s.PressButton(box, button);
        s.WaitFor("the question answered", [&] { return QApplication::activeModalWidget() != box; });
    }

    // Fills the ticket's order page: symbol, quantity, Limit at the price.
    static void FillLimitOrder(CSession& s, QWidget* ticket, const QString& symbol, int quantity, const QString& price)
    {
        s.FillControl(ticket, kSymbol, symbol);
        s.FillControl(ticket, kQuantity, QString::number(quantity));
        s.ChooseComboItem(s.Control(ticket, kOrderType), "Limit");
        s.FillControl(ticket, kPrice, price);
    }

    QWidget* OpenTicket(CSession& s)
    {
        s.ChooseMenu("&Trading|&Trade Ticket");
        COrderView* view = s.WaitView<COrderView>("a trade ticket");
        return view ? s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget(); }) : nullptr;
    }

    // Buys at a limit from a new ticket and waits for the order at the broker.
    void PlaceLimitOrder(CSession& s, const QString& symbol, int quantity, const QString& price, QWidget*& ticket)
    {
        ticket = OpenTicket(s);
        ASSERT_NE(ticket, nullptr);
        FillLimitOrder(s, ticket, symbol, quantity, price);
        s.PressButton(ticket, "&Place Order");
        Answer(s, "&Yes");
        ASSERT_TRUE(s.WaitFor("the order at the broker",
                              [&] { return OpenOrders(symbol.toStdString()).size() == 1; }, 20s));
    }

    // Opens the order status window and waits for the symbol's row.
    static void OpenOrderStatus(CSession& s, const QString& symbol, COrderStatusView*& view, CListCtrl*& list)
    {
        s.ChooseMenu("&Trading|&Order Status");
        view = s.WaitView<COrderStatusView>("the order status window");
        ASSERT_NE(view, nullptr);
        list = &view->GetList();
        ASSERT_TRUE(s.WaitFor("the order's row", [&] { return s.RowOf(list, symbol) >= 0; }, 20s));
    }

    // Opens the order's sheet from the symbol's row in the order status list.
    static void OpenUpdateSheet(CSession& s, CListCtrl* list, const QString& symbol, QWidget*& update)
    {
        s.ClickCell(list, symbol, QString(), Qt::RightButton);
        s.ChoosePopup("&Update Order...");
        update = nullptr;
        ASSERT_TRUE(s.WaitFor("the order's sheet", [&] { return (update = s.ActiveModal()) != nullptr; }));
    }

    // Sends the sheet with a new quantity and waits for the broker's order to take it.
    void SendQuantity(CSession& s, QWidget* update, const std::string& symbol, int quantity)
    {
        s.FillControl(update, kQuantity, QString::number(quantity));
        s.PressButton(update, s.OnUi([&] {
            for (QAbstractButton* b : update->findChildren<QAbstractButton*>())
                if (b->isVisible() && (b->text().contains("Update") || b->text().contains("Place")))
                    return b->text();
            return QString("OK");
        }));
        Answer(s, "&Yes");
        ASSERT_TRUE(s.WaitFor("the changed order at the broker", [&] {
            const auto open = OpenOrders(symbol);
            return open.size() == 1 && open.front().leg.quantity == quantity;
        }, 20s));
    }

    // A limit well below the market: it stays open.
    double Limit() const { return std::floor(m_last * 50.0) / 100.0; }

    double m_last = 0.0;
};

TEST_F(OrdersSessionTest, LimitOrderChangedCancelledSavedOrderPlacedAndListExported)
{
    m_last = Broker().Symbol("MSFT")->last;
    const QString limit = QString::number(Limit(), 'f', 2);
    const std::string exported = (Home() / "orders").string();
    const int status = RunWorkstation([&](CSession& s) {
        // Buy 10 MSFT Limit from the ticket.
        QWidget* ticket = nullptr;
        ASSERT_NO_FATAL_FAILURE(PlaceLimitOrder(s, "MSFT", 10, limit, ticket));
        const auto placed = OpenOrders("MSFT").front();
        EXPECT_EQ(placed.leg.action, "buy");
        EXPECT_EQ(placed.leg.quantity, 10);
        EXPECT_EQ(placed.leg.ordtype, "limit");
        EXPECT_NEAR(placed.leg.price, Limit(), 1e-9);

        // The order status window lists it; its quantity changed to 25, the price kept.
        COrderStatusView* statusView = nullptr;
        CListCtrl* list = nullptr;
        ASSERT_NO_FATAL_FAILURE(OpenOrderStatus(s, "MSFT", statusView, list));
        QWidget* update = nullptr;
        ASSERT_NO_FATAL_FAILURE(OpenUpdateSheet(s, list, "MSFT", update));
        EXPECT_EQ(s.ControlText(update, kPrice), limit);
        ASSERT_NO_FATAL_FAILURE(SendQuantity(s, update, "MSFT", 25));
        EXPECT_NEAR(OpenOrders("MSFT").front().leg.price, Limit(), 1e-9) << "the price the edit did not touch";

        // Cancelled from the same window.
        ASSERT_TRUE(s.WaitFor("the changed row", [&] { return s.RowOf(list, "25") >= 0; }, 20s));
        s.ClickCell(list, "MSFT", QString(), Qt::RightButton);
        s.ChoosePopup("&Cancel Order");
        Answer(s, "&Yes");
        EXPECT_TRUE(s.WaitFor("no open order", [&] { return OpenOrders("MSFT").empty(); }, 20s));

        // Saved for later from the ticket, placed from the saved orders window.
        s.RaiseFrame(ticket);
        FillLimitOrder(s, ticket, "IBM", 7, QString::number(std::floor(Broker().Symbol("IBM")->last * 50.0) / 100.0, 'f', 2));
        s.PressButton(ticket, "&Save for later");
        Answer(s, "&Yes");
        s.ChooseMenu("&Trading|&Saved Orders");
        CSavedOrdersView* saved = s.WaitView<CSavedOrdersView>("the saved orders window");
        ASSERT_NE(saved, nullptr);
        CListCtrl* savedList = &saved->GetList();
        ASSERT_TRUE(s.WaitFor("the saved order", [&] { return s.RowOf(savedList, "IBM") >= 0; }, 20s));
        s.ClickRow(savedList, "IBM");
        s.ChooseMenu("&Saved Orders|&Place...");
        Answer(s, "&Yes");
        ASSERT_TRUE(s.WaitFor("the saved order at the broker", [&] { return OpenOrders("IBM").size() == 1; }, 20s));
        EXPECT_EQ(OpenOrders("IBM").front().leg.quantity, 7);

        // The order list exported: one line per order the window lists.
        statusView = s.WaitView<COrderStatusView>("the order status window");
        s.RaiseFrame(s.OnUi([&] { return statusView->GetParentFrame()->GetOuterWidget(); }));
        ASSERT_TRUE(s.WaitFor("the IBM row", [&] { return s.RowOf(list, "IBM") >= 0; }, 20s));
        s.ChooseMenu("&Order Status|&Export Data...");
        ASSERT_TRUE(s.AnswerFileDialog(QString::fromStdString(exported)));
        s.WaitFor("the export", [&] {
            return std::filesystem::exists(exported) || std::filesystem::exists(exported + ".txt") ||
                   std::filesystem::exists(exported + ".csv");
        });
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TemporaryFiles().empty());
}

// A limit of four decimals is sent, shown and kept as it is when only the quantity is
// changed.
TEST_F(OrdersSessionTest, AFourDecimalLimitKeepsItsPriceThroughAQuantityEdit)
{
    m_last = Broker().Symbol("MSFT")->last;
    const double price = Limit() + 0.0034;
    const QString limit = QString::number(price, 'f', 4);
    const int status = RunWorkstation([&](CSession& s) {
        QWidget* ticket = nullptr;
        ASSERT_NO_FATAL_FAILURE(PlaceLimitOrder(s, "MSFT", 10, limit, ticket));
        EXPECT_NEAR(OpenOrders("MSFT").front().leg.price, price, 1e-9);
        COrderStatusView* statusView = nullptr;
        CListCtrl* list = nullptr;
        ASSERT_NO_FATAL_FAILURE(OpenOrderStatus(s, "MSFT", statusView, list));
        QWidget* update = nullptr;
        ASSERT_NO_FATAL_FAILURE(OpenUpdateSheet(s, list, "MSFT", update));
        EXPECT_EQ(s.ControlText(update, kPrice).toDouble(), price);
        ASSERT_NO_FATAL_FAILURE(SendQuantity(s, update, "MSFT", 25));
        EXPECT_NEAR(OpenOrders("MSFT").front().leg.price, price, 1e-9) << "the price the edit did not touch";
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// The order list exported as CSV: "orders" becomes orders.csv, comma separated, a line
// per listed order under the header.
TEST_F(OrdersSessionTest, TheOrderListExportsAsCsv)
{
    m_last = Broker().Symbol("MSFT")->last;
    const std::string exported = (Home() / "orders").string();
    int rows = 0;
    const int status = RunWorkstation([&](CSession& s) {
        QWidget* ticket = nullptr;
        ASSERT_NO_FATAL_FAILURE(PlaceLimitOrder(s, "MSFT", 10, QString::number(Limit(), 'f', 2), ticket));
        COrderStatusView* statusView = nullptr;
        CListCtrl* list = nullptr;
        ASSERT_NO_FATAL_FAILURE(OpenOrderStatus(s, "MSFT", statusView, list));
        rows = s.RowCount(list);
        s.ChooseMenu("&Order Status|&Export Data...");
        ASSERT_TRUE(s.AnswerFileDialog(QString::fromStdString(exported), "Excel Comma Delimited"));
        s.WaitFor("the export", [&] { return std::filesystem::exists(exported + ".csv"); });
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    std::ifstream in(exported + ".csv");
    ASSERT_TRUE(in.good()) << "no orders.csv";
    std::string header, line;
    std::getline(in, header);
    EXPECT_NE(header.find(','), std::string::npos) << header;
    EXPECT_EQ(header.find('\t'), std::string::npos) << header;
    int lines = 0;
    while (std::getline(in, line))
        if (!line.empty()) {
            ++lines;
            EXPECT_NE(line.find("MSFT"), std::string::npos) << line;
        }
    EXPECT_EQ(lines, rows);
}

}  // namespace
}  // namespace qx::sessions
