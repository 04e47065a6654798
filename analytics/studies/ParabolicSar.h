// The parabolic SAR computation.
#pragma once

#include "analytics/studies/StudyBars.h"

namespace studies {

// What one computation did, for the tests.
struct SarCounts {
    int mostLanes = 0;   // the most states the portable code carried at once
    int wideRecords = 0; // positions stepped by the wide code
    int handOvers = 0;   // times the wide code ran out of lanes and the portable code went on
    int vexRecords = 0;  // positions stepped by the portable code's three-operand build
};

// Whether this processor runs the wide code.
bool SarWideCodeAvailable();
// Whether this processor runs the portable code's three-operand build.
bool SarVexCodeAvailable();

// The SAR of the dense positions [from, to). Every position's walk restarts at most 150
// valid records back; the values are those of one such walk per position.
void KernelPSAR(const CStudyBars& bars, double step0, double stepInc, double stepMax, int from, int to,
                const CStudyOut& out, KernelCode code = KernelCode::kWidest, SarCounts* counts = nullptr);

} // namespace studies
