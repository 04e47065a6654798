// A chart window offscreen on bars fed by the test: the price pane's layout, candles on
// the scale's rows, price-axis labels and grid, scrolling, zoom and spacing by keys,
// wheel and commands, and the panes' context menus.
#include "ChartTestShell.h"

#include "backtest/CStrategySetup.h"
#include "common/services/ChartAxis.h"
#include "platform/ui/CMenu.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPriceScale.h"
#include "tests/analytics/FakeSeriesServices.h"
#include "tests/studies/plots/PlotTestSupport.h"
#include "tests/support/DocumentedMenus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

namespace {

// Minute m: open 100 + m, high 102 + m, low 99 + m, close 101 + m (odd minutes fall).
BarValues Minute(int m)
{
    BarValues v{100.0 + m, 102.0 + m, 99.0 + m, 101.0 + m, 1000.0 + m};
    if (m % 2)
        std::swap(v.open, v.close);
    return v;
}

class ChartPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc = shell.OpenChart("IBM", "1");
        ASSERT_NE(doc, nullptr);
        chart = ChartTestShell::Controller(doc);
        ASSERT_NE(chart, nullptr);
        pane = chart->GetPricePane();
        ASSERT_NE(pane, nullptr);
        ASSERT_TRUE(pane->IsInitialised());
        ChartTestShell::Feed(doc, MinuteRows(158, Minute));
    }

    FakeSeriesServices services;
    ChartTestShell shell;
    CGraphsDoc* doc = nullptr;
    CChartController* chart = nullptr;
    CGraphsView* pane = nullptr;
};

} // namespace

TEST_F(ChartPaneTest, PricePaneLayoutAndCandles)
{
    EXPECT_EQ(1, chart->GetPaneCount());
    EXPECT_TRUE(pane->IsPricePane());
    EXPECT_TRUE(pane->ShowsTimeAxis());
    EXPECT_EQ(CString("IBM"), doc->GetSymbol());
    EXPECT_EQ(CString("1"), doc->GetInterval());
    EXPECT_EQ(kPeriodIntraday, doc->GetPeriodKind());
    // A new chart draws bars.
    EXPECT_EQ(kStyleBar, pane->GetPricePlot()->GetDrawStyle());
    chart->OnCmdMsg(ID_STYLE_CANDLE, CN_COMMAND, nullptr);
    ASSERT_EQ(kStyleCandle, pane->GetPricePlot()->GetDrawStyle());

    const QImage image = ChartTestShell::Paint(pane);
    CRect client;
    pane->GetClientRect(&client);
    const CAxisMetrics& m = doc->GetMetrics();
    // Plot rectangle: 4-pixel margins, the price axis on the right, the time axis below.
    EXPECT_EQ(CRect(0, 4, client.right - m.labelWidth, client.bottom - 4 - m.labelHeight), pane->GetPlotRect());
    EXPECT_EQ(static_cast<int>(pane->GetPlotRect().Width() / 6.0), doc->GetVisibleBarCount());
    // The range spans the visible bars' lows and highs.
    CPricePlot* price = pane->GetPricePlot();
    const int first = price->GetFirstVisibleBar();
    ASSERT_EQ(0, price->GetLastVisibleBar());
    double low = 1e9, high = -1e9;
    for (int bar = first; bar <= 0; ++bar) {
        const int minute = 157 + bar;
        if (minute < 0)
            continue;
        low = std::min(low, 99.0 + minute);
        high = std::max(high, 102.0 + minute);
    }
    EXPECT_DOUBLE_EQ(low, pane->GetLowest());
    EXPECT_DOUBLE_EQ(high, pane->GetHighest());
    // The newest candle (minute 157, falling: open 258, close 257) at the right edge.
    const CPriceScale scale = pane->MakeScale();
    const int x = BarIndexToX(6.0, 0, first, 0);
    const int top = scale.PriceToY(258), bottom = scale.PriceToY(257);
    ASSERT_LT(top + 1, bottom);
    EXPECT_EQ(SchemeColor(kSchemeCandleDown), ChartTestShell::Pixel(image, x, (top + bottom) / 2));
    EXPECT_EQ(SchemeColor(kSchemeBars), ChartTestShell::Pixel(image, x - 2, top));
    EXPECT_EQ(SchemeColor(kSchemeBars), ChartTestShell::Pixel(image, x, scale.PriceToY(259)));
    // The axis separator and the background.
    const COLORREF axis = shell.settings.m_chartColors[2];
    EXPECT_EQ(axis, ChartTestShell::Pixel(image, client.right - m.labelWidth, 10));
    EXPECT_EQ(axis, ChartTestShell::Pixel(image, 10, client.bottom - m.labelHeight));
}

