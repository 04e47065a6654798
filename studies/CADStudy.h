// Accumulation/Distribution.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CADStudy : public CStudyDefinition {
public:
    explicit CADStudy(const CString& symbolOverride = CString());

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
    bool IsEqual(const CStudyDefinition& other) const override;
    bool Store(CArchive& ar) const override;
    bool Load(CArchive& ar, int version) override;

    COLORREF m_color = RGB(0, 0, 255);
    int m_thickness = 1;

private:
    auto Fields() const { return std::tie(m_color, m_thickness); }
};
