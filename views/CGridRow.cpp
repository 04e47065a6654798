#include "views/CGridRow.h"

#include "analytics/formula/CFormula.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"

int HighlightSlotOf(int fieldId)
{
    switch (fieldId) {
    case kFieldLast: return kSlotLast;
    case kFieldBid: return kSlotBid;
    case kFieldAsk: return kSlotAsk;
    case kFieldHigh: return kSlotHigh;
    case kFieldLow: return kSlotLow;
    case kFieldYearHigh: return kSlotYearHigh;
    case kFieldYearLow: return kSlotYearLow;
    default: return -1;
    }
}

CGridRow::CGridRow(std::unique_ptr<CSymbolHandle> handle, std::optional<CPortfolioPosition> position, int tag)
    : m_handle(std::move(handle)), m_position(std::move(position)), m_nTag(tag)
{
}

CGridRow::~CGridRow() = default;

const CString& CGridRow::Symbol() const
{
    static const CString none;
    return m_handle ? m_handle->GetSymbol() : none;
}

CFormula* CGridRow::Formula(int model) const
{
    auto it = m_formulas.find(model);
    return it == m_formulas.end() ? nullptr : it->second.get();
}

void CGridRow::SetFormula(int model, std::unique_ptr<CFormula> formula)
{
    m_formulas[model] = std::move(formula);
}

void CGridRow::DropFormula(int model)
{
    m_formulas.erase(model);
}

const std::optional<double>* CGridRow::KeptValue(int model, unsigned refresh) const
{
    if (model < 0 || model >= static_cast<int>(m_kept.size()) || m_kept[static_cast<size_t>(model)].refresh != refresh)
        return nullptr;
    return &m_kept[static_cast<size_t>(model)].value;
}

void CGridRow::KeepValue(int model, unsigned refresh, std::optional<double> value) const
{
    if (model < 0)
        return;
    if (model >= static_cast<int>(m_kept.size()))
        m_kept.resize(static_cast<size_t>(model) + 1);
    m_kept[static_cast<size_t>(model)] = {refresh, value};
}

int CGridRow::UpdateHighlight(int fieldId, double value, std::optional<double> last)
{
    const int slot = HighlightSlotOf(fieldId);
    if (slot < 0)
        return kHighlightNone;
    m_highlight[slot] = PeekHighlight(fieldId, value, last);
    m_remembered[slot] = value;
    return m_highlight[slot];
}

int CGridRow::PeekHighlight(int fieldId, double value, std::optional<double> last) const
{
    const int slot = HighlightSlotOf(fieldId);
    if (slot < 0)
        return kHighlightNone;
    const double remembered = m_remembered[slot];
    const int state = m_highlight[slot];
    switch (fieldId) {
    case kFieldLast:
    case kFieldBid:
    case kFieldAsk:
        if (remembered != 0 && value != remembered)
            return value > remembered ? kHighlightUp : kHighlightDown;
        return state;
    case kFieldHigh:
    case kFieldYearHigh:
        if (remembered != 0 && value > remembered)
            return kHighlightUp;
        if (last && *last < value)
            return kHighlightNone;
        return state;
    default: // Low and 1-Year Low
        if (remembered != 0 && value < remembered)
            return kHighlightDown;
        if (last && *last > value)
            return kHighlightNone;
        return state;
    }
}
