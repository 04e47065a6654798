// Oscillator, range and volume studies over dense (valid-only) bars.
#pragma once

#include "analytics/studies/DenseBars.h"

namespace studies {

void DenseRSI(const CDenseBars& bars, int n, CDenseColumns& out);                 // RSI, HAVG, LAVG
// Stochastic RSI: outputs StocK and StocD (SRSI reads StocK with k = n, d = 1, m = 1).
void DenseStochRSI(const CDenseBars& bars, int n, int k, int d, int m, CDenseColumns& out);
void DenseSTOC(const CDenseBars& bars, int k, int d, int m, CDenseColumns& out);    // StocK, StocD, Raw
void DenseMOM(const CDenseBars& bars, int field, int n, bool percent, CDenseColumns& out);
void DenseCCI(const CDenseBars& bars, int n, CDenseColumns& out);
void DenseATR(const CDenseBars& bars, int n, CDenseColumns& out);
void DenseCHOP(const CDenseBars& bars, int n, CDenseColumns& out);                 // Chop, TrueHigh, TrueLow, TR
void DenseADX(const CDenseBars& bars, int n, int a, CDenseColumns& out);           // ADX, +DI, -DI
void DenseAROON(const CDenseBars& bars, int n, CDenseColumns& out);                // Up, Down
void DenseUOSC(const CDenseBars& bars, int l1, int l2, int l3, CDenseColumns& out);
void DenseMFI(const CDenseBars& bars, int n, CDenseColumns& out);
void DenseOBV(const CDenseBars& bars, CDenseColumns& out);
void DenseAD(const CDenseBars& bars, CDenseColumns& out);
void DenseCMF(const CDenseBars& bars, int n, CDenseColumns& out);
void DenseCOSC(const CDenseBars& bars, int fast, int slow, CDenseColumns& out);
// Parabolic SAR; firstRecordValid tells whether dense index 0 is record 0 of the series.
void DensePSAR(const CDenseBars& bars, double step0, double stepInc, double stepMax, CDenseColumns& out);

// Typical price and the close-location value times volume of a dense record.
inline double TypicalPrice(const CDenseBars& bars, int i)
{
    return (bars.High()[i] + bars.Low()[i] + bars.Close()[i]) * 0.3333333333333333;
}
inline double ClvVolume(const CDenseBars& bars, int i)
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
