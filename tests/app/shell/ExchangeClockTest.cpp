// The exchange's wall clock on a computer in another zone, on the nights that zone skips or
// repeats an hour too: the status bar clock and the Go to dialogs of the time and sales
// window and of a chart show the exchange's time, and Go to gives back the time it showed. The
// broker's clock (and with it the session's) is set to the case's instant; the expected
// texts come from the system's zone data for New York.
#include "ShellBrokerFixture.h"
#include "tests/support/ScopedTimeZone.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/core/FeedTime.h"
#include "chart/ui/CGraphsView.h"
#include "chart/ui/ChartIds.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CDocument.h"
#include "platform/ui/CStatusBar.h"
#include "platform/ui/CView.h"
#include "views/ui/CTimeSalesView.h"
#include "studies/plots/CStudyPlot.h"
#include "views/ui/ListWindowIds.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <functional>
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
// 29 March at 02:00 and falls back on 25 October at 03:00; Los Angeles changes on New York's
// days, three hours later.
const ClockCase kCases[] = {
    // 02:30:15 in New York: an hour Berlin's clock skips that night.
    {"BerlinSpringsForward", "Europe/Berlin", 1774765815, "02:30:"},
    // 02:30:15 in New York: an hour Berlin's clock runs twice that night.
    {"BerlinFallsBack", "Europe/Berlin", 1792909815, "02:30:"},
    // 03:30:15 in New York, just after its own clock sprang forward (Los Angeles: the day before).
    {"LosAngelesSpringsForward", "America/Los_Angeles", 1772955015, "03:30:"},
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

// The date and time fields a dialog showed before the button was clicked on it.
struct ShownDialog {
    bool seen = false;
    std::string date, time;
};

// Runs the command that opens the dialog, reads its fields and clicks the button.
ShownDialog AnswerDialog(const std::function<void()>& open, int button)
{
    ShownDialog shown;
    std::function<void()> look = [&] {
        auto* dialog = dynamic_cast<CDialog*>(CWnd::FromWidget(QApplication::activeModalWidget()));
        CWnd* clicked = dialog ? dialog->GetDlgItem(button) : nullptr;
        if (!clicked || !clicked->GetWidget() || !clicked->GetWidget()->isVisible()) {
            QTimer::singleShot(5, look);
            return;
        }
        shown = {true, dialog->GetDlgItem(1040)->GetWindowText().str(), dialog->GetDlgItem(1041)->GetWindowText().str()};
        MouseClick(clicked->GetWidget(), clicked->GetWidget()->rect().center());
    };
    QTimer::singleShot(5, look);
    open();
    return shown;
}

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
    int64_t opened = BrokerNow();
    const ShownDialog goTo = AnswerDialog([&] { ticks->SendMessage(WM_COMMAND, ID_TS_GOTO); }, IDOK);
    int64_t closed = BrokerNow();
    ASSERT_TRUE(goTo.seen) << "no Go to dialog came up";
    std::set<std::string> dates = NewYorkTexts(opened - 1, closed, "%-m/%-d/%Y");
    std::set<std::string> times = NewYorkTexts(opened - 1, closed, "%-I:%M:%S %p");
    EXPECT_EQ(dates.count(goTo.date), 1u) << "Go to shows the date " << goTo.date << "; New York's" << Listed(dates);
    EXPECT_EQ(times.count(goTo.time), 1u) << "Go to shows the time " << goTo.time << "; New York's" << Listed(times);

    int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    char half[3] = {};
    ASSERT_EQ(std::sscanf(goTo.date.c_str(), "%d/%d/%d", &month, &day, &year), 3) << goTo.date;
    ASSERT_EQ(std::sscanf(goTo.time.c_str(), "%d:%d:%d %2s", &hour, &minute, &second, half), 4) << goTo.time;
    hour = hour % 12 + (std::string(half) == "PM" ? 12 : 0);
    EXPECT_EQ(ticks->GetGoToFeedTime(), DateTimeToFeedTime(year, month, day, hour, minute, second))
        << "Go to went to another time than the one it showed";

    // A chart's Go to starts at the exchange's now too.
    auto* chart = dynamic_cast<CGraphsView*>(app.OpenWindowOfKind(kKindChart, false)->GetFirstView());
    ASSERT_NE(chart, nullptr);
    chart->ChangeSymbolInterval("IBM", "D", false);
    ASSERT_TRUE(PumpUntil([&] { return chart->IsInitialised() && chart->GetSeriesPlot() && chart->GetSeriesPlot()->IsReady(); },
                          20000));
    opened = BrokerNow();
    const ShownDialog chartGoTo = AnswerDialog([&] { chart->SendMessage(WM_COMMAND, ID_GOTO_DATE); }, IDCANCEL);
    closed = BrokerNow();
    ASSERT_TRUE(chartGoTo.seen) << "no Go to dialog came up on the chart";
    dates = NewYorkTexts(opened - 1, closed, "%-m/%-d/%Y");
    times = NewYorkTexts(opened - 1, closed, "%-I:%M:%S %p");
    EXPECT_EQ(dates.count(chartGoTo.date), 1u) << "the chart's Go to shows the date " << chartGoTo.date;
    EXPECT_EQ(times.count(chartGoTo.time), 1u)
        << "the chart's Go to shows the time " << chartGoTo.time << "; New York's" << Listed(times);
    CloseAndExit(app);
}

INSTANTIATE_TEST_SUITE_P(Zones, ExchangeClock, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ClockCase>& info) { return std::string(info.param.name); });
