#include "studies/CTSFStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CTSFStudy::CTSFStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
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

CString CTSFStudy::GetParamText() const
{
    return "(" + m_length + ")";
}

bool CTSFStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadSource(dlg, m_source) && ReadLength(dlg, m_length) && ReadOffset(dlg, m_offset) &&
           ReadColor(dlg, m_color, kCtlColor1) && ReadThickness1(dlg, m_thickness) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CTSFStudy::FillDialog(IStudyDialog& dlg) const
{
    return FillSourceCombo(dlg, m_source) && WriteText(dlg, kCtlLength, m_length) &&
           WriteText(dlg, kCtlOffset, m_offset) && WriteColor(dlg, kCtlColor1, m_color) &&
           WriteInt(dlg, kCtlThickness1, m_thickness) && WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CTSFStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 3)
        return false;
    m_source = GetCallArgument(args, 0);
    m_length = GetCallArgument(args, 1);
    m_offset = GetCallArgument(args, 2);
    return true;
}

bool CTSFStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CTSFStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}

bool CTSFStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length << m_offset << m_source;
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    return true;
}

bool CTSFStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length >> m_offset >> m_source;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}
