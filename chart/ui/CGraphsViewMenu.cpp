// The context menu of a chart pane and the commands it routes: studies to the chart
// frame, the price pane's style, scale and date range, the cross-hair, drawing tools,
// trading and Go to Date/Time.
#include "chart/ui/CGraphsView.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesTime.h"
#include "broker/core/FeedTime.h"
#include "broker/session/CSessionManager.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/ToolPreferencePages.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CDateTimeDlg.h"
#include "common/windows/IWorkstationFrame.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CWinApp.h"
#include "studies/CStudyDefinition.h"
#include "studies/ICustomStudyTable.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPricePlot.h"

namespace {

constexpr UINT ID_ADD_TRADE_ALERT = 32947;
constexpr UINT kOverlayOffset = ID_FIRST_OVERLAY_STUDY - ID_FIRST_STUDY_TYPE; // 50030

// The study list of the Add and Overlay menus; custom studies after a separator.
void AppendStudies(CMenu& menu, UINT offset, UINT customFirst)
{
    for (DWORD entry : kStudyAddMenuOrder) {
        if (entry == kStudyMenuSeparator) {
            menu.AppendMenu(MF_SEPARATOR);
            continue;
        }
        if (const char* name = GetStudyTypeName(static_cast<int>(entry)))
            menu.AppendMenu(MF_STRING, entry + offset, name);
    }
    const ICustomStudyTable* table = GetCustomStudyTable();
    const int count = table ? table->GetCustomStudyCount() : 0;
    if (count <= 0)
        return;
    menu.AppendMenu(MF_SEPARATOR);
    for (int i = 0; i < count && i < kMaxCustomStudies; ++i) {
        CCustomStudyRow row;
        if (table->GetCustomStudy(i, row))
            menu.AppendMenu(MF_STRING, customFirst + static_cast<UINT>(i), row.name);
    }
    if (count > kMaxCustomStudies) {
        CString more;
        more.Format("(%d more custom studies than the menu can list)", count - kMaxCustomStudies);
        menu.AppendMenu(MF_STRING | MF_GRAYED, static_cast<UINT_PTR>(0), more);
    }
}

} // namespace

