#include "analytics/studies/StudyCompute.h"

#include "analytics/studies/AverageStudies.h"
#include "analytics/studies/OscillatorStudies.h"
#include "analytics/studies/ParabolicSar.h"
#include "analytics/studies/StudyTable.h"

#include <algorithm>

namespace studies {

namespace {

int I(double v)
{
    return static_cast<int>(v);
}

} // namespace

unsigned StudyOutputGroup(int type, int output)
{
    if (type == kMA)
        return 1u << output;
    const StudyTableRow* row = GetStudyRow(type);
    return row ? (1u << row->outputCount) - 1 : 0;
}

int StudySpan(int type, const double p[4])
{
    switch (type) {
    case kADX: return I(p[0]) + 8 * I(p[1]);
    case kBB: case kMA: case kMAE: case kTSF: return I(p[1]);
    case kCCI: case kCMF: case kAROON: case kPRC: return I(p[0]);
    case kCHOP: case kATR: case kKB: case kMFI: return I(p[0]) + 1;
    case kMOM: return I(p[1]) + 1;
    case kEMA: return 4 * I(p[1]);
    case kDEMA: return 8 * I(p[1]);
    case kTEMA: return 12 * I(p[1]);
    case kAMA: return 4 * I(p[1]);
    case kMACD: return 4 * I(p[3]) - 1 + 4 * std::max(I(p[1]), I(p[2]));
    case kOBV: return 51;
    case kAD: return 50;
    case kRSI: return 8 * I(p[0]) + 1;
    case kSRSI: return 9 * I(p[0]);
    case kSRSI2: return 8 * I(p[0]) + I(p[1]) + I(p[2]) + I(p[3]) - 2;
    case kSTOC: return I(p[0]) + I(p[1]) + I(p[2]) - 2;
    case kUOSC: return std::max({I(p[0]), I(p[1]), I(p[2])}) + 1;
    case kCOSC: return 4 * std::max(I(p[0]), I(p[1]));
    case kPSAR: return 151;
    default: return 1;
    }
}

unsigned StudyFields(int type, const double* p)
{
    constexpr unsigned H = 1u << kBarHigh, L = 1u << kBarLow, C = 1u << kBarClose, V = 1u << kBarVolume;
    const unsigned source = 1u << std::clamp(I(p[0]), 0, 4);
    switch (type) {
    case kMA: return source | V;
    case kBB: case kEMA: case kDEMA: case kTEMA: case kMACD: case kMOM: case kMAE: case kTSF: case kAMA:
        return source;
    case kRSI: case kSRSI: case kSRSI2: return C;
    case kOBV: return C | V;
    case kPRC: case kAROON: return H | L;
    case kPSAR: case kSTOC: case kADX: case kATR: case kCCI: case kKB: case kCHOP: case kUOSC: return H | L | C;
    case kMFI: case kAD: case kCMF: case kCOSC: return H | L | C | V;
    case kEQTY: return C;
    default: return 0x1F;
    }
}

void ComputeStudyRange(int type, const double* p, const CStudyBars& b, int from, int to, unsigned group,
                       const CStudyOut& d, CStudyScratch& s)
{
    if (from >= to)
        return;
    switch (type) {
    case kADX: KernelADX(b, I(p[0]), I(p[1]), from, to, d, s); break;
    case kBB: KernelBB(b, I(p[0]), I(p[1]), p[2], from, to, d); break;
    case kCHOP: KernelCHOP(b, I(p[0]), from, to, d, s); break;
    case kMA: KernelMA(b, I(p[0]), I(p[1]), group, from, to, d); break;
    case kEMA:
    case kDEMA:
    case kTEMA: KernelExponential(b, type, I(p[0]), I(p[1]), from, to, d, s); break;
    case kMACD: KernelMACD(b, I(p[0]), I(p[1]), I(p[2]), I(p[3]), from, to, d, s); break;
    case kMOM: KernelMOM(b, I(p[0]), I(p[1]), I(p[2]) != 0, from, to, d); break;
    case kOBV: KernelOBV(b, from, to, d, s); break;
    case kPRC: KernelPRC(b, I(p[0]), from, to, d, s); break;
    case kRSI: KernelRSI(b, I(p[0]), from, to, d, s); break;
    case kSTOC: KernelSTOC(b, I(p[0]), I(p[1]), I(p[2]), from, to, d, s); break;
    case kATR: KernelATR(b, I(p[0]), from, to, d); break;
    case kCCI: KernelCCI(b, I(p[0]), from, to, d, s); break;
    case kKB: KernelKB(b, I(p[0]), p[1], from, to, d); break;
    case kMFI: KernelMFI(b, I(p[0]), from, to, d, s); break;
    case kSRSI: KernelStochRSI(b, I(p[0]), I(p[0]), 1, 1, from, to, d, s); break;
    case kCOSC: KernelCOSC(b, I(p[0]), I(p[1]), from, to, d, s); break;
    case kUOSC: KernelUOSC(b, I(p[0]), I(p[1]), I(p[2]), from, to, d, s); break;
    case kPSAR: KernelPSAR(b, p[0], p[1], p[2], from, to, d); break;
    case kMAE: KernelMAE(b, I(p[0]), I(p[1]), p[2], from, to, d); break;
    case kAD: KernelAD(b, from, to, d); break;
    case kCMF: KernelCMF(b, I(p[0]), from, to, d); break;
    case kAROON: KernelAROON(b, I(p[0]), from, to, d, s); break;
    case kTSF: KernelTSF(b, I(p[0]), I(p[1]), from, to, d); break;
    case kAMA: KernelAMA(b, I(p[0]), I(p[1]), I(p[2]), I(p[3]), from, to, d, s); break;
    case kSRSI2: KernelStochRSI(b, I(p[0]), I(p[1]), I(p[2]), I(p[3]), from, to, d, s); break;
    default: FillNoValue(d, group, from, to); break;
    }
}

bool StudyWalksRecords(int type)
{
    return type == kRSI || type == kMFI;
}

void ComputeStudyRecords(int type, const double* p, const CStudyRecords& records, int from, int to,
                         const CStudyOut& out, CStudyScratch& scratch)
{
    if (from >= to)
        return;
    switch (type) {
    case kRSI: KernelRSI(records, I(p[0]), from, to, out, scratch); break;
    case kMFI: KernelMFI(records, I(p[0]), from, to, out, scratch); break;
    default: FillNoValue(out, StudyOutputGroup(type, 0), from, to); break;
    }
}

void ComputeEquity(const CEquityRecordArray* equity, const BYTE* valid, const double* close,
                   const DWORD* endFeedTimes, int from, int to, double* out)
{
    for (int r = from; r < to; ++r)
        out[r] = kNoValue;
    if (!equity || equity->empty() || !equity->front())
        return;
    const CEquityRecordArray& eq = *equity;
    for (int r = from; r < to; ++r) {
        if (!valid[r])
            continue;
        const DWORD end = endFeedTimes[r];
        if (eq.front()->m_time > end)
            continue;
        auto it = std::upper_bound(eq.begin(), eq.end(), end,
                                   [](DWORD t, const CEquityRecord* e) { return e && t < e->m_time; });
        const CEquityRecord* e = *(it - 1);
        if (!e)
            continue;
        double value = e->m_equity;
        if (e->m_nPositionKind == 0)
            value += e->m_nQuantity * (close[r] - e->m_entryPrice);
        else if (e->m_nPositionKind == 3)
            value += e->m_nQuantity * (e->m_entryPrice - close[r]);
        out[r] = value;
    }
}

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
        std::vector<BYTE> valid(static_cast<size_t>(count));
        std::vector<double> close(static_cast<size_t>(count));
        for (int r = 0; r < count; ++r) {
            valid[static_cast<size_t>(r)] = input.records[r].m_bValid;
            close[static_cast<size_t>(r)] = input.records[r].Close();
        }
        if (input.endFeedTimes)
            ComputeEquity(input.equity, valid.data(), close.data(), input.endFeedTimes, 0, count, out.Column(0));
        return true;
    }
    // The valid records packed together.
    std::vector<double> fields[5];
    std::vector<int> recordOf;
    std::vector<int> denseOf(static_cast<size_t>(count), -1);
    for (int r = 0; r < count; ++r) {
        const CBarRecord& rec = input.records[r];
        if (!rec.m_bValid)
            continue;
        denseOf[static_cast<size_t>(r)] = static_cast<int>(recordOf.size());
        recordOf.push_back(r);
        for (int f = 0; f < 5; ++f)
            fields[f].push_back(rec.m_fields[f]);
    }
    CStudyBars bars;
    bars.size = static_cast<int>(recordOf.size());
    bars.firstIsRecordZero = !recordOf.empty() && recordOf.front() == 0;
    for (int f = 0; f < 5; ++f)
        bars.field[f] = fields[f].data();
    CStudyColumns dense;
    dense.Reset(row->outputCount, bars.size);
    CStudyOut cols;
    for (int o = 0; o < row->outputCount; ++o)
        cols.col[o] = dense.Column(o);
    CStudyScratch scratch;
    for (int o = 0; o < row->outputCount;) {
        const unsigned group = StudyOutputGroup(type, o);
        ComputeStudyRange(type, params, bars, 0, bars.size, group, cols, scratch);
        while (o < row->outputCount && (group & (1u << o)))
            ++o;
    }
    const int shift = GetStudyDisplacement(type, params);
    for (int o = 0; o < row->outputCount; ++o) {
        const double* src = dense.Column(o);
        double* dst = out.Column(o);
        for (int r = 0; r < count; ++r) {
            const int s = r - shift;
            if (denseOf[static_cast<size_t>(r)] < 0 || s < 0 || s >= count)
                continue;
            const int q = denseOf[static_cast<size_t>(s)];
            if (q >= 0 && HasValue(src[q]))
                dst[r] = src[q];
        }
    }
    return true;
}

} // namespace studies
