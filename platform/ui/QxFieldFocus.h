// How a dialog's one-line text field (an edit, the text box of an editable combo box) takes
// the focus: with its whole text selected, so that typing replaces it, when the focus comes
// from the keyboard (Tab, Shift+Tab, its label's letter), from the program or with its
// window. A click puts the caret where it clicks, and the focus back from a popup (a context
// menu, the combo's list) leaves the text as it was. A selection kept on purpose (the one a
// dialog opens with) stays until the field really has the focus.
#pragma once

#include <QFocusEvent>
#include <QLineEdit>

class QxFieldFocus {
public:
    virtual ~QxFieldFocus() = default;

    // Dialogs turn the selection on for their fields.
    void SelectAllOnFocus() { m_selectAll = true; }
    void KeepSelectionUntilFocused() { m_keep = true; }
    void SelectAll()
    {
        if (QLineEdit* box = TextBox())
            box->selectAll();
    }

protected:
    // The field's text box; null for a combo box without one.
    virtual QLineEdit* TextBox() = 0;

    // Runs the widget's own handler of the focus-in event, then selects. The event that a
    // dialog sends its focus widget as it shows comes before the widget has the focus.
    template <class Handler>
    void FocusIn(const QFocusEvent& e, bool focused, Handler&& handler)
    {
        QLineEdit* box = TextBox();
        if (!m_selectAll || !box) {
            handler();
            return;
        }
        if (!m_keep) {
            handler();
            if (SelectsFor(e.reason()))
                box->selectAll();
            return;
        }
        const int start = box->selectionStart();
        const int length = box->selectionLength();
        const int cursor = box->cursorPosition();
        handler();
        if (length > 0) {
            box->setSelection(start, length);
        } else {
            box->deselect();
            box->setCursorPosition(cursor);
        }
        m_keep = !focused;
    }

private:
    static bool SelectsFor(Qt::FocusReason reason)
    {
        switch (reason) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::ActiveWindowFocusReason:
        case Qt::OtherFocusReason: return true;
        default: return false;  // a click, a popup, the menu bar
        }
    }

    bool m_selectAll = false;
    bool m_keep = false;
};
