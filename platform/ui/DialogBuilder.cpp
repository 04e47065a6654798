#include "platform/ui/DialogBuilder.h"

#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CDateTimeCtrl.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CListCtrl.h"
#include "platform/ui/CMonthCalCtrl.h"
#include "platform/ui/CProgressCtrl.h"
#include "platform/ui/CSliderCtrl.h"
#include "platform/ui/CSpinButtonCtrl.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/CTabCtrl.h"
#include "platform/ui/QtConvert.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

QFont DialogFont(const DialogTemplate& dialog)
{
    QFont f = QApplication::font();
    if (!dialog.fontFace.IsEmpty() && dialog.fontFace != "MS Shell Dlg" && dialog.fontFace != "MS Sans Serif")
        f.setFamily(ToQString(dialog.fontFace));
    if (dialog.fontSize > 0)
        f.setPointSizeF(dialog.fontSize * 1.1);
    return f;
}

DialogUnits MeasureDialogUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    DialogUnits u;
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    u.baseX = std::max(1, (fm.horizontalAdvance(sample) / 26 + 1) / 2);
    u.baseY = std::max(1, fm.height());
    return u;
}

namespace {

DWORD CommonStyle(const DialogControlTemplate& c)
{
    DWORD s = WS_CHILD;
    if (!c.Has("hidden"))
        s |= WS_VISIBLE;
    if (c.Has("disabled"))
        s |= WS_DISABLED;
    if (c.Has("group"))
        s |= WS_GROUP;
    if (c.Has("tabstop"))
        s |= WS_TABSTOP;
    if (c.Has("border"))
        s |= WS_BORDER;
    return s;
}

std::unique_ptr<CWnd> MakeControl(const DialogControlTemplate& c, DWORD& style)
{
    style = CommonStyle(c);
    const CString& k = c.kind;
    if (k == "static") {
        style |= c.Has("center") ? SS_CENTER : c.Has("right") ? SS_RIGHT : SS_LEFT;
        if (c.Has("sunken"))
            style |= SS_SUNKEN;
        if (c.Has("notify"))
            style |= SS_NOTIFY;
        return std::make_unique<CStatic>();
    }
    if (k == "edit") {
        const std::pair<const char*, DWORD> flags[] = {{"multiline", ES_MULTILINE}, {"password", ES_PASSWORD},
                                                       {"readonly", ES_READONLY},   {"number", ES_NUMBER},
                                                       {"uppercase", ES_UPPERCASE}, {"lowercase", ES_LOWERCASE},
                                                       {"right", ES_RIGHT},         {"center", ES_CENTER},
                                                       {"autohscroll", ES_AUTOHSCROLL}, {"autovscroll", ES_AUTOVSCROLL},
                                                       {"wantreturn", ES_WANTRETURN}};
        for (const auto& [name, bit] : flags)
            if (c.Has(name))
                style |= bit;
        return std::make_unique<CEdit>();
    }
    if (k == "button") {
        style |= c.Has("default") ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        return std::make_unique<CButton>();
    }
    if (k == "check") {
        style |= c.Has("3state") ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
        return std::make_unique<CButton>();
    }
    if (k == "radio") {
        style |= BS_AUTORADIOBUTTON;
        return std::make_unique<CButton>();
    }
    if (k == "groupbox") {
        style |= BS_GROUPBOX;
        return std::make_unique<CButton>();
    }
    if (k == "combo") {
        style |= c.Has("dropdown") ? CBS_DROPDOWN : c.Has("simple") ? CBS_SIMPLE : CBS_DROPDOWNLIST;
        if (c.Has("sort"))
            style |= CBS_SORT;
        if (c.Has("ownerdraw"))
            style |= CBS_OWNERDRAWFIXED;
        if (c.Has("hasstrings"))
            style |= CBS_HASSTRINGS;
        return std::make_unique<CComboBox>();
    }
    if (k == "listbox") {
        if (c.Has("multi"))
            style |= LBS_MULTIPLESEL;
        if (c.Has("extended"))
            style |= LBS_EXTENDEDSEL;
        if (c.Has("sort"))
            style |= LBS_SORT;
        if (c.Has("ownerdraw"))
            style |= LBS_OWNERDRAWFIXED;
        if (c.Has("notify"))
            style |= LBS_NOTIFY;
        return std::make_unique<CListBox>();
    }
    if (k == "listctrl") {
        style |= LVS_REPORT;
        const std::pair<const char*, DWORD> flags[] = {{"singlesel", LVS_SINGLESEL},     {"showselalways", LVS_SHOWSELALWAYS},
                                                       {"editlabels", LVS_EDITLABELS},   {"ownerdraw", LVS_OWNERDRAWFIXED},
                                                       {"nosortheader", LVS_NOSORTHEADER}, {"nocolumnheader", LVS_NOCOLUMNHEADER}};
        for (const auto& [name, bit] : flags)
            if (c.Has(name))
                style |= bit;
        return std::make_unique<CListCtrl>();
    }
    if (k == "spin") {
        const std::pair<const char*, DWORD> flags[] = {{"autobuddy", UDS_AUTOBUDDY}, {"setbuddyint", UDS_SETBUDDYINT},
                                                       {"alignright", UDS_ALIGNRIGHT}, {"alignleft", UDS_ALIGNLEFT},
                                                       {"arrowkeys", UDS_ARROWKEYS}, {"horz", UDS_HORZ},
                                                       {"nothousands", UDS_NOTHOUSANDS}, {"wrap", UDS_WRAP}};
        for (const auto& [name, bit] : flags)
            if (c.Has(name))
                style |= bit;
        return std::make_unique<CSpinButtonCtrl>();
    }
    if (k == "datetime") {
        style |= c.Has("time") ? DTS_TIMEFORMAT : c.Has("longdate") ? DTS_LONGDATEFORMAT : DTS_SHORTDATEFORMAT;
        if (c.Has("updown"))
            style |= DTS_UPDOWN;
        if (c.Has("shownone"))
            style |= DTS_SHOWNONE;
        return std::make_unique<CDateTimeCtrl>();
    }
    if (k == "monthcal")
        return std::make_unique<CMonthCalCtrl>();
    if (k == "tab")
        return std::make_unique<CTabCtrl>();
    if (k == "progress")
        return std::make_unique<CProgressCtrl>();
    if (k == "slider") {
        if (c.Has("vert"))
            style |= TBS_VERT;
        return std::make_unique<CSliderCtrl>();
    }
    return std::make_unique<CWnd>();  // custom: a plain window, usually taken over by DDX_Control
}

// Whether a label's text has a letter marked with '&' ("&&" is an ampersand).
bool HasMnemonic(const CString& text)
{
    for (int i = 0; i + 1 < text.GetLength(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] != '&')
            return true;
        ++i;
    }
    return false;
}

}  // namespace

