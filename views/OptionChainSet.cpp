#include "views/OptionChainSet.h"

#include "broker/session/CQuoteStore.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/PriceSeriesHooks.h"
#include "views/OptionChainDefinition.h"

#include <memory>

OptionChainSet::OptionChainSet(const char* definition, CQuoteStore* store) : m_pStore(store)
{
    const COptionChainFields f = ParseChainDefinition(definition ? definition : "");
    m_kind = f.kind;
    if (IsIndustryGroup()) {
        // The rest of the text after the kind and its comma.
        const CString text = definition;
        const int comma = text.Find(',', text.Find(m_kind));
        if (comma >= 0)
            m_setName = text.Mid(comma + 1);
        return;
    }
    if (!IsOptionChain())
        return;
    m_underlying = f.underlying;
    m_chainType = f.chainType;
    m_range = f.range;
    m_expiration = f.expiration;
    m_strikeText = f.strikeText;
    m_strike = f.strike;
    m_interval = f.interval;
    if (f.fieldCount >= 6 && (m_chainType == "C" || m_chainType == "P" || m_chainType == "BW"))
        m_allOptions = 0;
}

OptionChainSet::~OptionChainSet()
{
    if (m_bRegistered && m_pStore)
        m_pStore->RemoveOptionChainSet(this);
}

void OptionChainSet::SetObserver(IOptionChainObserver* observer)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_pObserver = observer;
}

bool OptionChainSet::Register()
{
    if (IsServed() && m_pStore && !m_bRegistered) {
        m_bRegistered = true;
        m_pStore->AddOptionChainSet(this);
    }
    return true;
}

bool OptionChainSet::GetRequest(COptionChainRequest& out) const
{
    if (IsIndustryGroup()) {
        out.symbolSet = m_setName;
        return !m_setName.IsEmpty();
    }
    if (!IsOptionChain())
        return false;
    out.underlying = m_underlying;
    if (!m_chainType.IsEmpty())
        out.chainType = m_chainType;
    if (!m_range.IsEmpty())
        out.range = m_range;
    if (!m_expiration.IsEmpty())
        out.expiration = m_expiration;
    out.strike = m_strikeText.IsEmpty() ? CString("0") : m_strikeText;
    out.allOptions = m_allOptions;
    out.interval = m_interval;
    return true;
}

void OptionChainSet::CopySymbols(const std::vector<CString>& symbols)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_symbols = symbols;
    if (m_pObserver)
        m_pObserver->OnChainChanged(this, kChainSymbolsChanged, m_symbols);
}

void OptionChainSet::CopySymbols(const OptionChainSet* other)
{
    if (!other || other == this)
        return;
    std::vector<CString> symbols;
    {
        std::lock_guard<std::mutex> lock(other->m_lock);
        symbols = other->m_symbols;
    }
    CopySymbols(symbols);
}

int OptionChainSet::GetCount() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return IsServed() ? static_cast<int>(m_symbols.size()) : 0;
}

CString OptionChainSet::GetSymbol(int index) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!IsServed() || index < 0 || index >= static_cast<int>(m_symbols.size()))
        return CString();
    return m_symbols[static_cast<size_t>(index)];
}

void RegisterOptionChainHooks()
{
    COptionChainHooks hooks;
    hooks.create = [](const char* definition) -> OptionChainSet* {
        CSessionManager* session = CSessionManager::Instance();
        return std::make_unique<OptionChainSet>(definition, session ? &session->GetQuoteStore() : nullptr).release();
    };
    hooks.destroy = [](OptionChainSet* set) { std::unique_ptr<OptionChainSet> owned(set); };
    hooks.getRequest = [](const OptionChainSet* set, COptionChainRequest& out) { return set->GetRequest(out); };
    hooks.copySymbols = [](OptionChainSet* set, const std::vector<CString>& symbols) { set->CopySymbols(symbols); };
    SetOptionChainHooks(hooks);
}
