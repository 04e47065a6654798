#include "alerts/CAlert.h"

#include "alerts/CAlertBook.h"
#include "alerts/CAlertTradeInfo.h"
#include "alerts/IAlertHost.h"
#include "broker/core/ExchangeTime.h"
#include "broker/core/Formatters.h"
#include "broker/session/CQuoteListener.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"
#include "platform/core/XmlHelpers.h"
#include "trading/OrderPriceText.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {

// The listener of a plain alert's handle: it only remembers the quote.
class CQuoteMemoryListener : public CQuoteListener {
public:
    explicit CQuoteMemoryListener(CAlert& alert) : m_alert(alert) {}
    void OnQuoteChange(CSymbolHandle* handle, int, const BYTE*) override
    {
        if (handle)
            m_alert.RememberQuote(*handle);
    }

private:
    CAlert& m_alert;
};

// A history price: FormatNumber below a million; above, plain decimals, because the
// scaled "M"/"B" form would read back as a different number.
CString HistoryPriceText(double price)
{
    if (std::fabs(price) < 1e6)
        return FormatNumber(price, 2, 4);
    CString text;
    text.Format("%.2f", price);
    return text;
}

// Reads a history price, taking the "M" and "B" suffixes of older files into account.
double ParseHistoryPrice(const char* text)
{
    if (!text)
        return 0;
    char* end = nullptr;
    double value = std::strtod(text, &end);
    if (end && (*end == 'M' || *end == 'm'))
        value *= 1e6;
    else if (end && (*end == 'B' || *end == 'b'))
        value *= 1e9;
    return value;
}

AlertId NextAlertId()
{
    static std::atomic<AlertId> next{1};
    return next++;
}

bool NameIs(const TiXmlElement* element, const char* name)
{
    return CString(element->Value()).CompareNoCase(name) == 0;
}

const TiXmlElement* FindOwn(const TiXmlElement* parent, const char* name)
{
    for (const TiXmlElement* child = parent->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (NameIs(child, name))
            return child;
        if (NameIs(child, "Entry") || NameIs(child, "Exit"))
            continue;
        if (const TiXmlElement* found = FindOwn(child, name))
            return found;
    }
    return nullptr;
}

bool ReadNonEmpty(const TiXmlElement* element, const char* name, CString& text)
{
    const TiXmlElement* found = FindAlertChild(element, name);
    if (!found)
        return false;
    CString value = GetElementText(found);
    if (value.IsEmpty())
        return false;
    text = value;
    return true;
}

} // namespace

// ---- free helpers ----

CString EscapeAlertText(const char* text)
{
    return EscapeXmlText(text);
}

void GetAlertExchangeTime(SYSTEMTIME& out)
{
    if (CSessionManager* manager = CSessionManager::Instance())
        manager->GetExchangeTime(out);
    else
        ExchangeSystemTime(static_cast<int64_t>(std::time(nullptr)), out);
}

CString ExchangeDateText()
{
    SYSTEMTIME st{};
    GetAlertExchangeTime(st);
    CString text;
    text.Format("%02d/%02d/%04d %02d:%02d:%02d", st.wMonth, st.wDay, st.wYear, st.wHour, st.wMinute, st.wSecond);
    return text;
}

bool AlertHoursOpen()
{
    CAlertBook* book = CAlertBook::Instance();
    return book ? book->m_alertHours.IsInWindow() : true;
}

CString EscapeAttributeText(const char* text)
{
    CString out;
    for (const char* p = text ? text : ""; *p; ++p) {
        switch (*p) {
        case '"': out += "&quot;"; break;
        case '\r': out += "&#13;"; break;
        case '\n': out += "&#10;"; break;
        default: out += EscapeAlertText(CString(*p)); break;
        }
    }
    return out;
}

const TiXmlElement* FindAlertChild(const TiXmlElement* element, const char* name)
{
    return element && name ? FindOwn(element, name) : nullptr;
}

bool ReadAlertInt(const TiXmlElement* element, const char* name, int& value)
{
    CString text;
    if (!ReadNonEmpty(element, name, text))
        return false;
    value = std::atoi(text);
    return true;
}

bool ReadAlertDouble(const TiXmlElement* element, const char* name, double& value)
{
    CString text;
    if (!ReadNonEmpty(element, name, text))
        return false;
    value = std::atof(text);
    return true;
}

bool ReadAlertText(const TiXmlElement* element, const char* name, CString& value)
{
    return ReadNonEmpty(element, name, value);
}

// ---- CAlert ----

CAlert::CAlert(int type) : m_nType(type), m_id(NextAlertId()) {}

CAlert::CAlert(const CAlert& other)
    : CFormulaOwner(other), m_symbol(other.m_symbol), m_nType(other.m_nType), m_soundFile(other.m_soundFile),
      m_pTradeInfo(other.CopyTradeInfo()), m_id(NextAlertId())
{
}

CAlert::~CAlert()
{
    CloseQuoteHandle();
}

CStrategyAlert* CAlert::GetOwner() const
{
    return nullptr;
}

