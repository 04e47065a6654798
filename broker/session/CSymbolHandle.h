// A client's view of one symbol's quote record: subscribe, snapshot/attach, field reads.
#pragma once

#include "broker/session/CQuoteRecord.h"
#include "platform/core/CString.h"

#include <atomic>

class CQuoteListener;
class CQuoteStore;

class CSymbolHandle {
public:
    CSymbolHandle(CQuoteStore& store, const CString& symbol);
    ~CSymbolHandle(); // unsubscribes
    CSymbolHandle(const CSymbolHandle&) = delete;
    CSymbolHandle& operator=(const CSymbolHandle&) = delete;

    CQuoteListener* m_pListener = nullptr;
    void SetListener(CQuoteListener* listener) { m_pListener = listener; }
    CQuoteListener* GetListener() const { return m_pListener; }

    // Finds or creates the shared record (creating subscribes it) and registers this handle.
    bool Subscribe();
    void Unsubscribe();
    bool IsSubscribed() const { return m_pShared != nullptr; }

    // Copies the shared record under the store lock and reads the copy from then on.
    void Snapshot();
    // Reads the shared record again.
    void Attach();

    bool GetField(int id, double& value) const;
    double GetDouble(int id) const;
    bool FormatField(int id, char* buffer, int size) const;
    bool GetDescription(char* buffer, int size) const;
    bool GetQualifiedSymbol(char* buffer, int size) const;
    bool IsPending() const;

    const CString& GetSymbol() const { return m_symbol; }

private:
    friend class CQuoteStore;
    template <class F>
    auto Read(F&& reader) const;

    CQuoteStore& m_store;
    CString m_symbol;
    CQuoteRecord* m_pShared = nullptr;        // set while subscribed; guarded by the store lock
    std::atomic<const CQuoteRecord*> m_pRecord{nullptr}; // what readers see: shared record or copy
    CQuoteRecord m_copy;
};

// Default text of a field value ("" and false when the record cannot supply it).
bool FormatQuoteField(const CQuoteRecord& record, int id, char* buffer, int size);
