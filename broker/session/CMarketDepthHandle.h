// A reader's handle on one Level II book of the market depth store.
#pragma once

#include "broker/session/CMarketDepthStore.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <atomic>

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

    int GetBidCount() const;
    int GetAskCount() const;
    bool GetBidValue(int index, int field, DWORD* value) const;
    bool GetAskValue(int index, int field, DWORD* value) const;
    bool GetBidText(int index, int field, char* buffer, int size) const;
    bool GetAskText(int index, int field, char* buffer, int size) const;
    CString GetSymbol() const { return m_symbol; }
    CString GetSource() const;
    bool GetTitle(CString& title) const;

private:
    const std::vector<CMarketDepthLevel>* Side(int side) const;
    bool GetValue(int side, int index, int field, DWORD* value) const;
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

bool IsOptionSymbol(const CString& symbol);
