#include "platform/ui/CWinApp.h"

#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CDocument.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWindowRegistry.h"
#include "platform/ui/ModalLoops.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <clocale>

namespace {
CWinApp* g_app = nullptr;
int g_argc = 1;
char g_arg0[] = "quorvantelix";
char* g_argv[] = {g_arg0, nullptr};
}  // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName ? appName : "Quorvantelix")
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    CloseAllDocuments(TRUE);
    m_templates.clear();
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}

int CWinApp::Main(int argc, char** argv)
{
    if (!QApplication::instance()) {
        if (argc <= 0 || !argv) {
            argc = g_argc;
            argv = g_argv;
        }
        m_ownedApp = std::make_unique<QApplication>(argc, argv);
    }
    // Qt hands the user's locale to the C library; numbers in files, formulas and the
    // broker's messages are read and written with a decimal point whatever it is.
    std::setlocale(LC_NUMERIC, "C");
    for (int i = 1; i < argc; ++i)
        m_arguments.emplace_back(argv[i]);
    CMessageQueue::Initialize();
    int code = 0;
    m_quitPending = false;
    m_initialising = true;
    const BOOL started = InitInstance();
    m_initialising = false;
    if (started)
        code = Run();
    m_quitPending = false;
    const int exitCode = ExitInstance();
    // Windows still open go before the Qt application does.
    for (HWND h : CWindowRegistry::Instance().LiveHandles())
        if (CWnd* w = CWnd::FromHandle(h); w && !w->GetParent())
            w->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CMessageQueue::Shutdown();
    m_idleTimer.reset();
    m_ownedApp.reset();
    return code != 0 ? code : exitCode;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run()
{
    if (m_quitPending) {
        m_quitPending = false;
        return m_quitCode;
    }
    m_idleTimer = std::make_unique<QTimer>();
    QObject::connect(m_idleTimer.get(), &QTimer::timeout, [this] { OnIdle(0); });
    m_idleTimer->start(250);
    // The application's own loop: a quit ends this loop only, never a modal loop run
    // inside it or after it.
    QEventLoop loop;
    m_runLoop = &loop;
    const int code = loop.exec();
    m_runLoop = nullptr;
    m_idleTimer.reset();
    return code;
}

BOOL CWinApp::OnIdle(LONG)
{
    for (CFrameWnd* f : CFrameWnd::GetFramesInActivationOrder())
        if (!f->GetParentFrame())
            f->OnIdleUpdateCmdUI();
    return FALSE;
}

void CWinApp::PostQuit(int exitCode)
{
    QCoreApplication* qt = QCoreApplication::instance();
    if (!qt)
        return;
    if (QThread::currentThread() != qt->thread()) {
        QMetaObject::invokeMethod(
            qt, [exitCode] { if (CWinApp* app = AfxGetApp()) app->PostQuit(exitCode); }, Qt::QueuedConnection);
        return;
    }
    if (m_runLoop) {
        m_runLoop->exit(exitCode);
    } else if (m_initialising) {
        // Asked before the loop started: the loop ends as soon as it starts.
        m_quitPending = true;
        m_quitCode = exitCode;
    }
}

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate)
{
    if (docTemplate)
        m_templates.push_back(std::move(docTemplate));
}

CDocTemplate* CWinApp::GetDocTemplate(size_t index) const
{
    return index < m_templates.size() ? m_templates[index].get() : nullptr;
}

BOOL CWinApp::SaveAllModified()
{
    for (const auto& t : m_templates)
        for (CDocument* d : t->GetDocuments())
            if (!d->SaveModified())
                return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL endSession)
{
    for (const auto& t : m_templates)
        t->CloseAllDocuments(endSession);
}

int AfxMessageBox(const char* text, UINT type, UINT)
{
    if (AreModalLoopsRefused())
        return AnswerRefusedMessageBox(text, type);
    CWnd* owner = AfxGetMainWnd();
    const CString caption = g_app ? g_app->m_pszAppName : CString("Quorvantelix");
    return CUiResponder::Current().MessageBox(owner, text ? text : "", caption, type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId)
{
    return AfxMessageBox(LoadResourceString(stringId), type, helpId);
}
