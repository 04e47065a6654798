#include "views/ui/CBrowserSession.h"

#include "broker/session/CSessionManager.h"
#include "platform/ui/CHtmlView.h"
#include "views/BrowserAddress.h"

namespace {

constexpr const char* kCookieName = "KELVTRADING";

CString HostOf(const CString& address)
{
    CString host = address;
    const int scheme = host.Find("://");
    if (scheme >= 0)
        host = host.Mid(scheme + 3);
    const int end = host.FindOneOf(":/?#");
    if (end >= 0)
        host = host.Left(end);
    host.MakeLower();
    return host;
}

bool SameHost(CString domain, const CString& host)
{
    domain.MakeLower();
    if (!domain.IsEmpty() && domain[0] == '.')
        domain = domain.Mid(1);
    return !host.IsEmpty() && (domain == host || host.Right(domain.GetLength() + 1) == "." + domain);
}

// The session cookie that the pages' cookie jar holds, or was last asked to hold, and the
// broker's address it is for.
struct CPageCookie {
    CString address;
    CString value;
};

CPageCookie& PageCookie()
{
    static CPageCookie cookie;
    return cookie;
}

void SetPageCookie(const CString& value)
{
    PageCookie() = {CBrowserSession::BrokerAddress(), value};
    CHtmlView::SetCookie(PageCookie().address, kCookieName, value);
}

void OnPageCookie(const CString& name, const CString& value, const CString& domain, bool removed)
{
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager || name != kCookieName || !SameHost(domain, HostOf(CBrowserSession::BrokerAddress())))
        return;
    if (!removed)
        PageCookie().value = value;
    else if (PageCookie().value == value)
        PageCookie().value.Empty();
    CBrokerSession& session = manager->GetSession();
    CString current;
    session.GetSessionCookie(current);
    if (removed) {
        // Replacing a cookie removes the old value first: only the session's own value
        // going is a clearing.
        if (current == value)
            session.SetSessionCookie(CString());
    } else if (current != value) {
        session.SetSessionCookie(value);
    }
}

} // namespace

CString CBrowserSession::BrokerAddress()
{
    CSessionManager* manager = CSessionManager::Instance();
    return manager ? manager->GetSession().GetConfig().apiServer : CString();
}

CString CBrowserSession::CurrentCookie()
{
    CSessionManager* manager = CSessionManager::Instance();
    CString cookie;
    if (manager)
        manager->GetSession().GetSessionCookie(cookie);
    return cookie;
}

void CBrowserSession::Prepare()
{
    static bool prepared = false;
    CSessionManager* manager = CSessionManager::Instance();
    if (!prepared) {
        prepared = true;
        CHtmlView::SetRequestFilter([](const CString& url) { return IsLogOutAddress(url); });
        CHtmlView::SetCookieListener(&OnPageCookie);
    }
    if (!manager)
        return;
    CHtmlView::TrustCertificateFile(manager->GetSession().GetConfig().caFile);
    // Set again, the same value would leave the jar and come back: the session would be
    // without its cookie in between.
    const CString cookie = CurrentCookie();
    if (!cookie.IsEmpty() && (cookie != PageCookie().value || BrokerAddress() != PageCookie().address))
        SetPageCookie(cookie);
}

void CBrowserSession::Remember()
{
    const CString cookie = CurrentCookie();
    if (!cookie.IsEmpty())
        m_saved = cookie;
}

bool CBrowserSession::Restore()
{
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager || m_saved.IsEmpty() || !CurrentCookie().IsEmpty() || !manager->IsLoggedIn())
        return false;
    manager->GetSession().SetSessionCookie(m_saved);
    SetPageCookie(m_saved);
    return true;
}
