// The window of a floating panel: a tool window with a title over its owner window,
// shown without taking the focus. It hands painting, the mouse, the context menu, the
// panel's commands and its private messages to the panel, which paints everything itself.
#pragma once

#include "platform/ui/CWnd.h"

#include <memory>

class CFloatingWnd;

class CFloatingPanelWnd : public CWnd {
public:
    explicit CFloatingPanelWnd(CFloatingWnd& panel);
    ~CFloatingPanelWnd() override;

    // Creates the window owned by the owner frame.
    BOOL CreatePanelWindow(const char* title, CWnd* owner);
    // Sets the client area's size and puts the window's top left at a screen point.
    void PlaceClient(CPoint screenTopLeft, CSize clientSize);
    void Raise();
    // The panel is gone: the window forwards nothing more and deletes itself once destroyed.
    void Orphan() { m_pPanel = nullptr; m_bOrphan = true; }

    const CMessageMap& GetMessageMap() const override;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnMove(int x, int y) override;
    void OnContextMenu(CWnd* wnd, CPoint screenPoint) override;
    void PostNcDestroy() override;

private:
    void OnPanelCommand(UINT id);
    LRESULT OnPanelMessage(WPARAM wParam, LPARAM lParam);

    class CFocusDecliner;

    CFloatingWnd* m_pPanel;
    std::unique_ptr<CFocusDecliner> m_pFocusDecliner;
    bool m_bOrphan = false;
};
