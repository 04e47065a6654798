// Formulas drawn on a chart against the test broker: Color Bars Setup gives the price
// plot its rules and every candle's body the colour of the rule its formula value meets;
// a custom study taken from the custom-study table draws its formula's values, which the
// test computes from the bars itself.
#include "ChartBrokerFixture.h"
#include "ModalHelpers.h"

#include "analytics/formula/CFormulaSeries.h"
#include "chart/ui/CColorBarSheet.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CMenu.h"
#include "studies/CCustomStudy.h"
#include "studies/ICustomStudyTable.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CCustomStudyPlot.h"
#include "studies/plots/CPriceScale.h"
#include "studies/ui/CStudySettingsDlg.h"
#include "views/ui/ColumnPages.h"

#include <QDialogButtonBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RowsTable : public ICustomStudyTable {
public:
    int GetCustomStudyCount() const override { return static_cast<int>(rows.size()); }
    bool GetCustomStudy(int row, CCustomStudyRow& out) const override
    {
        if (row < 0 || row >= GetCustomStudyCount())
            return false;
        out = rows[static_cast<size_t>(row)];
        return true;
    }
    std::vector<CCustomStudyRow> rows;
};

class ChartFormulaTest : public ChartBrokerFixture {
protected:
    void SetUp() override
    {
        ChartBrokerFixture::SetUp();
        InstallCustomStudyTable(&m_table);
        doc = m_shell->OpenChart("IBM", "D");
        ASSERT_NE(nullptr, doc);
        chart = ChartTestShell::Controller(doc);
        pricePane = chart->GetPricePane();
        price = pricePane->GetPricePlot();
        ASSERT_TRUE(PumpUntil([&] { return Loaded(price); }, 60000));
    }
    void TearDown() override
    {
        InstallCustomStudyTable(nullptr);
        ChartBrokerFixture::TearDown();
    }
    // The formula has a value at each of the last bars the price plot shows.
    static bool HasValues(CFormulaSeries* formula, int first, int last)
    {
        if (!formula || !formula->IsResolved() || formula->IsWaitingForData())
            return false;
        double v = 0;
        for (int bar = first; bar <= last; ++bar)
            if (!formula->GetValue(v, bar, -1))
                return false;
        return true;
    }
    bool Field(int bar, const char* name, double& value) const
    {
        return price->ReadValue(bar, price->GetFieldIndex(name), value);
    }

    RowsTable m_table;
    CGraphsDoc* doc = nullptr;
    CChartController* chart = nullptr;
    CGraphsView* pricePane = nullptr;
    CPricePlot* price = nullptr;
};

// Sets the page's fields and adds a rule through its controls.
void AddRuleByControls(ColorRulePage& page, int comparison, const char* threshold, const char* colour)
{
    auto* comparisons = dynamic_cast<CComboBox*>(page.GetDlgItem(1184));
    auto* colours = dynamic_cast<CComboBox*>(page.GetDlgItem(1185));
    ASSERT_NE(nullptr, comparisons);
    ASSERT_NE(nullptr, colours);
    comparisons->SetCurSel(comparison);
    page.SetDlgItemText(1182, threshold);
    const int item = colours->FindStringExact(-1, colour);
    ASSERT_GE(item, 0) << colour;
    colours->SetCurSel(item);
    page.AddRule();
}

// A pixel of the colour at the point or next to it.
bool NearColour(const QImage& image, int x, int y, COLORREF colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (ChartTestShell::Pixel(image, x + dx, y + dy) == colour)
                return true;
    return false;
}

} // namespace

