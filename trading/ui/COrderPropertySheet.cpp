#include "trading/ui/COrderPropertySheet.h"

#include "common/services/TextHelpers.h"
#include "trading/SendOrders.h"
#include "trading/ui/CTradingHost.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QTabWidget>

COrderPropertySheet::COrderPropertySheet(BOOL modal, CWnd* parent)
    : CPropertySheet("Trade Ticket", parent), m_bModal(modal)
{
    InstallTradingHost();
}

COrderPropertySheet::~COrderPropertySheet()
{
    // The pages are members: take them out before the base sheet lets go of them.
    while (GetPageCount() > 0)
        RemovePage(GetPageCount() - 1);
    if (m_hWnd)
        DestroyWindow();
}

void COrderPropertySheet::InitPages(int mode, int securityKind, int conditionalType,
                                    const std::vector<COrderRecord>* legs, int accountMode,
                                    const std::vector<CString>* accountNames, int origin)
{
    COrderPage* pages[] = {&m_stock, &m_option, &m_conditional};
    m_stock.GetLogic().SetSecurityKind(0);
    m_option.GetLogic().SetSecurityKind(1);
    m_conditional.GetLogic().SetSecurityKind(securityKind);
    for (COrderPage* page : pages) {
        COrderFormLogic& logic = page->GetLogic();
        logic.SetMode(mode);
        logic.SetOrigin(origin);
        if (accountNames)
            logic.SetAccounts(accountMode, *accountNames);
    }
    m_stock.SetPageTitle("Stock");
    m_option.SetPageTitle("Option");
    m_conditional.SetPageTitle("Conditional");

    COrderPage* shown = &m_stock;
    if (conditionalType != -1) {
        m_conditional.GetLogic().SetConditionalType(conditionalType);
        shown = &m_conditional;
    } else if (securityKind == 1) {
        shown = &m_option;
    }
    while (GetPageCount() > 0)
        RemovePage(GetPageCount() - 1);
    if (mode == kOrderModeNew) {
        for (COrderPage* page : pages)
            AddPage(page);
    } else {
        AddPage(shown);
    }
    SetActivePage(shown);
    if (legs)
        for (size_t i = 0; i < legs->size() && i < COrderFormLogic::kLegCount; ++i)
            shown->GetLogic().LoadLeg((*legs)[i], static_cast<int>(i));
}

COrderPage* COrderPropertySheet::GetActiveOrderPage() const
{
    return dynamic_cast<COrderPage*>(GetActivePage());
}

int COrderPropertySheet::OnCreate(LPCREATESTRUCT create)
{
    if (CPropertySheet::OnCreate(create) == -1)
        return -1;
    // Each page has its own buttons; the sheet's stay hidden.
    if (QWidget* w = GetWidget())
        if (auto* buttons = w->findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly))
            buttons->hide();
    return 0;
}

void COrderPropertySheet::FitToActivePage()
{
    COrderPage* active = GetActiveOrderPage();
    QWidget* w = GetWidget();
    if (!active || !active->GetWidget() || !w)
        return;
    const CSize wanted = active->GetWantedSize();
    QWidget* page = active->GetWidget();
    page->setMinimumSize(wanted.cx, wanted.cy);
    page->resize(wanted.cx, wanted.cy);
    // Only the page shown counts for the size of the tabs.
    if (auto* tabs = w->findChild<QTabWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        for (int i = 0; i < tabs->count(); ++i) {
            QWidget* tab = tabs->widget(i);
            const bool current = tab == page;
            tab->setSizePolicy(current ? QSizePolicy::Preferred : QSizePolicy::Ignored,
                               current ? QSizePolicy::Preferred : QSizePolicy::Ignored);
            if (!current)
                tab->setMinimumSize(0, 0);
        }
        tabs->updateGeometry();
    }
    if (m_bModal) {
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->setMinimumSize(0, 0);
            dialog->adjustSize();
        }
        return;
    }
    if (m_sizeRequest) {
        const QSize hint = w->sizeHint().expandedTo(w->minimumSizeHint());
        m_sizeRequest(CSize(hint.width(), hint.height()));
    }
}

bool OpenTradeTicket(const COrderRecord& record, CWnd* parent)
{
    const int kind = GetSymbolKind(record.symbol) == kSymbolOption ? 1 : 0;
    COrderPropertySheet sheet(TRUE, parent);
    const std::vector<COrderRecord> legs = {record};
    sheet.InitPages(kOrderModeNew, kind, -1, &legs, 0, nullptr, kOriginTicket);
    return sheet.DoModal() == IDOK;
}
