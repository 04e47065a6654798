#include "views/ui/CSnapshotFieldPanel.h"

#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"
#include "platform/core/CArchive.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWnd.h"
#include "views/ui/PanelIds.h"

#include <utility>

namespace {

constexpr int kFormattedSize = 99;

} // namespace

CSnapshotFieldPanel::CSnapshotFieldPanel(const CRect& rect) : CFloatingWnd(rect) {}

CSnapshotFieldPanel::~CSnapshotFieldPanel()
{
    DropBinding();
}

BOOL CSnapshotFieldPanel::CreateWnd(const char* title, CWnd* owner)
{
    if (!CFloatingWnd::CreateWnd(title, owner))
        return FALSE;
    const HWND target = GetWnd()->m_hWnd;
    m_pending.SetNotifier([target] { return PostMessage(target, WM_SNAPSHOT_QUOTE); });
    return TRUE;
}

void CSnapshotFieldPanel::DropBinding()
{
    if (m_pHandle) {
        // Unregistering takes the store lock, so no listener call runs after it.
        if (CSessionManager* manager = CSessionManager::Instance())
            manager->DeleteSymbolHandle(m_pHandle);
        else
            delete m_pHandle;
        m_pHandle = nullptr;
    }
    m_pListener.reset();
    m_pending.Clear();
}

void CSnapshotFieldPanel::SetSymbol(const CString& symbol)
{
    if (symbol == m_symbol)
        return;
    DropBinding();
    m_symbol = symbol;
    for (CSnapshotField& field : m_set.fields)
        field = MakeSnapshotField(field.fieldId);
    CSessionManager* manager = CSessionManager::Instance();
    if (manager && !symbol.IsEmpty())
        m_pHandle = manager->CreateSymbolHandle(symbol);
    if (m_pHandle) {
        m_pListener = std::make_unique<CListener>(m_pending);
        m_pHandle->SetListener(m_pListener.get());
        m_pHandle->Subscribe();
    }
    ReadAllFields();
    LayOut();
}

void CSnapshotFieldPanel::ReadField(CSnapshotField& field) const
{
    std::optional<double> value;
    std::optional<CString> text;
    if (m_pHandle) {
        double v = 0.0;
        if (m_pHandle->GetField(field.fieldId, v))
            value = v;
        char buffer[kFormattedSize];
        if (m_pHandle->FormatField(field.fieldId, buffer, kFormattedSize))
            text = CString(buffer);
    }
    UpdateSnapshotField(field, value, text);
}

void CSnapshotFieldPanel::ReadAllFields()
{
    if (m_pHandle)
        m_pHandle->Snapshot();
    for (CSnapshotField& field : m_set.fields)
        ReadField(field);
    if (m_pHandle)
        m_pHandle->Attach();
}

LRESULT CSnapshotFieldPanel::OnPanelMessage(UINT message, WPARAM, LPARAM)
{
    return message == WM_SNAPSHOT_QUOTE ? OnQuoteUpdate() : 0;
}

LRESULT CSnapshotFieldPanel::OnQuoteUpdate()
{
    const std::set<int> ids = m_pending.Take();
    if (!m_pHandle || ids.empty())
        return 0;
    std::vector<int> changed;
    m_pHandle->Snapshot();
    for (const int id : ids) {
        const int index = m_set.IndexOf(id);
        if (index < 0)
            continue;
        ReadField(m_set.fields[static_cast<size_t>(index)]);
        changed.push_back(index);
    }
    m_pHandle->Attach();
    bool widthChanged = false;
    for (const int index : changed) {
        const CSnapshotField& field = m_set.fields[static_cast<size_t>(index)];
        widthChanged = widthChanged || MeasureWidth(field.valueText) + 6 != field.valueWidth;
    }
    if (widthChanged) {
        LayOut();
    } else if (CWnd* wnd = GetWnd()) {
        for (const int index : changed) {
            const CSnapshotBoxes boxes = SnapshotFieldBoxes(m_set, index, m_nRowHeight);
            wnd->InvalidateRect(&boxes.value, FALSE);
        }
    }
    return 0;
}

void CSnapshotFieldPanel::LayOut()
{
    m_nRowHeight = TextHeight("None");
    Resize(LayOutSnapshotFields(m_set, m_nRowHeight, [this](const CString& text) { return MeasureWidth(text); }));
}

