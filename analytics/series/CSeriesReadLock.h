// Holds a series' lock for a whole pass of reads: a plot painting its visible bars, a
// formula evaluated over a range of bars, a backtest walking the bars. The pass sees one
// state of the series and pays for the lock once instead of once per value; the
// dispatcher's trades and history answers wait until it ends, so keep a pass to reading.
// Never call SetBarCount, the history or live-data entry points or anything of the broker
// while holding it.
//
//     CSeriesReadLock pass(*series);
//     int first = 0, last = 0;
//     if (pass.Series().GetVisibleRange(first, last))
//         for (int i = first; i <= last; ++i) {
//             double close = 0;
//             if (pass.GetValue(i, kBarClose, close))
//                 ...
//         }
//
// Or a block of values at once, stale study values computed once for the block:
//
//     pass.ReadValues(first, count, field, values, ok);
//
// The guard's reads take no lock; the series' own members stay usable inside the pass
// (they take the lock again, which the holding thread gets at once). Several series read
// together are locked with CSeriesReadLocks, which never waits while holding a lock.
#pragma once

#include "platform/core/WinTypes.h"

#include <cstdint>
#include <vector>

class CPriceSeries;

class CSeriesReadLock {
public:
    explicit CSeriesReadLock(CPriceSeries& series);
    ~CSeriesReadLock();
    CSeriesReadLock(const CSeriesReadLock&) = delete;
    CSeriesReadLock& operator=(const CSeriesReadLock&) = delete;

    CPriceSeries& Series() const { return m_series; }
    // As CPriceSeries::GetValue.
    bool GetValue(int index, int field, double& value) const;
    // Values of the visible indexes first .. first + count - 1 of one field: values[k], and
    // ok[k] 1 where GetValue would give a value (0 and values[k] unspecified elsewhere).
    // Returns true when every one of them has a value.
    bool ReadValues(int first, int count, int field, double* values, BYTE* ok) const;
    // Start times (record seconds) of the visible indexes first .. first + count - 1:
    // seconds[k], and ok[k] 1 where the index is a record of the loaded series (where
    // GetBarTime gives the record's own time; 0 and seconds[k] unspecified elsewhere).
    void ReadStartTimes(int first, int count, int64_t* seconds, BYTE* ok) const;

private:
    CPriceSeries& m_series;
};

// The locks of several series for one pass, taken without waiting for one while holding
// another (a thread that holds one of them and waits for another never deadlocks with
// the pass). Duplicates and nulls are ignored.
class CSeriesReadLocks {
public:
    explicit CSeriesReadLocks(std::vector<CPriceSeries*> series);
    ~CSeriesReadLocks();
    CSeriesReadLocks(const CSeriesReadLocks&) = delete;
    CSeriesReadLocks& operator=(const CSeriesReadLocks&) = delete;

    // As CSeriesReadLock::ReadValues, for one of the locked series.
    bool ReadValues(CPriceSeries& series, int first, int count, int field, double* values, BYTE* ok) const;
    // The same without copying what need not be: *view points at the values (the series'
    // own array, or `buffer` filled), valid until the locks go; ok is filled only when the
    // result is false (some value missing).
    bool ViewValues(CPriceSeries& series, int first, int count, int field, double* buffer, BYTE* ok,
                    const double*& view) const;
    // True when the bars of visible indexes [index, index + count) of `a` and
    // [otherIndex, otherIndex + count) of `b`, both locked, are records of their series
    // starting at the same times pairwise.
    bool SameBarStarts(const CPriceSeries& a, int index, const CPriceSeries& b, int otherIndex, int count) const;
    // True when the visible indexes [index, index + count) of a locked series are records.
    bool AreRecords(const CPriceSeries& series, int index, int count) const;
    // The visible index of `b` whose record starts when the record at visible index `index`
    // of `a` does (both locked); false when either has no such record. Record times are
    // compared as they are: no calendar or zone conversion.
    bool FindSameStart(const CPriceSeries& a, int index, const CPriceSeries& b, int& otherIndex) const;

private:
    std::vector<CPriceSeries*> m_series;
};
