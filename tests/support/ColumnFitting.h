// The width a report list's column needs to show a text whole, measured by Qt in the
// list's font and its header's: the text and the cells' insets of two blanks each side.
#pragma once

#include "platform/ui/CListCtrl.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QString>
#include <QTreeView>

#include <algorithm>

inline int NeededColumnWidth(CListCtrl& list, const QString& text)
{
    QWidget* widget = list.GetWidget();
    auto* tree = qobject_cast<QTreeView*>(widget);
    int needed = 0;
    for (const QFont& font : {widget->font(), tree ? tree->header()->font() : widget->font()}) {
        const QFontMetrics metrics(font);
        needed = std::max(needed, metrics.horizontalAdvance(text) + 4 * metrics.horizontalAdvance(QChar(' ')));
    }
    return needed;
}
