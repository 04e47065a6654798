#include "platform/ui/CPropertySheet.h"

#include "platform/ui/ModalKeyRouting.h"
#include "platform/ui/ModalLoops.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>

namespace {

class QxSheetDialog : public QDialog {
public:
    using QDialog::QDialog;
    void accept() override
    {
        if (auto* s = dynamic_cast<CPropertySheet*>(CWnd::FromWidget(this)))
            s->PressOK();
    }
    void reject() override
    {
        if (auto* s = dynamic_cast<CPropertySheet*>(CWnd::FromWidget(this)))
            s->PressCancel();
        else
            QDialog::reject();
    }
};

QTabWidget* Tabs(QWidget* w)
{
    return w ? w->findChild<QTabWidget*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

QDialogButtonBox* Buttons(QWidget* w)
{
    return w ? w->findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace

CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : m_caption(caption ? caption : ""), m_pParentWnd(parent), m_active(static_cast<int>(selectPage))
{
    m_background = GetSysColor(COLOR_BTNFACE);
}

CPropertySheet::~CPropertySheet()
{
    if (m_hWnd)
        DestroyWindow();
    for (CPropertyPage* p : m_pages)
        p->m_sheet = nullptr;
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    if (!page)
        return;
    page->m_sheet = this;
    m_pages.push_back(page);
    if (QTabWidget* tabs = Tabs(GetWidget())) {
        QSignalBlocker block(tabs);
        tabs->addTab(new QWidget, ToQString(page->GetPageTitle()));  // placeholder, owned by the tabs
    }
}

void CPropertySheet::RemovePage(int index)
{
    if (index < 0 || index >= GetPageCount())
        return;
    CPropertyPage* page = m_pages[static_cast<size_t>(index)];
    if (QTabWidget* tabs = Tabs(GetWidget())) {
        QSignalBlocker block(tabs);
        QWidget* w = tabs->widget(index);
        tabs->removeTab(index);
        if (!CWnd::FromWidget(w))
            delete w;
    }
    if (page->m_hWnd)
        page->DestroyWindow();
    page->m_sheet = nullptr;
    m_pages.erase(m_pages.begin() + index);
    if (m_active >= GetPageCount())
        m_active = std::max(GetPageCount() - 1, 0);
}

CPropertyPage* CPropertySheet::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    return GetPage(m_active);
}

void CPropertySheet::SetTitle(const char* title)
{
    m_caption = title ? title : "";
    if (QWidget* w = GetWidget(); w && !m_child)
        w->setWindowTitle(ToQString(m_caption));
}

QWidget* CPropertySheet::CreateWidget(QWidget* parent)
{
    QWidget* w = nullptr;
    if (m_child) {
        w = new QxWindowHost<QWidget>(this, parent);
    } else {
        auto* dlg = new QxWindowHost<QxSheetDialog>(this, parent ? parent->window() : nullptr);
        dlg->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        dlg->setWindowTitle(ToQString(m_caption));
        w = dlg;
    }
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(m_child ? 0 : 8, m_child ? 0 : 8, m_child ? 0 : 8, m_child ? 0 : 8);
    auto* tabs = new QTabWidget(w);
    layout->addWidget(tabs, 1);
    for (CPropertyPage* p : m_pages)
        tabs->addTab(new QWidget, ToQString(p->GetPageTitle()));  // placeholders until shown
    QObject::connect(tabs, &QTabWidget::currentChanged, [w](int index) {
        if (auto* s = dynamic_cast<CPropertySheet*>(CWnd::FromWidget(w)))
            s->TabChanged(index);
    });
    if (!m_child) {
        auto* buttons = new QDialogButtonBox(w);
        buttons->addButton(QDialogButtonBox::Ok);
        buttons->addButton(QDialogButtonBox::Cancel);
        QPushButton* apply = buttons->addButton(QDialogButtonBox::Apply);
        apply->setEnabled(false);
        if (m_help)
            buttons->addButton(QDialogButtonBox::Help);
        layout->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::clicked, [w, buttons](QAbstractButton* b) {
            auto* s = dynamic_cast<CPropertySheet*>(CWnd::FromWidget(w));
            if (!s)
                return;
            switch (buttons->standardButton(b)) {
            case QDialogButtonBox::Ok: s->PressOK(); break;
            case QDialogButtonBox::Cancel: s->PressCancel(); break;
            case QDialogButtonBox::Apply: s->PressApply(); break;
            case QDialogButtonBox::Help: s->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0); break;
            default: break;
            }
        });
    }
    return w;
}

