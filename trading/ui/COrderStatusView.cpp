#include "trading/ui/COrderStatusView.h"

#include "broker/session/CSessionManager.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "trading/ReportOrderLeg.h"
#include "trading/SendOrders.h"
#include "trading/ui/COrderPropertySheet.h"
#include "trading/ui/COrderStatusFilterDlg.h"
#include "trading/ui/ReportIds.h"

#include <ctime>

namespace {

constexpr int kHiddenField = COrderStatusRecord::kHidden;

CString CancelAt(const std::vector<CString>& ids)
{
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager || ids.empty())
        return {};
    CString error;
    manager->GetSession().CancelOrders(ids, error);
    return error;
}

}  // namespace

COrderStatusView::COrderStatusView()
    : CReportView(IDD_ORDER_STATUS_FORM, kKindOrderStatus),
      m_filter(COrderListFilter::Default(static_cast<int64_t>(time(nullptr))))
{
}

COrderStatusView::~COrderStatusView()
{
    // The handle leaves the store before its listener goes.
    m_handle.reset();
}

CString COrderStatusView::DefaultLayoutPath()
{
    return LayoutPath("default.osl");
}

void COrderStatusView::DoDataExchange(CDataExchange* dx)
{
    CReportView::DoDataExchange(dx);
    DDX_Control(dx, static_cast<int>(IDC_ORDER_STATUS_LIST), m_list);
}

void COrderStatusView::OnInitialUpdate()
{
    CReportView::OnInitialUpdate();
    InitReport(m_list, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        const CReportListLook& look = settings->m_reportLooks[kReportOrderStatus];
        SetFontAndColor(look.font, look.textColor);
    }
    LoadDefaultLayout();
    if (CAccountDataStore* store = GetStore()) {
        m_handle = std::make_unique<COrderStatusListHandle>(*store);
        m_handle->SetFilter(m_filter);
        m_handle->Subscribe(GetListener());
    }
    FillList();
}

void COrderStatusView::LoadDefaultLayout()
{
    LoadListLayout(m_list, DefaultLayoutPath());
}

void COrderStatusView::FillList()
{
    if (!m_handle)
        return;
    CArray<COrderStatusRecord> records;
    m_handle->TakeSnapshot();
    m_handle->CopyRecords(records);
    m_handle->UseLive();
    m_list.SetRecords(records);
}

void COrderStatusView::SetFilter(const COrderListFilter& filter)
{
    m_filter = filter;
    if (m_handle)
        m_handle->SetFilter(filter);
    FillList();
}

void COrderStatusView::SetFontAndColor(const CFontInfo& font, COLORREF color)
{
    SetListLook(font, color);
}

void COrderStatusView::OnFilter()
{
    COrderStatusFilterDlg dialog(m_filter, this);
    if (dialog.DoModal() == IDOK)
        SetFilter(dialog.GetFilter());
}

void COrderStatusView::OnExport()
{
    ExportList(m_list);
}

void COrderStatusView::OnSetLayout()
{
    SaveListLayout(m_list, DefaultLayoutPath());
}

void COrderStatusView::OnColumn(UINT id)
{
    ToggleListField(m_list, static_cast<int>(id - ID_ORDER_COLUMN_FIRST), kHiddenField);
}

void COrderStatusView::OnUpdateColumn(CCmdUI* ui)
{
    UpdateListField(m_list, ui, static_cast<int>(ui->m_nID - ID_ORDER_COLUMN_FIRST), kHiddenField);
}

void COrderStatusView::OnRowCommand() {}

void COrderStatusView::CancelOrderOf(int item)
{
    if (const COrderStatusRecord* record = m_list.GetRecord(item))
        CancelOrder(*record);
}

void COrderStatusView::UpdateOrderOf(int item)
{
    if (const COrderStatusRecord* record = m_list.GetRecord(item))
        UpdateOrder(*record);
}

void COrderStatusView::CancelOrder(const COrderStatusRecord& record)
{
    const CString error = CancelAt({record.m_fields[COrderStatusRecord::kOrderId]});
    if (!error.IsEmpty())
        ShowMessage(error);
}

void COrderStatusView::UpdateOrder(const COrderStatusRecord& record)
{
    const std::vector<COrderRecord> legs = {OrderLegFromStatus(record)};
    const int kind = GetSymbolKind(legs[0].symbol) == kSymbolOption ? 1 : 0;
    COrderPropertySheet sheet(TRUE, GetParentFrame());
    sheet.InitPages(kOrderModeUpdate, kind, -1, &legs, 0, nullptr, kOriginTicket);
    sheet.DoModal();
}

void COrderStatusView::CancelOpenOrders()
{
    CAccountDataStore* store = GetStore();
    if (!store)
        return;
    std::vector<CString> ids;
    {
        COrderStatusListHandle handle(*store);
        handle.Subscribe(nullptr);
        handle.TakeSnapshot();
        CArray<COrderStatusRecord> records;
        handle.CopyRecords(records);
        handle.UseLive();
        for (const COrderStatusRecord& r : records)
            if (r.m_bOpen)
                ids.push_back(r.m_fields[COrderStatusRecord::kOrderId]);
    }
    if (ids.empty()) {
        ShowMessage("There are no open orders to be cancelled");
        return;
    }
    const CString error = CancelAt(ids);
    if (!error.IsEmpty())
        ShowMessage(error);
}

