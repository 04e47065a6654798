#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "platform/ui/CListCtrl.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/ModalLoops.h"
#include "tests/sessions/SessionWatchdog.h"
#include "tests/support/ColumnFitting.h"
#include "tests/support/GraphicsWarnings.h"
#include "tests/support/WeekdayShift.h"
#include "views/ui/CListCtrlEx.h"
#include "views/ui/IListCellText.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaObject>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <QThread>
#include <QTreeView>
#include <QWheelEvent>
#include <QWindow>

#include <chrono>
#include <exception>
#include <future>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::sessions {

namespace {

using namespace std::chrono_literals;

enum MouseWhat { kClick, kDoubleClick, kPress, kRelease, kMove };

// QTest hands the delay of a key sent to a window on as the key event's repeat count (its
// default -1 as 65535): one, as a keyboard sends a key pressed once.
constexpr int kKeyCount = 1;

// The program object of a session: the real application, which tells when its loop runs.
class CSessionApp final : public CWorkstationApp {
public:
    std::atomic<bool> running{false};
    int Run() override
    {
        running = true;
        const int code = CWorkstationApp::Run();
        running = false;
        return code;
    }
};

bool Alive(const QWidget* widget)
{
    if (!widget)
        return false;
    for (QWidget* w : QApplication::allWidgets())
        if (w == widget)
            return true;
    return false;
}

// The live widget's top-level window, and the point of the widget that `at` names (its
// centre when negative); null when the widget or its window is gone.
QWindow* WindowAt(const QWidget* widget, QPoint at, QPoint* local)
{
    if (!Alive(widget))
        return nullptr;
    *local = at.x() < 0 || at.y() < 0 ? widget->rect().center() : at;
    return widget->window()->windowHandle();
}

bool SameText(const QString& shown, const QString& wanted)
{
    return shown == wanted || PlainMenuText(shown) == PlainMenuText(wanted);
}

// The window that takes keys now: an open popup, else the focused window.
QWindow* KeyWindow()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->windowHandle();
    if (QWindow* focus = QGuiApplication::focusWindow())
        return focus;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal->windowHandle();
    if (QWidget* active = QApplication::activeWindow())
        return active->windowHandle();
    return nullptr;
}

QTreeView* TreeOf(CListCtrl* list)
{
    return list ? qobject_cast<QTreeView*>(list->GetWidget()) : nullptr;
}

QString ListCellText(CListCtrl* list, int row, int column)
{
    if (auto* grid = dynamic_cast<CListCtrlEx*>(list))
        return QString::fromUtf8(grid->GetCellText(row, column).GetString());
    if (auto* drawn = dynamic_cast<IListCellText*>(list))
        return QString::fromUtf8(drawn->GetShownText(row, column).GetString());
    return QString::fromUtf8(list->GetItemText(row, column).GetString());
}

QString ListColumnTitle(CListCtrl* list, int column)
{
    char buffer[256] = {};
    LVCOLUMN info;
    info.mask = LVCF_TEXT;
    info.pszText = buffer;
    info.cchTextMax = sizeof(buffer);
    if (!list->GetColumn(column, &info))
        return QString();
    return QString::fromUtf8(buffer);
}

int ListColumnOf(CListCtrl* list, const QString& title)
{
    for (int c = 0; c < list->GetColumnCount(); ++c)
        if (ListColumnTitle(list, c) == title)
            return c;
    return -1;
}

QMenu* MenuWithTitle(const QString& title)
{
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return popup && SameText(popup->title(), title) ? popup : nullptr;
}

QStringList ActionTexts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (QAction* a : actions)
        if (!a->isSeparator())
            texts << (a->menu() ? a->menu()->title() : a->text());
    return texts;
}

QAction* FindAction(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* a : actions)
        if (!a->isSeparator() && a->isVisible() && SameText(a->menu() ? a->menu()->title() : a->text(), text))
            return a;
    return nullptr;
}

// What a window manager does for the offscreen platform: a window that goes away hands
// the focus to the modal window left, else to its owner, else to the main window.
class CWindowManager final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Hide && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow() && !(w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip)) {
                QPointer<QWidget> owner = w->parentWidget() ? w->parentWidget()->window() : nullptr;
                QMetaObject::invokeMethod(this, [owner] { ActivateNext(owner); }, Qt::QueuedConnection);
            }
        }
        return false;
    }

    static void ActivateNext(QPointer<QWidget> owner)
    {
        QWindow* focus = QGuiApplication::focusWindow();
        if (focus && focus->isVisible())
            return;
        QWidget* next = QApplication::activeModalWidget();
        if (!next || !next->isVisible())
            next = owner && owner->isVisible() ? owner.data() : nullptr;
        if (!next)
            if (CWnd* main = AfxGetMainWnd())
                next = main->GetOuterWidget();
        if (next && next->isVisible())
            next->activateWindow();
    }
};

}  // namespace

