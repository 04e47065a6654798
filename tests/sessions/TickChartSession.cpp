// A trader's chart of ticks: Time & Sales open, the tool bar's Chart button opens a chart
// of the trades; the trades land at their prices and the tool bar names the period. Go to
// Date/Time shows the trades of the chosen time, as the broker's history holds them, a
// year back as at once as an hour back; scrolling far back holds the chart to bounded
// records and history requests; Go to now from far back shows what a fresh chart shows, at
// the slot of now however long the dialog stayed open.
#include "tests/sessions/SessionHarness.h"
#include "tests/support/WeekdayShift.h"

#include "analytics/series/CPriceSeries.h"
#include "app/shell/CMainFrame.h"
#include "broker/core/FeedTime.h"
#include "broker/protocol/HistoryFormat.h"
#include "broker/session/CMarketCalendar.h"
#include "broker/session/CSessionManager.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CSheetsWnd.h"
#include "platform/ui/CToolBar.h"
#include "platform/ui/QtConvert.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "tests/sessions/ChartTextInk.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/ExchangeClock.h"
#include "views/ui/CTimeSalesView.h"

#include <QComboBox>
#include <QDateTime>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;
using qx::testsupport::CInkMask;

class TickChartSessionTest : public SessionTest {};


// The price pane of a chart open, other than the one given.
CGraphsView* PricePane(CSession& s, CGraphsView* other = nullptr)
{
    for (CGraphsView* view : s.Views<CGraphsView>())
        if (CChartController* chart = view->GetChart(); chart && chart->GetPricePane() != other)
            return chart->GetPricePane();
    return nullptr;
}

// The rows of a pixel column from top to bottom painted in the colour.
std::vector<int> RowsOfColour(const QImage& image, int x, int top, int bottom, QRgb colour)
{
    std::vector<int> rows;
    for (int y = std::max(0, top); y <= std::min(bottom, image.height() - 1); ++y)
        if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff))
            rows.push_back(y);
    return rows;
}

// Time & Sales, then the tool bar's Chart button: the price pane of a chart of its ticks,
// loaded (null when none came); a chart open already (other) is not it.
CGraphsView* OpenTickChart(CSession& s, CGraphsView* other = nullptr)
{
    s.ChooseMenu("&Quotes|&Time && Sales");
    if (!s.WaitFor("a Time & Sales window with its series", [&] {
            const auto views = s.Views<CTimeSalesView>();
            return !views.empty() && views.front()->GetSeries() && !views.front()->GetSeries()->IsWaitingForData();
        }))
        return nullptr;
    QWidget* toolBar = s.OnUi([&] { return s.App().MainFrame()->GetToolBar()->GetWidget(); });
    s.PressButton(toolBar, "Chart");
    CGraphsView* pane = nullptr;
    const bool loaded = s.WaitFor("a chart of ticks", [&] {
        pane = PricePane(s, other);
        CPricePlot* price = pane ? pane->GetPricePlot() : nullptr;
        return price && pane->IsInitialised() && price->GetPriceSeries() &&
               !price->GetPriceSeries()->IsWaitingForData() && pane->GetGraphsDoc()->GetInterval() == "0";
    }, 30s);
    return loaded ? pane : nullptr;
}

// OpenTickChart with the bars drawn closest, for a few minutes of slots in view.
CGraphsView* OpenTickChartCloseUp(CSession& s, CGraphsView* other = nullptr)
{
    CGraphsView* pane = OpenTickChart(s, other);
    if (!pane)
        return nullptr;
    for (int i = 0; i < 4; ++i)
        s.ChooseMenu("Cha&rt|Decrease spacing between ba&rs");
    EXPECT_EQ(s.OnUi([&] { return pane->GetGraphsDoc()->GetBarSpacing(); }), 2.0);
    return pane;
}

// Sessions on MSFT with a close-up tick chart open: the body gets its price pane, and File ->
// Exit ends the session after it.
template <class Base>
class TickChartCloseUpSessionTest : public Base {
protected:
    void RunOnTickChart(const std::function<void(CSession&, CGraphsView*)>& body)
    {
        const int status = this->RunWorkstation(
            [&](CSession& s) {
                CGraphsView* pane = OpenTickChartCloseUp(s);
                ASSERT_NE(pane, nullptr);
                body(s, pane);
                if (!::testing::Test::HasFatalFailure())
                    s.ExitByMenu();
            },
            {"--symbol", "MSFT"});
        EXPECT_EQ(status, 0);
    }
};

class TickChartHistorySessionTest : public TickChartCloseUpSessionTest<BeforeTheOpenSessionTest> {};

// The broker's clock at noon of a weekday: the chart's newest slot is the one of now.
class TickChartMiddaySessionTest : public TickChartCloseUpSessionTest<SessionTest> {
protected:
    void Configure(qx::testbroker::TestBrokerOptions& options) override
    {
        const int64_t now = std::time(nullptr);
        options.clockShiftSeconds = qx::testsupport::SecondsToNoon(now);
        options.clockShiftDays = qx::testsupport::DaysBackToWeekday(now + options.clockShiftSeconds);
    }
};

// MSFT's regular session on a date by the program's calendar file: false on a weekend or a
// holiday.
bool RegularSession(CSession& s, const QDate& date, QTime& open, QTime& close)
{
    const CSessionRules* rules =
        s.OnUi([] { return CSessionManager::Instance()->GetCalendar().FindSessionRules("NASD:MSFT"); });
    if (date.dayOfWeek() > 5)
        return false;
    open = QTime(9, 30);
    close = QTime(16, 0);
    const auto special = rules ? rules->specialDays.find(date.year() * 10000 + date.month() * 100 + date.day())
                               : std::map<int, CSpecialDay>::const_iterator();
    if (rules && special != rules->specialDays.end()) {
        if (!special->second.regular.flag)
            return false;
        open = QTime(0, 0).addSecs(special->second.regular.open * 60);
        close = QTime(0, 0).addSecs(special->second.regular.close * 60);
    }
    return true;
}

