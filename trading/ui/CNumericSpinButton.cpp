#include "trading/ui/CNumericSpinButton.h"

#include "trading/NumericSpinMath.h"
#include "trading/OrderInput.h"

#include <clocale>

CNumericSpinButton::CNumericSpinButton()
{
    const lconv* conventions = std::localeconv();
    m_decimalPoint = conventions && conventions->decimal_point && *conventions->decimal_point
                         ? *conventions->decimal_point
                         : '.';
}

const CMessageMap& CNumericSpinButton::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CNumericSpinButton>(CSpinButtonCtrl::GetMessageMap())
                                       .ReflectNotify(UDN_DELTAPOS, &CNumericSpinButton::OnDeltaPos)
                                       .Build();
    return map;
}

BOOL CNumericSpinButton::AttachToItem(UINT id, CWnd* parent, UINT buddyId)
{
    if (!SubclassDlgItem(id, parent))
        return FALSE;
    SetBuddy(parent->GetDlgItem(static_cast<int>(buddyId)));
    if (m_step != 0)
        ApplyRange();
    return TRUE;
}

void CNumericSpinButton::SetRange(double minimum, double maximum, double step)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_step = step;
    if (step != 0)
        ApplyRange();
}

void CNumericSpinButton::GetRange(double& minimum, double& maximum, double& step) const
{
    minimum = m_minimum;
    maximum = m_maximum;
    step = m_step;
}

void CNumericSpinButton::ApplyRange()
{
    m_nPositions = SpinPositionCount(m_minimum, m_maximum, m_step);
    SetRange32(0, m_nPositions);
    SetPos32(SpinPosition(GetValue(), m_minimum, m_maximum, m_nPositions));
}

double CNumericSpinButton::GetValue() const
{
    const CWnd* buddy = GetBuddy();
    double value = 0;
    if (!buddy || !ParseOrderNumber(buddy->GetWindowText(), value))
        return 0;
    return value;
}

void CNumericSpinButton::SetValue(double value)
{
    if (CWnd* buddy = GetBuddy())
        buddy->SetWindowText(FormatSpinValue(value, m_nDecimals, m_format, m_bTrimZeros, m_decimalPoint));
    SetPos32(SpinPosition(value, m_minimum, m_maximum, m_nPositions));
}

void CNumericSpinButton::OnDeltaPos(NMHDR* header, LRESULT* result)
{
    const auto* change = reinterpret_cast<const NMUPDOWN*>(header);
    const double value =
        SpinClick(GetValue(), change->iDelta, m_step, m_minimum, m_maximum, (GetStyle() & UDS_WRAP) != 0);
    if (CWnd* buddy = GetBuddy())
        buddy->SetWindowText(FormatSpinValue(value, m_nDecimals, m_format, m_bTrimZeros, m_decimalPoint));
    *result = 0;  // the control's own position change goes ahead
}
