#include "trading/COrderFormLogic.h"

#include "broker/core/Formatters.h"
#include "broker/session/CQuoteListener.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "common/services/TextHelpers.h"
#include "trading/ITradingHost.h"
#include "trading/OrderChoices.h"
#include "trading/OrderFormIds.h"
#include "trading/OrderPriceText.h"
#include "trading/SendOrders.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

using namespace order_ids;

namespace {

// Tells the page of every quote change of a leg's symbol; dispatcher thread.
class CLegQuoteListener : public CQuoteListener {
public:
    CLegQuoteListener(std::function<void(int)> notify, int leg) : m_notify(std::move(notify)), m_leg(leg) {}
    void OnQuoteChange(CSymbolHandle*, int, const BYTE*) override
    {
        if (m_notify)
            m_notify(m_leg);
    }

private:
    std::function<void(int)> m_notify;
    int m_leg;
};

int IndexOf(const std::vector<CString>& items, const CString& text)
{
    const auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

// A number above 0 as the order fields show it.
// A price the order string carries as typed: above 0 and at most four decimals.
bool PositiveNumber(const CString& text, double& value)
{
    return ParseOrderNumber(text, value) && IsOrderPrice(value);
}

CString FormatQuantity(double quantity, int mode)
{
    CString text;
    text.Format(mode == 0 ? "%.2f" : "%.0f", quantity);
    return text;
}

// A quantity field's text as a positive number; a whole one within the order limit when it
// counts shares (mode 1).
bool IsValidQuantity(const CString& text, int mode)
{
    double number = 0;
    bool ok = ParseOrderNumber(text, number) && number > 0;
    if (mode == 1)
        ok = ok && number == std::floor(number) && number <= kMaxOrderQuantity;
    return !text.IsEmpty() && ok;
}

// A refused quantity field: an amount in mode 0, else a quantity.
const char* QuantityMessage(int mode)
{
    return mode == 0 ? "Please enter a valid amount" : "Please enter a valid quantity";
}

// "Order N: " before a message about leg N-1.
CString LegMessage(int leg, const CString& text)
{
    CString prefix;
    prefix.Format("Order %d: ", leg + 1);
    return prefix + text;
}

}  // namespace

// ---------------------------------------------------------------- choice lists

void FillOrderChoiceLists(IOrderFormControls& controls, UINT orderTypeId, UINT expireId, UINT instructionsId,
                          UINT routeId, int securityKind, bool conditional)
{
    auto current = [&](UINT id) {
        const int sel = controls.GetComboSelection(id);
        const std::vector<CString> items = controls.GetComboItems(id);
        return sel >= 0 && sel < static_cast<int>(items.size()) ? items[static_cast<size_t>(sel)]
                                                                : controls.GetControlText(id);
    };
    const CString type = current(orderTypeId);
    const COrderChoiceLists lists = ComputeOrderChoices(type, current(expireId), current(instructionsId),
                                                        current(routeId), securityKind, conditional);
    if (type.IsEmpty()) {
        std::vector<CString> types = controls.GetComboItems(orderTypeId);
        int index = IndexOf(types, lists.orderType);
        if (index < 0) {
            types.push_back(lists.orderType);
            controls.SetComboItems(orderTypeId, types);
            index = static_cast<int>(types.size()) - 1;
        }
        controls.SetComboSelection(orderTypeId, index);
    }
    if (!lists.found)
        return;
    auto refill = [&](UINT id, const std::vector<CString>& items, const CString& chosen) {
        controls.SetComboItems(id, items);
        controls.SetComboSelection(id, IndexOf(items, chosen));
    };
    refill(expireId, lists.expires, lists.expire);
    refill(routeId, lists.routes, lists.route);
    refill(instructionsId, lists.instructions, lists.instruction);
}

// ---------------------------------------------------------------- construction and state

COrderFormLogic::COrderFormLogic(IOrderFormControls& owner, int conditional)
    : m_owner(owner), m_bConditional(conditional != 0), m_nConditionalType(conditional ? 0 : -1)
{
    for (int i = 0; i < kLegCount; ++i)
        LoadRecord(i, COrderRecord(0));
}

COrderFormLogic::~COrderFormLogic()
{
    ReleaseQuotes();
}

void COrderFormLogic::LoadRecord(int leg, const COrderRecord& record)
{
    Leg& l = m_legs[Index(leg)];
    l.symbol = record.symbol;
    l.action = record.action;
    l.orderType = record.orderType;
    l.expire = record.expire;
    l.instructions = record.instructions;
    l.route = record.route;
    l.orderId = record.orderId;
    l.quantityMode = record.quantityMode;
    l.day = record.expirationDay;
    l.month = record.expirationMonth;
    l.year = record.expirationYear;
    l.priceSource = record.priceSource;
    l.priceOffset = record.priceOffset;
    l.quantity = FormatQuantity(record.quantity, record.quantityMode);
    // Shown with every decimal the order carries, so that an edit sends what it did not touch.
    if (record.price != 0)
        l.price = OrderPriceText(record.price);
    l.activationPrice = record.activationPrice != 0 ? OrderPriceText(record.activationPrice) : CString("0.00");
}

void COrderFormLogic::LoadLeg(const COrderRecord& record, int leg)
{
    if (GetSymbolKind(record.symbol) == kSymbolOption)
        m_nSecurityKind = 1;
    LoadRecord(leg, record);
}

void COrderFormLogic::StoreLeg(int leg, COrderRecord& record) const
{
    const Leg& l = m_legs[Index(leg)];
    auto number = [](const CString& text) {
        double value = 0;
        return ParseOrderNumber(text, value) ? value : 0.0;
    };
    record.symbol = l.symbol;
    record.action = l.action;
    record.orderType = l.orderType;
    record.expire = l.expire;
    record.instructions = l.instructions;
    record.route = l.route;
    record.orderId = l.orderId;
    record.quantityMode = l.quantityMode;
    record.expirationDay = l.day;
    record.expirationMonth = l.month;
    record.expirationYear = l.year;
    record.priceSource = l.priceSource;
    record.priceOffset = l.priceOffset;
    record.quantity = number(l.quantity);
    record.price = number(l.price);
    record.activationPrice = number(l.activationPrice);
}

void COrderFormLogic::SetSecurityKind(int securityKind)
{
    ReleaseQuotes();
    m_nSecurityKind = securityKind == 1 ? 1 : 0;
    for (int i = 0; i < kLegCount; ++i) {
        m_legs[Index(i)].price.Empty();
        LoadRecord(i, COrderRecord(m_nSecurityKind));
    }
}

void COrderFormLogic::SetAccounts(int mode, const std::vector<CString>& names)
{
    m_nAccountMode = mode;
    m_accountNames = names;
}

void COrderFormLogic::SetConditionalType(int type)
{
    m_nConditionalType = m_bConditional ? std::clamp(type, 0, kConditionalTypeCount - 1) : -1;
}

int COrderFormLogic::GetLegsInUse() const
{
    return m_bConditional ? ConditionalLegCount(m_nConditionalType) : 1;
}

bool COrderFormLogic::HasPrice(int leg) const
{
    return OrderTypeHasPrice(m_legs[Index(leg)].orderType);
}

// ---------------------------------------------------------------- controls

CString COrderFormLogic::ComboText(UINT id) const
{
    const int sel = m_owner.GetComboSelection(id);
    const std::vector<CString> items = m_owner.GetComboItems(id);
    if (sel >= 0 && sel < static_cast<int>(items.size()))
        return items[static_cast<size_t>(sel)];
    return m_owner.GetControlText(id);
}

void COrderFormLogic::SelectComboText(UINT id, const CString& text, bool add)
{
    std::vector<CString> items = m_owner.GetComboItems(id);
    int index = IndexOf(items, text);
    if (index < 0 && add && !text.IsEmpty()) {
        items.push_back(text);
        m_owner.SetComboItems(id, items);
        index = static_cast<int>(items.size()) - 1;
    }
    m_owner.SetComboSelection(id, index);
}

void COrderFormLogic::UpdateData(bool save)
{
    const int legs = m_bConditional ? kLegCount : 1;
    const bool symbolBound = m_bConditional || m_nMode != kOrderModeAlert;
    for (int i = 0; i < legs; ++i) {
        Leg& l = m_legs[Index(i)];
        const std::pair<UINT, CString*> edits[] = {{kQuantity, &l.quantity}, {kPrice, &l.price},
                                                   {kActPrice, &l.activationPrice}, {kMonth, &l.month},
                                                   {kDay, &l.day},           {kYear, &l.year}};
        for (const auto& [base, text] : edits) {
            if (!m_owner.HasControl(Id(base, i)))
                continue;
            if (save)
                *text = m_owner.GetControlText(Id(base, i));
            else
                m_owner.SetControlText(Id(base, i), *text);
        }
        if (symbolBound && m_owner.HasControl(Id(kSymbol, i))) {
            if (save) {
                CString symbol = m_owner.GetControlText(Id(kSymbol, i));
                symbol.Trim();
                l.symbol = symbol;
            } else {
                m_owner.SetControlText(Id(kSymbol, i), l.symbol);
            }
        }
    }
    if (m_bConditional && m_owner.HasControl(kConditionalType)) {
        if (save) {
            const int sel = m_owner.GetComboSelection(kConditionalType);
            if (sel >= 0)
                m_nConditionalType = sel;
        } else {
            m_owner.SetComboSelection(kConditionalType, m_nConditionalType);
        }
    }
}

void COrderFormLogic::InitControls()
{
    m_owner.ShowControl(kDisclaimer, m_nSecurityKind == 1);
    if (m_bConditional) {
        m_owner.SetCheck(kStockRadio, m_nSecurityKind == 0);
        m_owner.SetCheck(kOptionRadio, m_nSecurityKind == 1);
        std::vector<CString> types;
        for (int t = 0; t < kConditionalTypeCount; ++t)
            types.emplace_back(ConditionalTypeText(t));
        m_owner.SetComboItems(kConditionalType, types);
    }
    UpdateData(false);

    if (m_nMode == kOrderModeUpdate) {
        m_owner.SetControlText(kPlace, "&Update Order");
        m_owner.ShowControl(kSave, false);
    } else if (m_nMode == kOrderModeAlert && m_bConditional) {
        m_owner.SetControlText(kPlace, "OK");
    } else {
        m_owner.SetControlText(kPlace, "&Place Order");
    }
    const bool alertSingle = m_nMode == kOrderModeAlert && !m_bConditional;
    m_owner.SetControlText(kClear, IsModal() && !alertSingle ? "Cancel" : "&Clear Fields");

    if (m_bConditional)
        ApplyConditionalType();
    else
        SetupLeg(0);
    FillAccountCombo();
    m_nLastSymbolLeg = 0;
}

void COrderFormLogic::ShowLegControls(int leg, bool shown)
{
    for (UINT base : kLegControls)
        m_owner.ShowControl(Id(base, leg), shown);
}

void COrderFormLogic::ApplyConditionalType()
{
    const int inUse = GetLegsInUse();
    for (int i = 0; i < kLegCount; ++i) {
        ShowLegControls(i, i < inUse);
        if (i < inUse)
            SetupLeg(i);
    }
    SyncLinkedTypes();
    UpdateGroupLabels();
    m_owner.LegsInUseChanged();
}

void COrderFormLogic::ShowLeg(bool shown)
{
    ShowLegControls(0, shown);
    if (shown)
        SetupLeg(0);
}

void COrderFormLogic::SetupLeg(int leg)
{
    Leg& l = m_legs[Index(leg)];
    const bool option = m_nSecurityKind == 1;
    const bool linked = IsLinkedLeg(m_nConditionalType, leg);
    const bool bracketSecond = m_nConditionalType == kBracketType && leg == 1;
    const bool pairSecond = IsSecondOfLinkedPair(m_nConditionalType, leg);

    m_owner.SetSpinDecimals(Id(kQuantitySpin, leg), 0, false);
    m_owner.SetSpinRange(Id(kQuantitySpin, leg), 0, 1000000000, option ? 1 : 100);
    for (UINT spin : {kPriceSpin, kActPriceSpin}) {
        m_owner.SetSpinDecimals(Id(spin, leg), 2, false);
        m_owner.SetSpinRange(Id(spin, leg), 0, 1000000, 0.01);
    }

    m_owner.SetComboItems(Id(kOrderType, leg), OrderTypeChoices(m_nSecurityKind, m_nMode, linked));
    m_owner.SetComboItems(Id(kAction, leg), OrderActionWords(m_nSecurityKind));

    for (UINT base : {kAction, kQuantity, kQuantityMode, kSymbol, kOptionChain})
        m_owner.EnableControl(Id(base, leg), !bracketSecond);
    for (UINT base : {kExpire, kMonth, kDay, kYear})
        m_owner.EnableControl(Id(base, leg), !pairSecond);
    for (UINT base : {kOrderType, kInstructions, kRoute, kPriceSource})
        m_owner.EnableControl(Id(base, leg), true);
    m_owner.ShowControl(Id(kOptionChain, leg), option && !IsModal() && m_nMode == kOrderModeNew);

    m_owner.SetComboSelection(Id(kAction, leg), l.action >= 0 && l.action < 4 ? l.action : -1);
    const std::vector<CString> types = m_owner.GetComboItems(Id(kOrderType, leg));
    if (l.orderType.IsEmpty() || (linked && l.orderType == "Market"))
        m_owner.SetComboSelection(Id(kOrderType, leg), types.empty() ? -1 : 0);
    else
        SelectComboText(Id(kOrderType, leg), l.orderType, true);
    SelectComboText(Id(kExpire, leg), l.expire, true);
    SelectComboText(Id(kInstructions, leg), l.instructions, true);
    SelectComboText(Id(kRoute, leg), l.route, true);

    if (m_bConditional)
        m_owner.EnableControl(Id(kRoute, leg), false);
    if (m_nMode == kOrderModeUpdate)
        for (UINT base : {kSymbol, kAction, kInstructions, kRoute})
            m_owner.EnableControl(Id(base, leg), false);

    AttachQuote(leg);
    OnOrderTypeChanged(leg);
    ShowPriceSource(leg, false);
    ShowQuantityMode(leg);
    double quantity = 0;
    if (ParseOrderNumber(l.quantity, quantity) && quantity != 0)
        m_owner.SetControlText(Id(kQuantity, leg), l.quantity);
    else
        m_owner.SetControlText(Id(kQuantity, leg), "");
}

void COrderFormLogic::ReadCombos()
{
    UpdateData(true);
    for (int i = 0; i < GetLegsInUse(); ++i) {
        Leg& l = m_legs[Index(i)];
        l.action = m_owner.GetComboSelection(Id(kAction, i));
        l.orderType = ComboText(Id(kOrderType, i));
        l.expire = ComboText(Id(kExpire, i));
        l.instructions = ComboText(Id(kInstructions, i));
        l.route = ComboText(Id(kRoute, i));
    }
}

// ---------------------------------------------------------------- order type, expire, links

void COrderFormLogic::OnOrderTypeChanged(int leg)
{
    Leg& l = m_legs[Index(leg)];
    l.orderType = ComboText(Id(kOrderType, leg));
    const CString& type = l.orderType;
    const bool trailing = IsTrailingStop(type);
    const bool priceShown = OrderTypeHasPrice(type);
    for (UINT base : {kPriceLabel, kPrice, kPriceSpin})
        m_owner.ShowControl(Id(base, leg), priceShown);
    const bool sourceShown = priceShown && !trailing;
    m_owner.ShowControl(Id(kPriceSource, leg), sourceShown);
    if (!sourceShown) {
        const bool hadSource = l.priceSource != 0 || l.priceOffset != 0;
        l.priceSource = 0;
        l.priceOffset = 0;
        if (!trailing)
            m_owner.SetControlText(Id(kPrice, leg), "");
        if (hadSource)
            ShowPriceSource(leg, false);
    }
    m_owner.SetControlText(Id(kPriceLabel, leg), trailing ? "Param:" : "Price:");
    const bool percent = type.Find('%') >= 0;
    m_owner.SetSpinDecimals(Id(kPriceSpin, leg), percent ? 0 : 2, false);
    m_owner.SetSpinRange(Id(kPriceSpin, leg), 0, 1000000000, percent ? 1 : 0.01);

    const bool activation = OrderTypeHasActivationPrice(type);
    for (UINT base : {kActPriceLabel, kActPrice, kActPriceSpin})
        m_owner.ShowControl(Id(base, leg), activation);
    if (!activation)
        m_owner.SetControlText(Id(kActPrice, leg), "");

    FillOrderChoiceLists(m_owner, Id(kOrderType, leg), Id(kExpire, leg), Id(kInstructions, leg), Id(kRoute, leg),
                         m_nSecurityKind, m_bConditional);
    l.orderType = ComboText(Id(kOrderType, leg));

    if (m_nMode == kOrderModeUpdate && m_nSecurityKind == 0 && l.orderType == "Limit") {
        const CString expire = ComboText(Id(kExpire, leg));
        std::vector<CString> pair;
        if (expire == "DAY" || expire == "GTC")
            pair = {"DAY", "GTC"};
        else if (expire == "DAY+EXT" || expire == "GTC+EXT")
            pair = {"DAY+EXT", "GTC+EXT"};
        if (!pair.empty()) {
            m_owner.SetComboItems(Id(kExpire, leg), pair);
            m_owner.SetComboSelection(Id(kExpire, leg), IndexOf(pair, expire));
        }
    }
    l.expire = ComboText(Id(kExpire, leg));

    const bool dateShown = IsGoodTillExpire(l.expire);
    for (UINT base : {kDateLabel, kMonth, kDay, kYear})
        m_owner.ShowControl(Id(base, leg), dateShown);
    if (dateShown && m_nMode != kOrderModeAlert)
        SetDefaultDate(leg);

    if (IsFirstOfLinkedPair(m_nConditionalType, leg)) {
        SyncLinkedTypes();
        UpdateGroupLabels();
    }
}

void COrderFormLogic::SetDefaultDate(int leg)
{
    const UINT ids[] = {Id(kMonth, leg), Id(kDay, leg), Id(kYear, leg)};
    bool empty = false;
    for (UINT id : ids)
        empty = empty || m_owner.GetControlText(id).IsEmpty();
    if (!empty)
        return;
    const CCalendarDate date = AddMonths(Today(), 3);
    Leg& l = m_legs[Index(leg)];
    l.month.Format("%d", date.month);
    l.day.Format("%d", date.day);
    l.year.Format("%d", date.year);
    m_owner.SetControlText(ids[0], l.month);
    m_owner.SetControlText(ids[1], l.day);
    m_owner.SetControlText(ids[2], l.year);
}

void COrderFormLogic::OnExpireChanged(int leg)
{
    OnOrderTypeChanged(leg);
    CopyExpireToPartner(leg);
}

void COrderFormLogic::OnDateChanged(int leg)
{
    CopyExpireToPartner(leg);
}

void COrderFormLogic::CopyExpireToPartner(int leg)
{
    if (!IsFirstOfLinkedPair(m_nConditionalType, leg))
        return;
    const int second = leg + 1;
    SelectComboText(Id(kExpire, second), ComboText(Id(kExpire, leg)), true);
    for (UINT base : {kMonth, kDay, kYear})
        m_owner.SetControlText(Id(base, second), m_owner.GetControlText(Id(base, leg)));
    OnOrderTypeChanged(second);
    for (UINT base : {kMonth, kDay, kYear})
        m_owner.SetControlText(Id(base, second), m_owner.GetControlText(Id(base, leg)));
}

bool COrderFormLogic::IsTied() const
{
    int first = -1;
    for (int i = 0; i < kLegCount; ++i)
        if (IsFirstOfLinkedPair(m_nConditionalType, i))
            first = i;
    if (first < 0)
        return false;
    if (m_nConditionalType == kBracketType || m_nMode == kOrderModeAlert)
        return true;
    const CString a = m_owner.HasControl(Id(kSymbol, first)) ? m_owner.GetControlText(Id(kSymbol, first))
                                                             : m_legs[Index(first)].symbol;
    const CString b = m_owner.HasControl(Id(kSymbol, first + 1)) ? m_owner.GetControlText(Id(kSymbol, first + 1))
                                                                 : m_legs[Index(first + 1)].symbol;
    CString trimmed = a;
    trimmed.Trim();
    return !trimmed.IsEmpty() && trimmed != "+" && trimmed.CompareNoCase(CString(b).Trim()) == 0;
}

void COrderFormLogic::SyncLinkedTypes()
{
    int first = -1;
    for (int i = 0; i < GetLegsInUse(); ++i)
        if (IsFirstOfLinkedPair(m_nConditionalType, i))
            first = i;
    if (first < 0 || first + 1 >= GetLegsInUse())
        return;
    const int second = first + 1;
    const std::vector<CString> choices =
        LinkedOrderTypeChoices(m_nSecurityKind, ComboText(Id(kOrderType, first)), IsTied());
    if (choices == m_owner.GetComboItems(Id(kOrderType, second)))
        return;
    const CString current = ComboText(Id(kOrderType, second));
    m_owner.SetComboItems(Id(kOrderType, second), choices);
    const int index = IndexOf(choices, current);
    m_owner.SetComboSelection(Id(kOrderType, second), index >= 0 ? index : 0);
    if (index < 0)
        OnOrderTypeChanged(second);
}

void COrderFormLogic::UpdateGroupLabels()
{
    for (int i = 0; i < kLegCount; ++i) {
        CString label;
        label.Format("Order %d", i + 1);
        m_owner.SetControlText(Id(kGroup, i), label);
    }
    if (m_nConditionalType != kBracketType)
        return;
    const int action = m_owner.GetComboSelection(Id(kAction, 0));
    const bool limit = ComboText(Id(kOrderType, 0)) == "Limit";
    const bool lowerFirst = IsBuyingAction(action) ? limit : !limit;
    m_owner.SetControlText(Id(kGroup, 0), lowerFirst ? "Lower Order" : "Upper Order");
    m_owner.SetControlText(Id(kGroup, 1), lowerFirst ? "Upper Order" : "Lower Order");
}

void COrderFormLogic::OnActionChanged(int leg)
{
    m_legs[Index(leg)].action = m_owner.GetComboSelection(Id(kAction, leg));
    if (m_nConditionalType == kBracketType && leg == 0) {
        m_owner.SetComboSelection(Id(kAction, 1), m_owner.GetComboSelection(Id(kAction, 0)));
        m_legs[1].action = m_legs[0].action;
        UpdateGroupLabels();
    }
}

void COrderFormLogic::OnQuantityEntered(int leg)
{
    if (m_nConditionalType == kBracketType && leg == 0) {
        m_owner.SetControlText(Id(kQuantity, 1), m_owner.GetControlText(Id(kQuantity, 0)));
        m_legs[1].quantity = m_owner.GetControlText(Id(kQuantity, 0));
    }
}

// ---------------------------------------------------------------- symbols and quotes

void COrderFormLogic::OnSymbolChanged(int leg)
{
    Leg& l = m_legs[Index(leg)];
    CString symbol = m_owner.GetControlText(Id(kSymbol, leg));
    symbol.Trim();
    if (symbol != l.symbol) {
        l.symbol = symbol;
        if (l.priceSource != 0 && !IsTrailingStop(ComboText(Id(kOrderType, leg))))
            m_owner.SetControlText(Id(kPrice, leg), "");
        AttachQuote(leg);
        RefreshPrice(leg);
    }
    if (m_nConditionalType == kBracketType && leg == 0) {
        m_owner.SetControlText(Id(kSymbol, 1), symbol);
        OnSymbolChanged(1);
    }
    if (IsLinkedLeg(m_nConditionalType, leg))
        SyncLinkedTypes();
}

void COrderFormLogic::AttachQuote(int leg)
{
    Leg& l = m_legs[Index(leg)];
    if (m_nMode == kOrderModeAlert || l.symbol.IsEmpty()) {
        ReleaseQuote(leg);
        return;
    }
    const CString symbol = StripSymbolPrefix(l.symbol);
    if (l.handle && l.handle->GetSymbol().CompareNoCase(symbol) == 0)
        return;
    ReleaseQuote(leg);
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager || !IsOrderSymbol(symbol))
        return;
    CSymbolHandle* handle = manager->CreateSymbolHandle(symbol);
    if (!handle)
        return;
    l.listener = std::make_unique<CLegQuoteListener>(m_owner.QuoteNotifier(), leg);
    handle->SetListener(l.listener.get());
    l.handle = handle;
    handle->Subscribe();
}

