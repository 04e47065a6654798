#include "views/ui/CFloatingPanelWnd.h"

#include "broker/session/QuoteFields.h"
#include "platform/ui/CDC.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"
#include "views/ui/CFloatingWnd.h"
#include "views/ui/PanelIds.h"


CFloatingPanelWnd::CFloatingPanelWnd(CFloatingWnd& panel) : m_pPanel(&panel) {}

BOOL CFloatingPanelWnd::CreatePanelWindow(const char* title, CWnd* owner)
{
    if (!Create(nullptr, title, WS_POPUP, CRect(), owner, 0))
        return FALSE;
    GetOuterWidget()->setWindowTitle(ToQString(CString(title ? title : "")));
    return TRUE;
}

QWidget* CFloatingPanelWnd::CreateWidget(QWidget* parent)
{
    // Above its owner window only; top-most while its owner asks for it (SetTopMost).
    auto* client = new QxWindowHost<QWidget>(this, parent ? parent->window() : nullptr, Qt::Tool);
    client->setAttribute(Qt::WA_ShowWithoutActivating);
    client->setMouseTracking(true);
    client->setFocusPolicy(Qt::NoFocus);
    client->setAttribute(Qt::WA_OpaquePaintEvent);
    return client;
}

void CFloatingPanelWnd::PlaceClient(CPoint screenTopLeft, CSize clientSize)
{
    QWidget* client = GetWidget();
    QWidget* outer = GetOuterWidget();
    if (!client || !outer)
        return;
    client->setFixedSize(std::max(1, static_cast<int>(clientSize.cx)), std::max(1, static_cast<int>(clientSize.cy)));
    // The client area (what the panel paints) goes to the point; a frame lies around it.
    const QPoint global(screenTopLeft.x, screenTopLeft.y);
    outer->setGeometry(QRect(global, client->size()));
}

void CFloatingPanelWnd::Raise()
{
    if (QWidget* outer = GetOuterWidget())
        outer->raise();
}

void CFloatingPanelWnd::OnPaint()
{
    CPaintDC dc(this);
    if (m_pPanel)
        m_pPanel->Paint(dc);
}

void CFloatingPanelWnd::OnLButtonDown(UINT, CPoint point)
{
    if (m_pPanel)
        m_pPanel->OnButtonDown(point);
}

void CFloatingPanelWnd::OnLButtonUp(UINT, CPoint point)
{
    if (m_pPanel)
        m_pPanel->OnButtonUp(point);
}

void CFloatingPanelWnd::OnMouseMove(UINT, CPoint point)
{
    if (m_pPanel)
        m_pPanel->OnMouseMove(point);
}

void CFloatingPanelWnd::OnMove(int, int)
{
    if (m_pPanel)
        m_pPanel->OnWindowMoved();
}

void CFloatingPanelWnd::OnContextMenu(CWnd*, CPoint screenPoint)
{
    if (m_pPanel)
        m_pPanel->OnContextMenu(screenPoint);
}

void CFloatingPanelWnd::OnPanelCommand(UINT id)
{
    if (m_pPanel)
        m_pPanel->OnCommand(id);
}

LRESULT CFloatingPanelWnd::OnPanelMessage(WPARAM wParam, LPARAM lParam)
{
    return m_pPanel ? m_pPanel->OnPanelMessage(WM_SNAPSHOT_QUOTE, wParam, lParam) : 0;
}

void CFloatingPanelWnd::PostNcDestroy()
{
    if (m_bOrphan)
        delete this;
}

const CMessageMap& CFloatingPanelWnd::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CFloatingPanelWnd>(CWnd::GetMessageMap())
            .CommandRange(ID_SNAPSHOT_DELETE_FIELD, ID_SNAPSHOT_RESET_DEFAULTS, &CFloatingPanelWnd::OnPanelCommand)
            .CommandRange(ID_SNAPSHOT_INSERT_FIELD_FIRST, ID_SNAPSHOT_INSERT_FIELD_FIRST + kQuoteFieldCount - 1,
                          &CFloatingPanelWnd::OnPanelCommand)
            .Message(WM_SNAPSHOT_QUOTE, &CFloatingPanelWnd::OnPanelMessage)
            .Build();
    return map;
}
