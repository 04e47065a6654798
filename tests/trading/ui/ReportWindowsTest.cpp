// The order status, saved orders and balances windows offscreen, fed through the account
// data store as the session feeds it: rows, sorting, menus, layouts, exports, hot keys,
// the filter dialog and workspace records.
#include "tests/platform/TempFolder.h"
#include "tests/support/ColumnFitting.h"
#include "tests/trading/FakeOrderForm.h"
#include "tests/trading/ui/UiDriving.h"

#include "broker/session/CSessionManager.h"
#include "common/windows/CCommonDoc.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CHeaderCtrl.h"
#include "platform/ui/CMDIFrameWnd.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CWinApp.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/CBalanceView.h"
#include "trading/ui/COrderPropertySheet.h"
#include "trading/ui/COrderStatusFilterDlg.h"
#include "trading/ui/COrderStatusView.h"
#include "trading/ui/CSavedOrdersView.h"
#include "trading/ui/ReportIds.h"

#include <QHeaderView>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

using namespace uitest;

namespace {

// Answers as the driving responder does and keeps the items of the last popup menu.
class MenuResponder : public AnsweringResponder {
public:
    struct Item {
        CString text;
        UINT id;
        bool checked;
    };
    UINT TrackPopupMenu(CMenu& menu, CPoint point, CWnd* owner) override
    {
        shown.clear();
        for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
            CString text;
            menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
            const UINT state = menu.GetMenuState(static_cast<UINT>(i), MF_BYPOSITION);
            shown.push_back({text, menu.GetMenuItemID(i), (state & MF_CHECKED) != 0});
        }
        return AnsweringResponder::TrackPopupMenu(menu, point, owner);
    }
    std::vector<CString> ShownTexts() const
    {
        std::vector<CString> out;
        for (const Item& i : shown)
            out.push_back(i.id == 0 ? CString("-") : i.text);
        return out;
    }
    std::vector<Item> shown;
};

COrderStatusRecord Order(const char* id, const char* status, const char* symbol, const char* price,
                         const char* entered, bool open)
{
    COrderStatusRecord r;
    using F = COrderStatusRecord;
    r.m_fields[F::kEntered] = entered;
    r.m_fields[F::kStatus] = status;
    r.m_fields[F::kAction] = "Buy";
    r.m_fields[F::kQuantity] = "100";
    r.m_fields[F::kSymbol] = symbol;
    r.m_fields[F::kType] = "Limit";
    r.m_fields[F::kPrice] = price;
    r.m_fields[F::kOrderId] = id;
    r.m_fields[F::kSession] = "DAY";
    r.m_fields[F::kRouting] = "Auto";
    r.m_fields[F::kInstructions] = "None";
    r.m_fields[F::kReported] = entered;
    r.m_bOpen = open ? 1 : 0;
    r.m_bChangeable = open ? 1 : 0;
    return r;
}

CSavedOrderRecord Saved(const char* id, const char* action, const char* quantity, const char* symbol,
                        const char* price)
{
    CSavedOrderRecord r;
    using F = CSavedOrderRecord;
    r.m_fields[F::kEntered] = "12/01/2026 09:45:00";
    r.m_fields[F::kAction] = action;
    r.m_fields[F::kQuantity] = quantity;
    r.m_fields[F::kSymbol] = symbol;
    r.m_fields[F::kType] = "Limit";
    r.m_fields[F::kPrice] = price;
    r.m_fields[F::kOrderId] = id;
    r.m_fields[F::kSession] = "DAY";
    r.m_fields[F::kRouting] = "Auto";
    r.m_fields[F::kInstructions] = "None";
    return r;
}

// A local date and time as the broker writes it, days back from now.
CString DaysAgo(int days)
{
    const time_t t = time(nullptr) - static_cast<time_t>(days) * 86400;
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &tm);
    return text;
}

std::vector<CString> ColumnHeaders(CListCtrl& list)
{
    std::vector<int> order(static_cast<size_t>(list.GetColumnCount()));
    if (!order.empty())
        list.GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    std::vector<CString> out;
    for (int c : order)
        out.push_back(HeaderText(list, c));
    return out;
}

void ClickHeader(CListCtrl& list, int column)
{
    auto* header = qobject_cast<QHeaderView*>(list.GetHeaderCtrl()->GetWidget());
    ASSERT_NE(header, nullptr);
    emit header->sectionClicked(column);
}

void RightClick(CListCtrl& list, int item, int column = 0)
{
    NMITEMACTIVATE a;
    a.iItem = item;
    a.iSubItem = column;
    list.SendListNotify(NM_RCLICK, &a.hdr);
}

void DoubleClick(CListCtrl& list, int item, int column)
{
    NMITEMACTIVATE a;
    a.iItem = item;
    a.iSubItem = column;
    list.SendListNotify(NM_DBLCLK, &a.hdr);
}

