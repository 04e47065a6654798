// The valid records of a series packed together, oldest first. Every study walks
// these: invalid records are skipped and do not count.
#pragma once

#include "analytics/studies/StudyInput.h"

#include <vector>

namespace studies {

struct CDenseBars {
    std::vector<double> field[5];   // Open, High, Low, Close, Volume
    std::vector<int> recordOf;      // dense index -> record index
    std::vector<int> denseOf;       // record index -> dense index, -1 for invalid records

    int Size() const { return static_cast<int>(recordOf.size()); }
    const double* Open() const { return field[0].data(); }
    const double* High() const { return field[1].data(); }
    const double* Low() const { return field[2].data(); }
    const double* Close() const { return field[3].data(); }
    const double* Volume() const { return field[4].data(); }
};

// Packs the valid records; only the fields whose bit (1 << field) is set in fieldMask are
// copied, the others stay empty.
void BuildDenseBars(const CStudyInput& input, CDenseBars& out, unsigned fieldMask = 0x1F);

// Dense results: outputs x dense size, kNoValue where none.
using CDenseColumns = CStudyColumns;

} // namespace studies
