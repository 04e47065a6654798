#include "trading/OrderFilterInput.h"

#include "trading/OrderInput.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace {

constexpr const char* kStatusNames[] = {"All",       "Open",    "Filled",  "Open / Filled",
                                        "Cancelled", "Expired", "Pending", "Exercised"};
constexpr const char* kTypeNames[] = {"All", "Standard", "Multi-Leg"};
constexpr const char* kMonthNames[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                       "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// The combo's selection, else the entry the typed text names whole (case ignored).
int ChosenIndex(int selection, const CString& typed, std::span<const char* const> names)
{
    if (selection >= 0 && static_cast<size_t>(selection) < names.size())
        return selection;
    for (size_t i = 0; i < names.size(); ++i)
        if (typed.CompareNoCase(names[i]) == 0)
            return static_cast<int>(i);
    return -1;
}

// A whole number with blanks around it and nothing else.
bool ReadInteger(const CString& text, int& value)
{
    CString t = text;
    t.Trim();
    if (t.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(t, &end, 10);
    if (errno != 0 || !end || *end != '\0' || v < -1000000 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

int64_t LocalTime(int year, int month, int day, int hour, int minute)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&tm));
}

struct DateEntry {
    int day = 0;
    int month = 0;
    int year = 0;
};

// One side of the range, checked as the dialog reads it: day, month, year, then whether
// the day exists in that month.
CString ReadDate(const char* side, const CString& dayText, int monthSel, const CString& yearText, int thisYear,
                 DateEntry& out)
{
    const CString prefix(side);
    if (!ReadInteger(dayText, out.day) || out.day < 1 || out.day > 31)
        return prefix + " day you entered is invalid";
    if (monthSel < 0 || monthSel > 11)
        return prefix + " month you entered is invalid";
    out.month = monthSel + 1;
    if (!ReadInteger(yearText, out.year) || out.year < thisYear - 1 || out.year > thisYear)
        return prefix + " year you entered is invalid";
    if (!IsCalendarDate(out.year, out.month, out.day))
        return prefix + " day you entered is invalid";
    return {};
}

}  // namespace

std::span<const char* const> OrderFilterStatusNames()
{
    return kStatusNames;
}

std::span<const char* const> OrderFilterTypeNames()
{
    return kTypeNames;
}

std::span<const char* const> OrderFilterMonthNames()
{
    return kMonthNames;
}

CString ApplyOrderFilterInput(const COrderFilterInput& input, int64_t now, COrderListFilter& filter)
{
    const int status = ChosenIndex(input.statusSel, input.statusText, kStatusNames);
    if (status < 0)
        return "Status you entered is invalid";
    const int type = ChosenIndex(input.typeSel, input.typeText, kTypeNames);
    if (type < 0)
        return "Type you entered is invalid";
    COrderListFilter result = filter;
    result.status = status;
    result.type = type;
    result.dateMode = input.dateMode >= 0 && input.dateMode <= 3 ? input.dateMode : 0;
    if (result.dateMode == 2) {
        int days = -1;
        if (!ReadInteger(input.days, days) || days < 0 || days > kOrderFilterMaxDays) {
            CString message;
            message.Format("Please enter number of days between 0 and %d", kOrderFilterMaxDays);
            return message;
        }
        result.days = days;
    } else if (result.dateMode == 3) {
        const time_t t = static_cast<time_t>(now);
        std::tm local{};
        localtime_r(&t, &local);
        const int thisYear = local.tm_year + 1900;
        DateEntry from;
        DateEntry to;
        CString message = ReadDate("From", input.fromDay, input.fromMonthSel, input.fromYear, thisYear, from);
        if (message.IsEmpty())
            message = ReadDate("To", input.toDay, input.toMonthSel, input.toYear, thisYear, to);
        if (!message.IsEmpty())
            return message;
        const int64_t start = LocalTime(from.year, from.month, from.day, 0, 0);
        const int64_t end = LocalTime(to.year, to.month, to.day, 23, 59);
        if (end < start)
            return "Date range is invalid";
        if ((now - start) / 86400 > kOrderFilterMaxDays) {
            CString text;
            text.Format("Date range must be within past %d days", kOrderFilterMaxDays);
            return text;
        }
        result.from = start;
        result.to = end;
    }
    filter = result;
    return {};
}
