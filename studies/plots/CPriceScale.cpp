#include "studies/plots/CPriceScale.h"

#include "common/services/ChartAxis.h"

#include <cfloat>
#include <cmath>

double CPriceScale::Map(double price) const
{
    if (!m_bLog)
        return price;
    return std::log(price > 0 ? price : DBL_MIN);
}

int CPriceScale::PriceToY(double price) const
{
    const double span = Map(m_max) - Map(m_min);
    const double offset = Map(price) - Map(m_min);
    const double d = span == 0 ? (m_bottom - m_top) * 0.5 : (m_bottom - m_top) * offset / span;
    if (!std::isfinite(d))
        return d > 0 ? m_top - 100000 : m_bottom + 100000;
    // Far outside the pane: keep the row inside what pixel arithmetic can carry.
    const double clamped = std::fmax(-1e7, std::fmin(1e7, d));
    return m_bottom - RoundHalfAway(clamped);
}

double CPriceScale::YToPrice(int y) const
{
    const double span = Map(m_max) - Map(m_min);
    const double v = m_bottom == m_top ? 0.0 : (m_bottom - y) * span / (m_bottom - m_top);
    return m_bLog ? std::exp(Map(m_min) + v) : m_min + v;
}

int BarIndexToX(double spacing, int bar, int firstBar, int left)
{
    return static_cast<int>((bar - firstBar) * spacing + (left + spacing - 5.0));
}

int XToBarIndex(double spacing, int x, int firstBar, int left)
{
    if (!(spacing > 0))
        return firstBar;
    return RoundHalfAway(((firstBar - 1) * spacing + (x - left) + 5.0) / spacing);
}
