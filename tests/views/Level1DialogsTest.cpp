// The dialogs of the Level I window, created without a modal loop and driven through
// their controls: the Watch List Manager and Symbol Settings, Option Chains, Actives, the
// column wizard and the column pages; and the orders a row starts.
#include "Level1Harness.h"

#include "broker/session/CActivesHandle.h"
#include "broker/session/CQuoteStore.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/SessionConfig.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CMenu.h"
#include "trading/COrderRecord.h"
#include "views/CCustomColumn.h"
#include "views/ui/CActivesDlg.h"
#include "views/ui/CColumnWizardDlg.h"
#include "views/ui/COptionChainsDlg.h"
#include "views/ui/CSymbolSettingsDlg.h"
#include "views/ui/ColumnPages.h"
#include "views/ui/EditPortfolioDlg.h"
#include "views/ui/Level1Menus.h"

#include <gtest/gtest.h>

namespace {

template <class Dialog>
struct Shown {
    template <class... Args>
    explicit Shown(UINT id, Args&&... args) : dlg(std::forward<Args>(args)...)
    {
        EXPECT_TRUE(dlg.Create(id, nullptr));
    }
    ~Shown()
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
    }
    Dialog dlg;
};

CString ComboText(CWnd& dlg, UINT id)
{
    auto* combo = static_cast<CComboBox*>(dlg.GetDlgItem(id));
    return combo->GetCurSel() >= 0 ? combo->GetLBText(combo->GetCurSel()) : CString();
}

} // namespace

TEST(Level1Dialogs, WatchListManagerEditsThePortfoliosInPlace)
{
    CLevel1Harness harness;
    {
        Shown<EditPortfolioDlg> shown(IDD_WATCH_LIST_MANAGER);
        EditPortfolioDlg& dlg = shown.dlg;
        ASSERT_TRUE(dlg.IsLoaded());
        dlg.OnDeletePortfolio();
        ASSERT_EQ(harness.answers->boxes.size(), 1u);
        EXPECT_EQ(harness.answers->boxes[0], "Please select a portfolio");
        dlg.AddPortfolioNamed("   "); // blanks only: nothing
        EXPECT_TRUE(dlg.Portfolios().empty());
        dlg.AddPortfolioNamed(" Growth ");
        dlg.AddPortfolioNamed("Income");
        EXPECT_EQ(dlg.SelectedPortfolio(), 1);
        dlg.OnPortfolioDown(); // already last
        EXPECT_EQ(dlg.Portfolios()[1].name, "Income");
        dlg.OnPortfolioUp();
        EXPECT_EQ(dlg.Portfolios()[0].name, "Income");
        EXPECT_EQ(dlg.SelectedPortfolio(), 0);
        dlg.OnEditPosition();
        EXPECT_EQ(harness.answers->boxes.back(), "Please select a symbol");
        CPortfolioPosition p;
        p.symbol = "IBM";
        p.shares = 100;
        p.basePrice = 50.5;
        p.fee = 1;
        p.date = "03-04-2025";
        dlg.AddPositionWith(p);
        p.symbol = "GE";
        p.side = kSideShort;
        dlg.AddPositionWith(p);
        EXPECT_EQ(dlg.SelectedPosition(), 1);
        dlg.OnPositionUp();
        EXPECT_EQ(dlg.Portfolios()[0].positions[0].symbol, "GE");
        dlg.RenamePortfolio("Dividends");
        EXPECT_EQ(dlg.Portfolios()[0].name, "Dividends");
    }
    // Every command took effect in the settings' portfolios.
    CPortfolioList stored;
    ASSERT_TRUE(LoadPortfolios(harness.settings, stored));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].name, "Dividends");
    ASSERT_EQ(stored[0].positions.size(), 2u);
    EXPECT_EQ(stored[0].positions[0].symbol, "GE");
    EXPECT_EQ(PositionRowTexts(stored[0].positions[1]),
              (std::vector<CString>{"IBM", "100", "50.5", "Long", "1.00", "03-04-2025", "1", ""}));
}

