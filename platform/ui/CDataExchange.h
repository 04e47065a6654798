// Data exchange between a window's member variables and its controls. DoDataExchange
// calls the DDX_ functions for each control and DDV_ functions to validate; a failed
// validation has already told the user and makes UpdateData return FALSE.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CTime.h"
#include "platform/core/WinTypes.h"

class CWnd;

struct CDataExchangeFailure {};

class CDataExchange {
public:
    CDataExchange(CWnd* window, BOOL saveAndValidate) : m_pDlgWnd(window), m_bSaveAndValidate(saveAndValidate) {}

    // The control with the id (remembered for the focus after a failure); fails when missing.
    CWnd* PrepareCtrl(int id);
    CWnd* PrepareEditCtrl(int id);
    // Tells the user and stops the exchange.
    [[noreturn]] void Fail(const char* message = nullptr);
    CWnd* LastControl() const;

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    int m_idLastControl = 0;
    bool m_bEditLastControl = false;
};

// Texts and numbers of edit (or other) controls.
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, long& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Text(CDataExchange* dx, int id, float& value);
// Check box state (0, 1, 2).
void DDX_Check(CDataExchange* dx, int id, int& value);
// Index of the checked radio button of the group starting at id; -1 for none.
void DDX_Radio(CDataExchange* dx, int id, int& value);
// Combo and list box selections.
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
void DDX_CBString(CDataExchange* dx, int id, CString& value);
void DDX_CBStringExact(CDataExchange* dx, int id, CString& value);
void DDX_LBIndex(CDataExchange* dx, int id, int& index);
void DDX_LBString(CDataExchange* dx, int id, CString& value);
// Date and time controls.
void DDX_DateTimeCtrl(CDataExchange* dx, int id, CTime& value);
// A wall-clock date and time, in no zone.
void DDX_DateTimeCtrl(CDataExchange* dx, int id, SYSTEMTIME& value);
void DDX_MonthCalCtrl(CDataExchange* dx, int id, CTime& value);
// Spin position (32-bit).
void DDX_Spin(CDataExchange* dx, int id, int& value);
// Makes control the owner of the dialog's control window (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// Validation, applied only when saving.
void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue);
void DDV_MinMaxLong(CDataExchange* dx, long value, long minValue, long maxValue);
void DDV_MinMaxDouble(CDataExchange* dx, double value, double minValue, double maxValue);
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
