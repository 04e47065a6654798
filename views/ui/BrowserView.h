// The story pane under a news window's headline list: the story pages the list opens.
// Symbol links reach the headline list; typed characters go to the main window's
// Symbol box; the broker's log-out pages never load. The window's record and list looks
// are the headline list's (the pane passes them on).
#pragma once

#include "common/windows/IListAppearance.h"
#include "common/windows/IWorkspaceView.h"
#include "platform/ui/CHtmlView.h"
#include "views/ui/CBrowserSession.h"

class HeadlinesView;

class BrowserView : public CHtmlView, public IWorkspaceView, public IListAppearance {
public:
    BrowserView();
    ~BrowserView() override;

    // The headline list above (row 0 of the same splitter), or null.
    HeadlinesView* GetHeadlinesPane() const;
    // Opens a story page; false for an address the pane does not load.
    bool ShowStory(const CString& url);
    // How many navigations the log-out guard cancelled.
    int GetRefusedCount() const { return m_nRefused; }

    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;
    void SetListFont(const CFontInfo& font, COLORREF textColor) override;
    void SetListColors(const std::array<COLORREF, 8>& colors) override;

    void OnInitialUpdate() override;
    const CMessageMap& GetMessageMap() const override;

protected:
    BOOL OnBeforeNavigate2(const CString& url, BOOL mainFrame) override;
    void OnNavigateComplete2(const CString& url) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnDestroy() override;

private:
    LRESULT OnSetSymbol(WPARAM group, LPARAM message);

    CBrowserSession m_session;
    int m_nRefused = 0;
};
