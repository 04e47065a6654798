// The broker session: login and keep-alive, stream connections, workers, subscriptions,
// request lists, the HTTPS API calls and the message queue.
#pragma once

#include "broker/session/AccountRecords.h"
#include "broker/session/CClockOffset.h"
#include "broker/session/CHistoryCache.h"
#include "broker/session/CLogRateLimiter.h"
#include "broker/session/COrderLeg.h"
#include "broker/session/COrderStatusRecord.h"
#include "broker/session/CRequestGate.h"
#include "broker/session/CSessionQueue.h"
#include "broker/session/CSubscriptionTable.h"
#include "broker/session/IHttpTransport.h"
#include "broker/session/IStreamConnection.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/IndustryGroup.h"
#include "broker/session/PriceSeriesHooks.h"
#include "broker/session/SessionConfig.h"
#include "platform/core/CString.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>


// Confirmations the session asks for (a window answers them; tests answer directly).
class IOrderConfirm {
public:
    virtual ~IOrderConfirm() = default;
    // Yes/No question; true for Yes.
    virtual bool Confirm(const CString& question, void* ownerWindow) = 0;
    // The order confirmation flag of the active trading-defaults row.
    virtual bool OrderConfirmationEnabled() = 0;
};

class CBrokerSession : public IStreamSubscriber, public IHistoryRequester {
public:
    enum EStream { kStreamMarketData = 0, kStreamAccount = 1, kStreamCommand = 2, kStreamCount = 3 };

    CBrokerSession(const CSessionConfig& config, IHttpTransport* http, StreamConnectionFactory connect);
    ~CBrokerSession() override;
    CBrokerSession(const CBrokerSession&) = delete;
    CBrokerSession& operator=(const CBrokerSession&) = delete;

    CSessionQueue& GetQueue() { return m_queue; }
    const CSessionConfig& GetConfig() const { return m_config; }

    // Starts a login thread; its result arrives as a code-0 message. False when logged in.
    // An unfinished earlier attempt is cancelled and ends in the background.
    bool StartLogin(const CString& user, const CString& password);
    // False for the result of a cancelled or superseded login attempt.
    bool IsCurrentLogin(uint64_t loginId) const;
    // Starts the stream threads and the workers; a thread is started only when its slot is empty.
    void StartStreamsAndWorkers();
    // Stops every thread and lets every request under way end, then ends the session on the
    // server: the streams close without a reconnect and no request follows the log-out (a
    // login still waiting for a reply is cancelled and ends by itself).
    void LogOut();
    void Stop();

    // IStreamSubscriber
    void Subscribe(const CString& symbol, int service) override;
    void Unsubscribe(const CString& symbol, int service) override;
    DWORD RequestOptionChain(const COptionChainRequest& request) override;
    void RequestNewsHistory(const CString& key) override;
    // IHistoryRequester
    void QueueHistoryRequest(const CHistoryRequest& request) override;

    int GetSubscriptionCount(const CString& symbol, int service) const
    {
        return m_subscriptions.GetCount(symbol, service);
    }

    bool GetSessionCookie(CString& cookie) const;
    void SetSessionCookie(const CString& cookie);

    void SetCurrentAccount(const CString& accountId);
    CString GetCurrentAccount() const;
    std::vector<CAccountInfo> GetAccounts() const;
    // Server clock minus ours, from heartbeats and keep-alives.
    int64_t GetClockOffsetMs() const { return m_clock.GetMs(); }
    bool IsLoggedIn() const { return m_bLoggedIn.load(); }
    bool IsStreamConnected(int stream) const;
    uint64_t GetKeepAliveCount() const { return m_nKeepAlives.load(); }
    uint64_t GetDroppedRecords() const { return m_nDropped.load(); }
    uint64_t GetConnectCount(int stream) const;
    // The broker's industry groups, read after login; false until a reply came.
    bool GetIndustryGroups(std::vector<CIndustryGroup>& groups) const;

    // Creates (create 1) or replaces the list on the server; a created list's id goes to
    // savedId. An item whose symbol or date holds "," or "|" cannot be sent and is
    // refused with "Invalid symbol: ..." before anything is sent.
    bool SaveWatchlist(const CWatchlistRecord& list, int create, CString& error, CString* savedId = nullptr);
    bool DeleteWatchlist(const CString& listId, CString& error);