CSize BuildDialogControls(const DialogTemplate& dialog, CWnd& host, std::vector<std::unique_ptr<CWnd>>& owned)
{
    const QFont font = DialogFont(dialog);
    if (QWidget* w = host.GetWidget())
        w->setFont(font);
    const DialogUnits u = MeasureDialogUnits(font);
    QButtonGroup* radioGroup = nullptr;
    CWnd* previous = nullptr;
    // Labels whose letter (Alt and it) focuses the next control that takes the focus.
    std::vector<QLabel*> labels;
    for (const DialogControlTemplate& c : dialog.controls) {
        DWORD style = 0;
        std::unique_ptr<CWnd> control = MakeControl(c, style);
        CRect r(u.X(c.rect.left), u.Y(c.rect.top), u.X(c.rect.right), u.Y(c.rect.bottom));
        const UINT id = static_cast<UINT>(c.id == -1 ? 0xFFFF : c.id);
        if (!control->Create(nullptr, c.text, style, r, &host, id))
            continue;
        QWidget* w = control->GetOuterWidget();
        if (c.kind == "static" && HasMnemonic(c.text)) {
            if (auto* label = qobject_cast<QLabel*>(control->GetWidget()))
                labels.push_back(label);
        } else if (c.kind != "static" && c.kind != "groupbox" && control->GetWidget()->focusPolicy() != Qt::NoFocus) {
            for (QLabel* label : labels)
                label->setBuddy(control->GetWidget());
            labels.clear();
        }
        if (c.kind == "combo") {
            // The template gives the dropped height; the box keeps its natural height.
            w->setGeometry(r.left, r.top, r.Width(), std::min(r.Height(), w->sizeHint().height()));
        }
        if (c.kind == "radio") {
            if (!radioGroup || c.Has("group")) {
                radioGroup = new QButtonGroup(host.GetWidget());  // owned by the host widget
                radioGroup->setExclusive(true);
            }
            radioGroup->addButton(static_cast<QAbstractButton*>(control->GetWidget()));
        } else {
            radioGroup = nullptr;
        }
        if (auto* spin = dynamic_cast<CSpinButtonCtrl*>(control.get())) {
            if (c.Has("autobuddy") && previous) {
                if (c.Has("alignright") || c.Has("alignleft")) {
                    QWidget* buddy = previous->GetOuterWidget();
                    const QRect b = buddy->geometry();
                    const int sw = std::max(r.Width(), 12);
                    if (c.Has("alignright")) {
                        buddy->setGeometry(b.x(), b.y(), b.width() - sw, b.height());
                        w->setGeometry(b.x() + b.width() - sw, b.y(), sw, b.height());
                    } else {
                        buddy->setGeometry(b.x() + sw, b.y(), b.width() - sw, b.height());
                        w->setGeometry(b.x(), b.y(), sw, b.height());
                    }
                }
                spin->SetBuddy(previous);
            }
        }
        previous = control.get();
        owned.push_back(std::move(control));
    }
    return CSize(u.X(dialog.width), u.Y(dialog.height));
}
