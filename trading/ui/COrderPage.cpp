#include "trading/ui/COrderPage.h"

#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "trading/OrderFormIds.h"
#include "trading/ui/COrderPropertySheet.h"
#include "trading/ui/TradingUiIds.h"

#include <QWidget>

#include <algorithm>

using namespace order_ids;

namespace {

CRect ControlRect(const CWnd& page, UINT id)
{
    CRect rect;
    if (const CWnd* w = page.GetDlgItem(static_cast<int>(id))) {
        w->GetWindowRect(&rect);
        page.ScreenToClient(&rect);
    }
    return rect;
}

}  // namespace

COrderPage::COrderPage(UINT templateId, int conditional)
    : CPropertyPage(templateId),
      CDialogControls(static_cast<CWnd&>(*this)),
      m_bConditional(conditional != 0),
      m_logic(std::make_unique<COrderFormLogic>(*this, conditional))
{
}

// The logic releases its quote handles before the page's window goes.
COrderPage::~COrderPage()
{
    m_logic.reset();
}

COrderPropertySheet* COrderPage::GetOrderSheet() const
{
    return dynamic_cast<COrderPropertySheet*>(GetSheet());
}

const CMessageMap& COrderPage::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<COrderPage>(CPropertyPage::GetMessageMap())
            .Command(kPlace, &COrderPage::OnPlace)
            .Command(kSave, &COrderPage::OnSave)
            .Command(kClear, &COrderPage::OnClear)
            .CommandRange(kQuantityMode, kQuantityMode + 2, &COrderPage::OnQuantityMode)
            .CommandRange(kPriceSource, kPriceSource + 2, &COrderPage::OnPriceSource)
            .CommandRange(kOptionChain, kOptionChain + 2, &COrderPage::OnOptionChain)
            .ControlRange(EN_KILLFOCUS, kSymbol, kSymbol + 2, &COrderPage::OnSymbolKillFocus)
            .ControlRange(CBN_SELCHANGE, kOrderType, kOrderType + 2, &COrderPage::OnOrderTypeChange)
            .ControlRange(CBN_SELCHANGE, kRoute, kRoute + 2, &COrderPage::OnOrderTypeChange)
            .ControlRange(CBN_SELCHANGE, kExpire, kExpire + 2, &COrderPage::OnExpireChange)
            .Command(kDisclaimer, &COrderPage::OnDisclaimerClicked)
            .Command(kAccounts, &COrderPage::OnAccountsClicked)
            .Control(CBN_SELCHANGE, kAccount, &COrderPage::OnAccountChange)
            .Message(WM_SET_SYMBOL_INTERVAL, &COrderPage::OnSetSymbolInterval)
            .Message(WM_ORDER_LEG_QUOTE, &COrderPage::OnLegQuote)
            .Message(WM_ORDER_FORM_ENTER, &COrderPage::OnFormEnter)
            .Build();
    return map;
}

BOOL COrderPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    for (int i = 0; i < LegCount(); ++i) {
        const UINT leg = static_cast<UINT>(i);
        m_spins[static_cast<size_t>(3 * i)].AttachToItem(kQuantitySpin + leg, this, kQuantity + leg);
        m_spins[static_cast<size_t>(3 * i + 1)].AttachToItem(kPriceSpin + leg, this, kPrice + leg);
        m_spins[static_cast<size_t>(3 * i + 2)].AttachToItem(kActPriceSpin + leg, this, kActPrice + leg);
        for (UINT base : {kSymbol, kQuantity, kMonth, kDay, kYear}) {
            auto edit = std::make_unique<COrderEdit>();
            if (edit->SubclassDlgItem(base + leg, this))
                m_edits.push_back(std::move(edit));
        }
    }
    m_logic->InitControls();
    return TRUE;
}

BOOL COrderPage::OnSetActive()
{
    if (COrderPropertySheet* sheet = GetOrderSheet())
        sheet->FitToActivePage();
    return CPropertyPage::OnSetActive();
}

BOOL COrderPage::OnApply()
{
    COrderPropertySheet* sheet = GetOrderSheet();
    if (!sheet || sheet->GetActivePage() != this)
        return TRUE;
    m_logic->Submit(1);
    // The submission closes or clears the sheet itself when the order went out.
    return FALSE;
}

bool COrderPage::IsSheetModal() const
{
    const COrderPropertySheet* sheet = GetOrderSheet();
    return sheet && sheet->IsModal();
}

void COrderPage::CloseSheet(bool ok)
{
    if (COrderPropertySheet* sheet = GetOrderSheet(); sheet && sheet->IsModal())
        sheet->EndDialog(ok ? IDOK : IDCANCEL);
}

void COrderPage::LegsInUseChanged()
{
    if (COrderPropertySheet* sheet = GetOrderSheet(); sheet && sheet->GetActivePage() == this)
        sheet->FitToActivePage();
}

void COrderPage::OnPlace()
{
    m_logic->Submit(1);
}