TEST_F(ChartPaneTest, PriceLabelsAndGridFollowTheStepRule)
{
    const QImage image = ChartTestShell::Paint(pane);
    const CRect plot = pane->GetPlotRect();
    const CAxisMetrics& m = doc->GetMetrics();
    const int wanted = plot.Height() / static_cast<int>(m.sampleHeight * 1.2);
    const AxisLabels labels = ChooseAxisStep(pane->GetLowest(), pane->GetHighest(), wanted, 10.0);
    ASSERT_GE(labels.count, 1);
    const CPriceScale scale = pane->MakeScale();
    const COLORREF grid = shell.settings.m_chartColors[1];
    for (int i = 0; i <= labels.count; ++i) {
        const int y = scale.PriceToY(labels.first + i * labels.step);
        // A dotted line: every fourth pixel from the left edge.
        int dots = 0;
        for (int x = plot.left; x < plot.left + 40; x += 4)
            dots += ChartTestShell::Pixel(image, x, y) == grid ? 1 : 0;
        EXPECT_GE(dots, 5) << "label " << i << " at row " << y;
    }
}

TEST_F(ChartPaneTest, FlatAndEmptyRanges)
{
    CGraphsDoc* flat = shell.OpenChart("FLAT", "1");
    ChartTestShell::Feed(flat, MinuteRows(158, [](int) { return BarValues{42, 42, 42, 42, 1}; }));
    CGraphsView* flatPane = ChartTestShell::Controller(flat)->GetPricePane();
    flatPane->ComputePriceRange();
    EXPECT_DOUBLE_EQ(37.0, flatPane->GetLowest());
    EXPECT_DOUBLE_EQ(47.0, flatPane->GetHighest());
    CGraphsDoc* empty = shell.OpenChart("NONE", "1");
    CGraphsView* emptyPane = ChartTestShell::Controller(empty)->GetPricePane();
    emptyPane->ComputePriceRange();
    EXPECT_DOUBLE_EQ(0.0, emptyPane->GetLowest());
    EXPECT_DOUBLE_EQ(10.0, emptyPane->GetHighest());
    // Zoom widens by 1.1 per step each way and stays bounded.
    flatPane->AddZoom(1);
    flatPane->ComputePriceRange();
    EXPECT_NEAR(36.5, flatPane->GetLowest(), 1e-9);
    EXPECT_FALSE(flatPane->IsAutoScale());
    flatPane->AddZoom(1000);
    EXPECT_EQ(40, flatPane->GetZoom());
    flatPane->ComputePriceRange();
    EXPECT_TRUE(std::isfinite(flatPane->GetLowest()));
}

TEST_F(ChartPaneTest, ScrollingByKeysWheelAndSpacing)
{
    EXPECT_EQ(0, doc->GetScrollOffset());
    pane->OnKeyDown(VK_LEFT, 3, 0);
    EXPECT_EQ(-3, doc->GetScrollOffset());
    pane->OnKeyDown(VK_RIGHT, 1, 0);
    EXPECT_EQ(-2, doc->GetScrollOffset());
    // A wheel notch of 120 is 4 bars.
    pane->OnMouseWheel(0, -120, CPoint());
    EXPECT_EQ(-6, doc->GetScrollOffset());
    pane->OnMouseWheel(0, 120, CPoint());
    EXPECT_EQ(-2, doc->GetScrollOffset());
    // Scrolling past the newest bar (0) adds empty future bars; bar 0 stays the same bar.
    CPricePlot* price = pane->GetPricePlot();
    EXPECT_EQ(-2, price->GetLastVisibleBar());
    pane->OnKeyDown(VK_RIGHT, 5, 0);
    EXPECT_EQ(3, price->GetLastVisibleBar());
    EXPECT_EQ(3 - doc->GetVisibleBarCount() + 1, price->GetFirstVisibleBar());
    double close = 0;
    EXPECT_TRUE(price->ReadValue(0, price->GetFieldIndex("Close"), close));
    EXPECT_DOUBLE_EQ(257.0, close); // minute 157 falls: close 257
    EXPECT_FALSE(price->ReadValue(2, price->GetFieldIndex("Close"), close));
    pane->OnKeyDown(VK_LEFT, 3, 0);
    EXPECT_EQ(0, price->GetLastVisibleBar());
    // Up shifts prices by a twentieth of the plot's height and turns auto scale off.
    pane->OnKeyDown(VK_UP, 1, 0);
    EXPECT_EQ(pane->GetPlotRect().Height() / 20, pane->GetPriceOffset());
    EXPECT_FALSE(pane->IsAutoScale());
    pane->OnKeyDown(VK_RETURN, 1, 0);
    EXPECT_EQ(0, pane->GetPriceOffset());
    // Bar spacing stays within 2 .. 30 and returns the date range to Auto.
    doc->SetDateRange(3);
    for (int i = 0; i < 40; ++i)
        chart->OnCmdMsg(ID_SPACING_UP, CN_COMMAND, nullptr);
    EXPECT_DOUBLE_EQ(30.0, doc->GetBarSpacing());
    EXPECT_EQ(0, doc->GetDateRange());
    EXPECT_EQ(static_cast<int>(pane->GetPlotRect().Width() / 30.0), doc->GetVisibleBarCount());
    for (int i = 0; i < 40; ++i)
        chart->OnCmdMsg(ID_SPACING_DOWN, CN_COMMAND, nullptr);
    EXPECT_DOUBLE_EQ(2.0, doc->GetBarSpacing());
    chart->OnCmdMsg(ID_RESET_SCALE, CN_COMMAND, nullptr);
    EXPECT_DOUBLE_EQ(6.0, doc->GetBarSpacing());
    EXPECT_TRUE(pane->IsAutoScale());
    EXPECT_EQ(0, pane->GetZoom());
}

