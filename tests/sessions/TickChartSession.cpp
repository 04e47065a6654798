// A trader's chart of ticks: Time & Sales open, the tool bar's Chart button opens a chart
// of the trades; the trades land at their prices and the tool bar names the period.
#include "tests/sessions/SessionHarness.h"

#include "analytics/series/CPriceSeries.h"
#include "app/shell/CMainFrame.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/windows/CSheetsWnd.h"
#include "platform/ui/CToolBar.h"
#include "platform/ui/QtConvert.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "views/ui/CTimeSalesView.h"

#include <QComboBox>
#include <QImage>

#include <cmath>
#include <vector>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class TickChartSessionTest : public SessionTest {};

CGraphsView* PricePane(CSession& s)
{
    for (CGraphsView* view : s.Views<CGraphsView>())
        if (CChartController* chart = view->GetChart())
            return chart->GetPricePane();
    return nullptr;
}

// The rows of a pixel column from top to bottom painted in the colour.
std::vector<int> RowsOfColour(const QImage& image, int x, int top, int bottom, QRgb colour)
{
    std::vector<int> rows;
    for (int y = std::max(0, top); y <= std::min(bottom, image.height() - 1); ++y)
        if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff))
            rows.push_back(y);
    return rows;
}

} // namespace

TEST_F(TickChartSessionTest, TheChartButtonOverTimeAndSalesDrawsTheTradesAtTheirPrices)
{
    const int status = RunWorkstation(
        [&](CSession& s) {
            s.ChooseMenu("&Quotes|&Time && Sales");
            ASSERT_TRUE(s.WaitFor("a Time & Sales window with its series", [&] {
                const auto views = s.Views<CTimeSalesView>();
                return !views.empty() && views.front()->GetSeries() &&
                       !views.front()->GetSeries()->IsWaitingForData();
            }));
            QWidget* toolBar = s.OnUi([&] { return s.App().MainFrame()->GetToolBar()->GetWidget(); });
            s.PressButton(toolBar, "Chart");
            CGraphsView* pane = nullptr;
            ASSERT_TRUE(s.WaitFor("a chart of ticks", [&] {
                pane = PricePane(s);
                CPricePlot* price = pane ? pane->GetPricePlot() : nullptr;
                return price && pane->IsInitialised() && price->GetPriceSeries() &&
                       !price->GetPriceSeries()->IsWaitingForData() && pane->GetGraphsDoc()->GetInterval() == "0";
            }, 30s));

            // The box names the period as its own list does.
            auto* box = s.OnUi([&] { return qobject_cast<QComboBox*>(s.App().MainFrame()->GetIntervalCombo().GetWidget()); });
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(s.WaitFor("the interval box naming the ticks", [&] { return box->currentText() == "Tick"; }))
                << box->currentText().toStdString();
            EXPECT_GE(s.OnUi([&] { return box->findText(box->currentText()); }), 0) << "not an item of the list";
            // The chart's interval strip has no tab for ticks: none shows selected.
            EXPECT_EQ(s.OnUi([&] {
                CSheetsWnd* strip = pane->GetChart()->GetTabStrip(1);
                return strip ? strip->GetCurSel() : -2;
            }), -1);

            // Five trades a quarter apart, past the series' "now" by the program's clock.
            s.Pause(2500ms);
            const double last = s.Broker().Symbol("MSFT")->last;
            std::vector<double> prices;
            for (int i = 1; i <= 5; ++i) {
                prices.push_back(std::round((last + 0.25 * i) * 100) / 100);
                ASSERT_TRUE(s.Broker().InjectTrade("MSFT", prices.back(), 100u * static_cast<uint32_t>(i), "ARCA"));
            }
            ASSERT_TRUE(s.WaitFor("the trades in the chart's series", [&] {
                CPriceSeries* series = pane->GetPricePlot()->GetPriceSeries();
                const std::vector<CBarRecord> records = series->CopyRecords();
                if (records.size() < prices.size())
                    return false;
                for (size_t k = 0; k < prices.size(); ++k) {
                    const CBarRecord& r = records[records.size() - prices.size() + k];
                    if (!r.m_bValid || std::fabs(r.m_fields[3] - prices[k]) > 1e-9)
                        return false;
                }
                return true;
            }));

            // The pane's scale, as last painted, holds the trades' prices (not a range around 0).
            const auto scaleText = [&] {
                return s.OnUi([&] {
                    const CPriceScale scale = pane->MakeScale();
                    return std::to_string(scale.GetMin()) + " .. " + std::to_string(scale.GetMax());
                });
            };
            EXPECT_TRUE(s.WaitFor("the chart's scale holding the trades", [&] {
                const CPriceScale scale = pane->MakeScale();
                return scale.GetMin() > 0 && scale.GetMin() <= prices.front() && scale.GetMax() >= prices.back();
            })) << scaleText();

            // What the pane shows: the newest five bars are the trades.
            struct Shown {
                QImage image;
                CRect plot;
                std::vector<int> xs, expectedRows;
            };
            const Shown shown = s.OnUi([&] {
                Shown out;
                out.image = pane->GetWidget()->grab().toImage();
                out.plot = pane->GetPlotRect();
                const CPriceScale scale = pane->MakeScale();
                CPricePlot* price = pane->GetPricePlot();
                const int first = price->GetFirstVisibleBar();
                const int newest = price->GetLastVisibleBar();
                for (size_t k = 0; k < prices.size(); ++k) {
                    const int bar = newest - static_cast<int>(prices.size() - 1 - k);
                    out.xs.push_back(BarIndexToX(pane->GetGraphsDoc()->GetBarSpacing(), bar, first, out.plot.left));
                    out.expectedRows.push_back(scale.PriceToY(prices[k]));
                }
                return out;
            });
            const QRgb bars = s.OnUi([] { return ToQColor(SchemeColor(kSchemeBars)).rgb(); });
            std::vector<int> rows;
            for (size_t k = 0; k < prices.size(); ++k) {
                const std::vector<int> painted = RowsOfColour(shown.image, shown.xs[k], shown.plot.top, shown.plot.bottom, bars);
                ASSERT_EQ(painted.size(), 1u) << "trade " << k << " at x " << shown.xs[k];
                // At the row the price scale gives the trade's price.
                EXPECT_EQ(painted.front(), shown.expectedRows[k]) << "trade " << k << " at " << prices[k];
                rows.push_back(painted.front());
            }
            // Prices a quarter apart rise by even steps up the pane.
            for (size_t k = 1; k < rows.size(); ++k) {
                EXPECT_LT(rows[k], rows[k - 1]) << k;
                EXPECT_NEAR(rows[k - 1] - rows[k], (rows.front() - rows.back()) / 4.0, 1.0) << k;
            }
            s.ExitByMenu();
        },
        {"--symbol", "MSFT"});
    EXPECT_EQ(status, 0);
}

} // namespace qx::sessions
