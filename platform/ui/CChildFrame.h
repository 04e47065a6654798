// An MDI child frame: a sub-window of the main frame's MDI area.
#pragma once

#include "platform/ui/CFrameWnd.h"

class CMDIFrameWnd;

class CChildFrame : public CFrameWnd {
public:
    CChildFrame();
    ~CChildFrame() override;

    // parent is the MDI main frame (the application's main window when null).
    BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, CWnd* parent = nullptr,
                   CCreateContext* context = nullptr) override;
    CMDIFrameWnd* GetMDIFrame() const { return m_pMDIFrame; }
    void MDIActivate();
    void MDIMaximize();
    void MDIRestore();
    void MDIDestroy() { DestroyWindow(); }
    void ActivateFrame(int cmdShow = -1) override;

    // Called by the MDI frame when this child gains or loses activation.
    virtual void OnMDIActivate(BOOL activate, CWnd* activated, CWnd* deactivated);
    // The menu the main frame shows while this child is active (the template's).
    CMenu* GetSharedMenu() const { return GetMenu(); }

    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const override;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement) override;

protected:
    QWidget* CreateOuterWidget(QWidget* parent, QWidget* client) override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnDestroy() override;

    CMDIFrameWnd* m_pMDIFrame = nullptr;
};
