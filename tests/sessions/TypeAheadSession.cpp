// Symbols typed through the X server as a quick typist types them (xdotool, 2 to 25 ms a
// key) into the windows whose typing opens the symbol prompt, under a window manager: the
// keys after the one that opens it all land in the prompt, in order and with their Shift
// state, and Return applies it; the keys after that Return wait for the answer to be
// applied, so two symbols typed one after the other apply in their order. The same for a
// dialog that a menu command chosen with the keyboard opens, and for a time typed into Go
// to Date/Time. On X only, a process of its own for each case (x11_sessions.TypeAhead.*):
// the first prompt of a process is the slow one.
#include "tests/sessions/SessionHarness.h"
#include "tests/ui/X11Keys.h"

#include "analytics/series/CPriceSeries.h"
#include "app/shell/CMainFrame.h"
#include "broker/core/FeedTime.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CFrameWnd.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CStudyPlot.h"
#include "tests/support/WeekdayShift.h"
#include "views/ui/CLevel2View.h"
#include "views/ui/CTimeSalesView.h"
#include "views/ui/Level1View.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWindow>

#include <algorithm>
#include <ctime>
#include <thread>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

// xdotool's arguments that type the text, delay ms a key.
QStringList Keys(int delay, const char* text)
{
    return QStringList{"key", "--delay", QString::number(delay)} + KeysOf(QString::fromLatin1(text));
}

// The first window of a title is slow to show, as on a loaded machine: its Show event waits
// before the window system maps it, while the keys typed meanwhile queue up.
class CSlowFirstShow final : public QObject {
public:
    explicit CSlowFirstShow(QString title) : QObject(qApp), m_title(std::move(title)) {}

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(object);
        if (!m_slowed && event->type() == QEvent::Show && widget && widget->isWindow() &&
            widget->windowTitle().startsWith(m_title)) {
            m_slowed = true;
            std::this_thread::sleep_for(300ms);
        }
        return false;
    }

private:
    QString m_title;
    bool m_slowed = false;
};

void SlowFirstShow(CSession& s, const QString& title)
{
    s.OnUi([&] { qApp->installEventFilter(new CSlowFirstShow(title)); });
}

// A chart in the main window: its price pane.
CGraphsView* OpenChart(CSession& s)
{
    s.ChooseMenu("&Charts|&Chart");
    CGraphsView* pane = nullptr;
    s.WaitFor("a chart", [&] {
        for (CGraphsView* view : s.Views<CGraphsView>())
            if (CChartController* chart = view->GetChart())
                pane = chart->GetPricePane();
        return pane != nullptr;
    });
    return pane;
}