void Command(CWnd& view, UINT id)
{
    view.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
}

std::vector<int> Selected(CListCtrl& list)
{
    std::vector<int> out;
    for (int i = 0; i < list.GetItemCount(); ++i)
        if (list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED)
            out.push_back(i);
    return out;
}

class ReportWindows : public ::testing::Test {
protected:
    ReportWindows() : m_scope(std::unique_ptr<CUiResponder>(responder = new MenuResponder))
    {
        env.settings.SetWorkingDirectory(folder.path().string().c_str());
        std::filesystem::create_directories(folder.path() / "Layouts");
        std::filesystem::create_directories(folder.path() / "SpreadSheets");
        m_manager = std::make_unique<CSessionManager>(folder.path().string().c_str(), CSessionConfig{}, nullptr,
                                                      nullptr);
        CSessionManager::Install(m_manager.get());
        AddTemplate<CBalanceView>(IDR_BALANCES);
        AddTemplate<COrderStatusView>(IDR_ORDER_STATUS);
        AddTemplate<CSavedOrdersView>(IDR_SAVED_ORDERS);
        auto frame = std::make_unique<CMDIFrameWnd>();
        EXPECT_TRUE(frame->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        m_main = frame.release();  // owns itself
        m_app.m_pMainWnd = m_main;
    }
    ~ReportWindows() override
    {
        m_app.CloseAllDocuments(TRUE);
        m_app.m_pMainWnd = nullptr;
        m_main->DestroyWindow();
        PumpFor(5);
        CSessionManager::Install(nullptr);
    }

    template <class View>
    void AddTemplate(UINT resource)
    {
        m_app.AddDocTemplate(std::make_unique<CDocTemplate>(resource, RuntimeClassOf<CCommonDoc>(),
                                                            RuntimeClassOf<CChildFrame>(), RuntimeClassOf<View>()));
    }
    template <class View>
    View& Open()
    {
        const size_t index = std::is_same_v<View, CBalanceView> ? 0 : std::is_same_v<View, COrderStatusView> ? 1 : 2;
        CDocument* doc = m_app.GetDocTemplate(index)->OpenDocumentFile(nullptr);
        auto* view = doc ? dynamic_cast<View*>(doc->GetFirstView()) : nullptr;
        EXPECT_NE(view, nullptr);
        return *view;
    }
    CAccountDataStore& Store() { return m_manager->GetAccountData(); }
    // Waits for the window to take the store's new list.
    static bool Rows(CListCtrl& list, int count)
    {
        return PumpUntil([&] { return list.GetItemCount() == count; }, 5000);
    }

    TempFolder folder;
    CTradingTestEnvironment env;
    MenuResponder* responder;
    CScopedUiResponder m_scope;
    std::unique_ptr<CSessionManager> m_manager;
    CWinApp m_app{"ReportWindowsTest"};
    CMDIFrameWnd* m_main = nullptr;
};

const std::vector<CString> kOrderHeaders = {"Entered", "Status", "Action", "Quantity", "Symbol", "Type",
                                            "Price", "Order ID", "Session", "Routing", "Instructions",
                                            "Orig. Quantity", "Orig. Price", "Act. Price", "Expiration",
                                            "Reported", "Multi-Leg Order"};

}  // namespace

TEST_F(ReportWindows, OrderStatusListsTheStoresOrdersThroughItsFilter)
{
    COrderStatusView& view = Open<COrderStatusView>();
    COrderStatusListCtrl& list = view.GetList();
    EXPECT_EQ(ColumnHeaders(list), kOrderHeaders);
    EXPECT_EQ(list.GetColumnWidth(0), 150);  // dates show whole
    EXPECT_EQ(list.GetColumnWidth(1), 80);
    // Every title shows whole ("Orig. Quantity" among them).
    for (int column = 0; column < list.GetColumnCount(); ++column)
        EXPECT_GE(list.GetColumnWidth(column), NeededColumnWidth(list, HeaderText(list, column).GetString()))
            << HeaderText(list, column).GetString();
    // So does a column shown again from the menu.
    list.ToggleField(12);
    list.ToggleField(12);
    const int again = list.FindFieldColumn(12);
    ASSERT_GE(again, 0);
    EXPECT_GE(list.GetColumnWidth(again), NeededColumnWidth(list, "Orig. Quantity"));
    EXPECT_EQ(list.GetItemCount(), 0);

    // Open orders always show; a filled one from three days ago not "Today".
    Store().SetOrders({Order("1001", "Open", "MSFT", "300.00", DaysAgo(3), true),
                       Order("1002", "Filled", "IBM", "$1,200.00", DaysAgo(3), false),
                       Order("1003", "Filled", "GE", "99.5", DaysAgo(0), false)});
    ASSERT_TRUE(Rows(list, 2));
    EXPECT_EQ(Column(list, 7), (std::vector<CString>{"1001", "1003"}));
    EXPECT_EQ(list.GetItemText(0, 4), "MSFT");
    EXPECT_EQ(list.GetItemText(1, 6), "99.5");

    COrderListFilter filter = view.GetFilter();
    filter.dateMode = 2;
    filter.days = 5;
    view.SetFilter(filter);
    EXPECT_EQ(Column(list, 7), (std::vector<CString>{"1001", "1002", "1003"}));
    filter.status = 2;  // Filled
    view.SetFilter(filter);
    EXPECT_EQ(Column(list, 7), (std::vector<CString>{"1002", "1003"}));

    // A new list from the session replaces the rows.
    Store().SetOrders({Order("1004", "Filled", "F", "12", DaysAgo(1), false)});
    ASSERT_TRUE(Rows(list, 1));
    EXPECT_EQ(list.GetItemText(0, 7), "1004");
}

