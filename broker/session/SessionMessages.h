// The typed messages of the session queue (codes in CSessionMessage.h).
#pragma once

#include "broker/session/AccountRecords.h"
#include "broker/session/COrderStatusRecord.h"
#include "broker/session/CSavedOrderRecord.h"
#include "broker/session/CSessionMessage.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <cstdint>
#include <optional>
#include <vector>

class CLoginResultMessage : public CSessionMessage {
public:
    CLoginResultMessage() : CSessionMessage(kMsgLoginResult) {}
    bool m_bSuccess = false;
    CString m_error;
    uint64_t m_nLogin = 0; // the login attempt that sent it (0: none)
};

class CStreamStateMessage : public CSessionMessage {
public:
    CStreamStateMessage() : CSessionMessage(kMsgStreamState) {}
    int m_nStream = 0; // 0 market data, 1 account activity, 2 command
    bool m_bConnected = false;
    bool m_bClosed = false; // closed by the log-out, not lost
};

class CTimeMarkMessage : public CSessionMessage {
public:
    CTimeMarkMessage() : CSessionMessage(kMsgTimeMark) {}
};

// Field updates of one symbol. The first numbers travel inline (an update carries a few), the
// rest of a full image in m_more; texts (description, exchange...) aside.
class CQuoteMessage : public CSessionMessage {
public:
    static constexpr int kMaxFields = 16;
    CQuoteMessage() : CSessionMessage(kMsgQuote) {}

    bool AddField(int id, double value)
    {
        if (id < 0 || id > 255)
            return false;
        if (m_nCount < kMaxFields) {
            m_ids[m_nCount] = static_cast<BYTE>(id);
            m_values[m_nCount] = value;
            ++m_nCount;
        } else {
            m_more.push_back({static_cast<BYTE>(id), value});
        }
        return true;
    }
    int GetFieldCount() const { return m_nCount + static_cast<int>(m_more.size()); }
    void AddText(int id, CString text) { m_texts.push_back({static_cast<BYTE>(id), std::move(text)}); }

    struct TextField {
        BYTE id;
        CString text;
    };
    struct NumberField {
        BYTE id;
        double value;
    };

    CString m_symbol;
    int m_nCount = 0;
    BYTE m_ids[kMaxFields] = {};
    double m_values[kMaxFields] = {};
    std::vector<NumberField> m_more;
    std::vector<TextField> m_texts;
};

// A trade: price, size in units of 100 shares, exchange, and further sizes of the same print.
class CTradeMessage : public CSessionMessage {
public:
    CTradeMessage() : CSessionMessage(kMsgTrade) {}
    CString m_symbol;
    double m_price = 0;
    int m_size = 0;
    CString m_exchange;
    std::vector<int> m_moreSizes;
    DWORD m_feedTime = 0; // 2-second units since 1950-01-01 (exchange time)
    uint64_t m_sequence = 0; // the symbol's trade number at the server; 0: not sent
};

// One row of a history answer: a one-minute or daily bar.
struct CHistoryRow {
    DWORD feedTime = 0;
    double open = 0, high = 0, low = 0, close = 0, volume = 0;
    bool operator==(const CHistoryRow&) const = default;
};

class CHistoryMessage : public CSessionMessage {
public:
    CHistoryMessage() : CSessionMessage(kMsgHistory) {}
    CString m_symbol;
    bool m_bDaily = false;
    DWORD m_nRequestId = 0;
    bool m_bFailed = false;
    std::vector<CHistoryRow> m_rows; // time order
    // The newest trade of the symbol the rows hold, when the server named it.
    std::optional<uint64_t> m_asOf;
};

struct CBookMessageRow {
    CString participant;
    double price = 0;
    int size = 0;
    CString time; // "hh:mm:ss" on TotalView rows, empty otherwise
};

class CBookMessage : public CSessionMessage {
public:
    CBookMessage() : CSessionMessage(kMsgBook) {}
    CString m_symbol;
    CString m_source; // "L2", "NYSE", "INET", "OPRA" or "TV"
    std::vector<CBookMessageRow> m_bids;
    std::vector<CBookMessageRow> m_asks;
};

