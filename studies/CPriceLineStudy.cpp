#include "studies/CPriceLineStudy.h"

#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CString CPriceLineStudy::GetParamText() const
{
    return "(" + m_length + ")";
}

bool CPriceLineStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadSource(dlg, m_source) && ReadLength(dlg, m_length) && ReadOffset(dlg, m_offset) &&
           ReadColor(dlg, m_color, kCtlColor1) && ReadThickness1(dlg, m_thickness) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CPriceLineStudy::FillDialog(IStudyDialog& dlg) const
{
    return FillSourceCombo(dlg, m_source) && WriteText(dlg, kCtlLength, m_length) &&
           WriteText(dlg, kCtlOffset, m_offset) && WriteColor(dlg, kCtlColor1, m_color) &&
           WriteInt(dlg, kCtlThickness1, m_thickness) && WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CPriceLineStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 3)
        return false;
    m_source = GetCallArgument(args, 0);
    m_length = GetCallArgument(args, 1);
    m_offset = GetCallArgument(args, 2);
    return true;
}

bool CPriceLineStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CPriceLineStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}

bool CPriceLineStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    StoreLine(ar);
    return true;
}

bool CPriceLineStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    LoadLine(ar);
    return true;
}

void CPriceLineStudy::StoreLine(CArchive& ar) const
{
    ar << m_length << m_offset << m_source;
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
}

void CPriceLineStudy::LoadLine(CArchive& ar)
{
    ar >> m_length >> m_offset >> m_source;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
}