// The trading day on or before the date with the whole regular session.
QDate TradingDayOnOrBefore(CSession& s, QDate date)
{
    QTime open, close;
    while (!RegularSession(s, date, open, close) || open != QTime(9, 30) || close != QTime(16, 0))
        date = date.addDays(-1);
    return date;
}

// The slot n slots before a slot of the regular sessions: a walk over the days, each
// session in two-second slots from its open.
QDateTime SlotBefore(CSession& s, QDateTime slot, qint64 n)
{
    QTime open, close;
    if (!RegularSession(s, slot.date(), open, close))
        return {};
    qint64 before = open.secsTo(slot.time()) / 2; // slots of its session before it
    while (n > before) {
        n -= before + 1;
        QDate day = slot.date().addDays(-1);
        while (!RegularSession(s, day, open, close))
            day = day.addDays(-1);
        slot = QDateTime(day, close.addSecs(-2));
        before = open.secsTo(close) / 2 - 1;
    }
    return slot.addSecs(-2 * n);
}

// Start and end of a visible bar of the pane's price plot, in exchange time.
struct BarSpan {
    QDateTime start, end;
    bool operator==(const BarSpan&) const = default;
};

QDateTime ExchangeDateTime(DWORD feedTime)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    FeedTimeToDate(feedTime, y, mo, d);
    FeedTimeToTimeOfDay(feedTime, h, mi, sec);
    return QDateTime(QDate(y, mo, d), QTime(h, mi, sec));
}

BarSpan SpanOfBar(CGraphsView* pane, int bar)
{
    DWORD start = 0, end = 0;
    CPricePlot* price = pane->GetPricePlot();
    if (!price->GetBarTime(bar, CStudyPlot::kBarStart, start) || !price->GetBarTime(bar, CStudyPlot::kBarEnd, end))
        return {};
    return {ExchangeDateTime(start), ExchangeDateTime(end)};
}

// The start of the newest slot in view (UI thread).
QDateTime NewestSlotInView(CGraphsView* pane)
{
    return SpanOfBar(pane, pane->GetPricePlot()->GetLastVisibleBar()).start;
}

// The centre of the pane's plot, where a trader clicks into the chart.
QPoint PlotCentre(CSession& s, CGraphsView* pane)
{
    return s.OnUi([&] {
        const CPoint centre = pane->GetPlotRect().CenterPoint();
        return QPoint(centre.x, centre.y);
    });
}

// Go to Date/Time from the pane's menu; an invalid date leaves the dialog's own (now).
bool GoToDateTime(CSession& s, CGraphsView* pane, const QDate& date, const QTime& time)
{
    QWidget* paneWidget = s.OnUi([&] { return pane->GetWidget(); });
    s.RightClick(paneWidget, PlotCentre(s, pane));
    s.ChoosePopup("&Go to Date/Time...");
    if (date.isValid())
        return s.AnswerDateTime(date, time);
    s.WaitModal("Date and Time");
    s.Key(Qt::Key_Return);
    return s.WaitFor("the Date and Time dialog closed", [&] { return s.ActiveModal() == nullptr; });
}

// Go to 11:05:47 of a day: true once its 11:05:46 slot is the newest in view.
bool GoToElevenFiveOf(CSession& s, CGraphsView* pane, const QDate& date)
{
    return GoToDateTime(s, pane, date, QTime(11, 5, 47)) &&
           s.WaitFor("the chart at " + date.toString(Qt::ISODate).toStdString(), [&] {
               return NewestSlotInView(pane) == QDateTime(date, QTime(11, 5, 46));
           }, 30s);
}

// The history requests the broker received so far.
int HistoryRequests(CSession& s)
{
    const std::vector<std::string> received = s.Broker().ReceivedRequests();
    return static_cast<int>(std::count(received.begin(), received.end(), "history"));
}

// Where the pane paints each trade (bar index -> price) with the bars' colour: the rows of
// the pixel column at the bar's x, and the row the pane's scale gives the price.
struct PaintedTrade {
    std::vector<int> rows;
    int expectedRow = 0;
};
std::map<int, PaintedTrade> PaintedTrades(CSession& s, CGraphsView* pane, const std::map<int, double>& trades)
{
    return s.OnUi([&] {
        std::map<int, PaintedTrade> out;
        const QImage image = pane->GetWidget()->grab().toImage();
        const CRect plot = pane->GetPlotRect();
        const CPriceScale scale = pane->MakeScale();
        const QRgb bars = ToQColor(SchemeColor(kSchemeBars)).rgb();
        const double spacing = pane->GetGraphsDoc()->GetBarSpacing();
        const int first = pane->GetPricePlot()->GetFirstVisibleBar();
        for (const auto& [bar, price] : trades) {
            const int x = BarIndexToX(spacing, bar, first, plot.left);
            out[bar] = {RowsOfColour(image, x, plot.top, plot.bottom, bars), scale.PriceToY(price)};
        }
        return out;
    });
}

