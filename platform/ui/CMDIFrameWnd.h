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
    // The child behind the active one comes forward; the active one goes to the back.
    void MDINext();
    // The child at the back comes forward.
    void MDIPrev();
    void MDIMaximize(CWnd* child);
    void MDIRestore(CWnd* child);
    // The child frames, the topmost first.
    std::vector<CChildFrame*> GetMDIChildren() const;
    // The children numbered in the Window menu: the first nine opened, the active one in
    // the ninth place when it came later.
    std::vector<CChildFrame*> GetListedMDIChildren() const;
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
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) override;

protected:
    QWidget* CreateOuterWidget(QWidget* parent, QWidget* client) override;
    QWidget* GetContainerWidget() const override;
    void OnClose() override;
    const CMessageMap& GetMessageMap() const override;
    void OnWindowCascade();
    void OnWindowTile();
    void OnWindowListItem(UINT id);
    void OnUpdateWindowListItem(CCmdUI* ui);

private:
    // A maximised child that closed or hid hands its maximised state to the child coming
    // forward in its place, as an MDI frame keeps it.
    void KeepMaximizedAfter(CChildFrame* gone, CChildFrame* next);

    struct MdiImpl;
    std::unique_ptr<MdiImpl> m_mdi;
};
