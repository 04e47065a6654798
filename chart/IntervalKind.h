// What a chart interval text means for the time axis: the period kind, the label style
// of the upper row and the samples that size both rows.
#pragma once

#include "platform/core/CString.h"

enum EPeriodKind : int {
    kPeriodIntraday = 0,
    kPeriodDaily = 1,
    kPeriodWeekly = 2,
    kPeriodMonthly = 3,
    kPeriodQuarterly = 4,
    kPeriodYearly = 5,
};

// Upper-row boundaries: 1 day change, 3 month change, 5 year change.
enum ELabelStyle : int {
    kLabelDayChange = 1,
    kLabelMonthChange = 3,
    kLabelYearChange = 5,
};

struct IntervalKind {
    int periodKind = kPeriodDaily;
    int labelStyle = kLabelMonthChange;
    CString shortSample = "27";     // lower row
    CString longSample = "Mar 2002"; // upper row
};

// The kind of an interval text ("5", "D", "W", ...). Quarterly and yearly intervals
// label the upper row by year.
IntervalKind ParseIntervalKind(const char* interval);
