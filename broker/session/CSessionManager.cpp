#include "broker/session/CSessionManager.h"

#include "broker/core/ExchangeTime.h"
#include "broker/core/SymbolText.h"
#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/PriceSeriesHooks.h"

#include <atomic>
#include <chrono>
#include <ctime>

namespace {
std::atomic<CSessionManager*> g_instance{nullptr};
}

CSessionManager* CSessionManager::Instance()
{
    return g_instance.load();
}

void CSessionManager::Install(CSessionManager* manager)
{
    g_instance = manager;
}

CSessionManager::CSessionManager(const CString& workingDirectory, const CSessionConfig& config, IHttpTransport* http,
                                 StreamConnectionFactory connect)
    : m_workingDirectory(workingDirectory),
      m_session(std::make_unique<CBrokerSession>(config, http, connect)),
      m_quotes(m_session.get()),
      m_depth(m_session.get()),
      m_history(m_session.get()),
      m_news(m_session.get()),
      m_dispatcher(m_session->GetQueue(), *this)
{
    CString path = workingDirectory;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != '/')
        path += "/";
    path += "Sessions.dat";
    if (!m_calendar.Load(path))
        m_session->Log("trading sessions: %s", m_calendar.GetErrors().empty() ? "no rule set"
                                                                              : m_calendar.GetErrors().front().c_str());
    m_quotes.SetCalendar(&m_calendar);
    m_accountData.SetLiveOrdersCallback([this](bool live) { m_session->SetLiveOrders(live); });
}

CSessionManager::~CSessionManager()
{
    if (g_instance.load() == this)
        g_instance = nullptr;
    m_dispatcher.Stop(); // first, so nothing starts session threads any more
    m_session->Stop();
}

void CSessionManager::SetStatusWindow(ISessionStatusSink* sink)
{
    // Waits for a status being delivered, so the old sink hears nothing after this returns.
    std::lock_guard<std::recursive_mutex> lock(m_sinkLock);
    m_pStatusSink = sink;
}

void CSessionManager::SendStatus(const CSessionStatus& status)
{
    std::lock_guard<std::recursive_mutex> lock(m_sinkLock);
    if (m_pStatusSink)
        m_pStatusSink->OnSessionStatus(WM_SESSION_STATUS, status);
}

bool CSessionManager::StartLogin(const CString& user, const CString& password)
{
    CSessionStatus status;
    status.code = kStatusStart;
    SendStatus(status);
    m_dispatcher.Start();
    return m_session->StartLogin(user, password);
}

void CSessionManager::LogOut()
{
    m_session->LogOut();
    std::lock_guard<std::mutex> lock(m_lock);
    m_bLoggedIn = false;
    // The next login's streams are no return from an outage: nothing to backfill.
    m_bEverConnected = false;
}

bool CSessionManager::IsLoggedIn() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_bLoggedIn;
}

bool CSessionManager::IsStreamConnected(int stream) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return stream >= 0 && stream < CBrokerSession::kStreamCount && m_bConnected[stream];
}

std::vector<CAccountInfo> CSessionManager::GetAccounts() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_accounts;
}

int64_t CSessionManager::GetClockOffsetSeconds() const
{
    return m_session->GetClockOffsetMs() / 1000;
}

int64_t CSessionManager::GetServerTimeSeconds() const
{
    // Whole seconds only at the end: the local clock's fraction and the offset's cut off
    // one by one put the server's time up to two seconds behind (a trade made then fell
    // into a bar this clock had not reached).
    const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count() +
                       m_session->GetClockOffsetMs();
    return ms >= 0 ? ms / 1000 : -((999 - ms) / 1000);
}

void CSessionManager::GetDaylightBounds(int64_t& startUtc, int64_t& endUtc) const
{
    const time_t now = static_cast<time_t>(GetServerTimeSeconds());
    std::tm tm{};
    gmtime_r(&now, &tm);
    ExchangeDaylightBounds(tm.tm_year + 1900, startUtc, endUtc);
}

void CSessionManager::GetExchangeTime(SYSTEMTIME& out) const
{
    ExchangeSystemTime(GetServerTimeSeconds(), out);
}

CTime CSessionManager::GetExchangeCTime() const
{
    return CTime(GetServerTimeSeconds());
}

SYSTEMTIME CSessionManager::GetCurrentExchangeTime()
{
    SYSTEMTIME now{};
    if (const CSessionManager* manager = Instance())
        manager->GetExchangeTime(now);
    else
        ExchangeSystemTime(static_cast<int64_t>(time(nullptr)), now);
    return now;
}

CPriceSeries* CSessionManager::CreatePriceSeries(const char* key, DWORD context)
{
    const auto& hooks = GetPriceSeriesHooks();
    return hooks.create && key ? hooks.create(key, context) : nullptr;
}

void CSessionManager::DeletePriceSeries(CPriceSeries* series)
{
    const auto& hooks = GetPriceSeriesHooks();
    if (series && hooks.destroy)
        hooks.destroy(series);
}

CSymbolHandle* CSessionManager::CreateSymbolHandle(const char* symbol)
{
    const CString normal = NormalizeSymbol(symbol ? symbol : "");
    if (normal.IsEmpty())
        return nullptr;
    return std::make_unique<CSymbolHandle>(m_quotes, normal).release(); // owned by the caller
}

void CSessionManager::DeleteSymbolHandle(CSymbolHandle* handle)
{
    std::unique_ptr<CSymbolHandle> owned(handle); // unregisters in its destructor
}

CMarketDepthHandle* CSessionManager::CreateMarketDepthHandle(const char* text)
{
    if (!text || !*text)
        return nullptr;
    return std::make_unique<CMarketDepthHandle>(m_depth, m_quotes, CString(text)).release();
}

