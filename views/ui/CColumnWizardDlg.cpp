#include "views/ui/CColumnWizardDlg.h"

#include "common/services/CAppSettings.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CPropertySheet.h"
#include "studies/ICustomStudyTable.h"
#include "views/ui/ColumnPages.h"
#include "views/ui/FormulaWizard.h"
#include "views/ui/Level1Ids.h"

#include <algorithm>

namespace {

constexpr UINT kList = 1199;
constexpr UINT kNew = 1005;
constexpr UINT kEdit = 1012;
constexpr UINT kDelete = 1007;
constexpr int kDefaultBoxes = 5;

} // namespace

const char* ColumnWizardTitle(int kind)
{
    switch (kind) {
    case kCustomFields: return "Custom Fields";
    case kColorFields: return "Color Fields";
    case kCustomStudies: return "Custom Studies";
    default: return "";
    }
}

CColumnWizardDlg::CColumnWizardDlg(int kind, CWnd* parent)
    : CDialog(IDD_COLUMN_WIZARD, parent), m_nKind(std::clamp(kind, 0, kCustomKindCount - 1))
{
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        CString error;
        m_bLoaded = LoadCustomColumns(*settings, m_lists, &error);
        if (!m_bLoaded && settings->GetNotifier())
            settings->GetNotifier()->Notify(error);
    }
}

BOOL CColumnWizardDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(ColumnWizardTitle(m_nKind));
    FillList(0);
    return TRUE;
}

void CColumnWizardDlg::FillList(int select)
{
    auto* list = static_cast<CListBox*>(GetDlgItem(kList));
    if (!list)
        return;
    list->ResetContent();
    for (const CCustomColumn& column : m_lists[m_nKind])
        list->AddString(column.m_name);
    if (list->GetCount() > 0)
        list->SetCurSel(std::clamp(select, 0, list->GetCount() - 1));
}

int CColumnWizardDlg::Selected() const
{
    const auto* list = static_cast<const CListBox*>(GetDlgItem(kList));
    return list ? list->GetCurSel() : -1;
}

void CColumnWizardDlg::Store()
{
    // A damaged columns.dat stays as it is.
    if (CAppSettings* settings = CAppSettings::Instance(); settings && m_bLoaded)
        StoreCustomColumns(*settings, m_lists);
}

void CColumnWizardDlg::AddDefinition(const CCustomColumn& column)
{
    m_lists[m_nKind].push_back(column);
    Store();
    FillList(static_cast<int>(m_lists[m_nKind].size()) - 1);
}

void CColumnWizardDlg::ReplaceDefinition(int index, const CCustomColumn& column)
{
    auto& list = m_lists[m_nKind];
    if (index < 0 || index >= static_cast<int>(list.size()))
        return;
    list[static_cast<size_t>(index)] = column;
    Store();
    FillList(index);
}

bool CColumnWizardDlg::EditDefinition(CCustomColumn& column)
{
    if (m_nKind == kColorFields) {
        // The page outlives the sheet that shows it.
        ColorRulePage page(IDD_COLOR_FIELD, column.m_rules, column.m_name, column.m_text,
                           column.m_value > 0 ? column.m_value : kDefaultBoxes);
        CPropertySheet sheet("Color Column Properties", this);
        sheet.AddPage(&page);
        if (sheet.DoModal() != IDOK)
            return false;
        column.m_name = page.m_name;
        column.m_text = page.m_formula;
        column.m_value = page.m_nBarCount;
        column.m_rules = page.m_rules;
        return true;
    }
    CString name = column.m_name;
    CString formula = column.m_text;
    const bool accepted = m_nKind == kCustomStudies ? RunCustomStudyWizard(this, name, formula)
                                                    : RunCustomFieldWizard(this, name, formula);
    if (!accepted)
        return false;
    column.m_name = name;
    column.m_text = formula;
    return true;
}

void CColumnWizardDlg::OnNew()
{
    // Custom studies beyond what the charts' menus can offer are refused first.
    if (m_nKind == kCustomStudies && static_cast<int>(m_lists[m_nKind].size()) >= kMaxCustomStudies) {
        MessageBox("Could not add a new custom study object", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CCustomColumn column;
    column.m_value = m_nKind == kColorFields ? kDefaultBoxes : 0;
    if (EditDefinition(column))
        AddDefinition(column);
}

void CColumnWizardDlg::OnEdit()
{
    const int index = Selected();
    if (index < 0 || index >= static_cast<int>(m_lists[m_nKind].size())) {
        MessageBox("Please select an entry", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CCustomColumn column = m_lists[m_nKind][static_cast<size_t>(index)];
    if (EditDefinition(column))
        ReplaceDefinition(index, column);
}

void CColumnWizardDlg::OnDelete()
{
    const int index = Selected();
    auto& list = m_lists[m_nKind];
    if (index < 0 || index >= static_cast<int>(list.size())) {
        MessageBox("Please select an item", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    list.erase(list.begin() + index);
    Store();
    FillList(0);
}

void CColumnWizardDlg::OnOK()
{
    OnCancel();
}

void CColumnWizardDlg::OnCancel()
{
    // The definitions changed as they were edited: columns.dat follows as the wizard closes.
    CAppSettings* settings = CAppSettings::Instance();
    if (settings && m_bLoaded)
        settings->SaveColumns();
    EndDialog(IDCANCEL);
}

const CMessageMap& CColumnWizardDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CColumnWizardDlg>(CDialog::GetMessageMap())
                                       .Control(BN_CLICKED, kNew, &CColumnWizardDlg::OnNew)
                                       .Control(BN_CLICKED, kEdit, &CColumnWizardDlg::OnEdit)
                                       .Control(BN_CLICKED, kDelete, &CColumnWizardDlg::OnDelete)
                                       .Control(LBN_DBLCLK, kList, &CColumnWizardDlg::OnEdit)
                                       .Build();
    return map;
}