class CPositionsMessage : public CSessionMessage {
public:
    CPositionsMessage() : CSessionMessage(kMsgPositions) {}
    std::vector<CPositionRecord> m_records;
};

class CBalancesMessage : public CSessionMessage {
public:
    CBalancesMessage() : CSessionMessage(kMsgBalances) {}
    std::vector<CBalanceRecord> m_records;
};

class COrderStatusMessage : public CSessionMessage {
public:
    COrderStatusMessage() : CSessionMessage(kMsgOrderStatus) {}
    std::vector<COrderStatusRecord> m_records;
};

class CSavedOrdersMessage : public CSessionMessage {
public:
    CSavedOrdersMessage() : CSessionMessage(kMsgSavedOrders) {}
    std::vector<CSavedOrderRecord> m_records;
};

class CWatchlistsMessage : public CSessionMessage {
public:
    CWatchlistsMessage() : CSessionMessage(kMsgWatchlists) {}
    std::vector<CWatchlistRecord> m_records;
};

struct CActivesRow {
    CString symbol;
    DWORD value32 = 0;
    uint64_t value64 = 0;
    bool operator==(const CActivesRow&) const = default;
};

class CActivesMessage : public CSessionMessage {
public:
    CActivesMessage() : CSessionMessage(kMsgActives) {}
    CString m_key; // exchange key "-" interval key
    std::vector<CActivesRow> m_lists[2]; // [0] by trades, [1] by volume
};

class CAccountListMessage : public CSessionMessage {
public:
    CAccountListMessage() : CSessionMessage(kMsgAccountList) {}
    std::vector<CAccountInfo> m_accounts;
};

class COptionChainMessage : public CSessionMessage {
public:
    COptionChainMessage() : CSessionMessage(kMsgOptionChain) {}
    DWORD m_nRequestId = 0;
    CString m_underlying;
    std::vector<CString> m_symbols;
};

struct CNewsHeadline {
    CString symbol;
    int64_t time = 0; // seconds
    CString storyId;
    CString note; // flag letters; "H" marks hot news
    CString source;
    CString headline;
    CString storyUrl;
    int value = 0;
    std::vector<CString> symbols;
    BYTE updated = 0;
    BYTE keep = 0;
    BYTE read = 0;
};

class CNewsMessage : public CSessionMessage {
public:
    CNewsMessage() : CSessionMessage(kMsgNews) {}
    CString m_key;
    std::vector<CNewsHeadline> m_headlines;
};

class CWebUpdateMessage : public CSessionMessage {
public:
    CWebUpdateMessage() : CSessionMessage(kMsgWebUpdate) {}
    std::vector<CWebUpdateInfo> m_updates;
};

class CStatusTextMessage : public CSessionMessage {
public:
    CStatusTextMessage() : CSessionMessage(kMsgStatusText) {}
    CString m_text;
};

// The server refused the session (a restart, an expiry): the session is logged out.
class CSessionLostMessage : public CSessionMessage {
public:
    CSessionLostMessage() : CSessionMessage(kMsgSessionLost) {}
    CString m_text; // what to tell the user
};

// The stream server refused a symbol it does not know: no data will come for it.
class CSymbolRefusedMessage : public CSessionMessage {
public:
    CSymbolRefusedMessage() : CSessionMessage(kMsgSymbolRefused) {}
    CString m_symbol;
    CString m_text; // the server's words
};

// A refresh of the account data asked for by the user has brought its lists.
class CAccountRefreshedMessage : public CSessionMessage {
public:
    CAccountRefreshedMessage() : CSessionMessage(kMsgAccountRefreshed) {}
};

class COrderFillMessage : public CSessionMessage {
public:
    COrderFillMessage() : CSessionMessage(kMsgOrderFill) {}
    CString m_symbol;
    CString m_orderId;
    CString m_text; // the fill text shown to the user
};
