#include "common/windows/CPaneSplitterWnd.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"

#include <algorithm>
#include <cmath>
#include <numeric>

BOOL CPaneSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id)
{
    m_maxRows = std::clamp(rows, 1, static_cast<int>(kMaxPanes));
    return CSplitterWnd::CreateStatic(parent, 1, cols, style, id);
}

BOOL CPaneSplitterWnd::InsertRow(const CRuntimeClass* viewClass, int index, CCreateContext* context)
{
    if (GetRowCount() >= m_maxRows)
        return FALSE;
    if (!CSplitterWnd::InsertRow(index, viewClass, m_minHeight, context))
        return FALSE;
    SetRowInfo(index, m_minHeight, m_minHeight);
    RecalcLayout();
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
    const std::vector<int> current = GetPaneSizes();
    int total = std::accumulate(current.begin(), current.end(), 0);
    if (total <= 0)
        total = 1000;
    std::vector<int> sizes;
    for (double p : proportions)
        sizes.push_back(std::max(1, static_cast<int>(std::lround(p * total))));
    SetPaneSizes(sizes);
    RecalcLayout();
    return true;
}
