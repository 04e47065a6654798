// Conversions between the workstation's value types and Qt's.
#pragma once

#include "platform/core/CPoint.h"
#include "platform/core/CRect.h"
#include "platform/core/CSize.h"
#include "platform/core/CString.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

inline QString ToQString(const CString& s)
{
    return QString::fromUtf8(s.GetString(), s.GetLength());
}
inline QString ToQString(const char* s)
{
    return QString::fromUtf8(s ? s : "");
}
inline CString FromQString(const QString& s)
{
    return CString(s.toUtf8().toStdString());
}
// RECT excludes its right and bottom edges; QRect includes them.
inline QRect ToQRect(const RECT& r)
{
    return QRect(QPoint(r.left, r.top), QSize(r.right - r.left, r.bottom - r.top));
}
inline CRect FromQRect(const QRect& r)
{
    return CRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
}
inline QPoint ToQPoint(const POINT& p)
{
    return QPoint(p.x, p.y);
}
inline CPoint FromQPoint(const QPoint& p)
{
    return CPoint(p.x(), p.y());
}
inline QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
inline COLORREF FromQColor(const QColor& c)
{
    return RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
}
