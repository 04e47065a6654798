#include "views/ui/ColumnPages.h"

#include "common/services/CAppSettings.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CommonDialogs.h"
#include "views/ui/FormulaWizard.h"
#include "views/ui/Level1Ids.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

constexpr UINT kRuleList = 1181;
constexpr UINT kThreshold = 1182;
constexpr UINT kComparison = 1184;
constexpr UINT kColor = 1185;
constexpr UINT kBackColor = 1186;
constexpr UINT kAddRule = 1006;
constexpr UINT kDeleteRule = 1005;
constexpr UINT kFormulaButton = 1008;
constexpr UINT kBarCount = 1197;
constexpr UINT kBarCheck = 1235;

// The 27 colours of components 1, 128 and 255 (red outermost), then "Other...".
void FillColorCombo(CColorCombo& combo)
{
    combo.ResetContent();
    static constexpr BYTE kLevels[] = {1, 128, 255};
    for (BYTE r : kLevels)
        for (BYTE g : kLevels)
            for (BYTE b : kLevels) {
                const COLORREF c = RGB(r, g, b);
                CString text;
                text.Format("RGB(%d,%d,%d)", r, g, b);
                combo.SetItemData(combo.AddString(text), c);
            }
    combo.SetItemData(combo.AddString("Other..."), CColorCombo::kOtherColor);
    combo.SetCurSel(0);
}

bool ParseThreshold(const CString& text, double& value)
{
    CString t = text;
    t.Trim();
    if (t.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(t, &end);
    return errno == 0 && end && *end == '\0';
}

} // namespace

void CRuleListCtrl::DrawItem(LPDRAWITEMSTRUCT draw)
{
    CDC* dc = CDC::FromHandle(draw->hDC);
    const int index = static_cast<int>(draw->itemID);
    if (!dc || !m_pRules || index < 0 || index >= static_cast<int>(m_pRules->size()))
        return;
    const CColorRule& rule = (*m_pRules)[static_cast<size_t>(index)];
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    CRect row(draw->rcItem);
    dc->FillSolidRect(&row, selected ? RGB(0, 120, 215) : RGB(255, 255, 255));
    CHeaderCtrl* header = GetHeaderCtrl();
    CRect cell;
    if (!header || !header->GetItemRect(0, &cell))
        return;
    CRect text(cell.left + 4, row.top, cell.right, row.bottom);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    dc->DrawText(ColorRuleText(rule), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    for (int c = 0; c < m_nColorColumns; ++c) {
        CRect swatch;
        if (!header->GetItemRect(c + 1, &swatch))
            continue;
        swatch.top = row.top;
        swatch.bottom = row.bottom;
        swatch.DeflateRect(4, 2);
        dc->FillSolidRect(&swatch, c == 0 ? rule.first : rule.second);
        dc->Draw3dRect(&swatch, RGB(0, 0, 0), RGB(0, 0, 0));
    }
}

ColorRulePage::ColorRulePage(UINT dialogId, const std::vector<CColorRule>& rules, const CString& name,
                             const CString& formula, int barCount, bool checkBox)
    : CPropertyPage(dialogId), m_rules(rules), m_name(name), m_formula(formula), m_nBarCount(barCount),
      m_bCheckBox(checkBox), m_nColorCombos(dialogId == IDD_COLOR_RULES ? 2 : 1)
{
}

void ColorRulePage::DoDataExchange(CDataExchange* dx)
{
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, kRuleList, m_list);
    DDX_Control(dx, kColor, m_color);
    if (m_nColorCombos > 1)
        DDX_Control(dx, kBackColor, m_backColor);
    if (GetTemplateId() != IDD_COLOR_FIELD)
        return;
    DDX_Text(dx, 1196, m_name);
    DDX_Text(dx, 1198, m_formula);
    if (m_bCheckBox) {
        int on = m_nBarCount != 0 ? 1 : 0;
        DDX_Check(dx, kBarCheck, on);
        m_nBarCount = on;
    } else {
        DDX_Text(dx, kBarCount, m_nBarCount);
        DDV_MinMaxInt(dx, m_nBarCount, 1, kMaxColorBoxes);
    }
}

