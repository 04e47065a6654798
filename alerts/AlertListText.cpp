#include "alerts/AlertListText.h"

#include "alerts/CAlert.h"
#include "alerts/CStrategyAlert.h"
#include "broker/core/Formatters.h"
#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "trading/ReportViewState.h"

#include <algorithm>

namespace {

constexpr CReportColumn kColumns[kAlertFieldCount] = {
    {"Symbol", kAlertColumnCommandFirst + 0, EReportSort::kText},
    {"Description", kAlertColumnCommandFirst + 1, EReportSort::kText},
    {"Order", kAlertColumnCommandFirst + 2, EReportSort::kText},
    {"Last Triggered", kAlertColumnCommandFirst + 3, EReportSort::kText},
    {"Status", kAlertColumnCommandFirst + 4, EReportSort::kText},
    {"Trade Account", kAlertColumnCommandFirst + 5, EReportSort::kText},
};
// Wide enough for a firing's date and price and the head of an order in the list font.
constexpr int kWidths[kAlertFieldCount] = {70, 230, 300, 220, 70, 110};

CString PriceText(double price)
{
    return price != 0 ? FormatNumber(price, 2, 4) : CString();
}

void AppendHistory(std::vector<CExportRow>& rows, const std::vector<CAlertHistoryEntry>& history, size_t step,
                   const CString& symbol, const CString& description)
{
    // The history is newest first; step 0 is its oldest entry.
    if (step >= history.size())
        return;
    const CAlertHistoryEntry& entry = history[history.size() - 1 - step];
    rows.push_back({entry.m_date, symbol, description, PriceText(entry.m_price)});
}

} // namespace

std::span<const CReportColumn> AlertListColumns()
{
    return kColumns;
}

int AlertColumnWidth(int field)
{
    return field >= 0 && field < kAlertFieldCount ? kWidths[field] : kDefaultColumnWidth;
}

CAlertRowTexts AlertRowTexts(const CAlert& alert)
{
    CAlertRowTexts texts;
    texts[kAlertFieldSymbol] = alert.m_symbol;
    alert.GetConditionText(texts[kAlertFieldDescription]);
    alert.GetOrderText(texts[kAlertFieldOrder], 1);
    const std::vector<CAlertHistoryEntry> history = alert.GetHistory();
    if (!history.empty()) {
        texts[kAlertFieldLastTriggered] = history.front().m_date;
        if (history.front().m_price != 0)
            texts[kAlertFieldLastTriggered] += " @ " + FormatNumber(history.front().m_price, 2, 4);
        if (!history.front().m_note.IsEmpty())
            texts[kAlertFieldLastTriggered] += " (" + history.front().m_note + ")";
    }
    if (alert.m_bPaused)
        texts[kAlertFieldStatus] = "Paused";
    alert.GetAccountText(texts[kAlertFieldAccount]);
    return texts;
}

CExportRow AlertHistoryHeader()
{
    return {"Date", "Symbol", "Description", "Price"};
}

std::vector<CExportRow> AlertHistoryRows(const CAlert& alert)
{
    std::vector<CExportRow> rows;
    const auto* strategy = dynamic_cast<const CStrategyAlert*>(&alert);
    if (!strategy) {
        CString description;
        alert.GetConditionText(description);
        const std::vector<CAlertHistoryEntry> history = alert.GetHistory();
        for (size_t step = 0; step < history.size(); ++step)
            AppendHistory(rows, history, step, alert.m_symbol, description);
        return rows;
    }
    const CAlert* entry = strategy->GetEntryAlert();
    const CAlert* exit = strategy->GetExitAlert();
    const std::vector<CAlertHistoryEntry> entries = entry ? entry->GetHistory() : std::vector<CAlertHistoryEntry>();
    const std::vector<CAlertHistoryEntry> exits = exit ? exit->GetHistory() : std::vector<CAlertHistoryEntry>();
    const size_t steps = std::max(entries.size(), exits.size());
    for (size_t step = 0; step < steps; ++step) {
        AppendHistory(rows, entries, step, alert.m_symbol, strategy->m_entryFormula);
        AppendHistory(rows, exits, step, alert.m_symbol, strategy->m_exitFormula);
    }
    return rows;
}

bool StoreAlertListState(CArchive& ar, const CAlertListState& state, const CLinkState& link)
{
    return StoreReportListState(ar, state, link);
}

bool LoadAlertListState(CArchive& ar, CAlertListState& state, CLinkState& link)
{
    return LoadReportListState(ar, kAlertFieldCount, state, link);
}
