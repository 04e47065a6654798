// Records taken from another store share its columns until one of the two writes; records
// erased inside a store leave the others as they were.
#include "analytics/series/CBarStore.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records 0..n-1 at minutes 0..n-1, close 10 + r, valid but record 2.
void Fill(CBarStore& store, int n)
{
    store.Assign(n);
    for (int r = 0; r < n; ++r) {
        store.SetTimes(r, CTime(60 * r), CTime(60 * r + 60));
        store.SetField(r, kBarClose, 10 + r);
        store.SetValid(r, r != 2);
    }
}

} // namespace

TEST(BarStore, BorrowedRecordsReadAsTheLendersAndWritesStayWithTheWriter)
{
    CBarStore lender;
    Fill(lender, 8);
    CBarStore borrower;
    const int column = borrower.AttachColumn(-1);
    borrower.Borrow(lender, 1, 5); // records 1..5
    ASSERT_EQ(5, borrower.Size());
    EXPECT_TRUE(borrower.IsShared() && lender.IsShared());
    EXPECT_EQ(CTime(60), borrower.Start(0));
    EXPECT_EQ(15, borrower.Field(4, kBarClose));
    EXPECT_EQ(4, borrower.ValidCount());
    EXPECT_EQ(0, borrower.FirstValid());
    EXPECT_FALSE(borrower.IsValid(1));
    EXPECT_EQ(-1, borrower.Attached(column)[4]);

    // Each write, by either, stays its own.
    borrower.SetField(0, kBarClose, 99);
    EXPECT_FALSE(borrower.IsShared());
    EXPECT_EQ(11, lender.Field(1, kBarClose));
    lender.SetValid(3, false);
    EXPECT_FALSE(lender.IsShared());
    EXPECT_TRUE(borrower.IsValid(2));
    EXPECT_EQ(99, borrower.Field(0, kBarClose));
    EXPECT_EQ(4, borrower.ValidCount());
    EXPECT_EQ(6, lender.ValidCount());

    // Records added to a store still sharing its columns go into its own copy.
    CBarStore second;
    second.Borrow(lender, 0, 8);
    second.InsertFront(2);
    second.InsertBack(1);
    ASSERT_EQ(11, second.Size());
    EXPECT_EQ(0, second.Field(0, kBarClose));
    EXPECT_EQ(10, second.Field(2, kBarClose));
    EXPECT_EQ(0, second.Field(10, kBarClose));
    EXPECT_EQ(8, lender.Size());
    EXPECT_EQ(10, lender.Field(0, kBarClose));
    EXPECT_EQ(17, lender.Field(7, kBarClose));
    second.PopFront(2);
    EXPECT_EQ(CTime(0), second.Start(0));

    // A store laid out anew holds empty records of its own.
    borrower.Borrow(lender, 0, 8);
    borrower.Assign(3);
    EXPECT_FALSE(borrower.IsShared());
    EXPECT_EQ(0, borrower.Field(2, kBarClose));
    EXPECT_EQ(0, borrower.ValidCount());
    EXPECT_EQ(10, lender.Field(0, kBarClose));
}

// Erasing from either side of the middle (the store moves the fewer records) matches the
// same erase on a plain array of the records.
TEST(BarStore, ErasedRecordsLeaveTheOthersInOrderWithTheirFields)
{
    for (const auto& [first, k] : {std::pair{1, 2}, std::pair{5, 2}, std::pair{0, 3}, std::pair{4, 4},
                                   std::pair{3, 0}}) {
        CBarStore store;
        const int column = store.AttachColumn(-1);
        Fill(store, 8);
        store.PopFront(1); // records start past the head
        store.InsertBack(1);
        store.SetTimes(7, CTime(480), CTime(540));
        store.SetField(7, kBarClose, 18);
        store.SetValid(7, true);
        for (int r = 0; r < 8; ++r) {
            store.SetExchange(r, r % 2 ? "NYSE" : "NASD");
            store.Attached(column)[r] = 100 + r;
        }
        std::vector<CBarRecord> plain;
        std::vector<double> attached;
        for (int r = 0; r < 8; ++r) {
            plain.push_back(store.Get(r));
            attached.push_back(store.Attached(column)[r]);
        }
        plain.erase(plain.begin() + first, plain.begin() + first + k);
        attached.erase(attached.begin() + first, attached.begin() + first + k);

        store.Erase(first, k);
        ASSERT_EQ(static_cast<int>(plain.size()), store.Size());
        int valid = 0, firstValid = -1, lastValid = -1;
        for (int r = 0; r < store.Size(); ++r) {
            const CBarRecord got = store.Get(r), want = plain[static_cast<size_t>(r)];
            EXPECT_EQ(want.m_startTime, got.m_startTime) << first << "+" << k << " " << r;
            EXPECT_EQ(want.m_endTime, got.m_endTime) << r;
            EXPECT_EQ(want.m_fields[kBarClose], got.m_fields[kBarClose]) << r;
            EXPECT_EQ(want.m_bValid, got.m_bValid) << r;
            EXPECT_EQ(want.m_exchange, got.m_exchange) << r;
            EXPECT_EQ(attached[static_cast<size_t>(r)], store.Attached(column)[r]) << r;
            if (want.m_bValid) {
                ++valid;
                firstValid = firstValid < 0 ? r : firstValid;
                lastValid = r;
            }
        }
        EXPECT_EQ(valid, store.ValidCount());
        EXPECT_EQ(firstValid, store.FirstValid());
        EXPECT_EQ(lastValid, store.LastValid());
        EXPECT_EQ(store.Size() - 1, store.RecordStartingAt(store.Start(store.Size() - 1).GetTime()));
    }
}
