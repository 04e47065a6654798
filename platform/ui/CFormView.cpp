#include "platform/ui/CFormView.h"

#include "platform/ui/CResourceStore.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/WinGdi.h"

CFormView::CFormView(UINT templateId) : m_templateId(templateId)
{
    m_background = GetSysColor(COLOR_BTNFACE);
}

CFormView::~CFormView()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CFormView::CreateView(CWnd* parent, UINT id, CCreateContext* context)
{
    const DialogTemplate* t = CResourceStore::Instance().FindDialog(m_templateId);
    if (!t)
        return FALSE;
    if (!CView::CreateView(parent, id, context))
        return FALSE;
    m_controls.clear();
    m_templateSize = BuildDialogControls(*t, *this, m_controls);
    return TRUE;
}

void CFormView::OnInitialUpdate()
{
    UpdateData(FALSE);
    CView::OnInitialUpdate();
}
