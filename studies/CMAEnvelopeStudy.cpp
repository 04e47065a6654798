#include "studies/CMAEnvelopeStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CMAEnvelopeStudy::CMAEnvelopeStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyMAEnvelope, 229, false);
}

CString CMAEnvelopeStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "MAE(" + KeySymbol(chartSymbol) + "," + m_source + "," + m_length + "," + m_percentage + ")," + interval;
}

CStudyPlot* CMAEnvelopeStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CMAEnvelopeStudy::Clone() const
{
    return std::make_unique<CMAEnvelopeStudy>(*this);
}

CString CMAEnvelopeStudy::GetDisplayName() const
{
    return "MA Envelopes (" + OverridePrefix() + m_source + "," + m_length + "," + m_percentage + ")";
}

CString CMAEnvelopeStudy::GetParamText() const
{
    return "(" + m_length + "," + m_percentage + ")";
}

bool CMAEnvelopeStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_length) &&
           ReadRealText(dlg, m_percentage, kCtlLength2, "Percentage", 0, 3, 1000) && ReadSource(dlg, m_source) &&
           ReadColor(dlg, m_bandColor, kCtlColor1) && ReadThickness1(dlg, m_bandThickness) &&
           ReadColor(dlg, m_middleColor, kCtlColor2) && ReadThickness2(dlg, m_middleThickness) &&
           ReadCheck(dlg, m_bShowMiddle, kCtlCheck1) && ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CMAEnvelopeStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteText(dlg, kCtlLength2, m_percentage) &&
           FillSourceCombo(dlg, m_source) && WriteColor(dlg, kCtlColor1, m_bandColor) &&
           WriteInt(dlg, kCtlThickness1, m_bandThickness) && WriteColor(dlg, kCtlColor2, m_middleColor) &&
           WriteInt(dlg, kCtlThickness2, m_middleThickness) && WriteCheck(dlg, kCtlCheck1, m_bShowMiddle) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CMAEnvelopeStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 3)
        return false;
    m_source = GetCallArgument(args, 0);
    m_length = GetCallArgument(args, 1);
    m_percentage = GetCallArgument(args, 2);
    return true;
}

bool CMAEnvelopeStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CMAEnvelopeStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}

bool CMAEnvelopeStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length << m_source << m_percentage;
    StoreColor(ar, m_bandColor);
    StoreInt(ar, m_bandThickness);
    StoreColor(ar, m_middleColor);
    StoreInt(ar, m_middleThickness);
    StoreFlag(ar, m_bShowMiddle);
    return true;
}

bool CMAEnvelopeStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length >> m_source >> m_percentage;
    m_bandColor = LoadColor(ar);
    m_bandThickness = LoadThickness(ar);
    m_middleColor = LoadColor(ar);
    m_middleThickness = LoadThickness(ar);
    m_bShowMiddle = LoadFlag(ar);
    return true;
}