const QStringList& WindowKindMenuItems(bool floating)
{
    static const QStringList mdi = {"&Quotes|&Level I",       "&Quotes|Level &II",      "&Quotes|&Time && Sales",
                                    "&Quotes|&Bar Table",     "&Quotes|&News",          "&Quotes|B&rowser",
                                    "&Charts|&Chart",         "&Charts|&BackTesting",   "&Trading|&Trade Ticket",
                                    "&Trading|&Balances",     "&Trading|&Order Status", "&Trading|&Saved Orders",
                                    "&Alerts|Alert &Manager"};
    static const QStringList floatingItems = {
        "F&loating|&Level I",       "F&loating|Level &II",  "F&loating|&Chart",         "F&loating|&Time && Sales",
        "F&loating|&Bar Table",     "F&loating|&News",      "F&loating|B&ackTesting",   "F&loating|T&rade Ticket",
        "F&loating|Ba&lances",      "F&loating|&Order Status", "F&loating|Bro&wser",    "F&loating|Alert &Manager",
        "F&loating|&Saved Orders"};
    return floating ? floatingItems : mdi;
}

QRect TitleBarButton(QMdiSubWindow* sub, QStyle::SubControl button)
{
    QStyleOptionTitleBar option;
    option.initFrom(sub);
    option.rect = QRect(0, 0, sub->width(), sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, sub));
    option.titleBarFlags = sub->windowFlags();
    option.subControls = QStyle::SC_All;
    option.titleBarState = sub->windowState();
    if (sub->isActiveWindow())
        option.state |= QStyle::State_Active;
    return sub->style()->subControlRect(QStyle::CC_TitleBar, &option, button, sub);
}

QString DescribeFocus()
{
    auto describe = [](QWidget* w) -> QString {
        if (!w)
            return "none";
        QString text = QString::fromLatin1(w->metaObject()->className()) + " \"" + w->windowTitle() + "\"";
        if (auto* box = qobject_cast<QMessageBox*>(w))
            text += " saying \"" + box->text().left(120) + "\"";
        else
            for (const QLabel* label : w->findChildren<QLabel*>())
                if (label->isVisible() && !label->text().isEmpty())
                    text += " \"" + label->text().left(120) + "\"";
        return text;
    };
    return "modal: " + describe(QApplication::activeModalWidget()) +
           ", popup: " + describe(QApplication::activePopupWidget()) +
           ", active: " + describe(QApplication::activeWindow()) +
           ", mouse grab: " + describe(QWidget::mouseGrabber());
}

QString PlainMenuText(const QString& text)
{
    QString t = text.section(QChar('\t'), 0, 0);
    QString out;
    for (int i = 0; i < t.size(); ++i) {
        if (t[i] == QChar('&')) {
            if (i + 1 < t.size() && t[i + 1] == QChar('&'))
                out += QChar('&'), ++i;
            continue;
        }
        out += t[i];
    }
    return out;
}

QPoint MenuEntryPoint(QWidget* barOrMenu, const QString& text)
{
    for (QAction* a : barOrMenu->actions()) {
        if (PlainMenuText(a->text()) != text)
            continue;
        if (auto* bar = qobject_cast<QMenuBar*>(barOrMenu))
            return bar->mapToGlobal(bar->actionGeometry(a).center());
        if (auto* menu = qobject_cast<QMenu*>(barOrMenu))
            return menu->mapToGlobal(menu->actionGeometry(a).center());
    }
    return QPoint();
}

// ---------------------------------------------------------------- CSession

CSession::CSession(CWorkstationApp& app, qx::testbroker::CTestBroker& broker, std::filesystem::path home,
                   CSessionWatchdog& watchdog)
    : m_app(app), m_broker(broker), m_home(std::move(home)), m_watchdog(watchdog)
{
}

bool CSession::OnUiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void CSession::Post(std::function<void()> action)
{
    if (m_ended)
        throw CProgramEnded{};
    auto shared = std::make_shared<std::function<void()>>(std::move(action));
    QMetaObject::invokeMethod(QCoreApplication::instance(), [shared] { (*shared)(); }, Qt::QueuedConnection);
}

void CSession::RunOnUi(const std::function<void()>& call)
{
    // Shared with the posted task, which runs nothing once the script has given up on it.
    struct CCall {
        std::atomic<const std::function<void()>*> call;
        std::promise<void> done;
    };
    auto shared = std::make_shared<CCall>();
    shared->call = &call;
    std::future<void> done = shared->done.get_future();
    Post([shared] {
        const std::function<void()>* call = shared->call.exchange(nullptr);
        if (!call)
            return;
        try {
            (*call)();
            shared->done.set_value();
        } catch (...) {
            shared->done.set_exception(std::current_exception());
        }
    });
    while (done.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        if (m_ended) {
            shared->call = nullptr;
            throw CProgramEnded{};
        }
    done.get();
}

void CSession::Settle()
{
    OnUi([] {});
    OnUi([] {});
}

bool CSession::WaitFor(const std::string& what, const std::function<bool()>& condition,
                       std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (OnUi([&] { return condition(); }))
            return true;
        if (std::chrono::steady_clock::now() >= end)
            break;
        std::this_thread::sleep_for(30ms);
    }
    ADD_FAILURE() << "session: waited " << timeout.count() << " ms in vain for " << what << " ("
                  << OnUi([] { return DescribeFocus(); }).toStdString() << ")";
    return false;
}

