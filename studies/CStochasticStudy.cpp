#include "studies/CStochasticStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CStochasticStudy::CStochasticStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyStochastic, 161, true);
}

CString CStochasticStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "STOC(" + KeySymbol(chartSymbol) + "," + m_kLength + "," + m_dLength + "," + m_smoothing + ")," + interval;
}

CString CStochasticStudy::GetDisplayName() const
{
    return "Stochastic (" + OverridePrefix() + m_kLength + "," + m_dLength + "," + m_smoothing + ")";
}

CString CStochasticStudy::GetParamText() const
{
    return "(" + m_kLength + "," + m_dLength + "," + m_smoothing + ")";
}

bool CStochasticStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_kLength) && ReadLength2(dlg, m_dLength) && ReadSmoothing(dlg, m_smoothing) &&
           ReadColor(dlg, m_kColor, kCtlColor1) && ReadThickness1(dlg, m_kThickness) &&
           ReadColor(dlg, m_dColor, kCtlColor2) && ReadThickness2(dlg, m_dThickness) &&
           ReadColor(dlg, m_bandColor, kCtlColor3) && ReadThickness3(dlg, m_bandThickness) &&
           ReadLowerBand(dlg, m_lower) && ReadUpperBand(dlg, m_upper) && ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CStochasticStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_kLength) && WriteText(dlg, kCtlLength2, m_dLength) &&
           WriteText(dlg, kCtlSmoothing, m_smoothing) && WriteColor(dlg, kCtlColor1, m_kColor) &&
           WriteInt(dlg, kCtlThickness1, m_kThickness) && WriteColor(dlg, kCtlColor2, m_dColor) &&
           WriteInt(dlg, kCtlThickness2, m_dThickness) && WriteColor(dlg, kCtlColor3, m_bandColor) &&
           WriteInt(dlg, kCtlThickness3, m_bandThickness) && WriteInt(dlg, kCtlLowerBand, m_lower) &&
           WriteInt(dlg, kCtlUpperBand, m_upper) && WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CStochasticStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 3)
        return false;
    m_kLength = GetCallArgument(args, 0);
    m_dLength = GetCallArgument(args, 1);
    m_smoothing = GetCallArgument(args, 2);
    return true;
}

bool CStochasticStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_dLength << m_kLength << m_smoothing;
    StoreColor(ar, m_kColor);
    StoreInt(ar, m_kThickness);
    StoreColor(ar, m_dColor);
    StoreInt(ar, m_dThickness);
    StoreColor(ar, m_bandColor);
    StoreInt(ar, m_bandThickness);
    StoreInt(ar, m_lower);
    StoreInt(ar, m_upper);
    return true;
}

bool CStochasticStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_dLength >> m_kLength >> m_smoothing;
    m_kColor = LoadColor(ar);
    m_kThickness = LoadThickness(ar);
    m_dColor = LoadColor(ar);
    m_dThickness = LoadThickness(ar);
    m_bandColor = LoadColor(ar);
    m_bandThickness = LoadThickness(ar);
    m_lower = LoadInt(ar);
    m_upper = LoadInt(ar);
    return true;
}

CStudyPlot* CStochasticStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CStochasticStudy::Clone() const
{
    return std::make_unique<CStochasticStudy>(*this);
}

bool CStochasticStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CStochasticStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
