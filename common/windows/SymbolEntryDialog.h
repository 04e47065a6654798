// "Enter Symbol" (and interval): the caller fills it, runs it and reads the symbol,
// the interval and the extended-session flag after IDOK. OK refuses an interval that
// names no bar interval.
#pragma once

#include "platform/ui/CDialog.h"

class SymbolEntryDialog : public CDialog {
public:
    SymbolEntryDialog(BOOL selectAll, CWnd* parent = nullptr);

    void SetSymbol(const char* symbol) { m_symbol = symbol; }
    // Also shows the interval field.
    void SetInterval(const char* interval);
    void SetExtSession(BOOL on) { m_nExtSession = on ? 1 : 0; }
    // The interval field takes the focus, its caret after the text (a typed digit).
    void FocusInterval() { m_bFocusInterval = true; }

    const CString& GetSymbol() const { return m_symbol; }
    const CString& GetInterval() const { return m_interval; }
    BOOL GetExtSession() const { return m_nExtSession != 0; }
    // Whether the user typed into the interval field.
    bool IntervalTyped() const { return m_bIntervalTyped; }

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;

private:
    void OnIntervalEdited();

    BOOL m_bSelectAll;
    bool m_bShowInterval = false;
    bool m_bIntervalTyped = false;
    bool m_bFocusInterval = false;
    CString m_symbol;
    CString m_interval;
    int m_nExtSession = 0;
};
