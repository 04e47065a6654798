#include "trading/ui/COrderEdit.h"

#include "trading/ui/TradingUiIds.h"

void COrderEdit::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key != VK_RETURN) {
        CEdit::OnKeyDown(key, repeat, flags);
        return;
    }
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_ORDER_FORM_ENTER, static_cast<WPARAM>(GetDlgCtrlID()), 0);
}
