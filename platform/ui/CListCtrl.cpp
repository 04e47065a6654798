#include "platform/ui/CListCtrl.h"

#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"
#include "platform/ui/ListCtrlModel.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

CListCtrl* ListOf(const QWidget* tree)
{
    return dynamic_cast<CListCtrl*>(CWnd::FromWidget(tree));
}

// One row of an owner-drawn list: DrawItem gets the whole row once, its painting clipped
// to `clip` (what is repainted of the row).
void DrawOwnerRow(const QTreeView* tree, CListCtrl& list, QPainter* painter, int row, const QRect& rowRect,
                  const QRegion& clip)
{
    CDC dc;
    dc.AttachPainter(painter);
    DRAWITEMSTRUCT d;
    d.CtlType = ODT_LISTVIEW;
    d.CtlID = static_cast<UINT>(list.GetDlgCtrlID());
    d.itemID = static_cast<UINT>(row);
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = (tree->selectionModel()->isRowSelected(row, QModelIndex()) ? ODS_SELECTED : 0) |
                  (tree->currentIndex().row() == row ? ODS_FOCUS : 0);
    d.hwndItem = list.m_hWnd;
    d.hDC = &dc;
    d.rcItem = FromQRect(rowRect);
    d.itemData = static_cast<DWORD_PTR>(tree->model()->index(row, 0).data(Qt::UserRole).toULongLong());
    painter->save();
    painter->setClipRegion(clip, Qt::IntersectClip);
    list.DrawItem(&d);
    painter->restore();
}

// The row DrawItem is given: from the first column's left edge, at least as wide as the view.
QRect OwnerRowRect(const QTreeView* tree, int top, int height)
{
    const QHeaderView* h = tree->header();
    return QRect(-h->offset(), top, std::max(h->length(), tree->viewport()->width()), height);
}

// The part of a row under the columns that is in view, in the viewport.
QRect RowColumns(const QTreeView* tree, int top, int height)
{
    const QHeaderView* h = tree->header();
    return QRect(-h->offset(), top, h->length(), height).intersected(tree->viewport()->rect());
}

// A part of a row in the viewport, relative to the row's own rectangle (its first column's
// left edge and its top): a scroll leaves it as it is.
QRegion RowRelative(const QTreeView* tree, const QRegion& part, int top)
{
    return part.translated(tree->header()->offset(), -top);
}

void DrawGridLines(QPainter* painter, const QRect& cell)
{
    painter->save();
    painter->setPen(QColor(208, 208, 208));
    painter->drawLine(cell.topRight(), cell.bottomRight());
    painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    painter->restore();
}

// The Qt view: asks the list before a label edit starts, tells whether a selection
// change comes from the user's mouse or keys or from the program changing the rows, and
// paints an owner-drawn row with one DrawItem rather than once per cell.
class QxTreeView : public QTreeView {
public:
    using QTreeView::QTreeView;
    bool IsEditing() const { return state() == EditingState; }
    bool IsUserChange() const { return userInput > 0 && programChange == 0; }
    // Lays the rows out now when a change of the model asked for it. Qt would do so at the
    // start of the next repaint, and laying out asks for a repaint of every row: each row
    // would be painted twice. A hidden view is laid out when it shows, as Qt does.
    void LayOutRows()
    {
        if (isVisible())
            executeDelayedItemsLayout();
    }

    int userInput = 0;      // inside a mouse or key event of the list
    int programChange = 0;  // inside a change the program makes (rows, columns, states, order)
    bool grid = false;      // grid lines around the cells
    QRegion repainting;     // the region of the paint event under way, in the viewport
    // The owner-drawn row being painted into the window, and the part of it repainted
    // (relative to the row): what a look DrawItem names is drawn in.
    struct Drawing {
        int row;
        QRegion part;
    };
    mutable std::optional<Drawing> drawing;

    // What a repaint of a row would reach now, relative to the row: the part in view that
    // no other window covers (Qt leaves such parts out of the paint events).
    QRegion Reach(int row) const
    {
        const QRect cell = visualRect(model()->index(row, 0, rootIndex()));
        const QRect columns = RowColumns(this, cell.top(), cell.height());
        if (columns.isEmpty())
            return QRegion();
        return RowRelative(this, viewport()->visibleRegion().intersected(columns), cell.top());
    }

protected:
    // Qt fills the viewport's background under everything it repaints; the rows of a list
    // whose DrawItem fills them would then be filled twice. For such a list the background
    // is filled here, outside the rows, with the brush Qt would use.
    void paintEvent(QPaintEvent* event) override
    {
        QWidget* port = viewport();
        const QBrush background = port->palette().brush(port->backgroundRole());
        const CListCtrl* list = ListOf(this);
        const bool rowsFill = list && list->OwnerDraws() && list->DrawItemFillsRow();
        if (port->testAttribute(Qt::WA_OpaquePaintEvent)) {
            QRegion rest = event->region();
            if (rowsFill)
                rest -= FilledRowsArea();
            if (!rest.isEmpty()) {
                QPainter painter(port);
                for (const QRect& r : rest)
                    painter.fillRect(r, background);
            }
        }
        // For the next paint: only in the case where Qt's own fill is a plain opaque one.
        const bool opaque = rowsFill && port->autoFillBackground() && background.style() == Qt::SolidPattern &&
                            background.isOpaque() && !port->testAttribute(Qt::WA_StyledBackground);
        if (port->testAttribute(Qt::WA_OpaquePaintEvent) != opaque)
            port->setAttribute(Qt::WA_OpaquePaintEvent, opaque);
        repainting = event->region();
        QTreeView::paintEvent(event);
        repainting = QRegion();
    }

