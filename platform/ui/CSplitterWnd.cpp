#include "platform/ui/CSplitterWnd.h"

#include "platform/ui/CCreateContext.h"
#include "platform/ui/CDocument.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CView.h"
#include "platform/ui/QxWindowHost.h"

#include <QSplitter>

namespace {
QSplitter* Splitter(QWidget* w)
{
    return qobject_cast<QSplitter*>(w);
}
}  // namespace

CSplitterWnd::CSplitterWnd() = default;
CSplitterWnd::~CSplitterWnd() = default;

QWidget* CSplitterWnd::CreateWidget(QWidget* parent)
{
    auto* s = new QxWindowHost<QSplitter>(this, m_vertical ? Qt::Vertical : Qt::Horizontal, parent);
    s->setChildrenCollapsible(false);
    s->setHandleWidth(4);
    return s;
}

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id)
{
    if (rows < 1 || cols < 1 || rows > kMaxPanes || cols > kMaxPanes || (rows > 1 && cols > 1))
        return FALSE;
    m_vertical = cols == 1;
    const int panes = m_vertical ? rows : cols;
    m_ideal.assign(static_cast<size_t>(panes), 0);
    m_min.assign(static_cast<size_t>(panes), 0);
    return Create(nullptr, "", style, CRect(), parent, id);
}

BOOL CSplitterWnd::CreateView(int row, int col, const CRuntimeClass* viewClass, SIZE initialSize, CCreateContext* context)
{
    QSplitter* s = Splitter(GetWidget());
    const int index = m_vertical ? row : col;
    if (!s || !viewClass || index < 0 || index >= static_cast<int>(m_ideal.size()) || GetPane(row, col))
        return FALSE;
    std::unique_ptr<CView> view = viewClass->CreateAs<CView>();
    if (!view)
        return FALSE;
    const UINT paneId = static_cast<UINT>(IdFromRowCol(row, col));
    if (!view->CreateView(this, paneId, context))
        return FALSE;
    CView* wnd = view.release();  // the view owns itself from here on
    QWidget* w = wnd->GetOuterWidget();
    // Keep the panes in row order.
    int at = 0;
    for (int i = 0; i < s->count(); ++i) {
        CWnd* other = CWnd::FromWidget(s->widget(i));
        if (other && other->GetDlgCtrlID() < static_cast<int>(paneId))
            at = i + 1;
    }
    s->insertWidget(at, w);
    const int size = m_vertical ? initialSize.cy : initialSize.cx;
    m_ideal[static_cast<size_t>(index)] = size;
    RecalcLayout();
    return TRUE;
}

BOOL CSplitterWnd::InsertRow(int index, const CRuntimeClass* viewClass, int height, CCreateContext* context)
{
    QSplitter* s = Splitter(GetWidget());
    if (!s || !m_vertical || s->count() >= kMaxPanes || index < 0 || index > s->count())
        return FALSE;
    // Rows below the insertion move down by one.
    for (int i = s->count() - 1; i >= index; --i)
        if (CWnd* pane = CWnd::FromWidget(s->widget(i)))
            pane->SetDlgCtrlID(IdFromRowCol(i + 1, 0));
    m_ideal.insert(m_ideal.begin() + index, height);
    m_min.insert(m_min.begin() + index, 0);
    if (static_cast<int>(m_ideal.size()) > s->count() + 1) {
        m_ideal.resize(static_cast<size_t>(s->count() + 1));
        m_min.resize(static_cast<size_t>(s->count() + 1));
    }
    if (!CreateView(index, 0, viewClass, SIZE{0, height}, context)) {
        m_ideal.erase(m_ideal.begin() + index);
        m_min.erase(m_min.begin() + index);
        RenumberPanes();
        return FALSE;
    }
    return TRUE;
}

BOOL CSplitterWnd::DeleteRow(int index)
{
    QSplitter* s = Splitter(GetWidget());
    if (!s || index < 0 || index >= s->count())
        return FALSE;
    CWnd* pane = CWnd::FromWidget(s->widget(index));
    std::vector<int> sizes = GetPaneSizes();
    // Out of the splitter first: the widget may only be deleted once the current event ends.
    QWidget* w = s->widget(index);
    w->hide();
    w->setParent(s->parentWidget() ? s->parentWidget() : s);
    if (pane)
        pane->DestroyWindow();
    else
        delete w;
    if (index < static_cast<int>(m_ideal.size())) {
        m_ideal.erase(m_ideal.begin() + index);
        m_min.erase(m_min.begin() + index);
    }
    if (index < static_cast<int>(sizes.size()))
        sizes.erase(sizes.begin() + index);
    RenumberPanes();
    SetPaneSizes(sizes);
    return TRUE;
}

