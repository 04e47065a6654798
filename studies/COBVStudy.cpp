#include "studies/COBVStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

COBVStudy::COBVStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyOBV, 163, true);
}

CString COBVStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "OBV(" + KeySymbol(chartSymbol) + ")," + interval;
}

CString COBVStudy::GetDisplayName() const
{
    return "On Balance Volume" + OverrideSuffix();
}

bool COBVStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadColor(dlg, m_color, kCtlColor1) && ReadThickness1(dlg, m_thickness) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool COBVStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteColor(dlg, kCtlColor1, m_color) && WriteInt(dlg, kCtlThickness1, m_thickness) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool COBVStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    return true;
}

bool COBVStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}

CStudyPlot* COBVStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> COBVStudy::Clone() const
{
    return std::make_unique<COBVStudy>(*this);
}

bool COBVStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const COBVStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
