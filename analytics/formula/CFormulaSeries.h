// A formula evaluated bar by bar for a chart plot (mode 2), with a ring cache of the
// results of the last `bar count` bars.
#pragma once

#include "analytics/formula/CFormula.h"

#include <vector>

class CFormulaSeries : public CFormula {
public:
    CFormulaSeries(const char* text, int mode, int barCount, DWORD endTime);
    ~CFormulaSeries() override;

    // Cached evaluation of one bar. A bar missing from the ring is evaluated together with
    // the missing bars after it (up to a block) in one pass; a bar that pass left without a
    // value is evaluated alone when asked again.
    bool GetValue(double& result, int bar, int flag);
    // The window the ring should cover; returns the ring size.
    int GetWindow(int& first, int& last);
    // Moves the ring to the current window, keeping the values of bars still inside.
    void SyncWindow(int& first, int& last);
    void ClearCache();
    void ClearCacheRange(int firstBar, int lastBar);
    void Resync();

    int GetRingSize() const { return static_cast<int>(m_ring.size()); }
    int GetWindowFirstBar() const { return m_nWindowFirst; }

private:
    struct Slot {
        double value = 0;
        bool valid = false;
    };
    int Physical(int logical) const;

    std::vector<Slot> m_ring;
    int m_nWindowFirst = 0;
    int m_nRingStart = 0;
    // Bars of the last pass, until the ring changes.
    long long m_nPassFirst = 0;
    long long m_nPassEnd = 0;
};

