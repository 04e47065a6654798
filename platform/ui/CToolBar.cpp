#include "platform/ui/CToolBar.h"

#include "platform/ui/CBitmap.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QToolBar>

#include <map>

struct CToolBar::BarImpl {
    std::map<UINT, QPointer<QAction>> actions;  // owned by the tool bar widget, which may go first
};

CToolBar::CToolBar() : m_bar(std::make_unique<BarImpl>()) {}
CToolBar::~CToolBar() = default;

QWidget* CToolBar::CreateWidget(QWidget* parent)
{
    auto* bar = new QxWindowHost<QToolBar>(this, parent);
    bar->setMovable(false);
    return bar;
}

void CToolBar::AddButton(UINT commandId, const char* text, const CBitmap* image, const char* toolTip)
{
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (!bar)
        return;
    QAction* a = bar->addAction(ToQString(text));
    if (image && image->Image())
        a->setIcon(QIcon(QPixmap::fromImage(*image->Image())));
    if (toolTip)
        a->setToolTip(ToQString(toolTip));
    a->setData(static_cast<uint>(commandId));
    const HWND self = m_hWnd;
    QObject::connect(a, &QAction::triggered, [self, commandId] {
        CWnd* bar = CWnd::FromHandle(self);
        CWnd* frame = bar ? static_cast<CWnd*>(bar->GetParentFrame()) : nullptr;
        if (frame)
            frame->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(commandId), 0), 0);
    });
    m_bar->actions[commandId] = a;
}

void CToolBar::AddSeparator()
{
    if (auto* bar = qobject_cast<QToolBar*>(GetWidget()))
        bar->addSeparator();
}

void CToolBar::AddControl(CWnd* control)
{
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (bar && control && control->GetOuterWidget())
        bar->addWidget(control->GetOuterWidget());
}

int CToolBar::GetButtonCount() const
{
    int count = 0;
    for (const auto& entry : m_bar->actions)
        count += entry.second ? 1 : 0;
    return count;
}

bool CToolBar::IsButtonEnabled(UINT commandId) const
{
    auto it = m_bar->actions.find(commandId);
    return it != m_bar->actions.end() && it->second && it->second->isEnabled();
}

bool CToolBar::IsButtonChecked(UINT commandId) const
{
    auto it = m_bar->actions.find(commandId);
    return it != m_bar->actions.end() && it->second && it->second->isChecked();
}

void CToolBar::UpdateButtons(CCmdTarget* target, bool disableIfNoHandler)
{
    if (!target)
        return;
    for (auto& [id, action] : m_bar->actions) {
        if (!action)
            continue;
        CCmdUI ui(id);
        ui.DoUpdate(target, disableIfNoHandler);
        if (!action)
            continue;  // a handler destroyed the bar
        action->setEnabled(ui.m_enabled);
        if (ui.m_check >= 0) {
            action->setCheckable(true);
            action->setChecked(ui.m_check != 0);
        }
        if (ui.m_textSet)
            action->setText(ToQString(ui.m_text));
    }
}

BOOL CToolBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    CFrameWnd* frame = GetParentFrame();
    return frame ? static_cast<BOOL>(frame->SendMessage(WM_COMMAND, wParam, lParam)) : FALSE;
}

BOOL CToolBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CWnd::OnNotify(wParam, lParam, result))
        return TRUE;
    CFrameWnd* frame = GetParentFrame();
    if (!frame)
        return FALSE;
    const LRESULT r = frame->SendMessage(WM_NOTIFY, wParam, lParam);
    if (result)
        *result = r;
    return TRUE;
}