void CGraphsView::BuildContextMenu(CMenu& menu)
{
    CChartController* chart = GetChart();
    if (m_bPricePane) {
        menu.AppendMenu(MF_STRING, ID_SYMBOL_INTERVAL, "Symbol && Interval...");
        menu.AppendMenu(MF_STRING, ID_ADD_TRADE_ALERT, "&Add Alert...");
        CMenu trade;
        trade.CreatePopupMenu();
        trade.AppendMenu(MF_STRING, ID_TRADE_BUY, "&Buy");
        trade.AppendMenu(MF_STRING, ID_TRADE_SELL, "&Sell");
        trade.AppendMenu(MF_STRING, ID_TRADE_SELL_SHORT, "S&ell Short");
        trade.AppendMenu(MF_STRING, ID_TRADE_BUY_TO_COVER, "Buy to &Cover");
        menu.AppendMenu(MF_POPUP, &trade, "&Trade");
        menu.AppendMenu(MF_SEPARATOR);
    }
    CMenu add, overlay, edit, remove;
    add.CreatePopupMenu();
    overlay.CreatePopupMenu();
    edit.CreatePopupMenu();
    remove.CreatePopupMenu();
    AppendStudies(add, 0, ID_FIRST_CUSTOM_STUDY);
    AppendStudies(overlay, kOverlayOffset, ID_FIRST_OVERLAY_CUSTOM);
    int studies = 0;
    for (const auto& plot : m_plots) {
        if (plot->IsPricePlot())
            continue;
        if (studies < kMaxPaneStudyPlots) {
            const CString title = plot->GetTitle();
            edit.AppendMenu(MF_STRING, ID_FIRST_EDIT_STUDY + static_cast<UINT>(studies), title + "...");
            remove.AppendMenu(MF_STRING, ID_FIRST_REMOVE_STUDY + static_cast<UINT>(studies), title);
        }
        ++studies;
    }
    menu.AppendMenu(MF_POPUP, &add, "&Add");
    menu.AppendMenu(MF_POPUP | (studies >= kMaxPaneStudyPlots ? MF_GRAYED : 0), &overlay, "&Overlay");
    menu.AppendMenu(MF_POPUP | (studies == 0 ? MF_GRAYED : 0), &edit, "&Edit");
    menu.AppendMenu(MF_POPUP | (studies == 0 ? MF_GRAYED : 0), &remove, "&Remove");
    if (!m_bPricePane)
        return;
    CPricePlot* price = GetPricePlot();
    const int style = price ? price->GetDrawStyle() : -1;
    CGraphsDoc* doc = GetGraphsDoc();
    menu.AppendMenu(MF_SEPARATOR);
    CMenu styles, thickness, scale, range;
    styles.CreatePopupMenu();
    styles.AppendMenu(MF_STRING | (style == kStyleCurve ? MF_CHECKED : 0), ID_STYLE_CURVE, "Cur&ve");
    styles.AppendMenu(MF_STRING | (style == kStyleBar ? MF_CHECKED : 0), ID_STYLE_BAR, "&Bar");
    styles.AppendMenu(MF_STRING | (style == kStyleCandle ? MF_CHECKED : 0), ID_STYLE_CANDLE, "&Candle");
    styles.AppendMenu(MF_STRING | (style == kStyleColorBar ? MF_CHECKED : 0), ID_STYLE_COLOR_BAR, "Co&lor Bar");
    menu.AppendMenu(MF_POPUP, &styles, "Style");
    thickness.CreatePopupMenu();
    const int width = price ? price->GetPenWidth() : 1;
    thickness.AppendMenu(MF_STRING | (width <= 14 ? 0 : MF_GRAYED), ID_THICKNESS_UP, "Increase");
    thickness.AppendMenu(MF_STRING | (width >= 2 ? 0 : MF_GRAYED), ID_THICKNESS_DOWN, "Decrease");
    menu.AppendMenu(MF_POPUP, &thickness, "Thickness");
    scale.CreatePopupMenu();
    scale.AppendMenu(MF_STRING | (m_bAutoScale ? MF_CHECKED : 0), ID_AUTO_SCALE, "Auto Scale");
    scale.AppendMenu(MF_STRING | (m_bLogScale ? MF_CHECKED : 0), ID_LOG_SCALE, "Log Scale");
    menu.AppendMenu(MF_POPUP, &scale, "Price Scale");
    range.CreatePopupMenu();
    static const char* const kRanges[] = {"Auto",    "1 Day",    "2 Days",   "1 Week", "2 Weeks",
                                          "1 Month", "3 Months", "6 Months", "1 Year"};
    const int current = doc ? doc->GetDateRange() : 0;
    for (int i = 0; i < 9; ++i)
        range.AppendMenu(MF_STRING | (i == current ? MF_CHECKED : 0), ID_FIRST_DATE_RANGE + static_cast<UINT>(i),
                         kRanges[i]);
    menu.AppendMenu(MF_POPUP, &range, "Date Range");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_COLOR_BAR_SETUP, "Color Bar S&etup...");
    menu.AppendMenu(MF_STRING, ID_STRATEGY_SETUP, "&Strategy Setup...");
    if (chart && chart->GetStrategySetup())
        menu.AppendMenu(MF_STRING, ID_BACKTEST_REPORT, "Backtesting &Report");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | (chart && chart->IsCrosshairOn() ? MF_CHECKED : 0), ID_CROSSHAIRS, "Cross&hairs");
    menu.AppendMenu(MF_STRING | (chart && chart->IsTrackingShown() ? MF_CHECKED : 0), ID_TRACKING_WINDOW,
                    "&Tracking Window");
    menu.AppendMenu(MF_STRING | (chart && chart->HasSnapshotWindow() ? MF_CHECKED : 0), ID_SNAPSHOT_WINDOW,
                    "Sna&pshot Window");
    menu.AppendMenu(MF_STRING | (chart && chart->IsTabWindowOn() ? MF_CHECKED : 0), ID_TAB_WINDOW, "T&ab Window");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | (m_bInitialised && GetSeriesPlot() ? 0 : MF_GRAYED), ID_GOTO_DATE,
                    "&Go to Date/Time...");
    menu.AppendMenu(MF_STRING, ID_EXPORT_IMAGE, "Export &Image...");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_CHART_FONTS, "&Fonts...");
}

