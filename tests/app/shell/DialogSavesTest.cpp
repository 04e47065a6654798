// What a dialog changes in the user files is on disk as soon as it closes with OK, with
// "Save changes at once" off and without an exit: read back from the folder by a
// settings object of its own.
#include "ShellBrokerFixture.h"

#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "app/shell/CPreferencesSheet.h"
#include "chart/ui/ChartIds.h"
#include "common/windows/CEnterTitleDlg.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CProfile.h"
#include "platform/ui/CPropertySheet.h"
#include "tests/trading/ui/UiDriving.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/CApiSettingsDlg.h"
#include "trading/ui/ReportIds.h"
#include "views/CCustomColumn.h"
#include "views/CPortfolio.h"
#include "views/ui/CColumnWizardDlg.h"
#include "views/ui/EditPortfolioDlg.h"
#include "views/ui/FormulaWizard.h"
#include "views/ui/Level1Ids.h"
#include "views/ui/Level1View.h"

#include <gtest/gtest.h>

namespace {

using namespace uitest;

// Answers the font, colour and file dialogs with what the test sets.
class DialogResponder : public RecordingResponder {
public:
    using RecordingResponder::RecordingResponder;
    bool ChooseFont(CWnd*, LOGFONT& font, COLORREF& color) override
    {
        std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", face.GetString());
        color = textColor;
        return true;
    }
    bool ChooseColor(CWnd*, COLORREF& chosen) override
    {
        chosen = color;
        return true;
    }
    bool ChooseFile(CWnd*, FileDialogRequest&, std::vector<CString>& chosen) override
    {
        chosen = {file};
        return !file.IsEmpty();
    }
    CString face;
    COLORREF textColor = 0;
    COLORREF color = 0;
    CString file;
};

class DialogSaves : public ShellBrokerFixture {
protected:
    // The user files and the profile as they stand on disk.
    std::unique_ptr<CAppSettings> Reread() const
    {
        auto settings = std::make_unique<CAppSettings>();
        settings->SetWorkingDirectory(m_home.Path());
        settings->LoadAll();
        CProfile profile(m_home.File("profile.ini").c_str());
        settings->LoadProfile(profile);
        return settings;
    }
};

constexpr UINT kAlertSymbolsEdit = 1503, kAlertFormulaEdit = 1571, kAlertPlaceOrderCheck = 1581;

} // namespace