void COrderFormLogic::ReleaseQuote(int leg)
{
    Leg& l = m_legs[Index(leg)];
    if (l.handle) {
        // The handle is unregistered before its listener goes.
        if (CSessionManager* manager = CSessionManager::Instance())
            manager->DeleteSymbolHandle(l.handle);
        else
            delete l.handle;
        l.handle = nullptr;
    }
    l.listener.reset();
}

void COrderFormLogic::ReleaseQuotes()
{
    for (int i = 0; i < kLegCount; ++i)
        ReleaseQuote(i);
}

bool COrderFormLogic::ReadQuote(int leg, int field, double& value) const
{
    CSymbolHandle* handle = m_legs[Index(leg)].handle;
    if (!handle)
        return false;
    handle->Snapshot();
    const bool ok = handle->GetField(field, value);
    handle->Attach();
    return ok;
}

void COrderFormLogic::RefreshPrice(int leg)
{
    const Leg& l = m_legs[Index(leg)];
    if (m_nMode == kOrderModeAlert || l.priceSource < 1 || l.priceSource > 3)
        return;
    const int field = l.priceSource == 1 ? kFieldBid : l.priceSource == 2 ? kFieldAsk : kFieldLast;
    double value = 0;
    if (ReadQuote(leg, field, value))
        m_owner.SetControlText(Id(kPrice, leg), FormatOrderPrice(value + l.priceOffset, m_nSecurityKind));
}

