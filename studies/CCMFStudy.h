// Chaikin Money Flow with a centre line.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CCMFStudy : public CStudyDefinition {
public:
    explicit CCMFStudy(const CString& symbolOverride = CString());

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

    CString m_length = "21";
    COLORREF m_lineColor = RGB(0, 0, 255);
    COLORREF m_centreColor = RGB(0, 0, 0);
    int m_lineThickness = 1;
    int m_centreThickness = 1;
    bool m_bShowCentre = true;

private:
    auto Fields() const { return std::tie(m_length, m_lineColor, m_centreColor, m_lineThickness, m_centreThickness, m_bShowCentre); }
};
