#include "platform/ui/CEdit.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/QxFieldFocus.h"
#include "platform/ui/QxWindowHost.h"

#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QTextBlock>
#include <QTextCursor>

namespace {

// Multi-line text box. Qt's text control reads the first format of pasted or dropped data
// without asking whether there is one, so data without any (an empty clipboard: no owner
// on X) is refused here.
class QxMultiLineEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override
    {
        return HasFormats(source) && QPlainTextEdit::canInsertFromMimeData(source);
    }
    void insertFromMimeData(const QMimeData* source) override
    {
        if (HasFormats(source))
            QPlainTextEdit::insertFromMimeData(source);
    }

private:
    static bool HasFormats(const QMimeData* source) { return source && !source->formats().isEmpty(); }
};

// One-line text box; in a dialog it selects its text as it takes the focus.
class QxLineEdit : public QLineEdit, public QxFieldFocus {
public:
    using QLineEdit::QLineEdit;

protected:
    QLineEdit* TextBox() override { return this; }
    void focusInEvent(QFocusEvent* e) override
    {
        FocusIn(*e, hasFocus(), [&] { QLineEdit::focusInEvent(e); });
    }
};

}  // namespace

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CEdit::CreateWidget(QWidget* parent)
{
    if (m_style & ES_MULTILINE) {
        auto* edit = new QxWindowHost<QxMultiLineEdit>(this, parent);
        edit->setReadOnly((m_style & ES_READONLY) != 0);
        edit->setTabChangesFocus(true);  // Return still starts a line; Tab leaves the field
        RouteEventsOf(edit->viewport());
        QObject::connect(edit, &QPlainTextEdit::textChanged, [edit] {
            if (CWnd* self = CWnd::FromWidget(edit))
                self->CommandParent(EN_CHANGE);
        });
        return edit;
    }
    auto* edit = new QxWindowHost<QxLineEdit>(this, parent);
    edit->setReadOnly((m_style & ES_READONLY) != 0);
    if (m_style & ES_PASSWORD)
        edit->setEchoMode(QLineEdit::Password);
    if (m_style & ES_NUMBER)
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    const DWORD align = m_style & 0x3;
    edit->setAlignment(align == ES_CENTER ? Qt::AlignHCenter : align == ES_RIGHT ? Qt::AlignRight : Qt::AlignLeft);
    const bool upper = (m_style & ES_UPPERCASE) != 0;
    const bool lower = (m_style & ES_LOWERCASE) != 0;
    if (upper || lower)
        QObject::connect(edit, &QLineEdit::textEdited, [edit, upper](const QString& t) {
            const QString cased = upper ? t.toUpper() : t.toLower();
            if (cased != t) {
                const int pos = edit->cursorPosition();
                edit->setText(cased);
                edit->setCursorPosition(pos);
            }
        });
    QObject::connect(edit, &QLineEdit::textChanged, [edit] {
        if (CWnd* self = CWnd::FromWidget(edit))
            self->CommandParent(EN_CHANGE);
    });
    return edit;
}

void CEdit::SetTextOfWidget(const CString& text)
{
    QString t = ToQString(text);
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget())) {
        line->setText(t);
        line->setCursorPosition(0);
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget())) {
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        multi->setPlainText(t);
    }
}

CString CEdit::GetTextOfWidget() const
{
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget()))
        return FromQString(line->text());
    if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget())) {
        QString t = multi->toPlainText();
        t.replace(QChar('\n'), QLatin1String("\r\n"));
        return FromQString(t);
    }
    return CString();
}

void CEdit::SetSel(int start, int end, BOOL)
{
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget())) {
        const int len = static_cast<int>(line->text().size());
        if (start < 0) {
            line->deselect();
            return;
        }
        const int e = end < 0 || end > len ? len : end;
        line->setSelection(std::min(start, len), e - std::min(start, len));
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget())) {
        QTextCursor c = multi->textCursor();
        const int len = static_cast<int>(multi->toPlainText().size());
        c.setPosition(std::clamp(start, 0, len));
        c.setPosition(end < 0 ? len : std::clamp(end, 0, len), QTextCursor::KeepAnchor);
        multi->setTextCursor(c);
    }
}

void CEdit::GetSel(int& start, int& end) const
{
    start = end = 0;
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget())) {
        if (line->hasSelectedText()) {
            start = line->selectionStart();
            end = line->selectionEnd();
        } else {
            start = end = line->cursorPosition();
        }
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget())) {
        const QTextCursor c = multi->textCursor();
        start = c.selectionStart();
        end = c.selectionEnd();
    }
}

void CEdit::ReplaceSel(const char* text, BOOL)
{
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget()))
        line->insert(ToQString(text));
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget()))
        multi->insertPlainText(ToQString(text));
}

void CEdit::SetLimitText(UINT max)
{
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget()))
        line->setMaxLength(max == 0 ? 32767 : static_cast<int>(std::min<UINT>(max, 0x7FFFFFFF)));
}

BOOL CEdit::SetReadOnly(BOOL readOnly)
{
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget()))
        line->setReadOnly(readOnly != FALSE);
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget()))
        multi->setReadOnly(readOnly != FALSE);
    else
        return FALSE;
    m_style = readOnly ? (m_style | ES_READONLY) : (m_style & ~ES_READONLY);
    return TRUE;
}

int CEdit::GetLineCount() const
{
    if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget()))
        return multi->document()->blockCount();
    return 1;
}

void CEdit::Clear()
{
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget()))
        line->del();
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget()))
        multi->textCursor().removeSelectedText();
}

void CEdit::Copy()
{
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget()))
        line->copy();
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget()))
        multi->copy();
}

void CEdit::Paste()
{
    if (auto* line = qobject_cast<QLineEdit*>(GetWidget()))
        line->paste();
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(GetWidget()))
        multi->paste();
}

void CEdit::OnSetFocus(CWnd* old)
{
    CommandParent(EN_SETFOCUS);
    CWnd::OnSetFocus(old);
}

void CEdit::OnKillFocus(CWnd* next)
{
    CommandParent(EN_KILLFOCUS);
    CWnd::OnKillFocus(next);
}
