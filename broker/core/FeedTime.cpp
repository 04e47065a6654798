#include "broker/core/FeedTime.h"

#include "platform/core/CivilDate.h"

#include <limits>

namespace {
constexpr int64_t kSecondsPerDay = 86400;

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}
}  // namespace

int64_t FeedTimeToNaiveSeconds(FEEDTIME feedTime)
{
    return kFeedEpochSeconds + static_cast<int64_t>(feedTime) * 2;
}

FEEDTIME NaiveSecondsToFeedTime(int64_t seconds)
{
    const int64_t units = floorDiv(seconds - kFeedEpochSeconds, 2);
    if (units < 0 || units > std::numeric_limits<FEEDTIME>::max())
        return 0;
    return static_cast<FEEDTIME>(units);
}

void FeedTimeToDate(FEEDTIME feedTime, int& year, int& month, int& day)
{
    const CivilDate date = CivilFromDays(floorDiv(FeedTimeToNaiveSeconds(feedTime), kSecondsPerDay));
    year = date.year;
    month = date.month;
    day = date.day;
}

void FeedTimeToTimeOfDay(FEEDTIME feedTime, int& hour, int& minute, int& second)
{
    const int64_t seconds = FeedTimeToNaiveSeconds(feedTime);
    const int64_t ofDay = seconds - floorDiv(seconds, kSecondsPerDay) * kSecondsPerDay;
    hour = static_cast<int>(ofDay / 3600);
    minute = static_cast<int>(ofDay / 60 % 60);
    second = static_cast<int>(ofDay % 60);
}

FEEDTIME DateTimeToFeedTime(int year, int month, int day, int hour, int minute, int second)
{
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return 0;
    const int64_t seconds = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) *
                                kSecondsPerDay +
                            hour * 3600 + minute * 60 + second;
    return NaiveSecondsToFeedTime(seconds);
}

FEEDTIME SystemTimeToFeedTime(const SYSTEMTIME& time)
{
    return DateTimeToFeedTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
}

CTime FeedTimeToCTime(FEEDTIME feedTime)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    FeedTimeToDate(feedTime, year, month, day);
    FeedTimeToTimeOfDay(feedTime, hour, minute, second);
    return MakeCTime(year, month, day, hour, minute, second);
}

CTime MakeCTime(int year, int month, int day, int hour, int minute, int second)
{
    return CTime(year, month, day, hour, minute, second, -1);
}
