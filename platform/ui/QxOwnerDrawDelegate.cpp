#include "platform/ui/QxOwnerDrawDelegate.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/QtConvert.h"

#include <QPainter>

QxOwnerDrawDelegate::QxOwnerDrawDelegate(QWidget* owner, UINT controlType, DrawFn draw, MeasureFn measure)
    : QStyledItemDelegate(owner), m_owner(owner), m_type(controlType), m_draw(std::move(draw)), m_measure(std::move(measure))
{
}

void QxOwnerDrawDelegate::DrawOne(QPainter* painter, const QRect& rect, int item, UINT state, DWORD_PTR data) const
{
    CWnd* wnd = m_owner ? CWnd::FromWidget(m_owner) : nullptr;
    if (!wnd || !m_draw)
        return;
    CDC dc;
    dc.AttachPainter(painter);
    DRAWITEMSTRUCT d;
    d.CtlType = m_type;
    d.CtlID = static_cast<UINT>(wnd->GetDlgCtrlID());
    d.itemID = static_cast<UINT>(item);
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = state;
    d.hwndItem = wnd->m_hWnd;
    d.hDC = &dc;
    d.rcItem = FromQRect(rect);
    d.itemData = data;
    painter->save();
    m_draw(*wnd, d);
    painter->restore();
}

void QxOwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    UINT state = 0;
    if (option.state & QStyle::State_Selected)
        state |= ODS_SELECTED;
    if (option.state & QStyle::State_HasFocus)
        state |= ODS_FOCUS;
    if (!(option.state & QStyle::State_Enabled))
        state |= ODS_DISABLED;
    DrawOne(painter, option.rect, index.row(), state, static_cast<DWORD_PTR>(index.data(Qt::UserRole).toULongLong()));
}

QSize QxOwnerDrawDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize base = QStyledItemDelegate::sizeHint(option, index);
    CWnd* wnd = m_owner ? CWnd::FromWidget(m_owner) : nullptr;
    if (!wnd || !m_measure)
        return base;
    MEASUREITEMSTRUCT m;
    m.CtlType = m_type;
    m.CtlID = static_cast<UINT>(wnd->GetDlgCtrlID());
    m.itemID = static_cast<UINT>(index.row());
    m.itemWidth = static_cast<UINT>(base.width());
    m.itemHeight = static_cast<UINT>(base.height());
    m.itemData = static_cast<DWORD_PTR>(index.data(Qt::UserRole).toULongLong());
    m_measure(*wnd, m);
    return QSize(static_cast<int>(m.itemWidth), static_cast<int>(m.itemHeight));
}
