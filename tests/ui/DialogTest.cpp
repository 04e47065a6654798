// Dialogs from templates: data exchange, validation, modal runs and property sheets.
#include "UiTestSupport.h"

#include "platform/ui/CComboBox.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CDateTimeCtrl.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CListCtrl.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CSpinButtonCtrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const char* kDialogs = R"(
dialog 5100
  caption "Order"
  font 8 "MS Shell Dlg"
  size 220 200
  control edit 1001 "" 10 10 80 14 uppercase
  control edit 1002 "" 10 30 60 14 number
  control spin 1013 "" 70 30 10 14 autobuddy setbuddyint alignright
  control edit 1003 "" 10 50 60 14
  control check 1004 "Ext. session" 10 70 80 10
  control radio 1005 "Buy" 10 85 40 10 group
  control radio 1006 "Sell" 50 85 40 10
  control radio 1007 "Short" 90 85 40 10
  control combo 1008 "" 10 100 80 60 dropdownlist
  control combo 1009 "" 100 100 80 60 dropdown
  control listbox 1010 "" 10 120 80 40
  control datetime 1011 "" 100 120 80 14
  control listctrl 1012 "" 100 140 100 30
  control button 1 "OK" 110 180 50 14 default
  control button 2 "Cancel" 165 180 50 14
end
dialog 5300
  caption "Chart"
  size 150 60
  control edit 1301 "" 10 10 60 14
  control static 1302 "Interval:" 10 30 40 8 hidden
  control combo 1303 "" 60 30 60 60 dropdown hidden
end
dialog 5301
  caption "Inset"
  style child
  size 100 40
  control edit 1311 "" 5 5 60 14
  control check 1312 "Ext." 5 22 40 10 hidden
end
dialog 5200
  caption "General"
  style child
  size 150 60
  control edit 1101 "" 10 10 60 14
end
dialog 5600
  caption "Fields"
  font 8 "MS Shell Dlg"
  size 200 130
  control static -1 "&Title:" 6 8 40 10
  control edit 1601 "" 50 6 100 14 autohscroll tabstop
  control static -1 "&Length:" 6 26 40 10
  control edit 1602 "" 50 24 40 14 tabstop
  control combo 1603 "" 50 42 80 60 dropdown tabstop
  control edit 1604 "" 50 60 100 40 multiline wantreturn tabstop
  control button 1 "OK" 90 110 50 14 default tabstop
  control button 2 "Cancel" 145 110 50 14 tabstop
end
dialog 5201
  caption "Colors"
  style child
  size 150 60
  control check 1102 "Striped rows" 10 10 80 10
end
)";

void LoadDialogs()
{
    static const bool loaded = [] {
        std::vector<CString> errors;
        const bool ok = CResourceStore::Instance().LoadText("dialog-test", kDialogs, &errors);
        EXPECT_TRUE(ok) << (errors.empty() ? "" : errors.front().GetString());
        return ok;
    }();
    ASSERT_TRUE(loaded);
}

class OrderDlg : public CDialog {
public:
    OrderDlg() : CDialog(5100) {}
    CString symbol = "IBM";
    int quantity = 100;
    double price = 12.5;
    int ext = 1;
    int side = 1;
    int typeIndex = 2;
    CString account = "Joint";
    int listIndex = 1;
    CTime when = CTime(2026, 3, 4, 9, 30, 0);
    int maxQuantity = 1000;
    CListCtrl m_list;
    UINT autoAnswer = 0;

    BOOL OnInitDialog() override
    {
        auto* type = static_cast<CComboBox*>(GetDlgItem(1008));
        for (const char* t : {"Market", "Limit", "Stop", "Stop Limit"})
            type->AddString(t);
        auto* acct = static_cast<CComboBox*>(GetDlgItem(1009));
        for (const char* t : {"Cash", "Joint", "IRA"})
            acct->AddString(t);
        auto* list = static_cast<CListBox*>(GetDlgItem(1010));
        for (const char* t : {"Day", "GTC", "IOC"})
            list->AddString(t);
        static_cast<CSpinButtonCtrl*>(GetDlgItem(1013))->SetRange32(0, 1000000);
        CDialog::OnInitDialog();
        if (autoAnswer)
            PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(autoAnswer), BN_CLICKED), 0);
        return TRUE;
    }

    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, 1001, symbol);
        DDX_Text(dx, 1002, quantity);
        DDV_MinMaxInt(dx, quantity, 1, maxQuantity);
        DDX_Text(dx, 1003, price);
        DDX_Check(dx, 1004, ext);
        DDX_Radio(dx, 1005, side);
        DDX_CBIndex(dx, 1008, typeIndex);
        DDX_CBString(dx, 1009, account);
        DDX_LBIndex(dx, 1010, listIndex);
        DDX_DateTimeCtrl(dx, 1011, when);
        DDX_Control(dx, 1012, m_list);
    }
};

