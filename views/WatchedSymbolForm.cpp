#include "views/WatchedSymbolForm.h"

#include "broker/core/Formatters.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace {

// Digits with at most one '.', at least one digit, and an optional leading '-'.
bool IsPlainNumber(const CString& text, double& value)
{
    const char* p = text.GetString();
    if (*p == '-')
        ++p;
    int digits = 0, points = 0;
    for (const char* q = p; *q; ++q) {
        if (std::isdigit(static_cast<unsigned char>(*q)))
            ++digits;
        else if (*q == '.')
            ++points;
        else
            return false;
    }
    if (digits == 0 || points > 1)
        return false;
    value = std::atof(text.GetString());
    return std::isfinite(value);
}

// An integer from first to last, digits only.
bool IsIntegerIn(const CString& text, int first, int last, int& value)
{
    if (text.IsEmpty() || text.GetLength() > 9)
        return false;
    for (const char c : std::string_view(text.GetString()))
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    value = std::atoi(text.GetString());
    return value >= first && value <= last;
}

CString Trimmed(const CString& text)
{
    CString t = text;
    t.Trim();
    return t;
}

CString PlainText(double value)
{
    if (value == 0.0)
        return {};
    CString text;
    text.Format("%.6f", value);
    text.TrimRight('0');
    text.TrimRight('.');
    return text;
}

} // namespace

bool ReadWatchedSymbolForm(const CWatchedSymbolForm& form, CWatchedSymbol& out, CString& message,
                           EWatchedSymbolField& badField)
{
    const auto fail = [&](EWatchedSymbolField field, const char* text) {
        badField = field;
        message = text;
        return false;
    };
    CWatchedSymbol item;
    item.symbol = Trimmed(form.symbol);
    item.symbol.MakeUpper();
    if (item.symbol.IsEmpty())
        return fail(kWatchedSymbol, "Please specify a symbol");
    const CString quantity = Trimmed(form.quantity);
    if (!quantity.IsEmpty() && !IsPlainNumber(quantity, item.quantity))
        return fail(kWatchedQuantity, "Please specify a valid quantity");
    const CString price = Trimmed(form.price);
    if (!price.IsEmpty() && (!IsPlainNumber(price, item.price) || item.price < 0))
        return fail(kWatchedPrice, "Please specify a valid price");
    const CString commission = Trimmed(form.commission);
    if (!commission.IsEmpty() && (!IsPlainNumber(commission, item.commission) || item.commission < 0))
        return fail(kWatchedCommission, "Please specify a valid commission");
    const CString month = Trimmed(form.month), day = Trimmed(form.day), year = Trimmed(form.year);
    int m = 0, d = 0, y = 0;
    if (!month.IsEmpty() && !IsIntegerIn(month, 1, 12, m))
        return fail(kWatchedMonth, "Please specify a valid month");
    if (!day.IsEmpty() && !IsIntegerIn(day, 1, 31, d))
        return fail(kWatchedDay, "Please specify a valid day");
    // Four digits at most, as the stored date holds them.
    if (!year.IsEmpty() && !IsIntegerIn(year, 1, 9999, y))
        return fail(kWatchedYear, "Please specify a valid year");
    const int given = !month.IsEmpty() + !day.IsEmpty() + !year.IsEmpty();
    if (given == 1 || given == 2)
        return fail(kWatchedDate, "Please specify a complete date");
    if (given == 3)
        item.purchaseDate.Format("%02d-%02d-%04d", m, d, y);
    out = item;
    return true;
}

CWatchedSymbolForm FormOfWatchedSymbol(const CWatchedSymbol& item)
{
    CWatchedSymbolForm form;
    form.symbol = item.symbol;
    form.quantity = PlainText(item.quantity);
    form.price = PlainText(item.price);
    form.commission = PlainText(item.commission);
    if (item.purchaseDate.GetLength() == 10) {
        form.month = item.purchaseDate.Left(2);
        form.day = item.purchaseDate.Mid(3, 2);
        form.year = item.purchaseDate.Mid(6);
    }
    return form;
}

std::vector<CString> WatchedSymbolRowTexts(const CWatchedSymbol& item)
{
    CString quantity, price, commission;
    if (item.quantity != 0.0)
        quantity.Format("%g", item.quantity);
    if (item.price != 0.0)
        price = FormatNumber(item.price, 2, 4);
    if (item.commission != 0.0)
        commission.Format("%.2lf", item.commission);
    return {item.symbol, quantity, price, commission, item.purchaseDate};
}
