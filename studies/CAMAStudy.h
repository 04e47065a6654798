// Adaptive Moving Average over the price bars.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CAMAStudy : public CStudyDefinition {
public:
    explicit CAMAStudy(const CString& symbolOverride = CString());

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
    CString m_length = "10";
    CString m_fast = "2";
    CString m_slow = "30";
    COLORREF m_color = RGB(0, 0, 255);
    int m_thickness = 1;

private:
    auto Fields() const { return std::tie(m_source, m_length, m_fast, m_slow, m_color, m_thickness); }
};
