#include "trading/ui/CApiSettingsDlg.h"

#include "common/services/CAppSettings.h"
#include "common/services/CTradingDefaults.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "trading/COrderFormLogic.h"
#include "trading/ui/TradingUiIds.h"

namespace {

struct GroupIds {
    UINT orderType, expire, route, instructions;
};
constexpr GroupIds kGroups[kTradingGroupCount] = {
    {1210, 1211, 1212, 1263}, {1213, 1214, 1215, 1261}, {1216, 1217, 1218, 1265}};
constexpr UINT kLevel2Entry = 1248;
constexpr UINT kInetBookEntry = 1253;
constexpr UINT kConfirmPopup = 1282;
constexpr UINT kConfirmNone = 1283;
constexpr UINT kAddToSaved = 1255;
constexpr UINT kPlaceOrder = 1258;
constexpr UINT kSendAfterAlert = 1259;
constexpr UINT kSendImmediately = 1260;

CTradingDefaults& TableOf(CTradingDefaults* table)
{
    if (table)
        return *table;
    if (CAppSettings* settings = CAppSettings::Instance())
        return settings->m_tradingDefaults;
    static CTradingDefaults unused;
    return unused;
}

}  // namespace

CApiSettingsDlg::CApiSettingsDlg(int row, CWnd* owner, CTradingDefaults* table)
    : CDialog(IDD_API_SETTINGS, owner), m_nRow(row), m_pTable(&TableOf(table)), m_controls(*this)
{
    const CTradingDefaultsRow& r = m_pTable->Row(m_nRow);
    m_bLevel2Entry = r.level2Entry;
    m_bInetBookEntry = r.inetBookEntry;
    m_nConfirmation = r.confirmOrders ? 0 : 1;
    m_nProgramTrading = r.programTrading ? 1 : 0;
}

const CMessageMap& CApiSettingsDlg::GetMessageMap() const
{
    // The order type, expire and route combos of the three groups are 1210 to 1218.
    static const CMessageMap map = MessageMapFor<CApiSettingsDlg>(CDialog::GetMessageMap())
                                       .ControlRange(CBN_SELCHANGE, 1210, 1218, &CApiSettingsDlg::OnChoiceChanged)
                                       .Build();
    return map;
}

BOOL CApiSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText("Integrated Trading Settings");
    for (UINT id : {kSendAfterAlert, kSendImmediately})
        if (CWnd* w = GetDlgItem(static_cast<int>(id)))
            w->ShowWindow(SW_HIDE);
    const CTradingDefaultsRow& row = m_pTable->Row(m_nRow);
    for (int g = 0; g < kTradingGroupCount; ++g) {
        const GroupIds& ids = kGroups[g];
        m_controls.SetComboItems(ids.orderType, {"Market", "Limit"});
        auto show = [&](UINT id, const CString& text) {
            const std::vector<CString> items = m_controls.GetComboItems(id);
            for (size_t i = 0; i < items.size(); ++i)
                if (items[i] == text) {
                    m_controls.SetComboSelection(id, static_cast<int>(i));
                    return;
                }
            m_controls.SetComboSelection(id, -1);
            m_controls.SetControlText(id, text);
        };
        show(ids.orderType, row.orderTypes[g]);
        show(ids.expire, row.expires[g]);
        show(ids.route, row.routes[g]);
        show(ids.instructions, row.instructions[g]);
        Refill(g);
    }
    CheckDlgButton(kLevel2Entry, m_bLevel2Entry ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(kInetBookEntry, m_bInetBookEntry ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(kConfirmPopup, kConfirmNone, static_cast<int>(m_nConfirmation ? kConfirmNone : kConfirmPopup));
    CheckRadioButton(kAddToSaved, kPlaceOrder, static_cast<int>(m_nProgramTrading ? kPlaceOrder : kAddToSaved));
    return TRUE;
}

void CApiSettingsDlg::Refill(int group)
{
    const GroupIds& ids = kGroups[group];
    FillOrderChoiceLists(m_controls, ids.orderType, ids.expire, ids.instructions, ids.route, 0, false);
}

void CApiSettingsDlg::OnChoiceChanged(UINT id)
{
    for (int g = 0; g < kTradingGroupCount; ++g) {
        const GroupIds& ids = kGroups[g];
        if (id == ids.orderType || id == ids.expire || id == ids.route)
            Refill(g);
    }
}

void CApiSettingsDlg::OnOK()
{
    m_bLevel2Entry = IsDlgButtonChecked(kLevel2Entry) == BST_CHECKED ? 1 : 0;
    m_bInetBookEntry = IsDlgButtonChecked(kInetBookEntry) == BST_CHECKED ? 1 : 0;
    m_nConfirmation = GetCheckedRadioButton(kConfirmPopup, kConfirmNone) == static_cast<int>(kConfirmNone) ? 1 : 0;
    m_nProgramTrading = GetCheckedRadioButton(kAddToSaved, kPlaceOrder) == static_cast<int>(kPlaceOrder) ? 1 : 0;
    CTradingDefaultsRow& row = m_pTable->Row(m_nRow);
    for (int g = 0; g < kTradingGroupCount; ++g) {
        const GroupIds& ids = kGroups[g];
        row.orderTypes[g] = GetDlgItemText(ids.orderType);
        row.routes[g] = GetDlgItemText(ids.route);
        row.instructions[g] = GetDlgItemText(ids.instructions);
        row.expires[g] = GetDlgItemText(ids.expire);
    }
    row.level2Entry = m_bLevel2Entry;
    row.inetBookEntry = m_bInetBookEntry;
    row.confirmOrders = m_nConfirmation == 0 ? 1 : 0;
    row.programTrading = m_nProgramTrading;
    EndDialog(IDOK);
}
