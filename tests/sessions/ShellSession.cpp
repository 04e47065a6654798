// The main frame as a trader meets it: its tool bar, menu bars, window arrangement and
// the Level I window's detach and option-chain commands.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CToolBar.h"
#include "views/ui/Level1View.h"

#include "common/windows/ShellIds.h"

#include <QMenuBar>
#include <QToolBar>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class ShellSessionTest : public SessionTest {};

TEST_F(ShellSessionTest, TheToolBarsContextMenuHidesTheBarAndTheProgramGoesOn)
{
    const int status = RunWorkstation([&](CSession& s) {
        CToolBar* toolBar = s.OnUi([&] { return s.App().MainFrame()->GetToolBar(); });
        QWidget* bar = s.OnUi([&] { return toolBar->GetWidget(); });
        const QPoint empty = s.OnUi([&] { return QPoint(bar->width() - 4, bar->height() / 2); });
        s.RightClick(bar, empty);
        s.ChoosePopup("Tool Bar");
        EXPECT_TRUE(s.WaitFor("the tool bar hidden", [&] { return !bar->isVisible(); }));
        s.Pause(1500ms);  // idle updates of the tool bar's buttons run
        // The menu bar's context menu brings it back, buttons and boxes working.
        QWidget* menuBar = s.OnUi([&] { return s.App().MainFrame()->GetOuterWidget()->findChild<QMenuBar*>(); });
        s.RightClick(menuBar, s.OnUi([&] { return QPoint(menuBar->width() - 4, menuBar->height() / 2); }));
        s.ChoosePopup("Tool Bar");
        EXPECT_TRUE(s.WaitFor("the tool bar shown", [&] { return bar->isVisible(); }));
        EXPECT_EQ(s.OnUi([&] { return toolBar->GetButtonCount(); }), 8);
        s.ChooseMenu("&Quotes|&Level I");
        EXPECT_TRUE(s.WaitFor("the Go button enabled",
                              [&] { return toolBar->IsButtonEnabled(ID_SYMBOL_GO); }));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qx::sessions
