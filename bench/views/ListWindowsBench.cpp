// The Level II and time and sales windows' repaints, offscreen, each side in one run:
//   Level2Refresh       one 500 ms refresh of the two book lists of 50 rows each: the book
//                       read under the store's lock, rows, bands and marks built, and both
//                       lists repainted by the event loop;
//   Level2PlainPainter  the same 2 x 50 rows (band fill and five cells each) drawn by two
//                       plain widgets with QPainter from arrays made beforehand.
//   TimeSalesRepaint/N  one repaint of a time and sales list over a series of N ticks
//                       (1,000 and 1,000,000): a repaint costs what is visible.
// Each benchmark checks that its rows were drawn and reports how many (rows_drawn).
#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/SessionConfig.h"
#include "broker/session/SessionMessages.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/SeriesTime.h"
#include "common/services/CAppSettings.h"
#include "tests/analytics/FakeSeriesServices.h"
#include "views/ui/CListFont.h"
#include "views/ui/CTimeSalesList.h"
#include "views/ui/Level2Controls.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <array>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 50;
constexpr int kListWidth = 330;
constexpr int kListHeight = 1000;

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "qx_list_windows_bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        new QApplication(argc, argv); // lives until the process ends, as the windows do
    }
}

void Pump()
{
    QCoreApplication::processEvents();
}

// A book list that counts the rows it draws (each row once per repaint).
class CCountingBookList : public CBookSideList {
public:
    using CBookSideList::CBookSideList;
    void DrawItem(LPDRAWITEMSTRUCT draw) override
    {
        drawn.insert(static_cast<int>(draw->itemID));
        CBookSideList::DrawItem(draw);
    }
    std::set<int> drawn;
};

class CCountingTickList : public CTimeSalesList {
public:
    void DrawItem(LPDRAWITEMSTRUCT draw) override
    {
        drawn.insert(static_cast<int>(draw->itemID));
        CTimeSalesList::DrawItem(draw);
    }
    std::set<int> drawn;
};

// Two book lists of a Level II window over a 50-level book a side.
struct Level2Fixture {
    Level2Fixture() : manager(".", CSessionConfig{}, nullptr, nullptr)
    {
        EnsureApplication();
        CAppSettings::Install(&settings);
        CSessionManager::Install(&manager);
        host.Create(nullptr, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 2 * kListWidth + 10, kListHeight),
                    nullptr, 0);
        handle = manager.CreateMarketDepthHandle("L2:MSFT");
        handle->Subscribe();
        font.Create(settings.m_level2Font, host);
        for (int side = 0; side < 2; ++side) {
            CCountingBookList& list = side == 0 ? bids : asks;
            list.CreateList(&host, 100 + static_cast<UINT>(side), {});
            list.MoveWindow(side * (kListWidth + 4), 0, kListWidth, kListHeight);
            list.SetupColumns(false);
            list.SetLook(&font.Font(), font.GetRowHeight(), font.GetBlankWidth(), settings.m_level2TextColor);
            list.SetDepthHandle(handle);
        }
        Apply(0);
    }
    ~Level2Fixture()
    {
        bids.SetDepthHandle(nullptr);
        asks.SetDepthHandle(nullptr);
        manager.DeleteMarketDepthHandle(handle);
        bids.DestroyWindow();
        asks.DestroyWindow();
        host.DestroyWindow();
        CSessionManager::Install(nullptr);
        CAppSettings::Install(nullptr);
    }

    // A book of 50 levels a side, moved a little by n.
    void Apply(int n)
    {
        CBookMessage book;
        book.m_symbol = "MSFT";
        book.m_source = "L2";
        for (int i = 0; i < kRows; ++i) {
            const CString maker = CString("MM") + CString(std::to_string(i).c_str());
            const int step = (i + n) % 7 == 0 ? 1 : 0;
            book.m_bids.push_back({maker, 20.00 - 0.01 * (i / 3) - 0.01 * step, 100 * (1 + (i * 7 + n) % 40), ""});
            book.m_asks.push_back({maker, 20.02 + 0.01 * (i / 3) + 0.01 * step, 100 * (1 + (i * 5 + n) % 40), ""});
        }
        manager.GetDepthStore().ApplyMessage(book);
    }

    CAppSettings settings;
    CSessionManager manager;
    CWnd host;
    CListFont font;
    CMarketDepthHandle* handle = nullptr;
    CCountingBookList bids{0};
    CCountingBookList asks{1};
};

// The same rows from arrays: a band colour and five texts a row.
class QxPlainBook : public QWidget {
public:
    struct Row {
        QColor band;
        std::array<QString, 5> cells;
    };
    QxPlainBook() { setAttribute(Qt::WA_OpaquePaintEvent); }
    std::vector<Row> rows;
    std::array<int, 5> widths = {70, 55, 20, 50, 20};
    int rowHeight = 16;
    QFont font;
    int drawn = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setFont(font);
        p.setPen(Qt::black);
        drawn = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            const int y = static_cast<int>(i) * rowHeight;
            p.fillRect(0, y, width(), rowHeight, rows[i].band);
            int x = 0;
            for (size_t c = 0; c < 5; ++c) {
                p.drawText(QRect(x + 6, y, widths[c] - 12, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                           rows[i].cells[c]);
                x += widths[c];
            }
            ++drawn;
        }
    }
};