void CGraphsView::OnPaneCommand(UINT id)
{
    CGraphsDoc* doc = GetGraphsDoc();
    CChartController* chart = GetChart();
    CFrameWnd* frame = GetParentFrame();
    auto studyPlot = [this](UINT index) -> CStudyPlot* {
        UINT seen = 0;
        for (const auto& plot : m_plots) {
            if (plot->IsPricePlot())
                continue;
            if (seen++ == index)
                return plot.get();
        }
        return nullptr;
    };
    if (id >= ID_FIRST_EDIT_STUDY && id < ID_FIRST_EDIT_STUDY + kMaxPaneStudyPlots) {
        if (CStudyPlot* plot = studyPlot(id - ID_FIRST_EDIT_STUDY); plot && frame)
            frame->PostMessage(WM_CHART_EDIT_STUDY, 0, reinterpret_cast<LPARAM>(plot->GetStudy()));
    } else if (id >= ID_FIRST_REMOVE_STUDY && id < ID_FIRST_REMOVE_STUDY + kMaxPaneStudyPlots) {
        if (CStudyPlot* plot = studyPlot(id - ID_FIRST_REMOVE_STUDY); plot && frame)
            frame->PostMessage(WM_CHART_DELETE_STUDY, 0, reinterpret_cast<LPARAM>(plot->GetStudy()));
    } else if ((id >= ID_FIRST_STUDY_TYPE && id <= ID_LAST_STUDY_TYPE) ||
               (id >= ID_FIRST_CUSTOM_STUDY && id <= ID_LAST_CUSTOM_STUDY)) {
        if (frame)
            frame->PostMessage(WM_COMMAND, id, 0);
    } else if (id >= ID_FIRST_OVERLAY_STUDY && id <= ID_LAST_OVERLAY_STUDY) {
        if (frame)
            ::PostMessage(frame->m_hWnd, WM_CHART_ADD_TO_PANE, 0, 0,
                          MakePayload<CAddToPaneRequest>(CAddToPaneRequest{static_cast<int>(id - kOverlayOffset), -1, m_hWnd}));
    } else if (id >= ID_FIRST_OVERLAY_CUSTOM && id <= ID_LAST_OVERLAY_CUSTOM) {
        if (frame)
            ::PostMessage(frame->m_hWnd, WM_CHART_ADD_TO_PANE, 0, 0,
                          MakePayload<CAddToPaneRequest>(
                              CAddToPaneRequest{kStudyCustom, static_cast<int>(id - ID_FIRST_OVERLAY_CUSTOM), m_hWnd}));
    } else if (id >= ID_TRADE_BUY && id <= ID_TRADE_BUY_TO_COVER) {
        TradeFromChart(static_cast<int>(id - ID_TRADE_BUY));
    } else if (id == ID_ADD_TRADE_ALERT) {
        if (IWorkstationFrame* main = GetWorkstationFrame())
            main->SetupTradeAlert(0, frame);
    } else if (id >= ID_STYLE_CURVE && id <= ID_RESET_SCALE) {
        OnPriceCommand(id);
    } else if (id == ID_COLOR_BAR_SETUP) {
        if (chart)
            chart->OnColorBarSetup();
    } else if (id == ID_CHART_FONTS) {
        // The main frame changes the font of every chart.
        if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd)
            app->m_pMainWnd->PostMessage(WM_COMMAND, ID_CHART_FONTS, 0);
    } else if (id == ID_CROSSHAIRS) {
        if (chart)
            chart->ToggleCrosshairs();
    } else if (id == ID_TRACKING_WINDOW) {
        if (chart)
            chart->ShowTrackingWindow(!chart->IsTrackingShown());
    } else if (id == ID_SNAPSHOT_WINDOW) {
        if (chart)
            chart->ToggleSnapshotWindow();
    } else if (id == ID_TAB_WINDOW) {
        if (chart)
            chart->SetTabWindow(!chart->IsTabWindowOn());
    } else if (id == ID_STRATEGY_SETUP) {
        if (chart)
            chart->OnStrategySetup();
    } else if (id == ID_BACKTEST_REPORT) {
        if (chart)
            chart->OnBacktestReport();
    } else if (id == ID_EXPORT_IMAGE) {
        OnExportImage();
    } else if (id == ID_PRINT_CHART) {
        OnPrintChart();
    } else if (id >= ID_FIRST_DATE_RANGE && id <= ID_LAST_DATE_RANGE) {
        ApplyDateRange(static_cast<int>(id - ID_FIRST_DATE_RANGE), true);
    } else if (id >= kCmdSegment && id <= kCmdNote) {
        OnDrawingTool(id);
    } else if (id == ID_TOOL_PREFERENCES) {
        if (CAppSettings* settings = CAppSettings::Instance(); settings &&
            EditDrawingToolDefaults(settings->m_drawingDefaults, frame))
            settings->SaveGui();
    } else if (id == ID_GOTO_DATE) {
        CStudyPlot* data = GetSeriesPlot();
        if (!data || !data->IsReady() || !doc) {
            AfxMessageBox("Chart is not initialized", MB_OK);
            return;
        }
        // On the exchange's wall clock, from its now, with no time zone in between.
        const SYSTEMTIME opened = CSessionManager::GetCurrentExchangeTime();
        CDateTimeDlg dlg(opened, frame);
        if (dlg.DoModal() != IDOK)
            return;
        CWaitCursor wait;
        // The time the dialog opened with, or a later one, is now: the clock went on while
        // it was open.
        const FEEDTIME chosen = SystemTimeToFeedTime(dlg.m_time);
        ShowBarAt(chosen < SystemTimeToFeedTime(opened)
                      ? chosen
                      : SystemTimeToFeedTime(CSessionManager::GetCurrentExchangeTime()));
    } else if (id == ID_SYMBOL_INTERVAL) {
        OnSymbolInterval();
    }
}

