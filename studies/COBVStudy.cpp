#include "studies/COBVStudy.h"

#include "studies/IStudyPlotFactory.h"

COBVStudy::COBVStudy(const CString& symbolOverride) : CPlainLineStudy(symbolOverride)
{
    SetKind(kStudyOBV, 163, true);
}

CString COBVStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "OBV(" + KeySymbol(chartSymbol) + ")," + interval;
}

CString COBVStudy::GetDisplayName() const
{
    return "On Balance Volume" + OverrideSuffix();
}

CStudyPlot* COBVStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> COBVStudy::Clone() const
{
    return std::make_unique<COBVStudy>(*this);
}
