// The controller behind every order-entry surface: the Stock, Option and Conditional pages
// of the trade ticket and the order part of the formula wizard. The owner holds the
// controls and forwards their notifications here; the logic keeps up to three legs,
// decides what each combo offers, shows and hides fields by order type, keeps the legs of
// a conditional order consistent, follows live quotes for prices taken from the bid, ask
// or last trade, checks each leg and hands the finished legs to SendOrders.
#pragma once

#include "platform/core/CString.h"
#include "trading/COrderRecord.h"
#include "trading/IOrderFormControls.h"
#include "trading/OrderInput.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

class CSymbolHandle;
class CQuoteListener;

// Modes of a form.
inline constexpr int kOrderModeNew = 0;
inline constexpr int kOrderModeUpdate = 1;
inline constexpr int kOrderModeAlert = 2;

// Refills a leg's expire, instructions and route combos for its order type (keeping each
// current text where the new list holds it); an empty order type becomes the first
// row's. Used by the order forms and by the integrated trading settings.
void FillOrderChoiceLists(IOrderFormControls& controls, UINT orderTypeId, UINT expireId, UINT instructionsId,
                          UINT routeId, int securityKind, bool conditional);

class COrderFormLogic {
public:
    static constexpr int kLegCount = 3;

    // Every leg starts as a new stock record; mode 0; conditional type 0 on a conditional
    // form, else -1; account mode 0; origin 4.
    COrderFormLogic(IOrderFormControls& owner, int conditional);
    ~COrderFormLogic();
    COrderFormLogic(const COrderFormLogic&) = delete;
    COrderFormLogic& operator=(const COrderFormLogic&) = delete;

    // The state of the legs (no control is touched; InitControls shows it).
    void LoadLeg(const COrderRecord& record, int leg);
    void StoreLeg(int leg, COrderRecord& record) const;
    void SetSecurityKind(int securityKind);
    void SetAccounts(int mode, const std::vector<CString>& names);
    void SetMode(int mode) { m_nMode = mode; }
    void SetOrigin(int origin) { m_nOrigin = origin; }
    void SetConditionalType(int type);
    void SetEntryQuantityAllowed(bool allowed) { m_bEntryQuantityAllowed = allowed; }
    // Today's date for the good-till defaults and checks (the local date when not set).
    void SetToday(const CCalendarDate& today) { m_today = today; }

    // Data exchange: save reads the edits and the form's combos into the legs, otherwise
    // the legs are written to the controls.
    void UpdateData(bool save);
    // Sets the controls up from the legs (on the owner's initial dialog and after a
    // change of security kind).
    void InitControls();
    // The controls' data, then each leg's action and combo texts.
    void ReadCombos();
    void Clear();
    // Place (1) or save (0) the order, or update the open order in update mode.
    void Submit(int place);
    // Checks a leg with the checks of the form's mode; false after showing why.
    bool ValidateLeg(int leg);

    // Events of the controls.
    void OnOrderTypeChanged(int leg);
    void OnExpireChanged(int leg);
    void OnDateChanged(int leg);
    void OnActionChanged(int leg);
    void OnQuantityEntered(int leg);
    void OnSymbolChanged(int leg);
    void CycleQuantityMode(int leg);
    void OnPriceSourceButton(int leg);
    void OnOptionChain(int leg);
    void OnQuoteChanged(int leg);
    void OnConditionalTypeChanged();
    void OnSecurityKindChosen(int securityKind);
    void OnAccountChanged();
    void ChooseAccounts();
    void OnDisclaimer();
    // Enter in a control: true when the logic took it.
    bool OnEnter(UINT controlId);
    // A symbol from the main frame's box (the linked symbol): leg 0 on a single-order
    // form; on a conditional form the kind follows the symbol and the symbol goes into
    // the leg whose option-chain button was pressed last.
    void SetSymbolFromFrame(const CString& symbol);

    // The wizard's order part: leg 0 shown or not; the account combo filled again.
    void ShowLeg(bool shown);
    void FillAccountCombo();

