// The program's main frame: menus, the tool bar with the Symbol and Interval boxes,
// "Ext. session" and the account choice, the status bar, the tray icon, window
// linking, alert delivery and session status after login.
#pragma once

#include "broker/session/AccountRecords.h"
#include "common/windows/IWorkstationFrame.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CMDIFrameWnd.h"
#include "platform/ui/CTrayIcon.h"

#include <deque>
#include <map>
#include <memory>
#include <thread>
#include <vector>

class CToolBar;
class CView;
struct CSessionStatus;

// What the alerts work plugs in to show fired alerts (WM_APP+3).
class IAlertDeliveryHandler {
public:
    virtual ~IAlertDeliveryHandler() = default;
    // Whether the main frame owns the alert of this delivery (the notification copies).
    // Must not read a user alert, which may have been deleted since it fired.
    virtual bool OwnsAlert(WPARAM event, LPARAM alert) = 0;
    // Shows the alert (popup, message box, sound...); runs on the interface thread.
    virtual void Present(WPARAM event, LPARAM alert) = 0;
    // Deletes the event record and, when owned, the alert.
    virtual void Free(WPARAM event, LPARAM alert, bool ownsAlert) = 0;
};

class CMainFrame : public CMDIFrameWnd, public IWorkstationFrame {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Loads the frame with its menu and makes the bars and the tray icon.
    BOOL CreateMainFrame();

    // Tool bar Symbol box. SetSymbolBox with add upper-cases the text, puts it at the top
    // of the recent list when missing, selects it and trims the list to RecentListSize.
    CString GetSymbolBox() const override;
    void GetSymbolBox(CString& text) const { text = GetSymbolBox(); }
    void SetSymbolBox(const char* text, BOOL add) override;
    void ClearSymbolBox() override;
    void TypeIntoSymbolBox(char c) override;
    std::vector<CString> GetRecentSymbols() const;
    CString GetIntervalBox() const override;
    void SetIntervalBox(const char* text, BOOL add) override;
    BOOL IsExtSession() const override;
    void SetExtSession(BOOL on);

    // Validates the two boxes and sends WM_APP+6 (with the source's link group) to the
    // windows linked with the source (the active window's when source is null), and to the
    // source itself with includeSource (the toolbar's Go). A window's own broadcast passes
    // FALSE: it never comes back to it. Nothing happens for a blank symbol. Returns how
    // many windows were told. What a window sends is a symbol; the tool bar's own applies
    // that keep the box's symbol are marked as interval changes.
    int ApplySymbolInterval(CView* source, BOOL includeSource) override;

    // Accounts: mode 0 the current account, 1 all, 2 those named.
    void GetTargetAccounts(int mode, const std::vector<CString>& names, std::vector<CAccountInfo>& out) const override;
    CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const override;
    void SetAccounts(const std::vector<CAccountInfo>& accounts);
    int GetCurrentAccount() const override { return m_nCurrentAccount; }
    void SetCurrentAccount(int index);

    // Opens or finds the list window of the command (34374 option chains).
    CView* OpenListWindow(UINT command, BOOL floating) override;
    void OnRefreshAccountData() override;
    void OnLogInAgain();
    CDocument* OpenWindowOfKind(int kind, bool floating) override;
    bool SetupTradeAlert(int mode, CWnd* parent) override;
    void SetMessageText(const char* text) override { CMDIFrameWnd::SetMessageText(text); }

    // Workspace backup every WorkspaceInterval minutes.
    void StartWorkspaceBackup();

    // Alert delivery.
    void SetAlertHandler(IAlertDeliveryHandler* handler) { m_pAlertHandler = handler; }
    void ClearAlertQueue();
    size_t GetAlertQueueSize() const { return m_alertQueue.size(); }

    CTrayIcon& GetTrayIcon() { return m_tray; }
    CToolBar* GetToolBar() const { return m_pToolBar; }
    CComboBox& GetSymbolCombo() { return m_symbolBox; }
    CComboBox& GetIntervalCombo() { return m_intervalBox; }
    // The web-update entries shown last (code 6).
    const std::vector<CWebUpdateInfo>& GetWebUpdates() const { return m_updates; }

    const CMessageMap& GetMessageMap() const override;

protected:
    void OnClose() override;
    void OnTimer(UINT_PTR id) override;

private:
    struct QueuedAlert {
        WPARAM event;
        LPARAM alert;
        bool ownsAlert;
    };

    void BuildToolBar();
    void OnOpenKind(UINT id);
    void OnListWindowCommand(UINT id);
    void OnWatchListManager();
    void OnWebWatchListManager();
    void OnOpenFloating(UINT id);
    void OnWorkspaceOpen();
    void OnWorkspaceSave();
    void OnWorkspaceSaveAs();
    void OnPreferences();
    void OnListFonts();
    void OnListColors();
    // "&Fonts..." of a chart: the chart font and text colour of every chart.
    void OnChartFonts();
    // "Fonts..." and "Colors..." of the balances, order status and saved orders windows.
    void OnReportFonts(UINT id);
    void OnReportColors(UINT id);
    void OnAppExit();
    void OnAppAbout();
    void OnAddAlert();
    // Which box the trader applied from the tool bar; a window's own broadcast is none.
    enum class BoxApply { Window, SymbolBox, IntervalBox };
    int SendBoxes(CView* source, BOOL includeSource, BoxApply apply);
    // Go, or Return in the Symbol box: applies the boxes and selects the symbol.
    void OnSymbolGo();
    // Return in the Interval box or a choice from its list: one apply once the event is done.
    void ApplyBoxesSoon(BoxApply apply);
    void OnIntervalListClosed();
    void OnUpdateAlways(CCmdUI* ui);
    void OnAccountChange();
    LRESULT OnSessionStatus(CWndMessage& message);
    LRESULT OnAlertDelivery(WPARAM event, LPARAM alert);
    LRESULT OnTrayNotify(WPARAM id, LPARAM what);
    LRESULT OnToggleDetach(WPARAM, LPARAM view);
    LRESULT OnUpdateDownloaded(CWndMessage& message);
    void WorkAlertQueue();
    void OfferWebUpdates(const std::vector<CWebUpdateInfo>& updates);
    void UpdateClock();

    CToolBar* m_pToolBar = nullptr;
    CComboBox m_symbolBox;
    CComboBox m_intervalBox;
    CButton m_extSession;
    CComboBox m_accountBox;
    CTrayIcon m_tray;
    std::vector<CAccountInfo> m_accounts;
    int m_nCurrentAccount = 0;
    std::map<UINT, HWND> m_listWindows;
    IAlertDeliveryHandler* m_pAlertHandler = nullptr;
    std::deque<QueuedAlert> m_alertQueue;
    bool m_bPresentingAlert = false;
    std::vector<CWebUpdateInfo> m_updates;
    std::thread m_download;
    bool m_bApplyQueued = false;
    BoxApply m_queuedApply = BoxApply::SymbolBox;
    // The boxes as the program last set or sent them; what the trader types differs
    // until it is applied.
    CString m_shownSymbol;
    CString m_shownInterval;
    bool m_bIntervalListClosed = false;
    bool m_bInListCommand = false;
    // A symbol typed into another window goes on here until the focus goes elsewhere.
    bool m_bTypingSymbol = false;
};
