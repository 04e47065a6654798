#include "common/windows/CPaneSplitterWnd.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include <QWidget>

BOOL CPaneSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id)
{
    m_maxRows = std::clamp(rows, 1, static_cast<int>(kMaxPanes));
    return CSplitterWnd::CreateStatic(parent, 1, cols, style, id);
}

BOOL CPaneSplitterWnd::InsertRow(const CRuntimeClass* viewClass, int index, CCreateContext* context, int height)
{
    if (GetRowCount() >= m_maxRows)
        return FALSE;
    const std::vector<int> before = GetPaneSizes();
    if (!CSplitterWnd::InsertRow(index, viewClass, m_minHeight, context))
        return FALSE;
    SetRowInfo(index, m_minHeight, m_minHeight);
    const int was = std::accumulate(before.begin(), before.end(), 0);
    RecalcLayout();
    // The room left for the rows once the new row's handle is in.
    const std::vector<int> now = GetPaneSizes();
    const int total = std::accumulate(now.begin(), now.end(), 0);
    if (was <= 0 || total <= 0 || index < 0 || index > static_cast<int>(before.size()))
        return TRUE;
    const int rows = static_cast<int>(before.size()) + 1;
    const int wanted = std::max(m_minHeight, std::min(height > 0 ? height : m_minHeight, total / rows));
    // A row keeps the height asked for when it had it; what such rows do not give comes
    // from the largest row.
    std::vector<int> sizes;
    for (int size : before)
        sizes.push_back(std::max(std::min(size, wanted), static_cast<int>(std::lround(size * double(total - wanted) / was))));
    int excess = std::accumulate(sizes.begin(), sizes.end(), wanted) - total;
    while (excess > 0) {
        const auto largest = std::max_element(sizes.begin(), sizes.end());
        const int given = std::min(excess, *largest - wanted);
        if (given <= 0)
            break;
        *largest -= given;
        excess -= given;
    }
    sizes.insert(sizes.begin() + index, wanted);
    SetPaneSizes(sizes);
    return TRUE;
}

BOOL CPaneSplitterWnd::DeleteRow(int index)
{
    if (index < 0 || index >= GetRowCount())
        return FALSE;
    return CSplitterWnd::DeleteRow(index);
}

std::vector<double> CPaneSplitterWnd::GetProportions() const
{
    const std::vector<int> sizes = GetPaneSizes();
    const double total = std::accumulate(sizes.begin(), sizes.end(), 0.0);
    std::vector<double> proportions;
    for (int size : sizes)
        proportions.push_back(total > 0 ? size / total : 1.0 / static_cast<double>(sizes.size()));
    return proportions;
}

bool CPaneSplitterWnd::SaveProportions(CArchive& ar) const
{
    try {
        const std::vector<double> proportions = GetProportions();
        ar << static_cast<DWORD>(proportions.size());
        for (double p : proportions)
            ar << p;
    } catch (CException&) {
        return false;
    }
    return true;
}

bool CPaneSplitterWnd::LoadProportions(CArchive& ar)
{
    // Every stored proportion is read, whatever the row count, so that what follows in
    // the archive is read from its place.
    std::vector<double> proportions;
    try {
        const DWORD count = ar.ReadBoundedCount(sizeof(double));
        proportions.resize(count);
        for (double& p : proportions)
            ar >> p;
    } catch (CException&) {
        return false;
    }
    SetProportions(proportions);
    return true;
}

bool CPaneSplitterWnd::SetProportions(const std::vector<double>& proportions)
{
    if (proportions.size() != static_cast<size_t>(GetRowCount()))
        return false;
    for (double p : proportions)
        if (!std::isfinite(p) || p < 0.0 || p > 1.0)
            return false;
    // A splitter not on screen yet (a frame being filled) has no height of its own: the
    // rows are laid out by the fractions again once it is shown at its size.
    const QWidget* widget = GetWidget();
    m_pending.clear();
    if (!widget || !widget->isVisible())
        m_pending = proportions;
    LayOutBy(proportions);
    return true;
}

void CPaneSplitterWnd::LayOutBy(const std::vector<double>& proportions)
{
    const std::vector<int> current = GetPaneSizes();
    int total = std::accumulate(current.begin(), current.end(), 0);
    if (total < GetRowCount() * m_minHeight)
        total = 10000;
    std::vector<int> sizes;
    for (double p : proportions)
        sizes.push_back(std::max(1, static_cast<int>(std::lround(p * total))));
    SetPaneSizes(sizes);
    RecalcLayout();
}

void CPaneSplitterWnd::OnSize(UINT type, int cx, int cy)
{
    CSplitterWnd::OnSize(type, cx, cy);
    ApplyPending();
}

void CPaneSplitterWnd::OnShowWindow(BOOL show, UINT status)
{
    CSplitterWnd::OnShowWindow(show, status);
    ApplyPending();
}

void CPaneSplitterWnd::ApplyPending()
{
    const QWidget* widget = GetWidget();
    if (m_pending.empty() || !widget || !widget->isVisible() || widget->height() <= 0)
        return;
    const std::vector<double> proportions = std::move(m_pending);
    m_pending.clear();
    if (proportions.size() == static_cast<size_t>(GetRowCount()))
        LayOutBy(proportions);
}