// What the pane shows once the history of its slots has come, the newest slot in view
// given: consecutive slots on the time axis, each minute's trade from the broker's records
// in the slot that starts the minute (as Time & Sales shows it), painted at its price on a
// scale that spans them. Returns the first slot in view (invalid when the pane never
// showed the newest slot).
QDateTime ExpectTradesUpTo(CSession& s, CGraphsView* pane, const QDateTime& newestSlot, const std::string& what)
{
    QDateTime firstShown;
    const bool loaded = s.WaitFor(what, [&] {
        return NewestSlotInView(pane) == newestSlot && !pane->GetPricePlot()->GetPriceSeries()->IsWaitingForData();
    }, 30s);
    EXPECT_TRUE(loaded) << s.OnUi([&] { return NewestSlotInView(pane).toString().toStdString(); });
    if (!loaded)
        return firstShown;
    s.Settle();
    struct Shown {
        int first = 0, last = 0;
        std::vector<BarSpan> spans;
    };
    const Shown shown = s.OnUi([&] {
        Shown out;
        CPricePlot* price = pane->GetPricePlot();
        out.first = price->GetFirstVisibleBar();
        out.last = price->GetLastVisibleBar();
        for (int bar = out.first; bar <= out.last; ++bar)
            out.spans.push_back(SpanOfBar(pane, bar));
        return out;
    });
    EXPECT_GE(shown.last - shown.first, 120) << what << ": fewer than four minutes of slots in view";
    for (size_t k = 0; k < shown.spans.size(); ++k) {
        const qint64 back = 2 * static_cast<qint64>(shown.spans.size() - 1 - k);
        EXPECT_EQ(shown.spans[k].start, newestSlot.addSecs(-back)) << what << " " << k;
        EXPECT_EQ(shown.spans[k].end, newestSlot.addSecs(2 - back)) << what << " " << k;
    }
    if (shown.spans.empty())
        return firstShown;
    firstShown = shown.spans.front().start;

    const auto feed = [](const QDateTime& t) {
        return qx::protocol::HistoryFeedTime(t.date().year(), t.date().month(), t.date().day(), t.time().hour(),
                                             t.time().minute(), t.time().second());
    };
    const QDate day = newestSlot.date();
    const int64_t dayAfter = qx::testbroker::DaysFromDate(day.year(), day.month(), day.day()) + 1;
    const auto minutes = qx::testbroker::CHistoryGenerator().Bars(
        s.Broker().Symbol("MSFT")->profile, {qx::testbroker::HistoryInterval::Minutes, 1}, false, feed(firstShown),
        feed(newestSlot), 1000, dayAfter);
    std::map<int, double> trades; // bar index -> price
    double low = 1e300, high = -1e300;
    for (const auto& minute : minutes) {
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
        qx::protocol::SplitHistoryFeedTime(minute.feedTime, y, mo, d, h, mi, sec);
        const QDateTime start(QDate(y, mo, d), QTime(h, mi, sec));
        trades[shown.first + static_cast<int>(firstShown.secsTo(start) / 2)] = minute.close;
        low = std::min(low, minute.close);
        high = std::max(high, minute.close);
    }
    EXPECT_GE(trades.size(), 4u) << what;

    const auto range = [&] { return s.OnUi([&] { return std::make_pair(pane->GetLowest(), pane->GetHighest()); }); };
    EXPECT_TRUE(s.WaitFor("the scale spanning the trades in view", [&] {
        return pane->GetLowest() == low && pane->GetHighest() == high;
    })) << what << ": " << range().first << " .. " << range().second << ", the trades " << low << " .. " << high;

    // One row of the bars' colour at each trade's x, where the scale puts its price.
    for (const auto& [bar, painted] : PaintedTrades(s, pane, trades))
        EXPECT_EQ(painted.rows, std::vector<int>{painted.expectedRow})
            << what << ": the trade at "
            << shown.spans[static_cast<size_t>(bar - shown.first)].start.toString().toStdString()
            << ", " << trades.at(bar);
    return firstShown;
}

// What a tick chart shows, to tell two charts by: the slot of each bar in view, the rows
// painted in the bars' colour at its x (its trade), and the time axis strip.
struct ChartPicture {
    std::vector<BarSpan> spans;
    std::vector<std::vector<int>> trades;
    QImage axis;
};

ChartPicture PictureOf(CSession& s, CGraphsView* pane)
{
    s.Settle();
    return s.OnUi([&] {
        ChartPicture out;
        const QImage image = pane->GetWidget()->grab().toImage();
        const CRect plot = pane->GetPlotRect();
        const QRgb bars = ToQColor(SchemeColor(kSchemeBars)).rgb();
        const double spacing = pane->GetGraphsDoc()->GetBarSpacing();
        CPricePlot* price = pane->GetPricePlot();
        const int first = price->GetFirstVisibleBar();
        for (int bar = first; bar <= price->GetLastVisibleBar(); ++bar) {
            out.spans.push_back(SpanOfBar(pane, bar));
            const int x = BarIndexToX(spacing, bar, first, plot.left);
            out.trades.push_back(RowsOfColour(image, x, plot.top, plot.bottom, bars));
        }
        out.axis = image.copy(0, plot.bottom + 1, plot.right, image.height() - plot.bottom - 1);
        return out;
    });
}

std::string TimeText(const QDateTime& time)
{
    return time.toString(Qt::ISODate).toStdString();
}

// The chart shows what the fresh one does: the same slots, their trades painted on the same
// rows, the same time axis.
void ExpectSameView(const ChartPicture& shown, const ChartPicture& fresh, const std::string& what)
{
    ASSERT_EQ(shown.spans.size(), fresh.spans.size()) << what << ": bars in view";
    ASSERT_FALSE(shown.spans.empty()) << what;
    EXPECT_TRUE(shown.spans.front() == fresh.spans.front() && shown.spans.back() == fresh.spans.back())
        << what << ": " << TimeText(shown.spans.front().start) << " .. " << TimeText(shown.spans.back().start)
        << " in view, a fresh chart shows " << TimeText(fresh.spans.front().start) << " .. "
        << TimeText(fresh.spans.back().start);
    for (size_t k = 0; k < shown.spans.size(); ++k)
        if (!(shown.spans[k] == fresh.spans[k]) || shown.trades[k] != fresh.trades[k]) {
            ADD_FAILURE() << what << ": bar " << k << " of the view, " << TimeText(shown.spans[k].start) << " with "
                          << shown.trades[k].size() << " rows of trade, is " << TimeText(fresh.spans[k].start)
                          << " with " << fresh.trades[k].size() << " in a fresh chart";
            break;
        }
    EXPECT_TRUE(shown.axis == fresh.axis) << what << ": the time axis differs from a fresh chart's";
}

