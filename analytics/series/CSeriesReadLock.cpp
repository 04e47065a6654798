#include "analytics/series/CSeriesReadLock.h"

#include "analytics/series/CPriceSeries.h"

#include <algorithm>

CSeriesReadLock::CSeriesReadLock(CPriceSeries& series) : m_series(series)
{
    m_series.m_lock.lock();
}

CSeriesReadLock::~CSeriesReadLock()
{
    m_series.m_lock.unlock();
}

bool CSeriesReadLock::GetValue(int index, int field, double& value) const
{
    return m_series.GetValueLocked(index, field, value);
}

bool CSeriesReadLock::ReadValues(int first, int count, int field, double* values, BYTE* ok) const
{
    return m_series.ReadValuesLocked(first, count, field, values, ok);
}

void CSeriesReadLock::ReadStartTimes(int first, int count, int64_t* seconds, BYTE* ok) const
{
    if (count <= 0)
        return;
    const int r0 = m_series.RecordOfIndex(first);
    const int size = m_series.m_bLoaded ? m_series.m_bars.Size() : 0;
    const int k0 = std::clamp(-r0, 0, count);
    const int k1 = std::clamp(size - r0, k0, count);
    std::fill(ok, ok + k0, BYTE{0});
    std::fill(ok + k0, ok + k1, BYTE{1});
    std::fill(ok + k1, ok + count, BYTE{0});
    if (k0 < k1) {
        const int64_t* start = m_series.m_bars.StartColumn() + r0;
        std::copy(start + k0, start + k1, seconds + k0);
    }
}

CSeriesReadLocks::CSeriesReadLocks(std::vector<CPriceSeries*> series) : m_series(std::move(series))
{
    m_series.erase(std::remove(m_series.begin(), m_series.end(), nullptr), m_series.end());
    std::sort(m_series.begin(), m_series.end());
    m_series.erase(std::unique(m_series.begin(), m_series.end()), m_series.end());
    if (m_series.empty())
        return;
    // Wait for one lock holding none, then try the others; on a miss let go of all and
    // wait for the one that was busy first.
    size_t first = 0;
    for (;;) {
        m_series[first]->m_lock.lock();
        size_t busy = m_series.size();
        for (size_t i = 0; i < m_series.size(); ++i) {
            if (i == first)
                continue;
            if (!m_series[i]->m_lock.try_lock()) {
                busy = i;
                break;
            }
        }
        if (busy == m_series.size())
            return;
        // Taken: `first` and every other one before `busy`.
        for (size_t i = 0; i < busy; ++i)
            if (i != first)
                m_series[i]->m_lock.unlock();
        m_series[first]->m_lock.unlock();
        first = busy;
    }
}

bool CSeriesReadLocks::ReadValues(CPriceSeries& series, int first, int count, int field, double* values,
                                  BYTE* ok) const
{
    return series.ReadValuesLocked(first, count, field, values, ok);
}

bool CSeriesReadLocks::ViewValues(CPriceSeries& series, int first, int count, int field, double* buffer, BYTE* ok,
                                  const double*& view) const
{
    return series.ReadValuesLocked(first, count, field, buffer, ok, &view);
}

bool CSeriesReadLocks::SameBarStarts(const CPriceSeries& a, int index, const CPriceSeries& b, int otherIndex,
                                     int count) const
{
    const int ra = a.RecordOfIndex(index), rb = b.RecordOfIndex(otherIndex);
    if (!a.m_bLoaded || !b.m_bLoaded || count <= 0 || ra < 0 || rb < 0 || ra + count > a.m_bars.Size() ||
        rb + count > b.m_bars.Size())
        return false;
    const int64_t* sa = a.m_bars.StartColumn() + ra;
    const int64_t* sb = b.m_bars.StartColumn() + rb;
    if (sa[0] != sb[0] || sa[count - 1] != sb[count - 1])
        return false;
    // Bars of one interval over the same sessions follow one another alike: equal at both
    // ends, equal between.
    if (a.m_pRules && a.m_pRules == b.m_pRules && a.m_interval == b.m_interval && a.m_bExtended == b.m_bExtended)
        return true;
    return std::equal(sa, sa + count, sb);
}

bool CSeriesReadLocks::AreRecords(const CPriceSeries& series, int index, int count) const
{
    const int r = series.RecordOfIndex(index);
    return series.m_bLoaded && r >= 0 && r + count <= series.m_bars.Size();
}

bool CSeriesReadLocks::FindSameStart(const CPriceSeries& a, int index, const CPriceSeries& b, int& otherIndex) const
{
    const int ra = a.RecordOfIndex(index);
    if (!a.m_bLoaded || !b.m_bLoaded || ra < 0 || ra >= a.m_bars.Size() || b.m_bars.Size() == 0)
        return false;
    const int64_t start = a.m_bars.StartColumn()[ra];
    const int64_t* starts = b.m_bars.StartColumn();
    // Series laid out alike have it at the same index: no search through a long column.
    const int guess = b.RecordOfIndex(index);
    if (guess >= 0 && guess < b.m_bars.Size() && starts[guess] == start) {
        otherIndex = index;
        return true;
    }
    const int rb = b.m_bars.RecordStartingAt(start);
    if (rb < 0)
        return false;
    otherIndex = rb - (b.m_bars.Size() - b.m_nEndOffset - b.m_nWanted);
    return true;
}

CSeriesReadLocks::~CSeriesReadLocks()
{
    for (CPriceSeries* s : m_series)
        s->m_lock.unlock();
}
