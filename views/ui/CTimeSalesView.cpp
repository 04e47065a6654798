#include "views/ui/CTimeSalesView.h"

#include "analytics/series/ISeriesServices.h"
#include "broker/core/FeedTime.h"
#include "broker/session/CSessionManager.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/CDateTimeDlg.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "common/windows/SymbolEntryDialog.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CDataExchange.h"
#include "views/ListWorkspace.h"
#include "views/ui/ListWindowIds.h"

namespace {

constexpr int kMaxSymbolText = 64;

DWORD FeedTimeOf(const CTime& time)
{
    return DateTimeToFeedTime(time.GetYear(), time.GetMonth(), time.GetDay(), time.GetHour(), time.GetMinute(),
                              time.GetSecond());
}

} // namespace

CTimeSalesView::CTimeSalesView()
    : CSeriesListView(true, kKindTimeSales, IDR_TIME_SALES, "Time & Sales", "default.tsl"),
      m_goTo(SystemTimeToFeedTime(CSessionManager::GetCurrentExchangeTime()))
{
}

void CTimeSalesView::ApplySettingsLook()
{
    if (const CAppSettings* settings = CAppSettings::Instance())
        ApplyLook(settings->m_tsFont, settings->m_tsTextColor);
}

void CTimeSalesView::OnInitialUpdate()
{
    CSeriesListView::OnInitialUpdate();
    if (IWorkstationFrame* main = GetWorkstationFrame()) {
        const CString symbol = main->GetSymbolBox();
        if (!symbol.IsEmpty())
            ShowSymbol(symbol, main->IsExtSession() != FALSE);
    }
    RefreshTitle();
}

void CTimeSalesView::OnActivateView(BOOL activate, CView* activated, CView* deactivated)
{
    CSeriesListView::OnActivateView(activate, activated, deactivated);
    if (activate)
        ShowInToolBar();
}

void CTimeSalesView::ShowInToolBar()
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc || doc->IsDetached())
        return;
    if (IWorkstationFrame* main = GetWorkstationFrame()) {
        main->SetIntervalBox("Tick", TRUE);
        if (!m_symbolText.IsEmpty())
            main->SetSymbolBox(m_symbolText, TRUE);
    }
}

void CTimeSalesView::RequestData(bool historical)
{
    if (m_symbolText.IsEmpty())
        return;
    m_bHistorical = historical;
    if (!IsRequestSymbol(m_symbolText)) {
        ReplaceSeries(CString());
        return;
    }
    ReplaceSeries(TimeSalesKey(m_symbolText, m_bExtended, historical ? m_goTo : 0, m_filter.suffix));
}

void CTimeSalesView::ShowSymbol(const CString& symbol, bool extended)
{
    m_symbolText = symbol;
    m_symbolText.Trim();
    m_bExtended = extended;
    RequestData(false);
}

void CTimeSalesView::PromptSymbol(const CString& text, BOOL selectAll)
{
    SymbolEntryDialog dlg(selectAll, GetParentFrame());
    dlg.SetSymbol(text);
    if (dlg.DoModal() != IDOK)
        return;
    CString symbol = dlg.GetSymbol();
    symbol.Trim();
    symbol.MakeUpper();
    if (symbol.IsEmpty() || symbol == m_symbolText)
        return;
    ShowSymbol(symbol, m_bExtended);
    ShowInToolBar();
}

void CTimeSalesView::SetFilter(const CTimeSalesFilter& filter)
{
    m_filter = filter;
    m_filter.suffix = FilterSuffix(m_filter);
    RequestData(false);
}

void CTimeSalesView::GoTo(const CTime& time)
{
    m_goTo = FeedTimeOf(time);
    RequestData(true);
}

void CTimeSalesView::GoTo(const SYSTEMTIME& time)
{
    m_goTo = SystemTimeToFeedTime(time);
    RequestData(true);
}

CListExportJob CTimeSalesView::MakeExportJob(const CExportTarget& target, DWORD startFeedTime, DWORD endFeedTime) const
{
    CListExportJob job;
    job.tickMode = true;
    job.path = target.path;
    job.separator = target.separator;
    job.startFeedTime = startFeedTime;
    job.endFeedTime = endFeedTime;
    job.key = TimeSalesKey(m_symbolText, m_bExtended, job.endFeedTime, m_filter.suffix);
    for (const CListColumn& column : const_cast<CTimeSalesView*>(this)->List().GetLayout())
        job.kinds.push_back(column.kind);
    return job;
}

