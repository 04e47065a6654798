// Drawing the cells of an owner-drawn report row straight on the painter: the cells the
// paint touches, in the header's display order, and their texts inset from both sides,
// vertically centred and cut with an ellipsis when too long. The columns' places are kept
// until the columns change, since a row is drawn once per cell; plain texts are drawn
// from their cached layouts.
#pragma once

#include "platform/core/CRect.h"
#include "platform/core/CString.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CListCtrl.h"
#include "platform/ui/CTextLineCache.h"
#include "platform/ui/QtConvert.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <vector>

class CCellGeometry {
public:
    // The columns were inserted, removed, moved or resized.
    void Invalidate() { m_bValid = false; }

    // fn(subItem, cell) for each cell of the row, from its left edge, inside the clip.
    template <class F>
    void ForEachPainted(CListCtrl& list, const CRect& clip, const CRect& row, F fn)
    {
        if (!m_bValid)
            Measure(list);
        for (const Cell& c : m_cells) {
            const CRect cell(row.left + c.left, row.top, row.left + c.left + c.width, row.bottom);
            if (cell.right <= clip.left || cell.left >= clip.right || c.width <= 0)
                continue;
            fn(c.subItem, cell);
        }
    }

private:
    struct Cell {
        int subItem;
        int left;
        int width;
    };
    void Measure(CListCtrl& list)
    {
        m_cells.clear();
        const int count = list.GetColumnCount();
        std::vector<int> order(static_cast<size_t>(count));
        if (count > 0)
            list.GetColumnOrderArray(order.data(), count);
        int x = 0;
        for (int column : order) {
            LVCOLUMN info{};
            info.mask = LVCF_SUBITEM;
            list.GetColumn(column, &info);
            const int width = list.GetColumnWidth(column);
            m_cells.push_back({info.iSubItem, x, width});
            x += width;
        }
        m_bValid = true;
    }

    std::vector<Cell> m_cells;
    bool m_bValid = false;
};

// The row's area the paint touches.
inline CRect PaintedPart(CDC& dc, const CRect& row)
{
    CRect clip;
    dc.GetClipBox(&clip);
    CRect part;
    if (!part.IntersectRect(clip, row))
        part = row;
    return part;
}

// One cell's text in the painter's font and pen.
inline void PaintCellText(QPainter& painter, const CString& text, const CRect& cell, int inset, bool expandTabs = false)
{
    const QRect r(cell.left + inset, cell.top, cell.Width() - 2 * inset, cell.Height());
    if (r.width() <= 0 || text.IsEmpty())
        return;
    if (CTextLineCache::ForThread().Draw(painter, r, Qt::AlignLeft | Qt::AlignVCenter, text.view(), true, false))
        return;
    QString s = QString::fromUtf8(text.GetString(), text.GetLength());
    const int tabs = expandTabs ? Qt::TextExpandTabs : 0;
    const QFontMetrics metrics = painter.fontMetrics();
    if (metrics.horizontalAdvance(s) > r.width())
        s = metrics.elidedText(s, Qt::ElideRight, r.width(), tabs);
    painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | tabs, s);
}
