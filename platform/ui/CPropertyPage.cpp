#include "platform/ui/CPropertyPage.h"

#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CResourceStore.h"

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId)
{
    m_bChild = true;
    if (captionId)
        m_title = LoadResourceString(captionId);
}

CPropertyPage::~CPropertyPage() = default;

CString CPropertyPage::GetPageTitle() const
{
    if (!m_title.IsEmpty())
        return m_title;
    const DialogTemplate* t = CResourceStore::Instance().FindDialog(m_templateId);
    return t ? t->caption : CString();
}

BOOL CPropertyPage::CreatePage(CPropertySheet* sheet, CWnd* parent)
{
    m_sheet = sheet;
    m_bChild = true;
    if (m_hWnd)
        return TRUE;
    if (!CreateFromTemplate(parent))
        return FALSE;
    OnInitDialog();
    return m_hWnd ? TRUE : FALSE;
}

BOOL CPropertyPage::OnSetActive()
{
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    m_modified = false;
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

void CPropertyPage::OnOK()
{
    m_modified = false;
}

void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(BOOL changed)
{
    m_modified = changed != FALSE;
    if (m_sheet)
        m_sheet->OnPageModified();
}
