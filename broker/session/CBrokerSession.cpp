#include "broker/session/CBrokerSession.h"

#include "broker/protocol/CStreamRecordParser.h"
#include "broker/protocol/HistoryFormat.h"
#include "broker/protocol/StreamRequest.h"
#include "broker/session/ApiReplies.h"
#include "broker/session/OrderRequest.h"
#include "broker/session/SessionMessages.h"
#include "broker/session/StreamTranslator.h"
#include "broker/session/TransportErrors.h"
#include "platform/core/AppLog.h"
#include "platform/core/LogRedaction.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace {

constexpr const char* kSessionEndedText = "The server ended the session. Please log in again.";
constexpr const char* kLoggedOutText = "Logged out.";

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

CString FormatDouble(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return CString(text);
}

} // namespace

CBrokerSession::CBrokerSession(const CSessionConfig& config, IHttpTransport* http, StreamConnectionFactory connect)
    : m_config(config), m_pHttp(http), m_connect(connect), m_clock(5 * 60 * 1000, config.clockConfirmMs)
{
    m_logger = [](const char* line) { AppLogLine(line); };
}

CBrokerSession::~CBrokerSession()
{
    Stop();
}

void CBrokerSession::SetLogger(std::function<void(const char*)> logger)
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_logger = std::move(logger);
}

void CBrokerSession::Log(const char* format, ...)
{
    char line[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::function<void(const char*)> logger;
    {
        std::lock_guard<std::mutex> lock(m_stateLock);
        logger = m_logger;
    }
    if (!logger)
        return;
    // No sink ever sees a session id, token or password; a flood of lines alike (one
    // format) is cut short and counted.
    m_logLimiter.Write(format, RedactSecrets(line), NowMs(), [&](const std::string& text) { logger(text.c_str()); });
}

bool CBrokerSession::Sleep(int ms)
{
    std::unique_lock<std::mutex> lock(m_workLock);
    m_workReady.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_bStop.load(); });
    return !m_bStop.load();
}

void CBrokerSession::Stop()
{
    std::lock_guard<std::mutex> control(m_controlLock);
    m_requests.Close();
    StopThreads(true);
}

void CBrokerSession::StopThreads(bool waitForLogins)
{
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        m_bStop = true;
    }
    m_workReady.notify_all();
    // The slots are emptied under the lock and joined without it: the dispatcher may be
    // waiting for the lock to start the workers, and must find them stopped.
    std::vector<LoginAttemptPtr> logins;
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(m_threadLock);
        m_bLoggedIn = false;
        if (m_login) {
            CancelLogin(*m_login);
            m_retiredLogins.push_back(std::move(m_login));
        }
        // A cancelled login still waiting for a reply is left to end by itself unless the
        // session goes away; it can no longer change the session.
        for (auto& retired : m_retiredLogins)
            if (waitForLogins || retired->bDone.load())
                logins.push_back(std::move(retired));
        std::erase(m_retiredLogins, nullptr);
        for (auto& t : m_streamThreads)
            threads.push_back(std::move(t));
        threads.push_back(std::move(m_requestThread));
        threads.push_back(std::move(m_historyThread));
        threads.push_back(std::move(m_accountThread));
        threads.push_back(std::move(m_watchlistThread));
    }
    for (auto& login : logins)
        if (login->thread.joinable())
            login->thread.join();
    for (auto& t : threads)
        if (t.joinable())
            t.join();
}

// ---------------------------------------------------------------- API calls

bool CBrokerSession::CallApi(const char* name, const Keys& keys, std::string& reply, CString& error,
                             const char* sourceTag, bool post, const CLoginAttempt* attempt, ECallFailure* failure)
{
    error.Empty();
    reply.clear();
    ECallFailure ignored;
    ECallFailure& outcome = failure ? *failure : ignored;
    outcome = ECallFailure::None;
    if (!m_pHttp) {
        error = "No connection to the broker.";
        outcome = ECallFailure::NotSent;
        return false;
    }
    // Once the log-out has begun, only the log-out itself goes.
    const CRequestGate::CPass pass = m_requests.Enter(std::string_view(name) == "LogOut");
    if (!pass) {
        error = kLoggedOutText;
        outcome = ECallFailure::NotSent;
        return false;
    }
    CString query;
    query.Format("source=%s&version=%s", UrlEncode(sourceTag ? sourceTag : m_config.source.GetString()),
                 UrlEncode(m_config.version));
    for (const auto& [key, value] : keys)
        query.AppendFormat("&%s=%s", UrlEncode(key), UrlEncode(value));

    CHttpExchange exchange;
    const bool login = std::string_view(name) == "LogIn" && !m_config.loginServer.IsEmpty();
    exchange.url = (login ? m_config.loginServer : m_config.apiServer).str() + "/apps/100/" + name;
    if (post) {
        exchange.method = "POST";
        exchange.body = query.str();
    } else {
        exchange.url += "?" + query.str();
    }
    {
        std::lock_guard<std::mutex> lock(m_stateLock);
        if (!m_cookie.IsEmpty())
            exchange.cookieHeader = "KELVTRADING=" + m_cookie.str();
    }
    // The password stays out of the log.
    Log("request %s%s", name, post ? "" : (std::string("?") + query.str()).c_str());
    if (!m_pHttp->Perform(exchange)) {
        error = DescribeTransportFailure(exchange);
        Log("response %s: %s (%s)", name, exchange.error.empty() ? "transport failure" : exchange.error.c_str(),
            error.GetString());
        outcome = MayHaveReachedServer(exchange) ? ECallFailure::Unclear : ECallFailure::NotSent;
        return false;
    }
    for (const std::string& setCookie : exchange.setCookies) {
        const CString cookie = SessionCookieFrom(setCookie);
        if (cookie.IsEmpty())
            continue;
        if (attempt) {
            // A cancelled attempt must not replace the cookie of the one after it.
            std::lock_guard<std::mutex> lock(m_threadLock);
            if (!attempt->bStop.load())
                SetSessionCookie(cookie);
        } else {
            SetSessionCookie(cookie);
        }
    }
    reply = std::move(exchange.response);
    constexpr size_t kLoggedReply = 600;
    Log("response %s: %d %.*s%s", name, exchange.status, static_cast<int>(std::min(reply.size(), kLoggedReply)),
        reply.c_str(), reply.size() > kLoggedReply ? "..." : "");
    CApiResult result;
    const bool parsed = ParseApiResult(reply, result);
    if (exchange.status < 200 || exchange.status > 299) {
        // The broker's own error text where it gave one (an unknown request), else the status.
        const bool brokerError = parsed && result.hasError && !result.ok;
        error = brokerError ? result.error : DescribeHttpStatus(exchange);
        Log("response %s: HTTP status %d", name, exchange.status);
        outcome = brokerError ? ECallFailure::Refused : ECallFailure::Unclear;
        return false;
    }
    if (!parsed) {
        Log("response %s: %s (%s)", name, result.error.GetString(), result.reason.GetString());
        error = result.error;
        outcome = ECallFailure::Unclear;
        return false;
    }
    if (result.hasError) {
        error = result.error;
        outcome = ECallFailure::Refused;
        return false;
    }
    if (!result.ok) {
        error.Empty(); // FAIL without an error element (saving a conditional order)
        outcome = ECallFailure::Refused;
        return false;
    }
    return true;
}

