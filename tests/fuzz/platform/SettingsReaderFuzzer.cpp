// Feeds text to the config.ini and profile readers. Neither may fail, and a
// profile written out must read back to the same text.
#include "platform/core/CConfigFile.h"
#include "platform/core/CProfile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    CConfigFile config;
    config.LoadFromText(text);
    for (const CString& key : config.GetKeys()) {
        if (!config.Has(key))
            std::abort();
        (void)config.Get(key);
    }
    if (config.GetLoginServer().IsEmpty() || config.GetStreamerServer().IsEmpty())
        std::abort();

    CProfile profile;
    profile.LoadFromText(text);
    const std::string once = profile.ToText();
    CProfile again;
    again.LoadFromText(once);
    if (again.ToText() != once)
        std::abort();
    (void)profile.GetProfileInt("Settings", "SmtpPort", 25);
    profile.WriteProfileString("Settings", "UserName", "x\ny");
    if (profile.GetProfileString("Settings", "UserName") != "x\ny")
        std::abort();
    return 0;
}
