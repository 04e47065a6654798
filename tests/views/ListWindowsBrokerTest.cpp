// The Level II, time and sales and bar windows against the in-process test broker: a
// Level II window following the broker's changing book for a minute (rows, bands, summary
// and market-maker log checked against the book and against moves worked out from the
// books a raw stream client receives), time and sales showing every trade the broker sent
// in order and exporting a range, and a bar window listing the history the broker serves.
#include "ListWindowsHarness.h"

#include "analytics/series/CPriceSeries.h"
#include "broker/core/FeedTime.h"
#include "broker/core/Formatters.h"
#include "broker/protocol/StreamRecord.h"
#include "broker/session/CMarketDepthHandle.h"
#include "tests/support/CSeriesBrokerSession.h"
#include "tests/tools/BrokerTestClients.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/CTestBroker.h"
#include "tools/testbroker/ExchangeClock.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cmath>
#include <map>
#include <sstream>

using qx::protocol::BookRecord;
using qx::protocol::BookRow;

namespace {

class ListWindowsBroker : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_session.Start()); }
    void TearDown() override
    {
        m_harness.reset();
        m_session.Stop();
    }
    qx::testbroker::CTestBroker& Broker() { return m_session.Broker(); }
    CSessionManager& Manager() { return m_session.Manager(); }
    // The session's exchange clock as a time whose local parts are the exchange's.
    CTime ExchangeNow()
    {
        SYSTEMTIME t{};
        Manager().GetExchangeTime(t);
        return CTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    }
    static bool SeriesReady(CSeriesListView& view)
    {
        return view.GetSeries() && view.GetSeries()->IsLoaded() && !view.GetSeries()->IsWaitingForData();
    }

    qx::testsupport::CSeriesBrokerSession m_session{true};
    std::unique_ptr<CListWindowsHarness> m_harness;
};

