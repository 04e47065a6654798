// The Alert Manager and the alert popup offscreen over an alert book: rows and their
// texts, sorting, the row commands, edits with and without the trigger state, exports of
// the list and of the histories, layouts and workspace records; the popup's texts and
// each of its buttons.
#include "tests/alerts/CRecordingAlertHost.h"

#include "alerts/AlertListText.h"
#include "alerts/CAlertBook.h"
#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "alerts/CStrategyAlert.h"
#include "alerts/ui/AlertUiIds.h"
#include "alerts/ui/CAlertPopupDlg.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "alerts/ui/EditAlertList.h"
#include "alerts/ui/StrategyTradingSetupHook.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CMDIFrameWnd.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CWinApp.h"
#include "tests/platform/TempFolder.h"
#include "tests/trading/FakeOrderForm.h"
#include "tests/trading/ui/UiDriving.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/COrderPropertySheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace uitest;

namespace {

// Tells the open alert lists as the application does.
class ListTellingHost : public CRecordingAlertHost {
public:
    void AlertListsChanged(std::uint64_t oldId, std::uint64_t newId) override
    {
        ++changes;
        for (EditAlertList* view : views)
            view->PostMessage(WM_ALERT_LISTS_CHANGED, static_cast<WPARAM>(oldId), static_cast<LPARAM>(newId));
    }
    std::vector<EditAlertList*> views;
    int changes = 0;
};

void Select(CListCtrl& list, std::initializer_list<int> items)
{
    list.SetItemState(-1, 0, LVIS_SELECTED);
    for (int item : items)
        list.SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
}

void Command(CWnd& view, UINT id)
{
    view.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CAlertTradeInfo BuyLimit(int shares, double price)
{
    CAlertTradeInfo info(0);
    COrderRecord& leg = info.m_legs[0];
    leg.action = 0;
    leg.quantity = shares;
    leg.quantityMode = 1;
    leg.orderType = "Limit";
    leg.price = price;
    leg.expire = "DAY";
    leg.instructions = "None";
    leg.route = "Auto";
    return info;
}

class AlertWindows : public ::testing::Test {
protected:
    AlertWindows() : m_scope(std::unique_ptr<CUiResponder>(responder = new AnsweringResponder))
    {
        env.settings.SetWorkingDirectory(folder.path().string().c_str());
        env.settings.SetAlertBook(std::make_unique<CAlertBook>(env.settings));
        std::filesystem::create_directories(folder.path() / "Layouts");
        std::filesystem::create_directories(folder.path() / "SpreadSheets");
        m_app.AddDocTemplate(std::make_unique<CDocTemplate>(IDR_ALERT_LIST, RuntimeClassOf<CCommonDoc>(),
                                                            RuntimeClassOf<CChildFrame>(),
                                                            RuntimeClassOf<EditAlertList>()));
        auto frame = std::make_unique<CMDIFrameWnd>();
        EXPECT_TRUE(frame->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        m_main = frame.release();  // owns itself
        m_app.m_pMainWnd = m_main;
    }
    ~AlertWindows() override
    {
        host.views.clear();
        m_app.CloseAllDocuments(TRUE);
        m_app.m_pMainWnd = nullptr;
        m_main->DestroyWindow();
        PumpFor(5);
        SetStrategyTradingSetupHook(nullptr);
    }
    CAlertBook& Book() { return *CAlertBook::Instance(); }
    EditAlertList& Open()
    {
        CDocument* doc = m_app.GetDocTemplate(0)->OpenDocumentFile(nullptr);
        auto* view = doc ? dynamic_cast<EditAlertList*>(doc->GetFirstView()) : nullptr;
        EXPECT_NE(view, nullptr);
        host.views.push_back(view);
        return *view;
    }
    AlertId AddPrice(const char* symbol, int column, double target, int direction = 0)
    {
        auto alert = std::make_unique<CPriceAlert>();
        alert->m_symbol = symbol;
        alert->m_nColumn = column;
        alert->m_target = target;
        alert->m_nDirection = direction;
        return Book().Add(std::move(alert));
    }
    AlertId AddFormula(const char* symbol, const char* formula)
    {
        auto alert = std::make_unique<CFormulaAlert>(formula);
        alert->m_symbol = symbol;
        return Book().Add(std::move(alert));
    }
    CAlert& Alert(AlertId id)
    {
        CAlert* found = nullptr;
        Book().WithAlert(id, [&](CAlert& a) { found = &a; });
        EXPECT_NE(found, nullptr);
        return *found;
    }
    // Waits for the posted WM_APP+5 to reach the list.
    static void Settle() { PumpFor(30); }

    TempFolder folder;
    CTradingTestEnvironment env;
    ListTellingHost host;
    AnsweringResponder* responder;
    CScopedUiResponder m_scope;
    CWinApp m_app{"AlertWindowsTest"};
    CMDIFrameWnd* m_main = nullptr;
};

}  // namespace

TEST_F(AlertWindows, RowsShowEachAlertWithItsColumnsAndSortByText)
{
    const AlertId ibm = AddPrice("IBM", 3, 500);
    const AlertId msft = AddFormula("MSFT", "Close > MA(Close, 10)\r\nAND Volume > 0");
    Alert(msft).SetTradeInfo(std::make_unique<CAlertTradeInfo>(BuyLimit(100, 30.5)).get());
    Alert(msft).InsertHistory({"12/01/2026 10:00:00", 31.25});
    Alert(ibm).InsertHistory({"12/02/2026 09:45:00", 0});
    Alert(ibm).m_bPaused = 1;
    EditAlertList& view = Open();
    CAlertListCtrl& list = view.GetList();
    ASSERT_EQ(list.GetItemCount(), 2);
    ASSERT_EQ(list.GetColumnCount(), 6);
    const int widths[] = {70, 230, 300, 220, 70, 110};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(list.GetColumnWidth(c), widths[c]);
    EXPECT_EQ(Column(list, 0), (std::vector<CString>{"IBM", "MSFT"}));
    EXPECT_EQ(Column(list, 1), (std::vector<CString>{"Last >= 500", "Close > MA(Close, 10)AND Volume > 0"}));
    EXPECT_EQ(Column(list, 2)[0], "None");
    EXPECT_EQ(Column(list, 2)[1], "Buy 100 shares, Limit Order, Price: 30.50, Expiration: DAY, Instructions: None, "
                                  "Routing: Auto");
    // A price of 0 shows no " @ " part.
    EXPECT_EQ(Column(list, 3), (std::vector<CString>{"12/02/2026 09:45:00", "12/01/2026 10:00:00 @ 31.25"}));
    EXPECT_EQ(Column(list, 4), (std::vector<CString>{"Paused", ""}));
    EXPECT_EQ(Column(list, 5), (std::vector<CString>{"", "mode 0 flag 0:"}));

    // "Last Triggered" sorts by its text: "12/01" before "12/02".
    list.SetSort(3, true);
    EXPECT_EQ(Column(list, 0), (std::vector<CString>{"MSFT", "IBM"}));
    list.SetSort(3, false);
    EXPECT_EQ(Column(list, 0), (std::vector<CString>{"IBM", "MSFT"}));
}

// Alert rows are painted in the list's colours, the one under a drop target highlighted;
// the cells start two blanks in, so the row's first pixels show the background.
TEST_F(AlertWindows, RowsArePaintedInTheListsColours)
{
    AddPrice("IBM", 3, 500);
    AddPrice("MSFT", 3, 40);
    CAlertListCtrl& list = Open().GetList();
    ASSERT_EQ(list.GetItemCount(), 2);
    list.SetColors({RGB(200, 250, 210), RGB(120, 0, 0), RGB(255, 255, 255)});
    list.SetItemState(0, LVIS_DROPHILITED, LVIS_DROPHILITED);
    EXPECT_EQ(RowPixel(list, 0, 2), QColor(120, 0, 0));
    EXPECT_EQ(RowPixel(list, 1, 2), QColor(200, 250, 210));
}

TEST_F(AlertWindows, PauseResumeResetAndDeleteActOnTheSelectedAlerts)
{
    const AlertId a = AddPrice("AAA", 3, 10);
    const AlertId b = AddPrice("BBB", 3, 20);
    const AlertId c = AddFormula("CCC", "Last > 1");
    Alert(a).InsertHistory({"12/01/2026 10:00:00", 10.5});
    Alert(a).m_bIsTriggered = 1;
    Alert(c).InsertHistory({"12/01/2026 11:00:00", 2});
    EditAlertList& view = Open();
    CAlertListCtrl& list = view.GetList();

    Select(list, {});
    Command(view, ID_ALERT_PAUSE);
    ASSERT_FALSE(responder->boxes.empty());
    EXPECT_EQ(responder->boxes.back().text, "Please select alert(s)");
    Command(view, ID_ALERT_EDIT_RESET);
    EXPECT_EQ(responder->boxes.back().text, "Please select an alert");

    Select(list, {0, 1});
    Command(view, ID_ALERT_PAUSE);
    Settle();
    EXPECT_EQ(Alert(a).m_bPaused.load(), 1);
    EXPECT_EQ(Alert(b).m_bPaused.load(), 1);
    EXPECT_EQ(Alert(c).m_bPaused.load(), 0);
    EXPECT_EQ(Column(list, 4), (std::vector<CString>{"Paused", "Paused", ""}));
    // The selection stays on the same alerts after the list is filled again.
    EXPECT_EQ(list.GetSelectedIds(), (std::vector<AlertId>{a, b}));
    Select(list, {1});
    Command(view, ID_ALERT_RESUME);
    Settle();
    EXPECT_EQ(Alert(b).m_bPaused.load(), 0);
    Select(list, {0});
    Command(view, ID_ALERT_RESET);
    Settle();
    EXPECT_EQ(Alert(a).m_bIsTriggered.load(), 0);
    EXPECT_EQ(Alert(a).m_bPaused.load(), 0);  // a reset resumes too
    EXPECT_TRUE(Alert(a).GetHistory().empty());

    // Delete Triggered takes the alerts with a history, paused or not.
    Alert(b).m_bPaused = 1;
    Alert(b).InsertHistory({"12/03/2026 09:30:00", 21});
    Command(view, ID_ALERT_DELETE_TRIGGERED);
    Settle();
    EXPECT_EQ(Book().Count(), 1u);
    EXPECT_EQ(Book().At(0)->GetId(), a);
    EXPECT_EQ(Column(list, 0), (std::vector<CString>{"AAA"}));
    Select(list, {0});
    Command(view, ID_ALERT_DELETE);
    Settle();
    EXPECT_EQ(Book().Count(), 0u);
    EXPECT_EQ(list.GetItemCount(), 0);

    AddPrice("X", 3, 1);
    AddPrice("Y", 3, 2);
    Command(view, ID_ALERT_PAUSE_ALL);
    Settle();
    EXPECT_EQ(Column(list, 4), (std::vector<CString>{"Paused", "Paused"}));
    Command(view, ID_ALERT_RESUME_ALL);
    Settle();
    EXPECT_EQ(Column(list, 4), (std::vector<CString>{"", ""}));
    Command(view, ID_ALERT_DELETE_ALL);
    Settle();
    EXPECT_EQ(Book().Count(), 0u);
    EXPECT_GT(host.changes, 0);
}

TEST_F(AlertWindows, EditWithoutResetKeepsTheTriggerStateAndWithResetStartsClean)
{
    const AlertId old = AddPrice("IBM", 3, 500);
    Alert(old).m_bIsTriggered = 1;
    Alert(old).m_bPaused = 1;
    Alert(old).InsertHistory({"12/01/2026 10:00:00", 501});
    EditAlertList& view = Open();
    Select(view.GetList(), {0});
    WhenModalIs<CTradeAlertSetupDlg>([](CTradeAlertSetupDlg& d) {
        EXPECT_EQ(Text(d, 1503), "IBM");
        EXPECT_FALSE(Enabled(d, 1501));  // the kind cannot change
        Type(d, 1518, "510");
        Click(d, IDOK);
    });
    Command(view, ID_ALERT_EDIT_NO_RESET);
    Settle();
    ASSERT_EQ(Book().Count(), 1u);
    const auto* edited = dynamic_cast<CPriceAlert*>(Book().At(0));
    ASSERT_NE(edited, nullptr);
    EXPECT_NE(edited->GetId(), old);
    EXPECT_EQ(edited->m_target, 510);
    EXPECT_EQ(edited->m_bIsTriggered.load(), 1);
    EXPECT_EQ(edited->m_bPaused.load(), 1);
    ASSERT_EQ(edited->GetHistory().size(), 1u);
    EXPECT_EQ(view.GetList().GetItemCount(), 1);
    EXPECT_EQ(view.GetList().GetRowId(0), edited->GetId());

    Select(view.GetList(), {0});
    WhenModalIs<CTradeAlertSetupDlg>([](CTradeAlertSetupDlg& d) { Click(d, IDOK); });
    Command(view, ID_ALERT_EDIT_RESET);
    Settle();
    ASSERT_EQ(Book().Count(), 1u);
    EXPECT_EQ(Book().At(0)->m_bIsTriggered.load(), 0);
    EXPECT_EQ(Book().At(0)->m_bPaused.load(), 0);
    EXPECT_TRUE(Book().At(0)->GetHistory().empty());

    // An alert deleted while its dialog was open: without reset the user is told.
    Select(view.GetList(), {0});
    const AlertId current = Book().At(0)->GetId();
    WhenModalIs<CTradeAlertSetupDlg>([&](CTradeAlertSetupDlg& d) {
        Book().Remove(current);
        Click(d, IDOK);
    });
    Command(view, ID_ALERT_EDIT_NO_RESET);
    EXPECT_EQ(responder->boxes.back().text, "Alert is no longer valid since it has been edited or deleted.");
    EXPECT_EQ(Book().Count(), 0u);
}

TEST_F(AlertWindows, StrategiesAreEditedThroughTheHookAndGreyedWithoutIt)
{
    auto strategy = std::make_unique<CStrategyAlert>();
    strategy->m_symbol = "QQQ";
    strategy->m_strategyName = "Crossing";
    strategy->m_nNumTriggered = 3;
    auto entry = std::make_unique<CFormulaAlert>("C > 1");
    entry->m_symbol = "QQQ";
    entry->m_nNumTriggered = 4;
    strategy->SetEntryAlert(std::move(entry));
    const AlertId id = Book().Add(std::move(strategy));
    EditAlertList& view = Open();

    CCmdUI ui(ID_ALERT_ADD_STRATEGY);
    ui.DoUpdate(&view, true);
    EXPECT_FALSE(ui.m_enabled);

    // The hook gets a copy carrying the state the new alerts take over.
    int seenRoundTrips = -1;
    int seenEntries = -1;
    SetStrategyTradingSetupHook([&](CWnd*, CStrategyAlert* edited) {
        EXPECT_NE(edited, nullptr);
        seenRoundTrips = edited->m_nNumTriggered;
        seenEntries = edited->GetEntryAlert()->m_nNumTriggered;
        CreateStrategyAlertsFromSetup(*edited, "qqq spy", edited);
        return true;
    });
    CCmdUI again(ID_ALERT_ADD_STRATEGY);
    again.DoUpdate(&view, true);
    EXPECT_TRUE(again.m_enabled);
    Select(view.GetList(), {0});
    Command(view, ID_ALERT_EDIT_NO_RESET);
    Settle();
    EXPECT_EQ(seenRoundTrips, 3);
    EXPECT_EQ(seenEntries, 4);
    ASSERT_EQ(Book().Count(), 2u);
    EXPECT_EQ(Book().FindAlertIndex(id), -1);
    const auto* qqq = dynamic_cast<CStrategyAlert*>(Book().At(0));
    ASSERT_NE(qqq, nullptr);
    EXPECT_EQ(qqq->m_symbol, "QQQ");
    EXPECT_EQ(qqq->GetEntryAlert()->m_symbol, "QQQ");
    EXPECT_EQ(qqq->m_nNumTriggered.load(), 3);
    EXPECT_EQ(Book().At(1)->m_symbol, "SPY");
    EXPECT_EQ(Column(view.GetList(), 0), (std::vector<CString>{"QQQ", "SPY"}));

    Select(view.GetList(), {1});
    Command(view, ID_ALERT_EDIT_RESET);
    Settle();
    EXPECT_EQ(seenRoundTrips, 0);
    EXPECT_EQ(seenEntries, 0);
}

TEST_F(AlertWindows, ExportsWriteTheListAndTheHistoriesAsDelimitedText)
{
    const AlertId price = AddPrice("IBM", 3, 500);
    Alert(price).InsertHistory({"12/01/2026 10:00:00", 0});
    Alert(price).InsertHistory({"12/02/2026 10:00:00", 502.5});
    const AlertId quoted = AddFormula("SPY", "Close > 1, \"a\"");
    Alert(quoted).InsertHistory({"12/03/2026 11:00:00", 1.5});
    auto strategy = std::make_unique<CStrategyAlert>();
    strategy->m_symbol = "QQQ";
    strategy->m_entryFormula = "Buy dip";
    strategy->m_exitFormula = "Sell rip";
    auto entry = std::make_unique<CFormulaAlert>("C > 1");
    auto exit = std::make_unique<CFormulaAlert>("C < 1");
    // Three entries and two exits, newest first.
    for (const char* date : {"E3", "E2", "E1"})
        entry->InsertHistory({CString(date), 1});
    for (const char* date : {"X2", "X1"})
        exit->InsertHistory({CString(date), 2});
    std::vector<CAlertHistoryEntry> entries = entry->GetHistory();
    std::reverse(entries.begin(), entries.end());
    entry->SetHistory(entries);
    std::vector<CAlertHistoryEntry> exits = exit->GetHistory();
    std::reverse(exits.begin(), exits.end());
    exit->SetHistory(exits);
    strategy->SetEntryAlert(std::move(entry));
    strategy->SetExitAlert(std::move(exit));
    Book().Add(std::move(strategy));
    EditAlertList& view = Open();

    const std::string csv = folder.file("SpreadSheets/history.csv");
    responder->files = {CString(csv)};
    Command(view, ID_ALERT_EXPORT_HISTORY);
    EXPECT_EQ(ReadFile(csv),
              "Date,Symbol,Description,Price\n"
              "12/01/2026 10:00:00,IBM,Last >= 500,\n"
              "12/02/2026 10:00:00,IBM,Last >= 500,502.50\n"
              "12/03/2026 11:00:00,SPY,\"Close > 1, \"\"a\"\"\",1.50\n"
              "E1,QQQ,Buy dip,1.00\nX1,QQQ,Sell rip,2.00\nE2,QQQ,Buy dip,1.00\nX2,QQQ,Sell rip,2.00\n"
              "E3,QQQ,Buy dip,1.00\n");

    const std::string list = folder.file("SpreadSheets/alerts.txt");
    responder->files = {CString(list)};
    Command(view, ID_ALERT_EXPORT);
    const std::string text = ReadFile(list);
    EXPECT_EQ(text.substr(0, text.find('\n')), "Symbol\tDescription\tOrder\tLast Triggered\tStatus\tTrade Account");
    EXPECT_NE(text.find("\nIBM\tLast >= 500\tNone\t12/02/2026 10:00:00 @ 502.50\t\t\n"), std::string::npos) << text;
}

TEST_F(AlertWindows, LayoutsAndWorkspaceRecordsKeepColumnsSortAndGrid)
{
    AddPrice("IBM", 3, 500);
    EditAlertList& view = Open();
    CAlertListCtrl& list = view.GetList();
    Command(view, ID_ALERT_COLUMN_FIRST + kAlertFieldOrder);  // hide "Order"
    EXPECT_EQ(list.GetColumnCount(), 5);
    Command(view, ID_ALERT_SET_LAYOUT);
    ASSERT_TRUE(std::filesystem::exists(EditAlertList::DefaultLayoutPath().GetString()));
    EditAlertList& second = Open();
    EXPECT_EQ(second.GetList().GetColumnCount(), 5);
    EXPECT_EQ(second.GetList().FindFieldColumn(kAlertFieldOrder), -1);

    list.SetSort(1, false);
    Command(view, ID_ALERT_GRID);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ASSERT_TRUE(view.SaveToWorkspace(ar));
        ar.Close();
    }
    file.SeekToBegin();
    EditAlertList& third = Open();
    {
        CArchive ar(&file, CArchive::load);
        ASSERT_TRUE(third.LoadFromWorkspace(ar, 19));
    }
    EXPECT_EQ(third.GetList().GetLayout(), list.GetLayout());
    EXPECT_EQ(third.GetList().GetSortColumn(), 1);
    EXPECT_FALSE(third.GetList().IsSortAscending());
    EXPECT_EQ(third.GetGrid(), 0);
    // A record cut short changes nothing and fails.
    const ULONGLONG whole = file.GetLength();
    CMemFile cut;
    std::vector<BYTE> bytes(static_cast<size_t>(whole));
    file.SeekToBegin();
    file.Read(bytes.data(), static_cast<UINT>(whole));
    cut.Write(bytes.data(), static_cast<UINT>(whole - 2));
    cut.SeekToBegin();
    CArchive ar(&cut, CArchive::load);
    EXPECT_FALSE(second.LoadFromWorkspace(ar, 19));
    EXPECT_EQ(second.GetList().GetColumnCount(), 5);
}

TEST_F(AlertWindows, PopupShowsTheFiringAndPlacesItsOrder)
{
    env.settings.m_tradingDefaults.Row(1).programTrading = 1;
    env.settings.m_tradingDefaults.Row(1).confirmOrders = 0;
    const AlertId id = AddPrice("IBM", 3, 500);
    Alert(id).SetTradeInfo(std::make_unique<CAlertTradeInfo>(BuyLimit(100, 499.5)).get());
    CAlertEvent event;
    event.m_price = 501.5;
    event.m_nTrigger = 1;
    event.m_date = "12/07/2026 10:31:05";
    event.m_nAlertId = id;

    CAlertPopupDlg popup(id, event, m_main);
    ASSERT_TRUE(popup.IsValid());
    EXPECT_EQ(popup.m_condition, "Last >= 500");
    EXPECT_EQ(popup.m_price, "Price: 501.50");
    EXPECT_EQ(popup.m_date, "Date: 12/07/2026 10:31:05");
    EXPECT_EQ(popup.m_order, "Buy 100 shares, Limit Order, Price: 499.50, Expiration: DAY, Instructions: None, "
                             "Routing: Auto, Account: mode 0 flag 1:");
    WhenModalIs<CAlertPopupDlg>([](CAlertPopupDlg& d) {
        EXPECT_EQ(d.GetWindowText(), "Alert - IBM");
        EXPECT_TRUE(Shown(d, IDOK));
        EXPECT_TRUE(Shown(d, IDC_POPUP_EDIT_ORDER));
        EXPECT_EQ(Text(d, IDC_POPUP_SYMBOL), "IBM");
        Click(d, IDOK);
    });
    EXPECT_EQ(popup.Run(), IDOK);
    ASSERT_EQ(env.host.submissions.size(), 1u);
    const CRecordingTradingHost::Submission& sent = env.host.submissions[0];
    EXPECT_EQ(sent.place, 1);
    EXPECT_EQ(sent.legs.size(), 1u);
    EXPECT_EQ(sent.legs[0].symbol, "IBM");
    EXPECT_EQ(sent.legs[0].quantity, 100);
    EXPECT_EQ(sent.legs[0].price, 499.5);

    // The second firing reverses the order.
    event.m_nTrigger = 2;
    CAlertPopupDlg second(id, event, m_main);
    EXPECT_EQ(second.m_order.Left(4), "Sell");
    second.m_bEditBeforeSending = 0;
    second.Act(IDOK);
    ASSERT_EQ(env.host.submissions.size(), 2u);
    EXPECT_EQ(env.host.submissions[1].legs[0].action, 1);

    // Deleted while its popup waited: nothing is read, the user is told.
    CAlertPopupDlg late(id, event, m_main);
    Book().Remove(id);
    late.Act(IDOK);
    EXPECT_EQ(responder->boxes.back().text, "Alert is no longer valid since it has been edited or deleted.");
    late.Act(IDC_POPUP_RESET);
    EXPECT_EQ(env.host.submissions.size(), 2u);
    EXPECT_FALSE(CAlertPopupDlg(id, event, m_main).IsValid());
}

TEST_F(AlertWindows, PopupWithoutOrderDismissesAndResetsTheWholeStrategy)
{
    const AlertId plain = AddFormula("MSFT", "Last > 1");
    CAlertEvent event;
    event.m_nAlertId = plain;
    event.m_nTrigger = 1;
    WhenModalIs<CAlertPopupDlg>([](CAlertPopupDlg& d) {
        EXPECT_FALSE(Shown(d, IDOK));
        EXPECT_FALSE(Shown(d, IDC_POPUP_EDIT_ORDER));
        EXPECT_TRUE(Shown(d, IDCANCEL));
        Click(d, IDC_POPUP_DISMISS_ALL);
    });
    CAlertPopupDlg popup(plain, event, m_main);
    EXPECT_EQ(popup.m_order, "None");
    EXPECT_EQ(popup.Run(), IDC_POPUP_DISMISS_ALL);
    EXPECT_TRUE(env.host.submissions.empty());

    // Reset from the popup of a strategy's entry alert resets the whole strategy.
    auto strategy = std::make_unique<CStrategyAlert>();
    strategy->m_symbol = "QQQ";
    strategy->m_strategyName = "Crossing";
    strategy->m_entryFormula = "Up";
    strategy->m_nNumTriggered = 2;
    auto entry = std::make_unique<CFormulaAlert>("C > 1");
    entry->m_symbol = "QQQ";
    entry->m_nNumTriggered = 3;
    CFormulaAlert* entryAlert = entry.get();
    strategy->SetEntryAlert(std::move(entry));
    auto exit = std::make_unique<CFormulaAlert>("C < 1");
    exit->m_nNumTriggered = 2;
    strategy->SetExitAlert(std::move(exit));
    CStrategyAlert* whole = strategy.get();
    Book().Add(std::move(strategy));
    event.m_nAlertId = entryAlert->GetId();
    CAlertPopupDlg reset(entryAlert->GetId(), event, m_main);
    EXPECT_EQ(reset.m_condition, "Up: C > 1");
    WhenModalIs<CAlertPopupDlg>([](CAlertPopupDlg& d) {
        EXPECT_EQ(d.GetWindowText(), "Alert - QQQ - Crossing");
        Click(d, IDC_POPUP_RESET);
    });
    EXPECT_EQ(reset.Run(), IDC_POPUP_RESET);
    EXPECT_EQ(whole->m_nNumTriggered.load(), 0);
    EXPECT_EQ(whole->GetEntryAlert()->m_nNumTriggered.load(), 0);
    EXPECT_EQ(whole->GetExitAlert()->m_nNumTriggered.load(), 0);
}

TEST_F(AlertWindows, PlacingAStrategysEntryThroughTheTicketPassesTheTicketsQuantityToTheExit)
{
    env.settings.m_tradingDefaults.Row(1).programTrading = 1;
    env.settings.m_tradingDefaults.Row(1).confirmOrders = 0;
    auto strategy = std::make_unique<CStrategyAlert>();
    strategy->m_symbol = "QQQ";
    auto entry = std::make_unique<CFormulaAlert>("C > 1");
    entry->m_symbol = "QQQ";
    entry->SetTradeInfo(std::make_unique<CAlertTradeInfo>(BuyLimit(100, 400)).get());
    auto exit = std::make_unique<CFormulaAlert>("C < 1");
    CAlertTradeInfo sell = BuyLimit(0, 410);
    sell.m_legs[0].action = 1;
    sell.m_legs[0].quantityMode = 2;
    exit->SetTradeInfo(&sell);
    CFormulaAlert* entryAlert = entry.get();
    CFormulaAlert* exitAlert = exit.get();
    strategy->SetEntryAlert(std::move(entry));
    strategy->SetExitAlert(std::move(exit));
    Book().Add(std::move(strategy));
    CAlertEvent event;
    event.m_nTrigger = 1;
    event.m_nAlertId = entryAlert->GetId();

    CAlertPopupDlg popup(entryAlert->GetId(), event, m_main);
    popup.m_bEditBeforeSending = 1;
    WhenModalIs<COrderPropertySheet>([](COrderPropertySheet& sheet) {
        COrderPage* page = sheet.GetActiveOrderPage();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(Text(*page, order_ids::kSymbol), "QQQ");
        Type(*page, order_ids::kQuantity, "200");
        LeaveField(*page, order_ids::kQuantity);
        Click(*page, order_ids::kPlace);
    });
    popup.Act(IDOK);
    ASSERT_EQ(env.host.submissions.size(), 1u);
    EXPECT_EQ(env.host.submissions[0].legs[0].quantity, 200);
    EXPECT_TRUE(env.settings.m_bEditOrderBeforeSending);
    EXPECT_EQ(exitAlert->GetTradeInfo()->m_legs[0].quantity, 200);
    EXPECT_EQ(exitAlert->m_nEntryShares.load(), 200);
}