bool CPropertySheet::EnsurePage(int index)
{
    CPropertyPage* page = GetPage(index);
    QTabWidget* tabs = Tabs(GetWidget());
    if (!page || !tabs)
        return false;
    if (page->m_hWnd && tabs->widget(index) == page->GetWidget())
        return true;
    if (!page->CreatePage(this, this))
        return false;
    m_switching = true;
    QWidget* placeholder = tabs->widget(index);
    tabs->removeTab(index);
    delete placeholder;
    tabs->insertTab(index, page->GetWidget(), ToQString(page->GetPageTitle()));
    page->GetWidget()->show();
    m_switching = false;
    return true;
}

BOOL CPropertySheet::SetActivePage(int index)
{
    QTabWidget* tabs = Tabs(GetWidget());
    if (index < 0 || index >= GetPageCount())
        return FALSE;
    if (!tabs) {
        m_active = index;
        return TRUE;
    }
    if (tabs->currentIndex() == index && GetPage(index)->m_hWnd) {
        m_active = index;
        return TRUE;
    }
    if (CPropertyPage* current = GetActivePage(); current && current->m_hWnd && index != m_active)
        if (!current->OnKillActive())
            return FALSE;
    if (!EnsurePage(index))
        return FALSE;
    m_switching = true;
    tabs->setCurrentIndex(index);
    m_switching = false;
    m_active = index;
    GetPage(index)->OnSetActive();
    return TRUE;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* page)
{
    for (int i = 0; i < GetPageCount(); ++i)
        if (m_pages[static_cast<size_t>(i)] == page)
            return SetActivePage(i);
    return FALSE;
}

void CPropertySheet::TabChanged(int index)
{
    if (m_switching || index == m_active)
        return;
    const int previous = m_active;
    if (!SetActivePage(index)) {
        // The current page refused to be left.
        m_switching = true;
        if (QTabWidget* tabs = Tabs(GetWidget()))
            tabs->setCurrentIndex(previous);
        m_switching = false;
    }
}

INT_PTR CPropertySheet::DoModal()
{
    if (AreModalLoopsRefused())
        return IDCANCEL;
    m_child = false;
    m_modal = true;
    CWnd* owner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    if (!CWnd::Create(nullptr, m_caption, WS_POPUP, CRect(), owner, 0))
        return -1;
    m_result = IDCANCEL;
    const int first = std::clamp(m_active, 0, std::max(GetPageCount() - 1, 0));
    m_active = -1;
    if (GetPageCount() > 0)
        SetActivePage(first);
    if (CPropertyPage* page = GetActivePage())
        page->SetOpeningFocus(false);  // the page's first control, as a dialog's
    const HWND self = m_hWnd;
    if (auto* dlg = qobject_cast<QDialog*>(GetWidget())) {
        dlg->adjustSize();
        CenterWindow();
        ExecModalDialog(*dlg);
    }
    m_modal = false;
    if (CWnd::FromHandle(self))
        DestroyWindow();
    return m_result;
}

BOOL CPropertySheet::Create(CWnd* parent, DWORD style, UINT id)
{
    m_child = true;
    if (!CWnd::Create(nullptr, "", style, CRect(), parent, id))
        return FALSE;
    const int first = std::clamp(m_active, 0, std::max(GetPageCount() - 1, 0));
    m_active = -1;
    if (GetPageCount() > 0)
        SetActivePage(first);
    return TRUE;
}

void CPropertySheet::EndDialog(int result)
{
    m_result = result;
    if (auto* dlg = qobject_cast<QDialog*>(GetWidget()); dlg && m_modal)
        dlg->done(result);
}

bool CPropertySheet::PressOK()
{
    if (CPropertyPage* active = GetActivePage(); active && active->m_hWnd && !active->OnKillActive())
        return false;
    for (int i = 0; i < GetPageCount(); ++i) {
        CPropertyPage* p = m_pages[static_cast<size_t>(i)];
        if (p->m_hWnd && !p->OnApply()) {
            SetActivePage(i);
            return false;
        }
    }
    EndDialog(IDOK);
    return true;
}

void CPropertySheet::PressCancel()
{
    for (CPropertyPage* p : m_pages)
        if (p->m_hWnd)
            p->OnReset();
    EndDialog(IDCANCEL);
}

bool CPropertySheet::PressApply()
{
    if (CPropertyPage* active = GetActivePage(); active && active->m_hWnd && !active->OnKillActive())
        return false;
    for (CPropertyPage* p : m_pages)
        if (p->m_hWnd && p->IsModified() && !p->OnApply())
            return false;
    OnPageModified();
    return true;
}

void CPropertySheet::OnPageModified()
{
    bool any = false;
    for (CPropertyPage* p : m_pages)
        any = any || p->IsModified();
    if (QDialogButtonBox* b = Buttons(GetWidget()))
        if (QPushButton* apply = b->button(QDialogButtonBox::Apply))
            apply->setEnabled(any);
}

void CPropertySheet::OnClose()
{
    if (m_child)
        DestroyWindow();
    else
        PressCancel();
}
