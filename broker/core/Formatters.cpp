#include "broker/core/Formatters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace {
constexpr int kMaxDecimals = 12;

// "%.*f" of a finite value into buffer (the largest double with 12 decimals fits in 400);
// the text's length. to_chars with a precision writes what printf writes, without the
// locale and stream machinery.
int fixedInto(char* buffer, size_t size, double value, int decimals)
{
    const auto [end, error] = std::to_chars(buffer, buffer + size - 1, value, std::chars_format::fixed,
                                            std::clamp(decimals, 0, kMaxDecimals));
    const int length = error == std::errc{} ? static_cast<int>(end - buffer) : 0;
    buffer[length] = '\0';
    return length;
}

// The length left after cutting trailing zeros down to minDecimals, then a bare trailing
// point.
size_t trimmedLength(std::string_view text, int minDecimals)
{
    const size_t point = text.find('.');
    if (point == std::string_view::npos)
        return text.size();
    size_t end = text.size();
    const size_t keep = point + 1 + static_cast<size_t>(std::max(minDecimals, 0));
    while (end > keep && text[end - 1] == '0')
        --end;
    return end == point + 1 ? point : end;
}

// A value that rounds to zero reads "0", never "-0" or "-0.00": the sign to drop.
bool isNegativeZero(std::string_view text)
{
    return text.size() > 1 && text[0] == '-' && text.find_first_of("123456789") == std::string_view::npos;
}

void trimZeros(CString& text, int minDecimals)
{
    text = text.Left(static_cast<int>(trimmedLength(text.view(), minDecimals)));
}

void dropNegativeZero(CString& text)
{
    if (isNegativeZero(text.view()))
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

CString FormatFixed(double value, int decimals)
{
    char buffer[400];
    if (!std::isfinite(value)) {
        std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, kMaxDecimals), value);
        return CString(buffer);
    }
    const int length = fixedInto(buffer, sizeof buffer, value, decimals);
    return CString(buffer, length);
}

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
    // FormatFixed, trimZeros and dropNegativeZero on the buffer: one string made, not four.
    char buffer[400];
    const int length = fixedInto(buffer, sizeof buffer, value, maxDecimals);
    std::string_view text(buffer, trimmedLength(std::string_view(buffer, static_cast<size_t>(length)), minDecimals));
    if (isNegativeZero(text))
        text.remove_prefix(1);
    CString result(text);
    if (*suffix)
        result += suffix;
    return result;
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
        out = FormatFixed(value, decimalsType - 2);
        return;
    }
    out = FormatFixed(value, 4);
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
    CString text = FormatFixed(value, decimals);
    dropNegativeZero(text);
    return groupThousands(text);
}
