// Series builders shared by the study tests.
#pragma once

#include "analytics/studies/CBarRecord.h"
#include "analytics/studies/StudyBars.h"

#include <random>
#include <vector>

namespace testdata {

inline CBarRecord Bar(double o, double h, double l, double c, double v, bool valid = true)
{
    CBarRecord r;
    r.m_fields[0] = o;
    r.m_fields[1] = h;
    r.m_fields[2] = l;
    r.m_fields[3] = c;
    r.m_fields[4] = v;
    r.m_bValid = valid ? 1 : 0;
    return r;
}

// A random walk with gaps (invalid records), flat stretches and repeated closes.
inline std::vector<CBarRecord> RandomWalk(int count, unsigned seed, double invalidShare = 0.1)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> step(-1.0, 1.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> vol(0, 5000);
    std::vector<CBarRecord> out;
    double close = 100;
    for (int i = 0; i < count; ++i) {
        double open = close;
        if (unit(rng) > 0.15)
            close = std::max(1.0, close + step(rng));
        double high = std::max(open, close) + (unit(rng) < 0.2 ? 0.0 : unit(rng));
        double low = std::min(open, close) - (unit(rng) < 0.2 ? 0.0 : unit(rng));
        if (unit(rng) < 0.03)
            high = low = open = close;
        out.push_back(Bar(open, high, low, close, vol(rng) * 100.0, unit(rng) >= invalidShare));
    }
    return out;
}

inline std::vector<CBarRecord> Constant(int count, double price, double volume = 1000)
{
    return std::vector<CBarRecord>(count, Bar(price, price, price, price, volume));
}

// Close = start + i, High = Close + 1, Low = Close - 1.
inline std::vector<CBarRecord> Linear(int count, double start = 10)
{
    std::vector<CBarRecord> out;
    for (int i = 0; i < count; ++i) {
        const double c = start + i;
        out.push_back(Bar(c - 0.5, c + 1, c - 1, c, 1000 + i));
    }
    return out;
}

// The valid records packed together, as the series hand them to the computations.
struct Dense {
    Dense(const Dense&) = delete;
    Dense& operator=(const Dense&) = delete;
    std::vector<double> fields[5];
    std::vector<int> record;
    studies::CStudyBars bars;

    explicit Dense(const std::vector<CBarRecord>& recs)
    {
        for (int r = 0; r < static_cast<int>(recs.size()); ++r) {
            if (!recs[r].m_bValid)
                continue;
            record.push_back(r);
            for (int f = 0; f < 5; ++f)
                fields[f].push_back(recs[r].m_fields[f]);
        }
        bars.size = static_cast<int>(record.size());
        bars.firstIsRecordZero = !record.empty() && record.front() == 0;
        for (int f = 0; f < 5; ++f)
            bars.field[f] = fields[f].data();
    }
};

} // namespace testdata
