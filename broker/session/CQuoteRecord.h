// One symbol's shared quote: fields 0 to 110, pending state and its listeners.
#pragma once

#include "broker/session/QuoteFields.h"
#include "broker/session/SessionMessages.h"
#include "platform/core/CString.h"
#include "platform/core/CTime.h"
#include "platform/core/WinTypes.h"

#include <cstdint>
#include <vector>

class CSymbolHandle;
class CPriceSeries;
class CMarketDepthHandle;
class CActivesHandle;

class CQuoteRecord {
public:
    static constexpr int64_t kPendingMillis = 4000;

    CQuoteRecord() = default;
    explicit CQuoteRecord(const CString& symbol);
    // Copies the market fields and the ranked lists; listeners stay with the original.
    CQuoteRecord(const CQuoteRecord& other) { *this = other; }
    CQuoteRecord& operator=(const CQuoteRecord& other);

    // Pending flag set and the request less than 4 s old.
    bool IsPending() const;
    bool IsPendingFlagSet() const { return m_bPending; }
    void StampRequest();
    // Stamps the request as made at that steady-clock time (milliseconds).
    void StampRequest(int64_t steadyMillis) { m_requestMillis = steadyMillis; }

    bool HasField(int id) const;
    double GetValue(int id) const { return HasField(id) ? m_values[id] : 0.0; }
    const CString& GetText(int id) const;

    // Sets a number; true when the field changed (or appeared).
    bool SetValue(int id, double value);
    bool SetText(int id, const CString& text);
    // Recomputes the derived fields after the inputs changed; appends changed ids to 'changed'.
    void Recompute(std::vector<BYTE>& changed);

    const CString& GetSymbol() const { return m_symbol; }
    const CString& GetDescription() const { return GetText(kFieldDescription); }
    const CString& GetExchange() const { return GetText(kFieldExchange); }
    DWORD GetTradeFeedTime() const { return static_cast<DWORD>(GetValue(kFieldTradeTime)); }
    // The time of the last trade; CTime(0) before the first trade.
    CTime GetTradeDate() const;
    double GetLast() const { return GetValue(kFieldLast); }
    double GetBid() const { return GetValue(kFieldBid); }
    double GetAsk() const { return GetValue(kFieldAsk); }
    double GetHigh() const { return GetValue(kFieldHigh); }
    double GetLow() const { return GetValue(kFieldLow); }
    double GetOpen() const { return GetValue(kFieldOpen); }
    uint64_t GetVolume() const { return static_cast<uint64_t>(GetValue(kFieldVolume)); }
    int GetTimeOffset() const { return m_nTimeOffset; }
    void SetTimeOffset(int minutes) { m_nTimeOffset = minutes; }

    // Actives records: [0] ranked by trades, [1] by volume.
    bool m_bActives = false;
    std::vector<CActivesRow> m_ranked[2];

    // Listeners; owned by their clients and never copied.
    std::vector<CSymbolHandle*> m_handles;
    std::vector<CPriceSeries*> m_series;
    std::vector<CMarketDepthHandle*> m_depthHandles;
    std::vector<CActivesHandle*> m_activesHandles;

    // Why the server gives no data for the symbol (it does not know it); empty while it
    // may still come. Data that arrives clears it.
    const CString& GetRefusal() const { return m_refusal; }
    void SetRefusal(const CString& text) { m_refusal = text; }

    bool HasListeners() const
    {
        return !m_handles.empty() || !m_series.empty() || !m_depthHandles.empty() || !m_activesHandles.empty();
    }
    void ClearPending() { m_bPending = false; }

private:
    static int TextSlot(int id);
    static constexpr int kTextSlots = 10;

    CString m_symbol;
    CString m_refusal;
    bool m_bPending = true;
    int64_t m_requestMillis = 0;
    int m_nTimeOffset = 0;
    uint64_t m_present[2] = {0, 0};
    double m_values[kQuoteFieldCount] = {};
    CString m_texts[kTextSlots];
};

int64_t SteadyMillis();
