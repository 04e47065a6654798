#include "platform/ui/CFrameWnd.h"

#include "platform/ui/CCmdUI.h"
#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CDocument.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CStatusBar.h"
#include "platform/ui/CView.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/DesktopPlacement.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"
#include "platform/ui/WinGdi.h"

#include <QAction>
#include <QBoxLayout>
#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QToolButton>

#include <algorithm>

namespace {

std::vector<CFrameWnd*> g_frames;  // most recently activated first
std::vector<CFrameWnd*> g_liveFrames;  // every frame not yet destroyed

// Lays the pane window out whenever the pane area changes.
class PaneLayoutFilter final : public QObject {
public:
    explicit PaneLayoutFilter(QWidget* pane) : QObject(pane), m_pane(pane) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Resize || e->type() == QEvent::ChildAdded || e->type() == QEvent::LayoutRequest)
            if (auto* f = dynamic_cast<CFrameWnd*>(CWnd::FromWidget(m_pane->parentWidget())))
                f->RecalcLayout();
        return false;
    }

private:
    QWidget* m_pane;
};

// The view of this frame that holds the widget, or null.
CView* ViewHolding(const CFrameWnd* frame, const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget())
        if (auto* view = dynamic_cast<CView*>(CWnd::FromWidget(widget)))
            return view->GetParentFrame() == frame ? view : nullptr;
    return nullptr;
}

}  // namespace

CCaptionButton::CCaptionButton(UINT commandId, QToolButton* button) : m_id(commandId), m_button(button) {}

void CCaptionButton::SetText(const char* text)
{
    if (m_button)
        m_button->setText(ToQString(text));
}

CString CCaptionButton::GetText() const
{
    return m_button ? FromQString(m_button->text()) : CString();
}

void CCaptionButton::SetToolTip(const char* text)
{
    if (m_button)
        m_button->setToolTip(ToQString(text));
}

void CCaptionButton::SetCheck(BOOL checked)
{
    if (!m_button)
        return;
    m_button->setCheckable(true);
    m_button->setChecked(checked != FALSE);
}

BOOL CCaptionButton::GetCheck() const
{
    return m_button && m_button->isChecked() ? TRUE : FALSE;
}

void CCaptionButton::Show(BOOL show)
{
    if (m_button)
        m_button->setVisible(show != FALSE);
}

struct CFrameWnd::FrameImpl {
    QPointer<QWidget> paneHost;
    QPointer<QWidget> captionBar;
    QPointer<PaneLayoutFilter> filter;
    std::vector<std::unique_ptr<CCaptionButton>> buttons;
    std::unique_ptr<CMenu> menu;
    std::vector<QMetaObject::Connection> menuConnections;
    bool inLayout = false;
};

CFrameWnd::CFrameWnd() : m_frame(std::make_unique<FrameImpl>())
{
    m_background = GetSysColor(COLOR_BTNFACE);
    g_liveFrames.push_back(this);
}

CFrameWnd::~CFrameWnd()
{
    for (auto& c : m_frame->menuConnections)
        QObject::disconnect(c);
    g_frames.erase(std::remove(g_frames.begin(), g_frames.end(), this), g_frames.end());
    g_liveFrames.erase(std::remove(g_liveFrames.begin(), g_liveFrames.end(), this), g_liveFrames.end());
}

void CFrameWnd::ForgetView(const CView* view)
{
    for (CFrameWnd* frame : g_liveFrames)
        if (frame->m_pActiveView == view)
            frame->m_pActiveView = nullptr;
}

std::vector<CFrameWnd*> CFrameWnd::GetFramesInActivationOrder()
{
    return g_frames;
}

void CFrameWnd::NoteActivated()
{
    g_frames.erase(std::remove(g_frames.begin(), g_frames.end(), this), g_frames.end());
    g_frames.insert(g_frames.begin(), this);
}

