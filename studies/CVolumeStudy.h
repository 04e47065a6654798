// Volume bars in a pane of their own, coloured by the close against the open or the
// previous close.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CVolumeStudy : public CStudyDefinition {
public:
    explicit CVolumeStudy(const CString& symbolOverride = CString());

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
    bool IsEqual(const CStudyDefinition& other) const override;
    bool Store(CArchive& ar) const override;
    bool Load(CArchive& ar, int version) override;

    // "Open", "Prev. Close".
    void FillPriceFieldNames(CStringArray& names) const override;

    COLORREF m_upColor = RGB(0, 200, 0);
    COLORREF m_downColor = RGB(200, 0, 0);
    int m_thickness = 1;
    CString m_compareField = "Open";

private:
    auto Fields() const { return std::tie(m_upColor, m_downColor, m_thickness, m_compareField); }
};
