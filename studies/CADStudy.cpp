#include "studies/CADStudy.h"

#include "studies/IStudyPlotFactory.h"

CADStudy::CADStudy(const CString& symbolOverride) : CPlainLineStudy(symbolOverride)
{
    SetKind(kStudyAccumDist, 231, true);
}

CString CADStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "AD(" + KeySymbol(chartSymbol) + ")," + interval;
}

CString CADStudy::GetDisplayName() const
{
    return "Accumulation/Distribution" + OverrideSuffix();
}

CStudyPlot* CADStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CADStudy::Clone() const
{
    return std::make_unique<CADStudy>(*this);
}
