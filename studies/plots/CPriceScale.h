// Maps prices to the pixel rows of one pane (linear or logarithmic), and bar indexes to
// x pixels. PriceToY runs for every point a plot draws: the scale works out its span once.
#pragma once

#include "common/services/ChartAxis.h"

#include <cfloat>
#include <cmath>

class CPriceScale {
public:
    CPriceScale(bool log, double minPrice, double maxPrice, int top, int bottom, const void* owner = nullptr)
        : m_bLog(log), m_top(top), m_bottom(bottom), m_pOwner(owner)
    {
        SetRange(minPrice, maxPrice);
    }

    int PriceToY(double price) const
    {
        const double offset = Map(price) - m_mapMin;
        const double d = m_span == 0 ? (m_bottom - m_top) * 0.5 : (m_bottom - m_top) * offset / m_span;
        if (!std::isfinite(d))
            return d > 0 ? m_top - 100000 : m_bottom + 100000;
        // Far outside the pane: keep the row inside what pixel arithmetic can carry.
        const double clamped = std::fmax(-1e7, std::fmin(1e7, d));
        return m_bottom - RoundHalfAway(clamped);
    }
    double YToPrice(int y) const;

    bool IsLog() const { return m_bLog; }
    double GetMin() const { return m_min; }
    double GetMax() const { return m_max; }
    int GetTop() const { return m_top; }
    int GetBottom() const { return m_bottom; }
    const void* GetOwner() const { return m_pOwner; }
    void SetRange(double minPrice, double maxPrice)
    {
        m_min = minPrice;
        m_max = maxPrice;
        m_mapMin = Map(m_min);
        m_span = Map(m_max) - m_mapMin;
    }

private:
    // ln on a log scale; values at or below 0 are taken as the smallest positive double.
    double Map(double price) const
    {
        if (!m_bLog)
            return price;
        return std::log(price > 0 ? price : DBL_MIN);
    }

    bool m_bLog;
    double m_min = 0;
    double m_max = 0;
    int m_top;
    int m_bottom;
    const void* m_pOwner;
    // Worked out from the range: Map(min), and Map(max) - Map(min).
    double m_mapMin = 0;
    double m_span = 0;
};

// x of a bar: bars start one spacing (less 5 pixels) right of `left`.
inline int BarIndexToX(double spacing, int bar, int firstBar, int left)
{
    return static_cast<int>((bar - firstBar) * spacing + (left + spacing - 5.0));
}
// The bar under x (rounded half away from zero); the inverse of BarIndexToX.
int XToBarIndex(double spacing, int x, int firstBar, int left);