void CBrokerSession::CloseOpenedSession(const CString& sessionId)
{
    if (!m_pHttp || sessionId.IsEmpty())
        return;
    CString query;
    query.Format("source=%s&version=%s", UrlEncode(m_config.source), UrlEncode(m_config.version));
    CHttpExchange exchange;
    exchange.url = m_config.apiServer.str() + "/apps/100/LogOut?" + query.str();
    exchange.cookieHeader = "KELVTRADING=" + sessionId.str();
    const CRequestGate::CPass pass = m_requests.Enter(true); // a log-out too
    const bool ok = m_pHttp->Perform(exchange);
    Log("closing the unused session: %s", ok ? "done" : exchange.error.c_str());
}

void CBrokerSession::OnSessionRefused(const CString& text, const CLoginAttempt* attempt)
{
    {
        std::lock_guard<std::mutex> lock(m_threadLock);
        if ((attempt && attempt->bStop.load()) || !m_bLoggedIn.exchange(false))
            return; // told already, or logged out meanwhile
        // Every thread ends by itself; the next login joins them.
        std::lock_guard<std::mutex> work(m_workLock);
        m_bStop = true;
    }
    m_workReady.notify_all();
    Log("session refused by the server: %s", text.GetString());
    auto message = std::make_unique<CSessionLostMessage>();
    message->m_text = text;
    m_queue.Post(std::move(message));
}

void CBrokerSession::UpdateClock(int64_t serverMs, const char* from)
{
    switch (m_clock.Update(serverMs, NowMs())) {
    case CClockOffset::Result::Applied:
        break;
    case CClockOffset::Result::Held:
        Log("server time %lld of the %s is far from the known clock offset; not applied",
            static_cast<long long>(serverMs), from);
        break;
    case CClockOffset::Result::Refused:
        Log("server time %lld of the %s is no clock time; ignored", static_cast<long long>(serverMs), from);
        break;
    }
}

void CBrokerSession::PostStatusText(const CString& text)
{
    auto message = std::make_unique<CStatusTextMessage>();
    message->m_text = text;
    m_queue.Post(std::move(message));
}

bool CBrokerSession::GetIndustryGroups(std::vector<CIndustryGroup>& groups) const
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    if (!m_bHaveIndustryGroups)
        return false;
    groups = m_industryGroups;
    return true;
}

bool CBrokerSession::GetSessionCookie(CString& cookie) const
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    cookie = m_cookie;
    return !m_cookie.IsEmpty();
}

void CBrokerSession::SetSessionCookie(const CString& cookie)
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_cookie = cookie;
}

void CBrokerSession::SetCurrentAccount(const CString& accountId)
{
    {
        std::lock_guard<std::mutex> lock(m_stateLock);
        m_currentAccount = accountId;
    }
    WakeAccountRefresh();
}

CString CBrokerSession::GetCurrentAccount() const
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    return m_currentAccount;
}

std::vector<CAccountInfo> CBrokerSession::GetAccounts() const
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    return m_accounts;
}

bool CBrokerSession::IsStreamConnected(int stream) const
{
    return stream >= 0 && stream < kStreamCount && m_bConnected[stream].load();
}

uint64_t CBrokerSession::GetConnectCount(int stream) const
{
    return stream >= 0 && stream < kStreamCount ? m_nConnects[stream].load() : 0;
}

// ---------------------------------------------------------------- login and keep-alive

bool CBrokerSession::StartLogin(const CString& user, const CString& password)
{
    std::lock_guard<std::mutex> control(m_controlLock);
    {
        std::lock_guard<std::mutex> lock(m_threadLock);
        if (m_bLoggedIn.load())
            return false; // already logged in
    }
    // Threads of a session the server refused have ended or are ending: joined before anything
    // starts again.
    StopThreads(false);
    std::vector<LoginAttemptPtr> finished;
    {
        std::lock_guard<std::mutex> lock(m_threadLock);
        // An earlier attempt (failed, or still in a request or a retry wait) is cancelled and
        // not waited for here; Stop joins it if it has not ended by then.
        if (m_login) {
            CancelLogin(*m_login);
            m_retiredLogins.push_back(std::move(m_login));
        }
        for (auto& retired : m_retiredLogins)
            if (retired->bDone.load())
                finished.push_back(std::move(retired));
        std::erase(m_retiredLogins, nullptr);
        m_bStop = false; // no worker runs while logged out (Stop joined them)
        m_requests.Open();
        auto attempt = std::make_unique<CLoginAttempt>();
        attempt->id = ++m_nLastLoginId;
        CLoginAttempt* raw = attempt.get();
        attempt->thread = std::thread([this, raw, user, password] {
            LoginThread(*raw, user, password);
            raw->bDone = true;
        });
        m_login = std::move(attempt);
    }
    for (auto& login : finished)
        login->thread.join(); // already ended
    return true;
}

bool CBrokerSession::IsCurrentLogin(uint64_t loginId) const
{
    if (loginId == 0)
        return true; // not from a login thread
    std::lock_guard<std::mutex> lock(m_threadLock);
    return m_login && m_login->id == loginId && !m_login->bStop.load();
}

void CBrokerSession::CancelLogin(CLoginAttempt& attempt)
{
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        attempt.bStop = true;
    }
    m_workReady.notify_all();
}

bool CBrokerSession::LoginSleep(const CLoginAttempt& attempt, int ms)
{
    std::unique_lock<std::mutex> lock(m_workLock);
    m_workReady.wait_for(lock, std::chrono::milliseconds(ms),
                         [&] { return m_bStop.load() || attempt.bStop.load(); });
    return !m_bStop.load() && !attempt.bStop.load();
}

