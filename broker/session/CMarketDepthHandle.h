// A reader's handle on one Level II book of the market depth store.
#pragma once

#include "broker/session/CMarketDepthStore.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <mutex>

class CQuoteStore;
class CMarketDepthHandle;

class CMarketDepthListener {
public:
    virtual ~CMarketDepthListener() = default;
    // kind 0: refresh everything; kind 1: one level changed (side 0 bids, 1 asks; flags 2 price, 4 size).
    virtual void OnDepthChange(CMarketDepthHandle* handle, DWORD kind, DWORD side, DWORD index, DWORD flags) = 0;
};

class CMarketDepthHandle {
public:
    CMarketDepthHandle(CMarketDepthStore& store, CQuoteStore& quotes, const CString& text);
    ~CMarketDepthHandle();
    CMarketDepthHandle(const CMarketDepthHandle&) = delete;
    CMarketDepthHandle& operator=(const CMarketDepthHandle&) = delete;

    CMarketDepthListener* m_pListener = nullptr;

    bool Subscribe();
    // Moves the handle to the book its symbol's exchange calls for, once after Subscribe.
    void UpdateSource();
    void Attach();
    void TakeSnapshot();

    // Readers off the dispatcher thread hold the store's lock from TakeSnapshot to Attach
    // (CDepthReadScope); the listener is called with it held.
    std::recursive_mutex& GetStoreLock() const { return m_store.GetLock(); }

    int GetBidCount() const;
    int GetAskCount() const;
    bool GetBidValue(int index, int field, DWORD* value) const;
    bool GetAskValue(int index, int field, DWORD* value) const;
    bool GetBidText(int index, int field, char* buffer, int size) const;
    // The level's price as the book holds it, with the value readers' refusals.
    bool GetBidPrice(int index, double* price) const;
    bool GetAskPrice(int index, double* price) const;
    bool GetAskText(int index, int field, char* buffer, int size) const;
    CString GetSymbol() const { return m_symbol; }
    CString GetSource() const;
    bool GetTitle(CString& title) const;

private:
    const std::vector<CMarketDepthLevel>* Side(int side) const;
    bool GetValue(int side, int index, int field, DWORD* value) const;
    bool GetPrice(int side, int index, double* price) const;
    bool GetText(int side, int index, int field, char* buffer, int size) const;

    CMarketDepthStore& m_store;
    CQuoteStore& m_quotes;
    CString m_symbol;
    CString m_source;
    std::atomic<CMarketDepthBook*> m_pBook{nullptr};
    CMarketDepthBook m_copy;
    std::atomic<bool> m_bRecheck{false};
    bool m_bSubscribed = false;
};

// Fields 4 and 5 of the value readers (size and price direction) are signed: +1 up, -1
// down, 0 none, carried in the DWORD as a 32-bit two's complement value.
inline int DepthDirection(DWORD raw)
{
    return static_cast<int32_t>(raw);
}

// A run of reads of a handle's book away from the dispatcher thread: takes the store's
// lock, snapshots, and attaches back and unlocks when it ends. Neither a book message nor
// the handle's move to another source can change the book while it lasts.
class CDepthReadScope {
public:
    explicit CDepthReadScope(CMarketDepthHandle& handle) : m_handle(handle), m_lock(handle.GetStoreLock())
    {
        m_handle.TakeSnapshot();
    }
    ~CDepthReadScope() { m_handle.Attach(); }
    CDepthReadScope(const CDepthReadScope&) = delete;
    CDepthReadScope& operator=(const CDepthReadScope&) = delete;

private:
    CMarketDepthHandle& m_handle;
    std::lock_guard<std::recursive_mutex> m_lock;
};

bool IsOptionSymbol(const CString& symbol);