TEST_F(ReportWindows, HeaderClicksSortUpDownAndOff)
{
    COrderStatusView& view = Open<COrderStatusView>();
    COrderStatusListCtrl& list = view.GetList();
    Store().SetOrders({Order("1", "Open", "MSFT", "$1,000.00", DaysAgo(0), true),
                       Order("2", "Open", "IBM", "999", DaysAgo(0), true),
                       Order("3", "Open", "GE", "abc", DaysAgo(0), true),
                       Order("4", "Open", "F", "999.00", DaysAgo(0), true)});
    ASSERT_TRUE(Rows(list, 4));
    auto* header = qobject_cast<QHeaderView*>(list.GetHeaderCtrl()->GetWidget());
    ClickHeader(list, 6);  // Price, ascending: numbers by value, equal ones keep their order
    EXPECT_EQ(list.GetSortColumn(), 6);
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    const std::vector<CString> ascending = Column(list, 7);
    EXPECT_EQ(std::vector<CString>(ascending.begin(), ascending.begin() + 3), (std::vector<CString>{"2", "4", "1"}));
    ClickHeader(list, 6);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    const std::vector<CString> descending = Column(list, 7);
    EXPECT_EQ(std::vector<CString>(descending.end() - 3, descending.end()), (std::vector<CString>{"1", "2", "4"}));
    ClickHeader(list, 6);  // off: the rows stay where they are
    EXPECT_EQ(list.GetSortColumn(), -1);
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_EQ(Column(list, 7), descending);
    ClickHeader(list, 4);  // Symbol
    EXPECT_EQ(Column(list, 4), (std::vector<CString>{"F", "GE", "IBM", "MSFT"}));
    // A refill keeps the sort.
    Store().SetOrders({Order("5", "Open", "AAPL", "1", DaysAgo(0), true), Order("6", "Open", "ZZ", "1", DaysAgo(0), true),
                       Order("7", "Open", "KO", "1", DaysAgo(0), true)});
    ASSERT_TRUE(Rows(list, 3));
    EXPECT_EQ(Column(list, 4), (std::vector<CString>{"AAPL", "KO", "ZZ"}));
}

TEST_F(ReportWindows, TheRowMenuOffersWhatTheOrderAllows)
{
    COrderStatusView& view = Open<COrderStatusView>();
    COrderStatusListCtrl& list = view.GetList();
    COrderStatusRecord cancelOnly = Order("2", "Pending", "IBM", "1", DaysAgo(0), true);
    cancelOnly.m_bChangeable = 0;
    Store().SetOrders({Order("1", "Open", "MSFT", "1", DaysAgo(0), true), cancelOnly,
                       Order("3", "Filled", "GE", "1", DaysAgo(0), false)});
    ASSERT_TRUE(Rows(list, 3));
    const std::vector<CString> standard = {"&Refresh", "&Filter...", "&Export Data...", "&Cancel Open Orders", "-",
                                           "F&onts...", "&Grid"};
    RightClick(list, 0);
    std::vector<CString> expected = {"&Update Order...", "&Cancel Order", "-"};
    expected.insert(expected.end(), standard.begin(), standard.end());
    EXPECT_EQ(responder->ShownTexts(), expected);
    EXPECT_EQ(Selected(list), std::vector<int>{0});
    RightClick(list, 1);
    expected.erase(expected.begin());
    EXPECT_EQ(responder->ShownTexts(), expected);
    EXPECT_EQ(Selected(list), std::vector<int>{1});
    RightClick(list, 2);
    EXPECT_EQ(responder->ShownTexts(), standard);
    RightClick(list, -1);
    EXPECT_EQ(responder->ShownTexts(), standard);
    // The grid item carries its check mark.
    EXPECT_TRUE(responder->shown.back().checked);
    Command(view, ID_ORDER_GRID);
    RightClick(list, -1);
    EXPECT_FALSE(responder->shown.back().checked);
    EXPECT_EQ(view.GetGrid(), 0);
    EXPECT_EQ(list.GetExtendedStyle() & LVS_EX_GRIDLINES, 0u);
}

