// Bands around a middle line over the price bars (Bollinger Bands, moving-average
// envelopes, Keltner Bands): the lines' colours and thicknesses and whether the middle
// line shows, with their reading order and saved form.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CBandStudy : public CStudyDefinition {
public:
    COLORREF m_bandColor = RGB(0, 0, 255);
    COLORREF m_middleColor = RGB(255, 0, 0);
    int m_bandThickness = 1;
    int m_middleThickness = 1;
    bool m_bShowMiddle = true;

protected:
    explicit CBandStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride) {}

    // Band colour and thickness, middle colour and thickness, show middle, then the
    // study's override: the end of every band study's reading chain.
    bool ReadLines(IStudyDialog& dlg);
    bool FillLines(IStudyDialog& dlg) const;
    void StoreLines(CArchive& ar) const;
    void LoadLines(CArchive& ar);
    bool SameLines(const CBandStudy& other) const;

private:
    auto Lines() const
    {
        return std::tie(m_bandColor, m_middleColor, m_bandThickness, m_middleThickness, m_bShowMiddle);
    }
};
