// Exchange (US Eastern) time for the test broker: UTC minus 5 hours, minus 4
// inside daylight-saving time.
#pragma once

#include <cstdint>

namespace qx::testbroker {

struct ExchangeTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int weekday = 0;  // 0 Sunday
};

int64_t NowUnixMs();
// The system clock moved by a whole number of days (the broker's own clock).
int64_t ShiftedNowUnixMs(int shiftDays);
ExchangeTime UnixToExchange(int64_t unixSeconds);
// Feed time (2-second units since 1950, exchange time) of a unix time.
uint32_t UnixToFeedTime(int64_t unixSeconds);
// Days since 1970-01-01 of a date, and back.
int64_t DaysFromDate(int year, int month, int day);
void DateFromDays(int64_t days, int& year, int& month, int& day);
int WeekdayOfDays(int64_t days);  // 0 Sunday

}  // namespace qx::testbroker
