// What the Level II window shows of a book, without a display: rows in the book's order
// with colour bands by price, direction marks, the depth bar, the summary cells, titles,
// the layout, the order a double click makes and the market-maker log.
#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CMarketDepthStore.h"
#include "broker/session/CQuoteStore.h"
#include "broker/session/QuoteFields.h"
#include "common/services/CAppSettings.h"
#include "views/Level2Book.h"
#include "views/MMLog.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::array<COLORREF, 5> kBands = {0x11, 0x22, 0x33, 0x44, 0x55};

CBookMessage Book(const char* source, std::vector<CBookMessageRow> bids, std::vector<CBookMessageRow> asks)
{
    CBookMessage message;
    message.m_symbol = "MSFT";
    message.m_source = source;
    message.m_bids = std::move(bids);
    message.m_asks = std::move(asks);
    return message;
}

// A store, a quote store and one handle on the MSFT book of a source.
struct BookFixture {
    explicit BookFixture(const char* text) : handle(depth, quotes, text) {}
    void Subscribe() { handle.Subscribe(); }
    std::vector<CBookRow> Rows(int side, bool timeMode = false)
    {
        std::vector<CBookRow> rows;
        const CDepthReadScope scope(handle);
        ReadBookRows(handle, side, timeMode, kBands, rows);
        return rows;
    }
    CMarketDepthStore depth;
    CQuoteStore quotes;
    CMarketDepthHandle handle;
};

std::vector<CString> Column(const std::vector<CBookRow>& rows, int text)
{
    std::vector<CString> out;
    for (const CBookRow& row : rows)
        out.push_back(row.texts[static_cast<size_t>(text)]);
    return out;
}

class Sink : public IMMLogSink {
public:
    bool PostTitleRefresh() override
    {
        ++titles;
        return true;
    }
    bool PostEntry(std::unique_ptr<CMMLogEntry> entry) override
    {
        entries.push_back(*entry);
        log.Add(std::move(entry));
        return true;
    }
    int titles = 0;
    std::vector<CMMLogEntry> entries;
    CMMLog log;
};

} // namespace

TEST(Level2Rows, RowsKeepTheBookOrderAndPricesShareABand)
{
    EXPECT_EQ(BookBands({"20.10", "20.10", "20.05"}), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(BookBands({"6", "5", "4", "3", "2", "1", "1"}), (std::vector<int>{0, 1, 2, 3, 4, 0, 0}));
    EXPECT_EQ(BookBands({"20.10", "20.05", "20.10"}), (std::vector<int>{0, 1, 2})); // by neighbours, not sorted
    EXPECT_TRUE(BookBands({}).empty());

    BookFixture f("L2:MSFT");
    f.Subscribe();
    f.depth.ApplyMessage(Book("L2",
                              {{"ARCA", 20.10, 300, ""}, {"NSDQ", 20.10, 1500, ""}, {"EDGX", 20.05, 200, ""},
                               {"GSCO", 20.05, 100, ""}, {"UBSS", 20.0, 100, ""}},
                              {{"EDGX", 20.12, 100, ""}}));
    const std::vector<CBookRow> bids = f.Rows(0);
    ASSERT_EQ(bids.size(), 5u);
    EXPECT_EQ(Column(bids, kBookParticipant), (std::vector<CString>{"ARCA", "NSDQ", "EDGX", "GSCO", "UBSS"}));
    EXPECT_EQ(Column(bids, kBookPrice), (std::vector<CString>{"20.10", "20.10", "20.05", "20.05", "20.00"}));
    EXPECT_EQ(Column(bids, kBookSize), (std::vector<CString>{"300", "1,500", "200", "100", "100"}));
    EXPECT_EQ(bids[0].color, 0x11u);
    EXPECT_EQ(bids[1].color, 0x11u);
    EXPECT_EQ(bids[2].color, 0x22u);
    EXPECT_EQ(bids[3].color, 0x22u);
    EXPECT_EQ(bids[4].color, 0x33u);
    ASSERT_TRUE(bids[1].price);
    EXPECT_DOUBLE_EQ(*bids[1].price, 20.10);
    EXPECT_EQ(Column(bids, kBookPriceMark), std::vector<CString>(5));
    EXPECT_EQ(f.Rows(1).size(), 1u);

    // ARCA's bid rises, GSCO's size falls: marks by the signed directions.
    f.depth.ApplyMessage(Book("L2",
                              {{"ARCA", 20.11, 300, ""}, {"NSDQ", 20.10, 1500, ""}, {"EDGX", 20.05, 200, ""},
                               {"GSCO", 20.05, 50, ""}, {"UBSS", 19.99, 100, ""}},
                              {}));
    const std::vector<CBookRow> moved = f.Rows(0);
    EXPECT_EQ(Column(moved, kBookPriceMark), (std::vector<CString>{"+", "", "", "", "-"}));
    EXPECT_EQ(Column(moved, kBookSizeMark), (std::vector<CString>{"", "", "", "-", ""}));
    EXPECT_EQ(moved[1].color, 0x22u); // 20.10 is now a price of its own
}

TEST(Level2Rows, TotalViewRowsShowTimesAndNoMarks)
{
    const std::vector<CBookColumn> tv = BookColumns(true, 1);
    ASSERT_EQ(tv.size(), 4u);
    EXPECT_STREQ(tv[1].title, "Ask");
    EXPECT_STREQ(tv[3].title, "Time");
    EXPECT_EQ(tv[3].text, kBookTime);
    const std::vector<CBookColumn> l2 = BookColumns(false, 0);
    ASSERT_EQ(l2.size(), 5u);
    EXPECT_STREQ(l2[1].title, "Bid");
    EXPECT_EQ(l2[2].text, kBookPriceMark);
    EXPECT_EQ(l2[4].text, kBookSizeMark);

    BookFixture f("TV:MSFT");
    f.Subscribe();
    f.depth.ApplyMessage(Book("TV", {{"ARCA", 20.10, 300, "09:31:05"}}, {}));
    const std::vector<CBookRow> rows = f.Rows(0, true);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].texts[kBookTime], "09:31:05");
    EXPECT_EQ(rows[0].texts[kBookPriceMark], "");
}