void COrderFormLogic::OnQuoteChanged(int leg)
{
    if (leg >= 0 && leg < kLegCount)
        RefreshPrice(leg);
}

void COrderFormLogic::OnOptionChain(int leg)
{
    m_nLastSymbolLeg = leg;
    m_owner.OpenOptionChain();
}

void COrderFormLogic::SetSymbolFromFrame(const CString& symbol)
{
    if (symbol.IsEmpty())
        return;
    int leg = 0;
    if (m_bConditional) {
        const int kind = GetSymbolKind(symbol) == kSymbolOption ? 1 : 0;
        if (kind != m_nSecurityKind) {
            SetSecurityKind(kind);
            InitControls();
        }
        leg = m_nLastSymbolLeg;
    }
    m_owner.SetControlText(Id(kSymbol, leg), symbol);
    OnSymbolChanged(leg);
}

void COrderFormLogic::OnSecurityKindChosen(int securityKind)
{
    if ((securityKind == 1 ? 1 : 0) == m_nSecurityKind)
        return;
    ReadCombos();
    SetSecurityKind(securityKind);
    InitControls();
}

// ---------------------------------------------------------------- quantity mode and price source

void COrderFormLogic::ShowQuantityMode(int leg)
{
    Leg& l = m_legs[Index(leg)];
    if (m_nConditionalType == kBracketType && leg == 1)
        l.quantityMode = m_legs[0].quantityMode;
    const bool option = m_nSecurityKind == 1;
    const char* button = "#";
    const char* label = option ? "Contracts:" : "Shares:";
    int decimals = 0;
    if (l.quantityMode == 0) {
        button = "$";
        label = "Dollars:";
        decimals = 2;
    } else if (l.quantityMode == 2) {
        button = "E";
        label = option ? "Entry Contracts:" : "Entry Shares:";
    }
    m_owner.SetControlText(Id(kQuantityMode, leg), button);
    m_owner.SetControlText(Id(kQuantityLabel, leg), label);
    m_owner.SetSpinDecimals(Id(kQuantitySpin, leg), decimals, false);
    const bool bracketSecond = m_nConditionalType == kBracketType && leg == 1;
    m_owner.EnableControl(Id(kQuantity, leg), l.quantityMode != 2 && !bracketSecond);
}

