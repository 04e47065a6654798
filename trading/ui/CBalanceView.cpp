#include "trading/ui/CBalanceView.h"

#include "common/services/CAppSettings.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "trading/ReportColumns.h"
#include "trading/ui/ReportIds.h"

CBalanceView::CBalanceView() : CReportView(IDD_BALANCES_FORM, kKindBalances) {}

CBalanceView::~CBalanceView()
{
    m_handle.reset();
}

void CBalanceView::DoDataExchange(CDataExchange* dx)
{
    CReportView::DoDataExchange(dx);
    DDX_Control(dx, static_cast<int>(IDC_BALANCES_LIST), m_list);
}

void CBalanceView::OnInitialUpdate()
{
    CReportView::OnInitialUpdate();
    InitReport(m_list, LVS_EX_FULLROWSELECT);
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        const CReportListLook& look = settings->m_reportLooks[kReportBalances];
        SetFontAndColor(look.font, look.textColor);
    }
    int column = 0;
    for (const CBalanceColumn& c : BalanceColumns())
        m_list.InsertColumn(column++, c.header, c.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT, c.width);
    if (CAccountDataStore* store = GetStore()) {
        m_handle = std::make_unique<CBalanceListHandle>(*store);
        m_handle->Subscribe(GetListener());
    }
    FillList();
}

void CBalanceView::FillList()
{
    if (!m_handle)
        return;
    CArray<CBalanceRecord> records;
    m_handle->TakeSnapshot();
    m_handle->CopyRecords(records);
    m_handle->UseLive();
    m_list.DeleteAllItems();
    for (const CBalanceRecord& record : records) {
        const int item = m_list.InsertItem(m_list.GetItemCount(), record.name);
        m_list.SetItemText(item, 1, record.amount);
        m_list.SetItemText(item, 2, record.netChange);
    }
}

void CBalanceView::SetFontAndColor(const CFontInfo& font, COLORREF color)
{
    SetListLook(font, color);
}

void CBalanceView::OnExport()
{
    std::vector<CExportRow> rows;
    CExportRow header;
    for (const CBalanceColumn& c : BalanceColumns())
        header.push_back(c.header);
    rows.push_back(header);
    for (int item = 0; item < m_list.GetItemCount(); ++item) {
        CExportRow row;
        for (int column = 0; column < kBalanceColumnCount; ++column)
            row.push_back(m_list.GetItemText(item, column));
        rows.push_back(row);
    }
    ExportRows(rows, false);
}

void CBalanceView::OnListRightClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    CMenu menu;
    CMenu* popup = FindPopup(menu, IDR_BALANCES, "&Balances");
    if (!popup)
        return;
    POINT at;
    GetCursorPos(&at);
    popup->TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, GetParentFrame());
}

BOOL CBalanceView::SaveToWorkspace(CArchive& ar)
{
    CBalanceViewState state;
    state.grid = m_nGrid;
    for (int column = 0; column < kBalanceColumnCount; ++column)
        state.widths[static_cast<size_t>(column)] = m_list.GetColumnWidth(column);
    try {
        StoreBalanceState(ar, state);
    } catch (CException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CBalanceView::LoadFromWorkspace(CArchive& ar, DWORD version)
{
    CBalanceViewState state;
    state.grid = m_nGrid;
    for (int column = 0; column < kBalanceColumnCount; ++column)
        state.widths[static_cast<size_t>(column)] = m_list.GetColumnWidth(column);
    try {
        LoadBalanceState(ar, version, state);
    } catch (CException&) {
        return FALSE;
    }
    m_nGrid = state.grid;
    ApplyGrid();
    for (int column = 0; column < kBalanceColumnCount; ++column)
        m_list.SetColumnWidth(column, state.widths[static_cast<size_t>(column)]);
    return TRUE;
}

const CMessageMap& CBalanceView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CBalanceView>(CReportView::GetMessageMap())
                                       .Command(ID_BALANCES_REFRESH, &CBalanceView::OnRefresh)
                                       .Command(ID_BALANCES_EXPORT, &CBalanceView::OnExport)
                                       .Command(ID_BALANCES_GRID, &CBalanceView::OnToggleGrid)
                                       .UpdateUI(ID_BALANCES_GRID, &CBalanceView::OnUpdateGrid)
                                       .Notify(NM_RCLICK, IDC_BALANCES_LIST, &CBalanceView::OnListRightClick)
                                       .Build();
    return map;
}