// A title, a length, an interval and notes, filled before the dialog shows.
class FieldsDlg : public CDialog {
public:
    FieldsDlg() : CDialog(5600) {}
    CString title = "My List";
    CString length = "14";
    CString interval = "5 minutes";
    CString notes = "IBM";
    bool caretAfterLength = false;  // the dialog puts the caret after the length itself

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (!caretAfterLength)
            return TRUE;
        auto* edit = static_cast<CEdit*>(GetDlgItem(1602));
        GotoDlgCtrl(edit);
        edit->SetSel(length.GetLength(), length.GetLength());
        return FALSE;
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, 1601, title);
        DDX_Text(dx, 1602, length);
        DDX_CBString(dx, 1603, interval);
        DDX_Text(dx, 1604, notes);
    }
};

// The text box of an edit or an editable combo box of the dialog.
QLineEdit* TextBox(CWnd& dlg, int id)
{
    QWidget* w = dlg.GetDlgItem(id)->GetWidget();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->lineEdit();
    return qobject_cast<QLineEdit*>(w);
}

// A key typed on the dialog's window, through the window system as a keyboard's.
void Press(CWnd& dlg, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(dlg.GetWidget()->windowHandle(), key, modifiers);
}

void Type(CWnd& dlg, char c)
{
    QTest::keyClick(dlg.GetWidget()->windowHandle(), c);
}

struct Responder {
    std::vector<RecordingResponder::Box> boxes;
    std::vector<CString> opened;
    CScopedUiResponder scope{std::make_unique<RecordingResponder>(&boxes, &opened)};
};

class NamePage : public CPropertyPage {
public:
    NamePage() : CPropertyPage(5200) {}
    CString name = "Default";
    int applied = 0;
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, 1101, name);
        if (dx->m_bSaveAndValidate && name.IsEmpty())
            dx->Fail("A name is needed.");
    }
    BOOL OnApply() override
    {
        ++applied;
        return CPropertyPage::OnApply();
    }
};

class StripePage : public CPropertyPage {
public:
    StripePage() : CPropertyPage(5201) {}
    int striped = 0;
    int activations = 0;
    void DoDataExchange(CDataExchange* dx) override { DDX_Check(dx, 1102, striped); }
    BOOL OnSetActive() override
    {
        ++activations;
        return CPropertyPage::OnSetActive();
    }
};

}  // namespace

TEST(Dialogs, TemplateControlsRoundTripThroughDataExchange)
{
    LoadDialogs();
    Responder r;
    OrderDlg dlg;
    ASSERT_TRUE(dlg.Create(5100, nullptr));
    EXPECT_EQ(dlg.GetWindowText(), "Order");
    EXPECT_EQ(dlg.GetDlgItemText(1001), "IBM");
    EXPECT_EQ(dlg.GetDlgItemText(1002), "100");
    EXPECT_EQ(dlg.GetDlgItemText(1003), "12.5");
    EXPECT_EQ(dlg.IsDlgButtonChecked(1004), 1u);
    EXPECT_EQ(dlg.GetCheckedRadioButton(1005, 1007), 1006);
    EXPECT_EQ(static_cast<CComboBox*>(dlg.GetDlgItem(1008))->GetCurSel(), 2);
    EXPECT_EQ(dlg.GetDlgItemText(1009), "Joint");
    EXPECT_EQ(static_cast<CListBox*>(dlg.GetDlgItem(1010))->GetCurSel(), 1);
    CTime shown;
    static_cast<CDateTimeCtrl*>(dlg.GetDlgItem(1011))->GetTime(shown);
    EXPECT_EQ(shown.GetTime(), dlg.when.GetTime());
    ASSERT_TRUE(dlg.m_list.m_hWnd);
    EXPECT_EQ(dlg.GetDlgItem(1012), &dlg.m_list);  // the member now owns the control

    dlg.SetDlgItemText(1001, "MSFT");
    dlg.SetDlgItemText(1002, "250");
    dlg.SetDlgItemText(1003, "7.25");
    dlg.CheckDlgButton(1004, 0);
    dlg.CheckRadioButton(1005, 1007, 1007);
    static_cast<CComboBox*>(dlg.GetDlgItem(1008))->SetCurSel(0);
    dlg.SetDlgItemText(1009, "Margin");
    static_cast<CListBox*>(dlg.GetDlgItem(1010))->SetCurSel(2);
    const CTime later(2027, 1, 2, 16, 0, 0);
    static_cast<CDateTimeCtrl*>(dlg.GetDlgItem(1011))->SetTime(later);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.symbol, "MSFT");
    EXPECT_EQ(dlg.quantity, 250);
    EXPECT_DOUBLE_EQ(dlg.price, 7.25);
    EXPECT_EQ(dlg.ext, 0);
    EXPECT_EQ(dlg.side, 2);
    EXPECT_EQ(dlg.typeIndex, 0);
    EXPECT_EQ(dlg.account, "Margin");
    EXPECT_EQ(dlg.listIndex, 2);
    EXPECT_EQ(dlg.when.GetTime(), later.GetTime());
    EXPECT_TRUE(r.boxes.empty());

    // The spin steps its buddy within the range.
    auto* spin = static_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(1013));
    EXPECT_EQ(spin->GetBuddy(), dlg.GetDlgItem(1002));
    spin->Step(1);
    EXPECT_EQ(dlg.GetDlgItemText(1002), "251");
    dlg.DestroyWindow();
}