void CAlert::GetLegPrice(int leg, int action, int selection, double offset, int& quantity, double& price) const
{
    quantity = 0;
    price = 0;
    COrderRecord record;
    int symbolType = 0;
    {
        std::lock_guard<std::mutex> lock(m_tradeLock);
        if (!m_pTradeInfo || leg < 0 || leg >= static_cast<int>(m_pTradeInfo->m_legs.size()))
            return;
        record = m_pTradeInfo->m_legs[static_cast<size_t>(leg)];
        symbolType = m_pTradeInfo->m_nSymbolType;
    }

    int field = -1;
    switch (selection) {
    case 1: field = kFieldBid; break;
    case 2: field = kFieldAsk; break;
    case 3: field = kFieldLast; break;
    default:
        if (record.orderType.Find("Limit") < 0)
            field = kFieldLast;
        break;
    }
    // The quote when it can be read, else the leg's own price; with neither the value is
    // unknown (0) and the offset alone is no price.
    double value = record.price;
    double quote = 0;
    if (field >= 0 && m_pQuoteHandle && ReadQuoteField(field, quote))
        value = quote;
    const bool known = value != 0;
    if (known)
        value += offset;

    if (record.quantityMode == 0) {
        // A dollar amount needs a price; without one nothing is bought. The stored leg keeps
        // its amount, so every firing sizes its order at that firing's price.
        if (value > 0) {
            double shares = record.quantity / value;
            if (symbolType == 1)
                shares /= 100;
            // A quantity beyond 32 bits is no order (the order gate refuses 0).
            quantity = shares < 2147483647.0 ? static_cast<int>(shares) : 0;
            if ((action == 1 || action == 2) && quantity < shares)
                ++quantity;
        }
    } else {
        quantity = record.quantity >= 0 && record.quantity < 2147483647.0 ? static_cast<int>(record.quantity) : 0;
    }

    price = record.price;
    if (selection >= 1 && selection <= 3)
        price = known ? std::atof(FormatOrderPrice(value, symbolType)) : record.price;
}

void CAlert::GetOrderText(CString& text, int trigger) const
{
    std::lock_guard<std::mutex> lock(m_tradeLock);
    text = m_pTradeInfo ? m_pTradeInfo->GetOrderText(trigger) : CString("None");
}

void CAlert::GetAccountText(CString& text) const
{
    text.Empty();
    IAlertHost* host = GetAlertHost();
    const std::unique_ptr<CAlertTradeInfo> info = CopyTradeInfo();
    if (info && host)
        text = host->GetAccountListText(info->m_nAcctType, info->m_accounts, 0);
}

void CAlert::GetConditionText(CString& text) const
{
    text.Empty();
}

void CAlert::Activate()
{
    OpenQuoteHandle(std::make_unique<CQuoteMemoryListener>(*this));
}

void CAlert::Fire() {}

void CAlert::ResetTriggers()
{
    m_bIsTriggered = 0;
    m_bPaused = 0;
    SetHistory({});
}

void CAlert::CopyStateFrom(const CAlert* other)
{
    if (!other || other == this)
        return;
    m_bIsTriggered = other->m_bIsTriggered.load();
    m_bPaused = other->m_bPaused.load();
    SetHistory(other->GetHistory());
}

void CAlert::ToXml(CString& text) const
{
    text.Format("<Alert>\r\n<Type>%d</Type>\r\n<IsTriggered>%d</IsTriggered>\r\n<Paused>%d</Paused>\r\n", m_nType,
                m_bIsTriggered.load(), m_bPaused.load());
    text += "<Symbol>" + EscapeAlertText(m_symbol) + "</Symbol>\r\n";
    text += "<History>\r\n";
    for (const CAlertHistoryEntry& entry : GetHistory()) {
        text += "<Date price=\"" + HistoryPriceText(entry.m_price) + "\"";
        if (!entry.m_note.IsEmpty())
            text += " note=\"" + EscapeAttributeText(entry.m_note) + "\"";
        text += ">" + EscapeAlertText(entry.m_date) + "</Date>\r\n";
    }
    text += "</History>\r\n";
    text += "<File>" + EscapeAlertText(m_soundFile) + "</File>\r\n";
    CString kind;
    TypeXml(kind);
    text += kind;
    if (const std::unique_ptr<CAlertTradeInfo> info = CopyTradeInfo())
        text += info->ToXml();
    text += "</Alert>\r\n";
}

void CAlert::TypeXml(CString& text) const
{
    text.Empty();
}

void CAlert::FromXml(const TiXmlElement* element)
{
    if (!element)
        return;
    ReadAlertInt(element, "Type", m_nType);
    ReadAlertText(element, "Symbol", m_symbol);
    int flag = 0;
    if (ReadAlertInt(element, "IsTriggered", flag))
        m_bIsTriggered = flag;
    if (ReadAlertInt(element, "Paused", flag))
        m_bPaused = flag;

    if (const TiXmlElement* date = FindAlertChild(element, "Date")) {
        std::vector<CAlertHistoryEntry> history = GetHistory();
        for (; date; date = NextSiblingNoCase(date, "Date")) {
            const CString text = GetElementText(date);
            if (text.IsEmpty())
                continue;
            const char* note = GetAttributeNoCase(date, "note");
            history.push_back({text, ParseHistoryPrice(GetAttributeNoCase(date, "price")), note ? note : ""});
        }
        SetHistory(std::move(history));
    }
    ReadAlertText(element, "File", m_soundFile);
    if (const TiXmlElement* trade = FindAlertChild(element, "TradeInfo")) {
        CAlertTradeInfo info(0);
        info.FromXml(trade);
        SetTradeInfo(&info);
    }
}

