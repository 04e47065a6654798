// Broken-down calendar time as the framework passes it around.
#pragma once

#include "platform/core/WinTypes.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;  // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

// Current local and UTC time, to the millisecond.
void GetLocalTime(SYSTEMTIME* out);
void GetSystemTime(SYSTEMTIME* out);