void CBrokerSession::PostLoginFailure(const CLoginAttempt& attempt, const CString& error)
{
    auto result = std::make_unique<CLoginResultMessage>();
    result->m_nLogin = attempt.id;
    result->m_error = error;
    std::lock_guard<std::mutex> lock(m_threadLock);
    if (!attempt.bStop.load())
        m_queue.Post(std::move(result));
}

void CBrokerSession::LoginThread(CLoginAttempt& attempt, const CString& user, const CString& password)
{
    std::string reply;
    CString error;
    if (!CallApi("LogIn", {{"userid", user}, {"password", password}}, reply, error, nullptr, true, &attempt)) {
        PostLoginFailure(attempt, error.IsEmpty() ? CString("Login failed.") : error);
        return;
    }
    CLoginReply login;
    if (!ParseLoginReply(reply, login)) {
        CApiResult result;
        ParseApiResult(reply, result);
        Log("response LogIn: Malformed reply. (%s)",
            result.reason.IsEmpty() ? "no LogIn element with a session id" : result.reason.GetString());
        PostLoginFailure(attempt, "Malformed reply.");
        return;
    }
    // From here on a failed or cancelled attempt closes the session it opened at the broker.
    bool committed = false;
    struct CloseUnlessCommitted {
        CBrokerSession& session;
        const CString& id;
        const bool& committed;
        ~CloseUnlessCommitted()
        {
            if (!committed)
                session.CloseOpenedSession(id);
        }
    } closer{*this, login.sessionId, committed};
    if (attempt.bStop.load())
        return;
    CStreamerInfo streamer;
    if (!CallApi("StreamerInfo", {}, reply, error, nullptr, false, &attempt) || !ParseStreamerInfo(reply, streamer)) {
        PostLoginFailure(attempt, error.IsEmpty() ? CString("No streamer information.") : error);
        return;
    }
    if ((streamer.host.IsEmpty() || streamer.port == 0) && !m_config.streamerServer.IsEmpty()) {
        const int colon = m_config.streamerServer.ReverseFind(':');
        streamer.host = colon > 0 ? m_config.streamerServer.Left(colon) : m_config.streamerServer;
        streamer.port = colon > 0 ? std::atoi(m_config.streamerServer.Mid(colon + 1)) : 0;
    }
    if (streamer.host.IsEmpty() || streamer.port <= 0 || streamer.port > 65535) {
        PostLoginFailure(attempt, "No streamer information.");
        return;
    }
    if (attempt.bStop.load())
        return;
    CString historyKey;
    if (CallApi("MessageKey", {}, reply, error, nullptr, false, &attempt))
        ParseMessageKey(reply, historyKey);
    {
        // Committed only while the attempt is current: LogOut and a new StartLogin cancel it
        // under the same lock, so a cancelled attempt never logs the session in.
        std::lock_guard<std::mutex> threads(m_threadLock);
        if (attempt.bStop.load())
            return;
        {
            std::lock_guard<std::mutex> lock(m_stateLock);
            m_accounts = login.accounts;
            m_knownOrders.clear();
            m_userId = streamer.userId.IsEmpty() ? login.userId : streamer.userId;
            m_streamHost = streamer.host;
            m_streamPort = streamer.port;
            m_streamToken = streamer.token;
            m_historyKey = historyKey;
            if (m_currentAccount.IsEmpty() && !login.accounts.empty())
                m_currentAccount = login.accounts.front().number;
            if (login.sessionId.GetLength() && m_cookie.IsEmpty())
                m_cookie = login.sessionId;
        }
        m_clock.Reset();
        if (streamer.serverTimeMs)
            UpdateClock(streamer.serverTimeMs, "streamer information");
        committed = true;
        auto accounts = std::make_unique<CAccountListMessage>();
        accounts->m_accounts = login.accounts;
        m_queue.Post(std::move(accounts));
        m_bLoggedIn = true;
        auto result = std::make_unique<CLoginResultMessage>();
        result->m_nLogin = attempt.id;
        result->m_bSuccess = true;
        m_queue.Post(std::move(result));
    }

    CallApi("ActionLogger", {{"action", "login"}, {"text", "Logged in"}}, reply, error, nullptr, false, &attempt);

    std::vector<CIndustryGroup> groups;
    if (!attempt.bStop.load() && CallApi("IndustryGroups", {}, reply, error, nullptr, false, &attempt) &&
        ParseIndustryGroups(reply, groups)) {
        std::lock_guard<std::mutex> lock(m_stateLock);
        m_industryGroups = std::move(groups);
        m_bHaveIndustryGroups = true;
    } else if (!attempt.bStop.load()) {
        Log("industry groups: %s", error.GetString());
    }

    if (!m_config.updateFile.IsEmpty() && m_pHttp && !attempt.bStop.load()) {
        CHttpExchange exchange;
        exchange.url = m_config.updateFile.str();
        std::vector<CWebUpdateInfo> updates;
        const CRequestGate::CPass pass = m_requests.Enter();
        if (pass && m_pHttp->Perform(exchange) && exchange.status == 200 && ParseWebUpdates(exchange.response, updates) &&
            !updates.empty()) {
            auto message = std::make_unique<CWebUpdateMessage>();
            message->m_updates = std::move(updates);
            m_queue.Post(std::move(message));
        }
    }

    int wait = m_config.keepAliveMs;
    CString shown; // the failure the status bar shows, so a retry does not repeat it
    while (LoginSleep(attempt, wait)) {
        ECallFailure failure = ECallFailure::None;
        if (CallApi("KeepAlive", {}, reply, error, nullptr, false, &attempt, &failure)) {
            int64_t serverMs = 0;
            if (ParseServerTime(reply, serverMs) && serverMs)
                UpdateClock(serverMs, "keep-alive");
            m_nKeepAlives.fetch_add(1);
            wait = m_config.keepAliveMs;
            if (!shown.IsEmpty() && !attempt.bStop.load())
                PostStatusText("The server answers again.");
            shown.Empty();
        } else if (failure == ECallFailure::Refused) {
            // The broker no longer knows the session: retrying cannot help.
            OnSessionRefused(error.IsEmpty() ? CString(kSessionEndedText) : error, &attempt);
            return;
        } else {
            if (!attempt.bStop.load() && error != shown)
                PostStatusText(error);
            shown = error;
            wait = m_config.retryMs;
        }
    }
}

