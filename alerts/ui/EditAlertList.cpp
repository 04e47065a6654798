#include "alerts/ui/EditAlertList.h"

#include "alerts/CAlertBook.h"
#include "alerts/CStrategyAlert.h"
#include "alerts/IAlertHost.h"
#include "alerts/ui/AlertEditing.h"
#include "alerts/ui/AlertUiIds.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "alerts/ui/StrategyTradingSetupHook.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"

#include <memory>

namespace {

const CReportListLook* AlertListLook()
{
    const CAppSettings* settings = CAppSettings::Instance();
    return settings ? &settings->m_reportLooks[kReportAlerts] : nullptr;
}

CReportLayout DefaultAlertLayout()
{
    CReportLayout layout;
    for (int field = 0; field < kAlertFieldCount; ++field)
        layout.push_back({field, AlertColumnWidth(field)});
    return layout;
}

}  // namespace

EditAlertList::EditAlertList() : CReportView(IDD_ALERT_LIST_FORM, kKindAlertManager) {}

EditAlertList::~EditAlertList() = default;

CString EditAlertList::DefaultLayoutPath()
{
    return LayoutPath("default.aml");
}

void EditAlertList::DoDataExchange(CDataExchange* dx)
{
    CReportView::DoDataExchange(dx);
    DDX_Control(dx, static_cast<int>(IDC_ALERT_LIST), m_list);
}

void EditAlertList::OnInitialUpdate()
{
    CReportView::OnInitialUpdate();
    InitReport(m_list, LVS_EX_HEADERDRAGDROP);
    if (const CReportListLook* look = AlertListLook()) {
        SetListFontAndColor(look->font, look->textColor);
        ApplyBackgroundColor();
    }
    LoadDefaultLayout();
    FillList();
}

void EditAlertList::LoadDefaultLayout()
{
    const CString path = DefaultLayoutPath();
    CReportLayout layout;
    switch (LoadReportLayoutFile(path, kAlertFieldCount, layout)) {
    case ELayoutFileState::kLoaded:
        m_list.ApplyLayout(layout);
        return;
    case ELayoutFileState::kDamaged:
        ShowMessage("Error reading layout " + path);
        break;
    case ELayoutFileState::kMissing:
        break;
    }
    m_list.ApplyLayout(DefaultAlertLayout());
}

void EditAlertList::FillList()
{
    const std::vector<AlertId> selected = m_list.GetSelectedIds();
    std::vector<CAlertListCtrl::Row> rows;
    if (const CAlertBook* book = CAlertBook::Instance())
        book->ForEach([&](const CAlert& alert) { rows.push_back({alert.GetId(), AlertRowTexts(alert)}); });
    m_list.SetRows(rows);
    for (AlertId id : selected) {
        const int item = m_list.FindRow(id);
        if (item >= 0)
            m_list.SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    }
}

LRESULT EditAlertList::OnAlertListsChanged(WPARAM oldId, LPARAM newId)
{
    const auto before = static_cast<AlertId>(oldId);
    const auto after = static_cast<AlertId>(newId);
    const CAlertBook* book = CAlertBook::Instance();
    if (!before || !after || !book) {
        FillList();
        return 0;
    }
    const int item = m_list.FindRow(before);
    if (item < 0)
        return 0;
    CAlertListCtrl::Row row{after, {}};
    const bool found = book->WithAlert(after, [&](const CAlert& alert) { row.texts = AlertRowTexts(alert); });
    if (before == after && found) {
        m_list.UpdateRow(row);
    } else {
        m_list.DeleteRow(item);
        if (found)
            m_list.AppendRow(row);
    }
    m_list.Resort();
    return 0;
}

void EditAlertList::TellAlertLists(AlertId oldId, AlertId newId)
{
    if (IAlertHost* host = GetAlertHost())
        host->AlertListsChanged(oldId, newId);
}

void EditAlertList::SetListFontAndColor(const CFontInfo& font, COLORREF color)
{
    m_list.SetNormalTextColor(color);
    SetListLook(font, color);
}

void EditAlertList::ApplyBackgroundColor()
{
    if (const CReportListLook* look = AlertListLook())
        m_list.SetColors(look->colors);
}

bool EditAlertList::SelectedIds(std::vector<AlertId>& ids, const char* none)
{
    ids = m_list.GetSelectedIds();
    if (ids.empty()) {
        ShowMessage(none);
        return false;
    }
    return true;
}

void EditAlertList::ForAlerts(const std::vector<AlertId>& ids, const std::function<void(CAlert&)>& action)
{
    if (const CAlertBook* book = CAlertBook::Instance())
        for (AlertId id : ids)
            book->WithAlert(id, action);
    TellAlertLists();
}

void EditAlertList::DeleteAlerts(const std::vector<AlertId>& ids)
{
    CAlertBook* book = CAlertBook::Instance();
    if (!book)
        return;
    for (AlertId id : ids) {
        // Taken out under the book's lock, deleted outside it.
        std::unique_ptr<CAlert> gone = book->Remove(id);
        gone.reset();
        m_list.DeleteRow(m_list.FindRow(id));
    }
    TellAlertLists();
}