    // What drawRow's owner-drawn rows cover: the columns across every row, in the viewport.
    QRect FilledRowsArea() const
    {
        const QAbstractItemModel* m = model();
        const int rows = m ? m->rowCount(rootIndex()) : 0;
        if (rows == 0 || header()->count() == 0)
            return QRect();
        const QRect first = visualRect(m->index(0, 0, rootIndex()));
        const QRect last = visualRect(m->index(rows - 1, 0, rootIndex()));
        if (first.height() <= 0 || last.height() <= 0)
            return QRect();
        const QHeaderView* h = header();
        return QRect(QPoint(-h->offset(), first.top()), QPoint(-h->offset() + h->length() - 1, last.bottom()))
            .intersected(viewport()->rect());
    }

    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        CListCtrl* list = ListOf(this);
        if (!list || !list->OwnerDraws()) {
            QTreeView::drawRow(painter, option, index);
            return;
        }
        const QHeaderView* h = header();
        const int top = option.rect.top();
        const int height = option.rect.height();
        const QRect columns = RowColumns(this, top, height);
        if (columns.isEmpty())
            return;
        // The style's row background, as the tree view gives it under each cell.
        QStyleOptionViewItem background = option;
        background.rect = columns;
        background.state &= ~QStyle::State_Selected;
        style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &background, painter, this);
        // Only the part of the row inside the paint event's region is repainted; the rest
        // keeps what the window showed (a scroll moves it, a window uncovers a part).
        const QRegion painted = repainting.isEmpty() ? QRegion(columns) : repainting.intersected(columns);
        if (!painted.isEmpty()) {
            drawing = Drawing{index.row(), RowRelative(this, painted, top)};
            DrawOwnerRow(this, *list, painter, index.row(), OwnerRowRect(this, top, height), painted);
            drawing.reset();
        }
        if (grid) {
            for (int visual = 0; visual < h->count(); ++visual) {
                const int logical = h->logicalIndex(visual);
                if (h->isSectionHidden(logical))
                    continue;
                const QRect cell(h->sectionViewportPosition(logical), top, h->sectionSize(logical), height);
                if (cell.intersects(columns))
                    DrawGridLines(painter, cell);
            }
        }
        if (hasFocus() && currentIndex().row() == index.row())
            DrawFocus(painter, option, index, columns);
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        ++userInput;
        QTreeView::mousePressEvent(e);
        --userInput;
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        ++userInput;
        QTreeView::mouseReleaseEvent(e);
        --userInput;
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        ++userInput;
        QTreeView::mouseDoubleClickEvent(e);
        --userInput;
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        ++userInput;
        QTreeView::keyPressEvent(e);
        --userInput;
    }

    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (index.isValid() && index.column() == 0 && (editTriggers() & trigger || trigger == AllEditTriggers)) {
            if (CListCtrl* list = ListOf(this)) {
                NMLVDISPINFO info;
                info.item.iItem = index.row();
                info.item.mask = LVIF_TEXT;
                if (list->SendListNotify(LVN_BEGINLABELEDIT, &info.hdr))
                    return false;
            }
        }
        return QTreeView::edit(index, trigger, event);
    }

private:
    // The focus frame across the current row, as the tree view draws it with whole-row focus.
    void DrawFocus(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                   const QRect& columns) const
    {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.state |= QStyle::State_KeyboardFocusChange;
        const QPalette::ColorGroup group = (option.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        focus.backgroundColor =
            option.palette.color(group, selectionModel()->isSelected(index) ? QPalette::Highlight : QPalette::Window);
        const QRect frame(-header()->offset(), columns.top(), header()->length(), columns.height());
        focus.rect = style()->visualRect(layoutDirection(), viewport()->rect(), frame);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter);
    }
};

// Cell painting of lists that do not draw their rows, and grid lines.
class ListDelegate final : public QStyledItemDelegate {
public:
    ListDelegate(QxTreeView* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        CListCtrl* list = ListOf(m_tree);
        if (list && list->OwnerDraws())
            DrawOwnerRow(m_tree, *list, painter, index.row(), OwnerRowRect(m_tree, option.rect.top(), option.rect.height()),
                         option.rect);
        else
            QStyledItemDelegate::paint(painter, option, index);
        if (m_tree->grid)
            DrawGridLines(painter, option.rect);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize base = QStyledItemDelegate::sizeHint(option, index);
        CListCtrl* list = ListOf(m_tree);
        if (!list || !list->OwnerDraws())
            return base;
        MEASUREITEMSTRUCT m;
        m.CtlType = ODT_LISTVIEW;
        m.CtlID = static_cast<UINT>(list->GetDlgCtrlID());
        m.itemID = static_cast<UINT>(index.row());
        m.itemWidth = static_cast<UINT>(base.width());
        m.itemHeight = static_cast<UINT>(base.height());
        list->MeasureItem(&m);
        return QSize(base.width(), static_cast<int>(m.itemHeight));
    }

private:
    QxTreeView* m_tree;
};

// Clicks, drags and keys of the list, turned into notifications.
class ListNotifier final : public QObject {
public:
    ListNotifier(QTreeView* tree) : QObject(tree), m_tree(tree) {}

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        CListCtrl* list = ListOf(m_tree);
        if (!list)
            return false;
        if (watched == m_tree->viewport())
            return Viewport(list, e);
        if (watched == m_tree->header())
            return Header(list, e);
        if (watched == m_tree && e->type() == QEvent::KeyPress) {
            NMLVKEYDOWN k;
            k.wVKey = static_cast<WORD>(static_cast<QKeyEvent*>(e)->key() & 0xFFFF);
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key >= Qt::Key_A && key <= Qt::Key_Z)
                k.wVKey = static_cast<WORD>('A' + (key - Qt::Key_A));
            else if (key == Qt::Key_Delete)
                k.wVKey = static_cast<WORD>(VK_DELETE);
            else if (key == Qt::Key_Return || key == Qt::Key_Enter)
                k.wVKey = static_cast<WORD>(VK_RETURN);
            list->SendListNotify(LVN_KEYDOWN, &k.hdr);
        }
        return false;
    }

