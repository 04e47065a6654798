#include "chart/IntervalKind.h"

#include <cctype>
#include <cstring>

IntervalKind ParseIntervalKind(const char* interval)
{
    IntervalKind kind;
    const char* text = interval ? interval : "";
    if (std::isdigit(static_cast<unsigned char>(text[0]))) {
        kind.periodKind = kPeriodIntraday;
        kind.labelStyle = kLabelDayChange;
        kind.shortSample = "23:17";
        kind.longSample = "Wed, 27 Mar, 2002";
        return kind;
    }
    if (std::strlen(text) != 1)
        return kind;
    switch (std::toupper(static_cast<unsigned char>(text[0]))) {
    case 'D':
        break;
    case 'W':
        kind.periodKind = kPeriodWeekly;
        kind.labelStyle = kLabelYearChange;
        kind.shortSample = "Mar";
        kind.longSample = "2002";
        break;
    case 'M':
    case 'Q':
    case 'Y': {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        kind.periodKind = c == 'M' ? kPeriodMonthly : c == 'Q' ? kPeriodQuarterly : kPeriodYearly;
        kind.labelStyle = kLabelYearChange;
        kind.shortSample = "**";
        kind.longSample = "2002";
        break;
    }
    default:
        kind.shortSample = "**";
        break;
    }
    return kind;
}
