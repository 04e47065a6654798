#include "platform/ui/CComboBox.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/QxFieldFocus.h"
#include "platform/ui/QxOwnerDrawDelegate.h"
#include "platform/ui/QxWindowHost.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPointer>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

// The Qt combo with hooks for popup notifications and owner drawing of the closed box; its
// text box, when editable, takes the focus as a dialog's field.
class QxComboBox : public QComboBox, public QxFieldFocus {
public:
    using QComboBox::QComboBox;
    QPointer<QxOwnerDrawDelegate> ownerDraw;  // the item delegate, owned by the combo

    void showPopup() override
    {
        if (auto* c = dynamic_cast<CComboBox*>(CWnd::FromWidget(this)))
            c->NotifyPopup(true);
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (auto* c = dynamic_cast<CComboBox*>(CWnd::FromWidget(this)))
            c->NotifyPopup(false);
    }

protected:
    QLineEdit* TextBox() override { return lineEdit(); }
    void focusInEvent(QFocusEvent* e) override
    {
        FocusIn(*e, hasFocus(), [&] { QComboBox::focusInEvent(e); });
    }
    void paintEvent(QPaintEvent* e) override
    {
        if (!ownerDraw || isEditable()) {
            QComboBox::paintEvent(e);
            return;
        }
        QStylePainter painter(this);
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        opt.currentText.clear();
        opt.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, opt);
        const QRect edit = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
        const int item = currentIndex();
        UINT state = ODS_COMBOBOXEDIT;
        if (hasFocus())
            state |= ODS_SELECTED | ODS_FOCUS;
        if (!isEnabled())
            state |= ODS_DISABLED;
        const DWORD_PTR data = item >= 0 ? static_cast<DWORD_PTR>(itemData(item).toULongLong()) : 0;
        ownerDraw->DrawOne(&painter, edit, item, state, data);
    }
};

QxComboBox* Combo(QWidget* w)
{
    return dynamic_cast<QxComboBox*>(w);
}

int FindIn(const QComboBox* c, int start, const char* text, bool exact)
{
    const int n = c ? c->count() : 0;
    if (n == 0 || !text)
        return CB_ERR;
    const QString t = ToQString(text);
    const int first = start < 0 || start >= n ? 0 : start + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        const QString item = c->itemText(i);
        if (exact ? item.compare(t, Qt::CaseInsensitive) == 0 : item.startsWith(t, Qt::CaseInsensitive))
            return i;
    }
    return CB_ERR;
}

}  // namespace

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CComboBox::CreateWidget(QWidget* parent)
{
    auto* combo = new QxWindowHost<QxComboBox>(this, parent);
    const DWORD kind = m_style & 0x3;
    combo->setEditable(kind == CBS_DROPDOWN || kind == CBS_SIMPLE);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    if (combo->lineEdit()) {
        combo->lineEdit()->setCompleter(nullptr);
        RouteEventsOf(combo->lineEdit());
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, [combo] {
            if (CWnd* self = CWnd::FromWidget(combo))
                self->CommandParent(CBN_EDITCHANGE);
        });
    }
    if (IsOwnerDraw()) {
        auto* d = new QxOwnerDrawDelegate(
            combo, ODT_COMBOBOX,
            [](CWnd& w, DRAWITEMSTRUCT& dis) {
                if (auto* c = dynamic_cast<CComboBox*>(&w))
                    c->DrawItem(&dis);
            },
            [](CWnd& w, MEASUREITEMSTRUCT& mis) {
                if (auto* c = dynamic_cast<CComboBox*>(&w))
                    c->MeasureItem(&mis);
            });
        combo->setItemDelegate(d);
        combo->ownerDraw = d;
    }
    QObject::connect(combo, qOverload<int>(&QComboBox::activated), [combo](int) {
        if (CWnd* self = CWnd::FromWidget(combo)) {
            self->CommandParent(CBN_SELCHANGE);
            if (CWnd* again = CWnd::FromWidget(combo))
                again->CommandParent(CBN_SELENDOK);
        }
    });
    return combo;
}

void CComboBox::NotifyPopup(bool shown)
{
    CommandParent(shown ? CBN_DROPDOWN : CBN_CLOSEUP);
}