void CSession::Pause(std::chrono::milliseconds time)
{
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        if (m_ended)
            throw CProgramEnded{};
        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(20ms, time));
    }
}

void CSession::Step(const std::string& text)
{
    m_watchdog.SetActivity(text);
    std::printf("session: %s\n", text.c_str());
    std::fflush(stdout);
}

bool CSession::ProgramEnded() const
{
    return m_ended;
}

// ---------------------------------------------------------------- input

void CSession::MouseAt(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int what)
{
    QString problem;
    const bool ok = OnUi([&] {
        if (!Alive(widget))
            return problem = "the widget is gone", false;
        if (!widget->isVisible())
            return problem = "the widget is hidden", false;
        if (!widget->window()->windowHandle())
            return problem = "the widget has no window", false;
        return true;
    });
    if (!ok) {
        ADD_FAILURE() << "session: cannot use the mouse on " << problem.toStdString();
        return;
    }
    Post([widget, at, button, modifiers, what] {
        QPoint local;
        QWindow* window = WindowAt(widget, at, &local);
        if (!window)
            return;
        QWidget* top = widget->window();
        const QPoint p = widget->mapTo(top, local);
        // The pointer comes to the point before it presses there, as a hand moves it
        // (widgets that track hovering, a title bar's buttons say, need the way there).
        if (what != kRelease && what != kMove) {
            QTest::mouseMove(window, QPoint(std::max(p.x() - 3, 0), std::max(p.y() - 2, 0)));
            QTest::mouseMove(window, p);
        }
        switch (what) {
        case kClick: QTest::mouseClick(window, button, modifiers, p); break;
        case kDoubleClick: QTest::mouseDClick(window, button, modifiers, p); break;
        case kPress: QTest::mousePress(window, button, modifiers, p); break;
        case kRelease: QTest::mouseRelease(window, button, modifiers, p); break;
        default: QTest::mouseMove(window, p); break;
        }
    });
    Settle();
}

void CSession::Click(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    MouseAt(widget, at, button, modifiers, kClick);
}

void CSession::DoubleClick(QWidget* widget, QPoint at)
{
    MouseAt(widget, at, Qt::LeftButton, {}, kDoubleClick);
}

void CSession::RightClick(QWidget* widget, QPoint at)
{
    MouseAt(widget, at, Qt::RightButton, {}, kClick);
}

void CSession::MoveMouse(QWidget* widget, QPoint at)
{
    MouseAt(widget, at, Qt::NoButton, {}, kMove);
}

