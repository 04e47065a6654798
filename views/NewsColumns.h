// The columns of the headline list: Note, Time, Symbol, Source and Headline, their cell
// texts and their order for sorting.
#pragma once

#include "broker/session/SessionMessages.h"
#include "trading/ReportColumns.h"

#include <span>

enum ENewsColumn : int {
    kNewsNote = 0,
    kNewsTime = 1,
    kNewsSymbol = 2,
    kNewsSource = 3,
    kNewsHeadline = 4,
    kNewsColumnCount = 5
};

// The column commands of the news menu: ID_NEWS_COLUMN_FIRST + column id.
inline constexpr UINT ID_NEWS_COLUMN_FIRST = 40706;

// Indexed by column id; each with its header, menu command and default width.
std::span<const CReportColumn> NewsColumns();

// "%H:%M %m/%d/%Y" of the time stamp in exchange time for Time (the time the rest of the
// program shows); the record's texts otherwise.
CString NewsCellText(const CNewsHeadline& headline, int column);
// -1, 0 or 1: Time by the time stamps, every other column by its text, byte by byte.
int CompareNewsCells(const CNewsHeadline& first, const CNewsHeadline& second, int column);
// Whether the note marks hot news ("H").
bool IsHotNews(const CNewsHeadline& headline);
