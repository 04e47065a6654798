#include "views/PositionRecords.h"

#include "common/services/TextHelpers.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

int SharesOf(double quantity)
{
    const double shares = std::llround(std::fabs(quantity));
    return shares > INT_MAX ? INT_MAX : static_cast<int>(shares);
}

int MultiplierOf(const CString& symbol)
{
    return GetSymbolKind(symbol) == kSymbolOption ? 100 : 1;
}

bool IsDigits(const CString& text)
{
    if (text.IsEmpty())
        return false;
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

bool IsRealDay(int year, int month, int day)
{
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

} // namespace

CPortfolioPosition PositionFromAccount(const CPositionRecord& record)
{
    CPortfolioPosition p;
    p.symbol = record.symbol;
    p.shares = SharesOf(record.quantity);
    p.side = record.quantity < 0 ? kSideShort : kSideLong;
    p.basePrice = record.averagePrice;
    p.multiplier = MultiplierOf(record.symbol);
    return p;
}

CPortfolioPosition PositionFromWatchedSymbol(const CWatchedSymbol& entry)
{
    CPortfolioPosition p;
    p.symbol = entry.symbol;
    p.shares = SharesOf(entry.quantity);
    p.side = entry.quantity < 0 ? kSideShort : kSideLong;
    p.basePrice = entry.price;
    p.fee = entry.commission;
    p.date = entry.purchaseDate;
    p.multiplier = MultiplierOf(entry.symbol);
    return p;
}

bool ParseWholeNumber(const CString& text, int& value)
{
    CString t = text;
    t.Trim();
    if (!t.IsEmpty() && t[0] == '+')
        t = t.Mid(1);
    if (!IsDigits(t) || t.GetLength() > 10)
        return false;
    const long long v = std::atoll(t);
    if (v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseAmount(const CString& text, double& value)
{
    CString t = text;
    t.Trim();
    if (t.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(t, &end);
    if (errno != 0 || !end || *end != '\0' || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool IsAcceptablePositionDate(const CString& text)
{
    CString t = text;
    t.Trim();
    // Split at the separators; anything else than digits and separators is free text.
    std::vector<CString> parts;
    CString part;
    for (int i = 0; i < t.GetLength(); ++i) {
        const char c = t[i];
        if (c == '/' || c == '-' || c == '.') {
            parts.push_back(part);
            part.Empty();
        } else if (c >= '0' && c <= '9') {
            part += c;
        } else {
            return true;
        }
    }
    parts.push_back(part);
    if (parts.size() != 3)
        return true;
    for (const CString& p : parts)
        if (!IsDigits(p) || p.GetLength() > 4)
            return false;
    const int a = std::atoi(parts[0]), b = std::atoi(parts[1]), c = std::atoi(parts[2]);
    if (parts[0].GetLength() == 4)
        return IsRealDay(a, b, c); // year-month-day
    const int year = parts[2].GetLength() <= 2 ? 2000 + c : c;
    return IsRealDay(year, a, b); // month/day/year
}

bool SplitPosition(int& shares, double& price, int n, int m)
{
    if (n <= 0 || m <= 0)
        return false;
    const long long result = static_cast<long long>(shares) * n / m;
    if (result > INT_MAX || result < INT_MIN)
        return false;
    shares = static_cast<int>(result);
    price = price * m / n;
    return true;
}
