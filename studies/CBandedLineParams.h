// Fields shared by RSI, CCI and Money Flow Index: one line between a lower and an upper
// band, with their reading order and saved form.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CArchive;
class IStudyDialog;

struct CBandedLineParams {
    CString length;
    COLORREF lineColor = 0;
    COLORREF bandColor = 0;
    int lineThickness = 1;
    int bandThickness = 1;
    int lower = 0;
    int upper = 0;

    // Length, line colour and thickness, band colour and thickness, lower, upper, then
    // the study's override.
    bool Read(IStudyDialog& dlg, CString& symbolOverride);
    bool Fill(IStudyDialog& dlg, const CString& symbolOverride) const;
    void Store(CArchive& ar) const;
    void Load(CArchive& ar);
    bool operator==(const CBandedLineParams&) const = default;
};