QWidget* CFrameWnd::CreateWidget(QWidget* parent)
{
    auto* client = new QxWindowHost<QWidget>(this, nullptr);  // owned by the outer widget below
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* caption = new QWidget(client);
    auto* captionLayout = new QHBoxLayout(caption);
    captionLayout->setContentsMargins(2, 1, 2, 1);
    captionLayout->setSpacing(2);
    captionLayout->addStretch(1);
    caption->hide();
    auto* pane = new QWidget(client);
    layout->addWidget(caption);
    layout->addWidget(pane, 1);
    m_frame->captionBar = caption;
    m_frame->paneHost = pane;
    auto* filter = new PaneLayoutFilter(pane);
    pane->installEventFilter(filter);
    m_frame->filter = filter;
    QWidget* outer = CreateOuterWidget(parent, client);
    if (outer && outer != client) {
        SetPendingOuter(outer);
        RouteEventsOf(outer);
    }
    return client;
}

QWidget* CFrameWnd::CreateOuterWidget(QWidget* parent, QWidget* client)
{
    auto* main = new QMainWindow(parent, Qt::Window);  // owned by this frame (deleted on destroy)
    main->setCentralWidget(client);
    main->resize(640, 480);
    return main;
}

QWidget* CFrameWnd::GetPaneHost() const
{
    return m_frame->paneHost;
}

QWidget* CFrameWnd::GetContainerWidget() const
{
    return m_frame->paneHost ? m_frame->paneHost.data() : GetWidget();
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context)
{
    m_strTitle = LoadResourceString(resourceId);
    if (!Create(nullptr, m_strTitle, style & ~WS_VISIBLE, CRect(), parent, resourceId))
        return FALSE;
    if (CResourceStore::Instance().FindMenu(resourceId)) {
        auto menu = std::make_unique<CMenu>();
        if (menu->LoadMenu(resourceId))
            SetMenu(std::move(menu));
    }
    CREATESTRUCT cs;
    cs.style = style;
    if (!OnCreateClient(&cs, context)) {
        DestroyWindow();
        return FALSE;
    }
    RecalcLayout();
    m_bAutoDelete = true;
    if (style & WS_VISIBLE)
        ActivateFrame();
    return TRUE;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context)
{
    if (context && context->m_pNewViewClass)
        return CreateView(context) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id)
{
    if (!context || !context->m_pNewViewClass)
        return nullptr;
    std::unique_ptr<CView> view = context->m_pNewViewClass->CreateAs<CView>();
    if (!view)
        return nullptr;
    if (!view->CreateView(this, id, context))
        return nullptr;
    CView* v = view.release();  // the view owns itself from here on (deleted with its window)
    RecalcLayout();
    return v;
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify)
{
    CView* old = m_pActiveView;
    if (old == view)
        return;
    m_pActiveView = view;
    if (notify) {
        if (old)
            old->OnActivateView(FALSE, view, old);
        if (view)
            view->OnActivateView(TRUE, view, old);
    }
}

CDocument* CFrameWnd::GetActiveDocument()
{
    CView* v = m_pActiveView;
    if (!v) {
        const auto views = GetViews();
        v = views.empty() ? nullptr : views.front();
    }
    return v ? v->GetDocument() : nullptr;
}

std::vector<CView*> CFrameWnd::GetViews() const
{
    std::vector<CView*> out;
    std::vector<CWnd*> level = GetChildWindows();
    while (!level.empty()) {
        std::vector<CWnd*> next;
        for (CWnd* w : level) {
            if (dynamic_cast<CFrameWnd*>(w))
                continue;  // views of nested frames belong to them
            if (auto* v = dynamic_cast<CView*>(w))
                out.push_back(v);
            for (CWnd* c : w->GetChildWindows())
                next.push_back(c);
        }
        level.swap(next);
    }
    return out;
}

void CFrameWnd::InitialUpdateFrame(CDocument* doc, BOOL makeVisible)
{
    const auto views = GetViews();
    if (!m_pActiveView && !views.empty())
        SetActiveView(views.front(), FALSE);
    for (CView* v : views)
        if (!doc || v->GetDocument() == doc)
            v->OnInitialUpdate();
    OnUpdateFrameTitle(TRUE);
    if (makeVisible)
        ActivateFrame();
    if (m_pActiveView)
        m_pActiveView->OnActivateView(TRUE, m_pActiveView, nullptr);
}

void CFrameWnd::ActivateFrame(int cmdShow)
{
    ShowWindow(cmdShow < 0 ? SW_SHOW : cmdShow);
    BringWindowToTop();
    NoteActivated();
}