void EditAlertList::OnAddAlert()
{
    CTradeAlertSetupDlg dlg(nullptr, kSetupAlert, GetParentFrame());
    if (IWorkstationFrame* frame = GetWorkstationFrame())
        dlg.m_symbols = frame->GetSymbolBox();
    if (dlg.DoModal() == IDOK)
        CreateAlertsFromSetup(dlg, nullptr);
}

void EditAlertList::OnAddStrategy()
{
    RunStrategyTradingSetup(GetParentFrame(), nullptr);
}

void EditAlertList::OnUpdateAddStrategy(CCmdUI* ui)
{
    ui->Enable(HasStrategyTradingSetup());
}

void EditAlertList::EditSelected(bool reset)
{
    const std::vector<AlertId> selected = m_list.GetSelectedIds();
    if (selected.empty()) {
        ShowMessage("Please select an alert");
        return;
    }
    EditAlert(selected.front(), reset, GetParentFrame());
}

void EditAlertList::OnDelete()
{
    std::vector<AlertId> ids;
    if (SelectedIds(ids, "Please select alert(s)"))
        DeleteAlerts(ids);
}

void EditAlertList::OnPause()
{
    std::vector<AlertId> ids;
    if (SelectedIds(ids, "Please select alert(s)"))
        ForAlerts(ids, [](CAlert& alert) { alert.m_bPaused = 1; });
}

void EditAlertList::OnResume()
{
    std::vector<AlertId> ids;
    if (SelectedIds(ids, "Please select alert(s)"))
        ForAlerts(ids, [](CAlert& alert) { alert.m_bPaused = 0; });
}

void EditAlertList::OnReset()
{
    std::vector<AlertId> ids;
    if (SelectedIds(ids, "Please select alert(s)"))
        ForAlerts(ids, [](CAlert& alert) { alert.ResetTriggers(); });
}

void EditAlertList::OnDeleteTriggered()
{
    const CAlertBook* book = CAlertBook::Instance();
    if (!book)
        return;
    std::vector<AlertId> triggered;
    book->ForEach([&](const CAlert& alert) {
        if (!alert.GetHistory().empty())
            triggered.push_back(alert.GetId());
    });
    DeleteAlerts(triggered);
}

void EditAlertList::OnDeleteAll()
{
    if (const CAlertBook* book = CAlertBook::Instance())
        DeleteAlerts(book->Ids());
}

void EditAlertList::OnPauseAll()
{
    if (const CAlertBook* book = CAlertBook::Instance())
        ForAlerts(book->Ids(), [](CAlert& alert) { alert.m_bPaused = 1; });
}

void EditAlertList::OnResumeAll()
{
    if (const CAlertBook* book = CAlertBook::Instance())
        ForAlerts(book->Ids(), [](CAlert& alert) { alert.m_bPaused = 0; });
}

void EditAlertList::OnResetAll()
{
    if (const CAlertBook* book = CAlertBook::Instance())
        ForAlerts(book->Ids(), [](CAlert& alert) { alert.ResetTriggers(); });
}

void EditAlertList::OnExport()
{
    std::vector<CExportRow> rows;
    const CReportLayout layout = m_list.GetLayout();
    CExportRow header;
    for (const CReportLayoutColumn& c : layout)
        header.push_back(AlertListColumns()[static_cast<size_t>(c.field)].header);
    rows.push_back(header);
    for (int item = 0; item < m_list.GetItemCount(); ++item) {
        CExportRow row;
        for (const CReportLayoutColumn& c : layout)
            row.push_back(m_list.GetItemText(item, m_list.FindFieldColumn(c.field)));
        rows.push_back(row);
    }
    ExportRows(rows, false);
}

void EditAlertList::OnExportHistory()
{
    std::vector<CExportRow> rows = {AlertHistoryHeader()};
    if (const CAlertBook* book = CAlertBook::Instance()) {
        for (int item = 0; item < m_list.GetItemCount(); ++item)
            book->WithAlert(m_list.GetRowId(item), [&](const CAlert& alert) {
                for (CExportRow& row : AlertHistoryRows(alert))
                    rows.push_back(std::move(row));
            });
    }
    ExportRows(rows, false);
}

void EditAlertList::OnSetLayout()
{
    SaveListLayout(m_list, DefaultLayoutPath());
}

void EditAlertList::OnColumn(UINT id)
{
    ToggleListField(m_list, static_cast<int>(id - ID_ALERT_COLUMN_FIRST), -1);
}

void EditAlertList::OnUpdateColumn(CCmdUI* ui)
{
    UpdateListField(m_list, ui, static_cast<int>(ui->m_nID - ID_ALERT_COLUMN_FIRST), -1);
}

