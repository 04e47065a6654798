#include "views/TickRows.h"

#include "analytics/series/CPriceSeries.h"
#include "broker/core/FeedTime.h"

#include <mutex>

namespace {

constexpr const char* kTickTitles[kTickKindCount] = {"Date",     "Time",      "Price", "Size",
                                                     "Exchange", "Indicator", "Type",  "Info"};
constexpr const char* kBarTitles[kBarKindCount] = {"Date", "Time", "Open", "High", "Low", "Close", "Volume"};
// The series field each kind shows, from kind 2 on.
constexpr const char* kTickFields[kTickKindCount] = {nullptr,     nullptr,     "Price",    "Size",
                                                     "Exchange",  "Indicator", "BASCodes", "Flags"};
constexpr const char* kBarFields[kBarKindCount] = {nullptr, nullptr, "Open", "High", "Low", "Close", "Volume"};
constexpr int kFieldBuffer = 120;

bool BuildRow(CPriceSeries& series, int v, CListRow& row, bool tick)
{
    row = CListRow{};
    const std::lock_guard<CPriceSeries> lock(series);
    // A record's time is where it starts: a tick from history fills a two-second slot whose
    // end lies after it, and a day's bar ends at the next midnight.
    DWORD feedTime = 0;
    if (!series.GetBarTime(v, 0, feedTime))
        return false;
    row.feedTime = feedTime;
    row.texts[0] = RowDateText(feedTime);
    row.texts[1] = RowTimeText(feedTime);
    const int kinds = KindCount(tick);
    for (int kind = 2; kind < kinds; ++kind) {
        char buffer[kFieldBuffer];
        series.FormatTickField(v, series.FindField(tick ? kTickFields[kind] : kBarFields[kind]), buffer,
                               sizeof buffer);
        row.texts[static_cast<size_t>(kind)] = buffer;
    }
    if (tick)
        row.flags = series.GetValueInt(v, series.FindField("Flags"));
    return true;
}

} // namespace

const char* ListColumnSample(bool tickMode, int kind)
{
    static constexpr const char* kTick[kTickKindCount] = {"12/31/2026", "00:00:00", "9999.99", "999,999",
                                                          "NASD",       "0",        "Trade",   ""};
    static constexpr const char* kBar[kBarKindCount] = {"12/31/2026", "00:00:00", "9999.99", "9999.99",
                                                        "9999.99",    "9999.99",  "999,999,999"};
    if (kind < 0 || kind >= KindCount(tickMode))
        return "";
    return tickMode ? kTick[kind] : kBar[kind];
}

const char* ListColumnTitle(bool tickMode, int kind)
{
    if (kind < 0 || kind >= KindCount(tickMode))
        return "";
    return tickMode ? kTickTitles[kind] : kBarTitles[kind];
}

CString RowDateText(DWORD feedTime)
{
    int year = 0, month = 0, day = 0;
    FeedTimeToDate(feedTime, year, month, day);
    CString text;
    text.Format("%d/%d/%d", month, day, year);
    return text;
}

CString RowTimeText(DWORD feedTime)
{
    int hour = 0, minute = 0, second = 0;
    FeedTimeToTimeOfDay(feedTime, hour, minute, second);
    CString text;
    text.Format("%02d:%02d:%02d", hour, minute, second);
    return text;
}

bool BuildTickRow(CPriceSeries& series, int v, CListRow& row)
{
    return BuildRow(series, v, row, true);
}

bool BuildBarRow(CPriceSeries& series, int v, CListRow& row)
{
    return BuildRow(series, v, row, false);
}

int TickBackgroundIndex(int flags)
{
    if (flags & 0x1)
        return 7;
    if (flags & 0x2)
        return 6;
    if (flags & kTickFlagNewHigh)
        return 2;
    if (flags & kTickFlagNewLow)
        return 3;
    if (flags & kTickFlagAtBid)
        return 4;
    if (flags & kTickFlagAtAsk)
        return 5;
    return 0;
}

int TickTextIndex(int flags)
{
    if (flags & 0x400)
        return 8;
    if (flags & 0x800)
        return 9;
    if (flags & 0x4000)
        return 10;
    return -1;
}

bool TickStruckOut(int flags)
{
    return (flags & (0x400 | 0x800)) != 0;
}
