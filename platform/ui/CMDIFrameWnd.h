// The program's main frame: a real MDI area holding the child frames, the menu bar
// (the active child's menu when it has one), tool bars and the status bar.
#pragma once

#include "platform/ui/CFrameWnd.h"

class CChildFrame;
class CToolBar;
class QMdiArea;

class CMDIFrameWnd : public CFrameWnd {
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    CChildFrame* MDIGetActive(BOOL* maximized = nullptr) const;
    void MDIActivate(CWnd* child);
    void MDICascade();
    void MDITile();
    void MDINext();
    void MDIMaximize(CWnd* child);
    void MDIRestore(CWnd* child);
    // The child frames, the topmost first.
    std::vector<CChildFrame*> GetMDIChildren() const;
    QMdiArea* GetMdiArea() const;

    CFrameWnd* GetActiveFrame() override;
    CDocument* GetActiveDocument() override;
    BOOL OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;
    void OnIdleUpdateCmdUI() override;
    CStatusBar* GetStatusBar() const override;
    // Creates the status bar with one pane per indicator (pane 0 holds messages).
    CStatusBar* CreateStatusBar(int panes);
    // Adds a tool bar along the top.
    CToolBar* CreateToolBar(UINT id);

    // Shows the menu of the active child (or the frame's own) in the menu bar.
    void UpdateMenuForActiveChild();
    void OnChildActivated(CChildFrame* child);

protected:
    QWidget* CreateOuterWidget(QWidget* parent, QWidget* client) override;
    QWidget* GetContainerWidget() const override;
    void OnClose() override;
    const CMessageMap& GetMessageMap() const override;
    void OnWindowCascade();
    void OnWindowTile();

private:
    struct MdiImpl;
    std::unique_ptr<MdiImpl> m_mdi;
};