    bool SubmitOrder(const std::vector<COrderLeg>& legs, int securityKind, int conditionalType, int place,
                     const char* sourceTag, const CString& accountNumber, CString& error);
    bool EditOrder(const COrderLeg& record, int securityKind, void* ownerWindow, CString& error);
    bool CancelOrders(const std::vector<CString>& orderIds, CString& error);
    bool DeleteSavedOrders(const std::vector<CString>& orderIds, CString& error);

    void SetConfirm(IOrderConfirm* confirm) { m_pConfirm = confirm; }
    // Where log lines go (the application log by default); they come redacted.
    void SetLogger(std::function<void(const char*)> logger);
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void WakeAccountRefresh();
    void WakeWatchlistRefresh();
    // Wakes both refreshes; once each has run a pass begun after the call, the lists it
    // fetched are followed by a CAccountRefreshedMessage.
    void RefreshAccountData();
    void SetLiveOrders(bool live);

private:
    using Keys = std::vector<std::pair<CString, CString>>;

    // How an API request failed, for callers that must know whether it may have had an effect.
    enum class ECallFailure {
        None,
        Refused, // the broker answered FAIL: nothing was done
        NotSent, // no connection was made
        Unclear  // the request may have reached the broker: its answer was lost or unreadable
    };

    // One login attempt: its thread and its own stop event.
    struct CLoginAttempt {
        uint64_t id = 0;
        std::atomic<bool> bStop{false};
        std::atomic<bool> bDone{false};
        std::thread thread;
    };
    using LoginAttemptPtr = std::unique_ptr<CLoginAttempt>;

    // One API request; false with the broker's error text, or the transport failure.
    // Cookies of a login attempt's request are kept only while that attempt is current.
    bool CallApi(const char* name, const Keys& keys, std::string& reply, CString& error,
                 const char* sourceTag = nullptr, bool post = false, const CLoginAttempt* attempt = nullptr,
                 ECallFailure* failure = nullptr);
    // Ends a broker session this client opened but will not use (a login that failed later).
    void CloseOpenedSession(const CString& sessionId);
    // The server no longer knows the session: stops every thread's retries and tells the user once.
    // A login attempt's keep-alive reports only while that attempt is current.
    void OnSessionRefused(const CString& text, const CLoginAttempt* attempt = nullptr);
    // A server time from a heartbeat or a reply.
    void UpdateClock(int64_t serverMs, const char* from);
    // Whether the account's order list holds exactly one order not in before that is the first
    // leg (symbol, side, quantity, type, prices, expiration); several such orders are Unknown.
    enum class EOrderCheck { Found, NotFound, Unknown };
    EOrderCheck FindNewOrder(const CString& account, const std::set<std::string>& before, const COrderLeg& leg,
                             int securityKind);
    bool FetchOrders(const CString& account, std::vector<COrderStatusRecord>& orders);
    // The order ids of the account seen in its order lists and order replies this session.
    void RememberOrders(const CString& account, const std::vector<COrderStatusRecord>& orders);
    void RememberOrderIds(const CString& account, const std::vector<CString>& ids);
    bool KnownOrders(const CString& account, std::set<std::string>& ids) const;
    void PostStatusText(const CString& text);

    void LoginThread(CLoginAttempt& attempt, const CString& user, const CString& password);
    // Posts a failed result unless the attempt was cancelled.
    void PostLoginFailure(const CLoginAttempt& attempt, const CString& error);
    // Waits up to ms or until the session or the attempt stops; false when stopping.
    bool LoginSleep(const CLoginAttempt& attempt, int ms);
    void CancelLogin(CLoginAttempt& attempt);
    // Stops and joins the threads; a cancelled login still in a request is joined only when asked.
    void StopThreads(bool waitForLogins);
    void StreamThread(int stream);
    // A stream's outage begins or ends; the user hears of the first stall and of the end of
    // the last one, once each.
    void SetStreamStalled(int stream, bool stalled, const CString& why = CString());
    void RequestThread();
    void HistoryThread();
    void AccountThread();
    void WatchlistThread();
    void RefreshAccount();
    void RefreshWatchlists();
    // A refresh worker's part of a RefreshAccountData: asked, then running in a pass.
    enum class ERefreshReport { None, Asked, Running };
    // Under m_workLock as a pass starts: whether the pass answers an asked report.
    static bool StartReportedPass(ERefreshReport& report);
    // After the pass: the message goes once the other worker's part is done too.
    void EndReportedPass(ERefreshReport& report);
    // asOf: the newest trade the rows hold, when the server named it.
    bool DownloadHistory(const CHistoryRequest& request, std::vector<CHistoryRow>& rows,
                         std::optional<uint64_t>& asOf, CString& error);

