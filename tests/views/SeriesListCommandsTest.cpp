// The commands the time and sales and bar windows share, offscreen and without a broker:
// grid lines, column toggles and their check marks, the default layout file of each
// window, an export that asks for nothing while no symbol is shown, and the times the
// Go to and export range dialogs start at.
#include "ListWindowsHarness.h"

#include "broker/session/CSessionManager.h"
#include "broker/session/SessionConfig.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CDialog.h"
#include "views/ui/CTimeSalesList.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QProcess>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct WindowIds {
    UINT grid, defaultLayout, columnFirst, exportData;
    const char* layoutFile;
};

class SeriesListCommands : public ::testing::Test {
protected:
    SeriesListCommands() : m_manager(QX_BROKER_SESSION_DIR, CSessionConfig{}, nullptr, nullptr)
    {
        CSessionManager::Install(&m_manager);
    }
    ~SeriesListCommands() override
    {
        m_harness.reset();
        CSessionManager::Install(nullptr);
    }

    static int Checked(CSeriesListView& view, UINT id)
    {
        CCmdUI ui(id);
        ui.DoUpdate(&view, false);
        return ui.m_check;
    }

    // Runs the shared commands through the window's own ids.
    void ExpectSharedCommands(CSeriesListView& view, const WindowIds& ids)
    {
        ASSERT_TRUE(view.HasGridLines());
        EXPECT_EQ(1, Checked(view, ids.grid));
        view.SendMessage(WM_COMMAND, ids.grid);
        EXPECT_FALSE(view.HasGridLines());
        EXPECT_EQ(0, Checked(view, ids.grid));

        // Column kind 1 goes and comes back with its check mark.
        const bool shown = view.List().IsColumnShown(1);
        EXPECT_EQ(shown ? 1 : 0, Checked(view, ids.columnFirst + 1));
        view.SendMessage(WM_COMMAND, ids.columnFirst + 1);
        EXPECT_EQ(!shown, view.List().IsColumnShown(1));
        EXPECT_EQ(shown ? 0 : 1, Checked(view, ids.columnFirst + 1));

        const std::string file = std::string("Layouts/") + ids.layoutFile;
        EXPECT_FALSE(std::filesystem::exists(m_harness->Path(file.c_str())));
        view.SendMessage(WM_COMMAND, ids.defaultLayout);
        EXPECT_TRUE(std::filesystem::exists(m_harness->Path(file.c_str())));

        ASSERT_TRUE(view.GetSymbolText().IsEmpty());
        const size_t asked = m_harness->answers->requests.size();
        view.SendMessage(WM_COMMAND, ids.exportData);
        EXPECT_EQ(asked, m_harness->answers->requests.size());
    }

    CSessionManager m_manager;
    std::unique_ptr<CListWindowsHarness> m_harness = std::make_unique<CListWindowsHarness>();
};

} // namespace

TEST_F(SeriesListCommands, TimeAndSalesAndBarWindowsRunTheSharedCommands)
{
    CTimeSalesView* ticks = m_harness->OpenTimeSales();
    ASSERT_NE(ticks, nullptr);
    ExpectSharedCommands(*ticks, {ID_TS_GRID, ID_TS_DEFAULT_LAYOUT, ID_TS_COLUMN_FIRST, ID_TS_EXPORT, "default.tsl"});
    CBarView* bars = m_harness->OpenBars();
    ASSERT_NE(bars, nullptr);
    ExpectSharedCommands(*bars, {ID_BAR_GRID, ID_BAR_DEFAULT_LAYOUT, ID_BAR_COLUMN_FIRST, ID_BAR_EXPORT, "default.bl"});
}

namespace {

// A list that counts the scroll actions it is given.
class CCountingTicksList : public CTimeSalesList {
public:
    explicit CCountingTicksList(int& scrolls) : m_scrolls(scrolls) {}
    void OnVScroll(UINT code, UINT pos, CWnd* bar) override
    {
        ++m_scrolls;
        CTimeSalesList::OnVScroll(code, pos, bar);
    }

private:
    int& m_scrolls;
};

// A window that lets its list go from inside one of its own message handlers, where the
// list's widget outlives the list until the event loop deletes it.
class CListOwner : public CWnd {
public:
    static constexpr UINT kDropList = WM_APP + 1;
    LRESULT WindowProc(CWndMessage& message) override
    {
        if (message.message == kDropList) {
            list.reset();
            return 0;
        }
        return CWnd::WindowProc(message);
    }
    std::unique_ptr<CCountingTicksList> list;
};

} // namespace

