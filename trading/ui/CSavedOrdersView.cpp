#include "trading/ui/CSavedOrdersView.h"

#include "broker/session/CSessionManager.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/IWorkstationFrame.h"
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
#include "trading/ui/ReportIds.h"

namespace {

constexpr int kOrderIdField = CSavedOrderRecord::kOrderId;

const CReportListLook* SavedOrdersLook()
{
    const CAppSettings* settings = CAppSettings::Instance();
    return settings ? &settings->m_reportLooks[kReportSavedOrders] : nullptr;
}

}  // namespace

CSavedOrdersView::CSavedOrdersView() : CReportView(IDD_SAVED_ORDERS_FORM, kKindSavedOrders) {}

CSavedOrdersView::~CSavedOrdersView()
{
    m_handle.reset();
}

CString CSavedOrdersView::DefaultLayoutPath()
{
    return LayoutPath("default.sol");
}

void CSavedOrdersView::DoDataExchange(CDataExchange* dx)
{
    CReportView::DoDataExchange(dx);
    DDX_Control(dx, static_cast<int>(IDC_SAVED_ORDERS_LIST), m_list);
}

void CSavedOrdersView::OnInitialUpdate()
{
    CReportView::OnInitialUpdate();
    InitReport(m_list, LVS_EX_HEADERDRAGDROP);
    m_list.WatchHotKeys();
    if (const CReportListLook* look = SavedOrdersLook()) {
        SetFont(look->font, look->textColor);
        SetBackgroundColor();
    }
    LoadDefaultLayout();
    if (CAccountDataStore* store = GetStore()) {
        m_handle = std::make_unique<CSavedOrderListHandle>(*store);
        m_handle->Subscribe(GetListener());
    }
    FillList();
}

void CSavedOrdersView::LoadDefaultLayout()
{
    LoadListLayout(m_list, DefaultLayoutPath());
}

void CSavedOrdersView::FillList()
{
    if (!m_handle)
        return;
    CArray<CSavedOrderRecord> records;
    m_handle->TakeSnapshot();
    m_handle->CopyRecords(records);
    m_handle->UseLive();
    m_list.SetRecords(records);
}

void CSavedOrdersView::SetFont(const CFontInfo& font, COLORREF color)
{
    m_list.SetNormalTextColor(color);
    SetListLook(font, color);
}

void CSavedOrdersView::SetBackgroundColor()
{
    if (const CReportListLook* look = SavedOrdersLook())
        m_list.SetColors(look->colors);
}

bool CSavedOrdersView::Place(const CSavedOrderRecord& record)
{
    const COrderRecord leg = OrderLegFromSaved(record);
    const int kind = GetSymbolKind(leg.symbol) == kSymbolOption ? 1 : 0;
    if (!SendOrders(kOriginTicket, 1, kind, -1, {leg}, 0, {}, GetParentFrame()))
        return false;
    if (IWorkstationFrame* frame = GetWorkstationFrame())
        frame->SetMessageText("Your saved order was placed.");
    return true;
}

bool CSavedOrdersView::PlaceRow(int row)
{
    const CSavedOrderRecord* record = m_list.GetRecord(row);
    if (!record)
        return false;
    const CSavedOrderRecord copy = *record;
    return Place(copy);
}

LRESULT CSavedOrdersView::OnHotKey(WPARAM row, LPARAM)
{
    PlaceRow(static_cast<int>(row));
    return 0;
}

bool CSavedOrdersView::SelectedRecords(std::vector<CSavedOrderRecord>& out)
{
    out.clear();
    for (int item = 0; item < m_list.GetItemCount(); ++item)
        if (m_list.GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED)
            if (const CSavedOrderRecord* record = m_list.GetRecord(item))
                out.push_back(*record);
    if (out.empty()) {
        ShowMessage("Please select saved order(s)");
        return false;
    }
    return true;
}

void CSavedOrdersView::OnPlace()
{
    std::vector<CSavedOrderRecord> records;
    if (!SelectedRecords(records))
        return;
    for (const CSavedOrderRecord& record : records)
        Place(record);
}

void CSavedOrdersView::OnEditPlace()
{
    std::vector<CSavedOrderRecord> records;
    if (!SelectedRecords(records))
        return;
    for (const CSavedOrderRecord& record : records)
        OpenTradeTicket(OrderLegFromSaved(record), GetParentFrame());
}

void CSavedOrdersView::DeleteIds(const std::vector<CString>& ids)
{
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager || ids.empty())
        return;
    CString error;
    manager->GetSession().DeleteSavedOrders(ids, error);
    if (!error.IsEmpty())
        ShowMessage(error);
}

void CSavedOrdersView::OnDelete()
{
    std::vector<CSavedOrderRecord> records;
    if (!SelectedRecords(records))
        return;
    std::vector<CString> ids;
    for (const CSavedOrderRecord& record : records)
        ids.push_back(record.m_fields[kOrderIdField]);
    DeleteIds(ids);
}

