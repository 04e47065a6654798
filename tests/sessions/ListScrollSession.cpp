// A trader scrolls back through the time and sales and bar lists with the arrow keys and
// the mouse wheel, past the records they first showed, to what the broker's history holds;
// then changes the list font and colour from the main menu with Level II, Time & Sales and
// the Bar Table open. A list scrolled back that gets a new series (Go to, a filter, a
// linked symbol, a new interval) shows its newest record at the top.
#include "tests/sessions/SessionHarness.h"

#include "analytics/series/CPriceSeries.h"
#include "app/shell/CMainFrame.h"
#include "broker/core/Formatters.h"
#include "broker/protocol/HistoryFormat.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CFrameWnd.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/ExchangeClock.h"
#include "views/ui/CBarView.h"
#include "views/ui/CLevel2View.h"
#include "views/ui/CTimeSalesView.h"

#include <QDate>
#include <QIntValidator>
#include <QLineEdit>
#include <QScrollBar>
#include <QTime>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;
using qx::testbroker::CHistoryGenerator;

constexpr int kFirstRows = 1024;

class ListScrollSessionTest : public BeforeTheOpenSessionTest {};

QDate DateOf(const QString& text)
{
    return QDate::fromString(text, "M/d/yyyy");
}

int64_t DayOf(const QDate& date)
{
    return qx::testbroker::DaysFromDate(date.year(), date.month(), date.day());
}

template <class View>
View* WaitForLoadedView(CSession& s, const char* what)
{
    View* view = nullptr;
    EXPECT_TRUE(s.WaitFor(what, [&] {
        const auto views = s.Views<View>();
        view = views.empty() ? nullptr : views.front();
        return view && view->GetSeries() && !view->GetSeries()->IsWaitingForData();
    }));
    return view;
}

// The date and time of the record a row stands for (a tick slot without a trade draws none).
QString RecordDate(CSession& s, CTimeSalesList* list, int r)
{
    return s.OnUi([&] {
        CListRow row;
        return list->RowOfItem(r, row) ? QString(row.texts[0].GetString()) : QString();
    });
}

QTime RecordTime(CSession& s, CTimeSalesList* list, int r)
{
    return s.OnUi([&] {
        CListRow row;
        return list->RowOfItem(r, row) ? QTime::fromString(row.texts[1].GetString(), "hh:mm:ss") : QTime();
    });
}

int FocusedRow(CSession& s, CListCtrl* list)
{
    return s.OnUi([&] { return list->GetNextItem(-1, LVNI_FOCUSED); });
}

// Whether row r lies wholly inside the list's visible rows.
bool RowInView(CSession& s, CListCtrl* list, int r)
{
    return s.OnUi([&] {
        auto* tree = qobject_cast<QTreeView*>(list->GetWidget());
        const QRect rect = tree->visualRect(tree->model()->index(r, 0));
        return rect.isValid() && tree->viewport()->rect().contains(rect);
    });
}

// The rows wholly in view, a line each from the top: where the row is drawn, the time of
// the slot it stands for and the texts of its cells (none for a slot without a trade).
std::string RowsInView(CSession& s, CTimeSalesList* list)
{
    return s.OnUi([&] {
        auto* tree = qobject_cast<QTreeView*>(list->GetWidget());
        std::string rows;
        for (int r = 0; r < list->GetItemCount(); ++r) {
            const QRect rect = tree->visualRect(tree->model()->index(r, 0));
            CListRow row;
            if (!rect.isValid() || !tree->viewport()->rect().contains(rect) || !list->RowOfItem(r, row))
                continue;
            rows += std::to_string(rect.top()) + " " + row.texts[1].str();
            for (int column = 0; column < list->GetColumnCount(); ++column)
                rows += "|" + list->GetShownText(r, column).str();
            rows += "\n";
        }
        return rows;
    });
}

int RowHeight(CSession& s, CListCtrl* list)
{
    return s.OnUi([&] {
        auto* tree = qobject_cast<QTreeView*>(list->GetWidget());
        return tree->visualRect(tree->model()->index(0, 0)).height();
    });
}

