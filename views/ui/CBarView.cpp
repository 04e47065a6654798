#include "views/ui/CBarView.h"

#include "broker/core/FeedTime.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "common/windows/SymbolEntryDialog.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CFrameWnd.h"
#include "views/ListWorkspace.h"
#include "views/TimeSalesKeys.h"
#include "views/ui/ListWindowIds.h"

namespace {

constexpr int kMaxText = 64;

} // namespace

CBarView::CBarView() : CSeriesListView(false, kKindBarTable, IDR_BAR_TABLE, "Bar Table", "default.bl") {}

void CBarView::ApplySettingsLook()
{
    if (const CAppSettings* settings = CAppSettings::Instance())
        ApplyLook(settings->m_barFont, settings->m_barTextColor);
}

void CBarView::OnInitialUpdate()
{
    CSeriesListView::OnInitialUpdate();
    if (IWorkstationFrame* main = GetWorkstationFrame()) {
        const CString symbol = main->GetSymbolBox();
        const CString interval = main->GetIntervalBox();
        if (!symbol.IsEmpty())
            ShowSymbolInterval(symbol, interval.IsEmpty() ? m_interval : interval, main->IsExtSession() != FALSE);
    }
    RefreshTitle();
}

void CBarView::OnActivateView(BOOL activate, CView* activated, CView* deactivated)
{
    CSeriesListView::OnActivateView(activate, activated, deactivated);
    if (activate)
        ShowInToolBar();
}

void CBarView::ShowInToolBar()
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc || doc->IsDetached())
        return;
    if (IWorkstationFrame* main = GetWorkstationFrame()) {
        main->SetIntervalBox(m_interval, TRUE);
        if (!m_symbolText.IsEmpty())
            main->SetSymbolBox(m_symbolText, TRUE);
    }
}

void CBarView::RequestData()
{
    if (m_symbolText.IsEmpty())
        return;
    if (!IsRequestSymbol(m_symbolText)) {
        ReplaceSeries(CString());
        return;
    }
    ReplaceSeries(BarKey(m_symbolText, m_interval.IsEmpty() ? CString("Daily") : m_interval, m_bExtended, 0));
}

void CBarView::ShowSymbolInterval(const CString& symbol, const CString& interval, bool extended)
{
    m_symbolText = symbol;
    m_symbolText.Trim();
    m_interval = interval;
    m_bExtended = extended;
    // A bar table never shows ticks.
    if (m_interval == "Tick") {
        m_interval = "Daily";
        if (IWorkstationFrame* main = GetWorkstationFrame())
            main->SetIntervalBox("Daily", TRUE);
    }
    RequestData();
}

void CBarView::PromptSymbolInterval(const CString& text, bool intervalTyped, BOOL selectAll)
{
    SymbolEntryDialog dlg(selectAll, GetParentFrame());
    dlg.SetSymbol(intervalTyped ? m_symbolText : text);
    dlg.SetInterval(intervalTyped ? text : m_interval);
    dlg.SetExtSession(m_bExtended ? TRUE : FALSE);
    if (dlg.DoModal() != IDOK)
        return;
    CString symbol = dlg.GetSymbol();
    symbol.Trim();
    symbol.MakeUpper();
    const bool extended = dlg.GetExtSession() != FALSE;
    if (symbol == m_symbolText && dlg.GetInterval() == m_interval && extended == m_bExtended)
        return;
    ShowSymbolInterval(symbol, dlg.GetInterval(), extended);
    ShowInToolBar();
}

void CBarView::OnDetachedChar(char c)
{
    PromptSymbolInterval(CString(c, 1), c >= '0' && c <= '9', FALSE);
}

CListExportJob CBarView::MakeExportJob(const CExportTarget& target, DWORD startFeedTime, DWORD endFeedTime) const
{
    CListExportJob job;
    job.tickMode = false;
    job.path = target.path;
    job.separator = target.separator;
    job.startFeedTime = startFeedTime;
    job.endFeedTime = endFeedTime;
    job.key = BarKey(m_symbolText, m_interval.IsEmpty() ? CString("Daily") : m_interval, m_bExtended, job.endFeedTime);
    for (const CListColumn& column : const_cast<CBarView*>(this)->List().GetLayout())
        job.kinds.push_back(column.kind);
    return job;
}