TEST(Level2DepthBar, GroupsShareTheWidthAroundTheSeparator)
{
    BookFixture f("L2:MSFT");
    f.Subscribe();
    f.depth.ApplyMessage(
        Book("L2", {{"ARCA", 10.0, 200, ""}, {"NSDQ", 10.0, 100, ""}}, {{"EDGX", 10.01, 100, ""}}));
    CDepthGroups groups;
    {
        const CDepthReadScope scope(f.handle);
        groups = GroupDepth(f.handle);
    }
    EXPECT_EQ(groups.bids, (std::vector<long long>{300}));
    EXPECT_EQ(groups.asks, (std::vector<long long>{100}));
    EXPECT_EQ(groups.total, 400);
    // 105 pixels: 100 shared 3:1 beside the 5-pixel separator.
    const std::vector<CDepthBlock> bar = LayOutDepthBar(groups, 105);
    ASSERT_EQ(bar.size(), 3u);
    EXPECT_EQ(bar[0].left, 0);
    EXPECT_EQ(bar[0].width, 75);
    EXPECT_EQ(bar[1].left, 75);
    EXPECT_EQ(bar[1].width, 5);
    EXPECT_EQ(bar[1].colorIndex, -1);
    EXPECT_EQ(bar[2].left, 80);
    EXPECT_EQ(bar[2].width, 25);

    // Too narrow for the separator: nothing, rather than negative widths.
    EXPECT_TRUE(LayOutDepthBar(groups, 4).empty());
    EXPECT_TRUE(LayOutDepthBar(groups, 5).empty());
    EXPECT_TRUE(LayOutDepthBar(CDepthGroups{}, 300).empty());

    // Deepest bid group on the left; a group too small for a pixel still shows 2.
    CDepthGroups three;
    three.bids = {100, 100000};
    three.asks = {1};
    three.total = 100101;
    const std::vector<CDepthBlock> wide = LayOutDepthBar(three, 105);
    ASSERT_EQ(wide.size(), 4u);
    EXPECT_EQ(wide[0].colorIndex, 1); // the deeper group first
    EXPECT_EQ(wide[0].width, 100);    // trunc(100000 * 100 / 100101 + 0.5)
    EXPECT_EQ(wide[1].width, 2);      // trunc(100 * 100 / 100101 + 0.5) is 0
    EXPECT_EQ(wide[3].width, 2);
}

TEST(Level2DepthBar, AtMostTenPricesASide)
{
    BookFixture f("L2:MSFT");
    f.Subscribe();
    std::vector<CBookMessageRow> bids;
    for (int i = 0; i < 14; ++i)
        bids.push_back({"MM", 20.0 - i * 0.01, 100, ""});
    bids.insert(bids.begin() + 1, {"XX", 20.0, 50, ""}); // same price as the first: one group
    f.depth.ApplyMessage(Book("L2", bids, {{"EDGX", 20.01, 100, ""}}));
    const CDepthReadScope scope(f.handle);
    const CDepthGroups groups = GroupDepth(f.handle);
    ASSERT_EQ(groups.bids.size(), 10u);
    EXPECT_EQ(groups.bids[0], 150);
    EXPECT_EQ(groups.total, 150 + 9 * 100 + 100);
}