void EditAlertList::OnListRightClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const int item = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
    if (item >= 0 && item < m_list.GetItemCount() && !(m_list.GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED)) {
        m_list.SetItemState(-1, 0, LVIS_SELECTED);
        m_list.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    CMenu menu;
    CMenu* popup = FindPopup(menu, IDR_ALERT_LIST, "&Alerts");
    if (!popup)
        return;
    POINT at;
    GetCursorPos(&at);
    popup->TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, GetParentFrame());
}

void EditAlertList::OnHeaderRightClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    CMenu menu;
    CMenu* popup = FindPopup(menu, IDR_ALERT_LIST, "&Columns");
    if (!popup)
        return;
    POINT at;
    GetCursorPos(&at);
    popup->TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, GetParentFrame());
}

void EditAlertList::OnListDoubleClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(header);
    if (click->iItem < 0 || click->iItem >= m_list.GetItemCount())
        return;
    m_list.SetItemState(-1, 0, LVIS_SELECTED);
    m_list.SetItemState(click->iItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (m_list.GetColumnField(click->iSubItem) == kAlertFieldSymbol) {
        BroadcastSymbol(m_list.GetItemText(click->iItem, click->iSubItem));
        m_list.SetFocus();
    } else if (CFrameWnd* frame = GetParentFrame()) {
        frame->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ID_ALERT_EDIT_RESET), 0), 0);
    }
}

void EditAlertList::OnDestroy()
{
    CAppSettings* settings = CAppSettings::Instance();
    if (settings && settings->m_bSaveAtOnce)
        settings->SaveAlerts();
    CReportView::OnDestroy();
}

BOOL EditAlertList::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CAlertListState state;
    KeepListState(m_list, state);
    try {
        if (StoreAlertListState(ar, state, doc->GetLinkState()))
            return TRUE;
    } catch (CException&) {
    }
    ShowMessage("Error saving workspace");
    return FALSE;
}

BOOL EditAlertList::LoadFromWorkspace(CArchive& ar, DWORD)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    // Read whole before anything changes: a damaged record leaves the window as it is.
    CAlertListState state;
    CLinkState link = doc->GetLinkState();
    try {
        if (!LoadAlertListState(ar, state, link))
            return FALSE;
    } catch (CException&) {
        return FALSE;
    }
    ApplyListState(m_list, state, link, [this] { FillList(); });
    return TRUE;
}

const CMessageMap& EditAlertList::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<EditAlertList>(CReportView::GetMessageMap())
            .Command(ID_ALERT_ADD, &EditAlertList::OnAddAlert)
            .Command(ID_ALERT_ADD_STRATEGY, &EditAlertList::OnAddStrategy)
            .UpdateUI(ID_ALERT_ADD_STRATEGY, &EditAlertList::OnUpdateAddStrategy)
            .Command(ID_ALERT_EDIT_RESET, &EditAlertList::OnEditReset)
            .Command(ID_ALERT_EDIT_NO_RESET, &EditAlertList::OnEditNoReset)
            .Command(ID_ALERT_DELETE, &EditAlertList::OnDelete)
            .Command(ID_ALERT_PAUSE, &EditAlertList::OnPause)
            .Command(ID_ALERT_RESUME, &EditAlertList::OnResume)
            .Command(ID_ALERT_RESET, &EditAlertList::OnReset)
            .Command(ID_ALERT_DELETE_TRIGGERED, &EditAlertList::OnDeleteTriggered)
            .Command(ID_ALERT_DELETE_ALL, &EditAlertList::OnDeleteAll)
            .Command(ID_ALERT_PAUSE_ALL, &EditAlertList::OnPauseAll)
            .Command(ID_ALERT_RESUME_ALL, &EditAlertList::OnResumeAll)
            .Command(ID_ALERT_RESET_ALL, &EditAlertList::OnResetAll)
            .Command(ID_ALERT_EXPORT, &EditAlertList::OnExport)
            .Command(ID_ALERT_EXPORT_HISTORY, &EditAlertList::OnExportHistory)
            .Command(ID_ALERT_GRID, &EditAlertList::OnToggleGrid)
            .UpdateUI(ID_ALERT_GRID, &EditAlertList::OnUpdateGrid)
            .CommandRange(ID_ALERT_COLUMN_FIRST, ID_ALERT_COLUMN_LAST, &EditAlertList::OnColumn)
            .UpdateUIRange(ID_ALERT_COLUMN_FIRST, ID_ALERT_COLUMN_LAST, &EditAlertList::OnUpdateColumn)
            .Command(ID_ALERT_SET_LAYOUT, &EditAlertList::OnSetLayout)
            .Notify(NM_RCLICK, 0, &EditAlertList::OnHeaderRightClick)
            .Notify(NM_RCLICK, IDC_ALERT_LIST, &EditAlertList::OnListRightClick)
            .Notify(NM_DBLCLK, IDC_ALERT_LIST, &EditAlertList::OnListDoubleClick)
            .Message(WM_ALERT_LISTS_CHANGED, &EditAlertList::OnAlertListsChanged)
            .Build();
    return map;
}
