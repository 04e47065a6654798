// Feed times: 2-second units since 1950-01-01 00:00:00, on the exchange's wall clock.
#pragma once

#include "platform/core/CTime.h"

#include <cstdint>

using FEEDTIME = uint32_t;

// Seconds of the feed epoch on the naive (zone-less) calendar counted from 1970.
inline constexpr int64_t kFeedEpochSeconds = -631152000;  // 1950-01-01 00:00:00

void FeedTimeToDate(FEEDTIME feedTime, int& year, int& month, int& day);
void FeedTimeToTimeOfDay(FEEDTIME feedTime, int& hour, int& minute, int& second);
// 0 when the date and time are invalid or outside the feed time range.
FEEDTIME DateTimeToFeedTime(int year, int month, int day, int hour, int minute, int second);
// The feed time of a wall-clock date and time (0 as DateTimeToFeedTime).
FEEDTIME SystemTimeToFeedTime(const SYSTEMTIME& time);
// The feed time's calendar fields as a local CTime (daylight saving left to the time zone).
CTime FeedTimeToCTime(FEEDTIME feedTime);
// A local CTime of the given fields (daylight saving left to the time zone).
CTime MakeCTime(int year, int month, int day, int hour, int minute, int second);
// year * 10000 + month * 100 + day.
constexpr int MakeDateNumber(int year, int month, int day)
{
    return year * 10000 + month * 100 + day;
}

// Naive calendar seconds (as if UTC) of a feed time, and back (rounded down to 2 s;
// 0 outside the range).
int64_t FeedTimeToNaiveSeconds(FEEDTIME feedTime);
FEEDTIME NaiveSecondsToFeedTime(int64_t seconds);