void COrderFormLogic::CycleQuantityMode(int leg)
{
    Leg& l = m_legs[Index(leg)];
    l.quantityMode = (l.quantityMode + 1) % (m_bEntryQuantityAllowed ? 3 : 2);
    ShowQuantityMode(leg);
    m_owner.SetControlText(Id(kQuantity, leg), "");
    l.quantity.Empty();
    m_owner.FocusControl(Id(kQuantity, leg));
    if (m_nConditionalType == kBracketType && leg == 0) {
        ShowQuantityMode(1);
        m_owner.SetControlText(Id(kQuantity, 1), "");
    }
}

void COrderFormLogic::ShowPriceSource(int leg, bool focus)
{
    Leg& l = m_legs[Index(leg)];
    static const char* const kLetters[] = {"M", "B", "A", "L"};
    const int source = std::clamp(l.priceSource, 0, 3);
    m_owner.SetControlText(Id(kPriceSource, leg), l.priceOffset != 0 ? "O" : kLetters[source]);
    m_owner.EnableControl(Id(kPrice, leg), source == 0);
    if (source == 0 && focus)
        m_owner.FocusControl(Id(kPrice, leg));
    if (m_nMode != kOrderModeAlert) {
        RefreshPrice(leg);
        return;
    }
    if (source == 0) {
        double value = 0;
        if (ParseOrderNumber(m_owner.GetControlText(Id(kPrice, leg)), value) && value == 0)
            m_owner.SetControlText(Id(kPrice, leg), "");
        return;
    }
    static const char* const kNames[] = {"", "Bid", "Ask", "Last"};
    CString text;
    if (l.priceOffset != 0)
        text.Format("%s%s%s", kLetters[source], l.priceOffset > 0 ? "+" : "",
                    FormatNumber(l.priceOffset, 2, 4).GetString());
    else
        text = kNames[source];
    m_owner.SetControlText(Id(kPrice, leg), text);
}

