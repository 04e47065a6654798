// Moving averages over the price bars: simple, exponential, weighted, volume-weighted,
// double and triple exponential.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CMovingAverageStudy : public CStudyDefinition {
public:
    enum EMAType : int { kSimple = 0, kExponential, kWeighted, kVolumeWeighted, kDoubleExponential, kTripleExponential };
    static constexpr int kMATypeCount = 6;

    CMovingAverageStudy(const CString& symbolOverride = CString(), int maType = kSimple);

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

    // "Simple Moving Average" ... of the MA type (a type outside 0..5 counts as simple).
    const char* GetLongTypeName() const;
    // "MA", "EMA", "WMA", "VWMA", "DEMA", "TEMA": the output the plot draws.
    const char* GetShortTypeName() const;
    // Index of a short name in that list, 0 when it is none of them.
    static int TypeFromShortName(const CString& name);

    int m_nMAType = kSimple;
    CString m_source = "Close";
    CString m_length = "10";
    CString m_offset = "0";
    COLORREF m_color = RGB(0, 0, 255);
    int m_thickness = 1;

private:
    int EffectiveType() const;
    auto Fields() const { return std::tie(m_nMAType, m_source, m_length, m_offset, m_color, m_thickness); }
};
