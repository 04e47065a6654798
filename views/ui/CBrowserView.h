// The Browser window: web pages inside the workstation, starting at the start page of
// the settings (the broker's home page when none is set). Pop-ups open in Browser
// windows of their own; the broker's log-out pages never load; a session cookie a page
// cleared is given back when the window closes, while the session is logged in.
#pragma once

#include "common/windows/IWorkspaceView.h"
#include "platform/ui/CHtmlView.h"
#include "views/ui/CBrowserSession.h"

class CCmdUI;
class CCommonDoc;

class CBrowserView : public CHtmlView, public IWorkspaceView {
public:
    CBrowserView();
    ~CBrowserView() override;

    CCommonDoc* GetCommonDoc() const;
    // The start page: the settings' one, else the broker's home page.
    static CString GetStartPage();
    int GetRefusedCount() const { return m_nRefused; }
    const CBrowserSession& GetSessionKeeper() const { return m_session; }

    // Link state and the page's address.
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;

    void OnInitialUpdate() override;
    const CMessageMap& GetMessageMap() const override;

protected:
    BOOL OnBeforeNavigate2(const CString& url, BOOL mainFrame) override;
    CHtmlView* OnNewWindow2() override;
    void OnNavigateComplete2(const CString& url) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnDestroy() override;

private:
    void OnBack();
    void OnForward();
    void OnHome();
    void OnRefresh();
    void OnStop();
    void OnUpdateBack(CCmdUI* ui);
    void OnUpdateForward(CCmdUI* ui);
    void OnUpdateStop(CCmdUI* ui);

    CBrowserSession m_session;
    int m_nRefused = 0;
    bool m_bPopup = false; // made for a page's pop-up: the page comes from the opener
};
