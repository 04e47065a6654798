#include "common/services/ChartAxis.h"

#include <algorithm>
#include <cmath>

namespace {

// k with base^(k-1) <= d < base^k, found without trusting the logarithm's last bit.
int DigitsAbove(double d, double base)
{
    int k = static_cast<int>(std::floor(std::log(d) / std::log(base))) + 1;
    while (k > -400 && std::pow(base, k - 1) > d)
        --k;
    while (k < 400 && std::pow(base, k) <= d)
        ++k;
    return k;
}

} // namespace

AxisLabels ChooseAxisStep(double low, double high, int wanted, double base)
{
    AxisLabels labels;
    const double range = high - low;
    if (wanted <= 0 || !(range > 0) || !std::isfinite(range) || !(base > 1.0))
        return labels;
    const double d = wanted == 1 ? range : range / (wanted - 1);
    const int k = DigitsAbove(d, base);
    const double big = std::pow(base, k);
    const int half = wanted == 1 ? 1 : wanted / 2;
    double step = big;
    if (!(half * big < range)) {
        const double small = std::pow(base, k - 1);
        int multiple = 1;
        while (multiple * small < d)
            ++multiple;
        step = multiple * small;
        // The next power itself leaves too few labels: half of it (one for a single label).
        if (multiple >= base)
            step = wanted >= 2 ? big / 2 : big;
    }
    labels.step = step;
    labels.first = low >= 0 ? (std::trunc(low / step) + 1) * step : std::trunc(low / step) * step;
    const double span = (high - labels.first) / step;
    labels.count = span < 0 ? -1 : static_cast<int>(std::floor(span + 1e-9));
    return labels;
}

TimeLabelBars ComputeTimeLabelSpacing(int firstVisible, int lastVisible, int labelWidth, double barSpacing)
{
    TimeLabelBars bars;
    const int whole = static_cast<int>(barSpacing);
    if (whole < 1 || labelWidth < 0)
        return bars;
    const int half = (labelWidth + 1) / 2;
    bars.first = firstVisible + static_cast<int>(half / barSpacing + (half % whole != 0 ? 1 : 0));
    const int room = labelWidth + (labelWidth + 3) / 4;
    bars.step = std::max(1, (room + whole - 1) / whole);
    bars.count = lastVisible >= bars.first ? (lastVisible - bars.first) / bars.step : -1;
    return bars;
}

namespace {
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
} // namespace

int DayOfWeek(int year, int month, int day)
{
    // Sakamoto's rule.
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 1 || month > 12)
        return 0;
    if (month < 3)
        --year;
    const int d = (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
    return d < 0 ? d + 7 : d;
}

CString FormatTimeBoundary(int year, int month, int day, int style)
{
    CString text;
    const bool validMonth = month >= 1 && month <= 12;
    switch (style) {
    case 1:
        if (year >= 1970 && year <= 2038 && validMonth && day >= 1 && day <= 31)
            text.Format("%s, %02d %s, %d", kDayNames[DayOfWeek(year, month, day)], day, kMonthNames[month - 1], year);
        else
            text.Format("%d/%02d/%02d", year, month, day);
        break;
    case 3:
        if (validMonth)
            text.Format("%s %d", kMonthNames[month - 1], year);
        else
            text.Format("%d/%02d", year, month);
        break;
    default: text.Format("%d", year); break;
    }
    return text;
}
