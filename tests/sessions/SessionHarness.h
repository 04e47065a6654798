// Scripted trader sessions: the real workstation (CWorkstationApp::Main with its main
// frame, menus and windows) logged in to an in-process test broker, driven by real input
// events delivered through the windows as the platform would deliver them (QTest mouse
// and key events on the widgets' windows), under a watchdog.
//
// The script runs on a thread of its own while the program's event loop runs on the main
// thread, so a click that opens a modal dialog never blocks the script: it goes on and
// answers the dialog. A session file holds one TEST_F per session:
//
//   TEST_F(SessionTest, Something)
//   {
//       const int status = RunWorkstation([&](CSession& s) {
//           s.ChooseMenu("&Quotes|&Level I");              // menu path, '|' between items
//           QTreeView* grid = s.OnUi([&] { return ...; });   // read windows on the UI thread
//           s.Click(grid);                                   // focus the grid
//           s.TypeText("MSFT\n");                            // keys to the focused window
//           s.WaitFor("MSFT listed", [&] { return ...; });  // condition polled on the UI thread
//           s.ExitByMenu();                                  // File -> Exit, waits for the end
//       });
//       EXPECT_EQ(status, 0);
//   }
//
// Helpers of CSession (script thread; pointers to widgets are read inside OnUi and handed
// to the input helpers, which check that they still exist):
//   OnUi(f)                      runs f on the UI thread, returns its result
//   WaitFor(what, cond, ms)      polls cond on the UI thread; a failure names what
//   Pause(ms)                    lets the program run (quotes, timers)
//   Click / DoubleClick / RightClick(widget, point)   mouse at a point (default: centre)
//   Wheel(widget, notches, point)  the mouse wheel over a point
//   Key(key, modifiers), TypeText(text)   keys to the focused window ('\n' Return, '\t' Tab,
//                                         '\x1b' Escape)
//   ChooseMenu("&File|E&xit"[, frame])  clicks through the main (or a floating frame's) menu bar; ChoosePopup for the
//                                popup open now (context menus); MenuItemEnabled to look
//   WaitModal(title)             the modal window of that title once it shows
//   PressButton(window, "OK"), FillControl(window, id, text), Control(window, id)
//   ChooseComboItem(combo, text) opens a combo box's list with the mouse and clicks the item
//   AnswerFileDialog(path[, type])  the open or save file dialog open now: the file type
//                                (its filter's text) chosen, the path typed, Return
//   AnswerDateTime(date, time)   the Date and Time dialog: both typed into their fields, OK
//   RowOf / ClickRow / ClickCell(list, text[, column title])   rows of report lists by text
//   CellText(list, row, column title), ListRows(list)
//   CutCells(list)               the titles and cells a list's columns are too narrow for
//   Views<T>()                   the open windows' views of a class (UI thread)
//   WaitView<T>(what)            the first view of a class once one is open
//   ExitByMenu()                 File -> Exit and waits until the program has ended
//   WindowKindMenuItems(floating)  menu paths that open every window kind
//   Broker()                     the test broker: prices, Orders(account), OrderRequests()
// A session that leaves the program running is closed by the harness and fails.
// ManagedSessionTest runs its sessions on a real X server under openbox.
#pragma once

#include "app/shell/CWorkstationApp.h"
#include "platform/ui/CView.h"
#include "tests/support/Openbox.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QStyle>
#include <QString>
#include <QTime>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

class CListCtrl;
class QMdiSubWindow;

namespace qx::sessions {

class CSessionWatchdog;

// Thrown into a script whose program ended before a step could run.
struct CProgramEnded {};

class CSession {
public:
    CSession(CWorkstationApp& app, qx::testbroker::CTestBroker& broker, std::filesystem::path home,
             CSessionWatchdog& watchdog);

