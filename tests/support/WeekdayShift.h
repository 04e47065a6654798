// Whole days to move a clock by so that its exchange date is a weekday.
#pragma once

#include <cstdint>

namespace qx::testsupport {

// 0 on a weekday (exchange time); on a Saturday or Sunday the days back to the Friday
// before (-1 or -2). Going back keeps the shifted clock in the past of the real one.
int DaysBackToWeekday(int64_t unixSeconds);

// Seconds to move a clock by so that its exchange time of day is 12:00 (inside the regular
// session; the date may move by a day, which DaysBackToWeekday then corrects).
int64_t SecondsToNoon(int64_t unixSeconds);

} // namespace qx::testsupport