// A market-maker log entry as worked out from two books, without the time.
struct Move {
    std::string participant;
    int side, kind, up;
    std::string bidPrice, bidSize, askPrice, askSize;
    bool operator==(const Move&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Move& m)
{
    return out << m.participant << " side " << m.side << " kind " << m.kind << " up " << m.up << " " << m.bidPrice
               << "/" << m.bidSize << " x " << m.askPrice << "/" << m.askSize;
}

std::string Price(double price)
{
    return FormatNumber(price, 2, 4).str();
}

std::string Size(int size)
{
    return FormatIntThousands(size).str();
}

// The moves of participants between two books: a price move before a size move, bids
// before asks, in the rows' order; the other side's texts from the participant's first
// row there, "0" when it quotes no such side.
std::vector<Move> MovesBetween(const BookRecord& before, const BookRecord& after)
{
    std::vector<Move> moves;
    for (int side = 0; side < 2; ++side) {
        const auto& rows = side == 0 ? after.bids : after.asks;
        const auto& old = side == 0 ? before.bids : before.asks;
        const auto& other = side == 0 ? after.asks : after.bids;
        std::map<std::string, BookRow> previous;
        for (const BookRow& row : old)
            previous[row.participant] = row;
        for (const BookRow& row : rows) {
            const auto was = previous.find(row.participant);
            if (was == previous.end())
                continue;
            std::string otherPrice = "0", otherSize = "0";
            for (const BookRow& o : other)
                if (o.participant == row.participant) {
                    otherPrice = Price(o.price);
                    otherSize = Size(o.size);
                    break;
                }
            auto make = [&](int kind, bool up) {
                Move m{row.participant, side, kind, up ? 1 : 0, "", "", "", ""};
                (side == 0 ? m.bidPrice : m.askPrice) = Price(row.price);
                (side == 0 ? m.bidSize : m.askSize) = Size(row.size);
                (side == 0 ? m.askPrice : m.bidPrice) = otherPrice;
                (side == 0 ? m.askSize : m.bidSize) = otherSize;
                moves.push_back(m);
            };
            if (row.price != was->second.price)
                make(1, row.price > was->second.price);
            if (row.size != was->second.size)
                make(0, row.size > was->second.size);
        }
    }
    return moves;
}

Move MoveOf(const CMMLogEntry& e)
{
    return {e.participant.str(), e.side,          e.kind,           e.up, e.bidPrice.str(), e.bidSize.str(),
            e.askPrice.str(),    e.askSize.str()};
}

// Whether a book list shows the book's side: participants, prices and sizes in order, each
// row in the level colour of its price band.
::testing::AssertionResult ListShows(CBookSideList& list, const std::vector<BookRow>& rows,
                                     const std::array<COLORREF, 5>& colors)
{
    const auto& shown = list.Rows();
    if (shown.size() != rows.size() || list.GetItemCount() != static_cast<int>(rows.size()))
        return ::testing::AssertionFailure() << shown.size() << " rows shown, " << rows.size() << " in the book";
    int band = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i].price != rows[i - 1].price)
            band = (band + 1) % 5;
        const CBookRow& row = shown[i];
        if (row.texts[kBookParticipant].str() != rows[i].participant || row.texts[kBookPrice].str() != Price(rows[i].price) ||
            row.texts[kBookSize].str() != Size(rows[i].size) || row.color != colors[static_cast<size_t>(band)])
            return ::testing::AssertionFailure()
                   << "row " << i << ": " << row.texts[kBookParticipant].str() << " " << row.texts[kBookPrice].str()
                   << " " << row.texts[kBookSize].str() << " shown, " << rows[i].participant << " "
                   << Price(rows[i].price) << " " << rows[i].size << " in the book";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(ListWindowsBroker, LevelTwoFollowsTheChangingBookForAMinute)
{
    // A client of its own hears every book the broker sends.
    qx::testbroker::testing::ApiClient api(Broker());
    ASSERT_TRUE(api.LogIn());
    qx::testbroker::testing::RawStreamClient raw;
    ASSERT_TRUE(qx::testbroker::testing::StreamLogin(api, raw, Broker().StreamPort()));
    ASSERT_TRUE(raw.Send("|control=false|source=QX|S=LEVELII&C=SUBS&P=MSFT\n"));
    ASSERT_TRUE(raw.WaitFor(
        [](const qx::protocol::StreamRecord& r) { return std::holds_alternative<BookRecord>(r.body); }, 5000));

    m_harness = std::make_unique<CListWindowsHarness>();
    m_harness->main->symbol = "MSFT";
    CLevel2View* view = m_harness->OpenLevel2();
    ASSERT_NE(view, nullptr);
    view->ShowLog(true);
    const auto& colors = m_harness->settings.m_level2Colors;
    ASSERT_TRUE(PumpUntil([&] { return view->Bids().GetItemCount() > 0; }, 10000));

    QElapsedTimer running;
    running.start();
    int checks = 0;
    while (running.elapsed() < 60000) {
        Broker().PauseSimulation(false);
        QElapsedTimer step;
        step.start();
        while (step.elapsed() < 5000) {
            raw.ReadFor(20);
            PumpFor(20);
        }
        Broker().PauseSimulation(true);
        // Once the last book has arrived and a refresh has drawn it, the window shows it.
        const BookRecord book = *Broker().Book("MSFT", "L2");
        const bool settled = PumpUntil(
            [&] {
                raw.ReadFor(5);
                return static_cast<bool>(ListShows(view->Bids(), book.bids, colors)) &&
                       static_cast<bool>(ListShows(view->Asks(), book.asks, colors));
            },
            5000);
        ASSERT_TRUE(settled) << ListShows(view->Bids(), book.bids, colors).message() << " / "
                             << ListShows(view->Asks(), book.asks, colors).message();
        // The summary's Last is the broker's.
        view->Summary().UpdateCells();
        const double last = Broker().Symbol("MSFT")->last;
        CString shown = view->Summary().Cells()[0].valueText;
        shown.Remove(',');
        EXPECT_NEAR(std::atof(shown), last, 0.00001);
        ++checks;
    }
    EXPECT_GE(checks, 10);

    // The log holds the newest moves, as the books the raw client heard make them.
    raw.ReadFor(200);
    std::vector<BookRecord> books;
    for (const auto& record : raw.received)
        if (const auto* b = std::get_if<BookRecord>(&record.body); b && b->symbol == "MSFT" && b->source == "L2")
            books.push_back(*b);
    ASSERT_GT(books.size(), 20u);
    std::vector<Move> expected;
    for (size_t i = 1; i < books.size(); ++i)
        for (const Move& m : MovesBetween(books[i - 1], books[i]))
            expected.push_back(m);
    ASSERT_TRUE(PumpUntil([&] { return view->Log().GetItemCount() == static_cast<int>(std::min<size_t>(100, expected.size())); }));
    const CMMLog& log = view->Log().Log();
    ASSERT_GT(log.Size(), 50u);
    for (size_t i = 0; i < log.Size(); ++i)
        ASSERT_EQ(MoveOf(log.At(i)), expected[expected.size() - 1 - i]) << "entry " << i << " of the log";
    // Each entry carries the time text of the level that moved, as the book sent it.
    const CMMLogEntry& newest = log.At(0);
    const BookRow* level = nullptr;
    for (auto book = books.rbegin(); book != books.rend() && !level; ++book)
        for (const BookRow& r : newest.side == 0 ? book->bids : book->asks)
            if (r.participant == newest.participant.GetString())
                level = &r;
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(newest.time.GetString(), level->time);
}