TEST_F(ReportWindows, CancellingOpenOrdersWithNoneOpenSaysSo)
{
    COrderStatusView& view = Open<COrderStatusView>();
    Store().SetOrders({Order("3", "Filled", "GE", "1", DaysAgo(0), false)});
    ASSERT_TRUE(Rows(view.GetList(), 1));
    Command(view, ID_ORDER_CANCEL_OPEN);
    EXPECT_EQ(responder->LastText(), "There are no open orders to be cancelled");
}

TEST_F(ReportWindows, ColumnsComeAndGoAndTheLayoutIsKeptAsTheDefault)
{
    COrderStatusView& view = Open<COrderStatusView>();
    COrderStatusListCtrl& list = view.GetList();
    Store().SetOrders({Order("1", "Open", "MSFT", "1", DaysAgo(0), true)});
    ASSERT_TRUE(Rows(list, 1));
    Command(view, ID_ORDER_COLUMN_FIRST + 4);  // Symbol off
    EXPECT_EQ(list.GetColumnCount(), 16);
    EXPECT_EQ(list.FindFieldColumn(4), -1);
    Command(view, ID_ORDER_COLUMN_FIRST + 10);  // the hidden field has no column
    EXPECT_EQ(list.GetColumnCount(), 16);
    Command(view, ID_ORDER_COLUMN_FIRST + 4);  // back, at the end
    EXPECT_EQ(ColumnHeaders(list).back(), "Symbol");
    EXPECT_EQ(list.GetItemText(0, list.FindFieldColumn(4)), "MSFT");
    list.SetColumnWidth(0, 130);

    // The Columns popup of the header shows which columns are there.
    NMHDR header;
    header.idFrom = 0;
    header.code = NM_RCLICK;
    header.hwndFrom = list.GetHeaderCtrl()->m_hWnd;
    view.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    ASSERT_EQ(responder->shown.size(), 19u);
    EXPECT_EQ(responder->shown[0].text, "&Entered Date");
    EXPECT_TRUE(responder->shown[0].checked);
    EXPECT_EQ(responder->shown.back().text, "Set &Layout as Default");

    Command(view, ID_ORDER_SET_LAYOUT);
    const CReportLayout saved = list.GetLayout();
    COrderStatusView& second = Open<COrderStatusView>();
    EXPECT_EQ(second.GetList().GetLayout(), saved);
    EXPECT_EQ(second.GetList().GetColumnWidth(0), 130);

    // A damaged default layout is told and the window starts with the default columns.
    folder.write("Layouts/default.osl", std::string("\x05\x00\x00\x00\x01", 5));
    COrderStatusView& third = Open<COrderStatusView>();
    EXPECT_EQ(responder->LastText(), "Error reading layout " + COrderStatusView::DefaultLayoutPath());
    EXPECT_EQ(ColumnHeaders(third.GetList()), kOrderHeaders);

    // A layout that cannot be written is told.
    std::filesystem::remove_all(folder.path() / "Layouts");
    Command(view, ID_ORDER_SET_LAYOUT);
    EXPECT_EQ(responder->LastText(), "Error saving layout to " + COrderStatusView::DefaultLayoutPath());
}

TEST_F(ReportWindows, ExportsFollowTheDisplayedColumnsAndTellFailures)
{
    COrderStatusView& view = Open<COrderStatusView>();
    COrderStatusListCtrl& list = view.GetList();
    COrderStatusRecord odd = Order("1", "Open", "MSFT", "1,000.50", "12/07/2026 10:00:00", true);
    odd.m_fields[COrderStatusRecord::kMultiLeg] = "=2+3";
    Store().SetOrders({odd});
    ASSERT_TRUE(Rows(list, 1));
    list.ApplyLayout({{4, 80}, {6, 80}, {17, 80}, {0, 80}});
    view.FillList();
    const std::string path = folder.file("SpreadSheets/orders.csv");
    responder->files = {path.c_str()};
    Command(view, ID_ORDER_EXPORT);
    EXPECT_EQ(responder->requests.back().initialDir, env.settings.GetFilePath("SpreadSheets"));
    EXPECT_EQ(folder.read("SpreadSheets/orders.csv"),
              "Symbol,Price,Multi-Leg Order,Entered\nMSFT,\"1,000.50\",'=2+3,12/07/2026 10:00:00\n");

    responder->files = {folder.file("gone/orders.csv").c_str()};
    Command(view, ID_ORDER_EXPORT);
    EXPECT_EQ(responder->LastText().Find("Error exporting data to "), 0);
    // The shell opens the file when the settings say so.
    env.settings.m_bViewExportData = true;
    responder->files = {folder.file("SpreadSheets/orders.txt").c_str()};
    Command(view, ID_ORDER_EXPORT);
    ASSERT_EQ(responder->opened.size(), 1u);
    EXPECT_EQ(responder->opened[0], folder.file("SpreadSheets/orders.txt").c_str());
}

