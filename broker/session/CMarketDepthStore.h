// Level II books per source ":" symbol, kept while some depth handle watches them.
#pragma once

#include "broker/session/SessionMessages.h"
#include "platform/core/CString.h"

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class CMarketDepthHandle;
class IStreamSubscriber;

struct CMarketDepthLevel {
    CString participant;
    double price = 0;
    int size = 0;
    CString time;
    // What the last message that carried this side moved: 2 the price, 4 the size.
    BYTE changed = 0;
    // +1 the last move was up, -1 down, 0 none known; kept across messages.
    int priceDirection = 0;
    int sizeDirection = 0;
};

// Bits of CMarketDepthLevel::changed, and the flags of a level-change callback.
inline constexpr BYTE kDepthPriceMoved = 2;
inline constexpr BYTE kDepthSizeMoved = 4;

class CMarketDepthBook {
public:
    CString m_symbol;
    CString m_source;
    std::vector<CMarketDepthHandle*> m_handles;
    std::vector<CMarketDepthLevel> m_bids;
    std::vector<CMarketDepthLevel> m_asks;
    int m_bNoData = 1;
    int m_nService = 10;

    // Copies everything but the handles.
    void CopyDataFrom(const CMarketDepthBook& other);
};

// Stream service of a book source ("L2" 1, "NYSE" 2, "INET" 3, "OPRA" 5, anything else 10).
int BookSourceService(const CString& source);

class CMarketDepthStore {
public:
    explicit CMarketDepthStore(IStreamSubscriber* subscriber = nullptr);
    ~CMarketDepthStore();
    CMarketDepthStore(const CMarketDepthStore&) = delete;
    CMarketDepthStore& operator=(const CMarketDepthStore&) = delete;

    void SetSubscriber(IStreamSubscriber* subscriber);
    std::recursive_mutex& GetLock() { return m_lock; }

    CMarketDepthBook* RegisterHandle(const CString& symbol, const CString& source, CMarketDepthHandle* handle,
                                     int* existed);
    void UnregisterHandle(const CString& symbol, const CString& source, CMarketDepthHandle* handle);
    CMarketDepthBook* FindBook(const CString& symbol, const CString& source);
    // While a book's flag is set its readers see it empty; each message applied clears it.
    void SetNoDataFlag(const CString& symbol, const CString& source, int value);
    size_t GetBookCount();

    // Applies one code-6 message (dispatcher thread); a book nobody registered is not created.
    // Each listener hears once of every level the message moved, with the moves of that
    // message only: a side the message did not carry reports nothing.
    void ApplyMessage(const CBookMessage& message);

private:
    static CString MakeKey(const CString& symbol, const CString& source);

    std::recursive_mutex m_lock;
    IStreamSubscriber* m_pSubscriber = nullptr;
    std::unordered_map<CString, std::unique_ptr<CMarketDepthBook>> m_books;
};
