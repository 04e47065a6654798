// Conversions between CTime / SYSTEMTIME and Qt's date and time.
#pragma once

#include "platform/core/CTime.h"
#include "platform/core/SystemTime.h"

#include <QDateTime>

inline QDateTime ToQDateTime(const CTime& t)
{
    return QDateTime::fromSecsSinceEpoch(t.GetTime());
}

inline CTime FromQDateTime(const QDateTime& d)
{
    return CTime(d.toSecsSinceEpoch());
}

inline QDateTime ToQDateTime(const SYSTEMTIME& st)
{
    return QDateTime(QDate(st.wYear, st.wMonth, st.wDay), QTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds));
}

// A wall-clock date and time as they stand, in no time zone: every one of them exists, the
// hour a local clock skips included.
inline QDateTime ToWallClock(const SYSTEMTIME& st)
{
    return QDateTime(QDate(st.wYear, st.wMonth, st.wDay), QTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds),
                     Qt::UTC);
}

// The local calendar fields of a time as a wall clock, and back to the local time they name.
inline QDateTime ToWallClock(const CTime& t)
{
    const struct tm parts = t.GetLocalTm();
    return QDateTime(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
                     QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
}

inline CTime LocalTimeOfWallClock(const QDateTime& d)
{
    return CTime(d.date().year(), d.date().month(), d.date().day(), d.time().hour(), d.time().minute(),
                 d.time().second());
}

inline SYSTEMTIME ToSystemTime(const QDateTime& d)
{
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(d.date().year());
    st.wMonth = static_cast<WORD>(d.date().month());
    st.wDay = static_cast<WORD>(d.date().day());
    st.wDayOfWeek = static_cast<WORD>(d.date().dayOfWeek() % 7);
    st.wHour = static_cast<WORD>(d.time().hour());
    st.wMinute = static_cast<WORD>(d.time().minute());
    st.wSecond = static_cast<WORD>(d.time().second());
    st.wMilliseconds = static_cast<WORD>(d.time().msec());
    return st;
}