TEST(Dialogs, FailedValidationTellsTheUserAndKeepsTheMembers)
{
    LoadDialogs();
    Responder r;
    OrderDlg dlg;
    ASSERT_TRUE(dlg.Create(5100, nullptr));
    dlg.SetDlgItemText(1002, "5000");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_EQ(r.boxes[0].text, "Please enter an integer between 1 and 1000.");
    dlg.SetDlgItemText(1002, "50");
    dlg.SetDlgItemText(1003, "12,5x");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    ASSERT_EQ(r.boxes.size(), 2u);
    EXPECT_EQ(r.boxes[1].text, "Please enter a number.");
    EXPECT_DOUBLE_EQ(dlg.price, 12.5);
    dlg.DestroyWindow();
}

TEST(Dialogs, ModalRunsEndWithTheirCommand)
{
    LoadDialogs();
    Responder r;
    OrderDlg ok;
    ok.autoAnswer = IDOK;
    ok.symbol = "SPY";
    EXPECT_EQ(ok.DoModal(), IDOK);
    EXPECT_FALSE(ok.m_hWnd);  // the window is gone, the values stay
    EXPECT_EQ(ok.symbol, "SPY");

    OrderDlg cancel;
    cancel.autoAnswer = IDCANCEL;
    EXPECT_EQ(cancel.DoModal(), IDCANCEL);

    OrderDlg escape;
    QTimer::singleShot(0, [] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(w, &esc);
        }
    });
    EXPECT_EQ(escape.DoModal(), IDCANCEL);

    CDialog missing(4999);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(Dialogs, HiddenControlsStayHiddenUntilShownInCode)
{
    LoadDialogs();
    CDialog dlg(5300);
    ASSERT_TRUE(dlg.Create(5300, nullptr));
    PumpFor(5);
    ASSERT_TRUE(dlg.IsWindowVisible());
    CWnd* edit = dlg.GetDlgItem(1301);
    CWnd* label = dlg.GetDlgItem(1302);
    CWnd* combo = dlg.GetDlgItem(1303);
    ASSERT_TRUE(edit && label && combo);
    EXPECT_TRUE(edit->IsWindowVisible());
    EXPECT_FALSE(label->IsWindowVisible());
    EXPECT_FALSE(combo->IsWindowVisible());
    EXPECT_FALSE(combo->GetStyle() & WS_VISIBLE);

    EXPECT_FALSE(combo->ShowWindow(SW_SHOW));
    EXPECT_TRUE(combo->IsWindowVisible());
    EXPECT_TRUE(combo->GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(label->IsWindowVisible());

    // Hiding and showing the dialog again keeps each control as the code left it.
    dlg.ShowWindow(SW_HIDE);
    EXPECT_FALSE(combo->IsWindowVisible());
    EXPECT_FALSE(edit->IsWindowVisible());
    edit->ShowWindow(SW_HIDE);
    dlg.ShowWindow(SW_SHOW);
    PumpFor(5);
    EXPECT_TRUE(combo->IsWindowVisible());
    EXPECT_FALSE(edit->IsWindowVisible());
    EXPECT_FALSE(label->IsWindowVisible());
    dlg.DestroyWindow();

    // A modal run shows the dialog itself, not its hidden controls.
    CDialog modal(5300);
    bool checked = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(modal.IsWindowVisible());
        EXPECT_TRUE(modal.GetDlgItem(1301)->IsWindowVisible());
        EXPECT_FALSE(modal.GetDlgItem(1302)->IsWindowVisible());
        EXPECT_FALSE(modal.GetDlgItem(1303)->IsWindowVisible());
        modal.GetDlgItem(1302)->ShowWindow(SW_SHOW);
        EXPECT_TRUE(modal.GetDlgItem(1302)->IsWindowVisible());
        checked = true;
        modal.EndDialog(IDOK);
    });
    EXPECT_EQ(modal.DoModal(), IDOK);
    EXPECT_TRUE(checked);

    // A child dialog shows with its parent; its hidden control does not.
    CDialog host(5300);
    ASSERT_TRUE(host.Create(5300, nullptr));
    CDialog inset(5301, &host);
    ASSERT_TRUE(inset.Create(5301, &host));
    PumpFor(5);
    EXPECT_TRUE(inset.IsWindowVisible());
    EXPECT_TRUE(inset.GetDlgItem(1311)->IsWindowVisible());
    EXPECT_FALSE(inset.GetDlgItem(1312)->IsWindowVisible());
    inset.DestroyWindow();
    host.DestroyWindow();
}

