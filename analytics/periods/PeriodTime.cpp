#include "analytics/periods/PeriodTime.h"

#include "platform/core/CivilDate.h"
#include "platform/core/WinTypes.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <unordered_map>

namespace periods {

namespace {

constexpr int64_t kDay = 86400;
// The days from 1970 to 2038 and some.
constexpr size_t kMaxSeenDays = 32768;

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// The zone's offset on one local calendar day.
struct ZoneDay {
    int64_t day = INT64_MIN;
    int64_t midnight = 0; // the day's start
    int64_t offset = 0;   // local minus universal seconds
    bool uniform = false; // one offset from midnight to midnight
};

// The zone as tzset left it: its offset and names, and the TZ text it came from (zones
// alike in those may change their clocks on other days).
struct ZoneName {
    long utcOffset = 0;
    int daylight = -1;
    char names[2][16] = {};
    std::string rules;
    bool operator==(const ZoneName& o) const
    {
        return utcOffset == o.utcOffset && daylight == o.daylight && std::memcmp(names, o.names, sizeof names) == 0 &&
               rules == o.rules;
    }
};

// Days of the process's zone, per thread; once tzset has taken another zone (its offset or
// names), they are asked for anew.
struct ZoneDays {
    ZoneName zone;
    int64_t lastOffset = 0;
    // Two ways per set: days a multiple of the set count apart (the layout's and today's, say)
    // do not push each other out.
    std::array<ZoneDay, 64> days;
    std::array<BYTE, 32> older{}; // the way to replace next
};

// Every day any thread asked the C library for, shared: a pass over more days than the sets
// hold (a long layout), or a new thread, asks once per day and zone, not once per pass.
class SeenDays {
public:
    std::optional<ZoneDay> Find(const ZoneName& zone, int64_t day) const
    {
        std::shared_lock lock(m_lock);
        if (!(zone == m_zone))
            return std::nullopt;
        const auto found = m_days.find(day);
        return found == m_days.end() ? std::nullopt : std::optional<ZoneDay>(found->second);
    }
    void Add(const ZoneName& zone, const ZoneDay& e)
    {
        std::unique_lock lock(m_lock);
        if (!(zone == m_zone)) {
            m_days.clear();
            m_zone = zone;
        }
        if (m_days.size() < kMaxSeenDays)
            m_days.emplace(e.day, e);
    }

private:
    mutable std::shared_mutex m_lock;
    ZoneName m_zone;
    std::unordered_map<int64_t, ZoneDay> m_days;
};

SeenDays& Seen()
{
    static SeenDays seen;
    return seen;
}

thread_local ZoneDays t_zone;

bool SameName(const char* kept, const char* name)
{
    return name ? std::strncmp(kept, name, 15) == 0 : kept[0] == 0;
}

ZoneDays& Zone()
{
    const ZoneName& kept = t_zone.zone;
    if (kept.utcOffset != timezone || kept.daylight != daylight || !SameName(kept.names[0], tzname[0]) ||
        !SameName(kept.names[1], tzname[1])) {
        if (kept.daylight < 0)
            tzset(); // the zone's globals hold it from here on
        t_zone = ZoneDays();
        t_zone.zone.utcOffset = timezone;
        t_zone.zone.daylight = daylight;
        for (int i = 0; i < 2; ++i)
            if (tzname[i])
                std::strncpy(t_zone.zone.names[i], tzname[i], 15);
        if (const char* rules = std::getenv("TZ"))
            t_zone.zone.rules = rules;
    }
    return t_zone;
}

int64_t LocalMidnight(int64_t day)
{
    const CivilDate d = CivilFromDays(day);
    struct tm parts {};
    parts.tm_year = d.year - 1900;
    parts.tm_mon = d.month - 1;
    parts.tm_mday = d.day;
    parts.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&parts));
}

