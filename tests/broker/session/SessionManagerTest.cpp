#include "broker/session/CActivesHandle.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/PriceSeriesHooks.h"
#include "broker/session/SessionConfig.h"
#include "platform/core/CConfigFile.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>


namespace {

class Sink : public ISessionStatusSink {
public:
    void OnSessionStatus(UINT message, const CSessionStatus& status) override
    {
        EXPECT_EQ(message, 0x4680u);
        statuses.push_back(status);
    }
    std::vector<CSessionStatus> statuses;
};

struct FakeSeries {
    int trades = 0;
    int checks = 0;
    float lastPrice = 0;
};

FakeSeries* Fake(CPriceSeries* s)
{
    return reinterpret_cast<FakeSeries*>(s);
}

CString SourceDir()
{
    return CString(QX_BROKER_SESSION_DIR);
}

} // namespace

TEST(SessionManager, RoutesMessagesToStoresAndStatusToTheSink)
{
    CSessionManager manager(SourceDir(), CSessionConfig{}, nullptr, nullptr);
    EXPECT_EQ(manager.GetCalendar().GetRuleCount(), 3u);
    Sink sink;
    manager.SetStatusWindow(&sink);

    CAccountListMessage accounts;
    accounts.m_accounts = {{"1", "Individual", false}, {"2", "IRA", true}};
    manager.ApplyMessage(accounts);
    ASSERT_EQ(manager.GetAccounts().size(), 2u);
    ASSERT_EQ(sink.statuses.size(), 1u);
    EXPECT_EQ(sink.statuses[0].code, kStatusAccountList);

    CLoginResultMessage failed;
    failed.m_error = "Invalid user name or password.";
    manager.ApplyMessage(failed);
    EXPECT_EQ(sink.statuses.back().code, kStatusLoginResult);
    EXPECT_FALSE(sink.statuses.back().success);
    EXPECT_EQ(sink.statuses.back().text, "Invalid user name or password.");
    EXPECT_FALSE(manager.IsLoggedIn());

    CStreamStateMessage lost;
    lost.m_nStream = 1;
    manager.ApplyMessage(lost);
    EXPECT_EQ(sink.statuses.back().code, kStatusConnectionLost);
    EXPECT_EQ(sink.statuses.back().stream, 1);
    CStatusTextMessage text;
    text.m_text = "Session has expired. Please log in again.";
    manager.ApplyMessage(text);
    EXPECT_EQ(sink.statuses.back().code, kStatusText);

    std::vector<CString> fills;
    manager.SetOrderFillHandler([&](const COrderFillMessage& fill) { fills.push_back(fill.m_text); });
    COrderFillMessage fill;
    fill.m_text = "Bought 100 MSFT @ 301.25";
    manager.ApplyMessage(fill);
    EXPECT_EQ(fills, std::vector<CString>{"Bought 100 MSFT @ 301.25"});

    CPositionsMessage positions;
    positions.m_records = {{"MSFT", 100, 301.25, "1"}};
    manager.ApplyMessage(positions);
    std::lock_guard<std::recursive_mutex> lock(manager.GetAccountData().GetLock());
    EXPECT_EQ(manager.GetAccountData().Positions().records.size(), 1u);
}

TEST(SessionManager, HandlesAndSeriesThroughTheFacade)
{
    CSessionManager manager(SourceDir(), CSessionConfig{}, nullptr, nullptr);
    EXPECT_EQ(manager.CreateSymbolHandle("  "), nullptr);
    CSymbolHandle* handle = manager.CreateSymbolHandle("nyse:ibm");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->GetSymbol(), "IBM");
    handle->Subscribe();
    EXPECT_EQ(manager.GetSession().GetSubscriptionCount("IBM", kServiceQuote), 1);
    manager.DeleteSymbolHandle(handle);
    EXPECT_EQ(manager.GetSession().GetSubscriptionCount("IBM", kServiceQuote), 0);
    EXPECT_EQ(manager.GetQuoteStore().GetRecordCount(), 0u);

    // Without a registered factory no series can be made.
    EXPECT_EQ(manager.CreatePriceSeries("IBM,5", 0), nullptr);
    static FakeSeries made;
    CPriceSeriesHooks hooks;
    hooks.create = [](const char*, DWORD) { return reinterpret_cast<CPriceSeries*>(&made); };
    hooks.destroy = [](CPriceSeries* s) { Fake(s)->checks = -1; };
    SetPriceSeriesHooks(hooks);
    CPriceSeries* series = manager.CreatePriceSeries("IBM,5", 7);
    EXPECT_EQ(series, reinterpret_cast<CPriceSeries*>(&made));
    manager.DeletePriceSeries(series);
    EXPECT_EQ(made.checks, -1);
    SetPriceSeriesHooks({});

    SYSTEMTIME now{};
    manager.GetExchangeTime(now);
    EXPECT_GE(now.wYear, 2024);
    EXPECT_LE(now.wDayOfWeek, 6);
    // The same clock as an instant: New York's hour of it, from the system's zone data.
    const time_t exchange = static_cast<time_t>(manager.GetExchangeCTime().GetTime());
    struct tm parts {};
    {
        const ScopedTimeZone newYork("America/New_York");
        localtime_r(&exchange, &parts);
    }
    EXPECT_EQ(parts.tm_hour, now.wHour);
}

