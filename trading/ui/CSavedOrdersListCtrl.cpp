#include "trading/ui/CSavedOrdersListCtrl.h"

#include "platform/ui/CMessageQueue.h"
#include "trading/ReportCompare.h"
#include "trading/ui/ReportIds.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

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
    DrawColoredRow(draw, m_colors, m_normalText, [this](int item, int column) { return GetCellText(item, column); });
}
