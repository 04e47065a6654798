// The parameters of a study series' study and a value matrix of rows x outputs. A series
// keeps its study's values beside its records instead (CSeriesStudy), one per record.
#pragma once

#include "platform/core/WinTypes.h"

#include <vector>

class CStudyValues {
public:
    explicit CStudyValues(int type);

    int GetType() const { return m_type; }
    int GetOutputCount() const { return m_nOutputs; }
    int GetRowCount() const { return m_nRows; }
    int GetWarmUpCount() const { return m_nWarmUp; }

    double GetParam(int index) const { return index >= 0 && index < 4 ? m_params[index] : 0.0; }
    void SetParam(int index, double value);
    const double* GetParams() const { return m_params; }

    // Replaces the matrix by rows x outputs cleared cells; returns the warm-up count.
    int Allocate(int rows);

    void Set(int row, int output, double value);
    // Marks a cell as computed without a value, so it is not computed again.
    void SetNoValue(int row, int output);
    bool Get(int row, int output, double& value) const;
    // True when the cell holds a value or is known to have none.
    bool IsKnown(int row, int output) const;

    void ClearRange(int first, int last);
    void ClearAll();

private:
    enum : BYTE { kUnknown = 0, kValid = 1, kNoValue = 2 };
    struct Cell {
        BYTE state = kUnknown;
        double value = 0;
    };
    const Cell* CellAt(int row, int output) const;

    double m_params[4] = {0, 0, 0, 0};
    std::vector<Cell> m_cells;
    int m_type = 0;
    int m_nWarmUp = 0;
    int m_nRows = 0;
    int m_nOutputs = 0;
};
