#include "platform/core/CTime.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {
CString formatTm(const struct tm& parts, const char* format)
{
    if (!format || !*format)
        return CString();
    // strftime gives 0 both for "too small" and for an empty result, so the
    // buffer grows only up to a bound that any real expansion fits in.
    const size_t limit = 1024 + 64 * std::strlen(format);
    std::string buffer(256, '\0');
    while (true) {
        const size_t n = std::strftime(buffer.data(), buffer.size(), format, &parts);
        if (n > 0)
            return CString(std::string_view(buffer.data(), n));
        if (buffer.size() >= limit)
            return CString();
        buffer.resize(std::min(buffer.size() * 4, limit));
    }
}

void fillSystemTime(const struct tm& parts, int milliseconds, SYSTEMTIME& st)
{
    st.wYear = static_cast<WORD>(parts.tm_year + 1900);
    st.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    st.wDay = static_cast<WORD>(parts.tm_mday);
    st.wHour = static_cast<WORD>(parts.tm_hour);
    st.wMinute = static_cast<WORD>(parts.tm_min);
    st.wSecond = static_cast<WORD>(parts.tm_sec);
    st.wMilliseconds = static_cast<WORD>(milliseconds);
}

void currentSystemTime(SYSTEMTIME* out, bool local)
{
    if (!out)
        return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    const time_t seconds = static_cast<time_t>(ms / 1000);
    struct tm parts {};
    if (local)
        localtime_r(&seconds, &parts);
    else
        gmtime_r(&seconds, &parts);
    fillSystemTime(parts, static_cast<int>(ms % 1000), *out);
}
}  // namespace

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst)
{
    struct tm parts {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = dst < 0 ? -1 : (dst > 0 ? 1 : 0);
    m_time = static_cast<int64_t>(mktime(&parts));
}

CTime::CTime(const SYSTEMTIME& st, int dst)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, dst)
{
}

CTime CTime::GetCurrentTime()
{
    return CTime(static_cast<int64_t>(time(nullptr)));
}

struct tm CTime::GetLocalTm() const
{
    struct tm parts {};
    const time_t t = static_cast<time_t>(m_time);
    localtime_r(&t, &parts);
    return parts;
}

struct tm CTime::GetGmtTm() const
{
    struct tm parts {};
    const time_t t = static_cast<time_t>(m_time);
    gmtime_r(&t, &parts);
    return parts;
}

struct tm* CTime::GetLocalTm(struct tm* out) const
{
    if (out)
        *out = GetLocalTm();
    return out;
}

struct tm* CTime::GetGmtTm(struct tm* out) const
{
    if (out)
        *out = GetGmtTm();
    return out;
}

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const
{
    const struct tm parts = GetLocalTm();
    if (parts.tm_year + 1900 < 1601 || parts.tm_year + 1900 > 30827)
        return false;
    fillSystemTime(parts, 0, st);
    return true;
}

CString CTime::Format(const char* format) const
{
    return formatTm(GetLocalTm(), format);
}

CString CTime::FormatGmt(const char* format) const
{
    return formatTm(GetGmtTm(), format);
}

void GetLocalTime(SYSTEMTIME* out)
{
    currentSystemTime(out, true);
}

void GetSystemTime(SYSTEMTIME* out)
{
    currentSystemTime(out, false);
}
