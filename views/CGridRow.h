// One row of the quote grid: the symbol's live quote handle (none for the totals row),
// an own copy of a position, the compiled formulas of the custom columns, and the
// remembered values of the highlighted fields.
#pragma once

#include "views/CPortfolio.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class CFormula;
class CSymbolHandle;

// Fields whose changes highlight the cell.
enum EHighlightSlot : int {
    kSlotLast, kSlotBid, kSlotAsk, kSlotHigh, kSlotLow, kSlotYearHigh, kSlotYearLow, kHighlightSlotCount
};
enum EHighlightState : int { kHighlightNone = 0, kHighlightUp = 1, kHighlightDown = 2 };

// The slot of a highlighted field id, -1 for other ids.
int HighlightSlotOf(int fieldId);

class CGridRow {
public:
    CGridRow(std::unique_ptr<CSymbolHandle> handle, std::optional<CPortfolioPosition> position, int tag);
    ~CGridRow();
    CGridRow(const CGridRow&) = delete;
    CGridRow& operator=(const CGridRow&) = delete;

    bool IsTotals() const { return !m_handle; }
    CSymbolHandle* Handle() const { return m_handle.get(); }
    // The symbol the row was made for; "" for the totals row.
    const CString& Symbol() const;
    const CPortfolioPosition* Position() const { return m_position ? &*m_position : nullptr; }
    int Tag() const { return m_nTag; }
    void SetTag(int tag) { m_nTag = tag; }

    // The compiled formula of a custom column (by model index), or null.
    CFormula* Formula(int model) const;
    void SetFormula(int model, std::unique_ptr<CFormula> formula);
    void DropFormula(int model);

    // Compares the value with the remembered one, updates the slot's state and
    // remembers the value; returns the state to draw. last: the row's Last (for
    // High and Low), or none.
    int UpdateHighlight(int fieldId, double value, std::optional<double> last);
    // The state UpdateHighlight would return, without remembering anything.
    int PeekHighlight(int fieldId, double value, std::optional<double> last) const;

    // A custom column's value kept for one refresh of the grid (see
    // CQuoteGridModel::BeginRefresh): the value, when it was kept in that refresh.
    const std::optional<double>* KeptValue(int model, unsigned refresh) const;
    void KeepValue(int model, unsigned refresh, std::optional<double> value) const;

    // What the sort compares, worked out once per sort.
    struct SortKey {
        CString text;
        std::vector<std::optional<double>> values;
    };
    SortKey m_sortKey;

private:
    std::unique_ptr<CSymbolHandle> m_handle;
    std::optional<CPortfolioPosition> m_position;
    int m_nTag;
    std::map<int, std::unique_ptr<CFormula>> m_formulas;
    double m_remembered[kHighlightSlotCount] = {};
    int m_highlight[kHighlightSlotCount] = {};
    struct KeptValueOf {
        unsigned refresh = 0;
        std::optional<double> value;
    };
    mutable std::vector<KeptValueOf> m_kept; // by model
};
