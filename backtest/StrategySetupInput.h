// What the Strategy Setup dialog reads from its fields, and the checks it makes before a
// job is built: the period, the options and the list of strategies. Each check gives the
// message the dialog shows, or an empty text.
#pragma once

#include "backtest/CStrategySetup.h"
#include "platform/core/CTime.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <array>
#include <vector>

// "JAN" to "DEC".
const std::array<const char*, 12>& StrategySetupMonthNames();

// One date-and-time row of the dialog: the month combo (its selection, or its text when
// nothing is selected), day, year, hour and minute.
struct CDateFieldsInput {
    int monthSel = -1;
    CString monthText;
    CString day, year, hour, minute;
};

struct CJobInput {
    CString symbols;
    CString comission;
    CDateFieldsInput from, to;
    int exitAtEnd = 0, untilNow = 0, intraday = 0;
    CString minuteBars;
    int tStop = 0;
    CString tStopCaption;  // "$" or "%"
    CString tStopParam;
    int portfolio = 0;
    CString capital;
};

// The date fields as a feed time (seconds 0); the message of the first field that is no
// valid value otherwise.
CString ReadDateFields(const CDateFieldsInput& input, DWORD& feedTime);
// Fills the job's symbols, period and options (its strategies stay); on a failed check
// returns its message and the job is left unchanged.
CString ReadJobInput(const CJobInput& input, CStrategySetup& job);
// The message for a strategy record read from the fields: "Please fill out all fields"
// when it is incomplete, a refusal of a quantity below 0.
CString CheckStrategyRecord(const CStrategyDefinition& strategy);
// The message for two strategies of one name.
CString DuplicateStrategyMessage(const CString& name);
// A fresh job: the last 30 days, from 00:00 thirty days back to 23:59 today (exchange
// time), up to now, every minute bar.
CStrategySetup DefaultStrategyJob(CTime exchangeNow);