TEST(Level2Summary, CellsTickAsTheFieldAsks)
{
    CSnapshotField last = MakeSnapshotField(kFieldLast);
    UpdateSummaryCell(last, 10.0, CString("10.00"));
    EXPECT_EQ(last.tickDirection, kTickFlat); // nothing to compare with yet
    UpdateSummaryCell(last, 10.5, CString("10.50"));
    EXPECT_EQ(last.tickDirection, kTickUp);
    UpdateSummaryCell(last, 10.5, CString("10.50"));
    EXPECT_EQ(last.tickDirection, kTickUp); // an unchanged last keeps its colour
    UpdateSummaryCell(last, 10.25, CString("10.25"));
    EXPECT_EQ(last.tickDirection, kTickDown);
    EXPECT_EQ(last.valueText, "10.25");

    CSnapshotField high = MakeSnapshotField(kFieldHigh);
    UpdateSummaryCell(high, 11.0, CString("11.00"));
    UpdateSummaryCell(high, 12.0, CString("12.00"));
    EXPECT_EQ(high.tickDirection, kTickUp);
    UpdateSummaryCell(high, 12.0, CString("12.00"));
    EXPECT_EQ(high.tickDirection, kTickFlat); // High and Low lose it

    CSnapshotField change = MakeSnapshotField(kFieldChange);
    UpdateSummaryCell(change, -0.5, CString("-0.50"));
    EXPECT_EQ(change.tickDirection, kTickDown);
    UpdateSummaryCell(change, 0.0, CString("0.00"));
    EXPECT_EQ(change.tickDirection, kTickDown);
    UpdateSummaryCell(change, 0.25, CString("0.25"));
    EXPECT_EQ(change.tickDirection, kTickUp);

    CSnapshotField volume = MakeSnapshotField(kFieldVolume);
    UpdateSummaryCell(volume, 100, CString("100"));
    UpdateSummaryCell(volume, 200, CString("200"));
    EXPECT_EQ(volume.tickDirection, kTickFlat);
    UpdateSummaryCell(volume, std::nullopt, std::nullopt);
    EXPECT_EQ(volume.valueText, "   ");
}

TEST(Level2Window, HandleTextsTitlesAndLayout)
{
    EXPECT_EQ(Level2HandleText("IBM", kSourceAuto), "IBM");
    EXPECT_EQ(Level2HandleText("MSFT", kSourceLevel2), "L2:MSFT");
    EXPECT_EQ(Level2HandleText("IBM", kSourceLevel2), "NYSE:IBM");
    EXPECT_EQ(Level2HandleText("MSFT", kSourceInet), "INET:MSFT");
    EXPECT_EQ(Level2HandleText("NYSE:MSFT", kSourceTotalView), "TV:MSFT");
    EXPECT_EQ(Level2HandleText("INET:MSFT", kSourceAuto), "INET:MSFT");

    EXPECT_EQ(Level2Title("", "", false), "Level II");
    EXPECT_EQ(Level2Title("MSFT - Microsoft", "tv", true), "MSFT - Microsoft, TotalView");
    EXPECT_EQ(Level2Title("MSFT", "INET", true), "MSFT, INET Book");
    EXPECT_EQ(Level2Title("IBM", "NYSE", true), "IBM, Level II");

    // 490 x 350 client with a 16-pixel font: lists share the width, the log takes 30 %.
    const CLevel2Layout plain = LayOutLevel2(490, 350, 16, false);
    EXPECT_EQ(plain.summary, CRect(0, 0, 490, 16));
    EXPECT_EQ(plain.bar, CRect(0, 17, 490, 32));
    EXPECT_EQ(plain.bids, CRect(0, 33, 243, 33 + 318));
    EXPECT_EQ(plain.asks, CRect(247, 33, 490, 33 + 318));
    EXPECT_TRUE(plain.log.IsRectEmpty());
    const CLevel2Layout logged = LayOutLevel2(490, 350, 16, true);
    EXPECT_EQ(logged.bids.Height(), 222); // trunc(318 * 0.7)
    EXPECT_EQ(logged.log, CRect(0, 350 - 95, 490, 350)); // 350 - 222 - 16 - 17
    const CLevel2Layout tiny = LayOutLevel2(3, 10, 16, true);
    EXPECT_GE(tiny.bids.Height(), 0);
    EXPECT_GE(tiny.bids.Width(), 0);
}

