#include "studies/CChoppinessStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

namespace {
// Layout version from which the band colour, thickness and values are saved.
constexpr int kBandSavedFrom = 10;
}  // namespace

CChoppinessStudy::CChoppinessStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyChoppiness, 166, true);
}

CString CChoppinessStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "CHOP(" + KeySymbol(chartSymbol) + "," + m_length + ")," + interval;
}

CString CChoppinessStudy::GetDisplayName() const
{
    return "Choppiness (" + OverridePrefix() + m_length + ")";
}

CString CChoppinessStudy::GetParamText() const
{
    return "(" + m_length + ")";
}

bool CChoppinessStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_length) && ReadColor(dlg, m_lineColor, kCtlColor1) &&
           ReadThickness1(dlg, m_lineThickness) && ReadSymbolOverride(dlg, m_symbolOverride) &&
           ReadColor(dlg, m_bandColor, kCtlColor2) && ReadThickness2(dlg, m_bandThickness) &&
           ReadRealLowerBand(dlg, m_lower, 0, 35, 100) && ReadRealUpperBand(dlg, m_upper, 0, 65, 100);
}

bool CChoppinessStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteColor(dlg, kCtlColor1, m_lineColor) &&
           WriteInt(dlg, kCtlThickness1, m_lineThickness) && WriteSymbolOverride(dlg, m_symbolOverride) &&
           WriteColor(dlg, kCtlColor2, m_bandColor) && WriteInt(dlg, kCtlThickness2, m_bandThickness) &&
           WriteDouble(dlg, kCtlRealLower, m_lower) && WriteDouble(dlg, kCtlRealUpper, m_upper);
}

bool CChoppinessStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 1)
        return false;
    m_length = GetCallArgument(args, 0);
    return true;
}

bool CChoppinessStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length;
    StoreColor(ar, m_lineColor);
    StoreInt(ar, m_lineThickness);
    StoreColor(ar, m_bandColor);
    StoreInt(ar, m_bandThickness);
    ar << m_lower << m_upper;
    return true;
}

bool CChoppinessStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length;
    m_lineColor = LoadColor(ar);
    m_lineThickness = LoadThickness(ar);
    if (version >= kBandSavedFrom) {
        m_bandColor = LoadColor(ar);
        m_bandThickness = LoadThickness(ar);
        ar >> m_lower >> m_upper;
    }
    return true;
}

CStudyPlot* CChoppinessStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CChoppinessStudy::Clone() const
{
    return std::make_unique<CChoppinessStudy>(*this);
}

bool CChoppinessStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CChoppinessStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
