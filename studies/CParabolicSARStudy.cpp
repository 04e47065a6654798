#include "studies/CParabolicSARStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

#include <cstdlib>

CParabolicSARStudy::CParabolicSARStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyParabolicSAR, 228, false);
}

CString CParabolicSARStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    CString text;
    text.Format("PSAR(%s,%g,%g,%g),%s", KeySymbol(chartSymbol), m_initialStep, m_increment, m_maximum, interval);
    return text;
}

CStudyPlot* CParabolicSARStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CParabolicSARStudy::Clone() const
{
    return std::make_unique<CParabolicSARStudy>(*this);
}

CString CParabolicSARStudy::GetDisplayName() const
{
    CString text;
    text.Format("Parabolic SAR (%s%g,%g,%g)", OverridePrefix(), m_initialStep, m_increment, m_maximum);
    return text;
}

CString CParabolicSARStudy::GetParamText() const
{
    CString text;
    text.Format("(%g,%g)", m_increment, m_maximum);
    return text;
}

bool CParabolicSARStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadRealValue(dlg, m_initialStep, kCtlReal1, "Initial Step", 0, 0.02, 1) &&
           ReadRealValue(dlg, m_increment, kCtlRealLower, "Increment", 0, 0.02, 1) &&
           ReadRealValue(dlg, m_maximum, kCtlRealUpper, "Max Value", 0, 0.2, 1) &&
           ReadColor(dlg, m_upColor, kCtlColor1) && ReadColor(dlg, m_downColor, kCtlColor2) &&
           ReadThickness1(dlg, m_thickness) && ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CParabolicSARStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteDouble(dlg, kCtlReal1, m_initialStep) && WriteDouble(dlg, kCtlRealLower, m_increment) &&
           WriteDouble(dlg, kCtlRealUpper, m_maximum) && WriteColor(dlg, kCtlColor1, m_upColor) &&
           WriteColor(dlg, kCtlColor2, m_downColor) && WriteInt(dlg, kCtlThickness1, m_thickness) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CParabolicSARStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 3)
        return false;
    m_initialStep = std::strtod(GetCallArgument(args, 0), nullptr);
    m_increment = std::strtod(GetCallArgument(args, 1), nullptr);
    m_maximum = std::strtod(GetCallArgument(args, 2), nullptr);
    return true;
}

bool CParabolicSARStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CParabolicSARStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}

bool CParabolicSARStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_initialStep << m_increment << m_maximum;
    StoreColor(ar, m_upColor);
    StoreColor(ar, m_downColor);
    StoreInt(ar, m_thickness);
    return true;
}

bool CParabolicSARStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_initialStep >> m_increment >> m_maximum;
    m_upColor = LoadColor(ar);
    m_downColor = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}
