// The process-wide root of live data: owns the calendar, the stores and the broker session,
// runs the dispatcher, and keeps the connection state, clock offset and account list.
#pragma once

#include "broker/session/CAccountDataStore.h"
#include "broker/session/CBrokerSession.h"
#include "broker/session/CHistoryCache.h"
#include "broker/session/CMarketCalendar.h"
#include "broker/session/CMarketDepthStore.h"
#include "broker/session/CNewsRegistry.h"
#include "broker/session/CQuoteStore.h"
#include "broker/session/CSessionDispatcher.h"
#include "broker/session/ISessionStatusSink.h"
#include "platform/core/CTime.h"
#include "platform/core/SystemTime.h"

#include <functional>
#include <memory>
#include <mutex>

class CSymbolHandle;
class CMarketDepthHandle;
class CPriceSeries;
class OptionChainSet;

class CSessionManager : public ISessionMessageHandler {
public:
    // workingDirectory holds "Sessions.dat"; http and connect may be null (no broker).
    CSessionManager(const CString& workingDirectory, const CSessionConfig& config, IHttpTransport* http,
                    StreamConnectionFactory connect);
    ~CSessionManager() override;
    CSessionManager(const CSessionManager&) = delete;
    CSessionManager& operator=(const CSessionManager&) = delete;

    // The process-wide manager; Install makes one the instance (the application does so at start).
    static CSessionManager* Instance();
    static void Install(CSessionManager* manager);

    CMarketCalendar& GetCalendar() { return m_calendar; }
    CQuoteStore& GetQuoteStore() { return m_quotes; }
    CMarketDepthStore& GetDepthStore() { return m_depth; }
    CHistoryCache& GetHistoryCache() { return m_history; }
    CBrokerSession& GetSession() { return *m_session; }
    CAccountDataStore& GetAccountData() { return m_accountData; }
    CNewsRegistry& GetNewsRegistry() { return m_news; }
    CSessionDispatcher& GetDispatcher() { return m_dispatcher; }
    const CString& GetWorkingDirectory() const { return m_workingDirectory; }

    // Status goes to this sink (the login status dialog, later the main frame); may be null.
    void SetStatusWindow(ISessionStatusSink* sink);
    // Starts the login thread and, once, the dispatcher; posts status code 0 first.
    bool StartLogin(const CString& user, const CString& password);
    void LogOut();

    bool IsLoggedIn() const;
    bool IsStreamConnected(int stream) const;
    std::vector<CAccountInfo> GetAccounts() const;
    int64_t GetClockOffsetSeconds() const;
    // The server's clock in whole UTC seconds: this clock to the millisecond with the offset.
    int64_t GetServerTimeSeconds() const;
    // This year's daylight-saving bounds (UTC seconds).
    void GetDaylightBounds(int64_t& startUtc, int64_t& endUtc) const;

    // The exchange's wall clock now, fields as they stand (no time zone of this computer).
    void GetExchangeTime(SYSTEMTIME& out) const;
    // The instant the exchange's clock stands at now (the server's clock); its wall-clock
    // fields come from ExchangeSystemTime or FormatExchangeTime, not from the local zone.
    CTime GetExchangeCTime() const;
    // The exchange's wall clock now: the installed manager's, else from this computer's clock.
    static SYSTEMTIME GetCurrentExchangeTime();

    CPriceSeries* CreatePriceSeries(const char* key, DWORD context);
    void DeletePriceSeries(CPriceSeries* series);
    CSymbolHandle* CreateSymbolHandle(const char* symbol);
    void DeleteSymbolHandle(CSymbolHandle* handle);
    CMarketDepthHandle* CreateMarketDepthHandle(const char* text);
    void DeleteMarketDepthHandle(CMarketDepthHandle* handle);
    OptionChainSet* CreateOptionChainSet(const char* definition);
    void DeleteOptionChainSet(OptionChainSet* set);

    // Code 18: the alerts layer makes its order-fill alert from the fill and delivers it.
    void SetOrderFillHandler(std::function<void(const COrderFillMessage&)> handler);

    // Dispatcher thread.
    void ApplyMessage(CSessionMessage& message) override;

private:
    void SendStatus(const CSessionStatus& status);

    CString m_workingDirectory;
    CMarketCalendar m_calendar;
    std::unique_ptr<CBrokerSession> m_session;
    CQuoteStore m_quotes;
    CMarketDepthStore m_depth;
    CHistoryCache m_history;
    CAccountDataStore m_accountData;
    CNewsRegistry m_news;
    CSessionDispatcher m_dispatcher;

    std::recursive_mutex m_sinkLock; // held while the sink is called
    ISessionStatusSink* m_pStatusSink = nullptr;
    mutable std::mutex m_lock; // flags, accounts, handlers
    bool m_bLoggedIn = false;
    bool m_bConnected[CBrokerSession::kStreamCount] = {};
    bool m_bEverConnected = false; // the market-data stream, since this manager began
    std::vector<CAccountInfo> m_accounts;
    std::vector<CWebUpdateInfo> m_updates;
    std::function<void(const COrderFillMessage&)> m_orderFillHandler;
};
