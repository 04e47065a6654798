// A point in time: 64-bit seconds since 1970-01-01 UTC. Calendar fields use local time.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CTimeSpan.h"
#include "platform/core/SystemTime.h"

#include <compare>
#include <cstdint>
#include <ctime>

class CTime {
public:
    constexpr CTime() = default;
    constexpr explicit CTime(int64_t seconds) : m_time(seconds) {}
    // Local date and time; dst < 0 lets the time zone decide, 0 standard, > 0 daylight time.
    CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);
    explicit CTime(const SYSTEMTIME& st, int dst = -1);

    static CTime GetCurrentTime();

    constexpr int64_t GetTime() const { return m_time; }
    int GetYear() const { return GetLocalTm().tm_year + 1900; }
    int GetMonth() const { return GetLocalTm().tm_mon + 1; }
    int GetDay() const { return GetLocalTm().tm_mday; }
    int GetHour() const { return GetLocalTm().tm_hour; }
    int GetMinute() const { return GetLocalTm().tm_min; }
    int GetSecond() const { return GetLocalTm().tm_sec; }
    int GetDayOfWeek() const { return GetLocalTm().tm_wday + 1; }  // 1 = Sunday

    struct tm GetLocalTm() const;
    struct tm GetGmtTm() const;
    struct tm* GetLocalTm(struct tm* out) const;
    struct tm* GetGmtTm(struct tm* out) const;
    bool GetAsSystemTime(SYSTEMTIME& st) const;

    // strftime codes, in local time and in UTC.
    CString Format(const char* format) const;
    CString FormatGmt(const char* format) const;

    constexpr CTime operator+(CTimeSpan span) const { return CTime(m_time + span.GetTimeSpan()); }
    constexpr CTime operator-(CTimeSpan span) const { return CTime(m_time - span.GetTimeSpan()); }
    constexpr CTimeSpan operator-(CTime other) const { return CTimeSpan(m_time - other.m_time); }
    constexpr CTime& operator+=(CTimeSpan span)
    {
        m_time += span.GetTimeSpan();
        return *this;
    }
    constexpr CTime& operator-=(CTimeSpan span)
    {
        m_time -= span.GetTimeSpan();
        return *this;
    }
    constexpr auto operator<=>(const CTime&) const = default;

private:
    int64_t m_time = 0;
};
