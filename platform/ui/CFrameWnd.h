// A frame: the window around views, with a caption (title), a caption strip of link
// buttons, menus (top-level frames), the active view and command routing
// (active view, its document, the frame, the application).
#pragma once

#include "platform/ui/CCaptionButton.h"
#include "platform/ui/CCreateContext.h"
#include "platform/ui/CWnd.h"

#include <memory>
#include <vector>

class CDocTemplate;
class CDocument;
class CMenu;
class CStatusBar;
class CView;
class QMenuBar;

class CFrameWnd : public CWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the frame window; the resource id names its menu and caption string.
    // The context, when given, makes the frame's view.
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, CWnd* parent = nullptr,
                           CCreateContext* context = nullptr);
    CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);
    CView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* view, BOOL notify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }
    // Views whose windows sit in this frame.
    std::vector<CView*> GetViews() const;
    void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);
    virtual void ActivateFrame(int cmdShow = -1);
    // Gives the keyboard focus to the active view (the first view when none is), unless
    // it is in one of this frame's views already: keys typed into an activated frame
    // reach its view.
    void FocusActiveView();
    // Lays the pane window over the client area (below the caption strip).
    virtual void RecalcLayout(BOOL notify = TRUE);
    virtual void OnUpdateFrameTitle(BOOL addToTitle);
    void SetTitle(const char* title);
    const CString& GetTitle() const { return m_strTitle; }
    // Text of the status bar of the program's main frame.
    virtual void SetMessageText(const char* text);
    virtual CStatusBar* GetStatusBar() const { return nullptr; }

    // Menu shown by this frame (top-level frames), loaded from the resource id.
    CMenu* GetMenu() const;
    BOOL SetMenu(std::unique_ptr<CMenu> menu);
    // Update-UI of the menus runs for items without a handler too: they get disabled.
    bool m_bAutoMenuEnable = true;

    // Caption strip.
    CCaptionButton* AddCaptionButton(UINT commandId, const char* text, const char* toolTip = nullptr);
    CCaptionButton* GetCaptionButton(UINT commandId) const;
    std::vector<CCaptionButton*> GetCaptionButtons() const;
    void RemoveCaptionButtons();

    // Shows a bar window (a tab strip, a tool bar of the frame) along the top or bottom
    // of the client area; the pane area shrinks to make room. The bar must have been
    // created with this frame as parent. UndockBar hides it again.
    void DockBar(CWnd* bar, bool bottom);
    void UndockBar(CWnd* bar);

    // Hands this frame's content to target when a window moves between an MDI child
    // and a floating frame. The default moves the views (they keep their windows,
    // handles and document); frames with state of their own override it.
    virtual void CopyToOtherFrame(CFrameWnd* target);
    // Moves the content to target and destroys this frame.
    void MoveContentTo(CFrameWnd* target);

    // Update-UI for tool bars and caption buttons, run when the program is idle.
    virtual void OnIdleUpdateCmdUI();

    BOOL OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) override;

    CDocTemplate* m_pTemplate = nullptr;
    // Set once the frame is fully created: the frame then deletes itself with its window.
    bool m_bAutoDelete = false;

    // Every live frame, most recently activated first.
    static std::vector<CFrameWnd*> GetFramesInActivationOrder();
    // No frame keeps a view that is going away as its active view.
    static void ForgetView(const CView* view);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    QWidget* GetContainerWidget() const override;
    // Makes the outer widget; the client goes inside it.
    virtual QWidget* CreateOuterWidget(QWidget* parent, QWidget* client);
    virtual BOOL OnCreateClient(LPCREATESTRUCT create, CCreateContext* context);
    void OnClose() override;
    void OnDestroy() override;
    void PostNcDestroy() override;
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override;
    void SetTextOfWidget(const CString& text) override;
    // Shows menu (the frame's own when null) in the menu bar; commands come to this frame.
    void InstallMenuBar(QMenuBar* bar, CMenu* menu = nullptr);
    // The area under the caption strip where the pane window lies.
    QWidget* GetPaneHost() const;
    void NoteActivated();

    CString m_strTitle;
    CView* m_pActiveView = nullptr;

private:
    struct FrameImpl;
    std::unique_ptr<FrameImpl> m_frame;
};
