#include "studies/CATRStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CATRStudy::CATRStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyATR, 180, true);
}

CString CATRStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "ATR(" + KeySymbol(chartSymbol) + "," + m_length + ")," + interval;
}

CString CATRStudy::GetDisplayName() const
{
    return "Average True Range (" + OverridePrefix() + m_length + ")";
}

CString CATRStudy::GetParamText() const
{
    return "(" + m_length + ")";
}

bool CATRStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_length) && ReadColor(dlg, m_color, kCtlColor1) && ReadThickness1(dlg, m_thickness) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CATRStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteColor(dlg, kCtlColor1, m_color) &&
           WriteInt(dlg, kCtlThickness1, m_thickness) && WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CATRStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 1)
        return false;
    m_length = GetCallArgument(args, 0);
    return true;
}

bool CATRStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length;
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    return true;
}

bool CATRStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}

CStudyPlot* CATRStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CATRStudy::Clone() const
{
    return std::make_unique<CATRStudy>(*this);
}

bool CATRStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CATRStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
