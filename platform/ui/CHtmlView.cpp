#include "platform/ui/CHtmlView.h"

#include "platform/ui/CWinApp.h"

#include <QNetworkCookie>
#include <QPointer>
#include <QSslCertificate>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <QOpenGLContext>
#include <QOpenGLWidget>

#include <unistd.h>

#include <vector>

// The web engine library deletes some of its objects through a base of another size;
// address-sanitizer builds would stop there on every page.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
#endif

namespace {

struct WebState {
    std::vector<QByteArray> trusted; // DER of the certificates a server may present unvouched
    std::function<bool(const CString&)> blocked;
    CHtmlView::CookieListener cookies;
    bool cookieSignals = false;
};

WebState& State()
{
    static WebState state;
    return state;
}

CString FromQ(const QString& text)
{
    return CString(text.toStdString());
}

class CRequestFilter final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const auto& blocked = State().blocked;
        if (blocked && blocked(FromQ(info.requestUrl().toString(QUrl::FullyEncoded))))
            info.block(true);
    }
};

// The one profile of the process (kept in memory only), with the request filter and the
// cookie signals. The engine refuses to start as root with its sandbox on.
QWebEngineProfile* Profile()
{
    static bool prepared = false;
    if (!prepared) {
        prepared = true;
        if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        // Without the sandbox, pages start without the engine's zygote process: a page
        // closing would otherwise make the interface thread wait on the zygote's reply,
        // for seconds when the machine is busy.
        if (qEnvironmentVariable("QTWEBENGINE_DISABLE_SANDBOX") == "1" && !flags.contains("--no-zygote"))
            flags += " --no-zygote";
        // The engine's processes write their own log (certificate checks, GPU start-up)
        // to the terminal: only its fatal messages, unless the environment names a level.
        if (!flags.contains("--log-level"))
            flags += " --log-level=3";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    }
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    if (!State().cookieSignals) {
        State().cookieSignals = true;
        profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        profile->setUrlRequestInterceptor(new CRequestFilter(profile));
        QWebEngineCookieStore* store = profile->cookieStore();
        auto tell = [](const QNetworkCookie& cookie, bool removed) {
            if (const auto& listener = State().cookies)
                listener(CString(cookie.name().toStdString()), CString(cookie.value().toStdString()),
                         FromQ(cookie.domain()), removed);
        };
        QObject::connect(store, &QWebEngineCookieStore::cookieAdded, store,
                         [tell](const QNetworkCookie& cookie) { tell(cookie, false); });
        QObject::connect(store, &QWebEngineCookieStore::cookieRemoved, store,
                         [tell](const QNetworkCookie& cookie) { tell(cookie, true); });
    }
    return profile;
}

bool IsTrusted(const QList<QSslCertificate>& chain)
{
    if (chain.isEmpty())
        return false;
    const QByteArray leaf = chain.first().toDer();
    for (const QByteArray& der : State().trusted)
        if (der == leaf)
            return true;
    return false;
}

} // namespace