void CFrameWnd::FocusActiveView()
{
    // The widget that has the focus of the frame's window, or gets it back as the window is
    // activated.
    QWidget* outer = GetOuterWidget();
    if (!outer || ViewHolding(this, outer->window()->focusWidget()))
        return;
    CView* view = m_pActiveView;
    if (!view) {
        const std::vector<CView*> views = GetViews();
        view = views.empty() ? nullptr : views.front();
    }
    if (view && view->GetWidget() && view->GetWidget()->isVisible())
        view->SetFocus();
}

void CFrameWnd::RecalcLayout(BOOL)
{
    QWidget* pane = m_frame->paneHost;
    if (!pane || m_frame->inLayout)
        return;
    m_frame->inLayout = true;
    std::vector<CWnd*> panes;
    for (CWnd* c : GetChildWindows())
        if (QWidget* w = c->GetOuterWidget(); w && w->parentWidget() == pane)
            panes.push_back(c);
    CWnd* fill = nullptr;
    for (CWnd* c : panes)
        if (c->GetDlgCtrlID() == static_cast<int>(AFX_IDW_PANE_FIRST))
            fill = c;
    if (!fill && panes.size() == 1)
        fill = panes.front();
    if (fill)
        fill->GetOuterWidget()->setGeometry(pane->rect());
    m_frame->inLayout = false;
}

void CFrameWnd::OnUpdateFrameTitle(BOOL)
{
    CDocument* doc = GetActiveDocument();
    const CString title = doc && !doc->GetTitle().IsEmpty() ? doc->GetTitle() : m_strTitle;
    SetTextOfWidget(title);
}

void CFrameWnd::SetTitle(const char* title)
{
    m_strTitle = title ? title : "";
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::SetTextOfWidget(const CString& text)
{
    if (QWidget* w = GetOuterWidget())
        w->setWindowTitle(ToQString(text));
}

void CFrameWnd::SetMessageText(const char* text)
{
    CWinApp* app = AfxGetApp();
    auto* main = app ? dynamic_cast<CFrameWnd*>(app->m_pMainWnd) : nullptr;
    CFrameWnd* target = main ? main : this;
    if (CStatusBar* bar = target->GetStatusBar())
        bar->SetPaneText(0, text ? text : "");
}

CMenu* CFrameWnd::GetMenu() const
{
    return m_frame->menu.get();
}

BOOL CFrameWnd::SetMenu(std::unique_ptr<CMenu> menu)
{
    m_frame->menu = std::move(menu);
    if (auto* main = qobject_cast<QMainWindow*>(GetOuterWidget()))
        InstallMenuBar(main->menuBar());
    return TRUE;
}

void CFrameWnd::InstallMenuBar(QMenuBar* bar, CMenu* shown)
{
    if (!bar)
        return;
    for (auto& c : m_frame->menuConnections)
        QObject::disconnect(c);
    m_frame->menuConnections.clear();
    bar->clear();
    CMenu* menu = shown ? shown : m_frame->menu.get();
    if (!menu || !menu->GetQMenu())
        return;
    const HWND self = m_hWnd;
    CMenu::SetCommandTarget(menu->GetQMenu(), self);
    for (QAction* a : menu->GetQMenu()->actions()) {
        if (QMenu* popup = a->menu()) {
            bar->addMenu(popup);
            CMenu::SetCommandTarget(popup, self);
            m_frame->menuConnections.push_back(QObject::connect(popup, &QMenu::aboutToShow, [self, popup] {
                if (auto* f = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(self))) {
                    auto wrap = CMenu::Wrap(popup);
                    f->OnInitMenuPopup(wrap.get(), 0, FALSE);
                }
            }));
        } else {
            bar->addAction(a);
        }
    }
}

void CFrameWnd::OnInitMenuPopup(CMenu* popup, UINT, BOOL)
{
    if (!popup)
        return;
    CFrameWnd* active = GetActiveFrame();
    if (CView* view = active ? active->GetActiveView() : nullptr)
        view->OnInitFrameMenu(popup);
    popup->UpdateCommandUI(this, m_bAutoMenuEnable);
}

