#include "views/CQuoteGridModel.h"

#include "alerts/CColumnAlert.h"
#include "alerts/IAlertHost.h"
#include "analytics/formula/CFormula.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/core/Formatters.h"
#include "broker/core/SymbolText.h"
#include "broker/session/CActivesHandle.h"
#include "broker/session/CQuoteStore.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kTextSize = 100;

const CString kTotalText = "Total";

int Direction(bool ascending)
{
    return ascending ? 1 : -1;
}

// Three-way comparison of optional values: a missing value comes first.
int CompareOptional(const std::optional<double>& a, const std::optional<double>& b)
{
    if (!a || !b)
        return a ? 1 : (b ? -1 : 0);
    return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

} // namespace

CString FixedPointText(double value, int decimals)
{
    return FormatFixed(value, std::clamp(decimals, 0, kMaxColumnDecimals));
}

CQuoteGridModel::CQuoteGridModel(CQuoteStore* store) : m_pStore(store) {}

CQuoteGridModel::~CQuoteGridModel()
{
    DestroyAllRows();
}

int CQuoteGridModel::AddColumn(const CGridColumn& column)
{
    auto free = std::find_if(m_columns.begin(), m_columns.end(), [](const auto& c) { return !c.has_value(); });
    const int model = static_cast<int>(free - m_columns.begin());
    if (free == m_columns.end())
        m_columns.emplace_back(column);
    else
        *free = column;
    if (column.IsCustom())
        for (const auto& row : m_rows)
            if (!row->IsTotals())
                row->SetFormula(model, MakeFormula(column, *row));
    return model;
}

void CQuoteGridModel::RemoveColumn(int model)
{
    if (!Column(model))
        return;
    for (const auto& row : m_rows)
        row->DropFormula(model);
    std::erase_if(m_alertValues, [model](const auto& entry) { return entry.first.first == model; });
    m_columns[static_cast<size_t>(model)].reset();
    if (m_nSortModel == model)
        m_nSortModel = -1;
}

const CGridColumn* CQuoteGridModel::Column(int model) const
{
    if (model < 0 || model >= SlotCount() || !m_columns[static_cast<size_t>(model)])
        return nullptr;
    return &*m_columns[static_cast<size_t>(model)];
}

CGridColumn* CQuoteGridModel::MutableColumn(int model)
{
    return const_cast<CGridColumn*>(static_cast<const CQuoteGridModel*>(this)->Column(model));
}

std::unique_ptr<CFormula> CQuoteGridModel::MakeFormula(const CGridColumn& column, const CGridRow& row) const
{
    auto formula = std::make_unique<CFormula>(column.formula, 1, std::max(column.barCount, 1), 0);
    CString error;
    if (!formula->Parse(error))
        return formula; // stays in the cell and gives no value
    if (const CPortfolioPosition* position = row.Position()) {
        formula->SetTradeValue(position->basePrice, kTradeEntryPrice);
        formula->SetTradeValue(static_cast<double>(position->Sign()) * position->shares, kTradeEntryShares);
    }
    const CAppSettings* settings = CAppSettings::Instance();
    const CString interval = settings ? settings->m_formulaInterval : CString("D");
    const int extended = settings && settings->m_bExtSessionFormulas ? 1 : 0;
    // Bars are laid out only for formulas that read them.
    std::vector<CFormulaSeriesItem*> series;
    formula->GetSeriesInputs(series);
    formula->Subscribe(row.Symbol(), extended, nullptr, nullptr, interval, 0, series.empty() ? 1 : 0);
    return formula;
}

CGridRow* CQuoteGridModel::CreateRow(const CString& symbol, const CPortfolioPosition* position, int tag)
{
    const CString normal = NormalizeSymbol(symbol);
    if (!m_pStore || normal.IsEmpty())
        return nullptr;
    auto handle = std::make_unique<CSymbolHandle>(*m_pStore, normal);
    handle->Subscribe();
    std::optional<CPortfolioPosition> copy;
    if (position)
        copy = *position;
    auto row = std::make_unique<CGridRow>(std::move(handle), std::move(copy), tag);
    for (int model = 0; model < SlotCount(); ++model)
        if (const CGridColumn* column = Column(model); column && column->IsCustom())
            row->SetFormula(model, MakeFormula(*column, *row));
    m_rows.push_back(std::move(row));
    return m_rows.back().get();
}

CGridRow* CQuoteGridModel::CreateTotalsRow()
{
    m_rows.push_back(std::make_unique<CGridRow>(nullptr, std::nullopt, 0));
    return m_rows.back().get();
}

void CQuoteGridModel::DestroyRow(CGridRow* row)
{
    std::erase_if(m_rows, [row](const auto& r) { return r.get() == row; });
}

void CQuoteGridModel::DestroyAllRows()
{
    m_rows.clear();
}

