#include "analytics/studies/CStudyValues.h"

#include "analytics/studies/StudyTable.h"

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
