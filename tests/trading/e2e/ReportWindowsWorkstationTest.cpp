// The order status, saved orders and balances windows in the running workstation against
// the test broker: an order placed through the Trade Ticket shows up through the account
// data store, is changed from the order status window through the ticket and cancelled;
// a saved order is placed with Ctrl+1 and another deleted; the balances follow a fill.
#include "tests/app/shell/WorkstationFixture.h"
#include "tests/trading/ui/UiDriving.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CStatusBar.h"
#include "tools/testbroker/OrderString.h"
#include "trading/OrderFormIds.h"
#include "trading/SendOrders.h"
#include "trading/ui/CBalanceView.h"
#include "trading/ui/COrderPropertySheet.h"
#include "trading/ui/COrderStatusView.h"
#include "trading/ui/CSavedOrdersView.h"
#include "trading/ui/ReportIds.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <map>
#include <string>

using Fields = std::map<std::string, std::string>;

namespace {

constexpr int kWaitMs = 15000;

// Answers the font and colour dialogs too.
class LookResponder : public uitest::AnsweringResponder {
public:
    bool ChooseFont(CWnd*, LOGFONT& font, COLORREF& color) override
    {
        font = LOGFONT();
        font.lfHeight = -15;
        font.lfWeight = 700;
        std::snprintf(font.lfFaceName, sizeof(font.lfFaceName), "%s", "DejaVu Sans");
        color = RGB(0, 0, 160);
        return true;
    }
    bool ChooseColor(CWnd*, COLORREF& color) override
    {
        color = RGB(255, 250, 220);
        return true;
    }
};

// Chooses the item of a popup of the main frame's menu bar, as the user would.
bool ChooseMenuItem(CMainFrame& frame, const QString& popup, const QString& item)
{
    auto* window = qobject_cast<QMainWindow*>(frame.GetOuterWidget());
    if (!window)
        return false;
    for (QAction* top : window->menuBar()->actions())
        if (top->menu() && top->menu()->title() == popup)
            for (QAction* action : top->menu()->actions())
                if (action->text() == item) {
                    action->trigger();
                    return true;
                }
    return false;
}

class ReportWindowsWorkstation : public WorkstationFixture {
protected:
    std::unique_ptr<uitest::AnsweringResponder> MakeResponder() override { return std::make_unique<LookResponder>(); }
    template <class View>
    View& OpenWindow(CWorkstationApp& app, int kind)
    {
        CDocument* doc = app.OpenWindowOfKind(kind, false);
        auto* view = doc ? dynamic_cast<View*>(doc->GetFirstView()) : nullptr;
        EXPECT_NE(view, nullptr);
        return *view;
    }
    // The order status window listing every order of the last five days, whatever their status.
    COrderStatusView& OpenOrderStatusOfLastDays(CWorkstationApp& app)
    {
        COrderStatusView& view = OpenWindow<COrderStatusView>(app, kKindOrderStatus);
        COrderListFilter filter = view.GetFilter();
        filter.dateMode = 2;
        filter.days = 5;
        view.SetFilter(filter);
        return view;
    }
    Fields FieldsOf(const qx::testbroker::ReceivedOrderRequest& request)
    {
        Fields fields;
        std::string error;
        EXPECT_TRUE(qx::testbroker::ParseOrderString(request.orderString, fields, error)) << error;
        return fields;
    }
    // The row of the list whose column shows the text, -1 when none.
    static int FindRow(CListCtrl& list, int column, const char* text)
    {
        for (int i = 0; i < list.GetItemCount(); ++i)
            if (list.GetItemText(i, column) == text)
                return i;
        return -1;
    }
    static void RightClick(CListCtrl& list, int item)
    {
        NMITEMACTIVATE a;
        a.iItem = item;
        list.SendListNotify(NM_RCLICK, &a.hdr);
    }
};

}  // namespace

