#include "broker/session/COrderStatusRecord.h"

#include <ctime>
#include <string>

bool ParseOrderTime(const CString& text, int64_t& seconds)
{
    std::string s = text.str();
    const size_t slash = s.rfind('/');
    if (slash != std::string::npos && s.size() - slash - 1 == 2)
        s.insert(slash + 1, "20");
    std::erase(s, ',');
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return false;
    s.erase(0, first);

    static const char* const kFormats[] = {
        "%m/%d/%Y %I:%M:%S %p", "%m/%d/%Y %I:%M %p", "%m/%d/%Y %H:%M:%S", "%m/%d/%Y %H:%M",
        "%m/%d/%Y", "%Y-%m-%d %H:%M:%S", "%Y-%m-%d"};
    for (const char* format : kFormats) {
        std::tm tm{};
        const char* end = strptime(s.c_str(), format, &tm);
        if (!end || *end != '\0')
            continue;
        tm.tm_isdst = -1;
        const time_t t = mktime(&tm);
        if (t == static_cast<time_t>(-1))
            return false;
        seconds = static_cast<int64_t>(t);
        return true;
    }
    return false;
}

bool COrderStatusRecord::GetFieldTime(int field, int64_t& seconds) const
{
    if (field < 0 || field >= kFieldCount)
        return false;
    return ParseOrderTime(m_fields[field], seconds);
}