void CSession::Wheel(QWidget* widget, int notches, QPoint at)
{
    MouseAt(widget, at, Qt::NoButton, {}, kMove);
    Post([widget, at, notches] {
        QPoint local;
        QWindow* window = WindowAt(widget, at, &local);
        if (!window)
            return;
        QWidget* top = widget->window();
        // One event per notch, as a wheel mouse sends them.
        for (int i = 0; i < std::abs(notches) && Alive(widget); ++i) {
            QWheelEvent wheel(widget->mapTo(top, local), widget->mapToGlobal(local), QPoint(),
                              QPoint(0, notches > 0 ? 120 : -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QCoreApplication::sendEvent(window, &wheel);
        }
    });
    Settle();
}

void CSession::Drag(QWidget* widget, QPoint from, QPoint to)
{
    MouseAt(widget, from, Qt::LeftButton, {}, kPress);
    constexpr int kSteps = 6;
    for (int i = 1; i <= kSteps; ++i) {
        const QPoint p = from + (to - from) * i / kSteps;
        Post([widget, p] {
            if (!Alive(widget))
                return;
            QWidget* top = widget->window();
            if (QWindow* window = top->windowHandle()) {
                // A move with the button held.
                QMouseEvent move(QEvent::MouseMove, widget->mapTo(top, p), widget->mapToGlobal(p), Qt::NoButton,
                                 Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(window, &move);
            }
        });
        Settle();
    }
    MouseAt(widget, to, Qt::LeftButton, {}, kRelease);
}

void CSession::Key(int key, Qt::KeyboardModifiers modifiers)
{
    Post([key, modifiers] {
        if (QWindow* window = KeyWindow())
            QTest::keyClick(window, static_cast<Qt::Key>(key), modifiers, kKeyCount);
    });
    Settle();
}

void CSession::TypeText(const QString& text)
{
    for (QChar c : text) {
        if (c == QChar('\n'))
            Key(Qt::Key_Return);
        else if (c == QChar('\t'))
            Key(Qt::Key_Tab);
        else if (c == QChar(0x1b))
            Key(Qt::Key_Escape);
        else if (c == QChar('\b'))
            Key(Qt::Key_Backspace);
        else {
            const char ch = c.toLatin1();
            Post([ch] {
                if (QWindow* window = KeyWindow())
                    QTest::keyClick(window, ch, Qt::NoModifier, kKeyCount);
            });
            Settle();
        }
    }
}

// ---------------------------------------------------------------- menus

QStringList CSession::MenuBarTitles()
{
    return OnUi([&] {
        QStringList titles;
        CMainFrame* frame = m_app.MainFrame();
        auto* main = frame ? qobject_cast<QMainWindow*>(frame->GetOuterWidget()) : nullptr;
        if (main)
            for (QAction* a : main->menuBar()->actions())
                titles << a->text();
        return titles;
    });
}

void CSession::ChooseMenu(const QString& path, QWidget* window)
{
    Step("menu " + path.toStdString());
    const QStringList items = path.split(QChar('|'));
    QMenuBar* bar = nullptr;
    QPoint at;
    QString shown;
    QPointer<QWidget> held(window);
    const bool found = OnUi([&] {
        CMainFrame* frame = m_app.MainFrame();
        auto* main = qobject_cast<QMainWindow*>(window ? held.data() : frame ? frame->GetOuterWidget() : nullptr);
        if (!main)
            return false;
        bar = main->menuBar();
        shown = ActionTexts(bar->actions()).join(", ");
        QAction* a = FindAction(bar->actions(), items.front());
        if (!a)
            return false;
        at = bar->actionGeometry(a).center();
        return true;
    });
    if (!found) {
        ADD_FAILURE() << "session: no menu " << items.front().toStdString() << " in the menu bar (" << shown.toStdString()
                      << ")";
        return;
    }
    Click(bar, at);
    QWidget* popup = nullptr;
    if (!WaitFor("the menu " + items.front().toStdString() + " to open", [&] {
            popup = MenuWithTitle(items.front());
            return popup != nullptr;
        }))
        return;
    ChooseInMenus(popup, items, 1);
}

void CSession::ChoosePopup(const QString& path)
{
    Step("popup menu " + path.toStdString());
    QWidget* popup = nullptr;
    if (!WaitFor("a popup menu", [&] {
            popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return popup != nullptr;
        }))
        return;
    ChooseInMenus(popup, path.split(QChar('|')), 0);
}

void CSession::ChooseInMenus(QWidget* first, const QStringList& items, int from)
{
    QWidget* menu = first;
    for (int i = from; i < items.size(); ++i) {
        QPoint at;
        QString problem;
        QWidget* sub = nullptr;
        const bool ok = OnUi([&] {
            auto* m = Alive(menu) ? qobject_cast<QMenu*>(menu) : nullptr;
            if (!m)
                return problem = "the menu closed", false;
            QAction* a = FindAction(m->actions(), items[i]);
            if (!a)
                return problem = "no item " + items[i] + " in " + ActionTexts(m->actions()).join(", "), false;
            if (!a->isEnabled())
                return problem = "the item " + items[i] + " is greyed", false;
            at = m->actionGeometry(a).center();
            sub = a->menu();
            return true;
        });
        if (!ok) {
            ADD_FAILURE() << "session: " << problem.toStdString();
            // Close what is open, as a user who found nothing would.
            for (int k = 0; k < 4 && OnUi([] { return QApplication::activePopupWidget() != nullptr; }); ++k)
                Key(Qt::Key_Escape);
            return;
        }
        MoveMouse(menu, at);
        Click(menu, at);
        if (!sub)
            return;
        if (!WaitFor("the menu " + items[i].toStdString() + " to open",
                     [&] { return QApplication::activePopupWidget() == sub && sub->isVisible(); }, 3s))
            return;
        menu = sub;
    }
}

bool CSession::MenuItemEnabled(const QString& path)
{
    const QStringList items = path.split(QChar('|'));
    if (items.size() < 2)
        return false;
    // Open the menus down to the item's own, look, and close them again.
    const QString parent = QStringList(items.mid(0, items.size() - 1)).join(QChar('|'));
    const QStringList parents = parent.split(QChar('|'));
    QMenuBar* bar = nullptr;
    QPoint at;
    if (!OnUi([&] {
            CMainFrame* frame = m_app.MainFrame();
            auto* main = frame ? qobject_cast<QMainWindow*>(frame->GetOuterWidget()) : nullptr;
            QAction* a = main ? FindAction(main->menuBar()->actions(), parents.front()) : nullptr;
            if (!a)
                return false;
            bar = main->menuBar();
            at = bar->actionGeometry(a).center();
            return true;
        })) {
        ADD_FAILURE() << "session: no menu " << parents.front().toStdString();
        return false;
    }
    Click(bar, at);
    QWidget* menu = nullptr;
    if (!WaitFor("the menu to open", [&] { return (menu = MenuWithTitle(parents.front())) != nullptr; }))
        return false;
    if (parents.size() > 1)
        ChooseInMenus(menu, parents, 1);
    bool enabled = false;
    bool found = false;
    OnUi([&] {
        auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (QAction* a = m ? FindAction(m->actions(), items.back()) : nullptr) {
            found = true;
            enabled = a->isEnabled();
        }
    });
    for (int k = 0; k < 4 && OnUi([] { return QApplication::activePopupWidget() != nullptr; }); ++k)
        Key(Qt::Key_Escape);
    if (!found)
        ADD_FAILURE() << "session: no menu item " << path.toStdString();
    return enabled;
}

// ---------------------------------------------------------------- windows

QWidget* CSession::ActiveModal()
{
    return OnUi([] { return QApplication::activeModalWidget(); });
}

QWidget* CSession::WaitModal(const QString& title, std::chrono::milliseconds timeout)
{
    Step("wait for the window " + title.toStdString());
    QWidget* found = nullptr;
    QString last;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        found = OnUi([&]() -> QWidget* {
            QWidget* modal = QApplication::activeModalWidget();
            last = modal ? modal->windowTitle() : QString("(none)");
            return modal && modal->isVisible() && SameText(modal->windowTitle(), title) ? modal : nullptr;
        });
        if (found)
            return found;
        std::this_thread::sleep_for(30ms);
    }
    ADD_FAILURE() << "session: no modal window \"" << title.toStdString() << "\" (the modal window is "
                  << last.toStdString() << ")";
    return nullptr;
}

QString CSession::WindowTitle(QWidget* window)
{
    return OnUi([&] { return Alive(window) ? window->windowTitle() : QString(); });
}

void CSession::PressButton(QWidget* window, const QString& text)
{
    QWidget* button = OnUi([&]() -> QWidget* {
        if (!Alive(window))
            return nullptr;
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
            if (b->isVisible() && b->isEnabled() && SameText(b->text(), text))
                return b;
        return nullptr;
    });
    if (!button) {
        ADD_FAILURE() << "session: no enabled button " << text.toStdString() << " in "
                      << WindowTitle(window).toStdString();
        return;
    }
    Step("press " + text.toStdString());
    Click(button);
}

QWidget* CSession::Control(QWidget* dialog, int id)
{
    return OnUi([&]() -> QWidget* {
        if (!Alive(dialog))
            return nullptr;
        for (QWidget* w = dialog; w; w = w->parentWidget())
            if (CWnd* wnd = CWnd::FromWidget(w))
                if (CWnd* item = wnd->GetDlgItem(id))
                    return item->GetOuterWidget();
        // Pages of a property sheet: their controls sit in child windows.
        for (QWidget* child : dialog->findChildren<QWidget*>())
            if (CWnd* wnd = CWnd::FromWidget(child); wnd && wnd->GetDlgCtrlID() == id && child->isVisible())
                return wnd->GetOuterWidget();
        return nullptr;
    });
}

void CSession::FillControl(QWidget* dialog, int id, const QString& text)
{
    QWidget* control = Control(dialog, id);
    if (!control) {
        ADD_FAILURE() << "session: no control " << id << " in " << WindowTitle(dialog).toStdString();
        return;
    }
    QWidget* target = OnUi([&]() -> QWidget* {
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
            return combo->lineEdit();
        return control;
    });
    Click(target);
    Key(Qt::Key_A, Qt::ControlModifier);
    TypeText(text);
}

void CSession::ChooseComboItem(QWidget* comboWidget, const QString& text)
{
    Step("choose " + text.toStdString() + " from a list");
    const QPoint arrow = OnUi([&] {
        auto* combo = Alive(comboWidget) ? qobject_cast<QComboBox*>(comboWidget) : nullptr;
        return combo ? QPoint(combo->width() - 6, combo->height() / 2) : QPoint(-1, -1);
    });
    if (arrow.x() < 0) {
        ADD_FAILURE() << "session: no combo box to choose " << text.toStdString() << " from";
        return;
    }
    Click(comboWidget, arrow);
    QWidget* list = nullptr;
    QPoint at;
    if (!WaitFor("the list of the combo box", [&] {
            auto* combo = qobject_cast<QComboBox*>(comboWidget);
            QAbstractItemView* view = combo ? combo->view() : nullptr;
            if (!view || !view->isVisible())
                return false;
            const int row = combo->findText(text, Qt::MatchFixedString);
            if (row < 0)
                return false;
            const QModelIndex index = combo->model()->index(row, combo->modelColumn());
            view->scrollTo(index);
            list = view->viewport();
            at = view->visualRect(index).center();
            return true;
        }))
        return;
    Click(list, at);
    WaitFor("the list closed", [&] {
        auto* combo = qobject_cast<QComboBox*>(comboWidget);
        return !combo || !combo->view()->isVisible();
    });
}

bool CSession::AnswerFileDialog(const QString& path, const QString& type)
{
    Step("file dialog: " + path.toStdString());
    QFileDialog* dialog = nullptr;
    if (!WaitFor("a file dialog", [&] {
            dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            return dialog && dialog->isVisible();
        }))
        return false;
    if (!type.isEmpty()) {
        auto* types = OnUi([&] { return dialog->findChild<QComboBox*>("fileTypeCombo"); });
        const QString item = OnUi([&] {
            for (int i = 0; types && i < types->count(); ++i)
                if (types->itemText(i).startsWith(type))
                    return types->itemText(i);
            return QString();
        });
        if (item.isEmpty()) {
            ADD_FAILURE() << "session: no file type " << type.toStdString();
            return false;
        }
        ChooseComboItem(types, item);
    }
    QWidget* name = OnUi([&]() -> QWidget* { return dialog->findChild<QLineEdit*>("fileNameEdit"); });
    if (!name) {
        ADD_FAILURE() << "session: the file dialog has no name box";
        return false;
    }
    Click(name);
    Key(Qt::Key_A, Qt::ControlModifier);
    TypeText(path);
    Key(Qt::Key_Return);
    return WaitFor("the file dialog closed", [&] { return QApplication::activeModalWidget() != dialog; });
}

bool CSession::AnswerDateTime(const QDate& date, const QTime& time)
{
    constexpr int kDateField = 1040;
    constexpr int kTimeField = 1041;
    QWidget* dialog = WaitModal("Date and Time");
    if (!dialog)
        return false;
    const QString dateText = date.toString("M/d/yyyy");
    const QString timeText = time.toString("h:mm:ss AP");
    // The keyboard's way: the dialog opens in the date's first field; Tab goes on to the
    // time's first field.
    QWidget* dateField = Control(dialog, kDateField);
    if (!WaitFor("the focus in the date", [&] { return QApplication::focusWidget() == dateField; }))
        return false;
    TypeText(dateText);
    Key(Qt::Key_Tab);
    TypeText(timeText);
    const QString shownDate = ControlText(dialog, kDateField);
    const QString shownTime = ControlText(dialog, kTimeField);
    if (shownDate != dateText || shownTime != timeText) {
        ADD_FAILURE() << "session: typed " << dateText.toStdString() << " " << timeText.toStdString()
                      << ", the dialog shows " << shownDate.toStdString() << " " << shownTime.toStdString();
        PressButton(dialog, "Cancel");
        return false;
    }
    Key(Qt::Key_Return);
    return WaitFor("the Date and Time dialog closed", [&] { return ActiveModal() == nullptr; });
}

QString CSession::ControlText(QWidget* dialog, int id)
{
    QWidget* control = Control(dialog, id);
    return OnUi([&] {
        if (!Alive(control))
            return QString();
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            return edit->text();
        if (auto* combo = qobject_cast<QComboBox*>(control))
            return combo->currentText();
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return button->text();
        CWnd* wnd = CWnd::FromWidget(control);
        return wnd ? QString::fromUtf8(wnd->GetWindowText().GetString()) : QString();
    });
}

void CSession::RaiseFrame(QWidget* frameWidget)
{
    const bool mdi = OnUi([&] { return Alive(frameWidget) && qobject_cast<QMdiSubWindow*>(frameWidget) != nullptr; });
    if (mdi) {
        // A point of its title bar that no other window covers.
        const QPoint at = OnUi([&] {
            const int title = frameWidget->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frameWidget);
            const int y = std::max(title / 2, 3);
            auto* area = qobject_cast<QMdiSubWindow*>(frameWidget)->mdiArea();
            for (int x = frameWidget->width() / 3; x < frameWidget->width() - 60; x += 8) {
                bool covered = false;
                const QPoint p = frameWidget->mapTo(area->viewport(), QPoint(x, y));
                for (QMdiSubWindow* other : area->subWindowList(QMdiArea::StackingOrder))
                    if (other != frameWidget && other->isVisible() && other->geometry().contains(p) &&
                        area->subWindowList(QMdiArea::StackingOrder).indexOf(other) >
                            area->subWindowList(QMdiArea::StackingOrder).indexOf(
                                qobject_cast<QMdiSubWindow*>(frameWidget)))
                        covered = true;
                if (!covered)
                    return QPoint(x, y);
            }
            return QPoint(-1, -1);
        });
        if (at.x() >= 0) {
            Click(frameWidget, at);
            return;
        }
        // Covered all along: what the Window menu's list would do.
        Step("activate a covered MDI window");
        OnUi([&] {
            auto* sub = qobject_cast<QMdiSubWindow*>(frameWidget);
            sub->mdiArea()->setActiveSubWindow(sub);
        });
        return;
    }
    // A floating frame: what the window manager does on a click into it.
    OnUi([&] {
        if (Alive(frameWidget)) {
            frameWidget->raise();
            frameWidget->activateWindow();
        }
    });
}

void CSession::CloseFrame(QWidget* frameWidget)
{
    QPoint at;
    const bool mdi = OnUi([&] {
        auto* sub = Alive(frameWidget) ? qobject_cast<QMdiSubWindow*>(frameWidget) : nullptr;
        if (!sub)
            return false;
        if (sub->isMaximized())
            return false;
        const QRect box = TitleBarButton(sub, QStyle::SC_TitleBarCloseButton);
        at = box.center();
        return box.isValid();
    });
    if (mdi) {
        Step("close box of an MDI window");
        Click(frameWidget, at);
        return;
    }
    if (OnUi([&] { return Alive(frameWidget) && qobject_cast<QMdiSubWindow*>(frameWidget) != nullptr; })) {
        // Maximized: its close box sits in the menu bar's corner.
        Step("close box of a maximized MDI window");
        Post([frameWidget] {
            if (Alive(frameWidget))
                frameWidget->close();
        });
        Settle();
        return;
    }
    // The window manager's close box of a floating frame.
    Step("close box of a floating window");
    Post([frameWidget] {
        if (Alive(frameWidget))
            frameWidget->close();
    });
    Settle();
}

// ---------------------------------------------------------------- lists

int CSession::RowCount(CListCtrl* list)
{
    return OnUi([&] { return list ? list->GetItemCount() : 0; });
}

QStringList CSession::ColumnTitles(CListCtrl* list)
{
    return OnUi([&] {
        QStringList titles;
        for (int c = 0; list && c < list->GetColumnCount(); ++c)
            titles << ListColumnTitle(list, c);
        return titles;
    });
}

QString CSession::CellText(CListCtrl* list, int row, const QString& column)
{
    return OnUi([&] {
        const int c = list ? ListColumnOf(list, column) : -1;
        return c < 0 ? QString() : ListCellText(list, row, c);
    });
}

std::vector<QStringList> CSession::ListRows(CListCtrl* list)
{
    return OnUi([&] {
        std::vector<QStringList> rows;
        for (int r = 0; list && r < list->GetItemCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < list->GetColumnCount(); ++c)
                cells << ListCellText(list, r, c);
            rows.push_back(cells);
        }
        return rows;
    });
}