TEST_F(ListScrollSessionTest, KeysAndWheelScrollBackThroughTicksAndBarsAndTheMenuFontReachesTheLists)
{
    const int status = RunWorkstation([&](CSession& s) {
        QWidget* box = s.OnUi([&] { return s.App().MainFrame()->GetSymbolCombo().GetWidget(); });
        s.Click(box);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("msft\n");
        ASSERT_TRUE(s.WaitFor("MSFT in the symbol box", [&] { return s.App().MainFrame()->GetSymbolBox() == "MSFT"; }));
        const qx::testbroker::PriceProfile profile = s.Broker().Symbol("MSFT")->profile;
        CHistoryGenerator history;

        // Time & Sales: the arrow keys past the oldest tick bring older two-second slots.
        s.ChooseMenu("&Quotes|&Time && Sales");
        CTimeSalesView* ts = WaitForLoadedView<CTimeSalesView>(s, "the ticks of MSFT");
        ASSERT_NE(ts, nullptr);
        CTimeSalesList* ticks = &ts->List();
        QWidget* tickTree = s.OnUi([&] { return ticks->GetWidget(); });
        EXPECT_EQ(s.RowCount(ticks), kFirstRows);
        s.Click(tickTree, QPoint(40, 40));
        s.Key(Qt::Key_End);
        ASSERT_TRUE(s.WaitFor("the focus on the oldest tick", [&] { return FocusedRow(s, ticks) == kFirstRows - 1; }));
        const QString oldestDate = RecordDate(s, ticks, kFirstRows - 1);
        const QTime oldest = RecordTime(s, ticks, kFirstRows - 1);
        ASSERT_TRUE(oldest.isValid());
        constexpr int kTickLines = 31; // a minute and one slot more
        for (int i = 0; i < kTickLines; ++i)
            s.Key(Qt::Key_Down);
        EXPECT_EQ(s.RowCount(ticks), kFirstRows + kTickLines);
        EXPECT_EQ(FocusedRow(s, ticks), kFirstRows + kTickLines - 1);
        EXPECT_TRUE(RowInView(s, ticks, kFirstRows + kTickLines - 1));
        ASSERT_TRUE(s.WaitFor("the older ticks' history", [&] { return !ts->GetSeries()->IsWaitingForData(); }));
        // Each line one slot older, and the slot that starts a minute holds that minute's trade.
        const QDate day = DateOf(oldestDate);
        const auto days = history.Days(profile, DayOf(day), DayOf(day));
        ASSERT_EQ(days.size(), 1u) << oldestDate.toStdString();
        std::map<QTime, double> closes;
        for (const auto& bar : history.MinuteBars(profile, days.front(), false)) {
            int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
            qx::protocol::SplitHistoryFeedTime(bar.feedTime, y, mo, d, h, mi, sec);
            closes[QTime(h, mi, sec)] = bar.close;
        }
        // Rows firstRow..lastRow, one slot apart: a minute's trade shows once, in the slot
        // that starts the minute, and the other slots show no trade. Returns the minutes.
        auto expectMinuteTrades = [&](int firstRow, int lastRow, QTime firstTime) {
            int minutes = 0;
            for (int row = firstRow; row <= lastRow; ++row) {
                const QTime time = RecordTime(s, ticks, row);
                EXPECT_EQ(time, firstTime.addSecs(-2 * (row - firstRow))) << row;
                if (time.second() != 0) {
                    EXPECT_TRUE(s.CellText(ticks, row, "Type").isEmpty()) << row;
                    EXPECT_TRUE(s.CellText(ticks, row, "Price").isEmpty()) << row;
                    EXPECT_TRUE(s.CellText(ticks, row, "Size").isEmpty()) << row;
                    continue;
                }
                ++minutes;
                EXPECT_EQ(closes.count(time), 1u) << time.toString().toStdString();
                EXPECT_EQ(s.CellText(ticks, row, "Type"), "Trade") << row;
                EXPECT_EQ(s.CellText(ticks, row, "Price").toStdString(), FormatNumber(closes[time], 2, 4).str()) << row;
            }
            return minutes;
        };
        int minuteStarts = 0;
        for (int i = 1; i <= kTickLines; ++i) {
            const int row = kFirstRows - 1 + i;
            const QTime time = RecordTime(s, ticks, row);
            EXPECT_EQ(time, oldest.addSecs(-2 * i)) << row;
            EXPECT_EQ(RecordDate(s, ticks, row), oldestDate) << row;
            if (time.second() != 0)
                continue;
            ++minuteStarts;
            ASSERT_EQ(closes.count(time), 1u) << time.toString().toStdString();
            EXPECT_EQ(s.CellText(ticks, row, "Price").toStdString(), FormatNumber(closes[time], 2, 4).str());
            EXPECT_EQ(s.CellText(ticks, row, "Type"), "Trade");
            EXPECT_EQ(s.CellText(ticks, row, "Time"), time.toString("hh:mm:ss"));
        }
        EXPECT_EQ(minuteStarts, 1);
        EXPECT_EQ(expectMinuteTrades(kFirstRows, kFirstRows + kTickLines - 1, oldest.addSecs(-2)), 1);
        // The scroll bar's down arrow at the end: one slot more.
        QWidget* tickBar = s.OnUi([&]() -> QWidget* { return qobject_cast<QTreeView*>(tickTree)->verticalScrollBar(); });
        s.Click(tickBar, s.OnUi([&] { return QPoint(tickBar->width() / 2, tickBar->height() - tickBar->width() / 2); }));
        EXPECT_TRUE(s.WaitFor("one slot more", [&] { return ticks->GetItemCount() == kFirstRows + kTickLines + 1; }));
        EXPECT_EQ(RecordTime(s, ticks, kFirstRows + kTickLines), oldest.addSecs(-2 * (kTickLines + 1)));
        EXPECT_TRUE(RowInView(s, ticks, kFirstRows + kTickLines));

        // Trades come in while the list is scrolled back: the rows in view stay where they
        // are, the focus on its tick, and the new trades come first in the list.
        const std::string inView = RowsInView(s, ticks);
        ASSERT_GE(std::count(inView.begin(), inView.end(), '\n'), 5);
        const QTime focusedTime = RecordTime(s, ticks, FocusedRow(s, ticks));
        const double last = s.Broker().Symbol("MSFT")->last;
        QString newestPrice;
        for (int i = 1; i <= 3; ++i) {
            const double price = std::round((last + 0.01 * i) * 100) / 100;
            ASSERT_TRUE(s.Broker().InjectTrade("MSFT", price, 100u * static_cast<uint32_t>(i), "ARCA"));
            newestPrice = QString::fromStdString(FormatNumber(price, 2, 4).str());
        }
        ASSERT_TRUE(s.WaitFor("the trades in the series", [&] {
            CListRow row;
            return ticks->RowOfItem(0, row) && QString(row.texts[2].GetString()) == newestPrice;
        }));
        s.Settle();
        EXPECT_EQ(RowsInView(s, ticks), inView);
        EXPECT_EQ(RecordTime(s, ticks, FocusedRow(s, ticks)), focusedTime);
        EXPECT_EQ(s.CellText(ticks, 0, "Price"), newestPrice);
        EXPECT_EQ(s.CellText(ticks, 0, "Size"), "300");

        // A busy symbol while the list stays scrolled back: the rows in view still stay, and
        // the list holds at most three times the rows it had (those from the top row down,
        // and of the newer ones the newest, as many as it had, up to twice that). Back at
        // the top it shows every one of the newest trades, as many as it had rows before
        // they came, as a list that had stayed there would.
        const int rowsBefore = kFirstRows + kTickLines + 1;
        constexpr int kBusyTrades = 3000;
        std::vector<std::pair<std::string, std::string>> busy; // price and size texts, in order
        for (int i = 0; i < kBusyTrades; ++i) {
            const double price = std::round((last + 0.01 * (i % 40)) * 100) / 100;
            const uint32_t size = i + 1 == kBusyTrades ? 9900u : 100u * static_cast<uint32_t>(1 + i % 30);
            ASSERT_TRUE(s.Broker().InjectTrade("MSFT", price, size, "ARCA"));
            busy.emplace_back(FormatNumber(price, 2, 4).str(), FormatDoubleThousands(size, 0).str());
        }
        ASSERT_TRUE(s.WaitFor("the busy trades in the series", [&] {
            CListRow row;
            return ticks->RowOfItem(0, row) && row.texts[3].str() == busy.back().second;
        }, 120s));
        s.Settle();
        EXPECT_EQ(RowsInView(s, ticks), inView);
        EXPECT_EQ(RecordTime(s, ticks, FocusedRow(s, ticks)), focusedTime);
        EXPECT_LE(s.RowCount(ticks), 3 * rowsBefore);
        s.Key(Qt::Key_Home);
        ASSERT_TRUE(s.WaitFor("the newest trades at the top", [&] {
            return FocusedRow(s, ticks) == 0 && RowInView(s, ticks, 0) && s.RowCount(ticks) == rowsBefore;
        }));
        for (int row = 0; row < rowsBefore; ++row) {
            const auto& [price, size] = busy[static_cast<size_t>(kBusyTrades - 1 - row)];
            ASSERT_EQ(s.CellText(ticks, row, "Price").toStdString(), price) << row;
            ASSERT_EQ(s.CellText(ticks, row, "Size").toStdString(), size) << row;
        }

        // Go to 15:00 of that day, then to 15:30: the ticks end there. Down at the end and
        // Up at the top bring older and newer slots, which show the history as the first
        // rows do, whatever the earlier windows' history held.
        auto goTo = [&](int hour, int minute) {
            s.OnUi([&] { ts->GoTo(CTime(day.year(), day.month(), day.day(), hour, minute, 0)); });
            return s.WaitFor("the ticks up to " + std::to_string(hour) + ":" + std::to_string(minute), [&] {
                return ts->IsHistorical() && ts->GetSeries() && !ts->GetSeries()->IsWaitingForData() &&
                       RecordTime(s, ticks, 0) == QTime(hour, minute, 0);
            });
        };
        ASSERT_TRUE(goTo(15, 0));
        ASSERT_TRUE(goTo(15, 30));
        EXPECT_EQ(s.RowCount(ticks), kFirstRows);
        s.Click(tickTree, QPoint(40, 40));
        s.Key(Qt::Key_End);
        ASSERT_TRUE(s.WaitFor("the focus on the oldest tick", [&] { return FocusedRow(s, ticks) == kFirstRows - 1; }));
        const QTime oldestThen = RecordTime(s, ticks, kFirstRows - 1);
        for (int i = 0; i < kTickLines; ++i)
            s.Key(Qt::Key_Down);
        ASSERT_TRUE(s.WaitFor("the older ticks' history", [&] { return !ts->GetSeries()->IsWaitingForData(); }));
        EXPECT_EQ(expectMinuteTrades(kFirstRows, kFirstRows + kTickLines - 1, oldestThen.addSecs(-2)), 1);
        s.Key(Qt::Key_Home);
        ASSERT_TRUE(s.WaitFor("the focus on the newest tick", [&] { return FocusedRow(s, ticks) == 0; }));
        constexpr int kNewerLines = 62; // two minutes and two slots more
        for (int i = 0; i < kNewerLines; ++i)
            s.Key(Qt::Key_Up);
        EXPECT_EQ(s.RowCount(ticks), kFirstRows + kTickLines + kNewerLines);
        EXPECT_EQ(FocusedRow(s, ticks), 0);
        EXPECT_TRUE(RowInView(s, ticks, 0));
        ASSERT_TRUE(s.WaitFor("the newer ticks' history", [&] { return !ts->GetSeries()->IsWaitingForData(); }));
        EXPECT_EQ(expectMinuteTrades(0, kNewerLines, QTime(15, 32, 4)), 3); // 15:32, 15:31 and 15:30

        // The Bar Table of daily bars: the wheel down at the end brings older days, up at the
        // top days after the newest.
        s.ChooseMenu("&Quotes|&Bar Table");
        CBarView* bars = WaitForLoadedView<CBarView>(s, "the daily bars of MSFT");
        ASSERT_NE(bars, nullptr);
        EXPECT_EQ(s.OnUi([&] { return bars->GetIntervalText(); }), "Daily");
        CTimeSalesList* barList = &bars->List();
        QWidget* barTree = s.OnUi([&] { return barList->GetWidget(); });
        s.Click(barTree, QPoint(40, 40));
        s.Key(Qt::Key_End);
        ASSERT_TRUE(s.WaitFor("the oldest bar in view", [&] { return RowInView(s, barList, kFirstRows - 1); }));
        const QDate oldestDay = DateOf(s.CellText(barList, kFirstRows - 1, "Date"));
        ASSERT_TRUE(oldestDay.isValid());
        s.Wheel(barTree, -2); // three lines a notch
        EXPECT_EQ(s.RowCount(barList), kFirstRows + 6);
        EXPECT_TRUE(RowInView(s, barList, kFirstRows + 5));
        ASSERT_TRUE(s.WaitFor("the older bars' history", [&] { return !bars->GetSeries()->IsWaitingForData(); }));
        const auto served = history.Bars(profile, {qx::testbroker::HistoryInterval::Days, 0}, false, 0,
                                         qx::protocol::HistoryFeedTime(oldestDay.year(), oldestDay.month(),
                                                                       oldestDay.day(), 0, 0, 0),
                                         20, DayOf(oldestDay));
        ASSERT_GE(served.size(), 6u);
        for (int i = 0; i < 6; ++i) {
            // The broker's trading days before the oldest bar, newest first.
            const auto& bar = served[served.size() - 1 - static_cast<size_t>(i)];
            const int row = kFirstRows + i;
            int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
            qx::protocol::SplitHistoryFeedTime(bar.feedTime, y, mo, d, h, mi, sec);
            EXPECT_EQ(DateOf(s.CellText(barList, row, "Date")), QDate(y, mo, d)) << row;
            EXPECT_EQ(s.CellText(barList, row, "Open").toStdString(), FormatNumber(bar.open, 2, 4).str()) << row;
            EXPECT_EQ(s.CellText(barList, row, "High").toStdString(), FormatNumber(bar.high, 2, 4).str()) << row;
            EXPECT_EQ(s.CellText(barList, row, "Low").toStdString(), FormatNumber(bar.low, 2, 4).str()) << row;
            EXPECT_EQ(s.CellText(barList, row, "Close").toStdString(), FormatNumber(bar.close, 2, 4).str()) << row;
        }
        s.Key(Qt::Key_Home);
        ASSERT_TRUE(s.WaitFor("the newest bar in view", [&] { return RowInView(s, barList, 0); }));
        const QDate newest = DateOf(s.CellText(barList, 0, "Date"));
        s.Wheel(barTree, 1);
        EXPECT_EQ(s.RowCount(barList), kFirstRows + 9);
        EXPECT_TRUE(RowInView(s, barList, 0));
        // Days that have not come yet: dated after the newest, without prices.
        EXPECT_EQ(DateOf(s.CellText(barList, 3, "Date")), newest);
        EXPECT_GT(DateOf(s.CellText(barList, 0, "Date")), newest);
        EXPECT_TRUE(s.CellText(barList, 0, "Close").isEmpty());

        // Fonts... from the main menu: a larger size reaches Level II, Time & Sales and the
        // Bar Table, whose rows grow with it.
        s.ChooseMenu("&Quotes|Level &II");
        CLevel2View* level2 = nullptr;
        ASSERT_TRUE(s.WaitFor("a Level II window", [&] {
            const auto views = s.Views<CLevel2View>();
            level2 = views.empty() ? nullptr : views.front();
            return level2 && level2->Bids().GetItemCount() > 0;
        }));
        CListCtrl* bids = &level2->Bids();
        const int tickRow = RowHeight(s, ticks);
        const int barRow = RowHeight(s, barList);
        const int bidRow = RowHeight(s, bids);
        s.ChooseMenu("&File|&Fonts...");
        QWidget* fonts = s.WaitModal("Select Font");
        ASSERT_NE(fonts, nullptr);
        QWidget* sizeEdit = s.OnUi([&]() -> QWidget* {
            for (auto* edit : fonts->findChildren<QLineEdit*>())
                if (qobject_cast<const QIntValidator*>(edit->validator()))
                    return edit;
            return nullptr;
        });
        ASSERT_NE(sizeEdit, nullptr);
        s.Click(sizeEdit);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("24");
        s.PressButton(fonts, "OK");
        ASSERT_TRUE(s.WaitFor("the font dialog closed", [&] { return s.ActiveModal() == nullptr; }));
        EXPECT_TRUE(s.WaitFor("taller rows in the three windows", [&] {
            return RowHeight(s, ticks) > tickRow && RowHeight(s, barList) > barRow && RowHeight(s, bids) > bidRow;
        })) << RowHeight(s, ticks) << " " << RowHeight(s, barList) << " " << RowHeight(s, bids);
        const QFont chosen = s.OnUi([&] { return ticks->GetWidget()->font(); });
        EXPECT_EQ(s.OnUi([&] { return barList->GetWidget()->font(); }), chosen);
        EXPECT_EQ(s.OnUi([&] { return bids->GetWidget()->font(); }), chosen);
        EXPECT_EQ(s.OnUi([&] { return level2->Asks().GetWidget()->font(); }), chosen);
        EXPECT_EQ(s.OnUi([&] { return s.App().Settings().m_quoteFont.height; }),
                  s.OnUi([&] { return QFontInfo(chosen).pixelSize(); }));
        // The scrolled-back rows are still there.
        EXPECT_EQ(s.RowCount(ticks), kFirstRows + kTickLines + kNewerLines);

        // Colors... from the main menu: the quote lists' background; the time and sales and
        // bar lists keep the time and sales colours of the settings.
        s.ChooseMenu("&File|&Colors...");
        QWidget* colors = s.WaitModal("Select Color");
        ASSERT_NE(colors, nullptr);
        QWidget* html = s.OnUi([&]() -> QWidget* {
            for (auto* edit : colors->findChildren<QLineEdit*>())
                if (edit->text().startsWith('#'))
                    return edit;
            return nullptr;
        });
        ASSERT_NE(html, nullptr);
        s.Click(html);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("#203040");
        s.PressButton(colors, "OK");
        ASSERT_TRUE(s.WaitFor("the colour dialog closed", [&] { return s.ActiveModal() == nullptr; }));
        EXPECT_EQ(s.OnUi([&] { return s.App().Settings().m_quoteColors[0]; }), RGB(0x20, 0x30, 0x40));
        const COLORREF tsBack = s.OnUi([&] { return s.App().Settings().m_tsColors[0]; });
        EXPECT_EQ(s.OnUi([&] { return ticks->GetBkColor(); }), tsBack);
        EXPECT_EQ(s.OnUi([&] { return barList->GetBkColor(); }), tsBack);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

int TopRow(CSession& s, CListCtrl* list)
{
    return s.OnUi([&] { return list->GetTopIndex(); });
}

// The main window's symbol box typed into, as the linked windows follow it.
void TypeSymbol(CSession& s, const char* symbol)
{
    QWidget* box = s.OnUi([&] { return s.App().MainFrame()->GetSymbolCombo().GetWidget(); });
    s.Click(box);
    s.Key(Qt::Key_A, Qt::ControlModifier);
    s.TypeText(QString(symbol) + "\n");
}

TEST_F(ListScrollSessionTest, AListScrolledBackShowsTheNewestRecordOfEachNewSeriesAtTheTop)
{
    const int status = RunWorkstation([&](CSession& s) {
        TypeSymbol(s, "msft");
        ASSERT_TRUE(s.WaitFor("MSFT in the symbol box", [&] { return s.App().MainFrame()->GetSymbolBox() == "MSFT"; }));

        s.ChooseMenu("&Quotes|&Time && Sales");
        CTimeSalesView* ts = WaitForLoadedView<CTimeSalesView>(s, "the ticks of MSFT");
        ASSERT_NE(ts, nullptr);
        CTimeSalesList* ticks = &ts->List();
        QWidget* tickTree = s.OnUi([&] { return ticks->GetWidget(); });
        // The newest slot: the close of the session before the broker's today.
        const QDate day = DateOf(RecordDate(s, ticks, 0));
        const QTime newest = RecordTime(s, ticks, 0);
        ASSERT_TRUE(day.isValid());
        ASSERT_EQ(newest, QTime(15, 59, 58));
        constexpr int kNotches = 25;
        const int scrolledTo = kNotches * CTimeSalesList::kWheelLines;
        // The series shows a new one from the top once it has its data.
        auto expectTopRow = [&](const char* what, QTime time) {
            ASSERT_TRUE(s.WaitFor(what, [&] { return ts->GetSeries() && !ts->GetSeries()->IsWaitingForData(); }));
            s.Settle();
            EXPECT_EQ(TopRow(s, ticks), 0) << what << ": " << RowsInView(s, ticks).substr(0, 200);
            EXPECT_TRUE(RowInView(s, ticks, 0)) << what;
            EXPECT_EQ(RecordDate(s, ticks, 0), day.toString("M/d/yyyy")) << what;
            EXPECT_EQ(RecordTime(s, ticks, 0), time) << what;
        };

        // Go to 3:29:00 PM of that day, typed, from a list scrolled down 25 notches.
        s.Wheel(tickTree, -kNotches);
        ASSERT_GE(TopRow(s, ticks), scrolledTo);
        s.ChooseMenu("Time && &Sales|&Go to Date/Time...");
        ASSERT_TRUE(s.AnswerDateTime(day, QTime(15, 29, 0)));
        ASSERT_TRUE(s.WaitFor("the ticks up to the chosen time", [&] { return ts->IsHistorical(); }));
        expectTopRow("the ticks up to 15:29", QTime(15, 29, 0));

        // A filter from the list scrolled back again: live ticks from the newest.
        s.Wheel(tickTree, -kNotches);
        ASSERT_GE(TopRow(s, ticks), scrolledTo);
        s.ChooseMenu("Time && &Sales|&Filter...");
        QWidget* filter = s.WaitModal("Time & Sales Filter");
        ASSERT_NE(filter, nullptr);
        s.Click(s.Control(filter, 50137)); // Filter by volume
        s.FillControl(filter, 1007, "100");
        s.PressButton(filter, "OK");
        ASSERT_TRUE(s.WaitFor("the filtered live ticks", [&] { return !ts->IsHistorical(); }));
        expectTopRow("the filtered ticks", newest);

        // A linked symbol from a list scrolled past the records it first held.
        s.Click(tickTree, QPoint(40, 40));
        s.Key(Qt::Key_End);
        s.Wheel(tickTree, -10);
        ASSERT_EQ(s.RowCount(ticks), kFirstRows + 10 * CTimeSalesList::kWheelLines);
        ASSERT_GT(TopRow(s, ticks), kFirstRows - 100);
        TypeSymbol(s, "ibm");
        ASSERT_TRUE(s.WaitFor("IBM's ticks", [&] { return ts->GetSymbolText() == "IBM"; }));
        expectTopRow("IBM's ticks", newest);
        EXPECT_EQ(s.RowCount(ticks), kFirstRows);

        // The Bar Table of daily bars, scrolled down: a linked symbol, then five-minute bars
        // from its Symbol & Interval dialog.
        s.ChooseMenu("&Quotes|&Bar Table");
        CBarView* bars = WaitForLoadedView<CBarView>(s, "the daily bars of IBM");
        ASSERT_NE(bars, nullptr);
        CTimeSalesList* barList = &bars->List();
        QWidget* barTree = s.OnUi([&] { return barList->GetWidget(); });
        ASSERT_EQ(DateOf(s.CellText(barList, 0, "Date")), day);
        auto expectTopBar = [&](const char* what, const QString& date, const QString& time) {
            ASSERT_TRUE(s.WaitFor(what, [&] { return bars->GetSeries() && !bars->GetSeries()->IsWaitingForData(); }));
            s.Settle();
            EXPECT_EQ(TopRow(s, barList), 0) << what;
            EXPECT_TRUE(RowInView(s, barList, 0)) << what;
            EXPECT_EQ(s.CellText(barList, 0, "Date"), date) << what;
            EXPECT_EQ(s.CellText(barList, 0, "Time"), time) << what;
            EXPECT_FALSE(s.CellText(barList, 0, "Close").isEmpty()) << what;
        };
        const QString dailyTime = s.CellText(barList, 0, "Time");
        s.Wheel(barTree, -kNotches);
        ASSERT_GE(TopRow(s, barList), scrolledTo);
        TypeSymbol(s, "aapl");
        ASSERT_TRUE(s.WaitFor("AAPL's bars", [&] { return bars->GetSymbolText() == "AAPL"; }));
        expectTopBar("AAPL's daily bars", day.toString("M/d/yyyy"), dailyTime);

        s.Wheel(barTree, -kNotches);
        ASSERT_GE(TopRow(s, barList), scrolledTo);
        s.ChooseMenu("&Bar|&Symbol && Interval...");
        QWidget* prompt = s.WaitModal("Enter Symbol and Interval");
        ASSERT_NE(prompt, nullptr);
        s.FillControl(prompt, 1092, "5");
        s.PressButton(prompt, "OK");
        ASSERT_TRUE(s.WaitFor("five-minute bars", [&] { return bars->GetIntervalText() == "5"; }));
        // The newest five minutes of that session start at 15:55.
        expectTopBar("AAPL's five-minute bars", day.toString("M/d/yyyy"), "15:55:00");
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

} // namespace
} // namespace qx::sessions
