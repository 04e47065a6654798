#include "analytics/studies/StudyCompute.h"

#include "analytics/studies/AverageStudies.h"
#include "analytics/studies/DenseBars.h"
#include "analytics/studies/OscillatorStudies.h"
#include "analytics/studies/StudyTable.h"

#include <algorithm>

namespace studies {

namespace {

int I(double v)
{
    return static_cast<int>(v);
}

void ComputeEquity(const CStudyInput& input, CStudyColumns& out)
{
    if (!input.equity || input.equity->empty() || !input.endFeedTimes)
        return;
    const CEquityRecordArray& eq = *input.equity;
    double* res = out.Column(0);
    for (int r = 0; r < input.count; ++r) {
        const CBarRecord& rec = input.records[r];
        if (!rec.m_bValid)
            continue;
        const DWORD end = input.endFeedTimes[r];
        if (!eq.front() || eq.front()->m_time > end)
            continue;
        auto it = std::upper_bound(eq.begin(), eq.end(), end,
                                   [](DWORD t, const CEquityRecord* e) { return e && t < e->m_time; });
        const CEquityRecord* e = *(it - 1);
        if (!e)
            continue;
        double value = e->m_equity;
        if (e->m_nPositionKind == 0)
            value += e->m_nQuantity * (rec.Close() - e->m_entryPrice);
        else if (e->m_nPositionKind == 3)
            value += e->m_nQuantity * (e->m_entryPrice - rec.Close());
        res[r] = value;
    }
}

void ComputeDense(int type, const double* p, const CDenseBars& bars, CDenseColumns& d)
{
    switch (type) {
    case kADX: DenseADX(bars, I(p[0]), I(p[1]), d); break;
    case kBB: DenseBB(bars, I(p[0]), I(p[1]), p[2], d); break;
    case kCHOP: DenseCHOP(bars, I(p[0]), d); break;
    case kMA: DenseMA(bars, I(p[0]), I(p[1]), d); break;
    case kEMA:
    case kDEMA:
    case kTEMA: DenseExponential(bars, type, I(p[0]), I(p[1]), d); break;
    case kMACD: DenseMACD(bars, I(p[0]), I(p[1]), I(p[2]), I(p[3]), d); break;
    case kMOM: DenseMOM(bars, I(p[0]), I(p[1]), I(p[2]) != 0, d); break;
    case kOBV: DenseOBV(bars, d); break;
    case kPRC: DensePRC(bars, I(p[0]), d); break;
    case kRSI: DenseRSI(bars, I(p[0]), d); break;
    case kSTOC: DenseSTOC(bars, I(p[0]), I(p[1]), I(p[2]), d); break;
    case kATR: DenseATR(bars, I(p[0]), d); break;
    case kCCI: DenseCCI(bars, I(p[0]), d); break;
    case kKB: DenseKB(bars, I(p[0]), p[1], d); break;
    case kMFI: DenseMFI(bars, I(p[0]), d); break;
    case kSRSI: DenseStochRSI(bars, I(p[0]), I(p[0]), 1, 1, d); break;
    case kCOSC: DenseCOSC(bars, I(p[0]), I(p[1]), d); break;
    case kUOSC: DenseUOSC(bars, I(p[0]), I(p[1]), I(p[2]), d); break;
    case kPSAR: DensePSAR(bars, p[0], p[1], p[2], d); break;
    case kMAE: DenseMAE(bars, I(p[0]), I(p[1]), p[2], d); break;
    case kAD: DenseAD(bars, d); break;
    case kCMF: DenseCMF(bars, I(p[0]), d); break;
    case kAROON: DenseAROON(bars, I(p[0]), d); break;
    case kTSF: DenseTSF(bars, I(p[0]), I(p[1]), d); break;
    case kAMA: DenseAMA(bars, I(p[0]), I(p[1]), I(p[2]), I(p[3]), d); break;
    case kSRSI2: DenseStochRSI(bars, I(p[0]), I(p[1]), I(p[2]), I(p[3]), d); break;
    default: break;
    }
}

// The fields a study reads: its source field and what its formulas use.
unsigned FieldsOf(int type, const double* p)
{
    constexpr unsigned H = 1u << 1, L = 1u << 2, C = 1u << 3, V = 1u << 4;
    const unsigned source = 1u << I(p[0]);
    switch (type) {
    case kMA: return source | V;
    case kBB: case kEMA: case kDEMA: case kTEMA: case kMACD: case kMOM: case kMAE: case kTSF: case kAMA:
        return source;
    case kRSI: case kSRSI: case kSRSI2: return C;
    case kOBV: return C | V;
    case kPRC: case kAROON: return H | L;
    case kPSAR: case kSTOC: case kADX: case kATR: case kCCI: case kKB: case kCHOP: case kUOSC: return H | L | C;
    case kMFI: case kAD: case kCMF: case kCOSC: return H | L | C | V;
    default: return 0x1F;
    }
}

} // namespace

int GetStudyDisplacement(int type, const double params[4])
{
    switch (type) {
    case kMA:
    case kEMA:
    case kDEMA:
    case kTEMA:
    case kTSF: return I(params[2]);
    case kPRC: return I(params[1]);
    default: return 0;
    }
}

bool ComputeStudy(int type, const double params[4], const CStudyInput& input, CStudyColumns& out)
{
    const StudyTableRow* row = GetStudyRow(type);
    const int count = input.records ? std::max(input.count, 0) : 0;
    out.Reset(row ? row->outputCount : 0, count);
    if (!row || type == kBar || !ValidateStudyParams(type, params))
        return false;
    if (type == kEQTY) {
        ComputeEquity(input, out);
        return true;
    }
    CDenseBars bars;
    BuildDenseBars(input, bars, FieldsOf(type, params));
    CDenseColumns dense;
    dense.Reset(row->outputCount, bars.Size());
    ComputeDense(type, params, bars, dense);
    const int shift = GetStudyDisplacement(type, params);
    for (int o = 0; o < row->outputCount; ++o) {
        const double* src = dense.Column(o);
        double* dst = out.Column(o);
        for (int r = 0; r < count; ++r) {
            const int s = r - shift;
            if (bars.denseOf[r] < 0 || s < 0 || s >= count)
                continue;
            const int q = bars.denseOf[s];
            if (q >= 0 && HasValue(src[q]))
                dst[r] = src[q];
        }
    }
    return true;
}

} // namespace studies
