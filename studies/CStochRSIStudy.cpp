#include "studies/CStochRSIStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

namespace {
// Layout version from which the %K and %D lengths, the smoothing and the %D line are saved.
constexpr int kDLineSavedFrom = 17;
}  // namespace

CStochRSIStudy::CStochRSIStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyStochRSI, 184, true);
}

CString CStochRSIStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "SRSI2(" + KeySymbol(chartSymbol) + "," + m_rsiLength + "," + m_kLength + "," + m_dLength + "," +
           m_smoothing + ")," + interval;
}

CString CStochRSIStudy::GetDisplayName() const
{
    return "StochasticRSI (" + OverridePrefix() + m_rsiLength + "," + m_kLength + "," + m_dLength + "," +
           m_smoothing + ")";
}

CString CStochRSIStudy::GetParamText() const
{
    return "(" + m_rsiLength + "," + m_kLength + "," + m_dLength + ")";
}

bool CStochRSIStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_rsiLength) && ReadLength2(dlg, m_kLength) &&
           ReadIntText(dlg, m_dLength, kCtlCheck1, "%D Length", 1, 3, 1000) && ReadSmoothing(dlg, m_smoothing) &&
           ReadColor(dlg, m_kColor, kCtlColor1) && ReadThickness1(dlg, m_kThickness) &&
           ReadColor(dlg, m_dColor, kCtlColor2) && ReadThickness2(dlg, m_dThickness) &&
           ReadColor(dlg, m_bandColor, kCtlColor3) && ReadThickness3(dlg, m_bandThickness) &&
           ReadRealLowerBand(dlg, m_lower, 0, 0.2, 1) && ReadRealUpperBand(dlg, m_upper, 0, 0.8, 1) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CStochRSIStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_rsiLength) && WriteText(dlg, kCtlLength2, m_kLength) &&
           WriteText(dlg, kCtlCheck1, m_dLength) && WriteText(dlg, kCtlSmoothing, m_smoothing) &&
           WriteColor(dlg, kCtlColor1, m_kColor) && WriteInt(dlg, kCtlThickness1, m_kThickness) &&
           WriteColor(dlg, kCtlColor2, m_dColor) && WriteInt(dlg, kCtlThickness2, m_dThickness) &&
           WriteColor(dlg, kCtlColor3, m_bandColor) && WriteInt(dlg, kCtlThickness3, m_bandThickness) &&
           WriteDouble(dlg, kCtlRealLower, m_lower) && WriteDouble(dlg, kCtlRealUpper, m_upper) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CStochRSIStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 1)
        return false;
    m_rsiLength = GetCallArgument(args, 0);
    if (args.GetSize() < 4) {
        m_kLength = m_rsiLength;
        m_dLength = "1";
        m_smoothing = "1";
    } else {
        m_kLength = GetCallArgument(args, 1);
        m_dLength = GetCallArgument(args, 2);
        m_smoothing = GetCallArgument(args, 3);
    }
    return true;
}

bool CStochRSIStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_rsiLength;
    StoreColor(ar, m_kColor);
    StoreInt(ar, m_kThickness);
    StoreColor(ar, m_bandColor);
    StoreInt(ar, m_bandThickness);
    ar << m_lower << m_upper << m_kLength << m_dLength << m_smoothing;
    StoreColor(ar, m_dColor);
    StoreInt(ar, m_dThickness);
    return true;
}

bool CStochRSIStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_rsiLength;
    m_kColor = LoadColor(ar);
    m_kThickness = LoadThickness(ar);
    m_bandColor = LoadColor(ar);
    m_bandThickness = LoadThickness(ar);
    ar >> m_lower >> m_upper;
    if (version >= kDLineSavedFrom) {
        ar >> m_kLength >> m_dLength >> m_smoothing;
        m_dColor = LoadColor(ar);
        m_dThickness = LoadThickness(ar);
    } else {
        m_kLength = m_rsiLength;
        m_dLength = "1";
        m_smoothing = "1";
        m_dColor = m_kColor;
        m_dThickness = m_kThickness;
    }
    return true;
}

CStudyPlot* CStochRSIStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CStochRSIStudy::Clone() const
{
    return std::make_unique<CStochRSIStudy>(*this);
}

bool CStochRSIStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CStochRSIStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
