#include "platform/ui/CListBox.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/QxOwnerDrawDelegate.h"
#include "platform/ui/QxWindowHost.h"

#include <QListWidget>
#include <QScrollBar>

namespace {

QListWidget* List(QWidget* w)
{
    return qobject_cast<QListWidget*>(w);
}

int FindIn(const QListWidget* l, int start, const char* text, bool exact)
{
    const int n = l ? l->count() : 0;
    if (n == 0 || !text)
        return LB_ERR;
    const QString t = ToQString(text);
    const int first = start < 0 || start >= n ? 0 : start + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        const QString item = l->item(i)->text();
        if (exact ? item.compare(t, Qt::CaseInsensitive) == 0 : item.startsWith(t, Qt::CaseInsensitive))
            return i;
    }
    return LB_ERR;
}

}  // namespace

BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CListBox::CreateWidget(QWidget* parent)
{
    auto* list = new QxWindowHost<QListWidget>(this, parent);
    if (m_style & LBS_EXTENDEDSEL)
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    else if (m_style & LBS_MULTIPLESEL)
        list->setSelectionMode(QAbstractItemView::MultiSelection);
    else
        list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(!(m_style & LBS_OWNERDRAWVARIABLE));
    RouteEventsOf(list->viewport());
    if (IsOwnerDraw())
        list->setItemDelegate(new QxOwnerDrawDelegate(
            list, ODT_LISTBOX,
            [](CWnd& w, DRAWITEMSTRUCT& dis) {
                if (auto* l = dynamic_cast<CListBox*>(&w))
                    l->DrawItem(&dis);
            },
            [](CWnd& w, MEASUREITEMSTRUCT& mis) {
                if (auto* l = dynamic_cast<CListBox*>(&w))
                    l->MeasureItem(&mis);
            }));
    QObject::connect(list, &QListWidget::itemSelectionChanged, [list] {
        if (CWnd* self = CWnd::FromWidget(list))
            self->CommandParent(LBN_SELCHANGE);
    });
    QObject::connect(list, &QListWidget::itemDoubleClicked, [list] {
        if (CWnd* self = CWnd::FromWidget(list))
            self->CommandParent(LBN_DBLCLK);
    });
    return list;
}

