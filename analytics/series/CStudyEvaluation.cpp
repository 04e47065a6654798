#include "analytics/series/CStudyEvaluation.h"

#include "analytics/series/SeriesFactory.h"
#include "analytics/studies/StudyTable.h"

CStudyEvaluation::CStudyEvaluation(int type) : m_nType(type) {}

CStudyEvaluation::~CStudyEvaluation()
{
    ReleasePriceSeries(m_pCompanion);
    ReleasePriceSeries(m_pStudySeries);
}
