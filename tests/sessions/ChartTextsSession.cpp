// A trader reads a chart's price scales at the default font: a chart of an index of five
// digits with an RSI, opened fresh and again from a workspace, shows the RSI's top label
// "100.00" and the last price's tag whole. Each text is drawn alone with the chart's font
// and colours and looked for, pixel for pixel, in what the pane shows.
#include "tests/sessions/SessionHarness.h"

#include "analytics/series/CPriceSeries.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "chart/ui/ChartIds.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CFrameWnd.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "tests/sessions/ChartTextInk.h"
#include "tests/support/InkMask.h"

#include <QImage>
#include <QWidget>

#include <cstdio>
#include <tuple>
#include <filesystem>
#include <string>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;
using qx::testsupport::CInkMask;

class ChartTextsSessionTest : public SessionTest {};

QRgb ToRgb(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Whether the pane shows the text whole, drawn in a colour on a ground.
bool ShowsWhole(CGraphsView* pane, const CString& text, COLORREF color, COLORREF ground)
{
    const CInkMask ink = ChartTextInk(*pane->GetGraphsDoc(), text, color, ground);
    const QImage shown = pane->GetWidget()->grab().toImage();
    const QRgb g = ToRgb(ground);
    return CInkMask(shown, [g](int) { return g; }).Holds(ink);
}

bool Loaded(CGraphsView* pane)
{
    CPricePlot* price = pane ? pane->GetPricePlot() : nullptr;
    if (!price || !price->GetPriceSeries() || price->GetPriceSeries()->IsWaitingForData() || !pane->IsInitialised())
        return false;
    int bar = -1;
    price->GetLastClose(bar);
    return bar >= 0;
}

// The price pane of the open chart (null while there is none).
CGraphsView* PricePane(CSession& s)
{
    for (CGraphsView* view : s.Views<CGraphsView>())
        if (CChartController* chart = view->GetChart())
            return chart->GetPricePane();
    return nullptr;
}

} // namespace

TEST_F(ChartTextsSessionTest, AnIndexWithAnRsiShowsItsScalesTextsWholeFreshAndFromAWorkspace)
{
    const std::string workspace = (Home() / "index.swp").string();
    // The last price's tag: four decimals of the broker's last price.
    char tag[32];
    std::snprintf(tag, sizeof tag, "%.4f", Broker().Symbol("$DJI")->last);
    ASSERT_GE(std::string(tag).size(), 10u) << "a price of five digits";

    const auto expectWhole = [&](CSession& s, CGraphsView* pricePane, const std::string& when) {
        CChartController* chart = s.OnUi([&] { return pricePane->GetChart(); });
        ASSERT_TRUE(s.WaitFor("the RSI pane " + when, [&] {
            return chart->GetPaneCount() == 2 && chart->GetPane(1)->IsInitialised();
        }));
        CGraphsView* rsiPane = s.OnUi([&] { return chart->GetPane(1); });
        const auto [text, background, bars] = s.OnUi([] {
            const CAppSettings& settings = *CAppSettings::Instance();
            return std::tuple(settings.m_chartColors[kChartColorText], settings.m_chartColors[kChartColorBackground],
                              SchemeColor(kSchemeBars));
        });
        const COLORREF onBars = GetRValue(bars) + GetGValue(bars) + GetBValue(bars) >= 383 ? RGB(0, 0, 0) : RGB(255, 255, 255);
        // The tag of the RSI's last value lies over the axis and may cover the top label: the
        // label is looked for only where the tag leaves it be.
        const bool tagOverTop = s.OnUi([&] {
            CStudyPlot* rsi = rsiPane->GetDataPlot();
            double last = 0;
            if (!rsi || !rsi->ReadValue(rsi->GetLastVisibleBar() - 1, 0, last))
                return false;
            const int height = rsiPane->GetGraphsDoc()->GetMetrics().sampleHeight;
            return rsiPane->MakeScale().PriceToY(last) - height / 2 < rsiPane->GetPlotRect().top + height;
        });
        if (!tagOverTop) {
            EXPECT_TRUE(s.WaitFor("\"100.00\" whole at the top of the RSI's scale " + when,
                                  [&] { return ShowsWhole(rsiPane, "100.00", text, background); }));
        }
        EXPECT_TRUE(s.WaitFor("the last price's tag \"" + std::string(tag) + "\" whole " + when,
                              [&] { return ShowsWhole(pricePane, tag, onBars, bars); }));
    };

    const int status = RunWorkstation(
        [&](CSession& s) {
            s.ChooseMenu("&Charts|&Chart");
            CGraphsView* pane = nullptr;
            ASSERT_TRUE(s.WaitFor("a chart of the index", [&] { return Loaded(pane = PricePane(s)); }, 60s));
            s.ChooseMenu("C&hart|&Add Study|RSI");
            QWidget* settings = s.WaitModal("RSI");
            ASSERT_NE(settings, nullptr);
            s.PressButton(settings, "OK");
            // The trader gives the RSI room, as one drags the splitter: its last value's tag
            // then leaves the top label be unless the RSI is near 100.
            ASSERT_TRUE(s.WaitFor("the RSI pane", [&] { return pane->GetChart()->GetPaneCount() == 2; }));
            s.OnUi([&] {
                pane->GetParentFrame()->GetOuterWidget()->showMaximized();
                pane->GetChart()->GetSplitter()->SetPaneSizes({300, 200});
            });
            expectWhole(s, pane, "in the new chart");

            s.ChooseMenu("&File|Save Workspace &As...");
            ASSERT_TRUE(s.AnswerFileDialog(QString::fromStdString(workspace)));
            ASSERT_TRUE(s.WaitFor("the workspace file", [&] { return std::filesystem::exists(workspace); }));
            s.CloseFrame(s.OnUi([&] { return pane->GetParentFrame()->GetOuterWidget(); }));
            ASSERT_TRUE(s.WaitFor("no chart", [&] { return PricePane(s) == nullptr; }));
            s.ChooseMenu("&File|&Open Workspace...");
            ASSERT_TRUE(s.AnswerFileDialog(QString::fromStdString(workspace)));
            ASSERT_TRUE(s.WaitFor("the workspace's chart", [&] { return Loaded(pane = PricePane(s)); }, 60s));
            expectWhole(s, pane, "from the workspace");
            s.ExitByMenu();
        },
        {"--symbol", "$DJI"});
    EXPECT_EQ(status, 0);
}

} // namespace qx::sessions
