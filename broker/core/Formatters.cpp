#include "broker/core/Formatters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr int kMaxDecimals = 12;

CString fixed(double value, int decimals)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, kMaxDecimals), value);
    return CString(buffer);
}

// Cuts trailing zeros down to minDecimals, then a bare trailing point.
void trimZeros(CString& text, int minDecimals)
{
    const int point = text.Find('.');
    if (point < 0)
        return;
    int end = text.GetLength();
    const int keep = point + 1 + std::max(minDecimals, 0);
    while (end > keep && text[end - 1] == '0')
        --end;
    if (end == point + 1)
        end = point;
    text = text.Left(end);
}

// A value that rounds to zero reads "0", never "-0" or "-0.00".
void dropNegativeZero(CString& text)
{
    if (text.GetLength() > 1 && text[0] == '-' && text.FindOneOf("123456789") < 0)
        text = text.Mid(1);
}

// Inserts "," every three digits into the integer part of a plain number text.
CString groupThousands(const CString& text)
{
    const int start = (text.GetLength() > 0 && text[0] == '-') ? 1 : 0;
    int end = text.Find('.');
    if (end < 0)
        end = text.GetLength();
    CString result = text.Left(start);
    for (int i = start; i < end; ++i) {
        result += text[i];
        const int left = end - i - 1;
        if (left > 0 && left % 3 == 0)
            result += ',';
    }
    result += text.Mid(end);
    return result;
}
}  // namespace

CString FormatNumber(double value, int minDecimals, int maxDecimals)
{
    if (!std::isfinite(value))
        return CString();
    const char* suffix = "";
    if (std::fabs(value) >= 1e9) {
        value /= 1e9;
        suffix = "B";
    } else if (std::fabs(value) >= 1e6) {
        value /= 1e6;
        suffix = "M";
    }
    CString text = fixed(value, maxDecimals);
    trimZeros(text, minDecimals);
    dropNegativeZero(text);
    return text + suffix;
}

void FormatStudyValue(CString& out, double value, int valueKind, int decimalsType)
{
    if (!std::isfinite(value)) {
        out.Empty();
        return;
    }
    if (valueKind == kValueKindVolume || decimalsType == 1) {
        out = std::fabs(value) >= 1e6 ? FormatNumber(value, 0, 2) : FormatIntThousands(std::llround(value));
        return;
    }
    if (decimalsType >= 2) {
        out = fixed(value, decimalsType - 2);
        return;
    }
    out = fixed(value, 4);
    trimZeros(out, 0);
    dropNegativeZero(out);
}

CString FormatIntThousands(int64_t value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
    return groupThousands(CString(buffer));
}

CString FormatDoubleThousands(double value, int decimals)
{
    if (!std::isfinite(value))
        return CString();
    CString text = fixed(value, decimals);
    dropNegativeZero(text);
    return groupThousands(text);
}
