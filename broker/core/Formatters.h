// Number texts shared by quotes, labels and lists.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>

// "%.*f" of the value, with 0 to 12 decimals.
CString FormatFixed(double value, int decimals);

// Fixed notation with maxDecimals, trailing zeros cut back to minDecimals and a bare
// trailing point removed; from 1e6 scaled with "M", from 1e9 with "B".
CString FormatNumber(double value, int minDecimals, int maxDecimals);

// Value kinds of series fields and study outputs.
enum : int {
    kValueKindPlain = 0,
    kValueKindVolume = 1,
    kValueKindPrice = 4,
};

// Label text of a price or study value. decimalsType: 0 plain (up to 4 decimals, trimmed),
// 1 volume-like, 2 + n for n decimals. A volume-like kind is always shown as volume.
void FormatStudyValue(CString& out, double value, int valueKind, int decimalsType);

// "," every three digits from the right, leading "-" for negative values.
CString FormatIntThousands(int64_t value);
CString FormatDoubleThousands(double value, int decimals);