TEST(QuoteStore, SeriesListenersHearTradesAndQuotes)
{
    CPriceSeriesHooks hooks;
    hooks.symbol = [](const CPriceSeries*) { return "MSFT"; };
    hooks.liveTrade = [](CPriceSeries* s, const CTradeMessage& trade, DWORD) {
        Fake(s)->trades++;
        Fake(s)->lastPrice = trade.m_price;
    };
    hooks.exchangeCheck = [](CPriceSeries* s) { Fake(s)->checks++; };
    SetPriceSeriesHooks(hooks);
    CQuoteStore store;
    FakeSeries series;
    CQuoteRecord* record = store.AddSeriesListener(reinterpret_cast<CPriceSeries*>(&series));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->GetSymbol(), "MSFT");
    CTradeMessage trade;
    trade.m_symbol = "MSFT";
    trade.m_price = 41.5f;
    trade.m_size = 2;
    store.ApplyTrade(trade);
    CQuoteMessage quote;
    quote.m_symbol = "MSFT";
    quote.AddField(kFieldBid, 41.4);
    store.ApplyQuote(quote);
    EXPECT_EQ(series.trades, 1);
    EXPECT_FLOAT_EQ(series.lastPrice, 41.5f);
    EXPECT_EQ(series.checks, 2);
    store.RemoveSeriesListener("MSFT", reinterpret_cast<CPriceSeries*>(&series));
    store.ApplyTrade(trade);
    EXPECT_EQ(series.trades, 1);
    EXPECT_EQ(store.GetRecordCount(), 0u);
    SetPriceSeriesHooks({});
}

TEST(QuoteStore, ActivesListsReachTheirHandles)
{
    CQuoteStore store;
    struct Listener : CActivesListener {
        void OnActivesChange(CActivesHandle*) override { ++calls; }
        int calls = 0;
    } listener;
    CActivesHandle trades(store, "NASDAQ-300,1");
    EXPECT_EQ(trades.GetExchangeKey(), "NASDAQ");
    EXPECT_EQ(trades.GetIntervalKey(), "300");
    EXPECT_EQ(trades.GetType(), 1);
    trades.m_pListener = &listener;
    trades.Subscribe();
    CActivesHandle volume(store, "NASDAQ-300,0");
    volume.m_pListener = &listener;
    volume.Subscribe(); // the list existed: told at once
    EXPECT_EQ(listener.calls, 1);
    EXPECT_EQ(trades.GetCount(), 0);

    CActivesMessage message;
    message.m_key = "NASDAQ-300";
    message.m_lists[0] = {{"MSFT", 900, 5}, {"INTC", 800, 4}};
    message.m_lists[1] = {{"INTC", 10, 7000000}};
    store.ApplyActives(message);
    EXPECT_EQ(listener.calls, 3);
    trades.TakeSnapshot();
    volume.TakeSnapshot();
    EXPECT_EQ(trades.GetCount(), 2);
    EXPECT_EQ(volume.GetCount(), 1);
    CString symbol;
    ASSERT_TRUE(trades.GetSymbol(1, symbol));
    EXPECT_EQ(symbol, "INTC");
    EXPECT_FALSE(trades.GetSymbol(2, symbol));
    double value = 0;
    ASSERT_TRUE(volume.GetValue("INTC", 2, value));
    EXPECT_EQ(value, 7000000);
    EXPECT_FALSE(volume.GetValue("INTC", 3, value));
}

TEST(SessionConfig, ServersComeFromConfigIni)
{
    CConfigFile file;
    file.LoadFromText("# servers\nApiServer=https://api.example:9443/\nStreamerServer=stream.example:9444\n"
                      "CaFile=/tmp/ca.pem\n");
    const CSessionConfig config = MakeSessionConfig(file);
    EXPECT_EQ(config.apiServer, "https://api.example:9443");
    EXPECT_EQ(config.streamerServer, "stream.example:9444");
    EXPECT_EQ(config.caFile, "/tmp/ca.pem");
    EXPECT_EQ(config.historyServer, "https://127.0.0.1:8443"); // built-in default
    EXPECT_EQ(config.keepAliveMs, 15000);
    EXPECT_EQ(config.retryMs, 3000);
    EXPECT_EQ(config.loginServer, "");  // the login goes to the API server

    file.LoadFromText("LoginServer=https://login.example:8443/\nApiServer=https://api.example:9443\n");
    EXPECT_EQ(MakeSessionConfig(file).loginServer, "https://login.example:8443");
}

TEST(SessionManager, SeriesBackfillAfterAnOutageOnlyNotAfterALogOutAndLogIn)
{
    CSessionManager manager(SourceDir(), CSessionConfig{}, nullptr, nullptr);
    static int restored = 0;
    restored = 0;
    static FakeSeries series;
    CPriceSeriesHooks hooks;
    hooks.streamRestored = [](CPriceSeries*) { ++restored; };
    SetPriceSeriesHooks(hooks);
    manager.GetQuoteStore().AddSeriesListener("MSFT", reinterpret_cast<CPriceSeries*>(&series));
    auto apply = [&](auto message) { manager.ApplyMessage(message); };
    auto stream = [](bool connected) {
        CStreamStateMessage state;
        state.m_nStream = CBrokerSession::kStreamMarketData;
        state.m_bConnected = connected;
        return state;
    };
    CLoginResultMessage login;
    login.m_bSuccess = true;

    apply(login);
    apply(stream(true));
    EXPECT_EQ(restored, 0); // the first connection of a login
    apply(stream(false));
    apply(stream(true));
    EXPECT_EQ(restored, 1); // back after an outage

    manager.LogOut();
    apply(stream(false));
    apply(stream(true)); // reported late by the ended session
    apply(login);
    apply(stream(true));
    EXPECT_EQ(restored, 1);

    // The server ended the session: what it missed meanwhile comes back with the next login.
    apply(CSessionLostMessage());
    apply(login);
    apply(stream(true));
    EXPECT_EQ(restored, 2);
    manager.GetQuoteStore().RemoveSeriesListener("MSFT", reinterpret_cast<CPriceSeries*>(&series));
    SetPriceSeriesHooks({});
}