TEST_F(ReportWindows, TheFileTypeChosenForAnExportGivesItsExtensionAndSeparator)
{
    COrderStatusView& orders = Open<COrderStatusView>();
    Store().SetOrders({Order("1", "Open", "MSFT", "1,000.50", "12/07/2026 10:00:00", true)});
    ASSERT_TRUE(Rows(orders.GetList(), 1));
    orders.GetList().ApplyLayout({{4, 80}, {6, 80}});
    orders.FillList();
    // "orders" typed with "Excel Comma Delimited Files" chosen.
    responder->files = {folder.file("SpreadSheets/orders").c_str()};
    responder->fileTypes = {1};
    Command(orders, ID_ORDER_EXPORT);
    EXPECT_FALSE(std::filesystem::exists(folder.file("SpreadSheets/orders")));
    EXPECT_EQ(folder.read("SpreadSheets/orders.csv"), "Symbol,Price\nMSFT,\"1,000.50\"\n");
    EXPECT_EQ(responder->requests.back().filter.Find("Excel Comma Delimited Files (*.csv)|*.csv|"), 0);

    // The same name again: the file it names now exists, and the user is asked. No brings
    // the dialog back; the space-separated type chosen there writes "orders.prn".
    responder->answerYes = false;
    responder->files = {folder.file("SpreadSheets/orders").c_str(), folder.file("SpreadSheets/orders").c_str()};
    responder->fileTypes = {1, 3};
    Command(orders, ID_ORDER_EXPORT);
    EXPECT_EQ(responder->LastText(), "orders.csv already exists.\nDo you want to replace it?");
    EXPECT_TRUE(responder->files.empty());
    EXPECT_EQ(folder.read("SpreadSheets/orders.prn"), "Symbol Price\nMSFT 1,000.50\n");
    responder->answerYes = true;

    CSavedOrdersView& saved = Open<CSavedOrdersView>();
    Store().SetSavedOrders({Saved("7", "Buy", "10", "IBM", "120.5")});
    ASSERT_TRUE(Rows(saved.GetList(), 1));
    responder->files = {folder.file("SpreadSheets/saved").c_str()};
    responder->fileTypes = {2};
    Command(saved, ID_SAVED_EXPORT);
    const std::string text = folder.read("SpreadSheets/saved.txt");
    EXPECT_EQ(text.substr(0, text.find('\n')).find(','), std::string::npos) << text;
    EXPECT_NE(text.find("Buy\t10\tIBM"), std::string::npos) << text;

    CBalanceView& balances = Open<CBalanceView>();
    Store().SetBalances({{"Cash Balance", "100,000.00", "0.00", 0}});
    ASSERT_TRUE(Rows(balances.GetList(), 1));
    responder->files = {folder.file("SpreadSheets/cash").c_str()};
    responder->fileTypes = {1};
    Command(balances, ID_BALANCES_EXPORT);
    EXPECT_EQ(folder.read("SpreadSheets/cash.csv"),
              "Account Balances,Balances($),Today's Net Chg\nCash Balance,\"100,000.00\",0.00\n");
}

TEST_F(ReportWindows, TheFilterDialogChecksItsEntriesAndCancelKeepsTheFilter)
{
    COrderStatusView& view = Open<COrderStatusView>();
    const COrderListFilter before = view.GetFilter();
    WhenModalIs<COrderStatusFilterDlg>([&](COrderStatusFilterDlg& d) {
        EXPECT_EQ(Text(d, IDC_FILTER_STATUS), "All");
        EXPECT_TRUE(d.IsDlgButtonChecked(IDC_FILTER_TODAY));
        EXPECT_FALSE(Enabled(d, IDC_FILTER_DAYS));
        EXPECT_FALSE(Enabled(d, IDC_FILTER_FROM_DAY));
        Click(d, IDC_FILTER_PAST);
        EXPECT_TRUE(Enabled(d, IDC_FILTER_DAYS));
        Type(d, IDC_FILTER_DAYS, "61");
        Click(d, IDOK);
        EXPECT_EQ(responder->LastText(), "Please enter number of days between 0 and 60");
        Click(d, IDCANCEL);
    });
    Command(view, ID_ORDER_FILTER);
    EXPECT_EQ(view.GetFilter().dateMode, before.dateMode);
    EXPECT_EQ(view.GetFilter().days, before.days);

    WhenModalIs<COrderStatusFilterDlg>([&](COrderStatusFilterDlg& d) {
        Type(d, IDC_FILTER_STATUS, "open");
        Click(d, IDC_FILTER_RANGE);
        const time_t now = time(nullptr);
        std::tm today{};
        localtime_r(&now, &today);
        CString day;
        day.Format("%d", today.tm_mday);
        Type(d, IDC_FILTER_FROM_DAY, day);
        Type(d, IDC_FILTER_TO_DAY, day);
        Choose(d, IDC_FILTER_FROM_MONTH, OrderFilterMonthNames()[static_cast<size_t>(today.tm_mon)]);
        Choose(d, IDC_FILTER_TO_MONTH, OrderFilterMonthNames()[static_cast<size_t>(today.tm_mon)]);
        Click(d, IDOK);
    });
    Command(view, ID_ORDER_FILTER);
    EXPECT_EQ(view.GetFilter().status, 1);
    EXPECT_EQ(view.GetFilter().dateMode, 3);
    EXPECT_EQ(view.GetFilter().to - view.GetFilter().from, 23 * 3600 + 59 * 60);
}

