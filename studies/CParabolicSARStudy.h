// Parabolic SAR over the price bars; its steps are numbers, not texts.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CParabolicSARStudy : public CStudyDefinition {
public:
    explicit CParabolicSARStudy(const CString& symbolOverride = CString());

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

    double m_initialStep = 0.02;
    double m_increment = 0.02;
    double m_maximum = 0.2;
    COLORREF m_upColor = RGB(1, 128, 0);
    COLORREF m_downColor = RGB(255, 0, 0);
    int m_thickness = 1;

private:
    auto Fields() const { return std::tie(m_initialStep, m_increment, m_maximum, m_upColor, m_downColor, m_thickness); }
};