TEST_F(ListWindowsBroker, TimeAndSalesShowsEveryTradeInOrderAndExportsARange)
{
    m_harness = std::make_unique<CListWindowsHarness>();
    m_harness->main->symbol = "IBM";
    CTimeSalesView* view = m_harness->OpenTimeSales();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return SeriesReady(*view); }, 15000));
    EXPECT_EQ(view->GetDocument()->GetTitle().Find("IBM - "), 0);
    EXPECT_NE(view->GetDocument()->GetTitle().Find(" - Time & Sales"), -1);
    // Trades of the series' first seconds may lie before its "now" by the client's clock.
    PumpFor(2500);
    const double base = Broker().Symbol("IBM")->last;
    static const char* kVenues[] = {"NYSE", "ARCA", "BATS", "EDGX"};
    struct Sent {
        std::string price, size, venue;
    };
    std::vector<Sent> sent;
    for (int i = 0; i < 12; ++i) {
        const double price = std::round((base + 0.01 * (i + 1)) * 100) / 100;
        const uint32_t size = 100u * static_cast<uint32_t>(i + 1);
        ASSERT_TRUE(Broker().InjectTrade("IBM", price, size, kVenues[i % 4]));
        sent.push_back({Price(price), Size(static_cast<int>(size)), kVenues[i % 4]});
    }
    CTimeSalesList& list = view->List();
    auto topShows = [&](const Sent& s) {
        CListRow row;
        return list.RowOfItem(0, row) && row.texts[2].str() == s.price && row.texts[3].str() == s.size;
    };
    ASSERT_TRUE(PumpUntil([&] { return topShows(sent.back()); }, 10000)) << [&] {
        CListRow row;
        list.RowOfItem(0, row);
        const CTime now = ExchangeNow();
        return "top " + row.texts[1].str() + " " + row.texts[2].str() + " clock " + now.Format("%H:%M:%S").str() +
               " records " + std::to_string(view->GetSeries()->GetRecordCount()) + " last " +
               RowTimeText(view->GetSeries()->GetLastBarTime()).str();
    }();
    for (size_t i = 0; i < sent.size(); ++i) {
        CListRow row;
        ASSERT_TRUE(list.RowOfItem(static_cast<int>(i), row));
        const Sent& s = sent[sent.size() - 1 - i];
        EXPECT_EQ(row.texts[6], "Trade") << i;
        EXPECT_EQ(row.texts[2].str(), s.price) << i;
        EXPECT_EQ(row.texts[3].str(), s.size) << i;
        EXPECT_EQ(row.texts[4].str(), s.venue) << i;
    }
    // Trades marked by where they fell: a new low, then at the bid, then at the ask.
    const auto quote = *Broker().Symbol("IBM");
    ASSERT_TRUE(Broker().InjectTrade("IBM", std::round(quote.bid * 90) / 100, 100, "NYSE"));
    ASSERT_TRUE(Broker().InjectTrade("IBM", quote.bid, 200, "NYSE"));
    ASSERT_TRUE(Broker().InjectTrade("IBM", quote.ask, 300, "NYSE"));
    ASSERT_TRUE(PumpUntil([&] { return topShows({Price(quote.ask), "300", ""}); }, 10000)) << [&] {
        std::string shown;
        for (int i = 0; i < 4; ++i) {
            CListRow row;
            list.RowOfItem(i, row);
            shown += row.texts[2].str() + "/" + row.texts[3].str() + " ";
        }
        return shown + "ask " + Price(quote.ask) + " bid " + Price(quote.bid);
    }();
    const int expectedFlags[] = {kTickFlagAtAsk, kTickFlagAtBid, kTickFlagNewLow};
    for (int i = 0; i < 3; ++i) {
        CListRow row;
        ASSERT_TRUE(list.RowOfItem(i, row));
        EXPECT_EQ(row.flags, expectedFlags[i]) << i;
    }
    // Drawn on the colours of the marks.
    view->GetParentFrame()->MoveWindow(0, 0, 700, 500);
    PumpFor(30);
    const auto& colors = m_harness->settings.m_tsColors;
    for (int i = 1; i < 3; ++i) { // the first row is the list's current one
        const QRect row = ItemRect(list, i);
        EXPECT_EQ(ViewportPixel(list, QPoint(row.left() + 2, row.center().y())), colors[i == 0 ? 5 : i == 1 ? 4 : 3])
            << i;
    }

    // A range ending now holds the trades, newest first; earlier ones are left out.
    SYSTEMTIME now{};
    Manager().GetExchangeTime(now);
    const DWORD end = SystemTimeToFeedTime(now);
    CListExportJob job = view->MakeExportJob({CString(m_harness->Path("ticks.csv").c_str()), ','}, end - 60, end);
    EXPECT_EQ(job.kinds, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    job.kinds = {1, 2, 3, 4, 6};
    view->StartExport(job);
    ASSERT_TRUE(PumpUntil([&] { return m_harness->main->status.Find("Exported") == 0; }, 30000))
        << m_harness->main->status.str() << (m_harness->answers->boxes.empty() ? "" : m_harness->answers->boxes.back().str());
    std::istringstream lines(m_harness->Read("ticks.csv"));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Time,Price,Size,Exchange,Type");
    // The injected trades fell within a second or two: the newest slots hold them, the
    // last trade's price (at the ask) first.
    std::getline(lines, line);
    EXPECT_NE(line.find("," + Price(quote.ask) + ","), std::string::npos) << line;
    const CString startText = RowTimeText(job.startFeedTime), endText = RowTimeText(job.endFeedTime);
    int rows = 1;
    while (std::getline(lines, line)) {
        ++rows;
        const std::string time = line.substr(0, 8);
        EXPECT_GE(time, startText.str()) << line;
        EXPECT_LE(time, endText.str()) << line;
    }
    EXPECT_GE(rows, 1);

    // A minimum size of 500 leaves the smaller trades out.
    view->SetFilter(MakeTimeSalesFilter(false, 0, 0, true, 500, ""));
    ASSERT_TRUE(PumpUntil([&] { return SeriesReady(*view); }, 15000));
    PumpFor(2500);
    EXPECT_NE(view->List().GetKey().Find("&FilterVolume=500"), -1);
    ASSERT_TRUE(Broker().InjectTrade("IBM", base, 300, "NYSE"));
    ASSERT_TRUE(Broker().InjectTrade("IBM", base + 0.5, 700, "NYSE"));
    ASSERT_TRUE(PumpUntil([&] { return topShows({Price(std::round((base + 0.5) * 100) / 100), "700", ""}); }, 10000));
    CListRow second;
    ASSERT_TRUE(list.RowOfItem(1, second));
    EXPECT_NE(second.texts[3], "300");
}

