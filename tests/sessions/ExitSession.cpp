// File -> Exit with every window kind open, in the main window and floating: the program
// ends with status 0, writes its settings and leaves no temporary file, run after run.
#include "tests/sessions/SessionHarness.h"

#include "platform/ui/CFrameWnd.h"

#include <thread>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class ExitSessionTest : public SessionTest {};

TEST_F(ExitSessionTest, EveryWindowKindOpenMdiAndFloatingExitsCleanlyTenTimes)
{
    for (int run = 1; run <= 10 && !HasFailure(); ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const int64_t before = std::max({FileStamp("gui.dat"), FileStamp("columns.dat"), FileStamp("profile.ini")});
        std::this_thread::sleep_for(20ms);  // a later stamp for what this run writes
        const int status = RunWorkstation([&](CSession& s) {
            size_t opened = 0;
            // Every other run the floating windows open first, so that one of them is active at the end.
            const QStringList& mdi = WindowKindMenuItems(false);
            const QStringList& floatingItems = WindowKindMenuItems(true);
            const QStringList items = run % 2 == 1 ? mdi + floatingItems : floatingItems + mdi;
            for (const QString& item : items) {
                s.ChooseMenu(item);
                ++opened;
                ASSERT_TRUE(s.WaitFor("the window of " + item.toStdString(),
                                      [&] { return s.App().GetWindowViews().size() == opened; }));
            }
            size_t floating = s.OnUi([&] {
                size_t n = 0;
                for (CView* view : s.App().GetWindowViews())
                    n += view->GetParentFrame()->GetOuterWidget()->isWindow() ? 1 : 0;
                return n;
            });
            EXPECT_EQ(floating, static_cast<size_t>(floatingItems.size()));
            s.Pause(std::chrono::milliseconds(100 * (run % 3)));  // quotes and history arrive meanwhile
            s.ExitByMenu();
        });
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(TemporaryFiles().empty());
        for (const char* file : {"gui.dat", "columns.dat", "profile.ini"})
            EXPECT_GT(FileStamp(file), before) << file << " not written";
    }
}

}  // namespace
}  // namespace qx::sessions
