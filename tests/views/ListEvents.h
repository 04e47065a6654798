// Mouse events and pixels of report lists and windows, for the offscreen window tests.
#pragma once

#include "platform/ui/CBitmap.h"
#include "platform/ui/CListCtrl.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTreeView>

// The colour of a pixel of a window as shown, in its client coordinates.
inline COLORREF WindowPixel(CWnd& wnd, int x, int y)
{
    CBitmap picture;
    if (!wnd.CaptureToBitmap(picture) || !picture.Image())
        return static_cast<COLORREF>(-1);
    const QColor c = picture.Image()->pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}

// Where item i of a report list lies, in the list's client coordinates (its middle).
inline QPoint ItemCenter(CListCtrl& list, int item, int column = 0)
{
    CRect rect;
    list.GetSubItemRect(item, column, LVIR_BOUNDS, rect);
    return QPoint(rect.CenterPoint().x, rect.CenterPoint().y);
}

// A double click on item i of a report list, as the mouse gives it.
inline void DoubleClickItem(CListCtrl& list, int item)
{
    auto* tree = qobject_cast<QTreeView*>(list.GetWidget());
    if (!tree)
        return;
    const QModelIndex index = tree->model()->index(item, 0);
    const QPoint at = tree->visualRect(index).center();
    QWidget* viewport = tree->viewport();
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &twice);
    QMouseEvent up(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(viewport, &up);
}

// Where item i lies in the list's viewport (the rows' area below the header).
inline QRect ItemRect(CListCtrl& list, int item)
{
    auto* tree = qobject_cast<QTreeView*>(list.GetWidget());
    return tree ? tree->visualRect(tree->model()->index(item, 0)) : QRect();
}

// The colour at a point of a list's viewport as shown.
inline COLORREF ViewportPixel(CListCtrl& list, QPoint at)
{
    auto* tree = qobject_cast<QTreeView*>(list.GetWidget());
    if (!tree)
        return static_cast<COLORREF>(-1);
    const QImage image = tree->viewport()->grab().toImage();
    const QColor c = image.pixelColor(at);
    return RGB(c.red(), c.green(), c.blue());
}