// Bars of the view, from the fraction `from` of it to `to`, whose trade is painted.
int TradesShown(const ChartPicture& picture, double from, double to)
{
    const auto n = static_cast<double>(picture.trades.size());
    return static_cast<int>(std::count_if(picture.trades.begin() + static_cast<std::ptrdiff_t>(from * n),
                                          picture.trades.begin() + static_cast<std::ptrdiff_t>(to * n),
                                          [](const std::vector<int>& rows) { return !rows.empty(); }));
}

// The lower row of the pane's time axis as a trader reads it: each run of ink is one whole
// "hh:mm" label, the time of a bar under it. Returns the labels read, and in `unread` the
// runs that are none (labels drawn over each other, or cut by the pane's edge, among them).
std::vector<QString> ReadTimeLabels(CSession& s, CGraphsView* pane, std::string& unread)
{
    s.Settle();
    return s.OnUi([&] {
        std::vector<QString> labels;
        const QImage image = pane->GetWidget()->grab().toImage();
        CGraphsDoc& doc = *pane->GetGraphsDoc();
        const CAxisMetrics metrics = doc.GetMetrics();
        const CRect plot = pane->GetPlotRect();
        const CAppSettings& settings = *CAppSettings::Instance();
        const COLORREF text = settings.m_chartColors[kChartColorText];
        const COLORREF ground = settings.m_chartColors[kChartColorBackground];
        const QRgb groundRgb = ToQColor(ground).rgb();
        const QRgb grid = ToQColor(settings.m_chartColors[kChartColorGrid]).rgb();
        // From below the axis line to the lower row's base line, without the boundaries'
        // tick lines.
        const auto withoutGrid = [&](QImage picture) {
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    if ((picture.pixel(x, y) & 0xffffff) == (grid & 0xffffff))
                        picture.setPixel(x, y, groundRgb);
            return picture;
        };
        const int axisTop = image.height() - metrics.labelHeight;
        const int top = axisTop + 1;
        const int bottom = axisTop - metrics.internalLeading + 2 + metrics.ascent;
        const CInkMask ink(withoutGrid(image.copy(0, top, plot.right, bottom - top)),
                           [&](int) { return groundRgb; });
        const auto inkAt = [&](int x) {
            for (int y = 0; y < ink.Height(); ++y)
                if (ink.At(x, y))
                    return true;
            return false;
        };
        const double spacing = doc.GetBarSpacing();
        CPricePlot* price = pane->GetPricePlot();
        const int first = price->GetFirstVisibleBar();
        for (int x = 0; x < ink.Width();) {
            if (!inkAt(x)) {
                ++x;
                continue;
            }
            // A run: ink columns less than four apart.
            int end = x, gap = 0;
            for (int k = x + 1; k < ink.Width() && gap < 4; ++k) {
                if (inkAt(k)) {
                    end = k;
                    gap = 0;
                } else {
                    ++gap;
                }
            }
            const int from = x;
            x = end + 4;
            const CInkMask run = ink.Cut(from, end + 1);
            bool read = false;
            for (int bar = first; bar <= price->GetLastVisibleBar() && !read; ++bar) {
                const int barX = BarIndexToX(spacing, bar, first, plot.left);
                if (barX < from || barX > end)
                    continue;
                const QString label = SpanOfBar(pane, bar).start.toString("hh:mm");
                const QImage alone = ChartTextPicture(doc, CString(label.toUtf8().constData()), text, ground);
                read = CInkMask(withoutGrid(alone), [&](int) { return groundRgb; }).Cut() == run;
                if (read)
                    labels.push_back(label);
            }
            if (!read)
                unread += "ink at x " + std::to_string(from) + ".." + std::to_string(end) +
                          " is no time of a bar under it\n";
        }
        return labels;
    });
}

// Go to now from far back: the pane shows what the fresh chart shows, and its time axis
// reads as times.
void ExpectAsFresh(CSession& s, CGraphsView* pane, CGraphsView* fresh, const std::string& what)
{
    // Both loaded, and repainted since.
    ASSERT_TRUE(s.WaitFor(what + ": the charts' slots loaded and painted", [&] {
        for (CGraphsView* chart : {pane, fresh})
            if (chart->GetPricePlot()->GetPriceSeries()->IsWaitingForData() ||
                chart->GetChart()->GetSignals()->redraw)
                return false;
        return true;
    }, 30s));
    const ChartPicture shown = PictureOf(s, pane);
    const ChartPicture reference = PictureOf(s, fresh);
    // The fresh chart has trades across its plot, for the two to be told apart by.
    EXPECT_GT(TradesShown(reference, 0, 0.5), 0) << what;
    EXPECT_GT(TradesShown(reference, 0.5, 1), 0) << what;
    ExpectSameView(shown, reference, what);
    std::string unread;
    const std::vector<QString> labels = ReadTimeLabels(s, pane, unread);
    EXPECT_GE(labels.size(), 3u) << what << ": times on the time axis";
    EXPECT_EQ(unread, "") << what;
}

} // namespace