TEST_F(ChartFormulaTest, ColorBarsTakeTheColourOfTheRuleTheirFormulaMeets)
{
    chart->OnCmdMsg(ID_STYLE_COLOR_BAR, CN_COMMAND, nullptr);
    // Cancel leaves the chart without rules; Help opens the page on colour bars.
    bool applyHidden = false;
    WhenModal<CColorBarSheet>([&](CColorBarSheet& sheet) {
        auto* buttons = sheet.GetWidget()->findChild<QDialogButtonBox*>();
        applyHidden = buttons && buttons->button(QDialogButtonBox::Apply) &&
                      buttons->button(QDialogButtonBox::Apply)->isHidden();
        if (buttons && buttons->button(QDialogButtonBox::Help))
            buttons->button(QDialogButtonBox::Help)->click();
        sheet.PressCancel();
    });
    chart->OnCmdMsg(ID_COLOR_BAR_SETUP, CN_COMMAND, nullptr);
    EXPECT_TRUE(applyHidden);
    EXPECT_FALSE(price->HasColorRules());
    ASSERT_EQ(1u, m_shell->Responder().opened.size());
    EXPECT_EQ(CString(CColorBarSheet::kHelpPage), m_shell->Responder().opened[0]);

    // Falling bars red, the others green, by the difference of close and open.
    WhenModal<CColorBarSheet>([](CColorBarSheet& sheet) {
        auto* page = dynamic_cast<ColorRulePage*>(sheet.GetPage(0));
        ASSERT_NE(nullptr, page);
        page->SetDlgItemText(1196, "Up or down");
        page->SetDlgItemText(1198, "Bar[Close,D]-Bar[Open,D]");
        // The check box (1-minute data for the newest bar) stays off.
        auto* check = dynamic_cast<CButton*>(page->GetDlgItem(1235));
        ASSERT_NE(nullptr, check);
        EXPECT_TRUE(check->IsWindowVisible());
        EXPECT_FALSE(page->GetDlgItem(1197)->IsWindowVisible());
        AddRuleByControls(*page, 0, "0", "RGB(255,1,1)");
        AddRuleByControls(*page, 4, "0", "RGB(1,255,1)");
        sheet.PressOK();
    });
    chart->OnCmdMsg(ID_COLOR_BAR_SETUP, CN_COMMAND, nullptr);
    ASSERT_TRUE(price->HasColorRules());
    const CColorRuleSet& rules = price->GetColorRules();
    EXPECT_EQ(CString("Up or down"), rules.m_name);
    EXPECT_EQ(CString("Bar[Close,D]-Bar[Open,D]"), rules.m_text);
    EXPECT_EQ(0, rules.m_value);
    const std::vector<CColorRule> expectedRules = {{0, 0.0, RGB(255, 1, 1), 0}, {4, 0.0, RGB(1, 255, 1), 0}};
    EXPECT_EQ(expectedRules, rules.m_rules);

    const int last = price->GetLastVisibleBar();
    const int first = last - 40;
    ASSERT_TRUE(PumpUntil([&] { return HasValues(price->GetFormulaSeries(), first, last); }, 60000));
    const QImage image = ChartTestShell::Paint(pricePane);
    const CPriceScale scale = pricePane->MakeScale();
    int red = 0, green = 0;
    for (int bar = first; bar <= last; ++bar) {
        double open = 0, close = 0;
        ASSERT_TRUE(Field(bar, "Open", open) && Field(bar, "Close", close)) << bar;
        const int top = scale.PriceToY(std::max(open, close)), bottom = scale.PriceToY(std::min(open, close));
        if (bottom - top < 3 || std::fabs(close - open) < 0.01)
            continue;
        const int x = BarIndexToX(doc->GetBarSpacing(), bar, price->GetFirstVisibleBar(), pricePane->GetPlotRect().left);
        const COLORREF expected = close - open < 0 ? RGB(255, 1, 1) : RGB(1, 255, 1);
        EXPECT_EQ(expected, ChartTestShell::Pixel(image, x, (top + bottom) / 2)) << "bar " << bar;
        (close < open ? red : green) += 1;
    }
    EXPECT_GT(red, 3);
    EXPECT_GT(green, 3);

    // OK without changes keeps the rules.
    WhenModal<CColorBarSheet>([](CColorBarSheet& sheet) { sheet.PressOK(); });
    chart->OnCmdMsg(ID_COLOR_BAR_SETUP, CN_COMMAND, nullptr);
    EXPECT_EQ(expectedRules, price->GetColorRules().m_rules);
}