void COrderFormLogic::OnPriceSourceButton(int leg)
{
    Leg& l = m_legs[Index(leg)];
    const int checked = l.priceOffset != 0 ? 4 : std::clamp(l.priceSource, 0, 3);
    const int choice = m_owner.ChoosePriceSource(Id(kPriceSource, leg), checked);
    if (choice >= 0 && choice <= 3) {
        l.priceSource = choice;
        l.priceOffset = 0;
    } else if (choice == 4) {
        int source = l.priceSource;
        double offset = l.priceOffset;
        if (!m_owner.EditPriceOffset(source, offset))
            return;
        l.priceSource = source;
        l.priceOffset = offset;
    } else {
        return;
    }
    ShowPriceSource(leg, true);
}

// ---------------------------------------------------------------- accounts

void COrderFormLogic::FillAccountCombo()
{
    const ITradingHost* host = GetTradingHost();
    const std::vector<CAccountInfo> accounts = host ? host->GetSessionAccounts() : std::vector<CAccountInfo>();
    const bool shown = accounts.size() > 1 && m_nMode != kOrderModeUpdate &&
                       !(m_bConditional && m_nMode == kOrderModeAlert);
    for (UINT id : {kAccountLabel, kAccount, kAccounts})
        m_owner.ShowControl(id, shown);
    if (!shown)
        return;
    std::vector<CString> items = {"Active", "All", "Multiple..."};
    for (const CAccountInfo& a : accounts)
        items.push_back(a.name);
    m_owner.SetComboItems(kAccount, items);
    int selection = std::clamp(m_nAccountMode, 0, 2);
    if (m_nAccountMode == 2 && m_accountNames.size() == 1)
        for (size_t i = 0; i < accounts.size(); ++i)
            if (SameAccountName(accounts[i].name, m_accountNames.front()))
                selection = static_cast<int>(i) + 3;
    m_owner.SetComboSelection(kAccount, selection);
}

