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

int CGridRow::UpdateHighlight(int fieldId, double value, std::optional<double> last)
{
    const int slot = HighlightSlotOf(fieldId);
    if (slot < 0)
        return kHighlightNone;
    double& remembered = m_remembered[slot];
    int& state = m_highlight[slot];
    switch (fieldId) {
    case kFieldLast:
    case kFieldBid:
    case kFieldAsk:
        if (remembered != 0 && value != remembered)
            state = value > remembered ? kHighlightUp : kHighlightDown;
        break;
    case kFieldHigh:
    case kFieldYearHigh:
        if (remembered != 0 && value > remembered)
            state = kHighlightUp;
        else if (last && *last < value)
            state = kHighlightNone;
        break;
    default: // Low and 1-Year Low
        if (remembered != 0 && value < remembered)
            state = kHighlightDown;
        else if (last && *last > value)
            state = kHighlightNone;
        break;
    }
    remembered = value;
    return state;
}
