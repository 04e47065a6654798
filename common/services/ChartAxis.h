// Label positions of the chart axes: the price-axis step rule and the spacing of the
// time axis' lower row.
#pragma once

#include "platform/core/CString.h"

// Labels at first + i * step for i = 0 .. count; count -1: no label.
struct AxisLabels {
    double first = 0;
    double step = 0;
    int count = -1;
};

// Labels between low and high for room of `wanted` labels, steps being multiples of
// powers of `base`. A range whose step search reaches the next power of the base still
// gets labels (at half that power); no room, an empty range or a bad base gives none.
AxisLabels ChooseAxisStep(double low, double high, int wanted, double base);

// Bars of the lower time-axis row: first + i * step for i = 0 .. count, never beyond
// lastVisible. labelWidth and the bar spacing are in pixels.
struct TimeLabelBars {
    int first = 0;
    int step = 1;
    int count = -1;
};
TimeLabelBars ComputeTimeLabelSpacing(int firstVisible, int lastVisible, int labelWidth, double barSpacing);

// Rounds half away from zero.
inline int RoundHalfAway(double value)
{
    return static_cast<int>(value >= 0 ? value + 0.5 : value - 0.5);
}

// The upper time-axis row's label of a date: label style 1 (day change) "Wed, 27 Mar,
// 2002" for years 1970 to 2038 and valid dates, else "2002/03/27"; style 3 (month change)
// "Mar 2002"; style 5 (year change) "2002".
CString FormatTimeBoundary(int year, int month, int day, int style);
// 0 Sunday .. 6 Saturday.
int DayOfWeek(int year, int month, int day);
