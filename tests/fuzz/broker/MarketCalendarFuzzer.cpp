// Sessions.dat as text: loading never fails on a malformed line, and the lookup
// of a symbol always finds rules (the built-in ones when nothing matches).
#include "broker/session/CMarketCalendar.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CMarketCalendar calendar;
    calendar.LoadText(text);
    for (const char* key : {"NASDAQ:IBM", "NYSE:", ":", "", "CME:ESZ4", "X:$SPX"})
        if (calendar.FindSessionRules(key) == nullptr)
            std::abort();
    // The first line as a pattern over the second.
    const size_t eol = text.find('\n');
    if (eol != std::string::npos && eol < 64 && text.size() - eol < 256) {
        const std::string pattern = text.substr(0, eol);
        const std::string subject = text.substr(eol + 1);
        CMarketCalendar::MatchPattern(pattern.c_str(), subject.c_str());
    }
    return 0;
}