    // Waits up to ms or until Stop; false when stopping.
    bool Sleep(int ms);
    // The first request lines of a stream connection: login, then every current subscription.
    std::vector<std::string> LoginLines(int stream);
    std::string ServiceLine(int stream, int service, const CString& symbol, bool subscribe);
    static int StreamOfService(int service);

    CSessionConfig m_config;
    IHttpTransport* m_pHttp;
    StreamConnectionFactory m_connect;
    IOrderConfirm* m_pConfirm = nullptr;
    CSessionQueue m_queue;
    CSubscriptionTable m_subscriptions;

    mutable std::mutex m_stateLock; // cookie, accounts, streamer info, logger
    CString m_cookie;
    CString m_historyKey;
    CString m_streamHost;
    int m_streamPort = 0;
    CString m_streamToken;
    CString m_userId;
    CString m_currentAccount;
    std::vector<CAccountInfo> m_accounts;
    std::map<std::string, std::set<std::string>> m_knownOrders;
    bool m_bHaveIndustryGroups = false;
    std::vector<CIndustryGroup> m_industryGroups;
    std::function<void(const char*)> m_logger;

    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bLoggedIn{false};
    // Closed while the threads stop for a log-out or for good: the streams are closed then,
    // not lost.
    CRequestGate m_requests;
    CClockOffset m_clock;
    CLogRateLimiter m_logLimiter;
    std::atomic<uint64_t> m_nKeepAlives{0};
    std::atomic<uint64_t> m_nDropped{0};
    std::atomic<bool> m_bConnected[kStreamCount] = {};
    std::atomic<uint64_t> m_nConnects[kStreamCount] = {};
    std::mutex m_stallLock;
    bool m_bStalled[kStreamCount] = {};
    int m_nStalledStreams = 0;

    // Lines waiting for each connected stream; guarded with the subscription changes.
    std::mutex m_subLock;
    std::vector<std::string> m_pendingLines[kStreamCount];
    bool m_bLinesWanted[kStreamCount] = {};

    // Work lists and wake-ups of the workers.
    std::mutex m_workLock;
    std::condition_variable m_workReady;
    std::deque<CString> m_newsRequests;
    // An option chain or a symbol set asked for: request id, kind and the call's keys.
    struct CChainCall {
        DWORD id = 0;
        bool symbolSet = false;
        Keys keys;
    };
    std::deque<CChainCall> m_chainRequests;
    std::deque<CHistoryRequest> m_historyRequests;
    bool m_bAccountWanted = false;
    bool m_bWatchlistWanted = false;
    ERefreshReport m_accountReport = ERefreshReport::None;
    ERefreshReport m_watchlistReport = ERefreshReport::None;
    bool m_bLiveOrders = false;
    DWORD m_nNextChainId = 1;

    // Serializes StartLogin, LogOut and Stop, which join threads while holding it; no session
    // thread and not the dispatcher ever takes it.
    std::mutex m_controlLock;
    // The thread slots and the login attempts; held only briefly, never while joining.
    mutable std::mutex m_threadLock;
    LoginAttemptPtr m_login;
    std::vector<LoginAttemptPtr> m_retiredLogins; // cancelled, perhaps still in a request
    uint64_t m_nLastLoginId = 0;
    std::thread m_streamThreads[kStreamCount];
    std::thread m_requestThread;
    std::thread m_historyThread;
    std::thread m_accountThread;
    std::thread m_watchlistThread;
};