void CBrokerSession::LogOut()
{
    std::lock_guard<std::mutex> control(m_controlLock);
    bool wasLoggedIn;
    {
        // Cancelled first, so a login still under way cannot log the session in meanwhile.
        std::lock_guard<std::mutex> lock(m_threadLock);
        wasLoggedIn = m_bLoggedIn.exchange(false);
        if (m_login)
            CancelLogin(*m_login);
    }
    // Quiet and final: no request starts any more, the workers and the streams stop, and
    // only once the requests under way have ended does the server hear of the log-out. (Not
    // logged in, nothing is sent: a cancelled login still waiting for its reply is not waited
    // for.)
    m_requests.Close();
    StopThreads(false);
    if (wasLoggedIn) {
        m_requests.WaitUntilIdle();
        std::string reply;
        CString error;
        CallApi("LogOut", {}, reply, error);
    }
}

// ---------------------------------------------------------------- streams and subscriptions

int CBrokerSession::StreamOfService(int service)
{
    return service == kServiceAccount ? kStreamAccount : kStreamMarketData;
}

std::string CBrokerSession::ServiceLine(int stream, int service, const CString& symbol, bool subscribe)
{
    qx::protocol::StreamRequest request;
    request.control = stream == kStreamCommand;
    request.source = m_config.source.str();
    qx::protocol::ServiceClause clause;
    clause.service = qx::protocol::ServiceName(service) ? qx::protocol::ServiceName(service) : "";
    clause.command = subscribe ? "SUBS" : "UNSUBS";
    clause.symbols.push_back(symbol.str());
    request.clauses.push_back(std::move(clause));
    return qx::protocol::FormatStreamRequest(request);
}

std::vector<std::string> CBrokerSession::LoginLines(int stream)
{
    // The login clause alone, then the subscriptions in lines well below the server's limit.
    static constexpr size_t kMaxLine = qx::protocol::kMaxRequestLine / 4;
    std::vector<std::string> lines;
    qx::protocol::StreamRequest login;
    login.control = stream == kStreamCommand;
    login.source = m_config.source.str();
    {
        std::lock_guard<std::mutex> lock(m_stateLock);
        login.userId = m_userId.str();
        login.token = m_streamToken.str();
    }
    lines.push_back(qx::protocol::FormatStreamRequest(login));
    auto addService = [&](int service, const std::vector<CString>& symbols) {
        size_t next = 0;
        while (next < symbols.size()) {
            qx::protocol::StreamRequest request;
            request.control = login.control;
            request.source = login.source;
            qx::protocol::ServiceClause clause;
            clause.service = qx::protocol::ServiceName(service);
            clause.command = "SUBS";
            size_t length = 64;
            while (next < symbols.size() && (clause.symbols.empty() || length < kMaxLine)) {
                length += qx::protocol::EscapeStreamSymbol(symbols[next].view()).size() + 1;
                clause.symbols.push_back(symbols[next++].str());
            }
            request.clauses.push_back(std::move(clause));
            lines.push_back(qx::protocol::FormatStreamRequest(request));
        }
    };
    if (stream == kStreamMarketData) {
        for (int service = 0; service < kServiceCount; ++service)
            if (StreamOfService(service) == kStreamMarketData && service != kServiceOptionChain &&
                service != kServiceStory)
                addService(service, m_subscriptions.GetSymbols(service));
    } else if (stream == kStreamAccount) {
        std::vector<CString> accounts;
        for (const CAccountInfo& account : GetAccounts())
            accounts.push_back(account.number);
        addService(kServiceAccount, accounts);
    }
    return lines;
}

void CBrokerSession::Subscribe(const CString& symbol, int service)
{
    if (service < 0 || service >= kServiceCount || symbol.IsEmpty())
        return;
    std::lock_guard<std::mutex> lock(m_subLock);
    if (!m_subscriptions.Add(symbol, service))
        return;
    const int stream = StreamOfService(service);
    if (m_bLinesWanted[stream])
        m_pendingLines[stream].push_back(ServiceLine(stream, service, symbol, true));
}

void CBrokerSession::Unsubscribe(const CString& symbol, int service)
{
    if (service < 0 || service >= kServiceCount)
        return;
    std::lock_guard<std::mutex> lock(m_subLock);
    if (!m_subscriptions.Remove(symbol, service))
        return;
    const int stream = StreamOfService(service);
    if (m_bLinesWanted[stream])
        m_pendingLines[stream].push_back(ServiceLine(stream, service, symbol, false));
}

void CBrokerSession::StartStreamsAndWorkers()
{
    std::lock_guard<std::mutex> threads(m_threadLock);
    if (m_bStop.load() || !m_bLoggedIn.load())
        return; // logged out meanwhile
    for (int i = 0; i < kStreamCount; ++i)
        if (!m_streamThreads[i].joinable() && m_connect)
            m_streamThreads[i] = std::thread([this, i] { StreamThread(i); });
    if (!m_requestThread.joinable())
        m_requestThread = std::thread([this] { RequestThread(); });
    if (!m_historyThread.joinable())
        m_historyThread = std::thread([this] { HistoryThread(); });
    if (!m_accountThread.joinable())
        m_accountThread = std::thread([this] { AccountThread(); });
    if (!m_watchlistThread.joinable())
        m_watchlistThread = std::thread([this] { WatchlistThread(); });
}

