// US Eastern exchange time: UTC - 5 h, or - 4 h inside the year's daylight-saving bounds
// (from 2007: second Sunday of March to first Sunday of November; before: first Sunday of
// April to last Sunday of October; both switches at 02:00 local time).
#pragma once

#include "platform/core/CString.h"
#include "platform/core/SystemTime.h"

#include <cstdint>

// The UTC instants at which daylight time starts and ends in the given year.
void ExchangeDaylightBounds(int year, int64_t& startUtc, int64_t& endUtc);
bool IsExchangeDaylightTime(int64_t utcSeconds);
// Exchange wall-clock seconds (a naive calendar count from 1970) of a UTC instant.
int64_t UtcToExchangeSeconds(int64_t utcSeconds);
void ExchangeSystemTime(int64_t utcSeconds, SYSTEMTIME& out);
// The exchange's wall clock at a UTC instant in strftime codes (no zone codes: the fields
// are the exchange's, never this computer's).
CString FormatExchangeTime(int64_t utcSeconds, const char* format);