BOOL CFrameWnd::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    if (m_pActiveView) {
        // The view's command may wait in a modal loop: closed meanwhile, the view stays
        // until it returned.
        const CHandlerScope running(code == CN_UPDATE_COMMAND_UI ? nullptr : m_pActiveView);
        if (m_pActiveView->OnCmdMsg(id, code, ui))
            return TRUE;
    }
    if (CWnd::OnCmdMsg(id, code, ui))
        return TRUE;
    // A window's own menus and context menus hold the main frame's commands too: what
    // the window leaves goes to the main frame's own handlers.
    if (CWnd* main = AfxGetMainWnd(); main && main != this && main->CWnd::OnCmdMsg(id, code, ui))
        return TRUE;
    if (!GetParentFrame())
        if (CWinApp* app = AfxGetApp())
            return app->OnCmdMsg(id, code, ui);
    return FALSE;
}

CCaptionButton* CFrameWnd::AddCaptionButton(UINT commandId, const char* text, const char* toolTip)
{
    QWidget* bar = m_frame->captionBar;
    if (!bar)
        return nullptr;
    auto* b = new QToolButton(bar);  // owned by the caption strip
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);  // clicked like the title bar; the keys stay with the view
    b->setText(ToQString(text));
    if (toolTip)
        b->setToolTip(ToQString(toolTip));
    static_cast<QHBoxLayout*>(bar->layout())->addWidget(b);
    const HWND self = m_hWnd;
    QObject::connect(b, &QToolButton::clicked, [self, commandId] {
        if (CWnd* f = CWnd::FromHandle(self))
            f->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(commandId), 0), 0);
    });
    bar->show();
    m_frame->buttons.push_back(std::make_unique<CCaptionButton>(commandId, b));
    return m_frame->buttons.back().get();
}

CCaptionButton* CFrameWnd::GetCaptionButton(UINT commandId) const
{
    for (const auto& b : m_frame->buttons)
        if (b->GetCommandId() == commandId)
            return b.get();
    return nullptr;
}

std::vector<CCaptionButton*> CFrameWnd::GetCaptionButtons() const
{
    std::vector<CCaptionButton*> out;
    for (const auto& b : m_frame->buttons)
        out.push_back(b.get());
    return out;
}

void CFrameWnd::RemoveCaptionButtons()
{
    for (auto& b : m_frame->buttons)
        delete b->Button();
    m_frame->buttons.clear();
    if (m_frame->captionBar)
        m_frame->captionBar->hide();
}

void CFrameWnd::DockBar(CWnd* bar, bool bottom)
{
    QWidget* client = GetWidget();
    QWidget* w = bar ? bar->GetOuterWidget() : nullptr;
    if (!client || !w)
        return;
    auto* layout = static_cast<QVBoxLayout*>(client->layout());
    layout->removeWidget(w);
    if (bottom)
        layout->addWidget(w);
    else
        layout->insertWidget(1, w);  // below the caption strip
    w->show();
    RecalcLayout();
}

void CFrameWnd::UndockBar(CWnd* bar)
{
    QWidget* client = GetWidget();
    QWidget* w = bar ? bar->GetOuterWidget() : nullptr;
    if (!client || !w)
        return;
    static_cast<QVBoxLayout*>(client->layout())->removeWidget(w);
    w->hide();
    RecalcLayout();
}

void CFrameWnd::CopyToOtherFrame(CFrameWnd* target)
{
    if (!target || target == this)
        return;
    CView* active = m_pActiveView;
    const auto views = GetViews();
    m_pActiveView = nullptr;
    for (CView* v : views)
        v->SetParent(target);
    target->SetActiveView(active ? active : (views.empty() ? nullptr : views.front()), FALSE);
    target->RecalcLayout();
    target->OnUpdateFrameTitle(TRUE);
}