int CListBox::AddString(const char* text)
{
    QListWidget* l = List(GetWidget());
    if (!l)
        return LB_ERR;
    const QString t = ToQString(text);
    int at = l->count();
    if (m_style & LBS_SORT) {
        int lo = 0;
        int hi = l->count();
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (l->item(mid)->text().compare(t, Qt::CaseInsensitive) <= 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        at = lo;
    }
    QSignalBlocker block(l);
    auto* item = new QListWidgetItem(t);  // owned by the list
    item->setData(Qt::UserRole, QVariant(qulonglong(0)));
    l->insertItem(at, item);
    return at;
}

int CListBox::InsertString(int index, const char* text)
{
    QListWidget* l = List(GetWidget());
    if (!l || index > l->count())
        return LB_ERR;
    const int at = index < 0 ? l->count() : index;
    QSignalBlocker block(l);
    auto* item = new QListWidgetItem(ToQString(text));  // owned by the list
    item->setData(Qt::UserRole, QVariant(qulonglong(0)));
    l->insertItem(at, item);
    return at;
}

int CListBox::DeleteString(UINT index)
{
    QListWidget* l = List(GetWidget());
    if (!l || static_cast<int>(index) >= l->count())
        return LB_ERR;
    QSignalBlocker block(l);
    delete l->takeItem(static_cast<int>(index));
    return l->count();
}

void CListBox::ResetContent()
{
    if (QListWidget* l = List(GetWidget())) {
        QSignalBlocker block(l);
        l->clear();
    }
}

int CListBox::GetCount() const
{
    QListWidget* l = List(GetWidget());
    return l ? l->count() : LB_ERR;
}

int CListBox::GetCurSel() const
{
    QListWidget* l = List(GetWidget());
    if (!l)
        return LB_ERR;
    if (l->selectionMode() == QAbstractItemView::SingleSelection) {
        const auto sel = l->selectedItems();
        return sel.isEmpty() ? LB_ERR : l->row(sel.first());
    }
    return l->currentRow() < 0 ? LB_ERR : l->currentRow();
}

int CListBox::SetCurSel(int index)
{
    QListWidget* l = List(GetWidget());
    if (!l)
        return LB_ERR;
    QSignalBlocker block(l);
    if (index < 0 || index >= l->count()) {
        l->clearSelection();
        return index == -1 ? 0 : LB_ERR;
    }
    if (l->selectionMode() == QAbstractItemView::SingleSelection)
        l->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    else
        l->setCurrentRow(index, QItemSelectionModel::NoUpdate);
    l->scrollToItem(l->item(index));
    return index;
}

int CListBox::GetSel(int index) const
{
    QListWidget* l = List(GetWidget());
    if (!l || index < 0 || index >= l->count())
        return LB_ERR;
    return l->item(index)->isSelected() ? 1 : 0;
}

int CListBox::SetSel(int index, BOOL select)
{
    QListWidget* l = List(GetWidget());
    if (!l || index >= l->count())
        return LB_ERR;
    QSignalBlocker block(l);
    if (index < 0) {
        for (int i = 0; i < l->count(); ++i)
            l->item(i)->setSelected(select != FALSE);
    } else {
        l->item(index)->setSelected(select != FALSE);
    }
    return 0;
}

int CListBox::GetSelCount() const
{
    QListWidget* l = List(GetWidget());
    return l ? static_cast<int>(l->selectedItems().size()) : LB_ERR;
}

int CListBox::GetSelItems(int max, int* indexes) const
{
    QListWidget* l = List(GetWidget());
    if (!l || !indexes)
        return LB_ERR;
    int n = 0;
    for (int i = 0; i < l->count() && n < max; ++i)
        if (l->item(i)->isSelected())
            indexes[n++] = i;
    return n;
}

int CListBox::GetText(int index, CString& text) const
{
    QListWidget* l = List(GetWidget());
    if (!l || index < 0 || index >= l->count()) {
        text.Empty();
        return LB_ERR;
    }
    text = FromQString(l->item(index)->text());
    return text.GetLength();
}

CString CListBox::GetText(int index) const
{
    CString t;
    GetText(index, t);
    return t;
}

int CListBox::GetTextLen(int index) const
{
    CString t;
    return GetText(index, t);
}

int CListBox::SetItemData(int index, DWORD_PTR data)
{
    QListWidget* l = List(GetWidget());
    if (!l || index < 0 || index >= l->count())
        return LB_ERR;
    l->item(index)->setData(Qt::UserRole, QVariant(qulonglong(data)));
    return 0;
}

DWORD_PTR CListBox::GetItemData(int index) const
{
    QListWidget* l = List(GetWidget());
    if (!l || index < 0 || index >= l->count())
        return static_cast<DWORD_PTR>(LB_ERR);
    return static_cast<DWORD_PTR>(l->item(index)->data(Qt::UserRole).toULongLong());
}

int CListBox::FindString(int start, const char* text) const
{
    return FindIn(List(GetWidget()), start, text, false);
}

int CListBox::FindStringExact(int start, const char* text) const
{
    return FindIn(List(GetWidget()), start, text, true);
}

int CListBox::SelectString(int start, const char* text)
{
    const int i = FindString(start, text);
    if (i != LB_ERR)
        SetCurSel(i);
    return i;
}

int CListBox::GetTopIndex() const
{
    QListWidget* l = List(GetWidget());
    if (!l)
        return LB_ERR;
    QListWidgetItem* top = l->itemAt(QPoint(1, 1));
    return top ? l->row(top) : 0;
}

int CListBox::SetTopIndex(int index)
{
    QListWidget* l = List(GetWidget());
    if (!l || index < 0 || index >= l->count())
        return LB_ERR;
    l->scrollToItem(l->item(index), QAbstractItemView::PositionAtTop);
    return 0;
}

int CListBox::GetItemRect(int index, LPRECT rect) const
{
    QListWidget* l = List(GetWidget());
    if (!l || !rect || index < 0 || index >= l->count())
        return LB_ERR;
    QRect r = l->visualItemRect(l->item(index));
    r.translate(l->viewport()->mapTo(l, QPoint(0, 0)));
    *rect = FromQRect(r);
    return 0;
}

UINT CListBox::ItemFromPoint(CPoint point, BOOL& outside) const
{
    QListWidget* l = List(GetWidget());
    outside = TRUE;
    if (!l)
        return 0;
    const QPoint vp = l->viewport()->mapFrom(l, ToQPoint(point));
    QListWidgetItem* item = l->itemAt(vp);
    if (!item)
        return static_cast<UINT>(std::max(l->count() - 1, 0));
    outside = FALSE;
    return static_cast<UINT>(l->row(item));
}

int CListBox::SetItemHeight(int, UINT height)
{
    QListWidget* l = List(GetWidget());
    if (!l)
        return LB_ERR;
    for (int i = 0; i < l->count(); ++i)
        l->item(i)->setSizeHint(QSize(0, static_cast<int>(height)));
    return 0;
}

void CListBox::DrawItem(LPDRAWITEMSTRUCT) {}

void CListBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