TEST_F(ChartFormulaTest, CustomStudyFromTheTableDrawsItsFormulasValues)
{
    m_table.rows = {{"Range", "(Bar[High,D]-Bar[Low,D])*2"}, {"Mid", "(Bar[High,D]+Bar[Low,D])/2"}};
    // The pane's Add and Overlay menus list the table's rows after the built-in studies.
    {
        CMenu menu;
        menu.CreatePopupMenu();
        pricePane->BuildContextMenu(menu);
        CString text;
        EXPECT_TRUE(menu.GetMenuString(ID_FIRST_CUSTOM_STUDY, text, MF_BYCOMMAND));
        EXPECT_EQ(CString("Range"), text);
        EXPECT_TRUE(menu.GetMenuString(ID_FIRST_CUSTOM_STUDY + 1, text, MF_BYCOMMAND));
        EXPECT_EQ(CString("Mid"), text);
        EXPECT_TRUE(menu.GetMenuString(ID_FIRST_OVERLAY_CUSTOM + 1, text, MF_BYCOMMAND));
        EXPECT_EQ(CString("Mid"), text);
    }
    // A row the table does not hold adds nothing and asks nothing.
    chart->AddStudyById(kStudyCustom, 2);
    EXPECT_EQ(0, chart->GetStudyCount());

    WhenModal<CStudySettingsDlg>([](CStudySettingsDlg& dlg) { dlg.OnOK(); });
    chart->OnCmdMsg(ID_FIRST_CUSTOM_STUDY, CN_COMMAND, nullptr);
    ASSERT_EQ(1, chart->GetStudyCount());
    ASSERT_EQ(2, chart->GetPaneCount());
    auto* study = dynamic_cast<CCustomStudy*>(chart->GetStudy(0));
    ASSERT_NE(nullptr, study);
    EXPECT_EQ(CString("Range"), study->GetStudyName());
    EXPECT_EQ(0, study->GetCustomIndex());
    CGraphsView* pane = chart->GetPane(1);
    auto* plot = dynamic_cast<CCustomStudyPlot*>(pane->GetPlot(0));
    ASSERT_NE(nullptr, plot);

    const int last = plot->GetLastVisibleBar();
    const int first = last - 40;
    ASSERT_TRUE(PumpUntil([&] { return HasValues(plot->GetFormulaSeries(), first, last); }, 60000));
    const QImage image = ChartTestShell::Paint(pane);
    const CPriceScale scale = pane->MakeScale();
    const int priceFirst = price->GetFirstVisibleBar();
    int compared = 0;
    double lastExpected = 0;
    for (int bar = first; bar <= last; ++bar) {
        // The study's bar and the price bar of the same day.
        DWORD time = 0;
        int priceBar = 0;
        ASSERT_TRUE(plot->GetBarTime(bar, CStudyPlot::kBarStart, time)) << bar;
        ASSERT_TRUE(price->FindBarByTime(time, priceBar)) << bar;
        double high = 0, low = 0;
        ASSERT_TRUE(Field(priceBar, "High", high) && Field(priceBar, "Low", low)) << bar;
        const double expected = (high - low) * 2;
        const int x = BarIndexToX(doc->GetBarSpacing(), priceBar, priceFirst, pane->GetPlotRect().left);
        // The line runs through the point (its last pixel may be left out).
        EXPECT_TRUE(NearColour(image, x, scale.PriceToY(expected), RGB(255, 0, 0)))
            << "bar " << bar << " value " << expected;
        lastExpected = expected;
        ++compared;
    }
    EXPECT_EQ(41, compared);
    CLegendRow row;
    ASSERT_TRUE(plot->GetLegendValues(last, 0, &row));
    CString text;
    text.Format("%g", lastExpected);
    EXPECT_EQ(text, row.value);
}
