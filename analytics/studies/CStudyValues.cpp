#include "analytics/studies/CStudyValues.h"

#include "analytics/studies/StudyTable.h"

#include <algorithm>

CStudyValues::CStudyValues(int type) : m_type(type)
{
    const studies::StudyTableRow* row = studies::GetStudyRow(type);
    m_nOutputs = row ? row->outputCount : 0;
}

void CStudyValues::SetParam(int index, double value)
{
    if (index >= 0 && index < 4)
        m_params[index] = value;
}

int CStudyValues::Allocate(int rows)
{
    rows = std::max(rows, 0);
    m_cells.assign(static_cast<size_t>(rows) * static_cast<size_t>(m_nOutputs), Cell{});
    m_nRows = rows;
    m_nWarmUp = studies::ComputeWarmUpCount(m_type, m_params);
    return m_nWarmUp;
}

const CStudyValues::Cell* CStudyValues::CellAt(int row, int output) const
{
    if (m_cells.empty() || output < 0 || output >= m_nOutputs || row < 0 || row >= m_nRows)
        return nullptr;
    return &m_cells[static_cast<size_t>(row) * m_nOutputs + output];
}

void CStudyValues::Set(int row, int output, double value)
{
    if (Cell* cell = const_cast<Cell*>(CellAt(row, output))) {
        cell->value = value;
        cell->state = kValid;
    }
}

void CStudyValues::SetNoValue(int row, int output)
{
    if (Cell* cell = const_cast<Cell*>(CellAt(row, output))) {
        cell->value = 0;
        cell->state = kNoValue;
    }
}

bool CStudyValues::Get(int row, int output, double& value) const
{
    const Cell* cell = CellAt(row, output);
    if (!cell || cell->state != kValid)
        return false;
    value = cell->value;
    return true;
}

bool CStudyValues::IsKnown(int row, int output) const
{
    const Cell* cell = CellAt(row, output);
    return cell && cell->state != kUnknown;
}

void CStudyValues::ClearRange(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, m_nRows - 1);
    for (int r = first; r <= last; ++r)
        for (int o = 0; o < m_nOutputs; ++o)
            m_cells[static_cast<size_t>(r) * m_nOutputs + o] = Cell{};
}

void CStudyValues::ClearAll()
{
    ClearRange(0, m_nRows - 1);
}
