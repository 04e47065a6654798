// An up-down control for decimal numbers: steps the number in its buddy edit by a
// fractional step between a minimum and a maximum and writes it back with a chosen count
// of decimals.
#pragma once

#include "platform/ui/CSpinButtonCtrl.h"

class CNumericSpinButton : public CSpinButtonCtrl {
public:
    CNumericSpinButton();

    // Takes over the spin control of a dialog, with the control of buddyId as its buddy,
    // and applies the range again.
    BOOL AttachToItem(UINT id, CWnd* parent, UINT buddyId);

    // Stores the three; with a step other than 0 sets the control's positions and places
    // the position from the buddy's number.
    void SetRange(double minimum, double maximum, double step);
    void GetRange(double& minimum, double& maximum, double& step) const;
    void SetDecimals(int count) { m_nDecimals = count; }
    int GetDecimals() const { return m_nDecimals; }
    // A format of the caller's for the buddy text (null or empty: the built-in one).
    void SetFormat(const char* format) { m_format = format ? format : ""; }
    void SetTrimZeros(bool trim) { m_bTrimZeros = trim; }
    // The buddy's text as a number (0 without a buddy or for text that is no number).
    double GetValue() const;
    // Writes the buddy text and places the position.
    void SetValue(double value);
    int GetPositions() const { return m_nPositions; }

    const CMessageMap& GetMessageMap() const override;

private:
    void OnDeltaPos(NMHDR* header, LRESULT* result);
    void ApplyRange();

    double m_minimum = 0;
    double m_maximum = 100;
    double m_step = 1;
    int m_nPositions = 100;
    int m_nDecimals = -1;
    CString m_format;
    bool m_bTrimZeros = true;
    char m_decimalPoint;
};
