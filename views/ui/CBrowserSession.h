// What the browser views share with the broker session: the certificate of the broker's
// own server, the session cookie (a page that sets or clears it does so for the whole
// program, as one cookie jar would), and the log-out pages, which no page may load.
#pragma once

#include "platform/core/CString.h"

class CBrowserSession {
public:
    // Trust, request filter and cookie mirror (once), and the session's current cookie
    // into the pages' cookies (every time).
    static void Prepare();
    // The broker session's cookie, "" when it has none.
    static CString CurrentCookie();
    // The broker's address for the API ("https://host:port"), "" without a session.
    static CString BrokerAddress();

    // Remembers the session's cookie while it can be read; when the view goes and a page
    // cleared it meanwhile, Restore puts it back, but only while the session is logged in.
    void Remember();
    // True when the cookie was written back.
    bool Restore();
    const CString& GetSaved() const { return m_saved; }

private:
    CString m_saved;
};