void CBrokerSession::StreamThread(int stream)
{
    qx::protocol::CStreamRecordParser parser;
    // A header declaring more than the largest record: what follows is no longer framed as
    // the server sent it, so the connection is made anew.
    bool broken = false;
    parser.SetDropHandler([this, stream, &broken](qx::protocol::DropReason reason, size_t bytes) {
        m_nDropped.fetch_add(1);
        Log("stream %d: dropped %zu bytes (%s)", stream, bytes, qx::protocol::DropReasonText(reason));
        if (reason == qx::protocol::DropReason::Oversized)
            broken = true;
    });
    std::vector<char> buffer(64 * 1024);
    std::vector<std::unique_ptr<CSessionMessage>> messages;
    bool everConnected = false;
    while (!m_bStop.load()) {
        CString host;
        int port = 0;
        {
            std::lock_guard<std::mutex> lock(m_stateLock);
            host = m_streamHost;
            port = m_streamPort;
        }
        std::unique_ptr<IStreamConnection> connection = m_connect();
        std::string error;
        if (!connection || !connection->Connect(host.str(), port, error)) {
            Log("stream %d: cannot connect to %s:%d: %s", stream, host.GetString(), port, error.c_str());
            if (!Sleep(m_config.retryMs))
                break;
            continue;
        }
        std::vector<std::string> first;
        {
            // Login and every current subscription; later changes queue behind them.
            std::lock_guard<std::mutex> lock(m_subLock);
            first = LoginLines(stream);
            m_pendingLines[stream].clear();
            m_bLinesWanted[stream] = true;
        }
        parser.Reset();
        broken = false;
        bool ok = true;
        bool loggedIn = false;
        for (const std::string& line : first)
            ok = ok && connection->SendAll(line);
        // The server sends a heartbeat every second: a connection that brings no whole record
        // for the silence time is stalled and is made anew. A record under way has that time
        // from its own first bytes, not from the record before it: on a slow link the largest
        // one takes seconds, and the heartbeats wait behind it. Further bytes do not extend
        // it: those of a record that never ends (heartbeats and quotes swallowed by its
        // declared length) keep flowing while nothing reaches the stores.
        const std::chrono::milliseconds silence(m_config.streamSilenceMs);
        auto lastRecord = std::chrono::steady_clock::now();
        auto recordStart = lastRecord; // first bytes of the record under way
        const auto waitingSince = [&] { return parser.Buffered() > 0 ? recordStart : lastRecord; };
        while (ok && !m_bStop.load()) {
            std::vector<std::string> lines;
            {
                std::lock_guard<std::mutex> lock(m_subLock);
                lines.swap(m_pendingLines[stream]);
            }
            for (const std::string& line : lines)
                ok = ok && connection->SendAll(line);
            if (!ok)
                break;
            const long n = connection->Receive(buffer.data(), buffer.size(), 100);
            if (n < 0)
                break;
            const auto now = std::chrono::steady_clock::now();
            if (n == 0 && now - waitingSince() < silence)
                continue;
            if (n > 0) {
                if (parser.Buffered() == 0)
                    recordStart = now;
                parser.Feed(buffer.data(), static_cast<size_t>(n));
            }
            qx::protocol::StreamRecord record;
            bool refused = false;
            bool whole = false;
            while (!refused && parser.Next(record) && !broken) {
                lastRecord = now;
                whole = true;
                // Data again (the login's own status answer is not yet data).
                if (!std::holds_alternative<qx::protocol::StatusRecord>(record.body))
                    SetStreamStalled(stream, false);
                if (const auto* beat = std::get_if<qx::protocol::HeartbeatRecord>(&record.body)) {
                    UpdateClock(beat->serverTimeMs, "heartbeat");
                    continue;
                }
                if (const auto* status = std::get_if<qx::protocol::StatusRecord>(&record.body)) {
                    if (status->code == static_cast<uint16_t>(qx::protocol::StatusCode::LoggedIn)) {
                        loggedIn = true;
                        m_bConnected[stream] = true;
                        m_nConnects[stream].fetch_add(1);
                        everConnected = true;
                        auto state = std::make_unique<CStreamStateMessage>();
                        state->m_nStream = stream;
                        state->m_bConnected = true;
                        m_queue.Post(std::move(state));
                    } else {
                        Log("stream %d: status %u %s", stream, status->code, status->text.c_str());
                        std::string unknown;
                        if (qx::protocol::ParseUnknownSymbol(*status, unknown)) {
                            auto refusal = std::make_unique<CSymbolRefusedMessage>();
                            refusal->m_symbol = CString(unknown);
                            refusal->m_text = CString(status->text);
                            m_queue.Post(std::move(refusal));
                        }
                        if (status->code == static_cast<uint16_t>(qx::protocol::StatusCode::LoginRefused)) {
                            // The token is the session's: the server no longer knows the session.
                            OnSessionRefused(kSessionEndedText);
                            refused = true;
                        }
                    }
                    continue;
                }
                if (const auto* activity = std::get_if<qx::protocol::AccountActivityRecord>(&record.body)) {
                    using qx::protocol::ActivityKind;
                    if (activity->kind == static_cast<uint8_t>(ActivityKind::WatchlistsChanged))
                        WakeWatchlistRefresh();
                    else
                        WakeAccountRefresh();
                }
                messages.clear();
                TranslateStreamRecord(record, messages);
                for (auto& message : messages)
                    m_queue.Post(std::move(message));
            }
            // The bytes left behind a whole record came with this read: the next one begins now.
            if (whole)
                recordStart = now;
            if (refused)
                break;
            if (broken) {
                Log("stream %d: a record header declares more than the largest record, reconnecting", stream);
                SetStreamStalled(stream, true, "The stream server sent a broken record; reconnecting.");
                break;
            }
            if (now - waitingSince() >= silence) {
                const int seconds = (m_config.streamSilenceMs + 999) / 1000;
                CString text;
                if (parser.Buffered() > 0) {
                    // The record under way was not whole within the time from its first bytes.
                    Log("stream %d: a record not whole %d s after its first bytes (%zu bytes of an unfinished "
                        "record), reconnecting",
                        stream, seconds, parser.Buffered());
                    text.Format("A record from the stream server did not arrive within %d seconds; reconnecting.",
                                seconds);
                } else {
                    Log("stream %d: no record for %d s, reconnecting", stream, seconds);
                    text.Format("No data from the stream server for %d seconds; reconnecting.", seconds);
                }
                SetStreamStalled(stream, true, text);
                break;
            }
        }
        connection->Close();
        {
            std::lock_guard<std::mutex> lock(m_subLock);
            m_bLinesWanted[stream] = false;
            m_pendingLines[stream].clear();
        }
        if (m_bConnected[stream].exchange(false) || !everConnected) {
            auto state = std::make_unique<CStreamStateMessage>();
            state->m_nStream = stream;
            state->m_bConnected = false;
            state->m_bClosed = m_requests.IsClosed();
            m_queue.Post(std::move(state));
        }
        if (!m_bStop.load())
            Log("stream %d: connection lost, reconnecting", stream);
        // A connection that worked is made anew at once; one that never logged in waits.
        if (!Sleep(loggedIn ? std::min(m_config.retryMs, 250) : m_config.retryMs))
            break;
    }
    if (m_requests.IsClosed())
        Log("stream %d: closed", stream);
    // Stopped: an outage of this stream no longer counts.
    std::lock_guard<std::mutex> lock(m_stallLock);
    if (m_bStalled[stream]) {
        m_bStalled[stream] = false;
        --m_nStalledStreams;
    }
}

void CBrokerSession::SetStreamStalled(int stream, bool stalled, const CString& why)
{
    CString text;
    {
        std::lock_guard<std::mutex> lock(m_stallLock);
        if (m_bStalled[stream] == stalled)
            return;
        m_bStalled[stream] = stalled;
        m_nStalledStreams += stalled ? 1 : -1;
        // One message when the first stream stalls, one when the last flows again.
        if (stalled && m_nStalledStreams == 1)
            text = why;
        else if (!stalled && m_nStalledStreams == 0)
            text = "Data from the stream server flows again.";
    }
    if (!text.IsEmpty())
        PostStatusText(text);
}

