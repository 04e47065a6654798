#include "analytics/studies/DenseBars.h"

namespace studies {

void BuildDenseBars(const CStudyInput& input, CDenseBars& out)
{
    const int count = input.records ? input.count : 0;
    out.denseOf.assign(static_cast<size_t>(count), -1);
    out.recordOf.clear();
    out.recordOf.reserve(static_cast<size_t>(count));
    for (auto& f : out.field) {
        f.clear();
        f.reserve(static_cast<size_t>(count));
    }
    for (int r = 0; r < count; ++r) {
        const CBarRecord& rec = input.records[r];
        if (!rec.m_bValid)
            continue;
        out.denseOf[r] = static_cast<int>(out.recordOf.size());
        out.recordOf.push_back(r);
        for (int f = 0; f < 5; ++f)
            out.field[f].push_back(rec.m_fields[f]);
    }
}

} // namespace studies
