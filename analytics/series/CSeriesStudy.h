// The built-in study of a study series, computed over the series' own records: results in
// columns beside the records (one value per record and output, kNoValue where none), and
// what of them is stale. A changed record makes stale its own values and those after it
// (every study reads backwards from its record); a removal at the front makes stale the
// values whose window reached the removed records. Stale values are computed when they
// are read, all the stale ones of a read output at once.
//
// The computations read the records' field arrays directly while the valid records lie
// next to each other. With gaps, those that skip the empty records as they walk still read
// them; the others read a packed copy of the valid records, brought up to date from the
// first changed record on.
#pragma once

#include "analytics/series/CBarStore.h"
#include "analytics/studies/CEquityRecord.h"
#include "analytics/studies/StudyBars.h"

#include <cstdint>
#include <vector>

class CSeriesStudy {
public:
    CSeriesStudy(int type, const double params[4], CBarStore& bars);
    CSeriesStudy(const CSeriesStudy&) = delete;
    CSeriesStudy& operator=(const CSeriesStudy&) = delete;

    int GetType() const { return m_type; }
    int GetOutputCount() const { return m_outputs; }

    // Every value stale (records laid out anew, equity records replaced).
    void Reset();
    // Records `first` and after changed.
    void RecordsChanged(int first);
    // `k` records were removed at the front, or `k` empty ones inserted there.
    void FrontRemoved(int k);
    void FrontInserted(int k);
    void SetEquity(const CEquityRecordArray* equity);

    // The value of an output at a record, computed first when stale; false when none.
    bool Value(int record, int output, double& value)
    {
        if (record < 0 || record >= m_bars.Size() || output < 0 || output >= m_outputs)
            return false;
        if (IsStale(record, output))
            Refresh(record, record, output);
        value = m_bars.Attached(m_column[output])[record];
        return studies::HasValue(value);
    }
    // Makes the values of records [first, last] of an output current; then Results reads them.
    void Refresh(int first, int last, int output);
    const double* Results(int output) const { return m_bars.Attached(m_column[output]); }

    size_t MemoryBytes() const;
    // Records copied into the packed copy of the valid records so far.
    int64_t GetPackedCount() const { return m_packed; }

private:
    bool IsStale(int record, int output) const
    {
        return record >= m_dirtyFrom[output] || (m_frontDense[output] > 0 && record < FrontStaleEnd(output));
    }
    // Records before this hold values that a removal at the front made stale.
    int FrontStaleEnd(int output) const;
    // Computes the outputs of `group` for the records [first, last).
    void Compute(unsigned group, int first, int last);
    void ComputeEquity(int first, int last);
    // Brings the packed copy of the valid records up to date.
    void UpdateMirror();
    // Empties the packed copy (it is made again from the first record).
    void DropMirror();
    // Dense position of the first valid record at or after `record` (record <= Size()).
    int DenseAt(int record, bool adjacent) const;
    // Invalid records of the packed copy among the records [0, record).
    int GapsBefore(int record) const;

    CBarStore& m_bars;
    int m_type;
    double m_params[4];
    int m_outputs;
    int m_span;
    int m_shift;
    unsigned m_fields;
    int m_column[studies::kMaxStudyOutputs];
    int m_dirtyFrom[studies::kMaxStudyOutputs];  // values of records at and after it are stale
    int m_frontDense[studies::kMaxStudyOutputs]; // values of the first this many valid records are stale
    const CEquityRecordArray* m_pEquity = nullptr;

    // The packed copy: fields of the valid records, and the invalid records in ascending
    // order, as numbers counted from m_recordHead records before the first. Current for the
    // records before m_mirrorFresh. Records removed at the front leave their entries before
    // the heads until the copy is compacted.
    std::vector<double> m_dense[5];
    std::vector<int> m_gaps;
    int m_mirrorFresh = 0;
    int m_denseHead = 0;  // entries of m_dense before the first record's
    int m_gapHead = 0;    // entries of m_gaps before the first record's
    int m_recordHead = 0; // records removed at the front since the copy was compacted
    int64_t m_packed = 0;

    studies::CStudyScratch m_scratch;
    std::vector<double> m_denseOut[studies::kMaxStudyOutputs];
    std::vector<DWORD> m_endFeedTimes;
};
