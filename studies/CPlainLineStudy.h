// One line in a pane of its own with nothing to set but its colour and thickness
// (Accumulation/Distribution, On Balance Volume), with their reading order and saved form.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CPlainLineStudy : public CStudyDefinition {
public:
    // Colour, thickness, then the override.
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
    bool IsEqual(const CStudyDefinition& other) const override;
    bool Store(CArchive& ar) const override;
    bool Load(CArchive& ar, int version) override;

    COLORREF m_color = RGB(0, 0, 255);
    int m_thickness = 1;

protected:
    explicit CPlainLineStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride) {}

private:
    auto Fields() const { return std::tie(m_color, m_thickness); }
};
