#include "tests/support/CAllDayServices.h"

#include "analytics/series/ISeriesServices.h"

namespace qx::testsupport {

CAllDayServices::CAllDayServices()
{
    m_rules.regular = {1, 0, 24 * 60};
    m_rules.extended = {1, 0, 24 * 60};
    SetSeriesServices(this);
}

CAllDayServices::~CAllDayServices()
{
    SetSeriesServices(nullptr);
}

} // namespace qx::testsupport