void CGraphsView::OnPriceCommand(UINT id)
{
    CPricePlot* price = GetPricePlot();
    switch (id) {
    case ID_STYLE_CURVE:
    case ID_STYLE_BAR:
    case ID_STYLE_CANDLE:
    case ID_STYLE_COLOR_BAR:
        if (price)
            price->SetDrawStyle(static_cast<BYTE>(id - ID_STYLE_CURVE));
        break;
    case ID_THICKNESS_DOWN:
        if (price && price->GetPenWidth() > 1)
            price->SetPenWidth(price->GetPenWidth() - 1);
        break;
    case ID_THICKNESS_UP:
        if (price && price->GetPenWidth() < 15)
            price->SetPenWidth(price->GetPenWidth() + 1);
        break;
    case ID_LOG_SCALE:
        if (m_bPricePane)
            m_bLogScale = !m_bLogScale;
        break;
    case ID_AUTO_SCALE:
        m_nPriceOffset = 0;
        m_bAutoScale = !m_bAutoScale;
        if (m_bAutoScale)
            m_nZoom = 0;
        break;
    case ID_ZOOM_IN: AddZoom(-1); return;
    case ID_ZOOM_OUT: AddZoom(1); return;
    case ID_SPACING_UP: ChangeSpacing(1.0); return;
    case ID_SPACING_DOWN: ChangeSpacing(-1.0); return;
    case ID_RESET_SCALE: ResetScale(); return;
    default: return;
    }
    m_bPictureValid = false;
    Invalidate(FALSE);
}

void CGraphsView::OnUpdatePriceCommand(CCmdUI* ui)
{
    CPricePlot* price = GetPricePlot();
    const CGraphsDoc* doc = GetGraphsDoc();
    const UINT id = ui->m_nID;
    if (id >= ID_STYLE_CURVE && id <= ID_STYLE_COLOR_BAR) {
        ui->Enable(price != nullptr);
        ui->SetCheck(price && price->GetDrawStyle() == id - ID_STYLE_CURVE ? 1 : 0);
    } else if (id == ID_THICKNESS_UP) {
        ui->Enable(price && price->GetPenWidth() <= 14);
    } else if (id == ID_THICKNESS_DOWN) {
        ui->Enable(price && price->GetPenWidth() >= 2);
    } else if (id == ID_LOG_SCALE) {
        ui->SetCheck(m_bLogScale ? 1 : 0);
    } else if (id == ID_AUTO_SCALE) {
        ui->SetCheck(m_bAutoScale ? 1 : 0);
    } else if (id == ID_SPACING_UP) {
        ui->Enable(doc && doc->GetBarSpacing() <= 29.0);
    } else if (id == ID_SPACING_DOWN) {
        ui->Enable(doc && doc->GetBarSpacing() >= 3.0);
    } else {
        ui->Enable(TRUE);
    }
}

BOOL CGraphsView::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    // The drawing tools of the chart's menu act on the pane the user works in.
    if (id >= kCmdSegment && id <= kCmdNote) {
        if (code == CN_UPDATE_COMMAND_UI && ui) {
            const CGraphsDoc* doc = GetGraphsDoc();
            ui->Enable(TRUE);
            ui->SetCheck(doc && doc->GetToolCommand() == id ? 1 : 0);
        } else if (code == CN_COMMAND) {
            OnDrawingTool(id);
        }
        return TRUE;
    }
    if (id == ID_TOOL_PREFERENCES || id == ID_GOTO_DATE || id == ID_CROSSHAIRS || id == ID_EXPORT_IMAGE ||
        id == ID_PRINT_CHART || (id >= ID_FIRST_DATE_RANGE && id <= ID_LAST_DATE_RANGE)) {
        if (code == CN_UPDATE_COMMAND_UI && ui) {
            ui->Enable(TRUE);
            if (id == ID_CROSSHAIRS)
                ui->SetCheck(GetChart() && GetChart()->IsCrosshairOn() ? 1 : 0);
        } else if (code == CN_COMMAND) {
            OnPaneCommand(id);
        }
        return TRUE;
    }
    return CView::OnCmdMsg(id, code, ui);
}
