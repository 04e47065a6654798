// On Balance Volume.
#pragma once

#include "studies/CPlainLineStudy.h"

class COBVStudy : public CPlainLineStudy {
public:
    explicit COBVStudy(const CString& symbolOverride = CString());

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
};
