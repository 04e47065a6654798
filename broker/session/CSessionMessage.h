// Base of every message that travels through the session queue to the dispatcher.
#pragma once

#include <cstdint>

// Message codes, who posts them and who applies them on the dispatcher thread.
//
//  code  message                 producer                              consumer
//   0    CLoginResultMessage      login thread                          CSessionManager (starts streams, workers)
//   1    CStreamStateMessage      stream threads                        CSessionManager (connection flags, status)
//   2    CQuoteMessage            market-data stream                    CQuoteStore (handles, depth handles, series)
//   3    CTimeMarkMessage         CSessionQueue, every 100th post       CSessionDispatcher (lag check)
//   4    CTradeMessage            market-data stream                    CQuoteStore (handles, series live entry)
//   5    CHistoryMessage          history download worker               CHistoryCache (waiting series)
//   6    CBookMessage             market-data stream                    CMarketDepthStore
//   7    CPositionsMessage        account refresh worker                CAccountDataStore
//   8    CBalancesMessage         account refresh worker                CAccountDataStore
//   9    COrderStatusMessage      account refresh worker                CAccountDataStore
//  10    CSavedOrdersMessage      account refresh worker                CAccountDataStore
//  11    CWatchlistsMessage       watch-list refresh worker             CAccountDataStore
//  12    CActivesMessage          market-data stream                    CQuoteStore (actives records)
//  13    CAccountListMessage      login thread                          CSessionManager (account list)
//  14    COptionChainMessage      request loop                          CQuoteStore (option-chain sets)
//  15    CNewsMessage             market-data stream, request loop      CNewsRegistry
//  16    CWebUpdateMessage        login thread                          CSessionManager (status sink, code 6)
//  17    CStatusTextMessage       any session thread                    CSessionManager (status sink, code 4)
//  18    COrderFillMessage        account-activity stream               CSessionManager (fill alert, refresh)
//  19    CSessionLostMessage      stream threads, keep-alive            CSessionManager (logged out, status code 7)
//  20    CSymbolRefusedMessage    market-data stream                    CQuoteStore (the symbol has no data)
//  21    CAccountRefreshedMessage account and watch-list workers        CSessionManager (status sink, code 8)
enum ESessionCode : int {
    kMsgLoginResult = 0,
    kMsgStreamState = 1,
    kMsgQuote = 2,
    kMsgTimeMark = 3,
    kMsgTrade = 4,
    kMsgHistory = 5,
    kMsgBook = 6,
    kMsgPositions = 7,
    kMsgBalances = 8,
    kMsgOrderStatus = 9,
    kMsgSavedOrders = 10,
    kMsgWatchlists = 11,
    kMsgActives = 12,
    kMsgAccountList = 13,
    kMsgOptionChain = 14,
    kMsgNews = 15,
    kMsgWebUpdate = 16,
    kMsgStatusText = 17,
    kMsgOrderFill = 18,
    kMsgSessionLost = 19,
    kMsgSymbolRefused = 20,
    kMsgAccountRefreshed = 21,
    kMsgCodeCount = 22
};

class CSessionMessage {
public:
    explicit CSessionMessage(int code) : m_nCode(code) {}
    virtual ~CSessionMessage() = default;
    CSessionMessage(const CSessionMessage&) = default;
    CSessionMessage& operator=(const CSessionMessage&) = default;

    int GetCode() const { return m_nCode; }

    int m_nCode;
    int64_t m_postedAt = 0; // steady clock, nanoseconds; set by the queue on time marks
};

// Name of a code for log lines; "?" outside 0..20.
const char* SessionCodeName(int code);
