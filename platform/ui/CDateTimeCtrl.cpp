#include "platform/ui/CDateTimeCtrl.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"
#include "platform/ui/TimeConvert.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QRegularExpression>

namespace {

QDateTimeEdit* Edit(QWidget* w)
{
    return qobject_cast<QDateTimeEdit*>(w);
}

// Picker format to Qt display format ("t"/"tt" become the AM/PM marker).
QString ToQtFormat(const char* format)
{
    const QString in = ToQString(format);
    QString out;
    bool quoted = false;
    for (int i = 0; i < in.size(); ++i) {
        const QChar c = in[i];
        if (c == QChar('\'')) {
            quoted = !quoted;
            out += c;
        } else if (!quoted && c == QChar('t')) {
            const bool two = i + 1 < in.size() && in[i + 1] == QChar('t');
            out += two ? QStringLiteral("AP") : QStringLiteral("A");
            if (two)
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// A key that only changes what the next key types (Shift for ":", AltGr...).
bool IsModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch: return true;
    default: return false;
    }
}

// A date or time typed whole with its separators reads as typed: a digit that fills a
// field moves on to the next one, so the separator typed after it is dropped rather than
// taken as a move past the next field. The Shift pressed for a separator on its own key
// event leaves that state as it is.
class QxDateTimeEdit : public QDateTimeEdit {
public:
    using QDateTimeEdit::QDateTimeEdit;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (IsModifierKey(e->key())) {
            QDateTimeEdit::keyPressEvent(e);
            return;
        }
        const QString text = e->text();
        const bool typed = text.size() == 1 && text[0].isPrint();
        const bool separator = typed && !text[0].isLetterOrNumber();
        if (separator && m_movedOn) {
            m_movedOn = false;
            e->accept();
            return;
        }
        const int field = currentSectionIndex();
        QDateTimeEdit::keyPressEvent(e);
        m_movedOn = typed && !separator && currentSectionIndex() != field;
    }
    // AM and PM are taken at their first letter, as typed: "11:05:47 A" is 11:05:47 AM, not
    // an unfinished text that the picker would read as the half of the day it held before.
    QValidator::State validate(QString& input, int& pos) const override
    {
        if (displayedSections() & AmPmSection) {
            static const QRegularExpression unfinished(QStringLiteral("(?<![A-Za-z])[AaPp](?![A-Za-z])"));
            if (const QRegularExpressionMatch letter = unfinished.match(input); letter.hasMatch()) {
                input.replace(letter.capturedStart(), 1, letter.captured().toUpper() + QLatin1Char('M'));
                if (pos > letter.capturedStart())
                    ++pos;
            }
        }
        return QDateTimeEdit::validate(input, pos);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        m_movedOn = false;
        QDateTimeEdit::mousePressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override
    {
        m_movedOn = false;
        QDateTimeEdit::focusInEvent(e);
    }

private:
    bool m_movedOn = false;  // the last key typed filled a field and moved to the next
};

}  // namespace

BOOL CDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CDateTimeCtrl::CreateWidget(QWidget* parent)
{
    auto* edit = new QxWindowHost<QxDateTimeEdit>(this, parent);
    const DWORD kind = m_style & 0xD;
    if (kind == DTS_TIMEFORMAT) {
        edit->setDisplayFormat(QStringLiteral("h:mm:ss AP"));
    } else if (kind == DTS_LONGDATEFORMAT) {
        edit->setDisplayFormat(QStringLiteral("dddd, MMMM dd, yyyy"));
        edit->setCalendarPopup(!(m_style & DTS_UPDOWN));
    } else {
        edit->setDisplayFormat(QStringLiteral("M/d/yyyy"));
        edit->setCalendarPopup(!(m_style & DTS_UPDOWN));
    }
    // The drop-down calendar takes no typed dates either (see CMonthCalCtrl).
    if (QCalendarWidget* popup = edit->calendarWidget())
        popup->setDateEditEnabled(false);
    // The picker holds a wall clock in no zone: a SYSTEMTIME shows as it stands (an hour the
    // local clock skips too); a CTime goes in and out through its local fields.
    edit->setTimeSpec(Qt::UTC);
    edit->setDateTime(ToWallClock(CTime::GetCurrentTime()));
    QObject::connect(edit, &QDateTimeEdit::dateTimeChanged, [edit] {
        if (CWnd* self = CWnd::FromWidget(edit))
            self->NotifyParent(DTN_DATETIMECHANGE);
    });
    return edit;
}

BOOL CDateTimeCtrl::SetTime(const CTime& time)
{
    QDateTimeEdit* e = Edit(GetWidget());
    if (!e)
        return FALSE;
    QSignalBlocker block(e);
    e->setDateTime(ToWallClock(time));
    return TRUE;
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* time)
{
    QDateTimeEdit* e = Edit(GetWidget());
    if (!e || !time)
        return FALSE;
    const QDateTime d = ToWallClock(*time);
    if (!d.isValid())
        return FALSE;
    QSignalBlocker block(e);
    e->setDateTime(d);
    return TRUE;
}

DWORD CDateTimeCtrl::GetTime(CTime& time) const
{
    QDateTimeEdit* e = Edit(GetWidget());
    if (!e)
        return GDT_ERROR;
    time = LocalTimeOfWallClock(e->dateTime());
    return GDT_VALID;
}

DWORD CDateTimeCtrl::GetTime(SYSTEMTIME* time) const
{
    QDateTimeEdit* e = Edit(GetWidget());
    if (!e || !time)
        return GDT_ERROR;
    *time = ToSystemTime(e->dateTime());
    return GDT_VALID;
}

BOOL CDateTimeCtrl::SetFormat(const char* format)
{
    QDateTimeEdit* e = Edit(GetWidget());
    if (!e || !format)
        return FALSE;
    e->setDisplayFormat(ToQtFormat(format));
    return TRUE;
}

BOOL CDateTimeCtrl::SetRange(const CTime* minTime, const CTime* maxTime)
{
    QDateTimeEdit* e = Edit(GetWidget());
    if (!e)
        return FALSE;
    QSignalBlocker block(e);
    if (minTime)
        e->setMinimumDateTime(ToWallClock(*minTime));
    else
        e->clearMinimumDateTime();
    if (maxTime)
        e->setMaximumDateTime(ToWallClock(*maxTime));
    else
        e->clearMaximumDateTime();
    return TRUE;
}

CString CDateTimeCtrl::GetTextOfWidget() const
{
    QDateTimeEdit* e = Edit(GetWidget());
    return e ? FromQString(e->text()) : CString();
}
