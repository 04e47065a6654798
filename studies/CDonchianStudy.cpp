#include "studies/CDonchianStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CDonchianStudy::CDonchianStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyDonchian, 164, false);
}

CString CDonchianStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "PRC(" + KeySymbol(chartSymbol) + "," + m_length + "," + m_offset + ")," + interval;
}

CStudyPlot* CDonchianStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CDonchianStudy::Clone() const
{
    return std::make_unique<CDonchianStudy>(*this);
}

CString CDonchianStudy::GetDisplayName() const
{
    return "Donchian Channels (" + OverridePrefix() + m_length + "," + m_offset + ")";
}

CString CDonchianStudy::GetParamText() const
{
    return "(" + m_length + ")";
}

bool CDonchianStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_length) && ReadOffset(dlg, m_offset) && ReadColor(dlg, m_channelColor, kCtlColor1) &&
           ReadThickness1(dlg, m_channelThickness) && ReadColor(dlg, m_middleColor, kCtlColor2) &&
           ReadThickness2(dlg, m_middleThickness) && ReadCheck(dlg, m_bShowMiddle, kCtlCheck1) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CDonchianStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteText(dlg, kCtlOffset, m_offset) &&
           WriteColor(dlg, kCtlColor1, m_channelColor) && WriteInt(dlg, kCtlThickness1, m_channelThickness) &&
           WriteColor(dlg, kCtlColor2, m_middleColor) && WriteInt(dlg, kCtlThickness2, m_middleThickness) &&
           WriteCheck(dlg, kCtlCheck1, m_bShowMiddle) && WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CDonchianStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 2)
        return false;
    m_length = GetCallArgument(args, 0);
    m_offset = GetCallArgument(args, 1);
    return true;
}

bool CDonchianStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CDonchianStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}

bool CDonchianStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length << m_offset;
    StoreColor(ar, m_channelColor);
    StoreInt(ar, m_channelThickness);
    StoreColor(ar, m_middleColor);
    StoreInt(ar, m_middleThickness);
    StoreFlag(ar, m_bShowMiddle);
    return true;
}

bool CDonchianStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length >> m_offset;
    m_channelColor = LoadColor(ar);
    m_channelThickness = LoadThickness(ar);
    m_middleColor = LoadColor(ar);
    m_middleThickness = LoadThickness(ar);
    m_bShowMiddle = LoadFlag(ar);
    return true;
}