std::string CSession::CutCells(CListCtrl* list)
{
    const QStringList titles = ColumnTitles(list);
    const std::vector<QStringList> rows = ListRows(list);
    return OnUi([&] {
        std::string cut;
        const auto check = [&](int column, const QString& text) {
            const int needed = NeededColumnWidth(*list, text);
            const int width = list->GetColumnWidth(column);
            if (needed > width)
                cut += "\"" + text.toStdString() + "\" needs " + std::to_string(needed) + " px, " +
                       titles[column].toStdString() + " has " + std::to_string(width) + "\n";
        };
        for (int column = 0; column < titles.size(); ++column) {
            check(column, titles[column]);
            for (const QStringList& row : rows)
                if (column < row.size())
                    check(column, row[column]);
        }
        return cut;
    });
}

int CSession::RowOf(CListCtrl* list, const QString& text, const QString& column)
{
    return OnUi([&] {
        if (!list)
            return -1;
        const int only = column.isEmpty() ? -1 : ListColumnOf(list, column);
        for (int r = 0; r < list->GetItemCount(); ++r)
            for (int c = 0; c < list->GetColumnCount(); ++c)
                if ((only < 0 || c == only) && ListCellText(list, r, c) == text)
                    return r;
        return -1;
    });
}

void CSession::ClickRow(CListCtrl* list, const QString& text, const QString& column)
{
    ClickCell(list, text, column, Qt::LeftButton);
}

