#include "platform/ui/CMDIFrameWnd.h"

#include "platform/ui/CChildFrame.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CStatusBar.h"
#include "platform/ui/CToolBar.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CDocTemplate.h"
#include "platform/ui/DesktopPlacement.h"
#include "platform/ui/QtConvert.h"

#include <QAction>
#include <QBoxLayout>
#include <QKeySequence>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

struct CMDIFrameWnd::MdiImpl {
    QPointer<QMdiArea> area;
    std::unique_ptr<CStatusBar> status;
    std::vector<std::unique_ptr<CToolBar>> toolBars;
    HWND lastActive;
};

namespace {

// Windows numbered in the Window menu.
constexpr UINT kListedWindows = 9;

bool IsListItem(UINT id)
{
    return id >= AFX_IDM_FIRST_MDICHILD && id < AFX_IDM_FIRST_MDICHILD + kListedWindows;
}

// The popup that holds a Window command.
bool IsWindowMenu(const CMenu& popup)
{
    for (int i = 0; i < popup.GetMenuItemCount(); ++i) {
        const UINT id = popup.GetMenuItemID(i);
        if (id >= AFX_IDM_WINDOW_FIRST && id <= AFX_IDM_WINDOW_LAST)
            return true;
    }
    return false;
}

// "&1 Chart" for the first window; an '&' of the title stays a character.
CString ListItemText(int number, const QString& title)
{
    QString text = title;
    text.replace(QChar('&'), QLatin1String("&&"));
    return FromQString(QStringLiteral("&%1 %2").arg(number).arg(text));
}

// The keys that move between the children: Ctrl+F6 and Ctrl+Tab forward, with Shift back.
void AddChildSwitchKeys(QMainWindow* main, QWidget* client)
{
    const QPointer<QWidget> frameWidget(client);
    auto add = [&](std::initializer_list<QKeySequence> keys, bool forward) {
        auto* action = new QAction(main);  // owned by the main window
        action->setShortcuts(QList<QKeySequence>(keys));
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, [frameWidget, forward] {
            if (auto* frame = dynamic_cast<CMDIFrameWnd*>(CWnd::FromWidget(frameWidget))) {
                if (forward)
                    frame->MDINext();
                else
                    frame->MDIPrev();
            }
        });
        main->addAction(action);
    };
    add({QKeySequence(Qt::CTRL | Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::Key_Tab)}, true);
    add({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
         QKeySequence(Qt::CTRL | Qt::Key_Backtab)},
        false);
}

}  // namespace

CMDIFrameWnd::CMDIFrameWnd() : m_mdi(std::make_unique<MdiImpl>()) {}
CMDIFrameWnd::~CMDIFrameWnd() = default;

QWidget* CMDIFrameWnd::CreateOuterWidget(QWidget* parent, QWidget* client)
{
    auto* main = new QMainWindow(parent, Qt::Window);  // owned by this frame (deleted on destroy)
    QWidget* pane = GetPaneHost();
    auto* area = new QMdiArea(pane);
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->addWidget(area);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setActivationOrder(QMdiArea::StackingOrder);
    // The MDI area fills the pane area of the client.
    main->setCentralWidget(client);
    AddChildSwitchKeys(main, client);
    main->resize(1024, 720);
    KeepOnDesktop(main);
    m_mdi->area = area;
    QObject::connect(area, &QMdiArea::subWindowActivated, [area](QMdiSubWindow* sub) {
        auto* frame = dynamic_cast<CMDIFrameWnd*>(CWnd::FromWidget(area->parentWidget() ? area->parentWidget()->parentWidget() : nullptr));
        if (!frame)
            return;
        CChildFrame* child = sub ? dynamic_cast<CChildFrame*>(CWnd::FromWidget(sub->widget())) : nullptr;
        frame->OnChildActivated(child);
    });
    return main;
}

QWidget* CMDIFrameWnd::GetContainerWidget() const
{
    // Windows made with the main frame as parent (tool bars, controls) go to the outer window.
    return GetOuterWidget();
}

QMdiArea* CMDIFrameWnd::GetMdiArea() const
{
    return m_mdi->area;
}

void CMDIFrameWnd::OnChildActivated(CChildFrame* child)
{
    CWnd* previous = CWnd::FromHandle(m_mdi->lastActive);
    auto* prevChild = dynamic_cast<CChildFrame*>(previous);
    if (prevChild == child && child)
        return;
    m_mdi->lastActive = child ? child->m_hWnd : HWND();
    KeepMaximizedAfter(prevChild, child);
    if (prevChild)
        prevChild->OnMDIActivate(FALSE, child, prevChild);
    if (child) {
        child->OnMDIActivate(TRUE, child, prevChild);
        child->SendMessage(WM_CHILDACTIVATE);
    }
    UpdateMenuForActiveChild();
}

