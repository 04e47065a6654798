// A button in a frame's caption strip (link groups, detach toggle). A click sends the
// button's command to its frame; the value and check state belong to whoever uses it.
// Once the strip is gone the button does nothing and reads as empty and unchecked.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <QPointer>
#include <QToolButton>

class CCaptionButton {
public:
    explicit CCaptionButton(UINT commandId, QToolButton* button);

    UINT GetCommandId() const { return m_id; }
    void SetText(const char* text);
    CString GetText() const;
    void SetToolTip(const char* text);
    void SetCheck(BOOL checked);
    BOOL GetCheck() const;
    void SetValue(int value) { m_value = value; }
    int GetValue() const { return m_value; }
    void Show(BOOL show);
    QToolButton* Button() const { return m_button; }

private:
    UINT m_id;
    QPointer<QToolButton> m_button;  // owned by the caption strip, which may go first
    int m_value = 0;
};
