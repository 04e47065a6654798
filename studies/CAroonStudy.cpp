#include "studies/CAroonStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CAroonStudy::CAroonStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyAroon, 238, true);
}

CString CAroonStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "AROON(" + KeySymbol(chartSymbol) + "," + m_length + ")," + interval;
}

CString CAroonStudy::GetDisplayName() const
{
    return "Aroon (" + OverridePrefix() + m_length + ")";
}

CString CAroonStudy::GetParamText() const
{
    return "(" + m_length + ")";
}

bool CAroonStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_length) && ReadColor(dlg, m_upColor, kCtlColor1) &&
           ReadColor(dlg, m_downColor, kCtlColor2) && ReadThickness1(dlg, m_thickness) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CAroonStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteColor(dlg, kCtlColor1, m_upColor) &&
           WriteColor(dlg, kCtlColor2, m_downColor) && WriteInt(dlg, kCtlThickness1, m_thickness) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CAroonStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 1)
        return false;
    m_length = GetCallArgument(args, 0);
    return true;
}

bool CAroonStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length;
    StoreColor(ar, m_upColor);
    StoreColor(ar, m_downColor);
    StoreInt(ar, m_thickness);
    return true;
}

bool CAroonStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length;
    m_upColor = LoadColor(ar);
    m_downColor = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}

CStudyPlot* CAroonStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CAroonStudy::Clone() const
{
    return std::make_unique<CAroonStudy>(*this);
}

bool CAroonStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CAroonStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
