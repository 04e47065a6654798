#include "studies/CBollingerStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CBollingerStudy::CBollingerStudy(const CString& symbolOverride) : CBandStudy(symbolOverride)
{
    SetKind(kStudyBollinger, 167, false);
}

CString CBollingerStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "BB(" + KeySymbol(chartSymbol) + "," + m_source + "," + m_length + "," + m_deviation + ")," + interval;
}

CStudyPlot* CBollingerStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CBollingerStudy::Clone() const
{
    return std::make_unique<CBollingerStudy>(*this);
}

CString CBollingerStudy::GetDisplayName() const
{
    return "Bollinger Bands (" + OverridePrefix() + m_source + "," + m_length + "," + m_deviation + ")";
}

CString CBollingerStudy::GetParamText() const
{
    return "(" + m_length + "," + m_deviation + ")";
}

bool CBollingerStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_length) && ReadStdDeviation(dlg, m_deviation) && ReadSource(dlg, m_source) &&
           ReadLines(dlg);
}

bool CBollingerStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteText(dlg, kCtlLength2, m_deviation) &&
           FillSourceCombo(dlg, m_source) && FillLines(dlg);
}

bool CBollingerStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 3)
        return false;
    m_source = GetCallArgument(args, 0);
    m_length = GetCallArgument(args, 1);
    m_deviation = GetCallArgument(args, 2);
    return true;
}

bool CBollingerStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CBollingerStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields() && SameLines(*o);
}

bool CBollingerStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length << m_source << m_deviation;
    StoreLines(ar);
    return true;
}

bool CBollingerStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length >> m_source >> m_deviation;
    LoadLines(ar);
    return true;
}
