// The formula wizard offscreen: its six modes, the function picker and "Add", validation
// with the parser's message, the formula library, the order part and OK's checks.
#include "alerts/CPriceAlert.h"
#include "alerts/FormulaFunctions.h"
#include "alerts/FormulaLibraryFile.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CEnterNameDlg.h"
#include "tests/platform/TempFolder.h"
#include "tests/trading/FakeOrderForm.h"
#include "tests/trading/ui/UiDriving.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/COrderPropertySheet.h"

#include "platform/ui/CEdit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using namespace uitest;
using namespace order_ids;

namespace {

constexpr UINT kTypeLabel = 1500, kType = 1501, kSymbolsLabel = 1502, kSymbols = 1503, kSymbolLists = 1504,
               kLibraryName = 1506, kFunction = 1510, kCategory = 1511, kFieldsLabel = 1513, kFields = 1514,
               kSource = 1516, kEdit1Label = 1517, kEdit1 = 1518, kEdit2 = 1520, kEdit3 = 1522,
               kInterval = 1524, kBarsAgo = 1527, kOverride = 1529, kAdd = 1530, kFormula = 1571,
               kSaveToLibrary = 1573, kAppend = 1574, kValidate = 1575, kBrowseLibrary = 1507,
               kAlertGroup = 1580, kPlaceOrder = 1581, kConditional = 1584, kSummary = 1586, kPlaySound = 1587,
               kSoundPath = 1588;

class Wizard : public ::testing::Test {
protected:
    Wizard() : m_scope(std::unique_ptr<CUiResponder>(responder = new AnsweringResponder)) {}

    // Runs the dialog with act() on it once it shows; the dialog's result.
    INT_PTR Run(CTradeAlertSetupDlg& dlg, const std::function<void(CTradeAlertSetupDlg&)>& act)
    {
        bool ran = false;
        WhenModalIs<CTradeAlertSetupDlg>([&](CTradeAlertSetupDlg& d) {
            ran = true;
            act(d);
            if (d.m_hWnd && d.GetModalResult() == -1)
                Click(d, IDCANCEL);
        });
        const INT_PTR result = dlg.DoModal();
        EXPECT_TRUE(ran);
        return result;
    }
    static CString Formula(CWnd& d) { return Text(d, kFormula); }
    static void SetFormula(CWnd& d, const char* text)
    {
        Type(d, kFormula, text);
        if (auto* edit = dynamic_cast<CEdit*>(d.GetDlgItem(kFormula)))
            edit->SetSel(static_cast<int>(std::strlen(text)), static_cast<int>(std::strlen(text)));
    }

    CTradingTestEnvironment env;
    AnsweringResponder* responder;
    CScopedUiResponder m_scope;
};

}  // namespace

TEST_F(Wizard, EachModeHasItsTitleLabelsAndControls)
{
    struct Mode {
        int mode;
        const char* title;
        const char* label;
        bool alert;
        bool lists;
    };
    const Mode modes[] = {
        {kSetupAlert, "Trade Alert Setup", "Symbols (delimit by space):", true, true},
        {kSetupScreener, "Screener Settings", "Symbols (delimit by space):", false, true},
        {kSetupCustomField, "Custom Field Settings", "Field Name:", false, false},
        {kSetupCustomStudy, "Custom Study Settings", "Study Name:", false, false},
        {kSetupFormulaWizard, "Formula Wizard", "Formula Name:", false, false},
        {kSetupAlertWizard, "Alert Wizard", "Formula Name:", true, false},
    };
    env.settings.m_alertSound = "/sounds/alert.wav";
    for (const Mode& m : modes) {
        CTradeAlertSetupDlg dlg(nullptr, m.mode, nullptr);
        Run(dlg, [&](CTradeAlertSetupDlg& d) {
            CString title;
            d.GetWindowText(title);
            EXPECT_EQ(title, m.title);
            EXPECT_EQ(Text(d, kSymbolsLabel), m.label);
            EXPECT_EQ(Shown(d, kType), m.alert) << m.mode;
            EXPECT_EQ(Shown(d, kTypeLabel), m.alert) << m.mode;
            EXPECT_EQ(Shown(d, kAlertGroup), m.alert) << m.mode;
            EXPECT_EQ(Shown(d, kPlaceOrder), m.alert) << m.mode;
            EXPECT_EQ(Shown(d, kOrderType), m.alert) << m.mode;
            EXPECT_EQ(Shown(d, kPlaySound), m.alert) << m.mode;
            EXPECT_EQ(Shown(d, kAccount), m.alert) << m.mode;  // the session has two accounts
            EXPECT_EQ(Shown(d, kSymbolLists), m.lists) << m.mode;
            EXPECT_TRUE(Shown(d, kFormula));  // a new setup is "Advanced"
            if (m.alert) {
                EXPECT_EQ(Text(d, kType), "Advanced");
                EXPECT_EQ(Text(d, kSoundPath), "/sounds/alert.wav");
            }
        });
    }
}