void CSession::ClickCell(CListCtrl* list, const QString& rowText, const QString& column, Qt::MouseButton button,
                         bool doubleClick)
{
    Step("click the row " + rowText.toStdString() + (column.isEmpty() ? "" : " at " + column.toStdString()));
    QWidget* tree = nullptr;
    QPoint at;
    QString problem;
    const bool ok = OnUi([&] {
        QTreeView* view = TreeOf(list);
        if (!view)
            return problem = "no list", false;
        int row = -1, col = column.isEmpty() ? 0 : ListColumnOf(list, column);
        if (col < 0)
            return problem = "no column " + column, false;
        for (int r = 0; r < list->GetItemCount() && row < 0; ++r)
            for (int c = 0; c < list->GetColumnCount(); ++c)
                if ((column.isEmpty() || c == col) && ListCellText(list, r, c) == rowText) {
                    row = r;
                    if (column.isEmpty())
                        col = c;
                    break;
                }
        if (row < 0)
            return problem = "no row " + rowText, false;
        list->EnsureVisible(row, FALSE);
        CRect cell;
        if (!list->GetSubItemRect(row, col, LVIR_BOUNDS, cell))
            return problem = "no cell rectangle", false;
        tree = view;
        at = QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
        return true;
    });
    if (!ok) {
        ADD_FAILURE() << "session: " << problem.toStdString();
        return;
    }
    if (doubleClick)
        DoubleClick(tree, at);
    else
        Click(tree, at, button);
}