    // ---- the UI thread
    template <class F>
    auto OnUi(F&& f) -> std::invoke_result_t<F&>
    {
        using R = std::invoke_result_t<F&>;
        if (OnUiThread())
            return f();  // a condition of WaitFor that uses a helper
        if constexpr (std::is_void_v<R>) {
            RunOnUi([&] { f(); });
        } else {
            std::optional<R> result;
            RunOnUi([&] { result.emplace(f()); });
            return std::move(*result);
        }
    }
    static bool OnUiThread();
    // Runs the action on the UI thread without waiting (it may open a modal loop).
    void Post(std::function<void()> action);
    // Everything posted so far has run, or waits inside a modal loop it opened.
    void Settle();
    bool WaitFor(const std::string& what, const std::function<bool()>& condition,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));
    void Pause(std::chrono::milliseconds time);
    // Told with a hang (what the script does now).
    void Step(const std::string& text);

    // ---- the program (touch only inside OnUi)
    CWorkstationApp& App() { return m_app; }
    qx::testbroker::CTestBroker& Broker() { return m_broker; }
    const std::filesystem::path& Home() const { return m_home; }
    template <class T>
    std::vector<T*> Views();
    // The first open view of the class once one shows (null when none did).
    template <class T>
    T* WaitView(const std::string& what);
    bool ProgramEnded() const;

    // ---- input
    void Click(QWidget* widget, QPoint at = QPoint(-1, -1), Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {});
    void DoubleClick(QWidget* widget, QPoint at = QPoint(-1, -1));
    void RightClick(QWidget* widget, QPoint at = QPoint(-1, -1));
    // Press, moves and release (a drag) from one point of a widget to another.
    void Drag(QWidget* widget, QPoint from, QPoint to);
    void MoveMouse(QWidget* widget, QPoint at);
    // The mouse wheel turned by notches over a point (positive: away from the user, up).
    void Wheel(QWidget* widget, int notches, QPoint at = QPoint(-1, -1));
    void Key(int key, Qt::KeyboardModifiers modifiers = {});
    void TypeText(const QString& text);

    // ---- menus: paths of item texts joined by '|', '&' marks optional
    // The main frame's menu bar, or that of the frame window given (a floating window).
    void ChooseMenu(const QString& path, QWidget* window = nullptr);
    void ChoosePopup(const QString& path);
    // Whether the last item of the path is enabled, looked up without opening the menu
    // (the update handlers run as when it opens).
    bool MenuItemEnabled(const QString& path);
    // The titles of the menu bar's top menus.
    QStringList MenuBarTitles();