TEST_F(TickChartSessionTest, TheChartButtonOverTimeAndSalesDrawsTheTradesAtTheirPrices)
{
    const int status = RunWorkstation(
        [&](CSession& s) {
            CGraphsView* pane = OpenTickChart(s);
            ASSERT_NE(pane, nullptr);

            // The box names the period as its own list does.
            auto* box = s.OnUi([&] { return qobject_cast<QComboBox*>(s.App().MainFrame()->GetIntervalCombo().GetWidget()); });
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(s.WaitFor("the interval box naming the ticks", [&] { return box->currentText() == "Tick"; }))
                << box->currentText().toStdString();
            EXPECT_GE(s.OnUi([&] { return box->findText(box->currentText()); }), 0) << "not an item of the list";
            // The chart's interval strip has no tab for ticks: none shows selected.
            EXPECT_EQ(s.OnUi([&] {
                CSheetsWnd* strip = pane->GetChart()->GetTabStrip(1);
                return strip ? strip->GetCurSel() : -2;
            }), -1);

            // Five trades a quarter apart, past the series' "now" by the program's clock.
            s.Pause(2500ms);
            const double last = s.Broker().Symbol("MSFT")->last;
            std::vector<double> prices;
            for (int i = 1; i <= 5; ++i) {
                prices.push_back(std::round((last + 0.25 * i) * 100) / 100);
                ASSERT_TRUE(s.Broker().InjectTrade("MSFT", prices.back(), 100u * static_cast<uint32_t>(i), "ARCA"));
            }
            ASSERT_TRUE(s.WaitFor("the trades in the chart's series", [&] {
                CPriceSeries* series = pane->GetPricePlot()->GetPriceSeries();
                const std::vector<CBarRecord> records = series->CopyRecords();
                if (records.size() < prices.size())
                    return false;
                for (size_t k = 0; k < prices.size(); ++k) {
                    const CBarRecord& r = records[records.size() - prices.size() + k];
                    if (!r.m_bValid || std::fabs(r.m_fields[3] - prices[k]) > 1e-9)
                        return false;
                }
                return true;
            }));

            // The pane's scale, as last painted, holds the trades' prices (not a range around 0).
            const auto scaleText = [&] {
                return s.OnUi([&] {
                    const CPriceScale scale = pane->MakeScale();
                    return std::to_string(scale.GetMin()) + " .. " + std::to_string(scale.GetMax());
                });
            };
            EXPECT_TRUE(s.WaitFor("the chart's scale holding the trades", [&] {
                const CPriceScale scale = pane->MakeScale();
                return scale.GetMin() > 0 && scale.GetMin() <= prices.front() && scale.GetMax() >= prices.back();
            })) << scaleText();

            // What the pane shows: the newest five bars are the trades, once it has painted them.
            std::map<int, double> trades;
            std::map<int, PaintedTrade> shown;
            s.WaitFor("the trades painted as the newest bars", [&] {
                const int newestBar = pane->GetPricePlot()->GetLastVisibleBar();
                trades.clear();
                for (size_t k = 0; k < prices.size(); ++k)
                    trades[newestBar - static_cast<int>(prices.size() - 1 - k)] = prices[k];
                shown = PaintedTrades(s, pane, trades);
                return std::all_of(shown.begin(), shown.end(), [](const auto& each) {
                    return each.second.rows.size() == 1 && each.second.rows.front() == each.second.expectedRow;
                });
            });
            std::vector<int> rows;
            for (const auto& [bar, painted] : shown) {
                ASSERT_EQ(painted.rows.size(), 1u) << "the trade of bar " << bar;
                // At the row the price scale gives the trade's price.
                EXPECT_EQ(painted.rows.front(), painted.expectedRow) << "the trade at " << trades.at(bar);
                rows.push_back(painted.rows.front());
            }
            // Prices a quarter apart rise by even steps up the pane.
            for (size_t k = 1; k < rows.size(); ++k) {
                EXPECT_LT(rows[k], rows[k - 1]) << k;
                EXPECT_NEAR(rows[k - 1] - rows[k], (rows.front() - rows.back()) / 4.0, 1.0) << k;
            }
            s.ExitByMenu();
        },
        {"--symbol", "MSFT"});
    EXPECT_EQ(status, 0);
}

