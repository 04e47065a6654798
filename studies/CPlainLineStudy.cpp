#include "studies/CPlainLineStudy.h"

#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

bool CPlainLineStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadColor(dlg, m_color, kCtlColor1) && ReadThickness1(dlg, m_thickness) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CPlainLineStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteColor(dlg, kCtlColor1, m_color) && WriteInt(dlg, kCtlThickness1, m_thickness) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CPlainLineStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CPlainLineStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}

bool CPlainLineStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    return true;
}

bool CPlainLineStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}