void CMDIFrameWnd::KeepMaximizedAfter(CChildFrame* gone, CChildFrame* next)
{
    auto* goneSub = gone ? qobject_cast<QMdiSubWindow*>(gone->GetOuterWidget()) : nullptr;
    auto* nextSub = next ? qobject_cast<QMdiSubWindow*>(next->GetOuterWidget()) : nullptr;
    if (!goneSub || !nextSub || !m_mdi->area || nextSub->isMaximized())
        return;
    const bool left = goneSub->isHidden() || !m_mdi->area->subWindowList().contains(goneSub);
    if (left && goneSub->isMaximized() && !goneSub->isMinimized())
        nextSub->showMaximized();
}

void CMDIFrameWnd::UpdateMenuForActiveChild()
{
    auto* main = qobject_cast<QMainWindow*>(GetOuterWidget());
    if (!main)
        return;
    CChildFrame* child = MDIGetActive();
    CMenu* menu = child && child->GetSharedMenu() ? child->GetSharedMenu() : GetMenu();
    InstallMenuBar(main->menuBar(), menu);
}

CChildFrame* CMDIFrameWnd::MDIGetActive(BOOL* maximized) const
{
    QMdiSubWindow* sub = m_mdi->area ? m_mdi->area->activeSubWindow() : nullptr;
    if (!sub && m_mdi->area && !m_mdi->area->subWindowList().isEmpty())
        sub = m_mdi->area->currentSubWindow();
    CChildFrame* child = sub ? dynamic_cast<CChildFrame*>(CWnd::FromWidget(sub->widget())) : nullptr;
    if (maximized)
        *maximized = sub && sub->isMaximized();
    return child;
}

void CMDIFrameWnd::MDIActivate(CWnd* child)
{
    auto* c = dynamic_cast<CChildFrame*>(child);
    if (!c || !m_mdi->area)
        return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(c->GetOuterWidget())) {
        m_mdi->area->setActiveSubWindow(sub);
        // Without a screen Qt may not report the activation: make sure it is seen.
        if (MDIGetActive() != c || CWnd::FromHandle(m_mdi->lastActive) != c)
            OnChildActivated(c);
    }
}

void CMDIFrameWnd::MDICascade()
{
    // Qt's own cascade sizes each window to its size hint: a bare title bar here.
    CascadeInside(m_mdi->area);
}

void CMDIFrameWnd::MDITile()
{
    if (m_mdi->area)
        m_mdi->area->tileSubWindows();
}

namespace {

CChildFrame* FrameOf(QMdiSubWindow* sub)
{
    return sub ? dynamic_cast<CChildFrame*>(CWnd::FromWidget(sub->widget())) : nullptr;
}

// The visible children, the one at the back first.
QList<QMdiSubWindow*> StackedChildren(QMdiArea* area)
{
    QList<QMdiSubWindow*> out;
    if (area)
        for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::StackingOrder))
            if (sub->isVisible() && FrameOf(sub))
                out.push_back(sub);
    return out;
}

}  // namespace

void CMDIFrameWnd::MDINext()
{
    const QList<QMdiSubWindow*> stack = StackedChildren(m_mdi->area);
    if (stack.size() < 2)
        return;
    CChildFrame* active = MDIGetActive();
    QMdiSubWindow* current = active ? qobject_cast<QMdiSubWindow*>(active->GetOuterWidget()) : nullptr;
    const qsizetype at = stack.indexOf(current);
    QMdiSubWindow* next = at > 0 ? stack[at - 1] : stack.back();
    MDIActivate(FrameOf(next));
    if (current && current != next)
        current->lower();
}

void CMDIFrameWnd::MDIPrev()
{
    const QList<QMdiSubWindow*> stack = StackedChildren(m_mdi->area);
    if (stack.size() < 2)
        return;
    MDIActivate(FrameOf(stack.front()));
}

void CMDIFrameWnd::MDIMaximize(CWnd* child)
{
    if (auto* c = dynamic_cast<CChildFrame*>(child))
        c->MDIMaximize();
}

void CMDIFrameWnd::MDIRestore(CWnd* child)
{
    if (auto* c = dynamic_cast<CChildFrame*>(child))
        c->MDIRestore();
}

std::vector<CChildFrame*> CMDIFrameWnd::GetMDIChildren() const
{
    std::vector<CChildFrame*> out;
    if (!m_mdi->area)
        return out;
    const auto list = m_mdi->area->subWindowList(QMdiArea::StackingOrder);
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (auto* c = dynamic_cast<CChildFrame*>(CWnd::FromWidget((*it)->widget())))
            out.push_back(c);
    return out;
}

std::vector<CChildFrame*> CMDIFrameWnd::GetListedMDIChildren() const
{
    std::vector<CChildFrame*> out;
    if (!m_mdi->area)
        return out;
    CChildFrame* active = MDIGetActive();
    bool activeListed = false;
    for (QMdiSubWindow* sub : m_mdi->area->subWindowList(QMdiArea::CreationOrder)) {
        CChildFrame* c = FrameOf(sub);
        if (!c)
            continue;
        if (out.size() < kListedWindows) {
            out.push_back(c);
            activeListed = activeListed || c == active;
        } else if (c == active && !activeListed) {
            out.back() = c;
            activeListed = true;
        }
    }
    return out;
}