// ---------------------------------------------------------------- request loop (news, option chains)

DWORD CBrokerSession::RequestOptionChain(const COptionChainRequest& request)
{
    CChainCall call;
    if (!request.symbolSet.IsEmpty()) {
        call.symbolSet = true;
        call.keys = {{"name", request.symbolSet}};
    } else {
        call.keys = {{"symbol", request.underlying}, {"type", request.chainType}, {"range", request.range},
                     {"expire", request.expiration}, {"strike", request.strike},
                     {"alloptions", request.allOptions ? "1" : "0"}, {"interval", request.interval}};
    }
    DWORD id;
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        id = m_nNextChainId++;
        call.id = id;
        m_chainRequests.push_back(std::move(call));
    }
    m_workReady.notify_all();
    return id;
}

void CBrokerSession::RequestNewsHistory(const CString& key)
{
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        m_newsRequests.push_back(key);
    }
    m_workReady.notify_all();
}

void CBrokerSession::RequestThread()
{
    for (;;) {
        CString news;
        CChainCall chain;
        bool haveNews = false, haveChain = false;
        {
            std::unique_lock<std::mutex> lock(m_workLock);
            m_workReady.wait(lock, [this] { return m_bStop.load() || !m_newsRequests.empty() || !m_chainRequests.empty(); });
            if (m_bStop.load())
                return;
            if (!m_newsRequests.empty()) {
                news = m_newsRequests.front();
                m_newsRequests.pop_front();
                haveNews = true;
            } else {
                chain = std::move(m_chainRequests.front());
                m_chainRequests.pop_front();
                haveChain = true;
            }
        }
        std::string reply;
        CString error;
        if (haveNews) {
            auto message = std::make_unique<CNewsMessage>();
            if (CallApi("NewsHistory", {{"symbol", news}, {"count", "50"}}, reply, error) && ParseNews(reply, *message)) {
                message->m_key = news;
                m_queue.Post(std::move(message));
            } else {
                Log("news history %s: %s", news.GetString(), error.GetString());
            }
        } else if (haveChain) {
            auto message = std::make_unique<COptionChainMessage>();
            message->m_nRequestId = chain.id;
            if (!CallApi(chain.symbolSet ? "IndustryGroup" : "OptionChain", chain.keys, reply, error) ||
                !(chain.symbolSet ? ParseIndustryGroup(reply, message->m_symbols)
                                  : ParseOptionChain(reply, message->m_underlying, message->m_symbols)))
                Log("%s: %s", chain.symbolSet ? "symbol set" : "option chain", error.GetString());
            m_queue.Post(std::move(message)); // an empty chain answers a failed request
        }
    }
}

// ---------------------------------------------------------------- history download

void CBrokerSession::QueueHistoryRequest(const CHistoryRequest& request)
{
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        m_historyRequests.push_back(request);
    }
    m_workReady.notify_all();
}

bool CBrokerSession::DownloadHistory(const CHistoryRequest& request, std::vector<CHistoryRow>& rows,
                                     std::optional<uint64_t>& asOf, CString& error)
{
    asOf.reset();
    static constexpr int kMaxBars = 20000;
    if (!m_pHttp) {
        error = "No connection to the broker.";
        return false;
    }
    CString key, cookie;
    {
        std::lock_guard<std::mutex> lock(m_stateLock);
        key = m_historyKey;
        cookie = m_cookie;
    }
    std::vector<CHistoryRow> collected;
    DWORD end = request.endFeedTime;
    // Newest chunk first; older chunks until the span's start is reached.
    for (int chunk = 0; chunk < 64; ++chunk) {
        CString query;
        query.Format("s=%s&i=%s&f=dtohlcv&e=%u&n=%d&b=%u&x=%d", UrlEncode(request.symbol),
                     request.daily ? "D" : "1", end, kMaxBars, request.startFeedTime, request.extended ? 1 : 0);
        if (!key.IsEmpty())
            query.AppendFormat("&k=%s", UrlEncode(key));
        CHttpExchange exchange;
        exchange.url = m_config.historyServer.str() + "/history?" + query.str();
        if (!cookie.IsEmpty())
            exchange.cookieHeader = "KELVTRADING=" + cookie.str();
        const CRequestGate::CPass pass = m_requests.Enter();
        if (!pass) {
            error = kLoggedOutText;
            return false;
        }
        if (!m_pHttp->Perform(exchange)) {
            error = DescribeTransportFailure(exchange);
            Log("history %s: %s", request.symbol.GetString(), exchange.error.c_str());
            return false;
        }
        if (exchange.status < 200 || exchange.status > 299) {
            Log("history %s: HTTP status %d", request.symbol.GetString(), exchange.status);
            error = DescribeHttpStatus(exchange);
            return false;
        }
        // Every line ends with its terminator: a body without one was cut short.
        if (!exchange.response.empty() && exchange.response.back() != '\n') {
            error = "The history reply was cut short.";
            return false;
        }
        std::vector<qx::protocol::HistoryBar> bars;
        std::string parseError;
        if (!qx::protocol::ParseHistoryReply(exchange.response, qx::protocol::kDefaultHistoryFields, bars, parseError)) {
            error = CString(parseError.empty() ? std::string("Malformed history reply.") : parseError);
            return false;
        }
        if (chunk == 0) {
            // The newest chunk holds today: its mark tells which live trades the rows hold.
            for (const auto& [name, value] : exchange.headers) {
                uint64_t mark = 0;
                if (CString(name).CompareNoCase(CString(qx::protocol::kHistoryAsOfHeader)) == 0 &&
                    qx::protocol::ParseHistoryAsOf(value, mark))
                    asOf = mark;
            }
        }
        std::vector<CHistoryRow> part;
        part.reserve(bars.size());
        for (const auto& bar : bars)
            if (bar.feedTime >= request.startFeedTime && bar.feedTime <= request.endFeedTime)
                part.push_back({bar.feedTime, bar.open, bar.high, bar.low, bar.close, bar.volume});
        collected.insert(collected.begin(), part.begin(), part.end());
        if (static_cast<int>(bars.size()) < kMaxBars || bars.empty() || bars.front().feedTime <= request.startFeedTime)
            break;
        end = bars.front().feedTime - 1;
    }
    rows = std::move(collected);
    return true;
}

