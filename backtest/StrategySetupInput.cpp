#include "backtest/StrategySetupInput.h"

#include "broker/core/FeedTime.h"

#include <cstdlib>
#include <strings.h>

namespace {

bool ParseInt(const CString& text, int& value)
{
    CString t = text;
    t.Trim();
    if (t.IsEmpty())
        return false;
    char* end = nullptr;
    const long v = std::strtol(t, &end, 10);
    if (!end || *end != '\0' || v < -1000000 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

const std::array<const char*, 12>& StrategySetupMonthNames()
{
    static const std::array<const char*, 12> names = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                      "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    return names;
}

CString ReadDateFields(const CDateFieldsInput& input, DWORD& feedTime)
{
    int month = -1;
    if (input.monthSel >= 0 && input.monthSel < 12) {
        month = input.monthSel + 1;
    } else {
        CString text = input.monthText;
        text.Trim();
        for (int i = 0; i < 12; ++i)
            if (strcasecmp(text, StrategySetupMonthNames()[static_cast<size_t>(i)]) == 0)
                month = i + 1;
    }
    if (month < 1)
        return "Please enter a valid month";
    int day = 0, year = 0, hour = 0, minute = 0;
    if (!ParseInt(input.day, day) || day < 1 || day > 31)
        return "Please enter a valid day";
    if (!ParseInt(input.year, year) || year <= 0)
        return "Please enter a valid year";
    if (!ParseInt(input.hour, hour) || hour < 0 || hour > 23)
        return "Please enter a valid hour";
    if (!ParseInt(input.minute, minute) || minute < 0 || minute > 59)
        return "Please enter a valid minute";
    const DWORD t = DateTimeToFeedTime(year, month, day, hour, minute, 0);
    if (t == 0)
        return "Please enter a valid date";
    feedTime = t;
    return CString();
}

CString ReadJobInput(const CJobInput& input, CStrategySetup& job)
{
    DWORD start = 0, end = 0;
    CString message = ReadDateFields(input.from, start);
    if (message.IsEmpty())
        message = ReadDateFields(input.to, end);
    if (!message.IsEmpty())
        return message;
    if (start > end)
        return "End date must be after the start date";
    const int minuteBars = std::atoi(input.minuteBars);
    if (input.intraday && minuteBars <= 0)
        return "Please enter a valid Minute Bar duration";
    const double stop = std::atof(input.tStopParam);
    if (input.tStop && !(stop > 0))
        return "Please enter a valid trailing stop";
    const double capital = std::atof(input.capital);
    if (input.portfolio && !(capital > 0))
        return "Please enter a valid portfolio capital";
    job.m_symbols = input.symbols;
    job.m_comission = std::atof(input.comission);
    job.m_startTime = start;
    job.m_endTime = end;
    job.m_nExitAtEnd = input.exitAtEnd ? 1 : 0;
    job.m_nUntilNow = input.untilNow ? 1 : 0;
    job.m_nIntraday = input.intraday ? 1 : 0;
    job.m_nMinuteBars = minuteBars;
    job.m_nTStop = input.tStop ? 1 : 0;
    job.m_nTStopType = input.tStopCaption == "%" ? 1 : 0;
    job.m_tStopParam = stop;
    job.m_nPortfolio = input.portfolio ? 1 : 0;
    job.m_capital = capital;
    return CString();
}

CString CheckStrategyRecord(const CStrategyDefinition& strategy)
{
    if (strategy.m_nEntryQuantity < 0)
        return "Please enter a quantity above 0";
    if (!strategy.IsComplete())
        return "Please fill out all fields";
    return CString();
}

CString DuplicateStrategyMessage(const CString& name)
{
    return "Strategy \"" + name +
           "\" appears more than once on the list.\nPlease rename or remove the duplicates so that each strategy "
           "has a different name.";
}

CStrategySetup DefaultStrategyJob(CTime exchangeNow)
{
    CStrategySetup job;
    const CTime before = exchangeNow - CTimeSpan(30, 0, 0, 0);
    job.m_startTime = DateTimeToFeedTime(before.GetYear(), before.GetMonth(), before.GetDay(), 0, 0, 0);
    job.m_endTime = DateTimeToFeedTime(exchangeNow.GetYear(), exchangeNow.GetMonth(), exchangeNow.GetDay(), 23, 59, 59);
    job.m_nUntilNow = 1;
    job.m_nMinuteBars = 1;
    return job;
}
