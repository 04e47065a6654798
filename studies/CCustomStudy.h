// A study drawing the values of a formula in a pane of its own. Its name and formula are
// copies of a row of the custom-study table taken when it was made; its own dialog
// changes only how it is drawn.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CCustomStudy : public CStudyDefinition {
public:
    enum EShowAs : int { kShowLine = 0, kShowHistogram = 1, kShowLastValueLine = 2 };
    enum EScaling : int { kScaleExcluded = 0, kScaleNormal = 1, kScaleToOthers = 2 };

    explicit CCustomStudy(const CString& symbolOverride = CString());

    // The empty text: the plot evaluates the formula instead of a built-in study.
    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
    bool IsEqual(const CStudyDefinition& other) const override;
    bool Store(CArchive& ar) const override;
    bool Load(CArchive& ar, int version) override;

    void SetStudyName(const CString& name) { m_studyName = name; }
    const CString& GetStudyName() const { return m_studyName; }
    void SetFormulaText(const CString& formula) { m_formula = formula; }
    // The formula; symbol becomes the override when one is set and is left as it is
    // otherwise.
    CString GetFormulaText(CString& symbol) const;
    int SetCustomIndex(int index) { return m_nCustomIndex = index; }
    int GetCustomIndex() const { return m_nCustomIndex; }

    COLORREF m_color = RGB(255, 0, 0);
    int m_thickness = 1;
    int m_nShowAs = kShowLine;
    int m_nScaling = kScaleNormal;
    bool m_bShowAxisLabel = true;
    bool m_bUseChartInterval = true;

private:
    auto Fields() const
    {
        return std::tie(m_color, m_thickness, m_nShowAs, m_nScaling, m_bShowAxisLabel, m_bUseChartInterval, m_formula,
                        m_studyName, m_nCustomIndex);
    }

    CString m_formula = "Unspecified formula expression!";
    CString m_studyName = "Unspecified custom study name!";
    int m_nCustomIndex = -1;
};
