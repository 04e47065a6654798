#include "studies/CMAEnvelopeStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CMAEnvelopeStudy::CMAEnvelopeStudy(const CString& symbolOverride) : CBandStudy(symbolOverride)
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
           ReadLines(dlg);
}

bool CMAEnvelopeStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteText(dlg, kCtlLength2, m_percentage) &&
           FillSourceCombo(dlg, m_source) && FillLines(dlg);
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
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields() && SameLines(*o);
}

bool CMAEnvelopeStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length << m_source << m_percentage;
    StoreLines(ar);
    return true;
}

bool CMAEnvelopeStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length >> m_source >> m_percentage;
    LoadLines(ar);
    return true;
}