TEST(Level1Dialogs, SymbolSettingsChecksItsFieldsAndSplits)
{
    CLevel1Harness harness;
    CPortfolioPosition p;
    p.shares = 100;
    p.basePrice = 50;
    Shown<CSymbolSettingsDlg> shown(IDD_SYMBOL_SETTINGS, p);
    CSymbolSettingsDlg& dlg = shown.dlg;
    dlg.OnOK();
    EXPECT_EQ(harness.answers->boxes.back(), "Please specify a symbol");
    dlg.SetDlgItemText(1028, "ibm");
    dlg.SetDlgItemText(1029, "1.2.3");
    dlg.OnOK();
    EXPECT_EQ(harness.answers->boxes.back(), "Please enter the number of shares as a whole number.");
    dlg.SetDlgItemText(1029, "100");
    dlg.SetDlgItemText(1034, "02/31/2025");
    dlg.OnOK();
    EXPECT_EQ(harness.answers->boxes.back(), "Please enter a position date that exists.");
    dlg.SetDlgItemText(1034, "02/28/2025");
    dlg.SetDlgItemText(1032, "2");
    dlg.SetDlgItemText(1033, "1");
    dlg.OnSplit();
    EXPECT_EQ(dlg.GetDlgItemText(1029), "200");
    EXPECT_EQ(dlg.GetDlgItemText(1031), "25");
    dlg.SetDlgItemText(1031, "10 1/4");
    const size_t boxes = harness.answers->boxes.size();
    dlg.OnOK();
    EXPECT_EQ(harness.answers->boxes.size(), boxes);
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    EXPECT_EQ(dlg.GetPosition().symbol, "IBM");
    EXPECT_EQ(dlg.GetPosition().shares, 200);
    EXPECT_EQ(dlg.GetPosition().basePrice, 10.25);
}

TEST(Level1Dialogs, OptionChainsStartsOnTheCurrentMonthAndRefusesUnfilteredChains)
{
    CLevel1Harness harness;
    const CTime now(2025, 12, 10, 12, 0, 0);
    {
        Shown<COptionChainsDlg> shown(IDD_OPTION_CHAINS, "", nullptr, now);
        COptionChainsDlg& dlg = shown.dlg;
        EXPECT_EQ(ComboText(dlg, 1109), "Calls And Puts");
        EXPECT_EQ(ComboText(dlg, 1113), "December 2025");
        auto* expiration = static_cast<CComboBox*>(dlg.GetDlgItem(1113));
        EXPECT_EQ(expiration->GetLBText(1), "January 2026");
        EXPECT_EQ(expiration->GetLBText(12), "All"); // no "Weekly" for calls and puts
        EXPECT_FALSE(dlg.GetDlgItem(1115)->IsWindowVisible());
        dlg.OnOK();
        EXPECT_EQ(harness.answers->boxes.back(), "Please specify a symbol");
        dlg.SetDlgItemText(1103, "msft");
        ASSERT_EQ(dlg.GetDlgItemText(1103), "msft");
        static_cast<CComboBox*>(dlg.GetDlgItem(1114))->SetCurSel(3);
        expiration->SetCurSel(14); // "All + Leaps"
        dlg.OnOK();
        EXPECT_EQ(harness.answers->boxes.back().Left(25), "Please filter the option ");
        dlg.SetDlgItemText(1104, "50");
        dlg.OnOK();
        EXPECT_EQ(dlg.GetModalResult(), IDOK);
        EXPECT_EQ(dlg.BuildDefinition(), "OptionChain,msft,CP,ALL,AL,50");
    }
    // Editing a chain shows it; calls offer "Weekly".
    Shown<COptionChainsDlg> edit(IDD_OPTION_CHAINS, "OptionChain,IBM,C,I,202603,0", nullptr, now);
    EXPECT_EQ(edit.dlg.GetDlgItemText(1103), "IBM");
    EXPECT_EQ(ComboText(edit.dlg, 1109), "Calls");
    EXPECT_EQ(ComboText(edit.dlg, 1114), "In The Money");
    EXPECT_EQ(ComboText(edit.dlg, 1113), "March 2026");
    EXPECT_EQ(static_cast<CComboBox*>(edit.dlg.GetDlgItem(1113))->GetLBText(12), "Weekly");
}

