// Modal loops against the application's run loop: quits, nesting and dialog results.
#include "UiTestSupport.h"

#include "platform/ui/CDialog.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CWinApp.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <memory>

namespace {

void LoadTemplates()
{
    static const bool loaded = CResourceStore::Instance().LoadText("modal-test", R"(
dialog 5400
  caption "Confirm"
  size 120 50
  control edit 1401 "" 5 5 60 14
  control button 1 "OK" 5 30 40 14 default
end
dialog 5401
  caption "Page"
  style child
  size 100 40
  control check 1402 "Keep" 5 5 60 10
end
)");
    ASSERT_TRUE(loaded);
}

// Acts on the active modal window once act() accepts it; tries for about two seconds.
void WhenModal(std::function<bool(QWidget*)> act, int tries = 400)
{
    QTimer::singleShot(5, [act = std::move(act), tries]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        if ((!w || !act(w)) && tries > 0)
            WhenModal(std::move(act), tries - 1);
    });
}

// Clicks `button` on the next message box that comes up.
void AnswerMessageBox(QMessageBox::StandardButton button)
{
    WhenModal([button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->button(button))
            return false;
        box->button(button)->click();
        return true;
    });
}

// Ends `dlg` with `result` once it is the active modal window; notes that it was.
void EndWhenModal(CDialog& dlg, int result, bool* seen)
{
    WhenModal([&dlg, result, seen](QWidget* w) {
        if (w != dlg.GetWidget())
            return false;
        *seen = true;
        dlg.EndDialog(result);
        return true;
    });
}

CFrameWnd* MakeMainFrame(CWinApp& app)
{
    auto frame = std::make_unique<CFrameWnd>();
    if (!frame->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE))
        return nullptr;
    app.m_pMainWnd = frame.release();  // deletes itself with its window
    return static_cast<CFrameWnd*>(app.m_pMainWnd);
}

}  // namespace

TEST(ModalLoops, ClosingTheMainFrameWithoutARunningLoopLeavesLaterModalsWorking)
{
    LoadTemplates();
    CWinApp app("QuitTest");
    CFrameWnd* frame = MakeMainFrame(app);
    ASSERT_NE(frame, nullptr);
    frame->SendMessage(WM_CLOSE);  // asks the application to quit
    PumpFor(5);
    EXPECT_EQ(app.m_pMainWnd, nullptr);

    CDialog dlg(5400);
    bool seen = false;
    EndWhenModal(dlg, IDRETRY, &seen);
    EXPECT_EQ(dlg.DoModal(), IDRETRY);
    EXPECT_TRUE(seen);

    AnswerMessageBox(QMessageBox::No);
    EXPECT_EQ(AfxMessageBox("Save the workspace?", MB_YESNO), IDNO);

    CPropertyPage page(5401);
    CPropertySheet sheet("Options");
    sheet.AddPage(&page);
    bool sheetSeen = false;
    WhenModal([&](QWidget* w) {
        auto* buttons = w->findChild<QDialogButtonBox*>();
        if (!buttons || !buttons->button(QDialogButtonBox::Ok))
            return false;
        sheetSeen = true;
        buttons->button(QDialogButtonBox::Ok)->click();
        return true;
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_TRUE(sheetSeen);
}

TEST(ModalLoops, QuitDuringAModalEndsTheRunLoopOnlyAfterTheModalReturns)
{
    LoadTemplates();
    struct App : CWinApp {
        App() : CWinApp("NestedQuitTest") {}
        INT_PTR modalResult = 0;
        bool stillModalAfterQuit = false;
        BOOL InitInstance() override
        {
            if (!MakeMainFrame(*this))
                return FALSE;
            QTimer::singleShot(0, [this] {
                CDialog dlg(5400, m_pMainWnd);
                WhenModal([this, &dlg](QWidget* w) {
                    if (w != dlg.GetWidget())
                        return false;
                    PostQuit(5);
                    // The dialog keeps running until it ends itself.
                    QTimer::singleShot(30, [this, &dlg] {
                        stillModalAfterQuit = QApplication::activeModalWidget() == dlg.GetWidget();
                        dlg.EndDialog(IDOK);
                    });
                    return true;
                });
                modalResult = dlg.DoModal();
            });
            return TRUE;
        }
    };
    App app;
    EXPECT_EQ(app.Main(0, nullptr), 5);
    EXPECT_EQ(app.modalResult, IDOK);
    EXPECT_TRUE(app.stillModalAfterQuit);

    // The main frame went with the run; a last message still waits for its answer.
    AnswerMessageBox(QMessageBox::Ok);
    EXPECT_EQ(AfxMessageBox("Goodbye", MB_OKCANCEL), IDOK);
}

TEST(ModalLoops, QuitAskedDuringInitialisationEndsTheRunAtOnce)
{
    struct App : CWinApp {
        App() : CWinApp("EarlyQuitTest") {}
        bool idled = false;
        BOOL InitInstance() override
        {
            PostQuit(4);
            return TRUE;
        }
        BOOL OnIdle(LONG count) override
        {
            idled = true;
            return CWinApp::OnIdle(count);
        }
    };
    App app;
    EXPECT_EQ(app.Main(0, nullptr), 4);
    EXPECT_FALSE(app.idled);

    // The request went with that run: a modal afterwards runs until it is answered.
    AnswerMessageBox(QMessageBox::Retry);
    EXPECT_EQ(AfxMessageBox("Try again?", MB_RETRYCANCEL), IDRETRY);
}

TEST(ModalLoops, EndDialogReturnsItsOwnCodeThroughNestedLoops)
{
    LoadTemplates();

    // A message box inside a dialog answers for itself; the dialog ends with its own code.
    CDialog outer(5400);
    int boxAnswer = 0;
    WhenModal([&](QWidget* w) {
        if (w != outer.GetWidget())
            return false;
        AnswerMessageBox(QMessageBox::No);
        boxAnswer = AfxMessageBox("Replace the order?", MB_YESNOCANCEL);
        EXPECT_TRUE(outer.IsWindowVisible());
        outer.EndDialog(IDRETRY);
        return true;
    });
    EXPECT_EQ(outer.DoModal(), IDRETRY);
    EXPECT_EQ(boxAnswer, IDNO);

    // The outer dialog ended while an inner one still runs: each returns its own code.
    CDialog first(5400);
    INT_PTR innerResult = 0;
    bool innerSeen = false;
    WhenModal([&](QWidget* w) {
        if (w != first.GetWidget())
            return false;
        CDialog inner(5400, &first);
        WhenModal([&](QWidget* iw) {
            if (iw != inner.GetWidget())
                return false;
            innerSeen = true;
            first.EndDialog(IDABORT);
            QTimer::singleShot(10, [&] { inner.EndDialog(IDIGNORE); });
            return true;
        });
        innerResult = inner.DoModal();
        return true;
    });
    EXPECT_EQ(first.DoModal(), IDABORT);
    EXPECT_TRUE(innerSeen);
    EXPECT_EQ(innerResult, IDIGNORE);
}