private:
    NMITEMACTIVATE Activate(QMouseEvent* me) const
    {
        NMITEMACTIVATE a;
        const QPoint p = me->position().toPoint();
        const QModelIndex i = m_tree->indexAt(p);
        a.iItem = i.isValid() ? i.row() : -1;
        a.iSubItem = i.isValid() ? i.column() : 0;
        const QPoint client = m_tree->viewport()->mapTo(m_tree, p);
        a.ptAction = POINT{client.x(), client.y()};
        return a;
    }

    bool Viewport(CListCtrl* list, QEvent* e)
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton) {
                m_pressPos = me->position().toPoint();
                m_pressItem = m_tree->indexAt(m_pressPos).row();
                m_dragSent = false;
            }
            return false;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            if ((me->buttons() & Qt::LeftButton) && m_pressItem >= 0 && !m_dragSent &&
                (me->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
                m_dragSent = true;
                NMLISTVIEW n;
                n.iItem = m_pressItem;
                const QPoint client = m_tree->viewport()->mapTo(m_tree, m_pressPos);
                n.ptAction = POINT{client.x(), client.y()};
                list->SendListNotify(LVN_BEGINDRAG, &n.hdr);
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(e);
            NMITEMACTIVATE a = Activate(me);
            if (me->button() == Qt::LeftButton && !m_dragSent)
                list->SendListNotify(NM_CLICK, &a.hdr);
            else if (me->button() == Qt::RightButton)
                list->SendListNotify(NM_RCLICK, &a.hdr);
            m_pressItem = -1;
            return false;
        }
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(e);
            NMITEMACTIVATE a = Activate(me);
            list->SendListNotify(me->button() == Qt::RightButton ? NM_RDBLCLK : NM_DBLCLK, &a.hdr);
            return false;
        }
        default:
            return false;
        }
    }

    bool Header(CListCtrl*, QEvent* e)
    {
        if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->button() == Qt::RightButton)
            if (CWnd* header = CWnd::FromWidget(m_tree->header()))
                header->NotifyParent(NM_RCLICK);
        return false;
    }

    QTreeView* m_tree;
    QPoint m_pressPos;
    int m_pressItem = -1;
    bool m_dragSent = false;
};

QTreeView* Tree(QWidget* w)
{
    return qobject_cast<QTreeView*>(w);
}

QxListModel* Model(QWidget* w)
{
    QTreeView* t = Tree(w);
    return t ? static_cast<QxListModel*>(t->model()) : nullptr;
}


// Rows sorted into a new order are laid out at once, so that the repaint that shows them
// paints each row once.
void LayOutRows(QWidget* w)
{
    if (auto* view = dynamic_cast<QxTreeView*>(Tree(w)))
        view->LayOutRows();
}

// Marks the selection changes Qt makes while the program changes the list (a removed
// current row moves the selection, say) as the program's.
class ProgramChange {
public:
    explicit ProgramChange(QWidget* w) : m_view(dynamic_cast<QxTreeView*>(Tree(w)))
    {
        if (m_view)
            ++m_view->programChange;
    }
    ~ProgramChange()
    {
        if (m_view)
            --m_view->programChange;
    }
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;

private:
    QPointer<QxTreeView> m_view;
};

}  // namespace

// The header.

int CHeaderCtrl::GetItemCount() const
{
    auto* h = qobject_cast<QHeaderView*>(GetWidget());
    return h ? h->count() : 0;
}

BOOL CHeaderCtrl::GetItemRect(int index, LPRECT rect) const
{
    auto* h = qobject_cast<QHeaderView*>(GetWidget());
    if (!h || !rect || index < 0 || index >= h->count())
        return FALSE;
    *rect = CRect(h->sectionViewportPosition(index), 0, h->sectionViewportPosition(index) + h->sectionSize(index),
                  h->height());
    return TRUE;
}

int CHeaderCtrl::OrderToIndex(int order) const
{
    auto* h = qobject_cast<QHeaderView*>(GetWidget());
    return h ? h->logicalIndex(order) : -1;
}

BOOL CHeaderCtrl::GetOrderArray(int* order, int count) const
{
    auto* h = qobject_cast<QHeaderView*>(GetWidget());
    if (!h || !order || count < h->count())
        return FALSE;
    for (int v = 0; v < h->count(); ++v)
        order[v] = h->logicalIndex(v);
    return TRUE;
}

BOOL CHeaderCtrl::SetOrderArray(int count, const int* order)
{
    auto* h = qobject_cast<QHeaderView*>(GetWidget());
    if (!h || !order || count != h->count())
        return FALSE;
    std::set<int> seen(order, order + count);
    if (static_cast<int>(seen.size()) != count || *seen.begin() < 0 || *seen.rbegin() >= count)
        return FALSE;
    QSignalBlocker block(h);
    for (int v = 0; v < count; ++v)
        h->moveSection(h->visualIndex(order[v]), v);
    return TRUE;
}

int CHeaderCtrl::HitTest(CPoint point) const
{
    auto* h = qobject_cast<QHeaderView*>(GetWidget());
    return h ? h->logicalIndexAt(point.x) : -1;
}

BOOL CHeaderCtrl::DestroyWindow()
{
    return FALSE;  // goes with its list
}

void CHeaderCtrl::PostNcDestroy()
{
    delete this;  // made by its list, gone with the header widget
}

// The list.

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style | LVS_REPORT, rect, parent, id);
}

