#include "analytics/series/CSeriesStudy.h"

#include "analytics/series/SeriesTime.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"

#include <algorithm>
#include <climits>
#include <cstring>

using namespace studies;

namespace {

// Copies the fields of the valid records [from, count) one after another from dense[f] +
// seen on and lists the invalid ones; returns the new end of the copy. Every record's
// fields are written at the end, which moves only past valid records: one pass, with no
// branch on the records but the rare invalid one. dense[f] holds one more entry than the
// copy needs.
template <int kFields>
int PackRecords(const double* const* column, double* const* dense, const BYTE* valid, int from, int count, int seen,
                std::vector<int>& gaps, int recordHead)
{
    for (int r = from; r < count; ++r) {
        for (int f = 0; f < kFields; ++f)
            dense[f][seen] = column[f][r];
        const bool ok = valid[r] != 0;
        seen += ok;
        if (!ok)
            gaps.push_back(recordHead + r);
    }
    return seen;
}

} // namespace

CSeriesStudy::CSeriesStudy(int type, const double params[4], CBarStore& bars) : m_bars(bars), m_type(type)
{
    for (int i = 0; i < 4; ++i)
        m_params[i] = params[i];
    const StudyTableRow* row = GetStudyRow(type);
    m_outputs = row ? row->outputCount : 0;
    m_span = std::max(1, StudySpan(type, m_params));
    m_shift = GetStudyDisplacement(type, m_params);
    m_fields = StudyFields(type, m_params);
    for (int o = 0; o < kMaxStudyOutputs; ++o)
        m_column[o] = o < m_outputs ? m_bars.AttachColumn(kNoValue) : -1;
    Reset();
}

void CSeriesStudy::Reset()
{
    for (int o = 0; o < kMaxStudyOutputs; ++o) {
        m_dirtyFrom[o] = 0;
        m_frontDense[o] = 0;
    }
    DropMirror();
}

void CSeriesStudy::DropMirror()
{
    m_mirrorFresh = 0;
    m_denseHead = 0;
    m_gapHead = 0;
    m_recordHead = 0;
}

void CSeriesStudy::RecordsChanged(int first)
{
    first = std::max(first, 0);
    // A negative displacement reads records after its own: the change reaches back.
    const int from = std::max(0, first + std::min(0, m_shift));
    for (int o = 0; o < m_outputs; ++o)
        m_dirtyFrom[o] = std::min(m_dirtyFrom[o], from);
    m_mirrorFresh = std::min(m_mirrorFresh, first);
}

void CSeriesStudy::FrontRemoved(int k)
{
    if (k <= 0)
        return;
    for (int o = 0; o < m_outputs; ++o) {
        m_dirtyFrom[o] = std::max(0, m_dirtyFrom[o] - k);
        // The first values lost part of their windows.
        m_frontDense[o] = m_span;
    }
    // The packed copy keeps the records that stay: its heads move past the removed ones.
    const int fresh = m_mirrorFresh;
    if (fresh < k) {
        DropMirror();
        return;
    }
    const int gaps = GapsBefore(k);
    m_denseHead += k - gaps;
    m_gapHead += gaps;
    m_recordHead += k;
    m_mirrorFresh = fresh - k;
}

void CSeriesStudy::FrontInserted(int k)
{
    if (k <= 0)
        return;
    for (int o = 0; o < m_outputs; ++o) {
        if (m_dirtyFrom[o] < INT_MAX - k)
            m_dirtyFrom[o] += k;
        // The SAR never starts at record 0: the record that was it now takes part.
        if (m_type == kPSAR)
            m_frontDense[o] = m_span;
    }
    DropMirror();
}

void CSeriesStudy::SetEquity(const CEquityRecordArray* equity)
{
    m_pEquity = equity;
    Reset();
}

int CSeriesStudy::GapsBefore(int record) const
{
    const auto head = m_gaps.begin() + m_gapHead;
    return static_cast<int>(std::lower_bound(head, m_gaps.end(), m_recordHead + record) - head);
}

int CSeriesStudy::DenseAt(int record, bool adjacent) const
{
    if (adjacent) {
        const int first = m_bars.FirstValid();
        return first < 0 ? 0 : std::clamp(record - first, 0, m_bars.ValidCount());
    }
    return record - GapsBefore(record);
}

int CSeriesStudy::FrontStaleEnd(int output) const
{
    const int dense = std::min(m_frontDense[output], m_bars.ValidCount());
    int record = m_bars.Size();
    if (dense < m_bars.ValidCount()) {
        if (m_bars.ValidRecordsAdjacent()) {
            record = m_bars.FirstValid() + dense;
        } else {
            // The record of the dense position: the first whose count of earlier valid
            // records passes it.
            const BYTE* valid = m_bars.ValidColumn();
            int seen = 0;
            for (record = 0; record < m_bars.Size(); ++record)
                if (valid[record] && seen++ == dense)
                    break;
        }
    }
    return std::min(m_bars.Size(), record + std::max(m_shift, 0) + 1);
}