void COrderFormLogic::OnAccountChanged()
{
    const int sel = m_owner.GetComboSelection(kAccount);
    if (sel == 0 || sel == 1) {
        m_nAccountMode = sel;
        m_accountNames.clear();
    } else if (sel == 2) {
        ChooseAccounts();
    } else if (sel > 2) {
        const std::vector<CString> items = m_owner.GetComboItems(kAccount);
        if (sel < static_cast<int>(items.size())) {
            m_nAccountMode = 2;
            m_accountNames = {items[static_cast<size_t>(sel)]};
        }
    }
}

void COrderFormLogic::ChooseAccounts()
{
    int mode = m_nAccountMode;
    std::vector<CString> names = m_accountNames;
    if (m_owner.ChooseAccounts(mode, names)) {
        m_nAccountMode = mode;
        m_accountNames = names;
    }
    FillAccountCombo();
}

void COrderFormLogic::OnDisclaimer()
{
    m_owner.OpenDisclaimer();
}

// ---------------------------------------------------------------- keys and clearing

bool COrderFormLogic::OnEnter(UINT controlId)
{
    UINT base = 0;
    const int leg = LegOfControl(controlId, base);
    if (leg < 0)
        return false;
    if (base == kSymbol) {
        OnSymbolChanged(leg);
        return true;
    }
    if (base == kQuantity) {
        OnQuantityEntered(leg);
        return true;
    }
    if (base == kMonth || base == kDay || base == kYear) {
        OnDateChanged(leg);
        return true;
    }
    return false;
}

