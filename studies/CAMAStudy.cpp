#include "studies/CAMAStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CAMAStudy::CAMAStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyAMA, 278, false);
}

CString CAMAStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "AMA(" + KeySymbol(chartSymbol) + "," + m_source + "," + m_length + "," + m_fast + "," + m_slow + ")," +
           interval;
}

CStudyPlot* CAMAStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CAMAStudy::Clone() const
{
    return std::make_unique<CAMAStudy>(*this);
}

CString CAMAStudy::GetDisplayName() const
{
    return "Adaptive MA (" + OverridePrefix() + m_source + "," + m_length + "," + m_fast + "," + m_slow + ")";
}

CString CAMAStudy::GetParamText() const
{
    return "(" + m_length + "," + m_fast + "," + m_slow + ")";
}

bool CAMAStudy::ReadDialog(IStudyDialog& dlg)
{
    // The fast period sits in the second length edit, the slow one in the smoothing edit.
    return ReadSource(dlg, m_source) && ReadLength(dlg, m_length) && ReadLength2(dlg, m_fast) &&
           ReadSmoothing(dlg, m_slow) && ReadColor(dlg, m_color, kCtlColor1) && ReadThickness1(dlg, m_thickness) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CAMAStudy::FillDialog(IStudyDialog& dlg) const
{
    return FillSourceCombo(dlg, m_source) && WriteText(dlg, kCtlLength, m_length) &&
           WriteText(dlg, kCtlLength2, m_fast) && WriteText(dlg, kCtlSmoothing, m_slow) &&
           WriteColor(dlg, kCtlColor1, m_color) && WriteInt(dlg, kCtlThickness1, m_thickness) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CAMAStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 4)
        return false;
    m_source = GetCallArgument(args, 0);
    m_length = GetCallArgument(args, 1);
    m_fast = GetCallArgument(args, 2);
    m_slow = GetCallArgument(args, 3);
    return true;
}

bool CAMAStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CAMAStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}

bool CAMAStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length << m_fast << m_slow << m_source;
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    return true;
}

bool CAMAStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length >> m_fast >> m_slow >> m_source;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}