TEST(Dialogs, PropertySheetHostedAsAChildValidatesPagesAndHidesItsButtons)
{
    LoadDialogs();
    Responder r;
    CWnd host;
    ASSERT_TRUE(host.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 1));
    NamePage name;
    StripePage stripes;
    CPropertySheet sheet("Preferences");
    sheet.AddPage(&name);
    sheet.AddPage(&stripes);
    ASSERT_TRUE(sheet.Create(&host));
    EXPECT_EQ(sheet.GetWidget()->findChild<QDialogButtonBox*>(), nullptr);
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_EQ(name.GetDlgItemText(1101), "Default");
    EXPECT_FALSE(stripes.m_hWnd);  // made when first shown

    name.SetDlgItemText(1101, "");
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    ASSERT_EQ(r.boxes.size(), 1u);
    name.SetDlgItemText(1101, "Mine");
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(stripes.activations, 1);
    stripes.CheckDlgButton(1102, 1);
    EXPECT_TRUE(sheet.PressOK());
    EXPECT_EQ(name.name, "Mine");
    EXPECT_EQ(name.applied, 1);
    EXPECT_EQ(stripes.striped, 1);
    host.DestroyWindow();
}

TEST(Dialogs, ShippedEnterNameTemplateBuilds)
{
    CDialog dlg(138);
    ASSERT_TRUE(dlg.Create(138, nullptr));
    EXPECT_NE(dynamic_cast<CEdit*>(dlg.GetDlgItem(1027)), nullptr);
    EXPECT_EQ(dlg.GetWindowText(), "Enter New Name");
    dlg.DestroyWindow();
}

TEST(Dialogs, ModalPropertySheetAppliesEveryShownPageOnOk)
{
    LoadDialogs();
    Responder r;
    NamePage name;
    StripePage stripes;
    CPropertySheet sheet("Preferences", nullptr, 1);
    sheet.SetHelpButton(true);
    sheet.AddPage(&name);
    sheet.AddPage(&stripes);
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        auto* box = w->findChild<QDialogButtonBox*>();
        ASSERT_NE(box, nullptr);
        EXPECT_NE(box->button(QDialogButtonBox::Help), nullptr);
        EXPECT_FALSE(box->button(QDialogButtonBox::Apply)->isEnabled());
        stripes.CheckDlgButton(1102, 1);
        stripes.SetModified();
        EXPECT_TRUE(box->button(QDialogButtonBox::Apply)->isEnabled());
        box->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(stripes.striped, 1);
    EXPECT_EQ(name.applied, 0);  // never shown, never applied
    EXPECT_FALSE(stripes.m_hWnd);

    StripePage again;
    CPropertySheet cancelled("Preferences");
    cancelled.AddPage(&again);
    QTimer::singleShot(0, [&] {
        again.CheckDlgButton(1102, 1);
        if (QWidget* w = QApplication::activeModalWidget()) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(w, &esc);
        }
    });
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(again.striped, 0);
}