void COrderFormLogic::Clear()
{
    if (IsModal()) {
        m_owner.CloseSheet(false);
        return;
    }
    for (int i = 0; i < GetLegsInUse(); ++i) {
        Leg& l = m_legs[Index(i)];
        l.symbol.Empty();
        l.quantity.Empty();
        l.price.Empty();
        l.activationPrice.Empty();
        l.priceSource = 0;
        l.priceOffset = 0;
        for (UINT base : {kSymbol, kQuantity, kPrice, kActPrice})
            m_owner.SetControlText(Id(base, i), "");
        for (UINT base : {kAction, kOrderType, kExpire, kInstructions, kRoute})
            m_owner.SetComboSelection(Id(base, i), m_owner.GetComboItems(Id(base, i)).empty() ? -1 : 0);
        OnOrderTypeChanged(i);
        ShowPriceSource(i, false);
    }
    if (IsLinkedLeg(m_nConditionalType, 0) || IsLinkedLeg(m_nConditionalType, 1)) {
        SyncLinkedTypes();
        UpdateGroupLabels();
    }
    ReleaseQuotes();
}

// ---------------------------------------------------------------- checks and submission

void COrderFormLogic::ShowLegMessage(int leg, const CString& text)
{
    m_owner.ShowMessage(m_nConditionalType != -1 ? LegMessage(leg, text) : text);
}

bool COrderFormLogic::ValidateLeg(int leg)
{
    if (m_nMode == kOrderModeAlert)
        return ValidateForAlert(leg);
    const Leg& l = m_legs[Index(leg)];
    const CString symbol = StripSymbolPrefix(l.symbol);
    if (l.symbol.IsEmpty() || l.symbol == "+" || !IsOrderSymbol(symbol)) {
        ShowLegMessage(leg, "Please enter a valid symbol");
        return false;
    }
    if (l.quantityMode != 2 && !IsValidQuantity(l.quantity, l.quantityMode)) {
        ShowLegMessage(leg, QuantityMessage(l.quantityMode));
        return false;
    }
    double number = 0;
    if (m_owner.IsControlShown(Id(kPrice, leg)) && !PositiveNumber(l.price, number)) {
        CString text = "Please enter a valid price";
        if (l.priceSource != 0)
            text.Format("Unable to retrieve price for symbol %s", l.symbol.GetString());
        ShowLegMessage(leg, text);
        return false;
    }
    if (m_owner.IsControlShown(Id(kActPrice, leg)) && !PositiveNumber(l.activationPrice, number)) {
        ShowLegMessage(leg, "Please enter a valid stop activation price");
        return false;
    }
    if (!ValidateAction(leg))
        return false;
    if (m_owner.IsControlShown(Id(kDateLabel, leg)) && !IsGoodTillDate(l.day, l.month, l.year, Today())) {
        ShowLegMessage(leg, "Please enter a date between today and six months from today.");
        return false;
    }
    return true;
}

