// Broken-down calendar time as the framework passes it around.
#pragma once

#include "platform/core/WinTypes.h"

#include <cstdint>

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;  // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

// Current local and UTC time, to the millisecond.
void GetLocalTime(SYSTEMTIME* out);
void GetSystemTime(SYSTEMTIME* out);

// Wall-clock fields in no time zone: seconds counted on the calendar alone from
// 1970-01-01 00:00, and back (milliseconds dropped).
int64_t WallClockSeconds(const SYSTEMTIME& time);
SYSTEMTIME WallClockOfSeconds(int64_t seconds);
// The date of one and the time of day of the other.
SYSTEMTIME CombineDateAndTime(const SYSTEMTIME& date, const SYSTEMTIME& time);
