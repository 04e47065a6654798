// A signed length of time in whole seconds.
#pragma once

#include "platform/core/CString.h"

#include <compare>
#include <cstdint>

class CTimeSpan {
public:
    constexpr CTimeSpan() = default;
    constexpr explicit CTimeSpan(int64_t seconds) : m_span(seconds) {}
    constexpr CTimeSpan(LONG days, int hours, int minutes, int seconds)
        : m_span(((static_cast<int64_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds)
    {
    }

    constexpr int64_t GetDays() const { return m_span / 86400; }
    constexpr int64_t GetTotalHours() const { return m_span / 3600; }
    constexpr int64_t GetTotalMinutes() const { return m_span / 60; }
    constexpr int64_t GetTotalSeconds() const { return m_span; }
    constexpr LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
    constexpr LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
    constexpr LONG GetSeconds() const { return static_cast<LONG>(m_span - GetTotalMinutes() * 60); }
    constexpr int64_t GetTimeSpan() const { return m_span; }

    // %D days, %H hours (0-23), %M minutes, %S seconds, %% a percent sign.
    CString Format(const char* format) const;

    constexpr CTimeSpan operator+(CTimeSpan other) const { return CTimeSpan(m_span + other.m_span); }
    constexpr CTimeSpan operator-(CTimeSpan other) const { return CTimeSpan(m_span - other.m_span); }
    constexpr CTimeSpan& operator+=(CTimeSpan other)
    {
        m_span += other.m_span;
        return *this;
    }
    constexpr CTimeSpan& operator-=(CTimeSpan other)
    {
        m_span -= other.m_span;
        return *this;
    }
    constexpr CTimeSpan operator-() const { return CTimeSpan(-m_span); }
    constexpr auto operator<=>(const CTimeSpan&) const = default;

private:
    int64_t m_span = 0;
};
