#include "broker/core/Formatters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

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

CString fixed(double value, int decimals)
{
    char buffer[400];
    if (!std::isfinite(value)) {
        std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, kMaxDecimals), value);
        return CString(buffer);
    }
    const int length = fixedInto(buffer, sizeof buffer, value, decimals);
    return CString(buffer, length);
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
    // fixed, trimZeros and dropNegativeZero on the buffer: one string made, not four.
    char buffer[400];
    int end = fixedInto(buffer, sizeof buffer - 2, value, maxDecimals);
    if (const char* dot = static_cast<const char*>(std::memchr(buffer, '.', static_cast<size_t>(end)))) {
        const int point = static_cast<int>(dot - buffer);
        const int keep = point + 1 + std::max(minDecimals, 0);
        while (end > keep && buffer[end - 1] == '0')
            --end;
        if (end == point + 1)
            end = point;
    }
    const char* start = buffer;
    if (end > 1 && buffer[0] == '-' && std::none_of(buffer + 1, buffer + end, [](char c) { return c >= '1' && c <= '9'; })) {
        ++start;
    }
    for (const char* c = suffix; *c; ++c)
        buffer[end++] = *c;
    return CString(start, static_cast<int>(buffer + end - start));
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
