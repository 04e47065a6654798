// The base of every alert: the symbol watched, the order to place, the sound, the trigger
// state and the history of firings. Plain CAlert objects carry general, connection and
// news notifications; the kinds that watch something derive from it.
#pragma once

#include "analytics/formula/CFormulaOwner.h"
#include "platform/core/CString.h"
#include "platform/core/SystemTime.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

class CAlertTradeInfo;
class CQuoteListener;
class CQuoteStore;
class CStrategyAlert;
class CSymbolHandle;
class TiXmlElement;

enum EAlertType {
    kAlertPrice = 0,
    kAlertFormula = 1,
    kAlertGeneral = 2,
    kAlertNews = 3,
    kAlertColumn = 4,
    kAlertStrategy = 5,
    kAlertOrderFill = 6,
};

// Every alert object has an id of its own, never reused while the program runs; windows
// and deliveries refer to alerts by it, never by pointer.
using AlertId = std::uint64_t;

struct CAlertHistoryEntry {
    CAlertHistoryEntry(CString date = CString(), double price = 0, CString note = CString())
        : m_date(std::move(date)), m_price(price), m_note(std::move(note))
    {
    }

    CString m_date;  // exchange time, "%m/%d/%Y %H:%M:%S"
    double m_price = 0;
    CString m_note;  // what went wrong in delivering the firing (a failed e-mail); empty
};

class CAlert : public CFormulaOwner {
public:
    explicit CAlert(int type = kAlertGeneral);
    // Copies symbol, type, trade info and sound; state, history and handle start empty.
    CAlert(const CAlert& other);
    CAlert& operator=(const CAlert&) = delete;
    // Releases the quote handle, then its listener; deletes the trade info.
    ~CAlert() override;

    AlertId GetId() const { return m_id; }

    virtual CStrategyAlert* GetOwner() const;
    // Quantity and price of a leg at firing; both 0 without trade info. Works on a copy
    // of the leg: a dollar amount is turned into shares for this order only.
    virtual void GetLegPrice(int leg, int action, int selection, double offset, int& quantity, double& price) const;
    virtual void GetOrderText(CString& text, int trigger) const;
    virtual void GetAccountText(CString& text) const;
    virtual void GetConditionText(CString& text) const;
    // Gets and subscribes the quote handle.
    virtual void Activate();
    void Fire() override;
    virtual void ResetTriggers();
    // Copies trigger state and history from another alert (null: nothing).
    virtual void CopyStateFrom(const CAlert* other);
    // The whole <Alert> element and the kind's own elements.
    virtual void ToXml(CString& text) const;
    virtual void TypeXml(CString& text) const;
    virtual void FromXml(const TiXmlElement* element);

    int GetTriggerState() const override { return m_bIsTriggered.load(); }

    // A copy of the given trade info (null deletes the alert's own).
    void SetTradeInfo(const CAlertTradeInfo* info);
    // The trade info itself, for the thread that edits the alert; threads that fire read
    // it through CopyTradeInfo or GetLegPrice, under the trade info's lock.
    CAlertTradeInfo* GetTradeInfo() const { return m_pTradeInfo.get(); }
    bool HasTradeInfo() const;
    // A copy made under the lock; null without trade info.
    std::unique_ptr<CAlertTradeInfo> CopyTradeInfo() const;
    // Every leg whose quantity type is 2 ("entry" quantity) gets the quantity.
    void SetEntryQuantity(int quantity);

    // The history is written on the threads that fire and read on the interface thread.
    std::vector<CAlertHistoryEntry> GetHistory() const;
    void SetHistory(std::vector<CAlertHistoryEntry> history);
    void InsertHistory(const CAlertHistoryEntry& entry);  // at the front: newest first
    // Gives the newest firing of that date the note.
    void NoteHistory(const CString& date, const CString& note);

    CSymbolHandle* GetQuoteHandle() const { return m_pQuoteHandle; }
    // Called by the handle's listener on the dispatcher thread: keeps last, bid and ask
    // for readers that cannot take the quote store's lock.
    void RememberQuote(const CSymbolHandle& handle);

    CString m_symbol;
    int m_nType;
    CString m_soundFile;
    std::atomic<int> m_bIsTriggered{0};
    std::atomic<int> m_bPaused{0};

protected:
    // Creates the quote handle on the installed session manager and subscribes it, with
    // the listener (owned) installed first; false without a session manager.
    bool OpenQuoteHandle(std::unique_ptr<CQuoteListener> listener);
    // Releases the handle and then its listener. Kinds whose listener calls back into
    // them release it in their own destructor, before their part is gone.
    void CloseQuoteHandle();
    // A field of the alert's quote (false when there is no handle or no value). Firing
    // runs under the formula engine's locks, so the store lock is only tried; when another
    // thread holds it, last, bid and ask come from what the listener saw last.
    bool ReadQuoteField(int id, double& value) const;
    // Hands a firing to the installed host (nothing without one).
    void Deliver(double price, int trigger, const CString& date);

    std::unique_ptr<CAlertTradeInfo> m_pTradeInfo;
    // Guards the trade info's contents between the thread that edits the alert and the
    // threads that fire it.
    mutable std::mutex m_tradeLock;

private:
    const AlertId m_id;
    mutable std::mutex m_historyLock;
    std::vector<CAlertHistoryEntry> m_history;
    CSymbolHandle* m_pQuoteHandle = nullptr;  // released with DeleteSymbolHandle
    CQuoteStore* m_pQuoteStore = nullptr;     // the store the handle belongs to
    std::unique_ptr<CQuoteListener> m_pListener;
    std::atomic<double> m_seenLast{0}, m_seenBid{0}, m_seenAsk{0};
    std::atomic<int> m_nSeenFields{0};  // bits: 1 last, 2 bid, 4 ask
};

// Current exchange time as "%m/%d/%Y %H:%M:%S" (the session manager's clock).
CString ExchangeDateText();
// Current exchange time; the machine's clock converted when no session manager exists.
void GetAlertExchangeTime(SYSTEMTIME& out);
// Whether the global checking hours let an alert fire now (true without an alert book).
bool AlertHoursOpen();

// A free text for an element of the alerts file: "&", "<" and ">" written as entities,
// so that a path or symbol holding them reads back unchanged.
CString EscapeAlertText(const char* text);
// The same for an attribute value between double quotes (quotes and line breaks too).
CString EscapeAttributeText(const char* text);

// Element lookups of the alert readers: the first element of the name, case-insensitive,
// depth first through the element's subtree but not into the sub-alerts of a strategy
// ("Entry" and "Exit" are found, never searched). A missing element or one without text
// leaves the value unchanged and returns false.
const TiXmlElement* FindAlertChild(const TiXmlElement* element, const char* name);
bool ReadAlertInt(const TiXmlElement* element, const char* name, int& value);
bool ReadAlertDouble(const TiXmlElement* element, const char* name, double& value);
bool ReadAlertText(const TiXmlElement* element, const char* name, CString& value);
