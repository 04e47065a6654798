// Chaikin Oscillator: the difference of two averages of accumulation/distribution.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CChaikinOscStudy : public CStudyDefinition {
public:
    explicit CChaikinOscStudy(const CString& symbolOverride = CString());

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

    CString m_ema1 = "3";
    CString m_ema2 = "10";
    COLORREF m_color = RGB(0, 0, 255);
    int m_thickness = 1;

private:
    auto Fields() const { return std::tie(m_ema1, m_ema2, m_color, m_thickness); }
};
