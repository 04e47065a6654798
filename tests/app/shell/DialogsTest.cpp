// The shell's dialogs: login entry, symbol entry and the preferences pages.
#include "ShellTestSupport.h"

#include "app/shell/CLoginDlg.h"
#include "app/shell/CPreferencesSheet.h"
#include "common/services/CAppSettings.h"
#include "common/windows/SymbolEntryDialog.h"
#include "platform/ui/CWnd.h"

#include <gtest/gtest.h>

TEST(ShellDialogs, LoginNeedsAUserAndAPasswordAndShowsTheBrokersText)
{
    std::vector<RecordedBox> boxes;
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&boxes));
    CLoginDlg dlg;
    dlg.m_message = "Your password has expired.";
    ASSERT_TRUE(dlg.Create(100, nullptr));
    EXPECT_EQ(dlg.GetDlgItemText(1003), "Your password has expired.");
    dlg.OnOK();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Please enter your user name.");
    dlg.SetDlgItemText(1000, "  demo ");
    dlg.OnOK();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Please enter your password.");
    dlg.SetDlgItemText(1001, "secret");
    dlg.CheckDlgButton(1002, 0);
    dlg.OnOK();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    EXPECT_EQ(dlg.m_userName, "demo");
    EXPECT_EQ(dlg.m_password, "secret");
    EXPECT_EQ(dlg.m_nSaveUserName, 0);
    if (dlg.m_hWnd)
        dlg.DestroyWindow();
}

TEST(ShellDialogs, SymbolEntryUpperCasesAndShowsTheIntervalOnlyWhenAsked)
{
    CAppSettings settings;
    CAppSettings::Install(&settings);
    {
        SymbolEntryDialog plain(TRUE);
        plain.SetSymbol("ibm");
        ASSERT_TRUE(plain.Create(247, nullptr));
        EXPECT_FALSE(plain.GetDlgItem(1092)->IsWindowVisible());
        plain.OnOK();
        EXPECT_EQ(plain.GetSymbol(), "IBM");
        if (plain.m_hWnd)
            plain.DestroyWindow();
    }
    {
        SymbolEntryDialog both(FALSE);
        both.SetSymbol(" msft ");
        both.SetInterval("Weekly");
        both.SetExtSession(TRUE);
        ASSERT_TRUE(both.Create(247, nullptr));
        EXPECT_EQ(both.GetWindowText(), "Enter Symbol and Interval");
        both.OnOK();
        EXPECT_EQ(both.GetSymbol(), "MSFT");
        EXPECT_EQ(both.GetInterval(), "Weekly");
        EXPECT_TRUE(both.GetExtSession());
        if (both.m_hWnd)
            both.DestroyWindow();
    }
    CAppSettings::Install(nullptr);
}

TEST(ShellDialogs, PreferencesChangeTheSettingsOnlyWithValidValues)
{
    std::vector<RecordedBox> boxes;
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&boxes));
    CWnd host;
    ASSERT_TRUE(host.Create(nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 400), nullptr, 0));
    CAppSettings settings;
    CTradingOptionsPage trading(settings);
    CMiscOptionsPage misc(settings);
    CPreferencesSheet sheet("Preferences", &host);
    sheet.AddPage(&trading);
    sheet.AddPage(&misc);
    ASSERT_TRUE(sheet.Create(&host));
    ASSERT_TRUE(trading.m_hWnd);
    EXPECT_EQ(trading.GetDlgItemText(1102), "100");
    trading.SetDlgItemText(1102, "0");
    EXPECT_FALSE(sheet.PressOK());
    EXPECT_FALSE(boxes.empty());
    EXPECT_EQ(settings.m_nStockShares, 100);
    trading.SetDlgItemText(1102, "250");
    trading.SetDlgItemText(1104, "5");
    ASSERT_TRUE(sheet.PressOK());
    EXPECT_EQ(settings.m_nStockShares, 250);
    EXPECT_EQ(settings.m_nFuturesContracts, 5);
    EXPECT_EQ(settings.m_nBroker, 1);
    if (sheet.m_hWnd)
        sheet.DestroyWindow();
    host.DestroyWindow();
}
