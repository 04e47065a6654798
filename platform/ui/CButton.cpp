#include "platform/ui/CButton.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

BOOL CButton::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, text, style, rect, parent, id);
}

QWidget* CButton::CreateWidget(QWidget* parent)
{
    QAbstractButton* button = nullptr;
    switch (m_style & BS_TYPEMASK) {
    case BS_GROUPBOX:
        return new QxWindowHost<QGroupBox>(this, parent);
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: {
        auto* box = new QxWindowHost<QCheckBox>(this, parent);
        const DWORD type = m_style & BS_TYPEMASK;
        box->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
        button = box;
        break;
    }
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        button = new QxWindowHost<QRadioButton>(this, parent);
        break;
    default: {
        auto* push = new QxWindowHost<QPushButton>(this, parent);
        push->setAutoDefault(false);
        push->setDefault((m_style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        button = push;
        break;
    }
    }
    QObject::connect(button, &QAbstractButton::clicked, [button] {
        if (CWnd* self = CWnd::FromWidget(button))
            self->CommandParent(BN_CLICKED);
    });
    return button;
}

void CButton::SetTextOfWidget(const CString& text)
{
    if (auto* b = qobject_cast<QAbstractButton*>(GetWidget()))
        b->setText(ToQString(text));
    else if (auto* g = qobject_cast<QGroupBox*>(GetWidget()))
        g->setTitle(ToQString(text));
}

CString CButton::GetTextOfWidget() const
{
    if (auto* b = qobject_cast<QAbstractButton*>(GetWidget()))
        return FromQString(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(GetWidget()))
        return FromQString(g->title());
    return CString();
}

int CButton::GetCheck() const
{
    if (auto* c = qobject_cast<QCheckBox*>(GetWidget())) {
        switch (c->checkState()) {
        case Qt::Checked: return BST_CHECKED;
        case Qt::PartiallyChecked: return BST_INDETERMINATE;
        default: return BST_UNCHECKED;
        }
    }
    auto* b = qobject_cast<QAbstractButton*>(GetWidget());
    return b && b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int check)
{
    if (auto* c = qobject_cast<QCheckBox*>(GetWidget())) {
        c->setCheckState(check == BST_CHECKED ? Qt::Checked : check == BST_INDETERMINATE ? Qt::PartiallyChecked : Qt::Unchecked);
        return;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(GetWidget())) {
        // A radio button of a group may be cleared too.
        QButtonGroup* group = b->group();
        const bool groupExclusive = group && group->exclusive();
        const bool exclusive = b->autoExclusive();
        if (group)
            group->setExclusive(false);
        b->setAutoExclusive(false);
        b->setChecked(check == BST_CHECKED);
        b->setAutoExclusive(exclusive);
        if (group)
            group->setExclusive(groupExclusive);
    }
}

void CButton::SetDefault(BOOL isDefault)
{
    if (auto* p = qobject_cast<QPushButton*>(GetWidget()))
        p->setDefault(isDefault != FALSE);
}
