// The Level II, time and sales and bar windows in the running workstation against the test
// broker: a double click on a book row opens the Trade Ticket with the row's side and price
// and the order reaches the broker through the ticket; a workspace with each window, MDI
// and floating, opens again with the same symbols, sources, columns, filters and links.
#include "tests/app/shell/WorkstationFixture.h"
#include "tests/trading/ui/UiDriving.h"
#include "tests/views/ListEvents.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/core/Formatters.h"
#include "broker/session/CMarketDepthHandle.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/ShellIds.h"
#include "tools/testbroker/OrderString.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/COrderPropertySheet.h"
#include "views/ui/CBarView.h"
#include "views/ui/CLevel2View.h"
#include "views/ui/CTimeSalesView.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

class ListWindowsWorkstation : public WorkstationFixture {
protected:
    template <class View>
    View* Open(CWorkstationApp& app, int kind, bool floating, const char* symbol)
    {
        app.MainFrame()->SetSymbolBox(symbol, TRUE);
        CDocument* doc = app.OpenWindowOfKind(kind, floating);
        PumpFor(20);
        return doc ? dynamic_cast<View*>(doc->GetFirstView()) : nullptr;
    }
    template <class View>
    std::vector<View*> ViewsOf(CWorkstationApp& app)
    {
        std::vector<View*> views;
        for (CView* v : app.GetWindowViews())
            if (auto* view = dynamic_cast<View*>(v))
                views.push_back(view);
        return views;
    }
    static bool Floating(CView& view) { return dynamic_cast<CCommonDoc*>(view.GetDocument())->IsDetached(); }
};

}  // namespace

TEST_F(ListWindowsWorkstation, ADoubleClickedAskRowBuysAtItsPriceThroughTheTicket)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CLevel2View* view = Open<CLevel2View>(app, kKindLevel2, false, "MSFT");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(uitest::PumpUntil([&] { return view->Asks().GetItemCount() > 0 && view->Bids().GetItemCount() > 0; }));
    const CBookRow ask = view->Asks().Rows()[0];
    const CString askPrice = ask.texts[kBookPrice];
    const auto book = m_broker->Book("MSFT", "L2");
    ASSERT_TRUE(book);
    EXPECT_EQ(askPrice, FormatNumber(book->asks[0].price, 2, 4));

    CString action, price, symbol;
    bool shown = false;
    uitest::WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        shown = true;
        COrderPage* page = sheet.GetActiveOrderPage();
        symbol = uitest::Text(*page, order_ids::kSymbol);
        action = uitest::Text(*page, order_ids::kAction);
        price = uitest::Text(*page, order_ids::kPrice);
        uitest::Type(*page, order_ids::kQuantity, "10");
        uitest::Click(*page, order_ids::kPlace);
    });
    DoubleClickItem(view->Asks(), 0);
    ASSERT_TRUE(uitest::PumpUntil([&] { return shown && !m_broker->OrderRequests().empty(); }, 20000))
        << (m_responder->boxes.empty() ? "" : m_responder->boxes.back().text.str());
    EXPECT_EQ(symbol, "MSFT");
    EXPECT_EQ(action, "Buy");
    EXPECT_EQ(price, askPrice);
    const auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u);
    std::map<std::string, std::string> fields;
    std::string error;
    ASSERT_TRUE(qx::testbroker::ParseOrderString(requests[0].orderString, fields, error)) << error;
    EXPECT_EQ(fields["action"], "buy");
    EXPECT_EQ(fields["symbol"], "MSFT");
    EXPECT_EQ(fields["quantity"], "10");
    EXPECT_EQ(std::stod(fields["price"]), book->asks[0].price);
    CloseAndExit(app);
}

