#include "studies/CBandedLineParams.h"

#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

bool CBandedLineParams::Read(IStudyDialog& dlg, CString& symbolOverride)
{
    return ReadLength(dlg, length) && ReadColor(dlg, lineColor, kCtlColor1) && ReadThickness1(dlg, lineThickness) &&
           ReadColor(dlg, bandColor, kCtlColor2) && ReadThickness2(dlg, bandThickness) &&
           ReadLowerBand(dlg, lower) && ReadUpperBand(dlg, upper) && ReadSymbolOverride(dlg, symbolOverride);
}

bool CBandedLineParams::Fill(IStudyDialog& dlg, const CString& symbolOverride) const
{
    return WriteText(dlg, kCtlLength, length) && WriteColor(dlg, kCtlColor1, lineColor) &&
           WriteInt(dlg, kCtlThickness1, lineThickness) && WriteColor(dlg, kCtlColor2, bandColor) &&
           WriteInt(dlg, kCtlThickness2, bandThickness) && WriteInt(dlg, kCtlLowerBand, lower) &&
           WriteInt(dlg, kCtlUpperBand, upper) && WriteSymbolOverride(dlg, symbolOverride);
}

void CBandedLineParams::Store(CArchive& ar) const
{
    ar << length;
    StoreColor(ar, lineColor);
    StoreInt(ar, lineThickness);
    StoreColor(ar, bandColor);
    StoreInt(ar, bandThickness);
    StoreInt(ar, lower);
    StoreInt(ar, upper);
}

void CBandedLineParams::Load(CArchive& ar)
{
    ar >> length;
    lineColor = LoadColor(ar);
    lineThickness = LoadThickness(ar);
    bandColor = LoadColor(ar);
    bandThickness = LoadThickness(ar);
    lower = LoadInt(ar);
    upper = LoadInt(ar);
}
