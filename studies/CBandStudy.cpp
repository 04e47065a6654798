#include "studies/CBandStudy.h"

#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

bool CBandStudy::ReadLines(IStudyDialog& dlg)
{
    return ReadColor(dlg, m_bandColor, kCtlColor1) && ReadThickness1(dlg, m_bandThickness) &&
           ReadColor(dlg, m_middleColor, kCtlColor2) && ReadThickness2(dlg, m_middleThickness) &&
           ReadCheck(dlg, m_bShowMiddle, kCtlCheck1) && ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CBandStudy::FillLines(IStudyDialog& dlg) const
{
    return WriteColor(dlg, kCtlColor1, m_bandColor) && WriteInt(dlg, kCtlThickness1, m_bandThickness) &&
           WriteColor(dlg, kCtlColor2, m_middleColor) && WriteInt(dlg, kCtlThickness2, m_middleThickness) &&
           WriteCheck(dlg, kCtlCheck1, m_bShowMiddle) && WriteSymbolOverride(dlg, m_symbolOverride);
}

void CBandStudy::StoreLines(CArchive& ar) const
{
    StoreColor(ar, m_bandColor);
    StoreInt(ar, m_bandThickness);
    StoreColor(ar, m_middleColor);
    StoreInt(ar, m_middleThickness);
    StoreFlag(ar, m_bShowMiddle);
}

void CBandStudy::LoadLines(CArchive& ar)
{
    m_bandColor = LoadColor(ar);
    m_bandThickness = LoadThickness(ar);
    m_middleColor = LoadColor(ar);
    m_middleThickness = LoadThickness(ar);
    m_bShowMiddle = LoadFlag(ar);
}

bool CBandStudy::SameLines(const CBandStudy& other) const
{
    return Lines() == other.Lines();
}
