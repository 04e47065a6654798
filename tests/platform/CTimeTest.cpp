#include "platform/core/CRect.h"
#include "platform/core/CTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {
// Runs the tests of this file in a fixed zone with daylight-saving time.
class NewYorkTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("TZ");
        m_hadTz = old != nullptr;
        if (old)
            m_oldTz = old;
        setenv("TZ", "America/New_York", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_hadTz)
            setenv("TZ", m_oldTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_hadTz = false;
    std::string m_oldTz;
};
}  // namespace

TEST_F(NewYorkTime, LocalFieldsDayOfWeekAndFormat)
{
    const CTime t(2024, 3, 10, 12, 30, 45);  // a Sunday, first day of daylight time
    EXPECT_EQ(t.GetYear(), 2024);
    EXPECT_EQ(t.GetMonth(), 3);
    EXPECT_EQ(t.GetDay(), 10);
    EXPECT_EQ(t.GetHour(), 12);
    EXPECT_EQ(t.GetMinute(), 30);
    EXPECT_EQ(t.GetSecond(), 45);
    EXPECT_EQ(t.GetDayOfWeek(), 1);
    EXPECT_EQ(t.Format("%Y-%m-%d %H:%M:%S"), "2024-03-10 12:30:45");
    EXPECT_EQ(t.FormatGmt("%H:%M"), "16:30");
    EXPECT_EQ(t.Format(""), "");
    EXPECT_EQ(t.Format("%%"), "%");
    const CString longFormat(std::string(300, 'x') + "%Y");
    EXPECT_EQ(t.Format(longFormat).Right(6), "xx2024");

    const CTime winter(2024, 1, 10, 12, 0, 0);
    EXPECT_EQ(winter.FormatGmt("%H"), "17");
    EXPECT_EQ(CTime(2024, 1, 13, 0, 0, 0).GetDayOfWeek(), 7);

    SYSTEMTIME st{};
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wDayOfWeek, 0);
    EXPECT_EQ(CTime(st), t);
}

TEST_F(NewYorkTime, BeyondTwentyThirtyEightAndArithmetic)
{
    const CTime far(2100, 6, 1, 0, 0, 0);
    EXPECT_GT(far.GetTime(), int64_t{INT32_MAX});
    EXPECT_EQ(far.GetYear(), 2100);

    const CTime a(2024, 11, 2, 12, 0, 0);
    const CTime b(2024, 11, 3, 12, 0, 0);  // the night with 25 hours
    const CTimeSpan span = b - a;
    EXPECT_EQ(span.GetTotalHours(), 25);
    EXPECT_EQ(span.GetDays(), 1);
    EXPECT_EQ(span.GetHours(), 1);
    EXPECT_EQ(a + span, b);
    EXPECT_LT(a, b);
    CTime c = b;
    c -= CTimeSpan(1, 1, 0, 0);
    EXPECT_EQ(c, a);
}

TEST(CTimeSpan, PartsAndFormat)
{
    const CTimeSpan s(2, 3, 4, 5);
    EXPECT_EQ(s.GetTotalSeconds(), ((2 * 24 + 3) * 60 + 4) * 60 + 5);
    EXPECT_EQ(s.GetTotalMinutes(), (2 * 24 + 3) * 60 + 4);
    EXPECT_EQ(s.GetMinutes(), 4);
    EXPECT_EQ(s.GetSeconds(), 5);
    EXPECT_EQ(s.Format("%D days %H:%M:%S %%"), "2 days 03:04:05 %");
    EXPECT_EQ((-s).GetDays(), -2);
}

TEST(CRect, NormalizeInflateIntersectUnion)
{
    CRect r(10, 20, 0, 0);
    EXPECT_TRUE(r.IsRectEmpty());
    r.NormalizeRect();
    EXPECT_EQ(r, CRect(0, 0, 10, 20));
    EXPECT_EQ(r.Width(), 10);
    EXPECT_EQ(r.CenterPoint(), CPoint(5, 10));

    EXPECT_TRUE(r.PtInRect(CPoint(0, 0)));
    EXPECT_FALSE(r.PtInRect(CPoint(10, 5)));
    EXPECT_FALSE(r.PtInRect(CPoint(5, 20)));
    EXPECT_TRUE(r.PtInRect(CPoint(9, 19)));

    r.InflateRect(2, 3);
    EXPECT_EQ(r, CRect(-2, -3, 12, 23));
    r.DeflateRect(1, 1, 2, 2);
    EXPECT_EQ(r, CRect(-1, -2, 10, 21));
    r.OffsetRect(1, 2);
    EXPECT_EQ(r.TopLeft(), CPoint(0, 0));
    EXPECT_EQ(r.BottomRight(), CPoint(11, 23));

    CRect out;
    EXPECT_TRUE(out.IntersectRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20)));
    EXPECT_EQ(out, CRect(5, 5, 10, 10));
    EXPECT_FALSE(out.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10)));
    EXPECT_TRUE(out.IsRectNull());
    EXPECT_TRUE(out.UnionRect(CRect(0, 0, 0, 0), CRect(1, 1, 2, 2)));
    EXPECT_EQ(out, CRect(1, 1, 2, 2));
    EXPECT_TRUE(out.UnionRect(CRect(0, 0, 1, 1), CRect(5, 5, 6, 7)));
    EXPECT_EQ(out, CRect(0, 0, 6, 7));
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetGValue(RGB(1, 2, 3)), 2);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
    EXPECT_EQ(RGB(0xFF, 0x80, 0x01), 0x000180FFu);
}