void CMDIFrameWnd::OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu)
{
    if (popup && IsWindowMenu(*popup)) {
        // The list of the open windows follows the menu's own items after a separator.
        for (int i = popup->GetMenuItemCount() - 1; i >= 0; --i)
            if (IsListItem(popup->GetMenuItemID(i)))
                popup->DeleteMenu(static_cast<UINT>(i), MF_BYPOSITION);
        const int count = popup->GetMenuItemCount();
        if (count > 0 && popup->GetMenuItemID(count - 1) == 0)
            popup->DeleteMenu(static_cast<UINT>(count - 1), MF_BYPOSITION);
        const std::vector<CChildFrame*> children = GetListedMDIChildren();
        if (!children.empty())
            popup->AppendMenu(MF_SEPARATOR);
        for (size_t i = 0; i < children.size(); ++i) {
            const QWidget* outer = children[i]->GetOuterWidget();
            popup->AppendMenu(MF_STRING, AFX_IDM_FIRST_MDICHILD + i,
                              ListItemText(static_cast<int>(i + 1), outer ? outer->windowTitle() : QString()));
        }
    }
    CFrameWnd::OnInitMenuPopup(popup, index, sysMenu);
}

void CMDIFrameWnd::OnWindowListItem(UINT id)
{
    const std::vector<CChildFrame*> children = GetListedMDIChildren();
    const size_t at = id - AFX_IDM_FIRST_MDICHILD;
    if (at >= children.size())
        return;
    CChildFrame* child = children[at];
    if (const QWidget* outer = child->GetOuterWidget(); outer && outer->isMinimized())
        MDIRestore(child);
    MDIActivate(child);
}

void CMDIFrameWnd::OnUpdateWindowListItem(CCmdUI* ui)
{
    const std::vector<CChildFrame*> children = GetListedMDIChildren();
    const size_t at = ui->m_nID - AFX_IDM_FIRST_MDICHILD;
    ui->Enable(at < children.size());
    ui->SetCheck(at < children.size() && children[at] == MDIGetActive());
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CChildFrame* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

CDocument* CMDIFrameWnd::GetActiveDocument()
{
    CChildFrame* child = MDIGetActive();
    return child ? child->GetActiveDocument() : nullptr;
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    if (CChildFrame* child = MDIGetActive()) {
        // The child's command may wait in a modal loop: closed meanwhile, the child stays
        // until it returned.
        const CHandlerScope running(code == CN_UPDATE_COMMAND_UI ? nullptr : child);
        if (child->OnCmdMsg(id, code, ui))
            return TRUE;
    }
    return CFrameWnd::OnCmdMsg(id, code, ui);
}

void CMDIFrameWnd::OnIdleUpdateCmdUI()
{
    for (auto& bar : m_mdi->toolBars)
        bar->UpdateButtons(this, m_bAutoMenuEnable);
    CFrameWnd::OnIdleUpdateCmdUI();
    for (CChildFrame* child : GetMDIChildren())
        child->OnIdleUpdateCmdUI();
}

CStatusBar* CMDIFrameWnd::GetStatusBar() const
{
    return m_mdi->status.get();
}

CStatusBar* CMDIFrameWnd::CreateStatusBar(int panes)
{
    auto* main = qobject_cast<QMainWindow*>(GetOuterWidget());
    if (!main)
        return nullptr;
    m_mdi->status = std::make_unique<CStatusBar>(main->statusBar(), panes);
    return m_mdi->status.get();
}

CToolBar* CMDIFrameWnd::CreateToolBar(UINT id)
{
    auto* main = qobject_cast<QMainWindow*>(GetOuterWidget());
    if (!main)
        return nullptr;
    auto bar = std::make_unique<CToolBar>();
    if (!bar->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(), this, id))
        return nullptr;
    main->addToolBar(Qt::TopToolBarArea, static_cast<QToolBar*>(bar->GetWidget()));
    m_mdi->toolBars.push_back(std::move(bar));
    return m_mdi->toolBars.back().get();
}

void CMDIFrameWnd::OnClose()
{
    if (CWinApp* app = AfxGetApp())
        if (!app->SaveAllModified())
            return;
    for (CChildFrame* child : GetMDIChildren())
        child->DestroyWindow();
    DestroyWindow();
}

const CMessageMap& CMDIFrameWnd::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CMDIFrameWnd>(CFrameWnd::GetMessageMap())
                                       .Command(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnWindowCascade)
                                       .Command(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnWindowTile)
                                       .Command(ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnWindowTile)
                                       .Command(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnWindowTile)
                                       .CommandRange(AFX_IDM_FIRST_MDICHILD,
                                                     AFX_IDM_FIRST_MDICHILD + kListedWindows - 1,
                                                     &CMDIFrameWnd::OnWindowListItem)
                                       .UpdateUIRange(AFX_IDM_FIRST_MDICHILD,
                                                      AFX_IDM_FIRST_MDICHILD + kListedWindows - 1,
                                                      &CMDIFrameWnd::OnUpdateWindowListItem)
                                       .Build();
    return map;
}

void CMDIFrameWnd::OnWindowCascade()
{
    MDICascade();
}

void CMDIFrameWnd::OnWindowTile()
{
    MDITile();
}
