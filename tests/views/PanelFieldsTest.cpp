// The snapshot panel's fields (ticks, boxes, hit test, stored form, changes queued from
// the quote thread), the tracking rows' size and the checks of the web watch list item
// form, without a display. Text is measured as 7 pixels per character, so widths are
// counted by hand.
#include "ArchiveBytes.h"
#include "tests/support/ArchiveBytes.h"
#include "ViewsTestSupport.h"

#include "broker/session/CQuoteListener.h"
#include "broker/session/CSymbolHandle.h"

#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "views/PendingFieldIds.h"
#include "views/SnapshotFields.h"
#include "views/TrackingRows.h"
#include "views/WatchedSymbolForm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

int SevenPerChar(const CString& text)
{
    return 7 * text.GetLength();
}

constexpr int kRow = 16;

std::vector<int> IdsOf(const CSnapshotFieldSet& set)
{
    std::vector<int> ids;
    for (const CSnapshotField& f : set.fields)
        ids.push_back(f.fieldId);
    return ids;
}

} // namespace

TEST(SnapshotField, PricesTickAgainstTheirPreviousValueChangeAgainstZeroOthersNever)
{
    CSnapshotField last = MakeSnapshotField(3);
    UpdateSnapshotField(last, 10.0, CString("10.00"));
    EXPECT_EQ(last.tickDirection, kTickFlat); // nothing before
    UpdateSnapshotField(last, 11.0, CString("11.00"));
    EXPECT_EQ(last.tickDirection, kTickUp);
    UpdateSnapshotField(last, 11.0, CString("11.00"));
    EXPECT_EQ(last.tickDirection, kTickFlat);
    UpdateSnapshotField(last, 10.5, CString("10.50"));
    EXPECT_EQ(last.tickDirection, kTickDown);
    // Unreadable: no colour and "n/a"; the next value compares with the last one read.
    UpdateSnapshotField(last, std::nullopt, std::nullopt);
    EXPECT_EQ(last.tickDirection, kTickFlat);
    EXPECT_EQ(last.valueText, "n/a");
    UpdateSnapshotField(last, 10.75, CString("10.75"));
    EXPECT_EQ(last.tickDirection, kTickUp);
    EXPECT_EQ(last.valueText, "10.75");

    CSnapshotField change = MakeSnapshotField(35);
    for (const auto& [value, direction] : {std::pair{0.5, kTickUp}, {0.5, kTickUp}, {-0.2, kTickDown}, {0.0, kTickFlat}}) {
        UpdateSnapshotField(change, value, CString("x"));
        EXPECT_EQ(change.tickDirection, direction) << value;
    }
    CSnapshotField volume = MakeSnapshotField(10);
    UpdateSnapshotField(volume, 100.0, CString("100"));
    UpdateSnapshotField(volume, 200.0, CString("200"));
    EXPECT_EQ(volume.tickDirection, kTickFlat);

    EXPECT_EQ(TickModeOfField(6), kTickAgainstPrevious);
    EXPECT_EQ(TickModeOfField(36), kTickAgainstZero);
    EXPECT_EQ(TickModeOfField(32), kTickNever);
}

TEST(SnapshotField, ValueTextsAreCutAt30AndQualifiedSymbolsLoseTheirExchange)
{
    CSnapshotField description = MakeSnapshotField(32);
    UpdateSnapshotField(description, std::nullopt, CString("Micro Systems Holding Corporation of America"));
    EXPECT_EQ(description.valueText, "Micro Systems Holding Corporat");
    CSnapshotField symbol = MakeSnapshotField(33);
    UpdateSnapshotField(symbol, std::nullopt, CString("NASD:MSFT"));
    EXPECT_EQ(symbol.valueText, "MSFT");
    EXPECT_EQ(SnapshotLabel(3, false), "Last:");
    EXPECT_EQ(SnapshotLabel(3, true), "Lst:");
    EXPECT_EQ(SnapshotLabel(10, true), "Vol:");
}