// A tick chart scrolled back on a busy symbol: the bars in view stay while trades come in,
// the series holds a bounded number of records, and back at the newest bar the chart shows
// the newest trades.
TEST_F(TickChartSessionTest, AChartScrolledBackStaysOnItsBarsAndHoldsBoundedRecordsAsTradesComeIn)
{
    const int status = RunWorkstation(
        [&](CSession& s) {
            CGraphsView* pane = OpenTickChart(s);
            ASSERT_NE(pane, nullptr);
            CPriceSeries* series = s.OnUi([&] { return pane->GetPricePlot()->GetPriceSeries(); });
            QWidget* paneWidget = s.OnUi([&] { return pane->GetWidget(); });
            s.Click(paneWidget, PlotCentre(s, pane));
            s.Key(Qt::Key_Left, Qt::ControlModifier);
            ASSERT_TRUE(s.WaitFor("the chart scrolled back, its slots loaded", [&] {
                return pane->GetGraphsDoc()->GetScrollOffset() < 0 && !series->IsWaitingForData();
            }));
            s.Settle();
            const auto inView = [&] {
                return s.OnUi([&] {
                    CPricePlot* price = pane->GetPricePlot();
                    return std::make_pair(SpanOfBar(pane, price->GetFirstVisibleBar()).start,
                                          SpanOfBar(pane, price->GetLastVisibleBar()).start);
                });
            };
            const auto viewBefore = inView();
            ASSERT_TRUE(viewBefore.first.isValid() && viewBefore.second.isValid());
            const int held = s.OnUi([&] { return series->GetRecordCount(); });
            ASSERT_GT(held, 0);

            // Three times the records the series held, the last one told by its price.
            s.Pause(2500ms);
            const double last = s.Broker().Symbol("MSFT")->last;
            const int trades = 3 * held;
            double newest = 0;
            for (int i = 0; i < trades; ++i) {
                newest = std::round((last + 0.01 * (i % 40) + (i + 1 == trades ? 1.0 : 0.0)) * 100) / 100;
                ASSERT_TRUE(s.Broker().InjectTrade("MSFT", newest, 100u, "ARCA"));
            }
            const auto newestRecordIs = [&](double price) {
                return s.OnUi([&] {
                    const std::vector<CBarRecord> records = series->CopyRecords();
                    return !records.empty() && records.back().m_bValid &&
                           std::fabs(records.back().m_fields[3] - price) < 1e-9;
                });
            };
            ASSERT_TRUE(s.WaitFor("the busy trades in the chart's series", [&] { return newestRecordIs(newest); }, 120s));
            // The chart follows the series on its next timer tick.
            EXPECT_TRUE(s.WaitFor("the bars in view as they were", [&] { return inView() == viewBefore; }));
            const auto viewAfter = inView();
            EXPECT_EQ(viewAfter, viewBefore) << viewAfter.first.toString().toStdString() << " .. "
                                             << viewAfter.second.toString().toStdString() << " against "
                                             << viewBefore.first.toString().toStdString() << " .. "
                                             << viewBefore.second.toString().toStdString();
            // Those from the newest bar in view back, and of the newer ones at most twice as
            // many as the series held.
            EXPECT_LE(s.OnUi([&] { return series->GetRecordCount(); }), 3 * held);

            // Forward to the newest bar: the chart follows the trades again, and holds as many
            // records as before they came.
            const auto offset = [&] { return s.OnUi([&] { return pane->GetGraphsDoc()->GetScrollOffset(); }); };
            const int step = s.OnUi([&] { return pane->GetGraphsDoc()->GetVisibleBarCount() * 4 / 5; });
            for (int i = 0; i < 40 && offset() + step <= 0; ++i)
                s.Key(Qt::Key_Right, Qt::ControlModifier);
            for (int i = 0; i < step && offset() < 0; ++i)
                s.Key(Qt::Key_Right);
            ASSERT_EQ(offset(), 0);
            EXPECT_EQ(s.OnUi([&] { return series->GetRecordCount(); }), held);
            EXPECT_TRUE(newestRecordIs(newest));
            s.ExitByMenu();
        },
        {"--symbol", "MSFT"});
    EXPECT_EQ(status, 0);
}

TEST_F(TickChartHistorySessionTest, GoToDateTimeShowsTheTradesOfThatTimeAtTheirPrices)
{
    RunOnTickChart([&](CSession& s, CGraphsView* pane) {
        // The day of the chart's newest trade slot: the session before the broker's today.
        const QDate day = s.OnUi([&] {
            CPricePlot* price = pane->GetPricePlot();
            return SpanOfBar(pane, price->GetLastVisibleBar()).start.date();
        });
        ASSERT_TRUE(day.isValid());

        // Go to Date/Time from the pane's menu, typed: 11:05:47 AM of that day, hours
        // before the first slot the chart holds.
        ASSERT_TRUE(GoToDateTime(s, pane, day, QTime(11, 5, 47)));

        // The newest slot in view holds the chosen time.
        const QDateTime firstShown =
            ExpectTradesUpTo(s, pane, QDateTime(day, QTime(11, 5, 46)), "the slots up to 11:05:46");
        ASSERT_TRUE(firstShown.isValid());

        // Live trades come in meanwhile: the pane stays on the chosen time.
        CPriceSeries* series = s.OnUi([&] { return pane->GetPricePlot()->GetPriceSeries(); });
        const int appended = series->GetLiveAppends();
        const double last = s.Broker().Symbol("MSFT")->last;
        for (int i = 1; i <= 5; ++i)
            ASSERT_TRUE(s.Broker().InjectTrade("MSFT", std::round((last + 0.01 * i) * 100) / 100, 100u, "ARCA"));
        ASSERT_TRUE(s.WaitFor("the live trades in the chart's series",
                              [&] { return series->GetLiveAppends() == appended + 5; }));
        ExpectTradesUpTo(s, pane, QDateTime(day, QTime(11, 5, 46)), "the slots up to 11:05:46 after live trades");

        // Ctrl+Left twice, past the slots the Go to brought: each press scrolls back four
        // fifths of the bars in view, and those slots show their trades too.
        const int step = s.OnUi([&] { return pane->GetGraphsDoc()->GetVisibleBarCount() * 4 / 5; });
        s.Click(s.OnUi([&] { return pane->GetWidget(); }), PlotCentre(s, pane));
        s.Key(Qt::Key_Left, Qt::ControlModifier);
        s.Key(Qt::Key_Left, Qt::ControlModifier);
        const QDateTime earlier = QDateTime(day, QTime(11, 5, 46)).addSecs(-2 * 2 * step);
        ASSERT_LT(earlier, firstShown);
        ExpectTradesUpTo(s, pane, earlier, "the slots two scrolls back");
    });
}