TEST(Level1Dialogs, ActivesStartOnNasdaqTradesOneMinuteOrOnTheWindowsList)
{
    CLevel1Harness harness;
    {
        Shown<CActivesDlg> shown(IDD_ACTIVES);
        EXPECT_EQ(ComboText(shown.dlg, 1210), "NASDAQ");
        EXPECT_EQ(ComboText(shown.dlg, 1211), "Trades");
        EXPECT_EQ(ComboText(shown.dlg, 1212), "1 min");
        // Options keep "Trades"; their first type is "Contracts Traded".
        static_cast<CComboBox*>(shown.dlg.GetDlgItem(1210))->SetCurSel(3);
        shown.dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1210, CBN_SELCHANGE),
                              static_cast<LPARAM>(shown.dlg.GetDlgItem(1210)->m_hWnd.Value()));
        EXPECT_EQ(ComboText(shown.dlg, 1211), "Trades");
        EXPECT_EQ(static_cast<CComboBox*>(shown.dlg.GetDlgItem(1211))->GetLBText(0), "Contracts Traded");
        shown.dlg.OnOK();
        EXPECT_EQ(shown.dlg.GetKey(), "OPTS-60,1");
    }
    CQuoteStore store;
    CActivesHandle handle(store, "CALLS-ALL,0");
    Shown<CActivesDlg> current(IDD_ACTIVES, &handle);
    EXPECT_EQ(ComboText(current.dlg, 1210), "CALLS");
    EXPECT_EQ(ComboText(current.dlg, 1211), "Contracts Traded");
    EXPECT_EQ(ComboText(current.dlg, 1212), "All Day");
}

TEST(Level1Dialogs, ColumnWizardDeletesDefinitionsAndTheMenuSaysNone)
{
    CLevel1Harness harness;
    CCustomColumnLists lists;
    CCustomColumn only;
    only.m_name = "Only";
    only.m_text = "Last";
    lists[kColorFields] = {only};
    StoreCustomColumns(harness.settings, lists);
    EXPECT_EQ(CustomColumnNames(kColorFields), std::vector<CString>{"Only"});
    {
        Shown<CColumnWizardDlg> shown(IDD_COLUMN_WIZARD, kColorFields);
        EXPECT_EQ(shown.dlg.GetWindowText(), "Color Fields");
        static_cast<CListBox*>(shown.dlg.GetDlgItem(1199))->SetCurSel(-1);
        shown.dlg.OnEdit();
        EXPECT_EQ(harness.answers->boxes.back(), "Please select an entry");
        static_cast<CListBox*>(shown.dlg.GetDlgItem(1199))->SetCurSel(0);
        shown.dlg.OnDelete();
        EXPECT_TRUE(shown.dlg.Definitions().empty());
        shown.dlg.OnDelete();
        EXPECT_EQ(harness.answers->boxes.back(), "Please select an item");
        CCustomColumn added;
        added.m_name = "Added";
        shown.dlg.AddDefinition(added);
        shown.dlg.OnDelete();
    }
    EXPECT_TRUE(CustomColumnNames(kColorFields).empty());
    CMenu popup;
    popup.CreatePopupMenu();
    FillListPopup(popup, CustomColumnNames(kColorFields), ID_ADD_COLOR_FIELD_FIRST, ID_ADD_COLOR_FIELD_FIRST + 99);
    ASSERT_EQ(popup.GetMenuItemCount(), 1);
    CString text;
    popup.GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_EQ(text, "None");
}