// A window manager, as a trader has: it gives the prompt the focus in its own time.
class TypeAheadSessionTest : public ManagedSessionTest {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            GTEST_SKIP() << "no xdotool";
        ManagedSessionTest::SetUp();
    }

    // The widget's window gets the focus of the X server, a click puts the widget's focus
    // there, and xdotool sends the keys (its arguments) to the X server. Its "type" sends a
    // line end as Linefeed: Return follows that as a key of its own.
    static void TypeThroughX(CSession& s, QWidget* widget, const QStringList& xdotool)
    {
        QWindow* window = s.OnUi([&] {
            widget->window()->activateWindow();
            return widget->window()->windowHandle();
        });
        ASSERT_TRUE(s.WaitFor("the window focused", [&] { return QGuiApplication::focusWindow() == window; }));
        s.Click(widget, s.OnUi([&] { return QPoint(widget->width() / 3, widget->height() / 2); }));
        ASSERT_TRUE(s.WaitFor("the widget focused", [&] { return widget->hasFocus(); }));
        Type(s, xdotool);
    }

    // xdotool sends the keys (its arguments) to the X server, to the window it has focused.
    static void Type(CSession& s, const QStringList& xdotool)
    {
        s.Step("xdotool " + xdotool.join(' ').toStdString());
        QProcess typist;
        typist.start(QStringLiteral("xdotool"), xdotool);
        ASSERT_TRUE(typist.waitForFinished(20000));
        ASSERT_EQ(typist.exitCode(), 0) << typist.readAllStandardError().toStdString();
        if (xdotool.front() == QLatin1String("type")) {
            typist.start(QStringLiteral("xdotool"), {"key", "Return"});
            ASSERT_TRUE(typist.waitForFinished(20000));
        }
    }

    // Waits until the prompt has been answered and no other one is open; one left open
    // (its Return lost) is cancelled.
    static void WaitAnswered(CSession& s, const std::function<bool()>& answered)
    {
        const bool done = s.WaitFor("the prompt answered", [&] { return answered() && s.ActiveModal() == nullptr; });
        if (!done && s.ActiveModal()) {
            ADD_FAILURE() << "a prompt left open: " << s.WindowTitle(s.ActiveModal()).toStdString();
            s.Key(Qt::Key_Escape);
        }
    }

    static std::vector<std::string> Rows(CSession& s, Level1View* view)
    {
        return s.OnUi([&] {
            std::vector<std::string> rows;
            for (const CString& symbol : view->Grid().GetRowSymbols())
                rows.emplace_back(symbol.GetString());
            return rows;
        });
    }

    // A Level I window in the main window and the symbols typed into its grid, once it has
    // the rows (the first prompt slow to show when asked).
    std::vector<std::string> TypedIntoLevel1(const QStringList& xdotool, size_t rowCount = 1,
                                             bool slowPrompt = false)
    {
        std::vector<std::string> rows;
        const int status = RunWorkstation([&](CSession& s) {
            s.ChooseMenu("&Quotes|&Level I");
            Level1View* view = s.WaitView<Level1View>("a Level I window");
            ASSERT_NE(view, nullptr);
            ASSERT_TRUE(Rows(s, view).empty());
            if (slowPrompt)
                SlowFirstShow(s, "Enter Symbol");
            TypeThroughX(s, s.OnUi([&] { return view->Grid().GetWidget(); }), xdotool);
            WaitAnswered(s, [&] { return view->Grid().GetRowSymbols().size() >= rowCount; });
            rows = Rows(s, view);
            s.ExitByMenu();
        });
        EXPECT_EQ(status, 0);
        return rows;
    }

    // Alt+R, G chooses Go to Date/Time in the chart's menu and 1203 follows: the date the
    // dialog's first field then holds (the dialog slow to show when asked).
    QDate GoToDateTypedByMenuKeys(bool slowDialog)
    {
        QDate typed;
        const int status = RunWorkstation([&](CSession& s) {
            CGraphsView* pane = OpenChart(s);
            ASSERT_NE(pane, nullptr);
            if (slowDialog)
                SlowFirstShow(s, "Date and Time");
            ASSERT_TRUE(s.WaitFor("the chart's bars",
                                  [&] { return pane->GetSeriesPlot() && pane->GetSeriesPlot()->IsReady(); }));
            TypeThroughX(s, s.OnUi([&] { return pane->GetWidget(); }),
                         {"key", "--delay", "10", "alt+r", "g", "1", "2", "0", "3"});
            QWidget* dialog = s.WaitModal("Date and Time");
            ASSERT_NE(dialog, nullptr);
            auto* date = qobject_cast<QDateTimeEdit*>(s.Control(dialog, 1040));
            ASSERT_NE(date, nullptr);
            s.WaitFor("12/03 in the date", [&] { return date->date().month() == 12 && date->date().day() == 3; });
            typed = s.OnUi([&] { return date->date(); });
            s.Key(Qt::Key_Escape);
            WaitAnswered(s, [] { return true; });
            s.ExitByMenu();
        }, {"--symbol", "MSFT"});
        EXPECT_EQ(status, 0);
        return typed;
    }
};

TEST_F(TypeAheadSessionTest, Level1At25msAKey)
{
    EXPECT_EQ(TypedIntoLevel1({"type", "--delay", "25", "CSCO"}), std::vector<std::string>{"CSCO"});
}

// "$" is Shift and 4: without its Shift the row would be "4SPX".
TEST_F(TypeAheadSessionTest, Level1At10msAKeyWithShift)
{
    EXPECT_EQ(TypedIntoLevel1(Keys(10, "$SPX\n")), std::vector<std::string>{"$SPX"});
}

