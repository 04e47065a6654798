// The short texts of the session: the session cookie of the LogIn reply's
// Set-Cookie header and the order times of the order lists.
#include "broker/session/ApiReplies.h"
#include "broker/session/COrderStatusRecord.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The id is what stands between the name and the first ';'.
    const CString cookie = SessionCookieFrom(text);
    if (!cookie.IsEmpty() &&
        (text.compare(0, 12, "KELVTRADING=") != 0 || text.compare(12, cookie.str().size(), cookie.str()) != 0 ||
         cookie.Find(';') >= 0))
        std::abort();

    int64_t seconds = 0;
    if (ParseOrderTime(CString(text), seconds)) {
        // A time that parses parses again to the same second.
        int64_t again = 0;
        if (!ParseOrderTime(CString(text), again) || again != seconds)
            std::abort();
    }
    return 0;
}
