// Arbitrary text as a series request key and as a study call. A key that is taken names a
// symbol of symbol characters and a normalised interval, and a study key's parameters pass
// the study's ranges; the study's own computation then runs over a few bars.
#include "analytics/series/SeriesKey.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CSeriesKey key;
    if (ParseSeriesKey(text.c_str(), key)) {
        if (!IsSeriesSymbolText(key.symbol) || key.interval.IsEmpty() || key.interval.FindOneOf(":&") >= 0)
            std::abort();
        if (key.studyType >= 0) {
            if (!studies::ValidateStudyParams(key.studyType, key.params))
                std::abort();
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
            studies::ComputeStudy(key.studyType, key.params, input, columns);
        }
    }
    const int type = FindStudyCallType(text.c_str(), true);
    if (type >= 0) {
        CString symbol, interval;
        double params[4] = {0, 0, 0, 0};
        if (ParseStudyCallText(text.c_str(), type, symbol, params, interval) &&
            (symbol.IsEmpty() || !studies::ValidateStudyParams(type, params)))
            std::abort();
    }
    return 0;
}
