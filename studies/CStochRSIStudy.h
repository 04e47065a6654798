// Stochastic RSI: %K and %D of the RSI, with bands between 0 and 1.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CStochRSIStudy : public CStudyDefinition {
public:
    explicit CStochRSIStudy(const CString& symbolOverride = CString());

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

    CString m_rsiLength = "14";
    CString m_kLength = "14";
    CString m_dLength = "3";
    CString m_smoothing = "1";
    COLORREF m_kColor = RGB(0, 0, 255);
    COLORREF m_dColor = RGB(255, 0, 0);
    COLORREF m_bandColor = RGB(0, 0, 0);
    int m_kThickness = 1;
    int m_dThickness = 1;
    int m_bandThickness = 1;
    double m_lower = 0.2;
    double m_upper = 0.8;

private:
    auto Fields() const { return std::tie(m_rsiLength, m_kLength, m_dLength, m_smoothing, m_kColor, m_dColor, m_bandColor, m_kThickness,
                        m_dThickness, m_bandThickness, m_lower, m_upper); }
};