    int GetMode() const { return m_nMode; }
    int GetSecurityKind() const { return m_nSecurityKind; }
    bool IsConditional() const { return m_bConditional; }
    int GetConditionalType() const { return m_nConditionalType; }
    int GetAccountMode() const { return m_nAccountMode; }
    const std::vector<CString>& GetAccountNames() const { return m_accountNames; }
    int GetOrigin() const { return m_nOrigin; }
    bool IsEntryQuantityAllowed() const { return m_bEntryQuantityAllowed; }
    int GetLastSymbolLeg() const { return m_nLastSymbolLeg; }
    // Legs in use: 1 on a single-order form, else the conditional type's count.
    int GetLegsInUse() const;
    // The whole quantity worked out when the order was last submitted.
    int GetComputedQuantity(int leg) const { return m_legs[Index(leg)].computedQuantity; }
    int GetQuantityMode(int leg) const { return m_legs[Index(leg)].quantityMode; }
    int GetPriceSource(int leg) const { return m_legs[Index(leg)].priceSource; }
    double GetPriceOffset(int leg) const { return m_legs[Index(leg)].priceOffset; }
    // Whether the leg's order type has a price (every type but "Market" and "StopMarket").
    bool HasPrice(int leg) const;
    bool HasQuoteHandle(int leg) const { return m_legs[Index(leg)].handle != nullptr; }
    const CString& GetLegSymbol(int leg) const { return m_legs[Index(leg)].symbol; }

private:
    struct Leg {
        CString symbol;
        CString quantity;
        CString price;
        CString activationPrice;
        CString day;
        CString month;
        CString year;
        int action = 0;
        CString orderType;
        CString expire;
        CString instructions;
        CString route;
        CString orderId;
        int computedQuantity = 0;
        int quantityMode = 1;
        int priceSource = 0;
        double priceOffset = 0;
        CSymbolHandle* handle = nullptr;
        std::unique_ptr<CQuoteListener> listener;
    };

    static size_t Index(int leg) { return static_cast<size_t>(leg < 0 ? 0 : leg >= kLegCount ? kLegCount - 1 : leg); }
    static UINT Id(UINT base, int leg) { return base + static_cast<UINT>(leg); }

    void LoadRecord(int leg, const COrderRecord& record);
    void SetupLeg(int leg);
    void ApplyConditionalType();
    void ShowLegControls(int leg, bool shown);
    void SyncLinkedTypes();
    void UpdateGroupLabels();
    void CopyExpireToPartner(int leg);
    void ShowQuantityMode(int leg);
    void ShowPriceSource(int leg, bool focus);
    void AttachQuote(int leg);
    void ReleaseQuote(int leg);
    void ReleaseQuotes();
    void RefreshPrice(int leg);
    // A quote field of the leg's symbol from a snapshot of its handle.
    bool ReadQuote(int leg, int field, double& value) const;
    void SelectComboText(UINT id, const CString& text, bool add);
    CString ComboText(UINT id) const;
    void SetDefaultDate(int leg);
    bool IsTied() const;
    bool ValidateForAlert(int leg);
    // A typed action that matches a list item becomes the leg's action; false after a
    // message when none matches.
    bool ValidateAction(int leg);
    void ShowLegMessage(int leg, const CString& text);
    bool BuildLeg(int leg, COrderRecord& record);
    void SubmitUpdate(const COrderRecord& built);
    bool IsModal() const { return m_owner.IsSheetModal(); }
    CCalendarDate Today() const { return m_today ? *m_today : LocalToday(); }

    IOrderFormControls& m_owner;
    std::array<Leg, kLegCount> m_legs;
    int m_nMode = kOrderModeNew;
    int m_nSecurityKind = 0;
    bool m_bConditional;
    int m_nConditionalType;
    bool m_bEntryQuantityAllowed = false;
    int m_nAccountMode = 0;
    std::vector<CString> m_accountNames;
    int m_nLastSymbolLeg = 0;
    int m_nOrigin = 4;
    std::optional<CCalendarDate> m_today;
};
