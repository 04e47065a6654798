// Choppiness index with a lower and an upper band.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CChoppinessStudy : public CStudyDefinition {
public:
    explicit CChoppinessStudy(const CString& symbolOverride = CString());

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
    CString GetParamText() const override;
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
    bool SetParameters(const CStringArray& args) override;
    bool IsEqual(const CStudyDefinition& other) const override;
    bool Store(CArchive& ar) const override;
    bool Load(CArchive& ar, int version) override;

    CString m_length = "14";
    COLORREF m_lineColor = RGB(0, 0, 255);
    COLORREF m_bandColor = RGB(0, 0, 0);
    int m_lineThickness = 1;
    int m_bandThickness = 1;
    double m_lower = 35.0;
    double m_upper = 65.0;

private:
    auto Fields() const { return std::tie(m_length, m_lineColor, m_bandColor, m_lineThickness, m_bandThickness, m_lower, m_upper); }
};
