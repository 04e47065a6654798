// A trader's chart session: a chart with an RSI and its Tracking Window saved as a
// layout through the menus and the file dialog, the layout loaded into a new chart, the
// cross-hair moved across two charts linked in its group, the chart exported as a PNG
// image, File -> Exit.
#include "tests/sessions/SessionHarness.h"

#include "analytics/series/CPriceSeries.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "platform/ui/CFrameWnd.h"
#include "studies/CStudyDefinition.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"

#include <filesystem>
#include <fstream>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class ChartSessionTest : public SessionTest {};

bool Loaded(CGraphsView* pane)
{
    CPricePlot* price = pane ? pane->GetPricePlot() : nullptr;
    if (!price || !price->GetPriceSeries() || price->GetPriceSeries()->IsWaitingForData() || !pane->IsInitialised())
        return false;
    double v = 0;
    int valid = 0;
    for (int bar = price->GetLastVisibleBar() - 40; bar <= price->GetLastVisibleBar(); ++bar)
        valid += price->ReadValue(bar, 0, v) ? 1 : 0;
    return valid > 30;
}

CChartController* ChartOf(CGraphsView* pane)
{
    return pane ? GetChartController(pane->GetParentFrame()) : nullptr;
}

} // namespace

TEST_F(ChartSessionTest, LayoutSavedAndLoadedCrosshairAcrossLinkedChartsImageExported)
{
    const std::filesystem::path layout = Home() / "Layouts" / "session.chl";
    const std::filesystem::path image = Home() / "Charts" / "session.png";
    const int status = RunWorkstation(
        [&](CSession& s) {
            // A chart of the toolbar's symbol.
            s.ChooseMenu("&Charts|&Chart");
            CGraphsView* first = nullptr;
            ASSERT_TRUE(s.WaitFor("a chart with its bars", [&] {
                const auto charts = s.Views<CGraphsView>();
                first = charts.empty() ? nullptr : charts.front();
                return Loaded(first);
            }, 60s));
            CChartController* one = s.OnUi([&] { return ChartOf(first); });

            // An RSI from the chart's menu, OK in its settings, and the Tracking Window.
            s.ChooseMenu("C&hart|&Add Study|RSI");
            QWidget* settings = s.WaitModal("RSI");
            ASSERT_NE(settings, nullptr);
            s.PressButton(settings, "OK");
            ASSERT_TRUE(s.WaitFor("the RSI pane", [&] { return one->GetStudyCount() == 1 && one->GetPaneCount() == 2; }));
            s.ChooseMenu("C&hart|&Tracking Window");
            ASSERT_TRUE(s.WaitFor("the Tracking Window", [&] { return one->IsTrackingShown(); }));

            // Saved as a layout through the file dialog.
            s.ChooseMenu("C&hart|Sa&ve Layout...");
            ASSERT_NE(s.WaitModal("Save Layout As"), nullptr);
            s.TypeText(QString::fromStdString(layout.string()) + "\n");
            ASSERT_TRUE(s.WaitFor("the layout file", [&] { return std::filesystem::exists(layout); }));

            // A new chart, the layout loaded into it.
            s.ChooseMenu("&Charts|&Chart");
            CGraphsView* second = nullptr;
            ASSERT_TRUE(s.WaitFor("a second chart", [&] {
                for (CGraphsView* view : s.Views<CGraphsView>())
                    if (ChartOf(view) != one)
                        second = view;
                return Loaded(second);
            }, 60s));
            CChartController* two = s.OnUi([&] { return ChartOf(second); });
            EXPECT_EQ(0, s.OnUi([&] { return two->GetStudyCount(); }));
            s.ChooseMenu("C&hart|&Load Layout...");
            ASSERT_NE(s.WaitModal("Load Layout"), nullptr);
            s.TypeText(QString::fromStdString(layout.string()) + "\n");
            ASSERT_TRUE(s.WaitFor("the layout in the new chart", [&] {
                return two->GetStudyCount() == 1 && two->GetStudy(0)->GetTypeId() == kStudyRSI &&
                       two->GetPaneCount() == 2 && two->IsTrackingShown();
            }));

            // Side by side, both with the cross-hair on (the second chart is the active one).
            s.ChooseMenu("&Window|&Tile");
            s.ChooseMenu("C&hart|Cross&hairs");
            ASSERT_TRUE(s.WaitFor("the second chart's cross-hair", [&] { return two->IsCrosshairOn(); }));
            // The first chart's own menu: a right click into its price pane.
            QWidget* firstPane = s.OnUi([&] { return one->GetPricePane()->GetWidget(); });
            const QPoint inside = s.OnUi([&] { return QPoint(firstPane->width() / 2, firstPane->height() / 2); });
            s.RightClick(firstPane, inside);
            s.ChoosePopup("Cross&hairs");
            ASSERT_TRUE(s.WaitFor("the first chart's cross-hair", [&] { return one->IsCrosshairOn(); }));
            ASSERT_TRUE(s.WaitFor("both charts loaded", [&] {
                second = dynamic_cast<CGraphsView*>(two->GetPricePane());
                return Loaded(one->GetPricePane()) && Loaded(second);
            }, 60s));

            // The mouse over a bar of the first chart moves the second chart's cross-hair
            // to the same day.
            CGraphsView* pane = s.OnUi([&] { return one->GetPricePane(); });
            QWidget* paneWidget = s.OnUi([&] { return pane->GetWidget(); });
            const int bar = s.OnUi([&] { return pane->GetSeriesPlot()->GetLastVisibleBar() - 15; });
            const QPoint at = s.OnUi([&] {
                CStudyPlot* data = pane->GetSeriesPlot();
                return QPoint(BarIndexToX(pane->GetGraphsDoc()->GetBarSpacing(), bar, data->GetFirstVisibleBar(),
                                          pane->GetPlotRect().left),
                              pane->GetPlotRect().top + 20);
            });
            s.MoveMouse(paneWidget, at);
            const DWORD time = s.OnUi([&] {
                DWORD t = 0;
                pane->GetSeriesPlot()->GetBarTime(one->m_nCrosshairBar, CStudyPlot::kBarStart, t);
                return t;
            });
            EXPECT_NE(0u, time);
            EXPECT_TRUE(s.WaitFor("the cross-hair in the second chart", [&] {
                DWORD t = 0;
                CStudyPlot* data = two->GetPricePane()->GetSeriesPlot();
                return data && data->GetBarTime(two->m_nCrosshairBar, CStudyPlot::kBarStart, t) && t == time;
            }));

            // The first chart exported as a PNG, from its menu.
            s.RightClick(firstPane, inside);
            s.ChoosePopup("Export &Image...");
            ASSERT_NE(s.WaitModal("Export Image"), nullptr);
            s.TypeText(QString::fromStdString(image.string()) + "\n");
            ASSERT_TRUE(s.WaitFor("the image file", [&] { return std::filesystem::exists(image); }));
            s.Pause(200ms);
            std::ifstream png(image, std::ios::binary);
            char signature[8] = {};
            png.read(signature, 8);
            EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), std::string(signature, 8));

            s.ExitByMenu();
        },
        {"--symbol", "IBM"});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TemporaryFiles().empty());
}

} // namespace qx::sessions
