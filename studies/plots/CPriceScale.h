// Maps prices to the pixel rows of one pane (linear or logarithmic), and bar indexes to
// x pixels.
#pragma once

class CPriceScale {
public:
    CPriceScale(bool log, double minPrice, double maxPrice, int top, int bottom, const void* owner = nullptr)
        : m_bLog(log), m_min(minPrice), m_max(maxPrice), m_top(top), m_bottom(bottom), m_pOwner(owner)
    {
    }

    int PriceToY(double price) const;
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
    }

private:
    // ln on a log scale; values at or below 0 are taken as the smallest positive double.
    double Map(double price) const;

    bool m_bLog;
    double m_min;
    double m_max;
    int m_top;
    int m_bottom;
    const void* m_pOwner;
};

// x of a bar: bars start one spacing (less 5 pixels) right of `left`.
int BarIndexToX(double spacing, int bar, int firstBar, int left);
// The bar under x (rounded half away from zero); the inverse of BarIndexToX.
int XToBarIndex(double spacing, int x, int firstBar, int left);