// Each text field that takes the focus has its text selected, so that typing replaces it: as
// the dialog opens, by Tab and Shift+Tab, by its label's letter and from the program; a click
// puts the caret where it clicks, and a dialog that sets the caret keeps it. Tab leaves a field
// of several lines, where Return starts a line.
void WorkFields(FieldsDlg& dlg)
{
    QLineEdit* title = TextBox(dlg, 1601);
    QLineEdit* length = TextBox(dlg, 1602);
    QLineEdit* interval = TextBox(dlg, 1603);
    auto* notes = qobject_cast<QPlainTextEdit*>(dlg.GetDlgItem(1604)->GetWidget());
    QWidget* ok = dlg.GetDlgItem(IDOK)->GetWidget();
    ASSERT_TRUE(title && length && interval && notes && ok);
    const auto focused = [](QWidget* w) { return PumpUntil([w] { return w->hasFocus(); }); };

    ASSERT_TRUE(focused(title)) << "the first field has the focus once the dialog shows";
    EXPECT_EQ(title->selectedText().toStdString(), "My List");
    Type(dlg, 'Z');
    EXPECT_EQ(title->text().toStdString(), "Z");

    Press(dlg, Qt::Key_Tab);
    ASSERT_TRUE(focused(length));
    EXPECT_EQ(length->selectedText().toStdString(), "14");
    Type(dlg, '9');
    EXPECT_EQ(length->text().toStdString(), "9");
    Press(dlg, Qt::Key_Tab);
    ASSERT_TRUE(focused(dlg.GetDlgItem(1603)->GetWidget()));
    EXPECT_EQ(interval->selectedText().toStdString(), "5 minutes");

    Press(dlg, Qt::Key_Tab);
    ASSERT_TRUE(focused(notes));
    Press(dlg, Qt::Key_Tab);
    EXPECT_TRUE(focused(ok)) << "Tab leaves the field of several lines";
    EXPECT_EQ(notes->toPlainText().toStdString(), "IBM");
    Press(dlg, Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_TRUE(focused(notes));
    Press(dlg, Qt::Key_Return);
    EXPECT_EQ(static_cast<CEdit*>(dlg.GetDlgItem(1604))->GetLineCount(), 2);
    EXPECT_TRUE(dlg.IsWindowVisible()) << "Return starts a line there";

    Press(dlg, Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(focused(length)) << "Alt+L, the letter of \"&Length:\"";
    EXPECT_EQ(length->selectedText().toStdString(), "9");

    // A click into the middle of "My List", between "My L" and "ist".
    dlg.SetDlgItemText(1601, "My List");
    const QRect caret = title->inputMethodQuery(Qt::ImCursorRectangle).toRect();  // before "M"
    const QPoint at = caret.topLeft() + QPoint(title->fontMetrics().horizontalAdvance("My L"), caret.height() / 2);
    QTest::mouseClick(dlg.GetWidget()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      title->mapTo(dlg.GetWidget(), at));
    ASSERT_TRUE(focused(title));
    EXPECT_FALSE(title->hasSelectedText());
    EXPECT_GT(title->cursorPosition(), 0);
    EXPECT_LT(title->cursorPosition(), 7);

    dlg.GotoDlgCtrl(dlg.GetDlgItem(1602));
    ASSERT_TRUE(focused(length));
    EXPECT_EQ(length->selectedText().toStdString(), "9");
}

TEST(Dialogs, FieldsTakeTheFocusWithTheirTextSelectedAndTabLeavesEveryField)
{
    LoadDialogs();
    Responder r;
    FieldsDlg dlg;
    QTimer::singleShot(0, [&] {
        WorkFields(dlg);
        dlg.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);

    FieldsDlg caret;
    caret.caretAfterLength = true;
    QTimer::singleShot(0, [&] {
        QLineEdit* length = TextBox(caret, 1602);
        if (PumpUntil([&] { return length->hasFocus(); })) {
            EXPECT_FALSE(length->hasSelectedText());
            Type(caret, '5');
            EXPECT_EQ(length->text().toStdString(), "145") << "typed after the caret the dialog set";
        } else {
            ADD_FAILURE() << "the length field has no focus";
        }
        caret.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(caret.DoModal(), IDCANCEL);

    // A property sheet opens with its page's first field, as a dialog.
    NamePage name;
    CPropertySheet sheet("Preferences");
    sheet.AddPage(&name);
    QTimer::singleShot(0, [&] {
        QLineEdit* field = TextBox(name, 1101);
        EXPECT_TRUE(PumpUntil([&] { return field->hasFocus(); }));
        EXPECT_EQ(field->selectedText().toStdString(), "Default");
        sheet.PressCancel();
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
}