void CSession::ClickHeader(CListCtrl* list, const QString& column, Qt::MouseButton button)
{
    Step("click the header " + column.toStdString());
    QWidget* header = nullptr;
    QPoint at;
    const bool ok = OnUi([&] {
        QTreeView* view = TreeOf(list);
        const int c = view ? ListColumnOf(list, column) : -1;
        if (c < 0)
            return false;
        QHeaderView* h = view->header();
        header = h;
        at = QPoint(h->sectionViewportPosition(c) + h->sectionSize(c) / 2, h->height() / 2);
        return true;
    });
    if (!ok) {
        ADD_FAILURE() << "session: no column " << column.toStdString();
        return;
    }
    Click(header, at, button);
}

// ---------------------------------------------------------------- ending

void CSession::ExitByMenu()
{
    try {
        ChooseMenu("&File|E&xit");
    } catch (const CProgramEnded&) {
        return;  // it ended while the click was being handled
    }
    if (!WaitForEnd())
        ADD_FAILURE() << "session: the program still runs 30 s after File -> Exit";
}

bool CSession::WaitForEnd(std::chrono::milliseconds timeout)
{
    Step("wait for the program to end");
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!m_ended && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    return m_ended;
}

// ---------------------------------------------------------------- the fixture

void SessionTest::SetUp()
{
    qx::testbroker::TestBrokerOptions options;
    options.httpsPort = 0;
    options.streamPort = 0;
    options.startPaused = true;
    Configure(options);
    m_broker = std::make_unique<qx::testbroker::CTestBroker>(options);
    std::string error;
    ASSERT_TRUE(m_broker->Start(error)) << error;
    static int n = 0;
    m_home = std::filesystem::temp_directory_path() /
             ("qx-session-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
    std::filesystem::remove_all(m_home);
    std::filesystem::create_directories(m_home);
    const std::string base = m_broker->BaseUrl();
    std::ofstream(m_home / "config.ini") << "LoginServer=" << base << "\nApiServer=" << base << "\nHistoryServer="
                                          << base << "\nUpdateFile=" << base << "/update/QxUpdate.xml\nCaFile="
                                          << m_broker->CaFile() << "\n";
    const char* root = std::getenv("QX_SOURCE_DIR");
    std::filesystem::copy_file(std::string(root ? root : ".") + "/broker/session/Sessions.dat", m_home / "Sessions.dat",
                               std::filesystem::copy_options::overwrite_existing);
}

void SessionTest::TearDown()
{
    if (m_broker)
        m_broker->Stop();
    std::error_code ec;
    if (!HasFailure())
        std::filesystem::remove_all(m_home, ec);
    else
        std::printf("session: the user data folder stays at %s\n", m_home.string().c_str());
}

void BeforeTheOpenSessionTest::Configure(qx::testbroker::TestBrokerOptions& options)
{
    const int64_t now = std::time(nullptr);
    options.clockShiftSeconds = qx::testsupport::SecondsToNoon(now) - 5 * 3600;
    options.clockShiftDays = qx::testsupport::DaysBackToWeekday(now + options.clockShiftSeconds);
}

void ManagedSessionTest::SetUp()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "on X only (the x11_sessions entries)";
    if (QStandardPaths::findExecutable("openbox").isEmpty())
        GTEST_SKIP() << "no openbox";
    m_openbox = std::make_unique<qx::testsupport::COpenbox>();
    ASSERT_TRUE(m_openbox->Up()) << "openbox did not start up";
    SessionTest::SetUp();
}