namespace {

const char* const kMdiGeometry = "qxMdiGeometry";
const char* const kMdiMaximized = "qxMdiMaximized";

// Where the content of one frame goes in the other: a floating frame where the MDI
// window was and as large, inside the desktop; an MDI window with the geometry and state
// it had before it was detached (the floating size inside the area when it never was
// one). Returns how the target shows.
int CarryPlacement(QWidget* from, QWidget* to, const std::vector<CView*>& views)
{
    if (!from || !to)
        return -1;
    auto* fromSub = qobject_cast<QMdiSubWindow*>(from);
    auto* toSub = qobject_cast<QMdiSubWindow*>(to);
    // The MDI placement is kept on every view's widget: a frame may make its views anew
    // for the other frame (CarryPlacementMarks hands the marks over).
    QWidget* viewWidget = nullptr;
    for (CView* view : views)
        if (QWidget* w = view ? view->GetWidget() : nullptr; w && !viewWidget && w->property(kMdiGeometry).isValid())
            viewWidget = w;
    if (fromSub && to->isWindow()) {
        const QRect normal = fromSub->isMaximized() || fromSub->isMinimized() ? fromSub->normalGeometry()
                                                                              : fromSub->geometry();
        for (CView* view : views)
            if (QWidget* w = view ? view->GetWidget() : nullptr) {
                w->setProperty(kMdiGeometry, normal);
                w->setProperty(kMdiMaximized, fromSub->isMaximized());
            }
        const QSize size = fromSub->isMinimized() ? normal.size() : fromSub->size();
        const QPoint at = fromSub->isMinimized() || !fromSub->isVisible()
                              ? to->geometry().topLeft()
                              : fromSub->mapToGlobal(QPoint(0, 0));
        to->setGeometry(QRect(at, size));
        FitOnDesktop(to);
        return SW_SHOW;
    }
    if (toSub && from->isWindow()) {
        QMdiArea* area = toSub->mdiArea();
        const QRect space = area ? area->viewport()->rect() : QRect();
        const QVariant stored = viewWidget ? viewWidget->property(kMdiGeometry) : QVariant();
        if (stored.isValid()) {
            toSub->setGeometry(FitRect(stored.toRect(), space));
            return viewWidget->property(kMdiMaximized).toBool() ? SW_SHOWMAXIMIZED : SW_SHOW;
        }
        toSub->setGeometry(FitRect(QRect(toSub->pos(), from->size()), space));
        return SW_SHOW;
    }
    return -1;
}

// Views made anew for the other frame take the MDI placement the old ones kept.
void CarryPlacementMarks(const std::vector<CView*>& from, const std::vector<CView*>& to)
{
    QVariant geometry, maximized;
    for (CView* view : from)
        if (QWidget* w = view ? view->GetWidget() : nullptr; w && w->property(kMdiGeometry).isValid()) {
            geometry = w->property(kMdiGeometry);
            maximized = w->property(kMdiMaximized);
        }
    if (!geometry.isValid())
        return;
    for (CView* view : to)
        if (QWidget* w = view ? view->GetWidget() : nullptr) {
            w->setProperty(kMdiGeometry, geometry);
            w->setProperty(kMdiMaximized, maximized);
        }
}

}  // namespace

void CFrameWnd::MoveContentTo(CFrameWnd* target)
{
    if (!target || target == this)
        return;
    const std::vector<CView*> views = GetViews();
    const int show = CarryPlacement(GetOuterWidget(), target->GetOuterWidget(), views);
    CopyToOtherFrame(target);
    CarryPlacementMarks(views, target->GetViews());
    target->ActivateFrame(show);
    DestroyWindow();
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    for (const auto& b : m_frame->buttons) {
        CCmdUI ui(b->GetCommandId());
        if (OnCmdMsg(b->GetCommandId(), CN_UPDATE_COMMAND_UI, &ui)) {
            if (QToolButton* button = b->Button())
                button->setEnabled(ui.m_enabled);
            if (ui.m_check >= 0)
                b->SetCheck(ui.m_check != 0);
            if (ui.m_textSet)
                b->SetText(ui.m_text);
        }
    }
}

void CFrameWnd::OnClose()
{
    if (CDocument* doc = GetActiveDocument())
        if (!doc->CanCloseFrame(this))
            return;
    DestroyWindow();
}

void CFrameWnd::OnDestroy()
{
    m_pActiveView = nullptr;
    g_frames.erase(std::remove(g_frames.begin(), g_frames.end(), this), g_frames.end());
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        app->PostQuit(0);
    }
}

void CFrameWnd::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;  // frames own themselves once created
}

void CFrameWnd::OnActivate(UINT state, CWnd* other, BOOL minimized)
{
    if (state != WA_INACTIVE) {
        NoteActivated();
        FocusActiveView();
    }
    CWnd::OnActivate(state, other, minimized);
}