TEST_F(ListWindowsBroker, ABarWindowListsTheHistoryTheBrokerServes)
{
    m_harness = std::make_unique<CListWindowsHarness>();
    m_harness->main->symbol = "MSFT";
    m_harness->main->interval = "Daily";
    CBarView* view = m_harness->OpenBars();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return SeriesReady(*view); }, 15000));
    EXPECT_EQ(view->List().GetKey(), "MSFT,D");
    EXPECT_EQ(view->GetDocument()->GetTitle(), "MSFT - Microsoft Corp - Bar Table");

    // Every bar before today as the broker's history has it, newest first under today's.
    const CTime now = ExchangeNow();
    const int64_t today = qx::testbroker::DaysFromDate(now.GetYear(), now.GetMonth(), now.GetDay());
    qx::testbroker::CHistoryGenerator generator;
    const auto history = generator.Bars(Broker().Symbol("MSFT")->profile, {qx::testbroker::HistoryInterval::Days, 0},
                                        false, 0, qx::protocol::HistoryFeedTime(now.GetYear(), now.GetMonth(), now.GetDay(), 23, 59, 58),
                                        300, today);
    ASSERT_GE(history.size(), 300u);
    CListRow row;
    ASSERT_TRUE(view->List().RowOfItem(0, row));
    EXPECT_EQ(row.texts[0], RowDateText(qx::protocol::HistoryFeedTime(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0)));
    for (int item = 1; item <= 250; ++item) {
        const auto& bar = history[history.size() - static_cast<size_t>(item)];
        ASSERT_TRUE(view->List().RowOfItem(item, row)) << item;
        EXPECT_EQ(row.texts[0], RowDateText(bar.feedTime)) << item;
        EXPECT_EQ(row.texts[2].str(), Price(bar.open)) << item;
        EXPECT_EQ(row.texts[3].str(), Price(bar.high)) << item;
        EXPECT_EQ(row.texts[4].str(), Price(bar.low)) << item;
        EXPECT_EQ(row.texts[5].str(), Price(bar.close)) << item;
        EXPECT_EQ(row.texts[6], FormatDoubleThousands(bar.volume, 0)) << item;
    }

    // A link to five-minute bars asks for them; "Tick" keeps a bar table daily.
    CSymbolIntervalMsg five{"", "5 minutes", false};
    view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkBroadcastAll), reinterpret_cast<LPARAM>(&five));
    EXPECT_EQ(view->List().GetKey(), "MSFT,5");
    CSymbolIntervalMsg tick{"", "Tick", false};
    view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkBroadcastAll), reinterpret_cast<LPARAM>(&tick));
    EXPECT_EQ(view->GetIntervalText(), "Daily");
    EXPECT_EQ(m_harness->main->interval, "Daily");
    EXPECT_EQ(view->List().GetKey(), "MSFT,D");
}

