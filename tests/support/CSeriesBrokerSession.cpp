#include "tests/support/CSeriesBrokerSession.h"

#include "analytics/series/SeriesHooks.h"
#include "broker/session/PriceSeriesHooks.h"
#include "tests/support/WeekdayShift.h"

#include <ctime>

namespace qx::testsupport {

namespace {

int64_t ShiftSeconds(bool atNoon, int64_t secondsBeforeNoon)
{
    return atNoon ? SecondsToNoon(time(nullptr)) - secondsBeforeNoon : 0;
}

} // namespace

CSeriesBrokerSession::CSeriesBrokerSession(bool atNoon, int64_t secondsBeforeNoon)
    : m_session(DaysBackToWeekday(time(nullptr) + ShiftSeconds(atNoon, secondsBeforeNoon)),
                ShiftSeconds(atNoon, secondsBeforeNoon))
{
}

CSeriesBrokerSession::~CSeriesBrokerSession()
{
    Stop();
}

::testing::AssertionResult CSeriesBrokerSession::Start()
{
    ::testing::AssertionResult started = m_session.Start();
    if (!started)
        return started;
    m_session.Install();
    RegisterPriceSeriesHooks();
    return m_session.LogIn();
}

void CSeriesBrokerSession::Stop()
{
    m_session.Stop();
    SetPriceSeriesHooks({});
}

} // namespace qx::testsupport
