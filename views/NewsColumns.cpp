#include "views/NewsColumns.h"

#include "broker/core/ExchangeTime.h"

#include <cstring>

namespace {

const CReportColumn kColumns[kNewsColumnCount] = {
    {"Note", ID_NEWS_COLUMN_FIRST + kNewsNote, EReportSort::kText, 40},
    {"Time", ID_NEWS_COLUMN_FIRST + kNewsTime, EReportSort::kDateTime, 125},
    {"Symbol", ID_NEWS_COLUMN_FIRST + kNewsSymbol, EReportSort::kText, 70},
    {"Source", ID_NEWS_COLUMN_FIRST + kNewsSource, EReportSort::kText, 105},
    {"Headline", ID_NEWS_COLUMN_FIRST + kNewsHeadline, EReportSort::kText, 500},
};

} // namespace

std::span<const CReportColumn> NewsColumns()
{
    return kColumns;
}

CString NewsCellText(const CNewsHeadline& headline, int column)
{
    switch (column) {
    case kNewsNote: return headline.note;
    case kNewsTime: {
        SYSTEMTIME t{};
        ExchangeSystemTime(headline.time, t);
        CString text;
        text.Format("%02d:%02d %02d/%02d/%04d", t.wHour, t.wMinute, t.wMonth, t.wDay, t.wYear);
        return text;
    }
    case kNewsSymbol: return headline.symbol;
    case kNewsSource: return headline.source;
    case kNewsHeadline: return headline.headline;
    default: return CString();
    }
}

int CompareNewsCells(const CNewsHeadline& first, const CNewsHeadline& second, int column)
{
    if (column == kNewsTime)
        return first.time < second.time ? -1 : first.time > second.time ? 1 : 0;
    const int order = std::strcmp(NewsCellText(first, column), NewsCellText(second, column));
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

bool IsHotNews(const CNewsHeadline& headline)
{
    return headline.note.Find('H') >= 0;
}
