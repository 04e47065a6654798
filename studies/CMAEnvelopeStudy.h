// Moving-average envelopes over the price bars.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CMAEnvelopeStudy : public CStudyDefinition {
public:
    explicit CMAEnvelopeStudy(const CString& symbolOverride = CString());

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

    CString m_source = "Close";
    CString m_length = "20";
    CString m_percentage = "3";
    COLORREF m_bandColor = RGB(0, 0, 255);
    COLORREF m_middleColor = RGB(255, 0, 0);
    int m_bandThickness = 1;
    int m_middleThickness = 1;
    bool m_bShowMiddle = true;

private:
    auto Fields() const { return std::tie(m_source, m_length, m_percentage, m_bandColor, m_middleColor, m_bandThickness, m_middleThickness, m_bShowMiddle); }
};
