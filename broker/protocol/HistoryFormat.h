// The "|"-separated reply of the history download (f=dtohlcv and friends).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx::protocol {

// The column letters a reply may carry, in the order of the f= key:
// d date YYYYMMDD, t time HHMMSS, e feed time, o h l c prices, v volume.
inline constexpr std::string_view kDefaultHistoryFields = "dtohlcv";

struct HistoryBar {
    uint32_t feedTime = 0;  // start of the bar, exchange time, 2-second units since 1950
    double open = 0.0;
    double high = 0.0;
    double low = 0.0;
    double close = 0.0;
    double volume = 0.0;
    bool operator==(const HistoryBar&) const = default;
};

// False when fields is empty, repeats a letter or holds an unknown one.
bool ValidHistoryFields(std::string_view fields);
// Feed time from a date and time of day; 0 for a date before 1950 or invalid.
uint32_t HistoryFeedTime(int year, int month, int day, int hour, int minute, int second);
void SplitHistoryFeedTime(uint32_t feedTime, int& year, int& month, int& day, int& hour, int& minute,
                          int& second);

// One line without its line end.
std::string FormatHistoryLine(const HistoryBar& bar, std::string_view fields);
// Parses one line; the bar needs a time (e, or d with an optional t).
bool ParseHistoryLine(std::string_view line, std::string_view fields, HistoryBar& out);
// The reply header naming the newest trade of the symbol the bars hold: every trade record
// numbered up to it is in them, none after it (0: no trade yet). Without it a reply says
// nothing of the sort.
inline constexpr std::string_view kHistoryAsOfHeader = "X-As-Of-Trade";
// Its value: a trade number in decimal digits, blanks around it allowed.
bool ParseHistoryAsOf(std::string_view text, uint64_t& out);

// Parses a whole reply ("\n" or "\r\n" line ends, blank lines skipped). A line
// starting with "ERROR|" fails with the text after it.
bool ParseHistoryReply(std::string_view body, std::string_view fields, std::vector<HistoryBar>& out,
                       std::string& error);

}  // namespace qx::protocol