void CSnapshotFieldPanel::Paint(CDC& dc)
{
    const CFieldPanelLook& look = GetLook();
    const CRect client(CPoint(0, 0), GetRect().Size());
    dc.FillSolidRect(&client, look.face);
    CFont* old = dc.SelectObject(const_cast<CFont*>(&GetFont()));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(look.text);
    if (m_set.fields.empty())
        dc.TextOut(2, 0, "None");
    for (size_t i = 0; i < m_set.fields.size(); ++i) {
        const CSnapshotField& field = m_set.fields[i];
        const CSnapshotBoxes boxes = SnapshotFieldBoxes(m_set, static_cast<int>(i), m_nRowHeight);
        dc.FillSolidRect(&boxes.label, look.LabelBox());
        dc.TextOut(boxes.label.left + 2, boxes.label.top, SnapshotLabel(field.fieldId, m_set.abbreviated));
        const COLORREF fill = field.tickDirection == kTickUp     ? look.up
                              : field.tickDirection == kTickDown ? look.down
                                                                 : look.face;
        dc.FillSolidRect(&boxes.value, fill);
        dc.TextOut(boxes.value.left + 2, boxes.value.top, field.valueText);
    }
    dc.SelectObject(old);
}

void CSnapshotFieldPanel::OnContextMenu(CPoint screenPoint)
{
    CWnd* wnd = GetWnd();
    if (!wnd)
        return;
    CPoint client = screenPoint;
    wnd->ScreenToClient(&client);
    m_clickPoint = client;

    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING | (m_set.fields.empty() ? MF_GRAYED : 0), ID_SNAPSHOT_DELETE_FIELD, "Delete Field");
    CMenu fields;
    if (fields.LoadMenu(IDR_SNAPSHOT_FIELDS))
        if (CMenu* insert = fields.GetSubMenu(0))
            menu.AppendMenu(MF_POPUP, insert, "Insert Field");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | (m_set.vertical ? MF_CHECKED : 0), ID_SNAPSHOT_VERTICAL, "Vertical");
    menu.AppendMenu(MF_STRING | (m_set.abbreviated ? MF_CHECKED : 0), ID_SNAPSHOT_ABBREVIATED, "Abbreviated");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_SNAPSHOT_RESET_DEFAULTS, "Reset Defaults");
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, wnd);
}

bool CSnapshotFieldPanel::OnCommand(UINT id)
{
    switch (id) {
    case ID_SNAPSHOT_DELETE_FIELD: DeleteField(); return true;
    case ID_SNAPSHOT_VERTICAL: ToggleVertical(); return true;
    case ID_SNAPSHOT_ABBREVIATED: ToggleAbbreviated(); return true;
    case ID_SNAPSHOT_RESET_DEFAULTS: ResetDefaults(); return true;
    default: break;
    }
    if (id >= ID_SNAPSHOT_INSERT_FIELD_FIRST && id < ID_SNAPSHOT_INSERT_FIELD_FIRST + kQuoteFieldCount) {
        InsertField(static_cast<int>(id - ID_SNAPSHOT_INSERT_FIELD_FIRST));
        return true;
    }
    return false;
}

void CSnapshotFieldPanel::InsertField(int fieldId)
{
    if (fieldId < 0 || fieldId >= kQuoteFieldCount)
        return;
    if (m_set.IndexOf(fieldId) >= 0) {
        CString text;
        text.Format("Field \"%s\" already exists in the Snapshot Window", QuoteFieldName(fieldId));
        if (CWnd* wnd = GetWnd())
            wnd->MessageBox(text, nullptr, MB_OK);
        else
            AfxMessageBox(text);
        return;
    }
    CSnapshotField field = MakeSnapshotField(fieldId);
    if (m_pHandle)
        m_pHandle->Snapshot();
    ReadField(field);
    if (m_pHandle)
        m_pHandle->Attach();
    m_set.fields.push_back(field);
    LayOut();
}

void CSnapshotFieldPanel::DeleteField()
{
    const int index = HitTestSnapshotField(m_set, m_nRowHeight, m_clickPoint);
    if (index < 0)
        return;
    m_set.fields.erase(m_set.fields.begin() + index);
    LayOut();
}

void CSnapshotFieldPanel::ToggleVertical()
{
    m_set.vertical = !m_set.vertical;
    LayOut();
}

void CSnapshotFieldPanel::ToggleAbbreviated()
{
    m_set.abbreviated = !m_set.abbreviated;
    LayOut();
}

void CSnapshotFieldPanel::ResetDefaults()
{
    m_set = CSnapshotFieldSet::Defaults();
    ReadAllFields();
    LayOut();
}

void CSnapshotFieldPanel::Save(CArchive& ar) const
{
    StoreSnapshotFieldSet(ar, m_set);
    CFloatingWnd::Save(ar);
}

void CSnapshotFieldPanel::Load(CArchive& ar, DWORD version)
{
    LoadSnapshotFieldSet(ar, m_set);
    ReadAllFields();
    CFloatingWnd::Load(ar, version);
}
