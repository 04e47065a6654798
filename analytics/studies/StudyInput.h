// What a study computation reads, and the per-record results it gives.
#pragma once

#include "analytics/studies/CBarRecord.h"
#include "analytics/studies/CEquityRecord.h"

#include <cmath>
#include <limits>
#include <vector>

namespace studies {

// Marks a result without a value inside the computations.
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

inline bool HasValue(double v)
{
    return std::isfinite(v);
}

struct CStudyInput {
    const CBarRecord* records = nullptr;
    int count = 0;
    // "EQTY" only: the backtest's equity curve and each record's end time as a feed time.
    const CEquityRecordArray* equity = nullptr;
    const DWORD* endFeedTimes = nullptr;
};

// Results of one study over every record: outputs x records, kNoValue where none.
class CStudyColumns {
public:
    void Reset(int outputs, int count)
    {
        m_nOutputs = outputs;
        m_nCount = count;
        m_values.assign(static_cast<size_t>(outputs) * static_cast<size_t>(count), kNoValue);
    }
    int GetCount() const { return m_nCount; }
    int GetOutputCount() const { return m_nOutputs; }
    double* Column(int output) { return m_values.data() + static_cast<size_t>(output) * m_nCount; }
    const double* Column(int output) const { return m_values.data() + static_cast<size_t>(output) * m_nCount; }
    bool Get(int record, int output, double& value) const
    {
        if (output < 0 || output >= m_nOutputs || record < 0 || record >= m_nCount)
            return false;
        const double v = Column(output)[record];
        if (!HasValue(v))
            return false;
        value = v;
        return true;
    }

private:
    std::vector<double> m_values;
    int m_nOutputs = 0;
    int m_nCount = 0;
};

} // namespace studies
