// Moving averages and the studies built on them, over dense (valid-only) bars. Each
// writes its outputs for every dense index; the caller applies bar displacement.
#pragma once

#include "analytics/studies/DenseBars.h"

namespace studies {

void DenseMA(const CDenseBars& bars, int field, int n, CDenseColumns& out);            // MA, WMA, VWMA
void DenseExponential(const CDenseBars& bars, int type, int field, int n, CDenseColumns& out); // EMA, DEMA, TEMA
void DenseMACD(const CDenseBars& bars, int field, int fast, int slow, int signal, CDenseColumns& out);
void DenseAMA(const CDenseBars& bars, int field, int n, int fast, int slow, CDenseColumns& out);
void DenseBB(const CDenseBars& bars, int field, int n, double width, CDenseColumns& out);
void DenseMAE(const CDenseBars& bars, int field, int n, double percent, CDenseColumns& out);
void DenseKB(const CDenseBars& bars, int n, double width, CDenseColumns& out);
void DensePRC(const CDenseBars& bars, int n, CDenseColumns& out);
void DenseTSF(const CDenseBars& bars, int field, int n, CDenseColumns& out);

// True range of dense record i against the record before it (i >= 1).
inline double TrueRange(const CDenseBars& bars, int i)
{
    const double h = bars.High()[i];
    const double l = bars.Low()[i];
    const double pc = bars.Close()[i - 1];
    double tr = std::abs(h - l);
    tr = std::max(tr, std::abs(pc - l));
    tr = std::max(tr, std::abs(pc - h));
    return tr;
}

} // namespace studies
