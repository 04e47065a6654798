#include "studies/ui/CStudyManagerDlg.h"

#include "platform/ui/CMenu.h"
#include "platform/ui/WinUser.h"
#include "studies/CCustomStudy.h"
#include "studies/ICustomStudyTable.h"
#include "studies/StudyFactory.h"
#include "studies/ui/CStudySettingsDlg.h"

namespace {
constexpr int kListId = 1008;
constexpr int kAddId = 1005;
constexpr int kEditId = 1011;
constexpr int kRemoveId = 1006;
constexpr int kCloseId = 1007;
}  // namespace

CStudyManagerDlg::CStudyManagerDlg(const IStudyPanes* chart, CWnd* parent)
    : CDialog(kTemplateId, parent), m_pChart(chart)
{
}

const CMessageMap& CStudyManagerDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CStudyManagerDlg>(CDialog::GetMessageMap())
                                       .Command(kAddId, &CStudyManagerDlg::OnAdd)
                                       .Command(kEditId, &CStudyManagerDlg::OnEdit)
                                       .Control(LBN_DBLCLK, kListId, &CStudyManagerDlg::OnEdit)
                                       .Command(kRemoveId, &CStudyManagerDlg::OnRemove)
                                       .Command(kCloseId, &CStudyManagerDlg::OnCloseButton)
                                       .Build();
    return map;
}

BOOL CStudyManagerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(kListId, this);
    m_nPanes = 1;
    if (m_pStudies && m_pChart) {
        for (const auto& study : *m_pStudies) {
            if (study && m_pChart->UsesSeparatePane(*study))
                ++m_nPanes;
        }
    }
    RefreshList();
    return TRUE;
}

void CStudyManagerDlg::RefreshList()
{
    if (!m_list.GetSafeHwnd())
        return;
    m_list.ResetContent();
    if (!m_pStudies)
        return;
    for (const auto& study : *m_pStudies)
        m_list.AddString(study ? study->GetDisplayName() : CString());
}

int CStudyManagerDlg::GetSelectedIndex()
{
    const int sel = m_list.GetSafeHwnd() ? m_list.GetCurSel() : -1;
    if (sel < 0 || !m_pStudies || sel >= static_cast<int>(m_pStudies->size())) {
        MessageBox("First select a study from the list", nullptr, MB_OK);
        return -1;
    }
    return sel;
}

void CStudyManagerDlg::OnAdd()
{
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    for (DWORD entry : kStudyAddMenuOrder) {
        if (entry == kStudyMenuSeparator)
            menu.AppendMenu(MF_SEPARATOR);
        else if (const char* name = GetStudyTypeName(static_cast<int>(entry)))
            menu.AppendMenu(MF_STRING, entry, name);
    }
    const ICustomStudyTable* table = GetCustomStudyTable();
    const int rows = table ? table->GetCustomStudyCount() : 0;
    if (rows > 0) {
        menu.AppendMenu(MF_SEPARATOR);
        CCustomStudyRow row;
        for (int i = 0; i < rows; ++i) {
            if (table->GetCustomStudy(i, row))
                menu.AppendMenu(MF_STRING, kFirstCustomStudyCommand + static_cast<UINT>(i), row.name);
        }
    }
    CRect button;
    if (CWnd* add = GetDlgItem(kAddId))
        add->GetWindowRect(&button);
    const UINT command = menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD, button.CenterPoint().x,
                                             button.CenterPoint().y, this);
    menu.DestroyMenu();
    if (command >= static_cast<UINT>(kFirstStudyType) && command <= static_cast<UINT>(kLastStudyType))
        AddStudy(static_cast<int>(command), -1);
    else if (command >= kFirstCustomStudyCommand && command < kFirstCustomStudyCommand + static_cast<UINT>(rows))
        AddStudy(kStudyCustom, static_cast<int>(command - kFirstCustomStudyCommand));
}

void CStudyManagerDlg::AddStudy(int typeId, int customRow)
{
    m_nEditIndex = -1;
    std::unique_ptr<CStudyDefinition> study = CreateStudyById(static_cast<WORD>(typeId), CString());
    if (!study)
        return;
    if (auto* custom = dynamic_cast<CCustomStudy*>(study.get())) {
        const ICustomStudyTable* table = GetCustomStudyTable();
        CCustomStudyRow row;
        if (!table || !table->GetCustomStudy(customRow, row))
            return;
        custom->SetStudyName(row.name);
        custom->SetFormulaText(row.formula);
        custom->SetCustomIndex(customRow);
    }
    if (study->NeedsSeparatePane() && m_nPanes >= kMaxPanes) {
        CString text;
        text.Format("The limit for the number of panes (%d) has been reached.  Remove a study that uses a separate "
                    "pane and try again.",
                    kMaxPanes);
        MessageBox(text, nullptr, MB_OK);
        return;
    }
    RunSettings(std::move(study));
}

void CStudyManagerDlg::OnEdit()
{
    const int index = GetSelectedIndex();
    if (index < 0)
        return;
    m_nEditIndex = index;
    RunSettings((*m_pStudies)[static_cast<size_t>(index)]->Clone());
}

INT_PTR CStudyManagerDlg::RunSettingsDialog(CStudyDefinition& study)
{
    CStudySettingsDlg dlg(study.GetDialogId(), &study, this);
    return dlg.DoModal();
}

void CStudyManagerDlg::RunSettings(std::unique_ptr<CStudyDefinition> study)
{
    if (!m_pStudies)
        return;
    const INT_PTR result = RunSettingsDialog(*study);
    if (result == IDOK) {
        if (m_nEditIndex >= 0 && m_nEditIndex < static_cast<int>(m_pStudies->size())) {
            (*m_pStudies)[static_cast<size_t>(m_nEditIndex)] = std::move(study);
            m_nEditIndex = -1;
        } else {
            if (study->NeedsSeparatePane())
                ++m_nPanes;
            m_pStudies->push_back(std::move(study));
        }
        RefreshList();
    } else if (result == IDCANCEL) {
        m_nEditIndex = -1;
    }
}

void CStudyManagerDlg::OnRemove()
{
    const int index = GetSelectedIndex();
    if (index < 0)
        return;
    const auto at = m_pStudies->begin() + index;
    if (m_pChart && *at && m_pChart->UsesSeparatePane(**at))
        --m_nPanes;
    m_pStudies->erase(at);
    RefreshList();
}

void CStudyManagerDlg::OnCloseButton()
{
    EndDialog(IDOK);
}