void CSplitterWnd::RenumberPanes()
{
    QSplitter* s = Splitter(GetWidget());
    if (!s)
        return;
    for (int i = 0; i < s->count(); ++i)
        if (CWnd* pane = CWnd::FromWidget(s->widget(i)))
            pane->SetDlgCtrlID(m_vertical ? IdFromRowCol(i, 0) : IdFromRowCol(0, i));
}

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    QSplitter* s = Splitter(GetWidget());
    const int index = m_vertical ? row : col;
    if (!s || index < 0 || index >= s->count() || (m_vertical ? col : row) != 0)
        return nullptr;
    return CWnd::FromWidget(s->widget(index));
}

BOOL CSplitterWnd::IsChildPane(CWnd* wnd, int* row, int* col) const
{
    QSplitter* s = Splitter(GetWidget());
    if (!s || !wnd)
        return FALSE;
    const int i = s->indexOf(wnd->GetOuterWidget());
    if (i < 0)
        return FALSE;
    if (row)
        *row = m_vertical ? i : 0;
    if (col)
        *col = m_vertical ? 0 : i;
    return TRUE;
}

int CSplitterWnd::GetRowCount() const
{
    QSplitter* s = Splitter(GetWidget());
    return m_vertical ? (s ? s->count() : 0) : 1;
}

int CSplitterWnd::GetColumnCount() const
{
    QSplitter* s = Splitter(GetWidget());
    return m_vertical ? 1 : (s ? s->count() : 0);
}

void CSplitterWnd::SetRowInfo(int row, int idealHeight, int minHeight)
{
    if (!m_vertical || row < 0 || row >= static_cast<int>(m_ideal.size()))
        return;
    m_ideal[static_cast<size_t>(row)] = idealHeight;
    m_min[static_cast<size_t>(row)] = minHeight;
    if (CWnd* pane = GetPane(row, 0))
        pane->GetOuterWidget()->setMinimumHeight(std::max(minHeight, 0));
}

void CSplitterWnd::GetRowInfo(int row, int& currentHeight, int& minHeight) const
{
    const std::vector<int> sizes = GetPaneSizes();
    currentHeight = m_vertical && row >= 0 && row < static_cast<int>(sizes.size()) ? sizes[static_cast<size_t>(row)] : 0;
    minHeight = row >= 0 && row < static_cast<int>(m_min.size()) ? m_min[static_cast<size_t>(row)] : 0;
}

void CSplitterWnd::SetColumnInfo(int col, int idealWidth, int minWidth)
{
    if (m_vertical || col < 0 || col >= static_cast<int>(m_ideal.size()))
        return;
    m_ideal[static_cast<size_t>(col)] = idealWidth;
    m_min[static_cast<size_t>(col)] = minWidth;
    if (CWnd* pane = GetPane(0, col))
        pane->GetOuterWidget()->setMinimumWidth(std::max(minWidth, 0));
}

void CSplitterWnd::GetColumnInfo(int col, int& currentWidth, int& minWidth) const
{
    const std::vector<int> sizes = GetPaneSizes();
    currentWidth = !m_vertical && col >= 0 && col < static_cast<int>(sizes.size()) ? sizes[static_cast<size_t>(col)] : 0;
    minWidth = col >= 0 && col < static_cast<int>(m_min.size()) ? m_min[static_cast<size_t>(col)] : 0;
}

std::vector<int> CSplitterWnd::GetPaneSizes() const
{
    QSplitter* s = Splitter(GetWidget());
    std::vector<int> out;
    if (s)
        for (int v : s->sizes())
            out.push_back(v);
    return out;
}

void CSplitterWnd::SetPaneSizes(const std::vector<int>& sizes)
{
    QSplitter* s = Splitter(GetWidget());
    if (!s)
        return;
    QList<int> list;
    for (int v : sizes)
        list << std::max(v, 0);
    s->setSizes(list);
    for (size_t i = 0; i < sizes.size() && i < m_ideal.size(); ++i)
        m_ideal[i] = sizes[i];
}

void CSplitterWnd::RecalcLayout()
{
    QSplitter* s = Splitter(GetWidget());
    if (!s || s->count() == 0)
        return;
    QList<int> list;
    for (int i = 0; i < s->count(); ++i)
        list << (i < static_cast<int>(m_ideal.size()) && m_ideal[static_cast<size_t>(i)] > 0 ? m_ideal[static_cast<size_t>(i)] : 100);
    s->setSizes(list);
}
