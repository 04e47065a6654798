// One line over the price bars computed from a price field with a length and an offset
// (moving averages, Time Series Forecast): its parameters, colour and thickness, with
// their reading order and saved form.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CPriceLineStudy : public CStudyDefinition {
public:
    // "(" length ")".
    CString GetParamText() const override;
    // Source, length, offset, colour, thickness, then the override.
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
    // Source, length, offset.
    bool SetParameters(const CStringArray& args) override;
    bool IsEqual(const CStudyDefinition& other) const override;
    bool Store(CArchive& ar) const override;
    bool Load(CArchive& ar, int version) override;

    CString m_source = "Close";
    CString m_length = "10";
    CString m_offset = "0";
    COLORREF m_color = RGB(0, 0, 255);
    int m_thickness = 1;

protected:
    explicit CPriceLineStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride) {}

    // The saved form after the override: length, offset, source, colour, thickness.
    void StoreLine(CArchive& ar) const;
    void LoadLine(CArchive& ar);

private:
    auto Fields() const { return std::tie(m_source, m_length, m_offset, m_color, m_thickness); }
};
