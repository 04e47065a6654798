#include "studies/CCCIStudy.h"

#include "studies/IStudyPlotFactory.h"

CCCIStudy::CCCIStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyCCI, 181, true);
    m_params.length = "20";
    m_params.lineColor = RGB(0, 200, 100);
    m_params.bandColor = RGB(50, 0, 100);
    m_params.lower = -100;
    m_params.upper = 100;
}

CString CCCIStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "CCI(" + KeySymbol(chartSymbol) + "," + m_params.length + ")," + interval;
}

CStudyPlot* CCCIStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CCCIStudy::Clone() const
{
    return std::make_unique<CCCIStudy>(*this);
}

CString CCCIStudy::GetDisplayName() const
{
    return "CCI (" + OverridePrefix() + m_params.length + ")";
}

CString CCCIStudy::GetParamText() const
{
    return "(" + m_params.length + ")";
}

bool CCCIStudy::ReadDialog(IStudyDialog& dlg)
{
    return m_params.Read(dlg, m_symbolOverride);
}

bool CCCIStudy::FillDialog(IStudyDialog& dlg) const
{
    return m_params.Fill(dlg, m_symbolOverride);
}

bool CCCIStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 1)
        return false;
    m_params.length = GetCallArgument(args, 0);
    return true;
}

bool CCCIStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CCCIStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && m_params == o->m_params;
}

bool CCCIStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    m_params.Store(ar);
    return true;
}

bool CCCIStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_params.Load(ar);
    return true;
}
