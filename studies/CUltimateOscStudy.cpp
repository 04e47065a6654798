#include "studies/CUltimateOscStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CUltimateOscStudy::CUltimateOscStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyUltimateOsc, 226, true);
}

CString CUltimateOscStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "UOSC(" + KeySymbol(chartSymbol) + "," + m_length1 + "," + m_length2 + "," + m_length3 + ")," + interval;
}

CString CUltimateOscStudy::GetDisplayName() const
{
    return "Ultimate Oscillator (" + OverridePrefix() + m_length1 + "," + m_length2 + "," + m_length3 + ")";
}

CString CUltimateOscStudy::GetParamText() const
{
    return "(" + m_length1 + "," + m_length2 + "," + m_length3 + ")";
}

bool CUltimateOscStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_length1) && ReadLength2(dlg, m_length2) &&
           ReadIntText(dlg, m_length3, kCtlCheck1, "Length3", 1, 28, 1000) &&
           ReadColor(dlg, m_lineColor, kCtlColor1) && ReadThickness1(dlg, m_lineThickness) &&
           ReadColor(dlg, m_bandColor, kCtlColor2) && ReadThickness2(dlg, m_bandThickness) &&
           ReadLowerBand(dlg, m_lower) && ReadUpperBand(dlg, m_upper) && ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CUltimateOscStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length1) && WriteText(dlg, kCtlLength2, m_length2) &&
           WriteText(dlg, kCtlCheck1, m_length3) && WriteColor(dlg, kCtlColor1, m_lineColor) &&
           WriteInt(dlg, kCtlThickness1, m_lineThickness) && WriteColor(dlg, kCtlColor2, m_bandColor) &&
           WriteInt(dlg, kCtlThickness2, m_bandThickness) && WriteInt(dlg, kCtlLowerBand, m_lower) &&
           WriteInt(dlg, kCtlUpperBand, m_upper) && WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CUltimateOscStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 3)
        return false;
    m_length1 = GetCallArgument(args, 0);
    m_length2 = GetCallArgument(args, 1);
    m_length3 = GetCallArgument(args, 2);
    return true;
}

bool CUltimateOscStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length1 << m_length2 << m_length3;
    StoreColor(ar, m_lineColor);
    StoreInt(ar, m_lineThickness);
    StoreColor(ar, m_bandColor);
    StoreInt(ar, m_bandThickness);
    StoreInt(ar, m_lower);
    StoreInt(ar, m_upper);
    return true;
}

bool CUltimateOscStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length1 >> m_length2 >> m_length3;
    m_lineColor = LoadColor(ar);
    m_lineThickness = LoadThickness(ar);
    m_bandColor = LoadColor(ar);
    m_bandThickness = LoadThickness(ar);
    m_lower = LoadInt(ar);
    m_upper = LoadInt(ar);
    return true;
}

CStudyPlot* CUltimateOscStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CUltimateOscStudy::Clone() const
{
    return std::make_unique<CUltimateOscStudy>(*this);
}

bool CUltimateOscStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CUltimateOscStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
