// A horizontal line at a fixed price in the price pane. It has no symbol override and keys
// on the chart's own series.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CHorizontalLineStudy : public CStudyDefinition {
public:
    CHorizontalLineStudy();

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
    bool IsEqual(const CStudyDefinition& other) const override;
    bool Store(CArchive& ar) const override;
    bool Load(CArchive& ar, int version) override;

    double m_value = 0.0;
    COLORREF m_color = RGB(0, 0, 0);
    int m_thickness = 1;

private:
    auto Fields() const { return std::tie(m_value, m_color, m_thickness); }
};