TEST(SnapshotLayout, DefaultFieldsSideBySideOrInAColumn)
{
    CSnapshotFieldSet set = CSnapshotFieldSet::Defaults();
    EXPECT_EQ(IdsOf(set), (std::vector<int>{3, 6, 7, 1, 2, 10}));
    EXPECT_FALSE(set.vertical);
    EXPECT_FALSE(set.abbreviated);
    // Labels "Last:" 37, "Bid:" 30, "Ask:" 30, "High:" 37, "Low:" 30, "Volume:" 51;
    // empty values 6 each.
    CSize size = LayOutSnapshotFields(set, kRow, SevenPerChar);
    EXPECT_EQ(size.cx, 215 + 36);
    EXPECT_EQ(size.cy, kRow);
    EXPECT_EQ(set.fields[5].labelWidth, 51);
    EXPECT_EQ(set.fields[5].valueWidth, 6);

    UpdateSnapshotField(set.fields[0], 123.45, CString("123.45"));
    size = LayOutSnapshotFields(set, kRow, SevenPerChar);
    EXPECT_EQ(size.cx, 215 + 36 - 6 + 48);
    const CSnapshotBoxes bid = SnapshotFieldBoxes(set, 1, kRow);
    EXPECT_EQ(bid.label, CRect(85, 0, 115, kRow));
    EXPECT_EQ(bid.value, CRect(115, 0, 121, kRow));

    // A column: the widest label (51) plus the widest value (48), one row per field.
    set.vertical = true;
    size = LayOutSnapshotFields(set, kRow, SevenPerChar);
    EXPECT_EQ(size, CSize(99, 6 * kRow));
    const CSnapshotBoxes ask = SnapshotFieldBoxes(set, 2, kRow);
    EXPECT_EQ(ask.label, CRect(0, 32, 51, 48));
    EXPECT_EQ(ask.value, CRect(51, 32, 99, 48));
}

TEST(SnapshotLayout, AbbreviatedLabelsNarrowThePanelAndNoFieldsShowNone)
{
    CSnapshotFieldSet set = CSnapshotFieldSet::Defaults();
    const CSize full = LayOutSnapshotFields(set, kRow, SevenPerChar);
    set.abbreviated = true;
    // "Lst:" 30, "B:" 16, "A:" 16, "H:" 16, "L:" 16, "Vol:" 30.
    const CSize abbreviated = LayOutSnapshotFields(set, kRow, SevenPerChar);
    EXPECT_EQ(abbreviated.cx, 124 + 36);
    EXPECT_LT(abbreviated.cx, full.cx);
    set.fields.clear();
    EXPECT_EQ(LayOutSnapshotFields(set, kRow, SevenPerChar), CSize(28 + 4, kRow));
}

TEST(SnapshotLayout, HitTestFindsTheFieldUnderAPoint)
{
    CSnapshotFieldSet set = CSnapshotFieldSet::Defaults();
    LayOutSnapshotFields(set, kRow, SevenPerChar);
    // Right edges: 43, 79, 115, 158, 194, 251.
    for (const auto& [x, field] : {std::pair{0, 0}, {42, 0}, {43, 1}, {157, 3}, {158, 4}, {250, 5}, {1000, 5}})
        EXPECT_EQ(HitTestSnapshotField(set, kRow, CPoint(x, 3)), field) << x;
    set.vertical = true;
    for (const auto& [y, field] : {std::pair{0, 0}, {15, 0}, {16, 1}, {95, 5}, {500, 5}})
        EXPECT_EQ(HitTestSnapshotField(set, kRow, CPoint(3, y)), field) << y;
    set.fields.clear();
    EXPECT_EQ(HitTestSnapshotField(set, kRow, CPoint(0, 0)), -1);
}

