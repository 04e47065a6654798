#include "views/ui/CFloatingWnd.h"

#include "platform/core/CArchive.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CWinApp.h"
#include "views/SnapshotFields.h"
#include "views/ui/CFloatingPanelWnd.h"
#include "views/ui/PanelIds.h"

#include <algorithm>
#include <cstdlib>

namespace {

void MakeFont(CFont& font, const CFontInfo& info)
{
    font.DeleteObject();
    font.CreateFont(-std::abs(info.height), 0, 0, 0, info.weight, info.italic ? 1 : 0, 0, info.strikeOut ? 1 : 0, 0, 0,
                    0, 0, 0, info.face);
}

} // namespace

CFloatingWnd::CFloatingWnd(const CRect& rect) : m_rect(rect), m_look(SharedFieldPanelLook())
{
    MakeFont(m_font, m_look.font);
}

CFloatingWnd::~CFloatingWnd()
{
    DestroyWnd();
}

BOOL CFloatingWnd::CreateWnd(const char* title, CWnd* owner)
{
    DestroyWnd();
    CWinApp* app = AfxGetApp();
    CWnd* main = app ? app->m_pMainWnd : nullptr;
    if (!main)
        return FALSE;
    auto wnd = std::make_unique<CFloatingPanelWnd>(*this);
    if (!wnd->CreatePanelWindow(title, owner ? owner : main))
        return FALSE;
    m_pWnd = std::move(wnd);
    m_pWnd->SetBackgroundColor(m_look.face);
    m_dragCursor = LoadCursorResource(IDC_PANEL_DRAG);
    if (!m_dragCursor)
        m_dragCursor = IDC_SIZEALL;
    LayOut();
    m_pWnd->ShowWindow(SW_SHOWNOACTIVATE);
    return TRUE;
}

CWnd* CFloatingWnd::GetWnd() const
{
    return m_pWnd && m_pWnd->m_hWnd ? m_pWnd.get() : nullptr;
}

void CFloatingWnd::DestroyWnd()
{
    if (!m_pWnd)
        return;
    if (m_bDragging && CWnd::GetCapture() == m_pWnd.get())
        CWnd::ReleaseCapture();
    m_bDragging = false;
    if (m_pWnd->m_hWnd)
        m_pWnd->DestroyWindow();
    // Asked inside one of its own handlers, the window goes once they returned.
    if (m_pWnd->IsDestroyPending())
        m_pWnd.release()->Orphan();
    else
        m_pWnd.reset();
}

void CFloatingWnd::Save(CArchive& ar) const
{
    StorePanelPosition(ar, m_rect.TopLeft());
}

void CFloatingWnd::Load(CArchive& ar, DWORD version)
{
    CPoint topLeft;
    if (LoadPanelPosition(ar, version, topLeft))
        m_rect.MoveToXY(topLeft.x, topLeft.y);
    LayOut();
}

void CFloatingWnd::LayOut()
{
    Resize(CSize(TextWidth(ClassName()) + 4, TextHeight(ClassName())));
}

void CFloatingWnd::Paint(CDC& dc)
{
    const CRect client(CPoint(0, 0), m_rect.Size());
    dc.FillSolidRect(&client, RGB(0, 0, 0));
    CFont* old = dc.SelectObject(&m_font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    dc.TextOut(2, 0, ClassName());
    dc.SelectObject(old);
}

void CFloatingWnd::OnButtonDown(CPoint point)
{
    if (!GetWnd())
        return;
    m_pWnd->SetCapture();
    m_savedCursor = IDC_ARROW;
    m_pWnd->SetWindowCursor(m_dragCursor);
    m_bDragging = true;
    m_bMoved = false;
    m_dragStart = point;
}

void CFloatingWnd::OnMouseMove(CPoint)
{
    if (m_bDragging && CWnd::GetCapture() == m_pWnd.get())
        m_bMoved = true;
}

void CFloatingWnd::OnButtonUp(CPoint point)
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    if (GetWnd())
        m_pWnd->SetWindowCursor(m_savedCursor);
    if (m_bMoved)
        Offset(point.x - m_dragStart.x, point.y - m_dragStart.y);
    m_bMoved = false;
    CWnd::ReleaseCapture();
}

void CFloatingWnd::RequestPaint()
{
    if (CWnd* wnd = GetWnd())
        wnd->Invalidate(FALSE);
}

void CFloatingWnd::BringToFront()
{
    if (GetWnd())
        m_pWnd->Raise();
}

void CFloatingWnd::SetOwnerView(CWnd* view)
{
    m_pOwnerView = view;
    PlaceWindow();
}

void CFloatingWnd::Offset(int dx, int dy)
{
    m_rect.OffsetRect(dx, dy);
    PlaceWindow();
}

void CFloatingWnd::MoveTo(CPoint topLeft)
{
    m_rect.MoveToXY(topLeft.x, topLeft.y);
    PlaceWindow();
}

void CFloatingWnd::OnWindowMoved()
{
    // Hidden or minimised, the window is moved by the window manager letting it go, not by
    // the user: shown again, it goes back to its place.
    if (!GetWnd() || !m_pWnd->IsWindowVisible() || m_pWnd->IsIconic() || !m_pOwnerView || !m_pOwnerView->m_hWnd)
        return;
    CPoint at(0, 0);
    m_pWnd->ClientToScreen(&at);
    CPoint placed = m_rect.TopLeft();
    m_pOwnerView->ClientToScreen(&placed);
    if (at == placed)
        return;
    // A late answer to an earlier placing (the window was placed again meanwhile).
    if (auto answered = std::find(m_placing.begin(), m_placing.end(), at); answered != m_placing.end()) {
        m_placing.erase(m_placing.begin(), answered + 1);
        return;
    }
    m_placing.clear();
    m_pOwnerView->ScreenToClient(&at);
    m_rect.MoveToXY(at.x, at.y);
}

void CFloatingWnd::SetLook(const CFieldPanelLook& look)
{
    m_look = look;
    MakeFont(m_font, look.font);
    if (GetWnd())
        m_pWnd->SetBackgroundColor(look.face);
}

void CFloatingWnd::Refresh()
{
    LayOut();
    RequestPaint();
}

int CFloatingWnd::TextWidth(const CString& text) const
{
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(const_cast<CFont*>(&m_font));
    return static_cast<int>(dc.GetTextExtent(text).cx);
}

int CFloatingWnd::TextHeight(const CString& text) const
{
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(const_cast<CFont*>(&m_font));
    return static_cast<int>(dc.GetTextExtent(text).cy);
}

void CFloatingWnd::Resize(CSize size)
{
    m_rect.right = m_rect.left + size.cx;
    m_rect.bottom = m_rect.top + size.cy;
    PlaceWindow();
    RequestPaint();
}

void CFloatingWnd::PlaceWindow()
{
    if (!GetWnd())
        return;
    CPoint topLeft = m_rect.TopLeft();
    if (m_pOwnerView && m_pOwnerView->m_hWnd)
        m_pOwnerView->ClientToScreen(&topLeft);
    CPoint now(0, 0);
    m_pWnd->ClientToScreen(&now);
    if (now != topLeft) {
        constexpr size_t kMaxPlacing = 8;
        if (m_placing.size() >= kMaxPlacing)
            m_placing.erase(m_placing.begin());
        m_placing.push_back(topLeft);
    }
    m_pWnd->PlaceClient(topLeft, m_rect.Size());
}
