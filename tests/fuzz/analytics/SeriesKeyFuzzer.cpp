// Arbitrary text as a series request key, as a study call of every type and as
// a tick filter. A key that is taken names a symbol of symbol characters and a
// normalised interval, parses again to the same fields, and a study key's
// parameters pass the study's ranges (its computation then runs over a few
// bars); a filter decides every kind of tick.
#include "analytics/series/CTickFilter.h"
#include "tests/fuzz/FuzzCheck.h"
#include "analytics/series/SeriesKey.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void RunStudy(int type, const double params[4])
{
    std::vector<CBarRecord> bars(64);
    for (size_t i = 0; i < bars.size(); ++i) {
        const double p = 10 + static_cast<double>((i * 7) % 5);
        for (int f = 0; f < 4; ++f)
            bars[i].m_fields[f] = p + f * 0.25;
        bars[i].m_fields[kBarVolume] = 100.0 * static_cast<double>(i % 3);
        bars[i].m_bValid = i % 9 != 4;
    }
    studies::CStudyInput input;
    input.records = bars.data();
    input.count = static_cast<int>(bars.size());
    studies::CStudyColumns columns;
    studies::ComputeStudy(type, params, input, columns);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* keyText = text.c_str();

    CSeriesKey key;
    if (ParseSeriesKey(keyText, key)) {
        FuzzCheck(IsSeriesSymbolText(key.symbol) && !key.interval.IsEmpty() && key.interval.FindOneOf(":&") < 0);
        CSeriesKey again;
        FuzzCheck(ParseSeriesKey(keyText, again) && again.symbol == key.symbol && again.interval == key.interval &&
              again.studyType == key.studyType && again.endFeedTime == key.endFeedTime);
        if (key.studyType >= 0) {
            FuzzCheck(studies::ValidateStudyParams(key.studyType, key.params));
            RunStudy(key.studyType, key.params);
        }
    }
    (void)NormalizeInterval(keyText);

    const int type = FindStudyCallType(keyText, true);
    FuzzCheck(type >= -1 && type <= 29);
    for (int t = -1; t <= 30; ++t) {
        CString symbol, interval;
        double params[4] = {0, 0, 0, 0};
        if (ParseStudyCallText(keyText, t, symbol, params, interval) && t == type)
            FuzzCheck(!symbol.IsEmpty() && studies::ValidateStudyParams(type, params));
    }

    CTickFilter filter;
    if (filter.Parse(keyText)) {
        for (int kind : {0, 1, 2, 3, 4})
            for (double price : {0.0, 1.5, -2.0, 1e300, std::nan("")})
                filter.Drops(kind, price, 100, "NSDQ");
    }
    return 0;
}
