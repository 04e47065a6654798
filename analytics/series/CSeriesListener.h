// The owner's change listener of a price series.
#pragma once

class CPriceSeries;

class CSeriesListener {
public:
    virtual ~CSeriesListener() = default;
    // Values of visible indexes first..last changed (mode 0: all, 1: that range).
    virtual void OnValuesChanged(CPriceSeries* series, int mode, int first, int last) = 0;
    // Two operations whose meaning is the owner's; the series never calls them.
    virtual void OnOwnerEvent1() {}
    virtual void OnOwnerEvent2() {}
    // The series' data state changed (after the exchange check).
    virtual void OnDataStateChanged(CPriceSeries* series) = 0;
};