TEST(Level1Dialogs, RulePagesAddAndDeleteRulesWithTheirColumns)
{
    CLevel1Harness harness;
    {
        Shown<ColorRulePage> shown(IDD_COLOR_RULES, IDD_COLOR_RULES, std::vector<CColorRule>{});
        ColorRulePage& page = shown.dlg;
        auto* list = static_cast<CListCtrl*>(page.GetDlgItem(1181));
        EXPECT_EQ(list->GetColumnCount(), 3);
        page.DeleteRule();
        EXPECT_EQ(harness.answers->boxes.back(), "Please select a rule");
        page.SetDlgItemText(1182, "abc");
        page.AddRule();
        EXPECT_TRUE(page.m_rules.empty());
        static_cast<CComboBox*>(page.GetDlgItem(1184))->SetCurSel(4);
        page.SetDlgItemText(1182, "2.5");
        static_cast<CComboBox*>(page.GetDlgItem(1185))->SetCurSel(2); // RGB(1, 1, 255)
        page.AddRule();
        ASSERT_EQ(page.m_rules.size(), 1u);
        EXPECT_EQ(page.m_rules[0].comparison, kRuleGreaterEqual);
        EXPECT_EQ(page.m_rules[0].threshold, 2.5);
        EXPECT_EQ(page.m_rules[0].first, RGB(1, 1, 255));
        EXPECT_EQ(page.m_rules[0].second, RGB(255, 255, 255));
        EXPECT_EQ(list->GetItemText(0, 0), ">= 2.50");
        page.DeleteRule();
        EXPECT_TRUE(page.m_rules.empty());
    }
    Shown<ColorRulePage> field(IDD_COLOR_FIELD, IDD_COLOR_FIELD, std::vector<CColorRule>{}, "Trend", "Last", 0);
    EXPECT_EQ(static_cast<CListCtrl*>(field.dlg.GetDlgItem(1181))->GetColumnCount(), 2);
    EXPECT_FALSE(field.dlg.GetDlgItem(1235)->IsWindowVisible());
    // A bar count of 0 is refused by the page's check.
    EXPECT_FALSE(field.dlg.UpdateData(TRUE));
    field.dlg.SetDlgItemText(1197, "3");
    EXPECT_TRUE(field.dlg.UpdateData(TRUE));
    EXPECT_EQ(field.dlg.m_nBarCount, 3);
}

TEST(Level1Dialogs, RowsStartOrdersWithThePositionOrTheDefaultQuantity)
{
    CSessionManager manager(QX_BROKER_SESSION_DIR, CSessionConfig{}, nullptr, nullptr);
    CSessionManager::Install(&manager);
    {
        CLevel1Harness harness;
        harness.settings.m_nStockShares = 300;
        harness.settings.m_nOptionContracts = 7;
        Level1View* view = harness.Open();
        CPortfolioPosition p;
        p.symbol = "GE";
        p.shares = 40;
        p.side = kSideShort;
        view->Grid().InsertRow("GE", &p, 0);
        view->Grid().InsertRow("IBM", nullptr, 1);
        view->Grid().InsertRow("+IBM_012027C150", nullptr, 1);
        view->Grid().InsertTotalsRow();
        COrderRecord order;
        ASSERT_TRUE(view->Grid().MakeRowOrder(0, 3, 12.5, order));
        EXPECT_EQ(order.symbol, "GE");
        EXPECT_EQ(order.quantity, 40);
        EXPECT_EQ(order.action, 3);
        EXPECT_EQ(order.price, 12.5);
        ASSERT_TRUE(view->Grid().MakeRowOrder(1, 0, 99, order));
        EXPECT_EQ(order.quantity, 300);
        ASSERT_TRUE(view->Grid().MakeRowOrder(2, 1, 1.5, order));
        EXPECT_EQ(order.quantity, 7);
        EXPECT_FALSE(view->Grid().MakeRowOrder(3, 0, 1, order));
    }
    CSessionManager::Install(nullptr);
}
