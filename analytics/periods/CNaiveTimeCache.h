// Times of local naive seconds (see PeriodTime.h) for a run of conversions that mostly
// stay on one day: the zone's offset is looked up once per day.
#pragma once

#include "analytics/periods/PeriodTime.h"

#include <climits>
#include <cstdint>

class CNaiveTimeCache {
public:
    CTime Of(int64_t naive)
    {
        const int64_t day = naive >= 0 ? naive / kDay : -((-naive + kDay - 1) / kDay);
        if (day != m_day) {
            m_day = day;
            m_uniform = periods::UniformDayOffset(day, m_offset);
        }
        return m_uniform ? CTime(naive - m_offset) : periods::TimeOfLocalNaiveSeconds(naive);
    }

private:
    static constexpr int64_t kDay = 86400;
    int64_t m_day = INT64_MIN;
    int64_t m_offset = 0;
    bool m_uniform = false;
};
