// Checking hours: the window with both ends inside, the clock it reads, and its XML form.
#include "alerts/CAlertHours.h"
#include "broker/core/ExchangeTime.h"
#include "broker/session/CSessionManager.h"
#include "platform/core/XmlHelpers.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

CTime At(int hour, int minute, int second)
{
    return CTime(2026, 12, 7, hour, minute, second);
}

CAlertHours Checked(int fromHour, int fromMinute, int toHour, int toMinute)
{
    CAlertHours hours;
    hours.m_nCheckTime = 1;
    hours.m_nFromHour = fromHour;
    hours.m_nFromMinute = fromMinute;
    hours.m_nToHour = toHour;
    hours.m_nToMinute = toMinute;
    return hours;
}

TEST(CAlertHoursTest, WindowHoldsBothEndsAndNothingOutside)
{
    const CAlertHours hours = Checked(9, 30, 16, 0);
    EXPECT_FALSE(hours.IsInWindow(At(9, 29, 59)));
    EXPECT_TRUE(hours.IsInWindow(At(9, 30, 0)));
    EXPECT_TRUE(hours.IsInWindow(At(12, 0, 0)));
    EXPECT_TRUE(hours.IsInWindow(At(16, 0, 0)));
    EXPECT_FALSE(hours.IsInWindow(At(16, 0, 1)));
    EXPECT_FALSE(hours.IsInWindow(At(0, 0, 0)));
    EXPECT_FALSE(hours.IsInWindow(At(23, 59, 59)));
}

TEST(CAlertHoursTest, WithoutCheckTimeEveryMomentIsInside)
{
    CAlertHours hours = Checked(9, 30, 16, 0);
    hours.m_nCheckTime = 0;
    EXPECT_TRUE(hours.IsInWindow(At(3, 0, 0)));
    EXPECT_TRUE(hours.IsInWindow(At(23, 59, 59)));
    EXPECT_TRUE(hours.IsInWindow());
}

TEST(CAlertHoursTest, WindowEndingBeforeItStartsIsNeverOpen)
{
    const CAlertHours reversed = Checked(16, 0, 9, 30);
    for (const CTime& t : {At(0, 0, 0), At(9, 30, 0), At(12, 0, 0), At(16, 0, 0), At(20, 0, 0)})
        EXPECT_FALSE(reversed.IsInWindow(t));
    // A window of a single minute mark is open for exactly that second.
    const CAlertHours instant = Checked(10, 15, 10, 15);
    EXPECT_TRUE(instant.IsInWindow(At(10, 15, 0)));
    EXPECT_FALSE(instant.IsInWindow(At(10, 15, 1)));
}

TEST(CAlertHoursTest, CurrentTimeIsTheExchangeClockWithoutSessionManager)
{
    ASSERT_EQ(CSessionManager::Instance(), nullptr);
    SYSTEMTIME st{};
    ExchangeSystemTime(static_cast<int64_t>(::time(nullptr)), st);
    const int minute = st.wHour * 60 + st.wMinute;
    if (minute < 3 || minute > 24 * 60 - 4)
        GTEST_SKIP() << "too close to midnight for a window around now";

    // Minutes around the exchange clock are inside; the same width three hours away is not.
    CAlertHours around = Checked((minute - 2) / 60, (minute - 2) % 60, (minute + 3) / 60, (minute + 3) % 60);
    EXPECT_TRUE(around.IsInWindow());
    const int away = minute >= 12 * 60 ? minute - 180 : minute + 180;
    CAlertHours later = Checked(away / 60, away % 60, (away + 5) / 60, (away + 5) % 60);
    EXPECT_FALSE(later.IsInWindow());
}

TEST(CAlertHoursTest, XmlTextAndReadingBack)
{
    CAlertHours hours = Checked(8, 5, 17, 45);
    EXPECT_EQ(hours.ToXml(), "<CheckTime>1</CheckTime><FromHour>8</FromHour><FromMinute>5</FromMinute>"
                             "<ToHour>17</ToHour><ToMinute>45</ToMinute>");

    TiXmlDocument doc;
    ASSERT_TRUE(ParseXml(doc, "<AlertHours>" + std::string(hours.ToXml().GetString()) + "</AlertHours>"));
    CAlertHours read;
    read.FromXml(doc.RootElement());
    EXPECT_EQ(read.ToXml(), hours.ToXml());
}

TEST(CAlertHoursTest, MissingOrEmptyElementsKeepTheirValues)
{
    TiXmlDocument doc;
    ASSERT_TRUE(ParseXml(doc, "<AlertHours><checktime>1</checktime><FromHour></FromHour><ToHour>15abc</ToHour>"
                              "</AlertHours>"));
    CAlertHours hours;
    hours.FromXml(doc.RootElement());
    EXPECT_EQ(hours.m_nCheckTime, 1);    // names compare without case
    EXPECT_EQ(hours.m_nFromHour, 9);     // empty: kept
    EXPECT_EQ(hours.m_nFromMinute, 30);  // missing: kept
    EXPECT_EQ(hours.m_nToHour, 15);      // read as atoi does
    EXPECT_EQ(hours.m_nToMinute, 0);

    hours.FromXml(nullptr);
    EXPECT_EQ(hours.m_nToHour, 15);
}

}  // namespace