TEST_F(DialogSaves, EveryDialogThatChangesAUserFileWritesItWhenItClosesWithOk)
{
    auto owned = std::make_unique<DialogResponder>(&m_boxes);
    DialogResponder& responder = *owned;
    CScopedUiResponder scope(std::move(owned));
    CWorkstationApp app;
    app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    app.Settings().m_bSaveAtOnce = false;
    // The login dialog's user name.
    EXPECT_EQ(Reread()->m_userName, "demo");

    // Preferences, with the integrated trading settings of its Trading page.
    bool apiShown = false;
    WhenModalIs<CPreferencesSheet>([&](CPreferencesSheet& sheet) {
        CPropertyPage* page = sheet.GetPage(0);
        ASSERT_NE(page, nullptr);
        Type(*page, 1102, "250");
        WhenModalIs<CApiSettingsDlg>([&](CApiSettingsDlg& d) {
            apiShown = true;
            Click(d, 1283); // No order confirmation
            Click(d, 1258); // alerts' orders: Place Order
            Click(d, IDOK);
        });
        Click(*page, 1101);
        sheet.PressOK();
    });
    frame->SendMessage(WM_COMMAND, ID_PREFERENCES);
    EXPECT_TRUE(apiShown);
    {
        const auto disk = Reread();
        EXPECT_EQ(disk->m_nStockShares, 250);
        EXPECT_FALSE(disk->m_bSaveAtOnce);
        EXPECT_EQ(disk->m_tradingDefaults.Row(1).confirmOrders, 0);
        EXPECT_EQ(disk->m_tradingDefaults.Row(1).programTrading, 1);
    }

    // Fonts and colours of the lists and charts.
    responder.face = "DejaVu Serif";
    responder.textColor = RGB(10, 20, 30);
    frame->SendMessage(WM_COMMAND, ID_LIST_FONTS);
    responder.face = "DejaVu Sans Mono";
    frame->SendMessage(WM_COMMAND, ID_ORDER_FONTS);
    responder.face = "DejaVu Sans";
    frame->SendMessage(WM_COMMAND, ID_CHART_FONTS);
    responder.color = RGB(1, 2, 3);
    frame->SendMessage(WM_COMMAND, ID_LIST_COLORS);
    responder.color = RGB(4, 5, 6);
    frame->SendMessage(WM_COMMAND, ID_SAVED_COLORS);
    {
        const auto disk = Reread();
        EXPECT_EQ(disk->m_quoteFont.face, "DejaVu Serif");
        EXPECT_EQ(disk->m_quoteTextColor, RGB(10, 20, 30));
        EXPECT_EQ(disk->m_reportLooks[kReportOrderStatus].font.face, "DejaVu Sans Mono");
        EXPECT_EQ(disk->m_chartFont.face, "DejaVu Sans");
        EXPECT_EQ(disk->m_quoteColors[0], RGB(1, 2, 3));
        EXPECT_EQ(disk->m_reportLooks[kReportSavedOrders].colors[0], RGB(4, 5, 6));
    }

    // The Watch List Manager.
    WhenModalIs<EditPortfolioDlg>([&](EditPortfolioDlg& d) {
        d.AddPortfolioNamed("Growth");
        Click(d, IDOK);
    });
    frame->SendMessage(WM_COMMAND, ID_WATCH_LIST_MANAGER);
    {
        CPortfolioList portfolios;
        ASSERT_TRUE(LoadPortfolios(*Reread(), portfolios));
        ASSERT_EQ(portfolios.size(), 1u);
        EXPECT_EQ(portfolios[0].name, "Growth");
    }

    // A Level I window's custom field wizard and the notes of a row.
    auto* level1 = dynamic_cast<Level1View*>(app.OpenWindowOfKind(kKindLevel1, false)->GetFirstView());
    ASSERT_NE(level1, nullptr);
    WhenModalIs<CColumnWizardDlg>([&](CColumnWizardDlg& d) {
        CCustomColumn spread;
        spread.m_name = "Spread";
        spread.m_text = "Ask-Bid";
        d.AddDefinition(spread);
        Click(d, IDCANCEL); // "Close"
    });
    level1->SendMessage(WM_COMMAND, ID_L1_CUSTOM_WIZARD);
    {
        CCustomColumnLists columns;
        ASSERT_TRUE(LoadCustomColumns(*Reread(), columns));
        ASSERT_EQ(columns[kCustomFields].size(), 1u);
        EXPECT_EQ(columns[kCustomFields][0].m_text, "Ask-Bid");
    }
    level1->InsertSymbols({"MSFT"});
    WhenModalIs<CEnterTitleDlg>([&](CEnterTitleDlg& d) {
        Type(d, 1061, "Earnings on Tuesday");
        Click(d, IDOK);
    });
    level1->Grid().EditNotes(0);
    {
        CString note;
        EXPECT_TRUE(Reread()->m_notes.Lookup("MSFT", note));
        EXPECT_EQ(note, "Earnings on Tuesday");
    }

    // Alerts with an order, from the main frame's Add Alert and from a Level I row.
    auto addAlert = [&](const char* symbol) {
        WhenModalIs<CTradeAlertSetupDlg>([&, symbol](CTradeAlertSetupDlg& d) {
            Type(d, kAlertSymbolsEdit, symbol);
            Type(d, kAlertFormulaEdit, "Last > 10000");
            Click(d, kAlertPlaceOrderCheck);
            Choose(d, order_ids::kOrderType, "Market");
            Type(d, order_ids::kQuantity, "10");
            Click(d, IDOK);
        });
    };
    addAlert("IBM");
    frame->SendMessage(WM_COMMAND, ID_ADD_ALERT);
    addAlert("MSFT");
    EXPECT_TRUE(RunAlertWizard(level1, "MSFT"));
    {
        const std::string alerts = m_home.Read("alerts.xml");
        EXPECT_NE(alerts.find("IBM"), std::string::npos) << alerts;
        EXPECT_NE(alerts.find("MSFT"), std::string::npos) << alerts;
        size_t orders = 0;
        for (size_t at = alerts.find("<TradeInfo>"); at != std::string::npos; at = alerts.find("<TradeInfo>", at + 1))
            ++orders;
        EXPECT_EQ(orders, 2u) << alerts;
    }

    // The charts' drawing-tool preferences.
    CView* chart = app.OpenWindowOfKind(kKindChart, false)->GetFirstView();
    ASSERT_NE(chart, nullptr);
    WhenModalIs<CPropertySheet>([&](CPropertySheet& sheet) {
        Type(*sheet.GetPage(0), 1001, "4"); // segment thickness
        sheet.PressOK();
    });
    chart->SendMessage(WM_COMMAND, ID_TOOL_PREFERENCES);
    EXPECT_EQ(Reread()->m_drawingDefaults.segment.thickness, 4);

    // The workspace saved last is opened after the next login.
    responder.file = m_home.File("Workspaces/mine.swp").c_str();
    frame->SendMessage(WM_COMMAND, ID_WORKSPACE_SAVE_AS);
    EXPECT_EQ(Reread()->m_lastWorkspace, m_home.File("Workspaces/mine.swp").c_str());

    // Nothing of a save is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(m_home.File("")))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    CloseAndExit(app);
}