TEST_F(ReportWindowsWorkstation, AnOrderIsPlacedSeenChangedAndCancelledFromTheOrderStatusWindow)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    COrderStatusView& view = OpenOrderStatusOfLastDays(app);
    COrderStatusListCtrl& list = view.GetList();

    COrderRecord record(0);
    record.symbol = "MSFT";
    record.quantity = 100;
    record.price = 1.25;
    uitest::WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        uitest::Click(*sheet.GetActiveOrderPage(), order_ids::kPlace);
    });
    ASSERT_TRUE(OpenTradeTicket(record, app.MainFrame()));
    const auto orders = m_broker->Orders("10000001");
    ASSERT_EQ(orders.size(), 1u);
    const CString id = orders[0].id.c_str();
    const int idColumn = list.FindFieldColumn(COrderStatusRecord::kOrderId);
    ASSERT_TRUE(uitest::PumpUntil([&] { return FindRow(list, idColumn, id) >= 0; }, kWaitMs));
    int row = FindRow(list, idColumn, id);
    auto cell = [&](int field) { return list.GetItemText(FindRow(list, idColumn, id), list.FindFieldColumn(field)); };
    EXPECT_EQ(cell(COrderStatusRecord::kStatus), "Open");
    EXPECT_EQ(cell(COrderStatusRecord::kAction), "Buy");
    EXPECT_EQ(cell(COrderStatusRecord::kQuantity), "100");
    EXPECT_EQ(cell(COrderStatusRecord::kSymbol), "MSFT");
    EXPECT_EQ(cell(COrderStatusRecord::kPrice), "1.25");
    EXPECT_EQ(cell(COrderStatusRecord::kSession), "DAY");

    // Changed from the window: the ticket opens on the order in update mode.
    m_broker->ClearOrderRequests();
    bool shown = false;
    uitest::WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        shown = true;
        COrderPage* page = sheet.GetActiveOrderPage();
        EXPECT_EQ(uitest::Text(*page, order_ids::kPlace), "&Update Order");
        EXPECT_EQ(uitest::Text(*page, order_ids::kSymbol), "MSFT");
        EXPECT_EQ(uitest::Text(*page, order_ids::kQuantity), "100");
        EXPECT_EQ(uitest::Text(*page, order_ids::kPrice), "1.25");
        uitest::Type(*page, order_ids::kPrice, "1.30");
        uitest::Click(*page, order_ids::kPlace);
    });
    m_responder->menuChoice = ID_ORDER_UPDATE;
    RightClick(list, row);
    EXPECT_TRUE(shown);
    auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u) << m_responder->LastText().str();
    EXPECT_EQ(requests[0].name, "EditOrder");
    const Fields edit = FieldsOf(requests[0]);
    EXPECT_EQ(edit.at("orderid"), id.str());
    EXPECT_EQ(edit.at("price"), "1.30");
    EXPECT_EQ(edit.at("quantity"), "100");
    EXPECT_EQ(edit.at("expire"), "day");
    EXPECT_EQ(edit.at("ordtype"), "limit");
    ASSERT_TRUE(uitest::PumpUntil([&] { return cell(COrderStatusRecord::kPrice) == "1.30"; }, kWaitMs));

    // Cancelled after the question.
    m_responder->menuChoice = ID_ORDER_CANCEL;
    RightClick(list, FindRow(list, idColumn, id));
    EXPECT_EQ(m_responder->LastText(), "Cancel order?");
    EXPECT_EQ(m_broker->Orders("10000001")[0].status, "Canceled");
    ASSERT_TRUE(uitest::PumpUntil([&] { return cell(COrderStatusRecord::kStatus) == "Canceled"; }, kWaitMs));
    // Nothing is open any more.
    m_responder->menuChoice = 0;
    view.SendMessage(WM_COMMAND, ID_ORDER_CANCEL_OPEN, 0);
    EXPECT_EQ(m_responder->LastText(), "There are no open orders to be cancelled");
    CloseAndExit(app);
}

