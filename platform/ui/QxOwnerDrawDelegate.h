// Item delegate that lets a control draw (and measure) its items itself.
#pragma once

#include "platform/ui/WinCtrl.h"

#include <QPointer>
#include <QStyledItemDelegate>

#include <functional>

class CWnd;

class QxOwnerDrawDelegate : public QStyledItemDelegate {
public:
    using DrawFn = std::function<void(CWnd&, DRAWITEMSTRUCT&)>;
    using MeasureFn = std::function<void(CWnd&, MEASUREITEMSTRUCT&)>;

    QxOwnerDrawDelegate(QWidget* owner, UINT controlType, DrawFn draw, MeasureFn measure);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Draws one item of the control through its DrawItem (also used for a closed combo).
    void DrawOne(QPainter* painter, const QRect& rect, int item, UINT state, DWORD_PTR data) const;

private:
    QPointer<QWidget> m_owner;
    UINT m_type;
    DrawFn m_draw;
    MeasureFn m_measure;
};
