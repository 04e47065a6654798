// The Trade Ticket: a sheet with the "Stock", "Option" and "Conditional" order pages,
// shown modally (OpenTradeTicket) or hosted in a window of its own (COrderView).
#pragma once

#include "platform/ui/CPropertySheet.h"
#include "trading/COrderRecord.h"
#include "trading/ui/COrderPage.h"

#include <functional>
#include <vector>

class COrderPropertySheet : public CPropertySheet {
public:
    COrderPropertySheet(BOOL modal, CWnd* parent);
    ~COrderPropertySheet() override;

    // Mode 0 new, 1 update of an open order, 2 alert setup; securityKind 0 stock, 1
    // option; conditionalType -1 or 0..5; legs and accountNames may be null. Mode 0
    // adds all three pages, modes 1 and 2 only the page shown: the Conditional page for
    // a conditional type, else the Option page for options, else the Stock page. The
    // legs are loaded into the page shown.
    void InitPages(int mode, int securityKind, int conditionalType, const std::vector<COrderRecord>* legs,
                   int accountMode, const std::vector<CString>* accountNames, int origin);

    BOOL IsModal() const { return m_bModal; }
    COrderForm& GetStockPage() { return m_stock; }
    COrderForm& GetOptionPage() { return m_option; }
    CConditionalOrderForm& GetConditionalPage() { return m_conditional; }
    // The order page shown (null before InitPages).
    COrderPage* GetActiveOrderPage() const;

    // Sizes the sheet (modal) or asks the hosting window (see SetSizeRequest) for the
    // size of the active page.
    void FitToActivePage();
    // A hosted sheet tells its window the client size it wants.
    void SetSizeRequest(std::function<void(CSize)> request) { m_sizeRequest = std::move(request); }

protected:
    int OnCreate(LPCREATESTRUCT create) override;

private:
    BOOL m_bModal;
    COrderForm m_stock;
    COrderForm m_option;
    CConditionalOrderForm m_conditional;
    std::function<void(CSize)> m_sizeRequest;
};

// Opens the ticket modally for a leg that a chart, a Level II book, a quote list or the
// saved orders filled in: the Option page for an option symbol, else the Stock page.
// True when the sheet ended with OK (the order went out). The caller keeps the record.
bool OpenTradeTicket(const COrderRecord& record, CWnd* parent);
