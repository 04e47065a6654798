#include "platform/ui/CChildFrame.h"

#include "platform/ui/CMDIFrameWnd.h"
#include "platform/ui/CView.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/DesktopPlacement.h"
#include "platform/ui/QtConvert.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

CChildFrame::CChildFrame() = default;
CChildFrame::~CChildFrame() = default;

BOOL CChildFrame::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context)
{
    m_pMDIFrame = dynamic_cast<CMDIFrameWnd*>(parent);
    if (!m_pMDIFrame)
        if (CWinApp* app = AfxGetApp())
            m_pMDIFrame = dynamic_cast<CMDIFrameWnd*>(app->m_pMainWnd);
    if (!m_pMDIFrame || !m_pMDIFrame->GetMdiArea())
        return FALSE;
    return CFrameWnd::LoadFrame(resourceId, style, nullptr, context);
}

QWidget* CChildFrame::CreateOuterWidget(QWidget*, QWidget* client)
{
    QMdiArea* area = m_pMDIFrame ? m_pMDIFrame->GetMdiArea() : nullptr;
    if (!area)
        return nullptr;
    auto* sub = new QMdiSubWindow;  // owned by the MDI area once added
    sub->setWidget(client);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    area->addSubWindow(sub);
    // Two thirds of the area, not below 480 x 320 unless the area is smaller.
    const QSize space = area->viewport()->size();
    const QSize wanted(std::max(space.width() * 2 / 3, 480), std::max(space.height() * 2 / 3, 320));
    sub->resize(space.isValid() && !space.isEmpty() ? wanted.boundedTo(space) : QSize(480, 320));
    sub->hide();
    KeepInsideArea(sub);
    return sub;
}

void CChildFrame::ActivateFrame(int cmdShow)
{
    QWidget* sub = GetOuterWidget();
    if (!sub)
        return;
    if (cmdShow == SW_SHOWMAXIMIZED)
        sub->showMaximized();
    else if (cmdShow == SW_SHOWMINIMIZED || cmdShow == SW_MINIMIZE)
        sub->showMinimized();
    else if (cmdShow == SW_HIDE)
        sub->hide();
    else
        sub->show();
    MDIActivate();
    NoteActivated();
}

void CChildFrame::MDIActivate()
{
    if (m_pMDIFrame)
        m_pMDIFrame->MDIActivate(this);
}

void CChildFrame::MDIMaximize()
{
    if (QWidget* sub = GetOuterWidget())
        sub->showMaximized();
}

void CChildFrame::MDIRestore()
{
    if (QWidget* sub = GetOuterWidget())
        sub->showNormal();
}

void CChildFrame::OnMDIActivate(BOOL activate, CWnd*, CWnd*)
{
    if (activate)
        NoteActivated();
    if (CView* v = GetActiveView())
        v->OnActivateView(activate, activate ? v : nullptr, activate ? nullptr : v);
    if (activate)
        FocusActiveView();
}

void CChildFrame::OnSysCommand(UINT id, LPARAM lParam)
{
    switch (id & 0xFFF0) {
    case SC_MAXIMIZE: MDIMaximize(); break;
    case SC_RESTORE: MDIRestore(); break;
    case SC_MINIMIZE:
        if (QWidget* sub = GetOuterWidget())
            sub->showMinimized();
        break;
    default: CFrameWnd::OnSysCommand(id, lParam); break;
    }
}

void CChildFrame::OnDestroy()
{
    CMDIFrameWnd* mdi = m_pMDIFrame;
    CFrameWnd::OnDestroy();
    if (mdi && mdi->GetMdiArea())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(GetOuterWidget()))
            mdi->GetMdiArea()->removeSubWindow(sub);
}

BOOL CChildFrame::GetWindowPlacement(WINDOWPLACEMENT* placement) const
{
    QWidget* sub = GetOuterWidget();
    if (!sub || !placement)
        return FALSE;
    placement->showCmd = sub->isMinimized() ? SW_SHOWMINIMIZED : sub->isMaximized() ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    const QRect r = sub->isMaximized() || sub->isMinimized() ? sub->normalGeometry() : sub->geometry();
    placement->rcNormalPosition = FromQRect(r.isValid() ? r : sub->geometry());
    return TRUE;
}

BOOL CChildFrame::SetWindowPlacement(const WINDOWPLACEMENT* placement)
{
    QWidget* sub = GetOuterWidget();
    if (!sub || !placement)
        return FALSE;
    const CRect r(placement->rcNormalPosition);
    if (sub->isMaximized() || sub->isMinimized())
        sub->showNormal();
    if (!r.IsRectEmpty())
        sub->setGeometry(ToQRect(r));
    ActivateFrame(static_cast<int>(placement->showCmd));
    return TRUE;
}