// Go to a month, six months and a year back, and before the broker's oldest history: each
// ends at once with the chosen time's slot the newest in view, for which alone the series
// holds records and asks history. Go to now then shows the live trades again.
TEST_F(TickChartHistorySessionTest, GoToDateTimeFarBackShowsThatTimeAtOnceWithBoundedRecordsAndRequests)
{
    RunOnTickChart([&](CSession& s, CGraphsView* pane) {
        const QDate day = s.OnUi([&] { return NewestSlotInView(pane).date(); });
        ASSERT_TRUE(day.isValid());
        const auto records = [&] {
            return s.OnUi([&] { return pane->GetPricePlot()->GetPriceSeries()->GetRecordCount(); });
        };

        for (int daysBack : {30, 182, 365}) {
            const QDate date = TradingDayOnOrBefore(s, day.addDays(-daysBack));
            const std::string what = "the slots up to 11:05:46 of " + date.toString(Qt::ISODate).toStdString();
            const int requests = HistoryRequests(s);
            ASSERT_TRUE(GoToDateTime(s, pane, date, QTime(11, 5, 47)));
            ASSERT_TRUE(ExpectTradesUpTo(s, pane, QDateTime(date, QTime(11, 5, 46)), what).isValid());
            // Records for about what the chart shows, not for every slot since: at most
            // 100,000 (some 5 MiB of ticks).
            EXPECT_LE(records(), 100000) << what;
            // History asked for the slots shown: a request or two, not one per day back.
            EXPECT_LE(HistoryRequests(s) - requests, 2) << what;
        }

        // Before the broker's first day of history: the chosen slot the newest in view,
        // without trades.
        const QDate early = TradingDayOnOrBefore(s, QDate(1999, 6, 16));
        const int requests = HistoryRequests(s);
        ASSERT_TRUE(GoToDateTime(s, pane, early, QTime(11, 5, 47)));
        EXPECT_TRUE(s.WaitFor("the slot of 11:05:46 in 1999 the newest in view, loaded", [&] {
            return NewestSlotInView(pane) == QDateTime(early, QTime(11, 5, 46)) &&
                   !pane->GetPricePlot()->GetPriceSeries()->IsWaitingForData();
        })) << s.OnUi([&] { return NewestSlotInView(pane).toString().toStdString(); });
        EXPECT_LE(records(), 100000);
        EXPECT_LE(HistoryRequests(s) - requests, 2);
        EXPECT_EQ(s.OnUi([&] {
            CPricePlot* price = pane->GetPricePlot();
            int valid = 0;
            for (int bar = price->GetFirstVisibleBar(); bar <= price->GetLastVisibleBar(); ++bar) {
                CBarRecord record;
                valid += price->GetPriceSeries()->GetRecord(bar, record) && record.m_bValid ? 1 : 0;
            }
            return valid;
        }), 0);

        // Go to as the dialog opens, at now: the chart ends at the newest slot again and
        // takes the live trades.
        ASSERT_TRUE(GoToDateTime(s, pane, QDate(), QTime()));
        ASSERT_TRUE(s.WaitFor("the chart back at its newest slots", [&] {
            return NewestSlotInView(pane).date() >= day &&
                   !pane->GetPricePlot()->GetPriceSeries()->IsWaitingForData();
        })) << s.OnUi([&] { return NewestSlotInView(pane).toString().toStdString(); });
        const double price = std::round((s.Broker().Symbol("MSFT")->last + 0.37) * 100) / 100;
        ASSERT_TRUE(s.Broker().InjectTrade("MSFT", price, 300u, "ARCA"));
        EXPECT_TRUE(s.WaitFor("the live trade the chart's newest record", [&] {
            const std::vector<CBarRecord> all = pane->GetPricePlot()->GetPriceSeries()->CopyRecords();
            return !all.empty() && all.back().m_bValid && std::fabs(all.back().m_fields[3] - price) < 1e-9;
        }));
    });
}

// Scrolling a tick chart back by Ctrl+Left, key after key, far past a day of slots: the
// series never holds more than a bounded number of records, and where the scrolling stops
// the slots show their trades.
TEST_F(TickChartHistorySessionTest, ScrollingFarBackKeepsTheRecordsBoundedAndShowsTheTradesScrolledTo)
{
    RunOnTickChart([&](CSession& s, CGraphsView* pane) {
        const QDateTime newest = s.OnUi([&] { return NewestSlotInView(pane); });
        const int step = s.OnUi([&] { return pane->GetGraphsDoc()->GetVisibleBarCount() * 4 / 5; });
        ASSERT_GT(step, 100);
        s.Click(s.OnUi([&] { return pane->GetWidget(); }), PlotCentre(s, pane));
        const int requests = HistoryRequests(s);
        // 150,000 slots back: some thirteen sessions.
        const int presses = 150000 / step + 1;
        int most = 0;
        for (int i = 0; i < presses; ++i) {
            s.Key(Qt::Key_Left, Qt::ControlModifier);
            most = std::max(most, s.OnUi([&] { return pane->GetPricePlot()->GetPriceSeries()->GetRecordCount(); }));
        }
        EXPECT_LE(most, 100000);
        // History is asked for the slots the scrolling stops at, not for those of each press.
        EXPECT_LE(HistoryRequests(s) - requests, presses / 10);
        // The newest slot in view lies as many slots back as the presses scrolled over.
        const QDateTime reached = SlotBefore(s, newest, static_cast<qint64>(presses) * step);
        ASSERT_TRUE(reached.isValid());
        ExpectTradesUpTo(s, pane, reached, "the slots scrolled to, " + reached.toString(Qt::ISODate).toStdString());
    });
}

