// The session's series services with a calendar that trades all day on weekdays, so
// series tests run at any hour. Installed as the series services while it lives.
#pragma once

#include "analytics/series/CSessionSeriesServices.h"
#include "broker/session/CMarketCalendar.h"

namespace qx::testsupport {

class CAllDayServices : public CSessionSeriesServices {
public:
    CAllDayServices();
    ~CAllDayServices() override;
    CAllDayServices(const CAllDayServices&) = delete;
    CAllDayServices& operator=(const CAllDayServices&) = delete;

    const CSessionRules* FindSessionRules(const char*) override { return &m_rules; }

private:
    CSessionRules m_rules;
};

} // namespace qx::testsupport
