// The pages of a grid column's properties: colour rules (of a number column, or the
// colour field page with name, formula and bar count), alignment and number format, and
// the alert states of a custom field; and the sheet that shows them for a column.
#pragma once

#include "common/windows/CColorCombo.h"
#include "platform/ui/CListCtrl.h"
#include "platform/ui/CPropertyPage.h"
#include "views/CGridColumn.h"

#include <memory>
#include <vector>

// The owner-drawn list of a rule page: the rule's text, then its colours as swatches.
class CRuleListCtrl : public CListCtrl {
public:
    void SetRules(const std::vector<CColorRule>* rules, int colorColumns)
    {
        m_pRules = rules;
        m_nColorColumns = colorColumns;
    }
    void DrawItem(LPDRAWITEMSTRUCT draw) override;

private:
    const std::vector<CColorRule>* m_pRules = nullptr;
    int m_nColorColumns = 1;
};

class ColorRulePage : public CPropertyPage {
public:
    // dialogId 172 (a number column's rules, text and background colours) or 174 (a colour
    // field: name, formula, bar count, box colours; with checkBox the bar count is edited
    // by the check box 1235 instead, as the chart's colour bar setup does).
    ColorRulePage(UINT dialogId, const std::vector<CColorRule>& rules, const CString& name = "",
                  const CString& formula = "", int barCount = 5, bool checkBox = false);

    std::vector<CColorRule> m_rules;
    CString m_name;
    CString m_formula;
    int m_nBarCount;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    const CMessageMap& GetMessageMap() const override;

    // The Add button's work: a rule of the selected comparison, threshold and colours.
    void AddRule();
    void DeleteRule();

private:
    void FillRuleList();
    void OnColorChosen(CColorCombo& combo);
    void OnTextColor();
    void OnBackColor();
    void OnFormula();

    bool m_bCheckBox;
    int m_nColorCombos;
    CRuleListCtrl m_list;
    CColorCombo m_color;
    CColorCombo m_backColor;
};

class ColumnPropertiesDlg : public CPropertyPage {
public:
    ColumnPropertiesDlg(int alignment, int fixedDecimals, int decimals);
    void DoDataExchange(CDataExchange* dx) override;

    int m_nAlignment;
    int m_nFormat; // 0 the field's own format, 1 fixed decimals
    int m_nDecimals;
};

class ColumnAlertsDlg : public CPropertyPage {
public:
    explicit ColumnAlertsDlg(const CColumnAlertState states[2]);
    void DoDataExchange(CDataExchange* dx) override;
    const CMessageMap& GetMessageMap() const override;

    CColumnAlertState m_states[2];

private:
    void Browse(UINT field);
    void OnBrowseFalse() { Browse(1228); }
    void OnBrowseTrue() { Browse(1225); }
};

// "\Sounds" wave files through a file dialog; the chosen path, or "" when cancelled.
CString ChooseSoundFile(CWnd* parent, const CString& current);

// The "Column Properties" sheet of a column; on OK the edited values are in column.
bool RunColumnPropertiesSheet(CGridColumn& column, CWnd* parent);
