// Accumulation/Distribution.
#pragma once

#include "studies/CPlainLineStudy.h"

class CADStudy : public CPlainLineStudy {
public:
    explicit CADStudy(const CString& symbolOverride = CString());

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
};
