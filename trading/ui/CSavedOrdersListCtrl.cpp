#include "trading/ui/CSavedOrdersListCtrl.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CHeaderCtrl.h"
#include "platform/ui/CMessageQueue.h"
#include "trading/ReportCompare.h"
#include "trading/ui/ReportIds.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

#include <vector>

namespace {

constexpr int kHotKeyField = CSavedOrderRecord::kHotKey;
constexpr int kHotKeyRows = 10;

// Ctrl+digit on the list: the key goes its normal way, then the window hears of the row.
class HotKeyWatcher final : public QObject {
public:
    HotKeyWatcher(CSavedOrdersListCtrl& list, QObject* parent) : QObject(parent), m_list(list) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & Qt::ControlModifier))
            return false;
        const int row = SavedOrderHotKeyRow(key->key());
        if (row >= 0)
            if (CWnd* parent = m_list.GetParent())
                PostMessage(parent->m_hWnd, WM_SAVED_ORDER_HOTKEY, static_cast<WPARAM>(row), 0);
        return false;
    }

private:
    CSavedOrdersListCtrl& m_list;
};

}  // namespace

int SavedOrderHotKeyRow(int key)
{
    if (key >= Qt::Key_1 && key <= Qt::Key_9)
        return key - Qt::Key_1;
    if (key == Qt::Key_0)
        return 9;
    return -1;
}

CSavedOrdersListCtrl::CSavedOrdersListCtrl() : CRecordListCtrl(SavedOrderColumns()) {}

CSavedOrdersListCtrl::~CSavedOrdersListCtrl() = default;

void CSavedOrdersListCtrl::SetColors(const std::array<COLORREF, 3>& colors)
{
    m_colors = colors;
    SetBkColor(colors[0]);
    Invalidate();
}

void CSavedOrdersListCtrl::WatchHotKeys()
{
    QWidget* widget = GetWidget();
    if (!widget || m_keyWatcher)
        return;
    m_keyWatcher = new HotKeyWatcher(*this, widget);  // owned by the widget
    widget->installEventFilter(m_keyWatcher);
}

CString CSavedOrdersListCtrl::GetFieldText(DWORD_PTR data, int field) const
{
    return field >= 0 && field < CSavedOrderRecord::kFieldCount ? RecordOf(data).m_fields[field] : CString();
}

int CSavedOrdersListCtrl::CompareRecords(DWORD_PTR first, DWORD_PTR second, int field) const
{
    const CReportColumn* column = FindReportColumn(GetColumnTable(), field);
    if (!column)
        return 0;
    return CompareReportCells(RecordOf(first).m_fields[field], RecordOf(second).m_fields[field], column->sort);
}

CString CSavedOrdersListCtrl::GetCellText(int item, int column) const
{
    if (GetColumnField(column) == kHotKeyField && item >= 0 && item < kHotKeyRows) {
        CString text;
        text.Format("Ctrl+%d", (item + 1) % 10);
        return text;
    }
    return GetItemText(item, column);
}

void CSavedOrdersListCtrl::DrawItem(LPDRAWITEMSTRUCT draw)
{
    CDC* dc = CDC::FromHandle(draw->hDC);
    if (!dc)
        return;
    const int item = static_cast<int>(draw->itemID);
    const UINT state = GetItemState(item, LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED);
    const bool focused = GetFocus() == this;
    const bool highlighted = (state & LVIS_DROPHILITED) ||
                             ((state & LVIS_SELECTED) && (focused || (GetStyle() & LVS_SHOWSELALWAYS)));
    const CRect row(draw->rcItem);
    dc->FillSolidRect(&row, highlighted ? m_colors[1] : m_colors[0]);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(highlighted ? m_colors[2] : m_normalText);
    CFont* oldFont = GetFont() ? dc->SelectObject(GetFont()) : nullptr;
    const int blank = dc->GetTextExtent(" ").cx;
    std::vector<int> order(static_cast<size_t>(GetColumnCount()));
    if (!order.empty())
        GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    CHeaderCtrl* header = GetHeaderCtrl();
    for (int column : order) {
        RECT span;
        if (!header || !header->GetItemRect(column, &span))
            continue;
        CRect cell(span.left + 2 * blank, row.top, span.right - 2 * blank, row.bottom);
        if (cell.right <= cell.left)
            continue;
        dc->DrawText(GetCellText(item, column), &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (oldFont)
        dc->SelectObject(oldFont);
    if ((state & LVIS_FOCUSED) && focused)
        dc->DrawFocusRect(&row);
}