TEST_F(Wizard, OkNeedsSymbolsOrANameAndAValidFormula)
{
    const std::pair<int, const char*> empties[] = {
        {kSetupAlert, "Please specify at least one symbol"},
        {kSetupScreener, "Please specify at least one symbol"},
        {kSetupCustomField, "Please specify a name for the custom field"},
        {kSetupCustomStudy, "Please specify a name for the custom study"},
        {kSetupFormulaWizard, "Please specify a name for the formula"},
        {kSetupAlertWizard, "Please specify a name for the formula"},
    };
    for (const auto& [mode, message] : empties) {
        CTradeAlertSetupDlg dlg(nullptr, mode, nullptr);
        Run(dlg, [&](CTradeAlertSetupDlg& d) {
            Type(d, kSymbols, "   ");
            Click(d, IDOK);
            EXPECT_EQ(responder->LastText(), message);
        });
        EXPECT_EQ(dlg.m_bConfirmed, 0);
    }

    // A custom study: name and formula in, validated formula out.
    CTradeAlertSetupDlg study(nullptr, kSetupCustomStudy, nullptr);
    study.m_symbols = "Overbought";
    study.m_formula = "RSI[RSI,14,D] >";
    const INT_PTR result = Run(study, [&](CTradeAlertSetupDlg& d) {
        EXPECT_EQ(Text(d, kSymbols), "Overbought");
        EXPECT_EQ(Formula(d), "RSI[RSI,14,D] >");
        Click(d, IDOK);
        ASSERT_FALSE(responder->boxes.empty());
        EXPECT_EQ(responder->boxes.back().caption, "Formula Syntax Validation");
        EXPECT_EQ(responder->LastText().Left(41), "The syntax of your formula is not valid.\n");
        EXPECT_GT(responder->LastText().GetLength(), 41);  // the parser's own message follows
        SetFormula(d, "RSI[RSI,14,D] > 70");
        Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(study.m_formula, "RSI[RSI,14,D] > 70");
    EXPECT_EQ(study.m_symbols, "Overbought");
    EXPECT_EQ(study.m_bConfirmed, 1);
}

TEST_F(Wizard, ValidateTellsWhetherTheFormulaParses)
{
    CTradeAlertSetupDlg dlg(nullptr, kSetupFormulaWizard, nullptr);
    Run(dlg, [&](CTradeAlertSetupDlg& d) {
        SetFormula(d, "  ");
        Click(d, kValidate);
        EXPECT_EQ(responder->LastText(), "Please specify the formula expression");
        SetFormula(d, "Last > 10 AND");
        Click(d, kValidate);
        EXPECT_EQ(responder->LastText().Left(41), "The syntax of your formula is not valid.\n");
        SetFormula(d, "Last > 10");
        Click(d, kValidate);
        EXPECT_EQ(responder->LastText(), "The syntax of your formula is valid.");
        EXPECT_EQ(responder->boxes.back().caption, "Formula Syntax Validation");
    });
    EXPECT_TRUE(dlg.m_formula.IsEmpty());  // only OK takes the formula
}

TEST_F(Wizard, ThePickerBuildsCallsAtTheCaret)
{
    CTradeAlertSetupDlg dlg(nullptr, kSetupFormulaWizard, nullptr);
    Run(dlg, [&](CTradeAlertSetupDlg& d) {
        ASSERT_TRUE(Choose(d, kFunction, "MACD"));
        EXPECT_EQ(Text(d, kFieldsLabel), "Fields");
        EXPECT_EQ(Text(d, kFields), "Diff");
        EXPECT_EQ(Text(d, kSource), "Close");
        EXPECT_EQ(Text(d, kEdit1Label), "Length1");
        EXPECT_EQ(Text(d, kEdit1), "12");
        EXPECT_EQ(Text(d, kEdit2), "26");
        EXPECT_EQ(Text(d, kEdit3), "9");
        EXPECT_EQ(Text(d, kInterval), "D");
        EXPECT_EQ(Text(d, kBarsAgo), "0");
        Click(d, kAdd);
        EXPECT_EQ(Formula(d), "MACD[Diff,Close,12,26,9,D]");
        Click(d, 1540 + 24);  // " >= "
        Click(d, 1540 + 0);   // "1"
        EXPECT_EQ(Formula(d), "MACD[Diff,Close,12,26,9,D] >= 1");

        ASSERT_TRUE(Choose(d, kFunction, "Level2"));
        EXPECT_FALSE(Shown(d, kBarsAgo));
        EXPECT_FALSE(Shown(d, kSource));
        SetFormula(d, "");
        Click(d, kAdd);
        EXPECT_EQ(Formula(d), "Level2[Bid,INET]");

        ASSERT_TRUE(Choose(d, kFunction, "RSI"));
        Type(d, kBarsAgo, "2");
        SetFormula(d, "");
        Click(d, kAdd);
        EXPECT_EQ(Formula(d), "RSI[RSI,14,D,2]");

        // A quote field takes only a symbol override; a system function nothing.
        ASSERT_TRUE(Choose(d, kFunction, "Last"));
        EXPECT_FALSE(Shown(d, kFields));
        EXPECT_TRUE(Shown(d, kOverride));
        Type(d, kOverride, "XYZ");
        SetFormula(d, "");
        Click(d, kAdd);
        EXPECT_EQ(Formula(d), "Last[XYZ]");
        ASSERT_TRUE(Choose(d, kFunction, "Day Of Week"));
        EXPECT_FALSE(Shown(d, kOverride));

        // The category menu narrows the list and names itself on the button.
        responder->menuChoice = 33715;  // "System Functions"
        Click(d, kCategory);
        EXPECT_EQ(Text(d, kCategory), "S");
        auto* functions = dynamic_cast<CComboBox*>(d.GetDlgItem(kFunction));
        ASSERT_NE(functions, nullptr);
        EXPECT_EQ(functions->GetCount(), 12);
        EXPECT_EQ(dlg.m_nCategory, kCategorySystem);
    });
}

TEST_F(Wizard, APriceAlertIsEditedAsBasic)
{
    CPriceAlert alert;
    alert.m_symbol = "IBM";
    alert.m_nColumn = 36;
    alert.m_nDirection = 1;
    alert.m_target = -2.5;
    CTradeAlertSetupDlg dlg(&alert, kSetupAlert, nullptr);
    const INT_PTR result = Run(dlg, [&](CTradeAlertSetupDlg& d) {
        EXPECT_EQ(Text(d, kType), "Basic");
        EXPECT_FALSE(Enabled(d, kType));
        EXPECT_EQ(Text(d, kFunction), "PctChange");
        EXPECT_EQ(Text(d, kFieldsLabel), "Direction");
        EXPECT_EQ(Text(d, kFields), "<=");
        EXPECT_EQ(Text(d, kEdit1Label), "Target");
        EXPECT_EQ(Text(d, kEdit1), "-2.5");
        EXPECT_FALSE(Shown(d, kFormula));
        EXPECT_FALSE(Shown(d, kAdd));
        EXPECT_EQ(Text(d, kSymbols), "IBM");
        Type(d, kEdit1, "abc");  // never silently a target of 0
        Click(d, IDOK);
        EXPECT_EQ(responder->LastText(), "Please enter the target as a number");
        ASSERT_TRUE(Choose(d, kFunction, "Bid"));
        ASSERT_TRUE(Choose(d, kFields, ">="));
        Type(d, kEdit1, "101.25");
        Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_nType, kSetupTypeBasic);
    EXPECT_EQ(dlg.m_nColumn, 6);
    EXPECT_EQ(dlg.m_nDirection, 0);
    EXPECT_EQ(dlg.m_target, 101.25);
    EXPECT_EQ(dlg.m_bPlaceOrder, 0);
}

TEST_F(Wizard, TheOrderOfAnAlertIsCheckedAndKept)
{
    CTradeAlertSetupDlg dlg(nullptr, kSetupAlert, nullptr);
    dlg.m_symbols = "MSFT";
    const INT_PTR result = Run(dlg, [&](CTradeAlertSetupDlg& d) {
        SetFormula(d, "Last > 10");
        EXPECT_FALSE(Enabled(d, kOrderType));
        Click(d, kPlaceOrder);
        EXPECT_TRUE(Enabled(d, kOrderType));
        ASSERT_TRUE(Choose(d, kAction, "Sell Short"));
        ASSERT_TRUE(Choose(d, kOrderType, "Limit"));
        Type(d, kQuantity, "");
        Click(d, IDOK);
        EXPECT_EQ(responder->LastText(), "Please enter a valid quantity");
        Type(d, kQuantity, "250");
        Click(d, IDOK);
        EXPECT_EQ(responder->LastText(), "Please enter a valid price");
        // The price follows the ask plus ten cents.
        responder->menuChoice = 33705;
        WhenModal([](QWidget* w) {
            auto* offset = dynamic_cast<CDialog*>(CWnd::FromWidget(w));
            if (!offset || offset->GetTemplateId() != 234)
                return false;
            Choose(*offset, 1210, "Ask");
            Type(*offset, 1320, "0.1");
            Click(*offset, IDOK);
            return true;
        });
        Click(d, kPriceSource);
        EXPECT_EQ(Text(d, kPrice), "A+0.10");
        EXPECT_FALSE(Enabled(d, kPrice));
        Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_bPlaceOrder, 1);
    EXPECT_EQ(dlg.m_formula, "Last > 10");
    const COrderRecord& leg = dlg.m_tradeInfo.m_legs[0];
    EXPECT_EQ(leg.action, 2);
    EXPECT_EQ(leg.quantity, 250);
    EXPECT_EQ(leg.orderType, "Limit");
    EXPECT_EQ(leg.priceSource, 2);
    EXPECT_DOUBLE_EQ(leg.priceOffset, 0.1);
    EXPECT_EQ(dlg.m_tradeInfo.m_nConditionType, -1);
}

TEST_F(Wizard, ConditionalOpensTheTicketWithAnOta)
{
    CTradeAlertSetupDlg dlg(nullptr, kSetupAlert, nullptr);
    dlg.m_symbols = "MSFT";
    dlg.m_bPlaceOrder = 1;
    Run(dlg, [&](CTradeAlertSetupDlg& d) {
        bool ticket = false;
        WhenModalIs<COrderPropertySheet>([&](COrderPropertySheet& sheet) {
            ticket = true;
            CConditionalOrderForm& page = sheet.GetConditionalPage();
            EXPECT_EQ(sheet.GetPageCount(), 1);
            EXPECT_EQ(page.GetLogic().GetConditionalType(), 2);
            EXPECT_EQ(page.GetLogic().GetLegsInUse(), 2);
            EXPECT_EQ(Text(page, kPlace), "OK");
            Type(page, kQuantity, "100");
            Type(page, kQuantity + 1, "100");
            Choose(page, kOrderType, "Market");
            Choose(page, kOrderType + 1, "StopMarket");
            Type(page, kActPrice + 1, "25");
            Choose(page, kAction + 1, "Sell");
            Click(page, kPlace);
        });
        Click(d, kConditional);
        EXPECT_TRUE(ticket);
        EXPECT_TRUE(Shown(d, kSummary));
        EXPECT_FALSE(Shown(d, kOrderType));
        EXPECT_NE(Text(d, kSummary).Find("OTA Order 2: Sell 100 shares, StopMarket Order, Act. Price: 25.00"), -1)
            << Text(d, kSummary).str();
        Click(d, IDOK);
    });
    EXPECT_EQ(dlg.m_tradeInfo.m_nConditionType, 2);
    EXPECT_EQ(dlg.m_tradeInfo.GetLegCount(), 2);
    EXPECT_EQ(dlg.m_tradeInfo.m_legs[1].orderType, "StopMarket");
    EXPECT_EQ(dlg.m_tradeInfo.m_legs[1].activationPrice, 25);
    EXPECT_EQ(dlg.m_tradeInfo.m_legs[1].action, 1);
}

TEST_F(Wizard, TheFormulaLibraryRoundTrips)
{
    TempFolder folder;
    const std::string path = folder.file("Cross.qxf");
    CTradeAlertSetupDlg dlg(nullptr, kSetupFormulaWizard, nullptr);
    Run(dlg, [&](CTradeAlertSetupDlg& d) {
        Type(d, kSymbols, "Golden Cross");
        SetFormula(d, "MovingAverage[MA,Close,50,0,D] > MovingAverage[MA,Close,200,0,D]");
        responder->files = {path.c_str()};
        WhenModalIs<CEnterNameDlg>([](CEnterNameDlg& names) {
            EXPECT_EQ(Text(names, 1027), "Golden Cross");
            Type(names, 1027, "  Golden/Cross  ");
            Click(names, IDOK);
        });
        Click(d, kSaveToLibrary);
        ASSERT_FALSE(responder->requests.empty());
        EXPECT_EQ(responder->requests.back().fileName, "Golden-Cross.qxf");
        EXPECT_EQ(responder->requests.back().filter, "Formula Files (*.qxf)|*.qxf||");
        EXPECT_FALSE(responder->requests.back().open);
        EXPECT_EQ(Text(d, kLibraryName), "Golden/Cross");
        EXPECT_EQ(Text(d, kSymbols), "Golden/Cross");

        // Browse puts name and expression in; Append inserts at the caret.
        SetFormula(d, "");
        Type(d, kSymbols, "");
        responder->files = {path.c_str()};
        Click(d, kBrowseLibrary);
        EXPECT_EQ(Formula(d), "MovingAverage[MA,Close,50,0,D] > MovingAverage[MA,Close,200,0,D]");
        EXPECT_EQ(Text(d, kSymbols), "Golden/Cross");
        SetFormula(d, "Last > 5 AND ");
        responder->files = {path.c_str()};
        Click(d, kAppend);
        EXPECT_EQ(Formula(d), "Last > 5 AND MovingAverage[MA,Close,50,0,D] > MovingAverage[MA,Close,200,0,D]");

        // A file without an expression loads nothing and says so.
        const std::string broken = folder.file("broken.qxf");
        {
            std::ofstream out(broken);
            out << "<Formula><Name>x</Name></Formula>";
        }
        responder->files = {broken.c_str()};
        Click(d, kBrowseLibrary);
        EXPECT_EQ(responder->LastText(), CString("The file ") + broken.c_str() + " holds no formula.");
        EXPECT_EQ(Formula(d), "Last > 5 AND MovingAverage[MA,Close,50,0,D] > MovingAverage[MA,Close,200,0,D]");
    });
    CString name;
    CString expression;
    CString error;
    ASSERT_TRUE(ReadFormulaFile(path.c_str(), name, expression, error));
    EXPECT_EQ(name, "Golden/Cross");
}