TEST_F(ReportWindowsWorkstation, AnEditOfTheQuantityAloneSendsTheLimitPriceAsEntered)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    COrderStatusView& view = OpenOrderStatusOfLastDays(app);
    COrderStatusListCtrl& list = view.GetList();

    COrderRecord record(0);
    record.symbol = "MSFT";
    record.quantity = 10;
    record.price = 1.123;
    uitest::WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        EXPECT_EQ(uitest::Text(*sheet.GetActiveOrderPage(), order_ids::kPrice), "1.123");
        uitest::Click(*sheet.GetActiveOrderPage(), order_ids::kPlace);
    });
    ASSERT_TRUE(OpenTradeTicket(record, app.MainFrame()));
    auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].fields.at("price"), "1.123");
    const CString id = m_broker->Orders("10000001").at(0).id.c_str();
    const int idColumn = list.FindFieldColumn(COrderStatusRecord::kOrderId);
    ASSERT_TRUE(uitest::PumpUntil([&] { return FindRow(list, idColumn, id) >= 0; }, kWaitMs));

    m_broker->ClearOrderRequests();
    bool shown = false;
    uitest::WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        shown = true;
        COrderPage* page = sheet.GetActiveOrderPage();
        EXPECT_EQ(uitest::Text(*page, order_ids::kPrice), "1.123");
        uitest::Type(*page, order_ids::kQuantity, "20");
        uitest::Click(*page, order_ids::kPlace);
    });
    m_responder->menuChoice = ID_ORDER_UPDATE;
    RightClick(list, FindRow(list, idColumn, id));
    EXPECT_TRUE(shown);
    requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u) << m_responder->LastText().str();
    EXPECT_EQ(requests[0].name, "EditOrder");
    EXPECT_EQ(requests[0].fields.at("quantity"), "20");
    EXPECT_EQ(requests[0].fields.at("price"), "1.123");
    EXPECT_EQ(m_broker->Orders("10000001").at(0).leg.price, 1.123);
    CloseAndExit(app);
}

TEST_F(ReportWindowsWorkstation, ASavedOrderIsPlacedWithCtrl1AndAnotherDeleted)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CSavedOrdersView& view = OpenWindow<CSavedOrdersView>(app, kKindSavedOrders);
    CSavedOrdersListCtrl& list = view.GetList();
    for (const char* symbol : {"IBM", "GE"}) {
        COrderRecord leg(0);
        leg.symbol = symbol;
        leg.quantity = 10;
        leg.price = 2;
        leg.expire = "GTC";
        ASSERT_TRUE(SendOrders(kOriginTicket, 0, 0, -1, {leg}, 0, {}, app.MainFrame())) << m_responder->LastText().str();
    }
    ASSERT_TRUE(uitest::PumpUntil([&] { return list.GetItemCount() == 2; }, kWaitMs));
    const int session = list.FindFieldColumn(CSavedOrderRecord::kSession);
    EXPECT_EQ(list.GetItemText(0, session), "GTC");
    EXPECT_EQ(list.GetCellText(0, list.FindFieldColumn(CSavedOrderRecord::kHotKey)), "Ctrl+1");
    const CString firstSymbol = list.GetItemText(0, list.FindFieldColumn(CSavedOrderRecord::kSymbol));

    m_broker->ClearOrderRequests();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier);
    QApplication::sendEvent(list.GetWidget(), &key);
    ASSERT_TRUE(uitest::PumpUntil([&] { return !m_broker->OrderRequests().empty(); }, kWaitMs));
    const auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].name, "EquityTrade");
    const Fields placed = FieldsOf(requests[0]);
    EXPECT_EQ(placed.at("symbol"), firstSymbol.str());
    EXPECT_EQ(placed.at("quantity"), "10");
    EXPECT_EQ(placed.at("expire"), "gtc");
    const auto orders = m_broker->Orders("10000001");
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0].leg.symbol, firstSymbol.str());
    EXPECT_EQ(app.MainFrame()->GetStatusBar()->GetPaneText(0), "Your saved order was placed.");

    // The other one is deleted at the broker.
    list.SetItemState(-1, 0, LVIS_SELECTED);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    const CString secondSymbol = list.GetItemText(1, list.FindFieldColumn(CSavedOrderRecord::kSymbol));
    view.SendMessage(WM_COMMAND, ID_SAVED_DELETE, 0);
    ASSERT_TRUE(uitest::PumpUntil([&] { return list.GetItemCount() == 1; }, kWaitMs));
    EXPECT_EQ(list.GetItemText(0, list.FindFieldColumn(CSavedOrderRecord::kSymbol)), firstSymbol);
    EXPECT_NE(firstSymbol, secondSymbol);
    CloseAndExit(app);
}

