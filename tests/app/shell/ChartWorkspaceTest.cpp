// Charts in workspaces against the test broker: two charts linked in one group, one of
// them floating, with studies, drawings, side windows and the cross-hair, saved and
// reopened as they were; the cross-hair moves in both; the symbol broadcast reaches both.
#include "ShellBrokerFixture.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "analytics/series/CPriceSeries.h"
#include "chart/CChartLayout.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CDrawingToolList.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CSdiChildFrame.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>

namespace {

class ChartWorkspace : public ShellBrokerFixture {};

struct ChartState {
    bool floating = false;
    std::vector<BYTE> record;  // the chart's workspace record
};

std::vector<BYTE> RecordOf(CChartController* chart)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        chart->StoreLayout(ar);
        ar.Close();
    }
    return file.Detach();
}

std::vector<CGraphsView*> Charts(CWorkstationApp& app)
{
    std::vector<CGraphsView*> charts;
    for (CView* view : app.GetWindowViews())
        if (auto* doc = dynamic_cast<CGraphsDoc*>(view->GetDocument()))
            charts.push_back(dynamic_cast<CGraphsView*>(doc->GetFirstView()));
    return charts;
}

std::vector<ChartState> States(CWorkstationApp& app)
{
    std::vector<ChartState> states;
    for (CGraphsView* pane : Charts(app))
        states.push_back({dynamic_cast<CSdiChildFrame*>(pane->GetParentFrame()) != nullptr,
                          RecordOf(GetChartController(pane->GetParentFrame()))});
    std::sort(states.begin(), states.end(), [](const ChartState& a, const ChartState& b) { return a.floating < b.floating; });
    return states;
}

bool Loaded(CGraphsView* pane)
{
    CPricePlot* price = pane ? pane->GetPricePlot() : nullptr;
    return price && price->GetPriceSeries() && !price->GetPriceSeries()->IsWaitingForData() && price->IsReady() &&
           pane->IsInitialised();
}

} // namespace

TEST_F(ChartWorkspace, TwoLinkedChartsOneFloatingAreSavedReopenedAndShareTheCrosshair)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    CWorkstationApp app;
    app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
    ASSERT_TRUE(app.InitInstance());
    CGraphsView* mdi = dynamic_cast<CGraphsView*>(app.OpenWindowOfKind(kKindChart, false)->GetFirstView());
    CGraphsView* floating = dynamic_cast<CGraphsView*>(app.OpenWindowOfKind(kKindChart, true)->GetFirstView());
    ASSERT_TRUE(mdi && floating);
    floating->GetParentFrame()->GetOuterWidget()->resize(900, 600);
    for (CGraphsView* pane : {mdi, floating}) {
        pane->ChangeSymbolInterval("IBM", "D", false);
        CGraphsDoc* doc = pane->GetGraphsDoc();
        doc->GetLinkState().SetSymbolGroup(kLinkGroupFirst);
        doc->GetLinkState().SetIntervalGroup(kLinkGroupFirst);
        doc->UpdateLinkButtons();
    }
    ASSERT_TRUE(PumpUntil([&] { return Loaded(mdi) && Loaded(floating); }, 60000));
    CChartController* a = GetChartController(mdi->GetParentFrame());
    CChartController* b = GetChartController(floating->GetParentFrame());
    a->AddStudy(CreateStudyById(kStudyRSI, CString()));
    b->AddStudy(CreateStudyById(kStudyBollinger, CString()));
    auto line = CreateToolForCommand(kCmdSegment);
    CPricePlot* price = mdi->GetPricePlot();
    DWORD t1 = 0, t2 = 0;
    ASSERT_TRUE(price->GetBarTime(price->GetLastVisibleBar() - 30, CStudyPlot::kBarStart, t1));
    ASSERT_TRUE(price->GetBarTime(price->GetLastVisibleBar() - 5, CStudyPlot::kBarStart, t2));
    line->m_anchor1 = {t1, 150};
    line->m_anchor2 = {t2, 160};
    line->m_nState = kToolNormal;
    mdi->AddTool(std::move(line));
    a->ShowTrackingWindow(true);
    b->ToggleSnapshotWindow();
    a->ToggleCrosshairs();
    b->ToggleCrosshairs();
    PumpFor(20);
    const std::vector<ChartState> before = States(app);
    ASSERT_EQ(2u, before.size());

    const CString path = app.GetWorkspaceFolder() + "/charts.swp";
    ASSERT_TRUE(app.SaveWorkspace(path));
    app.CloseAllWindows();
    PumpFor(20);
    EXPECT_TRUE(Charts(app).empty());
    EXPECT_TRUE(CChartController::CrosshairGroup().empty());
    ASSERT_TRUE(app.LoadWorkspace(path));
    PumpFor(50);
    const std::vector<CGraphsView*> charts = Charts(app);
    ASSERT_EQ(2u, charts.size());
    ASSERT_TRUE(PumpUntil([&] { return Loaded(charts[0]) && Loaded(charts[1]); }, 60000));
    const std::vector<ChartState> after = States(app);
    ASSERT_EQ(2u, after.size());
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(before[i].floating, after[i].floating) << i;
        EXPECT_EQ(before[i].record, after[i].record) << "chart " << i << " changed through the workspace";
    }
    EXPECT_TRUE(m_boxes.empty());

    // The cross-hair moved in one chart moves in the other to the same bar time.
    CGraphsView* one = charts[0];
    CGraphsView* two = charts[1];
    CChartController* first = GetChartController(one->GetParentFrame());
    CChartController* second = GetChartController(two->GetParentFrame());
    ASSERT_EQ(2u, CChartController::CrosshairGroup().size());
    CStudyPlot* data = one->GetSeriesPlot();
    const int bar = data->GetLastVisibleBar() - 12;
    const int x = BarIndexToX(one->GetGraphsDoc()->GetBarSpacing(), bar, data->GetFirstVisibleBar(), 0);
    // The mouse moves over the pane as the window system delivers it.
    const QPointF at(x, one->GetPlotRect().top + 30);
    QMouseEvent move(QEvent::MouseMove, at, one->GetWidget()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(one->GetWidget(), &move);
    DWORD time = 0;
    ASSERT_TRUE(data->GetBarTime(bar, CStudyPlot::kBarStart, time));
    EXPECT_TRUE(PumpUntil([&] {
        DWORD t = 0;
        return first->m_nCrosshairBar == bar &&
               two->GetSeriesPlot()->GetBarTime(second->m_nCrosshairBar, CStudyPlot::kBarStart, t) && t == time;
    }));

    // Linked in one group: a symbol sent from the main window reaches both.
    app.MainFrame()->SetSymbolBox("MSFT", TRUE);
    app.MainFrame()->ApplySymbolInterval(one, TRUE);
    EXPECT_TRUE(PumpUntil([&] {
        return one->GetGraphsDoc()->GetSymbol() == "MSFT" && two->GetGraphsDoc()->GetSymbol() == "MSFT";
    }));
    CloseAndExit(app);
}
