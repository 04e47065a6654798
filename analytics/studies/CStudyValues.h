// The study of a study series: its type, its four parameters (the interval is not among
// them) and its output count. The series keeps the study's values beside its records
// (CSeriesStudy), one per record.
#pragma once

class CStudyValues {
public:
    explicit CStudyValues(int type);

    int GetType() const { return m_type; }
    int GetOutputCount() const { return m_nOutputs; }

    double GetParam(int index) const { return index >= 0 && index < 4 ? m_params[index] : 0.0; }
    void SetParam(int index, double value);
    const double* GetParams() const { return m_params; }

private:
    double m_params[4] = {0, 0, 0, 0};
    int m_type = 0;
    int m_nOutputs = 0;
};
