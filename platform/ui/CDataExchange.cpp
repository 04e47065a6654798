#include "platform/ui/CDataExchange.h"

#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CDateTimeCtrl.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CMonthCalCtrl.h"
#include "platform/ui/CSpinButtonCtrl.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWnd.h"

#include <QAbstractButton>
#include <QButtonGroup>

#include <cerrno>
#include <cmath>
#include <cstdlib>

CWnd* CDataExchange::PrepareCtrl(int id)
{
    m_idLastControl = id;
    m_bEditLastControl = false;
    CWnd* c = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
    if (!c) {
        CString msg;
        msg.Format("Control %d is missing from the dialog.", id);
        Fail(msg);
    }
    return c;
}

CWnd* CDataExchange::PrepareEditCtrl(int id)
{
    CWnd* c = PrepareCtrl(id);
    m_bEditLastControl = true;
    return c;
}

void CDataExchange::Fail(const char* message)
{
    if (message && *message)
        CUiResponder::Current().MessageBox(m_pDlgWnd, message, "", MB_OK | MB_ICONEXCLAMATION);
    throw CDataExchangeFailure{};
}

CWnd* CDataExchange::LastControl() const
{
    return m_pDlgWnd && m_idLastControl ? m_pDlgWnd->GetDlgItem(m_idLastControl) : nullptr;
}

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    CWnd* c = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = c->GetWindowText();
    else
        c->SetWindowText(value);
}

