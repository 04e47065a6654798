#include "app/shell/BacktestChartOpener.h"

#include "backtest/CStrategySetup.h"
#include "backtest/ui/BacktestChartHook.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsView.h"
#include "common/services/TextHelpers.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CDocument.h"
#include "studies/CStudyDefinition.h"

bool OpenChartForBacktest(CBacktestChartRequest& request)
{
    IWorkstationFrame* frame = GetWorkstationFrame();
    if (!frame)
        return false;
    CDocument* doc = frame->OpenWindowOfKind(kKindChart, request.floating);
    if (!doc || doc->GetViews().empty())
        return false;
    auto* view = dynamic_cast<CGraphsView*>(doc->GetViews().front());
    CChartController* chart = view ? view->GetChart() : nullptr;
    if (!chart)
        return false;
    if (request.replaceStudies)
        chart->RemoveAllStudies();
    for (auto& study : request.studies)
        chart->AddStudy(std::move(study));
    request.studies.clear();
    frame->SetSymbolBox(request.symbol, TRUE);
    frame->SetIntervalBox(PeriodDisplayName(request.interval), TRUE);
    CSymbolIntervalMsg message{request.symbol, request.interval, frame->IsExtSession() != FALSE};
    message.symbol.MakeUpper();
    view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&message));
    // The row's strategy becomes the chart's own backtest.
    if (request.setup)
        chart->SetStrategySetup(std::move(request.setup));
    return true;
}