TEST(Level2Orders, ADoubleClickedRowMakesTheTicketsLeg)
{
    CAppSettings settings;
    settings.m_nBroker = 1;
    CTradingDefaultsRow& row = settings.m_tradingDefaults.Row(1);
    row.orderTypes = {"Limit", "Market", "StopLimit"};
    row.routes = {"Default", "Auto", "Default"};
    row.expires = {"DAY", "GTC", "DAY+EXT"};
    row.instructions = {"None", "AON", "FOK"};
    settings.m_nStockShares = 300;

    const COrderRecord sell = MakeBookOrder("MSFT", "L2", 0, 1500000.0, "GSCO", settings);
    EXPECT_EQ(sell.symbol, "MSFT");
    EXPECT_EQ(sell.action, 1);
    EXPECT_DOUBLE_EQ(sell.price, 1500000.0); // shown as "1.5M", ordered at its value
    EXPECT_EQ(sell.quantity, 300);
    EXPECT_EQ(sell.orderType, "Market");
    EXPECT_EQ(sell.route, "Auto");
    EXPECT_EQ(sell.expire, "GTC");
    EXPECT_EQ(sell.instructions, "AON");

    const COrderRecord buy = MakeBookOrder("MSFT", "inet", 1, 20.1234, "INET", settings);
    EXPECT_EQ(buy.action, 0);
    EXPECT_DOUBLE_EQ(buy.price, 20.1234);
    EXPECT_EQ(buy.orderType, "StopLimit");
    EXPECT_EQ(buy.route, "NSDQ (INET)");
    EXPECT_EQ(buy.instructions, "FOK");
    EXPECT_EQ(MakeBookOrder("MSFT", "L2", 1, 20, "ARCA", settings).route, "ARCA");

    settings.m_nOptionContracts = 7;
    const COrderRecord option = MakeBookOrder("+MSFT260116C00300000", "OPRA", 1, 2.5, "CBOE", settings);
    EXPECT_EQ(option.quantity, 7);
}