BOOL ColorRulePage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    if (m_nColorCombos > 1) {
        m_list.InsertColumn(0, "Rule", LVCFMT_LEFT, 200);
        m_list.InsertColumn(1, "Text Color", LVCFMT_LEFT, 65);
        m_list.InsertColumn(2, "Bg Color", LVCFMT_LEFT, 65);
    } else {
        m_list.InsertColumn(0, "Rule", LVCFMT_LEFT, 100);
        m_list.InsertColumn(1, "Bar Color", LVCFMT_LEFT, 65);
    }
    m_list.SetRules(&m_rules, m_nColorCombos);
    FillRuleList();
    if (auto* comparison = static_cast<CComboBox*>(GetDlgItem(kComparison))) {
        for (int i = 0; i < kRuleComparisonCount; ++i)
            comparison->AddString(ColorRuleOperator(i));
        comparison->SetCurSel(0);
    }
    FillColorCombo(m_color);
    if (m_nColorCombos > 1) {
        FillColorCombo(m_backColor);
        m_backColor.SetCurSel(26); // white
    }
    if (GetTemplateId() == IDD_COLOR_FIELD) {
        if (m_bCheckBox) {
            if (CWnd* count = GetDlgItem(kBarCount))
                count->ShowWindow(SW_HIDE);
            if (CWnd* label = GetDlgItem(1215))
                label->ShowWindow(SW_HIDE);
            if (CWnd* check = GetDlgItem(kBarCheck))
                check->ShowWindow(SW_SHOW);
        } else if (CWnd* check = GetDlgItem(kBarCheck)) {
            check->ShowWindow(SW_HIDE);
        }
    }
    return TRUE;
}

