// The upper pane of a news window: the headlines of a set of symbols, and of all news
// and hot news when asked, newest first in a sortable list; a click opens the story in
// the story pane below, a double click in the desktop's browser too. New headlines may
// raise news alerts, but not in the first 15 seconds after the symbols were set.
#pragma once

#include "alerts/CAlert.h"
#include "common/windows/IListAppearance.h"
#include "common/windows/IWorkspaceView.h"
#include "platform/ui/CView.h"
#include "views/CNewsSubscriptions.h"
#include "views/ui/CHeadlinesCtrl.h"

#include <chrono>
#include <memory>

class CSymbolsDlg;

class BrowserView;
class CCmdUI;
class CCommonDoc;
class CPaneSplitterWnd;

class HeadlinesView : public CView, public IWorkspaceView, public IListAppearance {
public:
    HeadlinesView();
    ~HeadlinesView() override;

    CHeadlinesCtrl& List() { return m_list; }
    CCommonDoc* GetCommonDoc() const;
    CPaneSplitterWnd* GetSplitter() const;
    // The story pane (row 1 of the splitter), or null.
    BrowserView* GetStoryPane() const;

    const CString& GetSymbols() const { return m_symbols; }
    bool IsHotNews() const { return m_bHotNews; }
    bool IsAllNews() const { return m_bAllNews; }
    bool IsAlertOnNews() const { return m_bAlertOnNews; }
    // The symbols text, upper-cased, then a new subscription.
    void SetSymbols(const CString& text);
    void SetHotNews(bool on);
    void SetAllNews(bool on);
    void SetAlertOnNews(bool on);
    // Subscribes the keys of the symbols text and the news flags anew.
    void Resubscribe();
    std::vector<CString> GetSubscribedKeys() const;
    CString ComposeTitle() const;
    void UpdateTitle();
    // New headlines alert only this long after the last resubscription (15 seconds).
    void SetAlertQuietPeriod(std::chrono::milliseconds period) { m_quietPeriod = period; }
    // How many news alerts this window raised.
    int GetAlertsRaised() const { return m_nAlertsRaised; }

    // Marks the row's story read and shows it in the story pane (and, with desktop, in
    // the desktop's browser too). A story address that is no http or https URL is opened
    // nowhere; the status bar says so.
    void OpenStory(int item, bool desktop);
    // Takes the waiting changes of the subscriptions into the list now.
    void TakeChanges();
    // A character typed into any pane of the window: attached, it goes to the tool bar's
    // Symbol box, and the keys after it follow; floating, the Symbols prompt opens holding it.
    void OnTyped(char c);

    // Layouts: "\Layouts\default.nwl" is read at first show and written by the Set Layout
    // as Default command.
    static CString DefaultLayoutPath();
    bool LoadLayout(const CString& path, bool tell);
    bool SaveLayout(const CString& path);

    // IWorkspaceView
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;
    // IListAppearance: the list's font and text colour, and its background.
    void SetListFont(const CFontInfo& font, COLORREF textColor) override;
    void SetListColors(const std::array<COLORREF, 8>& colors) override;

    void OnInitialUpdate() override;
    void OnDraw(CDC*) override {}
    const CMessageMap& GetMessageMap() const override;

protected:
    int OnCreate(LPCREATESTRUCT create) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFocus(CWnd* old) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

private:
    void InsertStoryPane();
    void RaiseNewsAlerts(const std::vector<CString>& symbols);
    void Tell(const CString& text);
    void TellRefusedLink(const CString& url);
    static constexpr int kShownLinkLength = 100;

    void OnHotNews();
    void OnAllNews();
    void OnAlertOnNews();
    void OnDefaultLayout();
    void OnSetSymbols();
    void OnColumn(UINT id);
    void OnUpdateHotNews(CCmdUI* ui);
    void OnUpdateAllNews(CCmdUI* ui);
    void OnUpdateAlertOnNews(CCmdUI* ui);
    void OnUpdateColumn(CCmdUI* ui);
    void OnClick(NMHDR* header, LRESULT* result);
    void OnDoubleClick(NMHDR* header, LRESULT* result);
    void OnRightClick(NMHDR* header, LRESULT* result);
    void OnItemChanged(NMHDR* header, LRESULT* result);
    void OnListKeyDown(NMHDR* header, LRESULT* result);
    LRESULT OnSetSymbol(WPARAM group, LPARAM message);
    LRESULT OnNewsChanged(WPARAM, LPARAM);
    LRESULT OnFrameActivated(WPARAM, LPARAM);

    CHeadlinesCtrl m_list;
    std::unique_ptr<CNewsSubscriptions> m_subscriptions;
    CString m_symbols;
    bool m_bAlertOnNews = false;
    bool m_bHotNews = false;
    bool m_bAllNews = false;
    CAlert m_newsAlert{kAlertNews};
    std::chrono::steady_clock::time_point m_resubscribed = std::chrono::steady_clock::now();
    std::chrono::milliseconds m_quietPeriod{15000};
    int m_nAlertsRaised = 0;
    const CNewsHeadline* m_pOpenedBySelection = nullptr; // the story a selection just opened
    bool m_bStoryPaneMade = false;
    CSymbolsDlg* m_pTypingPrompt = nullptr;  // opened by a typed character, while it shows
};
