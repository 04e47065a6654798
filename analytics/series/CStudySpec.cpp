#include "analytics/series/CStudySpec.h"

#include "analytics/series/SeriesFactory.h"
#include "analytics/studies/StudyTable.h"

CStudySpec::CStudySpec(int type) : m_nType(type) {}

CStudySpec::~CStudySpec()
{
    ReleasePriceSeries(m_pCompanion);
    ReleasePriceSeries(m_pStudySeries);
}