TEST_F(ReportWindows, AnOrderStatusWorkspaceRecordRestoresTheWindowOrLeavesItAsItWas)
{
    COrderStatusView& view = Open<COrderStatusView>();
    COrderStatusListCtrl& list = view.GetList();
    list.ApplyLayout({{4, 90}, {1, 70}, {6, 60}});
    ClickHeader(list, 2);
    ClickHeader(list, 2);
    COrderListFilter filter = view.GetFilter();
    filter.status = 3;
    filter.dateMode = 2;
    filter.days = 9;
    view.SetFilter(filter);
    Command(view, ID_ORDER_GRID);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ASSERT_TRUE(view.SaveToWorkspace(ar));
        ar.Close();
    }
    const std::vector<BYTE> bytes = file.Detach();

    COrderStatusView& copy = Open<COrderStatusView>();
    {
        CMemFile in(bytes.data(), bytes.size());
        CArchive ar(&in, CArchive::load);
        ASSERT_TRUE(copy.LoadFromWorkspace(ar, 19));
    }
    EXPECT_EQ(copy.GetList().GetLayout(), list.GetLayout());
    EXPECT_EQ(copy.GetList().GetSortColumn(), 2);
    EXPECT_FALSE(copy.GetList().IsSortAscending());
    EXPECT_EQ(copy.GetFilter().status, 3);
    EXPECT_EQ(copy.GetFilter().days, 9);
    EXPECT_EQ(copy.GetGrid(), 0);

    // Cut short: the load fails and the window keeps its defaults.
    COrderStatusView& damaged = Open<COrderStatusView>();
    {
        CMemFile in(bytes.data(), bytes.size() - 6);
        CArchive ar(&in, CArchive::load);
        EXPECT_FALSE(damaged.LoadFromWorkspace(ar, 19));
    }
    EXPECT_EQ(ColumnHeaders(damaged.GetList()), kOrderHeaders);
    EXPECT_EQ(damaged.GetFilter().status, 0);
    EXPECT_EQ(damaged.GetGrid(), 1);
}

TEST_F(ReportWindows, SavedOrdersShowTheirHotKeysAndPlaceRowsWithThem)
{
    CSavedOrdersView& view = Open<CSavedOrdersView>();
    CSavedOrdersListCtrl& list = view.GetList();
    EXPECT_EQ(list.GetColumnCount(), 13);
    std::vector<CSavedOrderRecord> records;
    for (int i = 0; i < 12; ++i) {
        CString id;
        id.Format("%d", 9001 + i);
        records.push_back(Saved(id, "Buy", "10", "MSFT", "1.25"));
        records.back().m_fields[CSavedOrderRecord::kHotKey] = "F" + id;
    }
    Store().SetSavedOrders(records);
    ASSERT_TRUE(Rows(list, 12));
    const int hotKey = list.FindFieldColumn(CSavedOrderRecord::kHotKey);
    EXPECT_EQ(list.GetCellText(0, hotKey), "Ctrl+1");
    EXPECT_EQ(list.GetCellText(8, hotKey), "Ctrl+9");
    EXPECT_EQ(list.GetCellText(9, hotKey), "Ctrl+0");
    EXPECT_EQ(list.GetCellText(10, hotKey), "F9011");
    EXPECT_EQ(list.GetCellText(11, hotKey), "F9012");
    EXPECT_EQ(list.GetCellText(0, 3), "MSFT");

    // Ctrl+0 places row 9, through the order gate.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_0, Qt::ControlModifier);
    QApplication::sendEvent(list.GetWidget(), &key);
    ASSERT_TRUE(PumpUntil([&] { return !env.host.submissions.empty(); }, 5000));
    ASSERT_EQ(env.host.submissions.size(), 1u);
    const auto& sent = env.host.submissions[0];
    EXPECT_EQ(sent.place, 1);
    EXPECT_EQ(sent.conditionalType, -1);
    EXPECT_EQ(sent.source, "QXVEL");
    EXPECT_EQ(sent.account, "10000001");
    ASSERT_EQ(sent.legs.size(), 1u);
    EXPECT_EQ(sent.legs[0].symbol, "MSFT");
    EXPECT_EQ(sent.legs[0].quantity, 10);
    EXPECT_EQ(sent.legs[0].expire, "DAY");
    EXPECT_EQ(sent.legs[0].orderId, "");

    // Without Ctrl, or beyond the rows, nothing is placed.
    QKeyEvent plain(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier);
    QApplication::sendEvent(list.GetWidget(), &plain);
    Store().SetSavedOrders({records[0], records[1], records[2]});
    ASSERT_TRUE(Rows(list, 3));
    QKeyEvent five(QEvent::KeyPress, Qt::Key_5, Qt::ControlModifier);
    QApplication::sendEvent(list.GetWidget(), &five);
    PumpFor(50);
    EXPECT_EQ(env.host.submissions.size(), 1u);
    EXPECT_EQ(SavedOrderHotKeyRow(Qt::Key_A), -1);
}