std::optional<double> CQuoteGridModel::Field(const CGridRow& row, int id) const
{
    double value = 0;
    if (!row.Handle() || !row.Handle()->GetField(id, value))
        return std::nullopt;
    return value;
}

std::optional<double> CQuoteGridModel::MarkPrice(const CGridRow& row) const
{
    const CPortfolioPosition* position = row.Position();
    int id = kFieldLast;
    if (GetSymbolKind(row.Symbol()) == kSymbolOption)
        id = position && position->IsShort() ? kFieldAsk : kFieldBid;
    return Field(row, id);
}

CString CQuoteGridModel::QualifiedSymbol(const CGridRow& row) const
{
    char buffer[kTextSize] = {};
    if (row.Handle() && row.Handle()->GetQualifiedSymbol(buffer, sizeof buffer))
        return buffer;
    return row.Symbol();
}

bool CQuoteGridModel::GetPositionCell(const CGridRow& row, int id, int decimals, CString& text,
                                      double& value) const
{
    const CPortfolioPosition* p = row.Position();
    if (!p)
        return false;
    const double s = p->Sign();
    const double shares = p->shares;
    const double multiplier = p->multiplier;
    switch (id) {
    case kGridComments: text = p->comments; return true;
    case kGridLongShort: text = p->IsShort() ? "Short" : "Long"; return true;
    case kGridPositionDate: text = p->date; return true;
    case kGridShares: {
        const int64_t signedShares = static_cast<int64_t>(p->Sign()) * p->shares;
        value = static_cast<double>(signedShares);
        text.Format("%lld", static_cast<long long>(signedShares));
        return true;
    }
    case kGridBasePrice: value = s * p->basePrice; text = FixedPointText(value, decimals); return true;
    default: break;
    }
    // The rest are valued at the market: nothing while the quote is pending or missing.
    if (id == kGridDailyPnl) {
        const std::optional<double> change = Field(row, kFieldChange);
        if (!change)
            return false;
        value = s * multiplier * shares * *change;
    } else {
        const std::optional<double> mark = MarkPrice(row);
        if (!mark)
            return false;
        if (id == kGridProfitLoss) {
            value = s * (*mark - p->basePrice) * multiplier * shares - p->fee;
        } else if (id == kGridReturn) {
            if (shares == 0 || p->basePrice == 0 || multiplier == 0)
                return false;
            value = ((*mark - p->basePrice) * s - p->fee / (shares * multiplier)) / p->basePrice * 100.0;
        } else if (id == kGridMarketValue) {
            value = s * multiplier * shares * *mark;
        } else {
            return false;
        }
    }
    text = FixedPointText(value, decimals);
    return true;
}

bool CQuoteGridModel::GetActivesCell(const CGridRow& row, int id, CString& text, double& value) const
{
    if (!m_pActives)
        return false;
    const int mode = m_pActives->GetType() == 1 ? 1 : 2;
    double count = 0;
    if (!m_pActives->GetValue(row.Symbol(), mode, count))
        return false;
    if (id == kGridActivity) {
        value = count;
        text = FormatIntThousands(static_cast<int64_t>(count));
        return true;
    }
    double total = 0;
    CString symbol;
    for (int i = 0; m_pActives->GetSymbol(i, symbol); ++i) {
        double v = 0;
        if (m_pActives->GetValue(symbol, mode, v))
            total += v;
    }
    if (total <= 0)
        return false;
    value = count / total * 100.0;
    text = FixedPointText(value, 2);
    return true;
}

std::optional<double> CQuoteGridModel::EvaluateCustom(const CGridRow& row, int model, int barOffset) const
{
    const bool keep = m_nRefresh % 2 == 1 && barOffset == 0;
    if (keep)
        if (const std::optional<double>* kept = row.KeptValue(model, m_nRefresh))
            return *kept;
    CFormula* formula = row.Formula(model);
    double value = 0;
    std::optional<double> result;
    if (formula && formula->IsParsed() && formula->Evaluate(&value, barOffset, -1) && std::isfinite(value))
        result = value;
    if (keep)
        row.KeepValue(model, m_nRefresh, result);
    return result;
}

void CQuoteGridModel::BeginRefresh()
{
    if (m_nRefresh % 2 == 0)
        ++m_nRefresh;
}

void CQuoteGridModel::EndRefresh()
{
    if (m_nRefresh % 2 == 1)
        ++m_nRefresh;
}

std::optional<COLORREF> CQuoteGridModel::ColorBox(const CGridRow& row, int model, int box) const
{
    const CGridColumn* column = Column(model);
    if (!column)
        return std::nullopt;
    const std::optional<double> value = EvaluateCustom(row, model, box);
    if (!value)
        return std::nullopt;
    const CColorRule* rule = FirstHoldingRule(column->rules, *value);
    if (!rule)
        return std::nullopt;
    return rule->first;
}

