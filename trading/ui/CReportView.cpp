#include "trading/ui/CReportView.h"

#include "broker/session/CSessionManager.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/ExportFileDialog.h"
#include "common/windows/FontInfoConvert.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CTime.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CListCtrl.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CommonDialogs.h"
#include "trading/ReportLayout.h"
#include "trading/ui/CReportListCtrl.h"

#include <QWidget>

CReportView::CReportView(UINT formId, int kind) : CFormView(formId), m_nKind(kind) {}

CReportView::~CReportView() = default;

CCommonDoc* CReportView::GetCommonDoc() const
{
    return dynamic_cast<CCommonDoc*>(GetDocument());
}

CAccountDataStore* CReportView::GetStore()
{
    CSessionManager* manager = CSessionManager::Instance();
    return manager ? &manager->GetAccountData() : nullptr;
}

void CReportView::InitReport(CListCtrl& list, DWORD extendedStyle)
{
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->SetKind(m_nKind);
        CFrameWnd* frame = GetParentFrame();
        doc->SetDetached(frame && frame->GetOuterWidget() && frame->GetOuterWidget()->isWindow());
        doc->SetLinkButtons(frame, true, false, true);
        doc->SetTitle(WindowKindName(m_nKind));
        if (frame)
            frame->RecalcLayout();
    }
    m_pList = &list;
    m_listener = std::make_unique<CReportListener>(m_hWnd);
    CRect client;
    GetClientRect(&client);
    list.MoveWindow(&client);
    list.SetExtendedStyle(extendedStyle);
    ApplyGrid();
}

void CReportView::KeepListState(const CReportListCtrl& list, CReportListState& state) const
{
    state.layout = list.GetLayout();
    state.sortColumn = list.GetSortDisplayPosition();
    state.sortAscending = list.IsSortAscending() ? 1 : 0;
    state.grid = m_nGrid;
}

void CReportView::ApplyListState(CReportListCtrl& list, const CReportListState& state, const CLinkState& link,
                                 const std::function<void()>& fill)
{
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->GetLinkState() = link;
        doc->UpdateLinkButtons();
    }
    list.ApplyLayout(state.layout);
    m_nGrid = state.grid;
    ApplyGrid();
    fill();
    if (CFrameWnd* frame = GetParentFrame())
        frame->RecalcLayout();
    if (state.sortColumn >= 0)
        list.SetSort(state.sortColumn, state.sortAscending != 0);
}

void CReportView::ApplyGrid()
{
    if (!m_pList)
        return;
    const DWORD style = m_pList->GetExtendedStyle();
    m_pList->SetExtendedStyle(m_nGrid ? style | LVS_EX_GRIDLINES : style & ~LVS_EX_GRIDLINES);
}

void CReportView::SetListLook(const CFontInfo& font, COLORREF textColor)
{
    if (!m_pList)
        return;
    m_pList->SetTextColor(textColor);
    const LOGFONT lf = ToLogFont(font);
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&lf);
    m_pList->SetFont(&m_font);
    m_pList->Invalidate();
}

CString CReportView::LayoutPath(const char* name)
{
    const CAppSettings* settings = CAppSettings::Instance();
    const CString folder = settings ? settings->GetFilePath("Layouts") : CString("Layouts");
    return folder + "/" + name;
}

CMenu* CReportView::FindPopup(CMenu& menu, UINT menuId, const char* text)
{
    if (!menu.IsValid() && !menu.LoadMenu(menuId))
        return nullptr;
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        CString name;
        menu.GetMenuString(static_cast<UINT>(i), name, MF_BYPOSITION);
        if (name == text)
            return menu.GetSubMenu(i);
    }
    return nullptr;
}

void CReportView::ShowMessage(const CString& text)
{
    MessageBox(text, nullptr, MB_OK);
}

void CReportView::ExportList(const CReportListCtrl& list)
{
    std::vector<CExportRow> rows;
    const CReportLayout layout = list.GetLayout();
    CExportRow header;
    for (const CReportLayoutColumn& c : layout)
        header.push_back(list.GetColumnTable()[static_cast<size_t>(c.field)].header);
    rows.push_back(header);
    for (int item = 0; item < list.GetItemCount(); ++item) {
        CExportRow row;
        for (const CReportLayoutColumn& c : layout)
            row.push_back(list.GetItemText(item, list.FindFieldColumn(c.field)));
        rows.push_back(row);
    }
    ExportRows(rows, true);
}