QWidget* CListCtrl::CreateWidget(QWidget* parent)
{
    auto* tree = new QxWindowHost<QxTreeView>(this, parent);
    tree->setRootIsDecorated(false);
    tree->setItemsExpandable(false);
    tree->setUniformRowHeights(true);
    tree->setAllColumnsShowFocus(true);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree->setSelectionMode((m_style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                       : QAbstractItemView::ExtendedSelection);
    tree->setEditTriggers((m_style & LVS_EDITLABELS) ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                                                      : QAbstractItemView::NoEditTriggers);
    auto* model = new QxListModel(tree);  // owned by the view widget
    model->editLabels = (m_style & LVS_EDITLABELS) != 0;
    model->onEdit = [tree](int row, const QString& text) {
        CListCtrl* list = ListOf(tree);
        if (!list)
            return false;
        NMLVDISPINFO info;
        info.item.iItem = row;
        info.item.mask = LVIF_TEXT;
        const QByteArray bytes = text.toUtf8();
        std::vector<char> buffer(bytes.begin(), bytes.end());
        buffer.push_back('\0');
        info.item.pszText = buffer.data();
        return list->SendListNotify(LVN_ENDLABELEDIT, &info.hdr) != 0;
    };
    auto* header = new QxWindowHost<QHeaderView>(new CHeaderCtrl, Qt::Horizontal, tree);  // header owns its CHeaderCtrl
    tree->setHeader(header);
    tree->setModel(model);
    header->setSectionsClickable(!(m_style & LVS_NOSORTHEADER));
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setHidden((m_style & LVS_NOCOLUMNHEADER) != 0);
    if (auto* hc = dynamic_cast<CHeaderCtrl*>(static_cast<QxHostLink*>(header)->Owner()))
        hc->AttachWidget(header, 0, WS_CHILD | WS_VISIBLE);
    tree->setItemDelegate(new ListDelegate(tree));
    auto* notifier = new ListNotifier(tree);  // owned by the view widget
    tree->viewport()->installEventFilter(notifier);
    header->installEventFilter(notifier);
    tree->installEventFilter(notifier);
    RouteEventsOf(tree->viewport());

    QObject::connect(header, &QHeaderView::sectionClicked, [tree](int logical) {
        if (CListCtrl* list = ListOf(tree)) {
            NMLISTVIEW n;
            n.iSubItem = logical;
            list->SendListNotify(LVN_COLUMNCLICK, &n.hdr);
        }
    });
    QObject::connect(header, &QHeaderView::sectionMoved, [tree](int logical, int, int) {
        if (CWnd* h = CWnd::FromWidget(tree->header())) {
            NMHEADER n;
            n.iItem = logical;
            h->NotifyParent(HDN_ENDDRAG, &n.hdr);
        }
    });
    QObject::connect(header, &QHeaderView::sectionResized, [tree](int logical, int, int) {
        if (CWnd* h = CWnd::FromWidget(tree->header())) {
            NMHEADER n;
            n.iItem = logical;
            h->NotifyParent(HDN_ENDTRACK, &n.hdr);
        }
    });
    QObject::connect(header, &QHeaderView::sectionHandleDoubleClicked, [tree](int logical) {
        if (CWnd* h = CWnd::FromWidget(tree->header())) {
            NMHEADER n;
            n.iItem = logical;
            h->NotifyParent(HDN_DIVIDERDBLCLICK, &n.hdr);
        }
    });
    QObject::connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged,
                     [tree](const QItemSelection& selected, const QItemSelection& deselected) {
                         auto send = [tree](const QItemSelection& s, UINT newState, UINT oldState) {
                             std::set<int> rows;
                             for (const QItemSelectionRange& r : s)
                                 for (int row = r.top(); row <= r.bottom(); ++row)
                                     rows.insert(row);
                             for (int row : rows) {
                                 CListCtrl* list = ListOf(tree);
                                 if (!list)
                                     return;
                                 NMLISTVIEW n;
                                 n.iItem = row;
                                 n.uNewState = newState;
                                 n.uOldState = oldState;
                                 n.uChanged = LVIF_STATE;
                                 n.lParam = static_cast<LPARAM>(list->GetItemData(row));
                                 list->SendListNotify(LVN_ITEMCHANGED, &n.hdr);
                             }
                         };
                         send(deselected, 0, LVIS_SELECTED);
                         send(selected, LVIS_SELECTED, 0);
                     });
    QObject::connect(tree->itemDelegate(), &QAbstractItemDelegate::closeEditor,
                     [tree](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                         if (hint != QAbstractItemDelegate::RevertModelCache)
                             return;
                         if (CListCtrl* list = ListOf(tree)) {
                             NMLVDISPINFO info;
                             info.item.iItem = tree->currentIndex().row();
                             info.item.pszText = nullptr;
                             list->SendListNotify(LVN_ENDLABELEDIT, &info.hdr);
                         }
                     });
    return tree;
}

bool CListCtrl::IsUserChange() const
{
    auto* view = dynamic_cast<QxTreeView*>(Tree(GetWidget()));
    return view && view->IsUserChange();
}

void CListCtrl::SetDrawnLook(const DRAWITEMSTRUCT* draw, std::string look)
{
    auto* view = dynamic_cast<QxTreeView*>(Tree(GetWidget()));
    QxListModel* m = Model(GetWidget());
    if (!draw || !view || !m || !view->drawing || view->drawing->row != static_cast<int>(draw->itemID) ||
        draw->itemID >= m->rows.size())
        return;
    ListRow& row = m->rows[draw->itemID];
    if (row.look == look) {
        row.shown += view->drawing->part;
    } else {
        // The rest of the row shows an older look, or nothing yet.
        row.look = std::move(look);
        row.shown = view->drawing->part;
    }
}

bool CListCtrl::ShowsLook(int item, const std::string& look) const
{
    auto* view = dynamic_cast<QxTreeView*>(Tree(GetWidget()));
    QxListModel* m = Model(GetWidget());
    if (!view || !m || item < 0 || item >= static_cast<int>(m->rows.size()))
        return false;
    const QRegion reach = view->Reach(item);
    if (reach.isEmpty())
        return true;
    const ListRow& row = m->rows[static_cast<size_t>(item)];
    return row.look == look && reach.subtracted(row.shown).isEmpty();
}

LRESULT CListCtrl::SendListNotify(UINT code, NMHDR* header)
{
    return NotifyParent(code, header);
}

BOOL CListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CWnd::OnNotify(wParam, lParam, result))
        return TRUE;
    // The header's notifications go on to the list's parent, as the list's own do.
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && GetHeaderCtrl() && header->hwndFrom == GetHeaderCtrl()->m_hWnd)
        if (CWnd* parent = GetParent())
            return parent->SendMessage(WM_NOTIFY, wParam, lParam) != 0 || (result && *result);
    return FALSE;
}