void CBrokerSession::HistoryThread()
{
    for (;;) {
        CHistoryRequest request;
        {
            std::unique_lock<std::mutex> lock(m_workLock);
            m_workReady.wait(lock, [this] { return m_bStop.load() || !m_historyRequests.empty(); });
            if (m_bStop.load())
                return;
            request = m_historyRequests.front();
            m_historyRequests.pop_front();
        }
        auto message = std::make_unique<CHistoryMessage>();
        message->m_symbol = request.symbol;
        message->m_bDaily = request.daily;
        message->m_nRequestId = request.id;
        CString error;
        if (!DownloadHistory(request, message->m_rows, message->m_asOf, error)) {
            message->m_bFailed = true;
            message->m_asOf.reset();
            Log("history %s: %s", request.symbol.GetString(), error.GetString());
            PostStatusText("No price history for " + request.symbol + ": " + error);
        }
        m_queue.Post(std::move(message));
    }
}

// ---------------------------------------------------------------- account and watch-list refresh

void CBrokerSession::WakeAccountRefresh()
{
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        m_bAccountWanted = true;
    }
    m_workReady.notify_all();
}

void CBrokerSession::WakeWatchlistRefresh()
{
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        m_bWatchlistWanted = true;
    }
    m_workReady.notify_all();
}

void CBrokerSession::RefreshAccountData()
{
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        m_bAccountWanted = true;
        m_bWatchlistWanted = true;
        m_accountReport = ERefreshReport::Asked;
        m_watchlistReport = ERefreshReport::Asked;
    }
    m_workReady.notify_all();
}

bool CBrokerSession::StartReportedPass(ERefreshReport& report)
{
    if (report != ERefreshReport::Asked)
        return false;
    report = ERefreshReport::Running;
    return true;
}

void CBrokerSession::EndReportedPass(ERefreshReport& report)
{
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        // Asked again while the pass ran: the next pass answers.
        if (report != ERefreshReport::Running)
            return;
        report = ERefreshReport::None;
        if (m_accountReport != ERefreshReport::None || m_watchlistReport != ERefreshReport::None)
            return;
    }
    m_queue.Post(std::make_unique<CAccountRefreshedMessage>());
}

void CBrokerSession::SetLiveOrders(bool live)
{
    {
        std::lock_guard<std::mutex> lock(m_workLock);
        m_bLiveOrders = live;
        m_bAccountWanted = true;
    }
    m_workReady.notify_all();
}

void CBrokerSession::RefreshAccount()
{
    const CString account = GetCurrentAccount();
    if (account.IsEmpty())
        return;
    std::string reply;
    CString error;
    auto positions = std::make_unique<CPositionsMessage>();
    auto balances = std::make_unique<CBalancesMessage>();
    if (CallApi("BalancesAndPositions", {{"accountid", account}}, reply, error) &&
        ParseBalancesAndPositions(reply, balances->m_records, positions->m_records)) {
        m_queue.Post(std::move(positions));
        m_queue.Post(std::move(balances));
    }
    auto orders = std::make_unique<COrderStatusMessage>();
    if (CallApi("OrderStatus", {{"accountid", account}}, reply, error) && ParseOrders(reply, orders->m_records)) {
        RememberOrders(account, orders->m_records);
        m_queue.Post(std::move(orders));
    }
    auto saved = std::make_unique<CSavedOrdersMessage>();
    if (CallApi("SavedOrders", {{"accountid", account}}, reply, error) && ParseSavedOrders(reply, saved->m_records))
        m_queue.Post(std::move(saved));
}

void CBrokerSession::AccountThread()
{
    bool first = true;
    for (;;) {
        bool reported = false;
        {
            std::unique_lock<std::mutex> lock(m_workLock);
            const int interval = m_bLiveOrders ? std::min(m_config.accountRefreshMs, 5000) : m_config.accountRefreshMs;
            if (!first)
                m_workReady.wait_for(lock, std::chrono::milliseconds(interval),
                                     [this] { return m_bStop.load() || m_bAccountWanted; });
            if (m_bStop.load())
                return;
            m_bAccountWanted = false;
            reported = StartReportedPass(m_accountReport);
        }
        first = false;
        RefreshAccount();
        if (reported)
            EndReportedPass(m_accountReport);
    }
}

void CBrokerSession::RefreshWatchlists()
{
    std::string reply;
    CString error;
    auto lists = std::make_unique<CWatchlistsMessage>();
    if (CallApi("GetWatchlists", {}, reply, error) && ParseWatchlists(reply, lists->m_records))
        m_queue.Post(std::move(lists));
}

void CBrokerSession::WatchlistThread()
{
    bool first = true;
    for (;;) {
        bool reported = false;
        {
            std::unique_lock<std::mutex> lock(m_workLock);
            if (!first)
                m_workReady.wait_for(lock, std::chrono::milliseconds(m_config.watchlistRefreshMs),
                                     [this] { return m_bStop.load() || m_bWatchlistWanted; });
            if (m_bStop.load())
                return;
            m_bWatchlistWanted = false;
            reported = StartReportedPass(m_watchlistReport);
        }
        first = false;
        RefreshWatchlists();
        if (reported)
            EndReportedPass(m_watchlistReport);
    }
}

bool CBrokerSession::SaveWatchlist(const CWatchlistRecord& list, int create, CString& error, CString* savedId)
{
    error.Empty();
    CString items;
    for (const CWatchedSymbol& s : list.symbols) {
        // The separators of the symbol list would split the item.
        if (s.symbol.FindOneOf(",|") >= 0 || s.purchaseDate.FindOneOf(",|") >= 0) {
            error = "Invalid symbol: " + s.symbol;
            return false;
        }
        if (!items.IsEmpty())
            items += ",";
        items.AppendFormat("%s|%s|%s|%s|%s", s.symbol, FormatDouble(s.quantity), FormatDouble(s.price),
                           FormatDouble(s.commission), s.purchaseDate);
    }
    std::string reply;
    const bool ok = create ? CallApi("CreateWatchlist", {{"name", list.name}, {"symbollist", items}}, reply, error)
                           : CallApi("EditWatchlist", {{"listid", list.listId}, {"name", list.name}, {"symbollist", items}},
                                     reply, error);
    if (ok && savedId) {
        CString id;
        *savedId = ParseSavedWatchlistId(reply, id) ? id : (create ? CString() : list.listId);
    }
    if (ok)
        WakeWatchlistRefresh();
    return ok;
}

bool CBrokerSession::DeleteWatchlist(const CString& listId, CString& error)
{
    std::string reply;
    const bool ok = CallApi("DeleteWatchlist", {{"listid", listId}}, reply, error);
    if (ok)
        WakeWatchlistRefresh();
    return ok;
}

// ---------------------------------------------------------------- orders

