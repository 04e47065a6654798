#include "studies/CADStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CADStudy::CADStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyAccumDist, 231, true);
}

CString CADStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "AD(" + KeySymbol(chartSymbol) + ")," + interval;
}

CString CADStudy::GetDisplayName() const
{
    return "Accumulation/Distribution" + OverrideSuffix();
}

bool CADStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadColor(dlg, m_color, kCtlColor1) && ReadThickness1(dlg, m_thickness) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CADStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteColor(dlg, kCtlColor1, m_color) && WriteInt(dlg, kCtlThickness1, m_thickness) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CADStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    return true;
}

bool CADStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}

CStudyPlot* CADStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CADStudy::Clone() const
{
    return std::make_unique<CADStudy>(*this);
}

bool CADStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CADStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