    // ---- windows
    QWidget* WaitModal(const QString& title, std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // The modal window open now (null when none).
    QWidget* ActiveModal();
    QString WindowTitle(QWidget* window);
    void PressButton(QWidget* window, const QString& text);
    QWidget* Control(QWidget* dialog, int id);
    // Clicks into the control, selects what it holds and types the text.
    void FillControl(QWidget* dialog, int id, const QString& text);
    // Opens the combo box's list with a click on its arrow and clicks the item of that text.
    void ChooseComboItem(QWidget* combo, const QString& text);
    // Answers the file dialog open now: chooses the file type whose filter text starts with
    // type (when given), types the path into the name box and presses Return.
    bool AnswerFileDialog(const QString& path, const QString& type = QString());
    // Answers the "Date and Time" dialog once it shows: the date and the time typed into
    // their fields as a trader types them, then OK; false when it did not take them.
    bool AnswerDateTime(const QDate& date, const QTime& time);
    QString ControlText(QWidget* dialog, int id);
    // Clicks the frame's title bar where no other window covers it: an MDI child comes to
    // the front (activated as from the Window menu when it is covered all along), a
    // floating frame is activated.
    void RaiseFrame(QWidget* frameWidget);
    // The close box of an MDI child (in the menu bar's corner when maximized) or a
    // floating frame.
    void CloseFrame(QWidget* frameWidget);

    // ---- report lists (CListCtrl and the quote grid)
    int RowOf(CListCtrl* list, const QString& text, const QString& column = QString());
    int RowCount(CListCtrl* list);
    QString CellText(CListCtrl* list, int row, const QString& column);
    std::vector<QStringList> ListRows(CListCtrl* list);
    QStringList ColumnTitles(CListCtrl* list);
    // Each title and cell that its column is too narrow to show whole, one line each
    // (empty when all show whole).
    std::string CutCells(CListCtrl* list);
    void ClickRow(CListCtrl* list, const QString& text, const QString& column = QString());
    void ClickCell(CListCtrl* list, const QString& rowText, const QString& column, Qt::MouseButton button,
                   bool doubleClick = false);
    void ClickHeader(CListCtrl* list, const QString& column, Qt::MouseButton button = Qt::LeftButton);

    // ---- ending
    // File -> Exit by the menu; waits until the program's loop has ended.
    void ExitByMenu();
    bool WaitForEnd(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // Harness: the program's state.
    void SetEnded() { m_ended = true; }

private:
    // Runs the call on the UI thread and waits for it; what it throws is thrown here.
    void RunOnUi(const std::function<void()>& call);
    void MouseAt(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int what);
    void ChooseInMenus(QWidget* first, const QStringList& items, int from);

    CWorkstationApp& m_app;
    qx::testbroker::CTestBroker& m_broker;
    std::filesystem::path m_home;
    CSessionWatchdog& m_watchdog;
    std::atomic<bool> m_ended{false};
};

// Item text without its '&' marks and accelerator ("E&xit\tCtrl+Q" -> "Exit").
QString PlainMenuText(const QString& text);
// The screen point of the entry of that plain text in a menu bar or a menu (null when there
// is none). UI thread.
QPoint MenuEntryPoint(QWidget* barOrMenu, const QString& text);
// A button of an MDI window's title bar (QStyle::SC_TitleBarCloseButton ...), in the
// window's coordinates; invalid when it has none. UI thread.
QRect TitleBarButton(QMdiSubWindow* sub, QStyle::SubControl button);
// The modal window, popup, active window and mouse grabber, for a failure's message.
QString DescribeFocus();
// The menu paths that open each of the 13 window kinds, in the main window or floating
// ("&Quotes|&Level I", "F&loating|&Level I", ...).
const QStringList& WindowKindMenuItems(bool floating);

// A broker, a user data folder that points at it, and the workstation run with a script.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The broker's options before it starts (market paused, free ports by default).
    virtual void Configure(qx::testbroker::TestBrokerOptions&) {}

    // Runs CWorkstationApp::Main logged in to the broker, with the script on its own
    // thread; returns the program's exit status. Arguments go after the login options.
    int RunWorkstation(const std::function<void(CSession&)>& script, const std::vector<std::string>& arguments = {});

    qx::testbroker::CTestBroker& Broker() { return *m_broker; }
    const std::filesystem::path& Home() const { return m_home; }
    // Temporary files of the safe file writer left in the user data folder.
    std::vector<std::string> TemporaryFiles() const;
    // Modification time of a user file in milliseconds since 1970 (0 when missing).
    int64_t FileStamp(const char* name) const;

private:
    std::unique_ptr<qx::testbroker::CTestBroker> m_broker;
    std::filesystem::path m_home;
};

// Sessions with the broker's clock at 7:00 of a weekday, before the open: its charts and
// lists end at the close of the session before, whose history the broker holds.
class BeforeTheOpenSessionTest : public SessionTest {
protected:
    void Configure(qx::testbroker::TestBrokerOptions& options) override;
};

// Sessions judged by what a window manager makes of the windows: openbox is started on
// the X server before each session, and stopped after it. They skip off X or without
// openbox, and fail when it does not start up.
class ManagedSessionTest : public SessionTest {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::unique_ptr<qx::testsupport::COpenbox> m_openbox;
};

// The first account of the broker's user.
std::string FirstAccount(qx::testbroker::CTestBroker& broker);

}  // namespace qx::sessions

template <class T>
std::vector<T*> qx::sessions::CSession::Views()
{
    std::vector<T*> out;
    for (CView* view : m_app.GetWindowViews())
        if (auto* t = dynamic_cast<T*>(view))
            out.push_back(t);
    return out;
}

template <class T>
T* qx::sessions::CSession::WaitView(const std::string& what)
{
    T* view = nullptr;
    WaitFor(what, [&] {
        const std::vector<T*> views = Views<T>();
        view = views.empty() ? nullptr : views.front();
        return view != nullptr;
    });
    return view;
}