static int SortedPosition(const QComboBox* c, const QString& text)
{
    int lo = 0;
    int hi = c->count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (c->itemText(mid).compare(text, Qt::CaseInsensitive) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int CComboBox::AddString(const char* text)
{
    QxComboBox* c = Combo(GetWidget());
    if (!c)
        return CB_ERR;
    const QString t = ToQString(text);
    const int at = (m_style & CBS_SORT) ? SortedPosition(c, t) : c->count();
    QSignalBlocker block(c);
    c->insertItem(at, t, QVariant(qulonglong(0)));
    return at;
}

int CComboBox::InsertString(int index, const char* text)
{
    QxComboBox* c = Combo(GetWidget());
    if (!c || index > c->count())
        return CB_ERR;
    const int at = index < 0 ? c->count() : index;
    QSignalBlocker block(c);
    c->insertItem(at, ToQString(text), QVariant(qulonglong(0)));
    return at;
}

int CComboBox::DeleteString(UINT index)
{
    QxComboBox* c = Combo(GetWidget());
    if (!c || static_cast<int>(index) >= c->count())
        return CB_ERR;
    QSignalBlocker block(c);
    c->removeItem(static_cast<int>(index));
    return c->count();
}

void CComboBox::ResetContent()
{
    if (QxComboBox* c = Combo(GetWidget())) {
        QSignalBlocker block(c);
        c->clear();
        c->setCurrentIndex(-1);
    }
}

int CComboBox::GetCount() const
{
    QxComboBox* c = Combo(GetWidget());
    return c ? c->count() : CB_ERR;
}

int CComboBox::GetCurSel() const
{
    QxComboBox* c = Combo(GetWidget());
    if (!c)
        return CB_ERR;
    // An editable box whose text no longer matches has no selection.
    const int i = c->currentIndex();
    if (i < 0 || (c->isEditable() && c->currentText() != c->itemText(i)))
        return CB_ERR;
    return i;
}

int CComboBox::SetCurSel(int index)
{
    QxComboBox* c = Combo(GetWidget());
    if (!c)
        return CB_ERR;
    QSignalBlocker block(c);
    if (index < 0 || index >= c->count()) {
        c->setCurrentIndex(-1);
        if (c->lineEdit())
            c->lineEdit()->clear();
        return CB_ERR;
    }
    c->setCurrentIndex(index);
    return index;
}

int CComboBox::GetLBText(int index, CString& text) const
{
    QxComboBox* c = Combo(GetWidget());
    if (!c || index < 0 || index >= c->count()) {
        text.Empty();
        return CB_ERR;
    }
    text = FromQString(c->itemText(index));
    return text.GetLength();
}

CString CComboBox::GetLBText(int index) const
{
    CString t;
    GetLBText(index, t);
    return t;
}

int CComboBox::GetLBTextLen(int index) const
{
    CString t;
    return GetLBText(index, t);
}

int CComboBox::SetItemData(int index, DWORD_PTR data)
{
    QxComboBox* c = Combo(GetWidget());
    if (!c || index < 0 || index >= c->count())
        return CB_ERR;
    c->setItemData(index, QVariant(qulonglong(data)));
    return 0;
}

DWORD_PTR CComboBox::GetItemData(int index) const
{
    QxComboBox* c = Combo(GetWidget());
    if (!c || index < 0 || index >= c->count())
        return static_cast<DWORD_PTR>(CB_ERR);
    return static_cast<DWORD_PTR>(c->itemData(index).toULongLong());
}

int CComboBox::FindString(int start, const char* text) const
{
    return FindIn(Combo(GetWidget()), start, text, false);
}

int CComboBox::FindStringExact(int start, const char* text) const
{
    return FindIn(Combo(GetWidget()), start, text, true);
}

int CComboBox::SelectString(int start, const char* text)
{
    const int i = FindString(start, text);
    if (i != CB_ERR)
        SetCurSel(i);
    return i;
}

void CComboBox::ShowDropDown(BOOL show)
{
    if (QxComboBox* c = Combo(GetWidget())) {
        if (show)
            c->showPopup();
        else
            c->hidePopup();
    }
}

BOOL CComboBox::GetDroppedState() const
{
    QxComboBox* c = Combo(GetWidget());
    return c && c->view() && c->view()->isVisible();
}

BOOL CComboBox::LimitText(int max)
{
    QxComboBox* c = Combo(GetWidget());
    if (!c || !c->lineEdit())
        return FALSE;
    c->lineEdit()->setMaxLength(max <= 0 ? 32767 : max);
    return TRUE;
}

int CComboBox::SetItemHeight(int, UINT height)
{
    QxComboBox* c = Combo(GetWidget());
    if (!c)
        return CB_ERR;
    c->view()->setStyleSheet(QStringLiteral("QAbstractItemView::item { height: %1px; }").arg(height));
    return 0;
}

void CComboBox::SetEditSel(int start, int end)
{
    QxComboBox* c = Combo(GetWidget());
    if (c && c->lineEdit()) {
        const int len = static_cast<int>(c->lineEdit()->text().size());
        const int s = start < 0 ? 0 : std::min(start, len);
        const int e = end < 0 ? len : std::min(end, len);
        c->lineEdit()->setSelection(s, e - s);
    }
}

void CComboBox::SetTextOfWidget(const CString& text)
{
    QxComboBox* c = Combo(GetWidget());
    if (!c)
        return;
    QSignalBlocker block(c);
    if (c->isEditable()) {
        c->setEditText(ToQString(text));
    } else {
        const int i = FindStringExact(-1, text);
        c->setCurrentIndex(i);
    }
}

CString CComboBox::GetTextOfWidget() const
{
    QxComboBox* c = Combo(GetWidget());
    return c ? FromQString(c->currentText()) : CString();
}

void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}

void CComboBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
