// Fields shared by Momentum and ROC, with their reading order and saved form.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CArchive;
class CStudyDefinition;
class IStudyDialog;

struct CMomentumParams {
    CString source = "Close";
    CString length = "12";
    COLORREF lineColor = RGB(0, 0, 255);
    COLORREF centreColor = RGB(0, 0, 0);
    int lineThickness = 1;
    int centreThickness = 1;
    bool bShowCentre = true;

    // Length, source, line colour and thickness, centre colour and thickness, show
    // centre, then the study's override.
    bool Read(IStudyDialog& dlg, CString& symbolOverride);
    bool Fill(const CStudyDefinition& study, IStudyDialog& dlg) const;
    void Store(CArchive& ar) const;
    void Load(CArchive& ar);
    bool operator==(const CMomentumParams&) const = default;
};
