#include "analytics/studies/DenseBars.h"

namespace studies {

void BuildDenseBars(const CStudyInput& input, CDenseBars& out, unsigned fieldMask)
{
    const int count = input.records ? input.count : 0;
    out.denseOf.assign(static_cast<size_t>(count), -1);
    out.recordOf.clear();
    out.recordOf.reserve(static_cast<size_t>(count));
    int fields[5];
    int nFields = 0;
    for (int f = 0; f < 5; ++f) {
        out.field[f].clear();
        if (fieldMask & (1u << f)) {
            out.field[f].resize(static_cast<size_t>(count));
            fields[nFields++] = f;
        }
    }
    int size = 0;
    for (int r = 0; r < count; ++r) {
        const CBarRecord& rec = input.records[r];
        if (!rec.m_bValid)
            continue;
        out.denseOf[r] = size;
        out.recordOf.push_back(r);
        for (int k = 0; k < nFields; ++k)
            out.field[fields[k]][size] = rec.m_fields[fields[k]];
        ++size;
    }
    for (int k = 0; k < nFields; ++k)
        out.field[fields[k]].resize(static_cast<size_t>(size));
}

} // namespace studies
