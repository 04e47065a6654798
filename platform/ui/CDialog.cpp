#include "platform/ui/CDialog.h"

#include "platform/ui/CButton.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/ModalKeyRouting.h"
#include "platform/ui/ModalLoops.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxFieldFocus.h"
#include "platform/ui/QxWindowHost.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>

namespace {

// A dialog whose accept/reject (Enter, Escape) go through the window's commands, and that
// hands the keyboard to its owner when it hides.
class QxDialog : public QDialog {
public:
    using QDialog::QDialog;
    void accept() override { Command(IDOK); }
    void reject() override { Command(IDCANCEL); }
    void setVisible(bool visible) override
    {
        if (!visible && isVisible())
            HandKeyboardToOwner(this);
        QDialog::setVisible(visible);
    }

private:
    void Command(int id)
    {
        if (CWnd* self = CWnd::FromWidget(this))
            self->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
        else
            QDialog::reject();
    }
};

QxFieldFocus* FieldOf(QWidget* w)
{
    return dynamic_cast<QxFieldFocus*>(w);
}

// The first control inside the window that Tab reaches.
QWidget* FirstTabStop(QWidget* window)
{
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        if (window->isAncestorOf(w) && w->isVisibleTo(window) && w->isEnabled() && !w->focusProxy() &&
            (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus)
            return w;
    return nullptr;
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent), m_templateId(templateId)
{
    m_background = GetSysColor(COLOR_BTNFACE);
}

CDialog::~CDialog()
{
    // The controls' windows go with the dialog's window; destroy it first.
    if (m_hWnd)
        DestroyWindow();
}

QWidget* CDialog::CreateWidget(QWidget* parent)
{
    if (m_bChild) {
        auto* w = new QxWindowHost<QWidget>(this, parent);
        return w;
    }
    QWidget* owner = parent ? parent->window() : nullptr;
    auto* dlg = new QxWindowHost<QxDialog>(this, owner);
    dlg->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    return dlg;
}

bool CDialog::CreateFromTemplate(CWnd* parent)
{
    m_template = CResourceStore::Instance().FindDialog(m_templateId);
    if (!m_template || m_hWnd)
        return false;
    m_controls.clear();
    CWnd* owner = parent ? parent : m_pParentWnd;
    if (!owner && !m_bChild)
        owner = AfxGetMainWnd();
    const DWORD style = m_bChild || m_template->Has("child") ? (WS_CHILD | WS_VISIBLE) : WS_POPUP;
    m_bChild = m_bChild || m_template->Has("child");
    if (!CWnd::Create(nullptr, m_template->caption, style & ~WS_VISIBLE, CRect(), owner, m_templateId))
        return false;
    const CSize size = BuildDialogControls(*m_template, *this, m_controls);
    for (const auto& control : m_controls)
        if (QxFieldFocus* field = FieldOf(control->GetWidget()))
            field->SelectAllOnFocus();
    if (QWidget* w = GetWidget()) {
        if (m_bChild) {
            w->resize(size.cx, size.cy);
            w->setMinimumSize(size.cx, size.cy);
        } else {
            w->setFixedSize(size.cx, size.cy);
            w->setWindowTitle(ToQString(m_template->caption));
        }
        w->setAutoFillBackground(false);
    }
    return true;
}

INT_PTR CDialog::DoModal()
{
    if (AreModalLoopsRefused())
        return IDCANCEL;
    // The keys typed after the one that opened the dialog are its own.
    RouteBlockedKeysToModalWindows();
    if (!CreateFromTemplate(m_pParentWnd))
        return -1;
    auto* dlg = qobject_cast<QDialog*>(GetWidget());
    const HWND self = m_hWnd;
    m_nModalResult = -1;
    const BOOL focusChosen = !OnInitDialog();
    if (!CWnd::FromHandle(self))
        return m_nModalResult;  // ended during initialisation
    if (m_nModalResult != -1) {
        DestroyWindow();
        return m_nModalResult;
    }
    if (!dlg)
        return -1;
    dlg->setModal(true);
    CenterWindow();
    SetOpeningFocus(focusChosen);
    m_inModalLoop = true;
    ExecModalDialog(*dlg);
    m_inModalLoop = false;
    if (CWnd::FromHandle(self))
        DestroyWindow();
    return m_nModalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_templateId = templateId;
    if (!CreateFromTemplate(parent))
        return FALSE;
    const bool focusChosen = !OnInitDialog();
    if (!m_hWnd)
        return FALSE;
    if (!m_bChild)
        SetOpeningFocus(focusChosen);
    ShowWindow(SW_SHOW);
    return m_hWnd ? TRUE : FALSE;
}

void CDialog::EndDialog(int result)
{
    m_nModalResult = result;
    auto* dlg = qobject_cast<QDialog*>(GetWidget());
    if (m_inModalLoop && dlg)
        dlg->done(result);
    else if (!m_bChild)
        ShowWindow(SW_HIDE);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnClose()
{
    OnCancel();
}

void CDialog::MapDialogRect(LPRECT rect) const
{
    if (!rect)
        return;
    const DialogUnits u = MeasureDialogUnits(m_template ? DialogFont(*m_template) : QApplication::font());
    *rect = CRect(u.X(rect->left), u.Y(rect->top), u.X(rect->right), u.Y(rect->bottom));
}

void CDialog::SetOpeningFocus(bool chosenByDialog)
{
    QWidget* w = GetWidget();
    if (!w)
        return;
    QWidget* focus = w->focusWidget();
    if (!chosenByDialog) {
        if (!focus && (focus = FirstTabStop(w)))
            focus->setFocus(Qt::TabFocusReason);
        if (QxFieldFocus* field = FieldOf(focus))
            field->SelectAll();
    }
    if (QxFieldFocus* field = FieldOf(focus))
        field->KeepSelectionUntilFocused();
}

void CDialog::GotoDlgCtrl(CWnd* control)
{
    if (!control)
        return;
    control->SetFocus();
    if (QxFieldFocus* field = FieldOf(control->GetWidget()))
        field->SelectAll();
}

void CDialog::NextDlgCtrl() const
{
    if (QWidget* w = GetWidget())
        if (QWidget* f = w->focusWidget())
            if (QWidget* n = f->nextInFocusChain())
                n->setFocus(Qt::TabFocusReason);
}

void CDialog::PrevDlgCtrl() const
{
    if (QWidget* w = GetWidget())
        if (QWidget* f = w->focusWidget())
            if (QWidget* n = f->previousInFocusChain())
                n->setFocus(Qt::BacktabFocusReason);
}

void CDialog::SetDefID(UINT id)
{
    for (const auto& c : m_controls)
        if (auto* b = dynamic_cast<CButton*>(c.get()))
            b->SetDefault(static_cast<UINT>(b->GetDlgCtrlID()) == id);
}

const CMessageMap& CDialog::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CDialog>(CWnd::GetMessageMap())
                                       .Command(IDOK, &CDialog::OnOK)
                                       .Command(IDCANCEL, &CDialog::OnCancel)
                                       .Build();
    return map;
}
