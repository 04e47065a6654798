#include "studies/CTSFStudy.h"

#include "studies/IStudyPlotFactory.h"

CTSFStudy::CTSFStudy(const CString& symbolOverride) : CPriceLineStudy(symbolOverride)
{
    SetKind(kStudyTSF, 268, false);
}

CString CTSFStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "TSF(" + KeySymbol(chartSymbol) + "," + m_source + "," + m_length + "," + m_offset + ")," + interval;
}

CStudyPlot* CTSFStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CTSFStudy::Clone() const
{
    return std::make_unique<CTSFStudy>(*this);
}

CString CTSFStudy::GetDisplayName() const
{
    return "TSF (" + OverridePrefix() + m_source + "," + m_length + "," + m_offset + ")";
}
