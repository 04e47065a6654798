// The Level II window offscreen, over a session without a broker whose stores the test
// feeds: the linked symbol's book in bands, source choices, the market-maker log pane, the
// depth bar and summary as drawn, the ticket a double click opens, typing into a floating
// window and the workspace record.
#include "ListWindowsHarness.h"

#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/QuoteFields.h"
#include "broker/session/SessionConfig.h"
#include "common/windows/SymbolEntryDialog.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "tests/trading/ui/UiDriving.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/COrderPropertySheet.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class Level2ViewTest : public ::testing::Test {
protected:
    Level2ViewTest() : m_manager(QX_BROKER_SESSION_DIR, CSessionConfig{}, nullptr, nullptr)
    {
        CSessionManager::Install(&m_manager);
    }
    ~Level2ViewTest() override
    {
        m_harness.reset();
        CSessionManager::Install(nullptr);
    }

    void Book(const char* source, std::vector<CBookMessageRow> bids, std::vector<CBookMessageRow> asks,
              const char* symbol = "MSFT")
    {
        CBookMessage message;
        message.m_symbol = symbol;
        message.m_source = source;
        message.m_bids = std::move(bids);
        message.m_asks = std::move(asks);
        m_manager.GetDepthStore().ApplyMessage(message);
    }
    void Quote(const char* symbol, std::initializer_list<std::pair<int, double>> fields, const char* exchange)
    {
        CQuoteMessage message;
        message.m_symbol = symbol;
        for (auto [id, value] : fields)
            message.AddField(id, value);
        message.AddText(kFieldExchange, exchange);
        message.AddText(kFieldDescription, "Microsoft Corp");
        m_manager.GetQuoteStore().ApplyQuote(message);
    }
    CString Title(CLevel2View& view) { return view.GetDocument()->GetTitle(); }

    CSessionManager m_manager;
    std::unique_ptr<CListWindowsHarness> m_harness = std::make_unique<CListWindowsHarness>();
};

} // namespace

TEST_F(Level2ViewTest, ShowsTheLinkedSymbolsBookInPriceBands)
{
    m_harness->main->symbol = "MSFT";
    CLevel2View* view = m_harness->Open<CLevel2View>(0, false, 0, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetSymbolText(), "MSFT");
    ASSERT_NE(view->GetDepthHandle(), nullptr);
    EXPECT_EQ(view->GetDepthHandle()->GetSource(), "L2");
    EXPECT_EQ(Title(*view), "MSFT, Level II");
    // 490 x 350 at first.
    CRect frame;
    view->GetParentFrame()->GetWindowRect(&frame);
    EXPECT_EQ(frame.Width(), 490);
    EXPECT_EQ(frame.Height(), 350);
    view->GetParentFrame()->MoveWindow(0, 0, 700, 500);
    PumpFor(10);

    Book("L2", {{"ARCA", 20.10, 300, ""}, {"NSDQ", 20.10, 200, ""}, {"EDGX", 20.05, 100, ""}},
         {{"GSCO", 20.12, 400, ""}, {"UBSS", 20.13, 500, ""}});
    Quote("MSFT", {{kFieldLast, 20.11}, {kFieldChange, 0.25}, {kFieldOpen, 19.9}, {kFieldVolume, 1500000}}, "NASD");
    view->RefreshNow();
    PumpFor(20);
    EXPECT_EQ(Title(*view), "MSFT - Microsoft Corp, Level II");
    CBookSideList& bids = view->Bids();
    ASSERT_EQ(bids.GetItemCount(), 3);
    ASSERT_EQ(view->Asks().GetItemCount(), 2);
    EXPECT_EQ(bids.Rows()[2].texts[kBookParticipant], "EDGX");
    // The first two rows share the first band's colour, the third has the second's.
    const auto& colors = m_harness->settings.m_level2Colors;
    for (int item : {0, 1, 2}) {
        const QRect row = ItemRect(bids, item);
        EXPECT_EQ(ViewportPixel(bids, QPoint(row.right() - 3, row.center().y())), colors[item < 2 ? 0 : 1]) << item;
    }
    // The lists stand side by side under the summary and the bar.
    CRect bidRect, askRect, barRect;
    bids.GetWindowRect(&bidRect);
    view->Asks().GetWindowRect(&askRect);
    view->DepthBar().GetWindowRect(&barRect);
    EXPECT_EQ(bidRect.top, askRect.top);
    EXPECT_GT(askRect.left, bidRect.right);
    EXPECT_GT(bidRect.top, barRect.bottom - 1);
    EXPECT_EQ(barRect.Height(), 15);

    // The depth bar: 600 shares of bids and 900 of asks, deepest bid group at the left.
    const int width = barRect.Width();
    view->DepthBar().UpdateWindow();
    PumpFor(20);
    const std::vector<CDepthBlock> blocks = view->DepthBar().Blocks();
    ASSERT_EQ(blocks.size(), 5u);
    EXPECT_EQ(blocks[0].colorIndex, 1); // 20.05 lies deepest
    EXPECT_EQ(blocks[2].colorIndex, -1);
    const int room = width - 5;
    EXPECT_EQ(blocks[0].width, static_cast<int>(100.0 * room / 1500 + 0.5));
    EXPECT_EQ(WindowPixel(view->DepthBar(), blocks[2].left + 2, 7), RGB(0, 0, 0));
    EXPECT_EQ(WindowPixel(view->DepthBar(), blocks[0].left + 1, 7), colors[1]);

    // The summary: Last ticks up from its first reading.
    view->Summary().UpdateCells();
    Quote("MSFT", {{kFieldLast, 20.20}}, "NASD");
    view->Summary().UpdateCells();
    EXPECT_EQ(view->Summary().Cells()[0].valueText, "20.20");
    EXPECT_EQ(view->Summary().Cells()[0].tickDirection, kTickUp);
    EXPECT_EQ(view->Summary().Cells()[5].valueText, "1,500,000");

    // A link broadcast to another symbol opens its book.
    CSymbolIntervalMsg msg{"IBM", "", false};
    view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkBroadcastAll), reinterpret_cast<LPARAM>(&msg));
    EXPECT_EQ(view->GetSymbolText(), "IBM");
    EXPECT_EQ(view->GetDepthHandle()->GetSource(), "NYSE");
    EXPECT_EQ(view->Bids().GetItemCount(), 0);
}