TEST_F(ReportWindows, SavedOrderCommandsActOnTheSelectionInListOrder)
{
    CSavedOrdersView& view = Open<CSavedOrdersView>();
    CSavedOrdersListCtrl& list = view.GetList();
    Command(view, ID_SAVED_DELETE_ALL);  // an empty list sends and shows nothing
    EXPECT_TRUE(responder->boxes.empty());
    Store().SetSavedOrders({Saved("9001", "Buy", "10", "MSFT", "1.25"), Saved("9002", "Sell", "20", "IBM", "2"),
                            Saved("9003", "Sell Short", "30", "GE", "3")});
    ASSERT_TRUE(Rows(list, 3));
    Command(view, ID_SAVED_PLACE);
    EXPECT_EQ(responder->LastText(), "Please select saved order(s)");

    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    // A right click on a selected row keeps the selection; on another it replaces it.
    responder->menuChoice = 0;
    RightClick(list, 2);
    EXPECT_EQ(Selected(list), (std::vector<int>{0, 2}));
    EXPECT_EQ(responder->shown[0].text, "&Place...\tCtrl+P");
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    Command(view, ID_SAVED_PLACE);
    ASSERT_EQ(env.host.submissions.size(), 3u);
    EXPECT_EQ(env.host.submissions[0].legs[0].symbol, "MSFT");
    EXPECT_EQ(env.host.submissions[1].legs[0].symbol, "IBM");
    EXPECT_EQ(env.host.submissions[2].legs[0].symbol, "GE");
    EXPECT_EQ(env.host.submissions[2].legs[0].action, 2);
    RightClick(list, 1);
    EXPECT_EQ(Selected(list), (std::vector<int>{0, 1, 2}));
    list.SetItemState(-1, 0, LVIS_SELECTED);
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    RightClick(list, 1);
    EXPECT_EQ(Selected(list), std::vector<int>{1});

    // A double click off the Symbol column opens the ticket on the selected saved order.
    bool shown = false;
    WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        shown = true;
        COrderPage* page = sheet.GetActiveOrderPage();
        EXPECT_EQ(Text(*page, order_ids::kSymbol), "IBM");
        EXPECT_EQ(Text(*page, order_ids::kQuantity), "20");
        EXPECT_EQ(Text(*page, order_ids::kAction), "Sell");
        sheet.EndDialog(IDCANCEL);
    });
    DoubleClick(list, 1, list.FindFieldColumn(CSavedOrderRecord::kPrice));
    EXPECT_TRUE(PumpUntil([&] { return shown; }, 5000));
    EXPECT_EQ(env.host.submissions.size(), 3u);
}

