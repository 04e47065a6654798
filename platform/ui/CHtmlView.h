// A view that shows web pages (a web engine inside the window). Only http and https
// addresses are loaded: any other scheme, from the program or from a page, is refused
// and never handed to the desktop. Pages run without dialogs of their own: script
// messages go through the program's message boxes and pop-ups need OnNewWindow2.
//
// What every page of the process shares (certificates trusted, cookies, the request
// filter) is set through the static members.
#pragma once

#include "platform/ui/CView.h"

#include <functional>
#include <memory>

class CHtmlView : public CView {
public:
    CHtmlView();
    ~CHtmlView() override;

    // Loads the address; false (nothing loads) for an address other than http or https.
    BOOL Navigate2(const char* url);
    void GoBack();
    void GoForward();
    void Refresh();
    void Stop();
    BOOL CanGoBack() const;
    BOOL CanGoForward() const;
    // The page's address ("" before the first page) and title.
    CString GetLocationURL() const;
    CString GetLocationName() const;
    // Whether a page is loading.
    BOOL GetBusy() const;
    // Silent: script messages are not shown at all.
    void SetSilent(BOOL silent) { m_bSilent = silent != FALSE; }

    // The text of the page as shown, and the result of a script run in the page, handed
    // to done later on this thread (not after the view is gone).
    void GetPageText(std::function<void(const CString&)> done);
    void RunScript(const char* script, std::function<void(const CString&)> done = {});

    // Whether the scheme of an address is one the view loads (http, https; any case).
    static bool IsWebAddress(const char* url);
    // Gives a top-level window, before it first shows, the kind of surface that a page
    // drawn inside it needs, so that the first view opened in it later does not make Qt
    // re-create (unmap, map, new id) the window.
    static void PrepareHostWindow(CWnd* topLevel);

    // Process-wide. Certificates of the PEM file that a server may present although no
    // authority vouches for them (a broker with a certificate of its own); "" for none.
    static void TrustCertificateFile(const char* path);
    // Requests (pages, frames, images, scripts) for which the filter says true are blocked.
    static void SetRequestFilter(std::function<bool(const CString& url)> blocked);
    // A cookie for the address (secure and HTTP-only), and its removal.
    static void SetCookie(const char* url, const char* name, const char* value);
    static void DeleteCookie(const char* url, const char* name);
    // Told of every cookie a page or a server sets (removed false) or removes (true):
    // its name, value and domain.
    using CookieListener = std::function<void(const CString& name, const CString& value, const CString& domain, bool removed)>;
    static void SetCookieListener(CookieListener listener);

    const CMessageMap& GetMessageMap() const override;

protected:
    // Before the page or one of its frames goes to an http or https address; TRUE cancels.
    virtual BOOL OnBeforeNavigate2(const CString& url, BOOL mainFrame);
    // A page asks for a new window: the view that shows it, or null to refuse it.
    virtual CHtmlView* OnNewWindow2();
    virtual void OnNavigateComplete2(const CString& url);
    virtual void OnDocumentComplete(const CString& url, BOOL ok);
    virtual void OnTitleChange(const CString& title);

    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    void OnDestroy() override;

private:
    class CPage;
    friend class CPage;
    struct Impl;

    std::unique_ptr<Impl> m_impl;
    bool m_bSilent = false;
};