void CAlert::SetTradeInfo(const CAlertTradeInfo* info)
{
    std::unique_ptr<CAlertTradeInfo> copy = info ? std::make_unique<CAlertTradeInfo>(*info) : nullptr;
    std::lock_guard<std::mutex> lock(m_tradeLock);
    m_pTradeInfo = std::move(copy);
}

bool CAlert::HasTradeInfo() const
{
    std::lock_guard<std::mutex> lock(m_tradeLock);
    return m_pTradeInfo != nullptr;
}

std::unique_ptr<CAlertTradeInfo> CAlert::CopyTradeInfo() const
{
    std::lock_guard<std::mutex> lock(m_tradeLock);
    return m_pTradeInfo ? std::make_unique<CAlertTradeInfo>(*m_pTradeInfo) : nullptr;
}

void CAlert::SetEntryQuantity(int quantity)
{
    std::lock_guard<std::mutex> lock(m_tradeLock);
    if (!m_pTradeInfo)
        return;
    for (COrderRecord& leg : m_pTradeInfo->m_legs)
        if (leg.quantityMode == 2)
            leg.quantity = quantity;
}

std::vector<CAlertHistoryEntry> CAlert::GetHistory() const
{
    std::lock_guard<std::mutex> lock(m_historyLock);
    return m_history;
}

void CAlert::SetHistory(std::vector<CAlertHistoryEntry> history)
{
    std::lock_guard<std::mutex> lock(m_historyLock);
    m_history = std::move(history);
}

void CAlert::InsertHistory(const CAlertHistoryEntry& entry)
{
    std::lock_guard<std::mutex> lock(m_historyLock);
    m_history.insert(m_history.begin(), entry);
}

void CAlert::NoteHistory(const CString& date, const CString& note)
{
    std::lock_guard<std::mutex> lock(m_historyLock);
    for (CAlertHistoryEntry& entry : m_history)
        if (entry.m_date == date) {
            entry.m_note = note;
            return;
        }
}

void CAlert::RememberQuote(const CSymbolHandle& handle)
{
    double value = 0;
    int seen = 0;
    if (handle.GetField(kFieldLast, value)) {
        m_seenLast = value;
        seen |= 1;
    }
    if (handle.GetField(kFieldBid, value)) {
        m_seenBid = value;
        seen |= 2;
    }
    if (handle.GetField(kFieldAsk, value)) {
        m_seenAsk = value;
        seen |= 4;
    }
    m_nSeenFields |= seen;
}

bool CAlert::OpenQuoteHandle(std::unique_ptr<CQuoteListener> listener)
{
    if (m_pQuoteHandle)
        return true;  // already watching
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager)
        return false;
    CSymbolHandle* handle = manager->CreateSymbolHandle(m_symbol);
    if (!handle)
        return false;
    m_pListener = std::move(listener);
    m_pQuoteStore = &manager->GetQuoteStore();
    handle->SetListener(m_pListener.get());
    m_pQuoteHandle = handle;
    handle->Subscribe();
    return true;
}

void CAlert::CloseQuoteHandle()
{
    if (m_pQuoteHandle) {
        if (CSessionManager* manager = CSessionManager::Instance())
            manager->DeleteSymbolHandle(m_pQuoteHandle);
        else
            std::unique_ptr<CSymbolHandle> owned(m_pQuoteHandle);  // unregisters in its destructor
        m_pQuoteHandle = nullptr;
        m_pQuoteStore = nullptr;
    }
    m_pListener.reset();
}

bool CAlert::ReadQuoteField(int id, double& value) const
{
    value = 0;
    if (!m_pQuoteHandle || !m_pQuoteStore)
        return false;
    std::unique_lock<std::recursive_mutex> lock(m_pQuoteStore->GetLock(), std::try_to_lock);
    if (lock.owns_lock())
        return m_pQuoteHandle->GetField(id, value);
    const int seen = m_nSeenFields.load();
    switch (id) {
    case kFieldLast:
        value = m_seenLast;
        return (seen & 1) != 0;
    case kFieldBid:
        value = m_seenBid;
        return (seen & 2) != 0;
    case kFieldAsk:
        value = m_seenAsk;
        return (seen & 4) != 0;
    default:
        return false;
    }
}

void CAlert::Deliver(double price, int trigger, const CString& date)
{
    IAlertHost* host = GetAlertHost();
    if (!host)
        return;
    auto event = std::make_unique<CAlertEvent>();
    event->m_price = price;
    event->m_nTrigger = trigger;
    event->m_date = date;
    event->m_nAlertId = m_id;
    host->DeliverAlert(std::move(event), this);
}
