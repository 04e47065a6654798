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
