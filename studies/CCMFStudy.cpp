#include "studies/CCMFStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CCMFStudy::CCMFStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyCMF, 232, true);
}

CString CCMFStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "CMF(" + KeySymbol(chartSymbol) + "," + m_length + ")," + interval;
}

CString CCMFStudy::GetDisplayName() const
{
    return "Chaikin Money Flow (" + OverridePrefix() + m_length + ")";
}

CString CCMFStudy::GetParamText() const
{
    return "(" + m_length + ")";
}

bool CCMFStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_length) && ReadColor(dlg, m_lineColor, kCtlColor1) &&
           ReadThickness1(dlg, m_lineThickness) && ReadSymbolOverride(dlg, m_symbolOverride) &&
           ReadColor(dlg, m_centreColor, kCtlColor2) && ReadThickness2(dlg, m_centreThickness) &&
           ReadCheck(dlg, m_bShowCentre, kCtlCheck1);
}

bool CCMFStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteColor(dlg, kCtlColor1, m_lineColor) &&
           WriteInt(dlg, kCtlThickness1, m_lineThickness) && WriteSymbolOverride(dlg, m_symbolOverride) &&
           WriteColor(dlg, kCtlColor2, m_centreColor) && WriteInt(dlg, kCtlThickness2, m_centreThickness) &&
           WriteCheck(dlg, kCtlCheck1, m_bShowCentre);
}

bool CCMFStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 1)
        return false;
    m_length = GetCallArgument(args, 0);
    return true;
}

bool CCMFStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length;
    StoreColor(ar, m_lineColor);
    StoreInt(ar, m_lineThickness);
    StoreColor(ar, m_centreColor);
    StoreInt(ar, m_centreThickness);
    StoreFlag(ar, m_bShowCentre);
    return true;
}

bool CCMFStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length;
    m_lineColor = LoadColor(ar);
    m_lineThickness = LoadThickness(ar);
    m_centreColor = LoadColor(ar);
    m_centreThickness = LoadThickness(ar);
    m_bShowCentre = LoadFlag(ar);
    return true;
}

CStudyPlot* CCMFStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CCMFStudy::Clone() const
{
    return std::make_unique<CCMFStudy>(*this);
}

bool CCMFStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CCMFStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