// Commands.

void CTimeSalesView::OnSymbol()
{
    PromptSymbol(m_symbolText, TRUE);
}

void CTimeSalesView::OnFilter()
{
    CTimeSalesFilterDlg dlg(m_filter, this);
    if (dlg.DoModal() == IDOK)
        SetFilter(dlg.GetFilter());
}

void CTimeSalesView::OnGoTo()
{
    // The go-to time is read on the exchange's wall clock: the dialog starts at its now.
    CDateTimeDlg dlg(CSessionManager::GetCurrentExchangeTime(), this);
    if (dlg.DoModal() == IDOK)
        GoTo(dlg.m_time);
}

void CTimeSalesView::OnColumn(UINT id)
{
    ToggleColumnKind(static_cast<int>(id - ID_TS_COLUMN_FIRST));
}

void CTimeSalesView::OnUpdateColumn(CCmdUI* ui)
{
    UpdateColumnKind(ui, static_cast<int>(ui->m_nID - ID_TS_COLUMN_FIRST));
}

LRESULT CTimeSalesView::OnSetSymbol(WPARAM group, LPARAM message)
{
    const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message);
    CCommonDoc* doc = GetCommonDoc();
    if (!msg || !doc)
        return 0;
    const bool accepted = doc->GetLinkState().AcceptsSymbolGroup(static_cast<int>(static_cast<LONG_PTR>(group)));
    const bool symbolChanged = !msg->symbol.IsEmpty() && msg->symbol != m_symbolText;
    const bool sessionChanged = msg->extSession != m_bExtended;
    if (accepted && (symbolChanged || sessionChanged)) {
        ShowSymbol(msg->symbol.IsEmpty() ? m_symbolText : msg->symbol, msg->extSession);
    } else if (!accepted && sessionChanged) {
        m_bExtended = msg->extSession;
        RequestData(false);
    }
    return accepted ? 1 : 0;
}

// Workspace.

BOOL CTimeSalesView::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CTimeSalesRecord record;
    record.layout = FormatListLayout(List().GetLayout());
    record.symbol = m_symbolText;
    record.extended = m_bExtended ? 1 : 0;
    record.filter = m_filter;
    record.goToTime = static_cast<DWORD>(FeedTimeToCTime(m_goTo).GetTime()); // stored as a local time
    record.historical = m_bHistorical ? 1 : 0;
    record.grid = HasGridLines() ? 1 : 0;
    const bool written =
        SucceedsWithoutException([&] { return WriteTimeSalesRecord(ar, record, doc->GetLinkState()); });
    return written ? TRUE : FALSE;
}

BOOL CTimeSalesView::LoadFromWorkspace(CArchive& ar, DWORD version)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CTimeSalesRecord record;
    if (!SucceedsWithoutException([&] { return ReadTimeSalesRecord(ar, version, record, doc->GetLinkState()); }))
        return FALSE;
    if (record.symbol.GetLength() > kMaxSymbolText)
        return FALSE;
    doc->UpdateLinkButtons();
    ApplyLayoutText(record.layout);
    m_symbolText = record.symbol;
    m_bExtended = record.extended != 0;
    m_filter = record.filter;
    m_goTo = FeedTimeOf(CTime(static_cast<time_t>(record.goToTime)));
    SetGridLines(record.grid != 0);
    if (m_symbolText.IsEmpty())
        ReplaceSeries(CString());
    else
        RequestData(record.historical != 0);
    return TRUE;
}