bool COrderFormLogic::ValidateForAlert(int leg)
{
    const Leg& l = m_legs[Index(leg)];
    if (l.quantityMode != 2 && !IsValidQuantity(l.quantity, l.quantityMode)) {
        ShowLegMessage(leg, l.quantityMode == 1 ? "Please enter a valid quantity" : "Please enter a valid amount");
        return false;
    }
    double number = 0;
    if (m_owner.IsControlShown(Id(kPrice, leg)) && l.priceSource == 0 && !PositiveNumber(l.price, number)) {
        ShowLegMessage(leg, "Please enter a valid price");
        return false;
    }
    if (m_owner.IsControlShown(Id(kActPrice, leg)) && !PositiveNumber(l.activationPrice, number)) {
        ShowLegMessage(leg, "Please enter a valid activation price");
        return false;
    }
    return ValidateAction(leg);
}

bool COrderFormLogic::ValidateAction(int leg)
{
    if (m_owner.GetComboSelection(Id(kAction, leg)) >= 0)
        return true;
    const int index = IndexOf(m_owner.GetComboItems(Id(kAction, leg)), m_owner.GetControlText(Id(kAction, leg)));
    if (index < 0) {
        ShowLegMessage(leg, "Please select an action");
        return false;
    }
    m_owner.SetComboSelection(Id(kAction, leg), index);
    m_legs[Index(leg)].action = index;
    return true;
}

bool COrderFormLogic::BuildLeg(int leg, COrderRecord& record)
{
    Leg& l = m_legs[Index(leg)];
    record = COrderRecord(0);
    record.action = l.action;
    record.orderType = l.orderType;
    record.expire = l.expire;
    record.instructions = l.instructions;
    record.route = l.route;
    if (m_owner.IsControlShown(Id(kDateLabel, leg)) && !l.day.IsEmpty() && !l.month.IsEmpty() && !l.year.IsEmpty()) {
        record.expirationDay = l.day;
        record.expirationMonth = l.month;
        record.expirationYear = l.year;
    }
    double price = 0;
    double activation = 0;
    ParseOrderNumber(l.price, price);
    ParseOrderNumber(l.activationPrice, activation);
    long long quantity = 0;
    if (l.quantityMode == 0) {
        double amount = 0;
        ParseOrderNumber(l.quantity, amount);
        double reference = price;
        if (l.orderType.Find("T-Stop") >= 0 || l.orderType.Find("Market") >= 0) {
            reference = 0;
            ReadQuote(leg, kFieldLast, reference);
        }
        if (amount > 0 && reference > 0) {
            const double exact = amount / reference / (m_nSecurityKind == 1 ? 100.0 : 1.0);
            // A tiny tolerance keeps 1000 / 0.1 at 10000 shares.
            const double whole = std::floor(exact + 1e-9);
            quantity = whole > kMaxOrderQuantity ? 0 : static_cast<long long>(whole);
            if ((l.action == 1 || l.action == 2) && exact - whole > 1e-9)
                ++quantity;
        }
    } else {
        double value = 0;
        if (ParseOrderNumber(l.quantity, value) && value == std::floor(value) && value <= kMaxOrderQuantity)
            quantity = static_cast<long long>(value);
    }
    if (quantity < 1 || quantity > static_cast<long long>(kMaxOrderQuantity)) {
        const CString text = QuantityMessage(l.quantityMode);
        m_owner.ShowMessage(GetLegsInUse() > 1 ? LegMessage(leg, text) : text);
        return false;
    }
    l.computedQuantity = static_cast<int>(quantity);
    record.symbol = l.symbol;
    record.quantity = static_cast<double>(quantity);
    record.price = price;
    record.activationPrice = activation;
    return true;
}

void COrderFormLogic::Submit(int place)
{
    ReadCombos();
    const int inUse = GetLegsInUse();
    if (m_nMode == kOrderModeAlert && m_bConditional) {
        for (int i = 0; i < inUse; ++i)
            if (!ValidateForAlert(i))
                return;
        m_owner.CloseSheet(true);
        return;
    }
    std::vector<COrderRecord> legs;
    for (int i = 0; i < inUse; ++i) {
        if (!ValidateLeg(i))
            return;
        COrderRecord record;
        if (!BuildLeg(i, record))
            return;
        legs.push_back(record);
    }
    if (m_nMode == kOrderModeUpdate) {
        SubmitUpdate(legs.front());
        return;
    }
    if (!SendOrders(m_nOrigin, place, m_nSecurityKind, m_nConditionalType, legs, m_nAccountMode, m_accountNames,
                    m_owner.GetOwnerWindow()))
        return;
    if (IsModal())
        m_owner.CloseSheet(true);
    else
        Clear();
}

void COrderFormLogic::SubmitUpdate(const COrderRecord& built)
{
    ITradingHost* host = GetTradingHost();
    if (!host)
        return;
    const Leg& l = m_legs[0];
    COrderRecord record = built;
    record.orderId = l.orderId;
    record.expirationDay = l.day;
    record.expirationMonth = l.month;
    record.expirationYear = l.year;
    CString error;
    m_owner.BeginWaitCursor();
    const bool ok = host->EditOrder(record, m_nSecurityKind, m_owner.GetOwnerWindow(), error);
    m_owner.EndWaitCursor();
    if (!error.IsEmpty())
        m_owner.ShowMessage(error);
    if (ok)
        m_owner.CloseSheet(true);
}

void COrderFormLogic::OnConditionalTypeChanged()
{
    if (!m_bConditional)
        return;
    ReadCombos();
    ApplyConditionalType();
}
