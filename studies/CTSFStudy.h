// Time Series Forecast over the price bars.
#pragma once

#include "studies/CPriceLineStudy.h"

class CTSFStudy : public CPriceLineStudy {
public:
    explicit CTSFStudy(const CString& symbolOverride = CString());

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
};