bool CQuoteGridModel::GetCustomCell(const CGridRow& row, const CGridColumn& column, int model, CString& text,
                                    double& value, int barOffset) const
{
    const std::optional<double> result = EvaluateCustom(row, model, barOffset);
    if (!result)
        return false;
    value = *result;
    text = CustomCellText(column, value);
    return true;
}

CString CQuoteGridModel::CustomCellText(const CGridColumn& column, double value)
{
    const CColumnAlertState& state = column.alerts[value != 0 ? 1 : 0];
    return state.displayText.IsEmpty() ? FormatDoubleThousands(value, column.decimals) : state.displayText;
}

bool CQuoteGridModel::ShowsQuoteNumber(int model) const
{
    const CGridColumn* column = Column(model);
    if (!column || column->IsCustom())
        return false;
    const int id = column->fieldId;
    switch (id) {
    case kGridDescription: case kGridSymbol: case kGridExchange: case kGridRowNumber: case kGridActivity:
    case kGridPercentOfTotal: case kGridNotes:
        return false;
    default:
        break;
    }
    if (IsPositionGridField(id) || !IsGridFieldId(id))
        return false;
    switch (QuoteFieldKind(id)) {
    case kKindPrice: case kKindCount: case kKindRatio: case kKindLarge: case kKindTime:
        return true;
    default:
        return false;
    }
}

std::optional<double> CQuoteGridModel::QuoteNumber(const CGridRow& row, int model) const
{
    const CGridColumn* column = Column(model);
    return column && !row.IsTotals() ? Field(row, column->fieldId) : std::nullopt;
}

bool CQuoteGridModel::GetCell(const CGridRow& row, int rowIndex, int model, CString& text, double& value,
                              int barOffset) const
{
    text.Empty();
    value = 0;
    const CGridColumn* column = Column(model);
    if (!column)
        return false;
    const int id = column->fieldId;
    if (row.IsTotals()) {
        if (id == kGridSymbol || id == kGridDescription) {
            text = kTotalText;
            return true;
        }
        if (!HasTotal(id))
            return false;
        value = Total(id);
        text = FixedPointText(value, column->decimals);
        return true;
    }
    if (column->IsCustom())
        return GetCustomCell(row, *column, model, text, value, barOffset);
    if (IsPositionGridField(id))
        return GetPositionCell(row, id, column->decimals, text, value);
    char buffer[kTextSize] = {};
    switch (id) {
    case kGridDescription:
        if (!row.Handle()->GetDescription(buffer, sizeof buffer))
            return false;
        text = buffer;
        return true;
    case kGridSymbol:
    case kGridExchange: {
        const CString qualified = QualifiedSymbol(row);
        const int colon = qualified.Find(':');
        if (id == kGridSymbol)
            text = colon >= 0 ? qualified.Mid(colon + 1) : qualified;
        else if (colon >= 0)
            text = qualified.Left(colon);
        else
            return false;
        return true;
    }
    case kGridRowNumber:
        value = rowIndex + 1;
        text.Format("%d", rowIndex + 1);
        return true;
    case kGridActivity:
    case kGridPercentOfTotal:
        return GetActivesCell(row, id, text, value);
    case kGridNotes: {
        const CAppSettings* settings = CAppSettings::Instance();
        return settings && settings->m_notes.Lookup(row.Symbol(), text);
    }
    default:
        break;
    }
    if (!IsGridFieldId(id))
        return false;
    const std::optional<double> field = Field(row, id);
    if (field)
        value = *field;
    if (column->fixedDecimals && field) {
        text = FixedPointText(value, column->decimals);
        return true;
    }
    if (!row.Handle()->FormatField(id, buffer, sizeof buffer))
        return false;
    text = buffer;
    return true;
}

bool CQuoteGridModel::HasTotal(int fieldId)
{
    switch (fieldId) {
    case 0: case 3: case 4: case 6: case 7: case kGridChange: case kGridPercentChange:
    case kGridShares: case kGridBasePrice: case kGridProfitLoss: case kGridReturn: case kGridMarketValue:
    case kGridDailyPnl:
        return true;
    default:
        return false;
    }
}

