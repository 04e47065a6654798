#include "trading/ui/CDialogControls.h"

#include "common/services/CAppSettings.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CSdiChildFrame.h"
#include "platform/ui/CUiResponder.h"
#include "trading/ui/CAccountsDlg.h"
#include "trading/ui/CNumericSpinButton.h"
#include "trading/ui/CPriceOffsetDlg.h"
#include "trading/ui/TradingUiIds.h"

#include <QApplication>
#include <QWidget>

#include <filesystem>

CWnd* CDialogControls::Item(UINT id) const
{
    return m_dialog.m_hWnd ? m_dialog.GetDlgItem(static_cast<int>(id)) : nullptr;
}

CComboBox* CDialogControls::Combo(UINT id) const
{
    return dynamic_cast<CComboBox*>(Item(id));
}

CNumericSpinButton* CDialogControls::Spin(UINT id) const
{
    return dynamic_cast<CNumericSpinButton*>(Item(id));
}

bool CDialogControls::HasControl(UINT id) const
{
    return Item(id) != nullptr;
}

void CDialogControls::ShowControl(UINT id, bool shown)
{
    if (CWnd* w = Item(id))
        w->ShowWindow(shown ? SW_SHOW : SW_HIDE);
}

bool CDialogControls::IsControlShown(UINT id) const
{
    // Shown on its page even while the page itself is not on screen.
    const CWnd* w = Item(id);
    return w && w->GetOuterWidget() && !w->GetOuterWidget()->isHidden();
}

void CDialogControls::EnableControl(UINT id, bool enabled)
{
    if (CWnd* w = Item(id))
        w->EnableWindow(enabled ? TRUE : FALSE);
}

bool CDialogControls::IsControlEnabled(UINT id) const
{
    const CWnd* w = Item(id);
    return w && w->IsWindowEnabled();
}

void CDialogControls::SetControlText(UINT id, const CString& text)
{
    if (CWnd* w = Item(id))
        w->SetWindowText(text);
}

CString CDialogControls::GetControlText(UINT id) const
{
    const CWnd* w = Item(id);
    return w ? w->GetWindowText() : CString();
}

void CDialogControls::FocusControl(UINT id)
{
    if (CWnd* w = Item(id))
        w->SetFocus();
}

void CDialogControls::SetCheck(UINT id, bool checked)
{
    if (auto* b = dynamic_cast<CButton*>(Item(id)))
        b->SetCheck(checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CDialogControls::GetCheck(UINT id) const
{
    const auto* b = dynamic_cast<const CButton*>(Item(id));
    return b && b->GetCheck() == BST_CHECKED;
}

void CDialogControls::SetComboItems(UINT id, const std::vector<CString>& items)
{
    CComboBox* combo = Combo(id);
    if (!combo)
        return;
    combo->ResetContent();
    for (const CString& item : items)
        combo->AddString(item);
    combo->SetCurSel(-1);
}

std::vector<CString> CDialogControls::GetComboItems(UINT id) const
{
    std::vector<CString> items;
    if (const CComboBox* combo = Combo(id))
        for (int i = 0; i < combo->GetCount(); ++i)
            items.push_back(combo->GetLBText(i));
    return items;
}

int CDialogControls::GetComboSelection(UINT id) const
{
    const CComboBox* combo = Combo(id);
    const int sel = combo ? combo->GetCurSel() : CB_ERR;
    return sel == CB_ERR ? -1 : sel;
}

void CDialogControls::SetComboSelection(UINT id, int index)
{
    if (CComboBox* combo = Combo(id))
        combo->SetCurSel(index);
}

void CDialogControls::SetSpinRange(UINT id, double minimum, double maximum, double step)
{
    if (CNumericSpinButton* spin = Spin(id))
        spin->SetRange(minimum, maximum, step);
}

void CDialogControls::SetSpinDecimals(UINT id, int decimals, bool trimZeros)
{
    if (CNumericSpinButton* spin = Spin(id)) {
        spin->SetDecimals(decimals);
        spin->SetTrimZeros(trimZeros);
    }
}

void CDialogControls::ShowMessage(const CString& text)
{
    m_dialog.MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

int CDialogControls::ChoosePriceSource(UINT buttonId, int checkedItem)
{
    const UINT chosen =
        TrackButtonMenu(IDR_PRICE_SOURCE_MENU, buttonId, ID_PRICE_SOURCE_FIRST + static_cast<UINT>(checkedItem));
    if (chosen < ID_PRICE_SOURCE_FIRST || chosen > ID_PRICE_OFFSET)
        return -1;
    return static_cast<int>(chosen - ID_PRICE_SOURCE_FIRST);
}

UINT CDialogControls::TrackButtonMenu(UINT menuId, UINT buttonId, UINT checkedCommand)
{
    CMenu menu;
    if (!menu.LoadMenu(menuId))
        return 0;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return 0;
    popup->CheckMenuItem(checkedCommand, MF_BYCOMMAND | MF_CHECKED);
    CPoint point(0, 0);
    if (CWnd* button = Item(buttonId)) {
        CRect rect;
        button->GetWindowRect(&rect);
        point = CPoint(rect.left, rect.bottom);
    }
    return CUiResponder::Current().TrackPopupMenu(*popup, point, &m_dialog);
}

bool CDialogControls::EditPriceOffset(int& source, double& offset)
{
    CPriceOffsetDlg dlg(&m_dialog, source, offset);
    if (dlg.DoModal() != IDOK)
        return false;
    source = dlg.m_nPriceSource;
    offset = dlg.GetSignedOffset();
    return true;
}

bool CDialogControls::ChooseAccounts(int& mode, std::vector<CString>& names)
{
    CAccountsDlg dlg(mode, names, &m_dialog);
    if (dlg.DoModal() != IDOK)
        return false;
    mode = dlg.m_nAccountMode;
    names = dlg.m_accountNames;
    return true;
}

void CDialogControls::OpenOptionChain()
{
    IWorkstationFrame* frame = GetWorkstationFrame();
    if (!frame)
        return;
    const bool floating = dynamic_cast<CSdiChildFrame*>(m_dialog.GetParentFrame()) != nullptr;
    frame->OpenListWindow(ID_OPTION_CHAIN_LIST, floating ? TRUE : FALSE);
}

void CDialogControls::OpenDisclaimer()
{
    const CAppSettings* settings = CAppSettings::Instance();
    const CString path = (settings ? settings->GetWorkingDirectory() : CString(".")) + "/help/OptionsDisclaimer.html";
    if (!std::filesystem::exists(path.GetString()) || !CUiResponder::Current().OpenExternal(path))
        ShowMessage("The options disclaimer " + path + " cannot be opened.");
}

void CDialogControls::BeginWaitCursor()
{
    if (m_nWaits++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CDialogControls::EndWaitCursor()
{
    if (m_nWaits > 0 && --m_nWaits == 0)
        QApplication::restoreOverrideCursor();
}

std::function<void(int leg)> CDialogControls::QuoteNotifier()
{
    const HWND target = m_dialog.m_hWnd;
    return [target](int leg) { PostMessage(target, WM_ORDER_LEG_QUOTE, static_cast<WPARAM>(leg), 0); };
}
