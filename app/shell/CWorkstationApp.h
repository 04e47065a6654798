// The application object: start-up (user files before any window, templates, main
// frame, command line, login loop, last workspace, start page, worker threads) and
// shutdown (user files saved, threads stopped, log out).
#pragma once

#include "alerts/CAlert.h"
#include "common/services/CAppSettings.h"
#include "platform/core/CConfigFile.h"
#include "platform/core/CEvent.h"
#include "platform/core/CProfile.h"
#include "platform/ui/CWinApp.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class CAlert;
class CAlertDelivery;
class CDocument;
class CFormulaEngine;
class CFormulaTimer;
class CFrameWnd;
class CMainFrame;
class CPlatformHttpTransport;
class CQtMessageLog;
class CRotatingLog;
class CShellOrderConfirm;
class CSessionManager;
class CSessionStatusRouter;
class CSettingsCustomStudyTable;
class CTerminationSignals;
class CView;

// Options of the command line.
struct CStartOptions {
    CString home;      // --home: user data folder
    CString user;      // --user
    CString password;  // --password (kept in memory only)
    CString config;    // --config: config.ini to read instead of the one in the folder
    CString server;    // --server: base URL of the broker (API, login and history)
    CString openKinds; // --open-kinds: windows to open after login, e.g. "0,2,3f" (f: floating)
    CString symbol;    // --symbol: sent to every window after login

    bool help = false; // --help (-h): print the usage and end

    // Fills the options from the arguments; false with *error for an unknown option, a
    // missing value or window kinds that are not "0".."12" with an optional "f".
    bool Parse(const std::vector<CString>& arguments, CString* error);
    // The window kinds of openKinds: kind and floating flag, in order.
    std::vector<std::pair<int, bool>> GetOpenKinds() const;
    // The usage text printed for --help.
    static const char* Usage();
};

// Reads the command line before any window exists: --help prints the usage on standard
// output (returns 0), a bad option is told on standard error with the usage (returns 2);
// -1 when the program goes on.
int CheckCommandLine(int argc, char** argv);

class CWorkstationApp : public CWinApp, public IUserNotifier {
public:
    CWorkstationApp();
    ~CWorkstationApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    CStartOptions& Options() { return m_options; }
    CAppSettings& Settings() { return m_settings; }
    CProfile& Profile() { return m_profile; }
    CSessionManager* Session() const { return m_session.get(); }
    CMainFrame* MainFrame() const { return m_pMainFrame; }
    const CString& GetCaFile() const { return m_caFile; }

    // A new window of the kind (0..12) in an MDI child or a floating frame; its
    // document, or null for another kind.
    CDocument* OpenWindowOfKind(int kind, bool floating);
    // Moves the window between an MDI child and a floating frame.
    bool ToggleDetach(CView* view);
    // Every open window's view, in window order (least recently active first).
    std::vector<CView*> GetWindowViews() const;
    void CloseAllWindows();
    // Hands the settings' list font (with its text colour) or list colours to every open
    // window that shows lists; returns how many windows took them.
    int ApplyListFont();
    int ApplyListColors();
    // Every open chart measures the settings' chart font again; returns how many.
    int ApplyChartFont();
    // Hands a report list's font, text colour and colours of the settings to its open
    // windows (EReportList: order status, balances, saved orders); returns how many.
    int ApplyReportLook(int list);

    // Workspaces (".swp" under "Workspaces"); the message boxes on failure.
    bool SaveWorkspace(const CString& path);
    bool LoadWorkspace(const CString& path);
    CString GetWorkspaceFolder() const;
    CString GetBackupWorkspacePath() const;

    // Objects polled every 900 ms by the formula engine's poll thread.
    void RegisterPolled(CFormulaTimer* timer);
    void UnregisterPolled(CFormulaTimer* timer);
    // Posts WM_APP+5 to every alert list window; then, with save-at-once, writes the
    // alerts file.
    void NotifyAlertViews(WPARAM wParam, LPARAM lParam);
    // The user added or changed alerts through a dialog: the alert lists are told and the
    // alerts file is written.
    void AlertsEdited();
    // The workspace opened or saved last, kept in the profile at once.
    void SetLastWorkspace(const CString& path);
    CAlertDelivery* GetAlertDelivery() const { return m_alertDelivery.get(); }

    // After the server refused the session: the login dialog (with the message) and the
    // status dialog until logged in or cancelled. False when not logged in again.
    bool LogInAgain(const CString& message);

    bool IsStopping() const;
    // The one-pass activation of the alerts loaded at start-up has ended.
    bool IsAlertActivationDone() const { return m_bActivationDone.load(); }
    bool AreThreadsRunning() const;
    // SIGTERM and SIGINT close the main frame once the program runs (null before start-up).
    CTerminationSignals* GetTerminationSignals() const { return m_signals.get(); }

    // IUserNotifier: a message box.
    void Notify(const CString& text) override;

protected:
    // The login dialog; false when the user cancelled. Tests override it.
    virtual bool PromptLogin(CString& user, CString& password, bool& saveUser, const CString& message);
    // The modal status dialog: IDOK logged in, IDCANCEL cancelled, IDABORT failed (error set).
    virtual int RunLoginStatus(const CString& user, const CString& password, CString& error);

private:
    bool PrepareFolder();
    void PostToAlertViews(WPARAM wParam, LPARAM lParam);
    void EmptyTempFolder();
    void RegisterTemplates();
    bool CreateSession();
    bool LoginLoop();
    bool m_bLoggingInAgain = false;
    void OpenRequestedWindows();
    void StartThreads();
    void StopThreads();
    void StopAlertActivation();
    void StopAlertsAndThreads();
    void AlertActivationThread(std::vector<AlertId> alerts);

    CStartOptions m_options;
    CAppSettings m_settings;
    // The custom studies of the settings, installed for the charts' menus.
    std::unique_ptr<CSettingsCustomStudyTable> m_customStudies;
    CProfile m_profile;
    CConfigFile m_config;
    CString m_folder;
    CString m_caFile;
    // The log file in the user data folder, and Qt's messages routed to it.
    std::shared_ptr<CRotatingLog> m_log;
    std::shared_ptr<CRotatingLog> m_previousLog;
    std::unique_ptr<CQtMessageLog> m_qtLog;
    std::unique_ptr<CPlatformHttpTransport> m_http;
    std::unique_ptr<CSessionManager> m_session;
    std::unique_ptr<CSessionStatusRouter> m_router;
    std::unique_ptr<CFormulaEngine> m_formulas;
    CMainFrame* m_pMainFrame = nullptr;
    bool m_bInitialized = false;
    std::unique_ptr<CTerminationSignals> m_signals;

    CEvent m_stopEvent{FALSE, TRUE};
    std::atomic<bool> m_bStopping{false};
    std::thread m_alertThread;
    std::atomic<bool> m_bActivationDone{false};
    std::unique_ptr<CAlertDelivery> m_alertDelivery;
    std::unique_ptr<CShellOrderConfirm> m_orderConfirm;
};

CWorkstationApp* GetWorkstationApp();
