// Oscillator, range and volume studies. Each computes the dense positions [from, to) of
// all its outputs.
#pragma once

#include "analytics/studies/StudyBars.h"

namespace studies {

void KernelRSI(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch);
// RSI and MFI also walk the records themselves, skipping the empty ones: the same values.
void KernelRSI(const CStudyRecords& records, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch);
void KernelMFI(const CStudyRecords& records, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch);
// Stochastic RSI: outputs StocK and StocD (SRSI reads StocK with k = n, d = 1, m = 1).
void KernelStochRSI(const CStudyBars& bars, int n, int k, int d, int m, int from, int to, const CStudyOut& out,
                    CStudyScratch& scratch, KernelCode code = KernelCode::kWidest);
void KernelSTOC(const CStudyBars& bars, int k, int d, int m, int from, int to, const CStudyOut& out,
                CStudyScratch& scratch);
void KernelMOM(const CStudyBars& bars, int field, int n, bool percent, int from, int to, const CStudyOut& out);
void KernelCCI(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch);
void KernelATR(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out);
void KernelCHOP(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch);
void KernelADX(const CStudyBars& bars, int n, int a, int from, int to, const CStudyOut& out, CStudyScratch& scratch,
               KernelCode code = KernelCode::kWidest);
void KernelAROON(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch);
void KernelUOSC(const CStudyBars& bars, int l1, int l2, int l3, int from, int to, const CStudyOut& out,
                CStudyScratch& scratch);
void KernelMFI(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch);
void KernelOBV(const CStudyBars& bars, int from, int to, const CStudyOut& out, CStudyScratch& scratch);
void KernelAD(const CStudyBars& bars, int from, int to, const CStudyOut& out);
void KernelCMF(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out);
void KernelCOSC(const CStudyBars& bars, int fast, int slow, int from, int to, const CStudyOut& out,
                CStudyScratch& scratch);

// Typical price and the close-location value times volume of a dense record.
inline double TypicalPrice(const CStudyBars& bars, int i)
{
    return (bars.High()[i] + bars.Low()[i] + bars.Close()[i]) * 0.3333333333333333;
}
inline double ClvVolume(const CStudyBars& bars, int i)
{
    const double h = bars.High()[i], l = bars.Low()[i], c = bars.Close()[i];
    if (!(h > l))
        return 0.0;
    return ((c - l) - (h - c)) / (h - l) * bars.Volume()[i];
}

// RSI from the averages of up and down moves; no value when the down average is 0.
inline double RsiFromAverages(double h, double l)
{
    return l != 0.0 ? 100 - 100 / (h / l + 1) : kNoValue;
}

} // namespace studies
