#include "broker/protocol/HistoryFormat.h"

#include "platform/core/CivilDate.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qx::protocol {

namespace {

constexpr int64_t kEpoch1950 = DaysFromCivil(1950, 1, 1);

std::string FormatPrice(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    std::string s = buf;
    // Keep at least two decimals.
    while (s.size() > 3 && s.back() == '0' && s[s.size() - 3] != '.')
        s.pop_back();
    return s;
}

bool ParseDouble(std::string_view text, double& out)
{
    if (text.empty() || text.size() > 63)
        return false;
    char buf[64];
    text.copy(buf, text.size());
    buf[text.size()] = '\0';
    char* end = nullptr;
    out = std::strtod(buf, &end);
    return end == buf + text.size() && std::isfinite(out);
}

bool ParseUnsigned(std::string_view text, uint32_t& out)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

bool ValidHistoryFields(std::string_view fields)
{
    if (fields.empty())
        return false;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (std::string_view("dteohlcv").find(fields[i]) == std::string_view::npos)
            return false;
        if (fields.find(fields[i], i + 1) != std::string_view::npos)
            return false;
    }
    return true;
}

uint32_t HistoryFeedTime(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1950 || year > 2200 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return 0;
    const int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch1950;
    const int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<uint32_t>(seconds / 2);
}

void SplitHistoryFeedTime(uint32_t feedTime, int& year, int& month, int& day, int& hour, int& minute,
                          int& second)
{
    const int64_t seconds = static_cast<int64_t>(feedTime) * 2;
    const CivilDate date = CivilFromDays(kEpoch1950 + seconds / 86400);
    year = date.year;
    month = date.month;
    day = date.day;
    const int64_t rest = seconds % 86400;
    hour = static_cast<int>(rest / 3600);
    minute = static_cast<int>(rest / 60 % 60);
    second = static_cast<int>(rest % 60);
}

std::string FormatHistoryLine(const HistoryBar& bar, std::string_view fields)
{
    int y, mo, d, h, mi, s;
    SplitHistoryFeedTime(bar.feedTime, y, mo, d, h, mi, s);
    std::string line;
    char buf[32];
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            line += '|';
        switch (fields[i]) {
        case 'd': std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, mo, d); line += buf; break;
        case 't': std::snprintf(buf, sizeof buf, "%02d%02d%02d", h, mi, s); line += buf; break;
        case 'e': line += std::to_string(bar.feedTime); break;
        case 'o': line += FormatPrice(bar.open); break;
        case 'h': line += FormatPrice(bar.high); break;
        case 'l': line += FormatPrice(bar.low); break;
        case 'c': line += FormatPrice(bar.close); break;
        case 'v': std::snprintf(buf, sizeof buf, "%.0f", bar.volume); line += buf; break;
        default: break;
        }
    }
    return line;
}

bool ParseHistoryLine(std::string_view line, std::string_view fields, HistoryBar& out)
{
    if (!ValidHistoryFields(fields))
        return false;
    out = HistoryBar{};
    uint32_t date = 0, time = 0, feed = 0;
    bool haveDate = false, haveFeed = false;
    size_t start = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t bar = line.find('|', start);
        const bool last = i + 1 == fields.size();
        if ((bar == std::string_view::npos) != last)
            return false;
        const std::string_view item = line.substr(start, last ? std::string_view::npos : bar - start);
        start = bar + 1;
        switch (fields[i]) {
        case 'd': if (!ParseUnsigned(item, date) || item.size() != 8) return false; haveDate = true; break;
        case 't': if (!ParseUnsigned(item, time) || item.size() != 6) return false; break;
        case 'e': if (!ParseUnsigned(item, feed)) return false; haveFeed = true; break;
        case 'o': if (!ParseDouble(item, out.open)) return false; break;
        case 'h': if (!ParseDouble(item, out.high)) return false; break;
        case 'l': if (!ParseDouble(item, out.low)) return false; break;
        case 'c': if (!ParseDouble(item, out.close)) return false; break;
        case 'v': if (!ParseDouble(item, out.volume)) return false; break;
        default: return false;
        }
    }
    if (haveFeed) {
        out.feedTime = feed;
        return true;
    }
    if (!haveDate)
        return false;
    out.feedTime = HistoryFeedTime(static_cast<int>(date / 10000), static_cast<int>(date / 100 % 100),
                                   static_cast<int>(date % 100), static_cast<int>(time / 10000),
                                   static_cast<int>(time / 100 % 100), static_cast<int>(time % 100));
    return out.feedTime != 0;
}

bool ParseHistoryAsOf(std::string_view text, uint64_t& out)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return false;
    out = value;
    return true;
}

bool ParseHistoryReply(std::string_view body, std::string_view fields, std::vector<HistoryBar>& out,
                       std::string& error)
{
    out.clear();
    size_t start = 0;
    size_t lineNo = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string_view::npos)
            end = body.size();
        std::string_view line = body.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (line.starts_with("ERROR|")) {
            error = std::string(line.substr(6));
            return false;
        }
        HistoryBar bar;
        if (!ParseHistoryLine(line, fields, bar)) {
            error = "malformed history line " + std::to_string(lineNo);
            return false;
        }
        out.push_back(bar);
    }
    return true;
}

}  // namespace qx::protocol
