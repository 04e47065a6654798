// Windows closed, or the program ended by a termination signal, while a window's command
// waits in a dialog it opened (print, file, setup): the dialog ends, the window goes once
// its command has returned and nothing of it is used after it was freed (the sanitizer
// builds watch the freed memory).
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "platform/ui/CFrameWnd.h"

#include <QString>

#include <csignal>

namespace qx::sessions {
namespace {

struct CDialogCommand {
    const char* window;   // opens the window (main menu)
    const char* command;  // the window's command that opens a dialog (main menu, or the
                          // window's own when it floats); none when opening the window does
    bool accept = false;  // the dialog is answered with OK after the windows closed
};

const CDialogCommand kCommands[] = {
    {"&Quotes|&Time && Sales", "&File|&Print Time && Sales..."},
    {"&Quotes|&Time && Sales", "Time && &Sales|&Export Data..."},
    {"&Quotes|&Time && Sales", "Time && &Sales|&Filter..."},
    {"&Quotes|&Bar Table", "&File|&Print Bar Table..."},
    {"&Quotes|&Bar Table", "&Bar|&Export Data..."},
    {"&Quotes|Level &II", "Level &II|&Symbol..."},
    {"&Quotes|&Level I", "&File|&Print..."},
    {"&Quotes|&Level I", "Level &I|Export &Data..."},
    {"&Charts|&Chart", "Cha&rt|&Print Chart..."},
    {"&Charts|&Chart", "Cha&rt|Export &Image..."},
    {"&Charts|&Chart", "Cha&rt|&Color Bar Setup..."},
    {"&Charts|&BackTesting", "&Backtest|&Strategy Setup..."},
    {"&Trading|&Order Status", "&File|&Print Order Status..."},
    {"&Trading|&Order Status", "&Order Status|&Export Data..."},
    {"&Alerts|Alert &Manager", "&File|&Print Alerts..."},
    {"F&loating|&Time && Sales", "&File|&Print Time && Sales..."},
    {"F&loating|&Chart", "Cha&rt|Export &Image..."},
    {"&Quotes|&Option Chains", nullptr, true},
    {"&Quotes|&Screener", nullptr},
    {"&Quotes|&Actives", nullptr},
};

std::string Describe(const CDialogCommand& c)
{
    return std::string(c.window) + (c.command ? std::string(" then ") + c.command : std::string());
}

// MSFT in the toolbar's symbol box, for the windows opened next.
bool EnterSymbol(CSession& s)
{
    QWidget* box = s.OnUi([&] { return s.App().MainFrame()->GetSymbolCombo().GetWidget(); });
    s.Click(box);
    s.Key(Qt::Key_A, Qt::ControlModifier);
    s.TypeText("msft\n");
    return s.WaitFor("the symbol box to show MSFT", [&] { return s.App().MainFrame()->GetSymbolBox() == "MSFT"; });
}

// Opens the window, chooses its command and waits for the dialog; false when none shows.
bool OpenDialog(CSession& s, const CDialogCommand& c)
{
    s.ChooseMenu(c.window);
    if (!s.WaitFor("the window of " + std::string(c.window), [&] { return s.App().GetWindowViews().size() == 1; }))
        return false;
    if (!c.command)
        return s.WaitFor("a dialog of " + std::string(c.window), [&] { return s.ActiveModal() != nullptr; });
    QWidget* frame = s.OnUi([&]() -> QWidget* {
        CFrameWnd* f = s.App().GetWindowViews().front()->GetParentFrame();
        return f->GetOuterWidget()->isWindow() ? f->GetOuterWidget() : nullptr;
    });
    s.ChooseMenu(c.command, frame);
    return s.WaitFor("a dialog of " + std::string(c.command), [&] { return s.ActiveModal() != nullptr; });
}

class ClosingSessionTest : public SessionTest {};

TEST_F(ClosingSessionTest, WindowsClosedUnderTheirOwnDialogsGoOnceTheDialogsReturn)
{
    const int status = RunWorkstation([&](CSession& s) {
        ASSERT_TRUE(EnterSymbol(s));
        for (const CDialogCommand& c : kCommands) {
            SCOPED_TRACE(Describe(c));
            ASSERT_TRUE(OpenDialog(s, c));
            // Closing every window arrives while the dialog's loop runs, as a workspace
            // opened by a timer or the main window's close would.
            s.OnUi([&] { s.App().CloseAllWindows(); });
            EXPECT_TRUE(s.ActiveModal() != nullptr);
            if (c.accept)
                s.Key(Qt::Key_Return);
            for (int i = 0; i < 5 && s.ActiveModal(); ++i) {
                s.Key(Qt::Key_Escape);
                s.WaitFor("the dialog gone", [&] { return s.ActiveModal() == nullptr; }, std::chrono::seconds(2));
            }
            ASSERT_EQ(s.ActiveModal(), nullptr) << DescribeFocus().toStdString();
            EXPECT_TRUE(s.WaitFor("no window left", [&] { return s.App().GetWindowViews().empty(); }));
        }
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

TEST_F(ClosingSessionTest, ATerminationSignalUnderAWindowsDialogEndsTheDialogThenTheProgram)
{
    for (const CDialogCommand& c : kCommands) {
        SCOPED_TRACE(Describe(c));
        const int status = RunWorkstation([&](CSession& s) {
            ASSERT_TRUE(EnterSymbol(s));
            ASSERT_TRUE(OpenDialog(s, c));
            ::raise(SIGTERM);
            EXPECT_TRUE(s.WaitForEnd());
        });
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(TemporaryFiles().empty());
        if (HasFailure())
            break;
    }
}

}  // namespace
}  // namespace qx::sessions