// Commands.

void CBarView::OnSymbolInterval()
{
    PromptSymbolInterval(m_symbolText, false, TRUE);
}

void CBarView::OnColumn(UINT id)
{
    ToggleColumnKind(static_cast<int>(id - ID_BAR_COLUMN_FIRST));
}

void CBarView::OnUpdateColumn(CCmdUI* ui)
{
    UpdateColumnKind(ui, static_cast<int>(ui->m_nID - ID_BAR_COLUMN_FIRST));
}

LRESULT CBarView::OnSetSymbol(WPARAM group, LPARAM message)
{
    const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message);
    CCommonDoc* doc = GetCommonDoc();
    if (!msg || !doc)
        return 0;
    const int g = static_cast<int>(static_cast<LONG_PTR>(group));
    const bool symbolAccepted = doc->GetLinkState().AcceptsSymbolGroup(g);
    const bool intervalAccepted = doc->GetLinkState().AcceptsIntervalGroup(g);
    const bool symbolChanged = !msg->symbol.IsEmpty() && msg->symbol != m_symbolText;
    const bool intervalChanged = !msg->interval.IsEmpty() && msg->interval != m_interval;
    if (!(symbolChanged && symbolAccepted) && !(intervalChanged && intervalAccepted) &&
        msg->extSession == m_bExtended)
        return 0;
    ShowSymbolInterval(symbolAccepted && !msg->symbol.IsEmpty() ? msg->symbol : m_symbolText,
                       intervalAccepted && !msg->interval.IsEmpty() ? msg->interval : m_interval, msg->extSession);
    return 1;
}

// Workspace.

BOOL CBarView::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CBarViewRecord record;
    record.layout = FormatListLayout(List().GetLayout());
    record.symbol = m_symbolText;
    record.interval = m_interval;
    record.extended = m_bExtended ? 1 : 0;
    record.grid = HasGridLines() ? 1 : 0;
    return SucceedsWithoutException([&] { return WriteBarViewRecord(ar, record, doc->GetLinkState()); }) ? TRUE : FALSE;
}

BOOL CBarView::LoadFromWorkspace(CArchive& ar, DWORD version)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CBarViewRecord record;
    if (!SucceedsWithoutException([&] { return ReadBarViewRecord(ar, version, record, doc->GetLinkState()); }))
        return FALSE;
    if (record.symbol.GetLength() > kMaxText || record.interval.GetLength() > kMaxText)
        return FALSE;
    doc->UpdateLinkButtons();
    ApplyLayoutText(record.layout);
    SetGridLines(record.grid != 0);
    m_symbolText = record.symbol;
    m_interval = record.interval;
    m_bExtended = record.extended != 0;
    if (m_symbolText.IsEmpty())
        ReplaceSeries(CString());
    else
        RequestData();
    return TRUE;
}

const CMessageMap& CBarView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CBarView>(CSeriesListView::GetMessageMap())
                                       .Command(ID_BAR_SYMBOL, &CBarView::OnSymbolInterval)
                                       .CommandRange(ID_BAR_COLUMN_FIRST, ID_BAR_COLUMN_LAST, &CBarView::OnColumn)
                                       .UpdateUIRange(ID_BAR_COLUMN_FIRST, ID_BAR_COLUMN_LAST, &CBarView::OnUpdateColumn)
                                       .Command(ID_BAR_GRID, &CBarView::OnGrid)
                                       .UpdateUI(ID_BAR_GRID, &CBarView::OnUpdateGrid)
                                       .Command(ID_BAR_DEFAULT_LAYOUT, &CBarView::OnDefaultLayout)
                                       .Command(ID_BAR_EXPORT, &CBarView::OnExport)
                                       .Message(WM_SET_SYMBOL_INTERVAL, &CBarView::OnSetSymbol)
                                       .Build();
    return map;
}