void CListCtrl::OnDestroy()
{
    DeleteAllItems();
    CWnd::OnDestroy();
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const
{
    QTreeView* t = Tree(GetWidget());
    return t ? dynamic_cast<CHeaderCtrl*>(CWnd::FromWidget(t->header())) : nullptr;
}

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem)
{
    const ProgramChange change(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!m || column < 0)
        return -1;
    const int at = std::min(column, static_cast<int>(m->columns.size()));
    m->InsertColumn(at, ListColumn{ToQString(heading), format, QImage(), subItem < 0 ? at : subItem});
    if (width >= 0)
        Tree(GetWidget())->header()->resizeSection(at, width);
    return at;
}

int CListCtrl::InsertColumn(int column, const LVCOLUMN* info)
{
    if (!info)
        return -1;
    const int at = InsertColumn(column, (info->mask & LVCF_TEXT) ? info->pszText : "",
                                (info->mask & LVCF_FMT) ? info->fmt : LVCFMT_LEFT, (info->mask & LVCF_WIDTH) ? info->cx : -1,
                                (info->mask & LVCF_SUBITEM) ? info->iSubItem : -1);
    return at;
}

BOOL CListCtrl::DeleteColumn(int column)
{
    const ProgramChange change(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!m || column < 0 || column >= static_cast<int>(m->columns.size()))
        return FALSE;
    m->RemoveColumn(column);
    return TRUE;
}

BOOL CListCtrl::GetColumn(int column, LVCOLUMN* info) const
{
    QxListModel* m = Model(GetWidget());
    if (!m || !info || column < 0 || column >= static_cast<int>(m->columns.size()))
        return FALSE;
    const ListColumn& c = m->columns[static_cast<size_t>(column)];
    if (info->mask & LVCF_FMT)
        info->fmt = c.format;
    if (info->mask & LVCF_WIDTH)
        info->cx = GetColumnWidth(column);
    if ((info->mask & LVCF_TEXT) && info->pszText && info->cchTextMax > 0) {
        const QByteArray t = c.text.toUtf8();
        const int n = std::min(static_cast<int>(t.size()), info->cchTextMax - 1);
        std::memcpy(info->pszText, t.constData(), static_cast<size_t>(n));
        info->pszText[n] = '\0';
    }
    if (info->mask & LVCF_SUBITEM)
        info->iSubItem = c.subItem;
    if (info->mask & LVCF_ORDER)
        info->iOrder = Tree(GetWidget())->header()->visualIndex(column);
    return TRUE;
}

BOOL CListCtrl::SetColumn(int column, const LVCOLUMN* info)
{
    QxListModel* m = Model(GetWidget());
    if (!m || !info || column < 0 || column >= static_cast<int>(m->columns.size()))
        return FALSE;
    ListColumn& c = m->columns[static_cast<size_t>(column)];
    if (info->mask & LVCF_FMT)
        c.format = info->fmt;
    if ((info->mask & LVCF_TEXT) && info->pszText)
        c.text = ToQString(info->pszText);
    if (info->mask & LVCF_SUBITEM)
        c.subItem = info->iSubItem;
    if (info->mask & LVCF_WIDTH)
        SetColumnWidth(column, info->cx);
    m->ColumnChanged(column);
    return TRUE;
}

int CListCtrl::GetColumnCount() const
{
    QxListModel* m = Model(GetWidget());
    return m ? static_cast<int>(m->columns.size()) : 0;
}

int CListCtrl::GetColumnWidth(int column) const
{
    QTreeView* t = Tree(GetWidget());
    if (!t || column < 0 || column >= GetColumnCount())
        return 0;
    return t->header()->isSectionHidden(column) ? 0 : t->header()->sectionSize(column);
}

BOOL CListCtrl::SetColumnWidth(int column, int width)
{
    QTreeView* t = Tree(GetWidget());
    if (!t || column < 0 || column >= GetColumnCount())
        return FALSE;
    if (width == LVSCW_AUTOSIZE) {
        t->resizeColumnToContents(column);
    } else if (width == LVSCW_AUTOSIZE_USEHEADER) {
        t->resizeColumnToContents(column);
        const int headerWidth = t->header()->sectionSizeHint(column);
        t->header()->resizeSection(column, std::max(t->header()->sectionSize(column), headerWidth));
    } else {
        t->header()->resizeSection(column, std::max(width, 0));
    }
    return TRUE;
}

BOOL CListCtrl::GetColumnOrderArray(int* order, int count) const
{
    CHeaderCtrl* h = GetHeaderCtrl();
    return h ? h->GetOrderArray(order, count < 0 ? GetColumnCount() : count) : FALSE;
}

BOOL CListCtrl::SetColumnOrderArray(int count, const int* order)
{
    const ProgramChange change(GetWidget());
    CHeaderCtrl* h = GetHeaderCtrl();
    const BOOL ok = h ? h->SetOrderArray(count, order) : FALSE;
    if (ok)
        Invalidate();
    return ok;
}

BOOL CListCtrl::SetHeaderBitmap(int column, const CBitmap* bitmap)
{
    QxListModel* m = Model(GetWidget());
    if (!m || column < 0 || column >= static_cast<int>(m->columns.size()))
        return FALSE;
    m->columns[static_cast<size_t>(column)].image = bitmap && bitmap->Image() ? *bitmap->Image() : QImage();
    m->ColumnChanged(column);
    return TRUE;
}

