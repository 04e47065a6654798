// File -> Exit with every window kind open, in the main window and floating: the program
// ends with status 0, writes its settings and leaves no temporary file, run after run. An
// exit by the menu or by a termination signal logs out quietly and last of all.
#include "tests/sessions/SessionHarness.h"

#include "broker/session/CSessionManager.h"
#include "platform/core/UserDataFolder.h"
#include "platform/ui/CFrameWnd.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>
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

// The lines of the program's log from a byte offset on.
std::vector<std::string> LogLinesFrom(const std::filesystem::path& file, std::streamoff offset)
{
    std::ifstream in(file);
    in.seekg(offset);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::streamoff FileSize(const std::filesystem::path& file)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    return ec ? 0 : static_cast<std::streamoff>(size);
}

TEST_F(ExitSessionTest, AnExitLogsOutLastWithTheStreamsClosedNotLost)
{
    const std::filesystem::path log = Home() / kLogFileName;
    for (int run = 1; run <= 4 && !HasFailure(); ++run) {
        const bool bySignal = run % 2 == 0;
        SCOPED_TRACE("run " + std::to_string(run) + (bySignal ? ", SIGTERM" : ", File -> Exit"));
        const std::streamoff logStart = FileSize(log);
        const std::vector<std::string> earlier = Broker().ReceivedRequests();
        const auto logOuts = static_cast<size_t>(std::count(earlier.begin(), earlier.end(), std::string("LogOut")));
        const int status = RunWorkstation([&](CSession& s) {
            ASSERT_TRUE(s.WaitFor("every stream connected", [] {
                CSessionManager* session = CSessionManager::Instance();
                return session && session->IsStreamConnected(0) && session->IsStreamConnected(1) &&
                       session->IsStreamConnected(2);
            }));
            // An account refresh answered slowly is under way as the program ends.
            s.Broker().DelayReplies(run % 3 == 0 ? "SavedOrders" : "OrderStatus", 200);
            const auto asked = [&] {
                const auto received = s.Broker().ReceivedRequests();
                return std::count(received.begin(), received.end(), std::string("BalancesAndPositions"));
            };
            const auto before = asked();
            s.OnUi([] { CSessionManager::Instance()->GetSession().WakeAccountRefresh(); });
            ASSERT_TRUE(s.WaitFor("the refresh under way", [&] { return asked() > before; }));
            if (bySignal) {
                ::raise(SIGTERM);
                EXPECT_TRUE(s.WaitForEnd());
            } else {
                s.ExitByMenu();
            }
        });
        EXPECT_EQ(status, 0);
        Broker().DelayReplies("SavedOrders", 0);
        Broker().DelayReplies("OrderStatus", 0);

        const std::vector<std::string> received = Broker().ReceivedRequests();
        const auto last = std::find(received.rbegin(), received.rend(), std::string("LogOut"));
        ASSERT_NE(last, received.rend()) << "no LogOut reached the broker";
        EXPECT_EQ(static_cast<size_t>(std::count(received.begin(), received.end(), std::string("LogOut"))), logOuts + 1);
        std::string after;
        for (auto it = received.rbegin(); it != last; ++it)
            after = " " + *it + after;
        EXPECT_TRUE(after.empty()) << "after LogOut:" << after;

        const std::vector<std::string> lines = LogLinesFrom(log, logStart);
        for (const std::string& line : lines) {
            EXPECT_EQ(line.find("connection lost"), std::string::npos) << line;
            EXPECT_EQ(line.find("Session has expired"), std::string::npos) << line;
        }
        for (const char* closed : {"stream 0: closed", "stream 1: closed", "stream 2: closed"})
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                    [&](const std::string& line) { return line.find(closed) != std::string::npos; }))
                << closed;
    }
}

}  // namespace
}  // namespace qx::sessions
