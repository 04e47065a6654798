// Request keys of price series as arbitrary text: the key parser, the study
// call parser for every type and the tick filter. A key that parses parses
// again to the same fields; a filter drops or passes every kind of tick.
#include "analytics/series/CTickFilter.h"
#include "analytics/series/SeriesKey.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
void Check(bool condition)
{
    if (!condition)
        std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* key = text.c_str();

    CSeriesKey parsed;
    if (ParseSeriesKey(key, parsed)) {
        CSeriesKey again;
        Check(ParseSeriesKey(key, again));
        Check(again.symbol == parsed.symbol && again.interval == parsed.interval &&
              again.studyType == parsed.studyType && again.endFeedTime == parsed.endFeedTime);
        Check(parsed.studyType >= -1 && parsed.studyType <= 28);
    }
    (void)NormalizeInterval(key);

    for (int type = -1; type <= 30; ++type) {
        CString symbol;
        CString interval;
        double params[4] = {0, 0, 0, 0};
        ParseStudyCallText(key, type, symbol, params, interval);
    }
    const int type = FindStudyCallType(key, true);
    Check(type >= -1 && type <= 29);

    CTickFilter filter;
    if (filter.Parse(key)) {
        for (int kind : {0, 1, 2, 3, 4})
            for (double price : {0.0, 1.5, -2.0, 1e300, std::nan("")})
                filter.Drops(kind, price, 100, "NSDQ");
    }
    return 0;
}
