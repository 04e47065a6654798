// The symbols of an option chain or of a symbol set of the broker's industry groups
// ("IndustryGroups," + set name), named by a definition text. Both are requested through
// the quote store; the reply fills the symbols and tells the observer.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <mutex>
#include <vector>

class CQuoteStore;
class OptionChainSet;
struct COptionChainRequest;

// Told (on the session's dispatcher thread) with the set's symbols when they change.
class IOptionChainObserver {
public:
    virtual ~IOptionChainObserver() = default;
    virtual void OnChainChanged(OptionChainSet* set, int code, const std::vector<CString>& symbols) = 0;
};

inline constexpr int kChainSymbolsChanged = 3;

class OptionChainSet {
public:
    // store may be null (a set that is never registered).
    OptionChainSet(const char* definition, CQuoteStore* store);
    ~OptionChainSet(); // removes the set from the quote store
    OptionChainSet(const OptionChainSet&) = delete;
    OptionChainSet& operator=(const OptionChainSet&) = delete;

    void SetObserver(IOptionChainObserver* observer);
    // An option chain or an industry-group set is handed to the quote store, which requests
    // it. Always true.
    bool Register();
    // The reply's symbols become the set's; the observer is told.
    void CopySymbols(const std::vector<CString>& symbols);
    void CopySymbols(const OptionChainSet* other);

    int GetCount() const;
    CString GetSymbol(int index) const;
    bool IsOptionChain() const { return m_kind == "OptionChain"; }
    bool IsIndustryGroup() const { return m_kind == "IndustryGroups"; }
    // The set's name of an industry-group set.
    const CString& GetSetName() const { return m_setName; }

    const CString& GetKind() const { return m_kind; }
    const CString& GetUnderlying() const { return m_underlying; }
    const CString& GetChainType() const { return m_chainType; }
    const CString& GetField3() const { return m_range; }
    const CString& GetField4() const { return m_expiration; }
    double GetNumber() const { return m_strike; }
    BYTE GetAllOptionsFlag() const { return m_allOptions; }
    const CString& GetField6() const { return m_interval; }
    // The request the quote store sends for the set.
    bool GetRequest(COptionChainRequest& out) const;

private:
    // The kinds the quote store fills.
    bool IsServed() const { return IsOptionChain() || IsIndustryGroup(); }

    CQuoteStore* m_pStore;
    bool m_bRegistered = false;
    mutable std::mutex m_lock; // symbols and observer (filled on the dispatcher thread)
    IOptionChainObserver* m_pObserver = nullptr;
    CString m_kind;
    CString m_setName;
    std::vector<CString> m_symbols;
    CString m_underlying;
    CString m_chainType;
    CString m_range;
    CString m_expiration;
    double m_strike = 0;
    CString m_strikeText;
    BYTE m_allOptions = 1;
    CString m_interval;
};

// Installs the session's hooks that create, destroy, request and fill option-chain sets.
void RegisterOptionChainHooks();
