// The Level II and time and sales windows' repaints, offscreen:
//   Level2Refresh       one 500 ms refresh of the two book lists of 50 rows each (the book
//                       read under the store's lock, rows, bands and marks built, and both
//                       lists repainted by the event loop), against the same 2 x 50 rows
//                       (band fill and five cells each) drawn by two plain widgets with
//                       QPainter, their row texts made from the numbers inside the timing.
//                       Reports both times (plain_us), their ratio and the rows each drew.
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
#include <chrono>
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

// The plain side: two widgets and the numbers of their rows.
struct PlainBooks {
    PlainBooks()
    {
        EnsureApplication();
        for (QxPlainBook& book : books) {
            book.resize(kListWidth, kListHeight);
            book.font = QFont("Arial");
            book.font.setPixelSize(13);
            book.show();
        }
    }
    // Rows made from the numbers as the book moves by n, then both widgets repainted.
    void Refresh(int n)
    {
        static const QColor bands[5] = {QColor(255, 255, 0), QColor(128, 255, 0), QColor(0, 255, 255),
                                        QColor(255, 128, 128), QColor(0, 128, 255)};
        for (size_t side = 0; side < books.size(); ++side) {
            QxPlainBook& book = books[side];
            book.rows.resize(kRows);
            for (int i = 0; i < kRows; ++i) {
                const int step = (i + n) % 7 == 0 ? 1 : 0;
                const double price = side == 0 ? 20.00 - 0.01 * (i / 3) - 0.01 * step : 20.02 + 0.01 * (i / 3) + 0.01 * step;
                const int size = 100 * (1 + (i * (side == 0 ? 7 : 5) + n) % 40);
                auto& row = book.rows[static_cast<size_t>(i)];
                row.band = bands[(i / 3) % 5];
                row.cells = {QString("MM%1").arg(i), QString::number(price, 'f', 2), "+", QString::number(size), "-"};
            }
            book.update();
        }
        Pump();
    }
    int Drawn() const { return books[0].drawn + books[1].drawn; }
    std::array<QxPlainBook, 2> books;
};

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void Level2Refresh(benchmark::State& state)
{
    static Level2Fixture* f = new Level2Fixture; // lives until the process ends
    static PlainBooks* plain = new PlainBooks;
    Pump();
    int n = 0;
    size_t rows = 0;
    int plainRows = 0;
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        f->Apply(++n);
        f->bids.drawn.clear();
        f->asks.drawn.clear();
        const auto t0 = std::chrono::steady_clock::now();
        f->bids.Refresh(f->settings.m_level2Colors);
        f->asks.Refresh(f->settings.m_level2Colors);
        Pump();
        const auto t1 = std::chrono::steady_clock::now();
        plain->Refresh(n);
        const auto t2 = std::chrono::steady_clock::now();
        ours += Seconds(t1 - t0);
        theirs += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t1 - t0));
        rows = f->bids.drawn.size() + f->asks.drawn.size();
        plainRows = plain->Drawn();
        if (rows != 2 * kRows || plainRows != 2 * kRows) {
            state.SkipWithError(("the lists drew " + std::to_string(rows) + " and the plain widgets " +
                                 std::to_string(plainRows) + " of their 100 rows")
                                    .c_str());
            break;
        }
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["rows_drawn"] = static_cast<double>(rows);
    state.counters["plain_rows_drawn"] = plainRows;
    state.counters["plain_us"] = theirs * 1e6 / iterations;
    state.counters["ratio"] = ours / theirs;
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

BENCHMARK(Level2Refresh)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseManualTime();
BENCHMARK(Level2ReadOnly)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(Level2PaintOnly)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(TimeSalesRepaint)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
