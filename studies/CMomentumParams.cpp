#include "studies/CMomentumParams.h"

#include "studies/CStudyDefinition.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

bool CMomentumParams::Read(IStudyDialog& dlg, CString& symbolOverride)
{
    return ReadLength(dlg, length) && ReadSource(dlg, source) && ReadColor(dlg, lineColor, kCtlColor1) &&
           ReadThickness1(dlg, lineThickness) && ReadColor(dlg, centreColor, kCtlColor2) &&
           ReadThickness2(dlg, centreThickness) && ReadCheck(dlg, bShowCentre, kCtlCheck1) &&
           ReadSymbolOverride(dlg, symbolOverride);
}

bool CMomentumParams::Fill(const CStudyDefinition& study, IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, length) && study.FillSourceCombo(dlg, source) &&
           WriteColor(dlg, kCtlColor1, lineColor) && WriteInt(dlg, kCtlThickness1, lineThickness) &&
           WriteColor(dlg, kCtlColor2, centreColor) && WriteInt(dlg, kCtlThickness2, centreThickness) &&
           WriteCheck(dlg, kCtlCheck1, bShowCentre) && WriteSymbolOverride(dlg, study.GetSymbolOverride());
}

void CMomentumParams::Store(CArchive& ar) const
{
    ar << length << source;
    StoreColor(ar, lineColor);
    StoreInt(ar, lineThickness);
    StoreColor(ar, centreColor);
    StoreInt(ar, centreThickness);
    StoreFlag(ar, bShowCentre);
}

void CMomentumParams::Load(CArchive& ar)
{
    ar >> length >> source;
    lineColor = LoadColor(ar);
    lineThickness = LoadThickness(ar);
    centreColor = LoadColor(ar);
    centreThickness = LoadThickness(ar);
    bShowCentre = LoadFlag(ar);
}
