// Moving averages over the price bars: simple, exponential, weighted, volume-weighted,
// double and triple exponential.
#pragma once

#include "studies/CPriceLineStudy.h"

class CMovingAverageStudy : public CPriceLineStudy {
public:
    enum EMAType : int { kSimple = 0, kExponential, kWeighted, kVolumeWeighted, kDoubleExponential, kTripleExponential };
    static constexpr int kMATypeCount = 6;

    CMovingAverageStudy(const CString& symbolOverride = CString(), int maType = kSimple);

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
    // The type's radio button, then the line's fields.
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
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

private:
    int EffectiveType() const;
};