TEST_F(ListWindowsWorkstation, AWorkspaceOpensTheWindowsAgainAsTheyWere)
{
    const CString path = CString(m_home.File("lists.swp").c_str());
    {
        CWorkstationApp app;
        ASSERT_TRUE(Start(app));
        CLevel2View* level2 = Open<CLevel2View>(app, kKindLevel2, false, "MSFT");
        ASSERT_NE(level2, nullptr);
        level2->SetSourceChoice(kSourceTotalView);
        level2->ShowLog(true);
        CLevel2View* floatingLevel2 = Open<CLevel2View>(app, kKindLevel2, true, "IBM");
        ASSERT_NE(floatingLevel2, nullptr);
        CTimeSalesView* ts = Open<CTimeSalesView>(app, kKindTimeSales, true, "AAPL");
        ASSERT_NE(ts, nullptr);
        ts->List().ApplyLayout({{6, 45}, {1, 70}, {2, 60}});
        ts->SetFilter(MakeTimeSalesFilter(true, 10, 500, true, 300, ""));
        ts->SetGridLines(false);
        dynamic_cast<CCommonDoc*>(ts->GetDocument())->GetLinkState().SetSymbolGroup(3);
        CBarView* bars = Open<CBarView>(app, kKindBarTable, false, "INTC");
        ASSERT_NE(bars, nullptr);
        bars->ShowSymbolInterval("INTC", "5 minutes", false);
        bars->List().ToggleColumn(6);
        ASSERT_TRUE(app.SaveWorkspace(path));
        CloseAndExit(app);
    }
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    app.CloseAllWindows();
    PumpFor(20);
    ASSERT_TRUE(app.LoadWorkspace(path));
    PumpFor(50);
    const auto level2s = ViewsOf<CLevel2View>(app);
    ASSERT_EQ(level2s.size(), 2u);
    CLevel2View* msft = level2s[0]->GetSymbolText() == "MSFT" ? level2s[0] : level2s[1];
    CLevel2View* ibm = msft == level2s[0] ? level2s[1] : level2s[0];
    EXPECT_EQ(msft->GetSymbolText(), "MSFT");
    EXPECT_FALSE(Floating(*msft));
    EXPECT_EQ(msft->GetSourceChoice(), kSourceTotalView);
    EXPECT_TRUE(msft->IsLogShown());
    EXPECT_EQ(msft->GetDepthHandle()->GetSource(), "TV");
    EXPECT_EQ(ibm->GetSymbolText(), "IBM");
    EXPECT_TRUE(Floating(*ibm));
    ASSERT_TRUE(uitest::PumpUntil([&] { return ibm->Bids().GetItemCount() > 0 && msft->Bids().GetItemCount() > 0; }));
    EXPECT_EQ(msft->Bids().GetColumnCount(), 4); // TotalView's columns

    const auto tss = ViewsOf<CTimeSalesView>(app);
    ASSERT_EQ(tss.size(), 1u);
    CTimeSalesView* ts = tss[0];
    EXPECT_TRUE(Floating(*ts));
    EXPECT_EQ(ts->GetSymbolText(), "AAPL");
    EXPECT_EQ(ts->List().GetLayout(), (std::vector<CListColumn>{{6, 45}, {1, 70}, {2, 60}}));
    EXPECT_EQ(ts->GetFilter(), MakeTimeSalesFilter(true, 10, 500, true, 300, ""));
    EXPECT_NE(ts->List().GetKey().Find("&FilterVolume=300"), -1);
    EXPECT_FALSE(ts->HasGridLines());
    EXPECT_EQ(dynamic_cast<CCommonDoc*>(ts->GetDocument())->GetLinkState().GetSymbolGroup(), 3);

    const auto barViews = ViewsOf<CBarView>(app);
    ASSERT_EQ(barViews.size(), 1u);
    EXPECT_FALSE(Floating(*barViews[0]));
    EXPECT_EQ(barViews[0]->GetSymbolText(), "INTC");
    EXPECT_EQ(barViews[0]->GetIntervalText(), "5 minutes");
    EXPECT_EQ(barViews[0]->List().GetKey(), "INTC,5");
    EXPECT_FALSE(barViews[0]->List().IsColumnShown(6));
    EXPECT_TRUE(barViews[0]->List().IsColumnShown(5));
    CloseAndExit(app);
}
