// What the browser views may load: the broker's log-out pages never (a page cannot end
// the session), whatever the case of the address or escapes in its path.
#pragma once

#include "platform/core/CString.h"

// Whether the address leads to "/cgi-bin/apps/LogOut" or the API's "/apps/100/LogOut".
bool IsLogOutAddress(const char* url);