void CSeriesStudy::Refresh(int first, int last, int output)
{
    if (output < 0 || output >= m_outputs)
        return;
    const int count = m_bars.Size();
    const unsigned group = StudyOutputGroup(m_type, output);
    int frontEnd = 0;
    if (m_frontDense[output] > 0 && first < (frontEnd = FrontStaleEnd(output))) {
        if (frontEnd >= m_dirtyFrom[output]) {
            Compute(group, 0, count);
        } else {
            Compute(group, 0, frontEnd);
            if (last >= m_dirtyFrom[output])
                Compute(group, m_dirtyFrom[output], count);
        }
    } else if (last >= m_dirtyFrom[output]) {
        Compute(group, m_dirtyFrom[output], count);
    } else {
        return;
    }
}

void CSeriesStudy::UpdateMirror()
{
    const int count = m_bars.Size();
    const int from = std::clamp(m_mirrorFresh, 0, count);
    // Entries before the heads once outweigh the records: the copy moves to the front.
    if (m_recordHead > count / 2 + 1024) {
        for (auto& dense : m_dense)
            if (dense.size() >= static_cast<size_t>(m_denseHead))
                dense.erase(dense.begin(), dense.begin() + m_denseHead);
        m_gaps.erase(m_gaps.begin(), m_gaps.begin() + m_gapHead);
        for (int& g : m_gaps)
            g -= m_recordHead;
        m_denseHead = 0;
        m_gapHead = 0;
        m_recordHead = 0;
    }
    // The invalid records from `from` on are listed again.
    m_gaps.resize(static_cast<size_t>(m_gapHead + GapsBefore(from)));
    const int total = m_denseHead + m_bars.ValidCount();
    const BYTE* valid = m_bars.ValidColumn();
    double* dense[5] = {};
    const double* column[5] = {};
    int fields = 0;
    for (int f = 0; f < 5; ++f) {
        std::vector<double>& d = m_dense[f];
        if (!(m_fields & (1u << f))) {
            d.clear();
            continue;
        }
        if (d.capacity() < static_cast<size_t>(total) + 1)
            d.reserve(static_cast<size_t>(total) + static_cast<size_t>(total) / 8 + 1); // rolls add one at a time
        d.resize(static_cast<size_t>(total) + 1);
        dense[fields] = d.data();
        column[fields++] = m_bars.Column(f);
    }
    m_packed += count - from;
    const int seen = m_denseHead + from - GapsBefore(from);
    switch (fields) {
    case 0: PackRecords<0>(column, dense, valid, from, count, seen, m_gaps, m_recordHead); break;
    case 1: PackRecords<1>(column, dense, valid, from, count, seen, m_gaps, m_recordHead); break;
    case 2: PackRecords<2>(column, dense, valid, from, count, seen, m_gaps, m_recordHead); break;
    case 3: PackRecords<3>(column, dense, valid, from, count, seen, m_gaps, m_recordHead); break;
    case 4: PackRecords<4>(column, dense, valid, from, count, seen, m_gaps, m_recordHead); break;
    default: PackRecords<5>(column, dense, valid, from, count, seen, m_gaps, m_recordHead); break;
    }
    m_mirrorFresh = count;
}

void CSeriesStudy::ComputeEquity(int first, int last)
{
    m_endFeedTimes.resize(static_cast<size_t>(m_bars.Size()));
    const int64_t* ends = m_bars.EndColumn();
    for (int r = first; r < last; ++r)
        m_endFeedTimes[static_cast<size_t>(r)] = CTimeToFeedTime(CTime(ends[r]));
    studies::ComputeEquity(m_pEquity, m_bars.ValidColumn(), m_bars.Column(kBarClose), m_endFeedTimes.data(), first,
                           last, m_bars.Attached(m_column[0]));
}

