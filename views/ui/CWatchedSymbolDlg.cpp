#include "views/ui/CWatchedSymbolDlg.h"

#include "views/ui/PanelIds.h"

namespace {

constexpr UINT kSymbol = 1324;
constexpr UINT kQuantity = 1380;
constexpr UINT kPrice = 1379;
constexpr UINT kCommission = 1378;
constexpr UINT kMonth = 1035;
constexpr UINT kDay = 1042;
constexpr UINT kYear = 1037;

constexpr UINT kControlOf[] = {kSymbol, kQuantity, kPrice, kCommission, kMonth, kDay, kYear};

} // namespace

CWatchedSymbolDlg::CWatchedSymbolDlg(const CWatchedSymbol& item, CWnd* parent)
    : CDialog(IDD_WATCHED_SYMBOL, parent), m_item(item)
{
}

BOOL CWatchedSymbolDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetForm(FormOfWatchedSymbol(m_item));
    return TRUE;
}

void CWatchedSymbolDlg::SetForm(const CWatchedSymbolForm& form)
{
    SetDlgItemText(kSymbol, form.symbol);
    SetDlgItemText(kQuantity, form.quantity);
    SetDlgItemText(kPrice, form.price);
    SetDlgItemText(kCommission, form.commission);
    SetDlgItemText(kMonth, form.month);
    SetDlgItemText(kDay, form.day);
    SetDlgItemText(kYear, form.year);
}

CWatchedSymbolForm CWatchedSymbolDlg::GetForm() const
{
    CWatchedSymbolForm form;
    form.symbol = GetDlgItemText(kSymbol);
    form.quantity = GetDlgItemText(kQuantity);
    form.price = GetDlgItemText(kPrice);
    form.commission = GetDlgItemText(kCommission);
    form.month = GetDlgItemText(kMonth);
    form.day = GetDlgItemText(kDay);
    form.year = GetDlgItemText(kYear);
    return form;
}

void CWatchedSymbolDlg::OnOK()
{
    CString message;
    EWatchedSymbolField bad = kWatchedSymbol;
    CWatchedSymbol item;
    if (!ReadWatchedSymbolForm(GetForm(), item, message, bad)) {
        MessageBox(message, nullptr, MB_OK | MB_ICONEXCLAMATION);
        if (bad != kWatchedDate)
            if (CWnd* field = GetDlgItem(static_cast<int>(kControlOf[bad])))
                field->SetFocus();
        return;
    }
    m_item = item;
    EndDialog(IDOK);
}
