#include "trading/NumericSpinMath.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

void TrimZeros(CString& text, char decimalPoint)
{
    if (text.Find(decimalPoint) < 0)
        return;
    const int exponent = text.FindOneOf("eE");
    CString mantissa = exponent >= 0 ? text.Left(exponent) : text;
    const CString tail = exponent >= 0 ? text.Mid(exponent) : CString();
    mantissa.TrimRight('0');
    mantissa.TrimRight(decimalPoint);
    text = mantissa + tail;
}

}  // namespace

CString FormatSpinValue(double value, int decimals, const char* format, bool trimZeros, char decimalPoint)
{
    CString text;
    if (format && *format) {
        text.Format(format, value);
    } else if (decimals < 0) {
        text.Format("%g", value);
    } else {
        CString probe;
        probe.Format("%g", value);
        CString spec;
        spec.Format(probe.FindOneOf("eE") >= 0 ? "%%.%de" : "%%.%df", decimals);
        text.Format(spec.GetString(), value);
    }
    if (trimZeros)
        TrimZeros(text, decimalPoint);
    return text;
}

int SpinPositionCount(double minimum, double maximum, double step)
{
    if (step == 0)
        return 0;
    const double count = std::floor(std::fabs((maximum - minimum) / step));
    if (!std::isfinite(count) || count >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(count);
}

int SpinPosition(double value, double minimum, double maximum, int positions)
{
    if (maximum == minimum)
        return 0;
    if (value < minimum)
        return 0;
    if (value >= maximum)
        return positions;
    const double position = std::floor((value - minimum) / (maximum - minimum) * positions + 0.5);
    return static_cast<int>(std::clamp(position, 0.0, static_cast<double>(positions)));
}

double SpinClick(double current, int delta, double step, double minimum, double maximum, bool wrap)
{
    const double next = current + delta * step;
    auto tolerance = [next](double bound) {
        return std::max(std::fabs(std::max(bound, next)) * 1e-9, 1e-9);
    };
    if (next - maximum > tolerance(maximum))
        return wrap ? minimum : maximum;
    if (minimum - next > tolerance(minimum))
        return wrap ? maximum : minimum;
    return next;
}