TEST(SnapshotStoredForm, WordsInOrderAndBackAgain)
{
    CSnapshotFieldSet set;
    set.abbreviated = true;
    set.fields = {MakeSnapshotField(3), MakeSnapshotField(36), MakeSnapshotField(10)};
    const std::string bytes = StoreToString([&](CArchive& ar) {
        StoreSnapshotFieldSet(ar, set);
        StorePanelPosition(ar, CPoint(40, -12));
    });
    EXPECT_EQ(bytes, CBytes().Dword(1).Dword(0).Dword(3).Dword(3).Dword(36).Dword(10).Int(40).Int(-12).str());

    CSnapshotFieldSet read = CSnapshotFieldSet::Defaults();
    CPoint position;
    LoadFromString(bytes, [&](CArchive& ar) {
        LoadSnapshotFieldSet(ar, read);
        EXPECT_TRUE(LoadPanelPosition(ar, 19, position));
    });
    EXPECT_EQ(read, set);
    EXPECT_EQ(read.fields[1].tickMode, kTickAgainstZero);
    EXPECT_EQ(position, CPoint(40, -12));

    // Before version 5 a panel stores no position: nothing is read.
    LoadFromString(CBytes().Int(7).Int(8).str(), [&](CArchive& ar) {
        CPoint unchanged(1, 2);
        EXPECT_FALSE(LoadPanelPosition(ar, 4, unchanged));
        EXPECT_EQ(unchanged, CPoint(1, 2));
        EXPECT_EQ(ar.GetRemaining(), 8u);
    });

    CSnapshotFieldSet empty = CSnapshotFieldSet::Defaults();
    LoadFromString(CBytes().Dword(0).Dword(1).Dword(0).str(), [&](CArchive& ar) { LoadSnapshotFieldSet(ar, empty); });
    EXPECT_TRUE(empty.fields.empty());
    EXPECT_TRUE(empty.vertical);
}

TEST(SnapshotStoredForm, DamagedFormsAreRefusedAndLeaveTheFieldsAlone)
{
    const std::vector<int> defaults = IdsOf(CSnapshotFieldSet::Defaults());
    const auto refused = [&](const std::string& bytes) {
        CSnapshotFieldSet set = CSnapshotFieldSet::Defaults();
        EXPECT_THROW(LoadFromString(bytes, [&](CArchive& ar) { LoadSnapshotFieldSet(ar, set); }), CArchiveException);
        EXPECT_EQ(IdsOf(set), defaults);
    };
    refused(CBytes().Dword(0).Dword(0).Dword(1).Dword(111).str());        // beyond the field table
    refused(CBytes().Dword(0).Dword(0).Dword(1).Dword(0xFFFFFFFF).str()); // "-1"
    refused(CBytes().Dword(0).Dword(0).Dword(5).Dword(3).Dword(6).str()); // count beyond the data
    refused(CBytes().Dword(0).Dword(0).str());                            // cut short

    // A field given twice is shown once.
    CSnapshotFieldSet set;
    LoadFromString(CBytes().Dword(0).Dword(0).Dword(3).Dword(3).Dword(110).Dword(3).str(),
         [&](CArchive& ar) { LoadSnapshotFieldSet(ar, set); });
    EXPECT_EQ(IdsOf(set), (std::vector<int>{3, 110}));
}

TEST(PanelColors, LabelBoxesAre30DarkerEachComponentModulo256)
{
    EXPECT_EQ(LabelBoxColor(RGB(240, 240, 240)), RGB(210, 210, 210));
    EXPECT_EQ(LabelBoxColor(RGB(20, 100, 255)), RGB(246, 70, 225));
}

TEST(TrackingRows, WidestNameAndValuePlusFourOneRowEach)
{
    const std::vector<CTrackingRow> rows = {
        {"Close", "12.50", RGB(0, 0, 0)}, {"EMA", "12.4", RGB(255, 0, 0)}, {"# Bars", "120", RGB(0, 0, 0)}};
    // "Close:12.50" is 11 characters, the widest.
    EXPECT_EQ(LayOutTrackingRows(rows, kRow, SevenPerChar), CSize(77 + 4, 3 * kRow));
    EXPECT_EQ(LayOutTrackingRows({}, kRow, SevenPerChar), CSize(28 + 4, kRow));
}