void CReportView::LoadListLayout(CReportListCtrl& list, const CString& path)
{
    CReportLayout layout;
    switch (LoadReportLayoutFile(path, list.GetFieldCount(), layout)) {
    case ELayoutFileState::kLoaded:
        list.ApplyLayout(layout);
        return;
    case ELayoutFileState::kDamaged:
        ShowMessage("Error reading layout " + path);
        break;
    case ELayoutFileState::kMissing:
        break;
    }
    list.ShowDefaultColumns();
}

void CReportView::SaveListLayout(const CReportListCtrl& list, const CString& path)
{
    CString error;
    if (!SaveReportLayoutFile(path, list.GetLayout(), error))
        ShowMessage("Error saving layout to " + path);
}

void CReportView::ToggleListField(CReportListCtrl& list, int field, int fixedField)
{
    if (field == fixedField)
        return;
    list.ToggleField(field);
    FillList();
}

void CReportView::UpdateListField(const CReportListCtrl& list, CCmdUI* ui, int field, int fixedField)
{
    ui->Enable(field != fixedField);
    ui->SetCheck(list.IsFieldShown(field) ? 1 : 0);
}

void CReportView::ExportRows(const std::vector<CExportRow>& rows, bool blankBeforePlus)
{
    CExportTarget target;
    if (!ChooseExportFile(this, target))
        return;
    CString error;
    if (!WriteReportExport(target.path, target.separator, rows, blankBeforePlus, error)) {
        ShowMessage("Error exporting data to " + target.path + ": " + error);
        return;
    }
    const CAppSettings* settings = CAppSettings::Instance();
    if (settings && settings->m_bViewExportData)
        CUiResponder::Current().OpenExternal(target.path);
}

void CReportView::BroadcastSymbol(const CString& symbol)
{
    IWorkstationFrame* frame = GetWorkstationFrame();
    if (!frame || symbol.IsEmpty())
        return;
    frame->SetSymbolBox(symbol, TRUE);
    frame->ApplySymbolInterval(this, FALSE);
}

void CReportView::OnRefresh()
{
    if (IWorkstationFrame* frame = GetWorkstationFrame())
        frame->OnRefreshAccountData();
}

void CReportView::OnToggleGrid()
{
    m_nGrid = m_nGrid ? 0 : 1;
    ApplyGrid();
}

void CReportView::OnUpdateGrid(CCmdUI* ui)
{
    ui->Enable(TRUE);
    ui->SetCheck(m_nGrid ? 1 : 0);
}

void CReportView::OnSize(UINT type, int cx, int cy)
{
    CFormView::OnSize(type, cx, cy);
    if (m_pList && m_pList->m_hWnd)
        m_pList->MoveWindow(0, 0, cx, cy);
}

LRESULT CReportView::OnDataChanged(WPARAM, LPARAM)
{
    FillList();
    return 0;
}

BOOL CReportView::OnPreparePrinting(CPrintInfo* info)
{
    return m_printer.PreparePrinting(info, this, m_pList);
}

void CReportView::OnBeginPrinting(CDC* dc, CPrintInfo* info)
{
    const CString title = GetDocument() ? GetDocument()->GetTitle() : CString(WindowKindName(m_nKind));
    m_printer.BeginPrinting(dc, info, title, CTime::GetCurrentTime().Format("%m/%d/%Y %H:%M"));
}

void CReportView::OnPrint(CDC* dc, CPrintInfo* info)
{
    m_printer.PrintPage(dc, info);
}

void CReportView::OnEndPrinting(CDC* dc, CPrintInfo* info)
{
    m_printer.EndPrinting(dc, info);
}

const CMessageMap& CReportView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CReportView>(CFormView::GetMessageMap())
                                       .Message(WM_REPORT_DATA_CHANGED, &CReportView::OnDataChanged)
                                       .Build();
    return map;
}