class CHtmlView::CPage final : public QWebEnginePage {
public:
    CPage(QWebEngineProfile* profile, CHtmlView* view, QObject* parent) : QWebEnginePage(profile, parent), m_view(view)
    {
        connect(this, &QWebEnginePage::certificateError, this, [](const QWebEngineCertificateError& error) {
            auto copy = error;
            if (IsTrusted(copy.certificateChain()))
                copy.acceptCertificate();
            else
                copy.rejectCertificate();
        });
    }
    void Detach() { m_view = nullptr; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        const CString address = FromQ(url.toString(QUrl::FullyEncoded));
        if (address == "about:blank")
            return true;
        if (!IsWebAddress(address))
            return false;
        return !(m_view && m_view->OnBeforeNavigate2(address, isMainFrame ? TRUE : FALSE));
    }
    QWebEnginePage* createWindow(WebWindowType) override;
    void javaScriptAlert(const QUrl&, const QString& text) override
    {
        if (m_view && !m_view->m_bSilent)
            AfxMessageBox(FromQ(text), MB_OK | MB_ICONINFORMATION);
    }
    bool javaScriptConfirm(const QUrl&, const QString& text) override
    {
        return m_view && !m_view->m_bSilent && AfxMessageBox(FromQ(text), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}

private:
    CHtmlView* m_view;
};

struct CHtmlView::Impl {
    QPointer<QWebEngineView> web;
    QPointer<CPage> page;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

QWebEnginePage* CHtmlView::CPage::createWindow(WebWindowType)
{
    CHtmlView* other = m_view ? m_view->OnNewWindow2() : nullptr;
    return other && other->m_impl ? other->m_impl->page.data() : nullptr;
}

CHtmlView::CHtmlView() : m_impl(std::make_unique<Impl>()) {}

CHtmlView::~CHtmlView()
{
    *m_impl->alive = false;
    if (m_impl->page)
        m_impl->page->Detach();
}

bool CHtmlView::IsWebAddress(const char* url)
{
    const CString text = url ? url : "";
    const int colon = text.Find(':');
    if (colon <= 0)
        return false;
    const CString scheme = text.Left(colon);
    return scheme.CompareNoCase("http") == 0 || scheme.CompareNoCase("https") == 0;
}

void CHtmlView::PrepareHostWindow(CWnd* topLevel)
{
    QWidget* outer = topLevel ? topLevel->GetOuterWidget() : nullptr;
    QWidget* window = outer ? outer->window() : nullptr;
    if (!window || window->findChild<QOpenGLWidget*>(QStringLiteral("qxSurfaceKeeper"), Qt::FindDirectChildrenOnly))
        return;
    QOpenGLContext probe;
    if (!probe.create())
        return;  // no OpenGL here: pages draw without textures
    // A page draws through a texture: a texture child, hidden, gives the window that
    // surface from its creation on.
    auto* keeper = new QOpenGLWidget(window);  // owned by the window
    keeper->setObjectName(QStringLiteral("qxSurfaceKeeper"));
    keeper->setAttribute(Qt::WA_DontShowOnScreen);
    keeper->setGeometry(0, 0, 1, 1);
    keeper->hide();
}

QWidget* CHtmlView::CreateWidget(QWidget* parent)
{
    QWidget* host = CView::CreateWidget(parent);
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* web = new QWebEngineView(host);
    auto* page = new CPage(Profile(), this, web);
    web->setPage(page);
    layout->addWidget(web);
    m_impl->web = web;
    m_impl->page = page;
    const std::shared_ptr<bool> alive = m_impl->alive;
    QObject::connect(page, &QWebEnginePage::urlChanged, web, [this, alive](const QUrl& url) {
        if (*alive)
            OnNavigateComplete2(FromQ(url.toString(QUrl::FullyEncoded)));
    });
    QObject::connect(page, &QWebEnginePage::loadFinished, web, [this, alive, page](bool ok) {
        if (*alive)
            OnDocumentComplete(FromQ(page->url().toString(QUrl::FullyEncoded)), ok ? TRUE : FALSE);
    });
    QObject::connect(page, &QWebEnginePage::titleChanged, web, [this, alive](const QString& title) {
        if (*alive)
            OnTitleChange(FromQ(title));
    });
    return host;
}

void CHtmlView::OnDestroy()
{
    if (m_impl->page) {
        m_impl->page->Detach();
        m_impl->page->triggerAction(QWebEnginePage::Stop);
    }
    CView::OnDestroy();
}

BOOL CHtmlView::Navigate2(const char* url)
{
    if (!m_impl->page || !IsWebAddress(url))
        return FALSE;
    const QUrl address(QString::fromUtf8(url), QUrl::TolerantMode);
    if (!address.isValid())
        return FALSE;
    m_impl->page->load(address);
    return TRUE;
}

void CHtmlView::GoBack()
{
    if (m_impl->page)
        m_impl->page->triggerAction(QWebEnginePage::Back);
}

void CHtmlView::GoForward()
{
    if (m_impl->page)
        m_impl->page->triggerAction(QWebEnginePage::Forward);
}

void CHtmlView::Refresh()
{
    if (m_impl->page)
        m_impl->page->triggerAction(QWebEnginePage::Reload);
}

void CHtmlView::Stop()
{
    if (m_impl->page)
        m_impl->page->triggerAction(QWebEnginePage::Stop);
}

BOOL CHtmlView::CanGoBack() const
{
    return m_impl->page && m_impl->page->action(QWebEnginePage::Back)->isEnabled();
}

BOOL CHtmlView::CanGoForward() const
{
    return m_impl->page && m_impl->page->action(QWebEnginePage::Forward)->isEnabled();
}

CString CHtmlView::GetLocationURL() const
{
    if (!m_impl->page || m_impl->page->url().isEmpty())
        return CString();
    return FromQ(m_impl->page->url().toString(QUrl::FullyEncoded));
}

CString CHtmlView::GetLocationName() const
{
    return m_impl->page ? FromQ(m_impl->page->title()) : CString();
}

BOOL CHtmlView::GetBusy() const
{
    return m_impl->page && m_impl->page->action(QWebEnginePage::Stop)->isEnabled();
}

void CHtmlView::GetPageText(std::function<void(const CString&)> done)
{
    if (!m_impl->page || !done)
        return;
    const std::shared_ptr<bool> alive = m_impl->alive;
    m_impl->page->toPlainText([alive, done = std::move(done)](const QString& text) {
        if (*alive)
            done(FromQ(text));
    });
}

void CHtmlView::RunScript(const char* script, std::function<void(const CString&)> done)
{
    if (!m_impl->page)
        return;
    const std::shared_ptr<bool> alive = m_impl->alive;
    m_impl->page->runJavaScript(QString::fromUtf8(script ? script : ""), [alive, done = std::move(done)](const QVariant& result) {
        if (*alive && done)
            done(FromQ(result.toString()));
    });
}

void CHtmlView::TrustCertificateFile(const char* path)
{
    State().trusted.clear();
    if (!path || !*path)
        return;
    for (const QSslCertificate& certificate : QSslCertificate::fromPath(QString::fromUtf8(path), QSsl::Pem))
        if (!certificate.isNull())
            State().trusted.push_back(certificate.toDer());
}

void CHtmlView::SetRequestFilter(std::function<bool(const CString& url)> blocked)
{
    State().blocked = std::move(blocked);
    Profile();
}

void CHtmlView::SetCookie(const char* url, const char* name, const char* value)
{
    QNetworkCookie cookie(QByteArray(name ? name : ""), QByteArray(value ? value : ""));
    cookie.setPath("/");
    cookie.setSecure(true);
    cookie.setHttpOnly(true);
    Profile()->cookieStore()->setCookie(cookie, QUrl(QString::fromUtf8(url ? url : "")));
}

void CHtmlView::DeleteCookie(const char* url, const char* name)
{
    QNetworkCookie cookie(QByteArray(name ? name : ""));
    cookie.setPath("/");
    Profile()->cookieStore()->deleteCookie(cookie, QUrl(QString::fromUtf8(url ? url : "")));
}

void CHtmlView::SetCookieListener(CookieListener listener)
{
    State().cookies = std::move(listener);
    Profile();
}

BOOL CHtmlView::OnBeforeNavigate2(const CString&, BOOL)
{
    return FALSE;
}

CHtmlView* CHtmlView::OnNewWindow2()
{
    return nullptr;
}

void CHtmlView::OnNavigateComplete2(const CString&) {}

void CHtmlView::OnDocumentComplete(const CString&, BOOL) {}

void CHtmlView::OnTitleChange(const CString&) {}

const CMessageMap& CHtmlView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CHtmlView>(CView::GetMessageMap()).Build();
    return map;
}
