// Feeds a formula's series items from one series input; batches of changes are evaluated
// once at their end. With a callback (a chart's formula series) it forwards the change.
#pragma once

#include "analytics/formula/CFormulaListenerBase.h"
#include "analytics/series/CSeriesListener.h"

#include <vector>

class CFormulaSeriesItem;

class CFormulaSeriesListener : public CSeriesListener, public CFormulaListenerBase {
public:
    using CFormulaListenerBase::CFormulaListenerBase;
    void OnValuesChanged(CPriceSeries* series, int mode, int first, int last) override;
    void OnOwnerEvent1() override; // begin batch
    void OnOwnerEvent2() override; // end batch
    void OnDataStateChanged(CPriceSeries*) override {}
    // Takes the newest values the input already holds into items that have none yet; true
    // when any was taken. Called without the form's call lock.
    bool TakeCurrentValues();

    std::vector<CFormulaSeriesItem*> m_items;

private:
    bool m_bSuspended = false; // guarded by the form's call lock
    bool m_bChanged = false;
};