// A lower-case symbol with Shift held for some of its letters, typed on the chart.
TEST_F(TypeAheadSessionTest, ChartAt10msAKeyWithShift)
{
    std::string symbol;
    const int status = RunWorkstation([&](CSession& s) {
        CGraphsView* pane = OpenChart(s);
        ASSERT_NE(pane, nullptr);
        const CString before = s.OnUi([&] { return pane->GetGraphsDoc()->GetSymbol(); });
        ASSERT_NE(before, "INTC");
        TypeThroughX(s, s.OnUi([&] { return pane->GetWidget(); }),
                     Keys(10, "iNtC\n"));
        WaitAnswered(s, [&] { return pane->GetGraphsDoc()->GetSymbol() != before; });
        symbol = s.OnUi([&] { return std::string(pane->GetGraphsDoc()->GetSymbol().GetString()); });
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(symbol, "INTC");
}

// Alt+R, G chooses Go to Date/Time in the chart's menu; the date typed right behind them
// lands in the dialog's first field: month 12, day 3.
TEST_F(TypeAheadSessionTest, ChartGoToByMenuKeysAt10msAKey)
{
    const QDate typed = GoToDateTypedByMenuKeys(false);
    EXPECT_EQ(std::pair(typed.month(), typed.day()), std::pair(12, 3)) << typed.toString().toStdString();
}

// The same with the dialog slow to show, as on a loaded machine.
TEST_F(TypeAheadSessionTest, ChartGoToByMenuKeysAt10msAKeyDialogSlow)
{
    const QDate typed = GoToDateTypedByMenuKeys(true);
    EXPECT_EQ(std::pair(typed.month(), typed.day()), std::pair(12, 3)) << typed.toString().toStdString();
}

// Two symbols typed one after the other, the first prompt slow to show: the rows come in
// the order typed, each whole.
TEST_F(TypeAheadSessionTest, Level1TwoSymbolsAt25msAKeyFirstPromptSlow)
{
    EXPECT_EQ(TypedIntoLevel1(Keys(25, "CSCO\nGE\n"), 2, true), (std::vector<std::string>{"CSCO", "GE"}));
}

// The same as fast as keys come, the prompts at their own pace.
TEST_F(TypeAheadSessionTest, Level1TwoSymbolsAt2msAKey)
{
    EXPECT_EQ(TypedIntoLevel1(Keys(2, "CSCO\nGE\n"), 2), (std::vector<std::string>{"CSCO", "GE"}));
}

// Two symbols typed on a chart, its first prompt slow to show: the chart ends on the second,
// and the symbol box lists both, the second on top.
TEST_F(TypeAheadSessionTest, ChartTwoSymbolsAt25msAKeyFirstPromptSlow)
{
    std::string symbol;
    std::vector<std::string> recent;
    const int status = RunWorkstation([&](CSession& s) {
        CGraphsView* pane = OpenChart(s);
        ASSERT_NE(pane, nullptr);
        CMainFrame* frame = s.OnUi([&] { return s.App().MainFrame(); });
        const auto recentSymbols = [&] {
            std::vector<std::string> out;
            for (const CString& text : frame->GetRecentSymbols())
                out.emplace_back(text.GetString());
            return out;
        };
        const std::vector<std::string> before = s.OnUi(recentSymbols);
        for (const char* typed : {"IBM", "MSFT"})
            ASSERT_EQ(std::count(before.begin(), before.end(), typed), 0);
        SlowFirstShow(s, "Enter Symbol");
        TypeThroughX(s, s.OnUi([&] { return pane->GetWidget(); }), Keys(25, "IBM\nMSFT\n"));
        WaitAnswered(s, [&] { return recentSymbols().size() >= 2 && recentSymbols()[0] == "MSFT"; });
        symbol = s.OnUi([&] { return std::string(pane->GetGraphsDoc()->GetSymbol().GetString()); });
        recent = s.OnUi(recentSymbols);
        recent.resize(std::min<size_t>(recent.size(), 2));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(symbol, "MSFT");
    EXPECT_EQ(recent, (std::vector<std::string>{"MSFT", "IBM"}));
}

// The broker's clock at 17:00 of a weekday, after the close: Go to Date/Time opens in the
// afternoon.
class AfterTheCloseTypeAheadTest : public TypeAheadSessionTest {
protected:
    void Configure(qx::testbroker::TestBrokerOptions& options) override
    {
        const int64_t now = std::time(nullptr);
        options.clockShiftSeconds = qx::testsupport::SecondsToNoon(now) + 5 * 3600;
        options.clockShiftDays = qx::testsupport::DaysBackToWeekday(now + options.clockShiftSeconds);
    }
};

// The start of a bar of the chart, on the exchange's clock.
QDateTime BarStart(CGraphsView* pane, int bar)
{
    DWORD start = 0;
    if (!pane->GetPricePlot()->GetBarTime(bar, CStudyPlot::kBarStart, start))
        return {};
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    FeedTimeToDate(start, y, mo, d);
    FeedTimeToTimeOfDay(start, h, mi, sec);
    return QDateTime(QDate(y, mo, d), QTime(h, mi, sec));
}

// "11:05:47 A" typed into Go to Date/Time, its AM left at the first letter: the chart of
// five-minute bars ends at the bar of 11:05 that day, not at the afternoon it opened at.
TEST_F(AfterTheCloseTypeAheadTest, ChartGoToTimeWithItsAmAtTheFirstLetter)
{
    QDate day;
    QDateTime newest;
    const int status = RunWorkstation([&](CSession& s) {
        CGraphsView* pane = OpenChart(s);
        ASSERT_NE(pane, nullptr);
        QWidget* intervals = s.OnUi([&] { return s.App().MainFrame()->GetIntervalCombo().GetWidget(); });
        s.ChooseComboItem(intervals, "5 minutes");
        ASSERT_TRUE(s.WaitFor("five-minute bars", [&] {
            CPricePlot* price = pane->GetPricePlot();
            return pane->GetGraphsDoc()->GetInterval() == "5" && price && price->GetPriceSeries() &&
                   !price->GetPriceSeries()->IsWaitingForData() && price->IsReady();
        }, 30s));
        day = s.OnUi([&] { return BarStart(pane, pane->GetPricePlot()->GetLastVisibleBar()).date(); });
        ASSERT_TRUE(day.isValid());
        s.ChooseMenu("Cha&rt|&Go to Date/Time...");
        QWidget* dialog = s.WaitModal("Date and Time");
        ASSERT_NE(dialog, nullptr);
        QWidget* dateField = s.Control(dialog, 1040);
        ASSERT_TRUE(
            s.WaitFor("the focus in the date", [&] { return QApplication::focusWidget() == dateField; }));
        Type(s, Keys(10, (day.toString("M/d/yyyy") + "\t11:05:47 A\n").toLatin1().constData()));
        WaitAnswered(s, [] { return true; });
        s.WaitFor("the bar of 11:05 the newest in view", [&] {
            return BarStart(pane, pane->GetPricePlot()->GetLastVisibleBar()) == QDateTime(day, QTime(11, 5));
        });
        newest = s.OnUi([&] { return BarStart(pane, pane->GetPricePlot()->GetLastVisibleBar()); });
        s.ExitByMenu();
    }, {"--symbol", "MSFT"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(newest.toString(Qt::ISODate).toStdString(),
              QDateTime(day, QTime(11, 5)).toString(Qt::ISODate).toStdString());
}

// A floating Time & Sales window: its list's typing opens the prompt over the floating frame.
TEST_F(TypeAheadSessionTest, FloatingTimeAndSalesAt10msAKeyWithShift)
{
    std::string symbol;
    const int status = RunWorkstation([&](CSession& s) {
        s.ChooseMenu("F&loating|&Time && Sales");
        CTimeSalesView* view = s.WaitView<CTimeSalesView>("a floating Time & Sales window");
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget()->isWindow(); }));
        TypeThroughX(s, s.OnUi([&] { return view->List().GetWidget(); }), Keys(10, "$COMPX\n"));
        WaitAnswered(s, [&] { return !view->GetSymbolText().IsEmpty(); });
        symbol = s.OnUi([&] { return std::string(view->GetSymbolText().GetString()); });
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(symbol, "$COMPX");
}

// Level II's summary, which shows the symbol, typed into in the main window.
TEST_F(TypeAheadSessionTest, Level2At10msAKey)
{
    std::string symbol;
    const int status = RunWorkstation([&](CSession& s) {
        s.ChooseMenu("&Quotes|Level &II");
        CLevel2View* view = s.WaitView<CLevel2View>("a Level II window");
        ASSERT_NE(view, nullptr);
        const CString before = s.OnUi([&] { return view->GetSymbolText(); });
        ASSERT_NE(before, "GE");
        TypeThroughX(s, s.OnUi([&] { return view->Summary().GetWidget(); }), Keys(10, "GE\n"));
        WaitAnswered(s, [&] { return view->GetSymbolText() != before; });
        symbol = s.OnUi([&] { return std::string(view->GetSymbolText().GetString()); });
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(symbol, "GE");
}

}  // namespace
}  // namespace qx::sessions
