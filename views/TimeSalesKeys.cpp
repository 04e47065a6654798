#include "views/TimeSalesKeys.h"

#include "analytics/series/SeriesKey.h"
#include "common/services/TextHelpers.h"

#include <cctype>
#include <cstring>

CTimeSalesFilter MakeTimeSalesFilter(bool priceRange, float minPrice, float maxPrice, bool minSize, unsigned int size,
                                     const CString& text)
{
    CTimeSalesFilter filter;
    filter.flags = (priceRange ? kFilterPriceRange : 0) | (minSize ? kFilterMinSize : 0);
    filter.minPrice = minPrice;
    filter.maxPrice = maxPrice;
    filter.minSize = size;
    filter.text = text;
    filter.suffix = FilterSuffix(filter);
    return filter;
}

CString FilterSuffix(const CTimeSalesFilter& filter)
{
    CString suffix;
    if (filter.flags & kFilterPriceRange) {
        CString part;
        part.Format("&FilterMinPrice=%f&FilterMaxPrice=%f", static_cast<double>(filter.minPrice),
                    static_cast<double>(filter.maxPrice));
        suffix += part;
    }
    if (filter.flags & kFilterMinSize) {
        CString part;
        part.Format("&FilterVolume=%u", filter.minSize);
        suffix += part;
    }
    return suffix;
}

namespace {

CString EndPart(DWORD endFeedTime)
{
    CString part;
    if (endFeedTime)
        part.Format("&EndETime=%lu", static_cast<unsigned long>(endFeedTime));
    return part;
}

} // namespace

CString TimeSalesKey(const CString& symbol, bool extended, DWORD endFeedTime, const CString& suffix)
{
    CString key = symbol + ",0";
    if (extended)
        key += ":255";
    return key + EndPart(endFeedTime) + suffix;
}

CString BarKey(const CString& symbol, const CString& interval, bool extended, DWORD endFeedTime)
{
    CString key = symbol + "," + BarIntervalCode(interval);
    if (extended)
        key += ":255";
    return key + EndPart(endFeedTime);
}

CString BarIntervalCode(const CString& interval)
{
    CString text = interval;
    text.Trim();
    if (text.IsEmpty())
        return "D";
    const CString code = PeriodNameToCode(text);
    if (code != text)
        return code;
    if (text.GetLength() == 1 && std::strchr("DWMQYdwmqy", text[0]))
        return CString(static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))), 1);
    int digits = 0;
    while (digits < text.GetLength() && std::isdigit(static_cast<unsigned char>(text[digits])))
        ++digits;
    const CString count = text.Left(digits);
    const CString rest = text.Mid(digits);
    if (digits > 0 && digits <= 6 && count != "0" && count[0] != '0' &&
        (rest.IsEmpty() || rest.CompareNoCase(" minute") == 0 || rest.CompareNoCase(" minutes") == 0))
        return count;
    return "D";
}

bool IsRequestSymbol(const CString& symbol)
{
    return IsSeriesSymbolText(symbol);
}