TEST(MarketMakerLog, MovesBecomeEntriesWithTheirTextsAndColours)
{
    BookFixture f("L2:MSFT");
    Sink sink;
    CLevel2DepthListener listener(sink);
    f.handle.m_pListener = &listener;
    f.Subscribe();
    f.depth.ApplyMessage(Book("L2", {{"ARCA", 20.00, 300, "10:14:58"}, {"NSDQ", 19.99, 200, ""}},
                              {{"ARCA", 20.05, 400, ""}, {"EDGX", 20.06, 100, ""}}));
    EXPECT_TRUE(sink.entries.empty());

    // ARCA's bid rises and its size falls in one message: two entries, price first, both
    // at the level's own time.
    f.depth.ApplyMessage(Book("L2", {{"ARCA", 20.01, 100, "10:15:00"}, {"NSDQ", 19.99, 200, ""}}, {}));
    ASSERT_EQ(sink.entries.size(), 2u);
    const CMMLogEntry& price = sink.entries[0];
    EXPECT_STREQ(MMLogActionText(price), "Bid Price Up");
    EXPECT_EQ(MMLogTextColor(price), 0x0000FF00u);
    EXPECT_EQ(MMLogColumnText(price, 0), "ARCA");
    EXPECT_EQ(MMLogColumnText(price, 1), "100 x 400");
    EXPECT_EQ(MMLogColumnText(price, 2), "+20.01 x 20.05");
    EXPECT_EQ(MMLogColumnText(price, 4), "10:15:00");
    const CMMLogEntry& size = sink.entries[1];
    EXPECT_STREQ(MMLogActionText(size), "Bid Size Down");
    EXPECT_EQ(MMLogTextColor(size), 0x000000FFu);
    EXPECT_EQ(MMLogColumnText(size, 1), "-100 x 400");
    EXPECT_EQ(MMLogColumnText(size, 2), "20.01 x 20.05");
    EXPECT_EQ(MMLogColumnText(size, 4), "10:15:00");
    ASSERT_EQ(sink.log.Size(), 2u);
    EXPECT_STREQ(MMLogActionText(sink.log.At(0)), "Bid Size Down"); // newest on top

    // A participant quoting one side only: the other side reads "0". A fall is a fall.
    sink.entries.clear();
    f.depth.ApplyMessage(Book("L2", {}, {{"ARCA", 20.05, 400, ""}, {"EDGX", 20.04, 100, ""}}));
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_STREQ(MMLogActionText(sink.entries[0]), "Ask Price Down");
    EXPECT_EQ(MMLogTextColor(sink.entries[0]), 0x000000FFu);
    EXPECT_EQ(MMLogColumnText(sink.entries[0], 2), "0 x 20.04-");
    EXPECT_EQ(MMLogColumnText(sink.entries[0], 1), "0 x 100");
    // A level without a time of its own leaves the entry's time empty.
    EXPECT_EQ(MMLogColumnText(sink.entries[0], 4), "");

    // The asks again without a move: nothing. A size move does not repeat the price move.
    sink.entries.clear();
    f.depth.ApplyMessage(Book("L2", {}, {{"ARCA", 20.05, 400, ""}, {"EDGX", 20.04, 300, ""}}));
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_STREQ(MMLogActionText(sink.entries[0]), "Ask Size Up");
    EXPECT_EQ(MMLogTextColor(sink.entries[0]), 0x000000FFu);

    // Two rises of one maker in a row are two entries; the same entry twice is one.
    sink.entries.clear();
    f.depth.ApplyMessage(Book("L2", {{"NSDQ", 20.00, 200, ""}, {"ARCA", 20.01, 100, ""}}, {}));
    f.depth.ApplyMessage(Book("L2", {{"NSDQ", 20.01, 200, ""}, {"ARCA", 20.01, 100, ""}}, {}));
    ASSERT_EQ(sink.entries.size(), 2u);
    EXPECT_EQ(MMLogColumnText(sink.entries[1], 2), "+20.01 x 0");
    f.depth.ApplyMessage(Book("L2", {{"NSDQ", 20.00, 200, ""}, {"ARCA", 20.01, 100, ""}}, {}));
    f.depth.ApplyMessage(Book("L2", {{"NSDQ", 20.01, 200, ""}, {"ARCA", 20.01, 100, ""}}, {}));
    EXPECT_EQ(sink.entries.size(), 4u);
    CLevel2DepthListener direct(sink);
    direct.OnDepthChange(&f.handle, 1, 0, 0, kDepthPriceMoved);
    direct.OnDepthChange(&f.handle, 1, 0, 0, kDepthPriceMoved);
    EXPECT_EQ(sink.entries.size(), 5u);
    // A price move whose price has no direction falls back to the size's: EDGA's size rose
    // and its price never moved.
    f.depth.ApplyMessage(Book("L2", {{"EDGA", 19.98, 100, ""}}, {}));
    f.depth.ApplyMessage(Book("L2", {{"EDGA", 19.98, 500, ""}}, {}));
    ASSERT_EQ(sink.entries.size(), 6u);
    direct.OnDepthChange(&f.handle, 1, 0, 0, kDepthPriceMoved);
    ASSERT_EQ(sink.entries.size(), 7u);
    EXPECT_STREQ(MMLogActionText(sink.entries[6]), "Bid Size Up");
    EXPECT_EQ(MMLogColumnText(sink.entries[6], 1), "+500 x 0");
    EXPECT_EQ(MMLogColumnText(sink.entries[6], 2), "19.98 x 0");
    direct.OnDepthChange(&f.handle, 0, 0, 0, 0);
    EXPECT_EQ(sink.titles, 1);
    direct.OnDepthChange(&f.handle, 2, 0, 0, 6);
    direct.OnDepthChange(&f.handle, 1, 0, 9, 6); // no such level
    EXPECT_EQ(sink.entries.size(), 7u);
}

TEST(MarketMakerLog, KeepsTheNewestHundredAndStaysEmptyOnTotalViewAndInet)
{
    CMMLog log;
    for (int i = 0; i < 101; ++i) {
        auto entry = std::make_unique<CMMLogEntry>();
        entry->participant.Format("MM%d", i);
        log.Add(std::move(entry));
    }
    ASSERT_EQ(log.Size(), 100u);
    EXPECT_EQ(log.At(0).participant, "MM100");
    EXPECT_EQ(log.At(99).participant, "MM1");

    for (const char* source : {"TV", "INET"}) {
        BookFixture f((CString(source) + ":MSFT").GetString());
        Sink sink;
        CLevel2DepthListener listener(sink);
        f.handle.m_pListener = &listener;
        f.Subscribe();
        f.depth.ApplyMessage(Book(source, {{source, 20.00, 300, "09:30:00"}}, {}));
        f.depth.ApplyMessage(Book(source, {{source, 20.01, 100, "09:30:02"}}, {}));
        EXPECT_TRUE(sink.entries.empty()) << source;
    }
}
