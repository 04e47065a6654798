#include "analytics/series/TimeUnitNames.h"

#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex g_lock;
std::map<std::string, int> g_names;

void FillNames()
{
    static const char* const kNames[] = {"Second", "Minute", "Hour", "Day", "Month",
                                         "Year", "Date", "Time", "DayOfWeek"};
    g_names.clear();
    for (int i = 0; i < 9; ++i)
        g_names[kNames[i]] = kFirstTimeUnitField + i;
}

} // namespace

void InitTimeUnitNames()
{
    std::lock_guard<std::mutex> lock(g_lock);
    FillNames();
}

int FindTimeUnitField(const char* name)
{
    if (!name)
        return -1;
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_names.empty())
        FillNames();
    auto it = g_names.find(name);
    return it == g_names.end() ? -1 : it->second;
}
