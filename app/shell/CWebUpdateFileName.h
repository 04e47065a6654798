// The local file name of a web-update download, made from the URL the server sends.
#pragma once

#include "platform/core/CString.h"

// The URL's last path part without query or fragment, kept to letters, digits and "._-+",
// without leading dots and at most 128 characters; "QxUpdate.bin" when nothing is left.
// It never names a file outside the folder it is put in.
CString FileNameOfUrl(const CString& url);