TEST_F(ListWindowsBroker, ASymbolWithoutADescriptionIsNamedOnceInTheWindowTitles)
{
    // A symbol the broker does not list: its quote record has no description.
    ASSERT_FALSE(Broker().Symbol("ZZZZ"));
    m_harness = std::make_unique<CListWindowsHarness>();
    m_harness->main->symbol = "ZZZZ";
    m_harness->main->interval = "Daily";
    CBarView* bars = m_harness->OpenBars();
    CTimeSalesView* trades = m_harness->OpenTimeSales();
    ASSERT_NE(bars, nullptr);
    ASSERT_NE(trades, nullptr);
    ASSERT_TRUE(PumpUntil([&] {
        CQuoteStore& store = Manager().GetQuoteStore();
        std::lock_guard<std::recursive_mutex> lock(store.GetLock());
        return store.Lookup("ZZZZ") != nullptr;
    }, 15000));
    const auto caption = [](CView* view) {
        CString text;
        view->GetParentFrame()->GetWindowText(text);
        return text;
    };
    EXPECT_TRUE(PumpUntil([&] { return SeriesReady(*bars) && SeriesReady(*trades); }, 15000));
    EXPECT_EQ(bars->GetDocument()->GetTitle(), "ZZZZ - Bar Table");
    EXPECT_EQ(trades->GetDocument()->GetTitle(), "ZZZZ - Time & Sales");
    EXPECT_EQ(caption(bars).Find(" -  - "), -1) << caption(bars).GetString();
    EXPECT_EQ(caption(trades).Find(" -  - "), -1) << caption(trades).GetString();
}
