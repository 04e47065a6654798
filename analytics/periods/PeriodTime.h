// Calendar helpers of the bar periods: time limits, local calendar days and the day,
// week and month comparisons the series uses to match history rows.
#pragma once

#include "platform/core/CTime.h"

#include <cstdint>

namespace periods {

// No period steps outside [1970-01-02 00:00, 2038-01-02 00:00] (local time).
CTime GetLowerTimeLimit();
CTime GetUpperTimeLimit();

// Local calendar seconds of a time, counted as if from 1970-01-01 00:00 UTC, and the time of
// such a count (daylight saving resolved as mktime resolves it). The zone's offset is kept
// per calendar day: the C library is asked once for each day, not for each conversion.
int64_t LocalNaiveSeconds(CTime time);
CTime TimeOfLocalNaiveSeconds(int64_t naive);
// The zone's offset (local minus universal seconds) on a local calendar day; false when
// the offset changes during the day.
bool UniformDayOffset(int64_t day, int64_t& offset);

// Local calendar day count since 1970-01-01 of a time, and the fields of a day.
int64_t LocalDayNumber(CTime time);
void DayFields(int64_t day, int& year, int& month, int& dayOfMonth);
int DayOfWeek(int64_t day); // 0 Sunday
// Local time at minutes after midnight of a day (1440 gives the next midnight).
CTime TimeOnDay(int64_t day, int minutes);
// Seconds after local midnight.
int SecondsOfDay(CTime time);

// -1, 0, 1 by (year, month, day); by the Sundays that start the weeks; by (year, month).
int CompareDay(CTime a, CTime b);
int CompareWeek(CTime a, CTime b);
int CompareMonth(CTime a, CTime b);
// -1, 0, 1 by (hour, minute, second).
int CompareTimeOfDay(CTime a, CTime b);
// True when first <= time <= last.
bool IsTimeBetween(CTime time, CTime first, CTime last);

} // namespace periods