TEST_F(ReportWindows, BalancesListTheStoresLinesAndExportThemInTheirColumns)
{
    CBalanceView& view = Open<CBalanceView>();
    CListCtrl& list = view.GetList();
    EXPECT_EQ(ColumnHeaders(list), (std::vector<CString>{"Account Balances", "Balances($)", "Today's Net Chg"}));
    EXPECT_EQ(list.GetColumnWidth(0), 180);
    EXPECT_EQ(list.GetColumnWidth(1), 100);
    const std::string empty = folder.file("SpreadSheets/empty.csv");
    responder->files = {empty.c_str()};
    Command(view, ID_BALANCES_EXPORT);
    EXPECT_EQ(folder.read("SpreadSheets/empty.csv"), "Account Balances,Balances($),Today's Net Chg\n");

    Store().SetBalances({{"Cash Balance", "100,000.00", "0.00", 0}, {"Account Value", "101,250.00", "+1,250.00", 0}});
    ASSERT_TRUE(Rows(list, 2));
    EXPECT_EQ(list.GetItemText(1, 0), "Account Value");
    EXPECT_EQ(list.GetItemText(1, 2), "+1,250.00");
    const std::string path = folder.file("SpreadSheets/b.csv");
    responder->files = {path.c_str()};
    Command(view, ID_BALANCES_EXPORT);
    EXPECT_EQ(folder.read("SpreadSheets/b.csv"), "Account Balances,Balances($),Today's Net Chg\nCash "
                                                 "Balance,\"100,000.00\",0.00\nAccount "
                                                 "Value,\"101,250.00\",\"+1,250.00\"\n");

    // Workspace: versions 10 to 17 keep the default widths.
    list.SetColumnWidth(0, 220);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ASSERT_TRUE(view.SaveToWorkspace(ar));
        ar.Close();
    }
    const std::vector<BYTE> bytes = file.Detach();
    CBalanceView& v17 = Open<CBalanceView>();
    {
        CMemFile in(bytes.data(), bytes.size());
        CArchive ar(&in, CArchive::load);
        ASSERT_TRUE(v17.LoadFromWorkspace(ar, 17));
    }
    EXPECT_EQ(v17.GetList().GetColumnWidth(0), 180);
    CBalanceView& v18 = Open<CBalanceView>();
    {
        CMemFile in(bytes.data(), bytes.size());
        CArchive ar(&in, CArchive::load);
        ASSERT_TRUE(v18.LoadFromWorkspace(ar, 18));
    }
    EXPECT_EQ(v18.GetList().GetColumnWidth(0), 220);
}

TEST_F(ReportWindows, TheListsPrintThroughTheListPrinter)
{
    COrderStatusView& view = Open<COrderStatusView>();
    std::vector<COrderStatusRecord> orders;
    for (int i = 0; i < 120; ++i) {
        CString id;
        id.Format("%d", 2000 + i);
        orders.push_back(Order(id, "Open", "MSFT", "1", DaysAgo(0), true));
    }
    Store().SetOrders(orders);
    ASSERT_TRUE(Rows(view.GetList(), 120));
    const std::string pdf = folder.file("orders.pdf");
    ASSERT_TRUE(view.Print(pdf.c_str()));
    EXPECT_GT(std::filesystem::file_size(pdf), 1000u);
    const std::string bytes = folder.read("orders.pdf");
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    // 120 rows do not fit on one page.
    size_t pages = 0;
    for (size_t at = bytes.find("/Type /Page\n"); at != std::string::npos; at = bytes.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_GE(pages, 2u);
}

// Saved orders rows are painted in the list's colours: the normal background, and the
// highlighted one under a drop target; the cells start two blanks in, so the row's first
// pixels show the background.
TEST_F(ReportWindows, SavedOrderRowsArePaintedInTheListsColours)
{
    CSavedOrdersView& view = Open<CSavedOrdersView>();
    CSavedOrdersListCtrl& list = view.GetList();
    Store().SetSavedOrders({Saved("7", "Buy", "10", "IBM", "120.5"), Saved("8", "Sell", "20", "MSFT", "30")});
    ASSERT_TRUE(Rows(list, 2));
    list.SetColors({RGB(250, 240, 200), RGB(0, 0, 128), RGB(255, 255, 255)});
    list.SetItemState(1, LVIS_DROPHILITED, LVIS_DROPHILITED);
    EXPECT_EQ(RowPixel(list, 0, 2), QColor(250, 240, 200));
    EXPECT_EQ(RowPixel(list, 1, 2), QColor(0, 0, 128));
}

TEST_F(ReportWindows, FontsAndColoursReachTheLists)
{
    COrderStatusView& orders = Open<COrderStatusView>();
    CSavedOrdersView& saved = Open<CSavedOrdersView>();
    CFontInfo font;
    font.face = "DejaVu Sans";
    font.height = 16;
    orders.SetFontAndColor(font, RGB(200, 10, 10));
    EXPECT_EQ(orders.GetList().GetTextColor(), RGB(200, 10, 10));
    ASSERT_NE(orders.GetList().GetFont(), nullptr);
    saved.SetFont(font, RGB(1, 2, 3));
    EXPECT_EQ(saved.GetList().GetNormalTextColor(), RGB(1, 2, 3));
    env.settings.m_reportLooks[kReportSavedOrders].colors[0] = RGB(250, 240, 200);
    saved.SetBackgroundColor();
    EXPECT_EQ(saved.GetList().GetBkColor(), RGB(250, 240, 200));
    EXPECT_EQ(saved.GetList().GetColors()[0], RGB(250, 240, 200));
}