// A click on the scroll bar's arrow at the end asks the list for a line further once the
// click is done; a list gone by then is not asked.
TEST(TimeSalesListArrows, ALineAskedForAtTheEndIsDroppedWithTheList)
{
    CListOwner owner;
    ASSERT_TRUE(owner.Create(nullptr, "ticks", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
    int scrolls = 0;
    owner.list = std::make_unique<CCountingTicksList>(scrolls);
    ASSERT_TRUE(owner.list->CreateList(&owner, 100, {}));
    auto* area = qobject_cast<QAbstractScrollArea*>(owner.list->GetWidget());
    ASSERT_NE(area, nullptr);
    // An empty list is at its end: the arrow asks for the next line, once.
    area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(scrolls, 0);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(scrolls, 1);
    area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    owner.SendMessage(CListOwner::kDropList);
    ASSERT_EQ(owner.list, nullptr);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(scrolls, 1);
}

namespace {

// What the system clock reads at the exchange (US Eastern) over the given seconds, as the
// pickers show a date and a time ("12/8/2026", "10:08:41 AM"); from the system's zone data.
std::vector<std::pair<std::string, std::string>> ExchangeClockTexts(int64_t from, int64_t to)
{
    QProcess date;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TZ", "America/New_York");
    env.insert("LC_ALL", "C");
    date.setProcessEnvironment(env);
    date.start("sh", {"-c", QString("for s in $(seq %1 %2); do date -d @$s '+%-m/%-d/%Y|%-I:%M:%S %p'; done")
                                .arg(from)
                                .arg(to)});
    std::vector<std::pair<std::string, std::string>> out;
    if (!date.waitForFinished(10000))
        return out;
    for (const QString& line : QString::fromUtf8(date.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split('|');
        if (parts.size() == 2)
            out.emplace_back(parts[0].toStdString(), parts[1].toStdString());
    }
    return out;
}

// The texts of the date and time fields of the dialog that comes up while run() runs, and
// of a second pair when asked; the dialog is then cancelled.
struct ShownFields {
    bool seen = false;
    std::pair<std::string, std::string> first, second;
};

ShownFields FieldsOfDialog(const std::function<void()>& run, int dateId, int timeId, int secondDateId = 0,
                           int secondTimeId = 0)
{
    struct Look {
        ShownFields shown;
        bool stop = false;
    };
    auto state = std::make_shared<Look>();
    std::function<void()> look;
    look = [state, &look, dateId, timeId, secondDateId, secondTimeId] {
        if (state->stop)
            return;
        auto* dialog = dynamic_cast<CDialog*>(CWnd::FromWidget(QApplication::activeModalWidget()));
        if (!dialog) {
            QTimer::singleShot(5, look);
            return;
        }
        auto text = [&](int id) {
            CWnd* field = id ? dialog->GetDlgItem(id) : nullptr;
            return field ? field->GetWindowText().str() : std::string();
        };
        state->shown = {true, {text(dateId), text(timeId)}, {text(secondDateId), text(secondTimeId)}};
        dialog->EndDialog(IDCANCEL);
    };
    QTimer::singleShot(5, look);
    run();
    state->stop = true;
    EXPECT_TRUE(state->shown.seen) << "no dialog came up";
    return state->shown;
}

bool Among(const std::pair<std::string, std::string>& shown,
           const std::vector<std::pair<std::string, std::string>>& clock)
{
    return std::find(clock.begin(), clock.end(), shown) != clock.end();
}

std::string Listed(const std::vector<std::pair<std::string, std::string>>& clock)
{
    std::string out;
    for (const auto& [day, time] : clock)
        out += " " + day + " " + time;
    return out;
}

} // namespace

// The Go to Date/Time and Export Data Range fields are read as exchange time: they start
// at the exchange's clock, whatever the computer's time zone (the tests run on UTC).
TEST_F(SeriesListCommands, GoToAndExportRangesStartAtTheExchangesClock)
{
    m_harness->main->symbol = "IBM";
    m_harness->answers->file = CString(m_harness->Path("ticks.csv").c_str());
    CTimeSalesView* ticks = m_harness->OpenTimeSales();
    ASSERT_NE(ticks, nullptr);
    ASSERT_EQ(ticks->GetSymbolText(), "IBM");
    CBarView* bars = m_harness->OpenBars();
    ASSERT_NE(bars, nullptr);
    ASSERT_EQ(bars->GetSymbolText(), "IBM");

    const int64_t before = time(nullptr);
    const ShownFields goTo = FieldsOfDialog([&] { ticks->SendMessage(WM_COMMAND, ID_TS_GOTO); }, 1040, 1041);
    const ShownFields ticksRange =
        FieldsOfDialog([&] { ticks->SendMessage(WM_COMMAND, ID_TS_EXPORT); }, 1052, 1053, 1050, 1051);
    const ShownFields barsRange =
        FieldsOfDialog([&] { bars->SendMessage(WM_COMMAND, ID_BAR_EXPORT); }, 1052, 1053, 1050, 1051);
    const auto clock = ExchangeClockTexts(before, time(nullptr));
    ASSERT_FALSE(clock.empty());

    EXPECT_TRUE(Among(goTo.first, clock))
        << "Go to shows " << goTo.first.first << " " << goTo.first.second << "; the exchange's clock" << Listed(clock);
    for (const ShownFields& range : {ticksRange, barsRange}) {
        const auto& to = range.first;
        const auto& from = range.second;
        EXPECT_TRUE(Among(to, clock)) << "To shows " << to.first << " " << to.second << "; the exchange's clock"
                                      << Listed(clock);
        // From: a day before, at the same time.
        const QDate toDay = QDate::fromString(QString::fromStdString(to.first), "M/d/yyyy");
        EXPECT_EQ(from.first, toDay.addDays(-1).toString("M/d/yyyy").toStdString());
        EXPECT_EQ(from.second, to.second);
    }
}