void COrderPage::OnSave()
{
    m_logic->Submit(0);
}

void COrderPage::OnClear()
{
    m_logic->Clear();
}

void COrderPage::OnQuantityMode(UINT id)
{
    m_logic->CycleQuantityMode(static_cast<int>(id - kQuantityMode));
}

void COrderPage::OnPriceSource(UINT id)
{
    m_logic->OnPriceSourceButton(static_cast<int>(id - kPriceSource));
}

void COrderPage::OnOptionChain(UINT id)
{
    m_logic->OnOptionChain(static_cast<int>(id - kOptionChain));
}

void COrderPage::OnSymbolKillFocus(UINT id)
{
    m_logic->OnSymbolChanged(static_cast<int>(id - kSymbol));
}

void COrderPage::OnOrderTypeChange(UINT id)
{
    const int leg = id >= kRoute ? static_cast<int>(id - kRoute) : static_cast<int>(id - kOrderType);
    m_logic->OnOrderTypeChanged(leg);
}

void COrderPage::OnExpireChange(UINT id)
{
    m_logic->OnExpireChanged(static_cast<int>(id - kExpire));
}

void COrderPage::OnDisclaimerClicked()
{
    m_logic->OnDisclaimer();
}

void COrderPage::OnAccountsClicked()
{
    m_logic->ChooseAccounts();
}

void COrderPage::OnAccountChange()
{
    m_logic->OnAccountChanged();
}

LRESULT COrderPage::OnSetSymbolInterval(WPARAM, LPARAM message)
{
    CString symbol;
    if (const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message))
        symbol = msg->symbol;
    else if (IWorkstationFrame* frame = GetWorkstationFrame())
        symbol = frame->GetSymbolBox();
    m_logic->SetSymbolFromFrame(symbol);
    return 1;
}

LRESULT COrderPage::OnLegQuote(WPARAM leg, LPARAM)
{
    m_logic->OnQuoteChanged(static_cast<int>(leg));
    return 0;
}

LRESULT COrderPage::OnFormEnter(WPARAM id, LPARAM)
{
    m_logic->OnEnter(static_cast<UINT>(id));
    return 0;
}

// ---------------------------------------------------------------- COrderForm

COrderForm::COrderForm() : COrderPage(IDD_ORDER_FORM, 0) {}

CSize COrderForm::GetWantedSize() const
{
    const CRect frame = ControlRect(*this, kPageFrame);
    if (frame.IsRectEmpty())
        return CSize(525, 212);
    return CSize(frame.right + frame.left, frame.bottom + frame.left);
}

// ---------------------------------------------------------------- CConditionalOrderForm

CConditionalOrderForm::CConditionalOrderForm() : COrderPage(IDD_CONDITIONAL_ORDER_FORM, 1) {}

const CMessageMap& CConditionalOrderForm::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CConditionalOrderForm>(COrderPage::GetMessageMap())
            .ControlRange(CBN_SELCHANGE, kAction, kAction + 2, &CConditionalOrderForm::OnActionChange)
            .ControlRange(EN_KILLFOCUS, kQuantity, kQuantity + 2, &CConditionalOrderForm::OnQuantityKillFocus)
            .ControlRange(EN_KILLFOCUS, kMonth, kYear + 2, &CConditionalOrderForm::OnDateKillFocus)
            .Control(CBN_SELCHANGE, kConditionalType, &CConditionalOrderForm::OnConditionalType)
            .Command(kStockRadio, &CConditionalOrderForm::OnStock)
            .Command(kOptionRadio, &CConditionalOrderForm::OnOption)
            .Build();
    return map;
}

CSize CConditionalOrderForm::GetWantedSize() const
{
    const int inUse = m_logic->GetLegsInUse();
    const CRect first = ControlRect(*this, kGroup);
    if (first.IsRectEmpty())
        return inUse > 2 ? CSize(550, 587) : CSize(550, 430);
    const CRect last = ControlRect(*this, kGroup + static_cast<UINT>(std::max(inUse - 1, 0)));
    return CSize(first.right + first.left, last.bottom + first.left);
}

void CConditionalOrderForm::OnActionChange(UINT id)
{
    m_logic->OnActionChanged(static_cast<int>(id - kAction));
}

void CConditionalOrderForm::OnQuantityKillFocus(UINT id)
{
    m_logic->OnQuantityEntered(static_cast<int>(id - kQuantity));
}

void CConditionalOrderForm::OnDateKillFocus(UINT id)
{
    UINT base = 0;
    const int leg = LegOfControl(id, base);
    if (leg >= 0)
        m_logic->OnDateChanged(leg);
}

void CConditionalOrderForm::OnConditionalType()
{
    m_logic->OnConditionalTypeChanged();
}

void CConditionalOrderForm::OnStock()
{
    m_logic->OnSecurityKindChosen(0);
}

void CConditionalOrderForm::OnOption()
{
    m_logic->OnSecurityKindChosen(1);
}
