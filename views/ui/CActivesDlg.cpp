#include "views/ui/CActivesDlg.h"

#include "broker/session/CActivesHandle.h"
#include "platform/ui/CComboBox.h"
#include "views/ActivesKey.h"
#include "views/ui/Level1Ids.h"

namespace {

constexpr UINT kExchange = 1210;
constexpr UINT kType = 1211;
constexpr UINT kInterval = 1212;

} // namespace

CActivesDlg::CActivesDlg(const CActivesHandle* current, CWnd* parent) : CDialog(IDD_ACTIVES, parent)
{
    if (!current)
        return;
    if (const int exchange = FindActivesExchange(current->GetExchangeKey()); exchange >= 0)
        m_nExchange = exchange;
    if (const int interval = FindActivesInterval(current->GetIntervalKey()); interval >= 0)
        m_nInterval = interval;
    if (current->GetType() >= 0 && current->GetType() < kActivesTypeCount)
        m_nType = current->GetType();
}

BOOL CActivesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* exchange = static_cast<CComboBox*>(GetDlgItem(kExchange));
    for (int i = 0; i < kActivesExchangeCount; ++i)
        exchange->AddString(ActivesExchangeName(i));
    exchange->SetCurSel(m_nExchange);
    FillTypes(m_nType);
    auto* interval = static_cast<CComboBox*>(GetDlgItem(kInterval));
    for (int i = 0; i < kActivesIntervalCount; ++i)
        interval->AddString(ActivesIntervalName(i));
    interval->SetCurSel(m_nInterval);
    return TRUE;
}

void CActivesDlg::FillTypes(int select)
{
    auto* type = static_cast<CComboBox*>(GetDlgItem(kType));
    const int exchange = static_cast<CComboBox*>(GetDlgItem(kExchange))->GetCurSel();
    type->ResetContent();
    for (int i = 0; i < kActivesTypeCount; ++i)
        type->AddString(ActivesTypeName(exchange, i));
    type->SetCurSel(select >= 0 && select < kActivesTypeCount ? select : 0);
}

void CActivesDlg::OnExchange()
{
    // The shown name stays when the new market has it ("Trades"), else the first one.
    auto* type = static_cast<CComboBox*>(GetDlgItem(kType));
    const CString shown = type->GetCurSel() >= 0 ? type->GetLBText(type->GetCurSel()) : CString();
    const int exchange = static_cast<CComboBox*>(GetDlgItem(kExchange))->GetCurSel();
    int select = 0;
    for (int i = 0; i < kActivesTypeCount; ++i)
        if (shown == ActivesTypeName(exchange, i))
            select = i;
    FillTypes(select);
}

void CActivesDlg::OnOK()
{
    m_nExchange = static_cast<CComboBox*>(GetDlgItem(kExchange))->GetCurSel();
    m_nType = static_cast<CComboBox*>(GetDlgItem(kType))->GetCurSel();
    m_nInterval = static_cast<CComboBox*>(GetDlgItem(kInterval))->GetCurSel();
    EndDialog(IDOK);
}

CString CActivesDlg::GetKey() const
{
    if (m_nType < 0 || m_nType >= kActivesTypeCount)
        return CString();
    return MakeActivesKey(m_nExchange, m_nInterval, m_nType);
}

const CMessageMap& CActivesDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CActivesDlg>(CDialog::GetMessageMap())
                                       .Control(CBN_SELCHANGE, kExchange, &CActivesDlg::OnExchange)
                                       .Build();
    return map;
}
