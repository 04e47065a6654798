#include "studies/CRSIStudy.h"

#include "studies/IStudyPlotFactory.h"

CRSIStudy::CRSIStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyRSI, 162, true);
    m_params.length = "14";
    m_params.lineColor = RGB(0, 0, 255);
    m_params.bandColor = RGB(0, 0, 0);
    m_params.lower = 30;
    m_params.upper = 70;
}

CString CRSIStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "RSI(" + KeySymbol(chartSymbol) + "," + m_params.length + ")," + interval;
}

CStudyPlot* CRSIStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CRSIStudy::Clone() const
{
    return std::make_unique<CRSIStudy>(*this);
}

CString CRSIStudy::GetDisplayName() const
{
    return "RSI (" + OverridePrefix() + m_params.length + ")";
}

CString CRSIStudy::GetParamText() const
{
    return "(" + m_params.length + ")";
}

bool CRSIStudy::ReadDialog(IStudyDialog& dlg)
{
    return m_params.Read(dlg, m_symbolOverride);
}

bool CRSIStudy::FillDialog(IStudyDialog& dlg) const
{
    return m_params.Fill(dlg, m_symbolOverride);
}

bool CRSIStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 1)
        return false;
    m_params.length = GetCallArgument(args, 0);
    return true;
}

bool CRSIStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CRSIStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && m_params == o->m_params;
}

bool CRSIStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    m_params.Store(ar);
    return true;
}

bool CRSIStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_params.Load(ar);
    return true;
}
