// The series request keys of the time and sales and bar windows, and the time and sales
// filter with the key suffix it makes.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

inline constexpr int kFilterPriceRange = 0x20;
inline constexpr int kFilterMinSize = 0x40;

struct CTimeSalesFilter {
    int flags = 0;
    float minPrice = 0;
    float maxPrice = 0;
    CString text; // carried along unchanged
    unsigned int minSize = 0;
    CString suffix;

    bool operator==(const CTimeSalesFilter&) const = default;
};

// The filter the dialog's choices make: flags and suffix ("&FilterMinPrice=%f&FilterMaxPrice=%f"
// for the price range, "&FilterVolume=%u" for the minimum size); the values are kept.
CTimeSalesFilter MakeTimeSalesFilter(bool priceRange, float minPrice, float maxPrice, bool minSize, unsigned int size,
                                     const CString& text);
// The suffix the filter's flags and values make (a stored suffix is never taken as it is).
CString FilterSuffix(const CTimeSalesFilter& filter);

// symbol ",0" [":255"] ["&EndETime=<end>"] [suffix]; end 0 for live data. No comma stands
// between the interval and what follows it: the interval ends at the first ':' or '&'.
CString TimeSalesKey(const CString& symbol, bool extended, DWORD endFeedTime, const CString& suffix);
// symbol "," interval code [":255"] ["&EndETime=<end>"].
CString BarKey(const CString& symbol, const CString& interval, bool extended, DWORD endFeedTime);

// The request code of an interval as the Interval box shows it: "Daily" "D" (also for an
// empty text), "Weekly" "W", "Monthly" "M", "Quarterly" "Q", "Yearly" "Y", "Tick" "0",
// "5 minutes", "1 minute" or "5" the minutes; any other text "D".
CString BarIntervalCode(const CString& interval);

// Whether a symbol text can go into a request key: a symbol of the series' characters,
// without a separator of the key.
bool IsRequestSymbol(const CString& symbol);