void COrderStatusView::BuildRowMenu(CMenu& menu, int item)
{
    CMenu* popup = FindPopup(menu, IDR_ORDER_STATUS, "&Order Status");
    const COrderStatusRecord* record = m_list.GetRecord(item);
    if (!popup || !record || !record->m_bOpen)
        return;
    popup->InsertMenu(0, MF_BYPOSITION | MF_SEPARATOR);
    popup->InsertMenu(0, MF_BYPOSITION | MF_STRING, ID_ORDER_CANCEL, "&Cancel Order");
    if (record->m_bChangeable)
        popup->InsertMenu(0, MF_BYPOSITION | MF_STRING, ID_ORDER_UPDATE, "&Update Order...");
}

void COrderStatusView::OnListRightClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const int item = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
    if (item >= 0 && item < m_list.GetItemCount()) {
        m_list.SetItemState(-1, 0, LVIS_SELECTED);
        m_list.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    // The list may be filled again while the menu is open: act on the order clicked.
    const COrderStatusRecord* clicked = m_list.GetRecord(item);
    const COrderStatusRecord record = clicked ? *clicked : COrderStatusRecord();
    CMenu menu;
    BuildRowMenu(menu, item);
    CMenu* popup = FindPopup(menu, IDR_ORDER_STATUS, "&Order Status");
    if (!popup)
        return;
    POINT at;
    GetCursorPos(&at);
    CFrameWnd* frame = GetParentFrame();
    const UINT chosen = popup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, frame);
    if (chosen == ID_ORDER_CANCEL && clicked)
        CancelOrder(record);
    else if (chosen == ID_ORDER_UPDATE && clicked)
        UpdateOrder(record);
    else if (chosen && frame)
        frame->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
}

void COrderStatusView::OnHeaderRightClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    CMenu menu;
    CMenu* popup = FindPopup(menu, IDR_ORDER_STATUS, "&Columns");
    if (!popup)
        return;
    POINT at;
    GetCursorPos(&at);
    popup->TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, GetParentFrame());
}

void COrderStatusView::OnListDoubleClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    if (const COrderStatusRecord* record = m_list.GetRecord(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem))
        BroadcastSymbol(record->m_fields[COrderStatusRecord::kSymbol]);
}

BOOL COrderStatusView::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    COrderStatusViewState state;
    KeepListState(m_list, state);
    state.filter = m_filter;
    try {
        return StoreOrderStatusState(ar, state, doc->GetLinkState()) ? TRUE : FALSE;
    } catch (CException&) {
        return FALSE;
    }
}

BOOL COrderStatusView::LoadFromWorkspace(CArchive& ar, DWORD version)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    // Read whole before anything changes: a damaged record leaves the window as it is.
    COrderStatusViewState state;
    state.filter = m_filter;
    CLinkState link = doc->GetLinkState();
    try {
        if (!LoadOrderStatusState(ar, version, state, link))
            return FALSE;
    } catch (CException&) {
        return FALSE;
    }
    ApplyListState(m_list, state, link, [&] { SetFilter(state.filter); });
    return TRUE;
}

const CMessageMap& COrderStatusView::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<COrderStatusView>(CReportView::GetMessageMap())
            .Command(ID_ORDER_REFRESH, &COrderStatusView::OnRefresh)
            .Command(ID_ORDER_FILTER, &COrderStatusView::OnFilter)
            .Command(ID_ORDER_EXPORT, &COrderStatusView::OnExport)
            .Command(ID_ORDER_CANCEL_OPEN, &COrderStatusView::CancelOpenOrders)
            .Command(ID_ORDER_GRID, &COrderStatusView::OnToggleGrid)
            .UpdateUI(ID_ORDER_GRID, &COrderStatusView::OnUpdateGrid)
            .CommandRange(ID_ORDER_COLUMN_FIRST, ID_ORDER_COLUMN_LAST, &COrderStatusView::OnColumn)
            .UpdateUIRange(ID_ORDER_COLUMN_FIRST, ID_ORDER_COLUMN_LAST, &COrderStatusView::OnUpdateColumn)
            .Command(ID_ORDER_SET_LAYOUT, &COrderStatusView::OnSetLayout)
            .Command(ID_ORDER_CANCEL, &COrderStatusView::OnRowCommand)
            .Command(ID_ORDER_UPDATE, &COrderStatusView::OnRowCommand)
            .Notify(NM_RCLICK, 0, &COrderStatusView::OnHeaderRightClick)
            .Notify(NM_RCLICK, IDC_ORDER_STATUS_LIST, &COrderStatusView::OnListRightClick)
            .Notify(NM_DBLCLK, IDC_ORDER_STATUS_LIST, &COrderStatusView::OnListDoubleClick)
            .Build();
    return map;
}
