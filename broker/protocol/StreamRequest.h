// Text requests sent on the stream connections, built by the session and
// parsed by the server. The grammar is documented in PROTOCOL.md.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qx::protocol {

inline constexpr size_t kMaxRequestLine = 65536;

// One "|S=NAME&C=SUBS&P=...&T=..." clause.
struct ServiceClause {
    std::string service;               // service name, e.g. "QUOTE"
    std::string command;               // "SUBS" or "UNSUBS"
    std::vector<std::string> symbols;  // plain (unescaped) symbols or keys
    std::vector<int> fields;           // quote field ids of "&T=", may be empty
    bool operator==(const ServiceClause&) const = default;
};

struct StreamRequest {
    bool control = false;      // true on the command stream
    std::string source = "QX";
    std::string userId;        // login clause: first request of a connection
    std::string token;
    std::vector<ServiceClause> clauses;
    bool operator==(const StreamRequest&) const = default;
};

// Name of service 0 to 11, or nullptr.
const char* ServiceName(int index);
// Index of a service name (exact, upper case), or -1.
int ServiceIndex(std::string_view name);

// Symbols travel percent-escaped, so "+" can separate them.
std::string EscapeStreamSymbol(std::string_view symbol);
bool UnescapeStreamSymbol(std::string_view text, std::string& out);

// The request line, ending in "\n".
std::string FormatStreamRequest(const StreamRequest& request);
// Parses one line (with or without its line end); false with a reason.
bool ParseStreamRequest(std::string_view line, StreamRequest& out, std::string& error);

}  // namespace qx::protocol