void CSessionManager::DeleteMarketDepthHandle(CMarketDepthHandle* handle)
{
    std::unique_ptr<CMarketDepthHandle> owned(handle);
}

OptionChainSet* CSessionManager::CreateOptionChainSet(const char* definition)
{
    const auto& hooks = GetOptionChainHooks();
    return hooks.create && definition ? hooks.create(definition) : nullptr;
}

void CSessionManager::DeleteOptionChainSet(OptionChainSet* set)
{
    const auto& hooks = GetOptionChainHooks();
    if (set && hooks.destroy)
        hooks.destroy(set);
}

void CSessionManager::SetOrderFillHandler(std::function<void(const COrderFillMessage&)> handler)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_orderFillHandler = std::move(handler);
}

void CSessionManager::ApplyMessage(CSessionMessage& message)
{
    switch (message.m_nCode) {
    case kMsgQuote:
        m_quotes.ApplyQuote(static_cast<CQuoteMessage&>(message));
        break;
    case kMsgTrade:
        m_quotes.ApplyTrade(static_cast<CTradeMessage&>(message));
        break;
    case kMsgActives:
        m_quotes.ApplyActives(static_cast<CActivesMessage&>(message));
        break;
    case kMsgOptionChain:
        m_quotes.ApplyOptionChain(static_cast<COptionChainMessage&>(message));
        break;
    case kMsgSymbolRefused:
        m_quotes.ApplyRefusal(static_cast<CSymbolRefusedMessage&>(message));
        break;
    case kMsgHistory: {
        // Series are called under the quote store's lock first, then the history cache's: a
        // series hearing a quote may ask for history, and one taking history reads its quote.
        std::lock_guard<std::recursive_mutex> quotes(m_quotes.GetLock());
        m_history.ApplyHistory(static_cast<CHistoryMessage&>(message));
        break;
    }
    case kMsgBook:
        m_depth.ApplyMessage(static_cast<CBookMessage&>(message));
        break;
    case kMsgNews:
        m_news.DispatchNews(static_cast<CNewsMessage&>(message));
        break;
    case kMsgPositions:
    case kMsgBalances:
    case kMsgOrderStatus:
    case kMsgSavedOrders:
    case kMsgWatchlists:
        m_accountData.ApplyMessage(message);
        break;
    case kMsgLoginResult: {
        auto& result = static_cast<CLoginResultMessage&>(message);
        {
            // Checked and set together: LogOut cancels the attempt before it clears the flag.
            std::lock_guard<std::mutex> lock(m_lock);
            if (!m_session->IsCurrentLogin(result.m_nLogin))
                break; // from an attempt cancelled or replaced since
            m_bLoggedIn = result.m_bSuccess;
        }
        if (result.m_bSuccess)
            m_session->StartStreamsAndWorkers();
        CSessionStatus status;
        status.code = kStatusLoginResult;
        status.success = result.m_bSuccess;
        status.text = result.m_error;
        SendStatus(status);
        break;
    }
    case kMsgStreamState: {
        auto& state = static_cast<CStreamStateMessage&>(message);
        bool restored = false;
        if (state.m_nStream >= 0 && state.m_nStream < CBrokerSession::kStreamCount) {
            std::lock_guard<std::mutex> lock(m_lock);
            m_bConnected[state.m_nStream] = state.m_bConnected;
            // (A connection reported after a log out belongs to the ended session.)
            if (state.m_nStream == CBrokerSession::kStreamMarketData && state.m_bConnected && m_bLoggedIn) {
                restored = m_bEverConnected;
                m_bEverConnected = true;
            }
        }
        // Trades made while the stream was down reach the bars through history.
        if (restored)
            m_quotes.OnStreamRestored();
        if (state.m_bClosed)
            break; // the log-out closed it: nothing was lost
        CSessionStatus status;
        status.code = state.m_bConnected ? kStatusConnected : kStatusConnectionLost;
        status.stream = state.m_nStream;
        SendStatus(status);
        break;
    }
    case kMsgAccountList: {
        auto& list = static_cast<CAccountListMessage&>(message);
        CSessionStatus status;
        status.code = kStatusAccountList;
        status.accounts = list.m_accounts;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_accounts = std::move(list.m_accounts);
        }
        SendStatus(status);
        break;
    }
    case kMsgWebUpdate: {
        auto& updates = static_cast<CWebUpdateMessage&>(message);
        CSessionStatus status;
        status.code = kStatusWebUpdates;
        status.updates = updates.m_updates;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_updates = std::move(updates.m_updates);
        }
        SendStatus(status);
        break;
    }
    case kMsgSessionLost: {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_bLoggedIn = false;
            for (bool& connected : m_bConnected)
                connected = false;
        }
        CSessionStatus status;
        status.code = kStatusSessionLost;
        status.text = static_cast<CSessionLostMessage&>(message).m_text;
        SendStatus(status);
        break;
    }
    case kMsgAccountRefreshed: {
        CSessionStatus status;
        status.code = kStatusAccountRefreshed;
        SendStatus(status);
        break;
    }
    case kMsgStatusText: {
        CSessionStatus status;
        status.code = kStatusText;
        status.text = static_cast<CStatusTextMessage&>(message).m_text;
        SendStatus(status);
        break;
    }
    case kMsgOrderFill: {
        std::function<void(const COrderFillMessage&)> handler;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            handler = m_orderFillHandler;
        }
        if (handler)
            handler(static_cast<COrderFillMessage&>(message));
        break;
    }
    default:
        break;
    }
}
