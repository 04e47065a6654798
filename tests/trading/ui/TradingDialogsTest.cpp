// The order dialogs and the ticket's sheet offscreen: the price offset, the accounts, the
// integrated trading settings, the numeric spin, and which pages the ticket shows.
#include "common/services/CTradingDefaults.h"
#include "tests/trading/FakeOrderForm.h"
#include "tests/trading/ui/UiDriving.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/CAccountsDlg.h"
#include "trading/ui/CApiSettingsDlg.h"
#include "trading/ui/CNumericSpinButton.h"
#include "trading/ui/COrderPropertySheet.h"
#include "trading/ui/CPriceOffsetDlg.h"

#include "platform/ui/CListBox.h"

#include <QDialog>
#include <QDialogButtonBox>

#include <gtest/gtest.h>

using namespace uitest;
using namespace order_ids;

namespace {

class TradingDialogs : public ::testing::Test {
protected:
    TradingDialogs() : m_scope(std::unique_ptr<CUiResponder>(responder = new AnsweringResponder)) {}
    CTradingTestEnvironment env;
    AnsweringResponder* responder;
    CScopedUiResponder m_scope;
};

}  // namespace

TEST_F(TradingDialogs, PriceOffsetChecksAndSignsTheAmount)
{
    // Manual source: nothing chosen yet, the amount starts at one cent.
    CPriceOffsetDlg dlg(nullptr, 0, 0);
    bool seen = false;
    WhenModalIs<CPriceOffsetDlg>([&](CPriceOffsetDlg& d) {
        seen = true;
        EXPECT_EQ(Text(d, 1320), "0.01");
        Click(d, IDOK);
        EXPECT_EQ(responder->LastText(), "Select Offset Type");
        ASSERT_TRUE(Choose(d, 1210, "Bid"));
        Type(d, 1320, "-1");
        Click(d, IDOK);
        EXPECT_EQ(responder->LastText(), "Offset cannot be negative. Please select \"-\" from the dropdown.");
        Type(d, 1320, "0.00001");
        Click(d, IDOK);
        EXPECT_EQ(responder->LastText(), "Offset cannot be less than 0.0001");
        Type(d, 1320, "abc");
        Click(d, IDOK);
        EXPECT_EQ(responder->LastText(), "Please enter the offset as a number.");
        Type(d, 1320, "0.05");
        ASSERT_TRUE(Choose(d, 1328, "-"));
        Click(d, IDOK);
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(seen);
    EXPECT_EQ(dlg.m_nPriceSource, 1);
    EXPECT_DOUBLE_EQ(dlg.GetSignedOffset(), -0.05);

    // An offset of 0 on the bid is the bid itself; a negative one opens as "-".
    CPriceOffsetDlg zero(nullptr, 2, -0.25);
    WhenModalIs<CPriceOffsetDlg>([&](CPriceOffsetDlg& d) {
        EXPECT_EQ(Text(d, 1328), "-");
        EXPECT_EQ(Text(d, 1320), "0.25");
        Type(d, 1320, "0");
        Click(d, IDOK);
    });
    ASSERT_EQ(zero.DoModal(), IDOK);
    EXPECT_EQ(zero.GetSignedOffset(), 0);
    EXPECT_EQ(zero.m_nPriceSource, 2);
}

TEST_F(TradingDialogs, AccountsDialogSelectsByNameAndClearsOnModeChange)
{
    env.host.accounts = {{"1", "Joint", false}, {"2", "IRA", false}, {"3", "Trust", false}};
    CAccountsDlg dlg(2, {"joint (main)"}, nullptr);
    WhenModalIs<CAccountsDlg>([&](CAccountsDlg& d) {
        auto* list = dynamic_cast<CListBox*>(d.GetDlgItem(1368));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->GetCount(), 3);
        EXPECT_GT(list->GetSel(0), 0);
        EXPECT_EQ(list->GetSel(1), 0);
        EXPECT_TRUE(list->IsWindowEnabled());
        Click(d, 1363);  // all accounts
        EXPECT_FALSE(list->IsWindowEnabled());
        Click(d, 1364);
        EXPECT_EQ(list->GetSelCount(), 0);
        Click(d, IDOK);
        EXPECT_EQ(responder->LastText(), "Please select at least one account");
        list->SetSel(2, TRUE);
        list->SetSel(1, TRUE);
        Click(d, IDOK);
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nAccountMode, 2);
    EXPECT_EQ(dlg.m_accountNames, (std::vector<CString>{"IRA", "Trust"}));  // in list order

    CAccountsDlg all(2, {"IRA"}, nullptr);
    WhenModalIs<CAccountsDlg>([&](CAccountsDlg& d) {
        Click(d, 1363);
        Click(d, IDOK);
    });
    ASSERT_EQ(all.DoModal(), IDOK);
    EXPECT_EQ(all.m_nAccountMode, 1);
    EXPECT_TRUE(all.m_accountNames.empty());
}

TEST_F(TradingDialogs, IntegratedTradingSettingsEditOneRow)
{
    CTradingDefaults table;
    CApiSettingsDlg dlg(1, nullptr, &table);
    WhenModalIs<CApiSettingsDlg>([&](CApiSettingsDlg& d) {
        CString title;
        d.GetWindowText(title);
        EXPECT_EQ(title, "Integrated Trading Settings");
        // A fresh row shows what the lists hold first where its own text is not there.
        EXPECT_EQ(Text(d, 1210), "Limit");
        EXPECT_EQ(Text(d, 1211), "DAY");
        EXPECT_EQ(Text(d, 1212), "Auto");
        EXPECT_EQ(Text(d, 1263), "None");
        EXPECT_FALSE(Shown(d, 1259));
        EXPECT_FALSE(Shown(d, 1260));
        // Level II group: a market order offers DAY and MktClose.
        ASSERT_TRUE(Choose(d, 1213, "Market"));
        auto* expires = dynamic_cast<CComboBox*>(d.GetDlgItem(1214));
        ASSERT_NE(expires, nullptr);
        EXPECT_EQ(expires->GetCount(), 2);
        EXPECT_EQ(expires->GetLBText(1), "MktClose");
        ASSERT_TRUE(Choose(d, 1214, "MktClose"));
        Click(d, 1283);  // no order confirmation
        Click(d, 1258);  // alerts place their orders
        Click(d, 1248);  // Level II order entry off
        Click(d, IDOK);
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    const CTradingDefaultsRow& row = table.Row(1);
    EXPECT_EQ(row.orderTypes[0], "Limit");
    EXPECT_EQ(row.expires[0], "DAY");
    EXPECT_EQ(row.routes[0], "Auto");
    EXPECT_EQ(row.orderTypes[1], "Market");
    EXPECT_EQ(row.expires[1], "MktClose");
    EXPECT_EQ(row.confirmOrders, 0);
    EXPECT_EQ(row.programTrading, 1);
    EXPECT_EQ(row.level2Entry, 0);
    EXPECT_EQ(row.inetBookEntry, 1);
    EXPECT_EQ(table.Row(0), CTradingDefaultsRow());  // the other row is untouched

    // Cancel leaves the row as it was.
    CApiSettingsDlg cancelled(1, nullptr, &table);
    WhenModalIs<CApiSettingsDlg>([&](CApiSettingsDlg& d) {
        Click(d, 1282);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(table.Row(1).confirmOrders, 0);
}

TEST_F(TradingDialogs, TheTicketShowsThePagesOfItsMode)
{
    COrderPropertySheet all(FALSE, nullptr);
    all.InitPages(kOrderModeNew, 0, -1, nullptr, 0, nullptr, 4);
    ASSERT_EQ(all.GetPageCount(), 3);
    EXPECT_EQ(all.GetPage(0)->GetPageTitle(), "Stock");
    EXPECT_EQ(all.GetPage(1)->GetPageTitle(), "Option");
    EXPECT_EQ(all.GetPage(2)->GetPageTitle(), "Conditional");
    EXPECT_EQ(all.GetActiveOrderPage(), &all.GetStockPage());

    // An update shows only the page of the order, with the order loaded.
    COrderPropertySheet update(TRUE, nullptr);
    COrderRecord record(1);
    record.symbol = "+MSFT260116C00300000";
    record.orderId = "77";
    record.price = 2.5;
    const std::vector<COrderRecord> legs = {record};
    update.InitPages(kOrderModeUpdate, 1, -1, &legs, 0, nullptr, 4);
    ASSERT_EQ(update.GetPageCount(), 1);
    EXPECT_EQ(update.GetActiveOrderPage(), &update.GetOptionPage());
    WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        COrderPage& page = update.GetOptionPage();
        EXPECT_EQ(Text(page, kSymbol), "+MSFT260116C00300000");
        EXPECT_EQ(Text(page, kPrice), "2.50");
        EXPECT_EQ(Text(page, kPlace), "&Update Order");
        EXPECT_FALSE(Enabled(page, kSymbol));
        // The sheet's own buttons stay hidden; each page has its own.
        auto* buttons = sheet.GetWidget()->findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(buttons, nullptr);
        EXPECT_TRUE(buttons->isHidden());
        EXPECT_EQ(Text(page, kClear), "Cancel");
        Click(page, kClear);
    });
    EXPECT_EQ(update.DoModal(), IDCANCEL);

    // A conditional alert setup: the Conditional page alone, sized to its legs.
    COrderPropertySheet conditional(TRUE, nullptr);
    conditional.InitPages(kOrderModeAlert, 0, 2, nullptr, 0, nullptr, 3);
    ASSERT_EQ(conditional.GetPageCount(), 1);
    WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
        CConditionalOrderForm& page = conditional.GetConditionalPage();
        EXPECT_EQ(Text(page, kPlace), "OK");
        EXPECT_EQ(Text(page, kConditionalType), "One Triggers Another (OTA)");
        EXPECT_FALSE(Shown(page, kGroup + 2));
        const int twoLegs = sheet.GetWidget()->height();
        ASSERT_TRUE(Choose(page, kConditionalType, "One Triggers Two (OTT)"));
        PumpFor(20);
        EXPECT_TRUE(Shown(page, kGroup + 2));
        EXPECT_GT(sheet.GetWidget()->height(), twoLegs);
        // The page fits inside the sheet: the third leg's box is on screen.
        CRect box;
        page.GetDlgItem(kGroup + 2)->GetWindowRect(&box);
        CRect sheetRect;
        sheet.GetWindowRect(&sheetRect);
        EXPECT_LE(box.bottom, sheetRect.bottom);
        Click(page, kClear);
    });
    EXPECT_EQ(conditional.DoModal(), IDCANCEL);
}

TEST_F(TradingDialogs, SpinClicksStepTheBuddyNumber)
{
    COrderPropertySheet sheet(FALSE, nullptr);
    sheet.InitPages(kOrderModeNew, 0, -1, nullptr, 0, nullptr, 4);
    CWnd host;
    ASSERT_TRUE(host.Create(nullptr, "host", WS_POPUP, CRect(0, 0, 600, 400), nullptr, 0));
    ASSERT_TRUE(sheet.Create(&host));
    COrderPage& page = sheet.GetStockPage();
    auto* spin = dynamic_cast<CNumericSpinButton*>(page.GetDlgItem(kPriceSpin));
    ASSERT_NE(spin, nullptr);
    Type(page, kPrice, "12.34");
    spin->Step(1);
    EXPECT_EQ(Text(page, kPrice), "12.35");
    spin->Step(-1);
    spin->Step(-1);
    EXPECT_EQ(Text(page, kPrice), "12.33");
    auto* quantity = dynamic_cast<CNumericSpinButton*>(page.GetDlgItem(kQuantitySpin));
    ASSERT_NE(quantity, nullptr);
    Type(page, kQuantity, "250");
    quantity->Step(1);
    EXPECT_EQ(Text(page, kQuantity), "350");
    Type(page, kQuantity, "50");
    quantity->Step(-1);
    EXPECT_EQ(Text(page, kQuantity), "0");  // not below the minimum
    host.DestroyWindow();
}
