#include "studies/CChaikinOscStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CChaikinOscStudy::CChaikinOscStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyChaikinOsc, 225, true);
}

CString CChaikinOscStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "COSC(" + KeySymbol(chartSymbol) + "," + m_ema1 + "," + m_ema2 + ")," + interval;
}

CString CChaikinOscStudy::GetDisplayName() const
{
    // No blank before the parenthesis.
    return "Chaikin Oscillator(" + OverridePrefix() + m_ema1 + "," + m_ema2 + ")";
}

CString CChaikinOscStudy::GetParamText() const
{
    return "(" + m_ema1 + "," + m_ema2 + ")";
}

bool CChaikinOscStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_ema1) && ReadLength2(dlg, m_ema2) && ReadColor(dlg, m_color, kCtlColor1) &&
           ReadThickness1(dlg, m_thickness) && ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CChaikinOscStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_ema1) && WriteText(dlg, kCtlLength2, m_ema2) &&
           WriteColor(dlg, kCtlColor1, m_color) && WriteInt(dlg, kCtlThickness1, m_thickness) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CChaikinOscStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 2)
        return false;
    m_ema1 = GetCallArgument(args, 0);
    m_ema2 = GetCallArgument(args, 1);
    return true;
}

bool CChaikinOscStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_ema1 << m_ema2;
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    return true;
}

bool CChaikinOscStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_ema1 >> m_ema2;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}

CStudyPlot* CChaikinOscStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CChaikinOscStudy::Clone() const
{
    return std::make_unique<CChaikinOscStudy>(*this);
}

bool CChaikinOscStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CChaikinOscStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
