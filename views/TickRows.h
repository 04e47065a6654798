// The rows of the tick and bar list, built from a price series record by record: column
// kinds and titles, the texts of a tick or bar row, and the colours of a tick by its flags.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <array>

class CPriceSeries;

// Column kinds: 8 in tick mode (Date, Time, Price, Size, Exchange, Indicator, Type, Info),
// 7 in bar mode (Date, Time, Open, High, Low, Close, Volume).
inline constexpr int kTickKindCount = 8;
inline constexpr int kBarKindCount = 7;
inline constexpr int KindCount(bool tickMode)
{
    return tickMode ? kTickKindCount : kBarKindCount;
}
// The title of a column kind; "" outside the mode's kinds.
const char* ListColumnTitle(bool tickMode, int kind);
// A text as wide as the column's widest usual value ("12/31/2026", "00:00:00", a price...).
const char* ListColumnSample(bool tickMode, int kind);

// Tick flag bits.
inline constexpr int kTickFlagNewHigh = 0x20;
inline constexpr int kTickFlagNewLow = 0x40;
inline constexpr int kTickFlagAtBid = 0x1000;
inline constexpr int kTickFlagAtAsk = 0x2000;

struct CListRow {
    std::array<CString, kTickKindCount> texts;
    DWORD feedTime = 0;
    int flags = 0; // ticks: the "Flags" field
};

// "M/D/YYYY" without padding and "HH:MM:SS" of a feed time.
CString RowDateText(DWORD feedTime);
CString RowTimeText(DWORD feedTime);

// The row of the series' visible index v, read under the series' lock, at the time its
// record starts. False when the record's time cannot be read. A record without data gives empty field texts (a tick's
// Type then is empty, and the list draws only its background).
bool BuildTickRow(CPriceSeries& series, int v, CListRow& row);
bool BuildBarRow(CPriceSeries& series, int v, CListRow& row);

// Indexes into the eleven Time & Sales colours. Background: bit 0x1 colour 7, else 0x2
// colour 6, 0x20 colour 2, 0x40 colour 3, 0x1000 colour 4, 0x2000 colour 5, else 0.
int TickBackgroundIndex(int flags);
// Text: 0x400 colour 8, 0x800 colour 9 (both struck out), else 0x4000 colour 10, else -1
// for the list's own text colour.
int TickTextIndex(int flags);
bool TickStruckOut(int flags);
