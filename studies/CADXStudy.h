// Directional Movement: ADX with the +DI and -DI lines and a band.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CADXStudy : public CStudyDefinition {
public:
    explicit CADXStudy(const CString& symbolOverride = CString());

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
    CString m_smoothing = "14";
    COLORREF m_adxColor = RGB(0, 0, 0);
    COLORREF m_minusDIColor = RGB(255, 0, 0);
    COLORREF m_plusDIColor = RGB(0, 200, 0);
    COLORREF m_bandColor = RGB(0, 0, 0);
    int m_adxThickness = 1;
    int m_diThickness = 1;
    int m_bandThickness = 1;
    bool m_bShowDI = true;
    int m_bandValue = 25;

private:
    auto Fields() const { return std::tie(m_length, m_smoothing, m_adxColor, m_minusDIColor, m_plusDIColor, m_bandColor, m_adxThickness,
                        m_diThickness, m_bandThickness, m_bShowDI, m_bandValue); }
};
