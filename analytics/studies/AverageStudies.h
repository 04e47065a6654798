// Moving averages and the studies built on them. Each computes the dense positions
// [from, to) of the outputs in `mask`; displacement is the caller's.
#pragma once

#include "analytics/studies/StudyBars.h"

#include <algorithm>
#include <cmath>

namespace studies {

void KernelMA(const CStudyBars& bars, int field, int n, unsigned mask, int from, int to, const CStudyOut& out);
// EMA, DEMA and TEMA by type.
void KernelExponential(const CStudyBars& bars, int type, int field, int n, int from, int to, const CStudyOut& out,
                       CStudyScratch& scratch);
void KernelMACD(const CStudyBars& bars, int field, int fast, int slow, int signal, int from, int to,
                const CStudyOut& out, CStudyScratch& scratch);
void KernelAMA(const CStudyBars& bars, int field, int n, int fast, int slow, int from, int to, const CStudyOut& out,
               CStudyScratch& scratch);
void KernelBB(const CStudyBars& bars, int field, int n, double width, int from, int to, const CStudyOut& out);
void KernelMAE(const CStudyBars& bars, int field, int n, double percent, int from, int to, const CStudyOut& out);
void KernelKB(const CStudyBars& bars, int n, double width, int from, int to, const CStudyOut& out);
void KernelPRC(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch);
void KernelTSF(const CStudyBars& bars, int field, int n, int from, int to, const CStudyOut& out);

// True range of dense record i against the record before it (i >= 1).
inline double TrueRange(const double* h, const double* l, const double* c, int i)
{
    const double pc = c[i - 1];
    double tr = std::abs(h[i] - l[i]);
    tr = std::max(tr, std::abs(pc - l[i]));
    tr = std::max(tr, std::abs(pc - h[i]));
    return tr;
}

} // namespace studies