void CListCtrl::SetSortArrow(int column, bool ascending)
{
    QTreeView* t = Tree(GetWidget());
    if (!t)
        return;
    t->header()->setSortIndicatorShown(column >= 0);
    if (column >= 0)
        t->header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int CListCtrl::InsertItem(int index, const char* text)
{
    return InsertItem(LVIF_TEXT, index, text, 0, 0, -1, 0);
}

int CListCtrl::InsertItem(const LVITEM* item)
{
    if (!item)
        return -1;
    return InsertItem(item->mask, item->iItem, (item->mask & LVIF_TEXT) ? item->pszText : nullptr, item->state,
                      item->stateMask, item->iImage, item->lParam);
}

int CListCtrl::InsertItem(UINT mask, int index, const char* text, UINT state, UINT stateMask, int image, LPARAM data)
{
    const ProgramChange change(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!m || index < 0)
        return -1;
    ListRow row;
    if ((mask & LVIF_TEXT) && text)
        row.texts.push_back(ToQString(text));
    if (mask & LVIF_PARAM)
        row.data = static_cast<DWORD_PTR>(data);
    if (mask & LVIF_IMAGE)
        row.image = image;
    const int at = m->InsertRow(index, std::move(row));
    if (mask & LVIF_STATE)
        SetItemState(at, state, stateMask);
    return at;
}

BOOL CListCtrl::SetItem(const LVITEM* item)
{
    const ProgramChange change(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!m || !item || item->iItem < 0 || item->iItem >= static_cast<int>(m->rows.size()))
        return FALSE;
    if ((item->mask & LVIF_TEXT) && item->pszText)
        m->SetText(item->iItem, item->iSubItem, ToQString(item->pszText));
    if (item->mask & LVIF_PARAM)
        m->rows[static_cast<size_t>(item->iItem)].data = static_cast<DWORD_PTR>(item->lParam);
    if (item->mask & LVIF_IMAGE)
        m->rows[static_cast<size_t>(item->iItem)].image = item->iImage;
    if (item->mask & LVIF_STATE)
        SetItemState(item->iItem, item->state, item->stateMask);
    return TRUE;
}

BOOL CListCtrl::GetItem(LVITEM* item) const
{
    QxListModel* m = Model(GetWidget());
    if (!m || !item || item->iItem < 0 || item->iItem >= static_cast<int>(m->rows.size()))
        return FALSE;
    const ListRow& r = m->rows[static_cast<size_t>(item->iItem)];
    if ((item->mask & LVIF_TEXT) && item->pszText && item->cchTextMax > 0)
        GetItemText(item->iItem, item->iSubItem, item->pszText, item->cchTextMax);
    if (item->mask & LVIF_PARAM)
        item->lParam = static_cast<LPARAM>(r.data);
    if (item->mask & LVIF_IMAGE)
        item->iImage = r.image;
    if (item->mask & LVIF_STATE)
        item->state = GetItemState(item->iItem, item->stateMask);
    return TRUE;
}

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text)
{
    QxListModel* m = Model(GetWidget());
    if (!m || item < 0 || item >= static_cast<int>(m->rows.size()) || subItem < 0)
        return FALSE;
    m->SetText(item, subItem, ToQString(text));
    return TRUE;
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    QxListModel* m = Model(GetWidget());
    if (!m || item < 0 || item >= static_cast<int>(m->rows.size()) || subItem < 0)
        return CString();
    const auto& texts = m->rows[static_cast<size_t>(item)].texts;
    return static_cast<size_t>(subItem) < texts.size() ? FromQString(texts[static_cast<size_t>(subItem)]) : CString();
}

