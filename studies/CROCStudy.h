// Rate of change of the source over the length, from the momentum computation.
#pragma once

#include "studies/CMomentumParams.h"
#include "studies/CStudyDefinition.h"

class CROCStudy : public CStudyDefinition {
public:
    explicit CROCStudy(const CString& symbolOverride = CString());

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

    CMomentumParams m_params;
};
