#include "studies/ui/CStudySettingsDlg.h"

#include "common/windows/CColorCombo.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CSpinButtonCtrl.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/WinCtrl.h"
#include "platform/ui/WinUser.h"
#include "studies/CStudyDefinition.h"
#include "studies/StudyParams.h"

namespace {
// Spinners beside edits that no integer reader reads keep this range.
constexpr int kPlainSpinMin = 0;
constexpr int kPlainSpinMax = 100;
}  // namespace

CStudySettingsDlg::CStudySettingsDlg(UINT templateId, CStudyDefinition* study, CWnd* parent)
    : CDialog(templateId, parent), m_pStudy(study)
{
}

CStudySettingsDlg::~CStudySettingsDlg() = default;

const CMessageMap& CStudySettingsDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CStudySettingsDlg>(CDialog::GetMessageMap())
                                       .ControlRange(CBN_SELCHANGE, 1019, 1027, &CStudySettingsDlg::OnColorChange)
                                       .Build();
    return map;
}

BOOL CStudySettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (size_t i = 0; i < kColorIds.size(); ++i) {
        auto combo = std::make_unique<CColorCombo>();
        if (combo->SubclassDlgItem(static_cast<UINT>(kColorIds[i]), this))
            m_colorCombos[i] = std::move(combo);
    }
    // A spinner reaches what the reader of its edit accepts.
    for (int id = kCtlFirstSpin; id <= kCtlLastSpin; ++id) {
        auto* spin = dynamic_cast<CSpinButtonCtrl*>(GetDlgItem(id));
        if (!spin)
            continue;
        int minimum = kPlainSpinMin;
        int maximum = kPlainSpinMax;
        if (CWnd* buddy = spin->GetBuddy())
            GetIntegerControlRange(buddy->GetDlgCtrlID(), minimum, maximum);
        spin->SetRange32(minimum, maximum);
    }
    if (!m_pStudy)
        return FALSE;
    return m_pStudy->FillDialog(*this) ? TRUE : FALSE;
}

void CStudySettingsDlg::OnOK()
{
    if (!m_pStudy || !m_pStudy->ReadDialog(*this))
        return;
    DeleteColorCombos();
    EndDialog(IDOK);
}

void CStudySettingsDlg::OnCancel()
{
    DeleteColorCombos();
    EndDialog(IDCANCEL);
}

void CStudySettingsDlg::DeleteColorCombos()
{
    for (auto& combo : m_colorCombos)
        combo.reset();
}

CColorCombo* CStudySettingsDlg::FindColorCombo(int id) const
{
    for (size_t i = 0; i < kColorIds.size(); ++i) {
        if (kColorIds[i] == id)
            return m_colorCombos[i].get();
    }
    return nullptr;
}

void CStudySettingsDlg::OnColorChange(UINT id)
{
    size_t slot = 0;
    while (slot < kColorIds.size() && kColorIds[slot] != static_cast<int>(id))
        ++slot;
    CColorCombo* combo = slot < kColorIds.size() ? m_colorCombos[slot].get() : nullptr;
    if (!combo)
        return;
    const int sel = combo->GetCurSel();
    if (sel < 0 || combo->GetItemData(sel) != CColorCombo::kOtherColor) {
        m_lastColorItem[slot] = sel;
        return;
    }
    const int previous = m_lastColorItem[slot];
    CColorDialog chooser(static_cast<COLORREF>(combo->GetItemData(previous >= 0 ? previous : 0)), 0, this);
    if (chooser.DoModal() == IDOK) {
        combo->FillColors(chooser.GetColor());
        m_lastColorItem[slot] = 0;
    } else {
        combo->SetCurSel(previous);
    }
}

bool CStudySettingsDlg::HasControl(int id) const
{
    return GetDlgItem(id) != nullptr;
}

CString CStudySettingsDlg::GetText(int id) const
{
    return HasControl(id) ? GetDlgItemText(id) : CString();
}

void CStudySettingsDlg::SetText(int id, const CString& text)
{
    if (HasControl(id))
        SetDlgItemText(id, text);
}

bool CStudySettingsDlg::IsChecked(int id) const
{
    return HasControl(id) && IsDlgButtonChecked(id) == BST_CHECKED;
}

void CStudySettingsDlg::SetChecked(int id, bool checked)
{
    if (HasControl(id))
        CheckDlgButton(id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CStudySettingsDlg::GetSelectedColor(int id, COLORREF& color) const
{
    const CColorCombo* combo = FindColorCombo(id);
    return combo && combo->GetSelectedColor(color);
}

bool CStudySettingsDlg::FillColors(int id, COLORREF color)
{
    CColorCombo* combo = FindColorCombo(id);
    if (!combo)
        return false;
    combo->FillColors(color);
    for (size_t i = 0; i < kColorIds.size(); ++i) {
        if (kColorIds[i] == id)
            m_lastColorItem[i] = 0;
    }
    return true;
}

void CStudySettingsDlg::ResetCombo(int id)
{
    if (auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(id)))
        combo->ResetContent();
}

void CStudySettingsDlg::AddComboItem(int id, const CString& text)
{
    if (auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(id)))
        combo->AddString(text);
}

void CStudySettingsDlg::SelectComboItem(int id, int index)
{
    if (auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(id)))
        combo->SetCurSel(index);
}

bool CStudySettingsDlg::GetComboSelection(int id, CString& text) const
{
    auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(id));
    if (!combo || combo->GetCurSel() < 0)
        return false;
    text = combo->GetLBText(combo->GetCurSel());
    return true;
}

void CStudySettingsDlg::ShowMessage(const CString& text)
{
    MessageBox(text, nullptr, MB_OK);
}

void CStudySettingsDlg::FocusDialog()
{
    SetFocus();
}

void CStudySettingsDlg::FocusControl(int id)
{
    if (CWnd* control = GetDlgItem(id))
        control->SetFocus();
}
