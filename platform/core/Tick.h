// Millisecond clocks and sleeping.
#pragma once

#include "platform/core/WinTypes.h"

// Milliseconds of a monotonic clock; the 32-bit form wraps after about 49.7 days.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
void Sleep(DWORD milliseconds);
