// The exchange's wall clock on a computer in another zone, on the nights that zone skips or
// repeats an hour too: the status bar clock and the Go to dialog of the time and sales
// window show the exchange's time, and the Go to dialog gives back the time it showed. The
// broker's clock (and with it the session's) is set to the case's instant; the expected
// texts come from the system's zone data for New York.
#include "ShellBrokerFixture.h"
#include "tests/support/ScopedTimeZone.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/core/FeedTime.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CDocument.h"
#include "platform/ui/CStatusBar.h"
#include "platform/ui/CView.h"
#include "views/ui/CTimeSalesView.h"
#include "views/ui/ListWindowIds.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <ostream>
#include <set>
#include <string>

namespace {

struct ClockCase {
    const char* name;
    const char* zone;    // this computer's zone
    int64_t instantUtc;  // where the broker's clock stands as the test starts
    const char* shownAt; // how the status clock's text starts in the minute that follows
};

// 2026: New York on daylight time from 8 March to 1 November; Berlin springs forward on
// 29 March at 02:00 and falls back on 25 October at 03:00; Los Angeles falls back on
// 1 November at 02:00.
const ClockCase kCases[] = {
    // 02:30:15 in New York: an hour Berlin's clock skips that night.
    {"BerlinSpringsForward", "Europe/Berlin", 1774765815, "02:30:"},
    // 02:30:15 in New York: an hour Berlin's clock runs twice that night.
    {"BerlinFallsBack", "Europe/Berlin", 1792909815, "02:30:"},
    // 01:30:15 in New York the first time, an hour both clocks run twice.
    {"LosAngelesFallsBack", "America/Los_Angeles", 1793511015, "01:30:"},
    {"Tokyo", "Asia/Tokyo", 1784255415, "22:30:"},
    {"Utc", "UTC", 1768530615, "21:30:"},
};

void PrintTo(const ClockCase& c, std::ostream* os)
{
    *os << c.name << " (" << c.zone << ")";
}

// The texts New York's clock shows between two instants, from the system's zone data.
std::set<std::string> NewYorkTexts(int64_t from, int64_t to, const char* format)
{
    const ScopedTimeZone newYork("America/New_York");
    std::set<std::string> texts;
    for (int64_t t = from; t <= to; ++t) {
        const time_t value = static_cast<time_t>(t);
        struct tm parts {};
        localtime_r(&value, &parts);
        char text[64] = {};
        std::strftime(text, sizeof text, format, &parts);
        texts.insert(text);
    }
    return texts;
}

std::string Listed(const std::set<std::string>& texts)
{
    std::string out;
    for (const std::string& text : texts)
        out += " \"" + text + "\"";
    return out;
}

class ExchangeClock : public ShellBrokerFixture, public ::testing::WithParamInterface<ClockCase> {
protected:
    void Configure(qx::testbroker::TestBrokerOptions& options) override
    {
        m_shift = GetParam().instantUtc - static_cast<int64_t>(time(nullptr));
        options.clockShiftSeconds = m_shift;
    }
    // The broker's clock now.
    int64_t BrokerNow() const { return static_cast<int64_t>(time(nullptr)) + m_shift; }

    int64_t m_shift = 0;
};

// The date and time fields the Go to dialog showed.
struct GoToDialog {
    bool seen = false;
    std::string date, time;
};

} // namespace

TEST_P(ExchangeClock, TheStatusClockAndGoToShowTheExchangesTimeAndGoToGivesItBack)
{
    const ScopedTimeZone zone(GetParam().zone);
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    CWorkstationApp app;
    app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
    ASSERT_TRUE(app.InitInstance());
    CStatusBar* bar = app.MainFrame()->GetStatusBar();
    ASSERT_NE(bar, nullptr);

    // The clock ticks each second: it reads New York's time of the broker's clock.
    std::set<std::string> expected;
    const bool shown = PumpUntil(
        [&] {
            const int64_t before = BrokerNow();
            const std::string text = bar->GetPaneText(3).str();
            expected = NewYorkTexts(before - 1, BrokerNow() + 1, "%H:%M:%S ET");
            return expected.count(text) == 1;
        },
        8000);
    EXPECT_TRUE(shown) << "the clock shows \"" << bar->GetPaneText(3).str() << "\"; New York's clock" << Listed(expected);
    EXPECT_EQ(bar->GetPaneText(3).Find(GetParam().shownAt), 0) << bar->GetPaneText(3).str();

    // Go to opens at the exchange's now and, answered with OK, goes to the time it showed.
    CDocument* doc = app.OpenWindowOfKind(kKindTimeSales, false);
    ASSERT_NE(doc, nullptr);
    auto* ticks = dynamic_cast<CTimeSalesView*>(doc->GetFirstView());
    ASSERT_NE(ticks, nullptr);
    GoToDialog seen;
    std::function<void()> look = [&] {
        auto* dialog = dynamic_cast<CDialog*>(CWnd::FromWidget(QApplication::activeModalWidget()));
        CWnd* ok = dialog ? dialog->GetDlgItem(IDOK) : nullptr;
        if (!ok || !ok->GetWidget() || !ok->GetWidget()->isVisible()) {
            QTimer::singleShot(5, look);
            return;
        }
        seen = {true, dialog->GetDlgItem(1040)->GetWindowText().str(), dialog->GetDlgItem(1041)->GetWindowText().str()};
        MouseClick(ok->GetWidget(), ok->GetWidget()->rect().center());
    };
    QTimer::singleShot(5, look);
    const int64_t opened = BrokerNow();
    ticks->SendMessage(WM_COMMAND, ID_TS_GOTO);
    const int64_t closed = BrokerNow();
    ASSERT_TRUE(seen.seen) << "no Go to dialog came up";
    const std::set<std::string> dates = NewYorkTexts(opened - 1, closed, "%-m/%-d/%Y");
    const std::set<std::string> times = NewYorkTexts(opened - 1, closed, "%-I:%M:%S %p");
    EXPECT_EQ(dates.count(seen.date), 1u) << "Go to shows the date " << seen.date << "; New York's" << Listed(dates);
    EXPECT_EQ(times.count(seen.time), 1u) << "Go to shows the time " << seen.time << "; New York's" << Listed(times);

    int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    char half[3] = {};
    ASSERT_EQ(std::sscanf(seen.date.c_str(), "%d/%d/%d", &month, &day, &year), 3) << seen.date;
    ASSERT_EQ(std::sscanf(seen.time.c_str(), "%d:%d:%d %2s", &hour, &minute, &second, half), 4) << seen.time;
    hour = hour % 12 + (std::string(half) == "PM" ? 12 : 0);
    EXPECT_EQ(ticks->GetGoToFeedTime(), DateTimeToFeedTime(year, month, day, hour, minute, second))
        << "Go to went to another time than the one it showed";
    CloseAndExit(app);
}

INSTANTIATE_TEST_SUITE_P(Zones, ExchangeClock, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ClockCase>& info) { return std::string(info.param.name); });
