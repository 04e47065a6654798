// Ultimate Oscillator over three lengths, with a lower and an upper band.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CUltimateOscStudy : public CStudyDefinition {
public:
    explicit CUltimateOscStudy(const CString& symbolOverride = CString());

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

    CString m_length1 = "7";
    CString m_length2 = "14";
    CString m_length3 = "28";
    COLORREF m_lineColor = RGB(0, 0, 255);
    COLORREF m_bandColor = RGB(0, 0, 0);
    int m_lineThickness = 1;
    int m_bandThickness = 1;
    int m_lower = 30;
    int m_upper = 70;

private:
    auto Fields() const { return std::tie(m_length1, m_length2, m_length3, m_lineColor, m_bandColor, m_lineThickness, m_bandThickness, m_lower,
                        m_upper); }
};
