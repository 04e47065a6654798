// A trader reads the trading windows at the default font: the Accounts dialog behind the
// ticket's account button and the Balances window with the broker's balance lines show
// every text whole.
#include "tests/sessions/SessionHarness.h"

#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CListCtrl.h"
#include "tests/support/TextFitting.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/CBalanceView.h"
#include "trading/ui/COrderView.h"

#include <string>
#include <vector>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class TradingTextsSessionTest : public SessionTest {};

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TEST_F(TradingTextsSessionTest, TheAccountsDialogAndTheBalancesShowTheirTextsWhole)
{
    const int status = RunWorkstation([&](CSession& s) {
        // The Accounts dialog from the ticket's account button.
        s.ChooseMenu("&Trading|&Trade Ticket");
        ASSERT_TRUE(s.WaitFor("a trade ticket", [&] { return !s.Views<COrderView>().empty(); }));
        QWidget* ticket = s.OnUi([&] { return s.Views<COrderView>().front()->GetParentFrame()->GetOuterWidget(); });
        QWidget* accountsButton = s.Control(ticket, order_ids::kAccounts);
        ASSERT_NE(accountsButton, nullptr);
        s.Click(accountsButton);
        QWidget* accounts = s.WaitModal("Accounts");
        ASSERT_NE(accounts, nullptr);
        const std::vector<std::string> cutInDialog = s.OnUi([&] { return qx::testsupport::CutTexts(accounts); });
        EXPECT_TRUE(cutInDialog.empty()) << Lines(cutInDialog);
        // The texts measured are the dialog's own.
        EXPECT_EQ(s.ControlText(accounts, 1362), "Active Account (account viewed when order is placed)");
        s.PressButton(accounts, "Cancel");
        ASSERT_TRUE(s.WaitFor("the dialog closed", [&] { return s.ActiveModal() == nullptr; }));

        // The Balances window with the lines the broker sends.
        s.ChooseMenu("&Trading|&Balances");
        CBalanceView* balances = nullptr;
        ASSERT_TRUE(s.WaitFor("the balance lines", [&] {
            const auto views = s.Views<CBalanceView>();
            balances = views.empty() ? nullptr : views.front();
            return balances && balances->GetList().GetItemCount() > 0;
        }, 20s));
        CListCtrl* list = &balances->GetList();
        EXPECT_GE(s.RowOf(list, "Market Value of Positions"), 0);
        EXPECT_EQ(s.CutCells(list), "");
        const std::vector<std::string> cutInWindow = s.OnUi(
            [&] { return qx::testsupport::CutTexts(balances->GetParentFrame()->GetOuterWidget()); });
        EXPECT_TRUE(cutInWindow.empty()) << Lines(cutInWindow);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

} // namespace qx::sessions