namespace {

bool ParseInteger(CString text, long long& out)
{
    text.Trim();
    if (text.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text.GetString(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

bool ParseReal(CString text, double& out)
{
    text.Trim();
    if (text.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.GetString(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(out);
}

template <class T>
void TextInteger(CDataExchange* dx, int id, T& value, long long lo, long long hi, const char* format)
{
    CWnd* c = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        long long v = 0;
        if (!ParseInteger(c->GetWindowText(), v) || v < lo || v > hi)
            dx->Fail(lo < 0 ? "Please enter an integer." : "Please enter a positive integer.");
        value = static_cast<T>(v);
    } else {
        CString t;
        t.Format(format, value);
        c->SetWindowText(t);
    }
}

template <class T>
void TextReal(CDataExchange* dx, int id, T& value, const char* format)
{
    CWnd* c = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        double v = 0;
        if (!ParseReal(c->GetWindowText(), v))
            dx->Fail("Please enter a number.");
        value = static_cast<T>(v);
    } else {
        CString t;
        t.Format(format, static_cast<double>(value));
        c->SetWindowText(t);
    }
}

}  // namespace

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    TextInteger(dx, id, value, -2147483648LL, 2147483647LL, "%d");
}

void DDX_Text(CDataExchange* dx, int id, UINT& value)
{
    TextInteger(dx, id, value, 0, 4294967295LL, "%u");
}

void DDX_Text(CDataExchange* dx, int id, long& value)
{
    TextInteger(dx, id, value, -2147483648LL, 2147483647LL, "%ld");
}

void DDX_Text(CDataExchange* dx, int id, double& value)
{
    TextReal(dx, id, value, "%.15g");
}

void DDX_Text(CDataExchange* dx, int id, float& value)
{
    TextReal(dx, id, value, "%.7g");
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    auto* b = dynamic_cast<CButton*>(dx->PrepareCtrl(id));
    if (!b)
        dx->Fail("Check box expected.");
    if (dx->m_bSaveAndValidate)
        value = b->GetCheck();
    else
        b->SetCheck(value);
}

void DDX_Radio(CDataExchange* dx, int id, int& value)
{
    CWnd* first = dx->PrepareCtrl(id);
    auto* button = qobject_cast<QAbstractButton*>(first->GetWidget());
    if (!button)
        dx->Fail("Radio button expected.");
    QList<QAbstractButton*> group;
    if (button->group())
        group = button->group()->buttons();
    else
        group << button;
    if (dx->m_bSaveAndValidate) {
        value = -1;
        for (int i = 0; i < group.size(); ++i)
            if (group[i]->isChecked())
                value = i;
    } else {
        for (int i = 0; i < group.size(); ++i)
            if (auto* b = dynamic_cast<CButton*>(CWnd::FromWidget(group[i])))
                b->SetCheck(i == value ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index)
{
    auto* c = dynamic_cast<CComboBox*>(dx->PrepareCtrl(id));
    if (!c)
        dx->Fail("Combo box expected.");
    if (dx->m_bSaveAndValidate)
        index = c->GetCurSel();
    else
        c->SetCurSel(index);
}

static void ComboString(CDataExchange* dx, int id, CString& value, bool exact)
{
    auto* c = dynamic_cast<CComboBox*>(dx->PrepareCtrl(id));
    if (!c)
        dx->Fail("Combo box expected.");
    if (dx->m_bSaveAndValidate) {
        value = c->GetWindowText();
        return;
    }
    const int i = exact ? c->FindStringExact(-1, value) : c->FindString(-1, value);
    if (i != CB_ERR)
        c->SetCurSel(i);
    else
        c->SetWindowText(value);
}

void DDX_CBString(CDataExchange* dx, int id, CString& value)
{
    ComboString(dx, id, value, false);
}

void DDX_CBStringExact(CDataExchange* dx, int id, CString& value)
{
    ComboString(dx, id, value, true);
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index)
{
    auto* l = dynamic_cast<CListBox*>(dx->PrepareCtrl(id));
    if (!l)
        dx->Fail("List box expected.");
    if (dx->m_bSaveAndValidate)
        index = l->GetCurSel();
    else
        l->SetCurSel(index);
}

void DDX_LBString(CDataExchange* dx, int id, CString& value)
{
    auto* l = dynamic_cast<CListBox*>(dx->PrepareCtrl(id));
    if (!l)
        dx->Fail("List box expected.");
    if (dx->m_bSaveAndValidate) {
        const int i = l->GetCurSel();
        value = i >= 0 ? l->GetText(i) : CString();
    } else {
        l->SelectString(-1, value);
    }
}

void DDX_DateTimeCtrl(CDataExchange* dx, int id, CTime& value)
{
    auto* c = dynamic_cast<CDateTimeCtrl*>(dx->PrepareCtrl(id));
    if (!c)
        dx->Fail("Date and time picker expected.");
    if (dx->m_bSaveAndValidate)
        c->GetTime(value);
    else
        c->SetTime(value);
}

void DDX_DateTimeCtrl(CDataExchange* dx, int id, SYSTEMTIME& value)
{
    auto* c = dynamic_cast<CDateTimeCtrl*>(dx->PrepareCtrl(id));
    if (!c)
        dx->Fail("Date and time picker expected.");
    if (dx->m_bSaveAndValidate)
        c->GetTime(&value);
    else
        c->SetTime(&value);
}

void DDX_MonthCalCtrl(CDataExchange* dx, int id, CTime& value)
{
    auto* c = dynamic_cast<CMonthCalCtrl*>(dx->PrepareCtrl(id));
    if (!c)
        dx->Fail("Month calendar expected.");
    if (dx->m_bSaveAndValidate)
        c->GetCurSel(value);
    else
        c->SetCurSel(value);
}

void DDX_Spin(CDataExchange* dx, int id, int& value)
{
    auto* s = dynamic_cast<CSpinButtonCtrl*>(dx->PrepareCtrl(id));
    if (!s)
        dx->Fail("Spin control expected.");
    if (dx->m_bSaveAndValidate)
        value = s->GetPos32();
    else
        s->SetPos32(value);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    CWnd* existing = dx->PrepareCtrl(id);
    if (!control.SubclassWindow(existing->m_hWnd))
        dx->Fail("The control cannot take over this window.");
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    CString msg;
    msg.Format("Please enter an integer between %d and %d.", minValue, maxValue);
    dx->Fail(msg);
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    CString msg;
    msg.Format("Please enter an integer between %u and %u.", minValue, maxValue);
    dx->Fail(msg);
}

void DDV_MinMaxLong(CDataExchange* dx, long value, long minValue, long maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    CString msg;
    msg.Format("Please enter an integer between %ld and %ld.", minValue, maxValue);
    dx->Fail(msg);
}

void DDV_MinMaxDouble(CDataExchange* dx, double value, double minValue, double maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    CString msg;
    msg.Format("Please enter a number between %g and %g.", minValue, maxValue);
    dx->Fail(msg);
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars)
{
    if (!dx->m_bSaveAndValidate) {
        if (auto* e = dynamic_cast<CEdit*>(dx->m_pDlgWnd ? dx->m_pDlgWnd->GetDlgItem(dx->m_idLastControl) : nullptr))
            e->SetLimitText(static_cast<UINT>(maxChars));
        return;
    }
    if (value.GetLength() <= maxChars)
        return;
    CString msg;
    msg.Format("Enter no more than %d characters.", maxChars);
    dx->Fail(msg);
}
