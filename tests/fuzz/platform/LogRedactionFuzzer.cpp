// Feeds any text to the log redaction. It may not fail, and what it leaves has nothing
// more to take out: redacting again changes nothing.
#include "platform/core/LogRedaction.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string once = RedactSecrets(text);
    if (RedactSecrets(once) != once)
        std::abort();
    return 0;
}
