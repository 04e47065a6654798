#include "studies/CMFIStudy.h"

#include "studies/IStudyPlotFactory.h"

CMFIStudy::CMFIStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyMFI, 183, true);
    m_params.length = "14";
    m_params.lineColor = RGB(50, 50, 200);
    m_params.bandColor = RGB(0, 0, 0);
    m_params.lower = 20;
    m_params.upper = 80;
}

CString CMFIStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "MFI(" + KeySymbol(chartSymbol) + "," + m_params.length + ")," + interval;
}

CStudyPlot* CMFIStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CMFIStudy::Clone() const
{
    return std::make_unique<CMFIStudy>(*this);
}

CString CMFIStudy::GetDisplayName() const
{
    return "MFI (" + OverridePrefix() + m_params.length + ")";
}

CString CMFIStudy::GetParamText() const
{
    return "(" + m_params.length + ")";
}

bool CMFIStudy::ReadDialog(IStudyDialog& dlg)
{
    return m_params.Read(dlg, m_symbolOverride);
}

bool CMFIStudy::FillDialog(IStudyDialog& dlg) const
{
    return m_params.Fill(dlg, m_symbolOverride);
}

bool CMFIStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 1)
        return false;
    m_params.length = GetCallArgument(args, 0);
    return true;
}

bool CMFIStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CMFIStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && m_params == o->m_params;
}

bool CMFIStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    m_params.Store(ar);
    return true;
}

bool CMFIStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_params.Load(ar);
    return true;
}