namespace {

struct FormCase {
    CWatchedSymbolForm form;
    const char* message; // nullptr: accepted
    EWatchedSymbolField field;
};

CWatchedSymbolForm Form(const char* symbol, const char* quantity = "", const char* price = "",
                        const char* commission = "", const char* month = "", const char* day = "",
                        const char* year = "")
{
    return {symbol, quantity, price, commission, month, day, year};
}

} // namespace

TEST(WatchedSymbolForm, ChecksRunInOrderAndNameTheirField)
{
    const FormCase cases[] = {
        {Form("  "), "Please specify a symbol", kWatchedSymbol},
        {Form("MSFT", "-5"), nullptr, kWatchedSymbol},
        {Form("MSFT", "1.2.3"), "Please specify a valid quantity", kWatchedQuantity},
        {Form("MSFT", "-"), "Please specify a valid quantity", kWatchedQuantity},
        {Form("MSFT", "."), "Please specify a valid quantity", kWatchedQuantity},
        {Form("MSFT", "1e5"), "Please specify a valid quantity", kWatchedQuantity},
        {Form("MSFT", std::string(400, '9').c_str()), "Please specify a valid quantity", kWatchedQuantity},
        {Form("MSFT", "10", "-5"), "Please specify a valid price", kWatchedPrice},
        {Form("MSFT", "10", "12,5"), "Please specify a valid price", kWatchedPrice},
        {Form("MSFT", "10", "12.5", "-1"), "Please specify a valid commission", kWatchedCommission},
        {Form("MSFT", "", "", "", "13", "1", "2024"), "Please specify a valid month", kWatchedMonth},
        {Form("MSFT", "", "", "", "0", "1", "2024"), "Please specify a valid month", kWatchedMonth},
        {Form("MSFT", "", "", "", "2", "32", "2024"), "Please specify a valid day", kWatchedDay},
        {Form("MSFT", "", "", "", "2", "31", "2024"), nullptr, kWatchedSymbol},
        {Form("MSFT", "", "", "", "2", "28", "0"), "Please specify a valid year", kWatchedYear},
        {Form("MSFT", "", "", "", "2", "28", "10000"), "Please specify a valid year", kWatchedYear},
        {Form("MSFT", "", "", "", "2", "28"), "Please specify a complete date", kWatchedDate},
        {Form("MSFT", "", "", "", "", "", "2024"), "Please specify a complete date", kWatchedDate},
        // The first failing check is told.
        {Form("", "x", "-1"), "Please specify a symbol", kWatchedSymbol},
        {Form("IBM", "x", "-1"), "Please specify a valid quantity", kWatchedQuantity},
    };
    for (const FormCase& c : cases) {
        CWatchedSymbol item;
        CString message;
        EWatchedSymbolField field = kWatchedSymbol;
        const bool ok = ReadWatchedSymbolForm(c.form, item, message, field);
        if (!c.message) {
            EXPECT_TRUE(ok) << c.form.symbol.GetString() << " " << message.GetString();
            continue;
        }
        EXPECT_FALSE(ok) << c.message;
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(field, c.field) << c.message;
    }
}