void CSavedOrdersView::OnDeleteAll()
{
    std::vector<CString> ids;
    for (int item = 0; item < m_list.GetItemCount(); ++item)
        if (const CSavedOrderRecord* record = m_list.GetRecord(item))
            ids.push_back(record->m_fields[kOrderIdField]);
    DeleteIds(ids);
}

void CSavedOrdersView::OnExport()
{
    ExportList(m_list);
}

void CSavedOrdersView::OnSetLayout()
{
    SaveListLayout(m_list, DefaultLayoutPath());
}

void CSavedOrdersView::OnColumn(UINT id)
{
    ToggleListField(m_list, static_cast<int>(id - ID_SAVED_COLUMN_FIRST), kOrderIdField);
}

void CSavedOrdersView::OnUpdateColumn(CCmdUI* ui)
{
    UpdateListField(m_list, ui, static_cast<int>(ui->m_nID - ID_SAVED_COLUMN_FIRST), kOrderIdField);
}

void CSavedOrdersView::OnListRightClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const int item = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
    if (item >= 0 && item < m_list.GetItemCount() && !(m_list.GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED)) {
        m_list.SetItemState(-1, 0, LVIS_SELECTED);
        m_list.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    CMenu menu;
    CMenu* popup = FindPopup(menu, IDR_SAVED_ORDERS, "&Saved Orders");
    if (!popup)
        return;
    POINT at;
    GetCursorPos(&at);
    popup->TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, GetParentFrame());
}

void CSavedOrdersView::OnHeaderRightClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    CMenu menu;
    CMenu* popup = FindPopup(menu, IDR_SAVED_ORDERS, "&Columns");
    if (!popup)
        return;
    POINT at;
    GetCursorPos(&at);
    popup->TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, GetParentFrame());
}

void CSavedOrdersView::OnListDoubleClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(header);
    const CSavedOrderRecord* record = m_list.GetRecord(click->iItem);
    if (!record)
        return;
    if (m_list.GetColumnField(click->iSubItem) == CSavedOrderRecord::kSymbol)
        BroadcastSymbol(record->m_fields[CSavedOrderRecord::kSymbol]);
    else if (CFrameWnd* frame = GetParentFrame())
        frame->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ID_SAVED_EDIT_PLACE), 0), 0);
}

BOOL CSavedOrdersView::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CSavedOrdersViewState state;
    KeepListState(m_list, state);
    try {
        return StoreSavedOrdersState(ar, state, doc->GetLinkState()) ? TRUE : FALSE;
    } catch (CException&) {
        return FALSE;
    }
}

BOOL CSavedOrdersView::LoadFromWorkspace(CArchive& ar, DWORD)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    // Read whole before anything changes: a damaged record leaves the window as it is.
    CSavedOrdersViewState state;
    CLinkState link = doc->GetLinkState();
    try {
        if (!LoadSavedOrdersState(ar, state, link))
            return FALSE;
    } catch (CException&) {
        return FALSE;
    }
    ApplyListState(m_list, state, link, [this] { FillList(); });
    return TRUE;
}

const CMessageMap& CSavedOrdersView::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CSavedOrdersView>(CReportView::GetMessageMap())
            .Command(ID_SAVED_PLACE, &CSavedOrdersView::OnPlace)
            .Command(ID_SAVED_EDIT_PLACE, &CSavedOrdersView::OnEditPlace)
            .Command(ID_SAVED_DELETE, &CSavedOrdersView::OnDelete)
            .Command(ID_SAVED_DELETE_ALL, &CSavedOrdersView::OnDeleteAll)
            .Command(ID_SAVED_REFRESH, &CSavedOrdersView::OnRefresh)
            .Command(ID_SAVED_EXPORT, &CSavedOrdersView::OnExport)
            .Command(ID_SAVED_GRID, &CSavedOrdersView::OnToggleGrid)
            .UpdateUI(ID_SAVED_GRID, &CSavedOrdersView::OnUpdateGrid)
            .CommandRange(ID_SAVED_COLUMN_FIRST, ID_SAVED_COLUMN_LAST, &CSavedOrdersView::OnColumn)
            .UpdateUIRange(ID_SAVED_COLUMN_FIRST, ID_SAVED_COLUMN_LAST, &CSavedOrdersView::OnUpdateColumn)
            .Command(ID_SAVED_SET_LAYOUT, &CSavedOrdersView::OnSetLayout)
            .Notify(NM_RCLICK, 0, &CSavedOrdersView::OnHeaderRightClick)
            .Notify(NM_RCLICK, IDC_SAVED_ORDERS_LIST, &CSavedOrdersView::OnListRightClick)
            .Notify(NM_DBLCLK, IDC_SAVED_ORDERS_LIST, &CSavedOrdersView::OnListDoubleClick)
            .Message(WM_SAVED_ORDER_HOTKEY, &CSavedOrdersView::OnHotKey)
            .Build();
    return map;
}
