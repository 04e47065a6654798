// A chart window against the in-process test broker: window kind 2's document loads the
// history and paints candles; Bollinger Bands, Volume, RSI and MACD come in through the
// Study Manager with the study series' values; a live trade reaches the last bar on the
// next 250 ms repaint; the pane limit; a trend line placed, moved, stored with the
// studies and made into an alert that fires on the broker's price.
#include "ChartBrokerFixture.h"
#include "ModalHelpers.h"

#include "alerts/CFormulaAlert.h"
#include "analytics/series/CStudySource.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/IStreamSubscriber.h"
#include "chart/ui/CDrawingToolList.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPriceScale.h"
#include "studies/ui/CStudyManagerDlg.h"
#include "studies/ui/CStudySettingsDlg.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class ChartBrokerTest : public ChartBrokerFixture {};

} // namespace

TEST_F(ChartBrokerTest, ChartWithStudiesLiveTradesAndATrendLineAlert)
{
    CGraphsDoc* doc = m_shell->OpenChart("IBM", "D");
    ASSERT_NE(nullptr, doc);
    CChartController* chart = ChartTestShell::Controller(doc);
    CGraphsView* pricePane = chart->GetPricePane();
    CPricePlot* price = pricePane->GetPricePlot();
    ASSERT_TRUE(PumpUntil([&] { return Loaded(price); }, 60000));
    EXPECT_EQ(CString("IBM"), price->GetPriceSeries()->GetSymbol());
    EXPECT_NE(-1, doc->GetTitle().Find("IBM"));
    EXPECT_NE(-1, doc->GetTitle().Find("Daily - Chart"));

    // Candles: the newest bar's body in the up or down colour, framed in "Bars".
    chart->OnCmdMsg(ID_STYLE_CANDLE, CN_COMMAND, nullptr);
    QImage image = ChartTestShell::Paint(pricePane);
    {
        const int last = price->GetLastVisibleBar();
        double open = 0, close = 0;
        int bar = last;
        for (; bar > last - 20; --bar)
            if (price->ReadValue(bar, price->GetFieldIndex("Open"), open) &&
                price->ReadValue(bar, price->GetFieldIndex("Close"), close) && std::fabs(open - close) > 0.2)
                break;
        const CPriceScale scale = pricePane->MakeScale();
        const int x = BarIndexToX(doc->GetBarSpacing(), bar, price->GetFirstVisibleBar(), 0);
        const int top = scale.PriceToY(std::max(open, close)), bottom = scale.PriceToY(std::min(open, close));
        ASSERT_GT(bottom - top, 2) << "bar " << bar;
        const COLORREF fill = ChartTestShell::Pixel(image, x, (top + bottom) / 2);
        EXPECT_EQ(close >= open ? SchemeColor(kSchemeCandleUp) : SchemeColor(kSchemeCandleDown), fill);
        EXPECT_EQ(SchemeColor(kSchemeBars), ChartTestShell::Pixel(image, x - 2, top));
    }

    // Bollinger Bands, Volume, RSI and MACD through the Study Manager.
    WhenModal<CStudyManagerDlg>([](CStudyManagerDlg& dlg) {
        for (int type : {kStudyBollinger, kStudyVolume, kStudyRSI, kStudyMACD}) {
            WhenModal<CStudySettingsDlg>([](CStudySettingsDlg& settings) { settings.OnOK(); });
            dlg.AddStudy(type, -1);
        }
        dlg.OnCloseButton();
    });
    chart->OnStudyManager();
    ASSERT_EQ(4, chart->GetStudyCount());
    ASSERT_EQ(4, chart->GetPaneCount());
    EXPECT_EQ(2, pricePane->GetPlotCount());
    EXPECT_EQ(kStudyBollinger, pricePane->GetPlot(1)->GetStudy()->GetTypeId());
    EXPECT_EQ(kStudyVolume, chart->GetPane(1)->GetPlot(0)->GetStudy()->GetTypeId());
    EXPECT_EQ(kStudyRSI, chart->GetPane(2)->GetPlot(0)->GetStudy()->GetTypeId());
    EXPECT_EQ(kStudyMACD, chart->GetPane(3)->GetPlot(0)->GetStudy()->GetTypeId());
    EXPECT_TRUE(chart->GetPane(3)->ShowsTimeAxis());
    EXPECT_FALSE(pricePane->ShowsTimeAxis());
    // Each plot shows the values of its study's own series.
    struct Check {
        CStudyPlot* plot;
        const char* field;
    };
    price = pricePane->GetPricePlot();
    const Check checks[] = {{pricePane->GetPlot(1), "Upper"},
                            {chart->GetPane(1)->GetPlot(0), "Volume"},
                            {chart->GetPane(2)->GetPlot(0), "RSI"},
                            {chart->GetPane(3)->GetPlot(0), "MACD"}};
    for (const Check& c : checks) {
        ASSERT_TRUE(PumpUntil([&] { return Loaded(c.plot); }, 60000)) << c.field;
        const CString key = c.plot->GetStudy()->GetCallText(doc->GetSymbol(), doc->GetInterval());
        CPriceSeries* own = m_session.Manager().CreatePriceSeries(key, 0);
        ASSERT_NE(nullptr, own) << key.GetString();
        own->SetBarCount(GetMaxChartWidth(), doc->GetEndTimeAnchor());
        ASSERT_TRUE(PumpUntil([&] { return !own->IsWaitingForData(); }, 60000));
        const int field = own->FindField(c.field);
        const int last = c.plot->GetLastVisibleBar();
        int compared = 0;
        for (int bar = last - 30; bar <= last; ++bar) {
            double shown = 0, computed = 0;
            const bool a = c.plot->ReadValue(bar, c.plot->GetFieldIndex(c.field), shown);
            const bool b = own->GetValue(bar, field, computed);
            ASSERT_EQ(b, a) << c.field << " bar " << bar;
            if (a) {
                EXPECT_DOUBLE_EQ(computed, shown) << c.field << " bar " << bar;
                ++compared;
            }
        }
        EXPECT_GT(compared, 20) << c.field;
        m_session.Manager().DeletePriceSeries(own);
    }

    // A live trade changes the last bar; the redraw flag turns into a repaint on the
    // next tick of the 250 ms timer.
    ASSERT_TRUE(m_session.Broker().WaitForSubscription(kServiceQuote, "IBM", 10000));
    PumpFor(300);
    ASSERT_FALSE(chart->GetSignals()->redraw.load());
    int closeBar = 0;
    const double tradePrice = std::round(price->GetLastClose(closeBar) * 100 + 37) / 100.0;
    ASSERT_TRUE(m_session.Broker().InjectTrade("IBM", tradePrice, 100));
    // Trade prices travel as floats.
    ASSERT_TRUE(PumpUntil([&] {
        int bar = 0;
        return std::fabs(price->GetLastClose(bar) - tradePrice) < 1e-4;
    }));
    ASSERT_TRUE(PumpUntil([&] { return !chart->GetSignals()->redraw.load(); }, 400));
    image = ChartTestShell::Paint(pricePane);
    {
        const CPriceScale scale = pricePane->MakeScale();
        CRect client;
        pricePane->GetClientRect(&client);
        // The value label of the last close sits on the trade's row.
        EXPECT_EQ(SchemeColor(kSchemeBars), ChartTestShell::Pixel(image, client.right - 2, scale.PriceToY(tradePrice)));
    }

    // The pane limit: twelve more pane studies fill it; the next one is refused.
    for (int i = 0; i < 12; ++i)
        chart->AddStudy(CreateStudyById(kStudyRSI, CString()));
    ASSERT_EQ(16, chart->GetPaneCount());
    m_shell->Responder().boxes.clear();
    chart->AddStudyById(kStudyRSI, -1);
    ASSERT_EQ(1u, m_shell->Responder().boxes.size());
    EXPECT_NE(-1, m_shell->Responder().boxes[0].text.Find("The limit for the number of panes (16) has been reached."));
    while (chart->GetStudyCount() > 4)
        chart->RemoveStudy(chart->GetStudyCount() - 1, true);
    ASSERT_EQ(4, chart->GetPaneCount());

    // A trend line: placed two dollars above the last price from a past bar into the
    // future, moved one bar right, stored with the studies, then made into an alert.
    pricePane->OnKeyDown(VK_RIGHT, 6, 0);
    ChartTestShell::Paint(pricePane);
    int lastBar = 0;
    const double last = price->GetLastClose(lastBar);
    const double level = last + 2.0;
    auto pixel = [&](int bar, double p) {
        const CToolGeometry g = pricePane->GetToolGeometry();
        return CPoint(BarIndexToX(g.spacing, bar, g.firstBar, g.plot.left), pricePane->MakeScale().PriceToY(p));
    };
    // The price scale must show the level.
    pricePane->OnKeyDown(VK_DOWN, 1, 0);
    ChartTestShell::Paint(pricePane);
    ASSERT_LT(pricePane->MakeScale().PriceToY(level + 1), pricePane->GetPlotRect().bottom);
    ASSERT_GT(pricePane->MakeScale().PriceToY(level + 1), pricePane->GetPlotRect().top);
    pricePane->OnPaneCommand(kCmdLine);
    pricePane->OnLButtonDown(0, pixel(lastBar - 10, level));
    pricePane->OnMouseMove(0, pixel(lastBar + 3, level));
    pricePane->OnLButtonUp(0, pixel(lastBar + 3, level));
    ASSERT_EQ(1u, pricePane->CurrentTools().size());
    CDrawingTool* line = pricePane->CurrentTools()[0].get();
    ASSERT_EQ(static_cast<DWORD>(kToolNormal), line->m_nState);
    DWORD before = line->m_anchor1.time;
    pricePane->OnPaneCommand(kCmdPointer);
    const CPoint grab = pixel(lastBar - 4, level);
    pricePane->OnLButtonDown(0, grab);
    ASSERT_EQ(static_cast<DWORD>(kToolSelected), line->m_nState);
    pricePane->OnMouseMove(0, CPoint(grab.x + static_cast<int>(doc->GetBarSpacing()), grab.y));
    pricePane->OnLButtonUp(0, CPoint(grab.x + static_cast<int>(doc->GetBarSpacing()), grab.y));
    EXPECT_GT(line->m_anchor1.time, before);
    // Stored with the chart's studies and read back.
    {
        CMemFile file;
        CArchive out(&file, CArchive::store);
        for (int i = 0; i < chart->GetStudyCount(); ++i)
            StoreStudy(out, *chart->GetStudy(i));
        StoreToolList(out, pricePane->CurrentTools());
        out.Close();
        const std::vector<BYTE> bytes = file.Detach();
        CMemFile in(bytes.data(), bytes.size());
        CArchive ar(&in, CArchive::load);
        for (int i = 0; i < chart->GetStudyCount(); ++i) {
            auto study = LoadStudy(ar, 19);
            ASSERT_TRUE(study);
            EXPECT_TRUE(study->IsEqual(*chart->GetStudy(i)));
        }
        CToolVector tools;
        LoadToolList(ar, tools);
        ASSERT_EQ(1u, tools.size());
        EXPECT_EQ(line->m_anchor1, tools[0]->m_anchor1);
        EXPECT_EQ(line->m_anchor2, tools[0]->m_anchor2);
    }
    // Add Alert from the line's menu: a formula alert on IBM in the alert list.
    m_shell->Responder().menuChoices = {ID_TOOL_ADD_ALERT};
    pricePane->OnRButtonUp(0, grab);
    CAlertBook* book = CAlertBook::Instance();
    ASSERT_NE(nullptr, book);
    ASSERT_EQ(1u, book->Count());
    auto* alert = dynamic_cast<CFormulaAlert*>(book->At(0));
    ASSERT_NE(nullptr, alert);
    EXPECT_EQ(CString("IBM"), alert->m_symbol);
    EXPECT_NE(-1, alert->GetFormulaText().Find("Bar[Close,D] >"));
    // The alerts file holds it at once.
    const std::string saved = m_shell->home.read("alerts.xml");
    EXPECT_NE(std::string::npos, saved.find("IBM")) << saved;
    EXPECT_NE(std::string::npos, saved.find("Bar[Close,D] >")) << saved;
    // A trade below the line: nothing; above it: the alert fires.
    PumpFor(500);
    ASSERT_TRUE(m_session.Broker().InjectTrade("IBM", level - 1.0, 100));
    PumpFor(1000);
    EXPECT_EQ(0u, m_host.Count());
    ASSERT_TRUE(m_session.Broker().InjectTrade("IBM", level + 1.0, 100));
    ASSERT_TRUE(PumpUntil([&] { return m_host.Count() >= 1; }, 20000));
    EXPECT_EQ(alert, m_host.Deliveries()[0].alert);
}