namespace {

// A book list that records the rows it draws.
class CRecordingBookList : public CBookSideList {
public:
    using CBookSideList::CBookSideList;
    void DrawItem(LPDRAWITEMSTRUCT draw) override
    {
        drawn.insert(static_cast<int>(draw->itemID));
        CBookSideList::DrawItem(draw);
    }
    std::set<int> drawn;
};

} // namespace

// Each refresh draws every row again, whether the book keeps its depth, loses or gains levels.
TEST_F(Level2ViewTest, ARefreshRedrawsEveryRowOfTheBook)
{
    CWnd host;
    ASSERT_TRUE(host.Create(nullptr, "book", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
    CMarketDepthHandle* handle = m_manager.CreateMarketDepthHandle("L2:MSFT");
    handle->Subscribe();
    CRecordingBookList bids(0);
    ASSERT_TRUE(bids.CreateList(&host, 100, {}));
    bids.MoveWindow(0, 0, 380, 280);
    bids.SetupColumns(false);
    bids.SetDepthHandle(handle);
    const auto& colors = m_harness->settings.m_level2Colors;
    auto refresh = [&] {
        bids.drawn.clear();
        bids.Refresh(colors);
        PumpFor(20);
        return bids.drawn;
    };
    Book("L2", {{"ARCA", 20.10, 300, ""}, {"NSDQ", 20.05, 200, ""}, {"EDGX", 20.00, 100, ""}}, {});
    EXPECT_EQ(refresh(), (std::set<int>{0, 1, 2}));
    Book("L2", {{"ARCA", 20.10, 300, ""}, {"NSDQ", 20.10, 200, ""}, {"EDGX", 20.05, 100, ""}}, {});
    EXPECT_EQ(refresh(), (std::set<int>{0, 1, 2}));
    EXPECT_EQ(bids.Rows()[1].texts[kBookPrice], "20.10");
    EXPECT_EQ(bids.Rows()[1].color, colors[0]);
    EXPECT_EQ(ViewportPixel(bids, QPoint(ItemRect(bids, 1).right() - 3, ItemRect(bids, 1).center().y())), colors[0]);
    Book("L2", {{"ARCA", 20.10, 300, ""}, {"EDGX", 20.05, 100, ""}}, {});
    EXPECT_EQ(refresh(), (std::set<int>{0, 1}));
    EXPECT_EQ(bids.GetItemCount(), 2);
    Book("L2", {{"ARCA", 20.10, 300, ""}, {"NSDQ", 20.09, 200, ""}, {"EDGX", 20.05, 100, ""}, {"GSCO", 20.01, 50, ""}},
         {});
    EXPECT_EQ(refresh(), (std::set<int>{0, 1, 2, 3}));
    bids.SetDepthHandle(nullptr);
    m_manager.DeleteMarketDepthHandle(handle);
    bids.DestroyWindow();
    host.DestroyWindow();
}

TEST_F(Level2ViewTest, SourceChoicesTotalViewAndTheLog)
{
    CLevel2View* view = m_harness->OpenLevel2();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Title(*view), "Level II");
    view->ShowSymbol("MSFT");
    view->SendMessage(WM_COMMAND, ID_L2_SOURCE_FIRST + kSourceTotalView);
    EXPECT_EQ(view->GetSourceChoice(), kSourceTotalView);
    EXPECT_EQ(view->GetDepthHandle()->GetSource(), "TV");
    EXPECT_EQ(Title(*view), "MSFT, TotalView");
    ASSERT_EQ(view->Bids().GetColumnCount(), 4);
    LVCOLUMN column{};
    char title[32];
    column.mask = LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = sizeof title;
    view->Asks().GetColumn(3, &column);
    EXPECT_STREQ(title, "Time");
    view->SendMessage(WM_COMMAND, ID_L2_SOURCE_FIRST + kSourceInet);
    EXPECT_EQ(Title(*view), "MSFT, INET Book");
    EXPECT_EQ(view->Bids().GetColumnCount(), 5);
    view->SendMessage(WM_COMMAND, ID_L2_SOURCE_FIRST + kSourceAuto);
    EXPECT_EQ(view->GetDepthHandle()->GetSource(), "L2");

    // The log pane takes the bottom of the window and lists moves newest first.
    CRect before;
    view->Bids().GetWindowRect(&before);
    view->SendMessage(WM_COMMAND, ID_L2_MM_LOG);
    PumpFor(10);
    EXPECT_TRUE(view->IsLogShown());
    CRect lists, log;
    view->Bids().GetWindowRect(&lists);
    view->Log().GetWindowRect(&log);
    EXPECT_LT(lists.Height(), before.Height());
    EXPECT_GT(log.Height(), 0);
    EXPECT_GE(log.top, lists.bottom);
    Book("L2", {{"ARCA", 20.00, 300, ""}}, {{"ARCA", 20.05, 200, ""}});
    Book("L2", {{"ARCA", 20.01, 300, ""}}, {{"ARCA", 20.05, 100, ""}});
    ASSERT_TRUE(PumpUntil([&] { return view->Log().GetItemCount() == 2; }));
    EXPECT_STREQ(MMLogActionText(view->Log().Log().At(0)), "Ask Size Down");
    EXPECT_STREQ(MMLogActionText(view->Log().Log().At(1)), "Bid Price Up");
    EXPECT_EQ(MMLogColumnText(view->Log().Log().At(1), 2), "+20.01 x 20.05");
    const QRect first = ItemRect(view->Log(), 0);
    view->Log().UpdateWindow();
    // The row is drawn in its action's colour, green, darkened to stand out from the white.
    bool green = false;
    auto* tree = qobject_cast<QTreeView*>(view->Log().GetWidget());
    const QImage image = tree->viewport()->grab().toImage();
    for (int x = first.left(); x < first.right() && !green; ++x)
        for (int y = first.top(); y < first.bottom() && !green; ++y)
            green = image.pixelColor(x, y) == QColor(0, 191, 0);
    EXPECT_TRUE(green);
    // Another book empties the log.
    view->SendMessage(WM_COMMAND, ID_L2_SOURCE_FIRST + kSourceLevel2);
    view->ShowSymbol("AAPL");
    EXPECT_EQ(view->Log().GetItemCount(), 0);
}

TEST_F(Level2ViewTest, ADoubleClickOpensTheTicketAtTheRowsSideAndPrice)
{
    m_harness->main->symbol = "MSFT";
    CLevel2View* view = m_harness->OpenLevel2();
    ASSERT_NE(view, nullptr);
    Book("L2", {{"ARCA", 1500000.0, 300, ""}}, {{"INET", 20.13, 400, ""}, {"NSDQ", 20.14, 100, ""}});
    view->RefreshNow();
    PumpFor(20);
    ASSERT_EQ(view->Bids().Rows()[0].texts[kBookPrice], "1.50M");

    struct Seen {
        bool shown = false;
        CString symbol, action, price, route;
    } seen;
    auto watch = [&seen] {
        uitest::WhenModalIs<COrderPropertySheet>([&seen](COrderPropertySheet& sheet) {
            COrderPage* page = sheet.GetActiveOrderPage();
            seen.shown = true;
            seen.symbol = uitest::Text(*page, order_ids::kSymbol);
            seen.action = uitest::Text(*page, order_ids::kAction);
            seen.price = uitest::Text(*page, order_ids::kPrice);
            seen.route = uitest::Text(*page, order_ids::kRoute);
            sheet.EndDialog(IDCANCEL);
        });
    };
    watch();
    DoubleClickItem(view->Bids(), 0);
    ASSERT_TRUE(PumpUntil([&] { return seen.shown; }, 10000));
    EXPECT_EQ(seen.symbol, "MSFT");
    EXPECT_EQ(seen.action, "Sell");
    EXPECT_EQ(seen.price, "1500000.00"); // the level's value, not its "1.50M"

    seen = {};
    watch();
    DoubleClickItem(view->Asks(), 0);
    ASSERT_TRUE(PumpUntil([&] { return seen.shown; }, 10000));
    EXPECT_EQ(seen.action, "Buy");
    EXPECT_EQ(seen.price, "20.13");
    EXPECT_EQ(seen.route, "NSDQ (INET)");
}

TEST_F(Level2ViewTest, TypingIntoAFloatingWindowAsksForTheSymbolAndTheWorkspaceKeepsIt)
{
    CLevel2View* view = m_harness->OpenLevel2(true);
    ASSERT_NE(view, nullptr);
    uitest::WhenModalIs<SymbolEntryDialog>([](SymbolEntryDialog& dlg) {
        EXPECT_EQ(uitest::Text(dlg, 1090), "M");
        dlg.SetDlgItemText(1090, "MSFT");
        dlg.SendMessage(WM_COMMAND, IDOK);
    });
    view->Bids().SetFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_M, Qt::NoModifier, "M");
    QApplication::sendEvent(view->Bids().GetWidget(), &key);
    ASSERT_TRUE(PumpUntil([&] { return view->GetSymbolText() == "MSFT"; }));

    // In an MDI window too a typed character opens the symbol entry holding it.
    CLevel2View* attached = m_harness->OpenLevel2();
    bool asked = false;
    uitest::WhenModalIs<SymbolEntryDialog>([&](SymbolEntryDialog& dlg) {
        asked = uitest::Text(dlg, 1090) == "I";
        dlg.SendMessage(WM_COMMAND, IDCANCEL);
    });
    QKeyEvent i(QEvent::KeyPress, Qt::Key_I, Qt::NoModifier, "I");
    QApplication::sendEvent(attached->Asks().GetWidget(), &i);
    EXPECT_TRUE(PumpUntil([&] { return asked; }));
    EXPECT_TRUE(attached->GetSymbolText().IsEmpty());

    view->SendMessage(WM_COMMAND, ID_L2_SOURCE_FIRST + kSourceInet);
    view->ShowLog(true);
    view->GetCommonDoc()->GetLinkState().SetSymbolGroup(4);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ASSERT_TRUE(view->SaveToWorkspace(ar));
        ar.Close();
    }
    const std::vector<BYTE> bytes = file.Detach();
    CLevel2View* copy = m_harness->OpenLevel2();
    CMemFile in(bytes.data(), bytes.size());
    CArchive ar(&in, CArchive::load);
    ASSERT_TRUE(copy->LoadFromWorkspace(ar, 19));
    EXPECT_EQ(copy->GetSymbolText(), "MSFT");
    EXPECT_EQ(copy->GetSourceChoice(), kSourceInet);
    EXPECT_TRUE(copy->IsLogShown());
    EXPECT_EQ(copy->GetCommonDoc()->GetLinkState().GetSymbolGroup(), 4);
    EXPECT_EQ(copy->GetDepthHandle()->GetSource(), "INET");
    EXPECT_EQ(m_harness->main->symbol, "MSFT");
}