const CMessageMap& CTimeSalesView::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CTimeSalesView>(CSeriesListView::GetMessageMap())
            .Command(ID_TS_SYMBOL, &CTimeSalesView::OnSymbol)
            .Command(ID_TS_FILTER, &CTimeSalesView::OnFilter)
            .Command(ID_TS_GOTO, &CTimeSalesView::OnGoTo)
            .CommandRange(ID_TS_COLUMN_FIRST, ID_TS_COLUMN_LAST, &CTimeSalesView::OnColumn)
            .UpdateUIRange(ID_TS_COLUMN_FIRST, ID_TS_COLUMN_LAST, &CTimeSalesView::OnUpdateColumn)
            .Command(ID_TS_GRID, &CTimeSalesView::OnGrid)
            .UpdateUI(ID_TS_GRID, &CTimeSalesView::OnUpdateGrid)
            .Command(ID_TS_DEFAULT_LAYOUT, &CTimeSalesView::OnDefaultLayout)
            .Command(ID_TS_EXPORT, &CTimeSalesView::OnExport)
            .Message(WM_SET_SYMBOL_INTERVAL, &CTimeSalesView::OnSetSymbol)
            .Build();
    return map;
}

// The filter dialog.

CTimeSalesFilterDlg::CTimeSalesFilterDlg(const CTimeSalesFilter& filter, CWnd* parent)
    : CDialog(IDD_TIME_SALES_FILTER, parent), m_filter(filter)
{
    m_nPrice = (filter.flags & kFilterPriceRange) ? 1 : 0;
    m_nVolume = (filter.flags & kFilterMinSize) ? 1 : 0;
    m_minPrice = filter.minPrice;
    m_maxPrice = filter.maxPrice;
    m_nMinSize = filter.minSize;
}

BOOL CTimeSalesFilterDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    EnableEdits();
    return TRUE;
}

void CTimeSalesFilterDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Check(dx, IDC_FILTER_PRICE, m_nPrice);
    DDX_Check(dx, IDC_FILTER_VOLUME, m_nVolume);
    if (!dx->m_bSaveAndValidate) {
        CString text;
        if (m_nPrice)
            text.Format("%f", static_cast<double>(m_minPrice));
        SetDlgItemText(IDC_FILTER_MIN_PRICE, m_nPrice ? text.GetString() : "");
        if (m_nPrice)
            text.Format("%f", static_cast<double>(m_maxPrice));
        SetDlgItemText(IDC_FILTER_MAX_PRICE, m_nPrice ? text.GetString() : "");
        if (m_nVolume)
            text.Format("%u", m_nMinSize);
        SetDlgItemText(IDC_FILTER_MIN_SIZE, m_nVolume ? text.GetString() : "");
        return;
    }
    // Only the checked filters' edits are read; a bad number keeps the dialog open.
    if (m_nPrice) {
        DDX_Text(dx, IDC_FILTER_MIN_PRICE, m_minPrice);
        DDV_MinMaxDouble(dx, m_minPrice, 0.0, 10000000.0);
        DDX_Text(dx, IDC_FILTER_MAX_PRICE, m_maxPrice);
        DDV_MinMaxDouble(dx, m_maxPrice, m_minPrice, 10000000.0);
    }
    if (m_nVolume)
        DDX_Text(dx, IDC_FILTER_MIN_SIZE, m_nMinSize);
    m_filter = MakeTimeSalesFilter(m_nPrice != 0, m_minPrice, m_maxPrice, m_nVolume != 0, m_nMinSize, m_filter.text);
}

void CTimeSalesFilterDlg::EnableEdits()
{
    const bool price = IsDlgButtonChecked(IDC_FILTER_PRICE) == BST_CHECKED;
    const bool volume = IsDlgButtonChecked(IDC_FILTER_VOLUME) == BST_CHECKED;
    for (UINT id : {IDC_FILTER_MIN_PRICE, IDC_FILTER_MAX_PRICE})
        if (CWnd* edit = GetDlgItem(static_cast<int>(id)))
            edit->EnableWindow(price);
    if (CWnd* edit = GetDlgItem(static_cast<int>(IDC_FILTER_MIN_SIZE)))
        edit->EnableWindow(volume);
}

void CTimeSalesFilterDlg::OnCheck()
{
    EnableEdits();
}

const CMessageMap& CTimeSalesFilterDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CTimeSalesFilterDlg>(CDialog::GetMessageMap())
                                       .Control(BN_CLICKED, IDC_FILTER_PRICE, &CTimeSalesFilterDlg::OnCheck)
                                       .Control(BN_CLICKED, IDC_FILTER_VOLUME, &CTimeSalesFilterDlg::OnCheck)
                                       .Build();
    return map;
}
