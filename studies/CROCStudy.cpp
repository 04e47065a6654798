#include "studies/CROCStudy.h"

#include "studies/IStudyPlotFactory.h"

CROCStudy::CROCStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyROC, 160, true);
}

CString CROCStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    // The last argument of the momentum computation selects the rate of change.
    return "MOM(" + KeySymbol(chartSymbol) + "," + m_params.source + "," + m_params.length + ",1)," + interval;
}

CStudyPlot* CROCStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CROCStudy::Clone() const
{
    return std::make_unique<CROCStudy>(*this);
}

CString CROCStudy::GetDisplayName() const
{
    return "ROC (" + OverridePrefix() + m_params.source + "," + m_params.length + ")";
}

CString CROCStudy::GetParamText() const
{
    return "(" + m_params.length + ")";
}

bool CROCStudy::ReadDialog(IStudyDialog& dlg)
{
    return m_params.Read(dlg, m_symbolOverride);
}

bool CROCStudy::FillDialog(IStudyDialog& dlg) const
{
    return m_params.Fill(*this, dlg);
}

bool CROCStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 2)
        return false;
    m_params.source = GetCallArgument(args, 0);
    m_params.length = GetCallArgument(args, 1);
    return true;
}

bool CROCStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CROCStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && m_params == o->m_params;
}

bool CROCStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    m_params.Store(ar);
    return true;
}

bool CROCStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_params.Load(ar);
    return true;
}
