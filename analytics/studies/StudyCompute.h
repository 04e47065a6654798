// Computes a built-in study over the records of a series.
#pragma once

#include "analytics/studies/StudyInput.h"

namespace studies {

// Fills out with every output of the study at every record (kNoValue where a record has
// none). Returns false, with no values, for a type without computation or parameters
// outside their ranges.
bool ComputeStudy(int type, const double params[4], const CStudyInput& input, CStudyColumns& out);

// The record a study with displacement reads for record r: r - displacement.
int GetStudyDisplacement(int type, const double params[4]);

} // namespace studies