void Level2Refresh(benchmark::State& state)
{
    static Level2Fixture* f = new Level2Fixture; // lives until the process ends
    Pump();
    int n = 0;
    size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f->Apply(++n);
        f->bids.drawn.clear();
        f->asks.drawn.clear();
        state.ResumeTiming();
        f->bids.Refresh(f->settings.m_level2Colors);
        f->asks.Refresh(f->settings.m_level2Colors);
        Pump();
        state.PauseTiming();
        rows = f->bids.drawn.size() + f->asks.drawn.size();
        if (rows != 2 * kRows) {
            state.SkipWithError(("the lists drew " + std::to_string(rows) + " of their 100 rows").c_str());
            break;
        }
        state.ResumeTiming();
    }
    state.counters["rows_drawn"] = static_cast<double>(rows);
}

// The two halves of Level2Refresh: reading the book into rows, and the repaint.
void Level2ReadOnly(benchmark::State& state)
{
    static Level2Fixture* f = new Level2Fixture;
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f->Apply(++n);
        state.ResumeTiming();
        f->bids.Refresh(f->settings.m_level2Colors);
        f->asks.Refresh(f->settings.m_level2Colors);
        state.PauseTiming();
        Pump();
        state.ResumeTiming();
    }
    state.counters["rows_read"] = static_cast<double>(f->bids.Rows().size() + f->asks.Rows().size());
}

void Level2PaintOnly(benchmark::State& state)
{
    static Level2Fixture* f = new Level2Fixture;
    size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f->bids.Refresh(f->settings.m_level2Colors);
        f->asks.Refresh(f->settings.m_level2Colors);
        f->bids.drawn.clear();
        f->asks.drawn.clear();
        state.ResumeTiming();
        Pump();
        rows = f->bids.drawn.size() + f->asks.drawn.size();
    }
    state.counters["rows_drawn"] = static_cast<double>(rows);
}

void Level2PlainPainter(benchmark::State& state)
{
    EnsureApplication();
    static std::array<QxPlainBook, 2>* books = [] {
        auto* b = new std::array<QxPlainBook, 2>;
        for (int side = 0; side < 2; ++side) {
            QxPlainBook& book = (*b)[static_cast<size_t>(side)];
            book.resize(kListWidth, kListHeight);
            book.font = QFont("Arial");
            book.font.setPixelSize(13);
            book.show();
        }
        return b;
    }();
    const QColor bands[5] = {QColor(255, 255, 0), QColor(128, 255, 0), QColor(0, 255, 255), QColor(255, 128, 128),
                             QColor(0, 128, 255)};
    int n = 0;
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++n;
        for (QxPlainBook& book : *books) {
            book.rows.assign(kRows, {});
            for (int i = 0; i < kRows; ++i) {
                auto& row = book.rows[static_cast<size_t>(i)];
                row.band = bands[(i / 3) % 5];
                row.cells = {QString("MM%1").arg(i), QString::number(20.0 - 0.01 * (i / 3), 'f', 2), "+",
                             QString::number(100 * (1 + (i * 7 + n) % 40)), "-"};
            }
        }
        state.ResumeTiming();
        for (QxPlainBook& book : *books)
            book.update();
        Pump();
        state.PauseTiming();
        rows = (*books)[0].drawn + (*books)[1].drawn;
        if (rows != 2 * kRows) {
            state.SkipWithError("the widgets did not draw their 100 rows");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["rows_drawn"] = rows;
}

// A time and sales list over a tick series of `ticks` records, every one a trade.
struct TimeSalesFixture {
    explicit TimeSalesFixture(int ticks) : series("ABCD,0", 0)
    {
        EnsureApplication();
        CAppSettings::Install(&settings);
        host.Create(nullptr, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 600, 800), nullptr, 0);
        series.SetWindowMode(1);
        series.SetBarCount(ticks, 0);
        std::vector<CHistoryRow> rows;
        rows.reserve(static_cast<size_t>(ticks));
        for (int r = 0; r < series.GetRecordCount(); ++r) {
            CHistoryRow row;
            row.feedTime = CTimeToFeedTime(series.GetRecordAt(r)->m_startTime);
            row.open = row.high = row.low = row.close = 20 + (r % 100) * 0.01;
            row.volume = 100 * (1 + r % 30);
            rows.push_back(row);
        }
        series.OnIntradayHistory(rows);
        font.Create(settings.m_tsFont, host);
        list.CreateList(&host, 100, {});
        list.SetMode(true);
        list.MoveWindow(0, 0, 600, 800);
        list.SetLook(&font.Font(), &font.Font(), font.GetRowHeight(), font.GetBlankWidth(), 0);
        list.SetColors(settings.m_tsColors);
        list.FillItems();
        list.ApplyLayout(DefaultListLayout(kTickKindCount));
        list.SetSeries(&series, "ABCD,0");
        Pump();
    }
    ~TimeSalesFixture()
    {
        list.SetSeries(nullptr, CString());
        list.DestroyWindow();
        host.DestroyWindow();
        CAppSettings::Install(nullptr);
    }

    FakeSeriesServices services;
    CAppSettings settings;
    CPriceSeries series;
    CWnd host;
    CListFont font;
    CCountingTickList list;
};

void TimeSalesRepaint(benchmark::State& state)
{
    auto f = std::make_unique<TimeSalesFixture>(static_cast<int>(state.range(0)));
    size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f->list.drawn.clear();
        state.ResumeTiming();
        f->list.SeriesChanged();
        Pump();
        state.PauseTiming();
        rows = f->list.drawn.size();
        CListRow top;
        if (rows < 20 || !f->list.RowOfItem(0, top) || top.texts[6] != "Trade") {
            state.SkipWithError("the list did not draw its trades");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["rows_drawn"] = static_cast<double>(rows);
    state.counters["series_records"] = f->series.GetRecordCount();
}

} // namespace

BENCHMARK(Level2Refresh)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(Level2PlainPainter)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(Level2ReadOnly)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(Level2PaintOnly)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(TimeSalesRepaint)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
