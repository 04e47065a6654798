// The history download's reply: the first byte picks the columns, the rest is
// the reply. A reply that is read holds at most one bar a line, a bar dated by
// day has a real date, and a bar written back out reads back to the text it
// was written as.
#include "broker/protocol/HistoryFormat.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qx::protocol;
    if (size == 0)
        return 0;
    static const std::string_view kFields[] = {kDefaultHistoryFields, "eohlcv", "dohlcv", "dc", "e", "tdv", "cv"};
    const std::string_view fields = kFields[data[0] % (sizeof(kFields) / sizeof(kFields[0]))];
    const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);

    std::vector<HistoryBar> bars;
    std::string error;
    if (!ParseHistoryReply(body, fields, bars, error)) {
        FuzzCheck(!error.empty() || body.find("ERROR|") != std::string_view::npos);
        return 0;
    }
    size_t lines = 1;
    for (char c : body)
        lines += c == '\n';
    FuzzCheck(bars.size() <= lines);
    const bool dated = fields.find('e') == std::string_view::npos;
    for (const HistoryBar& bar : bars) {
        // Prices are written with four decimals into a line of limited width: the
        // round trip holds for the magnitudes a price or a volume can have.
        bool plausible = true;
        for (double v : {bar.open, bar.high, bar.low, bar.close, bar.volume})
            plausible = plausible && std::fabs(v) < 1e15;
        if (plausible) {
            const std::string line = FormatHistoryLine(bar, fields);
            HistoryBar again;
            FuzzCheck(ParseHistoryLine(line, fields, again));
            FuzzCheck(FormatHistoryLine(again, fields) == line);
        }
        if (dated) {
            // Date and time columns: the feed time is a real date's.
            FuzzCheck(bar.feedTime != 0);
            int year, month, day, hour, minute, second;
            SplitHistoryFeedTime(bar.feedTime, year, month, day, hour, minute, second);
            FuzzCheck(HistoryFeedTime(year, month, day, hour, minute, second) == bar.feedTime);
        }
    }
    return 0;
}
