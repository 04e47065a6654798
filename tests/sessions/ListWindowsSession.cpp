// A trader's Level II and time and sales session: a symbol typed into the toolbar's box,
// Level II and Time & Sales opened from the Quotes menu for it, the book and the trades as
// the broker has them, a book row double-clicked into the Trade Ticket, every window
// closed and File -> Exit.
#include "tests/sessions/SessionHarness.h"

#include "analytics/series/CPriceSeries.h"
#include "app/shell/CMainFrame.h"
#include "broker/core/Formatters.h"
#include "platform/ui/CFrameWnd.h"
#include "trading/OrderFormIds.h"
#include "views/ui/CLevel2View.h"
#include "views/ui/CTimeSalesView.h"

#include <QTreeView>

#include <cmath>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class ListWindowsSessionTest : public SessionTest {};

TEST_F(ListWindowsSessionTest, TypedSymbolLevelTwoTimeAndSalesTicketCloseAndExit)
{
    const int status = RunWorkstation([&](CSession& s) {
        // The symbol typed into the toolbar's box.
        QWidget* box = s.OnUi([&] { return s.App().MainFrame()->GetSymbolCombo().GetWidget(); });
        s.Step("type MSFT into the symbol box");
        s.Click(box);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("msft\n");
        ASSERT_TRUE(s.WaitFor("the symbol box to show MSFT", [&] { return s.App().MainFrame()->GetSymbolBox() == "MSFT"; }));

        // Level II for it, the book as the broker serves it.
        s.ChooseMenu("&Quotes|Level &II");
        CLevel2View* level2 = nullptr;
        ASSERT_TRUE(s.WaitFor("a Level II window", [&] {
            const auto views = s.Views<CLevel2View>();
            level2 = views.empty() ? nullptr : views.front();
            return level2 != nullptr;
        }));
        const auto book = s.Broker().Book("MSFT", "L2");
        ASSERT_TRUE(book);
        ASSERT_TRUE(s.WaitFor("the book's rows", [&] {
            return level2->Bids().GetItemCount() == static_cast<int>(book->bids.size()) &&
                   level2->Asks().GetItemCount() == static_cast<int>(book->asks.size());
        }));
        EXPECT_EQ(s.CellText(&level2->Asks(), 0, "MPID").toStdString(), book->asks[0].participant);
        EXPECT_EQ(s.CellText(&level2->Asks(), 0, "Ask").toStdString(), FormatNumber(book->asks[0].price, 2, 4).str());
        EXPECT_EQ(s.OnUi([&] { return level2->GetDocument()->GetTitle(); }).Find("MSFT"), 0);

        // Time & Sales for the same symbol, with the trades the broker sends.
        s.ChooseMenu("&Quotes|&Time && Sales");
        CTimeSalesView* ts = nullptr;
        ASSERT_TRUE(s.WaitFor("a Time & Sales window", [&] {
            const auto views = s.Views<CTimeSalesView>();
            ts = views.empty() ? nullptr : views.front();
            return ts != nullptr && ts->GetSeries() && !ts->GetSeries()->IsWaitingForData();
        }));
        EXPECT_EQ(s.OnUi([&] { return ts->GetSymbolText(); }), "MSFT");
        s.Pause(2500ms); // past the series' "now" by the program's clock
        const double last = s.Broker().Symbol("MSFT")->last;
        std::vector<std::string> prices;
        for (int i = 1; i <= 5; ++i) {
            const double price = std::round((last + 0.01 * i) * 100) / 100;
            ASSERT_TRUE(s.Broker().InjectTrade("MSFT", price, 100u * static_cast<uint32_t>(i), "ARCA"));
            prices.push_back(FormatNumber(price, 2, 4).str());
        }
        EXPECT_TRUE(s.WaitFor("the trades, newest first", [&] {
            for (int i = 0; i < 5; ++i)
                if (s.CellText(&ts->List(), i, "Price").toStdString() != prices[static_cast<size_t>(4 - i)])
                    return false;
            return true;
        }));

        // A double click on the best bid opens the ticket to sell at its price.
        s.Step("double-click the best bid");
        s.RaiseFrame(s.OnUi([&] { return level2->GetParentFrame()->GetOuterWidget(); }));
        const QString bidPrice = s.CellText(&level2->Bids(), 0, "Bid");
        s.ClickCell(&level2->Bids(), bidPrice, "Bid", Qt::LeftButton, true);
        QWidget* ticket = s.WaitModal("Trade Ticket");
        ASSERT_NE(ticket, nullptr);
        EXPECT_EQ(s.ControlText(ticket, order_ids::kSymbol), "MSFT");
        EXPECT_EQ(s.ControlText(ticket, order_ids::kAction), "Sell");
        EXPECT_EQ(s.ControlText(ticket, order_ids::kPrice), bidPrice);
        s.PressButton(ticket, "Cancel");
        ASSERT_TRUE(s.WaitFor("the ticket closed", [&] { return s.ActiveModal() == nullptr; }));
        EXPECT_TRUE(s.Broker().OrderRequests().empty());

        // Every window closed, then File -> Exit.
        for (QWidget* frame : {s.OnUi([&] { return ts->GetParentFrame()->GetOuterWidget(); }),
                               s.OnUi([&] { return level2->GetParentFrame()->GetOuterWidget(); })}) {
            s.RaiseFrame(frame);
            s.CloseFrame(frame);
        }
        EXPECT_TRUE(s.WaitFor("the windows closed",
                              [&] { return s.Views<CLevel2View>().empty() && s.Views<CTimeSalesView>().empty(); }));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

} // namespace
} // namespace qx::sessions