void ColorRulePage::FillRuleList()
{
    m_list.DeleteAllItems();
    for (size_t i = 0; i < m_rules.size(); ++i)
        m_list.InsertItem(static_cast<int>(i), ColorRuleText(m_rules[i]));
    if (!m_rules.empty())
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void ColorRulePage::AddRule()
{
    CColorRule rule;
    const auto* comparison = static_cast<CComboBox*>(GetDlgItem(kComparison));
    rule.comparison = comparison ? std::max(comparison->GetCurSel(), 0) : 0;
    if (!ParseThreshold(GetDlgItemText(kThreshold), rule.threshold)) {
        MessageBox("Please enter a number to compare with.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    COLORREF color = 0;
    if (m_color.GetSelectedColor(color))
        rule.first = color;
    if (m_nColorCombos > 1 && m_backColor.GetSelectedColor(color))
        rule.second = color;
    m_rules.push_back(rule);
    FillRuleList();
    m_list.SetItemState(static_cast<int>(m_rules.size()) - 1, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
    SetModified();
}

void ColorRulePage::DeleteRule()
{
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (selected < 0 || selected >= static_cast<int>(m_rules.size())) {
        MessageBox("Please select a rule", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_rules.erase(m_rules.begin() + selected);
    FillRuleList();
    SetModified();
}

void ColorRulePage::OnColorChosen(CColorCombo& combo)
{
    const int selected = combo.GetCurSel();
    if (selected < 0 || combo.GetItemData(selected) != CColorCombo::kOtherColor)
        return;
    CColorDialog dialog(RGB(0, 0, 0), 0, this);
    if (dialog.DoModal() != IDOK) {
        combo.SetCurSel(0);
        return;
    }
    // The chosen colour joins the list just before "Other...".
    const COLORREF color = dialog.GetColor();
    CString text;
    text.Format("RGB(%d,%d,%d)", GetRValue(color), GetGValue(color), GetBValue(color));
    const int index = combo.InsertString(selected, text);
    combo.SetItemData(index, color);
    combo.SetCurSel(index);
}

void ColorRulePage::OnTextColor()
{
    OnColorChosen(m_color);
}

void ColorRulePage::OnBackColor()
{
    OnColorChosen(m_backColor);
}

void ColorRulePage::OnFormula()
{
    UpdateData(TRUE);
    CString name = m_name;
    CString formula = m_formula;
    if (!RunFormulaWizard(this, name, formula))
        return;
    m_name = name;
    m_formula = formula;
    SetDlgItemText(1196, m_name);
    SetDlgItemText(1198, m_formula);
}

const CMessageMap& ColorRulePage::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<ColorRulePage>(CPropertyPage::GetMessageMap())
                                       .Control(BN_CLICKED, kAddRule, &ColorRulePage::AddRule)
                                       .Control(BN_CLICKED, kDeleteRule, &ColorRulePage::DeleteRule)
                                       .Control(BN_CLICKED, kFormulaButton, &ColorRulePage::OnFormula)
                                       .Control(CBN_SELCHANGE, kColor, &ColorRulePage::OnTextColor)
                                       .Control(CBN_SELCHANGE, kBackColor, &ColorRulePage::OnBackColor)
                                       .Build();
    return map;
}

ColumnPropertiesDlg::ColumnPropertiesDlg(int alignment, int fixedDecimals, int decimals)
    : CPropertyPage(IDD_COLUMN_PROPERTIES), m_nAlignment(alignment), m_nFormat(fixedDecimals ? 1 : 0),
      m_nDecimals(decimals)
{
}

void ColumnPropertiesDlg::DoDataExchange(CDataExchange* dx)
{
    CPropertyPage::DoDataExchange(dx);
    DDX_Radio(dx, 1186, m_nAlignment);
    DDX_Radio(dx, 1191, m_nFormat);
    DDX_Text(dx, 1190, m_nDecimals);
    DDV_MinMaxInt(dx, m_nDecimals, 0, kMaxColumnDecimals);
}

ColumnAlertsDlg::ColumnAlertsDlg(const CColumnAlertState states[2]) : CPropertyPage(IDD_COLUMN_ALERTS)
{
    m_states[0] = states[0];
    m_states[1] = states[1];
}

void ColumnAlertsDlg::DoDataExchange(CDataExchange* dx)
{
    CPropertyPage::DoDataExchange(dx);
    DDX_Check(dx, 1227, m_states[0].alertOn);
    DDX_Text(dx, 1230, m_states[0].displayText);
    DDX_Text(dx, 1228, m_states[0].soundFile);
    DDX_Check(dx, 1223, m_states[1].alertOn);
    DDX_Text(dx, 1224, m_states[1].displayText);
    DDX_Text(dx, 1225, m_states[1].soundFile);
}

CString ChooseSoundFile(CWnd* parent, const CString& current)
{
    CFileDialog dialog(TRUE, "wav", current, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, "Wav Files (*.wav)|*.wav||",
                       parent);
    if (const CAppSettings* settings = CAppSettings::Instance())
        dialog.m_request.initialDir = settings->GetFilePath("Sounds");
    return dialog.DoModal() == IDOK ? dialog.GetPathName() : CString();
}

void ColumnAlertsDlg::Browse(UINT field)
{
    const CString path = ChooseSoundFile(this, GetDlgItemText(field));
    if (!path.IsEmpty())
        SetDlgItemText(field, path);
}

const CMessageMap& ColumnAlertsDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<ColumnAlertsDlg>(CPropertyPage::GetMessageMap())
                                       .Control(BN_CLICKED, 1229, &ColumnAlertsDlg::OnBrowseFalse)
                                       .Control(BN_CLICKED, 1226, &ColumnAlertsDlg::OnBrowseTrue)
                                       .Build();
    return map;
}

bool RunColumnPropertiesSheet(CGridColumn& column, CWnd* parent)
{
    // The pages outlive the sheet that shows them.
    if (column.IsColorField()) {
        ColorRulePage page(IDD_COLOR_FIELD, column.rules, column.name, column.formula, column.barCount);
        CPropertySheet sheet("Column Properties", parent);
        sheet.AddPage(&page);
        if (sheet.DoModal() != IDOK)
            return false;
        column.rules = page.m_rules;
        column.name = page.m_name;
        column.formula = page.m_formula;
        column.barCount = std::clamp(page.m_nBarCount, 1, kMaxColorBoxes);
        return true;
    }
    ColumnPropertiesDlg properties(column.alignment, column.fixedDecimals, column.decimals);
    ColumnAlertsDlg alerts(column.alerts);
    ColorRulePage rules(IDD_COLOR_RULES, column.rules);
    CPropertySheet sheet("Column Properties", parent);
    sheet.AddPage(&properties);
    if (column.IsCustom())
        sheet.AddPage(&alerts);
    sheet.AddPage(&rules);
    if (sheet.DoModal() != IDOK)
        return false;
    column.alignment = std::clamp(properties.m_nAlignment, static_cast<int>(kAlignLeft), static_cast<int>(kAlignRight));
    column.fixedDecimals = properties.m_nFormat == 1 ? 1 : 0;
    column.decimals = properties.m_nDecimals;
    if (column.IsCustom()) {
        column.alerts[0] = alerts.m_states[0];
        column.alerts[1] = alerts.m_states[1];
    }
    column.rules = rules.m_rules;
    return true;
}