void CSeriesStudy::Compute(unsigned group, int first, int last)
{
    const int count = m_bars.Size();
    first = std::clamp(first, 0, count);
    last = std::clamp(last, first, count);
    auto markFresh = [&] {
        for (int o = 0; o < m_outputs; ++o)
            if (group & (1u << o)) {
                if (last == count)
                    m_dirtyFrom[o] = std::max(m_dirtyFrom[o], count);
                if (first == 0)
                    m_frontDense[o] = 0;
            }
    };
    if (m_type == kEQTY) {
        ComputeEquity(first, last);
        markFresh();
        return;
    }
    if (m_type == kBar || m_outputs == 0) {
        markFresh();
        return;
    }
    const bool adjacent = m_bars.ValidRecordsAdjacent();
    if (!adjacent && StudyWalksRecords(m_type)) {
        // The computation skips the empty records itself: it writes the records' own values.
        CStudyRecords records;
        for (int f = 0; f < 5; ++f)
            records.field[f] = m_bars.Column(f);
        records.valid = m_bars.ValidColumn();
        CStudyOut out;
        for (int o = 0; o < m_outputs; ++o)
            if (group & (1u << o))
                out.col[o] = m_bars.Attached(m_column[o]);
        ComputeStudyRecords(m_type, m_params, records, first, last, out, m_scratch);
        markFresh();
        return;
    }
    const int firstValid = std::max(0, m_bars.FirstValid());
    CStudyBars bars;
    bars.size = m_bars.ValidCount();
    bars.firstIsRecordZero = count > 0 && m_bars.IsValid(0);
    if (adjacent) {
        for (int f = 0; f < 5; ++f)
            bars.field[f] = m_bars.Column(f) + firstValid;
    } else {
        UpdateMirror();
        for (int f = 0; f < 5; ++f)
            bars.field[f] = m_dense[f].empty() ? nullptr : m_dense[f].data() + m_denseHead;
    }
    // The records [first, last) read the values of the records d before them.
    const int d = m_shift;
    const int qFrom = DenseAt(std::clamp(first - d, 0, count), adjacent);
    const int qTo = DenseAt(std::clamp(last - d, 0, count), adjacent);
    CStudyOut out;
    if (adjacent && d == 0) {
        // The computation writes the records' own values: dense position q is record
        // firstValid + q. Records outside the valid ones have none.
        for (int o = 0; o < m_outputs; ++o)
            if (group & (1u << o)) {
                double* results = m_bars.Attached(m_column[o]);
                out.col[o] = results + firstValid;
                const int validFrom = bars.size ? firstValid : last;
                const int validEnd = bars.size ? firstValid + bars.size : last;
                for (int r = first; r < std::min(last, validFrom); ++r)
                    results[r] = kNoValue;
                for (int r = std::max(first, validEnd); r < last; ++r)
                    results[r] = kNoValue;
            }
        ComputeStudyRange(m_type, m_params, bars, qFrom, qTo, group, out, m_scratch);
        markFresh();
        return;
    }
    if (d == 0) {
        // The computation writes the values of the valid records of [first, last) packed at
        // the start of their own results, which then spread out to their records from the
        // last one back (no value moves before it is read); the empty records have none.
        for (int o = 0; o < m_outputs; ++o)
            if (group & (1u << o))
                out.col[o] = IndexedFrom(m_bars.Attached(m_column[o]) + first, qFrom);
        ComputeStudyRange(m_type, m_params, bars, qFrom, qTo, group, out, m_scratch);
        const auto head = m_gaps.begin() + m_gapHead;
        const auto firstGap = std::lower_bound(head, m_gaps.end(), m_recordHead + first);
        const auto endGap = std::lower_bound(firstGap, m_gaps.end(), m_recordHead + last);
        for (int o = 0; o < m_outputs; ++o) {
            if (!(group & (1u << o)))
                continue;
            double* results = m_bars.Attached(m_column[o]);
            int end = last, q = qTo; // the run of valid records before `end`, ending at dense q
            for (auto g = endGap; g != firstGap;) {
                const int gap = *--g - m_recordHead;
                const int n = end - gap - 1;
                q -= n;
                std::memmove(results + gap + 1, results + first + (q - qFrom), static_cast<size_t>(n) * sizeof(double));
                results[gap] = kNoValue;
                end = gap;
            }
        }
        markFresh();
        return;
    }
    for (int o = 0; o < m_outputs; ++o)
        if (group & (1u << o)) {
            m_denseOut[o].resize(static_cast<size_t>(std::max(qTo - qFrom, 1)));
            out.col[o] = IndexedFrom(m_denseOut[o].data(), qFrom);
        }
    ComputeStudyRange(m_type, m_params, bars, qFrom, qTo, group, out, m_scratch);
    const BYTE* valid = m_bars.ValidColumn();
    for (int o = 0; o < m_outputs; ++o) {
        if (!(group & (1u << o)))
            continue;
        double* results = m_bars.Attached(m_column[o]);
        const double* dense = out.col[o];
        // Record r reads record s = r - d, whose dense position follows s along.
        int s = std::clamp(first - d, 0, count);
        int q = DenseAt(s, adjacent);
        for (int r = first; r < last; ++r) {
            const int want = r - d;
            for (; s < std::min(want, count); ++s)
                q += valid[s] != 0;
            double v = kNoValue;
            if (valid[r] && want >= 0 && want < count && valid[want])
                v = dense[q];
            results[r] = v;
        }
    }
    markFresh();
}

size_t CSeriesStudy::MemoryBytes() const
{
    size_t bytes = m_scratch.Bytes() + m_gaps.capacity() * sizeof(int) + m_endFeedTimes.capacity() * sizeof(DWORD);
    for (const auto& d : m_dense)
        bytes += d.capacity() * sizeof(double);
    for (const auto& d : m_denseOut)
        bytes += d.capacity() * sizeof(double);
    return bytes;
}