bool CBrokerSession::SubmitOrder(const std::vector<COrderLeg>& legs, int securityKind, int conditionalType, int place,
                                 const char* sourceTag, const CString& accountNumber, CString& error)
{
    error = CheckOrderRequestLegs(legs, securityKind);
    if (!error.IsEmpty()) {
        Log("order refused before sending: %s", error.GetString());
        return false;
    }
    const CString name = OrderRequestName(securityKind, conditionalType, place != 0);
    const CString order = BuildOrderString(legs, securityKind, conditionalType, accountNumber);
    const CString account = accountNumber.IsEmpty() ? GetCurrentAccount() : accountNumber;
    // The orders there were before, as last read, so a lost reply can be told from an order
    // not placed; the request is not held up to read them now.
    std::set<std::string> before;
    const bool known = place && KnownOrders(account, before);
    std::string reply;
    ECallFailure failure = ECallFailure::None;
    bool ok = CallApi(name, {{"orderstring", order}}, reply, error, sourceTag, false, nullptr, &failure);
    if (ok && CountPlacedOrders(reply) == 0) {
        // OK without the order: nothing says it was placed.
        Log("order reply names no order");
        ok = false;
        failure = ECallFailure::Unclear;
    }
    if (ok && place)
        RememberOrderIds(account, PlacedOrderIds(reply));
    if (!ok && place && failure == ECallFailure::Unclear) {
        const EOrderCheck check =
            known ? FindNewOrder(account, before, legs.front(), securityKind) : EOrderCheck::Unknown;
        if (check == EOrderCheck::Found) {
            Log("order reply lost; the order is in the order list");
            error.Empty();
            ok = true;
        } else {
            Log("order reply lost; the order is %s", check == EOrderCheck::NotFound ? "not in the order list"
                                                     : known ? "not told apart from others"
                                                             : "unknown (no earlier order list)");
            error = "The broker's answer to this order was lost, so it is not known whether the order was placed. "
                    "Check the Order Status window before sending it again.";
        }
    }
    WakeAccountRefresh(); // placed orders, and saved orders after a save, come back with the refresh
    return ok;
}

void CBrokerSession::RememberOrders(const CString& account, const std::vector<COrderStatusRecord>& orders)
{
    std::vector<CString> ids;
    ids.reserve(orders.size());
    for (const COrderStatusRecord& o : orders)
        ids.push_back(o.m_fields[COrderStatusRecord::kOrderId]);
    RememberOrderIds(account, ids);
}

void CBrokerSession::RememberOrderIds(const CString& account, const std::vector<CString>& ids)
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    std::set<std::string>& known = m_knownOrders[account.str()];
    for (const CString& id : ids)
        known.insert(id.str());
}

bool CBrokerSession::KnownOrders(const CString& account, std::set<std::string>& ids) const
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    const auto it = m_knownOrders.find(account.str());
    if (it == m_knownOrders.end())
        return false;
    ids = it->second;
    return true;
}

bool CBrokerSession::FetchOrders(const CString& account, std::vector<COrderStatusRecord>& orders)
{
    orders.clear();
    if (account.IsEmpty())
        return false;
    std::string reply;
    CString error;
    if (!CallApi("OrderStatus", {{"accountid", account}}, reply, error) || !ParseOrders(reply, orders))
        return false;
    RememberOrders(account, orders);
    return true;
}

CBrokerSession::EOrderCheck CBrokerSession::FindNewOrder(const CString& account, const std::set<std::string>& before,
                                                         const COrderLeg& leg, int securityKind)
{
    // The broker may list the order a moment after it answered.
    for (int tries = 0; tries < 3; ++tries) {
        if (tries && !Sleep(500))
            return EOrderCheck::Unknown;
        std::vector<COrderStatusRecord> orders;
        if (!FetchOrders(account, orders))
            continue;
        int matches = 0;
        for (const COrderStatusRecord& o : orders)
            if (!before.contains(o.m_fields[COrderStatusRecord::kOrderId].str()) &&
                OrderMatchesLeg(o, leg, securityKind))
                ++matches;
        if (matches > 1)
            return EOrderCheck::Unknown; // another order just like it: which one is ours is not known
        if (matches == 1)
            return EOrderCheck::Found;
        if (tries == 2)
            return EOrderCheck::NotFound;
    }
    return EOrderCheck::Unknown;
}

bool CBrokerSession::EditOrder(const COrderLeg& record, int securityKind, void* ownerWindow, CString& error)
{
    error.Empty();
    if (record.orderId.IsEmpty()) {
        error = "Invalid order id: ";
        return false;
    }
    error = CheckOrderLegFields(record, securityKind);
    if (!error.IsEmpty()) {
        Log("order change refused before sending: %s", error.GetString());
        return false;
    }
    const CString account = GetCurrentAccount();
    bool express = false;
    for (const CAccountInfo& info : GetAccounts())
        if (info.number == account)
            express = info.express;
    if (m_pConfirm && m_pConfirm->OrderConfirmationEnabled() && !express &&
        !m_pConfirm->Confirm("Update Order?", ownerWindow))
        return false;
    std::string reply;
    const bool ok = CallApi("EditOrder", {{"orderstring", BuildEditOrderString(record, account)}}, reply, error,
                            "Quorvantelix");
    WakeAccountRefresh();
    return ok;
}

bool CBrokerSession::CancelOrders(const std::vector<CString>& orderIds, CString& error)
{
    error.Empty();
    if (orderIds.empty())
        return true;
    CString question;
    question.Format("Cancel order%s?", orderIds.size() > 1 ? "s" : "");
    if (m_pConfirm && !m_pConfirm->Confirm(question, nullptr))
        return false;
    Keys keys = {{"accountid", GetCurrentAccount()}};
    for (const CString& id : orderIds)
        keys.emplace_back("orderid", id);
    std::string reply;
    bool ok = CallApi("CancelOrder", keys, reply, error);
    if (ok)
        ParseItemResults(reply, error);
    WakeAccountRefresh();
    return ok && error.IsEmpty();
}

bool CBrokerSession::DeleteSavedOrders(const std::vector<CString>& orderIds, CString& error)
{
    error.Empty();
    if (orderIds.empty())
        return true;
    Keys keys = {{"accountid", GetCurrentAccount()}};
    for (const CString& id : orderIds)
        keys.emplace_back("orderid", id);
    std::string reply;
    bool ok = CallApi("DeleteSavedOrder", keys, reply, error);
    if (ok)
        ParseItemResults(reply, error);
    WakeAccountRefresh();
    return ok && error.IsEmpty();
}
