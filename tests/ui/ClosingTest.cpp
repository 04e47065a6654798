// Closing windows from inside their own handlers, and ending modal loops from outside:
// nothing Qt is still using is freed under it.
#include "UiTestSupport.h"

#include "platform/ui/CDialog.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/ModalLoops.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace {

constexpr UINT kMenu = 5500;
constexpr UINT kExit = 5501;
constexpr UINT kAsk = 5502;

void LoadTemplates()
{
    static const bool loaded = CResourceStore::Instance().LoadText("closing-test", R"(
menu 5500
  popup "&File"
    item 5502 "&Ask..."
    separator
    item 5501 "E&xit"
  end
end
dialog 5510
  caption "Question"
  size 120 50
  control button 1 "OK" 5 30 40 14 default
end
)");
    ASSERT_TRUE(loaded);
}

// A top-level frame whose Exit command closes it the way a main frame does, and whose
// Ask command waits in a message box.
class ExitingFrame : public CFrameWnd {
public:
    int askAnswer = 0;
    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map = MessageMapFor<ExitingFrame>(CFrameWnd::GetMessageMap())
                                           .Command(kExit, &ExitingFrame::OnExit)
                                           .Command(kAsk, &ExitingFrame::OnAsk)
                                           .Build();
        return map;
    }
    void OnExit() { SendMessage(WM_CLOSE); }
    void OnAsk() { askAnswer = MessageBox("Keep going?", "Question", MB_YESNO); }
};

ExitingFrame* MakeFrame()
{
    auto frame = std::make_unique<ExitingFrame>();
    if (!frame->LoadFrame(kMenu, WS_OVERLAPPEDWINDOW | WS_VISIBLE))
        return nullptr;
    frame->m_bAutoDelete = true;
    return frame.release();  // deletes itself with its window
}

// Opens the first popup of the frame's menu bar by a click and returns it.
QMenu* OpenFirstPopup(CFrameWnd& frame)
{
    auto* window = qobject_cast<QMainWindow*>(frame.GetOuterWidget());
    if (!window)
        return nullptr;
    QMenuBar* bar = window->menuBar();
    QAction* top = bar->actions().value(0);
    if (!top || !top->menu())
        return nullptr;
    MouseClick(bar, bar->actionGeometry(top).center());
    PumpUntil([&] { return top->menu()->isVisible(); });
    return top->menu()->isVisible() ? top->menu() : nullptr;
}

QAction* ItemOf(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

}  // namespace

TEST(Closing, AFrameClosedByItsOwnMenuCommandGoesAfterTheMenuEventReturned)
{
    LoadTemplates();
    ExitingFrame* frame = MakeFrame();
    ASSERT_NE(frame, nullptr);
    const HWND handle = frame->m_hWnd;
    QPointer<QWidget> window = frame->GetOuterWidget();
    QMenu* file = OpenFirstPopup(*frame);
    ASSERT_NE(file, nullptr);
    QAction* exit = ItemOf(file, "E&xit");
    ASSERT_NE(exit, nullptr);

    // Nothing the menu's mouse event runs in may go while it runs.
    QPointer<QMenu> menu = file;
    bool inEvent = true;
    bool freedInEvent = false;
    for (QObject* watched : {static_cast<QObject*>(file), static_cast<QObject*>(window.data())})
        QObject::connect(watched, &QObject::destroyed, [&] { freedInEvent = freedInEvent || inEvent; });
    MouseClick(file, file->actionGeometry(exit).center());
    inEvent = false;
    EXPECT_FALSE(freedInEvent);
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());

    // The event loop destroys the frame, its widgets and its menu.
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(handle) && window.isNull() && menu.isNull(); }));
}

TEST(Closing, AWindowClosedWhileItsHandlerWaitsInAMessageBoxStaysUntilTheBoxReturns)
{
    LoadTemplates();
    ExitingFrame* frame = MakeFrame();
    ASSERT_NE(frame, nullptr);
    const HWND handle = frame->m_hWnd;
    bool stayedWhileAsked = false;
    QTimer::singleShot(5, [&] {
        // As a termination request would: the close arrives during the box's loop.
        ::PostMessage(handle, WM_CLOSE);
        QTimer::singleShot(30, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            stayedWhileAsked = box && IsWindow(handle);
            if (box)
                box->button(QMessageBox::Yes)->click();
        });
    });
    frame->SendMessage(WM_COMMAND, kAsk);
    EXPECT_TRUE(stayedWhileAsked);
    EXPECT_EQ(frame->askAnswer, IDYES);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(handle); }));
}

TEST(Closing, EndingTheModalLoopsAnswersEachWithItsCancel)
{
    LoadTemplates();
    CDialog dlg(5510);
    int boxAnswer = 0;
    QTimer::singleShot(5, [&] {
        QTimer::singleShot(20, [] { EndModalLoops(); });
        boxAnswer = AfxMessageBox("Download it now?", MB_YESNO);
    });
    // The box runs inside the dialog's loop; both end, innermost first.
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(boxAnswer, IDNO);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Closing, RefusedModalLoopsAnswerAtOnceWithoutShowing)
{
    LoadTemplates();
    RefuseModalLoops(true);
    bool shown = false;
    QTimer::singleShot(0, [&] { shown = QApplication::activeModalWidget() != nullptr; });
    EXPECT_EQ(AfxMessageBox("Replace the order?", MB_YESNO), IDNO);
    EXPECT_EQ(AfxMessageBox("Error writing portfolio settings"), IDOK);
    EXPECT_EQ(AfxMessageBox("Retry?", MB_RETRYCANCEL), IDCANCEL);
    CDialog dlg(5510);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_hWnd, HWND());
    RefuseModalLoops(false);
    PumpFor(5);
    EXPECT_FALSE(shown);

    // Allowed again: a dialog waits for its answer.
    QTimer::singleShot(5, [&] { dlg.EndDialog(IDOK); });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}
