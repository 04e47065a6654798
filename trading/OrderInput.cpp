#include "trading/OrderInput.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits, either plain or grouped by three with ",".
bool ReadWholePart(std::string_view text, std::string& digits)
{
    if (text.empty())
        return false;
    if (text.find(',') == std::string_view::npos) {
        for (char c : text)
            if (!IsDigit(c))
                return false;
        digits = text;
        return true;
    }
    size_t start = 0;
    bool first = true;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string_view group = text.substr(start, comma == std::string_view::npos ? text.size() - start
                                                                                          : comma - start);
        const bool sizeOk = first ? group.size() >= 1 && group.size() <= 3 : group.size() == 3;
        if (!sizeOk)
            return false;
        for (char c : group)
            if (!IsDigit(c))
                return false;
        digits += group;
        first = false;
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return true;
}

}  // namespace

bool ParseOrderNumber(const char* text, double& value)
{
    CString trimmed(text);
    trimmed.Trim();
    std::string_view body = trimmed.view();
    bool negative = false;
    if (!body.empty() && body.front() == '-') {
        negative = true;
        body.remove_prefix(1);
    }
    if (!body.empty() && body.front() == '$')
        body.remove_prefix(1);
    const size_t point = body.find('.');
    const std::string_view whole = body.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : body.substr(point + 1);
    std::string digits;
    if (whole.empty()) {
        if (fraction.empty())
            return false;
        digits = "0";
    } else if (!ReadWholePart(whole, digits)) {
        return false;
    }
    if (point != std::string_view::npos) {
        if (fraction.empty() && whole.empty())
            return false;
        for (char c : fraction)
            if (!IsDigit(c))
                return false;
        digits += '.';
        digits += fraction;
    }
    const double parsed = std::strtod(digits.c_str(), nullptr);
    if (!std::isfinite(parsed))
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

bool ParseOrderQuantity(const char* text, int& quantity)
{
    double value = 0;
    if (!ParseOrderNumber(text, value) || value < 1 || value > kMaxOrderQuantity || value != std::floor(value))
        return false;
    quantity = static_cast<int>(value);
    return true;
}

CString StripSymbolPrefix(const CString& symbol)
{
    const int colon = symbol.Find(':');
    return colon >= 0 ? symbol.Mid(colon + 1) : symbol;
}

CCalendarDate LocalToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool IsCalendarDate(int year, int month, int day)
{
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

CCalendarDate AddMonths(const CCalendarDate& date, int months)
{
    const int index = date.year * 12 + (date.month - 1) + months;
    CCalendarDate out{index / 12, index % 12 + 1, date.day};
    out.day = std::min(out.day, DaysInMonth(out.year, out.month));
    return out;
}

bool IsGoodTillDate(const char* day, const char* month, const char* year, const CCalendarDate& today)
{
    int d = 0, m = 0, y = 0;
    auto whole = [](const char* text, int& out) {
        CString t(text);
        t.Trim();
        if (t.IsEmpty() || t.GetLength() > 4)
            return false;
        for (int i = 0; i < t.GetLength(); ++i)
            if (!IsDigit(t[i]))
                return false;
        out = std::atoi(t);
        return true;
    };
    if (!whole(day, d) || !whole(month, m) || !whole(year, y))
        return false;
    const CCalendarDate limit = AddMonths(today, 6);
    if (y != today.year && y != limit.year)
        return false;
    if (!IsCalendarDate(y, m, d))
        return false;
    const CCalendarDate date{y, m, d};
    return date >= today && date <= limit;
}
