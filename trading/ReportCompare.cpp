#include "trading/ReportCompare.h"

#include "broker/session/COrderStatusRecord.h"

#include <cstdlib>
#include <string>

namespace {

template <class T>
int ThreeWay(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

bool ParseReportNumber(const CString& text, double& value)
{
    std::string s = text.str();
    if (!s.empty() && s.front() == '$')
        s.erase(0, 1);
    std::erase(s, ',');
    if (s.empty()) {
        value = 0;
        return true;
    }
    size_t i = s.front() == '-' ? 1 : 0;
    bool digit = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') {
            digit = true;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digit)
        return false;
    value = std::strtod(s.c_str(), nullptr);
    return true;
}

int CompareReportCells(const CString& first, const CString& second, EReportSort sort)
{
    if (sort == EReportSort::kDateTime) {
        int64_t a = 0;
        int64_t b = 0;
        if (ParseOrderTime(first, a) && ParseOrderTime(second, b))
            return ThreeWay(a, b);
    } else if (sort == EReportSort::kNumber) {
        double a = 0;
        double b = 0;
        if (ParseReportNumber(first, a) && ParseReportNumber(second, b))
            return ThreeWay(a, b);
    }
    // Byte by byte as unsigned characters.
    return ThreeWay(first.str().compare(second.str()), 0);
}
