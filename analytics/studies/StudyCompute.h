// Computes the built-in studies: over the dense (valid-only) records of a series a range at
// a time, or over a whole record array.
#pragma once

#include "analytics/studies/StudyBars.h"
#include "analytics/studies/StudyInput.h"

namespace studies {

// The outputs computed together with output `output` of the type (a mask): each output of
// MA alone, all outputs of the other studies.
unsigned StudyOutputGroup(int type, int output);

// How many dense records a value depends on, counting its own: the value at position q
// reads positions q - span + 1 .. q (never fewer than 1).
int StudySpan(int type, const double params[4]);

// The fields a study reads (bit 1 << field).
unsigned StudyFields(int type, const double params[4]);

// Computes the outputs in `group` (a StudyOutputGroup) at dense positions [from, to): every
// output of the group gets a value or kNoValue at each position. Parameters must have
// passed ValidateStudyParams; EQTY and Bar are not computed here.
void ComputeStudyRange(int type, const double params[4], const CStudyBars& bars, int from, int to, unsigned group,
                       const CStudyOut& out, CStudyScratch& scratch);

// True when the type's computation also walks the records themselves, skipping the empty
// ones (ComputeStudyRecords): a series with empty records needs no packed copy for it.
bool StudyWalksRecords(int type);

// Computes every output of a StudyWalksRecords type at the records [from, to): the values
// ComputeStudyRange gives the valid records, kNoValue at the empty ones.
void ComputeStudyRecords(int type, const double params[4], const CStudyRecords& records, int from, int to,
                         const CStudyOut& out, CStudyScratch& scratch);

// Fills out with every output of the study at every record (kNoValue where a record has
// none). Returns false, with no values, for a type without computation or parameters
// outside their ranges.
bool ComputeStudy(int type, const double params[4], const CStudyInput& input, CStudyColumns& out);

// "EQTY" at the records [from, to): the equity curve's value at each valid record's end
// time (endFeedTimes[r], a feed time); kNoValue elsewhere.
void ComputeEquity(const CEquityRecordArray* equity, const BYTE* valid, const double* close,
                   const DWORD* endFeedTimes, int from, int to, double* out);

// The record a study with displacement reads for record r: r - displacement.
int GetStudyDisplacement(int type, const double params[4]);

} // namespace studies
