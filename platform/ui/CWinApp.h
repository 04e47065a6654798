// The application object: owns the document templates, runs the event loop, routes
// commands no window handled, and runs update-UI while idle.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/CCmdTarget.h"

#include <memory>
#include <vector>

class CDocTemplate;
class CWnd;
class QApplication;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    // Creates the Qt application when there is none, then InitInstance, the event
    // loop and ExitInstance. Returns the exit code.
    int Main(int argc, char** argv);
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();
    // Idle work; return TRUE for more idle calls.
    virtual BOOL OnIdle(LONG count);
    // Ends the loop of Run (after any modal loop inside it returns); a quit asked during
    // InitInstance ends Run at once. Modal loops are never cut short. Any thread.
    void PostQuit(int exitCode);

    void AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& GetDocTemplates() const { return m_templates; }
    CDocTemplate* GetDocTemplate(size_t index) const;
    // Asks every document to save changes; false when the user cancelled.
    virtual BOOL SaveAllModified();
    void CloseAllDocuments(BOOL endSession);

    CWnd* m_pMainWnd = nullptr;
    CString m_pszAppName;
    std::vector<CString> m_arguments;

private:
    std::unique_ptr<QApplication> m_ownedApp;
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::unique_ptr<class QTimer> m_idleTimer;
    class QEventLoop* m_runLoop = nullptr;
    bool m_initialising = false;
    bool m_quitPending = false;
    int m_quitCode = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Message box of the application (through the replaceable responder).
int AfxMessageBox(const char* text, UINT type = 0, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = 0, UINT helpId = 0);