// Go to a month back, then Go to with the dialog's own time, now: the chart shows what a
// fresh tick chart of the symbol shows, the same slots with their trades and a time axis of
// times, and takes live trades as it does. So after Go to six months back and now, and after
// Ctrl+Left far back and Go to now.
TEST_F(TickChartHistorySessionTest, GoToNowFromFarBackShowsWhatAFreshChartShows)
{
    RunOnTickChart([&](CSession& s, CGraphsView* pane) {
        const QDate day = s.OnUi([&] { return NewestSlotInView(pane).date(); });
        ASSERT_TRUE(day.isValid());
        const auto goFarBackAndNow = [&](int daysBack) {
            ASSERT_TRUE(GoToElevenFiveOf(s, pane, TradingDayOnOrBefore(s, day.addDays(-daysBack))));
            ASSERT_TRUE(GoToDateTime(s, pane, QDate(), QTime()));
        };

        goFarBackAndNow(30);
        CGraphsView* fresh = OpenTickChartCloseUp(s, pane);
        ASSERT_NE(fresh, nullptr);
        ExpectAsFresh(s, pane, fresh, "a month back and now");

        goFarBackAndNow(182);
        ExpectAsFresh(s, pane, fresh, "six months back and now");

        // Ctrl+Left until the chart is laid out afresh far back, then Go to now.
        const int step = s.OnUi([&] { return pane->GetGraphsDoc()->GetVisibleBarCount() * 4 / 5; });
        ASSERT_GT(step, 100);
        s.Click(s.OnUi([&] { return pane->GetWidget(); }), PlotCentre(s, pane));
        for (int i = 0; i < CGraphsView::kMostScrolledRecords / step + 2; ++i)
            s.Key(Qt::Key_Left, Qt::ControlModifier);
        ASSERT_TRUE(s.OnUi([&] { return pane->GetPricePlot()->GetPriceSeries()->IsHistorical(); }))
            << "not laid out afresh far back";
        ASSERT_TRUE(GoToDateTime(s, pane, QDate(), QTime()));
        ExpectAsFresh(s, pane, fresh, "Ctrl+Left far back and now");

        // Live trades reach both charts alike.
        const double last = s.Broker().Symbol("MSFT")->last;
        std::vector<CPriceSeries*> series;
        for (CGraphsView* chart : {pane, fresh})
            series.push_back(s.OnUi([&] { return chart->GetPricePlot()->GetPriceSeries(); }));
        std::vector<int> appended;
        for (CPriceSeries* each : series)
            appended.push_back(each->GetLiveAppends());
        for (int i = 0; i < 20; ++i) {
            const double price = std::round((last + 0.01 * (i % 7)) * 100) / 100;
            ASSERT_TRUE(s.Broker().InjectTrade("MSFT", price, 100u, "ARCA"));
        }
        ASSERT_TRUE(s.WaitFor("the live trades in both charts", [&] {
            return series[0]->GetLiveAppends() == appended[0] + 20 &&
                   series[1]->GetLiveAppends() == appended[1] + 20;
        }));
        ExpectAsFresh(s, pane, fresh, "live trades after Go to now");
    });
}

// Go to a month back, then Go to now while the clock passes a slot with the dialog open: the
// chart ends at the slot of now, not at the one the dialog opened in, and shows the next trade
// newest, as a fresh chart does.
TEST_F(TickChartMiddaySessionTest, GoToNowWithTheDialogOpenAcrossASlotEndsAtTheNewestSlotAndFollowsTrades)
{
    RunOnTickChart([&](CSession& s, CGraphsView* pane) {
        const QDate day = s.OnUi([&] { return NewestSlotInView(pane).date(); });
        ASSERT_TRUE(GoToElevenFiveOf(s, pane, TradingDayOnOrBefore(s, day.addDays(-30))));

        s.RightClick(s.OnUi([&] { return pane->GetWidget(); }), PlotCentre(s, pane));
        s.ChoosePopup("&Go to Date/Time...");
        QWidget* dialog = s.WaitModal("Date and Time");
        ASSERT_NE(dialog, nullptr);
        const QDateTime opened(QDate::fromString(s.ControlText(dialog, 1040), "M/d/yyyy"),
                               QTime::fromString(s.ControlText(dialog, 1041), "h:mm:ss AP"));
        ASSERT_TRUE(opened.isValid());
        // Two-second slots from the open: the one after the dialog's.
        const QDateTime nextSlot = opened.addSecs(2 - opened.time().second() % 2);
        const auto exchangeNow = [] {
            const SYSTEMTIME now = CSessionManager::GetCurrentExchangeTime();
            return QDateTime(QDate(now.wYear, now.wMonth, now.wDay), QTime(now.wHour, now.wMinute, now.wSecond));
        };
        ASSERT_TRUE(s.WaitFor("the exchange's clock in the next slot",
                              [&] { return exchangeNow() >= nextSlot; }));
        s.Key(Qt::Key_Return);
        ASSERT_TRUE(s.WaitFor("the Date and Time dialog closed", [&] { return s.ActiveModal() == nullptr; }));

        CPriceSeries* series = s.OnUi([&] { return pane->GetPricePlot()->GetPriceSeries(); });
        ASSERT_TRUE(s.WaitFor("the chart back at now, loaded", [&] {
            series = pane->GetPricePlot()->GetPriceSeries();
            return NewestSlotInView(pane).date() == day && !series->IsWaitingForData();
        }, 30s));
        const QDateTime newest = s.OnUi([&] { return NewestSlotInView(pane); });
        EXPECT_GE(newest, nextSlot) << TimeText(newest) << " the newest slot in view, the dialog opened at "
                                    << TimeText(opened);
        EXPECT_EQ(s.OnUi([&] { return pane->GetGraphsDoc()->GetScrollOffset(); }), 0);

        // A trade now: the newest bar in view.
        const double price = std::round((s.Broker().Symbol("MSFT")->last + 0.37) * 100) / 100;
        ASSERT_TRUE(s.Broker().InjectTrade("MSFT", price, 300u, "ARCA"));
        EXPECT_TRUE(s.WaitFor("the trade the newest bar in view", [&] {
            CBarRecord newest;
            return series->GetRecord(pane->GetPricePlot()->GetLastVisibleBar(), newest) && newest.m_bValid &&
                   std::fabs(newest.m_fields[3] - price) < 1e-9;
        }));
    });
}

} // namespace qx::sessions
