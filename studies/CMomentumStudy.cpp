#include "studies/CMomentumStudy.h"

#include "studies/IStudyPlotFactory.h"

CMomentumStudy::CMomentumStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyMomentum, 159, true);
}

CString CMomentumStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    // The last argument of the momentum computation selects the rate of change.
    return "MOM(" + KeySymbol(chartSymbol) + "," + m_params.source + "," + m_params.length + ",0)," + interval;
}

CStudyPlot* CMomentumStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CMomentumStudy::Clone() const
{
    return std::make_unique<CMomentumStudy>(*this);
}

CString CMomentumStudy::GetDisplayName() const
{
    return "Momentum (" + OverridePrefix() + m_params.source + "," + m_params.length + ")";
}

CString CMomentumStudy::GetParamText() const
{
    return "(" + m_params.length + ")";
}

bool CMomentumStudy::ReadDialog(IStudyDialog& dlg)
{
    return m_params.Read(dlg, m_symbolOverride);
}

bool CMomentumStudy::FillDialog(IStudyDialog& dlg) const
{
    return m_params.Fill(*this, dlg);
}

bool CMomentumStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 2)
        return false;
    m_params.source = GetCallArgument(args, 0);
    m_params.length = GetCallArgument(args, 1);
    return true;
}

bool CMomentumStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CMomentumStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && m_params == o->m_params;
}

bool CMomentumStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    m_params.Store(ar);
    return true;
}

bool CMomentumStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_params.Load(ar);
    return true;
}