void ManagedSessionTest::TearDown()
{
    SessionTest::TearDown();
    m_openbox.reset();
}

int SessionTest::RunWorkstation(const std::function<void(CSession&)>& script, const std::vector<std::string>& arguments)
{
    RefuseModalLoops(false);
    CSessionWatchdog watchdog;
    CSessionApp app;
    std::vector<std::string> args = {"quorvantelix", "--home", m_home.string(), "--user", "demo", "--password", "demo"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    CSession session(app, *m_broker, m_home, watchdog);
    CWindowManager windowManager;
    qApp->installEventFilter(&windowManager);

    std::thread driver([&] {
        try {
            session.Step("start the program");
            if (session.WaitFor("the program to log in and run", [&] { return app.running.load() && app.MainFrame(); },
                                60s)) {
                watchdog.LoopRuns();
                script(session);
            }
        } catch (const CProgramEnded&) {
            ADD_FAILURE() << "session: the program ended while the session still ran";
        }
        if (session.ProgramEnded())
            return;
        ADD_FAILURE() << "session: the script left the program running; closing it";
        // End every dialog, then close the main frame.
        RequestEndOfModalLoops();
        try {
            session.Post([] {
                if (CWnd* main = AfxGetMainWnd())
                    main->PostMessage(WM_CLOSE);
            });
        } catch (const CProgramEnded&) {
        }
        if (!session.WaitForEnd()) {
            std::fprintf(stderr, "[  FAILED  ] session: the program did not end after the session\n");
            CSessionWatchdog::PrintMainThreadStack();
            std::_Exit(3);
        }
    });
    watchdog.Start();
    const int status = app.Main(static_cast<int>(args.size()), argv.data());
    session.SetEnded();
    watchdog.Stop();
    driver.join();
    qApp->removeEventFilter(&windowManager);
    RefuseModalLoops(false);
    const std::vector<std::string> faults = qx::testsupport::GraphicsWarningsInLog(m_home);
    if (!faults.empty())
        ADD_FAILURE() << "session: the program's log holds " << faults.size()
                      << " warnings of the graphics stack (its windows may have stopped painting), the first: "
                      << faults.front();
    return status;
}

std::vector<std::string> SessionTest::TemporaryFiles() const
{
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(m_home, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // ".NAME.XXXXXX": the safe writer's temporary file.
        if (it->is_regular_file() && name.size() > 8 && name[0] == '.' && name[name.size() - 7] == '.')
            found.push_back(it->path().string());
    }
    return found;
}

int64_t SessionTest::FileStamp(const char* name) const
{
    // Milliseconds since 1970 (the file clock's own epoch is not the system's).
    struct stat info {};
    if (::stat((m_home / name).c_str(), &info) != 0)
        return 0;
    return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
}

std::string FirstAccount(qx::testbroker::CTestBroker& broker)
{
    const auto accounts = broker.Accounts();
    return accounts.empty() ? std::string() : accounts.front().id;
}

}  // namespace qx::sessions