const ZoneDay& DayOfZone(ZoneDays& zone, int64_t day)
{
    const size_t set = static_cast<size_t>(day & 31);
    ZoneDay* ways = &zone.days[set * 2];
    if (ways[0].day == day) {
        zone.older[set] = 1;
        return ways[0];
    }
    if (ways[1].day == day) {
        zone.older[set] = 0;
        return ways[1];
    }
    ZoneDay& e = ways[zone.older[set]];
    zone.older[set] ^= 1;
    if (const auto known = Seen().Find(zone.zone, day)) {
        e = *known;
        return e;
    }
    const int64_t start = LocalMidnight(day), next = LocalMidnight(day + 1);
    e.day = day;
    e.midnight = start;
    e.offset = day * kDay - start;
    e.uniform = next - start == kDay && (day + 1) * kDay - next == e.offset;
    Seen().Add(zone.zone, e);
    return e;
}

} // namespace

int64_t LocalNaiveSeconds(CTime time)
{
    ZoneDays& zone = Zone();
    const int64_t t = time.GetTime();
    int64_t day = FloorDiv(t + zone.lastOffset, kDay);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const ZoneDay& e = DayOfZone(zone, day);
        if (e.uniform && t >= e.midnight && t < e.midnight + kDay) {
            zone.lastOffset = e.offset;
            return t + e.offset;
        }
        day = FloorDiv(t + e.offset, kDay);
    }
    // A day the offset changes in.
    const struct tm parts = time.GetLocalTm();
    return DaysFromCivil(parts.tm_year + 1900, static_cast<unsigned>(parts.tm_mon + 1),
                         static_cast<unsigned>(parts.tm_mday)) *
               kDay +
           parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec;
}

CTime TimeOfLocalNaiveSeconds(int64_t naive)
{
    const int64_t day = FloorDiv(naive, kDay);
    const ZoneDay& e = DayOfZone(Zone(), day);
    if (e.uniform)
        return CTime(naive - e.offset);
    const CivilDate d = CivilFromDays(day);
    const int64_t ofDay = naive - day * kDay;
    return CTime(d.year, d.month, d.day, static_cast<int>(ofDay / 3600), static_cast<int>(ofDay / 60 % 60),
                 static_cast<int>(ofDay % 60));
}

bool UniformDayOffset(int64_t day, int64_t& offset)
{
    const ZoneDay& e = DayOfZone(Zone(), day);
    offset = e.offset;
    return e.uniform;
}

CTime GetLowerTimeLimit()
{
    static const CTime limit(1970, 1, 2, 0, 0, 0);
    return limit;
}

CTime GetUpperTimeLimit()
{
    static const CTime limit(2038, 1, 2, 0, 0, 0);
    return limit;
}

int64_t LocalDayNumber(CTime time)
{
    return FloorDiv(LocalNaiveSeconds(time), kDay);
}

void DayFields(int64_t day, int& year, int& month, int& dayOfMonth)
{
    const CivilDate d = CivilFromDays(day);
    year = d.year;
    month = d.month;
    dayOfMonth = d.day;
}

int DayOfWeek(int64_t day)
{
    return WeekdayFromDays(day);
}

CTime TimeOnDay(int64_t day, int minutes)
{
    return TimeOfLocalNaiveSeconds(day * kDay + static_cast<int64_t>(minutes) * 60);
}

int SecondsOfDay(CTime time)
{
    const int64_t naive = LocalNaiveSeconds(time);
    return static_cast<int>(naive - FloorDiv(naive, kDay) * kDay);
}

namespace {

int Sign(int64_t v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

} // namespace

int CompareDay(CTime a, CTime b)
{
    return Sign(LocalDayNumber(a) - LocalDayNumber(b));
}

int CompareWeek(CTime a, CTime b)
{
    const int64_t da = LocalDayNumber(a), db = LocalDayNumber(b);
    return Sign((da - DayOfWeek(da)) - (db - DayOfWeek(db)));
}

int CompareMonth(CTime a, CTime b)
{
    const struct tm ta = a.GetLocalTm(), tb = b.GetLocalTm();
    return Sign((ta.tm_year * 12 + ta.tm_mon) - static_cast<int64_t>(tb.tm_year * 12 + tb.tm_mon));
}

int CompareTimeOfDay(CTime a, CTime b)
{
    return Sign(SecondsOfDay(a) - SecondsOfDay(b));
}

bool IsTimeBetween(CTime time, CTime first, CTime last)
{
    return first <= time && time <= last;
}

} // namespace periods
