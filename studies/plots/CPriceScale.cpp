#include "studies/plots/CPriceScale.h"

double CPriceScale::YToPrice(int y) const
{
    const double v = m_bottom == m_top ? 0.0 : (m_bottom - y) * m_span / (m_bottom - m_top);
    return m_bLog ? std::exp(m_mapMin + v) : m_min + v;
}

int XToBarIndex(double spacing, int x, int firstBar, int left)
{
    if (!(spacing > 0))
        return firstBar;
    return RoundHalfAway(((firstBar - 1) * spacing + (x - left) + 5.0) / spacing);
}
