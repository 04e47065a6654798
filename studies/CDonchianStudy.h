// Donchian Channels over the price bars.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CDonchianStudy : public CStudyDefinition {
public:
    explicit CDonchianStudy(const CString& symbolOverride = CString());

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

    CString m_length = "20";
    CString m_offset = "0";
    COLORREF m_channelColor = RGB(0, 0, 255);
    COLORREF m_middleColor = RGB(100, 0, 155);
    int m_channelThickness = 1;
    int m_middleThickness = 1;
    bool m_bShowMiddle = true;

private:
    auto Fields() const { return std::tie(m_length, m_offset, m_channelColor, m_middleColor, m_channelThickness, m_middleThickness, m_bShowMiddle); }
};