TEST_F(ChartPaneTest, ContextMenuAndOverlayLimit)
{
    CMenu menu;
    menu.CreatePopupMenu();
    pane->BuildContextMenu(menu);
    CString text;
    menu.GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_EQ(CString("Symbol && Interval..."), text);
    // Edit and Remove are grayed while the pane has no study.
    CMenu* edit = menu.FindPopupOf(ID_FIRST_EDIT_STUDY);
    EXPECT_EQ(nullptr, edit);
    // Twenty overlays fill the pane: a twenty-first is refused with a message.
    for (int i = 0; i < kMaxPaneStudyPlots; ++i)
        chart->AddStudy(CreateStudyById(kStudyHorizontalLine, CString()));
    EXPECT_EQ(kMaxPaneStudyPlots + 1, pane->GetPlotCount());
    EXPECT_EQ(kMaxPaneStudyPlots, chart->GetStudyCount());
    chart->AddStudy(CreateStudyById(kStudyHorizontalLine, CString()));
    EXPECT_EQ(kMaxPaneStudyPlots, chart->GetStudyCount());
    ASSERT_FALSE(shell.Responder().boxes.empty());
    EXPECT_NE(-1, shell.Responder().boxes.back().text.Find("(20)"));
    CMenu full;
    full.CreatePopupMenu();
    pane->BuildContextMenu(full);
    // The Edit ids of the 20 studies stop before the Remove ids begin.
    CMenu* editFull = full.FindPopupOf(ID_FIRST_EDIT_STUDY);
    ASSERT_NE(nullptr, editFull);
    ASSERT_EQ(kMaxPaneStudyPlots, editFull->GetMenuItemCount());
    EXPECT_EQ(ID_FIRST_REMOVE_STUDY - 1, editFull->GetMenuItemID(kMaxPaneStudyPlots - 1));
    EXPECT_EQ(kMaxPaneStudyPlots, full.FindPopupOf(ID_FIRST_REMOVE_STUDY)->GetMenuItemCount());
}

// The panes' menus show the documented texts, letters included, and every other item has a
// letter of its own: the price pane's (with the Backtesting Report of a chart that has a
// strategy, and a study to edit or remove) and a study pane's.
TEST_F(ChartPaneTest, PaneMenusShowTheDocumentedTexts)
{
    using namespace qx::testsupport;
    std::set<std::pair<UINT, bool>> met;
    MenuTextRules rules = DocumentedRules(kChartPaneMenu);
    rules.met = &met;
    chart->SetStrategySetup(std::make_unique<CStrategySetup>());
    chart->AddStudy(CreateStudyById(kStudyHorizontalLine, CString()));  // Edit and Remove list it
    ASSERT_EQ(2, pane->GetPlotCount());
    CMenu price;
    price.CreatePopupMenu();
    pane->BuildContextMenu(price);
    EXPECT_EQ(MenuTextFaults(price, "price pane", rules), "");

    chart->AddStudy(CreateStudyById(kStudyRSI, CString()));
    ASSERT_EQ(2, chart->GetPaneCount());
    CMenu study;
    study.CreatePopupMenu();
    chart->GetPane(1)->BuildContextMenu(study);
    ASSERT_NE(study.FindPopupOf(ID_FIRST_REMOVE_STUDY), nullptr);
    EXPECT_EQ(MenuTextFaults(study, "study pane", rules), "");
    for (const DocumentedMenu& documented : DocumentedMenus()) {
        if (documented.menus != std::vector<UINT>{kChartPaneMenu})
            continue;
        for (const DocumentedEntry& entry : documented.entries)
            EXPECT_TRUE(met.count({entry.command, entry.popup})) << entry.text << " is not in the panes' menus";
    }
}

TEST_F(ChartPaneTest, DateRangeFitsTheBarsOrMovesTheInterval)
{
    // A week of one-minute bars cannot fit 2 pixels apart: the interval moves coarser
    // until the week's bars take 2 to 30 pixels each.
    pane->ApplyDateRange(3, true);
    EXPECT_EQ(3, doc->GetDateRange());
    EXPECT_NE(CString("1"), doc->GetInterval());
    EXPECT_GE(doc->GetBarSpacing(), 2.0);
    EXPECT_LE(doc->GetBarSpacing(), 30.0);
    // Auto only stores the choice; out of range does nothing.
    pane->ApplyDateRange(0, true);
    EXPECT_EQ(0, doc->GetDateRange());
    pane->ApplyDateRange(12, true);
    EXPECT_EQ(0, doc->GetDateRange());
    // Without the interval change the range returns to Auto at spacing 6.
    pane->ChangeSymbolInterval("IBM", "1", false);
    pane->ApplyDateRange(8, false);
    EXPECT_EQ(0, doc->GetDateRange());
    EXPECT_DOUBLE_EQ(6.0, doc->GetBarSpacing());
}
