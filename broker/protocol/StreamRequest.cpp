#include "broker/protocol/StreamRequest.h"

#include "broker/protocol/StreamRecord.h"

#include <array>
#include <charconv>

namespace qx::protocol {

namespace {

constexpr std::array<const char*, kServiceCount> kServiceNames = {
    "QUOTE", "LEVELII", "NYSE_BOOK", "INET_BOOK", "ACTIVES", "OPRA",
    "OPTION_CHAIN", "TIMESALE", "ACCT_ACTIVITY", "NEWS_STORY", "TOTAL_VIEW", "NEWS",
};

bool PlainSymbolChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_' || c == '*' || c == '$' || c == '/' || c == ':' || c == '^' || c == '!';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::vector<std::string_view> Split(std::string_view text, char sep)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t pos = text.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

bool SplitPair(std::string_view item, std::string_view& key, std::string_view& value)
{
    const size_t eq = item.find('=');
    if (eq == std::string_view::npos || eq == 0)
        return false;
    key = item.substr(0, eq);
    value = item.substr(eq + 1);
    return true;
}

bool ParseClause(std::string_view text, ServiceClause& clause, std::string& error)
{
    bool haveCommand = false;
    for (std::string_view item : Split(text, '&')) {
        std::string_view key, value;
        if (!SplitPair(item, key, value)) {
            error = "malformed service clause item";
            return false;
        }
        if (key == "S") {
            if (ServiceIndex(value) < 0) {
                error = "unknown service " + std::string(value);
                return false;
            }
            clause.service = value;
        } else if (key == "C") {
            if (value != "SUBS" && value != "UNSUBS") {
                error = "unknown command " + std::string(value);
                return false;
            }
            clause.command = value;
            haveCommand = true;
        } else if (key == "P") {
            if (value.empty())
                continue;
            for (std::string_view s : Split(value, '+')) {
                std::string symbol;
                if (s.empty() || !UnescapeStreamSymbol(s, symbol) || symbol.empty()) {
                    error = "malformed symbol list";
                    return false;
                }
                clause.symbols.push_back(std::move(symbol));
            }
        } else if (key == "T") {
            for (std::string_view f : Split(value, '+')) {
                int id = -1;
                const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), id);
                if (ec != std::errc() || end != f.data() + f.size() || id < 0 || id > kMaxQuoteFieldId) {
                    error = "malformed field list";
                    return false;
                }
                clause.fields.push_back(id);
            }
        } else {
            error = "unknown clause key " + std::string(key);
            return false;
        }
    }
    if (clause.service.empty() || !haveCommand) {
        error = "service clause without S or C";
        return false;
    }
    if (clause.command == "SUBS" && clause.symbols.empty()) {
        error = "subscription without symbols";
        return false;
    }
    return true;
}

}  // namespace

const char* ServiceName(int index)
{
    if (index < 0 || index >= kServiceCount)
        return nullptr;
    return kServiceNames[static_cast<size_t>(index)];
}

int ServiceIndex(std::string_view name)
{
    for (size_t i = 0; i < kServiceNames.size(); ++i)
        if (name == kServiceNames[i])
            return static_cast<int>(i);
    return -1;
}

std::string EscapeStreamSymbol(std::string_view symbol)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(symbol.size());
    for (char c : symbol) {
        if (PlainSymbolChar(c)) {
            out += c;
        } else {
            const auto u = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

bool UnescapeStreamSymbol(std::string_view text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size())
                return false;
            const int hi = HexValue(text[i + 1]);
            const int lo = HexValue(text[i + 2]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (PlainSymbolChar(c)) {
            out += c;
        } else {
            return false;
        }
    }
    return true;
}

std::string FormatStreamRequest(const StreamRequest& request)
{
    std::string line = request.control ? "|control=true" : "|control=false";
    line += "|source=" + request.source;
    if (!request.userId.empty() || !request.token.empty())
        line += "|userid=" + EscapeStreamSymbol(request.userId) + "|token=" + EscapeStreamSymbol(request.token);
    for (const ServiceClause& clause : request.clauses) {
        line += "|S=" + clause.service + "&C=" + clause.command + "&P=";
        for (size_t i = 0; i < clause.symbols.size(); ++i) {
            if (i)
                line += '+';
            line += EscapeStreamSymbol(clause.symbols[i]);
        }
        if (!clause.fields.empty()) {
            line += "&T=";
            for (size_t i = 0; i < clause.fields.size(); ++i) {
                if (i)
                    line += '+';
                line += std::to_string(clause.fields[i]);
            }
        }
    }
    line += '\n';
    return line;
}

bool ParseStreamRequest(std::string_view line, StreamRequest& out, std::string& error)
{
    out = StreamRequest{};
    out.source.clear();
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.size() > kMaxRequestLine) {
        error = "request too long";
        return false;
    }
    if (line.empty() || line.front() != '|') {
        error = "request does not start with '|'";
        return false;
    }
    bool haveControl = false;
    const std::vector<std::string_view> items = Split(line.substr(1), '|');
    for (std::string_view item : items) {
        std::string_view key, value;
        if (!SplitPair(item, key, value)) {
            error = "malformed request item";
            return false;
        }
        if (key == "control") {
            if (value != "true" && value != "false") {
                error = "control must be true or false";
                return false;
            }
            out.control = value == "true";
            haveControl = true;
        } else if (key == "source") {
            out.source = value;
        } else if (key == "userid") {
            if (!UnescapeStreamSymbol(value, out.userId)) {
                error = "malformed user id";
                return false;
            }
        } else if (key == "token") {
            if (!UnescapeStreamSymbol(value, out.token)) {
                error = "malformed token";
                return false;
            }
        } else if (key == "S") {
            ServiceClause clause;
            if (!ParseClause(item, clause, error))
                return false;
            out.clauses.push_back(std::move(clause));
        } else {
            error = "unknown request key " + std::string(key);
            return false;
        }
    }
    if (!haveControl || out.source.empty()) {
        error = "request without control or source clause";
        return false;
    }
    return true;
}

}  // namespace qx::protocol