TEST_F(ReportWindowsWorkstation, BalancesShowTheAccountAndFollowAFill)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CBalanceView& view = OpenWindow<CBalanceView>(app, kKindBalances);
    CListCtrl& list = view.GetList();
    ASSERT_TRUE(uitest::PumpUntil([&] { return list.GetItemCount() == 5; }, kWaitMs));
    EXPECT_EQ(list.GetItemText(0, 0), "Cash Balance");
    EXPECT_EQ(list.GetItemText(0, 1), "100,000.00");
    EXPECT_EQ(list.GetItemText(2, 0), "Account Value");

    COrderRecord leg(0);
    leg.symbol = "MSFT";
    leg.quantity = 10;
    leg.orderType = "Market";
    ASSERT_TRUE(SendOrders(kOriginTicket, 1, 0, -1, {leg}, 0, {}, app.MainFrame())) << m_responder->LastText().str();
    ASSERT_EQ(m_broker->Orders("10000001").at(0).status, "Filled");
    ASSERT_TRUE(uitest::PumpUntil([&] { return list.GetItemText(0, 1) != "100,000.00"; }, kWaitMs));
    char cash[32];
    std::snprintf(cash, sizeof cash, "%.2f", m_broker->Cash("10000001"));
    CString expected = cash;
    // The broker groups thousands: 99,xxx.xx.
    expected.Insert(expected.GetLength() - 6, ',');
    EXPECT_EQ(list.GetItemText(0, 1), expected);
    CloseAndExit(app);
}

TEST_F(ReportWindowsWorkstation, TheWindowsMenusSetTheirFontsAndColours)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CMainFrame* frame = app.MainFrame();
    CSavedOrdersView& saved = OpenWindow<CSavedOrdersView>(app, kKindSavedOrders);
    COrderStatusView& orders = OpenWindow<COrderStatusView>(app, kKindOrderStatus);
    frame->MDIActivate(orders.GetParentFrame());
    ASSERT_TRUE(ChooseMenuItem(*frame, "&Order Status", "F&onts..."));
    const CReportListLook& look = app.Settings().m_reportLooks[kReportOrderStatus];
    EXPECT_EQ(look.font.face, "DejaVu Sans");
    EXPECT_EQ(look.font.height, 15);
    EXPECT_EQ(look.textColor, RGB(0, 0, 160));
    EXPECT_EQ(orders.GetList().GetTextColor(), RGB(0, 0, 160));
    // The saved orders window keeps its own.
    EXPECT_EQ(saved.GetList().GetNormalTextColor(), app.Settings().m_reportLooks[kReportSavedOrders].textColor);

    frame->MDIActivate(saved.GetParentFrame());
    ASSERT_TRUE(ChooseMenuItem(*frame, "&Saved Orders", "&Colors..."));
    EXPECT_EQ(app.Settings().m_reportLooks[kReportSavedOrders].colors[0], RGB(255, 250, 220));
    EXPECT_EQ(saved.GetList().GetBkColor(), RGB(255, 250, 220));
    ASSERT_TRUE(ChooseMenuItem(*frame, "&Saved Orders", "&Fonts..."));
    EXPECT_EQ(saved.GetList().GetNormalTextColor(), RGB(0, 0, 160));
    CloseAndExit(app);
}