int CListCtrl::GetItemText(int item, int subItem, char* buffer, int length) const
{
    if (!buffer || length <= 0)
        return 0;
    const CString t = GetItemText(item, subItem);
    const int n = std::min(t.GetLength(), length - 1);
    std::memcpy(buffer, t.GetString(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data)
{
    QxListModel* m = Model(GetWidget());
    if (!m || item < 0 || item >= static_cast<int>(m->rows.size()))
        return FALSE;
    m->rows[static_cast<size_t>(item)].data = data;
    return TRUE;
}

DWORD_PTR CListCtrl::GetItemData(int item) const
{
    QxListModel* m = Model(GetWidget());
    if (!m || item < 0 || item >= static_cast<int>(m->rows.size()))
        return 0;
    return m->rows[static_cast<size_t>(item)].data;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    const ProgramChange change(GetWidget());
    QTreeView* t = Tree(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!t || !m || item >= static_cast<int>(m->rows.size()))
        return FALSE;
    const int first = item < 0 ? 0 : item;
    const int last = item < 0 ? static_cast<int>(m->rows.size()) - 1 : item;
    if (last < first)
        return item < 0;
    QItemSelectionModel* sel = t->selectionModel();
    if (mask & LVIS_SELECTED) {
        const bool single = t->selectionMode() == QAbstractItemView::SingleSelection;
        const int lastRow = (state & LVIS_SELECTED) && single ? first : last;
        const QItemSelection range(m->index(first, 0), m->index(lastRow, std::max(m->columnCount() - 1, 0)));
        QItemSelectionModel::SelectionFlags how =
            (state & LVIS_SELECTED) ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
        if ((state & LVIS_SELECTED) && single)
            how = QItemSelectionModel::ClearAndSelect;  // one selected item at most
        sel->select(range, how | QItemSelectionModel::Rows);
    }
    if ((mask & LVIS_FOCUSED) && item >= 0) {
        if (state & LVIS_FOCUSED)
            sel->setCurrentIndex(m->index(item, 0), QItemSelectionModel::NoUpdate);
        else if (sel->currentIndex().row() == item)
            sel->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    const UINT other = mask & ~(LVIS_SELECTED | LVIS_FOCUSED);
    if (other) {
        for (int i = first; i <= last; ++i) {
            UINT& s = m->rows[static_cast<size_t>(i)].state;
            s = (s & ~other) | (state & other);
        }
        m->RowsChanged(first, last);
    }
    return TRUE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const
{
    QTreeView* t = Tree(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!t || !m || item < 0 || item >= static_cast<int>(m->rows.size()))
        return 0;
    UINT s = m->rows[static_cast<size_t>(item)].state & ~(LVIS_SELECTED | LVIS_FOCUSED);
    if (t->selectionModel()->isRowSelected(item, QModelIndex()))
        s |= LVIS_SELECTED;
    if (t->selectionModel()->currentIndex().row() == item)
        s |= LVIS_FOCUSED;
    return s & mask;
}

BOOL CListCtrl::DeleteItem(int item)
{
    const ProgramChange change(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!m || item < 0 || item >= static_cast<int>(m->rows.size()))
        return FALSE;
    NMLISTVIEW n;
    n.iItem = item;
    n.lParam = static_cast<LPARAM>(m->rows[static_cast<size_t>(item)].data);
    SendListNotify(LVN_DELETEITEM, &n.hdr);
    if (QxListModel* again = Model(GetWidget()); again && item < static_cast<int>(again->rows.size()))
        again->RemoveRow(item);
    return TRUE;
}

BOOL CListCtrl::DeleteAllItems()
{
    const ProgramChange change(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!m)
        return FALSE;
    if (m->rows.empty())
        return TRUE;
    NMLISTVIEW all;
    all.iItem = -1;
    if (!SendListNotify(LVN_DELETEALLITEMS, &all.hdr)) {
        // Each row present now is told once, then rows a handler added meanwhile once;
        // the list is emptied after that whatever the handlers do.
        size_t told = 0;
        for (int round = 0; round < 2; ++round) {
            m = Model(GetWidget());
            if (!m)
                return FALSE;
            std::vector<DWORD_PTR> data;
            for (size_t i = told; i < m->rows.size(); ++i)
                data.push_back(m->rows[i].data);
            for (size_t i = 0; i < data.size(); ++i) {
                NMLISTVIEW n;
                n.iItem = static_cast<int>(told + i);
                n.lParam = static_cast<LPARAM>(data[i]);
                SendListNotify(LVN_DELETEITEM, &n.hdr);
            }
            told += data.size();
        }
        m = Model(GetWidget());
        if (!m)
            return FALSE;
    }
    m->Clear();
    return TRUE;
}

int CListCtrl::GetItemCount() const
{
    QxListModel* m = Model(GetWidget());
    return m ? static_cast<int>(m->rows.size()) : 0;
}

void CListCtrl::SetItemCount(int count)
{
    if (QxListModel* m = Model(GetWidget()); m && count > 0)
        m->rows.reserve(static_cast<size_t>(count));
}

int CListCtrl::GetNextItem(int start, UINT flags) const
{
    const int n = GetItemCount();
    for (int i = std::max(start + 1, 0); i < n; ++i) {
        if (flags == LVNI_ALL)
            return i;
        const UINT s = GetItemState(i, LVIS_SELECTED | LVIS_FOCUSED);
        if (((flags & LVNI_SELECTED) && (s & LVIS_SELECTED)) || ((flags & LVNI_FOCUSED) && (s & LVIS_FOCUSED)))
            return i;
    }
    return -1;
}

UINT CListCtrl::GetSelectedCount() const
{
    QTreeView* t = Tree(GetWidget());
    return t ? static_cast<UINT>(t->selectionModel()->selectedRows().size()) : 0;
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const
{
    const int first = GetNextItem(-1, LVNI_SELECTED);
    return first < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(first) + 1);
}

int CListCtrl::GetNextSelectedItem(POSITION& pos) const
{
    const auto v = reinterpret_cast<uintptr_t>(pos);
    if (v == 0)
        return -1;
    const int item = static_cast<int>(v - 1);
    const int next = GetNextItem(item, LVNI_SELECTED);
    pos = next < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(next) + 1);
    return item;
}

int CListCtrl::FindItem(const LVFINDINFO* find, int start) const
{
    QxListModel* m = Model(GetWidget());
    if (!m || !find)
        return -1;
    const QString text = ToQString(find->psz);
    for (int i = std::max(start + 1, 0); i < static_cast<int>(m->rows.size()); ++i) {
        const ListRow& r = m->rows[static_cast<size_t>(i)];
        if ((find->flags & LVFI_PARAM) && r.data == static_cast<DWORD_PTR>(find->lParam))
            return i;
        if (find->flags & (LVFI_STRING | LVFI_PARTIAL)) {
            const QString label = r.texts.empty() ? QString() : r.texts[0];
            const bool hit = (find->flags & LVFI_PARTIAL) ? label.startsWith(text, Qt::CaseInsensitive)
                                                          : label.compare(text, Qt::CaseInsensitive) == 0;
            if (hit)
                return i;
        }
    }
    return -1;
}

static QRect ToClient(QTreeView* t, const QRect& viewportRect)
{
    return viewportRect.translated(t->viewport()->mapTo(t, QPoint(0, 0)));
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT code) const
{
    QTreeView* t = Tree(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!t || !m || !rect || item < 0 || item >= static_cast<int>(m->rows.size()) || m->columns.empty())
        return FALSE;
    const QRect cell = t->visualRect(m->index(item, 0));
    QRect r = cell;
    if (code == LVIR_BOUNDS)
        r = QRect(-t->header()->offset(), cell.top(), t->header()->length(), cell.height());
    *rect = FromQRect(ToClient(t, r));
    return TRUE;
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, UINT, CRect& rect) const
{
    QTreeView* t = Tree(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!t || !m || item < 0 || item >= static_cast<int>(m->rows.size()) || subItem < 0 ||
        subItem >= static_cast<int>(m->columns.size()))
        return FALSE;
    rect = FromQRect(ToClient(t, t->visualRect(m->index(item, subItem))));
    return TRUE;
}

int CListCtrl::SubItemHitTest(LVHITTESTINFO* info) const
{
    QTreeView* t = Tree(GetWidget());
    if (!t || !info)
        return -1;
    const QPoint vp = t->viewport()->mapFrom(t, QPoint(info->pt.x, info->pt.y));
    const QModelIndex i = t->indexAt(vp);
    if (!i.isValid()) {
        info->iItem = -1;
        info->iSubItem = 0;
        info->flags = vp.y() < 0 ? LVHT_ABOVE : LVHT_NOWHERE;
        return -1;
    }
    info->iItem = i.row();
    info->iSubItem = i.column();
    info->flags = LVHT_ONITEMLABEL;
    return i.row();
}

int CListCtrl::HitTest(LVHITTESTINFO* info) const
{
    const int item = SubItemHitTest(info);
    if (info)
        info->iSubItem = 0;
    return item;
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const
{
    LVHITTESTINFO info;
    info.pt = point;
    const int item = HitTest(&info);
    if (flags)
        *flags = info.flags;
    return item;
}

BOOL CListCtrl::EnsureVisible(int item, BOOL partialOk)
{
    QTreeView* t = Tree(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!t || !m || item < 0 || item >= static_cast<int>(m->rows.size()))
        return FALSE;
    const QModelIndex i = m->index(item, 0);
    if (partialOk && t->viewport()->rect().intersects(t->visualRect(i)))
        return TRUE;
    t->scrollTo(i, QAbstractItemView::EnsureVisible);
    return TRUE;
}

int CListCtrl::GetTopIndex() const
{
    QTreeView* t = Tree(GetWidget());
    if (!t)
        return 0;
    const QModelIndex i = t->indexAt(QPoint(1, 1));
    return i.isValid() ? i.row() : 0;
}

int CListCtrl::GetCountPerPage() const
{
    QTreeView* t = Tree(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!t || !m)
        return 0;
    int rowHeight = t->fontMetrics().height() + 4;
    if (!m->rows.empty() && !m->columns.empty())
        rowHeight = std::max(t->visualRect(m->index(GetTopIndex(), 0)).height(), 1);
    return std::max(t->viewport()->height() / rowHeight, 1);
}

BOOL CListCtrl::Scroll(CSize size)
{
    QTreeView* t = Tree(GetWidget());
    if (!t)
        return FALSE;
    t->horizontalScrollBar()->setValue(t->horizontalScrollBar()->value() + size.cx);
    const int rowHeight = std::max(t->fontMetrics().height(), 1);
    if (size.cy != 0)
        t->verticalScrollBar()->setValue(t->verticalScrollBar()->value() +
                                         (size.cy > 0 ? std::max(size.cy / rowHeight, 1) : std::min(size.cy / rowHeight, -1)));
    return TRUE;
}

BOOL CListCtrl::RedrawItems(int first, int last)
{
    if (QxListModel* m = Model(GetWidget())) {
        m->RowsChanged(first, last);
        return TRUE;
    }
    return FALSE;
}

BOOL CListCtrl::Update(int item)
{
    return RedrawItems(item, item);
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE compare, DWORD_PTR parameter)
{
    if (!compare)
        return FALSE;
    return SortItems([compare, parameter](DWORD_PTR a, DWORD_PTR b) {
        return compare(static_cast<LPARAM>(a), static_cast<LPARAM>(b), static_cast<LPARAM>(parameter));
    });
}

BOOL CListCtrl::SortItems(const std::function<int(DWORD_PTR, DWORD_PTR)>& compare)
{
    const ProgramChange change(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!m || !compare)
        return FALSE;
    const auto& rows = m->rows;
    m->Sort([&](size_t a, size_t b) { return compare(rows[a].data, rows[b].data) < 0; });
    LayOutRows(GetWidget());
    return TRUE;
}

BOOL CListCtrl::SortItemsEx(PFNLVCOMPARE compare, DWORD_PTR parameter)
{
    const ProgramChange change(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!m || !compare)
        return FALSE;
    m->Sort([&](size_t a, size_t b) {
        return compare(static_cast<LPARAM>(a), static_cast<LPARAM>(b), static_cast<LPARAM>(parameter)) < 0;
    });
    LayOutRows(GetWidget());
    return TRUE;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style)
{
    QTreeView* t = Tree(GetWidget());
    if (!t)
        return 0;
    const DWORD old = GetExtendedStyle();
    t->setProperty("qxExStyle", static_cast<uint>(style));
    t->header()->setSectionsMovable((style & LVS_EX_HEADERDRAGDROP) != 0);
    if (auto* view = dynamic_cast<QxTreeView*>(t))
        view->grid = (style & LVS_EX_GRIDLINES) != 0;
    t->viewport()->update();
    return old;
}

DWORD CListCtrl::GetExtendedStyle() const
{
    QTreeView* t = Tree(GetWidget());
    return t ? static_cast<DWORD>(t->property("qxExStyle").toUInt()) : 0;
}

BOOL CListCtrl::SetTextColor(COLORREF color)
{
    QTreeView* t = Tree(GetWidget());
    if (!t)
        return FALSE;
    QPalette p = t->palette();
    p.setColor(QPalette::Text, ToQColor(color));
    t->setPalette(p);
    return TRUE;
}

COLORREF CListCtrl::GetTextColor() const
{
    QTreeView* t = Tree(GetWidget());
    return t ? FromQColor(t->palette().color(QPalette::Text)) : 0;
}

BOOL CListCtrl::SetBkColor(COLORREF color)
{
    QTreeView* t = Tree(GetWidget());
    if (!t)
        return FALSE;
    QPalette p = t->palette();
    p.setColor(QPalette::Base, ToQColor(color));
    t->setPalette(p);
    return TRUE;
}

COLORREF CListCtrl::GetBkColor() const
{
    QTreeView* t = Tree(GetWidget());
    return t ? FromQColor(t->palette().color(QPalette::Base)) : 0;
}

BOOL CListCtrl::SetTextBkColor(COLORREF color)
{
    return SetBkColor(color);
}

BOOL CListCtrl::EditLabel(int item)
{
    const ProgramChange change(GetWidget());
    QTreeView* t = Tree(GetWidget());
    QxListModel* m = Model(GetWidget());
    if (!t || !m || !m->editLabels || item < 0 || item >= static_cast<int>(m->rows.size()) || m->columns.empty())
        return FALSE;
    const QModelIndex i = m->index(item, 0);
    t->setCurrentIndex(i);
    t->edit(i);
    auto* view = dynamic_cast<QxTreeView*>(t);
    return view && view->IsEditing() ? TRUE : FALSE;
}

void CListCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

void CListCtrl::MeasureItem(LPMEASUREITEMSTRUCT) {}