double CQuoteGridModel::Total(int fieldId) const
{
    double sum = 0;
    double cost = 0;
    double worth = 0;
    for (const auto& owned : m_rows) {
        const CGridRow& row = *owned;
        const CPortfolioPosition* p = row.Position();
        if (row.IsTotals() || !p)
            continue;
        const double s = p->Sign();
        const double units = s * p->multiplier * static_cast<double>(p->shares);
        switch (fieldId) {
        case 0: case 3: case 4: case 6: case 7: case kGridChange:
            if (const auto v = Field(row, fieldId))
                sum += units * *v;
            break;
        case kGridPercentChange: {
            const auto close = Field(row, kFieldYesterdayClose);
            const auto last = Field(row, kFieldLast);
            if (close && last) {
                cost += units * *close;
                worth += units * *last - p->fee;
            }
            break;
        }
        case kGridReturn: {
            const auto mark = MarkPrice(row);
            if (mark) {
                cost += units * p->basePrice;
                worth += units * *mark - p->fee;
            }
            break;
        }
        case kGridShares: sum += s * p->shares; break;
        case kGridBasePrice: sum += units * p->basePrice; break;
        case kGridProfitLoss: {
            CString text;
            double value = 0;
            if (GetPositionCell(row, kGridProfitLoss, 2, text, value))
                sum += value;
            break;
        }
        case kGridMarketValue:
            if (const auto mark = MarkPrice(row))
                sum += units * *mark;
            break;
        case kGridDailyPnl:
            if (const auto change = Field(row, kFieldChange))
                sum += units * *change;
            break;
        default:
            return 0;
        }
    }
    if (fieldId == kGridPercentChange || fieldId == kGridReturn)
        return cost == 0 ? 0 : (worth - cost) / std::fabs(cost) * 100.0;
    return sum;
}

void CQuoteGridModel::SetSort(int model, bool ascending)
{
    m_nSortModel = Column(model) ? model : -1;
    m_bAscending = ascending;
}

CGridRow::SortKey CQuoteGridModel::MakeSortKey(const CGridRow& row) const
{
    CGridRow::SortKey key;
    const CGridColumn* column = Column(m_nSortModel);
    if (!column || row.IsTotals())
        return key;
    const int id = column->fieldId;
    if (column->IsCustom()) {
        for (int offset = std::max(column->barCount - 1, 0); offset >= 0; --offset) {
            std::optional<double> value = EvaluateCustom(row, m_nSortModel, offset);
            if (value && column->IsColorField()) {
                const CColorRule* rule = FirstHoldingRule(column->rules, *value);
                value = rule ? static_cast<double>(rule->first) : 0.0;
            }
            key.values.push_back(value);
        }
    } else if (IsTextGridField(id)) {
        double value = 0;
        GetCell(row, 0, m_nSortModel, key.text, value);
    } else if (SortsByCellValue(id)) {
        CString text;
        double value = 0;
        if (GetCell(row, 0, m_nSortModel, text, value))
            key.values.push_back(value);
        else
            key.values.push_back(std::nullopt);
    } else {
        key.values.push_back(row.Handle()->GetDouble(id));
    }
    return key;
}

void CQuoteGridModel::PrepareSortKeys()
{
    for (const auto& row : m_rows)
        row->m_sortKey = MakeSortKey(*row);
}

int CQuoteGridModel::CompareRows(const CGridRow& a, const CGridRow& b) const
{
    if (a.IsTotals() || b.IsTotals())
        return a.IsTotals() == b.IsTotals() ? 0 : (a.IsTotals() ? 1 : -1);
    const CGridColumn* column = Column(m_nSortModel);
    if (!column)
        return 0;
    int order = 0;
    if (!column->IsCustom() && IsTextGridField(column->fieldId)) {
        order = std::strcmp(a.m_sortKey.text.GetString(), b.m_sortKey.text.GetString());
        order = order < 0 ? -1 : (order > 0 ? 1 : 0);
    } else {
        const auto& x = a.m_sortKey.values;
        const auto& y = b.m_sortKey.values;
        for (size_t i = 0; i < std::min(x.size(), y.size()) && order == 0; ++i)
            order = CompareOptional(x[i], y[i]);
    }
    return order * Direction(m_bAscending);
}

int CQuoteGridModel::CheckColumnAlerts()
{
    int raised = 0;
    for (int model = 0; model < SlotCount(); ++model) {
        const CGridColumn* column = Column(model);
        if (!column || !column->HasAlerts())
            continue;
        for (const auto& owned : m_rows) {
            const CGridRow& row = *owned;
            if (row.IsTotals())
                continue;
            const std::optional<double> result = EvaluateCustom(row, model, 0);
            if (!result)
                continue;
            const double value = *result;
            const auto [previous, first] = m_alertValues.try_emplace(std::make_pair(model, row.Symbol()), value);
            const bool changed = !first && previous->second != value;
            previous->second = value;
            const CColumnAlertState& state = column->alerts[value != 0 ? 1 : 0];
            if (!changed || !state.alertOn)
                continue;
            ++raised;
            if (IAlertHost* host = GetAlertHost()) {
                // The cell's text, worked out only for an alert raised.
                auto alert = std::make_unique<CColumnAlert>(QualifiedSymbol(row), state.soundFile, column->name,
                                                            CustomCellText(*column, value));
                host->DeliverAlert(nullptr, alert.release()); // the main window owns it from here
            }
        }
    }
    return raised;
}