TEST(WatchedSymbolForm, ValuesDateAndCellTexts)
{
    CWatchedSymbol item;
    CString message;
    EWatchedSymbolField field = kWatchedSymbol;
    ASSERT_TRUE(ReadWatchedSymbolForm(Form(" msft ", "-5", "300.5", "9.99", "3", "5", "2024"), item, message, field));
    EXPECT_EQ(item.symbol, "MSFT");
    EXPECT_EQ(item.quantity, -5.0);
    EXPECT_EQ(item.price, 300.5);
    EXPECT_EQ(item.commission, 9.99);
    EXPECT_EQ(item.purchaseDate, "03-05-2024");
    EXPECT_EQ(WatchedSymbolRowTexts(item), (std::vector<CString>{"MSFT", "-5", "300.50", "9.99", "03-05-2024"}));

    // Empty numbers are 0 and show empty; no date.
    ASSERT_TRUE(ReadWatchedSymbolForm(Form("IBM"), item, message, field));
    EXPECT_EQ(item.quantity, 0.0);
    EXPECT_EQ(item.purchaseDate, "");
    EXPECT_EQ(WatchedSymbolRowTexts(item), (std::vector<CString>{"IBM", "", "", "", ""}));
    item.price = 12.3456;
    item.quantity = 1500;
    EXPECT_EQ(WatchedSymbolRowTexts(item)[1], "1500");
    EXPECT_EQ(WatchedSymbolRowTexts(item)[2], "12.3456");

    // The form of an item gives the item back.
    CWatchedSymbol stored{"AAPL", 25, 187.25, 4.95, "11-30-2023"};
    const CWatchedSymbolForm form = FormOfWatchedSymbol(stored);
    EXPECT_EQ(form.quantity, "25");
    EXPECT_EQ(form.price, "187.25");
    EXPECT_EQ(form.month, "11");
    EXPECT_EQ(form.day, "30");
    EXPECT_EQ(form.year, "2023");
    CWatchedSymbol again;
    ASSERT_TRUE(ReadWatchedSymbolForm(form, again, message, field)) << message.GetString();
    EXPECT_EQ(again, stored);
    // A date of another length is not split.
    EXPECT_EQ(FormOfWatchedSymbol({"AAPL", 0, 0, 0, "1-2-2023"}).month, "");
}

namespace {

class PendingFieldIdsTest : public CQuoteFixture {};

class CQueueingListener : public CQuoteListener {
public:
    explicit CQueueingListener(CPendingFieldIds& pending) : m_pending(pending) {}
    void OnQuoteChange(CSymbolHandle*, int count, const BYTE* ids) override { m_pending.Add(count, ids); }

private:
    CPendingFieldIds& m_pending;
};

} // namespace

TEST_F(PendingFieldIdsTest, QuotesOnAnotherThreadNotifyOncePerBatchAndLoseNoField)
{
    CPendingFieldIds pending;
    std::atomic<int> notified{0};
    pending.SetNotifier([&] {
        ++notified;
        return true;
    });
    CQueueingListener listener(pending);
    CSymbolHandle* handle = m_manager.CreateSymbolHandle("MSFT");
    ASSERT_NE(handle, nullptr);
    handle->SetListener(&listener);
    ASSERT_TRUE(handle->Subscribe());

    std::atomic<bool> done{false};
    std::thread quotes([&] {
        for (int i = 1; i <= 2000; ++i)
            Quote("MSFT", {{i % 2 ? 3 : 6, 10.0 + i * 0.01}, {10, 100.0 * i}});
        done = true;
    });
    std::set<int> seen;
    int batches = 0;
    while (!done) {
        const std::set<int> ids = pending.Take();
        batches += !ids.empty();
        seen.insert(ids.begin(), ids.end());
    }
    quotes.join();
    const std::set<int> rest = pending.Take();
    batches += !rest.empty();
    seen.insert(rest.begin(), rest.end());
    m_manager.DeleteSymbolHandle(handle);

    EXPECT_EQ(seen, (std::set<int>{3, 6, 10}));
    // Each batch taken was announced exactly once.
    EXPECT_EQ(notified.load(), batches);
    EXPECT_GE(batches, 1);

    // A notifier that cannot deliver drops the batch, so the next change notifies again.
    pending.SetNotifier([&] {
        ++notified;
        return false;
    });
    const BYTE last[] = {3};
    const int before = notified;
    pending.Add(1, last);
    pending.Add(1, last);
    EXPECT_EQ(notified.load(), before + 2);
    EXPECT_TRUE(pending.Take().empty());
}
